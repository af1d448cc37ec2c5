// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QUrl>
#include <memory>

#include "common/UpgradeTool.h"
#include "kel_test/test_support.h"
#include "ziraz/genericds.h"

namespace {

QString UpgradeFile() { return kel_test::ProgramFolder() + "/Upgrade.xml"; }

void WriteUpgradeFile(const QString& server, const QString& prompt) {
    const QString text = QString(
                             "<?xml version=\"1.0\"?><Upgrade>"
                             "<ServerAddressZh><Value>http://zh.invalid/</Value></ServerAddressZh>"
                             "<ServerAddressEn><Value>%1</Value></ServerAddressEn>"
                             "<Prompt><Value>%2</Value></Prompt></Upgrade>")
                             .arg(server, prompt);
    ASSERT_TRUE(kel_test::WriteFile(UpgradeFile(), text.toUtf8()));
}

QString PromptValue() {
    ziraz::GenericDS doc;
    if (!doc.loadXML(UpgradeFile())) return "<unreadable>";
    return doc.GetChildByName("Prompt").GetChildByName("Value").GetValue();
}

// A server folder offering `version` with a package.
QString ServerFolder(const char* version) {
    const QString root = kel_test::ProgramFolder() + "/server/";
    EXPECT_TRUE(kel_test::WriteFile(root + "update.xml", QByteArray("<Update><Version>") + version +
                                                             "</Version><Package>KEL.pkg</Package></Update>"));
    EXPECT_TRUE(kel_test::WriteFile(root + "KEL.pkg", "package bytes"));
    return QUrl::fromLocalFile(root).toString();
}

upgrade::tagAppProperty Installed() {
    upgrade::tagAppProperty p;
    p.appName = "KEL";
    p.version = "4.3.0";
    return p;
}

TEST(UpgradeTool, ReadsTheFileAndLaysOutTheDialog) {
    WriteUpgradeFile("http://en.invalid/", "1");
    UpgradeTool dialog(Installed());
    EXPECT_EQ(dialog.serverAddress(), "http://en.invalid/");
    EXPECT_EQ(dialog.upgrader()->serverAddr(), "http://en.invalid/");
    EXPECT_FALSE(dialog.isNoPrompt());
    EXPECT_EQ(dialog.size(), QSize(420, 198));
    EXPECT_EQ(dialog.title(), "Upgrade");
    EXPECT_EQ(dialog.confirmButton()->text(), "Upgrade");
    EXPECT_EQ(dialog.form()->label_2->text(), "New version found");
    EXPECT_EQ(dialog.form()->versionLabel->text(), "V1.0.0");
    EXPECT_EQ(dialog.form()->checkBox->text(), "No Prompt");
    EXPECT_FALSE(dialog.form()->checkBox->isChecked());
    EXPECT_FALSE(dialog.form()->iconLabel->pixmap(Qt::ReturnByValue).isNull());
}

TEST(UpgradeTool, MissingNodesGiveNoAddressAndNoPrompt) {
    ASSERT_TRUE(kel_test::WriteFile(UpgradeFile(), "<Upgrade/>"));
    UpgradeTool dialog(Installed());
    EXPECT_EQ(dialog.serverAddress(), "");
    EXPECT_TRUE(dialog.isNoPrompt());
    QSignalSpy over(&dialog, &UpgradeTool::signalUpdateCheckOver);
    dialog.checkForUpdate();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !over.isEmpty(); }));
    EXPECT_FALSE(over.at(0).at(0).toBool());
    EXPECT_EQ(dialog.form()->versionLabel->text(), "V1.0.0");
}

TEST(UpgradeTool, CheckShowsTheNewVersionAndUpgradeDownloads) {
    WriteUpgradeFile(ServerFolder("4.4.1"), "1");
    UpgradeTool dialog(Installed());
    dialog.upgrader()->setDownloadFolder((kel_test::ProgramFolder() + "/dl").toStdString());
    QSignalSpy over(&dialog, &UpgradeTool::signalUpdateCheckOver);
    dialog.checkForUpdate();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !over.isEmpty(); }));
    EXPECT_TRUE(over.at(0).at(0).toBool());
    EXPECT_EQ(dialog.form()->versionLabel->text(), "V4.4.1");
    EXPECT_EQ(dialog.versionText(), "V4.4.1");

    QSignalSpy done(&dialog, &UpgradeTool::signalDownloadOver);
    dialog.onUpgrade();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !done.isEmpty(); }));
    EXPECT_TRUE(done.at(0).at(0).toBool());
    EXPECT_EQ(kel_test::ReadFile(kel_test::ProgramFolder() + "/dl/KEL.pkg"), "package bytes");
}

TEST(UpgradeTool, NoNewerVersionLeavesTheTexts) {
    WriteUpgradeFile(ServerFolder("4.3.0"), "1");
    UpgradeTool dialog(Installed());
    QSignalSpy over(&dialog, &UpgradeTool::signalUpdateCheckOver);
    dialog.checkForUpdate();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !over.isEmpty(); }));
    EXPECT_FALSE(over.at(0).at(0).toBool());
    EXPECT_EQ(dialog.form()->versionLabel->text(), "V1.0.0");
    EXPECT_EQ(dialog.versionText(), "");
}

TEST(UpgradeTool, NoPromptCheckBoxWritesThePreference) {
    WriteUpgradeFile("http://en.invalid/", "1");
    UpgradeTool dialog(Installed());
    dialog.form()->checkBox->setChecked(true);
    EXPECT_EQ(PromptValue(), "0");
    EXPECT_TRUE(dialog.isNoPrompt());
    dialog.form()->checkBox->setChecked(false);
    EXPECT_EQ(PromptValue(), "1");
    EXPECT_FALSE(dialog.isNoPrompt());
    // The rest of the file stays.
    ziraz::GenericDS doc;
    ASSERT_TRUE(doc.loadXML(UpgradeFile()));
    EXPECT_EQ(doc.GetChildByName("ServerAddressEn").GetChildByName("Value").GetValue(), "http://en.invalid/");

    // A file without the node gets it.
    ASSERT_TRUE(kel_test::WriteFile(UpgradeFile(), "<Upgrade/>"));
    dialog.form()->checkBox->setChecked(true);
    EXPECT_EQ(PromptValue(), "0");
}

// A dialog closed while its check and download are queued or running waits
// for them: when it is gone, the upgrade library is released (nothing of the
// dialog's work runs on), no answer reaches anyone, and the download folder
// holds the whole package or nothing.
TEST(UpgradeTool, ClosingDuringACheckIsSafe) {
    WriteUpgradeFile(ServerFolder("5.0"), "1");
    const QString folder = kel_test::ProgramFolder() + "/dl";
    int answers = 0;
    for (int i = 0; i < 20; ++i) {
        std::weak_ptr<upgrade::Upgrade> library;
        {
            UpgradeTool dialog(Installed());
            dialog.upgrader()->setDownloadFolder(folder.toStdString());
            library = dialog.upgrader();
            QObject::connect(&dialog, &UpgradeTool::signalUpdateCheckOver, [&answers] { ++answers; });
            QObject::connect(&dialog, &UpgradeTool::signalDownloadOver, [&answers] { ++answers; });
            dialog.checkForUpdate();
            dialog.onUpgrade();
        }
        EXPECT_TRUE(library.expired()) << "dialog " << i;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(answers, 0) << "dialog " << i;
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        EXPECT_TRUE(left.isEmpty() || left == QStringList{"KEL.pkg"}) << left.join(", ").toStdString();
        if (left == QStringList{"KEL.pkg"}) EXPECT_EQ(kel_test::ReadFile(folder + "/KEL.pkg"), "package bytes");
    }
}

}  // namespace
