#pragma once
// The check of a save folder before a download: it must exist, be writable
// and have room. What is wrong is shown to the operator in a modal warning
// box titled "Warn".
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

#include "CommonHelpers.h"

// Free space a save folder must have for CheckSavePath: the downloader's own
// limit (2 GiB), the value the refusal names.
constexpr uint64_t kSavePathMinFreeBytes = kDownloadMinFreeBytes;

enum SaveWarningCode {
    kSaveWarnNoWritePermission = 1,
    kSaveWarnLessThan512MB = 2,
    kSaveWarnLessThan2GB = 3,
    kSaveWarnPathNotExist = 4,
};

// True when `path` may be saved to; false after a warning was shown. Paths
// may be folders of this machine or drive paths ("D:/Video").
bool CheckSavePath(const QString& path, QWidget* parent);

// True when the volume holding `path` (the path itself when it exists, else
// the nearest existing folder above it) has at least `requiredBytes` free for
// the caller; false when it has fewer or the query fails.
bool HasFreeSpace(const QString& path, uint64_t requiredBytes);

// Shows warning `code` (SaveWarningCode; any other code shows an empty text)
// parented to the top-level window of `parent`.
void ShowSaveWarning(int code, QWidget* parent);

// The translated text of a warning code; empty for unknown codes.
QString SaveWarningText(int code);

// How warnings reach the operator: by default a modal warning box. Tests and
// windowless programs install their own; an empty function restores the box.
using SaveWarningPresenter = std::function<void(const QString& title, const QString& text, QWidget* window)>;
void SetSaveWarningPresenter(SaveWarningPresenter presenter);

// The file-system questions CheckSavePath asks. Empty members use the real
// file system; a test may answer them itself.
struct SavePathProbe {
    std::function<bool(const QString& path)> exists;
    std::function<bool(const QString& path)> writable;
    std::function<bool(const QString& path, uint64_t* freeBytes)> freeBytes;
};
void SetSavePathProbe(SavePathProbe probe);
