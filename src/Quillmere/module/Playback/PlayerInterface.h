// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One port of the player library: opens a stream on its 40-byte header,
// feeds it, draws into one window and carries the play controls, the display
// region, snapshots ("Capture/"), clip recording ("Clip/"), sound and the
// decoding settings. The library's vehicle-data and key callbacks become the
// signals signalVehInfo and signalKeySecretState (emitted on library threads).
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/OutputFileWriter.h"
#include "VehicleData.h"
#include "vintrel.h"
#include "zun.h"

namespace APT_QMR {

// The player library's fields of a recorder time (millisecond 0).
OSTRUM_FILE_TIME RecorderFileTime(time_t t);

class CSingleFile;

class CPlayerInterface : public QObject {
    Q_OBJECT
public:
    CPlayerInterface();
    ~CPlayerInterface() override;

    // Results of InputData.
    enum { InputAccepted = 0, InputNoStream = 1, InputGivenUp = 2 };

    bool OpenStream(const uint8_t* header, uint32_t size, void* window);
    // Plays a converted file (.mp4) that the library reads itself, from the
    // recorder time `start` on (-1: from its first frame). The controls work as
    // for a stream; nothing is fed. A clip of it is cut from the file (see
    // StartClip).
    bool OpenFile(const std::string& path, void* window, time_t start);
    // Moves a file opened by OpenFile to a recorder time; a time before its
    // first frame moves to its start with `toFirst`, and leaves the file
    // where it is without.
    bool SeekFile(time_t t, bool toFirst = true);
    bool IsFileOpen() const { return m_fileRoute; }
    void CloseStream();
    int InputData(const uint8_t* data, uint32_t size);
    bool RegisterDrawFun(OSTRUM_DRAW_CB callback, void* user);
    bool AddToSyncGroup();
    bool LeaveSyncGroup();
    bool Pause(bool on);
    bool Fast();
    bool Slow();
    int SetSpeed(int step);
    bool OneByOne();
    bool OneByOneBack();
    bool Resume();
    bool RefreshPlay();
    // Recorder time of the frame on screen; -1 when there is none.
    time_t GetPlayedTime();
    bool IsSameHeader(const uint8_t* header);
    uint32_t GetSourceBufferRemain();
    uint32_t GetBufferValue(int type);
    void ResetSourceBuffer();
    bool SetDisplayRegion(float left, float top, float right, float bottom);
    bool GetPictureSize(int* width, int* height);
    bool Capture(std::shared_ptr<CSingleFile> record);
    bool PlaySound();
    bool StopSound();
    bool SetVolume(uint16_t volume);
    uint16_t GetVolume() const { return m_volume; }
    // Reads the recordings of a stream again for a clip of it (see
    // ReadRecordingSpan): the seconds `from` to `to` (recorder times, both
    // included), the first recording from `lead` seconds before `from` at
    // most, every header (data type 1) and block (type 2) to `sink` until it
    // wants no more. Runs on the thread that writes the clip. False when the
    // recordings could not be read.
    using StreamSink = std::function<bool(int dataType, const uint8_t* data, uint32_t size)>;
    using StreamReader = std::function<bool(time_t from, time_t to, int lead, const StreamSink& sink)>;

    // A clip holds the pictures that were shown while it ran: from the key
    // frame at or before the first frame it shows (the frame on screen with
    // `start` -1, else the first one at or after `start`) to the frame on
    // screen when it stops. It is cut once it stops, on a thread of its own
    // (signalClipFinished tells the end): a file read by the library
    // (OpenFile) from that file; a stream from its recordings, read again by
    // `reader` (a stream clip needs one), in the setting "DownloadVideoType"
    // of the start. The clip starts on its key frame's recorder second (the
    // .mp4 file's creation time, or the recorder stream's header time).
    // Either way the clip's name is taken at the start and never replaces a
    // file: " (1)", " (2)"... go before ".mp4" while the name is taken.
    bool StartClip(time_t start, std::shared_ptr<CSingleFile> record, StreamReader reader = StreamReader());
    // Also ends a clip of a file when that file is closed.
    void StopClip();

    // Decode type for a "DecodeFrameType" value at a speed step: 1 key frames
    // only, 0 all frames, -1 leave the decoder as it is.
    static int DecodeFrameTypeFor(int setting, int speed);

    // Called on the player's decode thread with the time (as GetPlayedTime
    // gives it) of every frame the player shows; kept across streams. Null
    // removes it. The callback must not call into this object's controls.
    void SetShownCallback(std::function<void(time_t)> callback);

    // Set by the stream player: a blocked InputData gives up.
    void SetStopInput(bool on) {
        m_stopInput = on;
        if (on) KickInput();
    }

    int GetPort() const { return m_port; }
    bool IsStreamOpen() const { return m_streamOpen; }
    bool IsPaused() const { return m_paused; }
    bool IsSingleFrame() const { return m_singleFrame; }
    int GetSpeed() const { return m_speed; }
    bool IsSoundOn() const { return m_soundOn; }
    bool IsClipping();
    std::string GetClipPath();
    std::string GetLastClipPath();
    std::string GetCapturePath();

signals:
    void signalVehInfo(VEH_META_INFO vehInfo);
    void signalKeySecretState(int state);
    // A clip has been written to `path` (8-bit local text turned into
    // Unicode), or could not be (`saved` false: nothing of it is left).
    // Emitted on the thread that cut it.
    void signalClipFinished(QString path, bool saved);

private:
    static void OnAdditionData(int port, const OSTRUM_ADDITION_DATA* data, void* user);
    static void OnEncryptType(int port, const OSTRUM_ENCRYPT_INFO* info, void* user);
    static void OnRunTimeInfo(int port, const OSTRUM_RUNTIME_INFO* info, void* user);
    static void OnDisplay(int port, const char* buffer, int size, int width, int height, int stamp, int type);
    OSTRUM_DISPLAY_CB DisplayCallbackFor(bool capturing);

    bool AcquirePort();
    void ReleasePort();
    // Callbacks, key and display settings around `open`, then Play; on
    // failure the port is exchanged for a fresh one.
    bool StartPort(const std::function<bool(int port)>& open, void* window);
    void ApplyDecodeType();
    // Ends the pause of a blocked InputData: the player may take data again.
    void KickInput();
    // Folder setting of snapshots for the current page; false when unset.
    static bool CaptureFolder(std::string* folder);
    bool MakeCapturePath(const std::shared_ptr<CSingleFile>& record, bool* jpeg);
    bool CaptureFromPicture(const std::shared_ptr<CSingleFile>& record);
    // The running clip ends (under m_mutex) and is cut on a thread of its own.
    void StopClipCut();
    // Runs `cut`, which writes the clip claimed at `path` and returns the
    // name it was saved under (empty: not saved), on a thread; `discard`
    // ends what it would have written when no thread takes it.
    void CutOnThread(const std::string& path, std::function<std::string()> cut, std::function<void()> discard);
    // The cut of the clip claimed at `path` has ended (on the thread that
    // cut it), saved under `saved` (empty: not saved).
    void ClipCut(const std::string& path, const std::string& saved);

    std::atomic<int> m_port{-1};
    std::atomic<bool> m_streamOpen{false};
    std::atomic<bool> m_fileRoute{false};   // the open stream is a file read by the library
    void* m_window = nullptr;
    std::atomic<bool> m_stopInput{false};
    std::atomic<bool> m_paused{false};       // read by the thread that hands data in
    std::atomic<bool> m_singleFrame{false};
    // A blocked InputData pauses between its tries on this condition; a
    // control or a stop ends the pause.
    std::mutex m_inputMutex;
    std::condition_variable m_inputCv;
    bool m_inputKick = false;   // under m_inputMutex
    std::atomic<int> m_speed{0};

    // Snapshot of the next drawn frame: all fields under m_captureMutex, so a
    // library thread never posts a semaphore that is being destroyed.
    std::mutex m_captureMutex;
    ZUN_SEM m_captureSem = -1;
    bool m_captureRequested = false;
    bool m_captureDone = false;
    std::string m_capturePath;

    std::mutex m_shownMutex;
    std::function<void(time_t)> m_shownCallback;

    std::atomic<bool> m_soundOn{false};
    uint16_t m_volume = 65535;
    uint8_t m_header[40] = {};

    // Clip: under m_mutex.
    bool m_clipping = false;
    std::string m_clipFileName;
    std::string m_clipPath;
    std::string m_lastClipPath;
    // The first frame of the clip (the frame on screen, or the time asked
    // for), and the key frame it was decoded from when it was on screen.
    OSTRUM_FILE_TIME m_clipFrom{};
    bool m_clipHasKey = false;
    OSTRUM_FILE_TIME m_clipKey{};
    // The last frame shown by a stream that closed while the clip ran.
    bool m_clipHasReached = false;
    OSTRUM_FILE_TIME m_clipReached{};
    // Clip of a file read by the library: that file.
    std::string m_filePath;
    bool m_clipFromFile = false;
    // Clip of a stream: its reader, its file, open from the start on (it
    // converts when "DownloadVideoType" asks for it), and the key of the
    // setting "SecretKey" at the start.
    StreamReader m_clipReader;
    std::unique_ptr<CStreamFileWriter> m_clipWriter;
    std::string m_clipSecret;
    // Where a clip cut on its own thread reports: this object while it
    // lives. A cut goes on when the object goes (its window was closed);
    // the process waits for the last cuts at its end.
    struct ClipReport {
        std::mutex lock;
        CPlayerInterface* owner = nullptr;
    };
    std::shared_ptr<ClipReport> m_clipReport;

    ZUN_Mutex m_mutex;
};

}  // namespace APT_QMR
