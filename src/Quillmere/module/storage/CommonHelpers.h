// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time, folder and free-space helpers shared by the engine and the pages.
// All are re-entrant and keep no state.
#include <QLoggingCategory>
#include <QString>
#include <cstdint>
#include <ctime>
#include <string>

enum class SettingKey : int;

// Makes every folder of `path` that is followed by a separator ('/' or '\'):
// "D:/a/b/" makes "D:", "D:/a" and "D:/a/b"; "D:/a/b" leaves "b" unmade.
// Failures (an existing folder among them) are ignored. Any length.
void CreateDirectoryPath(const char* path);
void CreateDirectoryPath(const std::string& path);

// Times here are recorder times (see RecorderTime.h): no time zone of this
// machine is involved.

// "yyyyMMddhhmmss" (14 digits) as recorder time. Slices that are missing or
// not numbers count as 0; never reads beyond the end of the text.
time_t StringToTime(const char* text);
time_t StringToTime(const std::string& text);
// The recorder time `t` as "yyyyMMddhhmmss"; empty when it cannot be formatted.
std::string TimeToString(time_t t);

// The recorders' packed date-time: (year - 2000) << 26 | month << 22 |
// day << 17 | hour << 12 | minute << 6 | second.
typedef uint32_t PackedDateTime;
const PackedDateTime kNoPackedTime = 0xFFFFFFFFu;
// Recorder time of a packed date-time; -1 for kNoPackedTime. Fields out of
// range carry into the next larger field (31 February is 2 March).
time_t PackedTimeToTime(PackedDateTime packed);

// The room a folder must have before a download, a clip or an evidence video
// is written to it: below it the save is refused before it starts and a
// running download stops. One value, so that a folder the checks pass is a
// folder the downloader accepts.
constexpr uint64_t kDownloadMinFreeBytes = 2ull * 1024 * 1024 * 1024;
constexpr float kDownloadMinFreeGiB = 2.0f;

// True when the file system holding the folder has less than `thresholdGiB`
// free for the caller. With `key` other than -1 the folder is the value of
// that setting (a missing setting counts as low); otherwise `path`. A folder
// whose file system cannot be read counts as low for any positive threshold.
// Paths may be folders of this machine or drive paths ("D:/Video/").
bool IsDiskSpaceLow(float thresholdGiB, int key, const QString& path);
bool IsDiskSpaceLow(float thresholdGiB, SettingKey key, const QString& path = QString());

// Free bytes available to the caller and total bytes of the file system that
// holds `path` (the nearest existing part of it). False when they cannot be
// read; the outputs are then untouched. Either output may be null.
bool GetFreeDiskBytes(const QString& path, uint64_t* freeBytes, uint64_t* totalBytes);

// Writes one printf-style diagnostic line (at most 1023 characters) to the
// debug output of `category`.
void LogDebugLine(const QLoggingCategory& category, const char* format, ...) __attribute__((format(printf, 2, 3)));
