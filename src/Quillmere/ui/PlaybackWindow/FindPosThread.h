// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts the windows to seek at a target time on a worker thread while the
// grid waits behind a busy indicator. Its inputs are written before start and
// its results read after finished().
#include <QMap>
#include <QThread>

#include <ctime>

namespace APT_QMR {
class CPlayBackInteraction;
}
class SinglePlaybackWindow;

class FindPosThread : public QThread {
    Q_OBJECT
public:
    explicit FindPosThread(QObject* parent = nullptr) : QThread(parent) {}

    void setTargets(const QMap<int, APT_QMR::CPlayBackInteraction*>& windows,
                    const QMap<int, SinglePlaybackWindow*>& cells, time_t target);
    QMap<int, bool> startedWindows() const { return m_started; }
    APT_QMR::CPlayBackInteraction* firstInsideInteraction() const { return m_firstInside; }

protected:
    void run() override;

private:
    QMap<int, APT_QMR::CPlayBackInteraction*> m_windows;
    QMap<int, SinglePlaybackWindow*> m_cells;
    time_t m_target = 0;
    QMap<int, bool> m_started;
    APT_QMR::CPlayBackInteraction* m_firstInside = nullptr;
};
