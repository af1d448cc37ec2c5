// SPDX-License-Identifier: GPL-3.0-or-later
#include "source_queue.h"

namespace vintrel {

void SourceQueue::Open(size_t capacity) {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_blocks.clear();
        m_bytes = 0;
        m_capacity = capacity;
        m_open = true;
        m_end = false;
    }
    m_room.notify_all();
}

void SourceQueue::Close() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_blocks.clear();
        m_bytes = 0;
        m_open = false;
        m_end = false;
    }
    m_room.notify_all();
}

void SourceQueue::Clear() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_blocks.clear();
        m_bytes = 0;
        m_end = false;
    }
    m_room.notify_all();
}

bool SourceQueue::Offer(const uint8_t* data, size_t size) {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_bytes > 0 && m_bytes + size > m_capacity) return false;
        m_blocks.emplace_back(data, data + size);
        m_bytes += size;
        m_end = false;
    }
    return true;
}

bool SourceQueue::Put(std::vector<uint8_t>&& block, const std::function<bool()>& giveUp) {
    {
        std::unique_lock<std::mutex> lk(m_mutex);
        m_room.wait(lk, [&] { return !m_open || giveUp() || m_bytes == 0 || m_bytes + block.size() <= m_capacity; });
        if (!m_open || giveUp()) return false;
        m_bytes += block.size();
        m_blocks.push_back(std::move(block));
    }
    return true;
}

void SourceQueue::WakeWaiters() {
    // Taken so that a waiter between its check and its wait does not miss it.
    { std::lock_guard<std::mutex> lk(m_mutex); }
    m_room.notify_all();
}

bool SourceQueue::Take(std::vector<uint8_t>* block) {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_blocks.empty()) return false;
        *block = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_bytes -= block->size();
    }
    m_room.notify_all();
    return true;
}

void SourceQueue::MarkEnd() {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_end = true;
}

bool SourceQueue::Ended() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_end;
}

size_t SourceQueue::Bytes() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_bytes;
}

}  // namespace vintrel
