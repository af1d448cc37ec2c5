// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds the rows of a download table on a worker thread: one row of items
// per recording file, handed over with SignalSendItems. The receiver reports
// each row it has taken (OnStartNow); the worker runs at most
// kRowsInFlight rows ahead of it and then waits until the receiver has
// caught up to half of that. So a large list costs no thread switch per row,
// and the receiver's queue stays short enough for its window to answer.
// Two forms: a plain file list (six columns: number, disk, start, end, size,
// status) and a list of searched channels (seven columns: number, disk,
// channel, start, end, size, status).
#include <QList>
#include <QMutex>
#include <QStandardItem>
#include <QString>
#include <QThread>
#include <QVector>
#include <QWaitCondition>

#include <cstdint>
#include <vector>

#include "storage/SingleFile.h"

// One searched channel as the batch dialog hands it over. The file records
// are not owned.
struct DownloadListEntry {
    QString diskName;
    QString deviceName;
    int channelNumber = 0;
    std::vector<APT_QMR::CSingleFile*> files;
};

class CDataDistributionThread : public QThread {
    Q_OBJECT
public:
    // Roles on the number item: the file size (unsigned) and the file name.
    static const int kFileSizeRole = Qt::UserRole + 114;  // 370
    static const int kFileNameRole = Qt::UserRole + 116;  // 372
    // Role on the disk item of the channel-list form: the disk path the
    // record was found on (the item shows the disk as the search panel does).
    static const int kDiskPathRole = Qt::UserRole + 117;  // 373
    // Rows sent but not yet reported taken, at most.
    static constexpr int kRowsInFlight = 256;

    CDataDistributionThread(const std::vector<APT_QMR::CSingleFile*>& files, QObject* parent = nullptr);
    CDataDistributionThread(const QVector<DownloadListEntry>& channels, QObject* parent = nullptr);
    // Releases the worker (it sends the remaining rows without waiting) and
    // waits for it to end.
    ~CDataDistributionThread() override;

    // Starts the worker unless it runs.
    void startThread();
    // Lets the worker send every remaining row without waiting.
    void stopWaiting();
    // Rows sent and not yet reported taken.
    int rowsInFlight() const;
    int mode() const { return m_nMode; }

signals:
    void SignalSendItems(const QList<QStandardItem*>& listItems);
    void SignalProgressChanged(int index, int count);
    void SendFinished();

public slots:
    void OnStartNow();

protected:
    void run() override;

private:
    void sendRow(const QList<QStandardItem*>& row, int index, int count);

    QWaitCondition m_wake;
    bool m_bNoWait = false;
    mutable QMutex m_lock;
    int m_inFlight = 0;  // rows sent, not yet reported taken
    std::vector<APT_QMR::CSingleFile*> m_files;
    QVector<DownloadListEntry> m_channels;
    int m_nMode = 0;
};

// Once the builder has ended: delivers to `receiver` the rows still queued
// for it (the progress was closed before they arrived), so that every row
// reaches its table instead of being dropped, unowned, with the receiver.
void TakeRowsOnTheirWay(QObject* receiver);

// The texts of a row's cells as the builder makes them: a time (seconds
// since 1970) as "yyyy-MM-dd hh:mm:ss" as recorder time, a file size.
QString RowTimeText(uint32_t seconds);
QString RowSizeText(uint32_t bytes);

Q_DECLARE_METATYPE(QList<QStandardItem*>)
