// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "storage/RecordTypes.h"
#include "kel_test/test_support.h"

using APT_QMR::CChannel;
using APT_QMR::CSingleFile;

namespace {

uint32_t Local(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<uint32_t>(QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toSecsSinceEpoch());
}

const char kFileXml[] =
    "<CSingleFile><FileName>F1</FileName><FileSize>1048576</FileSize><StartTime>2024-03-01 08:00:00</StartTime>"
    "<EndTime>2024-03-01 08:30:00</EndTime><DeviceName>D1</DeviceName><ChannelNumber>2</ChannelNumber>"
    "<FileType>0</FileType><DiskName>E:\\</DiskName><SubType>0</SubType><EnforceMode>0</EnforceMode>"
    "<SubFileType>0</SubFileType><SearchStartTime>2024-03-01 08:00:00</SearchStartTime>"
    "<SearchEndTime>2024-03-01 08:30:00</SearchEndTime></CSingleFile>";

CSingleFile ExampleFile() {
    CSingleFile f("F1", "E:\\", 1048576, Local(2024, 3, 1, 8, 0, 0), Local(2024, 3, 1, 8, 30, 0), 0, "D1", 2);
    f.SearchEndTime = f.EndTime;
    return f;
}

void ExpectSameFile(const CSingleFile& a, const CSingleFile& b) {
    EXPECT_EQ(a.FileName, b.FileName);
    EXPECT_EQ(a.FileSize, b.FileSize);
    EXPECT_EQ(a.SearchStartTime, b.SearchStartTime);
    EXPECT_EQ(a.SearchEndTime, b.SearchEndTime);
    EXPECT_EQ(a.StartTime, b.StartTime);
    EXPECT_EQ(a.EndTime, b.EndTime);
    EXPECT_EQ(a.DeviceName, b.DeviceName);
    EXPECT_EQ(a.ChannelNumber, b.ChannelNumber);
    EXPECT_EQ(a.FileType, b.FileType);
    EXPECT_EQ(a.DiskName, b.DiskName);
    EXPECT_EQ(a.SubType, b.SubType);
    EXPECT_EQ(a.EnforceMode, b.EnforceMode);
    EXPECT_EQ(a.SubFileType, b.SubFileType);
}

// ---- worked examples -----------------------------------------------------------

TEST(RecordXml, ChannelExampleByteForByte) {
    CChannel c;
    c.SetChannelNumber(3);
    c.SetDevice("D1");
    c.SetRbs(true);
    EXPECT_EQ(c.toXml(),
              "<CChannel><ChannelNumber>3</ChannelNumber><StrDevice>D1</StrDevice><Rbs>1</Rbs></CChannel>");
}

TEST(RecordXml, FileExampleByteForByte) { EXPECT_EQ(ExampleFile().toXml(), QString(kFileXml)); }

TEST(RecordXml, ChannelFilesExampleByteForByte) {
    CSingleFile file = ExampleFile();
    ChannelFiles cf;
    cf.DiskName = "E:\\";
    cf.DeviceName = "D1";
    cf.ChannelInfo.SetChannelNumber(2);
    cf.ChannelInfo.SetDevice("D1");
    cf.StartTime = QDate(2024, 3, 1);
    cf.EndTime = QDate(2024, 3, 1);
    cf.SingleFileList.push_back(&file);
    EXPECT_EQ(cf.ToXml(),
              QString("<PlaybackFilesOfChannel><DiskName>E:\\</DiskName><DeviceName>D1</DeviceName><ChannelInfo>"
                      "<CChannel><ChannelNumber>2</ChannelNumber><StrDevice>D1</StrDevice><Rbs>0</Rbs></CChannel>"
                      "</ChannelInfo><StartTime>2024-03-01</StartTime><EndTime>2024-03-01</EndTime><SingleFileList>") +
                  kFileXml + "</SingleFileList></PlaybackFilesOfChannel>");
}

TEST(RecordXml, ExampleTimesAreRecorderTimes) {
    kel_test::ScopedTimeZone tz("Europe/Berlin");
    CSingleFile f;
    f.fromXml(kFileXml);
    EXPECT_EQ(f.StartTime, 1709280000u);  // 2024-03-01 08:00:00 of the recorder's clock
    EXPECT_EQ(f.toXml(), QString(kFileXml));
}

// ---- channel -----------------------------------------------------------------

TEST(RecordXml, ChannelDefaultsRoundTrip) {
    CChannel c;
    EXPECT_EQ(c.toXml(), "<CChannel><ChannelNumber>-1</ChannelNumber><StrDevice></StrDevice><Rbs>0</Rbs></CChannel>");
    CChannel back;
    back.SetChannelNumber(7);
    back.SetDevice("x");
    back.SetRbs(true);
    back.fromXml(c.toXml());
    EXPECT_EQ(back.GetChannelNumber(), -1);
    EXPECT_EQ(back.GetDevice(), "");
    EXPECT_FALSE(back.GetRbs());
    EXPECT_FALSE(back.IsNull());
}

TEST(RecordXml, ChannelRbsAnyNonZeroIsTrue) {
    CChannel c;
    c.fromXml("<CChannel><ChannelNumber>4</ChannelNumber><StrDevice>d</StrDevice><Rbs>2</Rbs></CChannel>");
    EXPECT_TRUE(c.GetRbs());
    EXPECT_EQ(c.GetChannelNumber(), 4);
}

TEST(RecordXml, ChannelReadsFieldsNestedInChannelInfo) {
    CChannel c;
    c.fromXml("<ChannelInfo><CChannel><ChannelNumber>3</ChannelNumber><StrDevice>D1</StrDevice><Rbs>1</Rbs>"
              "</CChannel></ChannelInfo>");
    EXPECT_EQ(c.GetChannelNumber(), 3);
    EXPECT_EQ(c.GetDevice(), "D1");
    EXPECT_TRUE(c.GetRbs());
}

TEST(RecordXml, UnloadableTextLeavesRecordsUnchanged) {
    CChannel c;
    c.SetChannelNumber(5);
    c.fromXml("<CChannel><ChannelNumber>1</ChannelNumber>");
    EXPECT_EQ(c.GetChannelNumber(), 5);

    CSingleFile f = ExampleFile();
    f.fromXml("not xml");
    ExpectSameFile(f, ExampleFile());

    ChannelFiles cf;
    cf.DiskName = "keep";
    CSingleFile* p = &f;
    cf.SingleFileList.push_back(p);
    cf.FromXml("<PlaybackFilesOfChannel>");
    EXPECT_EQ(cf.DiskName, "keep");
    ASSERT_EQ(cf.SingleFileList.size(), 1u);
    EXPECT_EQ(cf.SingleFileList[0], p);
}

// ---- round trips -------------------------------------------------------------------

struct NameCase {
    const char* label;
    std::string text;
};

class RecordNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(RecordNames, FileAndChannelRoundTrip) {
    const std::string& name = GetParam().text;
    CSingleFile f(name, name + "/disk", 77, 1000, 2000, 3, name + "-dev", 9);
    f.SubType = 4;
    f.EnforceMode = 1;
    f.SubFileType = 0x200000;
    f.SearchEndTime = 2500;
    CSingleFile back;
    back.fromXml(f.toXml());
    ExpectSameFile(back, f);

    ChannelFiles cf;
    cf.DiskName = QString::fromStdString(name);
    cf.DeviceName = QString::fromStdString(name + "!");
    cf.ChannelInfo.SetChannelNumber(1);
    cf.ChannelInfo.SetDevice(QString::fromStdString(name));
    cf.StartTime = QDate(2024, 2, 28);
    cf.EndTime = QDate(2024, 2, 29);
    cf.SingleFileList = {&f, nullptr, &f};

    ChannelFiles r;
    r.FromXml(cf.ToXml());
    EXPECT_EQ(r.DiskName, cf.DiskName);
    EXPECT_EQ(r.DeviceName, cf.DeviceName);
    EXPECT_EQ(r.ChannelInfo.GetChannelNumber(), 1);
    EXPECT_EQ(r.ChannelInfo.GetDevice(), cf.ChannelInfo.GetDevice());
    EXPECT_EQ(r.StartTime, cf.StartTime);
    EXPECT_EQ(r.EndTime, cf.EndTime);
    ASSERT_EQ(r.SingleFileList.size(), 2u);  // the null entry is not written
    for (CSingleFile* p : r.SingleFileList) {
        ExpectSameFile(*p, f);
        delete p;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, RecordNames,
    ::testing::Values(NameCase{"plain", "ch01_20240301.dat"}, NameCase{"ampersand", "a&b&amp;c"},
                      NameCase{"brackets", "<CSingleFile>x</FileName>"}, NameCase{"quotes", "it's \"q\""},
                      NameCase{"cdataEnd", "]]>"}, NameCase{"backslashes", "E:\\rec\\f 1.mp4"},
                      NameCase{"nonAscii", "Fahrt \xC3\xBC\xC3\x9F \xE8\xBD\xA6\xE8\xBE\x86"}),
    [](const ::testing::TestParamInfo<NameCase>& i) { return std::string(i.param.label); });

TEST(RecordXml, MissingFieldsReadAsDefaults) {
    CSingleFile f = ExampleFile();
    f.fromXml("<CSingleFile><FileName>x</FileName><StartTime>2024-03-01 08:00:00</StartTime>"
              "<EndTime>bad</EndTime><FileSize>abc</FileSize></CSingleFile>");
    EXPECT_EQ(f.FileName, "x");
    EXPECT_EQ(f.StartTime, Local(2024, 3, 1, 8, 0, 0));
    EXPECT_EQ(f.EndTime, 4294967295u);
    EXPECT_EQ(f.SearchEndTime, 4294967295u);
    EXPECT_EQ(f.SearchStartTime, 4294967295u);
    EXPECT_EQ(f.FileSize, 0u);
    EXPECT_EQ(f.ChannelNumber, 0);
    EXPECT_EQ(f.DeviceName, "");
}

// Times are the recorder's clock readings, whatever this machine's time
// zone: the hour a daylight-saving change here skips or repeats is read as
// any other (the batch downloader lists its recordings); anything that is no
// reading, or not in the written form, is refused.
TEST(RecordXml, TimesAreClockReadingsInAnyZone) {
    constexpr uint32_t kNone = 0xFFFFFFFFu;
    auto utc = [](int y, int mo, int d, int h, int mi, int s) {
        return uint32_t(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch());
    };
    const struct {
        const char* text;
        uint32_t seconds;
    } cases[] = {
        {"2024-03-01 08:00:00", utc(2024, 3, 1, 8, 0, 0)},
        {"1970-01-01 00:00:00", 0},
        {"1970-01-01 01:00:00", 3600},
        {"2106-02-07 06:28:14", 0xFFFFFFFEu},
        {"2106-02-07 06:28:15", kNone},   // the value that means no time
        {"2038-01-19 03:14:08", 2147483648u},
        {"2024-02-29 12:00:00", utc(2024, 2, 29, 12, 0, 0)},
        {"2023-02-29 12:00:00", kNone},
        {"2024-03-31 01:59:59", utc(2024, 3, 31, 1, 59, 59)},
        {"2024-03-31 02:00:00", utc(2024, 3, 31, 2, 0, 0)},
        {"2024-03-31 02:59:59", utc(2024, 3, 31, 2, 59, 59)},
        {"2024-03-31 03:00:00", utc(2024, 3, 31, 3, 0, 0)},
        {"2024-10-27 01:59:59", utc(2024, 10, 27, 1, 59, 59)},
        {"2024-10-27 02:00:00", utc(2024, 10, 27, 2, 0, 0)},
        {"2024-10-27 02:59:59", utc(2024, 10, 27, 2, 59, 59)},
        {"2024-10-27 03:00:00", utc(2024, 10, 27, 3, 0, 0)},
        {"2024-12-01 24:00:00", kNone},
        {"2024-12-01 23:60:00", kNone},
        {"2024-12-01 23:59:60", kNone},
        {"2024-13-01 00:00:00", kNone},
        {"0000-01-01 00:00:00", kNone},
        {" 2024-03-01 08:00:00", kNone},
        {"2024-03-01T08:00:00", kNone},
        {"2024/03/01 08:00:00", kNone},
        {"2024-03-01 08:00", kNone},
        {"", kNone},
    };
    for (const char* zone : {"UTC", "Europe/Berlin", "Australia/Lord_Howe", "America/St_Johns"}) {
        kel_test::ScopedTimeZone tz(zone);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(zone) + " '" + c.text + "'");
            CSingleFile f;
            f.fromXml(QStringLiteral("<CSingleFile><StartTime>%1</StartTime><SearchStartTime>%1</SearchStartTime>"
                                     "<SearchEndTime>2024-03-01 08:00:00</SearchEndTime><EndTime>%1</EndTime>"
                                     "</CSingleFile>").arg(QString::fromUtf8(c.text)));
            EXPECT_EQ(f.StartTime, c.seconds);
            EXPECT_EQ(f.EndTime, c.seconds);
            EXPECT_EQ(f.SearchStartTime, c.seconds);
            EXPECT_EQ(f.SearchEndTime, utc(2024, 3, 1, 8, 0, 0));
            // Written back as read.
            if (c.seconds != kNone) {
                EXPECT_TRUE(f.toXml().contains(QString("<StartTime>%1</StartTime>").arg(c.text)));
            }
        }
    }
}

TEST(RecordXml, EmptyListAndNullDates) {
    ChannelFiles cf;
    QString xml = cf.ToXml();
    EXPECT_TRUE(xml.contains("<StartTime></StartTime><EndTime></EndTime><SingleFileList></SingleFileList>"));
    ChannelFiles r;
    r.StartTime = QDate(2020, 1, 1);
    r.FromXml(xml);
    EXPECT_TRUE(r.StartTime.isNull());
    EXPECT_TRUE(r.SingleFileList.empty());
    EXPECT_EQ(r.ChannelInfo.GetChannelNumber(), -1);
}

TEST(RecordXml, SecondReadingReplacesList) {
    CSingleFile a = ExampleFile();
    ChannelFiles one;
    one.SingleFileList = {&a};
    ChannelFiles two;
    two.SingleFileList = {&a, &a};

    ChannelFiles r;
    r.FromXml(two.ToXml());
    std::vector<std::unique_ptr<CSingleFile>> owned;
    for (CSingleFile* p : r.SingleFileList) owned.emplace_back(p);
    r.FromXml(one.ToXml());
    ASSERT_EQ(r.SingleFileList.size(), 1u);
    owned.emplace_back(r.SingleFileList[0]);
    EXPECT_EQ(owned.size(), 3u);
}

TEST(RecordXml, CloneKeepsWholeFileTimes) {
    CSingleFile f = ExampleFile();
    f.SearchEndTime = f.EndTime + 60;
    f.SubType = 3;
    f.EnforceMode = 1;
    f.SubFileType = 64;
    std::unique_ptr<CSingleFile> c(f.clone(static_cast<int>(f.StartTime) + 100, -1));
    EXPECT_EQ(c->StartTime, f.StartTime + 100);
    EXPECT_EQ(c->EndTime, f.EndTime);
    EXPECT_EQ(c->SearchStartTime, f.SearchStartTime);
    EXPECT_EQ(c->SearchEndTime, f.SearchEndTime);
    EXPECT_EQ(c->GetSubType(), 3);
    EXPECT_EQ(c->GetEnforceMode(), 1u);
    EXPECT_EQ(c->GetSubFileType(), 64);
    EXPECT_EQ(c->GetDeviceName(), "D1");
    std::unique_ptr<CSingleFile> d(f.clone(5, 6));
    EXPECT_EQ(d->EndTime, 6u);
}

TEST(RecordXml, ValueConstructorSetsSearchStart) {
    CSingleFile f("n", "d", 1, 10, 20, 5, "dev", 3);
    EXPECT_EQ(f.SearchStartTime, 10u);
    EXPECT_EQ(f.SearchEndTime, 0u);
    EXPECT_EQ(f.FileType, 5);
    EXPECT_EQ(f.SubType, 0);
}

// ---- time lookup -----------------------------------------------------------------

struct LookupCase {
    int t;
    bool found;
    int index;
    int time;
    bool inFiles;
};

class TimeLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(TimeLookup, FindFileAtTimeAndIsTimeInFiles) {
    CSingleFile a("a", "", 0, 100, 200, 0, "", 1);
    CSingleFile b("b", "", 0, 300, 400, 0, "", 1);
    std::vector<CSingleFile*> files = {&a, nullptr, &b};
    const LookupCase& c = GetParam();
    FilePosition pos{5, 5};
    EXPECT_EQ(FindFileAtTime(pos, files, c.t), c.found);
    EXPECT_EQ(pos.index, c.index);
    EXPECT_EQ(pos.time, c.time);
    EXPECT_EQ(IsTimeInFiles(files, c.t), c.inFiles);
}

INSTANTIATE_TEST_SUITE_P(Table, TimeLookup,
                         ::testing::Values(LookupCase{50, true, 0, 100, false},    // before the first file
                                           LookupCase{100, true, 0, 100, true},    // at its start
                                           LookupCase{150, true, 0, 150, true},    // inside
                                           LookupCase{200, true, 2, 300, false},   // at its end: next file
                                           LookupCase{250, true, 2, 300, false},   // in the gap
                                           LookupCase{399, true, 2, 399, true},    // inside the last
                                           LookupCase{400, false, -1, -1, false},  // at the last end
                                           LookupCase{500, false, -1, -1, false}));

TEST(TimeLookup, EmptyAndNullOnlyLists) {
    FilePosition pos;
    EXPECT_FALSE(FindFileAtTime(pos, {}, 0));
    EXPECT_FALSE(FindFileAtTime(pos, {nullptr, nullptr}, 0));
    EXPECT_EQ(pos.index, -1);
    EXPECT_FALSE(IsTimeInFiles({nullptr}, 0));
}

// ---- one time line -------------------------------------------------------------

// Entries as "disk:start-end" (channel 1 unless "chN/" leads); the expected
// line as the kept spans, "-" where an entry adds nothing.
struct LineCase {
    const char* name;
    std::vector<std::string> entries;
    std::vector<std::string> line;
};

class TimeLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(TimeLine, EachMomentOnce) {
    const LineCase& c = GetParam();
    std::vector<std::unique_ptr<CSingleFile>> owned;
    std::vector<CSingleFile*> files;
    for (const std::string& e : c.entries) {
        if (e.empty()) {
            files.push_back(nullptr);
            continue;
        }
        int channel = 1, start = 0, end = 0;
        char disk[8] = {};
        const char* text = e.c_str();
        if (std::sscanf(text, "ch%d/", &channel) == 1) text = std::strchr(text, '/') + 1;
        ASSERT_EQ(std::sscanf(text, "%7[^:]:%d-%d", disk, &start, &end), 3) << e;
        owned.emplace_back(new CSingleFile(std::string(disk) + "/rec", disk, 1000, uint32_t(start), uint32_t(end), 0, "",
                                           channel));
        files.push_back(owned.back().get());
    }
    const std::vector<std::unique_ptr<CSingleFile>> line = OneTimeLine(files);
    ASSERT_EQ(line.size(), files.size());
    std::vector<std::string> got;
    for (size_t i = 0; i < line.size(); ++i) {
        if (!line[i]) {
            got.push_back("-");
            continue;
        }
        EXPECT_EQ(line[i]->FileName, files[i]->FileName);
        EXPECT_EQ(line[i]->SearchStartTime, files[i]->SearchStartTime);   // where the recording itself begins
        EXPECT_EQ(line[i]->EndTime, files[i]->EndTime);
        got.push_back(std::to_string(line[i]->StartTime) + "-" + std::to_string(line[i]->EndTime));
    }
    EXPECT_EQ(got, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeLine,
    ::testing::Values(
        LineCase{"OneDisk", {"A:100-160", "A:160-220", "A:300-360"}, {"100-160", "160-220", "300-360"}},
        // The same recordings on two disks (mirrored recording): the first disk's.
        LineCase{"Mirrored", {"A:100-160", "B:100-160", "A:160-220", "B:160-220"}, {"100-160", "-", "160-220", "-"}},
        // A recorder that went on on its second disk.
        LineCase{"Consecutive", {"A:100-160", "A:160-220", "B:220-280", "B:280-340"},
                 {"100-160", "160-220", "220-280", "280-340"}},
        // Overlaps: each later recording adds what follows the covered part.
        LineCase{"Overlapping", {"A:100-160", "B:130-190", "A:160-220", "B:190-250"},
                 {"100-160", "160-190", "190-220", "220-250"}},
        // A longer recording that starts together with a shorter one is taken first.
        LineCase{"SameStart", {"A:100-130", "B:100-160"}, {"-", "100-160"}},
        // Out of order, with nulls: the result stays aligned with the list.
        LineCase{"Unsorted", {"B:160-220", "", "A:100-170"}, {"170-220", "-", "100-170"}},
        // Other channels never hide each other.
        LineCase{"Channels", {"ch1/A:100-160", "ch2/A:100-160", "ch1/B:100-160", "ch2/B:120-180"},
                 {"100-160", "100-160", "-", "160-180"}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

}  // namespace
