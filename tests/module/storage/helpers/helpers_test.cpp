// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "storage/CommonHelpers.h"
#include "storage/RecorderTime.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"

namespace {

time_t Utc(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<time_t>(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch());
}

PackedDateTime Pack(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<PackedDateTime>((y - 2000) << 26 | mo << 22 | d << 17 | h << 12 | mi << 6 | s);
}

// ---- time helpers ------------------------------------------------------------------

struct TimeCase {
    const char* text;
    time_t utc;
};

// Recorder time is the recorder's clock without a time zone: in zones with
// daylight-saving changes on the day (Europe/Berlin skips 02:00-02:59 on
// 2024-03-31 and repeats it on 2024-10-27; Lord Howe moves by half an
// hour), every clock second has its own value, consecutive seconds are
// consecutive values, and the text comes back unchanged.
TEST(TimeHelpers, RecorderTimesIgnoreTheMachinesTimeZone) {
    const TimeCase cases[] = {
        {"20240301120000", Utc(2024, 3, 1, 12, 0, 0)},
        {"20240331015959", Utc(2024, 3, 31, 1, 59, 59)},   // before the spring change
        {"20240331020000", Utc(2024, 3, 31, 2, 0, 0)},     // the skipped hour
        {"20240331023000", Utc(2024, 3, 31, 2, 30, 0)},
        {"20240331030000", Utc(2024, 3, 31, 3, 0, 0)},     // after it
        {"20241027023000", Utc(2024, 10, 27, 2, 30, 0)},   // the repeated hour
        {"20241027030000", Utc(2024, 10, 27, 3, 0, 0)},
        {"20241006020000", Utc(2024, 10, 6, 2, 0, 0)},     // Lord Howe's change
    };
    for (const char* zone : {"Europe/Berlin", "Australia/Lord_Howe", "America/New_York", "UTC"}) {
        kel_test::ScopedTimeZone tz(zone);
        for (const TimeCase& c : cases) {
            SCOPED_TRACE(std::string(zone) + " " + c.text);
            EXPECT_EQ(StringToTime(c.text), c.utc);
            EXPECT_EQ(TimeToString(c.utc), c.text);
            EXPECT_EQ(RecorderTime(RecorderDateTime(c.utc)), c.utc);
            EXPECT_EQ(RecorderDateTime(c.utc).toString("yyyyMMddhhmmss").toStdString(), c.text);
        }
        // Every second of both change days, in order: one value each, one apart.
        for (const QDate day : {QDate(2024, 3, 31), QDate(2024, 10, 27)}) {
            time_t previous = 0;
            for (int s = 0; s < 86400; ++s) {
                const QTime t = QTime(0, 0).addSecs(s);
                char text[16];
                std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", day.year(), day.month(), day.day(),
                              t.hour(), t.minute(), t.second());
                const time_t v = StringToTime(text);
                if (s > 0) ASSERT_EQ(v, previous + 1) << zone << " " << text;
                previous = v;
                ASSERT_EQ(TimeToString(v), text) << zone;
            }
        }
        // A date-time given in local time counts by what it shows.
        EXPECT_EQ(RecorderTime(QDateTime(QDate(2024, 10, 27), QTime(2, 30, 0), Qt::LocalTime)),
                  Utc(2024, 10, 27, 2, 30, 0)) << zone;
        EXPECT_EQ(RecorderTime(QDateTime()), -1);
    }
}

TEST(TimeHelpers, StringToTimeInUtcAndStdString) {
    EXPECT_EQ(StringToTime("20240301120000"), Utc(2024, 3, 1, 12, 0, 0));
    EXPECT_EQ(StringToTime(std::string("19700101000000")), 0);
    EXPECT_EQ(StringToTime("20240301120000trailing"), Utc(2024, 3, 1, 12, 0, 0));
}

TEST(TimeHelpers, ShortOrBadTextCountsMissingSlicesAsZero) {
    // Exactly sized heap copies, so reading past the end is caught by the
    // address checker.
    auto heap = [](const char* s) {
        std::unique_ptr<char[]> p(new char[std::strlen(s) + 1]);
        std::memcpy(p.get(), s, std::strlen(s) + 1);
        return p;
    };
    EXPECT_EQ(StringToTime(heap("2024").get()), StringToTime("20240000000000"));
    EXPECT_EQ(StringToTime(heap("2024030112").get()), StringToTime("20240301120000"));
    EXPECT_EQ(StringToTime(heap("").get()), StringToTime("00000000000000"));
    EXPECT_EQ(StringToTime(static_cast<const char*>(nullptr)), StringToTime("00000000000000"));
    EXPECT_EQ(StringToTime("2024xx01120000"), StringToTime("20240001120000"));
}

TEST(TimeHelpers, PackedTime) {
    EXPECT_EQ(PackedTimeToTime(5 | 4 << 6 | 3 << 12 | 2 << 17 | 1 << 22 | 24 << 26), Utc(2024, 1, 2, 3, 4, 5));
    EXPECT_EQ(PackedTimeToTime(kNoPackedTime), -1);
    EXPECT_EQ(PackedTimeToTime(0xFFFFFFFFu), -1);
    EXPECT_EQ(PackedTimeToTime(Pack(2063, 12, 31, 23, 59, 59)), Utc(2063, 12, 31, 23, 59, 59));
    // Out-of-range fields are normalised: 31 February is 2 March in 2024.
    EXPECT_EQ(PackedTimeToTime(Pack(2024, 2, 31, 0, 0, 0)), Utc(2024, 3, 2, 0, 0, 0));
    kel_test::ScopedTimeZone tz("Europe/Berlin");
    EXPECT_EQ(PackedTimeToTime(Pack(2024, 7, 1, 8, 0, 0)), Utc(2024, 7, 1, 8, 0, 0));
    EXPECT_EQ(PackedTimeToTime(Pack(2024, 3, 31, 2, 30, 0)), Utc(2024, 3, 31, 2, 30, 0));
}

// ---- folders and free space --------------------------------------------------------

class DriveHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        root = kel_test::ProgramFolder();
        QDir().mkpath(root + "/e");
        QString table = "disk 0 " + root + "/e\n"
                        "letter E 0 fixed ext4 " + root + "/e\n";
        ASSERT_TRUE(kel_test::WriteFile(root + "/drives.txt", table.toUtf8()));
        env.reset(new kel_test::ScopedEnv("KEL_DRIVES", (root + "/drives.txt").toStdString()));
        wincompat::ReloadDriveTable();
    }
    void TearDown() override {
        env.reset();
        wincompat::ReloadDriveTable();
    }
    bool IsDir(const QString& p) { return QFileInfo(p).isDir(); }
    QString root;
    std::unique_ptr<kel_test::ScopedEnv> env;
};

TEST_F(DriveHelpers, CreateDirectoryPathMakesFoldersFollowedByASeparator) {
    CreateDirectoryPath("E:/out/Capture/");
    EXPECT_TRUE(IsDir(root + "/e/out/Capture"));
    CreateDirectoryPath("E:\\win\\style\\");
    EXPECT_TRUE(IsDir(root + "/e/win/style"));
    CreateDirectoryPath(std::string("E:/a/b"));
    EXPECT_TRUE(IsDir(root + "/e/a"));
    EXPECT_FALSE(QFileInfo::exists(root + "/e/a/b"));
    CreateDirectoryPath((root + "/plain/sub/").toStdString());  // a path of this machine
    EXPECT_TRUE(IsDir(root + "/plain/sub"));
    CreateDirectoryPath("");
    CreateDirectoryPath(static_cast<const char*>(nullptr));
}

TEST_F(DriveHelpers, CreateDirectoryPathTakesLongPaths) {
    std::string path = "E:/";
    QString expect = root + "/e";
    for (int i = 0; i < 20; ++i) {
        std::string part(60, static_cast<char>('a' + i));
        path += part + "/";
        expect += "/" + QString::fromStdString(part);
    }
    ASSERT_GT(path.size(), 1200u);
    CreateDirectoryPath(path.c_str());
    EXPECT_TRUE(IsDir(expect));
}

TEST_F(DriveHelpers, FreeSpaceOfFolders) {
    uint64_t freeBytes = 7, total = 7;
    ASSERT_TRUE(GetFreeDiskBytes("E:/", &freeBytes, &total));
    EXPECT_GT(total, 0u);
    EXPECT_LE(freeBytes, total);
    // A folder that does not exist yet is measured on its nearest parent.
    EXPECT_TRUE(GetFreeDiskBytes(root + "/e/not/yet/", nullptr, nullptr));
    EXPECT_TRUE(GetFreeDiskBytes("E:/not/yet/", nullptr, nullptr));

    uint64_t untouched = 42;
    EXPECT_FALSE(GetFreeDiskBytes("Q:/Video/", &untouched, &untouched));
    EXPECT_FALSE(GetFreeDiskBytes("", &untouched, &untouched));
    EXPECT_EQ(untouched, 42u);
}

TEST_F(DriveHelpers, DiskSpaceLow) {
    EXPECT_TRUE(IsDiskSpaceLow(0.5f, -1, "Q:/Video/"));  // no such drive
    EXPECT_FALSE(IsDiskSpaceLow(0.0f, -1, "E:/Video/"));
    EXPECT_FALSE(IsDiskSpaceLow(0.0f, -1, root + "/e/"));
    EXPECT_TRUE(IsDiskSpaceLow(1.0e9f, -1, "E:/Video/"));  // an exabyte is never free

    // By setting: a missing setting counts as low; the path argument is ignored.
    CSettingsStore* store = CSettingsStore::GetInstance();
    EXPECT_TRUE(IsDiskSpaceLow(0.0f, SettingKey::DownloadSavePath, root + "/e/"));
    store->SetValueText(SettingKey::DownloadSavePath, "E:/Download/");
    EXPECT_FALSE(IsDiskSpaceLow(0.0f, SettingKey::DownloadSavePath, "Q:/"));
    EXPECT_FALSE(IsDiskSpaceLow(0.0f, static_cast<int>(SettingKey::DownloadSavePath), "Q:/"));
    store->SetValueText(SettingKey::DownloadSavePath, "Q:/Download/");
    EXPECT_TRUE(IsDiskSpaceLow(0.5f, SettingKey::DownloadSavePath, root));
}

}  // namespace
