#include "platform/foundation/NSClock.h"

#include <chrono>
#include <cmath>
#include <mutex>

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

using Ticks = NSClock::Ticks;
using TickDuration = std::chrono::duration<Ticks, std::ratio<1, NSClock::ticksPerSecond>>;

struct ClockState {
    std::mutex m;
    bool isVirtual = false;
    Ticks since1970 = 0;  // virtual wall time
    Ticks mono = 0;       // virtual monotonic time
    // Added to the real steady clock, so that monotonic time does not go back
    // when a test returns from an advanced virtual clock.
    Ticks monoOffset = 0;
};

ClockState& clockState()
{
    static ClockState* state = new ClockState;  // outlives every static that reads the time
    return *state;
}

Ticks realSince1970()
{
    return std::chrono::duration_cast<TickDuration>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Virtual time starts on a whole second, so that whole-second steps from it
// stay exact also where a caller does its own arithmetic in seconds.
Ticks wholeSecondAtOrAfter(Ticks t)
{
    Ticks rest = t % NSClock::ticksPerSecond;
    return rest == 0 ? t : t + (NSClock::ticksPerSecond - rest);
}

}  // namespace

NSClock::Ticks NSClock::ticks(NSTimeInterval seconds)
{
    return std::llround(seconds * static_cast<double>(ticksPerSecond));
}

NSTimeInterval NSClock::seconds(Ticks ticks)
{
    return static_cast<double>(ticks) / static_cast<double>(ticksPerSecond);
}

NSClock::Ticks NSClock::realMonotonicTicks()
{
    return std::chrono::duration_cast<TickDuration>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

NSTimeInterval NSClock::realMonotonic()
{
    return seconds(realMonotonicTicks());
}

NSTimeInterval NSClock::timeIntervalSince1970()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return seconds(c.isVirtual ? c.since1970 : realSince1970());
}

NSTimeInterval NSClock::timeIntervalSinceReferenceDate()
{
    return timeIntervalSince1970() - referenceDateSince1970;
}

NSClock::Ticks NSClock::monotonicTicks()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return c.isVirtual ? c.mono : realMonotonicTicks() + c.monoOffset;
}

NSTimeInterval NSClock::monotonic()
{
    return seconds(monotonicTicks());
}

bool NSClock::isVirtual()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return c.isVirtual;
}

void NSClock::useVirtualClock()
{
    Ticks now = realSince1970();
    useVirtualClock(seconds(now - now % ticksPerSecond));
}

void NSClock::useVirtualClock(NSTimeInterval since1970)
{
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual) c.mono = wholeSecondAtOrAfter(realMonotonicTicks() + c.monoOffset);
        c.isVirtual = true;
        c.since1970 = ticks(since1970);
    }
    NSRunLoop::wakeAll();
}

void NSClock::useRealClock()
{
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual) return;
        c.isVirtual = false;
        Ticks real = realMonotonicTicks() + c.monoOffset;
        if (c.mono > real) c.monoOffset += c.mono - real;
    }
    NSRunLoop::wakeAll();
}

void NSClock::setVirtualMonotonic(Ticks mono)
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    if (mono <= c.mono) return;
    c.since1970 += mono - c.mono;
    c.mono = mono;
}

void NSClock::advance(NSTimeInterval seconds)
{
    Ticks end;
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual)
            throw NSException(NSInternalInconsistencyException, "advance needs the virtual clock");
        end = c.mono + (seconds > 0 ? ticks(seconds) : 0);
    }
    if (NSThread::isMainThread()) {
        auto loop = NSRunLoop::mainRunLoop();
        for (;;) {
            NSString mode = loop->currentMode();
            if (mode.isNil()) mode = NSDefaultRunLoopMode;
            auto next = loop->nextVirtualFire(mode);
            if (!next || *next > end) break;
            setVirtualMonotonic(*next);
            loop->fireDueTimers(mode);
        }
    }
    setVirtualMonotonic(end);
    NSRunLoop::wakeAll();
}
