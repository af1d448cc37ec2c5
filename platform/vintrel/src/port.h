// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One player port: the play controls and two threads that run its stages.
// The decode thread takes the source queue (stream bytes) through the
// decoder into the decoded frames waiting for their time; the presenting
// thread hands each frame, when the clock (the port's own or its group's)
// says it is due, to the presenter (screen pictures, the frame on screen,
// the history for stepping back); a frame already due when it is decoded,
// with none waiting before it, is shown by the decode thread itself, where
// the picture is still in the cache. Each stage has its own lock; the port's
// lock holds the play state and the decoded frames, and each thread waits on
// its own condition for work or for the next frame's time.
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

#include "clock.h"
#include "decoder.h"
#include "presenter.h"
#include "recstream/recstream.h"
#include "source_queue.h"
#include "vintrel.h"

class QWidget;

namespace vintrel {

class Surface;

OSTRUM_PACKED_TIME PackRecorderSeconds(int64_t seconds);
void RecorderSecondsToFields(int64_t seconds, OSTRUM_FILE_TIME* out);

class Port : private Decoder::Client {
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
    // Lets the port's threads look at the clock again and returns once both
    // wait, having done all that was due at clock time `now` (at once when
    // the port does not play).
    void Settle(int64_t now);
    // Test hooks: each video unit decoded takes `ms` of the clock (a
    // decoder short of CPU); the decode thread stops before its next unit;
    // whether both threads wait with no time limit.
    void SetDecodeCost(int64_t ms, int64_t keyMs);
    void HoldDecoder(bool hold);
    bool WaitsUntilTold();
    size_t KeptPictureBytes() { return m_presenter.KeptBytes(); }

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
    // Decoder::Client, on the decode thread.
    void Decoded(Frame frame, uint64_t generation) override;
    // A decoded frame of the current generation goes on: shown at once when
    // due, else queued for the presenting thread (decode thread, under
    // m_mutex, which a frame shown here releases meanwhile).
    void Accept(Frame frame, uint64_t generation, std::unique_lock<std::mutex>& lk);
    // (Test hook) the key frame held for its decoding time goes on (or, when
    // stale, goes).
    void ReleaseHeldFrame(std::unique_lock<std::mutex>& lk);
    int64_t ClockNow() override;
    bool KeyFrameInReach(int64_t t) override;
    Settings CurrentSettings(bool enciphered) override;
    bool NextRecording(const recstream::StreamHeader& header, uint64_t generation) override;
    void DecoderFailed() override { SetError(OSTRUM_ERR_DECODER); }

    // The decode thread: source queue -> decoder -> decoded frames, and the
    // vehicle data and sound of the frames shown.
    void RunDecoder();
    // The presenting thread: decoded frames -> clock -> presenter.
    void RunPresenter();
    // Under m_mutex: both threads look at the port again.
    void Poke();
    void StopWorker(std::unique_lock<std::mutex>& lk);
    void ClearQueues();       // under m_mutex
    void ClearFramesLocked();
    void StopFeeder();
    bool OpenStreamFromFile(const recstream::StreamHeader& header);
    bool StartFeeder(uint64_t fromTicks);
    void Feed(std::string path, bool raw, uint64_t fromTicks);
    bool QueueFileData(std::vector<uint8_t>&& block);
    // When the frame at the head of the queue is due (under m_mutex).
    Pace Due(const Frame& frame, int64_t now, int64_t* waitMs);
    void SkipToKeyFrame();   // decode thread, under m_mutex
    // Whether decoding every frame up to the next key frame would make that
    // one late (under m_mutex).
    bool NextKeyOutOfReach(const Frame& frame);
    // Wall us until the clock reaches recorder time `t` (false: the clock
    // stands or is not anchored). Under m_mutex.
    bool UsUntil(int64_t t, double* us);
    // How long a decoded unit taken at `startedUs` (MonotonicUs) took on the
    // clock the frames are paced on: the test hook's cost when one is set,
    // none on the manual clock, else the monotonic clock's time.
    int64_t UnitCostUs(int64_t startedUs, bool key) const;
    // Learns what a frame (a key frame) costs to decode from one more.
    void NoteDecodeTime(int64_t us, bool key);
    // Shows a frame. `unlessPaused`: a frame taken for play (not for a step),
    // which goes back to the queue when a pause came meanwhile.
    void Present(Frame frame, bool unlessPaused, uint64_t generation);
    // Shows a frame of the history (callback: to the display callback too).
    void ShowKept(const Picture& picture, bool callback);
    void DeliverBlocks(std::unique_lock<std::mutex>& lk);
    void CheckKey(std::unique_lock<std::mutex>& lk);
    void JoinClock(std::shared_ptr<Clock> clock);   // under m_mutex
    void SetPausedLocked(bool paused);

    const int m_number;
    std::atomic<uint32_t> m_lastError{0};

    std::mutex m_mutex;
    std::condition_variable m_cv;

    // stages
    std::shared_ptr<Surface> m_surface;
    Presenter m_presenter;
    SourceQueue m_source;
    std::shared_ptr<Clock> m_clock;
    Decoder m_decoder;   // decode thread (and a caller stepping back: its units)

    // stream
    bool m_streamOpen = false;
    bool m_streamFromFile = false;
    bool m_decoderStale = true;
    uint32_t m_openMode = OSTRUM_STREAM_FILE;
    recstream::StreamHeader m_header{};   // of the recording being decoded
    std::string m_key;
    bool m_keyChecked = false;
    int m_keyState = 0;   // 0 fine / not enciphered, 1 missing, 2 mismatch
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

    // decoded frames waiting for their time
    std::deque<Frame> m_frames;
    size_t m_maxFrames = 5;
    bool m_refit = false;   // the view or the region changed
    uint32_t m_frameNum = 0;
    int m_width = 0;
    int m_height = 0;

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
    bool m_moved = false;   // started or moved, and no frame shown since
    int64_t m_lastDropBehind = -1;   // how late the last frame dropped for lateness was (-1: one was shown since)

    // callbacks
    OSTRUM_ADDITION_DATA_CB m_addCb = nullptr;
    void* m_addUser = nullptr;
    OSTRUM_ENCRYPT_TYPE_CB m_encCb = nullptr;
    void* m_encUser = nullptr;
    OSTRUM_RUNTIME_INFO_CB m_rtCb = nullptr;
    void* m_rtUser = nullptr;
    OSTRUM_DISPLAY_CB m_dispCb = nullptr;

    // sync
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

    // decode thread and presenting thread
    std::thread m_worker;          // decoding
    std::thread m_presentThread;
    bool m_quit = false;
    bool m_waiting = false;        // the decode thread waits for work or time
    bool m_waitingUntold = false;  // ... for work only
    bool m_decodePoked = false;    // it has been told to look again since
    int64_t m_sawNow = INT64_MIN;  // the clock it last looked at
    std::condition_variable m_presentCv;
    bool m_presentWaiting = false;
    bool m_presentUntold = false;
    bool m_presentPoked = false;
    int64_t m_presentSawNow = INT64_MIN;
    bool m_skipRequested = false;  // the presenter asks the decoder to skip to a key frame
    bool m_presenting = false;     // a frame is being made ready for the screen
    std::condition_variable m_settledCv;
    uint64_t m_workerGeneration = ~0ull;
    int64_t m_idleSince = 0;
    int64_t m_decodeCostMs = 0;    // test hook: clock ms each decoded video unit takes
    int64_t m_keyDecodeCostMs = 0; // ... a key frame, which comes out only then (0: as the others)
    bool m_holdDecoder = false;    // test hook: the decode thread stops before its next unit
    int64_t m_unitStartedAt = 0;   // decode thread: when the unit being decoded was taken
    int64_t m_nextDecodeAt = 0;    // test hook: when the decoder takes the next unit
    Frame m_costly;                // test hook: the frame decoded last, until its time has passed
    uint64_t m_costlyGeneration = 0;
    int64_t m_costlyReadyAt = 0;
    // How long a frame takes to decode here, as of late (us, 0: not known):
    // key frames apart, which cost several other frames.
    double m_frameCostUs = 0;
    double m_keyCostUs = 0;
};

// Port table.
std::shared_ptr<Port> FindPort(int port);

}  // namespace vintrel
