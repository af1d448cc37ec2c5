// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// On-disk formats of a recorder medium of the second family, as the
// hard-disk file library reads them and the sample-media writer writes them.
// docs/recorder-disk.md describes the whole layout. All numbers are
// little-endian; times are recorder seconds (the recorder's clock counted as
// seconds since 1970-01-01 as if it were UTC).
#include <stddef.h>
#include <stdint.h>

#include "merrowfen.h"

namespace merrowfen_disk {

// Files and folders, relative to the medium's root ('/' separated).
constexpr const char* kMarkerName = "QORWS";          // text marker, must open as a file
constexpr const char* kRecordDir = "record";          // record/<YYYYMMDD>/...
constexpr const char* kDayIndexName = "index.qri";    // record/<YYYYMMDD>/index.qri
constexpr const char* kLogName = "devlog.qrl";        // device log
constexpr const char* kEventName = "events.qre";      // extra information (events, driver behaviour)

constexpr char kDayIndexMagic[4] = {'Q', 'R', 'D', 'I'};
constexpr char kLogMagic[4] = {'Q', 'R', 'L', 'G'};
constexpr char kEventMagic[4] = {'Q', 'R', 'E', 'V'};
constexpr uint16_t kFormatVersion = 1;

#pragma pack(push, 1)
// Header shared by the day index, the log file and the event file (32 bytes).
struct TableHeader {
    char magic[4];
    uint16_t version;       // kFormatVersion
    uint16_t entrySize;     // bytes per entry
    uint32_t count;         // entries after the header
    uint32_t tag;           // day index: the day as YYYYMMDD; others 0
    uint32_t checksum;      // Fnv1a over the entries' bytes
    uint8_t reserved[12];
};

// One recording of a day index (64 bytes). Entries are sorted by start time,
// then channel. A recording belongs to the day of its start.
struct DayIndexEntry {
    uint32_t start;         // recorder seconds of the first pack
    uint32_t end;           // recorder seconds of the last pack
    uint32_t size;          // file bytes
    uint32_t recordType;    // record-type code
    uint16_t channel;       // 1-based
    uint8_t fileType;       // HD_FILE_TYPE_*
    uint8_t flags;          // bit 0: enciphered
    char name[44];          // file name inside the day folder, zero-terminated
};

// One event record (64 bytes), sorted by start time.
struct EventEntry {
    uint32_t start;         // recorder seconds
    uint32_t end;
    uint16_t majorType;
    uint16_t minorType;
    uint16_t channel;       // 1-based
    uint16_t dataLength;    // bytes of data used, <= 48
    uint8_t data[48];       // HD_EVENT_DATA or HD_DRIVER_BEHAVIOR_DATA
};
#pragma pack(pop)

static_assert(sizeof(TableHeader) == 32, "table header is 32 bytes");
static_assert(sizeof(DayIndexEntry) == 64, "day index entry is 64 bytes");
static_assert(sizeof(EventEntry) == 64, "event entry is 64 bytes");
// Log entries are HD_LOG_RECORD (68 bytes), sorted by their time text.

// 32-bit FNV-1a, continued from `hash`.
inline uint32_t Fnv1a(const void* data, size_t size, uint32_t hash = 2166136261u) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace merrowfen_disk
