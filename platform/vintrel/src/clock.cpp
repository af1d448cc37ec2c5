// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>

#include "test_hooks.h"

namespace vintrel {

namespace {

std::atomic<bool> g_manualClock{false};
std::atomic<int64_t> g_manualMs{0};

// A window this far behind its clock (recorder ms) stops decoding until the
// key frame at the clock's time; further than kGapMs the recording itself
// has a gap.
constexpr int64_t kCatchUpMs = 1000;
constexpr int64_t kGapMs = 3000;

}  // namespace

int64_t NowMs() {
    if (g_manualClock.load(std::memory_order_relaxed)) return g_manualMs.load();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void UseManualClock(int64_t ms) {
    g_manualMs = ms;
    g_manualClock = true;
}

void MoveManualClock(int64_t ms) { g_manualMs += ms; }

bool ManualClockInUse() { return g_manualClock.load(std::memory_order_relaxed); }

int64_t MonotonicUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void UseRealClock() { g_manualClock = false; }

void Clock::Join(bool paused, int64_t wall) {
    std::lock_guard<std::mutex> lk(m);
    Rebase(wall);
    members++;
    if (paused) pausedMembers++;
    valid = false;   // anchors again on the next frame shown
    letGoWall = wall;
}

void Clock::Leave(bool paused, int64_t wall) {
    std::lock_guard<std::mutex> lk(m);
    Rebase(wall);
    members--;
    if (paused) pausedMembers--;
}

void Clock::SetMemberPaused(bool paused, int64_t wall) {
    std::lock_guard<std::mutex> lk(m);
    Rebase(wall);
    pausedMembers += paused ? 1 : -1;
}

void Clock::LetGo() {
    const int64_t wall = NowMs();
    std::lock_guard<std::mutex> lk(m);
    valid = false;
    letGoWall = wall;
}

void Clock::Restart() {
    const int64_t wall = NowMs();
    std::lock_guard<std::mutex> lk(m);
    rate = 1.0;
    valid = false;
    letGoWall = wall;
}

double Clock::Rate() {
    std::lock_guard<std::mutex> lk(m);
    return rate;
}

void Clock::SetRate(double r, int64_t wall) {
    std::lock_guard<std::mutex> lk(m);
    Rebase(wall);
    rate = r;
}

int64_t Clock::Now(int64_t wall, bool running) {
    std::lock_guard<std::mutex> lk(m);
    if (!valid || (running && !Running())) return INT64_MIN;
    return NowLocked(wall);
}

Pace Clock::Decide(int64_t t, int64_t wall, bool solo, bool moved, int64_t frameInterval, int64_t* waitMs,
                   int64_t* behindMs) {
    std::lock_guard<std::mutex> lk(m);
    if (!valid) {
        // A port of the group that just started or moved shows its first
        // frame (the group's new time) before the others go on from theirs.
        if (!solo && !moved && wall - letGoWall < 500) {
            *waitMs = 20;
            return Pace::Wait;
        }
        Anchor(wall, t);
    }
    if (!Running()) {
        *waitMs = 500;   // the group's clock stands: woken when it moves
        return Pace::Wait;
    }
    const int64_t cur = NowLocked(wall);
    if (t <= cur) {
        const int64_t behind = cur - t;
        if (behind > kGapMs && (solo || wall - lastPresentWall > 1000)) {
            Anchor(wall, t);   // a gap back in the recording: go on from here
        } else if (behind > kCatchUpMs) {
            return Pace::Skip;
        } else if (!solo && behind >= frameInterval) {
            *behindMs = behind;
            return Pace::Drop;
        }
        lastPresentWall = wall;
        return Pace::Show;
    }
    const int64_t ahead = t - cur;
    if (ahead > kGapMs && (solo || wall - lastPresentWall > 1000)) {
        Anchor(wall, t);  // a gap in the recording: go on at once
        lastPresentWall = wall;
        return Pace::Show;
    }
    *waitMs = std::max<int64_t>(1, static_cast<int64_t>(ahead / rate));
    return Pace::Wait;
}

}  // namespace vintrel
