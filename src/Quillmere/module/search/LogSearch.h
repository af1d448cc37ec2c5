// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Log search: the device-log records of a set of partitions, read through
// the hard-disk file library and handed to the log page as table rows.
#include <QList>
#include <QMutex>
#include <QStandardItem>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "merrowfen.h"

// One record as the library fills it (68 bytes).
typedef HD_LOG_RECORD LogRecord;

// A query of the log page. The two times are the six-field date-time
// records (year, month, day, hour, minute, second) of the page; null leaves
// that end of the period open. SetSearchCondition keeps copies of them.
struct LogSearchCondition {
    uint8_t mode = 3;
    int32_t majorType = 0;   // 1 alarm, 2 exception, 3 operation, 4 information; 0 any
    int32_t minorType = 0;   // 0 any
    const HD_FILE_TIME* start = nullptr;
    const HD_FILE_TIME* end = nullptr;
};

// The display texts of one record.
struct LogRow {
    QString time;
    QString majorType;
    QString minorType;
    QString remoteOperator;
    QString localOperator;
    QString remoteHost;
    QString channel;
    QString parameterType;
    QString diskNumber;
    QString alarmIn;
    QString alarmOut;
    QString spare1;
    QString spare2;
};

class CLogSearch : public QThread {
    Q_OBJECT
public:
    // Records at which the page asks the operator to narrow the query.
    static constexpr int kRecordLimit = 2000;

    explicit CLogSearch(QObject* parent = nullptr);
    // Ends a run in progress (after the record in hand) and waits for it.
    ~CLogSearch() override;

    // Partitions: "X:\" or "\\.\PHYSICALDRIVE<N>". Both setters are ignored
    // while a run is in progress.
    void SetDiskPaths(QStringList paths);
    void SetSearchCondition(LogSearchCondition condition);

    // Ends the reading of the partition in progress; the next partitions are
    // still read.
    void CancelSearch();
    void WakeSearch();

    // False while no run has delivered rows; otherwise the records held now
    // (none between runs).
    bool GetLogRecords(std::vector<LogRecord>& records);
    // Whether the last run that found records found exactly kRecordLimit.
    bool IsLimitReached() const { return m_limitReached; }

    // The texts of one record.
    static LogRow ConvertRecord(const LogRecord& record);
    // The twelve table cells of a row; `number` counts from 1. The caller
    // owns the items.
    static QList<QStandardItem*> MakeTableRow(int number, const LogRow& row);

signals:
    // The rows of one run, 0 and the number of rows; the receiver owns the items.
    void signalSetLogInfoToView(QList<QList<QStandardItem*> > rows, int first, int count);
    void signalSetLogInfoNullToView();

protected:
    void run() override;

private:
    bool SearchPartitions();

    struct HeldCondition {
        LogSearchCondition condition;
        HD_FILE_TIME start;
        HD_FILE_TIME end;
    };

    std::atomic<bool> m_stop{false};
    QWaitCondition m_wait;
    QMutex m_mutex;
    QByteArray m_path;                       // Latin-1 form of the partition being read
    std::unique_ptr<HeldCondition> m_condition;
    std::atomic<bool> m_delivered{false};
    std::mutex m_recordsMutex;               // the records are read by GetLogRecords from other threads
    std::vector<LogRecord> m_records;
    std::atomic<bool> m_limitReached{false};
    QStringList m_partitions;
    std::atomic<bool> m_quit{false};
};
