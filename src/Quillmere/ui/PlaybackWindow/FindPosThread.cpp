// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindPosThread.h"

#include "Playback/PlayBackInteraction.h"
#include "SinglePlaybackWindow.h"

void FindPosThread::setTargets(const QMap<int, APT_QMR::CPlayBackInteraction*>& windows,
                               const QMap<int, SinglePlaybackWindow*>& cells, time_t target) {
    m_windows = windows;
    m_cells = cells;
    m_target = target;
    m_started.clear();
    m_firstInside = nullptr;
}

void FindPosThread::run() {
    m_firstInside = nullptr;
    for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it) {
        SinglePlaybackWindow* cell = m_cells.value(it.key(), nullptr);
        APT_QMR::CPlayBackInteraction* interaction = it.value();
        if (!cell || !interaction) continue;
        if (!interaction->StartPlayback(cell->videoWindow(), m_target)) continue;
        if (!m_firstInside && interaction->IsTimeInFile()) m_firstInside = interaction;
        emit cell->signalTimerStart();
        m_started[it.key()] = true;
    }
}
