// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmClipSearchThread.h"

#include <QDateTime>
#include <QMutexLocker>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "storage/RecorderTime.h"
#include "storage/CommonHelpers.h"
#include "RecordTypeCatalogue.h"
#include "storage/KelLogging.h"

namespace {

#define Log(...) LogDebugLine(lcKelSearch(), __VA_ARGS__)

constexpr int kPathBufferSize = 260;
constexpr int kLastChannel = 64;
constexpr uint32_t kLastPlainRecordType = 9;

HD_FILE_TIME ToHdTime(time_t t) {
    const QDateTime local = RecorderDateTime(t);
    HD_FILE_TIME h;
    h.year = local.date().year();
    h.month = local.date().month();
    h.day = local.date().day();
    h.hour = local.time().hour();
    h.minute = local.time().minute();
    h.second = local.time().second();
    return h;
}

time_t ToTime(const HD_FILE_TIME& t) {
    char text[80];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return StringToTime(text);
}

}  // namespace

CAlarmSearchThread::CAlarmSearchThread() : QThread(nullptr) {}

CAlarmSearchThread::~CAlarmSearchThread() {
    {
        std::lock_guard<std::mutex> lock(m_findMutex);
        m_quit = true;
    }
    m_findWake.notify_all();
    m_running = false;
    wait();
}

void CAlarmSearchThread::StartSearch(QStringList disks, std::vector<time_t> times, int channel) {
    if (isRunning()) {
        Log("CAlarmSearchThread::StartSearch ignored, a search is running");
        return;
    }
    if (!disks.isSharedWith(m_disks)) m_disks = disks;
    m_times = std::move(times);
    m_channel = channel;
    {
        QMutexLocker lock(&m_mutex);
        m_running = true;
        m_change = false;
        m_abort = false;
    }
    start(QThread::InheritPriority);
}

void CAlarmSearchThread::StopSearch() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_abort = true;
}

void CAlarmSearchThread::GetResults(QVector<ChannelFiles*>& results) {
    QMutexLocker lock(&m_mutex);
    results = m_results;
}

void CAlarmSearchThread::SetSearchMode(int mode) { m_mode = mode; }

void CAlarmSearchThread::SetIdleTimeout(int milliseconds) {
    {
        std::lock_guard<std::mutex> lock(m_findMutex);
        m_idleTimeoutMs = milliseconds;
    }
    m_findWake.notify_all();
}

void CAlarmSearchThread::onStopThread() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
}

void CAlarmSearchThread::onChangeThread() {
    QMutexLocker lock(&m_mutex);
    m_change = true;
}

void CAlarmSearchThread::FindDataCallback(int, const FoundDataRecord* record, void* user) {
    if (user && record) static_cast<CAlarmSearchThread*>(user)->OnFound(record);
}

void CAlarmSearchThread::OnFound(const FoundDataRecord* record) {
    if (record->endOfSearch) {
        {
            std::lock_guard<std::mutex> lock(m_findMutex);
            m_findFinished = true;
            m_activity.Mark();
        }
        m_findWake.notify_all();
        return;
    }
    m_activity.Mark();
    const time_t start = ToTime(record->start);
    const time_t end = ToTime(record->end);
    // Kept also when its end lies before its start.
    const std::string name(record->fileName, strnlen(record->fileName, sizeof record->fileName));
    auto* file = new APT_QMR::CSingleFile(name, m_currentDiskLocal, record->fileSize, uint32_t(start), uint32_t(end),
                                          int(record->fileType), std::string(), int(record->channel));
    if (record->recordType <= kLastPlainRecordType) {
        file->SetSubType(int(record->recordType));
        file->SetEnforceMode(0);
    } else {
        applyRecordTypeOfFindData(record, file);
    }
    std::lock_guard<std::mutex> lock(m_findMutex);
    if (!m_accepting) {
        // A late call of a library search that was given up.
        delete file;
        return;
    }
    m_filesByChannel.insert(int(record->channel), file);
}

bool CAlarmSearchThread::WaitForEnd() {
    std::unique_lock<std::mutex> lock(m_findMutex);
    if (!m_activity.WaitForEnd(lock, m_findWake, [this] { return m_findFinished || m_quit; }, m_idleTimeoutMs)) {
        Log("CAlarmSearchThread: no end of search for %d ms, the disk is given up", m_idleTimeoutMs.load());
        return false;
    }
    return m_findFinished;
}

void CAlarmSearchThread::run() {
    {
        QMutexLocker lock(&m_mutex);
        m_results.resize(0);  // the caller owns (and may have freed) the previous records
    }
    {
        std::lock_guard<std::mutex> lock(m_findMutex);
        m_filesByChannel.clear();  // the records belong to whoever took the last results
    }
    QVector<ChannelFiles*> results;

    if (m_times.empty()) {
        Log("CAlarmSearchThread::run no time span given, nothing searched");
    } else {
        const HD_FILE_TIME start = ToHdTime(m_times.front());
        const HD_FILE_TIME end = ToHdTime(m_times.back());
        for (const QString& disk : m_disks) {
            m_currentDisk = disk;
            const QByteArray local = disk.toLocal8Bit();
            m_currentDiskLocal = local.toStdString();
            const int mode = m_mode;
            if (mode != -1 && mode != 1) {
                Log("CAlarmSearchThread::run search mode %d searches nothing", mode);
                break;
            }
            m_mode = 1;
            if (!m_running || m_quit) break;
            if (local.size() >= kPathBufferSize) {
                Log("CAlarmSearchThread::run disk path too long, left out");
                continue;
            }
            char path[kPathBufferSize];
            std::memset(path, 0, sizeof path);
            std::memcpy(path, local.constData(), size_t(local.size()));

            FindDataCondition cond;
            std::memset(&cond, 0, sizeof cond);
            cond.diskPath = path;
            cond.channel = m_channel;
            cond.reserved0 = 0;
            cond.start = start;
            cond.end = end;
            cond.callback = &CAlarmSearchThread::FindDataCallback;
            cond.user = this;

            {
                std::lock_guard<std::mutex> lock(m_findMutex);
                m_findFinished = false;
                m_accepting = true;
            }
            Log("CAlarmSearchThread::run HD_FILE_FindData start, path:%s", path);
            const int handle = HD_FILE_FindData(0, &cond, int(sizeof cond));
            if (handle >= 0) {
                WaitForEnd();
                HD_FILE_FindDataClose(handle);
            }
            std::lock_guard<std::mutex> lock(m_findMutex);
            m_accepting = false;
        }
    }

    {
        std::lock_guard<std::mutex> lock(m_findMutex);
        for (int channel = 0; channel <= kLastChannel; ++channel) {
            QList<APT_QMR::CSingleFile*> found = m_filesByChannel.values(channel);
            if (found.isEmpty()) continue;
            // values() lists the latest insertion first; keep the library's
            // order among equal start times.
            std::vector<APT_QMR::CSingleFile*> files(found.rbegin(), found.rend());
            std::stable_sort(files.begin(), files.end(), [](const APT_QMR::CSingleFile* a, const APT_QMR::CSingleFile* b) {
                return a->StartTime < b->StartTime;
            });
            auto* record = new ChannelFiles;
            record->DeviceName = tr("DVR Video");
            record->ChannelInfo.SetChannelNumber(channel);
            record->ChannelInfo.SetDevice(QStringLiteral("NULLNULL"));
            record->ChannelInfo.SetRbs(false);
            record->SingleFileList = std::move(files);
            results.append(record);
        }
        // Recordings of channels that no record reports reach nobody: free them.
        for (auto it = m_filesByChannel.begin(); it != m_filesByChannel.end(); ++it) {
            if (it.key() < 0 || it.key() > kLastChannel) delete it.value();
        }
        m_filesByChannel.clear();
    }
    {
        QMutexLocker lock(&m_mutex);
        m_results = results;
    }
    emit signalSendWriteOver();
}
