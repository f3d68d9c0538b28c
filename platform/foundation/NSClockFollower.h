#pragma once
// Work a thread of its own does at steps of the process's clock (the map
// engine's timer walk). On the real clock the thread keeps its own pace.
// Under the virtual clock it waits for NSClock::advance, which stops at every
// step at which a follower has work, in time order with the main run loop's
// timers (the follower first at equal times), and goes on only once the
// follower has done that step: each step is done once, at its own time,
// however the clock is moved, and without any real time passing.

#include <optional>

#include "platform/foundation/NSClock.h"

class NSClockFollower {
public:
    virtual ~NSClockFollower() = default;
    // The first time after `after` at which there is work; none for none.
    virtual std::optional<NSClock::Ticks> nextStep(NSClock::Ticks after) = 0;
    // Does the work due at `at` (the clock reads `at`) on the follower's
    // thread; returns when it is done.
    virtual void step(NSClock::Ticks at) = 0;
};

void NSClockAddFollower(NSClockFollower* follower);
// Once this returns, the clock no longer asks or steps the follower.
void NSClockRemoveFollower(NSClockFollower* follower);
