// SPDX-License-Identifier: GPL-3.0-or-later
// Day indexes of the hard-disk library: listings (pull and callback form)
// over a medium whose day index is the fuzz input.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "merrowfen.h"
#include "merrowfen_disk.h"

namespace {

void OnFound(int, const FoundDataRecord*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);

    // The index goes into the folder of the day its header names (when that
    // is a date), so that the day test passes as on a real disk.
    int year = 2024, month = 3, day = 1;
    if (bytes.size() >= sizeof(merrowfen_disk::TableHeader)) {
        merrowfen_disk::TableHeader h;
        std::memcpy(&h, bytes.data(), sizeof h);
        const int y = int(h.tag / 10000), m = int(h.tag / 100 % 100), d = int(h.tag % 100);
        if (y >= 1970 && y <= 2105 && m >= 1 && m <= 12 && d >= 1 && d <= 31) {
            year = y;
            month = m;
            day = d;
        }
    }
    char folder[32];
    std::snprintf(folder, sizeof folder, "%04d%02d%02d", year, month, day);
    const std::string root = kelfuzz::TableDisk(std::string("record/") + folder + "/index.qri", bytes);

    const HD_FILE_TIME start{year, month, day, 0, 0, 0};
    const HD_FILE_TIME end{year, month, day, 23, 59, 59};
    const int h = HD_FILE_FindFile(root.c_str(), -1, HD_FILE_TYPE_ALL, &start, &end);
    if (h >= 0) {
        HD_FIND_FILE_RECORD r;
        while (HD_FILE_FindNextFile(h, &r) == 1)
            if (!std::memchr(r.fileName, 0, sizeof r.fileName)) __builtin_trap();
        HD_FILE_FindClose(h);
    }
    const int k = HD_FILE_FindFile(root.c_str(), 1, HD_FILE_TYPE_NORMAL, &start, &end);
    if (k >= 0) {
        HD_FIND_FILE_RECORD r;
        while (HD_FILE_FindNextFileKEL(k, &r) == 1) {
        }
        HD_FILE_FindClose(k);
    }

    FindDataCondition cond{};
    cond.diskPath = root.c_str();
    cond.channel = -1;
    cond.start = start;
    cond.end = end;
    cond.callback = OnFound;
    const int f = HD_FILE_FindData(0, &cond, sizeof cond);
    if (f >= 0) HD_FILE_FindDataClose(f);
    return 0;
}
