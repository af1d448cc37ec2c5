#include "es_split.h"

namespace fallowin {

namespace {

// Offset of the next 00 00 01 at or after `from`; `size` when none.
size_t FindStartCode(const uint8_t* d, size_t size, size_t from) {
    for (size_t i = from; i + 3 <= size; ++i) {
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i;
    }
    return size;
}

void AppendNal(const uint8_t* data, const NalUnit& nal, std::vector<uint8_t>* out) {
    static const uint8_t kStart[4] = {0, 0, 0, 1};
    out->insert(out->end(), kStart, kStart + 4);
    out->insert(out->end(), data + nal.offset, data + nal.offset + nal.size);
}

}  // namespace

std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size) {
    std::vector<NalUnit> nals;
    if (!data) return nals;
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
            nals.push_back(nal);
        }
        sc = next;
    }
    return nals;
}

bool H264ParameterSets(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    std::vector<NalUnit> nals = SplitAnnexB(data, size);
    const NalUnit* sps = nullptr;
    const NalUnit* pps = nullptr;
    for (const NalUnit& nal : nals) {
        if (nal.type == 7 && !sps) sps = &nal;
        if (nal.type == 8 && !pps) pps = &nal;
    }
    if (!sps || !pps) return false;
    out->clear();
    AppendNal(data, *sps, out);
    AppendNal(data, *pps, out);
    return true;
}

bool H264HasIdr(const uint8_t* data, size_t size) {
    for (const NalUnit& nal : SplitAnnexB(data, size)) {
        if (nal.type == 5) return true;
    }
    return false;
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
