// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Date-time conversions shared by the library's readers. "Seconds" are a
// signed 32-bit count since 1970-01-01 00:00:00; the recorder stores its
// wall-clock time that way as if it were UTC.
#include <cstdint>

#include "pellomir/Pellomir.h"

namespace pellomir {

// Packed recorder date-time: (year - 2000) << 26 | month << 22 | day << 17 |
// hour << 12 | minute << 6 | second. Packed values compare in time order.
using PackedDateTime = uint32_t;

// "YYYYMMDDhhmmss" read as the PC's local calendar time. Null, a length other
// than 14, non-digits or out-of-range fields give 0.
int32_t TimeFromText14(const char* text);
// UTC breakdown of `seconds`, packed; 0 when it cannot be packed (a year
// outside 2000..2063).
PackedDateTime SecondsToPacked(int64_t seconds);
// Packs the six fields directly (each masked to its width, year - 2000), no
// calendar conversion. A null output is left alone.
void DvrTimeToPacked(const DVR_FILE_TIME* time, PackedDateTime* out);
// The seconds whose UTC breakdown equals the six fields (pure UTC arithmetic,
// independent of the PC's time zone).
int32_t DvrTimeToSeconds(const DVR_FILE_TIME& time);
DVR_FILE_TIME PackedToDvrTime(PackedDateTime packed);
// Closed ranges [a1, a2] and [b1, b2]: 1 with their overlap in *start and
// *end, or 0 when they do not overlap (outputs untouched).
int IntersectTimeRanges(int32_t a1, int32_t a2, int32_t b1, int32_t b2, int32_t* start, int32_t* end);

}  // namespace pellomir
