// SPDX-License-Identifier: GPL-3.0-or-later
// Saving one hour of realistic 1080p footage (12 recordings of 5 minutes,
// camera-like pictures at the recorder's 8 Mbit/s and 25 fps, about 3.6 GB)
// from a hard-disk library medium through the downloader, by time, raw and
// converted to .mp4, beside the tools a user would reach for instead:
//  - `cp` of the same recordings (the aim of the raw save: at least 0.95x);
//  - `ffmpeg -c copy` in its best form, one process over all recordings
//    through the concat demuxer (the aim of the .mp4 save: at least 1.5x),
//    and one process per recording beside it.
// Every run ends with `sync -f` of the output folder, so the figures include
// the write to the disk. The tools take turns within each round, and the
// figures are the median, min and max over the rounds; the ratios are taken
// round by round (each save against the reference of its own round).
// Each output is checked (size, and for .mp4 files the video frames and
// duration libavformat finds in them) so that no fast but broken save counts.
//
//   saved_files_bench [rounds]     (default 5)
//
// KEL_BENCH_SAVE_RECORDINGS=n uses the first n recordings only (a quick
// look; the aims are judged on the whole hour). The medium is written once
// into bench-media/saves-1080p of the build folder (it takes a while) and
// kept for later runs.
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "storage/CommonHelpers.h"
#include "storage/QorAutoStorage.h"
#include "storage/Settings.h"
#include "Playback/StreamDownloader.h"
#include "kel_bench/figures.h"
#include "recmedia/media_plan.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

namespace {

constexpr int kRecordings = 12;
constexpr int kRecordingSeconds = 300;
constexpr int kFps = 25;
constexpr double kMp4Aim = 1.5;   // x ffmpeg -c copy through the concat demuxer
constexpr double kRawAim = 0.95;  // x cp

struct Medium {
    std::string folder;
    std::vector<std::string> paths;
    std::vector<APT_QMR::CSingleFile> files;
    uint64_t bytes = 0;
    uint32_t start = 0, end = 0;
    std::string error;
};

std::string Work() { return QDir::tempPath().toStdString() + "/kel_saved_files_bench"; }

recmedia::MediaSpec Spec(const std::string& folder) {
    recmedia::MediaSpec spec;
    spec.outDir = folder;
    spec.family = 2;
    spec.channels = 1;
    spec.perDay = kRecordings;
    spec.seconds = kRecordingSeconds;
    spec.width = 1920;
    spec.height = 1080;
    spec.realistic = true;
    spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
    return spec;
}

// Recordings used: all of the medium unless KEL_BENCH_SAVE_RECORDINGS says fewer.
int Used() {
    const char* n = std::getenv("KEL_BENCH_SAVE_RECORDINGS");
    const int v = n ? std::atoi(n) : kRecordings;
    return v >= 1 && v <= kRecordings ? v : kRecordings;
}

Medium TheMedium(const std::string& folder) {
    Medium m;
    m.folder = folder;
    // The plan of the medium (names and times) without its recordings.
    recmedia::MediumInfo info;
    recmedia::MediaSpec plan = Spec(Work() + "/plan");
    plan.indexOnly = true;
    if (!recmedia::WriteMedium(plan, &info, &m.error)) return m;
    const QString ready = QString::fromStdString(folder + "/ready");
    if (!QFileInfo::exists(ready)) {
        std::fprintf(stderr, "writing the medium into %s (one hour of 1080p: this takes a while)\n", folder.c_str());
        QDir(QString::fromStdString(folder)).removeRecursively();
        recmedia::MediumInfo written;
        if (!recmedia::WriteMedium(Spec(folder), &written, &m.error)) return m;
        QFile marker(ready);
        if (!marker.open(QIODevice::WriteOnly)) {
            m.error = "cannot mark the medium ready";
            return m;
        }
    }
    const std::string table = Work() + "/drives.txt";
    FILE* f = std::fopen(table.c_str(), "w");
    if (!f) {
        m.error = "cannot write the drive table";
        return m;
    }
    std::fprintf(f, "disk 1 %s\nletter E 1 removable vfat %s\n", folder.c_str(), folder.c_str());
    std::fclose(f);
    setenv("KEL_DRIVES", table.c_str(), 1);
    wincompat::ReloadDriveTable();
    info.recordings.resize(std::min<size_t>(info.recordings.size(), size_t(Used())));
    for (const recmedia::PlannedRecording& r : info.recordings) {
        m.paths.push_back(folder + "/" + r.relPath);
        QFileInfo file(QString::fromStdString(m.paths.back()));
        if (!file.exists()) {
            m.error = "missing recording " + m.paths.back();
            return m;
        }
        const uint32_t size = uint32_t(file.size());
        m.files.emplace_back(r.relPath, "E:\\", size, r.start, r.end, r.fileType, "", r.channel);
        m.files.back().SearchEndTime = r.end;
        m.bytes += size;
    }
    m.start = info.recordings.front().start;
    m.end = info.recordings.back().end;
    return m;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void Clear(const std::string& folder) {
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
    Shell("sync -f " + Quote(Work()));
}

double CpuSeconds(int who) {
    struct rusage u {};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

uint64_t FolderBytes(const std::string& folder) {
    uint64_t n = 0;
    for (const QFileInfo& f : QDir(QString::fromStdString(folder)).entryInfoList(QDir::Files)) n += uint64_t(f.size());
    return n;
}

// Video frames and seconds of every .mp4 file in the folder (libavformat's
// reading of the movie box).
bool Mp4Contents(const std::string& folder, int64_t* frames, double* seconds) {
    *frames = 0;
    *seconds = 0;
    const QFileInfoList files = QDir(QString::fromStdString(folder)).entryInfoList({"*.mp4"}, QDir::Files);
    if (files.isEmpty()) return false;
    for (const QFileInfo& f : files) {
        AVFormatContext* ic = nullptr;
        if (avformat_open_input(&ic, f.absoluteFilePath().toLocal8Bit().constData(), nullptr, nullptr) < 0)
            return false;
        int64_t n = -1;
        for (unsigned i = 0; i < ic->nb_streams; ++i)
            if (ic->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) n = ic->streams[i]->nb_frames;
        if (ic->duration > 0) *seconds += double(ic->duration) / AV_TIME_BASE;
        avformat_close_input(&ic);
        if (n <= 0) return false;
        *frames += n;
    }
    return true;
}

using Run = std::function<bool(const Medium&, const std::string&)>;

// Pictures of the recorder stream files in the folder (packs that begin a
// video frame).
int64_t StreamFrames(const std::string& folder) {
    int64_t frames = 0;
    std::vector<uint8_t> buf(4 << 20);
    for (const QFileInfo& f : QDir(QString::fromStdString(folder)).entryInfoList(QDir::Files)) {
        FILE* in = std::fopen(f.absoluteFilePath().toLocal8Bit().constData(), "rb");
        if (!in) return -1;
        recstream::PacketScanner scanner(0, false);
        recstream::Packet packet;
        auto count = [&] {
            while (scanner.Next(&packet))
                for (const recstream::Pes& pes : packet.pes)
                    if (pes.streamId == recstream::kStreamVideo && pes.hasPts) {
                        ++frames;
                        break;
                    }
        };
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), in)) > 0) {
            scanner.Feed(buf.data(), n);
            count();
        }
        std::fclose(in);
        scanner.Finish();
        count();
    }
    return frames;
}

struct Tool {
    Tool(std::string n, Run r, bool m = false) : name(std::move(n)), run(std::move(r)), mp4(m) {}
    std::string name;
    Run run;
    bool mp4 = false;                 // writes .mp4 files
    bool joins = false;               // one raw file (the joined recordings keep no header of their own)
    std::vector<double> rates, cpu;   // MB/s and CPU seconds, one per round
    std::string problem;
};

bool RunCp(const Medium& m, const std::string& out) {
    std::string command = "cp";
    for (const std::string& p : m.paths) command += " " + Quote(p);
    return Shell(command + " " + Quote(out));
}

// ffmpeg's best form: one process, the recordings joined by the concat
// demuxer (each past its 40-byte stream header, read as a program stream).
bool RunFfmpegConcat(const Medium& m, const std::string& out) {
    const std::string list = Work() + "/concat.txt";
    FILE* f = std::fopen(list.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "ffconcat version 1.0\n");
    for (const std::string& p : m.paths)
        std::fprintf(f, "file %s\noption skip_initial_bytes 40\noption f mpeg\n", Quote(p).c_str());
    std::fclose(f);
    return Shell("ffmpeg -nostdin -v error -y -f concat -safe 0 -i " + Quote(list) + " -c copy -f mp4 " +
                 Quote(out + "/all.mp4"));
}

bool RunFfmpegEach(const Medium& m, const std::string& out) {
    for (size_t i = 0; i < m.paths.size(); ++i) {
        const std::string command = "ffmpeg -nostdin -v error -y -skip_initial_bytes 40 -f mpeg -i " +
                                    Quote(m.paths[i]) + " -c copy -f mp4 " +
                                    Quote(out + "/" + std::to_string(i) + ".mp4");
        if (!Shell(command)) return false;
    }
    return true;
}

bool RunDownload(const Medium& m, const std::string& out, const char* videoType) {
    auto* settings = CSettingsStore::GetInstance();
    settings->SetValueText(SettingKey::DownloadSavePath, QString::fromStdString(out));
    settings->SetValueText(SettingKey::DownloadVideoType, videoType);
    std::vector<APT_QMR::CSingleFile*> list;
    for (const APT_QMR::CSingleFile& f : m.files) list.push_back(const_cast<APT_QMR::CSingleFile*>(&f));
    APT_QMR::CStreamDownloader d;
    d.SetDiskKind(0);
    d.SetDownLoadFileType(0);
    d.SetParam(new APT_QMR::CStreamDownloaderParam(1));
    int code = -1;
    QEventLoop loop;
    QObject::connect(&d, &APT_QMR::CStreamDownloader::DownloadSignal, &loop, [&](int c, int, int) {
        if (c == 1 || c == 2 || c == 3 || c == 6) {
            code = c;
            loop.quit();
        }
    });
    if (!d.DownloadByTime(list, m.start, m.end)) return false;
    if (code < 0) loop.exec();
    return code == APT_QMR::DownloadAllDone;
}

std::string Spread(const std::vector<double>& v, const char* format) { return kel_bench::Text(kel_bench::Of(v), format); }

std::vector<double> Ratios(const Tool& a, const Tool& b) {
    std::vector<double> r;
    for (size_t i = 0; i < std::min(a.rates.size(), b.rates.size()); ++i) r.push_back(a.rates[i] / b.rates[i]);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QDir().mkpath(QString::fromStdString(Work()));
    const std::string folder =
        QFileInfo(QCoreApplication::applicationDirPath() + "/../bench-media/saves-1080p").absoluteFilePath().toStdString();
    const Medium m = TheMedium(folder);
    if (!m.error.empty()) {
        std::fprintf(stderr, "saved_files_bench: %s\n", m.error.c_str());
        return 1;
    }
    const bool ffmpeg = Shell("ffmpeg -version >/dev/null 2>&1");
    const std::string out = Work() + "/out";

    std::vector<Tool> tools;
    tools.emplace_back("cp", RunCp);
    tools.emplace_back("KEL raw save", [](const Medium& md, const std::string& o) { return RunDownload(md, o, "0"); });
    tools.back().joins = true;
    if (ffmpeg) {
        tools.emplace_back("ffmpeg -c copy, concat", RunFfmpegConcat, true);
        tools.emplace_back("ffmpeg -c copy, per file", RunFfmpegEach, true);
    }
    tools.emplace_back(
        "KEL .mp4 save", [](const Medium& md, const std::string& o) { return RunDownload(md, o, "1"); }, true);

    const int64_t wantFrames = int64_t(m.paths.size()) * kRecordingSeconds * kFps;
    for (int round = 0; round < rounds; ++round) {
        for (Tool& t : tools) {
            if (!t.problem.empty()) continue;
            Clear(out);
            // The medium is read from the page cache by every tool alike.
            std::string warm = "cat";
            for (const std::string& p : m.paths) warm += " " + Quote(p);
            Shell(warm + " >/dev/null");
            const double cpu0 = CpuSeconds(RUSAGE_SELF) + CpuSeconds(RUSAGE_CHILDREN);
            const auto t0 = std::chrono::steady_clock::now();
            bool ok = t.run(m, out);
            const auto t1 = std::chrono::steady_clock::now();
            ok = ok && Shell("sync -f " + Quote(out));
            const auto t2 = std::chrono::steady_clock::now();
            const double wall = std::chrono::duration<double>(t2 - t0).count();
            const double syncing = std::chrono::duration<double>(t2 - t1).count();
            const double cpu = CpuSeconds(RUSAGE_SELF) + CpuSeconds(RUSAGE_CHILDREN) - cpu0;
            if (!ok) {
                t.problem = "failed";
                continue;
            }
            // A save that is fast because it left something out does not count.
            const uint64_t bytes = FolderBytes(out);
            const uint64_t least = t.joins ? m.bytes - 40 * (m.paths.size() - 1) : m.bytes;
            int64_t frames = 0;
            double seconds = 0;
            if (!t.mp4 && (bytes < least || bytes > m.bytes)) {
                t.problem = "wrote " + std::to_string(bytes) + " bytes of " + std::to_string(m.bytes);
            } else if (t.mp4 && (!Mp4Contents(out, &frames, &seconds) || frames != wantFrames)) {
                t.problem = "the .mp4 output holds " + std::to_string(frames) + " of " + std::to_string(wantFrames) +
                            " frames";
            } else if (round == 0 && t.joins && (frames = StreamFrames(out)) != wantFrames) {
                t.problem = "the raw output holds " + std::to_string(frames) + " of " + std::to_string(wantFrames) +
                            " frames";
            }
            if (!t.problem.empty()) continue;
            if (round == 0) {
                std::printf("# %-26s output %.3f GB", t.name.c_str(), bytes / 1e9);
                if (t.mp4 || t.joins) std::printf(", %lld frames", static_cast<long long>(frames));
                if (t.mp4) std::printf(", %.1f s", seconds);
                std::printf("\n");
            }
            std::printf("# round %d  %-26s %6.0f MB/s   %.2f s, of which sync %.2f s\n", round + 1, t.name.c_str(),
                        m.bytes / wall / 1e6, wall, syncing);
            std::fflush(stdout);
            t.rates.push_back(m.bytes / wall / 1e6);
            t.cpu.push_back(cpu);
        }
    }
    Clear(out);

    std::printf("saving %zu realistic 1080p recordings of %d s (%.2f GB, %d fps, 8 Mbit/s) from a hard-disk "
                "library medium, %d rounds; each run ends with sync; median (min, max); %s\n",
                m.paths.size(), kRecordingSeconds, m.bytes / 1e9, kFps, rounds, kel_bench::Machine().c_str());
    for (const Tool& t : tools) {
        if (!t.problem.empty()) {
            std::printf("saves.%-26s %s\n", t.name.c_str(), t.problem.c_str());
            continue;
        }
        std::printf("saves.%-26s %s MB/s   CPU %s s\n", t.name.c_str(), Spread(t.rates, "%.0f").c_str(),
                    Spread(t.cpu, "%.1f").c_str());
    }
    auto find = [&](const std::string& name) -> const Tool* {
        for (const Tool& t : tools)
            if (t.name == name && t.problem.empty() && !t.rates.empty()) return &t;
        return nullptr;
    };
    const Tool* cp = find("cp");
    const Tool* raw = find("KEL raw save");
    const Tool* concat = find("ffmpeg -c copy, concat");
    const Tool* each = find("ffmpeg -c copy, per file");
    const Tool* mp4 = find("KEL .mp4 save");
    const bool whole = int(m.paths.size()) == kRecordings;
    int status = 0;
    auto judge = [&](const char* name, const Tool* save, const Tool* ref, double aim) {
        if (!save || !ref) {
            std::printf("saves.%s   not measured   aim >= %.2f   NOT MET\n", name, aim);
            status = 1;
            return;
        }
        const std::vector<double> r = Ratios(*save, *ref);
        const bool met = kel_bench::Of(r).median >= aim;
        std::printf("saves.%s   %s   aim >= %.2f   %s\n", name, Spread(r, "%.2fx").c_str(), aim,
                    whole ? kel_bench::Verdict(met) : "(not judged: part of the hour)");
    };
    judge("raw_vs_cp              ", raw, cp, kRawAim);
    judge("mp4_vs_ffmpeg_concat   ", mp4, concat, kMp4Aim);
    if (mp4 && each) {
        std::printf("saves.mp4_vs_ffmpeg_per_file    %s   (for comparison; no aim)\n",
                    Spread(Ratios(*mp4, *each), "%.2fx").c_str());
    }
    return status;
}
