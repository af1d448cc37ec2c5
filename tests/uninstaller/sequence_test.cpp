// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QDirIterator>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "InstallProcessMgr.h"
#include "InstallManifest.h"
#include "TreeRemover.h"
#include "kel_test/test_support.h"
#include "uninstall_fixture.h"

using appinstaller::AppConfig;
using appinstaller::InstallProcessMgr;
using appinstaller::UninstallRegistry;
using appinstaller::UninstallReport;

namespace {

using Steps = std::vector<std::pair<int, QString>>;

const Steps kCompleteSteps = {{0, "BeganToUnloadWkJrSaJaAq"},
                              {30, "DeleteShortcutULXVgdVTs"},
                              {60, "ClearTheRegistryeuyqTkYHjj"},
                              {100, "Uninstalled"}};

// Fails the removal of every entry with a given name, as a file held open by
// another program would on other systems.
class LockingRemover : public appinstaller::TreeRemover {
public:
    explicit LockingRemover(std::string name) : m_name(std::move(name)) {}

protected:
    int removeEntry(int dirFd, const std::string& name, bool isDir) override {
        if (name == m_name) return EBUSY;
        return TreeRemover::removeEntry(dirFd, name, isDir);
    }

private:
    std::string m_name;
};

class UninstallSequence : public ::testing::Test {
protected:
    void TearDown() override { InstallProcessMgr::instance()->setRemover(nullptr); }

    UninstallReport Run(const AppConfig& config, Steps* steps) {
        InstallProcessMgr* mgr = InstallProcessMgr::instance();
        auto c = QObject::connect(mgr, &InstallProcessMgr::signalProcess, mgr,
                                  [steps](int p, QString text) { steps->emplace_back(p, text); },
                                  Qt::DirectConnection);
        UninstallReport report = mgr->UnInstall(config);
        QObject::disconnect(c);
        return report;
    }

    static bool Exists(const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); }

    static void ExpectShortcutsGone(const uninstall_test::FakeInstall& in) {
        const QString ch = QString::fromUtf8("\xe5\xae\xa2\xe6\x88\xb7\xe7\xab\xaf");
        for (const QString& p : {in.base + "/desktop/KEL.desktop", in.base + "/desktop/" + ch + ".desktop",
                                 in.base + "/public/KEL4.0.desktop", in.base + "/apps/KEL", in.base + "/apps/" + ch})
            EXPECT_FALSE(Exists(p)) << p.toStdString();
        // The user's own files and the folders themselves stay.
        EXPECT_TRUE(Exists(in.base + "/desktop/notes.txt"));
        EXPECT_TRUE(Exists(in.base + "/apps/other.desktop"));
    }
};

TEST_F(UninstallSequence, RemovesFolderShortcutsAndEntryWithoutFollowingLinks) {
    uninstall_test::FakeInstall install;
    const QString outside = install.base + "/outside";
    kel_test::WriteFile(outside + "/keep.txt", "keep");
    kel_test::WriteFile(outside + "/dir/inner.txt", "keep");
    // Links the installation put in place: each goes as a link.
    using Kind = appinstaller::InstallManifest::Kind;
    ASSERT_TRUE(QFile::link(outside + "/keep.txt", install.installDir + "/link-to-file"));
    ASSERT_TRUE(QFile::link(outside + "/dir", install.installDir + "/bin/link-to-dir"));
    ASSERT_TRUE(QFile::link(outside + "/gone", install.installDir + "/dangling"));
    for (const char* link : {"link-to-file", "bin/link-to-dir", "dangling"}) install.record(Kind::File, link);
    // A desktop shortcut that is a link to this installation's entry: the
    // link goes, its target stays.
    QFile::remove(install.base + "/desktop/KEL.desktop");
    ASSERT_TRUE(sysinstall::WriteShortcut(outside + "/KEL.desktop", "KEL", install.installDir + "/bin/KEL"));
    ASSERT_TRUE(QFile::link(outside + "/KEL.desktop", install.base + "/desktop/KEL.desktop"));

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);

    EXPECT_TRUE(report.ok()) << report.failures.join('\n').toStdString();
    EXPECT_EQ(steps, kCompleteSteps);
    EXPECT_FALSE(Exists(install.installDir));
    EXPECT_TRUE(Exists(install.base + "/opt"));
    EXPECT_EQ(kel_test::ReadFile(outside + "/keep.txt"), "keep");
    EXPECT_EQ(kel_test::ReadFile(outside + "/dir/inner.txt"), "keep");
    EXPECT_TRUE(Exists(outside + "/KEL.desktop"));
    ExpectShortcutsGone(install);
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(install.config->GetGUID()));
}

// The record names what the installation made; anything else in its folders
// (another program's files, the user's saved videos and pictures) stays, and
// so do the folders that hold it.
TEST_F(UninstallSequence, OnlyWhatTheInstallationMadeIsRemoved) {
    uninstall_test::FakeInstall install;
    using Kind = appinstaller::InstallManifest::Kind;
    for (const char* folder : {"output", "output/Download", "output/Capture", "Target"}) {
        QDir().mkpath(install.installDir + "/" + folder);
        install.record(folder == QString("Target") ? Kind::WorkFolder : Kind::Folder, folder);
    }
    install.record(Kind::WorkFile, "DESetup.xml");
    install.record(Kind::WorkFile, "SearchedFile.xml");  // never made: skipped
    kel_test::WriteFile(install.installDir + "/DESetup.xml", "made by the program");
    kel_test::WriteFile(install.installDir + "/Target/pic00001.jpg", "working copy");
    const QByteArray video("\x00\x00\x00\x18" "ftypmp42 recorded video", 27);
    const struct {
        QString path;
        QByteArray bytes;
    } foreign[] = {
        {install.installDir + "/output/Download/ch01_20240301.mp4", video},
        {install.installDir + "/other-program/tool", "another program"},
        {install.installDir + "/bin/notes.txt", "the user's notes"},
    };
    for (const auto& f : foreign) ASSERT_TRUE(kel_test::WriteFile(f.path, f.bytes));

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);

    EXPECT_TRUE(report.ok()) << report.failures.join('\n').toStdString();
    EXPECT_EQ(steps, kCompleteSteps);
    for (const auto& f : foreign) EXPECT_EQ(kel_test::ReadFile(f.path), f.bytes) << f.path.toStdString();
    EXPECT_EQ(report.kept, (QStringList{install.installDir + "/output/Download", install.installDir + "/bin",
                                        install.installDir + "/output", install.installDir}));
    QStringList left;
    QDirIterator it(install.installDir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) left << QDir(install.installDir).relativeFilePath(it.next());
    left.sort();
    EXPECT_EQ(left, (QStringList{"bin", "bin/notes.txt", "other-program", "other-program/tool", "output",
                                 "output/Download", "output/Download/ch01_20240301.mp4"}));
    ExpectShortcutsGone(install);
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(install.config->GetGUID()));
}

// A listed path that now leads through a link, or that names a folder where
// a file was installed, is not what the installation made: nothing is removed
// through it.
TEST_F(UninstallSequence, ListedPathsAreNotFollowedThroughLinks) {
    uninstall_test::FakeInstall install;
    using Kind = appinstaller::InstallManifest::Kind;
    const QString outside = install.base + "/outside";
    kel_test::WriteFile(outside + "/inner.txt", "keep");
    kel_test::WriteFile(outside + "/Target/keep.jpg", "keep");
    ASSERT_TRUE(QFile::link(outside, install.installDir + "/maps"));
    ASSERT_TRUE(QFile::link(outside + "/Target", install.installDir + "/map/Target"));
    install.record(Kind::File, "maps/inner.txt");
    install.record(Kind::WorkFolder, "map/Target");
    QFile::remove(install.installDir + "/bin/KEL");
    kel_test::WriteFile(install.installDir + "/bin/KEL/user.txt", "a folder now");

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);
    EXPECT_TRUE(report.ok()) << report.failures.join('\n').toStdString();
    EXPECT_EQ(kel_test::ReadFile(outside + "/inner.txt"), "keep");
    EXPECT_EQ(kel_test::ReadFile(outside + "/Target/keep.jpg"), "keep");
    EXPECT_TRUE(QFileInfo(install.installDir + "/maps").isSymLink());
    EXPECT_FALSE(Exists(install.installDir + "/map/Target"));  // the link went, not what it names
    EXPECT_EQ(kel_test::ReadFile(install.installDir + "/bin/KEL/user.txt"), "a folder now");
    EXPECT_FALSE(Exists(install.installDir + "/bin/uninstaller"));
    EXPECT_FALSE(Exists(install.installDir + "/AppConfig.xml"));
}

// Without a usable record nothing in the folder is the installation's for
// sure: nothing at all is removed (files, menu entries, uninstall entry), the
// report says why, and the installation stays registered, so a second run
// finds it and says the same.
TEST_F(UninstallSequence, NoUsableRecordRemovesNothing) {
    const struct {
        const char* name;
        QByteArray manifest;  // empty: no record at all
        const char* reason;
    } cases[] = {
        {"missing", QByteArray(), "InstallManifest.txt is missing"},
        {"outside", "file\t../outside.txt\n", "InstallManifest.txt: line 1 cannot be understood"},
        {"absolute", "file\t/etc/passwd\n", "InstallManifest.txt: line 1 cannot be understood"},
        {"package", "package\tkel\nfile\tbin/KEL\n", "installed by the package manager (package kel)"},
    };
    for (const auto& c : cases) {
        uninstall_test::FakeInstall install(QString("{G-%1}").arg(c.name));
        const QString record = appinstaller::InstallManifest::PathIn(install.installDir);
        QFile::remove(record);
        if (!c.manifest.isEmpty()) kel_test::WriteFile(record, c.manifest);
        kel_test::WriteFile(install.base + "/outside.txt", "keep");

        for (int run = 0; run < 2; ++run) {
            Steps steps;
            const UninstallReport report = Run(*install.config, &steps);
            ASSERT_EQ(report.failures.size(), 1) << c.name;
            EXPECT_TRUE(report.nothingRemoved) << c.name;
            EXPECT_TRUE(report.failures[0].startsWith(install.installDir + ": ")) << report.failures[0].toStdString();
            EXPECT_TRUE(report.failures[0].contains(c.reason)) << report.failures[0].toStdString();
            EXPECT_TRUE(report.failures[0].endsWith("; nothing was removed")) << report.failures[0].toStdString();
            EXPECT_EQ(steps, (Steps{{0, "BeganToUnloadWkJrSaJaAq"}, {100, "Nothing was removed"}})) << c.name;
            EXPECT_TRUE(Exists(install.installDir + "/bin/KEL")) << c.name;
            EXPECT_TRUE(Exists(install.installDir + "/AppConfig.xml")) << c.name;
            EXPECT_EQ(kel_test::ReadFile(install.base + "/outside.txt"), "keep");
            for (const QString& entry : {install.base + "/apps/KEL/KEL.desktop", install.base + "/desktop/KEL.desktop",
                                         install.base + "/public/KEL4.0.desktop"})
                EXPECT_TRUE(Exists(entry)) << c.name << " " << entry.toStdString();
            EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(install.config->GetGUID())) << c.name;
        }
    }
}

// Two installations side by side: each one's uninstall leaves the other's
// files, menu entries and registry entry.
TEST_F(UninstallSequence, AnotherInstallationSideBySideStays) {
    uninstall_test::FakeInstall first("{G-first}", "KEL", "KEL");
    uninstall_test::FakeInstall second("{G-second}", "KEL (2)", "KEL (2)");
    // An entry of the second installation that ended up in the first one's
    // menu folder (as an older register step put every installation there).
    const QString shared = first.base + "/apps/KEL/KEL-second.desktop";
    ASSERT_TRUE(sysinstall::WriteShortcut(shared, "KEL", second.installDir + "/bin/KEL"));

    Steps steps;
    const UninstallReport report = Run(*first.config, &steps);
    EXPECT_TRUE(report.ok()) << report.failures.join('\n').toStdString();
    EXPECT_FALSE(Exists(first.installDir));
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled("{G-first}"));
    EXPECT_FALSE(Exists(first.base + "/apps/KEL/KEL.desktop"));
    EXPECT_TRUE(Exists(shared));
    EXPECT_TRUE(Exists(second.base + "/apps/KEL (2)/KEL.desktop"));
    EXPECT_TRUE(Exists(second.installDir + "/bin/KEL"));
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled("{G-second}"));
    EXPECT_EQ(UninstallRegistry::instance()->InstallLocation("{G-second}"), second.installDir.toStdString());
}

TEST_F(UninstallSequence, ReportsEveryStepWhenNothingIsLeftToRemove) {
    uninstall_test::FakeInstall install;
    QDir(install.installDir).removeRecursively();
    QDir(install.base + "/desktop").removeRecursively();
    QDir(install.base + "/apps").removeRecursively();
    QDir(install.base + "/public").removeRecursively();

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);
    EXPECT_TRUE(report.ok()) << report.failures.join('\n').toStdString();
    EXPECT_EQ(steps, kCompleteSteps);
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(install.config->GetGUID()));
}

TEST_F(UninstallSequence, UnremovableFileIsReportedAndTheRestGoes) {
    uninstall_test::FakeInstall install;
    InstallProcessMgr::instance()->setRemover(std::make_shared<LockingRemover>("uninstaller"));

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);

    ASSERT_EQ(report.failures.size(), 1) << report.failures.join('\n').toStdString();
    EXPECT_TRUE(report.failures[0].startsWith(install.installDir + "/bin/uninstaller: "))
        << report.failures[0].toStdString();
    EXPECT_TRUE(Exists(install.installDir + "/bin/uninstaller"));
    EXPECT_FALSE(Exists(install.installDir + "/bin/KEL"));
    EXPECT_FALSE(Exists(install.installDir + "/translations"));
    EXPECT_FALSE(Exists(install.installDir + "/AppConfig.xml"));
    ExpectShortcutsGone(install);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps.back(), std::make_pair(100, QString("NotEverythingWasRemovedHxQpLm")));
}

// Sets the immutable flag of a file for the lifetime of the object.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& path) : m_path(QFile::encodeName(path)) { m_set = setFlag(true); }
    ~ImmutableFile() {
        if (m_set) setFlag(false);
    }
    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on) {
        const int fd = open(m_path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
        return ok;
    }
    QByteArray m_path;
    bool m_set = false;
};

TEST_F(UninstallSequence, FileTheSystemRefusesToRemoveIsReported) {
    uninstall_test::FakeInstall install;
    const QString locked = install.installDir + "/bin/KEL";
    ImmutableFile guard(locked);
    if (!guard.isSet()) GTEST_SKIP() << "the file system or the user cannot mark files unremovable here";
    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);
    ASSERT_EQ(report.failures.size(), 1) << report.failures.join('\n').toStdString();
    EXPECT_TRUE(report.failures[0].startsWith(locked + ": "));
    EXPECT_TRUE(Exists(locked));
    EXPECT_FALSE(Exists(install.installDir + "/bin/uninstaller"));
    EXPECT_EQ(steps.back().second, "NotEverythingWasRemovedHxQpLm");
}

TEST_F(UninstallSequence, InstallFolderChecks) {
    uninstall_test::FakeInstall install("{G-A}");
    const AppConfig& config = *install.config;
    const QString other = install.base + "/other";
    kel_test::WriteFile(other + "/AppConfig.xml", uninstall_test::ConfigXml("{G-B}", "KEL", "x"));
    const QString bare = install.base + "/bare";
    kel_test::WriteFile(bare + "/data.bin", "x");
    const QString linkedMarker = install.base + "/linked-marker";
    QDir().mkpath(linkedMarker);
    QFile::link(install.installDir + "/AppConfig.xml", linkedMarker + "/AppConfig.xml");
    const QString linkedFolder = install.base + "/linked-folder";
    QFile::link(install.installDir, linkedFolder);

    const struct {
        QString location;
        bool removable;
    } cases[] = {
        {install.installDir, true},
        {install.installDir + "/bin/../", true},
        {QString(), false},
        {"opt/KEL", false},
        {"/", false},
        {QDir::homePath(), false},
        {QFileInfo(QDir::homePath()).absolutePath(), false},
        {other, false},
        {bare, false},
        {linkedMarker, false},
        {linkedFolder, false},
        {install.installDir + "/bin/KEL", false},
    };
    for (const auto& c : cases) {
        QString reason;
        EXPECT_EQ(InstallProcessMgr::IsRemovableInstallFolder(c.location, config, &reason), c.removable)
            << c.location.toStdString();
        EXPECT_EQ(reason.isEmpty(), c.removable) << c.location.toStdString();
    }
}

TEST_F(UninstallSequence, FolderOfAnotherInstallationIsLeftAndReported) {
    uninstall_test::FakeInstall install("{G-A}");
    const QString foreign = install.base + "/foreign";
    kel_test::WriteFile(foreign + "/precious.txt", "mine");
    install.setRegistry("{G-A}", foreign);

    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);
    EXPECT_EQ(kel_test::ReadFile(foreign + "/precious.txt"), "mine");
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures[0].startsWith(foreign + ": "));
    EXPECT_TRUE(report.nothingRemoved);
    EXPECT_EQ(steps.size(), 2u);
    // Nothing else goes either: the entry stays, so the installation can be
    // found again once its folder is put right.
    EXPECT_TRUE(Exists(install.base + "/desktop/KEL.desktop"));
    EXPECT_TRUE(Exists(install.base + "/apps/KEL/KEL.desktop"));
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled("{G-A}"));
}

TEST_F(UninstallSequence, NoInstallLocationRemovesNoFolder) {
    uninstall_test::FakeInstall install;
    const std::string guid = install.config->GetGUID();
    UninstallRegistry::instance()->ClearKey(guid);
    install.setRegistry(guid, QString());  // entry without "InstallLocation"

    const QString work = install.base + "/work";
    kel_test::WriteFile(work + "/file.txt", "stay");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work));
    Steps steps;
    const UninstallReport report = Run(*install.config, &steps);
    QDir::setCurrent(before);

    EXPECT_EQ(kel_test::ReadFile(work + "/file.txt"), "stay");
    EXPECT_TRUE(Exists(install.installDir + "/bin/KEL"));
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures[0].contains("no install location")) << report.failures[0].toStdString();
    EXPECT_EQ(steps.size(), 2u);
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(guid));
}

TEST_F(UninstallSequence, ShortcutNamesCannotReachOutsideTheirFolders) {
    uninstall_test::FakeInstall install;
    const QString path = install.base + "/odd.xml";
    for (const auto& names : {std::make_pair(QString(".."), QString("")), std::make_pair(QString("."), QString("a/..")),
                              std::make_pair(QString("../apps"), QString("\\.."))}) {
        kel_test::WriteFile(path, uninstall_test::ConfigXml("{G-odd}", names.first, names.second));
        AppConfig odd(path);
        UninstallReport report;
        InstallProcessMgr::instance()->DeleteShortcuts(odd, install.installDir, &report);
        EXPECT_TRUE(report.ok());
        EXPECT_TRUE(Exists(install.base + "/apps/other.desktop")) << names.first.toStdString();
        EXPECT_TRUE(Exists(install.base + "/apps/KEL/KEL.desktop"));
        EXPECT_TRUE(Exists(install.base + "/desktop/notes.txt"));
        EXPECT_TRUE(Exists(install.base + "/registry"));
    }
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "x\ny"}) EXPECT_FALSE(InstallProcessMgr::IsUsableName(bad));
    EXPECT_TRUE(InstallProcessMgr::IsUsableName("KEL 4.3"));
}

TEST_F(UninstallSequence, EmptyIdClearsNoRegistryKey) {
    uninstall_test::FakeInstall install("{G-A}");
    kel_test::WriteFile(install.base + "/noid.xml", "<C><SoftwareNameEN>Nope</SoftwareNameEN></C>");
    AppConfig noId(install.base + "/noid.xml");
    Steps steps;
    const UninstallReport report = Run(noId, &steps);
    EXPECT_FALSE(report.ok());
    EXPECT_EQ(steps.size(), 2u);
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled("{G-A}"));
    EXPECT_TRUE(Exists(install.installDir + "/bin/KEL"));
}

}  // namespace
