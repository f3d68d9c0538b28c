#pragma once
// One run loop per thread. A loop runs in one named mode at a time and then
// serves only the timers, sources and queued blocks registered for that mode.
// Other threads reach a loop by signalling its sources or queueing blocks on
// it; both wake it from its wait.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSTimer.h"

// "kCFRunLoopDefaultMode".
extern const NSString NSDefaultRunLoopMode;
// The set of common modes: something registered here is served in each of them.
// The default mode is the common mode of this system.
extern const NSString NSRunLoopCommonModes;

class NSRunLoop;

// What a run loop serves besides timers: a signalled source or a descriptor.
class NSRunLoopInput : public NSObject {
public:
    // Removes the input from every loop and mode; its handler never runs again.
    void invalidate();
    bool isValid() const { return valid_.load(); }

protected:
    // Wakes every loop the input is on.
    void wakeLoops();

private:
    friend class NSRunLoop;
    std::atomic<bool> valid_{true};
    std::mutex loopsMutex_;
    std::vector<std::weak_ptr<NSRunLoop>> loops_;
};

// A source that any thread signals; its handler then runs once on the loop's
// thread, the next time the loop runs in one of the source's modes.
class NSRunLoopSource : public NSRunLoopInput {
public:
    explicit NSRunLoopSource(std::function<void()> handler) : handler_(std::move(handler)) {}
    static std::shared_ptr<NSRunLoopSource> sourceWithHandler(std::function<void()> handler)
    {
        return std::make_shared<NSRunLoopSource>(std::move(handler));
    }
    // Thread-safe. Several signals before the loop gets to it run the handler once.
    void signal();

private:
    friend class NSRunLoop;
    std::atomic<bool> signalled_{false};
    const std::function<void()> handler_;
};

// A file descriptor the loop watches while it runs in the source's modes; the
// handler gets the descriptor and what it became ready for.
class NSFileDescriptorSource : public NSRunLoopInput {
public:
    enum Events : unsigned { None = 0, Readable = 1, Writable = 2 };
    using Handler = std::function<void(int fd, unsigned ready)>;

    NSFileDescriptorSource(int fd, unsigned events, Handler handler)
        : fd_(fd), events_(events), handler_(std::move(handler)) {}
    static std::shared_ptr<NSFileDescriptorSource> sourceWithFileDescriptor(int fd, unsigned events, Handler handler)
    {
        return std::make_shared<NSFileDescriptorSource>(fd, events, std::move(handler));
    }

    int fileDescriptor() const { return fd_; }
    unsigned events() const { return events_.load(); }
    // Thread-safe: changes what is waited for (None pauses the source).
    void setEvents(unsigned events);

private:
    friend class NSRunLoop;
    const int fd_;
    std::atomic<unsigned> events_;
    const Handler handler_;
};

class NSRunLoop : public NSObject {
public:
    // The calling thread's loop, made on first use.
    static std::shared_ptr<NSRunLoop> currentRunLoop();
    // The main thread's loop (reachable from any thread; it lives as long as the process).
    static std::shared_ptr<NSRunLoop> mainRunLoop();

    // The mode of the innermost run in progress on this loop, nil when none.
    NSString currentMode() const;

    // A timer is on one loop at a time, in any number of modes.
    void addTimer(const std::shared_ptr<NSTimer>& timer, const NSString& mode);
    void addSource(const std::shared_ptr<NSRunLoopInput>& source, const NSString& mode);
    void removeSource(const std::shared_ptr<NSRunLoopInput>& source, const NSString& mode);

    // Queues a block to run on this loop's thread the next time it runs in one of
    // the modes (common modes by default), in the order queued; wakes the loop.
    void performBlock(std::function<void()> block);
    void performBlock(std::function<void()> block, const std::vector<NSString>& modes);

    // Runs the loop once in a mode: fires due timers and waits, at most until
    // the limit date (seconds since the reference date), for a source, a queued
    // block or a ready descriptor to be handled; returns after handling it, at
    // the limit date, or when stopped. Returns NO at once when the mode has
    // nothing to serve. Under a virtual clock the wait ends only by advancing
    // the clock, a signal from another thread or a stop.
    bool runMode(const NSString& mode, NSTimeInterval limitDate);
    // Runs in the default mode until the date, or until nothing is left to serve.
    void runUntilDate(NSTimeInterval limitDate);
    // Runs in a mode until `done` holds (checked after every pass and at least
    // every 10 ms) or `timeout` real seconds have passed; returns `done()`.
    // Also waits while the mode has nothing to serve yet. A safe bound for
    // tests and for blocking callers.
    bool runUntil(const std::function<bool()>& done, NSTimeInterval timeout,
                  const NSString& mode = NSDefaultRunLoopMode);

    // Makes the innermost run in progress return (or the next one, when none
    // runs). Thread-safe.
    void stop();
    // Thread-safe: ends the loop's current wait.
    void wakeUp();

    NSRunLoop();
    ~NSRunLoop() override;
    NSRunLoop(const NSRunLoop&) = delete;
    NSRunLoop& operator=(const NSRunLoop&) = delete;

private:
    friend class NSClock;
    friend class NSTimer;
    friend class NSObject;
    friend class NSRunLoopInput;
    struct State;

    // One pass: fires due timers, runs queued blocks and signalled sources,
    // then waits for descriptors and wake-ups (not at all when something was
    // handled; else until a timer is due, the limit date or the real deadline)
    // and handles ready descriptors. Returns whether anything but a timer was
    // handled.
    bool pass(const NSString& mode, NSTimeInterval limitDate, NSTimeInterval realDeadline);
    bool run(const NSString& mode, NSTimeInterval limitDate, NSTimeInterval realDeadline, bool returnWhenEmpty);
    bool hasWork(const NSString& mode) const;
    // Fires the timers of `mode` due now, in fire-date order.
    void fireDueTimers(const NSString& mode);
    // The earliest fire date (in NSClock::monotonicTicks) of a virtual-time timer of `mode`.
    std::optional<NSClock::Ticks> nextVirtualFire(const NSString& mode) const;
    void removeTimer(const NSTimer* timer);
    void removeInput(const NSRunLoopInput* input);
    void cancelPerformRequests(const NSObject* target, const std::string* selector, const NSObject* argument);
    static void wakeAll();

    std::unique_ptr<State> state_;
};
