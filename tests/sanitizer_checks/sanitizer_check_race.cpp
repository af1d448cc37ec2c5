// SPDX-License-Identifier: GPL-3.0-or-later
// Deliberate data races in our own code, for checking the thread
// sanitizer's suppressions: each must be reported.
//  1. A plain counter written by a QThread's run() (below Qt's thread start)
//     and by main().
//  2. A plain counter written by a slot that the event loop runs (below Qt's
//     and GLib's event dispatching) and by a std::thread.
// Exits 0 itself; the sanitizer's exit code tells that it reported.
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

int g_runCounter = 0;    // raced on purpose: no lock, no atomic
int g_slotCounter = 0;   // raced on purpose

class RacyThread : public QThread {
protected:
    void run() override {
        for (int i = 0; i < 1000; ++i) ++g_runCounter;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    RacyThread thread;
    thread.start();
    for (int i = 0; i < 1000; ++i) ++g_runCounter;
    thread.wait();

    std::atomic<bool> slotRan{false};
    std::thread other([] {
        for (int i = 0; i < 1000; ++i) ++g_slotCounter;
    });
    QTimer::singleShot(0, &app, [&] {
        for (int i = 0; i < 1000; ++i) ++g_slotCounter;
        slotRan = true;
        app.quit();
    });
    app.exec();
    other.join();

    std::printf("sanitizer_check_race: counters %d %d, slot ran %d\n", g_runCounter, g_slotCounter,
                slotRan.load() ? 1 : 0);
    return 0;
}
