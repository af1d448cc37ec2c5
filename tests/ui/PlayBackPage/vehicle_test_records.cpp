// SPDX-License-Identifier: GPL-3.0-or-later
#include "vehicle_test_records.h"

#include <cstring>

#include "recmedia/track.h"
#include "recmedia/vehicle_block.h"

namespace vehtest {

VEH_META_INFO Record(uint32_t speed) {
    VEH_META_INFO info;
    std::memset(&info, 0, sizeof info);
    info.runInfo.gpsValid = 1;
    info.runInfo.speed = speed;
    return info;
}

std::vector<VEH_META_INFO> TrackRecords(uint32_t seed, uint32_t seconds) {
    std::vector<VEH_META_INFO> records;
    for (const recmedia::TrackSample& sample : recmedia::MakeTrack(seed, 1700000000u, seconds)) {
        const std::string block = recmedia::MakeVehicleBlock(sample, false);
        VEH_META_INFO info;
        std::memset(&info, 0, sizeof info);
        if (ParseVehicleData(block.data(), static_cast<int>(block.size()), &info)) records.push_back(info);
    }
    return records;
}

uint32_t Packed(uint32_t degrees, uint32_t minutes, uint32_t hundredths) {
    return degrees * 360000u + minutes * 6000u + hundredths;
}

}  // namespace vehtest
