// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The source queue of a port: undecoded stream bytes between the caller (or
// the file feeder) and the decode thread, within the source buffer's size.
// Its own lock; a feeder waits on its own condition for room. Whoever hands
// data in wakes the decode thread afterwards (under the port's lock, which
// the decode thread holds from looking here to waiting).
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace vintrel {

class SourceQueue {
public:
    // A new stream: empty, open, of `capacity` bytes.
    void Open(size_t capacity);
    // No stream: empty, and a feeder waiting for room gives up.
    void Close();
    // Drops the bytes queued and the end mark.
    void Clear();
    // Takes a block while the buffer has room for it (an empty buffer takes
    // any block); false when it is full.
    bool Offer(const uint8_t* data, size_t size);
    // Waits for room, then takes the block; false (block not taken) when the
    // queue closed or `giveUp` holds (checked again after WakeWaiters).
    bool Put(std::vector<uint8_t>&& block, const std::function<bool()>& giveUp);
    // Ends the waits of Put, which look at their `giveUp` again.
    void WakeWaiters();
    // The decode thread: the oldest block, false when there is none.
    bool Take(std::vector<uint8_t>* block);
    // The end of the stream was marked (data null, size -1); new data clears it.
    void MarkEnd();
    bool Ended();
    size_t Bytes();

private:
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<std::vector<uint8_t>> m_blocks;
    size_t m_bytes = 0;
    size_t m_capacity = 0;
    bool m_open = false;
    bool m_end = false;
};

}  // namespace vintrel
