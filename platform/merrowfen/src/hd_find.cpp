// SPDX-License-Identifier: GPL-3.0-or-later
// Listings: recordings (callback and pull forms), device logs, extra
// information, and the disk version.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "hd_common.h"

using namespace hdfile;

namespace {

constexpr size_t kMaxJobs = 256;

// A search running on its own thread (find-data and extra information).
struct Job {
    std::thread thread;
    volatile bool cancel = false;
    std::atomic<bool> done{false};
};

struct JobTable {
    std::mutex mutex;
    std::map<int, std::shared_ptr<Job>> jobs;
};
JobTable g_findData;
JobTable g_extra;

int StartJob(JobTable& table, const std::shared_ptr<Job>& job, int handle) {
    std::lock_guard<std::mutex> lock(table.mutex);
    if (table.jobs.size() >= kMaxJobs) {
        SetError(HD_ERR_TOO_MANY);
        return -1;
    }
    table.jobs[handle] = job;
    return handle;
}

int EndJob(JobTable& table, int handle) {
    std::shared_ptr<Job> job;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.jobs.find(handle);
        if (it == table.jobs.end()) {
            SetError(HD_ERR_ORDER);
            return 0;
        }
        job = it->second;
        table.jobs.erase(it);
    }
    job->cancel = true;
    if (job->thread.joinable()) {
        if (job->thread.get_id() == std::this_thread::get_id())
            job->thread.detach();  // closed from its own callback: the thread ends by itself
        else
            job->thread.join();
    }
    return 1;
}

// Pull-form searches: the results are gathered when the search opens.
template <typename Record>
struct PullTable {
    std::mutex mutex;
    std::map<int, std::pair<std::vector<Record>, size_t>> searches;

    int Add(std::vector<Record>&& records) {
        std::lock_guard<std::mutex> lock(mutex);
        if (searches.size() >= kMaxJobs) {
            SetError(HD_ERR_TOO_MANY);
            return -1;
        }
        const int h = NextHandle();
        searches[h] = std::make_pair(std::move(records), size_t(0));
        return h;
    }
    // 1 with the next record, 0 at the end (code `endError`) or for an unknown handle.
    int Next(int handle, Record* out, int endError) {
        if (!out) {
            SetError(HD_ERR_PARAM);
            return 0;
        }
        std::lock_guard<std::mutex> lock(mutex);
        auto it = searches.find(handle);
        if (it == searches.end()) {
            SetError(HD_ERR_ORDER);
            return 0;
        }
        if (it->second.second >= it->second.first.size()) {
            SetError(endError);
            return 0;
        }
        *out = it->second.first[it->second.second++];
        return 1;
    }
    int Close(int handle) {
        std::lock_guard<std::mutex> lock(mutex);
        if (searches.erase(handle) == 0) {
            SetError(HD_ERR_ORDER);
            return 0;
        }
        return 1;
    }
};
PullTable<HD_FIND_FILE_RECORD> g_findFile;
PullTable<HD_LOG_RECORD> g_logs;

bool OptionalTime(const HD_FILE_TIME* t, int64_t fallback, int64_t* out) {
    if (!t) {
        *out = fallback;
        return true;
    }
    return TimeToSeconds(*t, out);
}

bool AllZero(const HD_FILE_TIME& t) {
    return t.year == 0 && t.month == 0 && t.day == 0 && t.hour == 0 && t.minute == 0 && t.second == 0;
}

void FindDataThread(std::shared_ptr<Job> job, std::string diskPath, std::string root, int64_t start, int64_t end,
                    int channel, HD_FIND_DATA_CALLBACK callback, void* user) {
    std::vector<Listed> listed;
    ListRecordings(root, start, end, channel, HD_FILE_TYPE_ALL, &listed, &job->cancel);
    FoundDataRecord rec;
    for (const Listed& l : listed) {
        if (job->cancel) break;
        std::memset(&rec, 0, sizeof rec);
        CopyText(rec.fileName, sizeof rec.fileName, FoundName(diskPath, l, sizeof rec.fileName));
        rec.start = SecondsToTime(l.entry.start);
        rec.end = SecondsToTime(l.entry.end);
        rec.fileSize = l.entry.size;
        rec.recordType = l.entry.recordType;
        rec.channel = l.entry.channel;
        rec.fileType = l.entry.fileType;
        callback(0, &rec, user);
    }
    // The end of the search is always reported, also after a cancel, so a
    // caller waiting for it is never left waiting.
    std::memset(&rec, 0, sizeof rec);
    rec.endOfSearch = 1;
    callback(0, &rec, user);
    job->done = true;
}

}  // namespace

extern "C" {

int HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size) {
    if (reserved != 0 || !cond || size != int(sizeof(FindDataCondition)) || !cond->diskPath || !cond->callback) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    int64_t start = 0, end = 0;
    if (!TimeToSeconds(cond->start, &start) || !TimeToSeconds(cond->end, &end) || end < start) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const std::string diskPath(cond->diskPath, strnlen(cond->diskPath, 4096));
    const std::string root = ResolveDiskRoot(diskPath);
    if (root.empty()) {
        SetError(HD_ERR_DIR);
        return -1;
    }
    if (!HasMarker(root)) {
        SetError(HD_ERR_OPEN_FILE);
        return -1;
    }
    RememberDisk(root);
    auto job = std::make_shared<Job>();
    const int handle = StartJob(g_findData, job, NextHandle());
    if (handle < 0) return -1;
    try {
        std::lock_guard<std::mutex> lock(g_findData.mutex);
        job->thread = std::thread(FindDataThread, job, diskPath, root, start, end, cond->channel < 0 ? -1 : cond->channel,
                                  cond->callback, cond->user);
    } catch (...) {
        std::lock_guard<std::mutex> lock(g_findData.mutex);
        g_findData.jobs.erase(handle);
        SetError(HD_ERR_THREAD);
        return -1;
    }
    return handle;
}

int HD_FILE_FindDataClose(int handle) { return EndJob(g_findData, handle); }

int HD_FILE_FindFile(const char* drive, int channel, int type, const HD_FILE_TIME* start, const HD_FILE_TIME* end) {
    int64_t s = 0, e = 0;
    if (!drive || !start || !end || type < 0 || type > HD_FILE_TYPE_MAX || !TimeToSeconds(*start, &s) ||
        !TimeToSeconds(*end, &e) || e < s) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const std::string diskPath(drive, strnlen(drive, 4096));
    const std::string root = ResolveDiskRoot(diskPath);
    if (root.empty()) {
        SetError(HD_ERR_DIR);
        return -1;
    }
    std::vector<Listed> listed;
    if (!ListRecordings(root, s, e, channel < 0 ? -1 : channel, type, &listed)) {
        SetError(HD_ERR_OPEN_FILE);
        return -1;
    }
    RememberDisk(root);
    std::vector<HD_FIND_FILE_RECORD> records(listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        HD_FIND_FILE_RECORD& r = records[i];
        std::memset(&r, 0, sizeof r);
        CopyText(r.fileName, sizeof r.fileName, FoundName(diskPath, listed[i], sizeof r.fileName));
        CopyText(r.startTime, sizeof r.startTime, SecondsToText14(listed[i].entry.start));
        CopyText(r.stopTime, sizeof r.stopTime, SecondsToText14(listed[i].entry.end));
        r.fileSize = listed[i].entry.size;
        r.channel = listed[i].entry.channel;
        r.fileType = listed[i].entry.fileType;
        r.recordType = listed[i].entry.recordType;
    }
    return g_findFile.Add(std::move(records));
}

int HD_FILE_FindNextFile(int handle, HD_FIND_FILE_RECORD* record) {
    return g_findFile.Next(handle, record, HD_ERR_NO_FILE);
}

int HD_FILE_FindNextFileKEL(int handle, HD_FIND_FILE_RECORD* record) {
    return g_findFile.Next(handle, record, HD_ERR_NO_FILE);
}

int HD_FILE_FindClose(int handle) { return g_findFile.Close(handle); }

int HD_FILE_FindLog(const char* path, int kind, int major, int minor, const HD_FILE_TIME* start,
                    const HD_FILE_TIME* end) {
    int64_t s = 0, e = 0;
    if (!path || !OptionalTime(start, INT64_MIN, &s) || !OptionalTime(end, INT64_MAX, &e)) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const std::string root = ResolveDiskRoot(std::string(path, strnlen(path, 4096)));
    if (root.empty()) {
        SetError(HD_ERR_DIR);
        return -1;
    }
    std::vector<HD_LOG_RECORD> all;
    if (!HasMarker(root) || !LoadLog(root, &all)) {
        SetError(HD_ERR_OPEN_LOG);
        return -1;
    }
    const bool filter = kind != HD_LOG_KIND_ALL;
    std::vector<HD_LOG_RECORD> found;
    for (HD_LOG_RECORD r : all) {
        r.time[sizeof r.time - 1] = '\0';
        r.localUser[sizeof r.localUser - 1] = '\0';
        r.remoteUser[sizeof r.remoteUser - 1] = '\0';
        if (filter) {
            if (major > 0 && int(r.majorType) != major) continue;
            if (minor > 0 && int(r.minorType) != minor) continue;
            HD_FILE_TIME t{};
            if (std::sscanf(r.time, "%4d%2d%2d%2d%2d%2d", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second) != 6)
                continue;
            int64_t secs = 0;
            if (!TimeToSeconds(t, &secs) || secs < s || secs > e) continue;
        }
        found.push_back(r);
    }
    return g_logs.Add(std::move(found));
}

int HD_FILE_FindNextLog(int handle, HD_LOG_RECORD* record) { return g_logs.Next(handle, record, HD_ERR_NO_MORE_LOG); }

int HD_FILE_FindLogClose(int handle) { return g_logs.Close(handle); }

int HD_FILE_StartFindExtraInfo(const ExtraInfoCondition* cond) {
    if (!cond || !cond->callback || cond->diskCount < 1 || cond->diskCount > HD_EXTRA_MAX_DISKS) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    int64_t s = INT64_MIN, e = INT64_MAX;
    if ((!AllZero(cond->start) && !TimeToSeconds(cond->start, &s)) || (!AllZero(cond->end) && !TimeToSeconds(cond->end, &e))) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    std::vector<std::pair<int, std::string>> roots;
    for (int i = 0; i < cond->diskCount; ++i) {
        const std::string path(cond->diskPaths[i], strnlen(cond->diskPaths[i], HD_EXTRA_PATH_SIZE));
        const std::string root = ResolveDiskRoot(path);
        if (!root.empty() && HasMarker(root)) roots.emplace_back(i, root);
    }
    if (roots.empty()) {
        SetError(HD_ERR_OPEN_FILE);
        return -1;
    }
    const int channel = cond->channel;
    const HD_EXTRA_INFO_CALLBACK callback = cond->callback;
    void* const user = cond->user;
    auto job = std::make_shared<Job>();
    const int handle = StartJob(g_extra, job, NextHandle());
    if (handle < 0) return -1;
    auto run = [job, roots, channel, callback, user, s, e, handle]() {
        for (const auto& disk : roots) {
            std::vector<merrowfen_disk::EventEntry> events;
            if (job->cancel || !LoadEvents(disk.second, &events)) continue;
            for (const merrowfen_disk::EventEntry& ev : events) {
                if (job->cancel) break;
                if (channel >= 0 && int(ev.channel) != channel) continue;
                if (int64_t(ev.end) < s || int64_t(ev.start) > e) continue;
                ExtraInfoRecord rec{};
                rec.recordTime = ev.start;
                rec.channel = ev.channel;
                rec.diskIndex = uint16_t(disk.first);
                rec.majorType = ev.majorType;
                rec.minorType = ev.minorType;
                rec.dataLength = std::min<uint32_t>(ev.dataLength, sizeof ev.data);
                rec.data = ev.data;
                callback(handle, HD_EXTRA_RECORD, &rec, user);
            }
        }
        callback(handle, HD_EXTRA_END, nullptr, user);
        job->done = true;
    };
    try {
        std::lock_guard<std::mutex> lock(g_extra.mutex);
        job->thread = std::thread(run);
    } catch (...) {
        std::lock_guard<std::mutex> lock(g_extra.mutex);
        g_extra.jobs.erase(handle);
        SetError(HD_ERR_THREAD);
        return -1;
    }
    return handle;
}

int HD_FILE_StopFindExtraInfo(int handle) { return EndJob(g_extra, handle); }

int HD_GetDiskVersion(const char* drive) {
    if (!drive) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const std::string root = ResolveDiskRoot(std::string(drive, strnlen(drive, 4096)));
    if (root.empty()) {
        SetError(HD_ERR_DIR);
        return -1;
    }
    // The version is a property of the disk's layout: a drive whose marker is
    // missing still has one (the caller's own marker check then tells why
    // nothing can be read there).
    std::vector<uint8_t> marker;
    if (HasMarker(root)) ReadWholeFile(root + "/" + merrowfen_disk::kMarkerName, &marker, 1 << 16);
    const std::string text(marker.begin(), marker.end());
    const size_t at = text.find("picver=");
    if (at != std::string::npos && at + 7 < text.size() && (at == 0 || text[at - 1] == '\n')) {
        const char v = text[at + 7];
        if (v == '1' || v == '2') return v - '0';
        SetError(HD_ERR_VERSION);
        return -1;
    }
    // No version line: tell the layout by the index files' sizes.
    for (const char* name : {"index00p.bin", "index01p.bin"}) {
        const std::string path = root + "/" + name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::vector<uint8_t> head;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) continue;
        uint8_t buf[20] = {};
        const size_t n = std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
        if (n < sizeof buf) continue;
        uint32_t c1, c2;
        std::memcpy(&c1, buf + 16, 4);
        std::memcpy(&c2, buf + 12, 4);
        if (uint64_t(c1) * 32784 + 512 == uint64_t(st.st_size)) return 1;
        if (uint64_t(c2) * 81952 + 1280 == uint64_t(st.st_size)) return 2;
    }
    return 1;
}

}  // extern "C"
