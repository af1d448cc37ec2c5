// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchThread.h"

#include <QByteArray>
#include <QDateTime>
#include <QMutexLocker>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "storage/CommonHelpers.h"
#include "PictureFolders.h"
#include "storage/QorAutoStorage.h"
#include "RecordTypeCatalogue.h"
#include "pellomir/Pellomir.h"
#include "zun.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"

namespace {

// Channels reported by a search: 0 to 64.
constexpr int kLastChannel = 64;
// Room for a disk path in the search condition, with its terminator.
constexpr int kDiskPathSize = 260;

HD_FILE_TIME ToHdTime(const DVR_FILE_TIME& t) {
    return HD_FILE_TIME{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

// "yyyyMMddhhmmss" of the six fields, as recorder time. Fields out of their
// range widen the text; StringToTime then reads what the slices hold.
time_t FieldsToTime(const HD_FILE_TIME& t) {
    char text[96];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return StringToTime(text);
}

QDateTime FieldsToDateTime(const HD_FILE_TIME& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC);
}

}  // namespace

SearchThread::SearchThread() : QThread(nullptr) {}

SearchThread::~SearchThread() { wait(); }

void SearchThread::startSearch(QStringList disks, std::vector<time_t> times) {
    if (isRunning()) {
        // The running search reads its inputs without a lock: they stay as
        // they are until it ends.
        qCDebug(lcKelSearch, "SearchThread::startSearch a search is running, request ignored");
        return;
    }
    m_disks = disks;
    m_times = times;
    {
        QMutexLocker lock(&m_mutex);
        m_running = true;
        m_changed = false;
        m_aborted = false;
    }
    start(QThread::InheritPriority);
}

void SearchThread::stopSearch() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_aborted = true;
}

void SearchThread::getResults(QVector<ChannelFiles*>& results) { results = m_results; }

void SearchThread::setSearchMode(int mode) { m_searchMode = mode; }

void SearchThread::setTimeSpanSearch(bool on) { m_timeSpanSearch = on; }

void SearchThread::setCopyPictures(bool on) { m_copyPictures = on; }

void SearchThread::onStopThread() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
}

void SearchThread::onChangeThread() {
    QMutexLocker lock(&m_mutex);
    m_changed = true;
}

bool SearchThread::isRunningFlagSet() {
    QMutexLocker lock(&m_mutex);
    return m_running;
}

void SearchThread::run() {
    m_results.resize(0);
    m_filesByChannel.clear();

    if (m_times.empty()) {
        qCDebug(lcKelSearch, "SearchThread::run no search range given, nothing searched");
        emit signalSendWriteOver();
        return;
    }

    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(m_disks.size()));
    for (const QString& disk : m_disks) paths.push_back(disk.toStdString());
    std::sort(paths.begin(), paths.end());
    QorAutoStorage::GetInstance()->JudgeDiskTypes(paths);

    const DVR_FILE_TIME first = picfolders::DayStart(m_times.front());
    const DVR_FILE_TIME last = picfolders::DayEnd(m_times.back());
    for (const QString& disk : m_disks) {
        m_currentDisk = disk;
        m_searchMode = 1;
        if (!isRunningFlagSet()) break;

        const QByteArray local = disk.toLocal8Bit();
        if (local.size() >= kDiskPathSize) {
            qCDebug(lcKelSearch, "SearchThread::run disk path too long, skipped:%s", local.constData());
            continue;
        }
        char path[kDiskPathSize];
        std::memset(path, 0, sizeof path);
        std::memcpy(path, local.constData(), static_cast<size_t>(local.size()));

        FindDataCondition cond;
        std::memset(&cond, 0, sizeof cond);
        cond.diskPath = path;
        cond.channel = -1;
        cond.reserved0 = 0;
        cond.start = ToHdTime(first);
        cond.end = ToHdTime(last);
        cond.callback = &SearchThread::findDataCallback;
        cond.user = this;
        qCDebug(lcKelSearch, "m_storage.SearchFileInfos start, path:%s", path);
        m_storage.SearchFileInfos(&cond);
    }

    for (int channel = 0; channel <= kLastChannel; ++channel) {
        QList<APT_QMR::CSingleFile*> found = m_filesByChannel.values(channel);
        if (found.isEmpty()) continue;
        std::reverse(found.begin(), found.end());  // insertion order
        auto* record = new ChannelFiles;
        record->DeviceName = tr("DVR Video");
        record->ChannelInfo.SetChannelNumber(channel);
        record->ChannelInfo.SetDevice("NULLNULL");
        record->ChannelInfo.SetRbs(false);
        record->SingleFileList.assign(found.begin(), found.end());
        std::stable_sort(record->SingleFileList.begin(), record->SingleFileList.end(),
                         [](const APT_QMR::CSingleFile* a, const APT_QMR::CSingleFile* b) {
                             return a->StartTime < b->StartTime;
                         });
        m_results.append(record);
    }
    // Files of channels that are not reported belong to nobody.
    for (auto it = m_filesByChannel.begin(); it != m_filesByChannel.end(); ++it) {
        if (it.key() < 0 || it.key() > kLastChannel) delete it.value();
    }
    m_filesByChannel.clear();

    if (m_copyPictures) copyPicturesByTime();
    emit signalSendWriteOver();
}

void SearchThread::findDataCallback(int /*kind*/, const FoundDataRecord* record, void* user) {
    auto* self = static_cast<SearchThread*>(user);
    if (!self || !record) return;
    if (record->endOfSearch) {
        qCDebug(lcKelSearch, "m_storage.StopSearchFileInfos() enter");
        self->m_storage.StopSearchFileInfos();
        return;
    }
    if (!self->m_timeSpanSearch) {
        const time_t start = FieldsToTime(record->start);
        const time_t end = FieldsToTime(record->end);
        if (end < start) return;
        self->addFile(record, static_cast<uint32_t>(start), static_cast<uint32_t>(end));
        return;
    }
    QDateTime start = FieldsToDateTime(record->start);
    QDateTime end = FieldsToDateTime(record->end);
    for (const CDateTimePair& span : self->m_timeSpans) {
        if (span.startTime() > end || span.endTime() < start) continue;
        start = std::max(start, span.startTime());
        end = std::min(end, span.endTime());
        self->addFile(record, static_cast<uint32_t>(start.toSecsSinceEpoch()),
                      static_cast<uint32_t>(end.toSecsSinceEpoch()));
    }
}

void SearchThread::addFile(const FoundDataRecord* record, uint32_t start, uint32_t end) {
    const std::string disk = m_currentDisk.toLocal8Bit().toStdString();
    // The name field need not be terminated.
    const std::string name(record->fileName, strnlen(record->fileName, sizeof record->fileName));
    auto* file = new APT_QMR::CSingleFile(name, disk, record->fileSize, start, end,
                                          static_cast<int>(record->fileType), std::string(),
                                          static_cast<int>(record->channel));
    if (record->recordType <= 9) {
        file->SetSubType(static_cast<int>(record->recordType));
        file->SetEnforceMode(0);
    } else {
        applyRecordTypeOfFindData(record, file);
    }
    m_filesByChannel.insert(static_cast<int>(record->channel), file);
}

void SearchThread::copyPicturesByTime() {
    const DVR_FILE_TIME start = picfolders::DayStart(m_times.front());
    const DVR_FILE_TIME end = picfolders::DayEnd(m_times.back());
    const QString target = picfolders::TargetFolder();
    const QString other = picfolders::OtherFolder();
    removeFolder(target);
    removeFolder(other);
    ZUN_MakeDir(ziraz::ConvertFromUnicode(target).c_str());
    ZUN_MakeDir(ziraz::ConvertFromUnicode(other).c_str());

    const std::string drives = picfolders::DriveString(m_disks);
    if (drives.empty()) return;
    const std::string targetPath = ziraz::ConvertFromUnicode(target);
    const std::string otherPath = ziraz::ConvertFromUnicode(other);
    DVR_FILE_CopyPicFileByTime(drives.c_str(), &start, &end, 1, 3, targetPath.c_str());
    for (int channel = 2; channel <= 16; ++channel)
        DVR_FILE_CopyPicFileByTime(drives.c_str(), &start, &end, channel, 3, otherPath.c_str());
}

bool SearchThread::removeFolder(const QString& path) { return picfolders::RemoveFolder(path); }
