// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdarg>
#include <cstdio>
#include "CommonHelpers.h"

#include <QFile>
#include <cstdlib>
#include <cstring>

#include "Settings.h"
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

time_t MakeLocalSlow(int year, int month, int day, int hour, int minute, int second) {
    struct tm tmv;
    std::memset(&tmv, 0, sizeof tmv);
    tmv.tm_year = year - 1900;
    tmv.tm_mon = month - 1;
    tmv.tm_mday = day;
    tmv.tm_hour = hour;
    tmv.tm_min = minute;
    tmv.tm_sec = second;
    tmv.tm_isdst = -1;
    return mktime(&tmv);
}

long OffsetAt(time_t t) {
    struct tm parts {};
    localtime_r(&t, &parts);
    return parts.tm_gmtoff;
}

// mktime() of local time fields. mktime asks the system for the time zone on
// every call, which a search over many thousands of recordings pays twice a
// recording; the start of the last hour converted is kept per thread and
// reused for the minutes and seconds of that hour when no change of the UTC
// offset touches the hour (so that the answer is mktime's own).
time_t MakeLocal(int year, int month, int day, int hour, int minute, int second) {
    struct HourCache {
        int year = -1, month = 0, day = 0, hour = 0;
        time_t start = 0;
        std::string zone;   // the TZ setting it was made under
    };
    thread_local HourCache cache;
    const bool plain = month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour <= 23 &&
                       minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    const char* zone = std::getenv("TZ");
    if (plain && cache.year == year && cache.month == month && cache.day == day && cache.hour == hour &&
        cache.zone == (zone ? zone : ""))
        return cache.start + minute * 60 + second;
    const time_t t = MakeLocalSlow(year, month, day, hour, minute, second);
    if (plain && t != static_cast<time_t>(-1)) {
        const time_t start = t - minute * 60 - second;
        const long offset = OffsetAt(start);
        struct tm parts {};
        localtime_r(&start, &parts);
        if (parts.tm_year == year - 1900 && parts.tm_mon == month - 1 && parts.tm_mday == day &&
            parts.tm_hour == hour && parts.tm_min == 0 && parts.tm_sec == 0 && OffsetAt(start - 1) == offset &&
            OffsetAt(start + 3600) == offset) {
            cache.year = year;
            cache.month = month;
            cache.day = day;
            cache.hour = hour;
            cache.start = start;
            cache.zone = zone ? zone : "";
        }
    }
    return t;
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
}  // namespace

time_t StringToTime(const char* text) {
    if (!text) text = "";
    const size_t len = strnlen(text, 14);
    return MakeLocal(Slice(text, len, 0, 4), Slice(text, len, 4, 2), Slice(text, len, 6, 2),
                     Slice(text, len, 8, 2), Slice(text, len, 10, 2), Slice(text, len, 12, 2));
}

time_t StringToTime(const std::string& text) { return StringToTime(text.c_str()); }

std::string TimeToString(time_t t) {
    struct tm tmv;
    if (!localtime_r(&t, &tmv)) return std::string();
    char buf[15] = {0};
    if (strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &tmv) == 0) return std::string();
    return std::string(buf);
}

time_t PackedTimeToTime(PackedDateTime packed) {
    if (packed == kNoPackedTime) return -1;
    return MakeLocal(2000 + static_cast<int>((packed >> 26) & 0x3F), static_cast<int>((packed >> 22) & 0xF),
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
