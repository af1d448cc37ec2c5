// SPDX-License-Identifier: GPL-3.0-or-later
// A recorder card mounted on this machine the ways a PC mounts one, without a
// drive-table file: an ext4 image loop-mounted below /mnt, and a FAT32 image
// through a file system in user space. Each is a disk of the search panel
// after Refresh, with its letter, and its recordings are found; once taken
// out and refreshed, it goes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

#include "SearchBar/SearchBarGlobals.h"
#include "SearchBar/SearchBarWidget.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "kel_test/test_support.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"

namespace {

const QDate kDay(2024, 3, 1);

// Runs a program; its output when it fails.
bool RunProgram(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

QString Missing(const QStringList& programs) {
    for (const QString& p : programs)
        if (QStandardPaths::findExecutable(p).isEmpty() &&
            QStandardPaths::findExecutable(p, {"/sbin", "/usr/sbin"}).isEmpty())
            return p;
    return QString();
}

// A folder below /mnt for the test's mount, unmounted and removed at the end.
class MountPoint {
public:
    MountPoint() : path(QString("/mnt/kel-card-%1").arg(getpid())) { QDir().mkpath(path); }
    ~MountPoint() {
        Unmount();
        QDir().rmdir(path);
    }
    void Unmount() {
        while (IsMounted()) {
            if (!RunProgram("umount", {path}) && !RunProgram("umount", {"-l", path})) break;
        }
    }
    bool IsMounted() const {
        for (const auto& l : wincompat::ReadSystemDriveTable().letters)
            if (l.path == path.toStdString()) return true;
        return false;
    }
    const QString path;
};

// The panel's box of the disk that holds the letter mounted at `folder`:
// "Disk N|<letter>:\"; empty when none.
QString BoxOf(const SearchBarWidget& panel, const QString& folder, char* letterOut) {
    for (const auto& l : wincompat::CurrentDriveTable().letters) {
        if (l.path != folder.toStdString()) continue;
        *letterOut = l.letter;
        for (const auto* box : panel.diskCheckBoxes())
            if (box->text() == QString("Disk %1").arg(l.disk)) return box->text() + "|" + box->toolTip();
    }
    return QString();
}

// Ticks only the card's box, searches the day and returns the disks the
// results came from.
QStringList SearchCard(SearchBarWidget& panel, const QString& boxText) {
    for (auto* box : panel.diskCheckBoxes()) box->setChecked(box->text() == boxText);
    panel.form()->searchRangeDateTimeEdit->SetDateRange(kDay, kDay);
    panel.form()->btnSearchRecord->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return panel.form()->btnSearchRecord->isEnabled() && panel.form()->stackedWidget->currentIndex() != 2; },
        180000));
    // Per channel: the disk its recordings came from and their count.
    QStringList disks;
    for (const ChannelFiles* r : panel.getSearchResults()) {
        QSet<QString> from;
        for (const auto* f : r->SingleFileList) from << QString::fromStdString(f->DiskName);
        disks << QStringList(from.values()).join(',') + QString(":%1").arg(r->SingleFileList.size());
    }
    return disks;
}

// Writes a day of recordings of two channels onto a mounted card.
void WriteMedia(const QString& root) {
    recmedia::MediaSpec spec;
    spec.outDir = root.toStdString();
    spec.family = 2;
    spec.channels = 2;
    spec.perDay = 2;
    spec.seconds = 20;
    spec.fast = true;
    spec.logs = spec.events = spec.vehicleFiles = spec.pictures = false;
    std::string error;
    ASSERT_TRUE(recmedia::WriteMedium(spec, &error)) << error;
}

// Refresh lists the card mounted at `mount` as a disk with its letter, and a
// search of that disk alone finds both channels' recordings on it.
void ExpectListedAndSearched(SearchBarWidget& panel, const QString& mount) {
    panel.form()->reloadDiskBtn->click();
    char letter = 0;
    const QString box = BoxOf(panel, mount, &letter);
    ASSERT_FALSE(box.isEmpty()) << "the card at " << mount.toStdString() << " is not listed";
    const QString drive = QString("%1:\\").arg(letter);
    EXPECT_TRUE(box.endsWith("|" + drive)) << box.toStdString();
    EXPECT_EQ(SearchCard(panel, box.section('|', 0, 0)), (QStringList{drive + ":2", drive + ":2"}));
}

class RealMounts : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "mounting needs the super-user";
        const QString missing = Missing({"mkfs.ext4", "mkfs.vfat", "mount", "umount", "fusefat", "fusermount"});
        if (!missing.isEmpty()) GTEST_SKIP() << missing.toStdString() << " is not installed";
        if (!QFileInfo::exists("/dev/fuse") || !QFileInfo::exists("/dev/loop-control"))
            GTEST_SKIP() << "no /dev/fuse or loop devices on this machine";
        ASSERT_TRUE(qgetenv("KEL_DRIVES").isEmpty());
        image = kel_test::ProgramFolder() + "/card.img";
        QString out;
        ASSERT_TRUE(RunProgram("truncate", {"-s", "64M", image}, &out)) << out.toStdString();
    }
    void TearDown() override { g_diskSearchMode = 0; }

    QString image;
    ziraz::ScopedDialogPresenter dialogs{[](const ziraz::DialogCall&) -> std::optional<int> { return 0; }};
};

// An ext4 image loop-mounted below /mnt, listed after the panel was made;
// taken out, it goes at the next Refresh.
TEST_F(RealMounts, LoopMountedCardIsADiskAndSearched) {
    QString out;
    ASSERT_TRUE(RunProgram("mkfs.ext4", {"-q", "-F", image}, &out)) << out.toStdString();
    SearchBarWidget panel;
    MountPoint mount;
    if (!RunProgram("mount", {"-o", "loop", image, mount.path}, &out))
        GTEST_SKIP() << "this machine cannot loop-mount an image: " << out.toStdString();
    WriteMedia(mount.path);
    ExpectListedAndSearched(panel, mount.path);

    mount.Unmount();
    ASSERT_FALSE(mount.IsMounted());
    panel.form()->reloadDiskBtn->click();
    char letter = 0;
    EXPECT_TRUE(BoxOf(panel, mount.path, &letter).isEmpty());
}

// A FAT32 card image mounted through a file system in user space.
TEST_F(RealMounts, FuseMountedFatCardIsADiskAndSearched) {
    QString out;
    ASSERT_TRUE(RunProgram("mkfs.vfat", {"-F", "32", "-n", "RECORDER", image}, &out)) << out.toStdString();
    SearchBarWidget panel;
    MountPoint mount;
    if (!RunProgram("fusefat", {"-o", "rw+", image, mount.path}, &out))
        GTEST_SKIP() << "this machine cannot mount a file system in user space: " << out.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return mount.IsMounted(); }, 30000));
    WriteMedia(mount.path);
    ExpectListedAndSearched(panel, mount.path);
}

}  // namespace
