// A by-time download of a long span (1 GiB of 1280x720 recordings by
// default; KEL_BENCH_SPAN_MIB changes it) from a hard-disk library medium
// through the downloader, raw and converted to .mp4, beside `cp` of the same
// recordings and beside `ffmpeg -c copy` remuxing each of them to .mp4.
// Figures: bytes of the recordings per second. The medium is written once
// into the temporary folder and kept for later runs.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CommonHelpers.h"
#include "QorAutoStorage.h"
#include "Settings.h"
#include "StreamDownloader.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace {

constexpr int kRecordingSeconds = 300;

struct Medium {
    std::string folder;
    std::vector<std::string> paths;
    std::vector<APT_QMR::CSingleFile> files;
    uint64_t bytes = 0;
    uint32_t start = 0, end = 0;
    std::string error;
};

std::string Work() { return QDir::tempPath().toStdString() + "/kel_saved_files_bench"; }

uint64_t SpanBytes() {
    const char* mib = std::getenv("KEL_BENCH_SPAN_MIB");
    const long v = mib ? std::atol(mib) : 1024;
    return uint64_t(v > 0 ? v : 1024) << 20;
}

bool Write(recmedia::MediaSpec spec, recmedia::MediumInfo* info, std::string* error) {
    spec.family = 2;
    spec.channels = 1;
    spec.width = 1280;
    spec.height = 720;
    spec.repeatGop = true;
    spec.seconds = kRecordingSeconds;
    spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
    return recmedia::WriteMedium(spec, info, error);
}

const Medium& TheMedium() {
    static Medium m = [] {
        Medium m;
        // One recording tells the size of each (kept, like the medium).
        recmedia::MediaSpec probe;
        probe.outDir = Work() + "/probe";
        probe.perDay = 1;
        probe.indexOnly = QFile::exists(QString::fromStdString(probe.outDir + "/record"));
        recmedia::MediumInfo info;
        if (!Write(probe, &info, &m.error)) return m;
        uint64_t each = 0;
        {
            FILE* f = std::fopen((probe.outDir + "/" + info.recordings.at(0).relPath).c_str(), "rb");
            if (f && std::fseek(f, 0, SEEK_END) == 0) each = uint64_t(std::ftell(f));
            if (f) std::fclose(f);
        }
        if (each == 0) {
            m.error = "no probe recording";
            return m;
        }
        const int count = int((SpanBytes() + each - 1) / each);
        m.folder = Work() + "/medium_" + std::to_string(count);
        // The medium of an earlier run is used again: its list of
        // recordings is kept beside it.
        const std::string list = m.folder + ".list";
        info.recordings.clear();
        if (FILE* in = std::fopen(list.c_str(), "r")) {
            char path[512];
            recmedia::PlannedRecording r;
            while (std::fscanf(in, "%511s %u %u %d", path, &r.start, &r.end, &r.fileType) == 4) {
                r.relPath = path;
                r.channel = 1;
                info.recordings.push_back(r);
            }
            std::fclose(in);
        }
        if (info.recordings.empty()) {
            recmedia::MediaSpec spec;
            spec.outDir = m.folder;
            spec.perDay = count;
            if (!Write(spec, &info, &m.error)) return m;
            if (FILE* out = std::fopen(list.c_str(), "w")) {
                for (const recmedia::PlannedRecording& r : info.recordings)
                    std::fprintf(out, "%s %u %u %d\n", r.relPath.c_str(), r.start, r.end, r.fileType);
                std::fclose(out);
            }
        }
        const std::string table = Work() + "/drives.txt";
        FILE* f = std::fopen(table.c_str(), "w");
        if (!f) {
            m.error = "cannot write the drive table";
            return m;
        }
        std::fprintf(f, "disk 1 %s\nletter E 1 removable vfat %s\n", m.folder.c_str(), m.folder.c_str());
        std::fclose(f);
        setenv("KEL_DRIVES", table.c_str(), 1);
        wincompat::ReloadDriveTable();
        for (const recmedia::PlannedRecording& r : info.recordings) {
            m.paths.push_back(m.folder + "/" + r.relPath);
            QFileInfo file(QString::fromStdString(m.paths.back()));
            const uint32_t size = uint32_t(file.size());
            m.files.emplace_back(r.relPath, "E:\\", size, r.start, r.end, r.fileType, "", r.channel);
            m.files.back().SearchEndTime = r.end;
            m.bytes += size;
        }
        m.start = info.recordings.front().start;
        m.end = info.recordings.back().end;
        return m;
    }();
    return m;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void Clear(const std::string& folder) {
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
}

void BM_Cp(benchmark::State& state) {
    const Medium& m = TheMedium();
    if (!m.error.empty()) return state.SkipWithError(m.error.c_str());
    const std::string out = Work() + "/out_cp";
    for (auto _ : state) {
        state.PauseTiming();
        Clear(out);
        state.ResumeTiming();
        std::string command = "cp";
        for (const std::string& p : m.paths) command += " " + Quote(p);
        if (!Shell(command + " " + Quote(out) + " && sync -f " + Quote(out)))
            return state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(m.bytes));
    Clear(out);
}

void BM_FfmpegCopyToMp4(benchmark::State& state) {
    const Medium& m = TheMedium();
    if (!m.error.empty()) return state.SkipWithError(m.error.c_str());
    const std::string out = Work() + "/out_ffmpeg";
    for (auto _ : state) {
        state.PauseTiming();
        Clear(out);
        state.ResumeTiming();
        for (size_t i = 0; i < m.paths.size(); ++i) {
            const std::string command = "ffmpeg -nostdin -v error -y -skip_initial_bytes 40 -f mpeg -i " +
                                        Quote(m.paths[i]) + " -c copy -f mp4 " +
                                        Quote(out + "/" + std::to_string(i) + ".mp4");
            if (!Shell(command)) return state.SkipWithError("ffmpeg failed");
        }
        if (!Shell("sync -f " + Quote(out))) return state.SkipWithError("sync failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(m.bytes));
    Clear(out);
}

void Download(benchmark::State& state, const char* videoType) {
    const Medium& m = TheMedium();
    if (!m.error.empty()) return state.SkipWithError(m.error.c_str());
    const std::string out = Work() + "/out_download";
    auto* settings = CSettingsStore::GetInstance();
    settings->SetValueText(SettingKey::DownloadSavePath, QString::fromStdString(out));
    settings->SetValueText(SettingKey::DownloadVideoType, videoType);
    std::vector<APT_QMR::CSingleFile*> list;
    for (const APT_QMR::CSingleFile& f : m.files) list.push_back(const_cast<APT_QMR::CSingleFile*>(&f));
    for (auto _ : state) {
        state.PauseTiming();
        Clear(out);
        state.ResumeTiming();
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
        if (!d.DownloadByTime(list, m.start, m.end)) return state.SkipWithError("the download did not start");
        if (code < 0) loop.exec();
        if (code != APT_QMR::DownloadAllDone) return state.SkipWithError("the download failed");
        if (!Shell("sync -f " + Quote(out))) return state.SkipWithError("sync failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(m.bytes));
    Clear(out);
}

void BM_DownloadRaw(benchmark::State& state) { Download(state, "0"); }
void BM_DownloadMp4(benchmark::State& state) { Download(state, "1"); }

BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadRaw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FfmpegCopyToMp4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_DownloadMp4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
