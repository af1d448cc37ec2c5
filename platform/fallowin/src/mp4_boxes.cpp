#include "mp4_boxes.h"

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

bool ShiftChunkOffsets(uint8_t* data, uint64_t begin, uint64_t end, uint64_t delta) {
    static const uint32_t kContainers[] = {FourCC("moov"), FourCC("trak"), FourCC("mdia"), FourCC("minf"),
                                           FourCC("stbl")};
    uint64_t pos = begin;
    while (pos < end) {
        uint32_t type = 0;
        uint64_t hs = 0, size = 0;
        if (!ReadBox(data, pos, end, &type, &hs, &size)) return false;
        const uint64_t body = pos + hs;
        const uint64_t boxEnd = pos + size;
        bool container = false;
        for (uint32_t c : kContainers) container = container || c == type;
        if (container) {
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

bool PlaceMovieFirst(const std::vector<uint8_t>& head, const std::vector<uint8_t>& tail,
                     std::vector<uint8_t>* out) {
    uint32_t type = 0;
    uint64_t hs = 0, ftypSize = 0;
    if (!ReadBox(head.data(), 0, head.size(), &type, &hs, &ftypSize) || type != FourCC("ftyp")) return false;

    std::vector<uint8_t> moved(tail);
    std::vector<BoxInfo> boxes;
    if (!ListBoxes(moved.data(), moved.size(), &boxes)) return false;
    bool haveMovie = false;
    for (const BoxInfo& box : boxes) {
        if (box.type != FourCC("moov")) continue;
        haveMovie = true;
        uint32_t t = 0;
        uint64_t h = 0, s = 0;
        if (!ReadBox(moved.data(), box.offset, box.offset + box.size, &t, &h, &s)) return false;
        if (!ShiftChunkOffsets(moved.data(), box.offset + h, box.offset + box.size, moved.size())) return false;
    }
    if (!haveMovie) return false;

    out->clear();
    out->reserve(head.size() + moved.size());
    out->insert(out->end(), head.begin(), head.begin() + static_cast<long>(ftypSize));
    out->insert(out->end(), moved.begin(), moved.end());
    out->insert(out->end(), head.begin() + static_cast<long>(ftypSize), head.end());
    return true;
}

}  // namespace fallowin
