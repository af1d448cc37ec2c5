// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Alarm clip search: the recordings of one channel over one alarm's span on
// a set of disks, read straight through the hard-disk file library and
// grouped per channel for the alarm video dialog.
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "search/LibraryActivity.h"
#include "storage/RecordTypes.h"
#include "merrowfen.h"

class CAlarmSearchThread : public QThread {
    Q_OBJECT
public:
    CAlarmSearchThread();
    // Ends a search in progress after the library search under way and waits
    // for the thread. The result records are not freed.
    ~CAlarmSearchThread() override;

    // Stores the disks, the span (first value = start, last value = end) and
    // the channel, and starts a search. While a search runs the call is
    // ignored: neither the inputs of the running search change nor does a
    // second search start.
    void StartSearch(QStringList disks, std::vector<time_t> times, int channel);
    // The running search ends after the disk under way; what it found so far
    // is still reported.
    void StopSearch();
    // The per-channel records of the last search. The caller owns them (and
    // the file records in their lists); pointers are shared, not copied.
    void GetResults(QVector<ChannelFiles*>& results);
    // -1 and 1 select the search; another mode searches nothing.
    void SetSearchMode(int mode);
    // How long a disk's library search may stay silent before it is given
    // up and closed. Default 60 s; 0 or less waits without limit.
    void SetIdleTimeout(int milliseconds);

    // Per-record callback of the library; user is the thread.
    static void FindDataCallback(int kind, const FoundDataRecord* record, void* user);

signals:
    // Once at the end of every run, also after a stop.
    void signalSendWriteOver();

public slots:
    void onStopThread();
    void onChangeThread();

protected:
    void run() override;

private:
    void OnFound(const FoundDataRecord* record);
    bool WaitForEnd();

    QStringList m_disks;
    QVector<ChannelFiles*> m_results;
    std::atomic<int> m_mode{-1};
    QString m_currentDisk;
    std::string m_currentDiskLocal;       // local 8-bit form, the DiskName of found files
    std::atomic<bool> m_running{false};
    std::vector<time_t> m_times;
    int m_channel = 0;
    QMutex m_mutex;                       // guards the flag writes and the results
    bool m_change = false;
    bool m_abort = false;
    QMultiMap<int, APT_QMR::CSingleFile*> m_filesByChannel;

    std::mutex m_findMutex;               // guards the map and the accept flag; wakes the waiter
    std::condition_variable m_findWake;
    std::atomic<bool> m_findFinished{false};
    bool m_accepting = false;
    CLibraryActivity m_activity;
    std::atomic<bool> m_quit{false};
    std::atomic<int> m_idleTimeoutMs{60000};
};
