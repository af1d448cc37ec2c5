// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <ctime>

#include "recstream/recstream.h"

using recstream::CivilTime;

namespace {

TEST(CivilTime, AgreesWithTimegmAndRoundTrips) {
    const CivilTime cases[] = {
        {1970, 1, 1, 0, 0, 0}, {2000, 2, 29, 12, 0, 0}, {2024, 3, 15, 12, 34, 56},
        {2024, 12, 31, 23, 59, 59}, {2100, 3, 1, 0, 0, 1}, {2105, 12, 31, 23, 59, 59},
    };
    for (const CivilTime& c : cases) {
        int64_t s = -1;
        ASSERT_TRUE(recstream::CivilToSeconds(c, &s)) << c.year << "-" << c.month << "-" << c.day;
        std::tm tmv{};
        tmv.tm_year = c.year - 1900;
        tmv.tm_mon = c.month - 1;
        tmv.tm_mday = c.day;
        tmv.tm_hour = c.hour;
        tmv.tm_min = c.minute;
        tmv.tm_sec = c.second;
        EXPECT_EQ(s, static_cast<int64_t>(timegm(&tmv)));
        CivilTime back = recstream::SecondsToCivil(s);
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
        EXPECT_EQ(back.hour, c.hour);
        EXPECT_EQ(back.minute, c.minute);
        EXPECT_EQ(back.second, c.second);
    }
}

TEST(CivilTime, RefusesFieldsOutOfRange) {
    const CivilTime bad[] = {
        {1969, 12, 31, 0, 0, 0}, {2106, 1, 1, 0, 0, 0}, {2023, 2, 29, 0, 0, 0}, {2024, 4, 31, 0, 0, 0},
        {2024, 0, 1, 0, 0, 0},   {2024, 13, 1, 0, 0, 0}, {2024, 1, 0, 0, 0, 0},  {2024, 1, 1, 24, 0, 0},
        {2024, 1, 1, 0, 60, 0},  {2024, 1, 1, 0, 0, 60}, {2024, 1, 1, -1, 0, 0},
    };
    for (const CivilTime& c : bad) EXPECT_FALSE(recstream::CivilToSeconds(c, nullptr));
    CivilTime before = recstream::SecondsToCivil(-1);
    EXPECT_EQ(before.year, 1969);
    EXPECT_EQ(before.second, 59);
}

}  // namespace
