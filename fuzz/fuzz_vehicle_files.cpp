// SPDX-License-Identifier: GPL-3.0-or-later
// Vehicle-data files: the vehicle-data search over a medium whose file pairs
// come from the input. Pieces: "vehinfo1.veh", "vehseg1.veh", "vehinfo2.veh",
// "vehseg2.veh".
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "pellomir/Pellomir.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelfuzz::UseDriveE();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 4);
    const std::string root = kelfuzz::CleanFolder("disk");
    const std::string marker = kelfuzz::DiskMarkerText(2, 1);
    kelfuzz::WriteFile(root + "/QORWS", marker.data(), marker.size());
    for (int i = 0; i < 2; ++i) {
        const std::string n = std::to_string(i + 1);
        if (!pieces[size_t(2 * i)].empty()) kelfuzz::WriteFile(root + "/vehinfo" + n + ".veh", pieces[size_t(2 * i)]);
        if (!pieces[size_t(2 * i + 1)].empty())
            kelfuzz::WriteFile(root + "/vehseg" + n + ".veh", pieces[size_t(2 * i + 1)]);
    }
    const DVR_FILE_TIME start{1970, 1, 1, 0, 0, 0};
    const DVR_FILE_TIME end{2105, 12, 31, 23, 59, 59};
    const int32_t h = DVR_FILE_FindVehDataEx("E:", &start, &end);
    if (h >= 0) {
        DVR_FILE_VEH_META_INFO record;
        while (DVR_FILE_FindNextVeh(h, &record) == 1) {
        }
        DVR_FILE_FindVehClose(h);
    }
    return 0;
}
