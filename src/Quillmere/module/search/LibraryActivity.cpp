// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryActivity.h"

#include <algorithm>

void CLibraryActivity::Mark() { m_lastCall.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed); }

bool CLibraryActivity::WaitForEnd(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                                  const std::function<bool()>& ended, const std::atomic<int>& idleMs) const {
    const Clock::time_point begin = Clock::now();
    for (;;) {
        if (ended()) return true;
        const int limit = idleMs.load();
        if (limit <= 0) {
            wake.wait(lock);
            continue;
        }
        const Clock::time_point lastCall{Clock::duration(m_lastCall.load(std::memory_order_relaxed))};
        const Clock::time_point deadline = std::max(begin, lastCall) + std::chrono::milliseconds(limit);
        if (Clock::now() >= deadline) return false;
        wake.wait_until(lock, deadline);
    }
}
