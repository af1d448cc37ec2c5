// SPDX-License-Identifier: GPL-3.0-or-later
// Test main of the tests that build the whole main window: the shared test
// main's set-up, plus what the window's map page needs before the
// application exists (the same start-up preparation as the program).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

#include "Quillmere/KelStartup.h"

namespace kel_test {
void NewProgramFolder();
void DropProgramFolder();
}  // namespace kel_test

namespace {
class ProgramFolderListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { kel_test::NewProgramFolder(); }
    void OnTestEnd(const testing::TestInfo&) override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        kel_test::DropProgramFolder();
    }
};
}  // namespace

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!getenv("QTWEBENGINE_CHROMIUM_FLAGS")) setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu", 1);
    KelStartup::PrepareEnvironment();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ProgramFolderListener);
    return RUN_ALL_TESTS();
}
