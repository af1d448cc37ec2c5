// SPDX-License-Identifier: GPL-3.0-or-later
// Recording and log searches through the library's exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "merrowfen.h"
#include "record_fixture.h"

namespace {

recmedia::MediaSpec FindSpec()
{
    recmedia::MediaSpec spec;
    spec.fast = true;
    spec.channels = 2;
    spec.perDay = 6;
    spec.seconds = 60;
    spec.gap = 30;
    spec.events = false;
    spec.pictures = false;
    spec.vehicleFiles = false;
    return spec;
}

struct Found {
    std::string name;
    std::string start;
    std::string stop;
    uint32_t channel;
    uint32_t fileType;
};

// Every record of one search; `lastError` gets the code after the end.
std::vector<Found> Drain(int32_t find, uint32_t* lastError = nullptr)
{
    std::vector<Found> out;
    HD_FIND_FILE_RECORD record;
    while (DVR_FILE_FindNextFile(find, &record))
        out.push_back({record.fileName, record.startTime, record.stopTime, record.channel, record.fileType});
    if (lastError)
        *lastError = DVR_FILE_GetLastError();
    return out;
}

std::string Text14(int64_t seconds)
{
    const DVR_FILE_TIME t = ToDvrTime(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

class RecordFind : public ::testing::Test {
protected:
    RecordMedium medium{FindSpec()};
    DVR_FILE_TIME dayStart = ToDvrTime(medium.Info().firstDay);
    DVR_FILE_TIME dayEnd = ToDvrTime(medium.Info().firstDay + 86399);
};

TEST_F(RecordFind, ListsAChannelAndTracksTheFoundRange)
{
    ASSERT_TRUE(medium.ok());
    const auto planned = medium.OfChannel(1);
    ASSERT_GE(planned.size(), 2u);

    const int32_t find = DVR_FILE_FindFile('E', 1, 9, 12345, &dayStart, &dayEnd);
    ASSERT_GE(find, 0);
    uint32_t endError = 0;
    const std::vector<Found> found = Drain(find, &endError);
    EXPECT_EQ(endError, DVR_FILE_ERR_HD_BASE + HD_ERR_NO_FILE);
    ASSERT_EQ(found.size(), planned.size());
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].channel, 1u);
        EXPECT_EQ(found[i].start, Text14(planned[i].start));
        EXPECT_EQ(found[i].stop, Text14(planned[i].end));
        EXPECT_EQ(found[i].name.rfind("E:", 0), 0u) << found[i].name;
    }

    // The texts are read as the PC's local time (UTC in the tests).
    int32_t earliest = 0, latest = 0;
    ASSERT_EQ(DVR_FILE_GetRecordFileTimeZone(&earliest, &latest), 1);
    EXPECT_EQ(earliest, static_cast<int32_t>(planned.front().start));
    EXPECT_EQ(latest, static_cast<int32_t>(planned.back().end));

    EXPECT_EQ(DVR_FILE_FindClose(find), 1);
    earliest = latest = 77;
    EXPECT_EQ(DVR_FILE_GetRecordFileTimeZone(&earliest, &latest), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER);
    EXPECT_EQ(earliest, 77);
    EXPECT_EQ(latest, 77);
}

TEST_F(RecordFind, MapsTheCallersTypes)
{
    ASSERT_TRUE(medium.ok());
    auto plannedOfType = [&](int hdType) {
        size_t n = 0;
        for (const auto& r : medium.Info().recordings)
            n += (hdType == 0 || r.fileType == hdType) ? 1 : 0;
        return n;
    };
    const struct {
        int32_t callerType;
        int hdType;
    } cases[] = {{9, 0}, {77, 0}, {1, HD_FILE_TYPE_NORMAL}, {2, HD_FILE_TYPE_MOTION}, {6, HD_FILE_TYPE_ALARM},
                 {0, HD_FILE_TYPE_MANUAL}, {49, HD_FILE_TYPE_EVENT}};
    for (const auto& c : cases) {
        size_t count = 0;
        for (int32_t channel : {1, 2}) {
            const int32_t find = DVR_FILE_FindFile('E', channel, c.callerType, 0, &dayStart, &dayEnd);
            if (find < 0)
                continue;  // nothing of that type
            for (const Found& f : Drain(find)) {
                if (c.hdType != 0) {
                    EXPECT_EQ(f.fileType, static_cast<uint32_t>(c.hdType)) << c.callerType;
                }
                ++count;
            }
            DVR_FILE_FindClose(find);
        }
        EXPECT_EQ(count, plannedOfType(c.hdType)) << "type " << c.callerType;
    }
}

TEST_F(RecordFind, ChannelOffsetMovesTheChannel)
{
    ASSERT_TRUE(medium.ok());
    DVR_FILE_SetChannelOffSet(1);
    const int32_t find = DVR_FILE_FindFile('E', 1, 9, 0, &dayStart, &dayEnd);
    DVR_FILE_SetChannelOffSet(0);
    ASSERT_GE(find, 0);
    const std::vector<Found> found = Drain(find);
    DVR_FILE_FindClose(find);
    EXPECT_EQ(found.size(), medium.OfChannel(2).size());
    for (const Found& f : found)
        EXPECT_EQ(f.channel, 2u);
}

// The drive path goes to the hard-disk library as it is: a recorder disk
// that the machine names A: is searched like any other.
TEST(RecordFindOnDriveA, ListsTheRecordingsOfDriveA)
{
    RecordMedium medium{FindSpec(), "EA"};
    ASSERT_TRUE(medium.ok());
    const DVR_FILE_TIME s = ToDvrTime(medium.Info().firstDay), e = ToDvrTime(medium.Info().firstDay + 86399);
    const int32_t find = DVR_FILE_FindFile('A', 1, 9, 0, &s, &e);
    ASSERT_GE(find, 0) << DVR_FILE_GetLastError();
    const std::vector<Found> found = Drain(find, nullptr);
    EXPECT_EQ(DVR_FILE_FindClose(find), 1);
    ASSERT_FALSE(found.empty());
    ASSERT_EQ(found.size(), medium.OfChannel(1).size());
    EXPECT_EQ(found[0].name.rfind("A:", 0), 0u) << found[0].name;
}

TEST_F(RecordFind, FailuresCarryTheirCodes)
{
    ASSERT_TRUE(medium.ok());
    HD_FIND_FILE_RECORD record;
    // A letter without a drive (A and B included) fails in the hard-disk
    // library.
    EXPECT_EQ(DVR_FILE_FindFileEx("A:", 1, 9, 0, &dayStart, &dayEnd), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_DIR);
    EXPECT_EQ(DVR_FILE_FindFile('b', 1, 9, 0, &dayStart, &dayEnd), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_DIR);
    EXPECT_LT(DVR_FILE_FindFile('Q', 1, 9, 0, &dayStart, &dayEnd), 0);
    EXPECT_GE(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + 1);
    EXPECT_LE(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + 19);

    EXPECT_EQ(DVR_FILE_FindNextFile(-5, &record), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_ORDER);
    EXPECT_EQ(DVR_FILE_FindNextFileKEL(-5, &record), 0);
    EXPECT_EQ(DVR_FILE_FindClose(-5), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_ORDER);

    const int32_t find = DVR_FILE_FindFile('E', 1, 9, 0, &dayStart, &dayEnd);
    ASSERT_GE(find, 0);
    EXPECT_EQ(DVR_FILE_FindNextFile(find, nullptr), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    // The pull form of the search fills the same record.
    EXPECT_EQ(DVR_FILE_FindNextFileKEL(find, &record), 1);
    EXPECT_EQ(record.channel, 1u);
    EXPECT_EQ(DVR_FILE_FindClose(find), 1);
    // A success leaves the last failure's code.
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
}

TEST_F(RecordFind, ListsTheDeviceLog)
{
    ASSERT_TRUE(medium.ok());
    ASSERT_FALSE(medium.Info().logs.empty());
    // Only the low byte of the type is the log kind.
    const int32_t find = DVR_FILE_FindLog('E', 0x300 | HD_LOG_KIND_ALL, 0, 0, nullptr, nullptr);
    ASSERT_GE(find, 0);
    std::vector<HD_LOG_RECORD> logs;
    HD_LOG_RECORD record;
    while (DVR_FILE_FindNextLog(find, &record))
        logs.push_back(record);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_NO_MORE_LOG);
    EXPECT_EQ(DVR_FILE_FindLogClose(find), 1);
    ASSERT_EQ(logs.size(), medium.Info().logs.size());
    // Same records (the disk holds them in time order).
    auto keys = [](const std::vector<HD_LOG_RECORD>& list) {
        std::multiset<std::string> out;
        for (const HD_LOG_RECORD& r : list)
            out.insert(std::string(r.time) + "/" + std::to_string(r.majorType) + "/" + std::to_string(r.minorType));
        return out;
    };
    EXPECT_EQ(keys(logs), keys(medium.Info().logs));
    for (size_t i = 1; i < logs.size(); ++i)
        EXPECT_LE(std::string(logs[i - 1].time), std::string(logs[i].time));

    EXPECT_EQ(DVR_FILE_FindLogEx("a:", HD_LOG_KIND_ALL, 0, 0, nullptr, nullptr), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_DIR);
    EXPECT_EQ(DVR_FILE_FindLogEx(nullptr, HD_LOG_KIND_ALL, 0, 0, nullptr, nullptr), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    EXPECT_EQ(DVR_FILE_FindLogClose(-3), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_ORDER);
}

TEST(RecordExportTable, TheBuiltLibraryExportsEveryRecordingCall)
{
    void* lib = dlopen(PELLOMIR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    const char* names[] = {
        "DVR_FILE_FindFile", "DVR_FILE_FindFileEx", "DVR_FILE_FindNextFile", "DVR_FILE_FindNextFileKEL",
        "DVR_FILE_FindClose", "DVR_FILE_GetRecordFileTimeZone", "DVR_FILE_Play", "DVR_FILE_ReversePlay",
        "DVR_FILE_PlayFileByTime", "DVR_FILE_PlayFileByTimeEx", "DVR_FILE_Stop", "DVR_FILE_Pause", "DVR_FILE_Fast",
        "DVR_FILE_Slow", "DVR_FILE_OneByOne", "DVR_FILE_OneByOneBack", "DVR_FILE_RefreshPlay", "DVR_FILE_PlaySound",
        "DVR_FILE_CloseSound", "DVR_FILE_SetVolume", "DVR_FILE_ThrowBFrame", "DVR_FILE_SetVideoPara",
        "DVR_FILE_GetVideoPara", "DVR_FILE_GetPictureSize", "DVR_FILE_RigisterDrawFun",
        "DVR_FILE_SetPrivateDataCallBack", "DVR_FILE_SetPos", "DVR_FILE_SetPosByTime", "DVR_FILE_NormalPlay",
        "DVR_FILE_Reverse", "DVR_FILE_CapturePicture", "DVR_FILE_GetVintrelPort", "DVR_FILE_GetPlayState",
        "DVR_FILE_GetPos", "DVR_FILE_GetTotalTime", "DVR_FILE_GetTotalFrames", "DVR_FILE_GetCurrentFrameNum",
        "DVR_FILE_GetPlayedTime", "DVR_FILE_GetOsdTime", "DVR_FILE_CopyFile", "DVR_FILE_CopyFileByTime",
        "DVR_FILE_CopyFileByTimeEx", "DVR_FILE_FindLog", "DVR_FILE_FindLogEx", "DVR_FILE_FindNextLog",
        "DVR_FILE_FindLogClose"};
    for (const char* name : names)
        EXPECT_NE(dlsym(lib, name), nullptr) << name;
    // The machinery behind them stays inside.
    EXPECT_EQ(dlsym(lib, "_ZN8pellomir10StopStreamEi"), nullptr);
    dlclose(lib);
}

}  // namespace
