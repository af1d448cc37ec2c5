// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include "AppConfig.h"
#include "SystemChecks.h"
#include "kel_test/test_support.h"
#include "uninstall_fixture.h"

using appinstaller::IsClientInSnapshot;
using appinstaller::AppConfig;
using appinstaller::UninstallRegistry;
using sysinstall::ProcessEntry;

namespace {

TEST(ClientCheck, CountsOnlyTheProgramsOfThisInstallation) {
    const QString folder = "/opt/KEL";
    const std::vector<ProcessEntry> procs = {
        {10, "bash", "/usr/bin/bash", "bash"},
        {11, "KEL", "/opt/KEL/KEL", "KEL"},
        {12, "", "", "Lorrimax"},                         // image of another user: unknown folder
        {13, "Lorrimax", "/home/u/kel2/Lorrimax", "Lorrimax"},  // another installation
        {14, "Lorrimax", "/opt/KEL/Lorrimax", "Lorrimax"},
        {15, "kel", "/opt/KEL/bin/kel", "kel"},
        {16, "KEL", "/opt/KEL-old/KEL", "KEL"},           // a folder whose name only starts alike
    };
    const struct {
        QStringList programs;
        QString folder;
        qint64 self;
        qint64 found;  // 0: none
    } cases[] = {
        {{"KEL", "Lorrimax"}, folder, 1, 11},
        {{"KEL", "Lorrimax"}, folder + "/", 1, 11},
        {{"KEL", "Lorrimax"}, folder, 11, 14},  // the uninstaller's own process never counts
        {{"Lorrimax"}, folder, 1, 14},
        {{"Lorrimax"}, "/home/u/kel2", 1, 13},
        {{"KEL"}, "/home/u/kel2", 1, 0},
        {{"KEL.exe"}, folder, 1, 0},
        {{"Kel"}, folder, 1, 0},
        {{"KEL"}, "/opt/KEL-old/", 1, 16},
        {{"KEL"}, QString(), 1, 0},
        {{"KEL"}, "relative/KEL", 1, 0},
        {{}, folder, 1, 0},
    };
    for (const auto& c : cases) {
        ProcessEntry found;
        const bool running = IsClientInSnapshot(c.programs, c.folder, procs, c.self, &found);
        EXPECT_EQ(running, c.found != 0) << c.programs.join(',').toStdString() << " in " << c.folder.toStdString();
        if (running) EXPECT_EQ(found.pid, c.found) << c.programs.join(',').toStdString();
    }
}

TEST(ClientCheck, ProgramsOfTheConfiguration) {
    const QString path = kel_test::ProgramFolder() + "/AppConfig-components.xml";
    kel_test::WriteFile(path,
                        "<AppConfig><GUID>{G}</GUID><ProgramName>bin/KEL</ProgramName><Components>"
                        "<Item><Name>Lorrimax</Name><FilePath>bin/Lorrimax</FilePath></Item>"
                        "<Item><Name>Again</Name><FilePath>KEL</FilePath></Item>"
                        "<Item><Name>Empty</Name><FilePath></FilePath></Item></Components></AppConfig>");
    EXPECT_EQ(appinstaller::ClientPrograms(appinstaller::AppConfig(path)), (QStringList{"KEL", "Lorrimax"}));
}

TEST(ClientCheck, FindsARunningProgramOfTheFolderButNotItself) {
    const QString name = QString("kel-client-%1").arg(sysinstall::CurrentProcessId());
    const QString folder = kel_test::ProgramFolder() + "/install";
    EXPECT_FALSE(appinstaller::IsClientRunning({name}, folder));
    // This test program is running, but as the caller it never counts.
    EXPECT_FALSE(appinstaller::IsClientRunning({QFileInfo(QCoreApplication::applicationFilePath()).fileName()},
                                               QCoreApplication::applicationDirPath()));

    const QString image = folder + "/" + name;
    QDir().mkpath(folder);
    ASSERT_TRUE(QFile::copy("/bin/sleep", image));
    QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess child;
    child.start(image, {"60"});
    ASSERT_TRUE(child.waitForStarted(30000));
    const qint64 pid = child.processId();
    ProcessEntry found;
    const bool seen = kel_test::WaitUntil([&] { return appinstaller::IsClientRunning({name}, folder, &found); });
    // The same program of another folder is not this installation's.
    const bool elsewhere = appinstaller::IsClientRunning({name}, kel_test::ProgramFolder() + "/other");
    child.kill();
    child.waitForFinished(30000);
    EXPECT_TRUE(seen);
    EXPECT_EQ(found.pid, pid);
    EXPECT_EQ(found.exePath, QFileInfo(image).canonicalFilePath());
    EXPECT_FALSE(elsewhere);
}

TEST(UninstallKey, SixtyFourBitSystemsUseTheRedirectedKey) {
    const std::string redirected = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::string plain = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(UninstallRegistry::UninstallKeyPathFor(sysinstall::ArchAmd64), redirected);
    EXPECT_EQ(UninstallRegistry::UninstallKeyPathFor(sysinstall::ArchIa64), redirected);
    EXPECT_EQ(UninstallRegistry::UninstallKeyPathFor(sysinstall::ArchIntel), plain);
    EXPECT_EQ(UninstallRegistry::UninstallKeyPath(),
              UninstallRegistry::UninstallKeyPathFor(sysinstall::GetNativeSystemInfo().wProcessorArchitecture));
    EXPECT_EQ(UninstallRegistry::KeyName("{G}"),
              QString::fromStdString("HKEY_LOCAL_MACHINE\\" + UninstallRegistry::UninstallKeyPath() + "{G}"));
}

TEST(UninstallKey, PresentAbsentAndEmptyEntries) {
    uninstall_test::FakeInstall install("{G-1}");
    UninstallRegistry* reg = UninstallRegistry::instance();
    EXPECT_TRUE(reg->IsInstalled("{G-1}"));
    EXPECT_EQ(reg->InstallLocation("{G-1}"), install.installDir.toStdString());
    EXPECT_EQ(reg->ReadValue("{G-1}", "DisplayName"), "KEL");
    EXPECT_EQ(reg->ReadValue("{G-1}", "Missing"), "");

    EXPECT_FALSE(reg->IsInstalled("{G-2}"));
    EXPECT_EQ(reg->InstallLocation("{G-2}"), "");

    // A key that exists but holds nothing is not an installation.
    kel_test::WriteFile(sysinstall::RegistryKeyFile(UninstallRegistry::KeyName("{G-3}")), "");
    EXPECT_FALSE(reg->IsInstalled("{G-3}"));

    QString error;
    EXPECT_TRUE(reg->ClearKey("{G-1}", &error)) << error.toStdString();
    EXPECT_FALSE(reg->IsInstalled("{G-1}"));
}

// Clearing a key takes the folders of its path with it when nothing else is
// kept there, up to the registry folder; a neighbour's key keeps its own.
TEST(UninstallKey, ClearingLeavesNoEmptyFolders) {
    uninstall_test::FakeInstall install("{G-1}");
    install.setRegistry("{G-2}", install.installDir);
    const QString registry = install.base + "/registry";
    auto folders = [&registry] {
        QStringList out;
        QDirIterator it(registry, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) out << it.next();
        return out;
    };
    const QStringList before = folders();
    ASSERT_FALSE(before.isEmpty());
    UninstallRegistry* reg = UninstallRegistry::instance();
    ASSERT_TRUE(reg->ClearKey("{G-1}"));
    EXPECT_EQ(folders(), before);
    EXPECT_TRUE(reg->IsInstalled("{G-2}"));
    ASSERT_TRUE(reg->ClearKey("{G-2}"));
    EXPECT_FALSE(QFileInfo::exists(registry));
    EXPECT_TRUE(QFileInfo::exists(install.base));
}

TEST(UninstallKey, UnusableIdsNeverReachTheWholeUninstallKey) {
    uninstall_test::FakeInstall install("{G-1}");
    // Values on the uninstall key itself, and a neighbour's entry.
    const QString uninstallKey = QString::fromStdString("HKEY_LOCAL_MACHINE\\" + UninstallRegistry::UninstallKeyPath());
    auto whole = sysinstall::OpenRegistryKey(uninstallKey.left(uninstallKey.size() - 1));
    whole->setValue("InstallLocation", "/");
    whole->sync();
    UninstallRegistry* reg = UninstallRegistry::instance();
    for (const std::string guid : {"", ".", "..", "..\\{G-1}", "a\\b", "x/y"}) {
        EXPECT_TRUE(UninstallRegistry::KeyName(guid).isEmpty()) << guid;
        EXPECT_FALSE(reg->IsInstalled(guid)) << guid;
        EXPECT_EQ(reg->InstallLocation(guid), "") << guid;
        EXPECT_FALSE(reg->ClearKey(guid)) << guid;
    }
    EXPECT_TRUE(reg->IsInstalled("{G-1}"));
    EXPECT_EQ(whole->value("InstallLocation").toString(), "/");
}

}  // namespace
