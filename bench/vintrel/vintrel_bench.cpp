// SPDX-License-Identifier: GPL-3.0-or-later
// Player library costs on generated 720p recordings:
// - BM_LibraryDecode: the library's decode path (program-stream reader,
//   access-unit framing, decoder) per frame, against BM_BareDecode, bare
//   libavcodec (parser + decoder) on the same pictures' elementary stream.
//   The goal is a ratio of at most 1.2.
// - BM_SixteenStreams: 16 ports playing the recording at once through the
//   public calls (decode, colour conversion, presentation), as fast as they
//   can; "realtime_x" is the frame rate reached over the 16 x 25 frames per
//   second that real-time playback needs (goal: at least 1).
// - BM_PortMemory: resident memory one port holds after playing 4 s of a
//   1080p recording (the pictures it keeps for stepping back included).
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "demux.h"
#include "platform/vintrel/recording_fixture.h"
#include "video_decoder.h"
#include "vintrel.h"

namespace {

constexpr int kSeconds = 4;
constexpr int kFps = 25;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Media {
    std::vector<uint8_t> recording;
    std::vector<uint8_t> elementary;
};

Media MakeSample(int width, int height) {
        Media m;
        vintrel_test::RecordingSpec spec;
        spec.width = width;
        spec.height = height;
        spec.fps = kFps;
        spec.seconds = kSeconds;
        spec.gop = 50;
        const std::string base = "/tmp/vintrel_bench_" + std::to_string(::getpid());
        if (!vintrel_test::WriteRecording(base + ".rec", spec) || !vintrel_test::WriteElementary(base + ".h264", spec))
            std::fprintf(stderr, "cannot write the sample recording\n");
        m.recording = ReadAll(base + ".rec");
        m.elementary = ReadAll(base + ".h264");
        std::remove((base + ".rec").c_str());
        std::remove((base + ".h264").c_str());
        return m;
}

const Media& Sample() {
    static Media media = MakeSample(1280, 720);
    return media;
}

double ResidentMiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void BM_LibraryDecode(benchmark::State& state) {
    const Media& m = Sample();
    int64_t frames = 0;
    for (auto _ : state) {
        vintrel::PsDemux demux;
        vintrel::VideoDecoder dec;
        dec.Open(1);
        auto sink = [&](AVFrame*, int64_t, bool) { ++frames; };
        demux.Feed(m.recording.data() + 40, m.recording.size() - 40);
        vintrel::PesUnit u;
        while (demux.Next(&u))
            if (u.streamId == 0xE0) dec.Push(u.data, u.size, u.hasPts ? static_cast<int64_t>(u.pts) : -1, sink);
        dec.Drain(sink);
    }
    state.counters["us_per_frame"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}

void BM_BareDecode(benchmark::State& state) {
    const Media& m = Sample();
    int64_t frames = 0;
    for (auto _ : state) {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
        AVCodecContext* ctx = avcodec_alloc_context3(codec);
        ctx->thread_count = 1;
        avcodec_open2(ctx, codec, nullptr);
        AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_H264);
        AVPacket* pkt = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto receive = [&] {
            while (avcodec_receive_frame(ctx, frame) >= 0) {
                ++frames;
                av_frame_unref(frame);
            }
        };
        const uint8_t* data = m.elementary.data();
        size_t size = m.elementary.size();
        while (size > 0) {
            int used = av_parser_parse2(parser, ctx, &pkt->data, &pkt->size, data, static_cast<int>(size), AV_NOPTS_VALUE,
                                        AV_NOPTS_VALUE, 0);
            data += used;
            size -= static_cast<size_t>(used);
            if (pkt->size > 0) {
                avcodec_send_packet(ctx, pkt);
                receive();
            }
        }
        av_parser_parse2(parser, ctx, &pkt->data, &pkt->size, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (pkt->size > 0) avcodec_send_packet(ctx, pkt);
        pkt->data = nullptr;
        pkt->size = 0;
        avcodec_send_packet(ctx, nullptr);
        receive();
        av_frame_free(&frame);
        av_packet_free(&pkt);
        av_parser_close(parser);
        avcodec_free_context(&ctx);
    }
    state.counters["us_per_frame"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}

void StartPort(const Media& m, int* port) {
    int& p = *port;
    Ostrum_GetPort(&p);
    Ostrum_SetStreamOpenMode(p, OSTRUM_STREAM_LIVE);
    Ostrum_OpenStream(p, m.recording.data(), 40, 8 * 1024 * 1024);
    Ostrum_Play(p, nullptr);
    Ostrum_InputData(p, m.recording.data() + 40, static_cast<uint32_t>(m.recording.size() - 40));
    Ostrum_InputData(p, nullptr, uint32_t(-1));
}

void WaitPlayed(int p) {
    while (Ostrum_GetBufferValue(p, OSTRUM_BUF_FRAMES_LEFT) != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void BM_SixteenStreams(benchmark::State& state) {
    const Media& m = Sample();
    const int streams = static_cast<int>(state.range(0));
    double shown = 0;
    double seconds = 0;
    for (auto _ : state) {
        std::vector<int> ports(static_cast<size_t>(streams), -1);
        auto start = std::chrono::steady_clock::now();
        for (int& p : ports) StartPort(m, &p);
        for (int p : ports) WaitPlayed(p);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (int p : ports) {
            shown += Ostrum_GetCurrentFrameNum(p);
            Ostrum_FreePort(p);
        }
    }
    const double fps = shown / seconds;
    state.counters["frames_per_s"] = fps;
    state.counters["realtime_x"] = fps / (streams * kFps);
}

void BM_PortMemory(benchmark::State& state) {
    static Media m = MakeSample(1920, 1080);
    double grown = 0;
    for (auto _ : state) {
        const double before = ResidentMiB();
        int port = -1;
        StartPort(m, &port);
        WaitPlayed(port);
        grown += ResidentMiB() - before;
        Ostrum_FreePort(port);
    }
    state.counters["port_MiB"] = grown / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SixteenStreams)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PortMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    return kel_bench::RunBenchmarks(
        argc, argv,
        {{"library decode per frame over bare libavcodec", "BM_LibraryDecode", "us_per_frame", true, 1.2,
          "BM_BareDecode"},
         {"16 ports played as fast as they can, over real time", "BM_SixteenStreams/16", "realtime_x", false, 1.0, ""}});
}
