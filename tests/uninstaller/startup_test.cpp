// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

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

}  // namespace
