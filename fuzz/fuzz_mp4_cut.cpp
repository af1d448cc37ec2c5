// SPDX-License-Identifier: GPL-3.0-or-later
// Clips of converted files (.mp4), as the downloader's cut pass makes them
// (Ostrum_CutFile): the span the control bytes choose, relative to the
// file's recorder times, copied into a new file, which is then read back.
//
// Input: pieces (see SplitPieces) control, file.
// Checked: a clip that failed leaves no file; a clip that was written opens
// as a converted file again.
#include <sys/stat.h>

#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "vintrel.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

void Move(OSTRUM_FILE_TIME* t, int seconds, int ms) {
    t->second += seconds;
    t->millisecond = ms;
    while (t->second < 0) {
        t->second += 60;
        --t->minute;
    }
    while (t->second >= 60) {
        t->second -= 60;
        ++t->minute;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 2);
    const std::vector<uint8_t>& control = pieces[0];
    auto c = [&](size_t i) { return i < control.size() ? control[i] : uint8_t(0); };
    const std::string source = kelfuzz::ScratchDir() + "/converted.mp4";
    const std::string target = kelfuzz::CleanFolder("clip") + "/clip.mp4";
    if (!kelfuzz::WriteFile(source, pieces[1])) return 0;

    OSTRUM_FILE_TIME first{2024, 3, 1, 12, 0, 0, 0}, last = first;
    int port = -1;
    if (!Ostrum_GetPort(&port)) __builtin_trap();
    if (Ostrum_OpenFile(port, source.c_str())) {
        Ostrum_GetFileTotalTime(port, &first, &last);
        Ostrum_CloseFile(port);
    }
    OSTRUM_FILE_TIME from = (c(0) & 1) ? last : first;
    OSTRUM_FILE_TIME to = (c(0) & 2) ? first : last;
    Move(&from, int(c(1) % 8) - 2, c(2) * 4);
    Move(&to, int(c(3) % 8) - 5, c(4) * 4);
    const bool cut = Ostrum_CutFile(source.c_str(), &from, &to, target.c_str()) != 0;
    if (!cut) {
        if (Exists(target)) __builtin_trap();   // a failed clip left its file
    } else if (Ostrum_OpenFile(port, target.c_str())) {
        OSTRUM_FILE_TIME a, b;
        if (!Ostrum_GetFileTotalTime(port, &a, &b)) __builtin_trap();
        Ostrum_CloseFile(port);
    } else {
        __builtin_trap();   // the clip written does not open as a converted file
    }
    Ostrum_FreePort(port);
    return 0;
}
