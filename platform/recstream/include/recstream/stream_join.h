// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Joins recordings into one recorder stream file: the recording that starts
// the file keeps its header and its bytes; every recording joined on after
// it has its pack clocks and time stamps moved onto the first recording's
// clock (by the difference of the two start times), so the file reads as one
// recording whose times run forward, a pause between the recordings staying
// a pause. Enciphered payloads are deciphered with the next recording's
// nonce and enciphered again with the first one's. The downloads' output
// writer and the disk library's copies by time both join through it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recstream/recstream.h"

namespace recstream {

class StreamJoiner {
public:
    // Takes output bytes; false stops the join (a write failed).
    using Sink = std::function<bool(const uint8_t* data, size_t size)>;

    StreamJoiner();
    ~StreamJoiner();
    StreamJoiner(const StreamJoiner&) = delete;
    StreamJoiner& operator=(const StreamJoiner&) = delete;

    // Prepares the join of the recording with header `next` onto a file that
    // `first` started. False when it cannot be moved onto the first clock: it
    // starts earlier, or its payloads are enciphered and `key` is not the key
    // of both recordings (or only one of them is enciphered).
    bool Begin(const recstream::StreamHeader& first, const recstream::StreamHeader& next, const std::string& key);
    // Moves the bytes of the joined recording (as they come, after its
    // header) and hands them to `sink`.
    bool Feed(const uint8_t* data, size_t size, const Sink& sink);
    // The same for bytes the caller lets it change where they lie: whole
    // packs are moved in place and handed on without a copy.
    bool FeedInPlace(uint8_t* data, size_t size, const Sink& sink);
    // Hands out what is still held (an incomplete pack at the end).
    bool Finish(const Sink& sink);
    bool Active() const { return m_active; }

    // Moves the pack clock and the time stamps of the complete packs in
    // `data` by `shift` (90 kHz ticks); parts that do not parse stay as they
    // are.
    static void ShiftTimes(uint8_t* data, size_t size, int64_t shift);
    // Moves one pack whose bytes were kept by `shift` ticks, from the clock
    // of the recording `from` onto that of `to`: its pack clock, its time
    // stamps (in the bytes and in `packet->pes`) and, for enciphered
    // payloads, their cipher (deciphered on `from`'s terms, enciphered again
    // on `to`'s, both with `key`).
    static void MovePacket(const recstream::StreamHeader& from, const recstream::StreamHeader& to,
                           const std::string& key, int64_t shift, recstream::Packet* packet);

private:
    bool FeedEnciphered(const uint8_t* data, size_t size, const Sink& sink, bool finishing);

    bool m_active = false;
    bool m_enciphered = false;
    int64_t m_shift = 0;
    recstream::StreamHeader m_first{};
    recstream::StreamHeader m_next{};
    std::string m_key;
    std::vector<uint8_t> m_buf;   // bytes not yet handed out
    size_t m_pass = 0;            // payload bytes to hand out unchanged
    std::unique_ptr<recstream::PacketScanner> m_scanner;
};

}  // namespace recstream
