// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "AppConfig.h"
#include "Application.h"
#include "MainWindow.h"
#include "UnInstallCompletedPage.h"
#include "kel_test/test_support.h"
#include "uninstall_fixture.h"

using namespace appinstaller;

namespace {

// Plays the user: answers each tip dialog, notes whether the window was ever
// shown, and closes it from its completed page.
class User : public QObject {
public:
    explicit User(bool confirm) : m_confirm(confirm) {
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(20);
    }
    QStringList questions;
    bool windowShown = false;

private:
    void look() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible()) continue;
            if (auto* dlg = qobject_cast<Tavick::CModalTipDialog*>(top)) {
                questions << dlg->contentText();
                if (m_confirm) dlg->accept();
                else dlg->reject();
            } else if (auto* w = qobject_cast<MainWindow*>(top)) {
                windowShown = true;
                if (w->currentPage() == w->completedPage()) w->completedPage()->ui().m_pCompletedBtn->click();
            }
        }
    }
    bool m_confirm;
    QTimer m_timer;
};

// Runs `body` in a child process as the unprivileged user "nobody"; its exit
// code (77 when the user cannot be taken on).
constexpr uid_t kNobody = 65534;
int AsAnotherUser(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
            setresuid(kNobody, kNobody, kNobody) != 0)
            _exit(77);
        _exit(body());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

class Startup : public ::testing::Test {
protected:
    // A configuration of the fake installation whose main program has a name
    // no other process of this machine carries.
    static std::unique_ptr<AppConfig> ConfigWithProgram(const uninstall_test::FakeInstall& install,
                                                        const QString& program) {
        const QString path = install.base + "/AppConfig-run.xml";
        kel_test::WriteFile(path, uninstall_test::ConfigXml(QString::fromStdString(install.config->GetGUID()), "KEL",
                                                            QString::fromUtf8("\xe5\xae\xa2\xe6\x88\xb7\xe7\xab\xaf"),
                                                            "bin/" + program));
        return std::make_unique<AppConfig>(path);
    }
    static QString UniqueProgram() { return QString("kelprog-%1").arg(QCoreApplication::applicationPid()); }
};

TEST_F(Startup, RunningClientOnlyWarns) {
    uninstall_test::FakeInstall install;
    const QString program = UniqueProgram();
    auto config = ConfigWithProgram(install, program);
    const QString image = install.installDir + "/bin/" + program;
    ASSERT_TRUE(QFile::copy("/bin/sleep", image));
    QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess client;
    client.start(image, {"60"});
    ASSERT_TRUE(client.waitForStarted(30000));
    const qint64 pid = client.processId();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return IsClientRunning({program}, install.installDir); }));

    User user(true);
    const int rc = RunUninstaller(*config);
    client.kill();
    client.waitForFinished(30000);

    EXPECT_EQ(rc, -1);
    EXPECT_EQ(user.questions, QStringList{QString("TheClientIsRunningPrnptTrdtT\n%1 is running from %2 (process %3).")
                                              .arg(program, QFileInfo(image).canonicalPath())
                                              .arg(pid)});
    EXPECT_FALSE(user.windowShown);
    EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(config->GetGUID()));
}

// The same program run from another folder (another installation) does not
// hold this uninstall back.
TEST_F(Startup, ProgramOfAnotherFolderDoesNotCount) {
    uninstall_test::FakeInstall install;
    const QString program = UniqueProgram();
    auto config = ConfigWithProgram(install, program);
    const QString image = install.base + "/elsewhere/" + program;
    QDir().mkpath(install.base + "/elsewhere");
    ASSERT_TRUE(QFile::copy("/bin/sleep", image));
    QFile::setPermissions(image, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess client;
    client.start(image, {"60"});
    ASSERT_TRUE(client.waitForStarted(30000));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return IsClientRunning({program}, install.base + "/elsewhere"); }));

    User user(false);
    const int rc = RunUninstaller(*config);
    client.kill();
    client.waitForFinished(30000);
    EXPECT_EQ(rc, -1);
    ASSERT_EQ(user.questions.size(), 1);
    EXPECT_TRUE(user.questions[0].startsWith("DetermineTheUninstalfYANYiIa")) << user.questions[0].toStdString();
}

TEST_F(Startup, DecliningTheQuestionLeavesEverything) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    User user(false);
    EXPECT_EQ(RunUninstaller(*config), -1);
    EXPECT_EQ(user.questions,
              QStringList{"DetermineTheUninstalfYANYiIa\n\nInstall folder: " + install.installDir});
    EXPECT_FALSE(user.windowShown);
    EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
    EXPECT_TRUE(QFileInfo::exists(install.base + "/desktop/KEL.desktop"));
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(config->GetGUID()));
}

// The question names the folder and where the saved videos and pictures are,
// which stay.
TEST_F(Startup, QuestionSaysWhereSavedFilesStay) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    const QString dir = install.installDir;
    kel_test::WriteFile(dir + "/Settings.xml",
                        ("<?xml version=\"1.0\"?>\n<Settings>"
                         "<CaptureSavePath><Value>" + dir + "/output/Capture/</Value></CaptureSavePath>"
                         "<ClipSavePath><Value>/srv/clips/</Value></ClipSavePath>"
                         "<DownloadSavePath><Value>" + dir + "/output/Download/</Value></DownloadSavePath>"
                         "<EvidenceVideoSavePath><Value></Value></EvidenceVideoSavePath>"
                         "<EvidencePictureSavePath><Value>" + dir + "/evidence</Value></EvidencePictureSavePath>"
                         "</Settings>\n").toUtf8());
    User user(false);
    EXPECT_EQ(RunUninstaller(*config), -1);
    EXPECT_EQ(user.questions, QStringList{"DetermineTheUninstalfYANYiIa\n\nInstall folder: " + dir +
                                          "\nSaved videos and pictures are kept: " + dir + "/output, /srv/clips, " +
                                          dir + "/evidence"});
    EXPECT_EQ(SavedFileFolders(install.base + "/none"), QStringList());
    QDir().mkpath(install.base + "/plain/output");
    EXPECT_EQ(SavedFileFolders(install.base + "/plain"), QStringList{install.base + "/plain/output"});
}

// An installation of the package manager is left to it: the uninstaller says
// how to remove it and removes nothing.
TEST_F(Startup, PackageInstallationIsLeftToThePackageManager) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    install.manifest.setPackageName("kel");
    install.saveManifest();
    User user(true);
    EXPECT_EQ(RunUninstaller(*config), -1);
    EXPECT_EQ(user.questions, QStringList{"This installation was made by the package manager (package kel); remove "
                                          "it with the package manager:\nsudo apt remove kel"});
    EXPECT_FALSE(user.windowShown);
    EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
    EXPECT_TRUE(QFileInfo::exists(install.base + "/apps/KEL/KEL.desktop"));
    EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(config->GetGUID()));
}

TEST_F(Startup, NoRegistryEntryMeansNotInstalled) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    UninstallRegistry::instance()->ClearKey(config->GetGUID());
    User user(true);
    EXPECT_EQ(RunUninstaller(*config), -1);
    EXPECT_EQ(user.questions, QStringList{"ThisSoftwareIsNotCurmXqDCfI"});
    EXPECT_FALSE(user.windowShown);
    EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
}

TEST_F(Startup, ConfirmedUninstallRunsToTheCompletedPage) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    User user(true);
    EXPECT_EQ(RunUninstaller(*config), 0);
    EXPECT_EQ(user.questions,
              QStringList{"DetermineTheUninstalfYANYiIa\n\nInstall folder: " + install.installDir});
    EXPECT_TRUE(user.windowShown);
    EXPECT_FALSE(QFileInfo::exists(install.installDir));
    EXPECT_FALSE(QFileInfo::exists(install.base + "/desktop/KEL.desktop"));
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(config->GetGUID()));
}

// Without a usable record the user is told why before anything starts, and
// nothing is removed: files, menu entries and the uninstall entry stay, so the
// installation is still found.
TEST_F(Startup, NoRecordIsToldAndNothingIsRemoved) {
    uninstall_test::FakeInstall install;
    auto config = ConfigWithProgram(install, UniqueProgram());
    QFile::remove(InstallManifest::PathIn(install.installDir));
    for (int run = 0; run < 2; ++run) {
        User user(true);
        EXPECT_EQ(RunUninstaller(*config), -1);
        EXPECT_EQ(user.questions, QStringList{"KEL cannot be uninstalled:\n" +
                                              install.installDir +
                                              ": InstallManifest.txt is missing; nothing was removed"});
        EXPECT_FALSE(user.windowShown);
        EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
        EXPECT_TRUE(QFileInfo::exists(install.base + "/apps/KEL/KEL.desktop"));
        EXPECT_TRUE(UninstallRegistry::instance()->IsInstalled(config->GetGUID()));
    }
}

// A user who is not the administrator, on the administrator's installation:
// it is recognised as another user's (and told how it is removed), and
// starting the uninstaller makes no folder of that user's.
TEST_F(Startup, AdministratorsInstallationSeenByAnotherUser) {
    if (geteuid() != 0) GTEST_SKIP() << "runs as another user: needs root";
    uninstall_test::FakeInstall install;
    // Everyone may look into the test's folders; only root writes them.
    for (QString d = install.installDir; d.startsWith(install.base); d = QFileInfo(d).path())
        ASSERT_EQ(chmod(QFile::encodeName(d).constData(), 0755), 0);
    const QString home = install.base + "/nobody-home";
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_EQ(chown(QFile::encodeName(home).constData(), kNobody, kNobody), 0);
    const AppConfig& config = *install.config;

    // For the administrator it is the own installation.
    EXPECT_FALSE(IsOtherUsersInstallation(install.installDir, config));
    const int seen = AsAnotherUser([&] { return IsOtherUsersInstallation(install.installDir, config) ? 0 : 1; });
    if (seen == 77) GTEST_SKIP() << "cannot run as the user nobody";
    EXPECT_EQ(seen, 0);
    // Another installation's folder is not this one.
    AppConfig other(install.configPath + ".other");
    EXPECT_EQ(AsAnotherUser([&] { return IsOtherUsersInstallation(install.installDir, other) ? 0 : 1; }), 1);
    EXPECT_EQ(AdministratorCommand("/opt/it's KEL"), "sudo '/opt/it'\\''s KEL/uninstaller'");

    // The program reads its configuration where it was installed.
    const int made = AsAnotherUser([&] {
        unsetenv("KEL_HOME");
        setenv("HOME", QFile::encodeName(home).constData(), 1);
        setenv("XDG_DATA_HOME", QFile::encodeName(home + "/data").constData(), 1);
        const QString path = AppConfig::DefaultPath();
        return QFileInfo::exists(home + "/data") ? 1 : (path.startsWith(home) ? 2 : 0);
    });
    EXPECT_EQ(made, 0) << "1: a folder of the user was made, 2: the configuration is read from it";
}

}  // namespace

