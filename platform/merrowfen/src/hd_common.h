// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Internal helpers of the hard-disk file library.
#include <cstdint>
#include <string>
#include <vector>

#include "merrowfen.h"
#include "merrowfen_disk.h"

namespace hdfile {

void SetError(int code);

// Recorder seconds <-> six-field date-time (no time zone).
bool TimeToSeconds(const HD_FILE_TIME& t, int64_t* seconds);
HD_FILE_TIME SecondsToTime(int64_t seconds);
// "YYYYMMDDhhmmss" of recorder seconds.
std::string SecondsToText14(int64_t seconds);
// Day number (days since 1970-01-01) and YYYYMMDD of that day.
uint32_t DayTag(int64_t day);
std::string DayFolderName(int64_t day);
inline int64_t DayOf(int64_t seconds) { return seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400; }

// Folder of a disk path ("E:", "E:\", "\\.\PHYSICALDRIVE1", a folder); empty
// when it does not resolve to an existing folder.
std::string ResolveDiskRoot(const std::string& diskPath);
// True when the root holds a marker that opens as a regular file.
bool HasMarker(const std::string& root);
// Remembers a disk that a search has read (names relative to a disk are
// resolved against these).
void RememberDisk(const std::string& root);
std::vector<std::string> KnownDisks();

// Reads a whole small file; false when it does not open or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out, uint64_t maxSize);

// Validated table files (empty on any damage).
std::vector<merrowfen_disk::DayIndexEntry> LoadDayIndex(const std::string& root, int64_t day, bool* present);
bool LoadLog(const std::string& root, std::vector<HD_LOG_RECORD>* out);
bool LoadEvents(const std::string& root, std::vector<merrowfen_disk::EventEntry>* out);

// One recording of a listing.
struct Listed {
    merrowfen_disk::DayIndexEntry entry;
    int64_t day;
};
// Recordings of [start, end] (channel -1 = all, fileType 0 = all), in start
// order, at most `limit`; `cancel` (may be null) is polled between days.
// False when the disk does not resolve or has no marker.
bool ListRecordings(const std::string& root, int64_t start, int64_t end, int channel, int fileType,
                    std::vector<Listed>* out, const volatile bool* cancel = nullptr);
// Name of a listed recording as handed out: disk path + "\record\<day>\<name>",
// or the relative form when that does not fit `capacity` - 1 bytes.
std::string FoundName(const std::string& diskPath, const Listed& l, size_t capacity);
// Copies a string into a fixed field, always zero-terminated.
void CopyText(char* dst, size_t capacity, const std::string& src);

// Handles: one process-wide counter for every kind of handle.
int NextHandle();

}  // namespace hdfile
