#include "platform/foundation/NSClock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/NSClockFollower.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

using Ticks = NSClock::Ticks;
using TickDuration = std::chrono::duration<Ticks, std::ratio<1, NSClock::ticksPerSecond>>;

// The real clock is read without the lock (the run loop and every request
// read the time many times over): a switch writes monoOffset before it
// publishes isVirtual, and a reader that finds the clock virtual takes the lock.
struct ClockState {
    std::mutex m;
    std::atomic<bool> isVirtual{false};  // written under m
    Ticks since1970 = 0;                 // virtual wall time, under m
    Ticks mono = 0;                      // virtual monotonic time, under m
    // Added to the real steady clock, so that monotonic time does not go back
    // when a test returns from an advanced virtual clock. Written under m.
    std::atomic<Ticks> monoOffset{0};
};

ClockState& clockState()
{
    static ClockState* state = new ClockState;  // outlives every static that reads the time
    return *state;
}

// The followers, and the time up to which they have done their steps. advance()
// holds m while it asks and steps them, so a follower removed is not called
// again; the order is m, then the clock's lock.
struct FollowerState {
    std::mutex m;
    std::vector<NSClockFollower*> list;
    Ticks steppedTo = 0;
};

FollowerState& followerState()
{
    static FollowerState* state = new FollowerState;  // as the clock's
    return *state;
}

Ticks realSince1970()
{
    return std::chrono::duration_cast<TickDuration>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The followers' next step, when it is due by `limit` and no later than the
// main loop's next timer: true when it was done, the clock set to its time.
template <class SetClock>
bool stepFollowers(Ticks limit, std::optional<Ticks> timer, SetClock setClock)
{
    auto& f = followerState();
    std::lock_guard lock(f.m);
    std::optional<Ticks> next;
    std::vector<NSClockFollower*> due;
    for (NSClockFollower* follower : f.list) {
        const std::optional<Ticks> at = follower->nextStep(f.steppedTo);
        if (!at) continue;
        if (!next || *at < *next) {
            next = at;
            due.clear();
        }
        if (*at == *next) due.push_back(follower);
    }
    if (!next || *next > limit || (timer && *timer < *next)) return false;
    setClock(*next);
    for (NSClockFollower* follower : due) follower->step(*next);
    f.steppedTo = *next;
    return true;
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
    if (!c.isVirtual.load(std::memory_order_acquire)) return seconds(realSince1970());
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
    if (!c.isVirtual.load(std::memory_order_acquire)) return realMonotonicTicks() + c.monoOffset.load();
    std::lock_guard lock(c.m);
    return c.isVirtual ? c.mono : realMonotonicTicks() + c.monoOffset;
}

NSTimeInterval NSClock::monotonic()
{
    return seconds(monotonicTicks());
}

bool NSClock::isVirtual()
{
    return clockState().isVirtual.load(std::memory_order_acquire);
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
        Ticks real = realMonotonicTicks() + c.monoOffset;
        if (c.mono > real) c.monoOffset += c.mono - real;
        c.isVirtual.store(false, std::memory_order_release);
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

void NSClockAddFollower(NSClockFollower* follower)
{
    auto& f = followerState();
    std::lock_guard lock(f.m);
    f.list.push_back(follower);
}

void NSClockRemoveFollower(NSClockFollower* follower)
{
    auto& f = followerState();
    std::lock_guard lock(f.m);
    f.list.erase(std::remove(f.list.begin(), f.list.end(), follower), f.list.end());
}

void NSClock::advance(NSTimeInterval seconds)
{
    Ticks start, end;
    {
        auto& c = clockState();
        std::lock_guard lock(c.m);
        if (!c.isVirtual)
            throw NSException(NSInternalInconsistencyException, "advance needs the virtual clock");
        start = c.mono;
        end = c.mono + (seconds > 0 ? ticks(seconds) : 0);
    }
    {
        // Steps before the present are not made up (the clock was real then).
        auto& f = followerState();
        std::lock_guard lock(f.m);
        f.steppedTo = std::max(f.steppedTo, start);
    }
    const auto loop = NSThread::isMainThread() ? NSRunLoop::mainRunLoop() : nullptr;
    for (;;) {
        NSString mode;
        std::optional<Ticks> timer;
        if (loop) {
            mode = loop->currentMode();
            if (mode.isNil()) mode = NSDefaultRunLoopMode;
            timer = loop->nextVirtualFire(mode);
        }
        if (stepFollowers(end, timer, [](Ticks t) { setVirtualMonotonic(t); })) continue;
        if (!timer || *timer > end) break;
        setVirtualMonotonic(*timer);
        loop->fireDueTimers(mode);
    }
    {
        auto& f = followerState();
        std::lock_guard lock(f.m);
        f.steppedTo = std::max(f.steppedTo, end);
    }
    setVirtualMonotonic(end);
    NSRunLoop::wakeAll();
}
