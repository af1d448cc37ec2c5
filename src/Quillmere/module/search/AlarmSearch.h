// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Alarm search: the event and driver-behaviour records of recorder disks,
// for a set of channels and one time range, read through the hard-disk
// file library's extra-information search.
#include <QDateTime>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "AlarmRecords.h"
#include "search/LibraryActivity.h"
#include "merrowfen.h"

class CAlarmSearch : public QThread {
    Q_OBJECT
public:
    explicit CAlarmSearch(QObject* parent = nullptr);
    // Ends a run in progress (the library search under way is stopped) and
    // waits for it.
    ~CAlarmSearch() override;

    // Disks ("\\.\PHYSICALDRIVE<N>" and the like), the range in recorder time
    // and the channels, in the caller's order. Set before start(); ignored
    // while a run is in progress.
    void SetSearchCondition(const QStringList& disks, const QDateTime& start, const QDateTime& end,
                            const QVector<int>& channels);

    // How long a library search may stay silent (no record and no end
    // report) before it is given up and stopped. Default 60 s; 0 or less
    // waits without limit.
    void SetIdleTimeout(int milliseconds);

    // One call of the library. Data type 2 ends the library search under way;
    // data type 1 carries one record.
    void GetExtraInfoCBCallback(int handle, int dataType, const ExtraInfoRecord* record);

signals:
    // Once at the end of every run, with every record gathered (maybe none).
    void signalAlarmInfo(std::vector<COMMON_MSG_INFO> vsCommonMsgInfo);

protected:
    void run() override;

private:
    // Waits for the end report of the library search under way. False when
    // it was given up (silent library or the object going away).
    bool WaitForEnd();

    std::vector<COMMON_MSG_INFO> m_results;
    std::atomic<bool> m_finished{false};
    QDateTime m_start;
    QDateTime m_end;
    std::atomic<int> m_currentChannel{0};
    QVector<int> m_channels;
    QStringList m_disks;

    std::mutex m_mutex;                  // guards m_results, m_accepting, wakes the waiter
    std::condition_variable m_wake;
    bool m_accepting = false;            // a library search of this run is under way
    CLibraryActivity m_activity;         // library calls (the idle time-out)
    std::atomic<bool> m_quit{false};     // set by the destructor
    std::atomic<int> m_idleTimeoutMs{60000};
};

// The function whose address goes into the library's condition; forwards to
// the CAlarmSearch given as user value.
void fnGetExtraInfoCBCallback(int handle, int dataType, const ExtraInfoRecord* record, void* user);

// The alarm clip search lives beside it.
#include "AlarmClipSearchThread.h"
