#pragma once
// The one time source of the process. Dates, timers, delayed performs and
// time-outs all read it, so a test can replace it with a virtual clock that
// only moves when the test advances it: no test ever sleeps.

#include <cstdint>

#include "platform/foundation/NSObject.h"

class NSClock {
public:
    // Time is kept in whole microseconds, so that virtual time is exact: a
    // timer due at t fires when the clock reaches t, however the advances that
    // lead there are split (0.29 + 0.01 reaches 0.1 + 0.2).
    using Ticks = int64_t;
    static constexpr Ticks ticksPerSecond = 1'000'000;
    static Ticks ticks(NSTimeInterval seconds);  // rounded to the nearest tick
    static NSTimeInterval seconds(Ticks ticks);

    // Seconds between 1970-01-01 and the reference date 2001-01-01 (UTC).
    static constexpr NSTimeInterval referenceDateSince1970 = 978307200.0;
    // A date later than any the system meets (as a time since the reference date).
    static constexpr NSTimeInterval distantFuture = 63113904000.0;

    // Now, as seconds since 1970 and as seconds since the reference date (the
    // absolute time NSDate stores).
    static NSTimeInterval timeIntervalSince1970();
    static NSTimeInterval timeIntervalSinceReferenceDate();

    // A clock for measuring intervals and scheduling timers: it never goes back,
    // also not across a switch between real and virtual time.
    static NSTimeInterval monotonic();
    static Ticks monotonicTicks();

    // Switches to virtual time, starting at the real present (to the whole
    // second) or at the given time since 1970. Time then stands still until
    // advance().
    static void useVirtualClock();
    static void useVirtualClock(NSTimeInterval since1970);
    // Back to real time.
    static void useRealClock();
    static bool isVirtual();

    // Moves virtual time forward (raises NSInternalInconsistencyException on
    // the real clock). Called on the main thread, it first fires the main run
    // loop's due timers and delayed performs of its running mode (the default
    // mode when it is not running) in the order of their fire dates, each seeing
    // the clock at its own fire date; other run loops are woken and see the new
    // time.
    static void advance(NSTimeInterval seconds);

    // The steady real clock, whatever clock is in use. Only for work that must
    // keep real time under a virtual clock (socket time-outs of the HTTP engine).
    static NSTimeInterval realMonotonic();
    static Ticks realMonotonicTicks();

private:
    static void setVirtualMonotonic(Ticks mono);
};
