// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record search: finds the recordings of the ticked disks for a range of
// whole days and hands them back grouped per channel. On request it also
// copies the recorder's pictures of those days into the program folder's
// "Target" (channel 1) and "Other" (channels 2 to 16) folders.
//
// The search panel sets the inputs, calls startSearch and waits for
// signalSendWriteOver(); then it takes the records with getResults. The
// records (ChannelFiles and their CSingleFile entries) belong to the caller
// from then on: the thread never frees them.
#include <QMultiMap>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>
#include <atomic>
#include <ctime>
#include <vector>

#include "storage/DateTimePair.h"
#include "storage/RecordTypes.h"
#include "storage/StorageOper.h"

class SearchThread : public QThread {
    Q_OBJECT
public:
    SearchThread();
    // Waits for a running search to end.
    ~SearchThread() override;

    // Starts a search of `disks` (drive paths such as "E:\" or physical
    // drive names) over the recorder days from the first to the last of
    // `times`. While a search runs the call changes nothing and starts
    // nothing.
    void startSearch(QStringList disks, std::vector<time_t> times);
    // Skips the disks not yet searched; what was found is still reported.
    void stopSearch();
    // The per-channel records of the last search (pointers shared).
    void getResults(QVector<ChannelFiles*>& results);

    // -1 or 1; both take the storage route.
    void setSearchMode(int mode);
    void setTimeSpanSearch(bool on);
    void setCopyPictures(bool on);

    // Per-record callback of the storage search (user = the thread).
    static void findDataCallback(int kind, const FoundDataRecord* record, void* user);

signals:
    void signalSendWriteOver();

public slots:
    void onStopThread();
    void onChangeThread();

protected:
    void run() override;

private:
    bool isRunningFlagSet();
    void addFile(const FoundDataRecord* record, uint32_t start, uint32_t end);
    void copyPicturesByTime();
    static bool removeFolder(const QString& path);

    QStringList m_disks;
    QVector<ChannelFiles*> m_results;
    std::atomic<int> m_searchMode{-1};
    QString m_currentDisk;
    bool m_running = false;
    std::vector<time_t> m_times;
    QMutex m_mutex;
    bool m_changed = false;
    std::atomic<bool> m_copyPictures{false};
    bool m_aborted = false;
    QMultiMap<int, APT_QMR::CSingleFile*> m_filesByChannel;
    QVector<CDateTimePair> m_timeSpans;
    std::atomic<bool> m_timeSpanSearch{false};
    StorageOper m_storage;
};
