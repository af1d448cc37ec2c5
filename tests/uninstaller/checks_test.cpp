#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include "SystemChecks.h"
#include "kel_test/test_support.h"
#include "uninstall_fixture.h"

using appinstaller::IsClientInSnapshot;
using appinstaller::UninstallRegistry;
using sysinstall::ProcessEntry;

namespace {

TEST(ClientCheck, MatchesTheImageNameExactly) {
    const std::vector<ProcessEntry> procs = {
        {10, "bash", "bash"},
        {11, "KEL", "KEL"},
        {12, "", "AVeryLongProgra"},  // image of another user: short name only
        {13, "Uninstaller", "Uninstaller"},
    };
    const struct {
        const char* program;
        qint64 self;
        bool running;
    } cases[] = {
        {"KEL", 1, true},
        {"C:/Program Files/KEL/bin/KEL", 1, true},
        {"kel", 1, false},
        {"KEL.exe", 1, false},
        {"KEL", 11, false},  // the uninstaller's own process never counts
        {"dir/AVeryLongProgramName", 1, true},
        {"AVeryLongProgrX", 1, false},
        {"", 1, false},
        {"bin/", 1, false},
        {"Uninstaller", 13, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsClientInSnapshot(c.program, procs, c.self), c.running) << c.program << " self " << c.self;
}

TEST(ClientCheck, FindsARunningProgramButNotItself) {
    const QString name = QString("kel-client-%1").arg(sysinstall::CurrentProcessId());
    EXPECT_FALSE(appinstaller::IsClientRunning("bin/" + name));
    // This test program is running, but as the caller it never counts.
    EXPECT_FALSE(appinstaller::IsClientRunning(QCoreApplication::applicationFilePath()));

    const QString image = kel_test::ProgramFolder() + "/" + name;
    ASSERT_TRUE(QFile::copy("/bin/sleep", image));
    QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess child;
    child.start(image, {"60"});
    ASSERT_TRUE(child.waitForStarted(30000));
    bool seen = false;
    for (int i = 0; i < 200 && !seen; ++i) {
        seen = appinstaller::IsClientRunning("bin/" + name);
        if (!seen) QThread::msleep(50);
    }
    child.kill();
    child.waitForFinished(30000);
    EXPECT_TRUE(seen);
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
