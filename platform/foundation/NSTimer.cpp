#include "platform/foundation/NSTimer.h"

#include <algorithm>
#include <limits>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"

namespace {
constexpr NSTimeInterval kShortestInterval = 0.0001;
// The fire date of a one-shot timer while it fires.
constexpr NSClock::Ticks kNotDue = std::numeric_limits<NSClock::Ticks>::max();
}

NSTimer::NSTimer(NSTimeInterval seconds, bool repeats, Block block, id target, SEL selector, id userInfo)
    : interval_(seconds > 0 ? seconds : kShortestInterval),
      repeats_(repeats),
      intervalTicks_(std::max<NSClock::Ticks>(NSClock::ticks(interval_), 1)),
      // A one-shot timer of no delay is due at once (a perform with delay 0
      // runs on the next pass, also under a virtual clock).
      fire_(NSClock::monotonicTicks() + (repeats || seconds > 0 ? intervalTicks_ : 0)),
      block_(std::move(block)),
      target_(std::move(target)),
      selector_(std::move(selector)),
      userInfo_(std::move(userInfo))
{
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval seconds, const id& target, SEL selector,
                                                        const id& userInfo, bool repeats)
{
    return std::make_shared<NSTimer>(seconds, repeats, nullptr, target, std::move(selector), userInfo);
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval seconds, bool repeats, Block block)
{
    return std::make_shared<NSTimer>(seconds, repeats, std::move(block), nullptr, SEL{}, nullptr);
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval seconds, const id& target,
                                                                 SEL selector, const id& userInfo, bool repeats)
{
    auto timer = timerWithTimeInterval(seconds, target, std::move(selector), userInfo, repeats);
    NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval seconds, bool repeats, Block block)
{
    auto timer = timerWithTimeInterval(seconds, repeats, std::move(block));
    NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

void NSTimer::invalidate()
{
    // What the timer held is released after the lock: destroying a target may
    // reach this timer or its loop again.
    Block block;
    id target, userInfo;
    std::shared_ptr<NSRunLoop> loop;
    {
        std::lock_guard lock(m_);
        if (!valid_) return;
        valid_ = false;
        block = std::move(block_);
        target = std::move(target_);
        userInfo = std::move(userInfo_);
        loop = loop_.lock();
        loop_.reset();
    }
    if (loop) loop->removeTimer(this);
}

bool NSTimer::isValid() const
{
    std::lock_guard lock(m_);
    return valid_;
}

NSClock::Ticks NSTimer::clockNow() const
{
    return realClock_ ? NSClock::realMonotonicTicks() : NSClock::monotonicTicks();
}

NSTimeInterval NSTimer::fireDate() const
{
    std::lock_guard lock(m_);
    return NSClock::timeIntervalSinceReferenceDate() + NSClock::seconds(fire_ - clockNow());
}

void NSTimer::setFireDate(NSTimeInterval date)
{
    std::shared_ptr<NSRunLoop> loop;
    {
        std::lock_guard lock(m_);
        if (!valid_) return;
        fire_ = clockNow() + NSClock::ticks(date - NSClock::timeIntervalSinceReferenceDate());
        loop = loop_.lock();
    }
    // A loop waiting for the old date must look again.
    if (loop) loop->wakeUp();
}

id NSTimer::userInfo() const
{
    std::lock_guard lock(m_);
    return userInfo_;
}

void NSTimer::setUsesRealClock(bool real)
{
    std::lock_guard lock(m_);
    if (real == realClock_) return;
    NSClock::Ticks remaining = fire_ - clockNow();
    realClock_ = real;
    if (fire_ != kNotDue) fire_ = clockNow() + remaining;
}

bool NSTimer::usesRealClock() const
{
    std::lock_guard lock(m_);
    return realClock_;
}

void NSTimer::attach(const std::shared_ptr<NSRunLoop>& loop)
{
    std::lock_guard lock(m_);
    loop_ = loop;
}

void NSTimer::fireScheduled(const std::shared_ptr<NSTimer>& self)
{
    Block block;
    id target;
    SEL selector;
    {
        std::lock_guard lock(m_);
        NSClock::Ticks now = clockNow();
        if (!valid_ || fire_ > now) return;
        if (repeats_) {
            // One fire for all the dates missed; the next lies in the future
            // and keeps the timer's phase.
            fire_ += ((now - fire_) / intervalTicks_ + 1) * intervalTicks_;
        } else {
            // Not due again while it fires (its callback may run the loop).
            fire_ = kNotDue;
        }
        block = block_;
        target = target_;
        selector = selector_;
    }
    if (block) {
        block(*this);
    } else {
        selector.perform(target.get(), self);
    }
    if (!repeats_) invalidate();
}
