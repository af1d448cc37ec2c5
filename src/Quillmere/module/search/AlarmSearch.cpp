// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmSearch.h"


#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "storage/CommonHelpers.h"
#include "storage/KelLogging.h"

namespace {

#define Log(...) LogDebugLine(lcKelSearch(), __VA_ARGS__)

HD_FILE_TIME ToHdTime(const QDateTime& t) {
    HD_FILE_TIME h;
    std::memset(&h, 0, sizeof h);
    if (!t.isValid()) return h;
    h.year = t.date().year();
    h.month = t.date().month();
    h.day = t.date().day();
    h.hour = t.time().hour();
    h.minute = t.time().minute();
    h.second = t.time().second();
    return h;
}

bool IsEventMajor(unsigned major) {
    return major == HD_EXTRA_MAJOR_EVENT_A || major == HD_EXTRA_MAJOR_EVENT_B || major == HD_EXTRA_MAJOR_EVENT_C;
}

constexpr size_t kDriverBehaviorBlock = 40;
constexpr size_t kMinEventBlock = 13;  // event blocks are taken when longer than 12 bytes

}  // namespace

void RegisterAlarmRecordMetaTypes() {
    qRegisterMetaType<COMMON_MSG_BODY>("COMMON_MSG_BODY");
    qRegisterMetaType<COMMON_MSG_INFO>("COMMON_MSG_INFO");
    qRegisterMetaType<std::vector<COMMON_MSG_BODY>>("std::vector<COMMON_MSG_BODY>");
    qRegisterMetaType<std::vector<COMMON_MSG_INFO>>("std::vector<COMMON_MSG_INFO>");
}

void fnGetExtraInfoCBCallback(int handle, int dataType, const ExtraInfoRecord* record, void* user) {
    if (user) static_cast<CAlarmSearch*>(user)->GetExtraInfoCBCallback(handle, dataType, record);
}

CAlarmSearch::CAlarmSearch(QObject* parent) : QThread(parent) { RegisterAlarmRecordMetaTypes(); }

CAlarmSearch::~CAlarmSearch() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    wait();
}

void CAlarmSearch::SetSearchCondition(const QStringList& disks, const QDateTime& start, const QDateTime& end,
                                      const QVector<int>& channels) {
    if (isRunning()) {
        Log("CAlarmSearch::SetSearchCondition ignored, a search is running");
        return;
    }
    m_disks = disks;
    m_start = start;
    m_end = end;
    m_channels = channels;
}

void CAlarmSearch::SetIdleTimeout(int milliseconds) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_idleTimeoutMs = milliseconds;
    }
    m_wake.notify_all();
}

void CAlarmSearch::GetExtraInfoCBCallback(int handle, int dataType, const ExtraInfoRecord* record) {
    if (dataType == HD_EXTRA_END) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
            m_activity.Mark();
        }
        m_wake.notify_all();
        return;
    }
    m_activity.Mark();
    if (!record || dataType != HD_EXTRA_RECORD) {
        Log("fnGetExtraInfoCBCallback data is null or type is not 1");
        return;
    }
    Log("fnGetExtraInfoCBCallback, handle:%d, data type:%d, major type:%u, minor type:%u,date len:%u", handle, dataType,
        unsigned(record->majorType), unsigned(record->minorType), unsigned(record->dataLength));
    if (record->minorType != HD_EXTRA_MINOR_NORMAL || !record->data) return;

    COMMON_MSG_INFO info;
    std::memset(&info, 0, sizeof info);
    info.Channel = m_currentChannel;
    if (IsEventMajor(record->majorType)) {
        if (record->dataLength < kMinEventBlock) return;
        uint32_t start = 0, end = 0;
        std::memcpy(&start, record->data, 4);
        std::memcpy(&end, record->data + 4, 4);
        // Event times count the recorder's clock, as every recorder time here.
        info.Body.StartTime = start;
        info.Body.EndTime = end;
        info.Body.Type = record->majorType;
        Log("CAlarmSearch::GetExtraInfoCBCallback get event:%d, start:%d, end:%d", int(record->majorType),
            int(info.Body.StartTime), int(info.Body.EndTime));
    } else if (record->majorType == HD_EXTRA_MAJOR_DRIVER_BEHAVIOR) {
        if (record->dataLength != kDriverBehaviorBlock) return;
        std::memcpy(&info.Body, record->data, sizeof info.Body);
        Log("CAlarmSearch::GetExtraInfoCBCallback get driver behavior event:%d, type:%d, start:%d, end:%d",
            int(record->majorType), int(info.Body.Type), int(info.Body.StartTime), int(info.Body.EndTime));
    } else {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // A record of a library search that was given up is not taken.
    if (m_accepting) m_results.push_back(info);
}

bool CAlarmSearch::WaitForEnd() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_activity.WaitForEnd(lock, m_wake, [this] { return m_finished || m_quit; }, m_idleTimeoutMs)) {
        Log("CAlarmSearch: no end report for %d ms, the library search is given up", m_idleTimeoutMs.load());
        return false;
    }
    return m_finished;
}

void CAlarmSearch::run() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_results.clear();
    }
    // A path has to fit its 260-byte slot with room for the terminator; one
    // that does not is left out rather than cut to another path.
    std::vector<std::string> paths;
    for (const QString& disk : m_disks) {
        std::string path = disk.toStdString();
        if (path.size() >= HD_EXTRA_PATH_SIZE) {
            Log("disk name too long, left out:%.64s...", path.c_str());
            continue;
        }
        paths.push_back(std::move(path));
    }
    const int n = int(paths.size());
    const int batches = n / HD_EXTRA_MAX_DISKS + (n % HD_EXTRA_MAX_DISKS ? 1 : 0);
    Log("disk size:%d, cycle:%d", n, batches);

    for (int channel : m_channels) {
        for (int b = 0; b < batches && !m_quit; ++b) {
            const int k = std::min(HD_EXTRA_MAX_DISKS, n - HD_EXTRA_MAX_DISKS * b);
            ExtraInfoCondition cond;
            std::memset(&cond, 0, sizeof cond);
            for (int i = 0; i < k; ++i) {
                const std::string& path = paths[size_t(HD_EXTRA_MAX_DISKS * b + i)];
                Log("disk name:%s", path.c_str());
                std::memcpy(cond.diskPaths[i], path.data(), path.size());
            }
            cond.diskCount = k;
            cond.channel = channel;
            m_currentChannel = channel;
            cond.start = ToHdTime(m_start);
            cond.end = ToHdTime(m_end);
            cond.user = this;
            cond.callback = fnGetExtraInfoCBCallback;

            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_finished = false;
                m_accepting = true;
            }
            const int handle = HD_FILE_StartFindExtraInfo(&cond);
            if (handle >= 0) {
                WaitForEnd();
                HD_FILE_StopFindExtraInfo(handle);
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_accepting = false;
        }
        if (m_quit) break;
    }

    std::vector<COMMON_MSG_INFO> results;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        results = m_results;
    }
    emit signalAlarmInfo(results);
}
