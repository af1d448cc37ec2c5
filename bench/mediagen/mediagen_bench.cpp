// Speed of writing realistic sample recordings (camera-like pictures at a
// recorder's bit rate) and the bit rate they reach, for 720p and 1080p.
//
//   mediagen_bench [seconds]     length of each recording (default 30)
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

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
    if (seconds < 1) {
        std::fprintf(stderr, "usage: mediagen_bench [seconds]\n");
        return 2;
    }
    char pattern[] = "/tmp/mediagen_bench_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    struct Size {
        int width, height;
        double target;
    } sizes[] = {{1280, 720, 3e6}, {1920, 1080, 8e6}};
    std::printf("realistic recordings of %d s at 25 fps (aims: faster than real time; bit rate within 25%% of the "
                "recorder's)\n",
                seconds);
    int status = 0;
    for (const Size& s : sizes) {
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
            continue;
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = CpuSeconds() - cpu0;
        struct stat st {};
        stat(spec.path.c_str(), &st);
        const double rate = (double(st.st_size) - 40) * 8 / seconds;
        std::printf("mediagen.%dp.speed     %6.2f x real time (%.1f s wall, %.1f s CPU)   aim >= 1.0\n", s.height,
                    seconds / wall, wall, cpu);
        std::printf("mediagen.%dp.bitrate   %6.2f Mbit/s   recorder's %.1f Mbit/s   ratio %.2f (aim 0.75..1.25)\n",
                    s.height, rate / 1e6, s.target / 1e6, rate / s.target);
        std::remove(spec.path.c_str());
    }
    rmdir(dir);
    return status;
}
