// SPDX-License-Identifier: GPL-3.0-or-later
// The player library's converted files (.mp4): the recorder time and the
// span of the file, then the file played without a window (its packets
// re-wrapped as recorder packs and decoded), moved in time.
//
// Input: one control byte, then the file.
#include <chrono>
#include <cstdint>
#include <thread>

#include "fuzz_support.h"
#include "vintrel.h"

namespace {

void OnDisplay(int, const char*, int, int, int, int, int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    const std::string path = kelfuzz::ScratchDir() + "/converted.mp4";
    if (!kelfuzz::WriteFile(path, data + 1, size - 1)) return 0;

    int port = -1;
    if (!Ostrum_GetPort(&port)) __builtin_trap();
    if (Ostrum_OpenFile(port, path.c_str())) {
        OSTRUM_FILE_TIME first, last;
        if (!Ostrum_GetFileTotalTime(port, &first, &last)) __builtin_trap();
        Ostrum_SetDisplayCallBack(port, &OnDisplay);
        if (Ostrum_Play(port, nullptr)) {
            while (Ostrum_Fast(port)) {
            }
            if (control & 1) {
                OSTRUM_FILE_TIME t = (control & 2) ? last : first;
                t.second += (control >> 2) % 4;
                Ostrum_SetPlayedTime(port, &t);
            }
            // Played out, or for as long as the control byte says.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100 + (control >> 4) * 60);
            while (std::chrono::steady_clock::now() < until && Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (control & 8) {
                Ostrum_Pause(port, 1);
                Ostrum_OneByOneBack(port);
                Ostrum_OneByOne(port);
            }
            Ostrum_Stop(port);
        }
        Ostrum_CloseFile(port);
    }
    Ostrum_FreePort(port);
    return 0;
}
