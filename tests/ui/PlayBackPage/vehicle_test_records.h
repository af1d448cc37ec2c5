// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vehicle-data records for the panel tests: filled by hand, or made from a
// generated track through the stream's text blocks and the parser.
#include <vector>

#include "Playback/VehicleData.h"

namespace vehtest {

// A zeroed record with a GPS fix and the given raw speed (1/100000 km/h).
VEH_META_INFO Record(uint32_t speed = 0);
// Records parsed from the text blocks of a generated track.
std::vector<VEH_META_INFO> TrackRecords(uint32_t seed, uint32_t seconds);
// Packed coordinate of degrees, minutes and hundredths of a second.
uint32_t Packed(uint32_t degrees, uint32_t minutes, uint32_t hundredths);

}  // namespace vehtest
