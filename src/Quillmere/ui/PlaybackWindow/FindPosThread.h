// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Seeks the windows to a target time while the grid waits behind a busy
// indicator. The worker goes through the windows to seek and hands each one,
// with the time, to the thread the finder lives on (the GUI thread), where
// the window's interaction starts there: an interaction is only ever driven
// from the GUI thread, which meanwhile paints the cells from its state. Its
// inputs are written before start and its results read after finished().
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
    explicit FindPosThread(QObject* parent = nullptr);

    void setTargets(const QMap<int, APT_QMR::CPlayBackInteraction*>& windows,
                    const QMap<int, SinglePlaybackWindow*>& cells, time_t target);
    QMap<int, bool> startedWindows() const { return m_started; }
    APT_QMR::CPlayBackInteraction* firstInsideInteraction() const { return m_firstInside; }

signals:
    // (Worker to GUI thread, queued) window `index` is to start at `target`.
    void signalPositionFound(int index, qint64 target);

protected:
    void run() override;

private:
    // GUI thread: starts the window at the time found for it.
    void startAt(int index, qint64 target);

    QMap<int, APT_QMR::CPlayBackInteraction*> m_windows;
    QMap<int, SinglePlaybackWindow*> m_cells;
    time_t m_target = 0;
    QMap<int, bool> m_started;
    APT_QMR::CPlayBackInteraction* m_firstInside = nullptr;
};
