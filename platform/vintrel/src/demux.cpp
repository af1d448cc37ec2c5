// SPDX-License-Identifier: GPL-3.0-or-later
#include "demux.h"

#include <cstring>

namespace vintrel {

namespace {
inline uint64_t ReadTimestamp(const uint8_t* p) {
    return (uint64_t(p[0] >> 1) & 0x07) << 30 | uint64_t(p[1]) << 22 | uint64_t(p[2] >> 1) << 15 |
           uint64_t(p[3]) << 7 | uint64_t(p[4] >> 1);
}
inline bool IsStartCode(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }
inline bool IsHeaderMagic(const uint8_t* p) { return p[0] == 'Q' && p[1] == 'R' && p[2] == 'S' && p[3] == '1'; }
constexpr size_t kStreamHeaderSize = 40;
}  // namespace

void PsDemux::Reset() {
    m_buf.clear();
    m_pos = 0;
}

void PsDemux::Feed(const uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    if (m_pos > 0 && (m_pos >= m_buf.size() / 2 || m_pos > (1u << 20))) {
        m_buf.erase(m_buf.begin(), m_buf.begin() + static_cast<std::ptrdiff_t>(m_pos));
        m_pos = 0;
    }
    m_buf.insert(m_buf.end(), data, data + size);
}

// Moves to the next start code with a stream id this reader knows; false
// when the buffer holds none (keeps up to 3 bytes that may begin one).
bool PsDemux::Resync() {
    const uint8_t* base = m_buf.data();
    const size_t end = m_buf.size();
    size_t i = m_pos + 1;  // the current position is no valid start
    while (i + 3 < end) {
        const void* hit = std::memchr(base + i, 0, end - 3 - i);
        if (!hit) break;
        i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - base);
        if (base[i + 1] == 0 && base[i + 2] == 1 && base[i + 3] >= 0xB9) {
            m_pos = i;
            return true;
        }
        ++i;
    }
    if (end > 3 && end - 3 > m_pos) m_pos = end - 3;
    return false;
}

bool PsDemux::Next(PesUnit* out) {
    for (;;) {
        size_t avail = m_buf.size() - m_pos;
        if (avail < 4) return false;
        const uint8_t* p = m_buf.data() + m_pos;
        if (IsHeaderMagic(p)) {  // the next recording of a joined file
            if (avail < kStreamHeaderSize) return false;
            PesUnit u;
            u.streamId = kUnitStreamHeader;
            u.data = p;
            u.size = kStreamHeaderSize;
            u.pack = m_packs;
            m_pos += kStreamHeaderSize;
            m_scr = 0;
            *out = u;
            return true;
        }
        if (!IsStartCode(p) || p[3] < 0xB9) {
            if (!Resync()) return false;
            continue;
        }
        uint8_t id = p[3];
        if (id == 0xB9) {  // program end
            m_pos += 4;
            continue;
        }
        if (id == 0xBA) {  // pack header
            if (avail < 14) return false;
            if ((p[4] & 0xC0) == 0x40) {  // MPEG-2
                uint64_t scr = (uint64_t(p[4] >> 3) & 0x07) << 30 | uint64_t(p[4] & 0x03) << 28 |
                               uint64_t(p[5]) << 20 | uint64_t(p[6] >> 3) << 15 | uint64_t(p[6] & 0x03) << 13 |
                               uint64_t(p[7]) << 5 | uint64_t(p[8] >> 3);
                m_scr = scr;
                ++m_packs;
                size_t len = 14 + (p[13] & 0x07);
                if (avail < len) return false;
                m_pos += len;
            } else if ((p[4] & 0xF0) == 0x20) {  // MPEG-1 pack
                if (avail < 12) return false;
                m_scr = ReadTimestamp(p + 4);
                ++m_packs;
                m_pos += 12;
            } else {
                m_pos += 4;
            }
            continue;
        }
        if (avail < 6) return false;
        size_t len = 6 + (size_t(p[4]) << 8 | p[5]);
        if (avail < len) return false;
        if (id == 0xBB || id == 0xBC || id == 0xBE || id == 0xF0 || id == 0xF1 || id == 0xFF) {
            m_pos += len;  // system header, map, padding, ... : skipped
            continue;
        }
        PesUnit u;
        u.streamId = id;
        u.scr = m_scr;
        u.pack = m_packs;
        if (id == 0xBF) {  // private_stream_2: no header extension
            u.data = p + 6;
            u.size = len - 6;
        } else if (len >= 9 && (p[6] & 0xC0) == 0x80) {
            size_t hlen = p[8];
            if (9 + hlen > len) {
                m_pos += 4;  // malformed: resync inside
                continue;
            }
            if ((p[7] & 0x80) && hlen >= 5) {
                u.hasPts = true;
                u.pts = ReadTimestamp(p + 9);
            }
            u.data = p + 9 + hlen;
            u.size = len - 9 - hlen;
        } else {
            m_pos += len;  // MPEG-1 style PES: not written by recorders
            continue;
        }
        m_pos += len;
        *out = u;
        return true;
    }
}

}  // namespace vintrel
