// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeConv.h"

#include <cstring>
#include <ctime>

namespace pellomir {
namespace {

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (month == 2 && IsLeap(year)) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (any month value is
// folded into the year).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    if (month < 1) {
        month += 12;
        year -= 1;
    }
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int32_t ClampToInt32(int64_t v)
{
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

}  // namespace

int32_t TimeFromText14(const char* text)
{
    if (!text || strnlen(text, 15) != 14)
        return 0;
    int value[6] = {0, 0, 0, 0, 0, 0};
    static const int widths[6] = {4, 2, 2, 2, 2, 2};
    const char* p = text;
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < widths[f]; ++i, ++p) {
            if (*p < '0' || *p > '9')
                return 0;
            value[f] = value[f] * 10 + (*p - '0');
        }
    }
    const int year = value[0], month = value[1], day = value[2];
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || value[3] > 23 ||
        value[4] > 59 || value[5] > 59)
        return 0;
    struct tm t;
    std::memset(&t, 0, sizeof(t));
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = value[3];
    t.tm_min = value[4];
    t.tm_sec = value[5];
    t.tm_isdst = -1;
    const time_t result = mktime(&t);
    if (result == static_cast<time_t>(-1) || result > INT32_MAX || result < 0)
        return 0;
    return static_cast<int32_t>(result);
}

PackedDateTime SecondsToPacked(int64_t seconds)
{
    const time_t t = static_cast<time_t>(seconds);
    struct tm b;
    if (!gmtime_r(&t, &b))
        return 0;
    const int year = b.tm_year + 1900;
    if (year < 2000 || year > 2063)
        return 0;
    return (static_cast<uint32_t>(year - 2000) << 26) | (static_cast<uint32_t>(b.tm_mon + 1) << 22) |
           (static_cast<uint32_t>(b.tm_mday) << 17) | (static_cast<uint32_t>(b.tm_hour) << 12) |
           (static_cast<uint32_t>(b.tm_min) << 6) | static_cast<uint32_t>(b.tm_sec);
}

void DvrTimeToPacked(const DVR_FILE_TIME* time, PackedDateTime* out)
{
    if (!time || !out)
        return;
    *out = ((static_cast<uint32_t>(time->year - 2000) & 0x3F) << 26) |
           ((static_cast<uint32_t>(time->month) & 0x0F) << 22) | ((static_cast<uint32_t>(time->day) & 0x1F) << 17) |
           ((static_cast<uint32_t>(time->hour) & 0x1F) << 12) | ((static_cast<uint32_t>(time->minute) & 0x3F) << 6) |
           (static_cast<uint32_t>(time->second) & 0x3F);
}

int32_t DvrTimeToSeconds(const DVR_FILE_TIME& time)
{
    const int64_t days = DaysFromCivil(time.year, time.month, time.day);
    return ClampToInt32(((days * 24 + time.hour) * 60 + time.minute) * 60 + time.second);
}

DVR_FILE_TIME PackedToDvrTime(PackedDateTime packed)
{
    DVR_FILE_TIME t;
    t.year = static_cast<int32_t>(packed >> 26) + 2000;
    t.month = static_cast<int32_t>((packed >> 22) & 0x0F);
    t.day = static_cast<int32_t>((packed >> 17) & 0x1F);
    t.hour = static_cast<int32_t>((packed >> 12) & 0x1F);
    t.minute = static_cast<int32_t>((packed >> 6) & 0x3F);
    t.second = static_cast<int32_t>(packed & 0x3F);
    return t;
}

int IntersectTimeRanges(int32_t a1, int32_t a2, int32_t b1, int32_t b2, int32_t* start, int32_t* end)
{
    if (b2 < a1 || a2 < b1)
        return 0;
    if (start)
        *start = a1 > b1 ? a1 : b1;
    if (end)
        *end = a2 < b2 ? a2 : b2;
    return 1;
}

}  // namespace pellomir
