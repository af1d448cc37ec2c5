// SPDX-License-Identifier: GPL-3.0-or-later
#include "pack_check.h"

#include <algorithm>
#include <cstring>

namespace recstream {
namespace detail {

bool PackHeaderOk(const uint8_t* d) {
    if (d[0] != 0 || d[1] != 0 || d[2] != 1 || d[3] != 0xBA) return false;
    if ((d[4] & 0xC4) != 0x44) return false;  // '01' + marker after SCR[32..30]
    if (!(d[6] & 0x04) || !(d[8] & 0x04)) return false;
    if (!(d[9] & 0x01)) return false;          // marker after the SCR extension
    if ((d[12] & 0x03) != 0x03) return false;  // markers after the mux rate
    return true;
}

uint64_t PackScr(const uint8_t* d) {
    return (static_cast<uint64_t>((d[4] >> 3) & 0x07) << 30) | (static_cast<uint64_t>(d[4] & 0x03) << 28) |
           (static_cast<uint64_t>(d[5]) << 20) | (static_cast<uint64_t>((d[6] >> 3) & 0x1F) << 15) |
           (static_cast<uint64_t>(d[6] & 0x03) << 13) | (static_cast<uint64_t>(d[7]) << 5) |
           static_cast<uint64_t>((d[8] >> 3) & 0x1F);
}

namespace {

// Whether the first `n` (< 3) bytes could begin a start code prefix.
bool PrefixPossible(const uint8_t* d, size_t n) {
    static const uint8_t prefix[3] = {0, 0, 1};
    return std::memcmp(d, prefix, n) == 0;
}

uint64_t ReadPts(const uint8_t* p) {
    return (static_cast<uint64_t>((p[0] >> 1) & 0x07) << 30) | (static_cast<uint64_t>(p[1]) << 22) |
           (static_cast<uint64_t>(p[2] >> 1) << 15) | (static_cast<uint64_t>(p[3]) << 7) |
           static_cast<uint64_t>(p[4] >> 1);
}

bool IsElementaryStream(uint8_t id) { return id == 0xBD || id == 0xBF || (id >= 0xC0 && id <= 0xEF); }

}  // namespace

CheckResult CheckPack(const uint8_t* d, size_t avail, bool atEnd, bool trusted, size_t* size, bool* endsAtPack) {
    *endsAtPack = false;
    static const uint8_t packStart[4] = {0, 0, 1, 0xBA};
    if (avail < 4) {
        if (std::memcmp(d, packStart, avail) != 0 || atEnd) return kCheckInvalid;
        return kCheckNeedMore;
    }
    if (std::memcmp(d, packStart, 4) != 0) return kCheckInvalid;
    if (avail < kPackHeaderSize) return atEnd ? kCheckInvalid : kCheckNeedMore;
    if (!PackHeaderOk(d)) return kCheckInvalid;
    size_t p = kPackHeaderSize + (d[13] & 0x07);
    if (avail < p) return atEnd ? kCheckInvalid : kCheckNeedMore;
    for (size_t i = kPackHeaderSize; i < p; ++i)
        if (d[i] != 0xFF) return kCheckInvalid;

    // Ends the pack at `at`: the normal way out once the chain has been
    // followed as far as it is sound.
    auto endAt = [&](size_t at) {
        *size = at;
        return kCheckOk;
    };
    // The chain breaks at `at`: a trusted pack ends there, an untrusted one is
    // no pack at all.
    auto broken = [&](size_t at) { return trusted ? endAt(at) : kCheckInvalid; };

    for (;;) {
        if (p == avail) return atEnd ? endAt(p) : kCheckNeedMore;
        size_t left = avail - p;
        if (left < 4) {
            if (!PrefixPossible(d + p, std::min<size_t>(left, 3))) return broken(p);
            return atEnd ? endAt(p) : kCheckNeedMore;
        }
        if (d[p] != 0 || d[p + 1] != 0 || d[p + 2] != 1) return broken(p);
        uint8_t id = d[p + 3];
        if (id == 0xBA) {
            if (!trusted) {
                // Checks the next pack header too: a stray pattern must be
                // followed by a chain that lands on a real pack.
                if (left < kPackHeaderSize) {
                    if (!atEnd) return kCheckNeedMore;
                } else if (!PackHeaderOk(d + p)) {
                    return kCheckInvalid;
                }
            }
            *endsAtPack = true;
            return endAt(p);
        }
        if (id == 0xB9) return endAt(p + 4);  // program end code closes the pack
        if (id < 0xBB) return broken(p);
        if (left < 6) return atEnd ? endAt(p) : kCheckNeedMore;
        size_t len = (static_cast<size_t>(d[p + 4]) << 8) | d[p + 5];
        size_t end = p + 6 + len;
        if (end > kMaxPackSize) return broken(p);
        if (end > avail) return atEnd ? endAt(p) : kCheckNeedMore;
        p = end;
    }
}

void DescribePack(const uint8_t* d, size_t size, Packet* out) {
    out->kind = kPacketPack;
    out->scr = PackScr(d);
    out->systemHeader = false;
    out->pes.clear();
    size_t p = kPackHeaderSize + (d[13] & 0x07);
    bool keySeen = false;
    while (p + 4 <= size) {
        uint8_t id = d[p + 3];
        if (id == 0xB9) {
            p += 4;
            continue;
        }
        if (p + 6 > size || id == 0xBA) break;
        size_t len = (static_cast<size_t>(d[p + 4]) << 8) | d[p + 5];
        size_t end = std::min(size, p + 6 + len);
        if (id == 0xBB) {
            out->systemHeader = true;
        } else if (IsElementaryStream(id)) {
            Pes pes;
            pes.streamId = id;
            size_t payload = p + 6;
            if (id != 0xBF) {
                if (payload < end && (d[payload] & 0xC0) == 0x80) {
                    // MPEG-2 PES header.
                    if (payload + 3 <= end) {
                        uint8_t flags = d[payload + 1];
                        size_t hdl = d[payload + 2];
                        if ((flags & 0x80) && hdl >= 5 && payload + 8 <= end) {
                            pes.hasPts = true;
                            pes.pts = ReadPts(d + payload + 3);
                        }
                        payload += 3 + hdl;
                    } else {
                        payload = end;
                    }
                } else {
                    // MPEG-1 PES header: stuffing, optional buffer size, time stamps.
                    while (payload < end && d[payload] == 0xFF) ++payload;
                    if (payload < end && (d[payload] & 0xC0) == 0x40) payload += 2;
                    if (payload < end) {
                        uint8_t b = d[payload];
                        if ((b & 0xF0) == 0x20 || (b & 0xF0) == 0x30) {
                            if (payload + 5 <= end) {
                                pes.hasPts = true;
                                pes.pts = ReadPts(d + payload);
                            }
                            payload += (b & 0xF0) == 0x30 ? 10 : 5;
                        } else if (b == 0x0F) {
                            payload += 1;
                        }
                    }
                }
            }
            payload = std::min(payload, end);
            pes.payloadOffset = payload;
            pes.payloadSize = end - payload;
            if (id >= 0xE0 && pes.hasPts && out->systemHeader && !keySeen) {
                pes.keyFrame = true;
                keySeen = true;
            }
            out->pes.push_back(pes);
        }
        p = end;
    }
}

}  // namespace detail

using namespace detail;

namespace {
constexpr size_t kMaxJunk = 1u << 20;  // junk is handed out in pieces of at most this
constexpr size_t kJunkHold = 64u << 10;  // junk without a following pack is held back up to this
}  // namespace

struct PacketScanner::Impl {
    uint32_t startTime = 0;
    bool keepBytes = true;
    std::vector<uint8_t> buf;
    size_t head = 0;            // first byte not yet handed out
    uint64_t headOffset = 0;    // stream offset of buf[head]
    bool finished = false;
    bool trusted = false;       // the bytes at head follow a sound pack
    bool headerCheck = true;    // at stream offset 0: a stream header may come first
    size_t searchFrom = 0;      // junk search resumes here (relative to head)
    size_t lastPacket = 0;      // where the packet handed out last begins in buf
    bool haveLast = false;
    uint64_t lastScr = 0;
    uint32_t lastTime = 0;

    void Consume(size_t n) {
        head += n;
        headOffset += n;
        searchFrom = searchFrom > n ? searchFrom - n : 0;
    }
    void Emit(Packet* out, int kind, size_t size) {
        out->kind = kind;
        out->offset = headOffset;
        out->size = static_cast<uint32_t>(size);
        lastPacket = head;
        haveLast = true;
        if (keepBytes)
            out->bytes.assign(buf.begin() + static_cast<std::ptrdiff_t>(head),
                              buf.begin() + static_cast<std::ptrdiff_t>(head + size));
        else
            out->bytes.clear();
        Consume(size);
    }
    void EmitJunk(Packet* out, size_t size) {
        out->pes.clear();
        out->systemHeader = false;
        out->scr = lastScr;
        out->time = lastTime;
        Emit(out, kPacketJunk, size);
        trusted = false;
    }
    bool Next(Packet* out);
};

bool PacketScanner::Impl::Next(Packet* out) {
    size_t avail = buf.size() - head;
    const uint8_t* d = buf.data() + head;
    if (headerCheck) {
        if (avail < kHeaderSize && !finished && std::memcmp(d, "QRS1", std::min<size_t>(avail, 4)) == 0)
            return false;
        headerCheck = false;
        StreamHeader h;
        if (avail >= kHeaderSize && ParseHeader(d, avail, &h)) {
            if (startTime == 0) startTime = h.startTime;
            lastTime = startTime;
            out->pes.clear();
            out->systemHeader = false;
            out->scr = 0;
            out->time = startTime;
            Emit(out, kPacketHeader, kHeaderSize);
            trusted = true;  // packs follow the header directly
            return true;
        }
    }
    if (avail == 0) return false;

    size_t size = 0;
    bool endsAtPack = false;
    CheckResult r = CheckPack(d, avail, finished, trusted, &size, &endsAtPack);
    if (r == kCheckNeedMore) return false;
    if (r == kCheckOk) {
        DescribePack(d, size, out);
        lastScr = out->scr;
        lastTime = startTime + static_cast<uint32_t>(out->scr / kClockRate);
        out->time = lastTime;
        Emit(out, kPacketPack, size);
        trusted = endsAtPack;
        return true;
    }

    // Not a pack here: hand out junk up to the next sound pack start.
    size_t from = std::max<size_t>(1, searchFrom);
    for (size_t c = from; c + 4 <= avail; ++c) {
        const void* hit = std::memchr(d + c + 3, 0xBA, avail - c - 3);
        if (!hit) break;
        c = static_cast<size_t>(static_cast<const uint8_t*>(hit) - d) - 3;
        if (d[c] != 0 || d[c + 1] != 0 || d[c + 2] != 1) continue;
        CheckResult rc = CheckPack(d + c, avail - c, finished, false, &size, &endsAtPack);
        if (rc == kCheckInvalid) continue;
        if (rc == kCheckNeedMore) {
            // Undecided: what lies before it is junk either way, but small
            // junk is held back so that it comes out in one piece.
            searchFrom = c;
            if (c < kJunkHold) return false;
        }
        EmitJunk(out, std::min(c, kMaxJunk));
        return true;
    }
    size_t limit = finished ? avail : (avail > 3 ? avail - 3 : 0);
    searchFrom = std::max<size_t>(1, limit);
    if (limit == 0) return false;
    if (!finished && limit < kJunkHold) return false;
    EmitJunk(out, std::min(limit, kMaxJunk));
    return true;
}

PacketScanner::PacketScanner(uint32_t startTime, bool keepBytes) : m_impl(new Impl) {
    m_impl->startTime = startTime;
    m_impl->keepBytes = keepBytes;
    m_impl->lastTime = startTime;
}

PacketScanner::~PacketScanner() = default;

void PacketScanner::Reset(uint64_t nextOffset) {
    m_impl->buf.clear();
    m_impl->head = 0;
    m_impl->headOffset = nextOffset;
    m_impl->finished = false;
    m_impl->trusted = false;
    m_impl->headerCheck = nextOffset == 0;
    m_impl->searchFrom = 0;
    m_impl->haveLast = false;
    m_impl->lastScr = 0;
    m_impl->lastTime = m_impl->startTime;
}

void PacketScanner::Feed(const void* data, size_t size) {
    if (!data || size == 0) return;
    Impl& m = *m_impl;
    if (m.head > 0 && (m.head >= (1u << 20) || m.head * 2 >= m.buf.size())) {
        m.buf.erase(m.buf.begin(), m.buf.begin() + static_cast<std::ptrdiff_t>(m.head));
        m.head = 0;
    }
    m.haveLast = false;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m.buf.insert(m.buf.end(), p, p + size);
    m.finished = false;
}

void PacketScanner::Finish() { m_impl->finished = true; }

bool PacketScanner::Next(Packet* out) {
    if (!out) return false;
    return m_impl->Next(out);
}

uint8_t* PacketScanner::LastPacketBytes() { return m_impl->haveLast ? m_impl->buf.data() + m_impl->lastPacket : nullptr; }

size_t PacketScanner::Buffered() const { return m_impl->buf.size() - m_impl->head; }

size_t FindPackStart(const uint8_t* data, size_t size, size_t from) {
    if (!data) return size;
    for (size_t c = from; c + 4 <= size; ++c) {
        const void* hit = std::memchr(data + c + 3, 0xBA, size - c - 3);
        if (!hit) break;
        c = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data) - 3;
        if (data[c] != 0 || data[c + 1] != 0 || data[c + 2] != 1) continue;
        size_t packSize = 0;
        bool endsAtPack = false;
        if (CheckPack(data + c, size - c, true, false, &packSize, &endsAtPack) == kCheckOk) return c;
    }
    return size;
}

}  // namespace recstream
