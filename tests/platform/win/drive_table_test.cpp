// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

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

// A copy of /sys and a mount table, as the machine would show them.
class FakeSystem {
public:
    FakeSystem() : root(kel_test::ProgramFolder() + "/fake-system") {
        for (const char* disk : {"sda", "sdb", "loop0", "loop1", "sr0", "zram0"}) QDir().mkpath(root + "/sys/block/" + disk);
        kel_test::WriteFile(root + "/sys/block/sda/removable", "0\n");
        kel_test::WriteFile(root + "/sys/block/sdb/removable", "1\n");
        QDir().mkpath(root + "/sys/dev/block");
        Link("8:1", "../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda1");
        Link("8:2", "../../devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda2");
        Link("8:17", "../../devices/pci0000:00/usb1/1-2/host6/block/sdb/sdb1");
        Link("7:0", "../../devices/virtual/block/loop0");
        Link("7:1", "../../devices/virtual/block/loop1");
        Link("11:0", "../../devices/pci0000:00/ata2/host1/block/sr0");
    }
    SystemTableSources Sources(const QString& mounts) const {
        kel_test::WriteFile(root + "/mountinfo", mounts.toUtf8());
        SystemTableSources s;
        s.mountInfo = (root + "/mountinfo").toStdString();
        s.sysRoot = root.toStdString();
        return s;
    }
    void Link(const QString& majmin, const QString& target) { QFile::link(target, root + "/sys/dev/block/" + majmin); }
    QString root;
};

std::string Describe(const DriveTableData& t) {
    std::string out;
    for (const auto& d : t.disks) out += "disk " + std::to_string(d.number) + " " + d.device + "\n";
    for (const auto& l : t.letters)
        out += std::string("letter ") + l.letter + " " + std::to_string(l.disk) + " " + std::to_string(l.type) + " " +
               l.fileSystem + " " + l.path + "\n";
    return out;
}

// A card however it is mounted is a disk with its letter: on a card reader,
// as a loop-mounted image, through a file system in user space, as a bind
// mount or a network share. The kernel's own mounts and mounts elsewhere
// are not volumes of media.
TEST(SystemDriveTable, EveryMediaMountIsADisk) {
    FakeSystem sys;
    const QString mounts =
        "21 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "22 21 0:5 / /proc rw - proc proc rw\n"
        "23 21 8:2 / /boot rw - ext4 /dev/sda2 rw\n"
        "40 21 8:17 / /media/op/CARD rw,nosuid - vfat /dev/sdb1 rw\n"
        "41 21 7:0 / /mnt/recorder rw - ext4 /dev/loop0 rw\n"
        "42 21 0:55 / /media/op/RECORDER\\040CARD rw - fuse.fusefat /dev/loop1 rw\n"
        "43 21 8:1 /srv/card /mnt/bound rw - ext4 /dev/sda1 rw\n"
        "44 21 0:60 / /run/media/op/share rw - nfs4 host:/rec rw\n"
        "45 21 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
        "46 21 0:70 / /mnt/auto rw - autofs systemd-1 rw\n"
        "47 21 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
        "48 21 8:2 / /mnt/data rw - ext4 /dev/sda2 rw\n";
    const DriveTableData t = ReadSystemDriveTable(sys.Sources(mounts), nullptr);
    EXPECT_EQ(Describe(t),
              "disk 0 /dev/sda\n"
              "disk 1 /dev/sdb\n"
              "disk 2 /mnt/recorder\n"
              "disk 3 /media/op/RECORDER CARD\n"
              "disk 4 /mnt/bound\n"
              "disk 5 /run/media/op/share\n"
              "letter C 0 3 ext4 /\n"
              "letter D 1 2 vfat /media/op/CARD\n"
              "letter E 2 3 ext4 /mnt/recorder\n"
              "letter F 3 3 fuse.fusefat /media/op/RECORDER CARD\n"
              "letter G 4 3 ext4 /mnt/bound\n"
              "letter H 5 4 nfs4 /run/media/op/share\n"
              "letter I -1 5 iso9660 /media/cd\n"
              "letter J 0 3 ext4 /mnt/data\n");

    // Read again after the card reader's card was taken out and another card
    // was mounted: what is still there keeps its letter and number, the new
    // card takes the free ones.
    QDir(sys.root + "/sys/block/sdb").removeRecursively();
    QString later = mounts;
    later.remove(QRegularExpression("40 21 [^\n]*\n"));
    later += "50 21 0:80 / /media/op/NEW rw - fuse.exfat /dev/sdc1 rw\n";
    const DriveTableData t2 = ReadSystemDriveTable(sys.Sources(later), &t);
    EXPECT_EQ(Describe(t2),
              "disk 0 /dev/sda\n"
              "disk 1 /media/op/NEW\n"
              "disk 2 /mnt/recorder\n"
              "disk 3 /media/op/RECORDER CARD\n"
              "disk 4 /mnt/bound\n"
              "disk 5 /run/media/op/share\n"
              "letter C 0 3 ext4 /\n"
              "letter D 1 3 fuse.exfat /media/op/NEW\n"
              "letter E 2 3 ext4 /mnt/recorder\n"
              "letter F 3 3 fuse.fusefat /media/op/RECORDER CARD\n"
              "letter G 4 3 ext4 /mnt/bound\n"
              "letter H 5 4 nfs4 /run/media/op/share\n"
              "letter I -1 5 iso9660 /media/cd\n"
              "letter J 0 3 ext4 /mnt/data\n");
}

// A folder mounted over shows the volume mounted last.
TEST(SystemDriveTable, FolderMountedOverShowsTheLastVolume) {
    FakeSystem sys;
    const DriveTableData t = ReadSystemDriveTable(
        sys.Sources("21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                    "40 21 8:17 / /media/card rw - vfat /dev/sdb1 rw\n"
                    "41 40 7:0 / /media/card rw - ext4 /dev/loop0 rw\n"),
        nullptr);
    EXPECT_EQ(Describe(t),
              "disk 0 /dev/sda\n"
              "disk 1 /dev/sdb\n"
              "disk 2 /media/card\n"
              "letter C 0 3 ext4 /\n"
              "letter D 2 3 ext4 /media/card\n");
}

}  // namespace
