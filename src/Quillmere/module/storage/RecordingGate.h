// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The gate every recording passes on its way into an output file. It hands
// the stream on pack by pack, so that what a file receives always ends on a
// whole pack:
//  - a pack is handed on once the next one has begun (or the recording has
//    ended), so it is known to be whole;
//  - when a recording ends in the middle of a pack (the medium holds less
//    than the recording's index says), that cut pack and its remains are
//    dropped: they would swallow the start of the recording joined after it;
//  - a pack clock or a time stamp that lies outside the recording's span is
//    damage, never a new clock: it is put back to the time it most likely had
//    (one flipped bit undone, else the next step of its stream) and the
//    repair is written to the debug output.
// It also counts what the file received: whole frames, and the recorder time
// of the last whole pack (of the file and of the recording being passed).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "recstream/recstream.h"

class RecordingGate {
public:
    // Takes the bytes handed on; false stops the gate (a write failed). The
    // bytes lie in the gate's own buffer: the sink may change them in place.
    using Sink = std::function<bool(uint8_t* data, size_t size)>;
    // A recording's span is not known.
    static constexpr int64_t kNoTime = INT64_MIN;
    // Times up to this far outside the span are still the recording's own
    // (its listed start and end are whole seconds of an index).
    static constexpr int64_t kSpanSlackSeconds = 2;

    RecordingGate();
    ~RecordingGate();
    RecordingGate(const RecordingGate&) = delete;
    RecordingGate& operator=(const RecordingGate&) = delete;

    // Forgets the counts of the previous file.
    void ResetCounts();
    // The span (recorder seconds, both ends included) of the recordings that
    // begin after this call; kNoTime where a side is not known.
    void SetSpan(int64_t start, int64_t end);
    // A recording begins: `header` is its stream header, or null when the
    // stream came without one (its times are then not judged).
    void Begin(const recstream::StreamHeader* header);
    // The recording's bytes as they come (after its header).
    bool Feed(const uint8_t* data, size_t size, const Sink& sink);
    // The recording ended: its last pack is handed on when whole, dropped
    // when cut. Nothing happens when no recording is open.
    bool End(const Sink& sink);
    bool Open() const { return m_open; }
    // Bytes fed and not handed on yet.
    size_t Held() const { return m_scanner ? m_scanner->Buffered() : 0; }

    // Whole frames the file received; recorder seconds of its last whole
    // pack and of the last whole pack of the recording begun last (-1: none;
    // kNoTime for a recording without a header, whose times are not known).
    uint64_t Frames() const { return m_frames; }
    int64_t LastTime() const { return m_lastTime; }
    int64_t RecordingLastTime() const { return m_recordingLastTime; }
    // Damaged times repaired and bytes of cut packs dropped, since ResetCounts.
    uint32_t Repairs() const { return m_repairs; }
    uint64_t DroppedBytes() const { return m_dropped; }

private:
    struct StreamClock {
        bool known = false;
        uint64_t last = 0;   // 90 kHz, from the recording's start
        uint64_t step = 0;   // last step seen
    };
    // `bytes`: the packet's bytes (the scanner's, taken right after Next).
    bool Take(const recstream::Packet& packet, uint8_t* bytes, const Sink& sink);
    void Judge(uint8_t* pack, size_t size);
    bool InSpan(uint64_t ticks) const;
    uint64_t Repair(uint64_t damaged, uint64_t expected) const;

    bool m_open = false;
    bool m_judge = false;
    recstream::StreamHeader m_header{};
    int64_t m_spanStart = kNoTime;
    int64_t m_spanEnd = kNoTime;
    int64_t m_nextSpanStart = kNoTime;
    int64_t m_nextSpanEnd = kNoTime;
    uint64_t m_frameTicks = 0;
    // Cuts the recording into packets and holds the bytes not handed on yet
    // (the pack still open at the end of a block).
    std::unique_ptr<recstream::PacketScanner> m_scanner;
    recstream::Packet m_packet;       // reused for every packet
    bool m_lastWasPack = false;       // the last packet handed on was a pack
    StreamClock m_scr;
    std::map<uint8_t, StreamClock> m_clocks;   // per elementary stream

    uint64_t m_frames = 0;
    int64_t m_lastTime = -1;
    int64_t m_recordingLastTime = -1;
    uint32_t m_repairs = 0;
    uint64_t m_dropped = 0;
};
