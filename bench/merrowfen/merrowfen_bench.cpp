// SPDX-License-Identifier: GPL-3.0-or-later
// Listing one day of a 16-channel, 30-day medium (about 690,000 one-minute
// recordings) against a plain read of that day's index file, and streaming a
// recording by file against plain reads of the same file.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "merrowfen.h"
#include "recmedia/disk_writer.h"
#include "recmedia/media_plan.h"

namespace {

std::string BenchRoot() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/kel-merrowfen-bench";
}

// The large medium is written once and kept between runs.
const recmedia::MediumInfo& LargeMedium() {
    static recmedia::MediumInfo info = [] {
        recmedia::MediaSpec spec;
        spec.outDir = BenchRoot() + "/large";
        spec.channels = 16;
        spec.days = 30;
        spec.perDay = 1440;
        spec.seconds = 60;
        spec.firstSecond = 0;
        spec.indexOnly = true;
        spec.logs = false;
        spec.events = false;
        spec.seed = 42;
        recmedia::MediumInfo out;
        std::string error;
        if (!recmedia::WriteMedium(spec, &out, &error)) std::fprintf(stderr, "medium: %s\n", error.c_str());
        return out;
    }();
    return info;
}

struct Counter {
    std::mutex m;
    std::condition_variable cv;
    size_t found = 0;
    bool ended = false;
    static void Callback(int, const FoundDataRecord* r, void* user) {
        auto* self = static_cast<Counter*>(user);
        if (!r->endOfSearch) {
            ++self->found;
            return;
        }
        std::lock_guard<std::mutex> lock(self->m);
        self->ended = true;
        self->cv.notify_all();
    }
};

void BM_ListOneDay(benchmark::State& state) {
    const recmedia::MediumInfo& info = LargeMedium();
    const std::string root = BenchRoot() + "/large";
    const int64_t day = info.firstDay + 15 * 86400;
    size_t found = 0;
    for (auto _ : state) {
        Counter c;
        FindDataCondition cond{};
        cond.diskPath = root.c_str();
        cond.channel = -1;
        cond.start = recmedia::ToHdTime(day);
        cond.end = recmedia::ToHdTime(day + 86399);
        cond.callback = &Counter::Callback;
        cond.user = &c;
        const int h = HD_FILE_FindData(0, &cond, sizeof cond);
        if (h < 0) {
            state.SkipWithError("HD_FILE_FindData failed");
            break;
        }
        std::unique_lock<std::mutex> lock(c.m);
        c.cv.wait(lock, [&] { return c.ended; });
        lock.unlock();
        HD_FILE_FindDataClose(h);
        found = c.found;
    }
    state.counters["recordings"] = double(found);
}
BENCHMARK(BM_ListOneDay)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadDayIndexPlain(benchmark::State& state) {
    const recmedia::MediumInfo& info = LargeMedium();
    const std::string path = BenchRoot() + "/large/record/" + recmedia::DayFolder(info.firstDay / 86400 + 15) + "/index.qri";
    std::vector<char> buf(1 << 20);
    size_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        bytes = 0;
        ssize_t n;
        while (fd >= 0 && (n = ::read(fd, buf.data(), buf.size())) > 0) bytes += size_t(n);
        if (fd >= 0) ::close(fd);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
BENCHMARK(BM_ReadDayIndexPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::string& LargeRecording() {
    static std::string path = [] {
        std::string p = BenchRoot() + "/stream.qrv";
        recmedia::FakeRecording spec;
        spec.start = 1709280000;
        spec.seconds = 1200;      // 20 minutes of about 40 KiB a second
        spec.keyBytes = 6000;
        spec.packBytes = 1400;
        spec.extraPacks = 24;
        std::string error;
        if (!recmedia::WriteFakeRecording(p, spec, nullptr, &error)) std::fprintf(stderr, "recording: %s\n", error.c_str());
        return p;
    }();
    return path;
}

struct Sink {
    std::mutex m;
    std::condition_variable cv;
    uint64_t bytes = 0;
    uint64_t sum = 0;
    bool ended = false;
    static void Callback(int, int, unsigned char* data, int length, void* user) {
        auto* self = static_cast<Sink*>(user);
        if (!data && length == -1) {
            std::lock_guard<std::mutex> lock(self->m);
            self->ended = true;
            self->cv.notify_all();
            return;
        }
        self->bytes += uint64_t(length);
        self->sum += data[0] + data[length - 1];  // touch the block like a consumer would
    }
};

void BM_StreamByFile(benchmark::State& state) {
    const std::string& path = LargeRecording();
    uint64_t bytes = 0;
    for (auto _ : state) {
        Sink s;
        const int h = HD_FILE_GetStreamByFile(path.c_str(), int(state.range(0)), 0, &Sink::Callback, &s);
        if (h < 0) {
            state.SkipWithError("HD_FILE_GetStreamByFile failed");
            break;
        }
        std::unique_lock<std::mutex> lock(s.m);
        s.cv.wait(lock, [&] { return s.ended; });
        lock.unlock();
        HD_FILE_Stop(h);
        bytes = s.bytes;
        benchmark::DoNotOptimize(s.sum);
    }
    state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
BENCHMARK(BM_StreamByFile)->Arg(HD_MODE_ENGINE)->Arg(HD_MODE_COPY)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainReadOfRecording(benchmark::State& state) {
    const std::string& path = LargeRecording();
    std::vector<unsigned char> buf(size_t(state.range(0)));
    uint64_t bytes = 0, sum = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        bytes = 0;
        ssize_t n;
        while (fd >= 0 && (n = ::read(fd, buf.data(), buf.size())) > 0) {
            bytes += uint64_t(n);
            sum += buf[0] + buf[size_t(n) - 1];
        }
        if (fd >= 0) ::close(fd);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(bytes) * state.iterations());
}
// Same block sizes as the two stream modes above (8 KiB and 64 KiB).
BENCHMARK(BM_PlainReadOfRecording)->Arg(8 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return kel_bench::RunBenchmarks(argc, argv, {}); }
