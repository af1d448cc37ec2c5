// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One play window as the playback views see it: its channel, the files found
// for it and its stream player, with start, stop, seek, the play controls,
// zoom, snapshot, clip, sound and a download-size estimate. It also holds a
// downloader that nothing starts (the download dialogs run their own), so
// IsDownloading is always false.
// Lives on the GUI thread; every method is called from it.
#include <QObject>
#include <QString>

#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "storage/Channel.h"
#include "storage/ChannelFiles.h"
#include "storage/SingleFile.h"
#include "StreamDownloader.h"
#include "StreamPlayer.h"
#include "VehicleData.h"
#include "zun.h"

namespace APT_QMR {

class CPlayBackInteraction : public QObject {
    Q_OBJECT
public:
    CPlayBackInteraction();
    ~CPlayBackInteraction() override;
    CPlayBackInteraction(const CPlayBackInteraction&) = delete;
    CPlayBackInteraction& operator=(const CPlayBackInteraction&) = delete;

    // Stops the player, empties the file list, then takes the channel.
    void SetChannel(CChannel channel);
    CChannel GetChannel() const;
    // 0 download, 1 evidence video (the downloader's output folder and names).
    void SetDownLoadFileType(int type);
    // The search result the window was filled from; owned from now on (a
    // record set before is deleted).
    void SetChannelFiles(ChannelFiles* files);
    bool HasChannelFiles() const { return m_channelFiles != nullptr; }
    // Start day 00:00:00 and end day 23:59:59 (local) of the search result;
    // -1 without one.
    time_t GetSearchStartTime() const;
    time_t GetSearchEndTime() const;
    // Files of any channel, in time order; not owned.
    void SetFileList(std::vector<CSingleFile*> files);
    // A copy of the file list.
    std::vector<CSingleFile*> GetFileList() const;
    // Stops the player and empties the file list.
    void Reset();

    // Plays the window's channel from `t` (0: the start of its first file)
    // into `window` (the player library's window handle, OSTRUM_HWND). False when nothing could be started; the
    // stream player's state then tells why.
    bool StartPlayback(void* window, time_t t);
    bool IsTimeInFile() const { return m_bTimeInFile; }
    // Stops the player; the file list stays.
    void StopPlayback();
    // Moves to `t`. A running clip is finished (signalClipEndedBySeek tells
    // its path) and a new one starts at `t`.
    bool SeekTo(time_t t);
    bool Pause(bool on);
    bool Fast();
    bool Slow();
    // The one way the views set the speed step (-4 for 1/16x to 4 for 16x).
    // Returns how far the player moved: the new step minus the one before,
    // or, when it stopped short, the steps it did not reach. 0 when it
    // refused (step out of range, no file open) and when the step was
    // already set.
    int SetSpeed(int step);
    bool OneByOne();
    bool OneByOneBack();
    bool Resume();
    // -1: from the frame on screen.
    bool StartClip(time_t start);
    // Finishes a running clip (its path stays GetLastClipPath); it is cut
    // afterwards (signalClipFinished).
    void StopClip();
    // A rectangle in fractions of the region now shown (zooms nest); an
    // empty or inverted one shows the whole picture again.
    bool SetDisplayRegion(float left, float top, float right, float bottom);
    bool RefreshPlay();
    // Bytes of [start, end] (inclusive seconds) over the files of the
    // window's channel (all files while no channel is set), each moment once.
    uint64_t EstimateDownloadSize(time_t start, time_t end);
    bool PlaySound();
    bool StopSound();
    bool SetVolume(uint16_t volume);
    bool Capture();
    // The overlay the player draws over each picture (the zoom rectangle).
    bool SetDrawCallback(OSTRUM_DRAW_CB callback, void* user);
    // Streams of a bare disk go to the direct file reader; set before
    // StartPlayback from the channel's Rbs flag.
    void SetBareDisk(bool bareDisk) { m_bRbs = bareDisk; }

    // What the views show of the window, read in one go.
    struct State {
        bool fileOpen = false;     // the player has a file open
        bool playing = false;      // since a start or Resume
        bool paused = false;       // since Pause(true)
        bool singleFrame = false;  // since OneByOne or OneByOneBack
        int speed = 0;             // the speed step, -4 to 4
        bool clipping = false;     // a clip is being recorded
        bool soundOn = false;
        uint16_t volume = 0;
        int playerState = 0;       // CStreamPlayer::StatePlaying .. StateKeyMismatch
        bool endOfList = false;    // the last file has been played out
        bool resting = false;      // paused or in single frames, no clip, and the player
                                   // waits for its next control: nothing on screen moves
    };
    State GetState() const;
    // Time of the frame on screen; -1 while no file is open.
    time_t GetPlayedTime();
    // The file being played; null while none is open.
    std::shared_ptr<CSingleFile> GetCurrentFile();
    // Paths of the last clip and of the last snapshot (local code page).
    QString GetLastClipPath();
    QString GetCapturePath();
    // The window's downloader at work, and its progress in percent.
    bool IsDownloading() const { return m_downloader.IsDownloading(); }
    uint32_t GetDownloadProgress() const { return m_downloader.GetTotalProgress(); }

    // The zoom region now shown: left, top, right, bottom.
    void GetDisplayRegion(float region[4]) const;
    void* GetWindow() const { return m_window; }

    // The window's player, downloader and flags. The views read and change
    // them through the operations above; the group in step
    // (SynPlaybackInteraction) still reads and writes them directly.
    CStreamPlayer m_streamPlayer;
    CStreamDownloader m_downloader;
    bool m_bSingleFrame = false;
    bool m_bPause = false;
    bool m_bPlaying = false;
    bool m_bRbs = false;
    bool m_bTimeInFile = false;

signals:
    void signalDiskSpaceLow();
    void signalVehInfo(VEH_META_INFO vehInfo);
    // A clip (cut once it stopped) has been written to `path`, or could not
    // be (`saved` false).
    void signalClipFinished(QString path, bool saved);
    // A control (pause, play, speed, single frame, move) took effect: the
    // time on screen may move again.
    void signalPlayControl();
    // A seek finished the running clip at once: its path, for the operator
    // (the clip is cut afterwards, see signalClipFinished). Emitted on the
    // thread that sought.
    void signalClipEndedBySeek(QString path);

private:
    void* m_window = nullptr;
    std::vector<CSingleFile*> m_fileList;
    float m_region[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    ChannelFiles* m_channelFiles = nullptr;
    CChannel m_channel;
    ZUN_Mutex m_windowMutex;
    mutable ZUN_Mutex m_listMutex;
};

}  // namespace APT_QMR
