#pragma once
// Timers fire on the run loop they are added to, in the modes they are added
// in, and read the time from NSClock.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class NSRunLoop;

class NSTimer : public NSObject {
public:
    using Block = std::function<void(NSTimer& timer)>;

    // A timer not yet on any run loop; add it with NSRunLoop::addTimer. An
    // interval of 0 or less becomes 0.1 ms, as the original. The timer retains
    // its target and user info until it is invalidated; the selector receives
    // the timer as its argument.
    static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval seconds, const id& target, SEL selector,
                                                          const id& userInfo, bool repeats);
    static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval seconds, bool repeats, Block block);
    // The same, added to the current thread's run loop in the default mode.
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval seconds, const id& target,
                                                                   SEL selector, const id& userInfo, bool repeats);
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval seconds, bool repeats, Block block);

    // Removes the timer from its run loop and releases target, user info and
    // block. Safe from inside the timer's own callback.
    void invalidate();
    bool isValid() const;
    // The next fire date, as seconds since the reference date.
    NSTimeInterval fireDate() const;
    // Moves the next fire date (a valid timer only): cheaper than a new timer
    // for a deadline that keeps moving.
    void setFireDate(NSTimeInterval date);
    NSTimeInterval timeInterval() const { return interval_; }
    bool repeats() const { return repeats_; }
    id userInfo() const;

    // Keeps the timer on the steady real clock even under a virtual clock. Only
    // for the HTTP engine's socket time-outs; call before adding the timer.
    void setUsesRealClock(bool real);
    bool usesRealClock() const;

    // A delayed perform (performSelector:withObject:afterDelay:) is a timer that
    // knows its request, so that it can be cancelled per target.
    struct PerformRequest {
        NSObject* target = nullptr;
        std::string selector;
        NSObject* argument = nullptr;
    };

    NSTimer(NSTimeInterval seconds, bool repeats, Block block, id target, SEL selector, id userInfo);

private:
    friend class NSRunLoop;
    friend class NSObject;

    // Clock reading in the timer's own time base.
    NSClock::Ticks clockNow() const;
    // Fires if valid: reschedules a repeating timer to its next fire date that
    // lies in the future (a timer that fell behind fires once), invalidates a
    // one-shot one afterwards.
    void fireScheduled(const std::shared_ptr<NSTimer>& self);
    void attach(const std::shared_ptr<NSRunLoop>& loop);

    const NSTimeInterval interval_;
    const bool repeats_;
    const NSClock::Ticks intervalTicks_;

    mutable std::mutex m_;
    bool valid_ = true;
    bool realClock_ = false;
    NSClock::Ticks fire_ = 0;  // in the timer's time base
    Block block_;
    id target_;
    SEL selector_;
    id userInfo_;
    std::optional<PerformRequest> perform_;
    std::weak_ptr<NSRunLoop> loop_;
};
