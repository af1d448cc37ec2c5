// Application hull: adopts the test's application object, reads the set-up
// file of the program folder, starts and tears down.
#include <gtest/gtest.h>

#include <QApplication>

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

}  // namespace
