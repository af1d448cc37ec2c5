// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindPosThread.h"

#include "Playback/PlayBackInteraction.h"
#include "SinglePlaybackWindow.h"

FindPosThread::FindPosThread(QObject* parent) : QThread(parent) {
    // Queued: the start runs on the finder's own thread, before the
    // finished() the worker posts after the last window.
    connect(this, &FindPosThread::signalPositionFound, this, &FindPosThread::startAt, Qt::QueuedConnection);
}

void FindPosThread::setTargets(const QMap<int, APT_QMR::CPlayBackInteraction*>& windows,
                               const QMap<int, SinglePlaybackWindow*>& cells, time_t target) {
    m_windows = windows;
    m_cells = cells;
    m_target = target;
    m_started.clear();
    m_firstInside = nullptr;
}

void FindPosThread::run() {
    for (auto it = m_windows.cbegin(); it != m_windows.cend(); ++it) {
        if (!it.value() || !m_cells.value(it.key(), nullptr)) continue;
        emit signalPositionFound(it.key(), static_cast<qint64>(m_target));
    }
}

void FindPosThread::startAt(int index, qint64 target) {
    SinglePlaybackWindow* cell = m_cells.value(index, nullptr);
    APT_QMR::CPlayBackInteraction* interaction = m_windows.value(index, nullptr);
    if (!cell || !interaction) return;
    if (!interaction->StartPlayback(cell->videoWindow(), static_cast<time_t>(target))) return;
    if (!m_firstInside && interaction->IsTimeInFile()) m_firstInside = interaction;
    emit cell->signalTimerStart();
    m_started[index] = true;
}
