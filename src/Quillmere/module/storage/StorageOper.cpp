// SPDX-License-Identifier: GPL-3.0-or-later
#include "StorageOper.h"


#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "CommonHelpers.h"
#include "RecorderTime.h"
#include "QorAutoStorage.h"
#include "SingleFile.h"
#include "KelLogging.h"

namespace {

constexpr int kReadBlock = 8192;
constexpr int kHeaderSize = 40;
// Hard-disk file library stream mode: 8 KiB blocks, up to 8 paths by time.
constexpr int kStreamMode = 8;
constexpr int kPathListSize = 256;

#define Log(...) LogDebugLine(lcKelStorage(), __VA_ARGS__)

HD_FILE_TIME ToHdTime(const RbsDateTime& t) {
    HD_FILE_TIME h;
    h.year = t.year;
    h.month = t.month;
    h.day = t.day;
    h.hour = t.hour;
    h.minute = t.minute;
    h.second = t.second;
    return h;
}

STORAGE_TIME ToStorageTime(const HD_FILE_TIME& t) {
    STORAGE_TIME s;
    s.year = t.year;
    s.month = t.month;
    s.day = t.day;
    s.hour = t.hour;
    s.minute = t.minute;
    s.second = t.second;
    return s;
}

HD_FILE_TIME FromStorageTime(const STORAGE_TIME& s) {
    HD_FILE_TIME t;
    t.year = s.year;
    t.month = s.month;
    t.day = s.day;
    t.hour = s.hour;
    t.minute = s.minute;
    t.second = s.second;
    return t;
}

// Seconds from `base` to `t`, 0 when `t` is not later.
uint32_t SecondsAfter(uint32_t t, uint32_t base) { return t > base ? t - base : 0; }

}  // namespace

// ---- time conversions --------------------------------------------------------

// Recorder time has no time zone: `utc` changes nothing.
void TimeToDateTime(RbsDateTime& out, time_t t, bool) { out = RecorderFields(t); }

time_t DateTimeToTime(const RbsDateTime* dt) {
    if (!dt) return 0;
    char text[80];
    std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", dt->year, dt->month, dt->day, dt->hour,
                  dt->minute, dt->second);
    return StringToTime(text);
}

// ---- StorageOper -------------------------------------------------------------

StorageOper::~StorageOper() {
    if (m_handle.load() != -1) StopStream();
    JoinReadTask();
    m_pStreamFile.reset();
}

bool StorageOper::SearchFileInfos(const FindDataCondition* cond, const std::function<bool()>& stopRequested) {
    if (!cond || !cond->diskPath) return true;
    const std::string disk = cond->diskPath;
    const int type = QorAutoStorage::GetInstance()->GetQorvaneDiskType(disk);
    if (type == QorAutoStorage::kTypeQorAuto) {
        SearchQorAuto(cond, stopRequested);
    } else if (type == QorAutoStorage::kTypeOther) {
        SearchOther(cond, stopRequested);
    }
    return true;
}

void StorageOper::StopSearchFileInfos() {
    {
        std::lock_guard<std::mutex> g(m_searchMutex);
        m_stopSearch = true;
    }
    m_searchWake.notify_all();
}

void StorageOper::SearchQorAuto(const FindDataCondition* cond, const std::function<bool()>& stopRequested) {
    QorAutoStorage* registry = QorAutoStorage::GetInstance();
    const std::string disk = cond->diskPath;
    const int media = registry->GetQorAutoDiskType(disk);
    if (media < 0) return;

    StorageChanMapEntry map[STORAGE_CHAN_MAP_ENTRIES];
    std::memset(map, 0, sizeof(map));
    registry->storage_type_chan_map_get(media, map, STORAGE_CHAN_MAP_ENTRIES);

    for (uint32_t index = 0; index < 2; ++index) {
        const uint32_t first = map[index].firstChannel;
        const uint32_t last = map[index].lastChannel;
        // 64-bit counter: a last channel of 0xFFFFFFFF must not loop forever.
        for (uint64_t channel = first; channel <= last; ++channel) {
            if (stopRequested && stopRequested()) {
                Log("StorageOper::SearchFileInfos stopped by the owner, disk:%s", disk.c_str());
                return;
            }
            StorageSearchRecord search;
            std::memset(&search, 0, sizeof(search));
            search.media = media;
            search.channel = static_cast<uint32_t>(channel);
            search.mapIndex = index;
            search.start = ToStorageTime(cond->start);
            search.end = ToStorageTime(cond->end);

            STORAGE_LIST_HANDLE list = registry->storage_record_list_create(&search);
            if (!list) {
                Log("stor_record_search handle is null");
                continue;
            }
            for (;;) {
                StorageRecordEntry entry;
                std::memset(&entry, 0, sizeof(entry));
                if (registry->storage_record_list_dequeue(list, &entry) != 0) break;

                FoundDataRecord found;
                std::memset(&found, 0, sizeof(found));
                // The entry's name field may lack its terminator: copy at most the field.
                const size_t nameLen = std::min(strnlen(entry.name, sizeof(entry.name)), sizeof(found.fileName) - 1);
                std::memcpy(found.fileName, entry.name, nameLen);
                found.start = FromStorageTime(entry.start);
                found.end = FromStorageTime(entry.end);
                found.fileSize = entry.fileSize;
                found.recordType = 0;
                found.channel = static_cast<uint32_t>(channel);
                found.fileType = entry.recordType == STORAGE_RECORD_NORMAL ? 15u : entry.recordType;

                Log("storage_record_list_dequeue info, name:%s, type:%u, channel:%u, size:%u, disk:%s, "
                    "start:%04d%02d%02d%02d%02d%02d, end:%04d%02d%02d%02d%02d%02d",
                    found.fileName, found.fileType, found.channel, found.fileSize, disk.c_str(), found.start.year,
                    found.start.month, found.start.day, found.start.hour, found.start.minute, found.start.second,
                    found.end.year, found.end.month, found.end.day, found.end.hour, found.end.minute,
                    found.end.second);
                if (cond->callback) cond->callback(0, &found, cond->user);
            }
            Log("stor_record_search_next failed, iMediaNo:%d", media);
            registry->storage_record_list_release(list);
        }
    }
}

void StorageOper::SearchOther(const FindDataCondition* cond, const std::function<bool()>& stopRequested) {
    m_stopSearch = false;
    Log("StorageOper::SearchFileInfos HD_FILE_FindData enter, disk:%s", cond->diskPath);
    const int handle = HD_FILE_FindData(0, cond, static_cast<int>(sizeof(FindDataCondition)));
    if (handle >= 0) {
        // Wait for the end record; the owner's stop request and a generous
        // time-out also end the wait, so a library that never sends its end
        // record cannot hang the search.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_searchTimeoutMs);
        std::unique_lock<std::mutex> lock(m_searchMutex);
        while (!m_stopSearch) {
            if (stopRequested) {
                lock.unlock();
                const bool stop = stopRequested();
                lock.lock();
                if (stop) {
                    Log("StorageOper::SearchFileInfos stopped by the owner, disk:%s", cond->diskPath);
                    break;
                }
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                Log("StorageOper::SearchFileInfos no end of search after %d ms, disk:%s", m_searchTimeoutMs,
                    cond->diskPath);
                break;
            }
            // The end record and StopSearchFileInfos wake the wait; the
            // owner's stop request can only be asked, so it is asked every
            // 100 ms when there is one.
            if (stopRequested)
                m_searchWake.wait_for(lock, std::chrono::milliseconds(100));
            else
                m_searchWake.wait_until(lock, deadline);
        }
        lock.unlock();
        HD_FILE_FindDataClose(handle);
    }
    Log("StorageOper::SearchFileInfos HD_FILE_FindData out, disk:%s", cond->diskPath);
}

int StorageOper::StartStreamByTime(const std::shared_ptr<APT_QMR::CSingleFile>& file,
                                   StreamDataCallback callback, void* user) {
    return StartStream(file, callback, user, true, false);
}

int StorageOper::StartStreamByFileName(const std::shared_ptr<APT_QMR::CSingleFile>& file,
                                       StreamDataCallback callback, void* user, bool held) {
    return StartStream(file, callback, user, false, held);
}

bool StorageOper::WaitWhileHeld() {
    std::unique_lock<std::mutex> lock(m_holdMutex);
    m_holdWake.wait(lock, [this] { return !m_held || !m_running; });
    return m_running;
}

void StorageOper::ReleaseStream() {
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        if (!m_held) return;
        m_held = false;
    }
    m_holdWake.notify_all();
    const int handle = m_handle.load();
    if (m_diskType == QorAutoStorage::kTypeOther && handle != -1) HD_FILE_SetGetStreamCallBack(handle, m_callback);
}

int StorageOper::StartStream(const std::shared_ptr<APT_QMR::CSingleFile>& file, StreamDataCallback callback,
                             void* user, bool byTime, bool held) {
    const char* failed = byTime ? "StorageOper::StartStreamByTime failed" : "StorageOper::StartStreamByFileName failed";
    // A stream or read task still running on this object would go on reading
    // through the new handle: end it first.
    if (m_handle.load() != -1 || m_readTask.valid()) StopStream();
    m_handle = -1;
    if (!file) {
        Log("%s", failed);
        return -1;
    }
    m_callback = callback;
    m_user = user;
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_held = held;
    }

    QorAutoStorage* registry = QorAutoStorage::GetInstance();
    m_diskType = registry->GetQorvaneDiskType(file->DiskName);
    if (byTime) Log("StorageOper::StartStreamByTime qorauto enter, disk:%s, type:%d", file->DiskName.c_str(), m_diskType);

    if (m_diskType == QorAutoStorage::kTypeQorAuto) {
        if (registry->GetQorAutoDiskType(file->DiskName) >= 0) {
            const int record = registry->storage_record_open(file->FileName.c_str());
            if (record != 0) {
                m_pStreamFile = file;
                m_readStatus = 0;
                {
                    std::lock_guard<std::mutex> g(registry->StorageLock());
                    m_recordOpen = true;
                    m_readPos = 0;
                    m_spanEnd = 0;
                }
                m_handle = record;
                Log(byTime ? "StorageOper::StartStreamByTime storage_record_open sucess, file:%s, handle:%d"
                           : "StorageOper::StartStreamByFileName storage_record_open sucess, file:%s, handle:%d",
                    file->FileName.c_str(), record);

                // The header goes out before the read task starts, so the
                // consumer can open its decoder first.
                unsigned char header[kHeaderSize];
                const int n = registry->storage_record_read(record, header, kHeaderSize);
                if (n == kHeaderSize && m_callback) m_callback(record, 1, header, kHeaderSize, m_user);

                m_running = true;
                m_readTask = std::async(std::launch::async, [this, byTime] {
                    m_readThread = std::this_thread::get_id();
                    if (!WaitWhileHeld()) {
                        CloseQorAutoRecord(m_handle.load());
                        m_readStatus = kPosFailed;
                    } else if (byTime) {
                        ReadQorAutoBatchStream();
                    } else {
                        ReadQorAutoStream();
                    }
                });
            }
        }
    } else if (m_diskType == QorAutoStorage::kTypeOther) {
        m_pStreamFile = file;
        if (byTime) {
            const char* paths[kPathListSize] = {file->DiskName.c_str()};
            RbsDateTime start, end;
            TimeToDateTime(start, static_cast<time_t>(file->StartTime), false);
            TimeToDateTime(end, static_cast<time_t>(file->EndTime), false);
            const HD_FILE_TIME hdStart = ToHdTime(start);
            const HD_FILE_TIME hdEnd = ToHdTime(end);
            Log("StorageOper::StartStreamByTime HD_FILE_GetStreamByTime enter, path:%s", file->DiskName.c_str());
            m_handle = HD_FILE_GetStreamByTime(paths, &hdStart, &hdEnd, file->ChannelNumber, kStreamMode, callback,
                                               user);
            Log("StorageOper::StartStreamByTime HD_FILE_GetStreamByTime out, path:%s, start time:%d, end time:%d, "
                "return:%d",
                file->DiskName.c_str(), static_cast<int>(file->StartTime), static_cast<int>(file->EndTime),
                m_handle.load());
        } else {
            Log("StorageOper::StartStreamByFileName HD_FILE_GetStreamByFile enter, path:%s", file->FileName.c_str());
            // Held: without a callback the library delivers nothing, not
            // even the header, until ReleaseStream hands the callback over.
            m_handle = HD_FILE_GetStreamByFile(file->FileName.c_str(), kStreamMode, 0, held ? nullptr : callback, user);
            Log("StorageOper::StartStreamByFileName HD_FILE_GetStreamByFile out, path:%s, return:%d",
                file->FileName.c_str(), m_handle.load());
        }
        if (m_handle.load() < 0) m_handle = -1;
    }

    if (m_handle.load() == -1) Log("%s", failed);
    return m_handle.load();
}

void StorageOper::CloseQorAutoRecord(int handle) {
    QorAutoStorage* registry = QorAutoStorage::GetInstance();
    std::lock_guard<std::mutex> g(registry->StorageLock());
    if (!m_recordOpen) return;
    ::storage_record_close(handle);
    m_recordOpen = false;
}

void StorageOper::ReadQorAutoStream() {
    const int handle = m_handle.load();
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadBlock]);
    if (!buffer || !m_callback) {
        Log(buffer ? "StorageOper::ReadQorAutoStream callback function is null"
                   : "StorageOper::ReadQorAutoStream malloc memory failed");
        // The record is ours to close even when nothing is read.
        CloseQorAutoRecord(handle);
        m_readStatus = kPosFailed;
        return;
    }
    QorAutoStorage* registry = QorAutoStorage::GetInstance();
    bool reachedEnd = false;
    for (;;) {
        int n;
        {
            std::lock_guard<std::mutex> g(registry->StorageLock());
            n = ::storage_record_read(handle, buffer.get(), kReadBlock);
            if (n > 0) m_readPos += static_cast<uint32_t>(n);
        }
        if (n < 1) {
            reachedEnd = n == 0;
            break;
        }
        m_callback(handle, 2, buffer.get(), n, m_user);
        if (!m_running || m_handle.load() == -1) break;
    }
    CloseQorAutoRecord(handle);
    // A read failure or an early stop is not the end of the file.
    m_readStatus = reachedEnd ? kPosEnd : kPosFailed;
}

void StorageOper::ReadQorAutoBatchStream() {
    const int handle = m_handle.load();
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadBlock]);
    const char* problem = nullptr;
    if (!buffer) {
        problem = "StorageOper::ReadQorAutoBatchStream malloc memory failed";
    } else if (!m_callback) {
        problem = "StorageOper::ReadQorAutoBatchStream callback function is null";
    } else if (!m_pStreamFile) {
        problem = "StorageOper::ReadQorAutoBatchStream m_pStreamFile is null";
    }
    if (problem) {
        Log("%s", problem);
        CloseQorAutoRecord(handle);
        m_readStatus = kPosFailed;
        return;
    }
    const APT_QMR::CSingleFile& file = *m_pStreamFile;
    Log("StorageOper::ReadQorAutoBatchStream  file start:%d, end:%d, search start:%d, end:%d",
        static_cast<int>(file.StartTime), static_cast<int>(file.EndTime), static_cast<int>(file.SearchStartTime),
        static_cast<int>(file.SearchEndTime));

    QorAutoStorage* registry = QorAutoStorage::GetInstance();
    // The library counts offsets from the end of the header. The span holds
    // its end second: it ends where the first pack of the second after it
    // starts (the end of the data when there is none).
    uint32_t startOffset = 0;
    uint32_t endOffset = file.FileSize > static_cast<uint32_t>(kHeaderSize) ? file.FileSize - kHeaderSize : 0;
    if (file.StartTime > file.SearchStartTime) {
        registry->storage_record_seek_by_time(handle, file.StartTime - file.SearchStartTime, &startOffset);
    }
    registry->storage_record_seek_by_time(handle, SecondsAfter(file.EndTime + 1, file.SearchStartTime), &endOffset);
    const int64_t need = static_cast<int64_t>(endOffset) - static_cast<int64_t>(startOffset);
    registry->storage_record_seek(handle, startOffset);
    Log("StorageOper::ReadQorAutoBatchStream start offset:%u, end offset:%u, need read:%d", startOffset, endOffset,
        static_cast<int>(need));

    if (need < 1) {
        Log("StorageOper::ReadQorAutoBatchStream need read len is invalid:%d", static_cast<int>(need));
        m_readStatus = kPosFailed;
        CloseQorAutoRecord(handle);
        return;
    }
    {
        // The span's end is kept as an absolute offset, so a seek while the
        // task runs leaves the end where it was.
        std::lock_guard<std::mutex> g(registry->StorageLock());
        m_readPos = startOffset;
        m_spanEnd = static_cast<uint32_t>(startOffset + need);
    }

    bool usedUp = false;
    for (;;) {
        int n = 0;
        {
            std::lock_guard<std::mutex> g(registry->StorageLock());
            const int64_t remaining = static_cast<int64_t>(m_spanEnd) - static_cast<int64_t>(m_readPos);
            if (remaining <= 0) {
                usedUp = true;
            } else {
                n = ::storage_record_read(handle, buffer.get(), static_cast<int>(std::min<int64_t>(remaining, kReadBlock)));
                if (n > 0) {
                    m_readPos += static_cast<uint32_t>(n);
                    usedUp = m_readPos >= m_spanEnd;
                }
            }
        }
        if (n < 1) break;
        Log("StorageOper::ReadQorAutoBatchStream callback function datatype:%d, len:%d, handle:%d, read stream:%d", 2,
            n, handle, m_running.load() ? 1 : 0);
        m_callback(handle, 2, buffer.get(), n, m_user);
        if (!m_running || usedUp || m_handle.load() == -1) break;
    }
    CloseQorAutoRecord(handle);
    m_readStatus = usedUp ? kPosEnd : kPosFailed;
}

bool StorageOper::SetPosTime(const RbsDateTime* time, bool* moved) {
    const int handle = m_handle.load();
    if (handle == -1 || !m_pStreamFile || !time) {
        Log("StorageOper::SetPosTime handle or stream is null");
        return false;
    }
    if (m_diskType == QorAutoStorage::kTypeQorAuto) {
        Log("drag time:%d%d%d-%d%d%d, start time:%d", time->year, time->month, time->day, time->hour, time->minute,
            time->second, static_cast<int>(m_pStreamFile->SearchStartTime));
        const int64_t offset =
            static_cast<int64_t>(DateTimeToTime(time)) - static_cast<int64_t>(m_pStreamFile->SearchStartTime);
        if (moved) *moved = offset > 0;
        if (offset <= 0) return true;
        Log("storage_record_seek_by_time enter, time offset:%d, handle:%d", static_cast<int>(offset), handle);
        uint32_t byteOffset = 0;
        int result = -1;
        {
            QorAutoStorage* registry = QorAutoStorage::GetInstance();
            std::lock_guard<std::mutex> g(registry->StorageLock());
            // Once the read task has closed the record the handle is not ours any more.
            if (m_recordOpen) {
                result = ::storage_record_seek_by_time(handle, static_cast<uint32_t>(offset), &byteOffset);
                if (result == 0) m_readPos = byteOffset;
            }
        }
        Log("storage_record_seek_by_time out, result:%d, offset:%u", result, byteOffset);
        return result == 0;
    }
    if (m_diskType == QorAutoStorage::kTypeOther) {
        if (moved) *moved = true;
        Log("HD_FILE_SetPosByTime enter");
        const HD_FILE_TIME t = ToHdTime(*time);
        return HD_FILE_SetPosByTime(handle, &t) != 0;
    }
    return true;
}

int StorageOper::GetPos() {
    if (m_diskType == QorAutoStorage::kTypeQorAuto) return m_readStatus.load();
    if (m_diskType == QorAutoStorage::kTypeOther) return HD_FILE_GetPos(m_handle.load());
    return 0;
}

void StorageOper::JoinReadTask() {
    if (!m_readTask.valid()) return;
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_running = false;
    }
    m_holdWake.notify_all();
    // Called from the task's own callback the task cannot be awaited here; the
    // next start or the destructor joins it.
    if (m_readThread.load() == std::this_thread::get_id()) return;
    m_readTask.wait();
    m_readTask = std::future<void>();
    m_readThread = std::thread::id();
}

void StorageOper::StopStream() {
    Log("StorageOper::StopStream() enter");
    if (m_diskType == QorAutoStorage::kTypeQorAuto) {
        JoinReadTask();
    } else if (m_diskType == QorAutoStorage::kTypeOther) {
        const int handle = m_handle.load();
        if (handle != -1) {
            HD_FILE_Stop(handle);
            HD_FILE_GetLastError();
        }
    }
    if (m_readTask.valid()) JoinReadTask();
    m_handle = -1;
}
