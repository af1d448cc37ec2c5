// SPDX-License-Identifier: GPL-3.0-or-later
// Picture index and segments: the picture copy over a medium whose index
// files and segment files come from the input. Pieces: options (byte 0:
// layout 1 or 2, byte 1: channel, byte 2: picture type), "index00p.bin",
// "index01p.bin", then "pic00000.pic" to "pic00003.pic".
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fuzz_support.h"
#include "pellomir/Pellomir.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelfuzz::UseDriveE();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 7);
    const std::vector<uint8_t>& options = pieces[0];
    const int version = !options.empty() && options[0] == 2 ? 2 : 1;
    const int channel = options.size() > 1 ? options[1] % 50 : 1;
    const int type = options.size() > 2 ? options[2] % 4 : 3;
    kelfuzz::FixPictureIndexChecksum(version, &pieces[1]);
    kelfuzz::FixPictureIndexChecksum(version, &pieces[2]);

    const std::string root = kelfuzz::CleanFolder("disk");
    const std::string out = kelfuzz::CleanFolder("out");
    const std::string marker = kelfuzz::DiskMarkerText(2, version);
    kelfuzz::WriteFile(root + "/QORWS", marker.data(), marker.size());
    if (!pieces[1].empty()) kelfuzz::WriteFile(root + "/index00p.bin", pieces[1]);
    if (!pieces[2].empty()) kelfuzz::WriteFile(root + "/index01p.bin", pieces[2]);
    for (int i = 0; i < 4; ++i) {
        if (pieces[size_t(3 + i)].empty()) continue;
        char name[32];
        std::snprintf(name, sizeof name, "/pic%05d.pic", i);
        kelfuzz::WriteFile(root + name, pieces[size_t(3 + i)]);
    }

    const char drives[1][DVR_FILE_PATH_SLOT] = {"E:"};
    // The whole span the copy's packed times can hold (years 2000 to 2063).
    const DVR_FILE_TIME start{2000, 1, 1, 0, 0, 1};
    const DVR_FILE_TIME end{2063, 12, 31, 23, 59, 59};
    DVR_FILE_CopyPicFileByTimeEx(drives, 1, &start, &end, channel, type, out.c_str());
    return 0;
}
