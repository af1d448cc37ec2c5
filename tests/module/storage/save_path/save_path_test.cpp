// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>
#include <unistd.h>
#include <vector>

#include "storage/SavePathCheck.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"

namespace {

// Puts the real file system back afterwards.
class SavePathTest : public ::testing::Test {
protected:
    void TearDown() override { SetSavePathProbe(SavePathProbe{}); }
};

const QString kNotExist = "The file path is not exist.";
const QString kNoWrite = "The directory has no write permissions.";
const QString k2GB = "Save failed, disk free space is less than 2GB";
constexpr uint64_t kMB = 1000ull * 1000ull;

TEST_F(SavePathTest, CheckTable) {
    struct Row {
        const char* name;
        bool exists;
        bool writable;
        bool freeKnown;
        uint64_t freeBytes;
        bool ok;
        QString warning;
    } rows[] = {
        {"3 GB free", true, true, true, 3000 * kMB, true, ""},
        {"exactly 2 GiB", true, true, true, kSavePathMinFreeBytes, true, ""},
        {"one byte short", true, true, true, kSavePathMinFreeBytes - 1, false, k2GB},
        // Room the downloader would stop at at once is refused before it starts.
        {"600 MB free", true, true, true, 600 * kMB, false, k2GB},
        {"400 MB free", true, true, true, 400 * kMB, false, k2GB},
        {"free space unknown", true, true, false, 0, false, k2GB},
        {"missing on a full drive", false, true, true, 0, false, kNotExist},
        {"read-only", true, false, true, 3000 * kMB, false, kNoWrite},
    };
    for (const Row& r : rows) {
        SavePathProbe probe;
        probe.exists = [&r](const QString&) { return r.exists; };
        probe.writable = [&r](const QString&) { return r.writable; };
        probe.freeBytes = [&r](const QString&, uint64_t* b) {
            *b = r.freeBytes;
            return r.freeKnown;
        };
        SetSavePathProbe(probe);
        const int code = SavePathWarning("D:/Video");
        EXPECT_EQ(r.ok, code == 0) << r.name;
        EXPECT_EQ(r.warning, SaveWarningText(code)) << r.name;
    }
}

TEST_F(SavePathTest, TheCheckAndTheDownloaderAgree) {
    EXPECT_EQ(kSavePathMinFreeBytes, kDownloadMinFreeBytes);
    EXPECT_EQ(uint64_t(kDownloadMinFreeGiB * 1024 * 1024 * 1024), kDownloadMinFreeBytes);
}

TEST_F(SavePathTest, WarningTexts) {
    EXPECT_EQ(kNoWrite, SaveWarningText(1));
    EXPECT_EQ("Save failed, disk free space is less than 512MB", SaveWarningText(2));
    EXPECT_EQ(k2GB, SaveWarningText(3));
    EXPECT_EQ(kNotExist, SaveWarningText(4));
    EXPECT_EQ("", SaveWarningText(0));
    EXPECT_EQ("", SaveWarningText(5));
    EXPECT_EQ("", SaveWarningText(7));
    EXPECT_EQ("Warn", SaveWarningTitle());
}

TEST_F(SavePathTest, RealFoldersAndDrivePaths) {
    const QString folder = kel_test::ProgramFolder() + "/Video";
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(HasFreeSpace(folder, 1));
    EXPECT_FALSE(HasFreeSpace(folder, UINT64_MAX));

    // Existence and permission come from the file system; the room is fixed.
    SavePathProbe probe;
    probe.freeBytes = [](const QString&, uint64_t* b) {
        *b = 1ull << 40;
        return true;
    };
    SetSavePathProbe(probe);
    const QString table = kel_test::ProgramFolder() + "/drives.txt";
    ASSERT_TRUE(kel_test::WriteFile(table, ("letter E 1 removable vfat " + kel_test::ProgramFolder()).toUtf8()));
    {
        kel_test::ScopedEnv drives("KEL_DRIVES", table.toStdString());
        wincompat::ReloadDriveTable();
        EXPECT_EQ(0, SavePathWarning(folder));
        EXPECT_EQ(0, SavePathWarning("E:/Video"));
        EXPECT_EQ(0, SavePathWarning("E:\\Video"));
        for (const QString& missing : {folder + "/none", QString("E:/none"), QString("Q:/Video"), QString()}) {
            const int code = SavePathWarning(missing);
            EXPECT_EQ(kSaveWarnPathNotExist, code) << missing.toStdString();
            EXPECT_EQ(kNotExist, SaveWarningText(code)) << missing.toStdString();
        }
    }
    wincompat::ReloadDriveTable();

    // A folder without write permission (root may write anywhere: skip then).
    const QString locked = kel_test::ProgramFolder() + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (access(locked.toLocal8Bit().constData(), W_OK) != 0) {
        const int code = SavePathWarning(locked);
        EXPECT_EQ(kSaveWarnNoWritePermission, code);
        EXPECT_EQ(kNoWrite, SaveWarningText(code));
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
