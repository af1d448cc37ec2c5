// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayContext.h"

#if defined(PELLOMIR_HAVE_MERROWFEN) && defined(PELLOMIR_HAVE_VINTREL)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
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
#include "savefile/savefile.h"
#include "vintrel.h"
#include "wincompat/drives.h"

namespace pellomir {
namespace {

std::atomic<CopyBlockHook> g_copyBlockHook{nullptr};

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

// Writes bytes into the copy's file. After a failed write the file has a
// gap: nothing more goes in.
bool WriteOut(STREAM_CONTEXT& context, const uint8_t* data, size_t size)
{
    if (!context.outputFile || context.outputError.load() != 0)
        return false;
    if (size != 0 && std::fwrite(data, size, 1, context.outputFile) != 1) {
        context.outputError.store(DVR_FILE_ERR_CREATE_FILE);
        DebugOut("Exception: g_pFunAppendToFile failed!\r\n");
        return false;
    }
    return true;
}

// Hands out what the joiner still holds of the recording it joins on.
bool FinishJoin(STREAM_CONTEXT& context)
{
    if (!context.joiner.Active())
        return true;
    return context.joiner.Finish([&](const uint8_t* d, size_t n) { return WriteOut(context, d, n); });
}

// A recording's header: the first one starts the file; a later one joins
// its recording onto the first one's clock, or, when it cannot be moved,
// goes into the file as it came.
void CopyHeader(STREAM_CONTEXT& context, const unsigned char* data, int length)
{
    if (!FinishJoin(context))
        return;
    recstream::StreamHeader next{};
    const bool parsed = recstream::ParseHeader(data, static_cast<size_t>(length), &next);
    if (!context.headerSeen) {
        context.headerSeen = true;
        context.haveFirstHeader = parsed;
        context.firstHeader = next;
    } else if (context.haveFirstHeader && parsed && context.joiner.Begin(context.firstHeader, next, std::string())) {
        return;
    } else {
        DebugOut("copy: a recording keeps its own header\r\n");
    }
    AppendToFile(context, data, length);
}

void CopyBlock(STREAM_CONTEXT& context, int dataType, const unsigned char* data, int length)
{
    if (dataType == HD_DATA_HEADER && data && length > 0) {
        CopyHeader(context, data, length);
        return;
    }
    if (dataType != HD_DATA_STREAM) {
        AppendToFile(context, data, length);
        return;
    }
    if (!data) {
        AppendToFile(context, data, length);
        // The end of the stream: every block came before it.
        if (length == -1 && FinishJoin(context))
            context.copyEnded.store(true);
        return;
    }
    if (length <= 0)
        return;
    const bool written =
        context.joiner.Active()
            ? context.joiner.Feed(data, static_cast<size_t>(length),
                                  [&](const uint8_t* d, size_t n) { return WriteOut(context, d, n); })
            : AppendToFile(context, data, length);
    if (written)
        context.copiedBytes.fetch_add(static_cast<uint64_t>(length));
}

// A new file beside `target` to write until it is whole: "<target>.part",
// or a numbered name when that is taken.
FILE* OpenTemporaryBeside(const std::string& target, std::string* path)
{
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = attempt == 0 ? ".part" : "." + std::to_string(attempt) + ".part";
        std::string candidate = target + suffix;
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == ENAMETOOLONG) {
            // A name at the length limit: a short one in the same folder.
            candidate = folder + "copy" + std::to_string(::getpid()) + suffix;
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        }
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        FILE* file = ::fdopen(fd, "wb");
        if (!file) {
            ::close(fd);
            std::remove(candidate.c_str());
            return nullptr;
        }
        *path = candidate;
        return file;
    }
    return nullptr;
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

void CopyDataCallback(int handle, int dataType, unsigned char* data, int length, void* user)
{
    if (auto* context = static_cast<STREAM_CONTEXT*>(user)) {
        try {
            CopyBlock(*context, dataType, data, length);
        } catch (...) {
            context->outputError.store(DVR_FILE_ERR_CREATE_FILE);
            DebugOut("Exception: g_pFunAppendToFile failed!\r\n");
        }
    }
    if (const CopyBlockHook hook = g_copyBlockHook.load())
        hook(handle, dataType, length);
}

void SetCopyBlockHook(CopyBlockHook hook)
{
    g_copyBlockHook.store(hook);
}

bool AppendToFile(STREAM_CONTEXT& context, const unsigned char* data, int length)
{
    if (!data) {
        DebugOut("g_pFunAppendToFile: pContent == NULL!\r\n");
        return false;
    }
    if (length <= 0)
        return false;
    return WriteOut(context, data, static_cast<size_t>(length));
}

FILE* OpenReplacementBeside(const std::string& target, std::string* path)
{
    struct stat st;
    const bool there = ::stat(target.c_str(), &st) == 0;
    // Not a file the caller may replace.
    if (there && (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0))
        return nullptr;
    return OpenTemporaryBeside(target, path);
}

bool CloseOutputFile(FILE* file)
{
    bool ok = std::fflush(file) == 0;
    // On the disk before it is reported, through the descriptor that wrote
    // it (which is told of a write that failed on its way from the cache).
    if (ok && !savefile::SyncFile(fileno(file)))
        ok = false;
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

bool PutInPlace(const std::string& path, const std::string& target)
{
    // The new name goes to the disk too. Where it cannot be made sure of,
    // the new file is still the whole one asked for: it stays, and the call
    // reports the failure.
    return savefile::Replace(path, target);
}

void OpenCopyOutput(STREAM_CONTEXT& context, bool mayAppend)
{
    context.targetPath = wincompat::MapPath(context.outputPath);
    const std::string& target = context.targetPath;
    struct stat st;
    const bool there = !target.empty() && ::stat(target.c_str(), &st) == 0;
    if (target.empty()) {
        // no such drive
    } else if (there && mayAppend) {
        // Added at the end of the file that is there.
        context.outputFile = std::fopen(target.c_str(), "ab");
        if (context.outputFile) {
            context.appendInPlace = true;
            context.writePath = target;
            if (std::fseek(context.outputFile, 0, SEEK_END) == 0)
                context.outputSizeBefore = std::max<int64_t>(0, ftello(context.outputFile));
        }
    } else {
        context.outputFile = OpenReplacementBeside(target, &context.writePath);
    }
    if (!context.outputFile) {
        DebugOut("copy: output file %s does not open\r\n", context.outputPath);
        context.outputError.store(DVR_FILE_ERR_OPEN);
    }
}

bool CopyComplete(const STREAM_CONTEXT& context)
{
    if (context.outputError.load() != 0)
        return false;
    if (context.copyEnded.load())
        return true;
    // A length the hard-disk library could not give in full says nothing.
    return context.copyLength != 0 && context.copyLength != UINT32_MAX &&
           context.copiedBytes.load() >= context.copyLength;
}

int32_t CopiedPercent(const STREAM_CONTEXT& context, uint32_t length)
{
    if (CopyComplete(context))
        return 100;
    if (length == 0)
        return 0;
    const double share = static_cast<double>(context.copiedBytes.load()) * 100.0 / length;
    return static_cast<int32_t>(std::min(99.0, share));
}

uint32_t FinishCopyOutput(STREAM_CONTEXT& context)
{
    if (!context.outputFile)
        return context.outputError.load();
    // The bytes of the last recording that the joiner still holds.
    FinishJoin(context);
    const bool whole = CopyComplete(context);
    if (!CloseOutputFile(context.outputFile) && context.outputError.load() == 0)
        context.outputError.store(DVR_FILE_ERR_CREATE_FILE);
    context.outputFile = nullptr;
    if (whole && context.outputError.load() == 0) {
        if (context.appendInPlace || PutInPlace(context.writePath, context.targetPath)) {
            context.writePath.clear();
            return 0;
        }
        DebugOut("copy: %s could not take its name\r\n", context.outputPath);
        context.outputError.store(DVR_FILE_ERR_CREATE_FILE);
    }
    context.DiscardOutput();
    return context.outputError.load();
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
    int32_t result = HD_FILE_Stop(stream);
    if (!result)
        SetHardDiskError();
    // No callback runs from here on, so the context may go.
    if (context->port >= 0) {
        Player().Stop(context->port);
        Player().CloseStream(context->port);
        Player().FreePort(context->port);
    }
    // Whether a copy is whole is read from what went into its file.
    if (isCopy) {
        if (const uint32_t error = FinishCopyOutput(*context)) {
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
