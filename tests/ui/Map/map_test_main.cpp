// Test main of the map tests: the shared test main's set-up plus the shared
// OpenGL contexts that Qt WebEngine needs before the application exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

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
    // The offscreen platform has no OpenGL: the web view draws through the
    // software scene graph.
    if (!getenv("QMLSCENE_DEVICE")) setenv("QMLSCENE_DEVICE", "softwarecontext", 1);
    if (!getenv("QTWEBENGINE_DISABLE_SANDBOX")) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ProgramFolderListener);
    return RUN_ALL_TESTS();
}
