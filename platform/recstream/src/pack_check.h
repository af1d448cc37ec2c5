// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pack recognition shared by the scanner, the buffer search and the writer's
// self-checks.
#include "recstream/recstream.h"

namespace recstream {
namespace detail {

constexpr size_t kPackHeaderSize = 14;
// A pack that has not ended after this many bytes is not taken for one.
constexpr size_t kMaxPackSize = 16u << 20;

enum CheckResult { kCheckOk, kCheckNeedMore, kCheckInvalid };

// Checks for a pack at the start of `d` (`avail` bytes available, `atEnd`
// when no more will come). `trusted` is set when the bytes before ended a
// well-formed pack exactly here: a broken PES chain then only ends the pack;
// without it the whole chain must be sound. On kCheckOk, `*size` is the pack's
// size and `*endsAtPack` tells whether the next pack starts right after it.
CheckResult CheckPack(const uint8_t* d, size_t avail, bool atEnd, bool trusted, size_t* size, bool* endsAtPack);

// True when the 14 bytes at `d` form a pack header with sound marker bits.
bool PackHeaderOk(const uint8_t* d);
uint64_t PackScr(const uint8_t* d);
// Fills the pack fields of `out` (pes, scr, system header) from a pack of
// `size` bytes that CheckPack accepted. Offsets, time and bytes are left to
// the caller.
void DescribePack(const uint8_t* d, size_t size, Packet* out);

}  // namespace detail
}  // namespace recstream
