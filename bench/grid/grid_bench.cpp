// Sixteen windows of the playback grid playing sixteen different realistic
// 1080p recordings (8 Mbit/s, 25 fps) in step, through the real cells and
// their drawing: CPU per second of video, frames shown and painted against
// frames due per window, the largest spread between the windows' played
// times (the moments each window reaches a new second of the recorder's
// clock), and peak resident memory; beside them the CPU of decoding the same files with
// ffmpeg on one thread per file (bare, and with conversion to BGRA), flat
// out, and bare at real time (-re) with all files at once as the windows play.
//
//   grid_bench [seconds] [windows]     (defaults 30 and 16)
//
// The recordings are written once into bench-media/grid of the build folder.
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

#include <sys/resource.h>
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

#include "ChannelFiles.h"
#include "CommonHelpers.h"
#include "PlayBackInteraction.h"
#include "PlayControlBar.h"
#include "PlaybackControlArea.h"
#include "PlaybackGridModel.h"
#include "PlaybackModes.h"
#include "PlaybackWindow.h"
#include "Settings.h"
#include "SinglePlaybackWindow.h"
#include "VideoTimeSliderWidget.h"
#include "recmedia/encoder.h"
#include "vintrel.h"
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

long PeakResidentKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

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

// CPU seconds of ffmpeg decoding every file on one thread each (8 at a time).
double FfmpegCpu(const std::vector<std::string>& files, bool toBgra) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) return -1;
    const double before = CpuSecondsOf(RUSAGE_CHILDREN);
    std::vector<QProcess*> running;
    size_t next = 0;
    while (next < files.size() || !running.empty()) {
        while (next < files.size() && running.size() < 8) {
            auto* p = new QProcess;
            QStringList args{"-v", "error", "-threads", "1", "-skip_initial_bytes", "40", "-f", "mpeg", "-i",
                             QString::fromStdString(files[next++]), "-an"};
            if (toBgra) args << "-pix_fmt" << "bgra";
            args << "-f" << "null" << "-";
            p->start(ffmpeg, args);
            running.push_back(p);
        }
        running.front()->waitForFinished(-1);
        delete running.front();
        running.erase(running.begin());
    }
    return CpuSecondsOf(RUSAGE_CHILDREN) - before;
}

// CPU seconds of ffmpeg decoding every file at real time (-re), all of them
// at once on one thread each: what the windows do, without the screen.
double FfmpegRealTimeCpu(const std::vector<std::string>& files) {
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) return -1;
    const double before = CpuSecondsOf(RUSAGE_CHILDREN);
    std::vector<QProcess*> running;
    for (const std::string& file : files) {
        auto* p = new QProcess;
        p->start(ffmpeg, {"-v", "error", "-re", "-threads", "1", "-skip_initial_bytes", "40", "-f", "mpeg", "-i",
                          QString::fromStdString(file), "-an", "-f", "null", "-"});
        running.push_back(p);
    }
    for (QProcess* p : running) {
        p->waitForFinished(-1);
        delete p;
    }
    return CpuSecondsOf(RUSAGE_CHILDREN) - before;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    const int windows = argc > 2 ? std::min(16, std::max(1, std::atoi(argv[2]))) : 16;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toStdString() + "/../bench-media/grid";
    // Recordings a little longer than the measured time: the windows start
    // and settle first.
    const int length = seconds + 4;
    if (!PrepareRecordings(folder, windows, length)) return 1;

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
    // Frame counts sampled together every 20 ms: a coarse view of the same
    // spread (two windows a millisecond apart differ by a frame when the
    // sample falls between them).
    int frameGap = 0;
    while (clock.elapsed() < seconds * 1000) {
        pump(20);
        uint32_t lo = UINT32_MAX, hi = 0;
        for (int i = 0; i < windows; ++i) {
            const uint32_t n = Ostrum_GetCurrentFrameNum(ports[i]) - frames0[i];
            lo = std::min(lo, n);
            hi = std::max(hi, n);
        }
        frameGap = std::max(frameGap, static_cast<int>(hi - lo));
    }
    watch.Stop();
    const double wall = clock.nsecsElapsed() / 1e9;
    // The watch is the benchmark's, not the player's.
    const double cpu = CpuSecondsOf(RUSAGE_SELF) - cpu0 - watch.CpuSeconds();
    double spreadMs = 0, spreadMedianMs = 0;
    int spreadSeconds = 0;
    watch.Spread(&spreadMs, &spreadMedianMs, &spreadSeconds);
    int shownMin = INT32_MAX, shownMax = 0, paintedMin = INT32_MAX;
    for (int i = 0; i < windows; ++i) {
        const int n = static_cast<int>(Ostrum_GetCurrentFrameNum(ports[i]) - frames0[i]);
        shownMin = std::min(shownMin, n);
        shownMax = std::max(shownMax, n);
    }
    for (auto& kv : counter.paints) paintedMin = std::min(paintedMin, kv.second);
    if (static_cast<int>(counter.paints.size()) < windows) paintedMin = 0;
    const long peak = PeakResidentKiB();
    const int due = static_cast<int>(wall * kFps);
    area.stopAll();
    for (ChannelFiles* r : records) {
        for (auto* f : r->SingleFileList) delete f;
        delete r;
    }

    std::vector<std::string> files;
    for (int ch = 1; ch <= windows; ++ch) files.push_back(RecordingPath(folder, ch, length));
    const double videoSeconds = double(length) * windows;
    const double bare = FfmpegCpu(files, false) / videoSeconds;
    const double bgra = FfmpegCpu(files, true) / videoSeconds;
    const double realTime = FfmpegRealTimeCpu(files) / videoSeconds;
    const double ours = cpu / wall / windows;

    std::printf("%d windows of 1080p realistic recordings (8 Mbit/s, 25 fps) in step for %.1f s, %ld cores\n", windows,
                wall, sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("grid.cpu_per_video_second   %.3f core-s per s of one window's video   reference ffmpeg -threads 1: "
                "%.3f bare, %.3f with BGRA   ratio %.2f to bare (aim <= 1.3)\n",
                ours, bare, bgra, bare > 0 ? ours / bare : 0.0);
    std::printf("grid.cpu_total              %.2f cores busy of %ld\n", cpu / wall, sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("grid.reference_real_time    %.3f core-s per s of one window's video: %d ffmpeg -re -threads 1 decodes "
                "at once   ratio %.2f to it\n",
                realTime, windows, realTime > 0 ? ours / realTime : 0.0);
    std::printf("grid.frames_shown           %d..%d per window   due %d   dropped at most %d (aim 0)\n", shownMin,
                shownMax, due, std::max(0, due - shownMin));
    std::printf("grid.frames_painted         at least %d per window (of %d shown; %zu views painted)\n", paintedMin,
                shownMin, counter.paints.size());
    std::printf("grid.spread                 %.1f ms largest gap between the windows' played times (median %.1f ms, "
                "over %d seconds)   aim <= 40 ms\n",
                spreadMs, spreadMedianMs, spreadSeconds);
    std::printf("grid.frame_count_gap        %d frames at most between windows' frame counts sampled every 20 ms\n",
                frameGap);
    std::printf("grid.peak_resident          %.0f MiB   aim < 1536 MiB\n", peak / 1024.0);
    return 0;
}
