// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "Frame.h"
#include "TimeConv.h"
#include "VideoStreamMgt.h"
#include "kel_test/test_support.h"
#include "pellomir/Pellomir.h"

using namespace pellomir;

namespace {

uint32_t LastErrorOnNewThread(void (*body)())
{
    uint32_t code = 12345;
    std::thread t([&] {
        body();
        code = DVR_FILE_GetLastError();
    });
    t.join();
    return code;
}

}  // namespace

TEST(PellomirFrame, MessageTable)
{
    char text[DVR_FILE_MAX_MSG_LEN + 1];
    EXPECT_EQ(DVR_FILE_GetErrorMsg(28, nullptr), 36);
    std::memset(text, 'x', sizeof(text));
    EXPECT_EQ(DVR_FILE_GetErrorMsg(50, text), 0);
    EXPECT_EQ(text[0], 'x');

    const struct {
        uint32_t code;
        const char* text;
    } known[] = {
        {0, "DVR_FILE_SDK: no error"},
        {34, "DVR_FILE_SDK: Invalid pointer"},
        {101, "HD_FILE_SDK: nput parameter is invalid"},
        {119, "HD_FILE_SDK: Open the log file failed"},
        {300, "OSTRUM_SDK: no error"},
        {329, "OSTRUM_SDK: Secret key is error"},
        {0x8000FFFFu, "DVR_FILE_SDK: UnExcepted Error"},
        {0xFFFFFFFFu, "DVR_FILE_SDK: unknown error"},
    };
    for (const auto& k : known) {
        std::memset(text, 0, sizeof(text));
        EXPECT_EQ(DVR_FILE_GetErrorMsg(k.code, text), static_cast<int32_t>(std::strlen(k.text))) << k.code;
        EXPECT_STREQ(text, k.text);
    }
    for (uint32_t code : {35u, 99u, 120u, 299u, 330u, 0x80000000u})
        EXPECT_EQ(DVR_FILE_GetErrorMsg(code, nullptr), 0) << code;
    // The buffer size the header promises holds every message.
    for (uint32_t code = 0; code < 400; ++code)
        EXPECT_LE(DVR_FILE_GetErrorMsg(code, nullptr), DVR_FILE_MAX_MSG_LEN);
}

TEST(PellomirFrame, LastErrorIsPerThreadAndNeverCleared)
{
    EXPECT_EQ(LastErrorOnNewThread([] {}), 0u);
    // A failing export stores its code; another thread does not see it.
    EXPECT_EQ(LastErrorOnNewThread([] { DVR_FILE_FindVehClose(-1); }), DVR_FILE_ERR_ORDER);
    EXPECT_EQ(LastErrorOnNewThread([] {
                  DVR_FILE_FindVehClose(-1);
                  DVR_FILE_GetErrorMsg(1, nullptr);  // succeeds, keeps the code
                  DVR_FILE_SetChannelOffSet(0);
              }),
              DVR_FILE_ERR_ORDER);
    // The bands: own codes, 100 + hard-disk code, 300 + player code.
    EXPECT_EQ(LastErrorOnNewThread([] { SetLastErrorCode(DVR_FILE_ERR_HD_BASE + 8); }), 108u);
    EXPECT_EQ(LastErrorOnNewThread([] { SetLastErrorCode(DVR_FILE_ERR_PLAYER_BASE + 29); }), 329u);
}

TEST(PellomirFrame, TimeConversions)
{
    const DVR_FILE_TIME t = {2018, 3, 15, 12, 0, 0};
    PackedDateTime packed = 0;
    DvrTimeToPacked(&t, &packed);
    EXPECT_EQ(packed, 0x48DEC000u);
    DvrTimeToPacked(&t, nullptr);  // left alone, no crash
    const DVR_FILE_TIME back = PackedToDvrTime(packed);
    EXPECT_EQ(std::memcmp(&back, &t, sizeof(t)), 0);
    EXPECT_EQ(SecondsToPacked(1521115200), 0x48DEC000u);
    EXPECT_EQ(SecondsToPacked(0), 0u);  // 1970 cannot be packed

    int32_t s = 0, e = 0;
    EXPECT_EQ(IntersectTimeRanges(100, 200, 200, 300, &s, &e), 1);
    EXPECT_EQ(s, 200);
    EXPECT_EQ(e, 200);
    EXPECT_EQ(IntersectTimeRanges(100, 199, 200, 300, &s, &e), 0);

    {
        kel_test::ScopedTimeZone tz("Asia/Tokyo");
        EXPECT_EQ(TimeFromText14("20180315120000"), 1521115200 - 9 * 3600);
    }
    for (const char* bad : {"2018031512000", "201803151200000", "2018031512000x", "20181315120000",
                            "20180230120000", "20180315240000", "20180315126000", ""})
        EXPECT_EQ(TimeFromText14(bad), 0) << bad;
    EXPECT_EQ(TimeFromText14(nullptr), 0);
}

TEST(PellomirFrame, DvrTimeToSecondsIgnoresTimeZone)
{
    // Around the spring and autumn changes of two zones, and in UTC.
    const struct {
        DVR_FILE_TIME time;
        int32_t seconds;
    } cases[] = {
        {{2018, 3, 15, 12, 0, 0}, 1521115200},
        {{2018, 3, 25, 2, 30, 0}, 1521945000},   // no such local hour in Berlin
        {{2018, 10, 28, 2, 30, 0}, 1540693800},  // twice in Berlin
        {{2018, 3, 11, 2, 30, 0}, 1520735400},   // no such local hour in New York
        {{2000, 1, 1, 0, 0, 0}, 946684800},
    };
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"}) {
        kel_test::ScopedTimeZone tz(zone);
        for (const auto& c : cases)
            EXPECT_EQ(DvrTimeToSeconds(c.time), c.seconds) << zone << " " << c.time.month << "/" << c.time.day;
    }
}

TEST(PellomirFrame, StreamManagerAndSingletons)
{
    std::vector<CVideoStreamMgt*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = CVideoStreamMgt::Instance(); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(std::set<CVideoStreamMgt*>(seen.begin(), seen.end()).size(), 1u);

    CVideoStreamMgt* mgr = CVideoStreamMgt::Instance();
    auto context = std::make_unique<STREAM_CONTEXT>();
    context->stream = 7;
    context->port = 3;
    context->kind = kPlayByFile;
    EXPECT_TRUE(mgr->AddStream(std::move(context)));
    auto duplicate = std::make_unique<STREAM_CONTEXT>();
    duplicate->stream = 7;
    EXPECT_FALSE(mgr->AddStream(std::move(duplicate)));
    EXPECT_EQ(LastErrorCode(), DVR_FILE_ERR_STREAM_PLAYED);
    EXPECT_FALSE(mgr->AddStream(nullptr));
    EXPECT_EQ(LastErrorCode(), DVR_FILE_ERR_PARAM);
    int32_t port = -1;
    uint32_t kind = 99;
    EXPECT_TRUE(mgr->GetStreamPort(7, &port, nullptr));
    EXPECT_EQ(port, 3);
    EXPECT_TRUE(mgr->GetStreamKind(7, &kind));
    EXPECT_EQ(kind, static_cast<uint32_t>(kPlayByFile));
    mgr->RemoveStream(7);
    EXPECT_FALSE(mgr->GetStreamPort(7, &port, nullptr));

    CRecordTimeRange* range = CRecordTimeRange::Instance();
    kel_test::ScopedTimeZone tz("UTC");
    range->Reset();
    int32_t earliest = 0, latest = 0;
    EXPECT_FALSE(range->Get(&earliest, &latest));
    range->Add("20180315100000", "20180315103000");
    range->Add("20180315090000", "20180315110000");
    range->Add("garbage", "garbage");
    ASSERT_TRUE(range->Get(&earliest, &latest));
    EXPECT_EQ(earliest, 1521104400);
    EXPECT_EQ(latest, 1521111600);
}
