// SPDX-License-Identifier: GPL-3.0-or-later
// Scanner throughput against a plain copy of the same bytes, the time search
// on a long recording, and the cost of writing sample recordings.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "recmedia/encoder.h"
#include "recmedia/track.h"
#include "recstream/recstream.h"

namespace {

constexpr size_t kChunk = 1 << 20;

std::string TempFile(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/recstream_bench_" + std::to_string(getpid()) + "_" + name;
}

// About 64 MB of stream: 25 frames a second, a 40 KB key frame and 8 KB
// frames after it, an audio frame after each video frame, a vehicle block a
// second.
const std::vector<uint8_t>& Stream() {
    static std::vector<uint8_t> bytes = [] {
        std::string path = TempFile("scan.rec");
        recstream::StreamHeader h = recstream::MakeHeader();
        h.videoCodec = recstream::kVideoH264;
        h.audioCodec = recstream::kAudioMp2;
        h.flags = recstream::kFlagVehicleData;
        h.frameRate = 25;
        h.startTime = 1700000000;
        recstream::StreamWriter w;
        w.Open(path, h);
        std::vector<uint8_t> frame(40000), audio(288);
        std::string block(400, 'v');
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7919 >> 3);
        for (int n = 0; w.BytesWritten() < (64u << 20); ++n) {
            uint64_t pts = static_cast<uint64_t>(n) * 3600;
            if (n % 25 == 0) w.WritePrivate(pts, reinterpret_cast<const uint8_t*>(block.data()), block.size());
            w.WriteVideo(pts, n % 25 == 0, frame.data(), n % 25 == 0 ? 40000 : 8000);
            w.WriteAudio(pts + 1800, audio.data(), audio.size());
        }
        w.Close();
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::remove(path.c_str());
        return b;
    }();
    return bytes;
}

void BM_MemcpyRead(benchmark::State& state) {
    const auto& b = Stream();
    std::vector<uint8_t> dst(kChunk);
    for (auto _ : state) {
        for (size_t at = 0; at < b.size(); at += kChunk) {
            size_t n = std::min(kChunk, b.size() - at);
            std::memcpy(dst.data(), b.data() + at, n);
            benchmark::DoNotOptimize(dst.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
BENCHMARK(BM_MemcpyRead)->Unit(benchmark::kMillisecond);

// Arg 0: packets only; arg 1: packets with their bytes.
void BM_ScannerThroughput(benchmark::State& state) {
    const auto& b = Stream();
    const bool keep = state.range(0) != 0;
    size_t packets = 0;
    for (auto _ : state) {
        recstream::PacketScanner scanner(0, keep);
        recstream::Packet p;
        packets = 0;
        for (size_t at = 0; at < b.size(); at += kChunk) {
            scanner.Feed(b.data() + at, std::min(kChunk, b.size() - at));
            while (scanner.Next(&p)) ++packets;
        }
        scanner.Finish();
        while (scanner.Next(&p)) ++packets;
        benchmark::DoNotOptimize(packets);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
    state.counters["packets"] = static_cast<double>(packets);
}
BENCHMARK(BM_ScannerThroughput)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Resynchronising from an offset inside a payload.
void BM_FindPackStart(benchmark::State& state) {
    const auto& b = Stream();
    size_t from = b.size() / 2 + 11;
    for (auto _ : state) benchmark::DoNotOptimize(recstream::FindPackStart(b.data(), b.size(), from));
}
BENCHMARK(BM_FindPackStart);

void BM_FindOffsetForTime(benchmark::State& state) {
    static std::string path = [] {
        std::string p = TempFile("time.rec");
        std::ofstream out(p, std::ios::binary);
        const auto& b = Stream();
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return p;
    }();
    recstream::FileInfo info;
    recstream::ReadFileInfo(path, &info);
    uint32_t t = info.firstTime + (info.lastTime - info.firstTime) * 3 / 4;
    for (auto _ : state) benchmark::DoNotOptimize(recstream::FindOffsetForTime(path, t));
}
BENCHMARK(BM_FindOffsetForTime)->Unit(benchmark::kMillisecond);

// One-minute sample recording, 352 x 288 at 12 fps, with vehicle data; arg 1
// repeats one encoded second.
void BM_EncodeMinute(benchmark::State& state) {
    recmedia::RecordingSpec spec;
    spec.path = TempFile("minute.rec");
    spec.start = 1710506096;
    spec.seconds = 60;
    spec.fps = 12;
    spec.withAudio = true;
    spec.track = recmedia::MakeTrack(1, spec.start, spec.seconds);
    spec.fastRepeat = state.range(0) != 0;
    std::string error;
    for (auto _ : state)
        if (!recmedia::EncodeRecording(spec, &error)) state.SkipWithError(error.c_str());
    std::remove(spec.path.c_str());
}
BENCHMARK(BM_EncodeMinute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return kel_bench::RunBenchmarks(argc, argv, {}); }
