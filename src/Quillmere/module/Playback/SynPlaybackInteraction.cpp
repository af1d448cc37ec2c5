// SPDX-License-Identifier: GPL-3.0-or-later
#include "SynPlaybackInteraction.h"

#include <QMetaType>

#include <algorithm>

namespace APT_QMR {

namespace {

constexpr int kTickMs = 500;

}  // namespace

SynPlaybackInteraction::SynPlaybackInteraction() : QObject(nullptr) {
    qRegisterMetaType<time_t>("time_t");
}

SynPlaybackInteraction::~SynPlaybackInteraction() { CBaseThread::Stop(); }

bool SynPlaybackInteraction::HasFile(CPlayBackInteraction* window) {
    return window && window->m_streamPlayer.GetCurrentIndex() != -1;
}

// ---- the set --------------------------------------------------------------------------

bool SynPlaybackInteraction::AddInteraction(CPlayBackInteraction* window) {
    ZUN_Guard guard(m_mutex);
    if (!window || std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end()) return false;
    m_windows.push_back(window);
    window->m_streamPlayer.EnableSync();
    return true;
}

bool SynPlaybackInteraction::SetInteractions(std::vector<CPlayBackInteraction*> windows) {
    ZUN_Guard guard(m_mutex);
    m_windows.swap(windows);
    for (CPlayBackInteraction* w : m_windows)
        if (w) w->m_streamPlayer.EnableSync();
    return true;
}

void SynPlaybackInteraction::RemoveInteraction(CPlayBackInteraction* window) {
    ZUN_Guard guard(m_mutex);
    auto it = std::find(m_windows.begin(), m_windows.end(), window);
    if (it == m_windows.end()) return;
    if (window) window->m_streamPlayer.DisableSync();
    m_windows.erase(it);
}

void SynPlaybackInteraction::Clear() {
    ZUN_Guard guard(m_mutex);
    m_windows.clear();
}

void SynPlaybackInteraction::StopAndClear() {
    Stop();
    Clear();
}

bool SynPlaybackInteraction::SetContext(int context) {
    m_context = context;
    return true;
}

// ---- start and stop ------------------------------------------------------------------------

bool SynPlaybackInteraction::Start() {
    m_running = true;
    bool any = false;
    {
        ZUN_Guard guard(m_mutex);
        any = !m_windows.empty();
    }
    if (any) Play();
    CBaseThread::Start();
    return true;
}

bool SynPlaybackInteraction::Stop() {
    if (!m_running) return false;
    {
        ZUN_Guard guard(m_mutex);
        for (CPlayBackInteraction* w : m_windows)
            if (w) w->m_streamPlayer.DisableSync();
        m_windows.clear();
        m_running = false;
    }
    // The ticker takes the mutex in its pass: it is waited for without it.
    CBaseThread::Stop();
    return true;
}

bool SynPlaybackInteraction::Loop() {
    const time_t t = GetCurrentTime();
    if (t >= 0) emit signalCurrentTime(t);
    ++m_passes;
    // Held on a picture whose time was told already: the next control
    // wakes the ticker (a stop ends the wait at once).
    const bool still = m_held && t == m_lastTold;
    m_lastTold = t;
    WaitForWake(still ? -1 : kTickMs);
    return true;
}

// ---- state ---------------------------------------------------------------------------------

void SynPlaybackInteraction::SetPlayState(bool held, bool paused, bool singleFrame) {
    m_held = held;
    m_paused = paused;
    m_singleFrame = singleFrame;
    Wake();
}

time_t SynPlaybackInteraction::GetCurrentTime() {
    ZUN_Guard guard(m_mutex);
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w)) return w->m_streamPlayer.GetPlayedTime();
    return -1;
}

int SynPlaybackInteraction::GetSpeed() {
    ZUN_Guard guard(m_mutex);
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w)) return w->m_streamPlayer.GetSpeed();
    return 0;
}

bool SynPlaybackInteraction::HasActiveWindow() {
    ZUN_Guard guard(m_mutex);
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w)) return true;
    return false;
}

// ---- controls --------------------------------------------------------------------------------

bool SynPlaybackInteraction::Pause(bool on) {
    bool result = true;
    {
        ZUN_Guard guard(m_mutex);
        for (CPlayBackInteraction* w : m_windows) {
            if (!HasFile(w)) continue;
            if (w->m_streamPlayer.Pause(on)) {
                w->m_bPause = on;
                w->m_bPlaying = !on;
            } else {
                result = false;
            }
        }
    }
    m_held = on;
    m_paused = on;
    if (on) m_singleFrame = false;
    Wake();
    return result;
}

bool SynPlaybackInteraction::Fast() {
    ZUN_Guard guard(m_mutex);
    bool result = true;
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w) && !w->m_streamPlayer.Fast()) result = false;
    return result;
}

bool SynPlaybackInteraction::Slow() {
    ZUN_Guard guard(m_mutex);
    bool result = true;
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w) && !w->m_streamPlayer.Slow()) result = false;
    return result;
}

bool SynPlaybackInteraction::SetSpeed(int step) {
    ZUN_Guard guard(m_mutex);
    bool result = true;
    for (CPlayBackInteraction* w : m_windows)
        if (HasFile(w) && w->m_streamPlayer.SetSpeed(step) == 0) result = false;
    return result;
}

bool SynPlaybackInteraction::OneByOne() {
    bool result = true;
    {
        ZUN_Guard guard(m_mutex);
        std::vector<time_t> times;
        times.reserve(m_windows.size());
        time_t earliest = -1;
        for (CPlayBackInteraction* w : m_windows) {
            const time_t t = w ? w->m_streamPlayer.GetPlayedTime() : -1;
            times.push_back(t);
            if (t != -1 && (earliest == -1 || t < earliest)) earliest = t;
        }
        for (size_t i = 0; i < m_windows.size(); ++i) {
            CPlayBackInteraction* w = m_windows[i];
            if (!w) continue;
            const time_t t = times[i];
            // A window that shows nothing yet (just started or moved) steps to
            // its first picture: paused there it would never show one, and
            // every later step would skip it again.
            if (t != -1 && t - earliest > 1) {
                // Ahead of the others: it waits for them.
                if (w->m_streamPlayer.Pause(true)) {
                    w->m_bPause = true;
                    w->m_bPlaying = false;
                }
                continue;
            }
            if (!HasFile(w)) continue;
            if (w->m_streamPlayer.OneByOne()) {
                w->m_bSingleFrame = true;
                w->m_bPlaying = false;
            } else {
                w->m_bSingleFrame = false;
                result = false;
            }
        }
    }
    m_held = true;
    m_paused = false;
    m_singleFrame = true;
    Wake();
    return result;
}

bool SynPlaybackInteraction::Play() {
    bool result = true;
    {
        ZUN_Guard guard(m_mutex);
        for (CPlayBackInteraction* w : m_windows) {
            if (!HasFile(w)) continue;
            w->m_bSingleFrame = false;
            w->m_bPause = false;
            if (w->m_streamPlayer.Resume()) {
                w->m_bPlaying = true;
            } else {
                result = false;
            }
        }
    }
    m_held = false;
    m_paused = false;
    m_singleFrame = false;
    Wake();
    return result;
}

bool SynPlaybackInteraction::SeekTo(time_t t) {
    if (!m_running) return false;
    {
        ZUN_Guard guard(m_mutex);
        for (CPlayBackInteraction* w : m_windows)
            if (w) w->SeekTo(t);
    }
    m_held = false;
    m_paused = false;
    m_singleFrame = false;
    Wake();
    return true;
}

}  // namespace APT_QMR
