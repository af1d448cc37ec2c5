// SPDX-License-Identifier: GPL-3.0-or-later
// Device logs of the hard-disk library: every search kind over a medium whose
// log file is the fuzz input.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "merrowfen.h"

namespace {

void ReadAll(int handle) {
    if (handle < 0) return;
    HD_LOG_RECORD r;
    while (HD_FILE_FindNextLog(handle, &r) == 1) {
    }
    HD_FILE_FindLogClose(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string root = kelfuzz::TableDisk("devlog.qrl", std::vector<uint8_t>(data, data + size));

    ReadAll(HD_FILE_FindLog(root.c_str(), HD_LOG_KIND_ALL, 0, 0, nullptr, nullptr));
    const HD_FILE_TIME start{2024, 3, 1, 0, 0, 0};
    const HD_FILE_TIME end{2024, 3, 1, 23, 59, 59};
    ReadAll(HD_FILE_FindLog(root.c_str(), HD_LOG_KIND_FILTER, 0, 0, &start, &end));
    ReadAll(HD_FILE_FindLog(root.c_str(), HD_LOG_KIND_FILTER, 3, 0, nullptr, &end));
    ReadAll(HD_FILE_FindLog(root.c_str(), HD_LOG_KIND_FILTER, 1, 2, &start, nullptr));
    return 0;
}
