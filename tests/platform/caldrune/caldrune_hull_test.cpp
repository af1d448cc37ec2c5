// SPDX-License-Identifier: GPL-3.0-or-later
// Application hull: adopts the test's application object, reads the set-up
// file of the program folder, loads the catalogue of its language, starts and
// tears down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QFileInfo>
#include <QProcess>

#include "caldrune/caldrune.h"
#include "kel_test/test_support.h"

namespace {

int g_argc = 1;
char g_arg0[] = "caldrune_hull_test";
char* g_argv[] = {g_arg0, nullptr};

struct HullRun {
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    ~HullRun() { hull->distory(); }
};

TEST(CaldruneHull, AdoptsTheRunningApplicationAndReadsSetup) {
    kel_test::WriteFile(kel_test::ProgramFolder() + "/setup.xml",
                        "<Setup><Language>1</Language><VersionType>3</VersionType>"
                        "<SingleInstance>0</SingleInstance></Setup>");
    HullRun run;
    ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "Quillmere", "setup.xml", true));
    EXPECT_EQ(run.hull->application(), qApp);
    EXPECT_EQ(run.hull->moduleName(), "Quillmere");
    EXPECT_EQ(run.hull->configFile(), "setup.xml");
    EXPECT_EQ(run.hull->language(), 1);
    EXPECT_EQ(run.hull->versionType(), 3);
    EXPECT_FALSE(run.hull->singleInstance());
    EXPECT_EQ(apt::ConfigureManager::getCurrentLanguage(), 1);
    EXPECT_EQ(apt::ConfigureManager::instance()->getCurrentLanguage(), 1);

    run.hull->setAppName("KEL4.3");
    EXPECT_EQ(run.hull->appName(), "KEL4.3");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "KEL4.3");
    EXPECT_TRUE(run.hull->startApp());
    EXPECT_TRUE(run.hull->isStarted());
}

TEST(CaldruneHull, NamesInEitherOrderAndDefaultsWithoutSetupFile) {
    HullRun run;
    // The batch downloader passes the file name first.
    ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "setup.xml", "Lorrimax", true));
    EXPECT_EQ(run.hull->moduleName(), "Lorrimax");
    EXPECT_EQ(run.hull->configFile(), "setup.xml");
    EXPECT_EQ(run.hull->language(), 0);
    EXPECT_EQ(run.hull->versionType(), 0);
    EXPECT_TRUE(run.hull->singleInstance());
    EXPECT_EQ(apt::ConfigureManager::getCurrentLanguage(), 0);
}

TEST(CaldruneHull, UnreadableSetupGivesDefaults) {
    kel_test::WriteFile(kel_test::ProgramFolder() + "/setup.xml", "<Setup><Language>1</Lang");
    HullRun run;
    ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "Quillmere", "setup.xml", true));
    EXPECT_EQ(run.hull->language(), 0);
}

TEST(CaldruneHull, RefusesToStartWhenNotInitialised) {
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->distory();
    EXPECT_FALSE(hull->startApp());
    EXPECT_FALSE(hull->isStarted());
}

TEST(CaldruneHull, StartIsRepeatableAndTearDownReleasesTheInstance) {
    HullRun run;
    ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "HullLockCase", "setup.xml", true));
    ASSERT_TRUE(run.hull->startApp());
    EXPECT_TRUE(run.hull->startApp());  // already running in this process
    run.hull->distory();
    EXPECT_FALSE(run.hull->isStarted());
    // After the tear-down the same program folder can be started again.
    ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "HullLockCase", "setup.xml", true));
    EXPECT_TRUE(run.hull->startApp());
}

// A catalogue of one text, compiled into the program folder's translations.
bool WriteCatalogue(const QString& name, const char* language, const char* text) {
    const QString folder = kel_test::ProgramFolder() + "/translations/";
    const QByteArray ts = QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\" "
                                     "language=\"") + language + "\"><context><name>Hull</name><message>"
                          "<source>Greeting</source><translation>" + text + "</translation></message></context></TS>\n";
    if (!kel_test::WriteFile(folder + name + ".ts", ts)) return false;
    QProcess release;
    release.start(qEnvironmentVariable("LRELEASE"), {"-silent", folder + name + ".ts", "-qm", folder + name + ".qm"});
    return release.waitForFinished(60000) && release.exitCode() == 0 && QFileInfo(folder + name + ".qm").size() > 0;
}

TEST(CaldruneHull, LoadsTheCatalogueOfEitherLanguage) {
    ASSERT_TRUE(WriteCatalogue("HullLanguageCase_en", "en_US", "Hello"));
    ASSERT_TRUE(WriteCatalogue("HullLanguageCase_zh", "zh_CN", "\xE4\xBD\xA0\xE5\xA5\xBD"));
    const struct {
        int language;
        const char* greeting;
    } cases[] = {{0, "Hello"}, {1, "\xE4\xBD\xA0\xE5\xA5\xBD"}};
    for (const auto& c : cases) {
        kel_test::WriteFile(kel_test::ProgramFolder() + "/setup.xml",
                            QByteArray("<Setup><Language>") + QByteArray::number(c.language) +
                                "</Language><SingleInstance>0</SingleInstance></Setup>");
        HullRun run;
        ASSERT_TRUE(run.hull->initialize(g_argc, g_argv, "HullLanguageCase", "setup.xml", true));
        ASSERT_TRUE(run.hull->startApp());
        EXPECT_EQ(QCoreApplication::translate("Hull", "Greeting"), QString::fromUtf8(c.greeting)) << c.language;
        // Qt's own dialogs speak the same language.
        {
            QFileDialog dialog(nullptr, QString(), kel_test::ProgramFolder());
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
            auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
            auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_TRUE(lookIn && fileName && buttons);
            const QStringList shown = {lookIn->text(), fileName->text(),
                                       buttons->button(QDialogButtonBox::Cancel)->text(),
                                       dialog.labelText(QFileDialog::Accept)};
            const QStringList expected =
                c.language == 1
                    ? QStringList{QString::fromUtf8("\xE6\x9F\xA5\xE6\x89\xBE\xE8\x8C\x83\xE5\x9B\xB4\xEF\xBC\x9A"),
                                  QString::fromUtf8("\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D\xE7\xA7\xB0(&N)\xEF\xBC\x9A"),
                                  QString::fromUtf8("\xE5\x8F\x96\xE6\xB6\x88"),
                                  QString::fromUtf8("\xE4\xBF\x9D\xE5\xAD\x98(&S)")}
                    : QStringList{"Look in:", "File &name:", "Cancel", "&Save"};
            EXPECT_EQ(shown, expected) << c.language;
        }
        run.hull->distory();
        EXPECT_EQ(QCoreApplication::translate("Hull", "Greeting"), "Greeting") << c.language;
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:") << c.language;
    }
}

}  // namespace
