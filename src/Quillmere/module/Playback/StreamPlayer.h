// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays the recordings of one channel, file after file, into one window: finds
// the file that holds a requested time and opens it there, waits for the
// stream's header to open the player, keeps the play controls under one lock,
// and moves on to the next file when one has been played out (pump thread,
// one pass every 40 ms; held on a picture that no longer changes, it waits
// for the next control). Failures leave the player idle with a state number.
#include <QObject>

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "storage/BaseThread.h"
#include "PlayerInterface.h"
#include "storage/SingleFile.h"
#include "StreamSource.h"
#include "VehicleData.h"
#include "zun.h"

namespace APT_QMR {

// Where a stream player draws: the player library's window handle and the
// channel shown in it.
struct PlayWindow {
    void* hWnd = nullptr;
    int nChannel = 0;
};

class CStreamPlayer : public QObject, public CBaseThread {
    Q_OBJECT
public:
    // State numbers (GetState).
    enum {
        StatePlaying = 0,       // a start succeeded
        StateOpenFailed = 1,    // no file, or the stream could not be opened or positioned
        StateReadFailed = 2,    // the stream failed while reading
        StateNoFile = 3,        // no file holds or follows the requested time
        StateKeyMissing = 4,    // the stream is enciphered and no key is set
        StateKeyMismatch = 5,   // the key does not fit the stream
    };

    CStreamPlayer();
    ~CStreamPlayer() override;

    // Takes ownership of the record. False for null, a null window, or while
    // a file is open (the record is then deleted).
    bool SetWindow(PlayWindow* window);
    // The channel's files in time order. The records are copied, so the
    // caller may free its own afterwards. False while a file is open.
    bool SetFileList(std::vector<CSingleFile*> files);
    void SetDiskKind(bool bareDisk);
    bool SetDrawCallback(OSTRUM_DRAW_CB callback, void* user);
    // Joins the page's sync group: at once when a stream is open, and again
    // whenever a stream opens.
    bool EnableSync();
    bool DisableSync();

    // Starts at `t` (0: at the start of the first file). Starts the pump.
    bool StartPlayByTime(time_t t);
    bool SeekTo(time_t t);
    void Stop();
    void Reset() { Stop(); }

    // Time of the frame on screen; -1 while no file is open.
    time_t GetPlayedTime();
    bool Pause(bool on);
    bool Fast();
    bool Slow();
    bool OneByOne();
    bool OneByOneBack();
    bool Resume();
    int SetSpeed(int step);
    bool RefreshPlay();
    bool GetPictureSize(int* width, int* height);
    bool SetDisplayRegion(float left, float top, float right, float bottom);
    bool IsTimeInFile() const { return m_timeInFile; }
    bool Capture();
    // A clip of a file the player library reads ends when another file
    // plays; one of a stream goes on across the recordings fed to it, and
    // ends when a file read by the library follows. Either is cut once it
    // stops (signalClipFinished tells the end).
    bool StartClip(time_t start);
    void StopClip();

    // What the interaction and the views read and set.
    int GetState() const { return m_state.load(); }
    void SetState(int state) { m_state.store(state); }
    bool IsEndOfList() const { return m_endOfList.load(); }
    void SetEndOfList(bool on) { m_endOfList.store(on); }
    // Index of the file being played; -1 while no file is open.
    int GetCurrentIndex() const { return m_currentIndex.load(); }
    bool IsFileOpen() const { return m_currentIndex.load() != -1; }
    int GetSpeed() const { return m_speed.load(); }
    bool IsClipping() const { return m_clipping.load(); }
    std::shared_ptr<CSingleFile> GetCurrentFile();
    CPlayerInterface* GetPlayer() { return &m_player; }
    const CPlayerInterface* GetPlayer() const { return &m_player; }

signals:
    void signalVehInfo(VEH_META_INFO vehInfo);
    void signalDiskSpacelow();
    // The player's signalClipFinished, on this object's thread.
    void signalClipFinished(QString path, bool saved);
    // A control (pause, play, speed, single frame, move) took effect; on the
    // caller's thread, after the controls' lock is released.
    void signalPlayControl();

private slots:
    void onUpdateVehInfo(VEH_META_INFO vehInfo);
    void onKeySecretState(int state);

protected:
    bool Loop() override;

private:
    static void DataCallback(int handle, int dataType, unsigned char* data, int length, void* user);
    void OnHeader(const uint8_t* header, int length);
    bool OpenPlayer(const uint8_t* header, int length);
    // Sync group, draw callback and speed of a player just opened.
    void PlayerOpened(int speed);
    // A converted file on the direct route: the player library reads it.
    bool PlayConvertedFile(std::shared_ptr<CSingleFile>& file, bool noSeek);
    // Reads the channel's recordings again for a clip of the stream.
    CPlayerInterface::StreamReader ClipReader() const;

    bool GetStreamAndPlayFile(std::shared_ptr<CSingleFile>& file, bool noSeek);
    bool LocateFileAndPlay(time_t t);
    void SetCurrentFile(std::shared_ptr<CSingleFile> file);
    // Ends the file being played: clip stopped, input given up, player and
    // source closed, speed 0, no current file.
    void CloseAll();
    void DestroyStartSem();

    std::atomic<bool> m_endOfList{false};
    std::atomic<int> m_state{0};
    std::vector<std::unique_ptr<CSingleFile>> m_ownedFiles;   // copies of the caller's list
    std::vector<CSingleFile*> m_fileList;                     // the copies (nulls kept in place)
    CStreamSource m_source;
    CPlayerInterface m_player;
    PlayWindow* m_window = nullptr;
    std::mutex m_fileLock;                       // guards m_currentFile
    std::shared_ptr<CSingleFile> m_currentFile;
    std::string m_openedFile;   // the converted file open in the player
    std::atomic<int> m_currentIndex{-1};
    OSTRUM_DRAW_CB m_drawCallback = nullptr;
    void* m_drawUser = nullptr;
    std::atomic<int> m_speed{0};
    std::atomic<bool> m_clipping{false};
    float m_region[4] = {0, 0, 0, 0};
    bool m_timeInFile = false;
    int m_sameTimeCount = 0;
    time_t m_lastPlayedTime = -1;
    std::atomic<bool> m_syncRequested{false};
    std::atomic<bool> m_inSyncGroup{false};

    // The start semaphore lives only while a start waits for the stream
    // header. The header handling on the reader thread posts it under
    // m_startLock, and it is destroyed only under that lock, so a late header
    // never posts a destroyed semaphore.
    std::mutex m_startLock;
    ZUN_SEM m_startSem = -1;

    ZUN_Mutex m_mutex;   // a pump pass against the controls
};

}  // namespace APT_QMR
