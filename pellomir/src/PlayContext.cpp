#include "PlayContext.h"

#if defined(PELLOMIR_HAVE_MERROWFEN) && defined(PELLOMIR_HAVE_VINTREL)

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "Frame.h"
#include "PlatformSeam.h"
#include "PlayerLib.h"
#include "merrowfen.h"
#include "pellomir/Pellomir.h"
#include "vintrel.h"
#include "wincompat/drives.h"

namespace pellomir {
namespace {

int DefaultInput(int port, const void* data, uint32_t size)
{
    return Player().InputData(port, data, size);
}

uint32_t DefaultLastError(int port)
{
    return Player().GetLastError(port);
}

// Offers one piece until the player takes it. Only a full player is worth
// waiting for; a player without a stream or port will not take it later.
bool OfferPiece(STREAM_CONTEXT& context, const void* data, uint32_t size, const PlayerInput& player)
{
    for (;;) {
        if (InputAbandoned(context))
            return false;
        if (player.input(context.port, data, size))
            return true;
        const uint32_t error = player.lastError(context.port);
        if (error == OSTRUM_ERR_PARAM || error == OSTRUM_ERR_ORDER || error == OSTRUM_ERR_PORT) {
            DebugOut("Error:Ostrum_InputData failed [%u]\r\n", error);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kInputRetryMs));
    }
}

// The stream header: set the player up and start it. A step that fails
// leaves the context not opened, so the next header is tried again.
void OpenPlayer(STREAM_CONTEXT& context, const unsigned char* header, int length)
{
    if (context.opened.load() || !header || length <= 0)
        return;
    const int port = context.port;
    const char* failure = nullptr;
    if (!Player().SetStreamOpenMode(port, OSTRUM_STREAM_FILE)) {
        failure = "Error:Ostrum_SetStreamOpenMode failed!\r\n";
    } else if (context.keyText[0] &&
               !Player().SetSecretKey(port, 1, context.keyText,
                                    static_cast<int>(8 * strnlen(context.keyText, kKeyTextSize - 1)))) {
        failure = "Error:Ostrum_SetSecretKey failed!\r\n";
    } else {
        if (!Player().SetSycGroup(port, 0))
            DebugOut("Error:Ostrum_SetSycGroup failed!\r\n");
        if (!Player().SetDecodeEngineEx(port, context.decodeEngine == 1 ? 1 : 0))
            DebugOut("Error:Ostrum_SetDecodeEngineEx failed!\r\n");
        if (!Player().OpenStream(port, header, static_cast<uint32_t>(length), kPlayerBufferSize)) {
            failure = "Error:Ostrum_OpenStream failed!\r\n";
        } else if (!Player().Play(port, reinterpret_cast<void*>(context.window))) {
            Player().CloseStream(port);
            failure = "Error:Ostrum_Play failed!\r\n";
        } else {
            if (context.reverse.load()) {
                Player().ReversePlay(port);
                DebugOut("Begin to Reverse\r\n");
            }
            context.opened.store(true);
            return;
        }
    }
    const uint32_t error = Player().GetLastError(port);
    DebugOut("%s", failure);
    DebugOut("player error %u\r\n", error);
    context.opened.store(false);
}

}  // namespace

PlayerInput DefaultPlayerInput()
{
    return PlayerInput{&DefaultInput, &DefaultLastError};
}

bool InputAbandoned(const STREAM_CONTEXT& context)
{
    return context.stopRequested.load() || context.closing.load();
}

bool FeedPlayer(STREAM_CONTEXT& context, const unsigned char* data, int length, const PlayerInput& player)
{
    // A player that never took a header has no stream to feed.
    if (!context.opened.load())
        return false;
    if (!data) {
        if (length != -1)
            return false;
        DebugOut("Ostrum_InputData null end data\n");
        return OfferPiece(context, nullptr, static_cast<uint32_t>(-1), player);
    }
    if (length <= 0)
        return false;
    const uint32_t total = static_cast<uint32_t>(length);
    const uint32_t pieces = total / kPlayerBufferSize + 1;
    for (uint32_t i = 0; i < pieces; ++i) {
        const uint32_t size = i + 1 < pieces ? kPlayerBufferSize : total % kPlayerBufferSize;
        if (size == 0)
            continue;
        if (!OfferPiece(context, data + static_cast<size_t>(i) * kPlayerBufferSize, size, player))
            return false;
    }
    return true;
}

void PlayDataCallback(int, int dataType, unsigned char* data, int length, void* user)
{
    auto* context = static_cast<STREAM_CONTEXT*>(user);
    if (!context || context->port < 0)
        return;
    try {
        if (dataType == HD_DATA_HEADER)
            OpenPlayer(*context, data, length);
        else if (dataType == HD_DATA_STREAM)
            FeedPlayer(*context, data, length, DefaultPlayerInput());
    } catch (...) {
        DebugOut("Exception: stream data callback failed!\r\n");
    }
}

void CopyDataCallback(int, int, unsigned char* data, int length, void* user)
{
    if (auto* context = static_cast<STREAM_CONTEXT*>(user))
        AppendToFile(*context, data, length);
}

void AppendToFile(STREAM_CONTEXT& context, const unsigned char* data, int length)
{
    if (!data) {
        DebugOut("g_pFunAppendToFile: pContent == NULL!\r\n");
        return;
    }
    // After a failed write the file has a gap: nothing more goes in.
    if (length <= 0 || !context.outputFile || context.outputError.load() != 0)
        return;
    if (std::fwrite(data, static_cast<size_t>(length), 1, context.outputFile) != 1) {
        context.outputError.store(DVR_FILE_ERR_CREATE_FILE);
        DebugOut("Exception: g_pFunAppendToFile failed!\r\n");
    }
}

std::vector<std::string> PathsFromLetters(const char* letters, size_t max)
{
    std::vector<std::string> paths;
    for (size_t i = 0; letters && i < max && letters[i]; ++i)
        paths.push_back(std::string(1, letters[i]) + ":");
    return paths;
}

std::vector<std::string> PathsFromArray(const char* const* paths, size_t max)
{
    std::vector<std::string> out;
    for (size_t i = 0; paths && i < max && paths[i]; ++i)
        out.emplace_back(paths[i], strnlen(paths[i], 4096));
    return out;
}

PathArray::PathArray(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths) {
        if (!p.empty())
            m_paths.push_back(p);
    }
    for (const std::string& p : m_paths)
        m_pointers.push_back(p.c_str());
    m_pointers.push_back(nullptr);
}

StreamUse::StreamUse(int32_t stream) : m_context(CVideoStreamMgt::Instance()->GetStream(stream))
{
    if (!m_context)
        return;
    m_context->useLock.lock_shared();
    if (m_context->closing.load() || m_context->port < 0) {
        m_context->useLock.unlock_shared();
        return;
    }
    m_held = true;
}

StreamUse::~StreamUse()
{
    if (m_held)
        m_context->useLock.unlock_shared();
}

void TakeBackCopy(const STREAM_CONTEXT& context)
{
    const std::string target = wincompat::MapPath(context.outputPath);
    if (target.empty())
        return;
    if (context.outputSizeBefore <= 0) {
        std::remove(target.c_str());
        return;
    }
    if (::truncate(target.c_str(), static_cast<off_t>(context.outputSizeBefore)) != 0)
        DebugOut("copy: %s could not be cut back\r\n", context.outputPath);
}

int32_t StopStream(int32_t stream)
{
    std::shared_ptr<STREAM_CONTEXT> context = CVideoStreamMgt::Instance()->TakeStream(stream);
    if (!context) {
        SetLastErrorCode(DVR_FILE_ERR_ORDER);
        return 0;
    }
    // The callback gives up pending input; control calls still running on
    // the port finish before it is freed, later ones find no stream.
    context->stopRequested.store(true);
    {
        std::unique_lock<std::shared_mutex> exclusive(context->useLock);
        context->closing.store(true);
    }
    const bool isCopy = context->kind == kCopyByTime || context->kind == kCopyByFile;
    // Once the stream has ended no block is left to come.
    const bool copiedAll = isCopy && HD_FILE_GetPos(stream) == HD_POS_END;
    int32_t result = HD_FILE_Stop(stream);
    if (!result)
        SetHardDiskError();
    // No callback runs from here on, so the context may go.
    if (context->port >= 0) {
        Player().Stop(context->port);
        Player().CloseStream(context->port);
        Player().FreePort(context->port);
    }
    if (isCopy) {
        const bool opened = context->outputFile != nullptr;
        if (context->outputFile) {
            if (std::fclose(context->outputFile) != 0 && context->outputError.load() == 0)
                context->outputError.store(DVR_FILE_ERR_CREATE_FILE);
            context->outputFile = nullptr;
        }
        if (opened && (!copiedAll || context->outputError.load() != 0))
            TakeBackCopy(*context);
        if (const uint32_t error = context->outputError.load()) {
            SetLastErrorCode(error);
            result = 0;
        }
    }
    return result;
}

void StopAllStreams()
{
    CVideoStreamMgt* streams = CVideoStreamMgt::Instance();
    for (int32_t stream : streams->StreamHandles())
        StopStream(stream);
}

void StopStreamsAtUnload()
{
    // Built on first use, so it goes before the library's own statics and
    // those of the hard-disk library, which the stop still needs.
    struct Reaper {
        ~Reaper() { StopAllStreams(); }
    };
    static Reaper reaper;
    (void)reaper;
}

int32_t WithChannelOffset(int32_t channel)
{
    return static_cast<int32_t>(static_cast<uint32_t>(channel) + static_cast<uint32_t>(ChannelOffset()));
}

void SetHardDiskError()
{
    SetLastErrorCode(DVR_FILE_ERR_HD_BASE + HardDiskLastError());
}

void SetPlayerError(int port)
{
    SetLastErrorCode(DVR_FILE_ERR_PLAYER_BASE + Player().GetLastError(port));
}

}  // namespace pellomir

#endif
