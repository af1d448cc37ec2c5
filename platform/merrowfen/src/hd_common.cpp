// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/recstream.h"
#include "hd_common.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "wincompat/drives.h"

namespace hdfile {

namespace {
thread_local int t_lastError = HD_ERR_NONE;

std::mutex g_diskMutex;
std::vector<std::string> g_disks;

bool IsDir(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

template <typename Entry>
bool LoadTable(const std::string& path, const char magic[4], uint32_t tag, bool checkTag, std::vector<Entry>* out,
               bool* present) {
    out->clear();
    if (present) *present = false;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes, uint64_t(1) << 31)) return false;
    if (present) *present = true;
    merrowfen_disk::TableHeader h;
    if (bytes.size() < sizeof(h)) return false;
    std::memcpy(&h, bytes.data(), sizeof(h));
    if (std::memcmp(h.magic, magic, 4) != 0 || h.version != merrowfen_disk::kFormatVersion ||
        h.entrySize != sizeof(Entry))
        return false;
    if (checkTag && h.tag != tag) return false;
    if (uint64_t(h.count) * sizeof(Entry) + sizeof(h) != bytes.size()) return false;
    const uint8_t* body = bytes.data() + sizeof(h);
    const size_t bodySize = bytes.size() - sizeof(h);
    if (merrowfen_disk::Fnv1a(body, bodySize) != h.checksum) return false;
    out->resize(h.count);
    if (h.count) std::memcpy(out->data(), body, bodySize);
    return true;
}
}  // namespace

void SetError(int code) { t_lastError = code; }

bool TimeToSeconds(const HD_FILE_TIME& t, int64_t* seconds) {
    return recstream::CivilToSeconds({t.year, t.month, t.day, t.hour, t.minute, t.second}, seconds);
}

HD_FILE_TIME SecondsToTime(int64_t seconds) {
    const recstream::CivilTime c = recstream::SecondsToCivil(seconds);
    HD_FILE_TIME t{};
    t.year = c.year;
    t.month = c.month;
    t.day = c.day;
    t.hour = c.hour;
    t.minute = c.minute;
    t.second = c.second;
    return t;
}

std::string SecondsToText14(int64_t seconds) {
    const HD_FILE_TIME t = SecondsToTime(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

uint32_t DayTag(int64_t day) {
    int y, m, d;
    recstream::CivilFromDays(day, &y, &m, &d);
    return uint32_t(y * 10000 + m * 100 + d);
}

std::string DayFolderName(int64_t day) { return std::to_string(DayTag(day)); }

std::string ResolveDiskRoot(const std::string& diskPath) {
    if (diskPath.empty()) return std::string();
    std::string mapped = wincompat::MapPath(diskPath);
    while (mapped.size() > 1 && mapped.back() == '/') mapped.pop_back();
    return IsDir(mapped) ? mapped : std::string();
}

bool HasMarker(const std::string& root) {
    const std::string path = root + "/" + merrowfen_disk::kMarkerName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return ok;
}

void RememberDisk(const std::string& root) {
    std::lock_guard<std::mutex> lock(g_diskMutex);
    if (std::find(g_disks.begin(), g_disks.end(), root) == g_disks.end()) g_disks.push_back(root);
}

std::vector<std::string> KnownDisks() {
    std::lock_guard<std::mutex> lock(g_diskMutex);
    return g_disks;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, uint64_t maxSize) {
    out->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > maxSize) {
        ::close(fd);
        return false;
    }
    out->resize(size_t(st.st_size));
    size_t got = 0;
    while (got < out->size()) {
        const ssize_t n = ::read(fd, out->data() + got, out->size() - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    out->resize(got);  // a file that shrank while read fails its size check later
    return true;
}

std::vector<merrowfen_disk::DayIndexEntry> LoadDayIndex(const std::string& root, int64_t day, bool* present) {
    std::vector<merrowfen_disk::DayIndexEntry> entries;
    const std::string path = root + "/" + merrowfen_disk::kRecordDir + "/" + DayFolderName(day) + "/" +
                             merrowfen_disk::kDayIndexName;
    if (!LoadTable(path, merrowfen_disk::kDayIndexMagic, DayTag(day), true, &entries, present)) entries.clear();
    return entries;
}

bool LoadLog(const std::string& root, std::vector<HD_LOG_RECORD>* out) {
    return LoadTable(root + "/" + merrowfen_disk::kLogName, merrowfen_disk::kLogMagic, 0, false, out, nullptr);
}

bool LoadEvents(const std::string& root, std::vector<merrowfen_disk::EventEntry>* out) {
    return LoadTable(root + "/" + merrowfen_disk::kEventName, merrowfen_disk::kEventMagic, 0, false, out, nullptr);
}

namespace {
bool ValidEntry(const merrowfen_disk::DayIndexEntry& e, int64_t day) {
    if (e.end < e.start || DayOf(e.start) != day) return false;
    const size_t len = strnlen(e.name, sizeof e.name);
    if (len == 0 || len == sizeof e.name) return false;
    if (std::memchr(e.name, '/', len) || std::memchr(e.name, '\\', len)) return false;
    if (std::strcmp(e.name, ".") == 0 || std::strcmp(e.name, "..") == 0) return false;
    return true;
}
}  // namespace

bool ListRecordings(const std::string& root, int64_t start, int64_t end, int channel, int fileType,
                    std::vector<Listed>* out, const volatile bool* cancel) {
    out->clear();
    if (root.empty() || !HasMarker(root)) return false;
    if (end < start) return true;
    // A recording belongs to the day of its start and lasts less than a day.
    for (int64_t day = DayOf(start) - 1; day <= DayOf(end); ++day) {
        if (cancel && *cancel) break;
        bool present = false;
        const std::vector<merrowfen_disk::DayIndexEntry> entries = LoadDayIndex(root, day, &present);
        for (const merrowfen_disk::DayIndexEntry& e : entries) {
            if (!ValidEntry(e, day)) continue;
            if (int64_t(e.start) > end) break;  // sorted by start
            if (int64_t(e.end) < start) continue;
            if (channel >= 0 && int(e.channel) != channel) continue;
            if (fileType != HD_FILE_TYPE_ALL && int(e.fileType) != fileType) continue;
            out->push_back(Listed{e, day});
        }
    }
    return true;
}

std::string FoundName(const std::string& diskPath, const Listed& l, size_t capacity) {
    std::string rel = std::string(merrowfen_disk::kRecordDir) + "\\" + DayFolderName(l.day) + "\\" +
                      std::string(l.entry.name, strnlen(l.entry.name, sizeof l.entry.name));
    std::string full = diskPath;
    if (!full.empty() && full.back() != '\\' && full.back() != '/') full += '\\';
    full += rel;
    return full.size() < capacity ? full : rel;
}

void CopyText(char* dst, size_t capacity, const std::string& src) {
    if (!capacity) return;
    const size_t n = std::min(capacity - 1, src.size());
    std::memcpy(dst, src.data(), n);
    std::memset(dst + n, 0, capacity - n);
}

int NextHandle() {
    static std::atomic<int> next{1};
    int h = next.fetch_add(1);
    if (h < 0) {  // wrapped after two billion handles
        next.store(1);
        h = next.fetch_add(1);
    }
    return h;
}

}  // namespace hdfile

extern "C" int HD_FILE_GetLastError(void) { return hdfile::t_lastError; }
