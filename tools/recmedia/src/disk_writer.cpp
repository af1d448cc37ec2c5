// SPDX-License-Identifier: GPL-3.0-or-later
#include "recmedia/disk_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "recstream/recstream.h"

namespace recmedia {

namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

bool MakeDirs(const std::string& path) {
    size_t from = 0;
    while (from <= path.size()) {
        size_t slash = path.find('/', from);
        if (slash == std::string::npos) slash = path.size();
        const std::string cur = path.substr(0, slash);
        if (!cur.empty() && ::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
        from = slash + 1;
    }
    return true;
}

bool WriteBytes(const std::string& path, const void* data, size_t size, std::string* error) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirs(path.substr(0, slash)))
        return Fail(error, "cannot create the folder of " + path);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return Fail(error, "cannot create " + path);
    const bool ok = (size == 0 || std::fwrite(data, 1, size, f) == size);
    if (std::fclose(f) != 0 || !ok) return Fail(error, "cannot write " + path);
    return true;
}

template <typename Entry>
bool WriteTable(const std::string& path, const char magic[4], uint32_t tag, const std::vector<Entry>& entries,
                std::string* error) {
    merrowfen_disk::TableHeader h{};
    std::memcpy(h.magic, magic, 4);
    h.version = merrowfen_disk::kFormatVersion;
    h.entrySize = sizeof(Entry);
    h.count = uint32_t(entries.size());
    h.tag = tag;
    h.checksum = merrowfen_disk::Fnv1a(entries.data(), entries.size() * sizeof(Entry));
    std::vector<uint8_t> bytes(sizeof h + entries.size() * sizeof(Entry));
    std::memcpy(bytes.data(), &h, sizeof h);
    if (!entries.empty()) std::memcpy(bytes.data() + sizeof h, entries.data(), entries.size() * sizeof(Entry));
    return WriteBytes(path, bytes.data(), bytes.size(), error);
}

}  // namespace

bool MakeFolders(const std::string& path) { return MakeDirs(path); }

HD_FILE_TIME ToHdTime(int64_t seconds) {
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

int64_t FromHdTime(const HD_FILE_TIME& t) {
    return recstream::DaysFromCivil(t.year, unsigned(t.month), unsigned(t.day)) * 86400 + t.hour * 3600 + t.minute * 60 +
           t.second;
}

std::string Text14(int64_t seconds) {
    const HD_FILE_TIME t = ToHdTime(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

std::string DayFolder(int64_t day) { return Text14(day * 86400).substr(0, 8); }

std::string RecordingFileName(int family, int channel, uint32_t start, int seq) {
    std::string name = "c";
    char ch[16];
    std::snprintf(ch, sizeof ch, "%02d_", channel);
    name += ch;
    name += Text14(start).substr(8, 6);
    if (seq > 0) name += "_" + std::to_string(seq);
    name += family == 1 ? ".qar" : ".qrv";
    return name;
}

std::string RecordingRelativePath(int family, int channel, uint32_t start, int seq) {
    return std::string(family == 1 ? nembra_disk::kDataDir : merrowfen_disk::kRecordDir) + "/" +
           DayFolder(start / 86400) + "/" + RecordingFileName(family, channel, start, seq);
}

bool WriteDiskMarker(const std::string& root, int family, uint32_t serial, int picVersion, std::string* error) {
    char text[128];
    int n = std::snprintf(text, sizeof text, "QORWS 1\nserial=%08X\nfamily=%d\n", serial, family);
    if (picVersion == 1 || picVersion == 2)
        n += std::snprintf(text + n, sizeof text - size_t(n), "picver=%d\n", picVersion);
    return WriteBytes(root + "/" + merrowfen_disk::kMarkerName, text, size_t(n), error);
}

bool WriteQorautoMarker(const std::string& root, uint32_t serial, uint32_t mainFirst, uint32_t mainLast,
                        uint32_t subFirst, uint32_t subLast, std::string* error) {
    nembra_disk::Marker m{};
    std::memcpy(m.magic, nembra_disk::kMarkerMagic, 8);
    m.version = nembra_disk::kFormatVersion;
    m.serial = serial;
    m.mainFirst = mainFirst;
    m.mainLast = mainLast;
    m.subFirst = subFirst;
    m.subLast = subLast;
    m.checksum = nembra_disk::Fnv1a(&m, offsetof(nembra_disk::Marker, checksum));
    return WriteBytes(root + "/" + nembra_disk::kMarkerName, &m, sizeof m, error);
}

bool WriteDayIndex(const std::string& root, int64_t day, std::vector<merrowfen_disk::DayIndexEntry> entries,
                   std::string* error) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const merrowfen_disk::DayIndexEntry& a, const merrowfen_disk::DayIndexEntry& b) {
                         return a.start != b.start ? a.start < b.start : a.channel < b.channel;
                     });
    const std::string folder = DayFolder(day);
    return WriteTable(root + "/" + merrowfen_disk::kRecordDir + "/" + folder + "/" + merrowfen_disk::kDayIndexName,
                      merrowfen_disk::kDayIndexMagic, uint32_t(std::stoul(folder)), entries, error);
}

bool WriteCatalog(const std::string& root, std::vector<nembra_disk::CatalogEntry> entries, std::string* error) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const nembra_disk::CatalogEntry& a, const nembra_disk::CatalogEntry& b) {
                         if (a.mapIndex != b.mapIndex) return a.mapIndex < b.mapIndex;
                         if (a.channel != b.channel) return a.channel < b.channel;
                         return a.start < b.start;
                     });
    nembra_disk::CatalogHeader h{};
    std::memcpy(h.magic, nembra_disk::kCatalogMagic, 4);
    h.version = uint16_t(nembra_disk::kFormatVersion);
    h.entrySize = sizeof(nembra_disk::CatalogEntry);
    h.count = uint32_t(entries.size());
    h.checksum = nembra_disk::Fnv1a(entries.data(), entries.size() * sizeof(nembra_disk::CatalogEntry));
    std::vector<uint8_t> bytes(sizeof h + entries.size() * sizeof(nembra_disk::CatalogEntry));
    std::memcpy(bytes.data(), &h, sizeof h);
    if (!entries.empty()) std::memcpy(bytes.data() + sizeof h, entries.data(), bytes.size() - sizeof h);
    return WriteBytes(root + "/" + nembra_disk::kCatalogName, bytes.data(), bytes.size(), error);
}

bool WriteDeviceLog(const std::string& root, std::vector<HD_LOG_RECORD> records, std::string* error) {
    std::stable_sort(records.begin(), records.end(), [](const HD_LOG_RECORD& a, const HD_LOG_RECORD& b) {
        return std::strncmp(a.time, b.time, sizeof a.time) < 0;
    });
    return WriteTable(root + "/" + merrowfen_disk::kLogName, merrowfen_disk::kLogMagic, 0, records, error);
}

bool WriteEventRecords(const std::string& root, std::vector<merrowfen_disk::EventEntry> events, std::string* error) {
    std::stable_sort(events.begin(), events.end(),
                     [](const merrowfen_disk::EventEntry& a, const merrowfen_disk::EventEntry& b) {
                         return a.start < b.start;
                     });
    return WriteTable(root + "/" + merrowfen_disk::kEventName, merrowfen_disk::kEventMagic, 0, events, error);
}

bool WriteFakeRecording(const std::string& path, const FakeRecording& spec, uint64_t* size, std::string* error) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirs(path.substr(0, slash)))
        return Fail(error, "cannot create the folder of " + path);
    recstream::StreamHeader h = recstream::MakeHeader();
    h.videoCodec = recstream::kVideoH264;
    h.audioCodec = recstream::kAudioNone;
    h.channel = uint8_t(spec.channel);
    h.width = spec.width;
    h.height = spec.height;
    h.frameRate = spec.frameRate;
    h.startTime = spec.start;
    if (!spec.key.empty()) h.flags |= recstream::kFlagEnciphered;
    recstream::StreamWriter w;
    if (!w.Open(path, h, spec.key)) return Fail(error, "cannot create " + path);
    std::vector<uint8_t> payload(std::max<size_t>(std::max(spec.keyBytes, spec.packBytes), 1));
    uint32_t x = spec.seed * 2654435761u + uint32_t(spec.channel) * 40503u + spec.start;
    if (x == 0) x = 1;
    for (uint32_t s = 0; s < spec.seconds; ++s) {
        for (int p = 0; p <= spec.extraPacks; ++p) {
            const size_t n = p == 0 ? spec.keyBytes : spec.packBytes;
            for (size_t i = 0; i < n; ++i) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                payload[i] = uint8_t(x | 0x01);  // never zero: no start-code prefixes in the filler
            }
            const uint64_t pts = uint64_t(s) * 90000 + uint64_t(p) * 90000 / uint64_t(spec.extraPacks + 1);
            if (!w.WriteVideo(pts, p == 0, payload.data(), n)) return Fail(error, "cannot write " + path);
        }
    }
    if (!w.Close()) return Fail(error, "cannot finish " + path);
    if (size) *size = w.BytesWritten();
    return true;
}

}  // namespace recmedia
