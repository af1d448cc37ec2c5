// Exports that copy a recording, or a channel's time span, into a file.
#if defined(PELLOMIR_HAVE_MERROWFEN) && defined(PELLOMIR_HAVE_VINTREL)

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Frame.h"
#include "PlayContext.h"
#include "VideoStreamMgt.h"
#include "merrowfen.h"
#include "pellomir/Pellomir.h"
#include "wincompat/drives.h"

namespace pellomir {
namespace {

// Opens a copy: `open` asks the hard-disk library for the stream (with no
// callback yet) and gives its handle. The output file is opened for
// appending once the stream exists, so a copy that cannot start leaves no
// empty file behind. A file that does not open does not stop the copy, but
// the copy then reports it (DVR_FILE_GetPos, DVR_FILE_Stop).
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
    const std::string target = wincompat::MapPath(context->outputPath);
    // A copy by file holds the recording once: it replaces a file of that
    // path. A copy by time is added at the end of what the file holds.
    context->outputFile = target.empty() ? nullptr : std::fopen(target.c_str(), kind == kCopyByFile ? "wb" : "ab");
    if (context->outputFile && std::fseek(context->outputFile, 0, SEEK_END) == 0)
        context->outputSizeBefore = std::max<int64_t>(0, ftello(context->outputFile));
    if (!context->outputFile) {
        DebugOut("copy: output file %s does not open\r\n", context->outputPath);
        context->outputError.store(DVR_FILE_ERR_OPEN);
    }
    CVideoStreamMgt* streams = CVideoStreamMgt::Instance();
    StopStreamsAtUnload();
    if (!streams->AddStream(std::move(context))) {
        HD_FILE_Stop(stream);  // the context (and its file) went with the refusal
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
