// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Civil date and time of the storage layer, the hard-disk library calls and
// the direct file reader: year (full), month 1-12, day, hour, minute, second.
#include <cstdint>

struct RbsDateTime {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
};
