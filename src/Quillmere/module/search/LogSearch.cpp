// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogSearch.h"

#include <QMetaMethod>
#include <QMetaType>
#include <QMutexLocker>

#include <cstring>
#include <string>

#include "IpStandardItem.h"
#include "LogTypeTable.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"

namespace {

// A zero-terminated text field that may fill its whole width.
std::string Field(const char* text, size_t width) { return std::string(text, strnlen(text, width)); }

// The one-character text of a parameter-type value.
QString ParameterText(uint32_t value) {
    if (value <= 0xFFFF) {
        const QChar c(static_cast<ushort>(value));
        if (!c.isSurrogate()) return QString(c);
        return QString();
    }
    if (value <= 0x10FFFF) {
        const uint code = value;
        return QString::fromUcs4(&code, 1);
    }
    return QString();
}

QStandardItem* Cell(QStandardItem* item) {
    item->setEditable(false);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

}  // namespace

CLogSearch::CLogSearch(QObject* parent) : QThread(parent) {
    qRegisterMetaType<QList<QList<QStandardItem*> > >("QList<QList<QStandardItem*> >");
}

CLogSearch::~CLogSearch() {
    m_quit = true;
    CancelSearch();
    wait();
}

void CLogSearch::SetDiskPaths(QStringList paths) {
    if (isRunning()) {
        qCDebug(lcKelSearch, "CLogSearch::SetDiskPaths ignored, a search is running");
        return;
    }
    m_partitions = std::move(paths);
}

void CLogSearch::SetSearchCondition(LogSearchCondition condition) {
    if (isRunning()) {
        qCDebug(lcKelSearch, "CLogSearch::SetSearchCondition ignored, a search is running");
        return;
    }
    // The page's time records are copied: the run never reads the page's memory.
    std::unique_ptr<HeldCondition> held(new HeldCondition);
    held->condition = condition;
    std::memset(&held->start, 0, sizeof held->start);
    std::memset(&held->end, 0, sizeof held->end);
    if (condition.start) held->start = *condition.start;
    if (condition.end) held->end = *condition.end;
    held->condition.start = condition.start ? &held->start : nullptr;
    held->condition.end = condition.end ? &held->end : nullptr;
    m_condition = std::move(held);
}

void CLogSearch::CancelSearch() {
    QMutexLocker lock(&m_mutex);
    m_stop = true;
    m_wait.wakeOne();
}

void CLogSearch::WakeSearch() {
    QMutexLocker lock(&m_mutex);
    m_wait.wakeOne();
}

bool CLogSearch::GetLogRecords(std::vector<LogRecord>& records) {
    if (!m_delivered) return false;
    std::lock_guard<std::mutex> lock(m_recordsMutex);
    records = m_records;
    return true;
}

LogRow CLogSearch::ConvertRecord(const LogRecord& record) {
    const CLogTrans trans;
    const int major = int(record.majorType);
    const int minor = int(record.minorType);
    LogRow row;
    const std::string time = Field(record.time, sizeof record.time);
    row.time = trans.GetTimeText(time.c_str());
    row.majorType = trans.GetMajorTypeText(major);
    row.minorType = trans.GetMinorTypeText(major, minor);
    row.remoteOperator = ziraz::ConvertToUnicode(Field(record.remoteUser, sizeof record.remoteUser));
    row.localOperator = ziraz::ConvertToUnicode(Field(record.localUser, sizeof record.localUser));
    row.remoteHost = trans.GetIpText(major, minor, record.remoteHost);
    row.parameterType = ParameterText(record.paramType);
    row.channel = trans.GetChannelText(major, minor, record.channel);
    row.diskNumber = QString::number(record.diskNumber);
    row.alarmIn = trans.GetAlarmInText(major, minor, record.alarmIn);
    row.alarmOut = trans.GetAlarmOutText(major, minor, record.alarmOut);
    return row;
}

QList<QStandardItem*> CLogSearch::MakeTableRow(int number, const LogRow& row) {
    QList<QStandardItem*> items;
    items << Cell(new QStandardItem(QString::asprintf("%04d", number)));
    items << Cell(new QStandardItem(row.time));
    items << Cell(new QStandardItem(row.majorType));
    items << Cell(new QStandardItem(row.minorType));
    items << Cell(new QStandardItem(row.localOperator));
    items << Cell(new QStandardItem(row.remoteOperator));
    items << Cell(new ziraz::IpStandardItem(row.remoteHost));
    items << Cell(new QStandardItem(row.parameterType));
    items << Cell(new QStandardItem(row.channel));
    items << Cell(new QStandardItem(row.diskNumber));
    items << Cell(new QStandardItem(row.alarmIn));
    items << Cell(new QStandardItem(row.alarmOut));
    return items;
}

bool CLogSearch::SearchPartitions() {
    const LogSearchCondition& cond = m_condition->condition;
    bool found = false;
    for (const QString& partition : m_partitions) {
        if (m_quit) break;
        m_path = partition.toLatin1();
        const int handle =
            HD_FILE_FindLog(m_path.constData(), HD_LOG_KIND_FILTER, cond.majorType, cond.minorType, cond.start, cond.end);
        const int error = HD_FILE_GetLastError();
        if (handle < 0) {
            qCDebug(lcKelSearch, "HD_FILE_FindLog failed, path:%s, error:%d", m_path.constData(), error);
            continue;
        }
        LogRecord record;
        while (!m_stop && !m_quit) {
            std::memset(&record, 0, sizeof record);
            if (HD_FILE_FindNextLog(handle, &record) == 0) {
                m_stop = true;
                break;
            }
            std::lock_guard<std::mutex> lock(m_recordsMutex);
            m_records.push_back(record);
            found = true;
        }
        HD_FILE_FindLogClose(handle);
        m_stop = false;
    }
    return found;
}

void CLogSearch::run() {
    m_stop = false;
    {
        std::lock_guard<std::mutex> lock(m_recordsMutex);
        m_records.clear();
    }
    if (m_partitions.isEmpty() || !m_condition) {
        emit signalSetLogInfoNullToView();
        return;
    }
    if (!SearchPartitions()) {
        emit signalSetLogInfoNullToView();
        return;
    }

    std::vector<LogRecord> records;
    {
        std::lock_guard<std::mutex> lock(m_recordsMutex);
        records = m_records;
    }
    m_limitReached = records.size() == size_t(kRecordLimit);
    std::vector<LogRow> rows;
    rows.reserve(records.size());
    for (const LogRecord& r : records) rows.push_back(ConvertRecord(r));
    m_delivered = true;

    QList<QList<QStandardItem*> > table;
    table.reserve(int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) table.append(MakeTableRow(int(i) + 1, rows[i]));

    {
        QMutexLocker lock(&m_mutex);
        if (isSignalConnected(QMetaMethod::fromSignal(&CLogSearch::signalSetLogInfoToView))) {
            emit signalSetLogInfoToView(table, 0, table.size());
        } else {
            // Nobody takes the items over.
            for (QList<QStandardItem*>& row : table) qDeleteAll(row);
        }
    }

    std::lock_guard<std::mutex> lock(m_recordsMutex);
    m_records.clear();
}
