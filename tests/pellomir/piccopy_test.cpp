// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <ctime>
#include <fstream>

#include "CopyPicFile.h"
#include "Frame.h"
#include "PlatformSeam.h"
#include "kel_test/test_support.h"
#include "pellomir/Pellomir.h"
#include "pellomir_fixture.h"
#include "platform/savefile/save_calls.h"
#include "recmedia/picture_writer.h"

namespace {

constexpr uint32_t kDay = 1521072000;  // 2018-03-15 00:00:00 recorder time

DVR_FILE_TIME At(uint32_t seconds)
{
    const time_t t = seconds;
    struct tm b;
    gmtime_r(&t, &b);
    return DVR_FILE_TIME{b.tm_year + 1900, b.tm_mon + 1, b.tm_mday, b.tm_hour, b.tm_min, b.tm_sec};
}

std::vector<uint8_t> Bytes(int channel, uint32_t time, size_t size = 300)
{
    std::vector<uint8_t> b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(channel * 13 + time + i * 7);
    return b;
}

recmedia::PictureSpec Pic(int channel, uint32_t time, uint8_t type = 0)
{
    recmedia::PictureSpec p;
    p.channel = channel;
    p.time = time;
    p.type = type;
    p.bytes = Bytes(channel, time);
    return p;
}

int32_t Copy(const char* letters, uint32_t from, uint32_t to, int channel, const std::string& dest, int type = 3)
{
    const DVR_FILE_TIME s = At(from);
    const DVR_FILE_TIME e = At(to);
    return DVR_FILE_CopyPicFileByTime(letters, &s, &e, channel, type, dest.c_str());
}

void Patch32(const std::string& path, long offset, uint32_t value)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(reinterpret_cast<const char*>(&value), 4);
}

void Truncate(const std::string& path, off_t size)
{
    ASSERT_EQ(truncate(path.c_str(), size), 0);
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    const QByteArray b = kel_test::ReadFile(QString::fromStdString(path));
    return std::vector<uint8_t>(b.begin(), b.end());
}

}  // namespace

TEST(PellomirPictureCopy, CopiesOneChannelAndSpan)
{
    kel_test::ScopedTimeZone tz("Europe/Berlin");
    TestDrives drives("E");
    recmedia::PictureLayout layout;
    layout.entriesPerBlock = 3;  // closed blocks and a block still being written
    recmedia::PictureIndexWriter writer(layout);
    const uint32_t t0 = kDay + 9 * 3600;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(writer.Add(Pic(3, t0 + 10 * i)));
    ASSERT_TRUE(writer.Add(Pic(4, t0 + 20)));
    ASSERT_TRUE(writer.Write(drives.Root('E')));

    const std::string dest = drives.NewFolder("out");
    ASSERT_EQ(Copy("E", t0 + 5, t0 + 35, 3, dest), 1);
    const std::vector<std::string> files = ListFiles(dest);
    // Entries 1 and 2 of the first block, entry 0 of the second.
    const std::vector<std::string> expected = {"ch03_2018-03-15 09-00-10(1).jpg", "ch03_2018-03-15 09-00-20(2).jpg",
                                               "ch03_2018-03-15 09-00-30(0).jpg"};
    EXPECT_EQ(files, expected);

    std::vector<uint8_t> want = Bytes(3, t0 + 20);
    want.resize(want.size() + 10, 0);  // the picture and the ten bytes after it
    EXPECT_EQ(ReadAll(dest + "/" + expected[1]), want);
    struct stat st;
    ASSERT_EQ(stat((dest + "/" + expected[1]).c_str(), &st), 0);
    struct tm local = {};
    local.tm_year = 118;
    local.tm_mon = 2;
    local.tm_mday = 15;
    local.tm_hour = 9;
    local.tm_min = 0;
    local.tm_sec = 20;
    local.tm_isdst = -1;
    EXPECT_EQ(st.st_mtime, mktime(&local));  // shows the recorder's clock time

    // The channel offset shifts the caller's channel.
    DVR_FILE_SetChannelOffSet(1);
    const std::string shifted = drives.NewFolder("shifted");
    EXPECT_EQ(Copy("E", t0, t0 + 60, 3, shifted), 1);
    DVR_FILE_SetChannelOffSet(0);
    EXPECT_EQ(ListFiles(shifted), std::vector<std::string>{"ch04_2018-03-15 09-00-20(0).jpg"});
}

TEST(PellomirPictureCopy, NamesByChannelTimeAndEntry)
{
    TestDrives drives("E");
    recmedia::PictureIndexWriter writer;
    const uint32_t first = kDay + 9 * 3600 + 29 * 60 + 58;
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(writer.Add(Pic(3, first + i)));
    ASSERT_TRUE(writer.Write(drives.Root('E')));
    const std::string dest = drives.NewFolder("out");
    ASSERT_EQ(Copy("E", first + 7, first + 100, 3, dest), 1);
    EXPECT_EQ(ListFiles(dest), std::vector<std::string>{"ch03_2018-03-15 09-30-05(7).jpg"});
}

// A picture reported copied is on the disk: the file is flushed, then the
// folder that got its name; a picture whose flush fails is no copy.
TEST(PellomirPictureCopy, ACopiedPictureIsOnTheDisk)
{
    TestDrives drives("E");
    recmedia::PictureIndexWriter writer;
    const uint32_t t0 = kDay + 10 * 3600;
    ASSERT_TRUE(writer.Add(Pic(2, t0)));
    ASSERT_TRUE(writer.Write(drives.Root('E')));
    const std::string dest = drives.NewFolder("durable");
    {
        kel_test::ScopedSaveCalls calls;
        ASSERT_EQ(Copy("E", t0, t0 + 1, 2, dest), 1);
        const std::string picture =
            kel_test::ScopedSaveCalls::Resolved(dest + "/ch02_2018-03-15 10-00-00(0).jpg");
        const int flushed = calls.Find("flush " + picture);
        ASSERT_GE(flushed, 0);
        EXPECT_GT(calls.Find("flush " + kel_test::ScopedSaveCalls::ResolvedFolder(dest), flushed), flushed);
    }
    const std::string failing = drives.NewFolder("flush fails");
    kel_test::ScopedSaveCalls calls;
    calls.FailFlushes(EIO);
    EXPECT_EQ(Copy("E", t0, t0 + 1, 2, failing), 0);
    EXPECT_TRUE(ListFiles(failing).empty());
}

// Two drives hold a picture of the same channel, second and entry: both are
// kept, and a file of that name from before stays as it was.
TEST(PellomirPictureCopy, PicturesOfTwoDrivesKeepEachOther)
{
    TestDrives drives("EF");
    const uint32_t t0 = kDay + 3600;
    for (char letter : {'E', 'F'}) {
        recmedia::PictureIndexWriter writer;
        recmedia::PictureSpec p = Pic(1, t0);
        p.bytes = Bytes(letter == 'E' ? 1 : 2, t0);
        ASSERT_TRUE(writer.Add(p));
        ASSERT_TRUE(writer.Write(drives.Root(letter)));
    }
    const std::string dest = drives.NewFolder("out");
    const std::string name = "ch01_2018-03-15 01-00-00(0)";
    const std::vector<uint8_t> earlier = {'o', 'l', 'd'};
    {
        std::ofstream f(dest + "/" + name + ".jpg", std::ios::binary);
        f.write(reinterpret_cast<const char*>(earlier.data()), static_cast<std::streamsize>(earlier.size()));
    }
    ASSERT_EQ(Copy("EF", t0 - 1, t0 + 1, 1, dest), 1);
    EXPECT_EQ(ListFiles(dest), (std::vector<std::string>{name + "(1).jpg", name + "(2).jpg", name + ".jpg"}));
    EXPECT_EQ(ReadAll(dest + "/" + name + ".jpg"), earlier);
    for (int k = 1; k <= 2; ++k) {
        std::vector<uint8_t> want = Bytes(k, t0);
        want.resize(want.size() + 10, 0);
        EXPECT_EQ(ReadAll(dest + "/" + name + "(" + std::to_string(k) + ").jpg"), want) << k;
    }
}

TEST(PellomirPictureCopy, ArgumentsAndDrives)
{
    TestDrives drives("EF");
    recmedia::PictureIndexWriter writer;
    const uint32_t t0 = kDay + 3600;
    ASSERT_TRUE(writer.Add(Pic(1, t0)));
    ASSERT_TRUE(writer.Write(drives.Root('E')));
    QFile::remove(QString::fromStdString(drives.Root('F') + "/QORWS"));
    const std::string dest = drives.NewFolder("out");
    const DVR_FILE_TIME s = At(t0 - 10), e = At(t0 + 10), same = At(t0);

    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 4, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 3, nullptr), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &same, &same, 1, 3, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 33, 3, dest.c_str()), 0);  // beyond layout 1
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);

    // Drives A and B are never read and leave no error.
    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("AB", &s, &e, 1, 3, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), 0u);
    // No marker on F: the disk still has a version (not 16); its marker does
    // not open (7) and, as nothing was copied from it, the copy of that drive
    // ends with 28. Beside a drive that copies, the 7 stays. E still copies.
    pellomir::SetLastErrorCode(0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("F", &s, &e, 1, 3, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_NO_MATCH);
    {
        pellomir::CCopyPicFileMgtImp<1> copier;
        const char* paths[2] = {"F:", "E:"};
        const std::string other = drives.NewFolder("other");
        EXPECT_EQ(copier.CopyByTime(paths, 2, &s, &e, 1, other.c_str(), 3), 1);
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);
        EXPECT_EQ(copier.CopiedCount(), 1u);
    }
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("AFE", &s, &e, 1, 3, dest.c_str()), 1);
    EXPECT_EQ(ListFiles(dest).size(), 1u);
    // Nothing in the span: 28.
    const DVR_FILE_TIME late = At(t0 + 100), later = At(t0 + 200);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &late, &later, 1, 3, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_NO_MATCH);
    // The type filter.
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 1, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 0, dest.c_str()), 1);

    // A disk version other than 1 and 2.
    pellomir::SetDiskVersionHook([](const char*) { return 3; });
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 3, dest.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_UNSUPPORTED);
    pellomir::SetDiskVersionHook(nullptr);

    // A destination too long for a path.
    const std::string longDest = dest + "/" + std::string(300, 'd');
    EXPECT_EQ(DVR_FILE_CopyPicFileByTime("E", &s, &e, 1, 3, longDest.c_str()), 0);
}

TEST(PellomirPictureCopy, SecondIndexCopyWhenFirstFails)
{
    TestDrives drives("E");
    recmedia::PictureIndexWriter writer;
    const uint32_t t0 = kDay + 7200;
    ASSERT_TRUE(writer.Add(Pic(2, t0)));
    ASSERT_TRUE(writer.Write(drives.Root('E')));
    const std::string first = drives.Root('E') + "/index00p.bin";
    const std::string second = drives.Root('E') + "/index01p.bin";
    Truncate(first, 32784 * 8 + 511);

    const std::string dest = drives.NewFolder("a");
    EXPECT_EQ(Copy("E", t0 - 1, t0 + 1, 2, dest), 1);
    EXPECT_EQ(ListFiles(dest).size(), 1u);

    // Neither copy passes its test: the index is not walked.
    Patch32(second, 508, 12345);  // checksum
    const std::string none = drives.NewFolder("b");
    EXPECT_EQ(Copy("E", t0 - 1, t0 + 1, 2, none), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_NO_MATCH);
    EXPECT_TRUE(ListFiles(none).empty());
    // Only one copy, valid.
    QFile::remove(QString::fromStdString(first));
    Patch32(second, 508, 0);
    recmedia::PictureIndexWriter again;
    ASSERT_TRUE(again.Add(Pic(2, t0)));
    ASSERT_TRUE(again.Write(drives.Root('E')));
    QFile::remove(QString::fromStdString(first));
    EXPECT_EQ(Copy("E", t0 - 1, t0 + 1, 2, drives.NewFolder("c")), 1);
}

TEST(PellomirPictureCopy, Version2Records)
{
    TestDrives drives("G", true, 2);
    recmedia::PictureLayout layout;
    layout.version = 2;
    layout.blockCount = 4;
    recmedia::PictureIndexWriter writer(layout);
    const uint32_t t0 = kDay + 10 * 3600;
    ASSERT_TRUE(writer.Add(Pic(40, t0, 1)));
    ASSERT_TRUE(writer.Add(Pic(40, t0 + 1, 20)));
    ASSERT_TRUE(writer.Add(Pic(40, t0 + 2, 7)));
    recmedia::PictureSpec multi = Pic(40, t0 + 3, 21);
    multi.subPictures = {{5, t0 + 3, Bytes(5, 1)}, {5, t0 + 3, Bytes(5, 2)}};
    ASSERT_TRUE(writer.Add(multi));
    ASSERT_TRUE(writer.Write(drives.Root('G')));

    const std::string dest = drives.NewFolder("out");
    ASSERT_EQ(Copy("G", t0, t0 + 10, 40, dest), 1);
    const std::vector<std::string> expected = {"ch40_2018-03-15 10-00-00(0).jpg", "ch40_2018-03-15 10-00-01(1).jpg",
                                               "ch40_2018-03-15 10-00-02(2).jpg"};
    EXPECT_EQ(ListFiles(dest), expected);
    std::vector<uint8_t> want = Bytes(40, t0);
    want.resize(want.size() + 10, 0);
    EXPECT_EQ(ReadAll(dest + "/" + expected[0]), want);
    // Two pictures of one channel and second keep both files.
    const std::vector<std::string> multiFiles = ListFiles(dest + "/832");
    ASSERT_EQ(multiFiles.size(), 2u);
    EXPECT_EQ(multiFiles[0], "ch05_2018-03-15 10-00-03(1).jpg");
    EXPECT_EQ(multiFiles[1], "ch05_2018-03-15 10-00-03.jpg");
    std::vector<uint8_t> firstSub = Bytes(5, 1);
    firstSub.resize(firstSub.size() + 10, 0);
    EXPECT_EQ(ReadAll(dest + "/832/" + multiFiles[1]), firstSub);
}

// Damaged media: every case must end without a crash or a read outside the
// buffers (run under AddressSanitizer), and never report what it did not copy.
TEST(PellomirPictureCopy, DamagedIndexAndSegments)
{
    const uint32_t t0 = kDay + 5 * 3600;
    struct Case {
        const char* name;
        int version;
        void (*damage)(const std::string& root);
        bool copies;  // whether the intact pictures still come out
    };
    const uint32_t descOff1 = 512;                      // descriptor 0, layout 1
    static const uint32_t entries1 = 512 + 8 * 16;      // block 0, layout 1
    static const uint32_t entries2 = 1280 + 4 * 32;     // block 0, layout 2
    (void)descOff1;
    const Case cases[] = {
        {"huge count", 1, [](const std::string& r) { Patch32(r + "/index00p.bin", 16, 0x7FFFFFFF); }, true},
        {"huge count both", 1,
         [](const std::string& r) {
             Patch32(r + "/index00p.bin", 16, 0x7FFFFFFF);
             Patch32(r + "/index01p.bin", 16, 0x7FFFFFFF);
         },
         false},
        {"first block out of range", 1,
         [](const std::string& r) {
             Patch32(r + "/index00p.bin", 20, 99);
             Patch32(r + "/index01p.bin", 20, 99);
         },
         false},
        {"descriptor block out of range", 1,
         [](const std::string& r) {
             Patch32(r + "/index00p.bin", 512, 5000);
             Patch32(r + "/index00p.bin", 512 + 16, 0x80000000u);
         },
         true},
        {"descriptor entry count huge", 1,
         [](const std::string& r) { Patch32(r + "/index00p.bin", 512 + 4, 0xFFFF0000u); }, true},
        {"entry end before start", 1,
         [](const std::string& r) { Patch32(r + "/index00p.bin", entries1 + 28, 0); }, true},
        {"entry longer than the buffer", 1,
         [](const std::string& r) { Patch32(r + "/index00p.bin", entries1 + 28, 0xFFFFFFF0u); }, true},
        {"short picture", 1, [](const std::string& r) { Truncate(r + "/pic00000.pic", 450); }, true},
        {"missing segment", 1, [](const std::string& r) { QFile::remove(QString::fromStdString(r + "/pic00000.pic")); },
         true},
        {"empty picture", 1,
         [](const std::string& r) {
             Patch32(r + "/index00p.bin", entries1 + 24, 0);
             Patch32(r + "/index00p.bin", entries1 + 28, 0);
         },
         true},
        {"multi count huge", 2, [](const std::string& r) { Patch32(r + "/pic00000.pic", 12, 0x7FFFFFFF); }, true},
        {"multi count negative", 2, [](const std::string& r) { Patch32(r + "/pic00000.pic", 12, 0x80000000u); },
         true},
        {"multi sub length huge", 2, [](const std::string& r) { Patch32(r + "/pic00000.pic", 4092, 0xFFFFFFFFu); },
         true},
        {"record header cut", 2, [](const std::string& r) { Truncate(r + "/pic00000.pic", 100); }, true},
        {"type 1 lengths huge", 2,
         [](const std::string& r) {
             Patch32(r + "/index00p.bin", entries2 + 80, 1);  // entry 1 becomes type 1
             Patch32(r + "/index00p.bin", entries2 + 80 + 40, 0);
         },
         true},
        {"truncated index", 2, [](const std::string& r) { Truncate(r + "/index00p.bin", 2000); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDrives drives("E", true, c.version);
        recmedia::PictureLayout layout;
        layout.version = c.version;
        layout.blockCount = c.version == 1 ? 8 : 4;
        layout.entriesPerBlock = 2;
        recmedia::PictureIndexWriter writer(layout);
        if (c.version == 2) {
            recmedia::PictureSpec multi = Pic(1, t0, 21);
            multi.subPictures = {{1, t0, Bytes(1, 1)}, {1, t0, Bytes(1, 2)}};
            ASSERT_TRUE(writer.Add(multi));
            ASSERT_TRUE(writer.Add(Pic(1, t0 + 1, 20)));
        } else {
            ASSERT_TRUE(writer.Add(Pic(1, t0)));
            ASSERT_TRUE(writer.Add(Pic(1, t0 + 1)));
        }
        ASSERT_TRUE(writer.Add(Pic(1, t0 + 2)));  // a second block, still being written
        ASSERT_TRUE(writer.Write(drives.Root('E')));
        c.damage(drives.Root('E'));
        const std::string dest = drives.NewFolder("out");
        const int32_t result = Copy("E", t0 - 5, t0 + 5, 1, dest);
        const size_t written = ListFiles(dest).size() + ListFiles(dest + "/832").size();
        EXPECT_EQ(result == 1, written > 0);
        EXPECT_EQ(result == 1, c.copies);
    }
}
