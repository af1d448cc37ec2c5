// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// On-disk formats of a qorauto medium (disk type 1), as the record storage
// library reads them and the sample-media writer writes them. See
// docs/recorder-disk.md. Little-endian; times are recorder seconds.
#include <stddef.h>
#include <stdint.h>

namespace nembra_disk {

constexpr const char* kMarkerName = "QORAUTO";            // binary marker at the root
constexpr const char* kDataDir = "qorauto";               // qorauto/<YYYYMMDD>/...
constexpr const char* kCatalogName = "qorauto/catalog.qac";

constexpr char kMarkerMagic[8] = {'Q', 'O', 'R', 'A', 'U', 'T', 'O', '1'};
constexpr char kCatalogMagic[4] = {'Q', 'A', 'C', 'T'};
constexpr uint32_t kFormatVersion = 1;

#pragma pack(push, 1)
// The "QORAUTO" marker (64 bytes).
struct Marker {
    char magic[8];          // kMarkerMagic
    uint32_t version;       // kFormatVersion
    uint32_t serial;        // identifies the disk in record names
    uint32_t mainFirst;     // channel-map entry 0: first and last channel
    uint32_t mainLast;
    uint32_t subFirst;      // channel-map entry 1 (first > last: none)
    uint32_t subLast;
    uint32_t checksum;      // Fnv1a over the 36 bytes before it
    uint8_t reserved[28];
};

// Catalogue header (32 bytes).
struct CatalogHeader {
    char magic[4];          // kCatalogMagic
    uint16_t version;
    uint16_t entrySize;     // 96
    uint32_t count;
    uint32_t checksum;      // Fnv1a over the entries' bytes
    uint8_t reserved[16];
};

// One recording (96 bytes). Sorted by map index, channel, then start time.
struct CatalogEntry {
    uint32_t mapIndex;      // 0 main, 1 sub
    uint32_t channel;       // 1-based
    uint32_t recordType;    // STORAGE_RECORD_*
    uint32_t size;          // file bytes
    uint32_t start;         // recorder seconds of the first pack
    uint32_t end;           // recorder seconds of the last pack
    char path[64];          // below qorauto/, e.g. "20240301/c01_120000.qar"
    uint8_t reserved[8];
};
#pragma pack(pop)

static_assert(sizeof(Marker) == 64, "marker is 64 bytes");
static_assert(sizeof(CatalogHeader) == 32, "catalogue header is 32 bytes");
static_assert(sizeof(CatalogEntry) == 96, "catalogue entry is 96 bytes");

inline uint32_t Fnv1a(const void* data, size_t size, uint32_t hash = 2166136261u) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace nembra_disk
