// SPDX-License-Identifier: GPL-3.0-or-later
// The record search against a hard-disk file library and a picture copy
// replaced at link time (--wrap): chosen records, blocked searches, and the
// calls the search makes.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "search/SearchThread.h"
#include "kel_test/test_support.h"
#include "pellomir/Pellomir.h"
#include "signal_counter.h"
#include "ziraz/ziraz.h"

namespace {

struct FindCall {
    std::string disk;
    FindDataCondition cond;
};

struct CopyCall {
    std::string drives;
    DVR_FILE_TIME start;
    DVR_FILE_TIME end;
    int channel;
    int type;
    std::string folder;
};

std::mutex g_mutex;
std::condition_variable g_cv;
std::map<std::string, std::vector<FoundDataRecord>> g_plan;  // records per disk
std::vector<FindCall> g_finds;
std::vector<CopyCall> g_copies;
std::string g_blockDisk;  // the search of this disk waits for g_release
bool g_inBlock = false;
bool g_release = false;

void ResetFakes() {
    std::lock_guard<std::mutex> g(g_mutex);
    g_plan.clear();
    g_finds.clear();
    g_copies.clear();
    g_blockDisk.clear();
    g_inBlock = g_release = false;
}

bool WaitInBlock() {
    std::unique_lock<std::mutex> lock(g_mutex);
    return g_cv.wait_for(lock, std::chrono::seconds(60), [] { return g_inBlock; });
}

void Release() {
    std::lock_guard<std::mutex> g(g_mutex);
    g_release = true;
    g_cv.notify_all();
}

FoundDataRecord Rec(const char* name, uint32_t channel, HD_FILE_TIME start, HD_FILE_TIME end, uint32_t code = 0) {
    FoundDataRecord r;
    std::memset(&r, 0, sizeof r);
    std::memcpy(r.fileName, name, strnlen(name, sizeof r.fileName));
    r.start = start;
    r.end = end;
    r.fileSize = 1000 + channel;
    r.recordType = code;
    r.channel = channel;
    r.fileType = HD_FILE_TYPE_NORMAL;
    return r;
}

HD_FILE_TIME At(int day, int hour, int minute, int second) { return HD_FILE_TIME{2024, 3, day, hour, minute, second}; }

time_t Utc(int day, int hour, int minute, int second) {
    QDateTime t(QDate(2024, 3, day), QTime(hour, minute, second), Qt::UTC);
    return static_cast<time_t>(t.toSecsSinceEpoch());
}

}  // namespace

extern "C" {

// Delivers the planned records of the disk on the caller's thread, then the
// end record.
int __wrap_HD_FILE_FindData(int, const FindDataCondition* cond, int size) {
    if (size != static_cast<int>(sizeof(FindDataCondition))) return -1;
    std::vector<FoundDataRecord> records;
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_finds.push_back(FindCall{cond->diskPath, *cond});
        records = g_plan[cond->diskPath];
        if (g_blockDisk == cond->diskPath) {
            g_inBlock = true;
            g_cv.notify_all();
            g_cv.wait_for(lock, std::chrono::seconds(60), [] { return g_release; });
        }
    }
    for (const FoundDataRecord& r : records) cond->callback(0, &r, cond->user);
    FoundDataRecord end;
    std::memset(&end, 0, sizeof end);
    end.endOfSearch = 1;
    cond->callback(0, &end, cond->user);
    return 300;
}

int __wrap_HD_FILE_FindDataClose(int) { return 1; }

int32_t __wrap_DVR_FILE_CopyPicFileByTime(const char* drives, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                          int32_t channel, int32_t type, const char* folder) {
    std::lock_guard<std::mutex> g(g_mutex);
    g_copies.push_back(CopyCall{drives, *start, *end, channel, type, folder});
    return 0;
}

}  // extern "C"

namespace {

struct Results {
    QVector<ChannelFiles*> records;
    ~Results() {
        for (ChannelFiles* r : records) {
            for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
            delete r;
        }
    }
};

class SearchThreadSeams : public ::testing::Test {
protected:
    void SetUp() override { ResetFakes(); }
    void TearDown() override { ResetFakes(); }

    bool Run(const QStringList& disks, std::vector<time_t> times, Results* out) {
        search_test::SignalCounter ended(&thread, &SearchThread::signalSendWriteOver);
        thread.startSearch(disks, times);
        if (!thread.wait(120000)) return false;
        const bool once = ended.count() == 1;
        thread.getResults(out->records);
        return once;
    }

    SearchThread thread;
};

bool SameTime(const HD_FILE_TIME& a, const HD_FILE_TIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameTime(const DVR_FILE_TIME& a, const DVR_FILE_TIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_F(SearchThreadSeams, GroupsRecordsPerChannelAndKeepsTheirFields) {
    const std::string diskA = "A:\\recorder";
    const std::string diskB = "B:\\recorder";
    char longName[101];
    std::memset(longName, 'n', sizeof longName);
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_plan[diskA] = {
            Rec("a3-late", 3, At(1, 10, 0, 0), At(1, 10, 5, 0)),
            Rec("a3-early", 3, At(1, 8, 0, 0), At(1, 8, 5, 0)),
            Rec("a70", 70, At(1, 9, 0, 0), At(1, 9, 5, 0)),
            Rec("backwards", 1, At(1, 10, 0, 0), At(1, 9, 59, 59)),
            Rec("instant", 1, At(1, 11, 0, 0), At(1, 11, 0, 0)),
            Rec("plain6", 2, At(1, 12, 0, 0), At(1, 12, 1, 0), 6),
            Rec("coded", 2, At(1, 13, 0, 0), At(1, 13, 1, 0), 1301),
            Rec(longName, 4, At(2, 1, 0, 0), At(2, 1, 1, 0)),  // fills the name field without a terminator
        };
        g_plan[diskB] = {Rec("b3", 3, At(1, 9, 0, 0), At(1, 9, 30, 0))};
    }
    Results results;
    ASSERT_TRUE(Run({QString::fromStdString(diskB), QString::fromStdString(diskA)},
                    {Utc(1, 15, 0, 0), Utc(3, 1, 0, 0), Utc(2, 6, 0, 0)}, &results));

    // One whole-day condition per disk, in list order.
    ASSERT_EQ(g_finds.size(), 2u);
    EXPECT_EQ(g_finds[0].disk, diskB);
    EXPECT_EQ(g_finds[1].disk, diskA);
    for (const FindCall& c : g_finds) {
        EXPECT_EQ(c.cond.channel, -1);
        EXPECT_EQ(c.cond.reserved0, 0);
        EXPECT_TRUE(SameTime(c.cond.start, At(1, 0, 0, 0)));
        EXPECT_TRUE(SameTime(c.cond.end, At(2, 23, 59, 59)));
    }

    ASSERT_EQ(results.records.size(), 4);
    std::vector<int> channels;
    for (ChannelFiles* r : results.records) channels.push_back(r->ChannelInfo.GetChannelNumber());
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4}));

    const auto& ch1 = results.records[0]->SingleFileList;
    ASSERT_EQ(ch1.size(), 1u);  // the backwards record is dropped
    EXPECT_EQ(ch1[0]->FileName, "instant");
    EXPECT_EQ(ch1[0]->StartTime, ch1[0]->EndTime);

    const auto& ch2 = results.records[1]->SingleFileList;
    ASSERT_EQ(ch2.size(), 2u);
    EXPECT_EQ(ch2[0]->SubType, 6);
    EXPECT_EQ(ch2[0]->EnforceMode, 0u);
    EXPECT_EQ(ch2[0]->SubFileType, 0);
    EXPECT_EQ(ch2[1]->SubType, 2);
    EXPECT_EQ(ch2[1]->EnforceMode, 1u);
    EXPECT_EQ(ch2[1]->SubFileType, 1301);

    const auto& ch3 = results.records[2]->SingleFileList;
    ASSERT_EQ(ch3.size(), 3u);
    EXPECT_EQ(ch3[0]->FileName, "a3-early");
    EXPECT_EQ(ch3[1]->FileName, "b3");
    EXPECT_EQ(ch3[1]->DiskName, diskB);
    EXPECT_EQ(ch3[2]->FileName, "a3-late");
    EXPECT_EQ(ch3[2]->DiskName, diskA);
    EXPECT_EQ(ch3[0]->StartTime, static_cast<uint32_t>(Utc(1, 8, 0, 0)));
    EXPECT_EQ(ch3[0]->EndTime, static_cast<uint32_t>(Utc(1, 8, 5, 0)));
    EXPECT_EQ(ch3[0]->SearchEndTime, 0u);
    EXPECT_EQ(ch3[0]->FileSize, 1003u);
    EXPECT_EQ(ch3[0]->FileType, HD_FILE_TYPE_NORMAL);

    EXPECT_EQ(results.records[3]->SingleFileList.at(0)->FileName, std::string(100, 'n'));
    EXPECT_TRUE(g_copies.empty());
}

TEST_F(SearchThreadSeams, StopSkipsTheDisksNotYetSearched) {
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_plan["disk-1"] = {Rec("one", 1, At(1, 8, 0, 0), At(1, 8, 1, 0))};
        g_plan["disk-2"] = {Rec("two", 1, At(1, 9, 0, 0), At(1, 9, 1, 0))};
        g_plan["disk-3"] = {Rec("three", 1, At(1, 10, 0, 0), At(1, 10, 1, 0))};
        g_blockDisk = "disk-2";
    }
    search_test::SignalCounter ended(&thread, &SearchThread::signalSendWriteOver);
    thread.startSearch({"disk-1", "disk-2", "disk-3"}, {Utc(1, 0, 0, 0), Utc(1, 0, 0, 0)});
    ASSERT_TRUE(WaitInBlock());
    thread.stopSearch();
    // A second start while the search runs changes nothing.
    thread.startSearch({"disk-9"}, {Utc(5, 0, 0, 0), Utc(5, 0, 0, 0)});
    Release();
    ASSERT_TRUE(thread.wait(120000));
    EXPECT_EQ(ended.count(), 1);
    Results results;
    thread.getResults(results.records);
    ASSERT_EQ(results.records.size(), 1);
    std::vector<std::string> names;
    for (auto* f : results.records[0]->SingleFileList) names.push_back(f->FileName);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
    ASSERT_EQ(g_finds.size(), 2u);
    EXPECT_EQ(g_finds[1].disk, "disk-2");
}

TEST_F(SearchThreadSeams, EdgeInputsStillEndWithTheSignal) {
    const QString tooLong = "L:\\" + QString(300, 'x');
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_plan["disk-ok"] = {Rec("ok", 1, At(1, 8, 0, 0), At(1, 8, 1, 0))};
    }
    Results none;
    ASSERT_TRUE(Run({"disk-ok"}, {}, &none));  // no range: nothing searched
    EXPECT_TRUE(none.records.isEmpty());
    EXPECT_TRUE(g_finds.empty());

    Results empty;
    ASSERT_TRUE(Run({}, {Utc(1, 0, 0, 0), Utc(1, 0, 0, 0)}, &empty));
    EXPECT_TRUE(empty.records.isEmpty());

    Results skipped;  // a path longer than the condition holds is left out
    ASSERT_TRUE(Run({tooLong, "disk-ok"}, {Utc(1, 0, 0, 0), Utc(1, 0, 0, 0)}, &skipped));
    ASSERT_EQ(g_finds.size(), 1u);
    EXPECT_EQ(g_finds[0].disk, "disk-ok");
    EXPECT_EQ(skipped.records.size(), 1);

    thread.setTimeSpanSearch(true);  // no spans to search: no files
    Results spans;
    ASSERT_TRUE(Run({"disk-ok"}, {Utc(1, 0, 0, 0), Utc(1, 0, 0, 0)}, &spans));
    EXPECT_TRUE(spans.records.isEmpty());
}

TEST_F(SearchThreadSeams, PictureCopyEmptiesTheFoldersAndCopiesChannelOneToTarget) {
    const QString home = kel_test::ProgramFolder() + "/home";
    kel_test::ScopedEnv env("KEL_HOME", home.toStdString());
    const QString target = home + "/Target";
    const QString other = home + "/Other";
    const QString outside = kel_test::ProgramFolder() + "/outside";
    ASSERT_TRUE(kel_test::WriteFile(target + "/a/b/old.jpg", "x"));
    ASSERT_TRUE(kel_test::WriteFile(other + "/old.jpg", "x"));
    ASSERT_TRUE(kel_test::WriteFile(outside + "/keep.jpg", "keep"));
    ASSERT_TRUE(QFile::link(outside, other + "/link"));

    thread.setCopyPictures(true);
    Results results;
    ASSERT_TRUE(Run({"E:\\", "\\\\.\\PHYSICALDRIVE2", "F:\\x"}, {Utc(1, 9, 0, 0), Utc(2, 9, 0, 0)}, &results));

    // Both folders exist again and are empty; the linked folder is untouched,
    // and so is the program folder that held only them.
    EXPECT_TRUE(QDir(target).exists());
    EXPECT_TRUE(QDir(other).exists());
    EXPECT_TRUE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
    EXPECT_TRUE(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
    EXPECT_EQ(kel_test::ReadFile(outside + "/keep.jpg"), QByteArray("keep"));

    ASSERT_EQ(g_copies.size(), 16u);
    for (size_t i = 0; i < g_copies.size(); ++i) {
        const CopyCall& c = g_copies[i];
        EXPECT_EQ(c.drives, "EF");
        EXPECT_EQ(c.channel, static_cast<int>(i) + 1);
        EXPECT_EQ(c.type, 3);
        EXPECT_EQ(QString::fromStdString(c.folder), i == 0 ? target : other);
        EXPECT_TRUE(SameTime(c.start, DVR_FILE_TIME{2024, 3, 1, 0, 0, 0}));
        EXPECT_TRUE(SameTime(c.end, DVR_FILE_TIME{2024, 3, 2, 23, 59, 59}));
    }

    // Physical drives only: the folders are reset, nothing is copied.
    ResetFakes();
    ASSERT_TRUE(kel_test::WriteFile(target + "/again.jpg", "x"));
    Results physical;
    ASSERT_TRUE(Run({"\\\\.\\PHYSICALDRIVE2"}, {Utc(1, 9, 0, 0), Utc(1, 9, 0, 0)}, &physical));
    EXPECT_TRUE(g_copies.empty());
    EXPECT_TRUE(QDir(target).exists());
    EXPECT_FALSE(QFile::exists(target + "/again.jpg"));
}
