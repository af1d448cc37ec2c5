// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes the vehicle-data files of a sample recorder medium: the pair
// "vehinfo<i>.veh" (512-byte items, one per second) and "vehseg<i>.veh" (a
// 512-byte header and 1536-byte segments that index the items), i = 1..5, at
// the medium's root.
#include <cstdint>
#include <string>
#include <vector>

#include "recmedia/track.h"

namespace recmedia {

constexpr size_t kVehItemBytes = 512;
constexpr size_t kVehSegmentBytes = 1536;
constexpr size_t kVehSegHeaderBytes = 512;

struct VehicleFileOptions {
    uint8_t headerByte = 1;               // segment-file header byte 4
    uint32_t itemsPerSegment = 60;
    std::string deviceText = "QRS-DEMO"; // segment bytes 56..87
    std::string driverText = "DRIVER-01"; // segment bytes 88..119
    std::string plateText = "KEL-0001";   // segment bytes 760..791
    std::string segmentTexts[3] = {"SITE-A", "ROUTE-1", "FLEET-7"};  // 792, 824, 856
};

// The 512 bytes of the item of one sample.
std::vector<uint8_t> MakeVehicleItem(const TrackSample& sample);

// Writes pair `index` (1..5) with the samples in time order. False on a bad
// index or a write failure.
bool WriteVehicleFiles(const std::string& root, int index, const std::vector<TrackSample>& samples,
                       const VehicleFileOptions& options = VehicleFileOptions());

}  // namespace recmedia
