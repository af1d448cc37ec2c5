// SPDX-License-Identifier: GPL-3.0-or-later
#include "Playback/VehicleData.h"

#include "recstream/recstream.h"

#include <gtest/gtest.h>

#include <QMetaType>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char kFullBlock[] =
    "$QORMOBILE,ABCDEF,E,240315123456|first text|second|,x,"
    "#GP|4212345|1445678|6000000|9050|0|W|S|A|9|7|"
    "#GS|1000|1|2|3|"
    "10|20|30|11|21|31|12|22|32|13|23|33|14|24|34|15|25|35|16|26|36|17|27|37|18|28|38|-19|-29|-39|"
    "#ME|5|1|0|1|0|1|,y,+480|";

VEH_META_INFO Parse(const std::string& text, bool* ok = nullptr)
{
    VEH_META_INFO info;
    std::memset(&info, 0xAB, sizeof(info));
    const bool r = ParseVehicleData(text.data(), static_cast<int>(text.size()), &info);
    if (ok)
        *ok = r;
    return info;
}

// Enciphers a text the way recorders do: DES-ECB blocks with the vehicle key,
// each byte written as two characters '@'+high and 'P'+low.
std::string Encipher(const std::string& prefix, std::string plain)
{
    while (plain.size() % 8)
        plain.push_back('\0');
    const uint8_t key[8] = {'z', 'e', 'l', 'q', 'u', 'a', 'm', 'o'};
    std::string out = prefix;
    for (size_t i = 0; i < plain.size(); i += 8) {
        uint8_t enc[8];
        std::memcpy(enc, plain.data() + i, 8);
        recstream::DesEcb(key, enc, 1, false);
        for (int j = 0; j < 8; ++j) {
            out.push_back(static_cast<char>(0x40 + (enc[j] >> 4)));
            out.push_back(static_cast<char>(0x50 + (enc[j] & 0x0F)));
        }
    }
    return out;
}

}  // namespace

TEST(VehicleData, RecordLayoutAndMetaType)
{
    EXPECT_EQ(sizeof(VEH_META_INFO), 564u);
    EXPECT_EQ(sizeof(RUN_INFO), 168u);
    EXPECT_NE(QMetaType::type("VEH_META_INFO"), QMetaType::UnknownType);
    EXPECT_NE(QMetaType::type("RUN_INFO"), QMetaType::UnknownType);
    EXPECT_EQ(QMetaType::type("VEH_META_INFO"), qMetaTypeId<VEH_META_INFO>());
}

TEST(VehicleData, WorkedHeaderFlagAndTime)
{
    bool ok = false;
    const VEH_META_INFO info = Parse("$QORMOBILE,ABCDEF,E,240315123456", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::string(info.headerText, 8), std::string("ABCDEF\0\0", 8));
    EXPECT_EQ(info.flagE, 1u);
    EXPECT_EQ(info.time, 1710506096u);
    EXPECT_EQ(info.signedValue, 10000);
    EXPECT_EQ(info.runInfo.gpsValid, 0u);
    EXPECT_EQ(info.runInfo.heading, 0);
}

TEST(VehicleData, FullBlockFieldMapping)
{
    const VEH_META_INFO info = Parse(kFullBlock);
    EXPECT_EQ(std::string(info.text1), "first text");
    EXPECT_EQ(std::string(info.text2), "second");
    const RUN_INFO& r = info.runInfo;
    EXPECT_EQ(r.gpsValid, 1u);
    EXPECT_EQ(r.longitude, 4212345u);
    EXPECT_EQ(r.latitude, 1445678u);
    EXPECT_EQ(r.speed, 6000000u);
    EXPECT_EQ(r.heading, 9050);
    EXPECT_EQ(r.longitudeHemisphere, 'W');
    EXPECT_EQ(r.latitudeHemisphere, 'S');
    EXPECT_EQ(r.locateMode, 'A');
    EXPECT_EQ(r.satelliteCount, 9);
    EXPECT_EQ(r.gpsWord2, 7);
    EXPECT_EQ(r.gSensorScale, 1000u);
    EXPECT_EQ(r.gSensorExtra[0], 1);
    EXPECT_EQ(r.gSensorExtra[2], 3);
    EXPECT_EQ(r.gSensorExtra[3], 0);
    EXPECT_EQ(r.gSensorX[0], 10);
    EXPECT_EQ(r.gSensorY[0], 20);
    EXPECT_EQ(r.gSensorZ[1], 31);
    EXPECT_EQ(r.gSensorX[9], -19);
    EXPECT_EQ(r.gSensorZ[9], -39);
    EXPECT_EQ(r.stateValid, 1u);
    EXPECT_EQ(r.stateWord, 5u);
    EXPECT_EQ(r.leftLight, 1);
    EXPECT_EQ(r.rightLight, 0);
    EXPECT_EQ(r.brake, 1);
    EXPECT_EQ(r.alarm, 0);
    EXPECT_EQ(r.reverse, 1);
    EXPECT_EQ(info.signedValue, 480);
    // Bytes no writer touches stay zero.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&info);
    for (size_t i = 88; i < 216; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    for (size_t i = 353; i < 416; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
}

TEST(VehicleData, BlockEdgeCases)
{
    const std::string head = "$QORMOBILE,ABCDEF,C,240315123456,a,";
    // "#GP" without "#GS": no GPS.
    VEH_META_INFO info = Parse(head + "#GP|1|2|3|4|5|E|N|A|9|7|");
    EXPECT_EQ(info.runInfo.gpsValid, 0u);
    EXPECT_EQ(info.runInfo.longitude, 0u);
    EXPECT_EQ(info.flagE, 0u);
    // An empty heading field.
    info = Parse(head + "#GP|1|2|3||5|E|N|#|9|7|#GS|1000|");
    EXPECT_EQ(info.runInfo.gpsValid, 1u);
    EXPECT_EQ(info.runInfo.heading, -1);
    EXPECT_EQ(info.runInfo.locateMode, 0);  // '#' is no mode letter
    // Fields at or after "#GS" are not taken as GPS fields.
    info = Parse(head + "#GP|1|2|3|4|5|E|N|#GS|1000|");
    EXPECT_EQ(info.runInfo.satelliteCount, 0);
    EXPECT_EQ(info.runInfo.gSensorScale, 1000u);
    // "#GS" followed at once by "#ME": no G-sensor data.
    info = Parse(head + "#GS#ME|1|1|1|1|1|1|");
    EXPECT_EQ(info.runInfo.gSensorScale, 0u);
    EXPECT_EQ(info.runInfo.gSensorX[0], 0);
    EXPECT_EQ(info.runInfo.stateValid, 1u);
    // "#ME" with too few bars.
    info = Parse(head + "#ME|1|1|");
    EXPECT_EQ(info.runInfo.stateValid, 0u);
    // Fewer than three commas: cleared record with only the fields reached.
    bool ok = false;
    info = Parse("$QORMOBILE,AB,E", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::string(info.headerText), "AB,E");  // six characters at most
    EXPECT_EQ(info.flagE, 1u);
    EXPECT_EQ(info.time, 0u);
    EXPECT_EQ(info.signedValue, 10000);
    // Blocks after the fifth comma only.
    info = Parse("$QORMOBILE,A,E,240315123456,#GP|1|2|3|4|5|E|N|A|9|7|#GS|9|");
    EXPECT_EQ(info.runInfo.gpsValid, 0u);
    EXPECT_EQ(info.runInfo.gSensorScale, 0u);
}

TEST(VehicleData, SignedValueTable)
{
    const struct {
        const char* tail;
        int32_t expected;
    } cases[] = {
        {"+480|", 480}, {"-60|", -60}, {"480|", 10000}, {"+|", 0}, {"|", 10000},
        {"+123456789012345678|", 10000},  // bar 20 characters on: too far
        {"-12345678901234567|", -INT32_MAX},  // longest read, saturated
        {"+480", 10000},
    };
    for (const auto& c : cases) {
        const VEH_META_INFO info = Parse(std::string("$QORMOBILE,A,E,240315123456,b,c,d,") + c.tail);
        EXPECT_EQ(info.signedValue, c.expected) << c.tail;
    }
}

TEST(VehicleData, EncipheredBlock)
{
    const std::string plain = kFullBlock;
    const std::string block = Encipher("$QORENC,7,", plain);
    VEH_META_INFO info;
    ASSERT_TRUE(ParseVehicleData(block.data(), static_cast<int>(block.size()), &info));
    const VEH_META_INFO expected = Parse(plain);
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof(info)), 0);
    EXPECT_EQ(info.time, 1710506096u);
    EXPECT_EQ(info.runInfo.longitude, 4212345u);

    // Trailing characters short of a whole group are left out.
    const std::string ragged = block + "@P@P@";
    ASSERT_TRUE(ParseVehicleData(ragged.data(), static_cast<int>(ragged.size()), &info));
    EXPECT_EQ(std::memcmp(&info, &expected, sizeof(info)), 0);

    // No second comma: false, record untouched.
    VEH_META_INFO untouched;
    std::memset(&untouched, 0x5A, sizeof(untouched));
    const VEH_META_INFO before = untouched;
    const std::string noComma = "$QORENC,@P@P@P@P@P@P@P@P";
    EXPECT_FALSE(ParseVehicleData(noComma.data(), static_cast<int>(noComma.size()), &untouched));
    EXPECT_EQ(std::memcmp(&untouched, &before, sizeof(before)), 0);
    EXPECT_FALSE(ParseVehicleData(nullptr, 0, &untouched));
}

TEST(VehicleData, DecipherKnownVector)
{
    // FIPS 81 style check: key 133457799BBCDFF1, plain 0123456789ABCDEF,
    // cipher 85E813540F0AB405.
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    const uint8_t cipher[8] = {0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05};
    std::string text;
    for (uint8_t b : cipher) {
        text.push_back(static_cast<char>(0x40 + (b >> 4)));
        text.push_back(static_cast<char>(0x50 + (b & 0x0F)));
    }
    uint8_t out[16] = {};
    EXPECT_EQ(DecipherVehicleText(static_cast<int>(text.size()), text.data(), out, sizeof(out), key), 8u);
    const uint8_t plain[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(std::memcmp(out, plain, 8), 0);
    // The output bound is honoured.
    const std::string twice = text + text;
    uint8_t small[12] = {};
    EXPECT_EQ(DecipherVehicleText(static_cast<int>(twice.size()), twice.data(), small, sizeof(small), key), 8u);
}

TEST(VehicleData, FindNthOccurrence)
{
    const char* text = "a,,b,c";
    EXPECT_EQ(FindNthOccurrence(text, ",", 0), text);
    EXPECT_EQ(FindNthOccurrence(text, ",", 1), text + 1);
    EXPECT_EQ(FindNthOccurrence(text, ",", 2), text + 2);
    EXPECT_EQ(FindNthOccurrence(text, ",", 3), text + 4);
    EXPECT_EQ(FindNthOccurrence(text, ",", 4), nullptr);
    const char* tags = "#G#G#G";
    EXPECT_EQ(FindNthOccurrence(tags, "#G#G", 1), tags);
    EXPECT_EQ(FindNthOccurrence(tags, "#G#G", 2), nullptr);  // searches on after the match
}

TEST(VehicleData, MakeUtcSecondsMatchesCalendar)
{
    EXPECT_EQ(MakeUtcSeconds(2024, 3, 15, 12, 34, 56), 1710506096u);
    EXPECT_EQ(MakeUtcSeconds(1970, 1, 1, 0, 0, 0), 0u);
    for (int year : {2000, 2001, 2024, 2037, 2063}) {
        for (int month = 1; month <= 12; ++month) {
            struct tm t = {};
            t.tm_year = year - 1900;
            t.tm_mon = month - 1;
            t.tm_mday = 28;
            t.tm_hour = 23;
            t.tm_min = 59;
            t.tm_sec = 58;
            EXPECT_EQ(MakeUtcSeconds(year, month, 28, 23, 59, 58), static_cast<uint32_t>(timegm(&t)))
                << year << "-" << month;
        }
    }
    // Beyond 2106 the count wraps modulo 2^32 instead of overflowing.
    EXPECT_EQ(MakeUtcSeconds(2106, 2, 7, 6, 28, 16), 0u);
}

// Truncated, over-long and malformed blocks: every one must parse inside its
// buffers (run under AddressSanitizer).
TEST(VehicleData, DamagedBlocksStayInBounds)
{
    std::vector<std::string> blocks;
    const std::string full = kFullBlock;
    for (size_t n = 0; n <= full.size(); ++n)
        blocks.push_back(full.substr(0, n));
    const std::string enc = Encipher("$E,1,", full);
    for (size_t n = 0; n <= enc.size(); n += 3)
        blocks.push_back(enc.substr(0, n));
    blocks.push_back(std::string(4000, '|'));
    blocks.push_back(std::string(4000, ','));
    blocks.push_back("$QORMOBILE" + std::string(3000, ','));
    blocks.push_back("$QORMOBILE,A,E,2403151234" + std::string(3000, '9'));
    blocks.push_back("$QORMOBILE,A,E,24|" + std::string(200, 'x') + "|" + std::string(200, 'y') + "|");
    blocks.push_back("$QORMOBILE,A,E,24,b,#GP|" + std::string(2000, '9') + "|#GS|" + std::string(60, '9'));
    blocks.push_back("$QORMOBILE,A,E,24,b,#GS|" + std::string(60, '|'));
    blocks.push_back(Encipher("$E,1,", std::string(2000, 'Q')));  // more groups than the buffer holds
    std::string padded = "$QORMOBILE,A,E,240315123456,b,c,d,+4|";
    padded.resize(1023 - 5, ' ');
    padded += ",+48|";  // a comma right at the end of the work buffer
    blocks.push_back(padded);
    std::string endComma(1022, 'a');
    endComma = "$QORMOBILE" + endComma.substr(10) + ",";
    blocks.push_back(endComma);
    std::string zeros("$QORMOBILE,AB\0CD,E,24", 21);
    blocks.push_back(zeros);

    for (const std::string& b : blocks) {
        // A heap copy of exactly the block's size, so reads past it are caught.
        std::vector<char> heap(b.begin(), b.end());
        VEH_META_INFO info;
        ParseVehicleData(heap.empty() ? nullptr : heap.data(), static_cast<int>(heap.size()), &info);
    }
    VEH_META_INFO info;
    Parse(std::string("$QORMOBILE,A,E,24|") + std::string(200, 'x') + "|" + std::string(5, 'y') + "|");
    info = Parse(std::string("$QORMOBILE,A,E,24|") + std::string(200, 'x') + "|" + std::string(5, 'y') + "|");
    EXPECT_EQ(std::string(info.text1, 32), std::string(32, 'x'));
    EXPECT_EQ(std::string(info.text2), "yyyyy");
    info = Parse("$QORMOBILE,A,E,24,b,#GP|99999999999999999999|1|2|3|4|E|N|A|1|2|#GS|");
    EXPECT_EQ(info.runInfo.longitude, static_cast<uint32_t>(INT32_MAX));
}
