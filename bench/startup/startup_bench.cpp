// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of KEL: time from process start to the main window's first paint,
// and the CPU it uses afterwards with nothing playing, beside an empty Qt main
// window started the same way (this program with --reference-window).
//
//   startup_bench [runs] [idle seconds] [idle runs]     (defaults 7, 20 and 3)
//
// Every figure is the median of the runs with min and max beside it.
//
// Runs KEL of the same build folder on the offscreen platform (or on the
// display named by KEL_BENCH_PLATFORM, e.g. "xcb" with DISPLAY set) over a
// fresh program folder and two sample media.
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include "kel_bench/figures.h"
#include "kel_bench/process.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kShown = "KEL main window shown";

// The reference: an empty main window that reports its first paint like KEL.
class Reporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [] {
                std::printf("%s\n", kShown);
                std::fflush(stdout);
            });
        }
        return false;
    }
};

int ReferenceWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    Reporter reporter;
    window.installEventFilter(&reporter);
    window.resize(1024, 720);
    window.show();
    return app.exec();
}

struct Run {
    double shownMs = -1;
    double idlePercent = -1;
};

// Starts the program, waits for its report, and with idleSeconds > 0 also
// measures its CPU over that time after a settling second.
Run Measure(const QString& program, const QStringList& args, const QProcessEnvironment& env, int idleSeconds) {
    Run run;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!p.waitForStarted(10000)) return run;
    QByteArray out;
    while (timer.elapsed() < 60000 && p.state() == QProcess::Running) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
        if (out.contains(kShown)) {
            run.shownMs = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    if (run.shownMs >= 0 && idleSeconds > 0) {
        QThread::sleep(1);
        const double a = kel_bench::ProcessCpuSeconds(static_cast<pid_t>(p.processId()));
        QThread::sleep(static_cast<unsigned long>(idleSeconds));
        const double b = kel_bench::ProcessCpuSeconds(static_cast<pid_t>(p.processId()));
        if (a >= 0 && b >= 0) run.idlePercent = 100.0 * (b - a) / idleSeconds;
    }
    p.kill();
    p.waitForFinished(10000);
    return run;
}

bool RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--reference-window") return ReferenceWindow(argc, argv);
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int idle = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int idleRuns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

    const QString bin = QFileInfo(QCoreApplication::applicationDirPath() + "/../bin").absoluteFilePath();
    const QString kel = bin + "/KEL";
    if (!QFileInfo(kel).isExecutable()) {
        std::fprintf(stderr, "startup_bench: %s not built\n", qPrintable(kel));
        return 1;
    }
    QTemporaryDir work;
    const QString home = work.path() + "/home";
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    if (!RunTool(bin + "/kel-prepare-home", {home}) ||
        !RunTool(bin + "/kel-mediagen", {"--out", work.path() + "/disk1", "--family", "2", "--channels", "4",
                                         "--per-day", "3", "--seconds", "60", "--repeat-gop", "--start", today,
                                         "--drive-table", work.path() + "/drives.txt", "--letter", "E", "--drive",
                                         "1"})) {
        std::fprintf(stderr, "startup_bench: cannot prepare the program folder and sample media\n");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString platform = env.value("KEL_BENCH_PLATFORM", "offscreen");
    env.insert("QT_QPA_PLATFORM", platform);
    env.insert("KEL_HOME", home);
    env.insert("KEL_DRIVES", work.path() + "/drives.txt");
    env.insert("KEL_REPORT_SHOWN", "1");

    std::vector<double> kelMs, refMs;
    // One start of each first, not counted: it fills the file cache.
    Measure(kel, {}, env, 0);
    Measure(QCoreApplication::applicationFilePath(), {"--reference-window"}, env, 0);
    for (int i = 0; i < runs; ++i) {
        kelMs.push_back(Measure(kel, {}, env, 0).shownMs);
        refMs.push_back(Measure(QCoreApplication::applicationFilePath(), {"--reference-window"}, env, 0).shownMs);
    }
    std::vector<double> kelIdle, refIdle;
    for (int i = 0; i < idleRuns; ++i) {
        kelIdle.push_back(Measure(kel, {}, env, idle).idlePercent);
        refIdle.push_back(Measure(QCoreApplication::applicationFilePath(), {"--reference-window"}, env, idle).idlePercent);
    }

    std::printf("start-up on the %s platform, %d runs (idle: %d runs of %d s); median (min, max); %s\n",
                qPrintable(platform), runs, idleRuns, idle, kel_bench::Machine().c_str());
    const kel_bench::Spread shown = kel_bench::Of(kelMs);
    const kel_bench::Spread quiet = kel_bench::Of(kelIdle);
    std::printf("startup.main_window_shown   %s ms   reference empty Qt window %s ms   aim < 1000 ms   %s\n",
                kel_bench::Text(shown, "%.0f").c_str(), kel_bench::Text(kel_bench::Of(refMs), "%.0f").c_str(),
                kel_bench::Verdict(shown.median < 1000));
    std::printf("startup.idle_cpu            %s %% of a core   reference empty Qt window %s %%   aim < 1 %%   %s\n",
                kel_bench::Text(quiet, "%.2f").c_str(), kel_bench::Text(kel_bench::Of(refIdle), "%.2f").c_str(),
                kel_bench::Verdict(quiet.median < 1));
    const bool failed = std::any_of(kelMs.begin(), kelMs.end(), [](double v) { return v < 0; });
    if (failed) std::fprintf(stderr, "startup_bench: KEL did not report its main window in some runs\n");
    return failed ? 1 : 0;
}
