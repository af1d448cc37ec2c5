// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/stream_join.h"

#include <algorithm>

namespace recstream {

namespace {

constexpr uint64_t kClockMask = (uint64_t(1) << 33) - 1;   // 33-bit clocks

bool IsStartCode(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

// PES packets of these streams carry no header extension, hence no times.
bool HasPesHeader(uint8_t id) {
    switch (id) {
    case 0xBB:   // system header
    case 0xBC:   // stream map
    case 0xBE:   // padding
    case 0xBF:   // private stream 2 (vehicle data)
    case 0xF0:
    case 0xF1:
    case 0xF2:
    case 0xF8:
    case 0xFF: return false;
    default: return true;
    }
}

uint64_t Moved(uint64_t t, int64_t shift) { return (t + static_cast<uint64_t>(shift)) & kClockMask; }

// The 33-bit base of an MPEG-2 pack's SCR (6 bytes after the pack start code);
// marker bits and the extension stay.
void ShiftScr(uint8_t* p, int64_t shift) {
    uint64_t b = (uint64_t(p[0] >> 3) & 0x07) << 30 | uint64_t(p[0] & 0x03) << 28 | uint64_t(p[1]) << 20 |
                 uint64_t(p[2] >> 3) << 15 | uint64_t(p[2] & 0x03) << 13 | uint64_t(p[3]) << 5 | uint64_t(p[4] >> 3);
    b = Moved(b, shift);
    p[0] = static_cast<uint8_t>((p[0] & 0xC4) | ((b >> 30) & 0x07) << 3 | ((b >> 28) & 0x03));
    p[1] = static_cast<uint8_t>(b >> 20);
    p[2] = static_cast<uint8_t>((p[2] & 0x04) | ((b >> 15) & 0x1F) << 3 | ((b >> 13) & 0x03));
    p[3] = static_cast<uint8_t>(b >> 5);
    p[4] = static_cast<uint8_t>((p[4] & 0x07) | (b & 0x1F) << 3);
}

// A 5-byte PTS or DTS field; the prefix and marker bits stay.
void ShiftStamp(uint8_t* p, int64_t shift) {
    uint64_t t = (uint64_t(p[0] >> 1) & 0x07) << 30 | uint64_t(p[1]) << 22 | uint64_t(p[2] >> 1) << 15 |
                 uint64_t(p[3]) << 7 | uint64_t(p[4] >> 1);
    t = Moved(t, shift);
    p[0] = static_cast<uint8_t>((p[0] & 0xF1) | ((t >> 30) & 0x07) << 1);
    p[1] = static_cast<uint8_t>(t >> 22);
    p[2] = static_cast<uint8_t>(((t >> 15) & 0x7F) << 1 | 0x01);
    p[3] = static_cast<uint8_t>(t >> 7);
    p[4] = static_cast<uint8_t>((t & 0x7F) << 1 | 0x01);
}

// Walks the program stream in `b` from its start, moving every time field;
// `pass` carries the payload bytes still to skip from one call to the next.
// Returns how far it got: the bytes after it belong to a structure that is
// not complete yet.
size_t Walk(uint8_t* b, size_t n, int64_t shift, size_t* pass) {
    size_t pos = 0;
    while (pos < n) {
        if (*pass) {
            const size_t k = std::min(*pass, n - pos);
            pos += k;
            *pass -= k;
            continue;
        }
        if (n - pos < 4) break;
        const uint8_t* p = b + pos;
        if (!IsStartCode(p) || p[3] < 0xB9) {
            // Bytes that do not parse stay as they are, up to the next pack.
            size_t q = pos + 1;
            while (q + 4 <= n && !(IsStartCode(b + q) && b[q + 3] == 0xBA)) ++q;
            if (q + 4 > n) return std::max(pos, n - 3);   // the last 3 bytes may begin a pack
            pos = q;
            continue;
        }
        const uint8_t id = p[3];
        if (id == 0xB9) {   // program end
            pos += 4;
            continue;
        }
        if (id == 0xBA) {
            if (n - pos < 14) break;
            if ((p[4] & 0xC0) != 0x40) {   // not an MPEG-2 pack header
                pos += 4;
                continue;
            }
            const size_t len = 14 + (p[13] & 0x07);
            if (n - pos < len) break;
            ShiftScr(b + pos + 4, shift);
            pos += len;
            continue;
        }
        if (n - pos < 6) break;
        const size_t len = 6 + (size_t(p[4]) << 8 | p[5]);
        if (HasPesHeader(id)) {
            if (n - pos < 9) break;
            if ((p[6] & 0xC0) == 0x80) {
                const unsigned flags = p[7] >> 6;
                const size_t headerLength = p[8];
                const size_t stamps = flags == 3 ? 10 : flags == 2 ? 5 : 0;
                if (stamps && headerLength >= stamps && len >= 9 + headerLength) {
                    if (n - pos < 9 + stamps) break;
                    ShiftStamp(b + pos + 9, shift);
                    if (stamps == 10) ShiftStamp(b + pos + 14, shift);
                }
            }
        }
        *pass = len;
    }
    return pos;
}

}  // namespace

void StreamJoiner::MovePacket(const recstream::StreamHeader& from, const recstream::StreamHeader& to,
                              const std::string& key, int64_t shift, recstream::Packet* packet) {
    if (!packet || packet->bytes.empty()) return;
    // Each frame's cipher depends on the recording's nonce and on the
    // frame's time stamp: both may change.
    const bool enciphered = (from.flags & recstream::kFlagEnciphered) != 0;
    if (enciphered) recstream::CipherPacket(from, key, packet);
    ShiftTimes(packet->bytes.data(), packet->bytes.size(), shift);
    for (recstream::Pes& pes : packet->pes)
        if (pes.hasPts) pes.pts = Moved(pes.pts, shift);
    if (enciphered) recstream::CipherPacket(to, key, packet);
}

StreamJoiner::StreamJoiner() = default;
StreamJoiner::~StreamJoiner() = default;

void StreamJoiner::ShiftTimes(uint8_t* data, size_t size, int64_t shift) {
    size_t pass = 0;
    Walk(data, size, shift, &pass);
}

bool StreamJoiner::Begin(const recstream::StreamHeader& first, const recstream::StreamHeader& next,
                         const std::string& key) {
    m_active = false;
    m_buf.clear();
    m_pass = 0;
    m_scanner.reset();
    if (next.startTime < first.startTime) return false;
    const bool firstEnciphered = (first.flags & recstream::kFlagEnciphered) != 0;
    const bool nextEnciphered = (next.flags & recstream::kFlagEnciphered) != 0;
    if (firstEnciphered != nextEnciphered) return false;
    if (nextEnciphered && (!recstream::KeyMatches(first, key) || !recstream::KeyMatches(next, key))) return false;
    m_first = first;
    m_next = next;
    m_key = key;
    m_enciphered = nextEnciphered;
    m_shift = (static_cast<int64_t>(next.startTime) - static_cast<int64_t>(first.startTime)) *
              static_cast<int64_t>(recstream::kClockRate);
    if (m_enciphered) m_scanner.reset(new recstream::PacketScanner(next.startTime, true));
    m_active = true;
    return true;
}

bool StreamJoiner::Feed(const uint8_t* data, size_t size, const Sink& sink) {
    if (!m_active || !data || size == 0) return true;
    if (m_enciphered) return FeedEnciphered(data, size, sink, false);
    if (m_buf.empty() && m_pass >= size) {   // inside a payload: nothing to change
        m_pass -= size;
        return sink(data, size);
    }
    m_buf.insert(m_buf.end(), data, data + size);
    const size_t done = Walk(m_buf.data(), m_buf.size(), m_shift, &m_pass);
    if (done == 0) return true;
    const bool ok = sink(m_buf.data(), done);
    m_buf.erase(m_buf.begin(), m_buf.begin() + static_cast<std::ptrdiff_t>(done));
    return ok;
}

bool StreamJoiner::FeedInPlace(uint8_t* data, size_t size, const Sink& sink) {
    if (!m_active || !data || size == 0) return true;
    if (m_enciphered || !m_buf.empty()) return Feed(data, size, sink);
    const size_t done = Walk(data, size, m_shift, &m_pass);
    if (done > 0 && !sink(data, done)) return false;
    // A structure cut at the end waits for the bytes that complete it.
    m_buf.assign(data + done, data + size);
    return true;
}

bool StreamJoiner::Finish(const Sink& sink) {
    if (!m_active) return true;
    m_active = false;
    bool ok = true;
    if (m_enciphered) {
        ok = FeedEnciphered(nullptr, 0, sink, true);
    } else if (!m_buf.empty()) {
        ok = sink(m_buf.data(), m_buf.size());
    }
    m_buf.clear();
    m_pass = 0;
    m_scanner.reset();
    return ok;
}

bool StreamJoiner::FeedEnciphered(const uint8_t* data, size_t size, const Sink& sink, bool finishing) {
    if (data && size) m_scanner->Feed(data, size);
    if (finishing) m_scanner->Finish();
    recstream::Packet packet;
    while (m_scanner->Next(&packet)) {
        if (packet.kind == recstream::kPacketPack) MovePacket(m_next, m_first, m_key, m_shift, &packet);
        if (!packet.bytes.empty() && !sink(packet.bytes.data(), packet.bytes.size())) return false;
    }
    return true;
}

}  // namespace recstream
