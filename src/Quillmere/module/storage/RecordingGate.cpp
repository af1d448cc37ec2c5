// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingGate.h"

#include <QDebug>

#include <algorithm>

#include "KelLogging.h"

namespace {

constexpr uint64_t kClockMask = (uint64_t(1) << 33) - 1;   // 33-bit clocks
constexpr int64_t kTicks = recstream::kClockRate;
constexpr size_t kPackHeader = 14;
// A repaired time lies at most this far from where its stream was due.
constexpr uint64_t kRepairReach = kTicks;

bool StartCode(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

// The 33-bit base of an MPEG-2 pack's SCR (from the byte after the pack start code).
uint64_t ReadScr(const uint8_t* p) {
    return (uint64_t(p[0] >> 3) & 0x07) << 30 | uint64_t(p[0] & 0x03) << 28 | uint64_t(p[1]) << 20 |
           uint64_t(p[2] >> 3) << 15 | uint64_t(p[2] & 0x03) << 13 | uint64_t(p[3]) << 5 | uint64_t(p[4] >> 3);
}

void WriteScr(uint8_t* p, uint64_t b) {
    p[0] = static_cast<uint8_t>((p[0] & 0xC4) | ((b >> 30) & 0x07) << 3 | ((b >> 28) & 0x03));
    p[1] = static_cast<uint8_t>(b >> 20);
    p[2] = static_cast<uint8_t>((p[2] & 0x04) | ((b >> 15) & 0x1F) << 3 | ((b >> 13) & 0x03));
    p[3] = static_cast<uint8_t>(b >> 5);
    p[4] = static_cast<uint8_t>((p[4] & 0x07) | (b & 0x1F) << 3);
}

// A 5-byte PTS field; its prefix and marker bits stay.
uint64_t ReadStamp(const uint8_t* p) {
    return (uint64_t(p[0] >> 1) & 0x07) << 30 | uint64_t(p[1]) << 22 | uint64_t(p[2] >> 1) << 15 | uint64_t(p[3]) << 7 |
           uint64_t(p[4] >> 1);
}

void WriteStamp(uint8_t* p, uint64_t t) {
    p[0] = static_cast<uint8_t>((p[0] & 0xF1) | ((t >> 30) & 0x07) << 1);
    p[1] = static_cast<uint8_t>(t >> 22);
    p[2] = static_cast<uint8_t>(((t >> 15) & 0x7F) << 1 | 0x01);
    p[3] = static_cast<uint8_t>(t >> 7);
    p[4] = static_cast<uint8_t>((t & 0x7F) << 1 | 0x01);
}

bool IsVideo(uint8_t id) { return id >= 0xE0 && id <= 0xEF; }
bool TimedStream(uint8_t id) { return id == 0xBD || (id >= 0xC0 && id <= 0xEF); }

uint64_t Distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

}  // namespace

RecordingGate::RecordingGate() = default;
RecordingGate::~RecordingGate() = default;

void RecordingGate::ResetCounts() {
    m_frames = 0;
    m_lastTime = -1;
    m_recordingLastTime = -1;
    m_repairs = 0;
    m_dropped = 0;
}

void RecordingGate::SetSpan(int64_t start, int64_t end) {
    m_nextSpanStart = start;
    m_nextSpanEnd = end;
}

void RecordingGate::Begin(const recstream::StreamHeader* header) {
    m_open = true;
    m_judge = header != nullptr;
    m_header = header ? *header : recstream::StreamHeader{};
    m_spanStart = m_nextSpanStart;
    m_spanEnd = m_nextSpanEnd;
    m_frameTicks = m_header.frameRate > 0 && m_header.frameRate <= 240 ? kTicks / m_header.frameRate : 0;
    m_scanner.reset(new recstream::PacketScanner(m_header.startTime, false));
    m_scr = StreamClock();
    m_clocks.clear();
    m_recordingLastTime = header ? -1 : kNoTime;
    m_lastWasPack = false;
}

bool RecordingGate::Feed(const uint8_t* data, size_t size, const Sink& sink) {
    if (!data || size == 0) return true;
    if (!m_open) Begin(nullptr);
    // The scanner keeps the only copy: each packet is handed on from its
    // buffer as soon as it is known to be whole.
    m_scanner->Feed(data, size);
    while (m_scanner->Next(&m_packet)) {
        if (!Take(m_packet, m_scanner->LastPacketBytes(), sink)) return false;
    }
    return true;
}

bool RecordingGate::End(const Sink& sink) {
    if (!m_open) return true;
    m_open = false;
    m_scanner->Finish();
    // No more bytes come: the packets left all stay where they lie in the
    // scanner's buffer until it goes.
    std::vector<recstream::Packet> rest;
    std::vector<uint8_t*> restBytes;
    while (m_scanner->Next(&m_packet)) {
        rest.push_back(m_packet);
        restBytes.push_back(m_scanner->LastPacketBytes());
    }

    // What follows the last pack and starts like a pack or a PES of it is
    // the cut remains of the recording's end; when a PES was cut, the pack
    // it belongs to is no whole pack either.
    size_t keep = rest.size();
    size_t lastPack = rest.size();
    for (size_t i = 0; i < rest.size(); ++i)
        if (rest[i].kind == recstream::kPacketPack) lastPack = i;
    const bool afterPack = lastPack < rest.size() || m_lastWasPack;
    const size_t firstJunk = lastPack == rest.size() ? 0 : lastPack + 1;
    if (afterPack && firstJunk < rest.size() && rest[firstJunk].kind == recstream::kPacketJunk) {
        const uint8_t* b = restBytes[firstJunk];
        const size_t n = rest[firstJunk].size;
        static const uint8_t kPrefix[3] = {0, 0, 1};
        if (b && std::equal(b, b + std::min<size_t>(n, 3), kPrefix)) {
            keep = firstJunk;
            // A stream id after the prefix: one of the pack's PES was cut.
            const bool packCut = n >= 4 && b[3] != 0xBA;
            if (packCut && lastPack < rest.size()) keep = lastPack;
        }
    }
    bool ok = true;
    size_t dropped = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (i < keep) {
            if (!Take(rest[i], restBytes[i], sink)) ok = false;
        } else {
            dropped += rest[i].size;
        }
    }
    m_dropped += dropped;
    if (dropped)
        qCDebug(lcKelStorage, "RecordingGate::End the recording ends inside a pack: its last %u bytes are left out",
                static_cast<unsigned>(dropped));
    m_scanner.reset();
    return ok;
}

bool RecordingGate::Take(const recstream::Packet& packet, uint8_t* bytes, const Sink& sink) {
    const size_t size = packet.size;
    if (size == 0) return true;
    if (!bytes) return false;   // cannot happen: every packet lies in the scanner's buffer
    m_lastWasPack = packet.kind == recstream::kPacketPack;
    if (packet.kind == recstream::kPacketHeader && !m_judge) {
        // The header came in the stream itself: the times are known now.
        recstream::StreamHeader header;
        if (recstream::ParseHeader(bytes, size, &header)) {
            m_header = header;
            m_judge = true;
            m_frameTicks = header.frameRate > 0 && header.frameRate <= 240 ? kTicks / header.frameRate : 0;
            m_recordingLastTime = -1;
        }
    }
    if (packet.kind == recstream::kPacketPack && size >= kPackHeader) {
        uint8_t* pack = bytes;
        Judge(pack, size);
        bool frame = false;
        for (const recstream::Pes& pes : packet.pes) frame = frame || (IsVideo(pes.streamId) && pes.hasPts);
        if (frame) ++m_frames;
        if (m_judge) {
            const int64_t time =
                static_cast<int64_t>(m_header.startTime) + static_cast<int64_t>(ReadScr(pack + 4) / kTicks);
            m_lastTime = time;
            m_recordingLastTime = time;
        }
    }
    return sink(bytes, size);
}

bool RecordingGate::InSpan(uint64_t ticks) const {
    const int64_t t = static_cast<int64_t>(m_header.startTime) + static_cast<int64_t>(ticks / kTicks);
    const int64_t from = m_spanStart != kNoTime ? m_spanStart : static_cast<int64_t>(m_header.startTime);
    if (t < from - kSpanSlackSeconds) return false;
    return m_spanEnd == kNoTime || t <= m_spanEnd + kSpanSlackSeconds;
}

uint64_t RecordingGate::Repair(uint64_t damaged, uint64_t expected) const {
    // One flipped bit is the usual damage: undone, the time is exact again
    // (which an enciphered frame needs, its cipher being keyed by it).
    uint64_t best = expected & kClockMask;
    uint64_t bestDistance = kRepairReach + 1;
    for (int bit = 0; bit < 33; ++bit) {
        const uint64_t candidate = damaged ^ (uint64_t(1) << bit);
        const uint64_t d = Distance(candidate, expected);
        if (d < bestDistance && InSpan(candidate)) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

void RecordingGate::Judge(uint8_t* pack, size_t size) {
    if (!m_judge) return;
    const uint64_t spanTicks =
        m_spanStart != kNoTime && m_spanStart > static_cast<int64_t>(m_header.startTime)
            ? static_cast<uint64_t>(m_spanStart - static_cast<int64_t>(m_header.startTime)) * kTicks
            : 0;
    uint64_t scr = ReadScr(pack + 4);
    bool haveStamp = false;
    uint64_t firstStamp = 0;
    size_t pos = kPackHeader + (pack[13] & 0x07);
    while (pos + 6 <= size && StartCode(pack + pos)) {
        const uint8_t id = pack[pos + 3];
        if (id == 0xB9) {
            pos += 4;
            continue;
        }
        if (id == 0xBA) break;
        const size_t end = pos + 6 + (size_t(pack[pos + 4]) << 8 | pack[pos + 5]);
        if (end > size) break;
        if (TimedStream(id) && pos + 14 <= end && (pack[pos + 6] & 0xC0) == 0x80 && (pack[pos + 7] & 0x80) &&
            pack[pos + 8] >= 5) {
            uint8_t* field = pack + pos + 9;
            uint64_t stamp = ReadStamp(field);
            StreamClock& clock = m_clocks[id];
            if (!InSpan(stamp)) {
                uint64_t expected = InSpan(scr) ? scr : spanTicks;
                if (clock.known) expected = clock.last + (clock.step ? clock.step : IsVideo(id) ? m_frameTicks : 0);
                const uint64_t repaired = Repair(stamp, expected);
                qCDebug(lcKelStorage,
                        "RecordingGate: damaged time stamp of stream 0x%02X at %.3f s of the recording, outside its "
                        "span: taken as %.3f s",
                        id, double(stamp) / kTicks, double(repaired) / kTicks);
                WriteStamp(field, repaired);
                stamp = repaired;
                ++m_repairs;
            }
            if (clock.known && stamp > clock.last) clock.step = stamp - clock.last;
            clock.last = stamp;
            clock.known = true;
            if (!haveStamp) firstStamp = stamp;
            haveStamp = true;
        }
        pos = end;
    }
    if (!InSpan(scr)) {
        // The pack clock runs just ahead of the frames it carries.
        uint64_t expected = haveStamp ? firstStamp : m_scr.known ? m_scr.last + m_scr.step : spanTicks;
        uint64_t repaired = Repair(scr, expected);
        if (m_scr.known && repaired < m_scr.last) repaired = m_scr.last;
        qCDebug(lcKelStorage,
                "RecordingGate: damaged pack clock at %.3f s of the recording, outside its span: taken as %.3f s",
                double(scr) / kTicks, double(repaired) / kTicks);
        WriteScr(pack + 4, repaired);
        scr = repaired;
        ++m_repairs;
    }
    if (m_scr.known && scr > m_scr.last) m_scr.step = scr - m_scr.last;
    m_scr.last = scr;
    m_scr.known = true;
}
