// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the tests turn and look at inside the library: a clock turned by hand
// (while it is in use every port paces its frames on it instead of the
// monotonic clock, so lateness is exact) and the memory a port keeps.
#include <cstddef>
#include <cstdint>

namespace vintrel {

// From now on the ports' clock reads `ms` until moved.
void UseManualClock(int64_t ms);
// Moves the manual clock on; returns when every playing port has shown or
// dropped what became due and waits again.
void AdvanceManualClock(int64_t ms);
void UseRealClock();

// The manual clock, from `ms` on, for the lifetime of the object.
class ScopedManualClock {
public:
    explicit ScopedManualClock(int64_t ms) { UseManualClock(ms); }
    ~ScopedManualClock() { UseRealClock(); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;
};

// Bytes of decoded pictures the port keeps for stepping back (0 for a bad port).
size_t KeptPictureBytes(int port);

// From now on each video unit the port decodes takes `ms` of the ports'
// clock: its decoder takes the next one only once the clock has moved that
// far (0: as fast as it can). A key frame with `keyMs` > 0 takes that long
// and comes out only then. A decoder short of CPU, on the manual clock; the
// port knows these costs as its own. Without them a unit takes no time on
// the manual clock, however long the machine needs for it: what a port
// decides there does not depend on the machine's speed.
void SetDecodeCost(int port, int64_t ms, int64_t keyMs = 0);
// While held, the port's decode thread stops before it hands its next unit
// to the decoder, as if that unit took as long (it counts as waiting for
// AdvanceManualClock).
void HoldDecoder(int port, bool hold);
// Whether the port's decode thread waits with no time limit, until a call or
// new data wakes it (false while it runs, waits for a time, or is not there).
bool WaitsUntilTold(int port);

}  // namespace vintrel
