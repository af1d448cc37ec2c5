// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writers of the recorder-disk files that the hard-disk file library and the
// record storage library read (docs/recorder-disk.md): markers, day indexes,
// the qorauto catalogue, device logs, event records, and small fake-but-valid
// recordings. Every writer replaces its file whole.
#include <cstdint>
#include <string>
#include <vector>

#include "merrowfen.h"
#include "merrowfen_disk.h"
#include "nembra_disk.h"

namespace recmedia {

// "QORWS" text marker. family 1 or 2; picVersion 1 or 2 (0 leaves the line out).
bool WriteDiskMarker(const std::string& root, int family, uint32_t serial, int picVersion, std::string* error);
// "QORAUTO" binary marker of a qorauto disk.
bool WriteQorautoMarker(const std::string& root, uint32_t serial, uint32_t mainFirst, uint32_t mainLast,
                        uint32_t subFirst, uint32_t subLast, std::string* error);

// Day index of `day` (days since 1970-01-01); entries are sorted here.
bool WriteDayIndex(const std::string& root, int64_t day, std::vector<merrowfen_disk::DayIndexEntry> entries,
                   std::string* error);
// Qorauto catalogue; entries are sorted here.
bool WriteCatalog(const std::string& root, std::vector<nembra_disk::CatalogEntry> entries, std::string* error);
// Device log; records are sorted by their time text here.
bool WriteDeviceLog(const std::string& root, std::vector<HD_LOG_RECORD> records, std::string* error);
// Event records; sorted by start here.
bool WriteEventRecords(const std::string& root, std::vector<merrowfen_disk::EventEntry> events, std::string* error);

// Relative paths ('/' separated) of a recording starting at `start` (recorder
// seconds) on channel `channel`; `seq` > 0 adds "_<seq>" for a second
// recording of the same channel and second.
std::string DayFolder(int64_t day);                       // "YYYYMMDD"
std::string RecordingFileName(int family, int channel, uint32_t start, int seq);
std::string RecordingRelativePath(int family, int channel, uint32_t start, int seq);  // below the root

// A small recording in the stream format: 40-byte header and, for every
// second of [start, start + seconds), one key-frame pack of `keyBytes` and
// `extraPacks` further packs of `packBytes`, all with their recorder time.
// The payload bytes are filler, not a decodable picture. A non-empty `key`
// enciphers the payloads.
struct FakeRecording {
    int channel = 1;
    uint32_t start = 0;
    uint32_t seconds = 60;
    uint16_t width = 352;
    uint16_t height = 288;
    uint16_t frameRate = 25;
    size_t keyBytes = 96;
    size_t packBytes = 32;
    int extraPacks = 1;
    uint32_t seed = 1;
    std::string key;
};
// Writes the file; `size` (may be null) receives its size.
bool WriteFakeRecording(const std::string& path, const FakeRecording& spec, uint64_t* size, std::string* error);

// Creates a folder and its parents ('/' separated).
bool MakeFolders(const std::string& path);

// Six-field date-time of recorder seconds, and back.
HD_FILE_TIME ToHdTime(int64_t seconds);
int64_t FromHdTime(const HD_FILE_TIME& t);
// "YYYYMMDDhhmmss".
std::string Text14(int64_t seconds);

}  // namespace recmedia
