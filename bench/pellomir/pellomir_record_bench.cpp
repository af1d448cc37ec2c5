// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of a recording copy through the library (hard-disk library
// stream -> copy callback -> output file), and the cost of cutting stream
// blocks into player pieces.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "PlayContext.h"
#include "pellomir/Pellomir.h"
#include "recmedia/disk_writer.h"

namespace {

struct Scratch {
    std::string dir;
    std::string recording;
    uint64_t size = 0;
    Scratch()
    {
        char pattern[] = "/tmp/pellomir_bench_XXXXXX";
        dir = mkdtemp(pattern) ? pattern : "/tmp";
        recording = dir + "/big.qrv";
        recmedia::FakeRecording fake;
        fake.start = 1709280000;
        fake.seconds = 120;
        fake.keyBytes = 64 * 1024;
        std::string error;
        recmedia::WriteFakeRecording(recording, fake, &size, &error);
    }
    ~Scratch()
    {
        std::remove((dir + "/copy.qrv").c_str());
        std::remove(recording.c_str());
        rmdir(dir.c_str());
    }
};

void BM_CopyFile(benchmark::State& state)
{
    static Scratch scratch;
    const std::string target = scratch.dir + "/copy.qrv";
    for (auto _ : state) {
        std::remove(target.c_str());
        const int32_t stream = DVR_FILE_CopyFile(scratch.recording.c_str(), target.c_str());
        if (stream < 0) {
            state.SkipWithError("copy did not start");
            break;
        }
        while (DVR_FILE_GetPos(stream) != 100)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        DVR_FILE_Stop(stream);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(scratch.size));
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();

int AcceptAll(int, const void*, uint32_t)
{
    return 1;
}
uint32_t NoError(int)
{
    return 0;
}

void BM_FeedPieces(benchmark::State& state)
{
    std::vector<unsigned char> block(static_cast<size_t>(state.range(0)));
    pellomir::STREAM_CONTEXT context;
    context.port = 0;
    context.opened = true;
    const pellomir::PlayerInput player{&AcceptAll, &NoError};
    for (auto _ : state)
        benchmark::DoNotOptimize(pellomir::FeedPlayer(context, block.data(), static_cast<int>(block.size()), player));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FeedPieces)->Arg(64 * 1024)->Arg(4 * 1024 * 1024);

}  // namespace

int main(int argc, char** argv) { return kel_bench::RunBenchmarks(argc, argv, {}); }
