// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>

#include <memory>
#include <string>

#include "storage/DiskEnum.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"

namespace {

// Installs a drive table written from `text` ("@" stands for the test's
// program folder) for the lifetime of the object.
class DriveTable {
public:
    explicit DriveTable(const QString& text) {
        const QString root = kel_test::ProgramFolder();
        QString body = text;
        body.replace("@", root);
        kel_test::WriteFile(root + "/drives.txt", body.toUtf8());
        m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", (root + "/drives.txt").toStdString()));
        wincompat::ReloadDriveTable();
    }
    ~DriveTable() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

private:
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

std::string Letters(const char* buf, int n) { return n < 0 ? "<fail>" : std::string(buf, n); }

class DiskEnumTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString root = kel_test::ProgramFolder();
        for (const char* d : {"disk0", "disk1", "disk3", "e", "f", "h", "k"}) QDir().mkpath(root + "/" + d);
    }
};

// Disk 1 holds E and F; G is an optical drive; H cannot be resolved to a
// disk; K lies on disk 1 but is unformatted; disk 2's device is missing.
const char* kTable =
    "disk 0 @/disk0\n"
    "disk 1 @/disk1\n"
    "disk 2 @/no-such-device\n"
    "disk 3 @/disk3\n"
    "letter C 0 fixed ext4 @\n"
    "letter E 1 removable vfat @/e\n"
    "letter F 1 removable exfat @/f\n"
    "letter G - cdrom iso9660 @\n"
    "letter H - fixed ntfs @/h\n"
    "letter K 1 removable - @/k\n";

// A drive whose device cannot be opened is listed all the same (its volumes
// may be readable), and says why it cannot be read itself.
TEST_F(DiskEnumTest, PhysicalDrivesListDeviceThatCannotBeOpened) {
    DriveTable table(kTable);
    DiskEnum e;
    int* numbers = nullptr;
    int n = e.GetPhysicalDriveNumbers(&numbers);
    ASSERT_EQ(n, 4);
    ASSERT_NE(numbers, nullptr);
    EXPECT_EQ(std::vector<int>(numbers, numbers + n), (std::vector<int>{0, 1, 2, 3}));
    delete[] numbers;

    std::vector<int> v{42};
    EXPECT_EQ(e.GetPhysicalDriveNumbers(&v), 4);
    EXPECT_EQ(v, (std::vector<int>{0, 1, 2, 3}));

    EXPECT_EQ(DiskEnum::CannotReadReason(1), QString());
    EXPECT_EQ(DiskEnum::CannotReadReason(2),
              kel_test::ProgramFolder() + "/no-such-device: No such file or directory");
    EXPECT_EQ(DiskEnum::CannotReadReason(7), "the disk is not attached");
}

TEST_F(DiskEnumTest, NoDisksGivesEmptyArray) {
    DriveTable table("letter C - fixed ext4 @\n");
    DiskEnum e;
    int* numbers = nullptr;
    EXPECT_EQ(e.GetPhysicalDriveNumbers(&numbers), 0);
    EXPECT_NE(numbers, nullptr);
    delete[] numbers;
}

TEST_F(DiskEnumTest, LettersOfPhysicalDrive) {
    DriveTable table(kTable);
    DiskEnum e;
    char out[26];
    struct Case {
        int disk;
        std::string letters;
    } cases[] = {
        {1, "EF"},   // two volumes; K unformatted, G optical
        {0, "C"},
        {3, ""},
        {7, ""},
        {-1, "H"},   // only when asked for -1
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Letters(out, e.GetDriveLetterOfPhysicalDrive(c.disk, out)), c.letters) << "disk " << c.disk;
    }
    EXPECT_EQ(e.GetDriveLetterOfPhysicalDrive(1, nullptr), -1);
}

TEST_F(DiskEnumTest, ListLettersLeavesOutGivenDrives) {
    DriveTable table(kTable);
    DiskEnum e;
    char out[26];
    struct Case {
        std::vector<int> exclude;
        std::string letters;
    } cases[] = {
        {{}, "CEFHK"},        // the optical drive never, unresolved H stays
        {{0, 1}, "H"},
        {{-1}, "CEFK"},
        {{5}, "CEFHK"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Letters(out, e.ListDriveLetters(c.exclude, out)), c.letters);
    }
    EXPECT_EQ(e.ListDriveLetters({}, nullptr), -1);
}

TEST_F(DiskEnumTest, NoLogicalDrivesIsFailure) {
    DriveTable table("disk 0 @/disk0\n");
    DiskEnum e;
    char out[26];
    EXPECT_EQ(e.GetDriveLetterOfPhysicalDrive(0, out), -1);
    EXPECT_EQ(e.ListDriveLetters({}, out), -1);
}

// The name a disk is shown under: a physical drive by its number, a drive
// letter with the disk it lies on, anything else (a folder, also one on a
// drive letter) as it stands.
TEST_F(DiskEnumTest, ShownNames) {
    DriveTable table(kTable);
    const struct {
        const char* path;
        const char* shown;
    } cases[] = {
        {"\\\\.\\PHYSICALDRIVE3", "Disk 3"}, {"E:\\", "Disk 1 (E:)"},  {"F:", "Disk 1 (F:)"},
        {"H:\\", "H:"},                     {"G:/", "G:"},             {"E:\\Export", "E:\\Export"},
        {"F:/cars/7", "F:/cars/7"},           {"/media/exports", "/media/exports"},
    };
    for (const auto& c : cases) EXPECT_EQ(DiskShownName(c.path), QString::fromLatin1(c.shown)) << c.path;
}

}  // namespace
