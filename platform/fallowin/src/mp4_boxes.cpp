// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp4_boxes.h"

#include <algorithm>
#include <limits>

namespace fallowin {

namespace {

uint32_t Be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
uint64_t Be64(const uint8_t* p) { return (static_cast<uint64_t>(Be32(p)) << 32) | Be32(p + 4); }
void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
void PutBe64(uint8_t* p, uint64_t v) {
    PutBe32(p, static_cast<uint32_t>(v >> 32));
    PutBe32(p + 4, static_cast<uint32_t>(v));
}

// One box header at `pos` of a region ending at `end`: header length and
// whole size. False when it does not fit.
bool ReadBox(const uint8_t* data, uint64_t pos, uint64_t end, uint32_t* type, uint64_t* headerSize,
             uint64_t* size) {
    if (end < pos || end - pos < 8) return false;
    uint64_t s = Be32(data + pos);
    *type = Be32(data + pos + 4);
    *headerSize = 8;
    if (s == 1) {
        if (end - pos < 16) return false;
        s = Be64(data + pos + 8);
        *headerSize = 16;
    } else if (s == 0) {
        s = end - pos;
    }
    if (s < *headerSize || s > end - pos) return false;
    *size = s;
    return true;
}

bool IsContainer(uint32_t type) {
    static const uint32_t kContainers[] = {FourCC("moov"), FourCC("trak"), FourCC("mdia"), FourCC("minf"),
                                           FourCC("stbl")};
    for (uint32_t c : kContainers)
        if (c == type) return true;
    return false;
}

// The largest 32-bit chunk offset ("stco") in the boxes of [begin, end).
bool LargestShortOffset(const uint8_t* data, uint64_t begin, uint64_t end, uint64_t* largest) {
    for (uint64_t pos = begin; pos < end;) {
        uint32_t type = 0;
        uint64_t hs = 0, size = 0;
        if (!ReadBox(data, pos, end, &type, &hs, &size)) return false;
        const uint64_t body = pos + hs;
        const uint64_t boxEnd = pos + size;
        if (IsContainer(type)) {
            if (!LargestShortOffset(data, body, boxEnd, largest)) return false;
        } else if (type == FourCC("stco")) {
            if (boxEnd - body < 8) return false;
            const uint64_t count = Be32(data + body + 4);
            if (count > (boxEnd - body - 8) / 4) return false;
            for (uint64_t i = 0; i < count; ++i) *largest = std::max<uint64_t>(*largest, Be32(data + body + 8 + 4 * i));
        }
        pos = boxEnd;
    }
    return true;
}

// Copies the boxes of [begin, end) to `out`, every "stco" made a "co64"
// (the sizes of the boxes around them follow).
bool WidenChunkOffsets(const uint8_t* data, uint64_t begin, uint64_t end, std::vector<uint8_t>* out) {
    for (uint64_t pos = begin; pos < end;) {
        uint32_t type = 0;
        uint64_t hs = 0, size = 0;
        if (!ReadBox(data, pos, end, &type, &hs, &size)) return false;
        const uint64_t body = pos + hs;
        const uint64_t boxEnd = pos + size;
        if (IsContainer(type)) {
            const size_t at = out->size();
            out->insert(out->end(), data + pos, data + body);
            if (!WidenChunkOffsets(data, body, boxEnd, out)) return false;
            const uint64_t grown = out->size() - at;
            if (hs == 16) {
                PutBe64(out->data() + at + 8, grown);
            } else if (grown > std::numeric_limits<uint32_t>::max()) {
                return false;
            } else {
                PutBe32(out->data() + at, static_cast<uint32_t>(grown));
            }
        } else if (type == FourCC("stco")) {
            if (boxEnd - body < 8) return false;
            const uint64_t count = Be32(data + body + 4);
            if (count > (boxEnd - body - 8) / 4) return false;
            const uint64_t wide = 16 + 8 * count;
            if (wide > std::numeric_limits<uint32_t>::max()) return false;
            const size_t at = out->size();
            out->resize(at + static_cast<size_t>(wide));
            uint8_t* p = out->data() + at;
            PutBe32(p, static_cast<uint32_t>(wide));
            PutBe32(p + 4, FourCC("co64"));
            PutBe32(p + 8, Be32(data + body));   // version and flags
            PutBe32(p + 12, static_cast<uint32_t>(count));
            for (uint64_t i = 0; i < count; ++i) PutBe64(p + 16 + 8 * i, Be32(data + body + 8 + 4 * i));
        } else {
            out->insert(out->end(), data + pos, data + boxEnd);
        }
        pos = boxEnd;
    }
    return true;
}

bool ShiftChunkOffsets(uint8_t* data, uint64_t begin, uint64_t end, uint64_t delta) {
    uint64_t pos = begin;
    while (pos < end) {
        uint32_t type = 0;
        uint64_t hs = 0, size = 0;
        if (!ReadBox(data, pos, end, &type, &hs, &size)) return false;
        const uint64_t body = pos + hs;
        const uint64_t boxEnd = pos + size;
        if (IsContainer(type)) {
            if (!ShiftChunkOffsets(data, body, boxEnd, delta)) return false;
        } else if (type == FourCC("stco") || type == FourCC("co64")) {
            const bool wide = type == FourCC("co64");
            if (boxEnd - body < 8) return false;
            const uint64_t count = Be32(data + body + 4);
            const uint64_t entry = wide ? 8 : 4;
            if (count > (boxEnd - body - 8) / entry) return false;
            uint8_t* p = data + body + 8;
            for (uint64_t i = 0; i < count; ++i, p += entry) {
                if (wide) {
                    const uint64_t v = Be64(p);
                    if (v > std::numeric_limits<uint64_t>::max() - delta) return false;
                    PutBe64(p, v + delta);
                } else {
                    const uint64_t v = static_cast<uint64_t>(Be32(p)) + delta;
                    if (v > std::numeric_limits<uint32_t>::max()) return false;
                    PutBe32(p, static_cast<uint32_t>(v));
                }
            }
        }
        pos = boxEnd;
    }
    return true;
}

}  // namespace

bool ListBoxes(const uint8_t* data, uint64_t size, std::vector<BoxInfo>* out) {
    out->clear();
    uint64_t pos = 0;
    while (pos < size) {
        BoxInfo info;
        uint64_t hs = 0;
        if (!ReadBox(data, pos, size, &info.type, &hs, &info.size)) return false;
        info.offset = pos;
        out->push_back(info);
        pos += info.size;
    }
    return true;
}

bool PlaceMovieFirst(const std::vector<uint8_t>& head, const std::vector<uint8_t>& tail, std::vector<uint8_t>* out,
                     size_t block) {
    uint32_t type = 0;
    uint64_t hs = 0, ftypSize = 0;
    if (!ReadBox(head.data(), 0, head.size(), &type, &hs, &ftypSize) || type != FourCC("ftyp")) return false;
    const uint64_t restSize = head.size() - ftypSize;

    std::vector<BoxInfo> boxes;
    if (!ListBoxes(tail.data(), tail.size(), &boxes)) return false;
    // What stands in front of the samples once the movie box is: the tail
    // and the filling "free" box (at least its 8-byte header).
    auto filling = [&](uint64_t moved) -> uint64_t {
        if (block == 0) return 0;
        const uint64_t used = ftypSize + moved + 8 + restSize;
        return 8 + (block - used % block) % block;
    };
    uint64_t largest = 0;
    for (const BoxInfo& box : boxes)
        if (box.type == FourCC("moov") && !LargestShortOffset(tail.data(), box.offset, box.offset + box.size, &largest))
            return false;
    const uint64_t roughDelta = tail.size() + (block ? block + 8 : 0);
    const bool widen = largest + roughDelta > std::numeric_limits<uint32_t>::max();

    std::vector<uint8_t> moved;
    if (widen) {
        if (!WidenChunkOffsets(tail.data(), 0, tail.size(), &moved) || !ListBoxes(moved.data(), moved.size(), &boxes))
            return false;
    } else {
        moved = tail;
    }
    const uint64_t fill = filling(moved.size());
    const uint64_t delta = moved.size() + fill;
    bool haveMovie = false;
    for (const BoxInfo& box : boxes) {
        if (box.type != FourCC("moov")) continue;
        haveMovie = true;
        uint32_t t = 0;
        uint64_t h = 0, s = 0;
        if (!ReadBox(moved.data(), box.offset, box.offset + box.size, &t, &h, &s)) return false;
        if (!ShiftChunkOffsets(moved.data(), box.offset + h, box.offset + box.size, delta)) return false;
    }
    if (!haveMovie) return false;

    out->clear();
    out->reserve(head.size() + moved.size() + fill);
    out->insert(out->end(), head.begin(), head.begin() + static_cast<long>(ftypSize));
    out->insert(out->end(), moved.begin(), moved.end());
    if (fill) {
        const size_t at = out->size();
        out->resize(at + fill, 0);
        PutBe32(out->data() + at, static_cast<uint32_t>(fill));
        PutBe32(out->data() + at + 4, FourCC("free"));
    }
    out->insert(out->end(), head.begin() + static_cast<long>(ftypSize), head.end());
    return true;
}

}  // namespace fallowin
