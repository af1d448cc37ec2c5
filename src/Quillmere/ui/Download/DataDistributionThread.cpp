// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataDistributionThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QHash>
#include <QMetaType>
#include <QMutexLocker>

#include <cstdio>
#include <ctime>

#include "storage/RecorderTime.h"
#include "storage/DiskEnum.h"
#include "storage/KelLogging.h"
#include "ziraz/ziraz.h"

namespace {

void RegisterRowType() { qRegisterMetaType<QList<QStandardItem*>>("QList<QStandardItem*>"); }

QStandardItem* TextItem(const QString& text) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    return item;
}

QStandardItem* NumberItem(int number, const APT_QMR::CSingleFile& file) {
    auto* item = new QStandardItem(QString::number(number));
    item->setCheckable(true);
    item->setCheckState(Qt::Unchecked);
    item->setEditable(false);
    item->setData(static_cast<unsigned int>(file.FileSize), CDataDistributionThread::kFileSizeRole);
    item->setData(QString::fromUtf8(file.FileName.c_str()), CDataDistributionThread::kFileNameRole);
    return item;
}

// Start, end, size and status: the columns both forms end with.
void AppendTail(QList<QStandardItem*>& row, const APT_QMR::CSingleFile& file) {
    row << TextItem(RowTimeText(file.StartTime)) << TextItem(RowTimeText(file.EndTime))
        << TextItem(RowSizeText(file.FileSize))
        << TextItem(CDataDistributionThread::tr("Wait"));
}

// The lists may hold null entries: they have no row.
std::vector<const APT_QMR::CSingleFile*> PresentFiles(const std::vector<APT_QMR::CSingleFile*>& files) {
    std::vector<const APT_QMR::CSingleFile*> present;
    present.reserve(files.size());
    for (const APT_QMR::CSingleFile* f : files)
        if (f) present.push_back(f);
    return present;
}

}  // namespace

CDataDistributionThread::CDataDistributionThread(const std::vector<APT_QMR::CSingleFile*>& files, QObject* parent)
    : QThread(parent), m_files(files), m_nMode(0) {
    RegisterRowType();
    qCDebug(lcKelUi, "Download Init File: %d", static_cast<int>(m_files.size()));
}

CDataDistributionThread::CDataDistributionThread(const QVector<DownloadListEntry>& channels, QObject* parent)
    : QThread(parent), m_channels(channels), m_nMode(1) {
    RegisterRowType();
}

CDataDistributionThread::~CDataDistributionThread() {
    {
        QMutexLocker locker(&m_lock);
        m_bNoWait = true;
        m_wake.wakeOne();
    }
    wait();
}

void CDataDistributionThread::startThread() {
    if (isRunning()) return;
    {
        QMutexLocker locker(&m_lock);
        m_bNoWait = false;
        m_inFlight = 0;
    }
    start(QThread::InheritPriority);
}

void CDataDistributionThread::stopWaiting() {
    QMutexLocker locker(&m_lock);
    m_bNoWait = true;
    m_wake.wakeOne();
}

int CDataDistributionThread::rowsInFlight() const {
    QMutexLocker locker(&m_lock);
    return m_inFlight;
}

void CDataDistributionThread::OnStartNow() {
    QMutexLocker locker(&m_lock);
    if (m_inFlight > 0) --m_inFlight;
    if (m_inFlight <= kRowsInFlight / 2) m_wake.wakeOne();
}

void CDataDistributionThread::sendRow(const QList<QStandardItem*>& row, int index, int count) {
    // The lock is held from before the emits until the wait releases it, so
    // the receiver's reports cannot be counted before the row they report.
    QMutexLocker locker(&m_lock);
    emit SignalProgressChanged(index, count);
    emit SignalSendItems(row);
    ++m_inFlight;
    if (m_inFlight < kRowsInFlight) return;
    while (!m_bNoWait && m_inFlight > kRowsInFlight / 2) m_wake.wait(&m_lock);
}

void CDataDistributionThread::run() {
    if (m_nMode == 0) {
        const std::vector<const APT_QMR::CSingleFile*> files = PresentFiles(m_files);
        const int n = static_cast<int>(files.size());
        // A channel may have been found on several disks: each row names
        // its disk as the search panel does (looked up once per disk).
        QHash<QString, QString> shownDisks;
        for (int i = 0; i < n; ++i) {
            const APT_QMR::CSingleFile& file = *files[static_cast<size_t>(i)];
            const QString disk = QString::fromLocal8Bit(file.DiskName.c_str());
            auto shown = shownDisks.constFind(disk);
            if (shown == shownDisks.constEnd()) shown = shownDisks.insert(disk, DiskShownName(file.DiskName));
            QList<QStandardItem*> row;
            QStandardItem* diskItem = TextItem(shown.value());
            diskItem->setToolTip(shown.value());   // a folder may be longer than its column
            row << NumberItem(i + 1, file) << diskItem;
            AppendTail(row, file);
            sendRow(row, i, n);
        }
    } else {
        for (const DownloadListEntry& original : m_channels) {
            const DownloadListEntry entry = original;
            const std::vector<const APT_QMR::CSingleFile*> files = PresentFiles(entry.files);
            const int n = static_cast<int>(files.size());
            for (int i = 0; i < n; ++i) {
                const APT_QMR::CSingleFile& file = *files[static_cast<size_t>(i)];
                QList<QStandardItem*> row;
                QStandardItem* disk = TextItem(DiskShownName(file.DiskName));
                disk->setData(ziraz::ConvertToUnicode(file.DiskName, nullptr), kDiskPathRole);
                row << NumberItem(i + 1, file) << disk << TextItem(QString::number(entry.channelNumber));
                AppendTail(row, file);
                sendRow(row, i, n);
            }
        }
    }
    emit SendFinished();
    // Under the lock: the destructor may be setting the flag at this moment.
    QMutexLocker locker(&m_lock);
    m_bNoWait = false;
}

// The recorder time with the pattern "yyyy-MM-dd hh:mm:ss", through the C
// library's breakdown (QDateTime's cost more than the rest of a row).
QString RowTimeText(uint32_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    if (!gmtime_r(&t, &local)) return RecorderDateTime(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QString::fromLatin1(text);
}

QString RowSizeText(uint32_t bytes) { return ziraz::GetFileSize(static_cast<uint64_t>(bytes), QString(), 2); }

void TakeRowsOnTheirWay(QObject* receiver) { QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall); }
