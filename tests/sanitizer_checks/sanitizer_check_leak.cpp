// SPDX-License-Identifier: GPL-3.0-or-later
// A deliberate leak in our own code, for checking the leak sanitizer's
// suppressions: 4,096 bytes allocated in a widget's paintEvent and lost, with
// the widget painted on the offscreen platform through the event loop. The
// leak must be reported.
// Exits 0 itself; the sanitizer's exit code tells that it reported.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>
#include <cstdio>
#include <cstring>

namespace {

void* volatile g_lost = nullptr;

class LeakingWidget : public QWidget {
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        char* block = new char[4096];
        std::memset(block, 0x5a, 4096);
        g_lost = block;   // the only pointer, dropped below
        g_lost = nullptr;
        QPainter(this).fillRect(rect(), Qt::darkCyan);
        painted = true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LeakingWidget widget;
    widget.resize(64, 64);
    widget.show();
    QElapsedTimer waited;
    waited.start();
    while (!widget.painted && waited.elapsed() < 60000) app.processEvents(QEventLoop::AllEvents, 50);
    std::printf("sanitizer_check_leak: painted %d\n", widget.painted ? 1 : 0);
    return widget.painted ? 0 : 1;
}
