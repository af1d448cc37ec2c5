// SPDX-License-Identifier: GPL-3.0-or-later
// Exports of the recording and log searches, playback and playback control.
#if defined(PELLOMIR_HAVE_MERROWFEN) && defined(PELLOMIR_HAVE_VINTREL)

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "Frame.h"
#include "PlayContext.h"
#include "PlayerLib.h"
#include "TimeConv.h"
#include "VideoStreamMgt.h"
#include "merrowfen.h"
#include "pellomir/Pellomir.h"
#include "vintrel.h"
#include "wincompat/drives.h"

static_assert(sizeof(DVR_FILE_TIME) == sizeof(HD_FILE_TIME), "both date-times are six 32-bit fields");
static_assert(sizeof(HD_FIND_FILE_RECORD) == DVR_FILE_FIND_RECORD_SIZE, "recording record size");
static_assert(sizeof(HD_LOG_RECORD) == DVR_FILE_LOG_RECORD_SIZE, "log record size");

namespace pellomir {
namespace {

const HD_FILE_TIME* HdTime(const DVR_FILE_TIME* time)
{
    return reinterpret_cast<const HD_FILE_TIME*>(time);
}

// Caller's recording type to the hard-disk library's.
int MapFileType(int32_t type)
{
    switch (type) {
    case 0: return 4;
    case 1: return 1;
    case 2: return 2;
    case 3: return 10;
    case 4: return 11;
    case 5: return 7;
    case 6: return 3;
    case 7: return 8;
    case 8: return 9;
    case 49: return 5;
    case 65: return 6;
    default: return 0;
    }
}

bool ValidPacked(uint32_t packed)
{
    return packed != 0 && packed != 0xFFFFFFFFu;
}

// Registers a playback stream that the hard-disk library has just opened
// (with no callback yet, so nothing is delivered before the context is in
// place) and starts its delivery.
int32_t RegisterPlayback(std::unique_ptr<STREAM_CONTEXT> context, int32_t stream, uint32_t kind, bool reverse)
{
    context->stream = stream;
    context->kind = kind;
    int port = -1;
    if (!Player().GetPort(&port) || port < 0) {
        HD_FILE_Stop(stream);
        SetLastErrorCode(DVR_FILE_ERR_NO_PORT);
        return -1;
    }
    context->port = port;
    CVideoStreamMgt* streams = CVideoStreamMgt::Instance();
    StopStreamsAtUnload();
    if (!streams->AddStream(std::move(context))) {
        HD_FILE_Stop(stream);
        Player().FreePort(port);
        return -1;
    }
    if (reverse) {
        // A fresh stream stands at its start, from where there is nothing
        // to go back to: start from its last second.
        HD_FILE_TIME first{};
        HD_FILE_TIME last{};
        if (HD_FILE_GetPlayTimeRange(stream, &first, &last) < 0)
            last = HD_FILE_TIME{0, 0, 0, 0, 0, 0};
        HD_FILE_SetStreamReversePlay(stream, 1, last.year, last.month, last.day, last.hour, last.minute, last.second, 0);
        streams->SetStreamReverse(stream, true);
    }
    if (!HD_FILE_SetGetStreamCallBack(stream, &PlayDataCallback)) {
        SetHardDiskError();
        const uint32_t error = LastErrorCode();
        HD_FILE_Stop(stream);
        Player().FreePort(port);
        streams->RemoveStream(stream);
        SetLastErrorCode(error);
        return -1;
    }
    return stream;
}

// Opens a by-file playback (forwards, or backwards from the end).
int32_t PlayByFile(const char* file, void* window, const char* key, uint32_t decodeEngine, bool reverse)
{
    if (!file && !window) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return -1;
    }
    if (key && strnlen(key, DVR_FILE_MAX_KEY_LEN + 1) > DVR_FILE_MAX_KEY_LEN) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return -1;
    }
    if (!LoadPlayer())
        return -1;
    auto context = std::make_unique<STREAM_CONTEXT>();
    context->window = reinterpret_cast<uintptr_t>(window);
    context->decodeEngine = decodeEngine;
    if (key)
        std::strncpy(context->keyText, key, kKeyTextSize - 1);
    const int stream = HD_FILE_GetStreamByFile(file, reverse ? kModePlay : kModeCopy, 0, nullptr, context.get());
    if (stream < 0) {
        SetHardDiskError();
        return -1;
    }
    return RegisterPlayback(std::move(context), stream, kPlayByFile, reverse);
}

// Runs `call` on the stream's player port: 0 with last error 2 without one,
// 300 + the player's error when the call fails.
template <typename F>
int32_t OnPort(int32_t stream, F&& call)
{
    StreamUse use(stream);
    if (!use) {
        SetLastErrorCode(DVR_FILE_ERR_ORDER);
        return 0;
    }
    const int32_t result = call(use.Port());
    if (!result)
        SetPlayerError(use.Port());
    return result;
}

// The find-next of both record forms.
int32_t FindNext(int32_t findHandle, void* record, int (*next)(int, HD_FIND_FILE_RECORD*))
{
    if (!record) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return 0;
    }
    auto* found = static_cast<HD_FIND_FILE_RECORD*>(record);
    const int result = next(findHandle, found);
    if (result)
        CRecordTimeRange::Instance()->Add(found->startTime, found->stopTime);
    else
        SetHardDiskError();
    return result;
}

}  // namespace
}  // namespace pellomir

using namespace pellomir;

extern "C" {

// ---- recording search ----------------------------------------------------

int32_t DVR_FILE_FindFileEx(const char* drivePath, int32_t channel, int32_t type, int32_t, const DVR_FILE_TIME* start,
                            const DVR_FILE_TIME* end)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!drivePath || !*drivePath) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        const int handle =
            HD_FILE_FindFile(drivePath, WithChannelOffset(channel), MapFileType(type), HdTime(start), HdTime(end));
        if (handle < 0)
            SetHardDiskError();
        return handle;
    });
}

int32_t DVR_FILE_FindFile(char driveLetter, int32_t channel, int32_t type, int32_t reserved,
                          const DVR_FILE_TIME* start, const DVR_FILE_TIME* end)
{
    const char path[3] = {driveLetter, ':', '\0'};
    return DVR_FILE_FindFileEx(path, channel, type, reserved, start, end);
}

int32_t DVR_FILE_FindNextFile(int32_t findHandle, void* record)
{
    return Guarded<int32_t>(0, [&] { return FindNext(findHandle, record, &HD_FILE_FindNextFile); });
}

int32_t DVR_FILE_FindNextFileKEL(int32_t findHandle, void* record)
{
    return Guarded<int32_t>(0, [&] { return FindNext(findHandle, record, &HD_FILE_FindNextFileKEL); });
}

int32_t DVR_FILE_FindClose(int32_t findHandle)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        const int result = HD_FILE_FindClose(findHandle);
        if (!result)
            SetHardDiskError();
        CRecordTimeRange::Instance()->Reset();
        return result;
    });
}

int32_t DVR_FILE_GetRecordFileTimeZone(int32_t* earliest, int32_t* latest)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        if (!earliest || !latest) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }
        if (!CRecordTimeRange::Instance()->Get(earliest, latest)) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        return 1;
    });
}

// ---- playback --------------------------------------------------------------

int32_t DVR_FILE_Play(const char* file, void* window, const char* key, uint32_t decodeEngine)
{
    return Guarded<int32_t>(-1, [&] { return PlayByFile(file, window, key, decodeEngine, false); });
}

int32_t DVR_FILE_ReversePlay(const char* file, void* window)
{
    return Guarded<int32_t>(-1, [&] { return PlayByFile(file, window, nullptr, 0, true); });
}

int32_t DVR_FILE_PlayFileByTimeEx(const char* const* drivePaths, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                  int32_t channel, void* window)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!drivePaths || !start || !end) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        if (!LoadPlayer())
            return -1;
        const PathArray paths(PathsFromArray(drivePaths, DVR_FILE_MAX_PLAY_DRIVES));
        auto context = std::make_unique<STREAM_CONTEXT>();
        context->window = reinterpret_cast<uintptr_t>(window);
        const int stream = HD_FILE_GetStreamByTime(paths.Get(), HdTime(start), HdTime(end), WithChannelOffset(channel),
                                                   kModePlay, nullptr, context.get());
        if (stream < 0) {
            SetHardDiskError();
            return -1;
        }
        return RegisterPlayback(std::move(context), stream, kPlayByTime, false);
    });
}

int32_t DVR_FILE_PlayFileByTime(const char* driveLetters, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                int32_t channel, void* window)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!driveLetters) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        const PathArray paths(PathsFromLetters(driveLetters, DVR_FILE_MAX_PLAY_DRIVES));
        return DVR_FILE_PlayFileByTimeEx(paths.Get(), start, end, channel, window);
    });
}

int32_t DVR_FILE_Stop(int32_t stream)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        DVR_FILE_Pause(stream, 0);
        return StopStream(stream);
    });
}

// ---- playback control --------------------------------------------------------

int32_t DVR_FILE_Pause(int32_t stream, uint32_t pause)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, [&](int port) { return Player().Pause(port, pause); }); });
}

int32_t DVR_FILE_Fast(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().Fast); });
}

int32_t DVR_FILE_Slow(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().Slow); });
}

int32_t DVR_FILE_OneByOne(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().OneByOne); });
}

int32_t DVR_FILE_OneByOneBack(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().OneByOneBack); });
}

int32_t DVR_FILE_RefreshPlay(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().RefreshPlay); });
}

int32_t DVR_FILE_PlaySound(int32_t stream)
{
    return Guarded<int32_t>(0, [&] { return OnPort(stream, Player().PlaySound); });
}

int32_t DVR_FILE_CloseSound(void)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        // A player that was never loaded has no sound to stop.
        if (!PlayerLoaded() && !PlayerInProcess())
            return 1;
        const PlayerCalls* player = LoadPlayer();
        if (!player)
            return 0;
        const int result = player->StopSound();
        if (!result)
            SetLastErrorCode(DVR_FILE_ERR_UNKNOWN);
        return result;
    });
}

int32_t DVR_FILE_SetVolume(int32_t stream, uint32_t volume)
{
    return Guarded<int32_t>(0, [&] {
        return OnPort(stream, [&](int port) { return Player().SetVolume(port, static_cast<uint16_t>(volume)); });
    });
}

int32_t DVR_FILE_ThrowBFrame(int32_t stream, uint32_t count)
{
    return Guarded<int32_t>(0, [&] {
        return OnPort(stream, [&](int port) { return Player().ThrowBFrameNum(port, count); });
    });
}

int32_t DVR_FILE_SetVideoPara(int32_t stream, int32_t brightness, int32_t contrast, int32_t saturation, int32_t hue)
{
    return Guarded<int32_t>(0, [&] {
        return OnPort(stream,
                      [&](int port) { return Player().SetColor(port, 0, brightness, contrast, saturation, hue); });
    });
}

int32_t DVR_FILE_GetVideoPara(int32_t stream, int32_t* brightness, int32_t* contrast, int32_t* saturation,
                              int32_t* hue)
{
    return Guarded<int32_t>(0, [&] {
        return OnPort(stream,
                      [&](int port) { return Player().GetColor(port, 0, brightness, contrast, saturation, hue); });
    });
}

int32_t DVR_FILE_GetPictureSize(int32_t stream, int32_t* width, int32_t* height)
{
    return Guarded<int32_t>(0, [&] {
        return OnPort(stream, [&](int port) { return Player().GetPictureSize(port, width, height); });
    });
}

int32_t DVR_FILE_RigisterDrawFun(int32_t stream, DVR_FILE_DRAW_CALLBACK callback, void* user)
{
    return Guarded<int32_t>(0, [&] {
        // Same arguments: (port, painter, user).
        const auto draw = reinterpret_cast<OSTRUM_DRAW_CB>(reinterpret_cast<void (*)(void)>(callback));
        return OnPort(stream, [&](int port) { return Player().RigisterDrawFun(port, draw, user); });
    });
}

int32_t DVR_FILE_SetPrivateDataCallBack(int32_t stream, DVR_FILE_PRIVATE_DATA_CALLBACK callback, void* user)
{
    return Guarded<int32_t>(0, [&] {
        // Same arguments: (port, the player's addition-data record, user).
        const auto data = reinterpret_cast<OSTRUM_ADDITION_DATA_CB>(reinterpret_cast<void (*)(void)>(callback));
        return OnPort(stream, [&](int port) {
            return Player().SetAdditionDataCallBack(port, OSTRUM_ADDITION_VEHICLE, data, user);
        });
    });
}

int32_t DVR_FILE_SetPos(int32_t stream, int32_t position)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        Player().ResetSourceBuffer(use.Port());
        HD_FILE_GetStreamPause(stream, 1);
        const int result = HD_FILE_SetPos(stream, position);
        if (!result)
            SetHardDiskError();
        HD_FILE_GetStreamPause(stream, 0);
        return result;
    });
}

int32_t DVR_FILE_SetPosByTime(int32_t stream, const DVR_FILE_TIME* time)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        STREAM_CONTEXT& context = use.Context();
        context.stopRequested.store(true);
        Player().ResetSourceBuffer(use.Port());
        HD_FILE_GetStreamPause(stream, 1);
        const int result = HD_FILE_SetPosByTime(stream, HdTime(time));
        if (!result)
            SetHardDiskError();
        context.stopRequested.store(false);
        HD_FILE_GetStreamPause(stream, 0);
        return result;
    });
}

int32_t DVR_FILE_NormalPlay(int32_t stream)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        STREAM_CONTEXT& context = use.Context();
        const int port = use.Port();
        int result = 0;
        if (!context.reverse.load()) {
            result = Player().Play(port, use.Window());
        } else {
            const uint32_t shown = Player().GetSpecialData(port);
            if (!ValidPacked(shown)) {
                SetLastErrorCode(DVR_FILE_ERR_ORDER);
                return 0;
            }
            const DVR_FILE_TIME t = PackedToDvrTime(shown);
            context.stopRequested.store(true);
            HD_FILE_GetStreamPause(stream, 1);
            if (!HD_FILE_SetStreamReversePlay(stream, 0, t.year, t.month, t.day, t.hour, t.minute, t.second, 1)) {
                // The library still delivers backwards: leave the player so.
                SetHardDiskError();
                context.stopRequested.store(false);
                HD_FILE_GetStreamPause(stream, 0);
                return 0;
            }
            DebugOut("Ostrum_ResetSourceBuffer \n");
            Player().ResetBuffer(port, OSTRUM_BUF_SOURCE);
            Player().ResetBuffer(port, OSTRUM_BUF_VIDEO);
            result = Player().Play(port, use.Window());
            context.stopRequested.store(false);
            HD_FILE_GetStreamPause(stream, 0);
            context.reverse.store(false);
        }
        if (!result)
            SetPlayerError(port);
        return result;
    });
}

int32_t DVR_FILE_Reverse(int32_t stream, int32_t flag)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        DebugOut("DVR_FILE_Reverse\n");
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        STREAM_CONTEXT& context = use.Context();
        const int port = use.Port();
        if (context.kind != kPlayByFile) {
            SetLastErrorCode(DVR_FILE_ERR_PLAY_FILE_ONLY);
            return 0;
        }
        int result = 0;
        if (context.reverse.load()) {
            result = Player().ReversePlay(port);
        } else {
            auto release = [&] {
                context.stopRequested.store(false);
                HD_FILE_GetStreamPause(stream, 0);
            };
            context.stopRequested.store(true);
            HD_FILE_GetStreamPause(stream, 1);
            DVR_FILE_TIME t = {0, 0, 0, 0, 0, 0};
            if (flag == 1) {
                const uint32_t shown = Player().GetSpecialData(port);
                if (!ValidPacked(shown)) {
                    SetPlayerError(port);
                    release();
                    return 0;
                }
                t = PackedToDvrTime(shown);
            }
            Player().ResetSourceBuffer(port);
            for (uint32_t kind = OSTRUM_BUF_SOURCE; kind <= OSTRUM_BUF_ALL; ++kind)
                Player().ResetBuffer(port, kind);
            if (!HD_FILE_SetStreamReversePlay(stream, 1, t.year, t.month, t.day, t.hour, t.minute, t.second, flag)) {
                SetHardDiskError();
                release();
                return 0;
            }
            result = Player().ReversePlay(port);
            release();
            context.reverse.store(true);
        }
        if (!result)
            SetPlayerError(port);
        return result;
    });
}

int32_t DVR_FILE_CapturePicture(int32_t stream, const char* path)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        if (stream < 0 || !path) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return 0;
        }
        std::vector<uint8_t> buffer(kSnapshotBufferSize);
        uint32_t size = 0;
        if (!Player().GetJPEG(use.Port(), buffer.data(), kSnapshotBufferSize, &size)) {
            SetPlayerError(use.Port());
            return 0;
        }
        if (size > kSnapshotBufferSize)
            size = kSnapshotBufferSize;
        // Written beside the file it replaces, which stays as it was until
        // the new one is whole (a full disk leaves it untouched).
        const std::string target = wincompat::MapPath(path);
        std::string part;
        FILE* file = target.empty() ? nullptr : OpenReplacementBeside(target, &part);
        if (!file) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            return 0;
        }
        bool written = std::fwrite(buffer.data(), 1, size, file) == size;
        if (!CloseOutputFile(file))
            written = false;
        if (!written || !PutInPlace(part, target)) {
            DebugOut("%s\r\n", std::strerror(errno));
            ::unlink(part.c_str());
            SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
            return 0;
        }
        return 1;
    });
}

int32_t DVR_FILE_GetVintrelPort(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        std::shared_ptr<STREAM_CONTEXT> context = CVideoStreamMgt::Instance()->GetStream(stream);
        return context && context->port >= 0 ? context->port : -1;
    });
}

// ---- playback state ----------------------------------------------------------

int32_t DVR_FILE_GetPlayState(int32_t stream)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        std::shared_ptr<STREAM_CONTEXT> context = CVideoStreamMgt::Instance()->GetStream(stream);
        return context && context->port >= 0 ? 1 : 0;
    });
}

int32_t DVR_FILE_GetPos(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        std::shared_ptr<STREAM_CONTEXT> context = CVideoStreamMgt::Instance()->GetStream(stream);
        const bool isCopy = context && (context->kind == kCopyByTime || context->kind == kCopyByFile);
        // A copy whose file cannot take the data is not making progress.
        if (context && context->outputError.load() != 0) {
            SetLastErrorCode(context->outputError.load());
            return -1;
        }
        const int position = HD_FILE_GetPos(stream);
        if (position == HD_POS_ERROR) {
            DebugOut("HD_FILE_GetPos 200 \n");
            SetHardDiskError();
            return -1;
        }
        // A copy is at 100 when its file holds the whole stream, and only
        // then: the hard-disk library counts a block as delivered before it
        // is written, and marks the end later still.
        if (isCopy && CopyComplete(*context))
            return 100;
        if (position == 0)
            return 0;
        uint32_t current = 0;
        uint32_t length = 0;
        if (HD_FILE_GetFileLength(stream, &current, &length) == -1 || length == 0)
            return isCopy ? std::min(position, 99) : position;
        if (isCopy) {
            // A copy's remainder: bytes delivered but not yet in its file.
            const uint64_t copied = context->copiedBytes.load();
            const uint32_t remain = current > copied ? static_cast<uint32_t>(current - copied) : 0;
            const int32_t result = CopiedPercent(*context, length);
            DebugOut("HD_FILE_GetPos [%d] lcurpos[%32u] iBufRemain[%32u]  error[%u]\n", result, current, remain,
                     context->outputError.load());
            return result;
        }
        // Bytes handed to the player but not played yet do not count.
        const int port = context ? context->port : -1;
        const uint32_t remain = port >= 0 ? Player().GetSourceBufferRemain(port) : 0;
        int32_t result = position;
        if (current >= remain)
            result = static_cast<int32_t>(static_cast<double>(current - remain) * 100.0 / length);
        DebugOut("HD_FILE_GetPos [%d] lcurpos[%32u] iBufRemain[%32u]  error[%u]\n", result, current, remain,
                 port >= 0 ? Player().GetLastError(port) : 0u);
        return result;
    });
}

int32_t DVR_FILE_GetTotalTime(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return -1;
        }
        const int seconds = HD_FILE_GetTotalTime(stream);
        if (seconds == -1)
            SetHardDiskError();
        return seconds;
    });
}

int32_t DVR_FILE_GetTotalFrames(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return -1;
        }
        const int frames = HD_FILE_GetTotalFrame(stream);
        if (frames == -1)
            SetHardDiskError();
        return frames;
    });
}

int32_t DVR_FILE_GetCurrentFrameNum(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return -1;
        }
        const uint32_t frame = Player().GetCurrentFrameNum(use.Port());
        if (frame == 0 || frame == 0xFFFFFFFFu)
            SetPlayerError(use.Port());
        return static_cast<int32_t>(frame);
    });
}

int32_t DVR_FILE_GetPlayedTime(int32_t stream)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        StreamUse use(stream);
        if (!use) {
            SetLastErrorCode(DVR_FILE_ERR_ORDER);
            return -1;
        }
        HD_FILE_TIME first{};
        HD_FILE_TIME last{};
        if (HD_FILE_GetPlayTimeRange(stream, &first, &last) < 0) {
            SetHardDiskError();
            return -1;
        }
        const uint32_t shown = Player().GetSpecialData(use.Port());
        if (!ValidPacked(shown)) {
            SetPlayerError(use.Port());
            return -1;
        }
        // Both are readings of the recorder's clock: count the seconds
        // between them without any zone (no daylight-saving jump).
        const DVR_FILE_TIME start{first.year, first.month, first.day, first.hour, first.minute, first.second};
        return DvrTimeToSeconds(PackedToDvrTime(shown)) - DvrTimeToSeconds(start) + 1;
    });
}

int32_t DVR_FILE_GetOsdTime(int32_t stream, DVR_FILE_TIME* time)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        if (!time) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }
        return OnPort(stream, [&](int port) -> int32_t {
            const uint32_t shown = Player().GetSpecialData(port);
            if (!ValidPacked(shown))
                return 0;
            *time = PackedToDvrTime(shown);
            return 1;
        });
    });
}

// ---- device logs -------------------------------------------------------------

int32_t DVR_FILE_FindLogEx(const char* drivePath, int32_t type, int32_t major, int32_t minor,
                           const DVR_FILE_TIME* start, const DVR_FILE_TIME* end)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!drivePath || !*drivePath) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        const int handle = HD_FILE_FindLog(drivePath, type & 0xFF, major, minor, HdTime(start), HdTime(end));
        if (handle < 0)
            SetHardDiskError();
        return handle;
    });
}

int32_t DVR_FILE_FindLog(char driveLetter, int32_t type, int32_t major, int32_t minor, const DVR_FILE_TIME* start,
                         const DVR_FILE_TIME* end)
{
    const char path[3] = {driveLetter, ':', '\0'};
    return DVR_FILE_FindLogEx(path, type, major, minor, start, end);
}

int32_t DVR_FILE_FindNextLog(int32_t findHandle, void* record)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        if (!record) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }
        const int result = HD_FILE_FindNextLog(findHandle, static_cast<HD_LOG_RECORD*>(record));
        if (!result)
            SetHardDiskError();
        return result;
    });
}

int32_t DVR_FILE_FindLogClose(int32_t findHandle)
{
    return Guarded<int32_t>(0, [&]() -> int32_t {
        const int result = HD_FILE_FindLogClose(findHandle);
        if (!result)
            SetHardDiskError();
        return result;
    });
}

}  // extern "C"

#endif
