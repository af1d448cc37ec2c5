// SPDX-License-Identifier: GPL-3.0-or-later
// The vehicle-data text of private stream blocks: the parser and the text
// decipherer.
#include <cstdint>
#include <cstring>
#include <vector>

#include "Playback/VehicleData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    // An exact-size copy, so that reads past the block are caught.
    std::vector<char> block(data, data + size);
    VEH_META_INFO info;
    std::memset(&info, 0, sizeof info);
    ParseVehicleData(block.data(), int(block.size()), &info);

    std::vector<char> text(data, data + size);
    text.push_back('\0');
    static const uint8_t key[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    uint8_t out[kVehicleTextBufferSize];
    DecipherVehicleText(int(size), text.data(), out, sizeof out, key);
    FindNthOccurrence(text.data(), ",", 3);
    return 0;
}
