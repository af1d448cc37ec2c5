// SPDX-License-Identifier: GPL-3.0-or-later
#include "es_split.h"

#include <cstring>

namespace fallowin {

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

// Whether one of the 8 bytes of `w` is zero.
inline bool HasZeroByte(uint64_t w) { return ((w - kOnes) & ~w & kHighs) != 0; }

}  // namespace

size_t FindStartCode(const uint8_t* d, size_t size, size_t from) {
    if (!d || size < 3) return size;
    size_t i = from;
    // Eight bytes at a time. A word without a zero byte holds no start code's
    // beginning; in one that has, the two zeros of a start code that begins
    // in it put one zero at an odd place (1, 3, 5 or 7), and the code begins
    // there or just before it.
    while (i + 10 <= size) {
        uint64_t w;
        std::memcpy(&w, d + i, sizeof w);
        if (HasZeroByte(w)) {
            for (size_t k = i + 1; k < i + 9; k += 2) {
                if (d[k] != 0) continue;
                if (d[k - 1] == 0 && d[k + 1] == 1) return k - 1;
                if (d[k + 1] == 0 && d[k + 2] == 1) return k;
            }
        }
        i += 8;
    }
    for (; i + 3 <= size; ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i;
    return size;
}

namespace {

// Picture format fields of an SPS (the NAL unit, its header byte first) that
// the decoder configuration record repeats for the higher profiles.
struct SpsFormat {
    unsigned chroma = 1;       // chroma_format_idc
    unsigned lumaDepth = 8;
    unsigned chromaDepth = 8;
};

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : m_data(data), m_bits(size * 8) {}
    bool Bit(unsigned* out) {
        if (m_pos >= m_bits) return false;
        *out = (m_data[m_pos / 8] >> (7 - m_pos % 8)) & 1u;
        ++m_pos;
        return true;
    }
    // Exp-Golomb code ue(v).
    bool Ue(unsigned* out) {
        int zeros = 0;
        unsigned b = 0;
        while (Bit(&b) && b == 0)
            if (++zeros > 31) return false;
        if (b != 1) return false;
        unsigned v = 0;
        for (int i = 0; i < zeros; ++i) {
            if (!Bit(&b)) return false;
            v = v << 1 | b;
        }
        *out = (1u << zeros) - 1 + v;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_bits;
    size_t m_pos = 0;
};

// Profiles whose SPS carries chroma_format_idc and the bit depths.
bool HasFormatFields(unsigned profile) {
    switch (profile) {
    case 44: case 83: case 86: case 100: case 110: case 118: case 122: case 128: case 134: case 135: case 138:
    case 139: case 244: return true;
    default: return false;
    }
}

bool ReadSpsFormat(const uint8_t* sps, size_t size, SpsFormat* out) {
    // The fields sit in the first bytes: they are taken without the
    // emulation prevention bytes (00 00 03 -> 00 00).
    uint8_t rbsp[64];
    size_t n = 0;
    int zeros = 0;
    for (size_t i = 1; i < size && n < sizeof rbsp; ++i) {
        if (zeros >= 2 && sps[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = sps[i] == 0 ? zeros + 1 : 0;
        rbsp[n++] = sps[i];
    }
    if (n < 4) return false;
    *out = SpsFormat();
    if (!HasFormatFields(rbsp[0])) return true;
    BitReader bits(rbsp + 3, n - 3);
    unsigned id = 0, chroma = 0, flag = 0, luma = 0, chromaDepth = 0;
    if (!bits.Ue(&id) || !bits.Ue(&chroma) || chroma > 3) return false;
    if (chroma == 3 && !bits.Bit(&flag)) return false;
    if (!bits.Ue(&luma) || !bits.Ue(&chromaDepth) || luma > 6 || chromaDepth > 6) return false;
    out->chroma = chroma;
    out->lumaDepth = 8 + luma;
    out->chromaDepth = 8 + chromaDepth;
    return true;
}

void PutBe16(std::vector<uint8_t>* out, size_t v) {
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

}  // namespace

void SplitAnnexB(const uint8_t* data, size_t size, std::vector<NalUnit>* nals) {
    nals->clear();
    if (!data) return;
    size_t sc = FindStartCode(data, size, 0);
    while (sc < size) {
        const size_t begin = sc + 3;
        size_t next = FindStartCode(data, size, begin);
        size_t end = next;
        // A 4-byte start code leaves its leading zero behind the unit before it;
        // trailing zero bytes belong to no unit.
        while (end > begin && data[end - 1] == 0) --end;
        if (end > begin) {
            NalUnit nal;
            nal.offset = begin;
            nal.size = end - begin;
            nal.type = data[begin] & 0x1F;
            nals->push_back(nal);
        }
        sc = next;
    }
}

std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size) {
    std::vector<NalUnit> nals;
    SplitAnnexB(data, size, &nals);
    return nals;
}

bool H264DecoderConfig(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    const std::vector<NalUnit> nals = SplitAnnexB(data, size);
    const NalUnit* sps = nullptr;
    const NalUnit* pps = nullptr;
    for (const NalUnit& nal : nals) {
        if (nal.type == 7 && !sps) sps = &nal;
        if (nal.type == 8 && !pps) pps = &nal;
    }
    if (!sps || !pps || sps->size < 4 || sps->size > 0xFFFF || pps->size > 0xFFFF) return false;
    const uint8_t* s = data + sps->offset;
    // Fields that do not read are taken as the usual 4:2:0 at 8 bits, the
    // one format a recorder writes.
    SpsFormat format;
    if (!ReadSpsFormat(s, sps->size, &format)) format = SpsFormat();
    out->clear();
    out->push_back(1);      // configurationVersion
    out->push_back(s[1]);   // profile
    out->push_back(s[2]);   // profile compatibility
    out->push_back(s[3]);   // level
    out->push_back(0xFF);   // NAL unit sizes of 4 bytes
    out->push_back(0xE1);   // one SPS
    PutBe16(out, sps->size);
    out->insert(out->end(), s, s + sps->size);
    out->push_back(1);      // one PPS
    PutBe16(out, pps->size);
    out->insert(out->end(), data + pps->offset, data + pps->offset + pps->size);
    if (s[1] != 66 && s[1] != 77 && s[1] != 88) {
        out->push_back(static_cast<uint8_t>(0xFC | format.chroma));
        out->push_back(static_cast<uint8_t>(0xF8 | (format.lumaDepth - 8)));
        out->push_back(static_cast<uint8_t>(0xF8 | (format.chromaDepth - 8)));
        out->push_back(0);  // no SPS extensions
    }
    return true;
}

bool H264ToSample(const uint8_t* data, size_t size, std::vector<NalUnit>* nals, std::vector<uint8_t>* out,
                  bool* idr) {
    SplitAnnexB(data, size, nals);
    *idr = false;
    out->clear();
    if (nals->empty()) return false;
    size_t total = 0;
    for (const NalUnit& nal : *nals) total += 4 + nal.size;
    out->reserve(total);
    for (const NalUnit& nal : *nals) {
        const uint8_t length[4] = {static_cast<uint8_t>(nal.size >> 24), static_cast<uint8_t>(nal.size >> 16),
                                   static_cast<uint8_t>(nal.size >> 8), static_cast<uint8_t>(nal.size)};
        out->insert(out->end(), length, length + 4);
        out->insert(out->end(), data + nal.offset, data + nal.offset + nal.size);
        if (nal.type == 5) *idr = true;
    }
    return true;
}

bool Mpeg4Config(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    if (!data) return false;
    size_t sc = FindStartCode(data, size, 0);
    size_t first = sc;
    while (sc < size) {
        if (sc + 3 < size && data[sc + 3] == 0xB6) {
            if (sc <= first) return false;
            out->assign(data + first, data + sc);
            return true;
        }
        sc = FindStartCode(data, size, sc + 3);
    }
    return false;
}

bool Mpeg4HasIntraVop(const uint8_t* data, size_t size) {
    if (!data) return false;
    size_t sc = FindStartCode(data, size, 0);
    while (sc < size) {
        if (sc + 4 < size && data[sc + 3] == 0xB6) return (data[sc + 4] >> 6) == 0;
        sc = FindStartCode(data, size, sc + 3);
    }
    return false;
}

bool ParseMpaHeader(const uint8_t* p, size_t size, MpaFrameInfo* out) {
    if (!p || size < 4) return false;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    const int versionBits = (p[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layerBits = (p[1] >> 1) & 3;    // 3 layer I, 2 layer II, 1 layer III
    if (versionBits == 1 || layerBits == 0) return false;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    const int layer = 4 - layerBits;
    const bool mpeg1 = versionBits == 3;

    static const int kRates[3] = {44100, 48000, 32000};
    int rate = kRates[rateIndex];
    if (versionBits == 2) rate /= 2;
    if (versionBits == 0) rate /= 4;

    static const int kBitrates[2][3][15] = {
        {// MPEG-1
         {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {// MPEG-2 / 2.5
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const int bitRate = kBitrates[mpeg1 ? 0 : 1][layer - 1][bitrateIndex] * 1000;

    int samples = 1152;
    int bytes = 0;
    if (layer == 1) {
        samples = 384;
        bytes = (12 * bitRate / rate + padding) * 4;
    } else if (layer == 2 || mpeg1) {
        bytes = 144 * bitRate / rate + padding;
    } else {  // layer III, MPEG-2/2.5
        samples = 576;
        bytes = 72 * bitRate / rate + padding;
    }
    if (bytes < 4) return false;
    out->layer = layer;
    out->sampleRate = rate;
    out->channels = ((p[3] >> 6) & 3) == 3 ? 1 : 2;
    out->bitRate = bitRate;
    out->frameBytes = bytes;
    out->samplesPerFrame = samples;
    return true;
}

void MpaFramer::Reset() {
    m_buf.clear();
    m_havePts = false;
    m_nextPts = 0;
}

void MpaFramer::Push(const uint8_t* data, size_t size, bool hasPts, int64_t pts, std::vector<Frame>* out) {
    if (hasPts && m_buf.empty()) {
        m_nextPts = pts;
        m_havePts = true;
    }
    if (data && size) m_buf.insert(m_buf.end(), data, data + size);
    size_t pos = 0;
    while (pos + 4 <= m_buf.size()) {
        MpaFrameInfo info;
        if (!ParseMpaHeader(m_buf.data() + pos, m_buf.size() - pos, &info)) {
            ++pos;  // not in step: look for the next sync word
            continue;
        }
        if (pos + static_cast<size_t>(info.frameBytes) > m_buf.size()) break;
        if (m_havePts) {
            Frame frame;
            frame.bytes.assign(m_buf.begin() + static_cast<long>(pos),
                               m_buf.begin() + static_cast<long>(pos) + info.frameBytes);
            frame.pts = m_nextPts;
            frame.info = info;
            out->push_back(std::move(frame));
            m_nextPts += static_cast<int64_t>(info.samplesPerFrame) * 90000 / info.sampleRate;
        }
        pos += static_cast<size_t>(info.frameBytes);
    }
    m_buf.erase(m_buf.begin(), m_buf.begin() + static_cast<long>(pos));
}

}  // namespace fallowin
