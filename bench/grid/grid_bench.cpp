// SPDX-License-Identifier: GPL-3.0-or-later
// Sixteen windows of the playback grid playing sixteen different realistic
// 1080p recordings (8 Mbit/s, 25 fps) in step, through the real cells and
// their drawing. Each run is a process of its own; printed are the median
// and the range over the runs of:
// - CPU per second of video actually painted (a window that falls behind
//   paints less and must not look cheaper), beside ffmpeg decoding the same
//   files on one thread each, at real time (-re, all at once) and flat out;
// - frames painted (paint events of the views) against frames due;
// - the largest spread between the windows' played times (the moments each
//   window reaches a new second of the recorder's clock);
// - peak resident memory, and the CPU of the whole process once every window
//   is paused through the grid's control, and once every window is closed
//   (idle).
// With --load N, N busy processes at the same priority run all along (the
// references too): the grid must stay in step, painting fewer frames. On 8
// cores the grid needs about 3; --load 8 leaves it enough, --load 40 does
// not (starved windows leave out frames there, never seconds).
//
//   grid_bench [seconds] [windows] [runs] [--load N]   (defaults 30, 16, 3, 0)
//
// The heap is set up as in the programs (large blocks from the system).
// The recordings are written once into bench-media/grid of the build folder.
// The figures are those of the whole machine: on a shared machine they vary.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "storage/ChannelFiles.h"
#include "storage/CommonHelpers.h"
#include "Playback/PlayBackInteraction.h"
#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackModes.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "storage/Settings.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"
#include "PlayControlBar/VideoTimeSliderWidget.h"
#include "kel_bench/process.h"
#include "recmedia/encoder.h"
#include "vintrel.h"
#include "wincompat/heap.h"
#include "ziraz/dialogs.h"

namespace {

const uint32_t kStart = 1709280000;   // 2024-03-01 08:00:00
const int kFps = 25;

double CpuSecondsOf(int who) {
    struct rusage u {};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Watches the recorder time of the frame each port shows, on a thread of its
// own every millisecond, and notes when each port reached each second:
// the windows' played times apart at the moment they should all change
// together.
class PlayedTimeWatch {
public:
    explicit PlayedTimeWatch(std::vector<int> ports) : m_ports(std::move(ports)), m_reached(m_ports.size()) {
        m_thread = std::thread([this] { Run(); });
    }
    ~PlayedTimeWatch() { Stop(); }
    void Stop() {
        if (!m_thread.joinable()) return;
        m_stop = true;
        m_thread.join();
    }
    double CpuSeconds() const { return m_cpu; }
    // Largest and median spread (ms) over the seconds every port reached
    // while watched; the number of such seconds.
    void Spread(double* largest, double* median, int* seconds) const {
        std::vector<double> spreads;
        for (const auto& kv : m_reached[0]) {
            int64_t lo = kv.second, hi = kv.second;
            bool all = true;
            for (size_t i = 1; i < m_reached.size() && all; ++i) {
                auto it = m_reached[i].find(kv.first);
                if (it == m_reached[i].end()) {
                    all = false;
                } else {
                    lo = std::min(lo, it->second);
                    hi = std::max(hi, it->second);
                }
            }
            if (all) spreads.push_back((hi - lo) / 1e6);
        }
        std::sort(spreads.begin(), spreads.end());
        *seconds = static_cast<int>(spreads.size());
        *largest = spreads.empty() ? -1 : spreads.back();
        *median = spreads.empty() ? -1 : spreads[spreads.size() / 2];
    }

private:
    void Run() {
        std::vector<uint32_t> last(m_ports.size());
        for (size_t i = 0; i < m_ports.size(); ++i) last[i] = Ostrum_GetSpecialData(m_ports[i]);
        while (!m_stop) {
            const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
            for (size_t i = 0; i < m_ports.size(); ++i) {
                const uint32_t t = Ostrum_GetSpecialData(m_ports[i]);
                if (t == last[i]) continue;
                last[i] = t;
                m_reached[i].emplace(t, now);   // the first time only
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        m_cpu = CpuSecondsOf(RUSAGE_THREAD);
    }

    std::vector<int> m_ports;
    std::vector<std::map<uint32_t, int64_t>> m_reached;   // per port: second -> when reached
    std::atomic<bool> m_stop{false};
    double m_cpu = 0;
    std::thread m_thread;
};

std::string RecordingPath(const std::string& folder, int channel, int seconds) {
    return folder + "/" + TimeToString(kStart) + "_" + TimeToString(kStart + seconds) + "_" + std::to_string(channel) +
           ".mp4";
}

bool PrepareRecordings(const std::string& folder, int windows, int seconds) {
    QDir().mkpath(QString::fromStdString(folder));
    for (int ch = 1; ch <= windows; ++ch) {
        const std::string path = RecordingPath(folder, ch, seconds);
        if (QFileInfo::exists(QString::fromStdString(path))) continue;
        std::fprintf(stderr, "writing %s\n", path.c_str());
        recmedia::RecordingSpec spec;
        spec.path = path + ".part";
        spec.channel = ch;
        spec.start = kStart;
        spec.seconds = static_cast<uint32_t>(seconds);
        spec.width = 1920;
        spec.height = 1080;
        spec.fps = kFps;
        spec.seed = static_cast<uint32_t>(100 + ch);
        spec.realistic = true;
        std::string error;
        if (!recmedia::EncodeRecording(spec, &error)) {
            std::fprintf(stderr, "grid_bench: %s\n", error.c_str());
            return false;
        }
        std::rename(spec.path.c_str(), path.c_str());
    }
    return true;
}

ChannelFiles* Record(const std::string& folder, int channel, int seconds) {
    auto* r = new ChannelFiles;
    r->DiskName = QString::fromStdString(folder);
    r->DeviceName = "DVR";
    r->ChannelInfo.SetChannelNumber(channel);
    r->ChannelInfo.SetDevice("DVR");
    r->ChannelInfo.SetRbs(true);
    r->StartTime = QDateTime::fromSecsSinceEpoch(kStart).date();
    r->EndTime = r->StartTime;
    r->SingleFileList.push_back(new APT_QMR::CSingleFile(RecordingPath(folder, channel, seconds), folder, 1000, kStart,
                                                         kStart + seconds, 1, "DVR", channel));
    return r;
}

// Counts the paints of the player's views (the frames that reached the screen).
class PaintCounter : public QObject {
public:
    std::map<QObject*, int> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

// CPU seconds of ffmpeg decoding every file on one thread each: flat out
// (8 at a time), or at real time (-re, all at once, as the grid plays).
double FfmpegCpu(const std::vector<std::string>& files, bool realTime) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) return -1;
    const double before = CpuSecondsOf(RUSAGE_CHILDREN);
    std::vector<QProcess*> running;
    size_t next = 0;
    const size_t atOnce = realTime ? files.size() : 8;
    while (next < files.size() || !running.empty()) {
        while (next < files.size() && running.size() < atOnce) {
            auto* p = new QProcess;
            QStringList args{"-v", "error", "-threads", "1"};
            if (realTime) args << "-re";
            args << "-skip_initial_bytes" << "40" << "-f" << "mpeg" << "-i" << QString::fromStdString(files[next++])
                 << "-an" << "-f" << "null" << "-";
            p->start(ffmpeg, args);
            running.push_back(p);
        }
        running.front()->waitForFinished(-1);
        delete running.front();
        running.erase(running.begin());
    }
    return CpuSecondsOf(RUSAGE_CHILDREN) - before;
}

struct Range {
    double median = -1, lo = -1, hi = -1;
};
Range RangeOf(std::vector<double> v) {
    Range r;
    if (v.empty()) return r;
    std::sort(v.begin(), v.end());
    r.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    r.lo = v.front();
    r.hi = v.back();
    return r;
}
std::string Text(const Range& r, const char* format) {
    char m[64], lo[64], hi[64], out[256];
    std::snprintf(m, sizeof m, format, r.median);
    std::snprintf(lo, sizeof lo, format, r.lo);
    std::snprintf(hi, sizeof hi, format, r.hi);
    std::snprintf(out, sizeof out, "%s [%s..%s]", m, lo, hi);
    return out;
}

}  // namespace

int Measure(int argc, char** argv, int seconds, int windows, const std::string& folder, int length) {
    QApplication app(argc, argv);
    ziraz::ScopedDialogPresenter quiet([](const ziraz::DialogCall&) -> std::optional<int> { return 0; });
    auto* s = CSettingsStore::GetInstance();
    const QString scratch = QDir::tempPath() + "/kel-grid-bench";
    QDir().mkpath(scratch);
    s->SetValueText(SettingKey::ClipSavePath, scratch + "/");
    s->SetValueText(SettingKey::CaptureSavePath, scratch + "/");
    g_playbackMode = 0;
    g_saveFolderMode = 0;
    g_diskSearchMode = 0;
    PlayControlBar::SetMapDialogFactory([](PlayControlBar*) { return nullptr; });

    PlaybackControlArea area(nullptr, 0);
    area.resize(1600, 900);
    VideoTimeSliderWidget slider;
    area.setTimeSlider(&slider);
    area.connectTimeUpdate();
    PlaybackWindow* grid = area.playbackWindow();
    QVector<ChannelFiles*> records;
    for (int ch = 1; ch <= windows; ++ch) records << Record(folder, ch, length);
    SearchPanelAccess access;
    access.selectedFiles = [&records]() { return records; };
    access.locateFile = [&records](const QModelIndex&) { return records; };
    access.dateTimeRange = [](QDateTime* start, QDateTime* end) {
        *start = QDateTime::fromSecsSinceEpoch(kStart).date().startOfDay();
        *end = QDateTime(start->date(), QTime(23, 59, 59));
        return true;
    };
    grid->setSearchAccess(access);
    area.show();
    grid->sixteenScreenSplit();

    // Runs the event loop for a while, sleeping when there is nothing to do
    // (as the program's own loop does).
    auto pump = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    auto interaction = [grid](int i) { return grid->model()->interaction(i); };
    auto port = [&](int i) {
        APT_QMR::CPlayBackInteraction* ia = interaction(i);
        return ia ? ia->m_streamPlayer.GetPlayer()->GetPort() : -1;
    };
    grid->onAcceptDrop(0);
    QElapsedTimer wait;
    wait.start();
    for (;;) {
        int playing = 0;
        for (int i = 0; i < windows; ++i)
            if (interaction(i) && interaction(i)->m_streamPlayer.GetPlayedTime() >= static_cast<time_t>(kStart)) ++playing;
        if (playing == windows) break;
        if (wait.elapsed() > 120000) {
            std::fprintf(stderr, "grid_bench: only %d of %d windows play\n", playing, windows);
            return 1;
        }
        pump(10);
    }
    // In step, as the operator plays a grid of cameras.
    grid->model()->select(0);
    grid->onBtnSyncClick();
    pump(1500);   // settle
    PaintCounter counter;
    for (QWidget* w : area.findChildren<QWidget*>(QStringLiteral("vintrel_view"))) w->installEventFilter(&counter);

    std::vector<int> ports(windows);
    for (int i = 0; i < windows; ++i) ports[i] = port(i);
    std::vector<uint32_t> frames0(windows);
    for (int i = 0; i < windows; ++i) frames0[i] = Ostrum_GetCurrentFrameNum(ports[i]);
    counter.paints.clear();
    const double cpu0 = CpuSecondsOf(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    PlayedTimeWatch watch(ports);
    while (clock.elapsed() < seconds * 1000) pump(20);
    watch.Stop();
    const double wall = clock.nsecsElapsed() / 1e9;
    // The watch is the benchmark's, not the player's.
    const double cpu = CpuSecondsOf(RUSAGE_SELF) - cpu0 - watch.CpuSeconds();
    double spreadMs = 0, spreadMedianMs = 0;
    int spreadSeconds = 0;
    watch.Spread(&spreadMs, &spreadMedianMs, &spreadSeconds);
    int shownMin = INT32_MAX;
    for (int i = 0; i < windows; ++i)
        shownMin = std::min(shownMin, static_cast<int>(Ostrum_GetCurrentFrameNum(ports[i]) - frames0[i]));
    int paintedMin = INT32_MAX, paintedTotal = 0;
    for (auto& kv : counter.paints) {
        paintedMin = std::min(paintedMin, kv.second);
        paintedTotal += kv.second;
    }
    if (static_cast<int>(counter.paints.size()) < windows) paintedMin = 0;
    // Idle: the CPU of the whole process (every thread of it) while nothing
    // plays, after the threads had time to settle: every window paused
    // through the grid's own control, then every window closed.
    auto idleCpu = [&pump] {
        pump(2000);
        const double before = CpuSecondsOf(RUSAGE_SELF);
        QElapsedTimer idleClock;
        idleClock.start();
        pump(5000);
        return (CpuSecondsOf(RUSAGE_SELF) - before) / (idleClock.nsecsElapsed() / 1e9);
    };
    grid->onPauseAll();
    const double idle = idleCpu();
    const long peak = kel_bench::PeakResidentKiB(getpid());
    grid->onCloseAll();
    const double idleClosed = idleCpu();
    std::printf("GRID_RESULT %.4f %.4f %d %d %d %.1f %.1f %d %ld %.5f %.5f\n", cpu, wall, paintedTotal, paintedMin,
                shownMin, spreadMs, spreadMedianMs, spreadSeconds, peak, idle, idleClosed);
    std::fflush(stdout);
    std::_Exit(0);   // the figures are out; tearing sixteen players down is not measured
}

int main(int argc, char** argv) {
    wincompat::UseLargeBlocksFromTheSystem();
    std::vector<std::string> args(argv + 1, argv + argc);
    int load = 0;
    bool one = false;
    std::vector<int> numbers;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--load" && i + 1 < args.size()) load = std::atoi(args[++i].c_str());
        else if (args[i] == "--one") one = true;
        else numbers.push_back(std::atoi(args[i].c_str()));
    }
    const int seconds = numbers.size() > 0 ? std::max(5, numbers[0]) : 30;
    const int windows = numbers.size() > 1 ? std::min(16, std::max(1, numbers[1])) : 16;
    const int runs = numbers.size() > 2 ? std::max(1, numbers[2]) : 3;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toStdString() + "/../bench-media/grid";
    // Recordings a little longer than the measured time: the windows start
    // and settle first.
    const int length = seconds + 4;
    if (one) return Measure(argc, argv, seconds, windows, folder, length);
    if (!PrepareRecordings(folder, windows, length)) return 1;
    QCoreApplication app(argc, argv);

    kel_bench::BusyLoad busy(load);
    std::vector<double> cpuShown, paintedShare, paintedMinShare, spread, spreadMedian, peak, idle, idleClosed, coresBusy;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(QString::fromLocal8Bit(argv[0]),
                    {QString::number(seconds), QString::number(windows), "--one"});
        child.waitForFinished(-1);
        const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
        bool got = false;
        for (const QByteArray& line : lines) {
            double cpu, wall, spreadMs, spreadMed, idleCpu, idleClosedCpu;
            int paintedTotal, paintedMin, shownMin, spreadSeconds;
            long peakKiB;
            if (std::sscanf(line.constData(), "GRID_RESULT %lf %lf %d %d %d %lf %lf %d %ld %lf %lf", &cpu, &wall,
                            &paintedTotal, &paintedMin, &shownMin, &spreadMs, &spreadMed, &spreadSeconds, &peakKiB,
                            &idleCpu, &idleClosedCpu) != 11)
                continue;
            got = true;
            const double due = wall * kFps;
            const double shownSeconds = paintedTotal / double(kFps);
            cpuShown.push_back(shownSeconds > 0 ? cpu / shownSeconds : -1);
            paintedShare.push_back(paintedTotal / (due * windows));
            paintedMinShare.push_back(paintedMin / due);
            spread.push_back(spreadMs);
            spreadMedian.push_back(spreadMed);
            peak.push_back(peakKiB / 1024.0);
            idle.push_back(idleCpu * 100);
            idleClosed.push_back(idleClosedCpu * 100);
            coresBusy.push_back(cpu / wall);
        }
        if (!got) {
            std::fprintf(stderr, "grid_bench: run %d gave no figures: %s\n", run + 1,
                         child.readAllStandardError().constData());
            return 1;
        }
    }
    std::vector<std::string> files;
    for (int ch = 1; ch <= windows; ++ch) files.push_back(RecordingPath(folder, ch, length));
    const double videoSeconds = double(length) * windows;
    std::vector<double> flat, realTime;
    for (int run = 0; run < runs; ++run) {
        flat.push_back(FfmpegCpu(files, false) / videoSeconds);
        realTime.push_back(FfmpegCpu(files, true) / videoSeconds);
    }
    const Range ours = RangeOf(cpuShown), re = RangeOf(realTime), bare = RangeOf(flat);
    const Range spreadR = RangeOf(spread), peakR = RangeOf(peak), idleR = RangeOf(idle), idleClosedR = RangeOf(idleClosed);
    const Range paintedR = RangeOf(paintedShare), paintedMinR = RangeOf(paintedMinShare);
    auto met = [](bool ok) { return ok ? "met" : "NOT met"; };

    std::printf("%d windows of 1080p realistic recordings (8 Mbit/s, 25 fps) in step, %d runs of %d s, %ld cores, "
                "%d busy processes beside; median [min..max] of the runs (a shared machine moves them)\n",
                windows, runs, seconds, sysconf(_SC_NPROCESSORS_ONLN), load);
    std::printf("grid.cpu_per_second_painted  %s core-s per s of video painted   ffmpeg -threads 1: -re %s, flat out %s"
                "   ratio %.2f to -re (aim <= 1.3: %s)\n",
                Text(ours, "%.3f").c_str(), Text(re, "%.3f").c_str(), Text(bare, "%.3f").c_str(),
                re.median > 0 ? ours.median / re.median : 0.0, met(re.median > 0 && ours.median <= 1.3 * re.median));
    std::printf("grid.cores_busy              %s of %ld\n", Text(RangeOf(coresBusy), "%.2f").c_str(),
                sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("grid.frames_painted          %s of the frames due (all windows); the least painting window %s"
                "   aim %s\n",
                Text(paintedR, "%.3f").c_str(), Text(paintedMinR, "%.3f").c_str(),
                load > 0 ? "fewer frames in step, reported only" : (paintedMinR.median >= 0.98 ? "0.98: met" : "0.98: NOT met"));
    std::printf("grid.spread                  %s ms largest gap between the windows' played times (median gap %s ms)"
                "   aim <= 80 ms (two frames): %s (-1: no second reached by every window)\n",
                Text(spreadR, "%.1f").c_str(), Text(RangeOf(spreadMedian), "%.1f").c_str(), met(spreadR.lo >= 0 && spreadR.median <= 80));
    std::printf("grid.peak_resident           %s MiB   aim < 1024 MiB: %s\n", Text(peakR, "%.0f").c_str(),
                met(peakR.median < 1024));
    std::printf("grid.idle_cpu                %s %% of a core (whole process) with every window paused   aim < 0.2 %%: %s\n",
                Text(idleR, "%.3f").c_str(), met(idleR.median < 0.2));
    std::printf("grid.idle_cpu_closed         %s %% of a core (whole process) with every window closed   aim < 0.2 %%: %s\n",
                Text(idleClosedR, "%.3f").c_str(), met(idleClosedR.median < 0.2));
    return 0;
}
