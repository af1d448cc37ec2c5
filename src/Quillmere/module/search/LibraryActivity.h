// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wait for the end of a disk library search that answers through
// callbacks. The callbacks mark each call; the searching thread waits for the
// end report (or its own quit) and gives the search up when the library has
// been silent for the idle time, so a library that never sends its end
// cannot hang the search.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

class CLibraryActivity {
public:
    // From a callback: the library is still at work.
    void Mark();

    // Waits on `wake`, with `lock` held, until `ended()` is true: true then.
    // False when no call was marked for `idleMs` milliseconds, counted from
    // the start of the wait or the last call, whichever is later; an idle
    // time of 0 or less waits for the end alone. Whoever makes `ended()` true
    // or changes `idleMs` notifies `wake`.
    bool WaitForEnd(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                    const std::function<bool()>& ended, const std::atomic<int>& idleMs) const;

private:
    using Clock = std::chrono::steady_clock;
    std::atomic<Clock::rep> m_lastCall{Clock::time_point::min().time_since_epoch().count()};
};
