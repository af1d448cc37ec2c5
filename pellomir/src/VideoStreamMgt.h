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
#include <vector>

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
    FILE* outputFile = nullptr;     // copies: opened for appending
    // Copies: the output's size before the copy wrote to it. A copy that
    // fails or is stopped before its end is cut back to it (a file that was
    // empty or new is removed), so nothing it wrote stays under the name.
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

    STREAM_CONTEXT() = default;
    STREAM_CONTEXT(const STREAM_CONTEXT&) = delete;
    STREAM_CONTEXT& operator=(const STREAM_CONTEXT&) = delete;
    // Closes the output file when one is still open.
    ~STREAM_CONTEXT();
};

class CVideoStreamMgt {
public:
    // The process-wide instance, created on first use (thread-safe).
    static CVideoStreamMgt* Instance();
    // Ends the instance (at unload); closes the files of every context left.
    static void DestroyInstance();

    ~CVideoStreamMgt();

    // Takes ownership of `context` on success. Fails with last error 1 for a
    // null context and 33 for a stream handle already registered.
    bool AddStream(std::unique_ptr<STREAM_CONTEXT> context);
    // Closes the context's output file and frees it.
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
