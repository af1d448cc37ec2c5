// SPDX-License-Identifier: GPL-3.0-or-later
// The sample-media generator: deterministic media and the command line.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QProcess>

#include "kel_test/test_support.h"
#include "merrowfen.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace {

// Relative path -> bytes of every file below a folder.
std::map<QString, QByteArray> Snapshot(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(root).relativeFilePath(path)] = kel_test::ReadFile(path);
    }
    return files;
}

recmedia::MediaSpec SmallSpec(const QString& out, uint32_t seed) {
    recmedia::MediaSpec spec;
    spec.outDir = out.toStdString();
    spec.channels = 2;
    spec.days = 2;
    spec.perDay = 2;
    spec.seconds = 4;
    spec.seed = seed;
    spec.fast = true;
    return spec;
}

TEST(MediaGen, SameSeedGivesTheSameMediumBothFamilies) {
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        const QString base = kel_test::ProgramFolder() + "/f" + QString::number(family);
        std::string error;
        recmedia::MediaSpec a = SmallSpec(base + "/a", 7), b = SmallSpec(base + "/b", 7), c = SmallSpec(base + "/c", 8);
        a.family = b.family = c.family = family;
        recmedia::MediumInfo info;
        ASSERT_TRUE(recmedia::WriteMedium(a, &info, &error)) << error;
        ASSERT_TRUE(recmedia::WriteMedium(b, &error)) << error;
        ASSERT_TRUE(recmedia::WriteMedium(c, &error)) << error;
        const auto sa = Snapshot(base + "/a"), sb = Snapshot(base + "/b"), sc = Snapshot(base + "/c");
        EXPECT_EQ(info.recordings.size(), 8u);
        EXPECT_GT(info.pictures, 0u);
        EXPECT_GT(info.vehicleSamples, 0u);
        EXPECT_TRUE(sa.count("QORWS") && sa.count("devlog.qrl") && sa.count("events.qre") && sa.count("index00p.bin") &&
                    sa.count("vehinfo1.veh") && sa.count("vehseg2.veh"));
        EXPECT_EQ(sa.count("QORAUTO"), family == 1 ? 1u : 0u);
        EXPECT_TRUE(sa == sb);
        EXPECT_FALSE(sa == sc);
    }
}

// Besides one picture per recording, every other driver-behaviour alarm
// gets a picture of its own inside its span.
TEST(MediaGen, AlarmsGetPicturesInsideTheirSpans) {
    recmedia::MediaSpec spec = SmallSpec(kel_test::ProgramFolder() + "/alarms", 3);
    spec.seconds = 30;
    spec.perDay = 4;
    recmedia::MediumInfo info;
    std::string error;
    ASSERT_TRUE(recmedia::WriteMedium(spec, &info, &error)) << error;
    size_t behaviour = 0, own = 0;
    for (const merrowfen_disk::EventEntry& e : info.events) {
        if (e.majorType != HD_EXTRA_MAJOR_DRIVER_BEHAVIOR) continue;
        ASSERT_LT(e.start, e.end);
        // A picture at e.start + 1 lies inside [start, end]; it is the
        // recording's own picture when the alarm starts with the recording.
        bool recordingShot = false;
        for (const auto& r : info.recordings)
            recordingShot = recordingShot || (r.channel == e.channel && r.start == e.start);
        if (behaviour++ % 2 == 0 && !recordingShot) ++own;
    }
    ASSERT_GT(behaviour, 0u);
    ASSERT_GT(own, 0u);
    EXPECT_EQ(info.pictures, info.recordings.size() + own);
}

TEST(MediaGen, RefusesBadSpecs) {
    struct Case {
        const char* what;
        void (*change)(recmedia::MediaSpec&);
    };
    const Case cases[] = {
        {"family", [](recmedia::MediaSpec& s) { s.family = 3; }},
        {"channels", [](recmedia::MediaSpec& s) { s.channels = 0; }},
        {"date", [](recmedia::MediaSpec& s) { s.startDate = "2024-02-30"; }},
        {"seconds", [](recmedia::MediaSpec& s) { s.seconds = 0; }},
        {"no folder", [](recmedia::MediaSpec& s) { s.outDir.clear(); }},
        {"picture layout 3", [](recmedia::MediaSpec& s) { s.picVersion = 3; }},
        {"picture layout 0", [](recmedia::MediaSpec& s) { s.picVersion = 0; }},
        {"gap", [](recmedia::MediaSpec& s) { s.gap = 2147483647; }},
        {"first second", [](recmedia::MediaSpec& s) { s.firstSecond = 86400; }},
        {"JPEG size", [](recmedia::MediaSpec& s) { s.pictureWidth = 0; }},
        {"drive letter", [](recmedia::MediaSpec& s) { s.driveTable = "t.txt"; s.letter = '1'; }},
        {"drive number", [](recmedia::MediaSpec& s) { s.driveTable = "t.txt"; s.physicalDrive = -1; }},
    };
    for (const Case& c : cases) {
        recmedia::MediaSpec spec = SmallSpec(kel_test::ProgramFolder() + "/x", 1);
        c.change(spec);
        std::string error;
        EXPECT_FALSE(recmedia::WriteMedium(spec, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_FALSE(QDir(kel_test::ProgramFolder() + "/x").exists()) << c.what;  // refused before writing
    }
}

// Every numeric option is checked: a value out of range or not a number is
// refused with a message naming it, and nothing is written.
TEST(MediaGen, CommandLineRefusesValuesOutOfRange) {
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"--pic-version", "3"}, "picture-index layout must be 1 or 2"},
        {{"--family", "0"}, "family must be 1 or 2"},
        {{"--channels", "65"}, "channels must be 1..64"},
        {{"--days", "0"}, "days must be 1..3660"},
        {{"--per-day", "-1"}, "recordings per day must be 0..86400"},
        {{"--seconds", "86400"}, "seconds must be 1..86399"},
        {{"--first-second", "-5"}, "first second must be 0..86399"},
        {{"--gap", "99999999"}, "gap must be 0..86399"},
        {{"--size", "8x8"}, "picture size must be"},
        {{"--size", "352x288junk"}, "bad value for --size"},
        {{"--picture-size", "5000x10"}, "size of the JPEG pictures must be"},
        {{"--drive-table", "t.txt", "--drive", "100"}, "physical drive number must be 0..99"},
        {{"--seed", "-1"}, "bad value for --seed"},
        {{"--channels", "99999999999"}, "bad value for --channels"},
        {{"--letter", "7"}, "bad value for --letter"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--days"}, "--days needs a value"},
    };
    const QString exe = kel_test::BinaryDir() + "/bin/kel-mediagen";
    for (const Case& c : cases) {
        const QString out = kel_test::ProgramFolder() + "/refused";
        QProcess p;
        p.setWorkingDirectory(kel_test::ProgramFolder());
        p.start(exe, QStringList{"--out", out, "--fast"} + c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_NE(p.exitCode(), 0) << c.args.join(' ').toStdString();
        EXPECT_TRUE(err.contains(c.says)) << c.args.join(' ').toStdString() << ": " << err.toStdString();
        EXPECT_FALSE(QDir(out).exists()) << c.args.join(' ').toStdString();
    }
}

TEST(MediaGen, CommandLineWritesMediumAndDriveTable) {
    const QString exe = kel_test::BinaryDir() + "/bin/kel-mediagen";
    const QString out = kel_test::ProgramFolder() + "/m";
    const QString table = kel_test::ProgramFolder() + "/drives.txt";
    QProcess p;
    p.start(exe, {"--out", out, "--family", "2", "--channels", "3", "--days", "1", "--per-day", "2", "--seconds", "3",
                  "--start", "2023-12-31", "--seed", "5", "--fast", "--pic-version", "2", "--drive-table", table,
                  "--letter", "H", "--drive", "4"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(out + "/record/20231231/index.qri"));

    kel_test::ScopedEnv env("KEL_DRIVES", table.toStdString());
    wincompat::ReloadDriveTable();
    EXPECT_EQ(QDir(QString::fromStdString(wincompat::MapPath("H:\\"))).canonicalPath(), QDir(out).canonicalPath());
    EXPECT_EQ(HD_GetDiskVersion("H:"), 2);
    const HD_FILE_TIME s{2023, 12, 31, 0, 0, 0}, e{2023, 12, 31, 23, 59, 59};
    const int h = HD_FILE_FindFile("\\\\.\\PHYSICALDRIVE4", -1, HD_FILE_TYPE_ALL, &s, &e);
    ASSERT_GE(h, 0);
    HD_FIND_FILE_RECORD r;
    int n = 0;
    while (HD_FILE_FindNextFile(h, &r)) ++n;
    EXPECT_EQ(n, 6);
    HD_FILE_FindClose(h);
    kel_test::ScopedEnv none("KEL_DRIVES", "");
    wincompat::ReloadDriveTable();

    QProcess bad;
    bad.start(exe, {"--out", out, "--channels", "many"});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 2);
}

}  // namespace
