// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/recstream.h"
#include "wincompat/drives.h"

#include <openssl/rand.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace recstream {

namespace {

constexpr uint32_t kMuxRate = 25200;       // 50-byte units per second (10.08 Mbit/s)
constexpr size_t kMaxPesLength = 65535;    // PES_packet_length field limit
constexpr size_t kPtsHeaderLength = 3 + 5; // flags, header length, PTS

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
}

void PutLe16(uint8_t* p, uint16_t x) {
    p[0] = static_cast<uint8_t>(x);
    p[1] = static_cast<uint8_t>(x >> 8);
}
void PutLe32(uint8_t* p, uint32_t x) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(x >> (8 * i));
}

void SerializeHeader(const StreamHeader& h, uint8_t out[kHeaderSize]) {
    std::memcpy(out, h.magic, 4);
    PutLe16(out + 4, h.version);
    PutLe16(out + 6, h.headerSize);
    out[8] = h.videoCodec;
    out[9] = h.audioCodec;
    out[10] = h.channel;
    out[11] = h.flags;
    PutLe16(out + 12, h.width);
    PutLe16(out + 14, h.height);
    PutLe16(out + 16, h.frameRate);
    PutLe16(out + 18, h.reserved0);
    PutLe32(out + 20, h.startTime);
    PutLe32(out + 24, h.keyCheck);
    std::memcpy(out + 28, h.nonce, 8);
    PutLe32(out + 36, h.reserved1);
}

void PutPackHeader(std::vector<uint8_t>& v, uint64_t scr) {
    scr &= 0x1FFFFFFFFull;
    const uint8_t h[14] = {
        0x00, 0x00, 0x01, 0xBA,
        static_cast<uint8_t>(0x44 | (((scr >> 30) & 0x07) << 3) | ((scr >> 28) & 0x03)),
        static_cast<uint8_t>(scr >> 20),
        static_cast<uint8_t>(0x04 | (((scr >> 15) & 0x1F) << 3) | ((scr >> 13) & 0x03)),
        static_cast<uint8_t>(scr >> 5),
        static_cast<uint8_t>(0x04 | ((scr & 0x1F) << 3)),  // SCR extension 0
        0x01,
        static_cast<uint8_t>(kMuxRate >> 14),
        static_cast<uint8_t>(kMuxRate >> 6),
        static_cast<uint8_t>(((kMuxRate & 0x3F) << 2) | 0x03),
        0xF8,  // no stuffing
    };
    v.insert(v.end(), h, h + 14);
}

void PutPts(std::vector<uint8_t>& v, uint64_t pts) {
    pts &= 0x1FFFFFFFFull;
    v.push_back(static_cast<uint8_t>(0x21 | (((pts >> 30) & 0x07) << 1)));
    v.push_back(static_cast<uint8_t>(pts >> 22));
    v.push_back(static_cast<uint8_t>(((pts >> 15) & 0x7F) << 1 | 1));
    v.push_back(static_cast<uint8_t>(pts >> 7));
    v.push_back(static_cast<uint8_t>((pts & 0x7F) << 1 | 1));
}

uint32_t Crc32Mpeg(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<uint32_t>(p[i]) << 24;
        for (int b = 0; b < 8; ++b) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

}  // namespace

std::vector<uint8_t> StampOnlyVideoPack(uint64_t pts) {
    std::vector<uint8_t> pack;
    PutPackHeader(pack, pts);
    pack.insert(pack.end(), {0x00, 0x00, 0x01, kStreamVideo, 0x00, 0x08, 0x80, 0x80, 0x05});
    PutPts(pack, pts);
    return pack;
}

struct StreamWriter::Impl {
    FILE* file = nullptr;
    StreamHeader header = MakeHeader();
    std::string key;
    uint64_t written = 0;
    bool failed = false;
    uint64_t lastScr = 0;
    bool firstPack = true;
    std::vector<uint8_t> pack;
    std::vector<uint8_t> work;

    bool Put(const std::vector<uint8_t>& bytes) {
        if (!file) return false;
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            failed = true;
            return false;
        }
        written += bytes.size();
        return true;
    }

    struct EsInfo {
        uint8_t id;
        uint8_t type;
    };
    std::vector<EsInfo> Streams() const {
        std::vector<EsInfo> es;
        if (header.videoCodec == kVideoH264) es.push_back({kStreamVideo, 0x1B});
        else if (header.videoCodec == kVideoMpeg4) es.push_back({kStreamVideo, 0x10});
        if (header.audioCodec == kAudioMp2) es.push_back({kStreamAudio, 0x03});
        return es;
    }

    void PutSystemHeader() {
        auto es = Streams();
        bool hasPrivate = (header.flags & kFlagVehicleData) != 0;
        size_t count = es.size() + (hasPrivate ? 1 : 0);
        pack.insert(pack.end(), {0x00, 0x00, 0x01, 0xBB});
        Put16(pack, static_cast<uint32_t>(6 + 3 * count));
        const uint32_t rateBound = kMuxRate;
        pack.push_back(static_cast<uint8_t>(0x80 | (rateBound >> 15)));
        pack.push_back(static_cast<uint8_t>(rateBound >> 7));
        pack.push_back(static_cast<uint8_t>(((rateBound & 0x7F) << 1) | 1));
        uint8_t audioBound = header.audioCodec != kAudioNone ? 1 : 0;
        uint8_t videoBound = header.videoCodec != kVideoNone ? 1 : 0;
        pack.push_back(static_cast<uint8_t>(audioBound << 2));       // not fixed rate, not CSPS
        pack.push_back(static_cast<uint8_t>(0x20 | videoBound));      // no locks, marker
        pack.push_back(0x7F);                                         // no rate restriction
        for (const auto& e : es) {
            pack.push_back(e.id);
            if (e.id >= 0xE0) {
                pack.push_back(0xE0 | 0x00);  // scale 1024 bytes, 232 KiB
                pack.push_back(0xE8);
            } else {
                pack.push_back(0xC0);         // scale 128 bytes, 4 KiB
                pack.push_back(0x20);
            }
        }
        if (hasPrivate) {
            pack.push_back(kStreamPrivate);
            pack.push_back(0xE0);
            pack.push_back(0x02);
        }
    }

    void PutStreamMap() {
        auto es = Streams();
        size_t start = pack.size();
        pack.insert(pack.end(), {0x00, 0x00, 0x01, 0xBC});
        Put16(pack, static_cast<uint32_t>(10 + 4 * es.size()));
        pack.push_back(0xE0);  // current, version 0
        pack.push_back(0xFF);
        Put16(pack, 0);        // no program descriptors
        Put16(pack, static_cast<uint32_t>(4 * es.size()));
        for (const auto& e : es) {
            pack.push_back(e.type);
            pack.push_back(e.id);
            Put16(pack, 0);
        }
        uint32_t crc = Crc32Mpeg(pack.data() + start, pack.size() - start);
        for (int i = 3; i >= 0; --i) pack.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    }

    bool WritePack(uint8_t streamId, uint64_t pts, bool keyFrame, const uint8_t* data, size_t size) {
        if (!file || (!data && size > 0)) return false;
        pts &= 0x1FFFFFFFFull;
        uint64_t scr = std::max(pts, lastScr);
        lastScr = scr;
        pack.clear();
        PutPackHeader(pack, scr);
        // Readers take a video PES in a pack with a system header for a key
        // frame, so a leading non-key frame does not get one.
        const bool video = streamId == kStreamVideo;
        if ((video && keyFrame) || (firstPack && !video)) {
            PutSystemHeader();
            PutStreamMap();
        }
        firstPack = false;

        if (streamId == kStreamPrivate) {
            if (size > kMaxPesLength) return false;
            pack.insert(pack.end(), {0x00, 0x00, 0x01, kStreamPrivate});
            Put16(pack, static_cast<uint32_t>(size));
            pack.insert(pack.end(), data, data + size);
            return Put(pack);
        }

        const uint8_t* payload = data;
        if (header.flags & kFlagEnciphered) {
            work.assign(data, data + size);
            CipherPayload(header, key, streamId, pts, work.data(), work.size());
            payload = work.data();
        }
        size_t done = 0;
        bool first = true;
        do {
            size_t headerLength = first ? kPtsHeaderLength : 3;
            size_t chunk = std::min(size - done, kMaxPesLength - headerLength);
            pack.insert(pack.end(), {0x00, 0x00, 0x01, streamId});
            Put16(pack, static_cast<uint32_t>(headerLength + chunk));
            pack.push_back(first ? 0x84 : 0x80);  // '10', data alignment on the first piece
            pack.push_back(first ? 0x80 : 0x00);  // PTS only on the first piece
            pack.push_back(first ? 5 : 0);
            if (first) PutPts(pack, pts);
            pack.insert(pack.end(), payload + done, payload + done + chunk);
            done += chunk;
            first = false;
        } while (done < size);
        return Put(pack);
    }
};

StreamWriter::StreamWriter() : m_impl(new Impl) {}

StreamWriter::~StreamWriter() {
    Close();
    delete m_impl;
}

bool StreamWriter::Open(const std::string& path, StreamHeader header, const std::string& key) {
    Close();
    StreamHeader fixed = MakeHeader();
    std::memcpy(header.magic, fixed.magic, 4);
    header.version = fixed.version;
    header.headerSize = fixed.headerSize;
    if (header.flags & kFlagEnciphered) {
        if (key.empty()) return false;
        header.keyCheck = KeyCheck(key);
        static const uint8_t zero[8] = {};
        if (std::memcmp(header.nonce, zero, 8) == 0 && RAND_bytes(header.nonce, 8) != 1) return false;
    } else {
        header.keyCheck = 0;
        std::memset(header.nonce, 0, sizeof(header.nonce));
    }
    std::string local = wincompat::MapPath(path);
    if (local.empty()) return false;
    FILE* f = std::fopen(local.c_str(), "wb");
    if (!f) return false;
    m_impl->file = f;
    m_impl->header = header;
    m_impl->key = (header.flags & kFlagEnciphered) ? key : std::string();
    m_impl->written = 0;
    m_impl->failed = false;
    m_impl->lastScr = 0;
    m_impl->firstPack = true;
    uint8_t bytes[kHeaderSize];
    SerializeHeader(header, bytes);
    if (!m_impl->Put(std::vector<uint8_t>(bytes, bytes + kHeaderSize))) {
        Close();
        return false;
    }
    return true;
}

bool StreamWriter::WriteVideo(uint64_t pts, bool keyFrame, const uint8_t* data, size_t size) {
    return m_impl->WritePack(kStreamVideo, pts, keyFrame, data, size);
}

bool StreamWriter::WriteAudio(uint64_t pts, const uint8_t* data, size_t size) {
    return m_impl->WritePack(kStreamAudio, pts, false, data, size);
}

bool StreamWriter::WritePrivate(uint64_t pts, const uint8_t* data, size_t size) {
    return m_impl->WritePack(kStreamPrivate, pts, false, data, size);
}

bool StreamWriter::Close() {
    if (!m_impl->file) return false;
    bool ok = std::fflush(m_impl->file) == 0;
    ok = std::fclose(m_impl->file) == 0 && ok;
    m_impl->file = nullptr;
    return ok && !m_impl->failed;
}

const StreamHeader& StreamWriter::Header() const { return m_impl->header; }

uint64_t StreamWriter::BytesWritten() const { return m_impl->written; }

}  // namespace recstream
