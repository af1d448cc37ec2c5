// SPDX-License-Identifier: GPL-3.0-or-later
// Direct file reader: the time search over a recording of ~20 MiB, and
// streaming it whole in 8 KiB blocks.
#include "storage/RbsOperate.h"
#include "module/storage/rbs/rbs_recordings.h"

#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

const uint32_t kStart = rbs_test::Civil(2024, 3, 1, 8, 0, 0);
const uint32_t kSeconds = 160;

const std::string& Recording() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string p = std::string(tmp ? tmp : "/tmp") + "/kel_rbs_bench_" + std::to_string(::getpid()) + ".mp4";
        rbs_test::WriteRecording(p, kStart, kSeconds, 25, 5000);
        return p;
    }();
    return path;
}

RbsDateTime Fields(uint32_t t) {
    time_t v = t;
    struct tm tmv;
    gmtime_r(&v, &tmv);
    return RbsDateTime{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec};
}

// Worst case: the last second of the file.
void BM_FindOffsetByTime(benchmark::State& state) {
    const std::string& path = Recording();
    RbsDateTime t = Fields(kStart + kSeconds - 1);
    for (auto _ : state) benchmark::DoNotOptimize(RbsOperate::FindOffsetByTime(path.c_str(), t));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 25 * 5000 * kSeconds);
}
BENCHMARK(BM_FindOffsetByTime)->Unit(benchmark::kMillisecond);

std::atomic<uint64_t> g_bytes{0};
void Count(int, int kind, char*, uint32_t length, void*) {
    if (kind == 2) g_bytes += length;
}

void BM_StreamWholeFile(benchmark::State& state) {
    const std::string& path = Recording();
    RbsOperate op;
    for (auto _ : state) {
        g_bytes = 0;
        int h = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Count, nullptr);
        while (op.RBS_GetPos(h) != 100) std::this_thread::sleep_for(std::chrono::microseconds(200));
        op.RBS_StopStream(h);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_bytes.load()));
}
BENCHMARK(BM_StreamWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const int status = kel_bench::RunBenchmarks(argc, argv, {});
    std::remove(Recording().c_str());
    return status;
}
