#pragma once
// One player port: stream state, the decode thread and the play controls.
#include <QImage>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "demux.h"
#include "recstream/recstream.h"
#include "video_decoder.h"
#include "vintrel.h"

class QWidget;
struct SwsContext;
struct AVFrame;

namespace vintrel {

class Surface;
class AudioDecoder;

// Recorder clock that paces presentation; shared by the ports of a sync group.
struct Clock {
    std::mutex m;
    bool valid = false;
    int64_t anchorWall = 0;   // monotonic ms
    int64_t anchorRec = 0;    // recorder ms
    double rate = 1.0;
    int members = 0;
    int pausedMembers = 0;
    int64_t lastPresentWall = 0;
    bool Running() const { return pausedMembers < members || members == 0; }
    int64_t Now(int64_t wall) const {
        if (!valid) return 0;
        return Running() ? anchorRec + static_cast<int64_t>((wall - anchorWall) * rate) : anchorRec;
    }
    void Anchor(int64_t wall, int64_t rec) { valid = true; anchorWall = wall; anchorRec = rec; }
    // Keeps the clock's value while its running state or rate changes.
    void Rebase(int64_t wall) { if (valid) { anchorRec = Now(wall); anchorWall = wall; } }
};

// Monotonic milliseconds (the manual clock while a test turns it).
int64_t NowMs();
void MoveManualClock(int64_t ms);
OSTRUM_PACKED_TIME PackRecorderSeconds(int64_t seconds);
void RecorderSecondsToFields(int64_t seconds, OSTRUM_FILE_TIME* out);

class Port {
public:
    explicit Port(int number);
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    int Number() const { return m_number; }
    uint32_t LastError() const { return m_lastError.load(); }
    void SetError(uint32_t code) { m_lastError.store(code); }
    // Ends everything (FreePort).
    void Shutdown();
    // Lets the decode thread look at the clock again and returns once it
    // waits, having done all that was due at clock time `now` (at once when
    // the port does not play).
    void Settle(int64_t now);
    // Test hooks: each video unit decoded takes `ms` of the clock (a
    // decoder short of CPU); whether the decode thread waits with no time
    // limit.
    void SetDecodeCost(int64_t ms);
    bool WaitsUntilTold();
    size_t KeptPictureBytes() {
        std::lock_guard<std::mutex> lk(m_mutex);
        return m_historyBytes;
    }

    bool SetStreamOpenMode(uint32_t mode);
    bool OpenStream(const void* header, uint32_t size, uint32_t bufferSize, bool fromFile = false);
    bool InputData(const void* data, uint32_t size);
    bool ResetBuffer(uint32_t kind);
    uint32_t SourceRemain();
    uint32_t BufferValue(uint32_t kind);
    bool Stop();
    bool CloseStream();

    bool OpenFile(const char* path);
    bool FileTotalTime(OSTRUM_FILE_TIME* first, OSTRUM_FILE_TIME* last);
    bool CloseFile();
    bool SetPlayedTime(const OSTRUM_FILE_TIME* time);

    bool Play(QWidget* window);
    bool ReversePlay();
    bool Pause(bool on);
    bool Fast();
    bool Slow();
    bool StepSpeed(int step);
    bool OneByOne();
    bool OneByOneBack();
    bool RefreshPlay();
    bool ThrowB(uint32_t count);
    bool SetDecodeFrameType(int type);
    bool SetSyncGroup(int group);

    OSTRUM_PACKED_TIME SpecialData();
    bool PlayedTime(OSTRUM_FILE_TIME* time);
    bool PlayedKeyTime(OSTRUM_FILE_TIME* time);
    uint32_t FrameNum();

    bool SetSecretKey(int type, const char* key, int bits);
    bool SetAdditionCallback(uint32_t type, OSTRUM_ADDITION_DATA_CB cb, void* user);
    bool SetEncryptCallback(OSTRUM_ENCRYPT_TYPE_CB cb, void* user);
    bool SetRuntimeCallback(OSTRUM_RUNTIME_INFO_CB cb, void* user);
    bool SetDisplayCallback(OSTRUM_DISPLAY_CB cb);
    bool SetDrawCallback(OSTRUM_DRAW_CB cb, void* user);

    bool SetDisplayBuf(uint32_t frames);
    bool SetDisplayRegion(uint32_t region, const OSTRUM_RECT* rect);
    bool PictureSize(int* width, int* height);
    bool EncodePicture(const char* format, uint8_t* buffer, uint32_t size, uint32_t* outSize);
    bool SetColor(int b, int c, int s, int h);
    bool GetColor(int* b, int* c, int* s, int* h);

    bool PlaySound();
    void SoundTaken();
    bool SetVolume(uint16_t volume);

private:
    struct Frame {
        AVFrame* frame = nullptr;
        int64_t t = 0;     // recorder ms
        int64_t pts = 0;   // 90 kHz
        int64_t keyT = 0;  // recorder ms of the key frame it was decoded from
        bool key = false;
    };
    // What the pace asks of the frame at the head of the queue.
    enum class Pace {
        Wait,   // not yet due
        Show,
        Drop,   // too late to be worth converting: its successor is due
        Skip,   // far behind: drop it and decode again from the next key frame
    };
    struct Shown {
        QImage image;
        int64_t t = 0;
        int64_t pts = 0;
        int64_t keyT = 0;
        std::shared_ptr<AVFrame> frame;   // the decoded frame it was made from
    };
    // A picture kept for stepping back: the decoded frame itself (its buffers
    // shared with the decoder), converted again when it is shown.
    struct Kept {
        std::shared_ptr<AVFrame> frame;
        int64_t t = 0;
        int64_t pts = 0;
        int64_t keyT = 0;
        size_t bytes = 0;
    };
    struct Block {
        int64_t t = 0;
        std::vector<uint8_t> bytes;
    };

    void Run();
    void StopWorker(std::unique_lock<std::mutex>& lk);
    void ClearQueues();       // under m_mutex
    void StopFeeder();
    bool OpenStreamFromFile(const recstream::StreamHeader& header);
    bool StartFeeder(uint64_t fromTicks);
    void Feed(std::string path, bool raw, uint64_t fromTicks);
    bool QueueFileData(std::vector<uint8_t>&& block);
    void NextRecording(const PesUnit& unit, uint64_t generation);
    Pace Due(int64_t t, int64_t now, int64_t* waitMs);
    void SkipToKeyFrame();   // decode thread
    // Shows a frame. `unlessPaused`: a frame taken for play (not for a step),
    // which goes back to the queue when a pause came meanwhile.
    void Present(Frame frame, bool unlessPaused);
    void ShowImage(const Shown& shown, bool callback);
    QImage Convert(AVFrame* frame);
    // The region of the frame (empty: all of it) scaled to `target`, in the
    // colours set; null when the frame's layout does not allow it.
    QImage ConvertFitted(AVFrame* frame, const QSize& target, const QRect& region);
    QImage Scale(SwsContext** sws, uint32_t* colorSerial, const uint8_t* const planes[4], const int linesize[4],
                 int width, int height, int format, const QSize& target);
    // The picture for the screen: with `mayFit`, the shown part of the frame
    // at the view's size when the view is the smaller (`*fitted` set), else
    // the whole frame.
    QImage ScreenPicture(AVFrame* frame, bool mayFit, bool* fitted);
    void ApplyColor(SwsContext* sws, uint32_t* seenSerial);
    // The shown picture at its full size (made from the shown frame when the
    // screen got a picture made for its view).
    QImage FullShownPicture();
    void Refit();   // decode thread: the shown frame again, for a changed view or region
    void KeepLocked(const Frame& frame);   // under m_mutex; takes the frame
    void ClearHistoryLocked();                                   // under m_mutex
    void StartHistoryLocked();   // under m_mutex: the shown frame begins the history
    // Decodes again, from the key frame before it, the frames just before
    // the first one kept and puts them in front of the history; false when
    // none could be made.
    bool ExtendHistoryBack();
    Shown ShownFrom(const Kept& kept);
    void HandleUnit(const PesUnit& unit, uint64_t generation);
    void HandlePayload(uint8_t id, const uint8_t* data, size_t size, bool hasPts, uint64_t pts, uint64_t generation);
    void FlushCipherUnits(uint64_t beforePack, uint64_t generation);
    void PushFrame(AVFrame* f, int64_t pts, bool key, uint64_t generation);
    void DeliverBlocks(std::unique_lock<std::mutex>& lk);
    void CheckKey(std::unique_lock<std::mutex>& lk);
    void JoinClock(std::shared_ptr<Clock> clock);   // under m_mutex
    void SetPausedLocked(bool paused);
    int64_t RecorderMs(uint64_t ts90k) const;

    const int m_number;
    std::atomic<uint32_t> m_lastError{0};

    std::mutex m_mutex;
    std::condition_variable m_cv;

    // stream
    bool m_streamOpen = false;
    bool m_streamFromFile = false;
    bool m_decoderStale = true;
    uint32_t m_openMode = OSTRUM_STREAM_FILE;
    recstream::StreamHeader m_header{};
    std::string m_key;
    bool m_keyChecked = false;
    int m_keyState = 0;   // 0 fine / not enciphered, 1 missing, 2 mismatch
    size_t m_capacity = OSTRUM_DEFAULT_SOURCE_BUFFER;
    std::deque<std::vector<uint8_t>> m_source;
    size_t m_sourceBytes = 0;
    bool m_sourceEnd = false;
    size_t m_demuxBuffered = 0;
    bool m_demuxStale = false;   // the demultiplexer's bytes make no unit and nothing new came
    bool m_decoderPending = false;
    // Units being decoded and frames being presented outside the lock: they
    // are still to come for anyone asking how much is left.
    int m_inFlight = 0;
    uint64_t m_generation = 0;
    // Frames before this recorder time are decoded but not shown (the target
    // of a move inside a file).
    int64_t m_dropBefore = INT64_MIN;

    // decoded frames and the picture on screen
    std::deque<Frame> m_frames;
    size_t m_maxFrames = 5;
    QImage m_shown;                           // null when the screen got a fitted picture
    std::shared_ptr<AVFrame> m_shownFrame;    // the decoded frame on screen
    bool m_refit = false;                     // the view or the region changed
    int64_t m_shownT = -1;
    int64_t m_shownKeyT = -1;   // the key frame the picture on screen was decoded from
    int64_t m_shownPts = 0;
    uint32_t m_frameNum = 0;
    int m_width = 0;
    int m_height = 0;
    std::deque<Kept> m_history;
    size_t m_historyBytes = 0;
    // The converter is used by the worker and by a caller stepping back.
    std::mutex m_swsMutex;
    size_t m_historyBack = 0;

    // play state
    bool m_playing = false;
    bool m_paused = false;
    int m_speed = 0;
    int m_stepForward = 0;
    bool m_keyOnly = false;
    bool m_reverse = false;
    uint32_t m_throwB = 0;
    QWidget* m_window = nullptr;
    int64_t m_lastPresentWall = 0;
    int m_color[4] = {64, 64, 64, 64};
    uint32_t m_colorSerial = 0;

    // callbacks
    OSTRUM_ADDITION_DATA_CB m_addCb = nullptr;
    void* m_addUser = nullptr;
    OSTRUM_ENCRYPT_TYPE_CB m_encCb = nullptr;
    void* m_encUser = nullptr;
    OSTRUM_RUNTIME_INFO_CB m_rtCb = nullptr;
    void* m_rtUser = nullptr;
    OSTRUM_DISPLAY_CB m_dispCb = nullptr;

    // sync
    std::shared_ptr<Clock> m_clock;
    int m_group = -1;
    bool m_countedPaused = false;

    // sound
    bool m_soundWanted = false;

    // file
    bool m_fileOpen = false;
    bool m_fileRaw = false;
    std::string m_filePath;
    OSTRUM_FILE_TIME m_fileFirst{};
    OSTRUM_FILE_TIME m_fileLast{};
    recstream::StreamHeader m_fileHeader{};   // the stream the file plays as
    bool m_feeding = false;                   // the feeder has not read the whole file yet
    bool m_restartHeader = false;             // the file is read again from its first recording
    std::thread m_feeder;
    std::atomic<bool> m_feederStop{false};

    // decode thread
    std::thread m_worker;
    bool m_quit = false;
    bool m_waiting = false;        // the decode thread waits for work or time
    bool m_waitingUntold = false;  // ... for work only
    int64_t m_decodeCostMs = 0;    // test hook: clock ms each decoded video unit takes
    int64_t m_nextDecodeAt = 0;    // decode thread: when the decoder takes the next unit
    int64_t m_sawNow = INT64_MIN;  // the clock it last looked at
    std::condition_variable m_settledCv;
    std::shared_ptr<Surface> m_surface;

    // owned by the decode thread
    PsDemux m_demux;
    VideoDecoder m_video;
    std::unique_ptr<AudioDecoder> m_audio;
    SwsContext* m_sws = nullptr;
    uint32_t m_swsColorSerial = ~0u;
    SwsContext* m_swsFit = nullptr;
    uint32_t m_swsFitColorSerial = ~0u;
    uint64_t m_workerGeneration = ~0ull;
    std::deque<Block> m_blocks;      // vehicle data waiting for their frame
    std::deque<Block> m_pcm;         // sound waiting for its time
    std::vector<uint8_t> m_scratch;
    struct CipherUnit {
        uint8_t id = 0;
        uint64_t pts = 0;
        uint64_t pack = 0;
        std::vector<uint8_t> bytes;
    };
    std::vector<CipherUnit> m_cipherUnits;   // enciphered frames still collecting their PES pieces
    std::string m_workerKey;
    bool m_sawVideo = false;
    int64_t m_idleSince = 0;
    int64_t m_lastT = -1;
    int64_t m_lastKeyT = -1;   // recorder ms of the last key frame decoded
    int64_t m_frameInterval = 40;   // recorder ms between frames, as last seen
    int64_t m_prevT = -1;           // recorder ms of the frame decoded before
    bool m_awaitKey = false;        // late: frames are dropped until the next key frame

    // The video units decoded since the key frame before the last one, for
    // stepping back past the kept pictures.
    struct Unit {
        std::vector<uint8_t> bytes;   // padded for the decoder
        int64_t pts = -1;
        bool key = false;
    };
    std::mutex m_unitsMutex;
    std::deque<Unit> m_units;
    int m_unitsCodec = 0;
    uint32_t m_unitsStart = 0;   // start time of the recording the units belong to
    void LogUnit(const uint8_t* data, int size, int64_t pts, bool key);   // decode thread
    void ClearUnits();
};

// Port table.
std::shared_ptr<Port> FindPort(int port);

}  // namespace vintrel
