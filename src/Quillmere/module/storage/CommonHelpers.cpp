// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdarg>
#include <cstdio>
#include "CommonHelpers.h"

#include <QFile>
#include <cstdlib>
#include <cstring>

#include "Settings.h"
#include "RecorderTime.h"
#include "wincompat/drives.h"
#include "zun.h"

void CreateDirectoryPath(const char* path) {
    if (!path || !*path) return;
    CreateDirectoryPath(std::string(path));
}

void CreateDirectoryPath(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '/' && path[i] != '\\') continue;
        if (i == 0) continue;  // the root of an absolute path
        ZUN_MakeDir(path.substr(0, i).c_str());
    }
}

namespace {
// atoi of text[from, from + len), stopping at the end of the text.
int Slice(const char* text, size_t textLen, size_t from, size_t len) {
    char buf[8] = {0};
    for (size_t i = 0; i < len && from + i < textLen; ++i) buf[i] = text[from + i];
    return std::atoi(buf);
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
}  // namespace

time_t StringToTime(const char* text) {
    if (!text) text = "";
    const size_t len = strnlen(text, 14);
    return RecorderSecondsOf(Slice(text, len, 0, 4), Slice(text, len, 4, 2), Slice(text, len, 6, 2),
                             Slice(text, len, 8, 2), Slice(text, len, 10, 2), Slice(text, len, 12, 2));
}

time_t StringToTime(const std::string& text) { return StringToTime(text.c_str()); }

std::string TimeToString(time_t t) {
    struct tm tmv;
    if (!gmtime_r(&t, &tmv)) return std::string();
    char buf[15] = {0};
    if (strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &tmv) == 0) return std::string();
    return std::string(buf);
}

time_t PackedTimeToTime(PackedDateTime packed) {
    if (packed == kNoPackedTime) return -1;
    return RecorderSecondsOf(2000 + static_cast<int>((packed >> 26) & 0x3F), static_cast<int>((packed >> 22) & 0xF),
                             static_cast<int>((packed >> 17) & 0x1F), static_cast<int>((packed >> 12) & 0x1F),
                             static_cast<int>((packed >> 6) & 0x3F), static_cast<int>(packed & 0x3F));
}

bool GetFreeDiskBytes(const QString& path, uint64_t* freeBytes, uint64_t* totalBytes) {
    uint64_t freeToCaller = 0, total = 0;
    if (path.isEmpty()) return false;
    if (!wincompat::GetDiskFreeSpace(LocalPath(path), &freeToCaller, &total)) return false;
    if (freeBytes) *freeBytes = freeToCaller;
    if (totalBytes) *totalBytes = total;
    return true;
}

bool IsDiskSpaceLow(float thresholdGiB, int key, const QString& path) {
    QString folder = path;
    if (key != -1) {
        if (!CSettingsStore::GetInstance()->GetValueText(key, &folder)) return true;
    }
    uint64_t freeBytes = 0;
    if (!GetFreeDiskBytes(folder, &freeBytes, nullptr)) freeBytes = 0;
    return thresholdGiB * 1024.0f * 1024.0f * 1024.0f > static_cast<float>(freeBytes);
}

bool IsDiskSpaceLow(float thresholdGiB, SettingKey key, const QString& path) {
    return IsDiskSpaceLow(thresholdGiB, static_cast<int>(key), path);
}

void LogDebugLine(const QLoggingCategory& category, const char* format, ...) {
    if (!category.isDebugEnabled()) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    qCDebug(category, "%s", text);
}
