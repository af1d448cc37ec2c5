// SPDX-License-Identifier: GPL-3.0-or-later
// The picture search of the alarm page and the picture list model.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "module/search/search_thread/search_media.h"
#include "module/search/search_thread/signal_counter.h"
#include "search/PicSearchThread.h"
#include "search/PictureListModel.h"
#include "kel_test/test_support.h"
#include "pellomir/Pellomir.h"
#include "ziraz/ziraz.h"

using namespace search_test;

namespace {

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
std::vector<CopyCall> g_copies;
bool g_block = false;
bool g_inBlock = false;

bool SameTime(const DVR_FILE_TIME& a, const DVR_FILE_TIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" {
int32_t __real_DVR_FILE_CopyPicFileByTime(const char*, const DVR_FILE_TIME*, const DVR_FILE_TIME*, int32_t, int32_t,
                                          const char*);

// Watches the copies (and holds one when asked), then copies for real.
int32_t __wrap_DVR_FILE_CopyPicFileByTime(const char* drives, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                          int32_t channel, int32_t type, const char* folder) {
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_copies.push_back(CopyCall{drives, *start, *end, channel, type, folder});
        if (g_block) {
            g_inBlock = true;
            g_cv.notify_all();
            g_cv.wait_for(lock, std::chrono::seconds(60), [] { return !g_block; });
        }
    }
    return __real_DVR_FILE_CopyPicFileByTime(drives, start, end, channel, type, folder);
}
}  // extern "C"

namespace {

class PicSearch : public ::testing::Test {
protected:
    void SetUp() override {
        std::lock_guard<std::mutex> g(g_mutex);
        g_copies.clear();
        g_block = g_inBlock = false;
    }

    bool Run(const QStringList& disks, std::vector<time_t> times, int channel) {
        SignalCounter ended(&thread, &CPicSearchThread::signalSendWriteOver);
        thread.StartSearch(disks, times, channel);
        return thread.wait(120000) && ended.count() == 1;
    }

    static bool IsEmptyFolder(const QString& path) {
        return QDir(path).exists() && QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    }

    CPicSearchThread thread;
};

}  // namespace

TEST_F(PicSearch, CopiesTheChannelsPicturesOfWholeMinutesIntoOther) {
    MediaSet media;
    Medium* m = media.Add(2, 3, 2, 60, 9 * 3600, true);
    ASSERT_TRUE(m);
    const QString target = ziraz::GetTargetPath() + "Target";
    const QString other = ziraz::GetTargetPath() + "Other";
    ASSERT_TRUE(kel_test::WriteFile(other + "/stale.jpg", "x"));

    // Both times in one minute: the copy covers its seconds 0 to 59, so the
    // picture at 09:00:01 comes along.
    const time_t at = m->info.firstDay + 9 * 3600 + 30;
    ASSERT_TRUE(Run({QString::fromStdString(m->root), "\\\\.\\PHYSICALDRIVE1"}, {at, at}, 2));
    ASSERT_EQ(g_copies.size(), 1u);
    EXPECT_EQ(g_copies[0].drives, std::string(1, m->letter));
    EXPECT_EQ(g_copies[0].channel, 2);
    EXPECT_EQ(g_copies[0].type, 3);
    EXPECT_EQ(QString::fromStdString(g_copies[0].folder), other);
    EXPECT_EQ(g_copies[0].start.second, 0);
    EXPECT_EQ(g_copies[0].end.second, 59);
    EXPECT_EQ(g_copies[0].start.minute, g_copies[0].end.minute);

    EXPECT_TRUE(IsEmptyFolder(target));
    const QStringList files = FilesOf(other);
    ASSERT_EQ(files.size(), 1) << files.join(",").toStdString();
    EXPECT_TRUE(files[0].startsWith("ch02_")) << files[0].toStdString();

    // The picture list finds it by its time.
    PictureShowModel model;
    model.appendPicture({other + "/" + files[0], files[0]});
    QSignalSpy select(&model, &PictureShowModel::signalSelect);
    model.selectByTime(static_cast<uint32_t>(m->info.firstDay + 9 * 3600 + 1));
    ASSERT_EQ(select.count(), 1);
    EXPECT_EQ(select.at(0).at(0).toInt(), 0);
}

TEST_F(PicSearch, DriveLettersTimesAndFolders) {
    const QString home = kel_test::ProgramFolder() + "/home";
    kel_test::ScopedEnv env("KEL_HOME", home.toStdString());
    const QString target = home + "/Target";
    const QString other = home + "/Other";
    const QString outside = kel_test::ProgramFolder() + "/outside";
    ASSERT_TRUE(kel_test::WriteFile(target + "/old/old.jpg", "x"));
    ASSERT_TRUE(kel_test::WriteFile(other + "/old.jpg", "x"));
    ASSERT_TRUE(kel_test::WriteFile(outside + "/keep.jpg", "keep"));
    ASSERT_TRUE(QFile::link(outside, target + "/link"));

    const time_t start = QDateTime(QDate(2024, 3, 1), QTime(9, 15, 42), Qt::UTC).toSecsSinceEpoch();
    ASSERT_TRUE(Run({"E:\\", "\\\\.\\PHYSICALDRIVE3", "F:\\"}, {start, start + 125}, 4));
    ASSERT_EQ(g_copies.size(), 1u);
    EXPECT_EQ(g_copies[0].drives, "EF");
    EXPECT_TRUE(SameTime(g_copies[0].start, DVR_FILE_TIME{2024, 3, 1, 9, 15, 0}));
    EXPECT_TRUE(SameTime(g_copies[0].end, DVR_FILE_TIME{2024, 3, 1, 9, 17, 59}));
    EXPECT_EQ(g_copies[0].channel, 4);
    // The program folder held only the two picture folders: it stays, both
    // are back and empty, and nothing behind the link was touched.
    EXPECT_TRUE(IsEmptyFolder(target));
    EXPECT_TRUE(IsEmptyFolder(other));
    EXPECT_EQ(kel_test::ReadFile(outside + "/keep.jpg"), QByteArray("keep"));

    // Physical drives only: folders reset, nothing copied.
    g_copies.clear();
    ASSERT_TRUE(kel_test::WriteFile(other + "/again.jpg", "x"));
    ASSERT_TRUE(Run({"\\\\.\\PHYSICALDRIVE3"}, {start, start}, 1));
    EXPECT_TRUE(g_copies.empty());
    EXPECT_TRUE(IsEmptyFolder(other));

    // A span that is not two values: nothing at all.
    ASSERT_TRUE(kel_test::WriteFile(other + "/kept.jpg", "x"));
    ASSERT_TRUE(Run({"E:\\"}, {start}, 1));
    ASSERT_TRUE(Run({"E:\\"}, {start, start, start}, 1));
    EXPECT_TRUE(g_copies.empty());
    EXPECT_TRUE(QFile::exists(other + "/kept.jpg"));
}

TEST_F(PicSearch, StartWhileRunningStartsNothing) {
    const QString home = kel_test::ProgramFolder() + "/home";
    kel_test::ScopedEnv env("KEL_HOME", home.toStdString());
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_block = true;
    }
    SignalCounter ended(&thread, &CPicSearchThread::signalSendWriteOver);
    thread.StartSearch({"E:\\"}, {1000, 2000}, 2);
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        ASSERT_TRUE(g_cv.wait_for(lock, std::chrono::seconds(60), [] { return g_inBlock; }));
    }
    thread.StartSearch({"G:\\"}, {3000, 4000}, 5);
    thread.StopSearch();  // a copy once begun goes to its end
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_block = false;
        g_cv.notify_all();
    }
    ASSERT_TRUE(thread.wait(120000));
    EXPECT_EQ(ended.count(), 1);
    ASSERT_EQ(g_copies.size(), 1u);
    EXPECT_EQ(g_copies[0].drives, "E");
    EXPECT_EQ(g_copies[0].channel, 2);
}

TEST(PictureList, RowsAndSelectionByTime) {
    kel_test::ScopedTimeZone tz("Europe/Berlin");
    PictureShowModel model;
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "PictureName");
    QSignalSpy select(&model, &PictureShowModel::signalSelect);
    model.selectByTime(0);  // empty model
    EXPECT_EQ(select.count(), 0);

    const char* names[] = {"ch01_2024-03-01 09-00-01(0).jpg", "readme.jpg", "ch02_2024-03-01 09-00-02(1).jpg",
                           "ch03_2024-03-01 09-00-01(4).png", "ch04_2024-13-01 09-00-01(0).jpg"};
    for (const char* name : names) model.appendPicture({QString("/pictures/") + name, name});
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), names[2]);
    EXPECT_EQ(model.data(model.index(2, 0), PictureShowModel::kPicturePathRole).toString(),
              QString("/pictures/") + names[2]);

    // Names carry the recorder's clock reading, whatever the zone here.
    const uint32_t t = static_cast<uint32_t>(QDateTime(QDate(2024, 3, 1), QTime(9, 0, 1), Qt::UTC).toSecsSinceEpoch());
    model.selectByTime(t);
    ASSERT_EQ(select.count(), 2);
    EXPECT_EQ(select.at(0).at(0).toInt(), 0);
    EXPECT_EQ(select.at(1).at(0).toInt(), 3);
    // Rows without a readable time match nothing, not even the invalid time.
    select.clear();
    model.selectByTime(0xFFFFFFFFu);
    EXPECT_EQ(select.count(), 0);
}
