// SPDX-License-Identifier: GPL-3.0-or-later
// Output file writer: raw copy against conversion to .mp4 of one minute of a
// 352x288, 25 fps recording with audio, fed in 64 KiB blocks.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <QDir>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/OutputFileWriter.h"
#include "storage/Settings.h"
#include "recmedia/encoder.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string f = QDir::tempPath().toStdString() + "/kel_output_writer_bench";
        QDir().mkpath(QString::fromStdString(f));
        return f;
    }();
    return folder;
}

const std::vector<uint8_t>& Recording() {
    static const std::vector<uint8_t> bytes = [] {
        recmedia::RecordingSpec spec;
        spec.path = Folder() + "/minute.qrs";
        spec.start = 1714557600;
        spec.seconds = 60;
        spec.withAudio = true;
        spec.fastRepeat = true;
        std::string error;
        if (!recmedia::EncodeRecording(spec, &error)) fprintf(stderr, "%s\n", error.c_str());
        std::ifstream in(spec.path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void WriteOnce(const std::vector<uint8_t>& rec, const std::string& out, benchmark::State& state) {
    CStreamFileWriter w;
    if (!w.Open(out, false)) {
        state.SkipWithError("open failed");
        return;
    }
    w.Write(rec.data(), 40);
    for (size_t off = 40; off < rec.size(); off += 65536) {
        const size_t n = std::min<size_t>(65536, rec.size() - off);
        w.Write(rec.data() + off, static_cast<uint32_t>(n));
    }
    if (!w.Close()) state.SkipWithError("close failed");
}

void Run(benchmark::State& state, const char* videoType) {
    const std::vector<uint8_t>& rec = Recording();
    if (rec.size() <= 40) {
        state.SkipWithError("no recording");
        return;
    }
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, videoType);
    const std::string out = Folder() + "/out.mp4";
    for (auto _ : state) WriteOnce(rec, out, state);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rec.size()));
    std::remove(out.c_str());
}

void BM_WriteRaw(benchmark::State& state) { Run(state, "0"); }
void BM_ConvertToMp4(benchmark::State& state) { Run(state, "1"); }

BENCHMARK(BM_WriteRaw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertToMp4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return kel_bench::RunBenchmarks(argc, argv, {}); }
