// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The vehicle-data text block a recorder puts into its stream once a second
// (private stream 2), in its plain "$QORMOBILE" form or enciphered. The layout
// is in docs/recorder-stream.md.
#include <cstdint>
#include <string>

#include "recmedia/track.h"

namespace recmedia {

// The 8-byte DES key of enciphered blocks.
extern const uint8_t kVehicleTextKey[8];

// The block of one sample. `channel` only goes into the block's texts.
std::string MakeVehicleBlock(const TrackSample& sample, bool enciphered, int channel = 1);

// The plain text inside an enciphered block (zero padding removed); a plain
// block is returned as it is. Empty when the block has no second comma.
std::string DecipherVehicleBlock(const std::string& block);

}  // namespace recmedia
