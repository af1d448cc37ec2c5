// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Box surgery on the .mp4 files the transform writes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fallowin {

// `head` starts with the "ftyp" box and ends just before the media samples;
// `tail` holds the top-level boxes written after the samples (the movie box
// "moov" among them). Builds in `out` the head of a file that has the movie
// box in front: ftyp, tail, a "free" box that makes the whole a multiple of
// `block` bytes (none for a block of 0), rest of head. Every chunk offset
// ("stco", "co64") inside the tail's movie boxes moves by what now stands in
// front of the samples; when a 32-bit offset would pass 4 GiB, every "stco"
// becomes a "co64" first. False when the boxes do not parse.
bool PlaceMovieFirst(const std::vector<uint8_t>& head, const std::vector<uint8_t>& tail, std::vector<uint8_t>* out,
                     size_t block = 0);

// Walks the top-level boxes of `data`: the type and the size of each, in
// order (a box whose size runs past the end ends the walk with false).
struct BoxInfo {
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};
bool ListBoxes(const uint8_t* data, uint64_t size, std::vector<BoxInfo>* out);

constexpr uint32_t FourCC(const char (&s)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(s[3]));
}

}  // namespace fallowin
