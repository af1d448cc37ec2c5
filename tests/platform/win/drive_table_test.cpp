// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>

#include "kel_test/test_support.h"
#include "wincompat/drives.h"
#include "zun.h"

using namespace wincompat;

namespace {

TEST(DriveTable, ParsesEntriesAndSkipsBadLines) {
    std::vector<std::string> errors;
    DriveTableData t = ParseDriveTable(
        "# sample\n"
        "disk 0 /dev/sda\n"
        "disk 1 /tmp/card with space\n"
        "letter F 1 removable - /tmp/x\n"
        "letter e 1 removable vfat /tmp/card with space\n"
        "letter G - cdrom iso9660 /media/cd\n"
        "letter H 7 floppy fat /x\n"
        "disk x /dev/sdb\n"
        "bogus\n",
        &errors);
    ASSERT_EQ(t.disks.size(), 2u);
    EXPECT_EQ(t.disks[1].device, "/tmp/card with space");
    ASSERT_EQ(t.letters.size(), 3u);
    EXPECT_EQ(t.letters[0].letter, 'E');  // sorted, upper case
    EXPECT_EQ(t.letters[0].fileSystem, "vfat");
    EXPECT_EQ(t.letters[1].fileSystem, "");
    EXPECT_EQ(t.letters[2].disk, -1);
    EXPECT_EQ(t.letters[2].type, kDriveCdRom);
    EXPECT_EQ(errors.size(), 3u);
}

class DriveTableFile : public ::testing::Test {
protected:
    void SetUp() override {
        root = kel_test::ProgramFolder();
        QDir().mkpath(root + "/card");
        QDir().mkpath(root + "/disk2");
        QString table = "disk 0 " + root + "/disk2\n"
                        "disk 1 " + root + "/card\n"
                        "letter E 1 removable vfat " + root + "/card\n"
                        "letter F - fixed ext4 " + root + "/nowhere\n"
                        "letter G - cdrom iso9660 " + root + "\n";
        kel_test::WriteFile(root + "/drives.txt", table.toUtf8());
        env.reset(new kel_test::ScopedEnv("KEL_DRIVES", (root + "/drives.txt").toStdString()));
        ReloadDriveTable();
    }
    void TearDown() override {
        env.reset();
        ReloadDriveTable();
    }
    QString root;
    std::unique_ptr<kel_test::ScopedEnv> env;
};

TEST_F(DriveTableFile, MapsLettersAndPhysicalDrives) {
    std::string r = root.toStdString();
    struct Case { const char* in; std::string out; } cases[] = {
        {"E:\\", r + "/card"},
        {"E:", r + "/card"},
        {"e:\\Rec\\a.264", r + "/card/Rec/a.264"},
        {"E:/Rec/a.264", r + "/card/Rec/a.264"},
        {"\\\\.\\PHYSICALDRIVE1", r + "/card"},
        {"\\\\.\\physicaldrive0", r + "/disk2"},
        {"\\\\.\\PHYSICALDRIVE9", ""},
        {"Q:\\x", ""},
        {"/abs/path", "/abs/path"},
        {"rel\\dir\\f", "rel/dir/f"},
    };
    for (const auto& c : cases) EXPECT_EQ(MapPath(c.in), c.out) << c.in;
    EXPECT_EQ(GetLogicalDriveMask(), (1u << 4) | (1u << 5) | (1u << 6));
    EXPECT_EQ(GetDriveTypeOf("E:\\"), kDriveRemovable);
    EXPECT_EQ(GetDriveTypeOf("Z:\\"), kDriveNoRootDir);
    EXPECT_EQ(GetPhysicalDriveOfLetter('e'), 1);
    EXPECT_EQ(GetPhysicalDriveOfLetter('F'), -1);
    std::string fs;
    EXPECT_TRUE(GetVolumeFileSystem("E:\\", &fs));
    EXPECT_EQ(fs, "vfat");
    EXPECT_FALSE(GetVolumeFileSystem("F:\\", &fs));  // its folder does not exist
    EXPECT_EQ(GetPhysicalDriveNumbers(), (std::vector<int>{0, 1}));
}

TEST_F(DriveTableFile, FreeSpaceAsksNearestExistingFolder) {
    uint64_t freeBytes = 0, total = 0;
    EXPECT_TRUE(GetDiskFreeSpace("E:\\not\\yet\\made", &freeBytes, &total));
    EXPECT_GT(total, 0u);
    EXPECT_FALSE(GetDiskFreeSpace("Q:\\", &freeBytes, &total));
}

TEST_F(DriveTableFile, ZunOpensDrivePaths) {
    ASSERT_TRUE(kel_test::WriteFile(root + "/card/QORWS", "x"));
    ZUN_FILE f = ZUN_OpenFile("E:\\QORWS", ZUN_FILE_READ);
    EXPECT_NE(f, 0);
    ZUN_CloseFile(f);
}

TEST(DriveTable, PhysicalDriveNames) {
    EXPECT_EQ(ParsePhysicalDriveName("\\\\.\\PHYSICALDRIVE12"), 12);
    EXPECT_EQ(ParsePhysicalDriveName("//./PhysicalDrive3"), 3);
    EXPECT_EQ(ParsePhysicalDriveName("\\\\.\\PHYSICALDRIVE"), -1);
    EXPECT_EQ(ParsePhysicalDriveName("\\\\.\\PHYSICALDRIVE1x"), -1);
    EXPECT_EQ(DriveLetterOf("e:"), 'E');
    EXPECT_EQ(DriveLetterOf("E:x"), 0);
    EXPECT_EQ(DriveLetterOf("/E:"), 0);
}

TEST(DriveTable, SystemTableHasNoOpticalDisks) {
    DriveTableData t = ReadSystemDriveTable();
    for (const auto& d : t.disks) {
        EXPECT_EQ(d.device.find("/dev/sr"), std::string::npos);
        EXPECT_EQ(d.device.find("/dev/loop"), std::string::npos);
    }
}

}  // namespace
