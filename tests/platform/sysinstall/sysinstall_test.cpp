// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QSysInfo>
#include <QThread>

#include <sys/utsname.h>

#include "kel_test/test_support.h"
#include "sysinstall/sysinstall.h"

using kel_test::ProgramFolder;
using kel_test::ScopedEnv;

namespace {

TEST(SysinstallRegistry, KeyNamesMapToFilesBelowTheRegistryFolder) {
    const QString root = ProgramFolder() + "/registry";
    ScopedEnv env("KEL_REGISTRY_DIR", root.toStdString());
    EXPECT_EQ(sysinstall::RegistryRoot(), root);
    EXPECT_EQ(sysinstall::RegistryKeyFile("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\{AB-12}"),
              root + "/HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/{AB-12}.ini");

    const char* refused[] = {"", "A\\", "A\\\\B", "A\\..\\B", "..", "A\\.", "A/B", "A\\B\nC", "\\A"};
    for (const char* name : refused) {
        EXPECT_TRUE(sysinstall::RegistryKeyFile(QString::fromLatin1(name)).isEmpty()) << name;
        EXPECT_EQ(sysinstall::OpenRegistryKey(QString::fromLatin1(name)), nullptr) << name;
    }
}

TEST(SysinstallRegistry, ValuesPersistAndDeleteRemovesKeyAndSubkeys) {
    ScopedEnv env("KEL_REGISTRY_DIR", (ProgramFolder() + "/registry").toStdString());
    const QString key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Uninstall\\{G1}";
    {
        auto k = sysinstall::OpenRegistryKey(key);
        ASSERT_NE(k, nullptr);
        k->setValue("InstallLocation", "/opt/kel/KEL");
        k->setValue("Sub/Value", 3);
    }
    {
        auto sub = sysinstall::OpenRegistryKey(key + "\\Child");
        sub->setValue("X", 1);
    }
    auto again = sysinstall::OpenRegistryKey(key);
    EXPECT_EQ(again->value("InstallLocation").toString(), "/opt/kel/KEL");
    again.reset();

    QString error;
    EXPECT_TRUE(sysinstall::DeleteRegistryKey(key, &error)) << error.toStdString();
    const QString file = sysinstall::RegistryKeyFile(key);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(file.left(file.size() - 4)));
    EXPECT_TRUE(sysinstall::OpenRegistryKey(key)->allKeys().isEmpty());
    // A key that is not there counts as deleted; an unusable name does not.
    EXPECT_TRUE(sysinstall::DeleteRegistryKey(key));
    EXPECT_FALSE(sysinstall::DeleteRegistryKey("HKEY_LOCAL_MACHINE\\..\\x", &error));
}

TEST(SysinstallShortcuts, FoldersComeFromTheEnvironment) {
    const QString base = ProgramFolder();
    {
        ScopedEnv d("KEL_DESKTOP_DIR", (base + "/desk/").toStdString());
        ScopedEnv a("KEL_APPLICATIONS_DIR", (base + "/apps").toStdString());
        ScopedEnv p("KEL_PUBLIC_DESKTOP_DIR", (base + "/public").toStdString());
        EXPECT_EQ(sysinstall::DesktopFolder(), base + "/desk");
        EXPECT_EQ(sysinstall::StartMenuFolder(), base + "/apps");
        EXPECT_EQ(sysinstall::PublicDesktopFolder(), base + "/public");
    }
    ScopedEnv p("KEL_PUBLIC_DESKTOP_DIR", "");
    EXPECT_TRUE(sysinstall::PublicDesktopFolder().isEmpty());
    EXPECT_EQ(sysinstall::ShortcutSuffix(), ".desktop");
}

// The administrator's start menu is every user's; the menu only the
// administrator sees is in the administrator's own home, whatever HOME says.
// Anyone else has one menu.
TEST(SysinstallShortcuts, PrivateMenuIsTheUsersOwn) {
    const QString base = ProgramFolder();
    {
        ScopedEnv a("KEL_APPLICATIONS_DIR", (base + "/apps").toStdString());
        ScopedEnv p("KEL_PRIVATE_APPLICATIONS_DIR", (base + "/own/").toStdString());
        EXPECT_EQ(sysinstall::PrivateStartMenuFolder(), base + "/own");
    }
    {
        ScopedEnv a("KEL_APPLICATIONS_DIR", (base + "/apps").toStdString());
        ScopedEnv p("KEL_PRIVATE_APPLICATIONS_DIR", "");
        EXPECT_EQ(sysinstall::PrivateStartMenuFolder(), base + "/apps");
    }
    ScopedEnv a("KEL_APPLICATIONS_DIR", "");
    ScopedEnv p("KEL_PRIVATE_APPLICATIONS_DIR", "");
    ScopedEnv h("HOME", (base + "/caller").toStdString());
    if (geteuid() == 0) {
        EXPECT_EQ(sysinstall::StartMenuFolder(), "/usr/share/applications");
        const passwd* pw = getpwuid(0);
        ASSERT_NE(pw, nullptr);
        EXPECT_EQ(sysinstall::PrivateStartMenuFolder(),
                  QDir::cleanPath(QString::fromLocal8Bit(pw->pw_dir) + "/.local/share/applications"));
    } else {
        EXPECT_EQ(sysinstall::PrivateStartMenuFolder(), sysinstall::StartMenuFolder());
    }
}

TEST(SysinstallShortcuts, WrittenEntryQuotesTheTarget) {
    const QString path = ProgramFolder() + "/desk/KEL.desktop";
    ASSERT_TRUE(sysinstall::WriteShortcut(path, "KEL\nX", "/opt/my \"kel\"/KEL"));
    const QString text = QString::fromUtf8(kel_test::ReadFile(path));
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("Name=KEL\\nX\n"));
    EXPECT_TRUE(text.contains("Exec=\"/opt/my \\\\\"kel\\\\\"/KEL\"\n")) << text.toStdString();
}

TEST(SysinstallProcesses, SnapshotHoldsThisProcessAndAChild) {
    std::vector<sysinstall::ProcessEntry> list;
    ASSERT_TRUE(sysinstall::SnapshotProcesses(&list));
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    bool foundSelf = false;
    for (const auto& p : list) {
        if (p.pid == sysinstall::CurrentProcessId()) {
            foundSelf = true;
            EXPECT_EQ(p.exeFile, self);
            EXPECT_EQ(p.comm, self.left(sysinstall::kCommLength));
        }
    }
    EXPECT_TRUE(foundSelf);

    // A child whose image carries a name of its own, longer than the kernel's
    // short command name.
    const QString name = QString("sysinst-long-image-%1").arg(sysinstall::CurrentProcessId());
    const QString image = ProgramFolder() + "/" + name;
    ASSERT_TRUE(QFile::copy("/bin/sleep", image));
    QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess child;
    child.start(image, {"60"});
    ASSERT_TRUE(child.waitForStarted(30000));
    bool foundChild = false;
    for (int attempt = 0; attempt < 200 && !foundChild; ++attempt) {
        ASSERT_TRUE(sysinstall::SnapshotProcesses(&list));
        for (const auto& p : list) {
            if (p.pid == child.processId() && p.exeFile == name) {
                foundChild = true;
                EXPECT_EQ(p.comm, name.left(sysinstall::kCommLength));
            }
        }
        if (!foundChild) QThread::msleep(50);  // the child may still be exec'ing
    }
    child.kill();
    child.waitForFinished(30000);
    EXPECT_TRUE(foundChild);
}

// A child that has exited but is not collected yet (a zombie) runs nothing:
// it is not in the list, so it cannot pass for a running program.
TEST(SysinstallProcesses, LeavesOutProcessesThatHaveExited) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(0);
    const QByteArray statPath = "/proc/" + QByteArray::number(pid) + "/stat";
    auto state = [&] {
        QFile f(QString::fromLatin1(statPath));
        if (!f.open(QIODevice::ReadOnly)) return '?';
        const QByteArray stat = f.readAll();
        const int close = stat.lastIndexOf(')');
        return close >= 0 && close + 2 < stat.size() ? stat[close + 2] : '?';
    };
    // The child's exit is only a matter of its scheduling.
    for (char now = state(); now != 'Z'; now = state()) {
        ASSERT_NE(now, '?') << "the child was collected by someone else";
        QThread::yieldCurrentThread();
    }
    std::vector<sysinstall::ProcessEntry> list;
    ASSERT_TRUE(sysinstall::SnapshotProcesses(&list));
    for (const auto& p : list) EXPECT_NE(p.pid, qint64(pid));
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
}

TEST(SysinstallSystemInfo, ArchitectureOfMachineNames) {
    const struct {
        const char* machine;
        quint16 arch;
    } cases[] = {{"x86_64", sysinstall::ArchAmd64}, {"i686", sysinstall::ArchIntel},
                 {"i386", sysinstall::ArchIntel},   {"aarch64", sysinstall::ArchArm64},
                 {"armv7l", sysinstall::ArchArm},   {"ia64", sysinstall::ArchIa64},
                 {"riscv64", sysinstall::ArchUnknown}};
    for (const auto& c : cases) EXPECT_EQ(sysinstall::ArchitectureOfMachine(c.machine), c.arch) << c.machine;
}

TEST(SysinstallSystemInfo, NativeInfoMatchesTheKernel) {
    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    const auto info = sysinstall::GetNativeSystemInfo();
    EXPECT_EQ(info.wProcessorArchitecture, sysinstall::ArchitectureOfMachine(u.machine));
    if (info.wProcessorArchitecture == sysinstall::ArchAmd64) {
        EXPECT_EQ(info.wordBits, 64);
    }
    if (info.wProcessorArchitecture == sysinstall::ArchIntel) {
        EXPECT_EQ(info.wordBits, 32);
    }
}

}  // namespace
