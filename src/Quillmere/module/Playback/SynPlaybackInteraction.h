// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a set of windows in step: every control goes to each window that has
// a file open, the result is the AND of theirs, single frames keep the
// windows within a second of each other, and a ticker emits the current time
// every 500 ms for the time axis (held on a picture whose time it told, it
// waits for the next control).
//
// Lives on the GUI thread; the ticker runs on a thread of its own. Lock
// order: the group's mutex before any window's stream-player mutex.
#include <QObject>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <vector>

#include "storage/BaseThread.h"
#include "PlayBackInteraction.h"
#include "zun.h"

namespace APT_QMR {

class SynPlaybackInteraction : public QObject, public CBaseThread {
    Q_OBJECT
public:
    SynPlaybackInteraction();
    ~SynPlaybackInteraction() override;

    // False for null or a window already in the set. The windows join the
    // page's sync group at once when their stream is open, else when it
    // opens.
    bool AddInteraction(CPlayBackInteraction* window);
    bool SetInteractions(std::vector<CPlayBackInteraction*> windows);
    void RemoveInteraction(CPlayBackInteraction* window);
    // Empties the set; nothing is stopped.
    void Clear();
    void StopAndClear();
    bool SetContext(int context);
    int GetContext() const { return m_context; }

    // Plays the set and starts the ticker.
    bool Start();
    // The windows leave the sync group, the set is emptied and the ticker
    // ends. False when not started.
    bool Stop();
    bool SeekTo(time_t t);
    void SetPlayState(bool held, bool paused, bool singleFrame);
    // Played time of the first window with a file open; -1 when none.
    time_t GetCurrentTime();
    // Speed step of the first window with a file open; 0 when none.
    int GetSpeed();
    bool HasActiveWindow();
    bool IsPlaying() const { return !m_held; }
    bool IsPaused() const { return m_paused; }
    bool IsSingleFrame() const { return m_singleFrame; }
    bool IsStarted() const { return m_running.load(); }
    // Passes the ticker has made since it was built; each pass emits the
    // time (when a window has a file) before it counts.
    uint64_t TickerPasses() const { return m_passes.load(); }
    bool Pause(bool on);
    bool Fast();
    bool Slow();
    bool SetSpeed(int step);
    bool OneByOne();
    bool Play();

signals:
    void signalCurrentTime(time_t time);

protected:
    bool Loop() override;

private:
    static bool HasFile(CPlayBackInteraction* window);

    std::vector<CPlayBackInteraction*> m_windows;
    std::atomic<bool> m_held{false};   // read by the ticker
    bool m_paused = false;
    bool m_singleFrame = false;
    std::atomic<bool> m_running{false};
    std::atomic<uint64_t> m_passes{0};
    time_t m_lastTold = -2;   // ticker only: the time it emitted last
    int m_context = 0;
    ZUN_Mutex m_mutex;
};

}  // namespace APT_QMR
