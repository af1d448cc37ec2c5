// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamSource.h"

#include "storage/RecorderTime.h"
#include "merrowfen.h"
#include "recstream/recstream.h"
#include "zun.h"

#include <QDateTime>
#include <QDebug>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include "storage/KelLogging.h"

namespace {

// The file a by-time stream of the direct reader opens. Records of the local
// search name the folder in DiskName and the recording in FileName; a folder
// cannot be streamed, so the recording's own path is taken then.
std::string RbsPathOf(const APT_QMR::CSingleFile& file) {
    if (file.DiskName.empty()) return file.FileName;
    ZUN_DIR dir = ZUN_OpenDir(file.DiskName.c_str());
    if (dir) {
        ZUN_CloseDir(dir);
        return file.FileName;
    }
    return file.DiskName;
}

QString Now() { return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz"); }

}  // namespace

// The direct reader streams recorder files. Any other file (a converted
// .mp4, which the player library reads itself, a damaged file, or none)
// would never deliver a stream header, and whoever waits for one would
// wait in vain: such a file is refused at once.
bool IsRecorderFile(const std::string& path) {
    ZUN_FILE f = path.empty() ? 0 : ZUN_OpenFile(path.c_str(), ZUN_FILE_READ);
    if (!f) return false;
    char header[recstream::kHeaderSize] = {};
    const bool whole = ZUN_ReadFile(f, header, sizeof header) == static_cast<int64_t>(sizeof header);
    ZUN_CloseFile(f);
    recstream::StreamHeader parsed;
    return whole && recstream::ParseHeader(header, sizeof header, &parsed);
}

bool IsConvertedFile(const std::string& path) {
    ZUN_FILE f = path.empty() ? 0 : ZUN_OpenFile(path.c_str(), ZUN_FILE_READ);
    if (!f) return false;
    ZUN_CloseFile(f);
    return !IsRecorderFile(path);
}

CStreamSource::CStreamSource()
    : m_handle(-1), m_pRbsOperate(nullptr), m_bRbs(false), m_openOnRbs(false), m_callback(nullptr), m_user(nullptr) {}

CStreamSource::~CStreamSource() {
    StopStream();
    delete m_pRbsOperate;
    m_pRbsOperate = nullptr;
}

void CStreamSource::SetCallback(StreamDataCallback callback, void* user) {
    m_callback = callback;
    m_user = user;
}

void CStreamSource::SetDiskKind(bool bareDisk) {
    m_bRbs = bareDisk;
    if (!m_pRbsOperate) m_pRbsOperate = new RbsOperate();
}

void CStreamSource::RbsForward(int handle, int kind, char* data, uint32_t length, void* user) {
    auto* self = static_cast<CStreamSource*>(user);
    if (self && self->m_callback)
        self->m_callback(handle, kind, reinterpret_cast<unsigned char*>(data), static_cast<int>(length), self->m_user);
}

void CStreamSource::StopStream() {
    if (m_handle == -1) return;
    // Stopped through the route that opened it, whatever the flag says now:
    // a stream left running would go on feeding the callback.
    if (m_openOnRbs) {
        if (m_pRbsOperate) m_pRbsOperate->RBS_StopStream(m_handle);
    } else {
        m_storageOper.StopStream();
    }
    m_handle = -1;
}

bool CStreamSource::StartStreamByFile(std::shared_ptr<APT_QMR::CSingleFile>& file, bool held) {
    StopStream();
    if (!file) return false;
    if (!m_bRbs) {
        qCDebug(lcKelPlayback, "m_storageOper.StartStreamByFileName enter, filename:%s", file->FileName.c_str());
        m_handle = m_storageOper.StartStreamByFileName(file, m_callback, m_user, held);
        qCDebug(lcKelPlayback, "m_storageOper.StartStreamByFileName out, return:%d", m_handle);
    } else if (m_pRbsOperate) {
        if (IsRecorderFile(file->FileName))
            m_handle =
                m_pRbsOperate->RBS_GetStreamByFile(file->FileName.c_str(), 8, 0, &CStreamSource::RbsForward, this, held);
        if (m_handle == -1) qCDebug(lcKelPlayback, "RBS_GetStreamByFile Failed");
    }
    m_openOnRbs = m_bRbs;
    return m_handle != -1;
}

void CStreamSource::ReleaseStream() {
    if (m_handle == -1) return;
    if (!m_openOnRbs) {
        m_storageOper.ReleaseStream();
    } else if (m_pRbsOperate) {
        m_pRbsOperate->RBS_ReleaseStream(m_handle);
    }
}

bool CStreamSource::StartStreamByTime(std::shared_ptr<APT_QMR::CSingleFile>& file) {
    StopStream();
    if (!file) return false;
    RbsDateTime start = RecorderFields(static_cast<time_t>(file->StartTime));
    RbsDateTime end = RecorderFields(static_cast<time_t>(file->EndTime));
    if (!m_bRbs) {
        qCDebug(lcKelPlayback, "m_storageOper.StartStreamByTime enter, disk:%s", file->DiskName.c_str());
        m_handle = m_storageOper.StartStreamByTime(file, m_callback, m_user);
        qCDebug(lcKelPlayback, "m_storageOper.StartStreamByTime out, return:%d", m_handle);
    } else if (m_pRbsOperate) {
        qCDebug(lcKelPlayback, "m_pRbsOperate->RBS_GetStreamByTime enter, disk:%s", file->DiskName.c_str());
        const std::string path = RbsPathOf(*file);
        if (IsRecorderFile(path))
            m_handle = m_pRbsOperate->RBS_GetStreamByTime(path.c_str(), &start, &end, 8, &CStreamSource::RbsForward, this);
    }
    m_openOnRbs = m_bRbs;
    return m_handle != -1;
}

bool CStreamSource::SetPosByTime(RbsDateTime time, bool* reset, void (*resetBuffer)(void*), void* arg) {
    if (reset) *reset = true;
    if (m_handle == -1) return false;
    if (!m_openOnRbs) {
        qCDebug(lcKelPlayback, "HD_FILE_SetPosByTime Start");
        bool moved = true;
        bool ok = m_storageOper.SetPosTime(&time, &moved);
        if (reset) *reset = moved;
        if (!ok) qCDebug(lcKelPlayback, "HD_FILE_SetPosByTime Failed error = %d", HD_FILE_GetLastError());
        qCDebug(lcKelPlayback, "HD_FILE_SetPosByTime Stop");
        return ok;
    }
    if (!m_pRbsOperate) return false;
    qCDebug(lcKelPlayback, "DragStartRBS_SetPosByTime %s", qPrintable(Now()));
    if (m_pRbsOperate->RBS_SetPosByTime(m_handle, &time, resetBuffer, arg)) {
        if (resetBuffer && reset) *reset = false;
        qCDebug(lcKelPlayback, "DragEndRBS_SetPosByTime %s", qPrintable(Now()));
        return true;
    }
    qCDebug(lcKelPlayback, "RBS_SetPosByTime Failed");
    return false;
}

int CStreamSource::GetPos() {
    if (m_handle == -1) return 0;
    if (m_openOnRbs) return m_pRbsOperate ? m_pRbsOperate->RBS_GetPos(m_handle) : -1;
    return m_storageOper.GetPos();
}

namespace {

// A stream read again that delivers nothing for this long before its end
// has failed, as a download's does.
constexpr uint64_t kSpanStalledMs = 30000;
constexpr int kSpanPollMs = 20;

struct SpanReading {
    const SpanSink* sink = nullptr;
    std::mutex lock;
    std::condition_variable changed;
    bool enough = false;
    uint64_t lastDataMs = 0;

    static void OnData(int, int dataType, unsigned char* data, int length, void* user) {
        auto* self = static_cast<SpanReading*>(user);
        if (!self || !data || length <= 0 || (dataType != 1 && dataType != 2)) return;
        {
            std::lock_guard<std::mutex> guard(self->lock);
            self->lastDataMs = ZUN_MonotonicMs();
            if (self->enough) return;
        }
        if ((*self->sink)(dataType, data, static_cast<uint32_t>(length))) return;
        std::lock_guard<std::mutex> guard(self->lock);
        self->enough = true;
        self->changed.notify_all();
    }
};

}  // namespace

bool ReadRecordingSpan(const std::vector<std::shared_ptr<APT_QMR::CSingleFile>>& files, bool direct, time_t from,
                       time_t to, int lead, const SpanSink& sink) {
    bool first = true;
    for (const std::shared_ptr<APT_QMR::CSingleFile>& file : files) {
        if (!file || static_cast<time_t>(file->EndTime) <= from || static_cast<time_t>(file->StartTime) > to) continue;
        const time_t begin = std::max<time_t>(file->StartTime, first ? from - lead : from);
        first = false;
        // Read as the player reads it: the file opened held and moved to the
        // second before its first block; one that cannot be moved there is
        // read from its start (the sink passes over what comes before).
        std::shared_ptr<APT_QMR::CSingleFile> task(file->clone(static_cast<int>(begin), -1));
        SpanReading reading;
        reading.sink = &sink;
        reading.lastDataMs = ZUN_MonotonicMs();
        CStreamSource source;
        source.SetCallback(&SpanReading::OnData, &reading);
        source.SetDiskKind(direct);
        bool open = source.StartStreamByFile(task, true);
        if (open && begin > static_cast<time_t>(file->StartTime)) {
            bool reset = false;
            if (!source.SetPosByTime(RecorderFields(static_cast<time_t>(static_cast<uint32_t>(begin))), &reset)) {
                source.StopStream();
                open = source.StartStreamByFile(task, false);
            }
        }
        if (!open) {
            qCDebug(lcKelPlayback, "ReadRecordingSpan cannot open %s", file->FileName.c_str());
            return false;
        }
        source.ReleaseStream();
        bool failed = false;
        for (;;) {
            {
                std::unique_lock<std::mutex> guard(reading.lock);
                reading.changed.wait_for(guard, std::chrono::milliseconds(kSpanPollMs), [&] { return reading.enough; });
                if (reading.enough) break;
            }
            const int pos = source.GetPos();
            if (pos == StorageOper::kPosEnd) break;
            uint64_t last;
            {
                std::lock_guard<std::mutex> guard(reading.lock);
                last = reading.lastDataMs;
            }
            const uint64_t now = ZUN_MonotonicMs();
            if (pos == StorageOper::kPosFailed || (now > last && now - last > kSpanStalledMs)) {
                failed = true;
                break;
            }
        }
        // Every block read has been handed on when the stream has stopped.
        source.StopStream();
        if (failed) {
            qCDebug(lcKelPlayback, "ReadRecordingSpan %s failed while it was read", file->FileName.c_str());
            return false;
        }
        std::lock_guard<std::mutex> guard(reading.lock);
        if (reading.enough) return true;
    }
    return true;
}
