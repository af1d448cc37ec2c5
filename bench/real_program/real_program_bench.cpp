// SPDX-License-Identifier: GPL-3.0-or-later
// The real KEL program (bin/KEL of the same build folder, not a harness of
// its widgets) playing sixteen realistic 1080p recordings (8 Mbit/s, 25 fps)
// of one sample medium in step, as its operator plays them: what it holds
// and what it burns. Printed are the median and the range over the runs of:
// - its peak resident memory (VmHWM) while the sixteen windows play;
// - the cores it keeps busy then, and its CPU per second of video painted,
//   with the frames its views painted against the frames due (a window that
//   falls behind paints less and must not look cheaper);
// - its CPU once every window is paused, and once nothing is open (idle).
// With --load N, N busy processes at the same priority run all along.
//
//   real_program_bench [seconds] [runs] [--load N]   (defaults 20, 3, 0)
//
// KEL runs on a virtual X display (Xvfb, 1920x1080) when Xvfb is installed,
// else on the offscreen platform (the first line says which), over a fresh
// program folder each run. The operator's steps are taken by a Qt input
// plugin built beside this program (plugins/generic), loaded into KEL
// through QT_QPA_GENERIC_PLUGINS: see driver.cpp. The medium is written once
// into bench-media/real_program of the build folder. The figures are those
// of the whole machine: on a shared machine they vary.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "kel_bench/figures.h"
#include "kel_bench/process.h"

namespace {

const int kWindows = 16;
const int kFps = 25;
const char* const kDay = "2024-03-01";
const int kIdleSeconds = 10;
// The driver's step timeout is two minutes; a little more here.
const int kStepMs = 150000;

struct Display {
    QString platform = QStringLiteral("offscreen");
    QString name;   // ":N" on Xvfb
    std::unique_ptr<QProcess> server;

    ~Display() {
        if (!server) return;
        server->terminate();
        if (!server->waitForFinished(5000)) server->kill();
        server->waitForFinished(5000);
    }
};

// A virtual display of its own when Xvfb is installed.
void StartDisplay(Display* d) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) return;
    int n = 90;
    while (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)) || QFileInfo::exists(QString("/tmp/.X%1-lock").arg(n)))
        ++n;
    d->server = std::make_unique<QProcess>();
    d->server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    d->server->setStandardOutputFile(QProcess::nullDevice());
    d->server->start(xvfb, {QString(":%1").arg(n), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"});
    QElapsedTimer waited;
    waited.start();
    const QString socket = QString("/tmp/.X11-unix/X%1").arg(n);
    while (!QFileInfo::exists(socket) && d->server->state() != QProcess::NotRunning && waited.elapsed() < 20000)
        d->server->waitForFinished(50);
    if (!QFileInfo::exists(socket)) {
        std::fprintf(stderr, "real_program_bench: Xvfb did not start; the offscreen platform instead\n");
        d->server.reset();
        return;
    }
    d->platform = QStringLiteral("xcb");
    d->name = QString(":%1").arg(n);
}

// Runs a tool of the build; what it reports is not wanted, its errors are.
bool RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The sample medium: one recorder's sixteen channels, one recording each,
// from 08:00:00 of kDay. Written once; "complete" marks a whole one.
bool PrepareMedium(const QString& bin, const QString& folder, int seconds) {
    if (QFileInfo::exists(folder + "/complete")) return true;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    std::fprintf(stderr, "real_program_bench: writing 16 realistic 1080p recordings of %d s into %s (once)\n", seconds,
                 qPrintable(folder));
    if (!RunTool(bin + "/kel-mediagen",
                 {"--out", folder + "/disk1", "--family", "2", "--channels", QString::number(kWindows), "--per-day", "1",
                  "--seconds", QString::number(seconds), "--realistic", "--size", "1920x1080", "--start", kDay,
                  "--drive-table", folder + "/drives.txt", "--letter", "E", "--drive", "1"}))
        return false;
    QFile mark(folder + "/complete");
    return mark.open(QIODevice::WriteOnly);
}

// KEL with the driver in it, and what it says.
class Kel {
public:
    Kel(const QString& program, const QProcessEnvironment& env) {
        m_p.setProcessEnvironment(env);
        m_p.start(program, QStringList());
        m_p.waitForStarted(10000);
    }
    ~Kel() {
        if (m_p.state() == QProcess::NotRunning) return;
        m_p.kill();
        m_p.waitForFinished(10000);
    }
    pid_t pid() const { return static_cast<pid_t>(m_p.processId()); }
    bool running() const { return m_p.state() == QProcess::Running; }
    QString failure() const { return m_failure; }
    QByteArray errors() const { return m_errors.right(2000); }

    // The driver's next report that starts with `what` (after "kel-driver: "),
    // or an empty text when it failed, KEL ended or the time ran out.
    QString expect(const QString& what, int ms = kStepMs) {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            for (int end; (end = m_out.indexOf('\n')) >= 0;) {
                const QString line = QString::fromLocal8Bit(m_out.left(end)).trimmed();
                m_out.remove(0, end + 1);
                if (!line.startsWith(QLatin1String("kel-driver: "))) continue;
                const QString report = line.mid(12);
                if (report.startsWith(what)) return report;
                if (report.startsWith(QLatin1String("failed"))) {
                    m_failure = report;
                    return QString();
                }
            }
            if (!running()) {
                if (m_failure.isEmpty()) m_failure = QStringLiteral("KEL ended");
                return QString();
            }
            if (waited.elapsed() > ms) {
                m_failure = QString("no \"%1\" within %2 s").arg(what).arg(ms / 1000);
                return QString();
            }
            read(100);
        }
    }

    QString ask(const char* command, const QString& reply) {
        m_p.write(QByteArray(command) + '\n');
        m_p.waitForBytesWritten(5000);
        return expect(reply);
    }

    // Lets `ms` pass, taking in what KEL writes meanwhile.
    void wait(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms && running()) read(static_cast<int>(std::min<qint64>(100, ms - waited.elapsed())));
    }

private:
    void read(int ms) {
        m_p.waitForReadyRead(std::max(1, ms));
        m_out += m_p.readAllStandardOutput();
        m_errors += m_p.readAllStandardError();
        if (m_errors.size() > 64000) m_errors = m_errors.right(8000);
    }

    QProcess m_p;
    QByteArray m_out, m_errors;
    QString m_failure;
};

// The paints of each window's view so far.
std::vector<long> Frames(Kel& kel) {
    const QString report = kel.ask("frames", QStringLiteral("frames"));
    std::vector<long> frames;
    for (const QString& n : report.mid(6).split(' ', Qt::SkipEmptyParts)) frames.push_back(n.toLong());
    return frames;
}

// CPU (per cent of a core) over `seconds`: by the scheduler's count of the
// threads running throughout, or by clock ticks when that is not there.
double IdlePercent(Kel& kel, int seconds) {
    const double ticks0 = kel_bench::ProcessCpuSeconds(kel.pid());
    const double ns0 = kel_bench::ThreadsCpuSeconds(kel.pid());
    QElapsedTimer clock;
    clock.start();
    kel.wait(seconds * 1000);
    const double wall = clock.nsecsElapsed() / 1e9;
    const double ticks1 = kel_bench::ProcessCpuSeconds(kel.pid());
    const double ns1 = kel_bench::ThreadsCpuSeconds(kel.pid());
    if (!kel.running() || ticks0 < 0 || ticks1 < 0) return -1;
    const double used = ns0 >= 0 && ns1 >= ns0 ? ns1 - ns0 : ticks1 - ticks0;
    return 100.0 * used / wall;
}

struct Run {
    double peakMiB = -1, coresBusy = -1, cpuPerPainted = -1, painted = -1, leastPainted = -1;
    double idlePaused = -1, idleClosed = -1;
};

bool MeasureOnce(const QString& kelProgram, const QProcessEnvironment& base, const QString& bin, int seconds,
                 Run* run) {
    QTemporaryDir work;
    const QString home = work.path() + "/home";
    if (!RunTool(bin + "/kel-prepare-home", {home})) {
        std::fprintf(stderr, "real_program_bench: cannot prepare a program folder\n");
        return false;
    }
    QProcessEnvironment env = base;
    env.insert("KEL_HOME", home);
    Kel kel(kelProgram, env);
    auto failed = [&kel](const char* when) {
        std::fprintf(stderr, "real_program_bench: %s: %s\n%s\n", when, qPrintable(kel.failure()),
                     kel.errors().constData());
        return false;
    };
    if (kel.expect(QStringLiteral("playing")).isEmpty()) return failed("starting to play");
    kel.wait(2000);   // settle
    const std::vector<long> frames0 = Frames(kel);
    const double cpu0 = kel_bench::ProcessCpuSeconds(kel.pid());
    QElapsedTimer clock;
    clock.start();
    kel.wait(seconds * 1000);
    const double cpu1 = kel_bench::ProcessCpuSeconds(kel.pid());
    const double wall = clock.nsecsElapsed() / 1e9;
    const long peak = kel_bench::PeakResidentKiB(kel.pid());
    const std::vector<long> frames1 = Frames(kel);
    if (frames0.size() < kWindows || frames1.size() != frames0.size() || cpu0 < 0 || cpu1 < 0 || peak < 0)
        return failed("playing");
    long total = 0, least = -1;
    for (size_t i = 0; i < frames0.size(); ++i) {
        const long n = frames1[i] - frames0[i];
        total += n;
        least = least < 0 ? n : std::min(least, n);
    }
    const double due = wall * kFps;
    run->peakMiB = peak / 1024.0;
    run->coresBusy = (cpu1 - cpu0) / wall;
    run->cpuPerPainted = total > 0 ? (cpu1 - cpu0) / (double(total) / kFps) : -1;
    run->painted = total / (due * frames0.size());
    run->leastPainted = least / due;

    if (kel.ask("pause", QStringLiteral("paused")).isEmpty()) return failed("pausing");
    kel.wait(2000);
    run->idlePaused = IdlePercent(kel, kIdleSeconds);
    if (kel.ask("close", QStringLiteral("closed")).isEmpty()) return failed("closing");
    kel.wait(2000);
    run->idleClosed = IdlePercent(kel, kIdleSeconds);
    if (run->idlePaused < 0 || run->idleClosed < 0) return failed("idle");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> numbers;
    int load = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--load" && i + 1 < argc) load = std::max(0, std::atoi(argv[++i]));
        else numbers.push_back(std::atoi(argv[i]));
    }
    const int seconds = numbers.size() > 0 ? std::max(5, numbers[0]) : 20;
    const int runs = numbers.size() > 1 ? std::max(1, numbers[1]) : 3;

    const QString here = QCoreApplication::applicationDirPath();
    const QString bin = QFileInfo(here + "/../bin").absoluteFilePath();
    const QString kel = bin + "/KEL";
    const QString plugins = here + "/plugins";
    if (!QFileInfo(kel).isExecutable() || !QFileInfo::exists(plugins + "/generic")) {
        std::fprintf(stderr, "real_program_bench: %s or its driver plugin not built\n", qPrintable(kel));
        return 1;
    }
    // Recordings long enough for the start, the search and the settling
    // before the measured time.
    const int length = seconds + 40;
    const QString medium =
        QFileInfo(here + QString("/../bench-media/real_program/16x%1s").arg(length)).absoluteFilePath();
    if (!PrepareMedium(bin, medium, length)) {
        std::fprintf(stderr, "real_program_bench: cannot write the sample medium\n");
        return 1;
    }

    Display display;
    StartDisplay(&display);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", display.platform);
    if (!display.name.isEmpty()) env.insert("DISPLAY", display.name);
    const QString pluginPath = env.value("QT_PLUGIN_PATH");
    env.insert("QT_PLUGIN_PATH", pluginPath.isEmpty() ? plugins : plugins + ":" + pluginPath);
    env.insert("QT_QPA_GENERIC_PLUGINS", QString("kel-bench-driver:%1").arg(kDay));
    env.insert("KEL_DRIVES", medium + "/drives.txt");

    kel_bench::BusyLoad busy(load);
    std::vector<double> peak, cores, perPainted, painted, least, idlePaused, idleClosed;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!MeasureOnce(kel, env, bin, seconds, &run)) {
            ++failures;
            continue;
        }
        peak.push_back(run.peakMiB);
        cores.push_back(run.coresBusy);
        perPainted.push_back(run.cpuPerPainted);
        painted.push_back(run.painted);
        least.push_back(run.leastPainted);
        idlePaused.push_back(run.idlePaused);
        idleClosed.push_back(run.idleClosed);
    }

    const QString where = display.name.isEmpty() ? QStringLiteral("the offscreen platform (no Xvfb)")
                                                 : QString("Xvfb %1 (1920x1080)").arg(display.name);
    std::printf("the real KEL on %s, %d windows of realistic 1080p recordings (8 Mbit/s, 25 fps) in step, %d of %d "
                "runs of %d s, %d busy processes beside; median (min, max); %s\n",
                qPrintable(where), kWindows, runs - failures, runs, seconds, load, kel_bench::Machine().c_str());
    if (peak.empty()) {
        std::printf("real_program: not measured   NOT MET\n");
        return 1;
    }
    using kel_bench::Of;
    using kel_bench::Text;
    using kel_bench::Verdict;
    const kel_bench::Spread peakS = Of(peak), pausedS = Of(idlePaused), closedS = Of(idleClosed);
    std::printf("real_program.peak_resident          %s MiB while %d windows play   aim < 1024 MiB   %s\n",
                Text(peakS, "%.0f").c_str(), kWindows, Verdict(peakS.median < 1024));
    std::printf("real_program.cores_busy             %s cores while %d windows play (of %ld)   reported only\n",
                Text(Of(cores), "%.2f").c_str(), kWindows, sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("real_program.cpu_per_second_painted %s core-s per s of video painted   reported only\n",
                Text(Of(perPainted), "%.3f").c_str());
    std::printf("real_program.frames_painted         %s of the frames due (all windows); the least painting window "
                "%s   reported only\n",
                Text(Of(painted), "%.3f").c_str(), Text(Of(least), "%.3f").c_str());
    std::printf("real_program.idle_cpu_paused        %s %% of a core with every window paused   aim < 0.2 %%   %s\n",
                Text(pausedS, "%.3f").c_str(), Verdict(pausedS.median < 0.2));
    std::printf("real_program.idle_cpu_closed        %s %% of a core with nothing open   aim < 0.2 %%   %s\n",
                Text(closedS, "%.3f").c_str(), Verdict(closedS.median < 0.2));
    return failures == 0 ? 0 : 1;
}
