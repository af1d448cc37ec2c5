// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check of a save folder before a download: it must exist, be writable
// and have room. The check gives the code of what is wrong; the interface
// shows its text to the operator (ui/common/SaveWarning.h).
#include <QString>
#include <cstdint>
#include <functional>

#include "CommonHelpers.h"

// Free space a save folder must have for SavePathWarning: the downloader's own
// limit (2 GiB), the value the refusal names.
constexpr uint64_t kSavePathMinFreeBytes = kDownloadMinFreeBytes;

enum SaveWarningCode {
    kSaveWarnNoWritePermission = 1,
    kSaveWarnLessThan512MB = 2,
    kSaveWarnLessThan2GB = 3,
    kSaveWarnPathNotExist = 4,
};

// 0 when `path` may be saved to, else the SaveWarningCode of the first test
// it fails (exists, writable, room for kSavePathMinFreeBytes). Paths may be
// folders of this machine or drive paths ("D:/Video").
int SavePathWarning(const QString& path);

// True when the volume holding `path` (the path itself when it exists, else
// the nearest existing folder above it) has at least `requiredBytes` free for
// the caller; false when it has fewer or the query fails.
bool HasFreeSpace(const QString& path, uint64_t requiredBytes);

// The translated title of the warnings ("Warn") and the translated text of
// a warning code; empty for unknown codes.
QString SaveWarningTitle();
QString SaveWarningText(int code);

// The file-system questions SavePathWarning asks. Empty members use the real
// file system; a test may answer them itself.
struct SavePathProbe {
    std::function<bool(const QString& path)> exists;
    std::function<bool(const QString& path)> writable;
    std::function<bool(const QString& path, uint64_t* freeBytes)> freeBytes;
};
void SetSavePathProbe(SavePathProbe probe);
