// SPDX-License-Identifier: GPL-3.0-or-later
// The player library's file reading: the recorder times of a recorder file
// (its first recording's first frame, the last header of a file joined from
// several recordings, found reading backwards window by window, and its last
// frame), then the file played as a stream fed from the file, moved in time.
//
// Input: pieces (see SplitPieces) control, head part, tail part. The file is
// the head part, a gap of zero bytes (up to about 5 MiB, as the control
// says, so that the backward search crosses its windows), then the tail
// part (a header there makes the file a joined one).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "fuzz_support.h"
#include "vintrel.h"

namespace {

void OnDisplay(int, const char*, int, int, int, int, int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 3);
    const std::vector<uint8_t>& control = pieces[0];
    const uint8_t c0 = control.size() > 0 ? control[0] : 0;
    const uint8_t c1 = control.size() > 1 ? control[1] : 0;
    const uint8_t c2 = control.size() > 2 ? control[2] : 0;
    // Gaps near the window size (2 MiB) and its multiples, give or take.
    const size_t gap = (c0 & 1) ? size_t(c0 >> 6) * (size_t(2) << 20) + size_t(int8_t(c1)) * 37 + 128 : 0;

    const std::string path = kelfuzz::ScratchDir() + "/recording.qrv";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(pieces[1].data(), 1, pieces[1].size(), f);
    if (gap > 0) {
        std::vector<uint8_t> zeros(64 * 1024);
        for (size_t left = gap; left > 0;) {
            const size_t n = std::min(left, zeros.size());
            std::fwrite(zeros.data(), 1, n, f);
            left -= n;
        }
    }
    std::fwrite(pieces[2].data(), 1, pieces[2].size(), f);
    std::fclose(f);

    int port = -1;
    if (!Ostrum_GetPort(&port)) __builtin_trap();
    if (Ostrum_OpenFile(port, path.c_str())) {
        OSTRUM_FILE_TIME first, last;
        if (!Ostrum_GetFileTotalTime(port, &first, &last)) __builtin_trap();
        if (c2 & 1) {
            // Played as a stream fed from the file, moved inside it.
            Ostrum_SetDisplayCallBack(port, &OnDisplay);
            if (Ostrum_Play(port, nullptr)) {
                while (Ostrum_Fast(port)) {
                }
                OSTRUM_FILE_TIME t = (c2 & 2) ? last : first;
                t.second += (c2 >> 2) % 5;
                Ostrum_SetPlayedTime(port, &t);
                const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(50 + (c2 >> 4) * 20);
                while (std::chrono::steady_clock::now() < until &&
                       Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) != 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                Ostrum_Stop(port);
            }
        }
        Ostrum_CloseFile(port);
    }
    Ostrum_FreePort(port);
    return 0;
}
