// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/recstream.h"

#include <cstring>

namespace recstream {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

StreamHeader MakeHeader() {
    StreamHeader h;
    std::memset(&h, 0, sizeof(h));
    std::memcpy(h.magic, "QRS1", 4);
    h.version = 1;
    h.headerSize = static_cast<uint16_t>(kHeaderSize);
    return h;
}

bool ParseHeader(const void* data, size_t size, StreamHeader* out) {
    if (!data || size < kHeaderSize) return false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (std::memcmp(p, "QRS1", 4) != 0) return false;
    if (Le16(p + 4) != 1 || Le16(p + 6) != kHeaderSize) return false;
    if (!out) return true;
    StreamHeader h;
    std::memcpy(h.magic, p, 4);
    h.version = Le16(p + 4);
    h.headerSize = Le16(p + 6);
    h.videoCodec = p[8];
    h.audioCodec = p[9];
    h.channel = p[10];
    h.flags = p[11];
    h.width = Le16(p + 12);
    h.height = Le16(p + 14);
    h.frameRate = Le16(p + 16);
    h.reserved0 = Le16(p + 18);
    h.startTime = Le32(p + 20);
    h.keyCheck = Le32(p + 24);
    std::memcpy(h.nonce, p + 28, 8);
    h.reserved1 = Le32(p + 36);
    *out = h;
    return true;
}

}  // namespace recstream
