// SPDX-License-Identifier: GPL-3.0-or-later
// The record storage library of qorauto disks.
#include "nembra.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "nembra_disk.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

namespace {

struct Media {
    std::string root;
    nembra_disk::Marker marker{};
};

struct Listing {
    std::vector<StorageRecordEntry> entries;
    size_t next = 0;
};

struct Record {
    int fd = -1;
    std::string path;
    uint64_t size = 0;           // file bytes
    uint64_t pos = 0;            // file offset of the next read
    uint32_t startTime = 0;      // recorder seconds of the first pack
    ~Record() {
        if (fd >= 0) ::close(fd);
    }
};

std::mutex g_mutex;
std::vector<Media> g_media;                                  // index = media number
std::map<Listing*, std::unique_ptr<Listing>> g_listings;
std::map<int, std::shared_ptr<Record>> g_records;
int g_nextRecord = 1;

constexpr size_t kMaxRecords = 1024;
constexpr size_t kMaxListings = 1024;

bool ToSeconds(const STORAGE_TIME& t, int64_t* out) {
    return recstream::CivilToSeconds({t.year, t.month, t.day, t.hour, t.minute, t.second}, out);
}

STORAGE_TIME FromSeconds(uint32_t secs) {
    int64_t z = secs / 86400;
    const int64_t rest = secs % 86400;
    z += 719468;
    const int64_t era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    STORAGE_TIME t{};
    t.day = int(doy - (153 * mp + 2) / 5 + 1);
    t.month = int(mp < 10 ? mp + 3 : mp - 9);
    t.year = int(int64_t(yoe) + era * 400 + (t.month <= 2));
    t.hour = int(rest / 3600);
    t.minute = int(rest / 60 % 60);
    t.second = int(rest % 60);
    return t;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* out, uint64_t maxSize) {
    out->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= maxSize;
    if (ok) {
        out->resize(size_t(st.st_size));
        size_t got = 0;
        while (got < out->size()) {
            const ssize_t n = ::read(fd, out->data() + got, out->size() - got);
            if (n <= 0) break;
            got += size_t(n);
        }
        ok = got == out->size();
    }
    ::close(fd);
    return ok;
}

std::string RootOf(const char* path) {
    if (!path) return {};
    std::string mapped = wincompat::MapPath(std::string(path, strnlen(path, 4096)));
    while (mapped.size() > 1 && mapped.back() == '/') mapped.pop_back();
    struct stat st;
    if (mapped.empty() || ::stat(mapped.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    return mapped;
}

bool ReadMarker(const std::string& root, nembra_disk::Marker* m) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(root + "/" + nembra_disk::kMarkerName, &bytes, 4096) || bytes.size() != sizeof *m) return false;
    std::memcpy(m, bytes.data(), sizeof *m);
    return std::memcmp(m->magic, nembra_disk::kMarkerMagic, 8) == 0 && m->version == nembra_disk::kFormatVersion &&
           m->checksum == nembra_disk::Fnv1a(m, offsetof(nembra_disk::Marker, checksum));
}

bool LoadCatalog(const std::string& root, std::vector<nembra_disk::CatalogEntry>* out) {
    out->clear();
    std::vector<uint8_t> bytes;
    if (!ReadFile(root + "/" + nembra_disk::kCatalogName, &bytes, uint64_t(1) << 31)) return false;
    nembra_disk::CatalogHeader h;
    if (bytes.size() < sizeof h) return false;
    std::memcpy(&h, bytes.data(), sizeof h);
    if (std::memcmp(h.magic, nembra_disk::kCatalogMagic, 4) != 0 || h.version != nembra_disk::kFormatVersion ||
        h.entrySize != sizeof(nembra_disk::CatalogEntry) ||
        uint64_t(h.count) * sizeof(nembra_disk::CatalogEntry) + sizeof h != bytes.size())
        return false;
    if (nembra_disk::Fnv1a(bytes.data() + sizeof h, bytes.size() - sizeof h) != h.checksum) return false;
    out->resize(h.count);
    if (h.count) std::memcpy(out->data(), bytes.data() + sizeof h, bytes.size() - sizeof h);
    return true;
}

// A catalogue path is used only when it stays below the data folder.
bool SafeRelativePath(const char* p, size_t capacity, std::string* out) {
    const size_t len = strnlen(p, capacity);
    if (len == 0 || len == capacity) return false;
    std::string s(p, len);
    if (s[0] == '/' || s.find('\\') != std::string::npos) return false;
    size_t from = 0;
    while (from <= s.size()) {
        const size_t slash = s.find('/', from);
        const std::string part = s.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string::npos) break;
        from = slash + 1;
    }
    *out = s;
    return true;
}

bool ReadAll(int fd, uint64_t offset, void* buf, size_t size, size_t* got) {
    *got = 0;
    while (*got < size) {
        const ssize_t n = ::pread(fd, static_cast<uint8_t*>(buf) + *got, size - *got, off_t(offset + *got));
        if (n < 0) return false;
        if (n == 0) break;
        *got += size_t(n);
    }
    return true;
}

std::shared_ptr<Record> FindRecord(int handle) {
    auto it = g_records.find(handle);
    return it == g_records.end() ? nullptr : it->second;
}

}  // namespace

extern "C" {

int storage_type_judge(const char* path) {
    const std::string root = RootOf(path);
    if (root.empty()) return STORAGE_TYPE_INVALID;
    nembra_disk::Marker m;
    return ReadMarker(root, &m) ? STORAGE_TYPE_QORAUTO : STORAGE_TYPE_OTHER;
}

int storage_init(const char* path) {
    const std::string root = RootOf(path);
    nembra_disk::Marker m;
    if (root.empty() || !ReadMarker(root, &m)) return -1;
    std::lock_guard<std::mutex> lock(g_mutex);
    for (size_t i = 0; i < g_media.size(); ++i)
        if (g_media[i].root == root) {
            g_media[i].marker = m;
            return int(i);
        }
    g_media.push_back(Media{root, m});
    return int(g_media.size() - 1);
}

int storage_deinit(int media) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (media < 0 || size_t(media) >= g_media.size() || g_media[size_t(media)].root.empty()) return -1;
    g_media[size_t(media)].root.clear();  // numbers are never reused
    return 0;
}

int storage_type_chan_map_get(int media, void* buffer, int maxEntries) {
    if (!buffer || maxEntries < 1) return -1;
    nembra_disk::Marker m;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (media < 0 || size_t(media) >= g_media.size() || g_media[size_t(media)].root.empty()) return -1;
        m = g_media[size_t(media)].marker;
    }
    std::memset(buffer, 0, size_t(maxEntries) * sizeof(StorageChanMapEntry));
    StorageChanMapEntry* e = static_cast<StorageChanMapEntry*>(buffer);
    const uint32_t first[2] = {m.mainFirst, m.subFirst};
    const uint32_t last[2] = {m.mainLast, m.subLast};
    const char* names[2] = {"main", "sub"};
    const int n = std::min(maxEntries, 2);
    for (int i = 0; i < n; ++i) {
        std::snprintf(e[i].name, sizeof e[i].name, "%s", names[i]);
        e[i].streamType = uint32_t(i);
        e[i].firstChannel = first[i];
        e[i].lastChannel = last[i];
        e[i].channelCount = last[i] >= first[i] ? last[i] - first[i] + 1 : 0;
    }
    return n;
}

STORAGE_LIST_HANDLE storage_record_list_create(const StorageSearchRecord* cond) {
    if (!cond || cond->mapIndex > 1) return nullptr;
    int64_t start = 0, end = 0;
    if (!ToSeconds(cond->start, &start) || !ToSeconds(cond->end, &end) || end < start) return nullptr;
    Media media;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (cond->media < 0 || size_t(cond->media) >= g_media.size() || g_media[size_t(cond->media)].root.empty())
            return nullptr;
        media = g_media[size_t(cond->media)];
    }
    std::vector<nembra_disk::CatalogEntry> catalog;
    if (!LoadCatalog(media.root, &catalog)) return nullptr;
    auto listing = std::make_unique<Listing>();
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "Q%08X/", media.marker.serial);
    // Sorted by map index, channel, start: find the channel's run.
    auto key = [](const nembra_disk::CatalogEntry& e) { return (uint64_t(e.mapIndex) << 32) | e.channel; };
    const uint64_t want = (uint64_t(cond->mapIndex) << 32) | cond->channel;
    auto lo = std::lower_bound(catalog.begin(), catalog.end(), want,
                               [&](const nembra_disk::CatalogEntry& e, uint64_t k) { return key(e) < k; });
    for (auto it = lo; it != catalog.end() && key(*it) == want; ++it) {
        if (it->end < it->start || int64_t(it->end) < start || int64_t(it->start) > end) continue;
        std::string rel;
        if (!SafeRelativePath(it->path, sizeof it->path, &rel)) continue;
        const std::string name = prefix + rel;
        StorageRecordEntry e{};
        if (name.size() >= sizeof e.name) continue;
        std::memcpy(e.name, name.data(), name.size());
        e.recordType = it->recordType;
        e.channel = it->channel;
        e.fileSize = it->size;
        e.start = FromSeconds(it->start);
        e.end = FromSeconds(it->end);
        listing->entries.push_back(e);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_listings.size() >= kMaxListings) return nullptr;
    Listing* raw = listing.get();
    g_listings[raw] = std::move(listing);
    return raw;
}

int storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_listings.find(static_cast<Listing*>(list));
    if (it == g_listings.end() || !entry) return -1;
    Listing& l = *it->second;
    if (l.next >= l.entries.size()) return 1;
    *entry = l.entries[l.next++];
    return 0;
}

int storage_record_list_release(STORAGE_LIST_HANDLE list) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_listings.erase(static_cast<Listing*>(list)) ? 0 : -1;
}

int storage_record_open(const char* name) {
    if (!name) return 0;
    const std::string n(name, strnlen(name, 256));
    unsigned serial = 0;
    char slash = 0;
    if (n.size() < 11 || n[0] != 'Q' || std::sscanf(n.c_str() + 1, "%8x%c", &serial, &slash) != 2 || slash != '/' ||
        n[9] != '/')
        return 0;
    std::string rel;
    if (!SafeRelativePath(n.c_str() + 10, n.size() - 10 + 1, &rel)) return 0;
    std::vector<std::string> roots;  // two disks may carry the same serial: take the one holding the file
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const Media& m : g_media)
            if (!m.root.empty() && m.marker.serial == serial) roots.push_back(m.root);
    }
    auto rec = std::make_shared<Record>();
    struct stat st;
    for (const std::string& root : roots) {
        rec->path = root + "/" + nembra_disk::kDataDir + "/" + rel;
        rec->fd = ::open(rec->path.c_str(), O_RDONLY | O_CLOEXEC);
        if (rec->fd >= 0 && ::fstat(rec->fd, &st) == 0 && S_ISREG(st.st_mode)) break;
        if (rec->fd >= 0) ::close(rec->fd);
        rec->fd = -1;
    }
    if (rec->fd < 0) return 0;
    rec->size = uint64_t(st.st_size);
    uint8_t head[recstream::kHeaderSize];
    size_t got = 0;
    recstream::StreamHeader h;
    if (!ReadAll(rec->fd, 0, head, sizeof head, &got) || got != sizeof head || !recstream::ParseHeader(head, got, &h))
        return 0;
    recstream::FileInfo info;
    rec->startTime = recstream::ReadFileInfo(rec->path, &info) ? info.firstTime : h.startTime;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_records.size() >= kMaxRecords) return 0;
    const int handle = g_nextRecord++;
    if (g_nextRecord <= 0) g_nextRecord = 1;
    g_records[handle] = rec;
    return handle;
}

int storage_record_read(int handle, void* buffer, int size) {
    if (!buffer || size < 0) return -1;
    std::shared_ptr<Record> rec;
    uint64_t pos;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        rec = FindRecord(handle);
        if (!rec) return -1;
        pos = rec->pos;
    }
    if (pos >= rec->size || size == 0) return 0;
    const size_t want = size_t(std::min<uint64_t>(uint64_t(size), rec->size - pos));
    size_t got = 0;
    if (!ReadAll(rec->fd, pos, buffer, want, &got)) return -1;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (rec->pos == pos) rec->pos = pos + got;  // unless a seek came meanwhile
    return int(got);
}

int storage_record_seek(int handle, uint32_t offset) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Record> rec = FindRecord(handle);
    if (!rec) return -1;
    rec->pos = std::min<uint64_t>(recstream::kHeaderSize + uint64_t(offset), rec->size);
    return 0;
}

int storage_record_seek_by_time(int handle, uint32_t seconds, uint32_t* offset) {
    if (!offset) return -1;
    std::shared_ptr<Record> rec;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        rec = FindRecord(handle);
        if (!rec) return -1;
    }
    const uint64_t dataLength = rec->size - recstream::kHeaderSize;
    uint64_t dataOffset = 0;
    if (seconds > 0) {
        const int64_t at = recstream::FindOffsetForTime(rec->path, rec->startTime + seconds);
        dataOffset = at < 0 ? dataLength
                            : std::min<uint64_t>(dataLength, uint64_t(std::max<int64_t>(at, recstream::kHeaderSize)) -
                                                                 recstream::kHeaderSize);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    rec->pos = recstream::kHeaderSize + dataOffset;
    *offset = uint32_t(std::min<uint64_t>(dataOffset, UINT32_MAX));
    return 0;
}

int storage_record_close(int handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_records.erase(handle) ? 0 : -1;
}

}  // extern "C"
