// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/stream_cut.h"

#include <algorithm>
#include <cstring>

#include "recstream/stream_join.h"

namespace recstream {

namespace {

bool IsVideo(uint8_t id) { return id >= 0xE0 && id <= 0xEF; }

int64_t FloorSeconds(int64_t ms) { return ms >= 0 ? ms / 1000 : (ms - 999) / 1000; }

}  // namespace

StreamCutter::StreamCutter(int64_t fromMs, int64_t toMs, std::string key, Sink sink)
    : m_fromMs(fromMs), m_toMs(toMs), m_key(std::move(key)), m_sink(std::move(sink)) {}

StreamCutter::~StreamCutter() = default;

int64_t StreamCutter::Ms(uint64_t ticks) const {
    return int64_t(m_headers.back().startTime) * 1000 + static_cast<int64_t>(ticks / 90);
}

bool StreamCutter::Header(const uint8_t* data, size_t size) {
    StreamHeader header;
    if (m_done || m_failed || !data || !ParseHeader(data, size, &header)) return !m_failed;
    // The packs of the recording before it are complete now.
    if (m_scanner) TakePackets(true);
    if (m_done || m_failed) return !m_failed;
    m_headers.push_back(header);
    m_scanner.reset(new PacketScanner(header.startTime, true));
    return true;
}

bool StreamCutter::Feed(const uint8_t* data, size_t size) {
    if (m_done || m_failed || !m_scanner || !data || size == 0) return !m_failed;
    m_scanner->Feed(data, size);
    TakePackets(false);
    return !m_failed;
}

bool StreamCutter::Finish() {
    if (!m_done && !m_failed) {
        if (m_scanner) TakePackets(true);
        // The input ended inside the span: the sound and data of the last
        // picture go along.
        if (m_started && !m_done) EmitTrailing(false);
        m_done = true;
    }
    m_scanner.reset();
    m_held.clear();
    m_trailing.clear();
    return m_started && !m_failed;
}

void StreamCutter::TakePackets(bool finishing) {
    if (finishing) m_scanner->Finish();
    Packet packet;
    while (!m_done && !m_failed && m_scanner->Next(&packet)) {
        if (packet.kind == kPacketPack) {
            OnPack(std::move(packet));
            continue;
        }
        // A recording joined on inside the stream brings its own header.
        StreamHeader next;
        if (packet.bytes.size() >= kHeaderSize && ParseHeader(packet.bytes.data(), kHeaderSize, &next) &&
            std::memcmp(&next, &m_headers.back(), sizeof next) != 0)
            m_headers.push_back(next);
    }
}

void StreamCutter::OnPack(Packet&& packet) {
    Item item;
    item.recording = static_cast<int>(m_headers.size()) - 1;
    bool key = false, anyStamp = false;
    int64_t first = 0, last = 0, keyMs = 0, stamp = 0;
    for (const Pes& pes : packet.pes) {
        if (!pes.hasPts) continue;
        const int64_t ms = Ms(pes.pts);
        if (!anyStamp) stamp = ms;
        anyStamp = true;
        if (!IsVideo(pes.streamId)) continue;
        if (!item.pictures) first = last = ms;
        first = std::min(first, ms);
        last = std::max(last, ms);
        item.pictures = true;
        if (pes.keyFrame && !key) {
            key = true;
            keyMs = ms;
        }
    }
    item.ms = item.pictures ? first : anyStamp ? stamp : Ms(packet.scr);
    item.lastMs = item.pictures ? last : item.ms;
    item.packet = std::move(packet);

    if (!m_started) {
        if (!item.pictures) {
            // Sound and data after the last picture: kept, they may lead
            // into the next key frame.
            m_held.push_back(std::move(item));
            return;
        }
        if (key) {
            // A new start: what led into this key frame at its time or later
            // goes with it (the recorder writes a second's data before its
            // picture).
            std::deque<Item> lead;
            while (!m_held.empty() && !m_held.back().pictures) {
                if (m_held.back().ms >= keyMs) lead.push_front(std::move(m_held.back()));
                m_held.pop_back();
            }
            m_held.swap(lead);
            m_haveKey = true;
            m_keyMs = keyMs;
            m_keyRecording = item.recording;
        } else if (!m_haveKey) {
            m_held.clear();   // no picture can be decoded before the first key frame
            return;
        }
        const bool reached = item.lastMs >= m_fromMs;
        m_held.push_back(std::move(item));
        if (reached) Begin();
        return;
    }
    if (!item.pictures) {
        m_trailing.push_back(std::move(item));
        return;
    }
    if (item.lastMs > m_toMs) {
        // Past the last picture shown: the cut is complete.
        EmitTrailing(false);
        m_done = true;
        return;
    }
    EmitTrailing(true);
    Emit(item);
}

void StreamCutter::Begin() {
    const StreamHeader& original = m_headers[static_cast<size_t>(m_keyRecording)];
    // The key frame's second, or the second before it when a pack clock
    // that goes along lags behind into it: no clock may go below zero.
    int64_t base = FloorSeconds(m_keyMs);
    for (const Item& item : m_held)
        if (item.recording == m_keyRecording)
            base = std::min(base, FloorSeconds(int64_t(original.startTime) * 1000 +
                                               static_cast<int64_t>(item.packet.scr / 90)));
    base = std::max<int64_t>(base, original.startTime);
    m_moved = original;
    m_shift = 0;
    const bool enciphered = (original.flags & kFlagEnciphered) != 0;
    if (base <= UINT32_MAX && (!enciphered || KeyMatches(original, m_key))) {
        m_moved.startTime = static_cast<uint32_t>(base);
        m_shift = (int64_t(original.startTime) - base) * int64_t(kClockRate);
    }
    if (original.frameRate > 0) m_frameMs = 1000 / original.frameRate;
    m_started = true;
    std::deque<Item> held;
    held.swap(m_held);
    for (Item& item : held) Emit(item);
}

void StreamCutter::Emit(Item& item) {
    if (m_failed) return;
    if (item.recording != m_emittedRecording) {
        const StreamHeader& header =
            item.recording == m_keyRecording ? m_moved : m_headers[static_cast<size_t>(item.recording)];
        if (!m_sink(true, reinterpret_cast<const uint8_t*>(&header), sizeof header)) {
            m_failed = true;
            return;
        }
        m_emittedRecording = item.recording;
    }
    if (item.recording == m_keyRecording && m_shift != 0)
        StreamJoiner::MovePacket(m_headers[static_cast<size_t>(item.recording)], m_moved, m_key, m_shift,
                                 &item.packet);
    if (!item.packet.bytes.empty() && !m_sink(false, item.packet.bytes.data(), item.packet.bytes.size())) {
        m_failed = true;
        return;
    }
    if (item.pictures) m_lastPictureMs = std::max(m_lastPictureMs, item.lastMs);
}

void StreamCutter::EmitTrailing(bool all) {
    std::deque<Item> trailing;
    trailing.swap(m_trailing);
    // Without a picture after them only what plays with the last picture.
    for (Item& item : trailing)
        if (all || item.ms < m_lastPictureMs + m_frameMs) Emit(item);
}

}  // namespace recstream
