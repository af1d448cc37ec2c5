// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stream manager: one context per running stream (playback or copy),
// keyed by the hard-disk library's stream handle; and the tracker of the time
// range of the recordings found since the last find was closed.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "recstream/recstream.h"
#include "recstream/stream_join.h"

namespace pellomir {

enum StreamKind : uint32_t {
    kPlayByTime = 0,
    kPlayByFile = 1,
    kCopyByTime = 2,
    kCopyByFile = 3,
};

constexpr size_t kOutputPathSize = 262;
constexpr size_t kKeyTextSize = 23;

struct STREAM_CONTEXT {
    int32_t stream = -1;
    int32_t port = -1;              // player port; -1 for copies
    uintptr_t window = 0;           // window the player draws into; 0 for copies
    std::atomic<bool> opened{false};
    std::atomic<bool> stopRequested{false};  // polled by the data callback
    char outputPath[kOutputPathSize] = {};
    FILE* outputFile = nullptr;     // copies: where the bytes go until the stop
    // Copies: the output's name on this machine, and the file the copy
    // writes until it is stopped. That is a temporary file beside the output,
    // which takes the output's name only once the copy is whole; or, for a
    // copy by time onto a file that is there, that file itself, the copy
    // added at its end. A copy that fails or is stopped before its end takes
    // back what it wrote: the temporary file is removed, the file added to
    // is cut back to its size before the copy (outputSizeBefore).
    std::string targetPath;
    std::string writePath;
    bool appendInPlace = false;
    int64_t outputSizeBefore = 0;
    uint32_t kind = kPlayByTime;
    std::atomic<bool> reverse{false};
    char keyText[kKeyTextSize] = {};
    uint32_t decodeEngine = 0;

    // Set once by DVR_FILE_Stop and never cleared: the callback gives up
    // input for good, and control calls no longer touch the port.
    std::atomic<bool> closing{false};
    // Control calls hold it shared while they use the port; the stop takes it
    // exclusively to wait for them before the port is freed.
    std::shared_mutex useLock;
    // Copies: the output file did not open (7) or a write failed (25); 0 while
    // the output is sound.
    std::atomic<uint32_t> outputError{0};
    // Copies: the stream bytes the hard-disk library delivers in all (0 when
    // it does not say), those of them that went into the file, and whether
    // the end of the stream came after the last of them. What was written
    // decides whether the copy is whole.
    uint32_t copyLength = 0;
    std::atomic<uint64_t> copiedBytes{0};
    std::atomic<bool> copyEnded{false};
    // Copies: the header of the recording that starts the output; later
    // recordings are joined onto its clock.
    bool headerSeen = false;
    bool haveFirstHeader = false;
    recstream::StreamHeader firstHeader{};
    recstream::StreamJoiner joiner;

    STREAM_CONTEXT() = default;
    STREAM_CONTEXT(const STREAM_CONTEXT&) = delete;
    STREAM_CONTEXT& operator=(const STREAM_CONTEXT&) = delete;
    // Closes the output file when one is still open and takes back what
    // the copy wrote (DiscardOutput).
    ~STREAM_CONTEXT();

    // Copies: closes the output file if it is open and takes back what the
    // copy wrote into writePath.
    void DiscardOutput();
};

class CVideoStreamMgt {
public:
    // The process-wide instance, created on first use (thread-safe).
    static CVideoStreamMgt* Instance();
    // Ends the instance (at unload); closes the files of every context left
    // and takes back what their copies wrote.
    static void DestroyInstance();

    ~CVideoStreamMgt();

    // Takes ownership of `context` on success. Fails with last error 1 for a
    // null context and 33 for a stream handle already registered.
    bool AddStream(std::unique_ptr<STREAM_CONTEXT> context);
    // Closes the context's output file (taking back what a copy wrote) and
    // frees it.
    void RemoveStream(int32_t stream);
    // The context of a registered stream (shared, so it outlives a stop that
    // runs meanwhile), or null.
    std::shared_ptr<STREAM_CONTEXT> GetStream(int32_t stream);
    // Takes the context out of the map and hands it to the caller, or null
    // when the handle is not registered.
    std::shared_ptr<STREAM_CONTEXT> TakeStream(int32_t stream);
    // Every stream handle registered.
    std::vector<int32_t> StreamHandles();
    bool GetStreamPort(int32_t stream, int32_t* port, uintptr_t* window);
    bool GetStreamKind(int32_t stream, uint32_t* kind);
    bool GetStreamReverse(int32_t stream, bool* reverse);
    void SetStreamStop(int32_t stream, bool stop);
    void SetStreamReverse(int32_t stream, bool reverse);

private:
    CVideoStreamMgt() = default;
    static void CloseContext(STREAM_CONTEXT& context);

    std::mutex m_lock;
    std::map<int32_t, std::shared_ptr<STREAM_CONTEXT>> m_streams;
};

// Earliest start and latest end (seconds as TimeFromText14 gives them, 0 =
// none) of the recordings found since the last reset.
class CRecordTimeRange {
public:
    static CRecordTimeRange* Instance();
    static void DestroyInstance();

    void Add(const char* startText, const char* stopText);
    void Reset();
    // False when either end is still none.
    bool Get(int32_t* earliest, int32_t* latest);

private:
    CRecordTimeRange() = default;

    std::mutex m_lock;
    int32_t m_earliest = 0;
    int32_t m_latest = 0;
};

}  // namespace pellomir
