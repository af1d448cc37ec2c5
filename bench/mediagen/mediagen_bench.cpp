// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of writing realistic sample recordings (camera-like pictures at a
// recorder's bit rate) and the bit rate they reach, for 720p and 1080p.
//
//   mediagen_bench [seconds] [runs]     length of each recording (default 30),
//                                       runs of each size (default 3); every
//                                       figure is the median of the runs with
//                                       min and max beside it
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "kel_bench/figures.h"
#include "recmedia/encoder.h"

namespace {

double CpuSeconds() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (seconds < 1 || runs < 1) {
        std::fprintf(stderr, "usage: mediagen_bench [seconds] [runs]\n");
        return 2;
    }
    char pattern[] = "/tmp/mediagen_bench_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    struct Size {
        int width, height;
        double target;
    } sizes[] = {{1280, 720, 3e6}, {1920, 1080, 8e6}};
    std::printf("realistic recordings of %d s at 25 fps, %d runs each; median (min, max); %s\n", seconds, runs,
                kel_bench::Machine().c_str());
    int status = 0;
    for (const Size& s : sizes) {
        std::vector<double> speed, wallSeconds, cpuSeconds, rates;
        for (int run = 0; run < runs; ++run) {
            recmedia::RecordingSpec spec;
            spec.path = std::string(dir) + "/r.qrv";
            spec.start = 1709280000;
            spec.seconds = static_cast<uint32_t>(seconds);
            spec.width = s.width;
            spec.height = s.height;
            spec.fps = 25;
            spec.realistic = true;
            const double cpu0 = CpuSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            std::string error;
            if (!recmedia::EncodeRecording(spec, &error)) {
                std::fprintf(stderr, "%dx%d: %s\n", s.width, s.height, error.c_str());
                status = 1;
                break;
            }
            const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            struct stat st {};
            stat(spec.path.c_str(), &st);
            speed.push_back(seconds / wall);
            wallSeconds.push_back(wall);
            cpuSeconds.push_back(CpuSeconds() - cpu0);
            rates.push_back((double(st.st_size) - 40) * 8 / seconds / 1e6);
            std::remove(spec.path.c_str());
        }
        if (speed.empty()) continue;
        const kel_bench::Spread fast = kel_bench::Of(speed);
        const kel_bench::Spread rate = kel_bench::Of(rates);
        const double ratio = rate.median * 1e6 / s.target;
        std::printf("mediagen.%dp.speed     %s x real time (%s s wall, %s s CPU)   aim >= 1.0   %s\n", s.height,
                    kel_bench::Text(fast, "%.2f").c_str(), kel_bench::Text(kel_bench::Of(wallSeconds), "%.1f").c_str(),
                    kel_bench::Text(kel_bench::Of(cpuSeconds), "%.1f").c_str(), kel_bench::Verdict(fast.median >= 1.0));
        std::printf("mediagen.%dp.bitrate   %s Mbit/s   recorder's %.1f Mbit/s   ratio %.2f   aim 0.75..1.25   %s\n",
                    s.height, kel_bench::Text(rate, "%.2f").c_str(), s.target / 1e6, ratio,
                    kel_bench::Verdict(ratio >= 0.75 && ratio <= 1.25));
    }
    rmdir(dir);
    return status;
}
