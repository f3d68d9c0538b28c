#include "platform/foundation/NSClock.h"

#include <chrono>
#include <mutex>

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

struct ClockState {
    std::mutex m;
    bool isVirtual = false;
    NSTimeInterval since1970 = 0;  // virtual wall time
    NSTimeInterval mono = 0;       // virtual monotonic time
    // Added to the real steady clock, so that monotonic time does not go back
    // when a test returns from an advanced virtual clock.
    NSTimeInterval monoOffset = 0;
};

ClockState& clockState()
{
    static ClockState* state = new ClockState;  // outlives every static that reads the time
    return *state;
}

NSTimeInterval realSince1970()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

NSTimeInterval NSClock::realMonotonic()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

NSTimeInterval NSClock::timeIntervalSince1970()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return c.isVirtual ? c.since1970 : realSince1970();
}

NSTimeInterval NSClock::timeIntervalSinceReferenceDate()
{
    return timeIntervalSince1970() - referenceDateSince1970;
}

NSTimeInterval NSClock::monotonic()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return c.isVirtual ? c.mono : realMonotonic() + c.monoOffset;
}

bool NSClock::isVirtual()
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    return c.isVirtual;
}

void NSClock::useVirtualClock()
{
    useVirtualClock(realSince1970());
}

void NSClock::useVirtualClock(NSTimeInterval since1970)
{
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual) c.mono = realMonotonic() + c.monoOffset;
        c.isVirtual = true;
        c.since1970 = since1970;
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
        NSTimeInterval real = realMonotonic() + c.monoOffset;
        if (c.mono > real) c.monoOffset += c.mono - real;
    }
    NSRunLoop::wakeAll();
}

void NSClock::setVirtualMonotonic(NSTimeInterval mono)
{
    auto& c = clockState();
    std::lock_guard lock(c.m);
    if (mono <= c.mono) return;
    c.since1970 += mono - c.mono;
    c.mono = mono;
}

void NSClock::advance(NSTimeInterval seconds)
{
    NSTimeInterval end;
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual)
            throw NSException(NSInternalInconsistencyException, "advance needs the virtual clock");
        end = c.mono + (seconds > 0 ? seconds : 0);
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
