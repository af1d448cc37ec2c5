// SPDX-License-Identifier: GPL-3.0-or-later
// Test main shared by every test program: a Qt application object, a fixed
// default time zone, and a fresh temporary program folder for each test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#ifdef KEL_TEST_GUI
#include <QApplication>
#else
#include <QCoreApplication>
#endif

namespace kel_test {
void NewProgramFolder();
void DropProgramFolder();
}

namespace {
class ProgramFolderListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { kel_test::NewProgramFolder(); }
    void OnTestEnd(const testing::TestInfo&) override { kel_test::DropProgramFolder(); }
};
}  // namespace

int main(int argc, char** argv) {
    // Tests that depend on local time pin their own zone; the rest run in UTC
    // so that results do not depend on the machine.
    setenv("TZ", "UTC", 1);
    tzset();
#ifdef KEL_TEST_GUI
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ProgramFolderListener);
    return RUN_ALL_TESTS();
}
