// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder clock that paces presentation: one per port, or one shared
// by the ports of a sync group (the group's time). It runs while any of its
// ports plays, at the rate of the speed step, and is anchored on the first
// frame shown after it was let go (a new stream, a move, a new member).
#include <cstdint>
#include <mutex>

namespace vintrel {

// Monotonic milliseconds (the manual clock while a test turns it).
int64_t NowMs();
void MoveManualClock(int64_t ms);
// Whether a test turns the clock by hand: time passes only when it moves it.
bool ManualClockInUse();
// Monotonic microseconds, for how long a piece of work took.
int64_t MonotonicUs();

// What the pace asks of a decoded frame.
enum class Pace {
    Wait,   // not yet due
    Show,
    Drop,   // too late to be worth converting: its successor is due
    Skip,   // far behind: drop it and decode again from the key frame at the clock's time
};

class Clock {
public:
    // A port joins or leaves (paused: it counts as a paused member). Joining
    // lets the clock go: the next frame shown anchors it.
    void Join(bool paused, int64_t wall);
    void Leave(bool paused, int64_t wall);
    // A member pauses or plays again; the clock keeps its value.
    void SetMemberPaused(bool paused, int64_t wall);
    // The next frame shown anchors the clock.
    void LetGo();
    // A new stream: normal speed, anchored on its next frame shown.
    void Restart();
    double Rate();
    void SetRate(double rate, int64_t wall);
    // Recorder ms at `wall`; INT64_MIN while not anchored (and, with
    // `running`, while every member is paused).
    int64_t Now(int64_t wall, bool running = false);
    // When the frame of recorder time `t` is to be shown, `wall` being now.
    // A frame one interval or more behind is dropped in a group (`solo`
    // false) and shown alone; more than kCatchUpMs behind it asks to skip to
    // the key frame at the clock's time. A frame far off the clock (a gap in
    // the recording) anchors the clock again when nothing was shown for a
    // second. `*waitMs`: how long a frame that is not due yet waits;
    // `*behindMs`: how late a frame to drop is. A clock let go is anchored
    // by the first frame of a port that started or moved (`moved`): the
    // others of its group wait for that, for half a second at most.
    Pace Decide(int64_t t, int64_t wall, bool solo, bool moved, int64_t frameInterval, int64_t* waitMs,
                int64_t* behindMs);

private:
    bool Running() const { return pausedMembers < members || members == 0; }
    int64_t NowLocked(int64_t wall) const {
        if (!valid) return 0;
        return Running() ? anchorRec + static_cast<int64_t>((wall - anchorWall) * rate) : anchorRec;
    }
    void Anchor(int64_t wall, int64_t rec) {
        valid = true;
        anchorWall = wall;
        anchorRec = rec;
    }
    // Keeps the clock's value while its running state or rate changes.
    void Rebase(int64_t wall) {
        if (valid) {
            anchorRec = NowLocked(wall);
            anchorWall = wall;
        }
    }

    std::mutex m;
    bool valid = false;
    int64_t anchorWall = 0;   // monotonic ms
    int64_t anchorRec = 0;    // recorder ms
    double rate = 1.0;
    int members = 0;
    int pausedMembers = 0;
    int64_t lastPresentWall = 0;
    int64_t letGoWall = 0;   // when the clock was let go
};

}  // namespace vintrel
