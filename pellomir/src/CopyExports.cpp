// SPDX-License-Identifier: GPL-3.0-or-later
// Exports that copy a recording, or a channel's time span, into a file.
#if defined(PELLOMIR_HAVE_MERROWFEN) && defined(PELLOMIR_HAVE_VINTREL)

#include <cstring>
#include <memory>

#include "Frame.h"
#include "PlayContext.h"
#include "VideoStreamMgt.h"
#include "merrowfen.h"
#include "pellomir/Pellomir.h"

namespace pellomir {
namespace {

// Opens a copy: `open` asks the hard-disk library for the stream (with no
// callback yet) and gives its handle. The output is opened once the stream
// exists, so a copy that cannot start leaves no file behind: a copy by file
// writes a temporary file beside the output, which takes the output's name
// when the copy is whole; a copy by time is added at the end of a file that
// is there (or, when there is none, goes through a temporary file too). A
// file that does not open does not stop the copy, but the copy then reports
// it (DVR_FILE_GetPos, DVR_FILE_Stop).
template <typename Open>
int32_t StartCopy(const char* outputPath, uint32_t kind, Open&& open)
{
    if (!outputPath || strnlen(outputPath, kOutputPathSize) > DVR_FILE_MAX_OUTPUT_PATH) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return -1;
    }
    auto context = std::make_unique<STREAM_CONTEXT>();
    context->port = -1;
    context->window = 0;
    std::strncpy(context->outputPath, outputPath, kOutputPathSize - 1);
    const int stream = open(context.get());
    if (stream < 0) {
        SetHardDiskError();
        return -1;
    }
    context->stream = stream;
    context->kind = kind;
    // The stream bytes that make the copy whole.
    uint32_t position = 0;
    uint32_t length = 0;
    if (HD_FILE_GetFileLength(stream, &position, &length) == 0)
        context->copyLength = length;
    // A copy by file holds the recording once: it replaces a file of that
    // path. A copy by time is added at the end of what the file holds.
    OpenCopyOutput(*context, kind == kCopyByTime);
    CVideoStreamMgt* streams = CVideoStreamMgt::Instance();
    StopStreamsAtUnload();
    if (!streams->AddStream(std::move(context))) {
        HD_FILE_Stop(stream);  // the context went with the refusal, and took back its file
        return -1;
    }
    if (!HD_FILE_SetGetStreamCallBack(stream, &CopyDataCallback)) {
        SetHardDiskError();
        const uint32_t error = LastErrorCode();
        HD_FILE_Stop(stream);
        streams->RemoveStream(stream);
        SetLastErrorCode(error);
        return -1;
    }
    return stream;
}

}  // namespace
}  // namespace pellomir

using namespace pellomir;

extern "C" {

int32_t DVR_FILE_CopyFile(const char* file, const char* outputPath)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        return StartCopy(outputPath, kCopyByFile, [&](STREAM_CONTEXT* context) {
            return HD_FILE_GetStreamByFile(file, kModeCopy, 0, nullptr, context);
        });
    });
}

int32_t DVR_FILE_CopyFileByTimeEx(const char* const* drivePaths, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                  int32_t channel, const char* outputPath)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!drivePaths || !start || !end) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        const PathArray paths(PathsFromArray(drivePaths, DVR_FILE_MAX_COPY_DRIVES));
        return StartCopy(outputPath, kCopyByTime, [&](STREAM_CONTEXT* context) {
            return HD_FILE_GetStreamByTime(paths.Get(), reinterpret_cast<const HD_FILE_TIME*>(start),
                                           reinterpret_cast<const HD_FILE_TIME*>(end), WithChannelOffset(channel),
                                           kModeCopy, nullptr, context);
        });
    });
}

int32_t DVR_FILE_CopyFileByTime(const char* driveLetters, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                int32_t channel, const char* outputPath)
{
    return Guarded<int32_t>(-1, [&]() -> int32_t {
        if (!driveLetters) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return -1;
        }
        const PathArray paths(PathsFromLetters(driveLetters, DVR_FILE_MAX_COPY_DRIVES));
        return DVR_FILE_CopyFileByTimeEx(paths.Get(), start, end, channel, outputPath);
    });
}

}  // extern "C"

#endif
