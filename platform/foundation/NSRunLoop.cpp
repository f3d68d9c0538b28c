#include "platform/foundation/NSRunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <deque>
#include <limits>
#include <system_error>

#include "platform/foundation/NSThread.h"

const NSString NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
const NSString NSRunLoopCommonModes = "kCFRunLoopCommonModes";

namespace {

constexpr NSTimeInterval kNever = std::numeric_limits<NSTimeInterval>::infinity();
// How often runUntil looks at its condition even when nothing wakes the loop.
constexpr NSTimeInterval kConditionSlice = 0.01;

bool servedIn(const NSString& registered, const NSString& running)
{
    return registered == running || (registered == NSRunLoopCommonModes && running == NSDefaultRunLoopMode);
}

// The loop of this thread, once it has asked for it. Its own thread never
// needs to wake it: the thread is not waiting in it, and every pass looks at
// the timers, blocks and sources afresh before it waits.
thread_local const NSRunLoop* tOwnLoop = nullptr;

// Every live loop, so that a clock change can wake them all.
struct LoopRegistry {
    std::mutex m;
    std::vector<NSRunLoop*> loops;
};

LoopRegistry& registry()
{
    static LoopRegistry* r = new LoopRegistry;  // loops of late threads may outlive static destructors
    return *r;
}

// Drops the later copies of an entry, in place (an input or timer can be in
// several modes that one run serves).
template <class T>
void dedupe(std::vector<std::shared_ptr<T>>& v)
{
    auto kept = v.begin();
    for (auto it = v.begin(); it != v.end(); ++it) {
        if (std::find(v.begin(), kept, *it) != kept) continue;
        if (kept != it) *kept = std::move(*it);
        ++kept;
    }
    v.erase(kept, v.end());
}

// Moves the entries that match out of entries into taken, keeping the order
// of the rest; no allocation when nothing matches.
template <class Entry, class Match>
void takeMatching(std::vector<Entry>& entries, std::vector<Entry>& taken, Match matches)
{
    auto kept = entries.begin();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (matches(*it)) {
            taken.push_back(std::move(*it));
            continue;
        }
        if (kept != it) *kept = std::move(*it);
        ++kept;
    }
    entries.erase(kept, entries.end());
}

}  // namespace

struct NSRunLoop::State {
    struct TimerEntry {
        std::shared_ptr<NSTimer> timer;
        NSString mode;
        uint64_t order;
    };
    struct InputEntry {
        std::shared_ptr<NSRunLoopInput> input;
        NSString mode;
    };
    struct Block {
        std::function<void()> run;
        std::vector<NSString> modes;
        bool servedIn(const NSString& mode) const
        {
            return std::any_of(modes.begin(), modes.end(), [&](const NSString& m) { return ::servedIn(m, mode); });
        }
    };

    mutable std::mutex m;
    int wakeFd = -1;
    // Set by the first wake-up after the loop last emptied wakeFd: later ones
    // need no write (a request's stream wakes its loop several times a pass).
    std::atomic<bool> wakePending{false};
    std::atomic<bool> stopRequested{false};
    uint64_t nextOrder = 0;
    std::vector<TimerEntry> timers;
    std::vector<InputEntry> inputs;
    std::deque<Block> blocks;
    std::vector<NSString> modes;  // the runs in progress, innermost last

    // Appends the valid inputs of type T that a run in `mode` serves.
    template <class T>
    void inputsIn(const NSString& mode, std::vector<std::shared_ptr<T>>& found) const
    {
        std::lock_guard lock(m);
        for (auto& e : inputs)
            if (servedIn(e.mode, mode) && e.input->isValid() && dynamic_cast<T*>(e.input.get()))
                found.push_back(std::static_pointer_cast<T>(e.input));
        dedupe(found);
    }

    std::vector<std::shared_ptr<NSTimer>> timersIn(const NSString& mode) const
    {
        std::vector<std::shared_ptr<NSTimer>> found;
        std::lock_guard lock(m);
        for (auto& e : timers)
            if (servedIn(e.mode, mode)) found.push_back(e.timer);
        dedupe(found);
        return found;
    }
};

namespace {

// What one pass collects, kept on the loop's thread for the next pass at the
// same depth (a handler may run the loop again): once grown, a pass
// allocates nothing. Emptied when the pass ends, so it holds no input alive.
struct PassScratch {
    std::vector<std::shared_ptr<NSRunLoopSource>> sources;
    std::vector<std::shared_ptr<NSFileDescriptorSource>> descriptors;
    std::vector<pollfd> fds;
    std::vector<NSFileDescriptorSource*> watched;
};

class PassScratchLease {
public:
    PassScratchLease() : depth_(depth()++)
    {
        if (pool().size() <= depth_) pool().emplace_back();
    }
    ~PassScratchLease()
    {
        auto& s = pool()[depth_];
        s.sources.clear();
        s.descriptors.clear();
        s.fds.clear();
        s.watched.clear();
        --depth();
    }
    PassScratchLease(const PassScratchLease&) = delete;
    PassScratchLease& operator=(const PassScratchLease&) = delete;
    PassScratch* operator->() const { return &pool()[depth_]; }

private:
    static std::deque<PassScratch>& pool()
    {
        thread_local std::deque<PassScratch> scratch;  // a deque: deeper passes never move shallower ones
        return scratch;
    }
    static size_t& depth()
    {
        thread_local size_t d = 0;
        return d;
    }
    const size_t depth_;
};

}  // namespace

// ---- Inputs -----------------------------------------------------------------

void NSRunLoopInput::invalidate()
{
    valid_ = false;
    std::vector<std::weak_ptr<NSRunLoop>> loops;
    {
        std::lock_guard lock(loopsMutex_);
        loops.swap(loops_);
    }
    for (auto& weak : loops)
        if (auto loop = weak.lock()) loop->removeInput(this);
}

void NSRunLoopInput::wakeLoops()
{
    std::vector<std::shared_ptr<NSRunLoop>> loops;
    {
        std::lock_guard lock(loopsMutex_);
        for (auto& weak : loops_)
            if (auto loop = weak.lock()) loops.push_back(std::move(loop));
    }
    for (auto& loop : loops) loop->wakeUp();
}

void NSRunLoopSource::signal()
{
    signalled_ = true;
    wakeLoops();
}

void NSFileDescriptorSource::setEvents(unsigned events)
{
    events_ = events;
    wakeLoops();
}

// ---- Loops ------------------------------------------------------------------

NSRunLoop::NSRunLoop() : state_(std::make_unique<State>())
{
    state_->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (state_->wakeFd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    auto& r = registry();
    std::lock_guard lock(r.m);
    r.loops.push_back(this);
}

NSRunLoop::~NSRunLoop()
{
    {
        auto& r = registry();
        std::lock_guard lock(r.m);
        r.loops.erase(std::remove(r.loops.begin(), r.loops.end(), this), r.loops.end());
    }
    // Timers release their targets here, which breaks the cycles of targets
    // that hold their own timers.
    std::vector<State::TimerEntry> timers;
    {
        std::lock_guard lock(state_->m);
        timers.swap(state_->timers);
    }
    for (auto& e : timers) e.timer->invalidate();
    close(state_->wakeFd);
}

std::shared_ptr<NSRunLoop> NSRunLoop::mainRunLoop()
{
    // Kept for the whole process: workers may queue onto it until the very end.
    static auto* loop = new std::shared_ptr<NSRunLoop>(std::make_shared<NSRunLoop>());
    return *loop;
}

std::shared_ptr<NSRunLoop> NSRunLoop::currentRunLoop()
{
    if (NSThread::isMainThread()) {
        auto main = mainRunLoop();
        tOwnLoop = main.get();
        return main;
    }
    thread_local std::shared_ptr<NSRunLoop> loop = [] {
        auto made = std::make_shared<NSRunLoop>();
        tOwnLoop = made.get();
        return made;
    }();
    return loop;
}

void NSRunLoop::wakeAll()
{
    auto& r = registry();
    std::lock_guard lock(r.m);
    for (NSRunLoop* loop : r.loops) loop->wakeUp();
}

void NSRunLoop::wakeUp()
{
    if (tOwnLoop == this || state_->wakePending.exchange(true)) return;
    uint64_t one = 1;
    // A full counter already means "awake": the write may then fail harmlessly.
    [[maybe_unused]] auto written = write(state_->wakeFd, &one, sizeof one);
}

void NSRunLoop::stop()
{
    state_->stopRequested = true;
    wakeUp();
}

NSString NSRunLoop::currentMode() const
{
    std::lock_guard lock(state_->m);
    return state_->modes.empty() ? NSString() : state_->modes.back();
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, const NSString& mode)
{
    if (!timer || !timer->isValid()) return;
    timer->attach(std::static_pointer_cast<NSRunLoop>(shared_from_this()));
    {
        std::lock_guard lock(state_->m);
        for (auto& e : state_->timers)
            if (e.timer == timer && e.mode == mode) return;
        state_->timers.push_back({timer, mode, state_->nextOrder++});
    }
    wakeUp();
}

void NSRunLoop::removeTimer(const NSTimer* timer)
{
    std::vector<State::TimerEntry> removed;
    {
        std::lock_guard lock(state_->m);
        takeMatching(state_->timers, removed, [&](const State::TimerEntry& e) { return e.timer.get() == timer; });
    }
}

void NSRunLoop::addSource(const std::shared_ptr<NSRunLoopInput>& source, const NSString& mode)
{
    if (!source || !source->isValid()) return;
    auto self = std::static_pointer_cast<NSRunLoop>(shared_from_this());
    {
        std::lock_guard lock(source->loopsMutex_);
        bool known = std::any_of(source->loops_.begin(), source->loops_.end(),
                                 [&](const std::weak_ptr<NSRunLoop>& w) { return w.lock() == self; });
        if (!known) source->loops_.push_back(self);
    }
    {
        std::lock_guard lock(state_->m);
        for (auto& e : state_->inputs)
            if (e.input == source && e.mode == mode) return;
        state_->inputs.push_back({source, mode});
    }
    wakeUp();
}

void NSRunLoop::removeSource(const std::shared_ptr<NSRunLoopInput>& source, const NSString& mode)
{
    std::vector<State::InputEntry> removed;
    {
        std::lock_guard lock(state_->m);
        takeMatching(state_->inputs, removed,
                     [&](const State::InputEntry& e) { return e.input == source && e.mode == mode; });
    }
}

void NSRunLoop::removeInput(const NSRunLoopInput* input)
{
    std::vector<State::InputEntry> removed;
    {
        std::lock_guard lock(state_->m);
        takeMatching(state_->inputs, removed, [&](const State::InputEntry& e) { return e.input.get() == input; });
    }
}

void NSRunLoop::performBlock(std::function<void()> block)
{
    performBlock(std::move(block), {NSRunLoopCommonModes});
}

void NSRunLoop::performBlock(std::function<void()> block, const std::vector<NSString>& modes)
{
    {
        std::lock_guard lock(state_->m);
        state_->blocks.push_back({std::move(block), modes});
    }
    wakeUp();
}

void NSRunLoop::cancelPerformRequests(const NSObject* target, const std::string* selector, const NSObject* argument)
{
    std::vector<std::shared_ptr<NSTimer>> all;
    {
        std::lock_guard lock(state_->m);
        for (auto& e : state_->timers) all.push_back(e.timer);
    }
    dedupe(all);
    for (auto& timer : all) {
        bool matches;
        {
            std::lock_guard lock(timer->m_);
            const auto& p = timer->perform_;
            matches = p && p->target == target && (!selector || (p->selector == *selector && p->argument == argument));
        }
        if (matches) timer->invalidate();
    }
}

bool NSRunLoop::hasWork(const NSString& mode) const
{
    std::lock_guard lock(state_->m);
    for (auto& e : state_->timers)
        if (servedIn(e.mode, mode) && e.timer->isValid()) return true;
    for (auto& e : state_->inputs)
        if (servedIn(e.mode, mode) && e.input->isValid()) return true;
    return std::any_of(state_->blocks.begin(), state_->blocks.end(),
                       [&](const State::Block& b) { return b.servedIn(mode); });
}

std::optional<NSClock::Ticks> NSRunLoop::nextVirtualFire(const NSString& mode) const
{
    std::optional<NSClock::Ticks> next;
    for (auto& timer : state_->timersIn(mode)) {
        std::lock_guard lock(timer->m_);
        if (timer->valid_ && !timer->realClock_ && (!next || timer->fire_ < *next)) next = timer->fire_;
    }
    return next;
}

void NSRunLoop::fireDueTimers(const NSString& mode)
{
    struct Due {
        NSClock::Ticks fire;
        uint64_t order;
        std::shared_ptr<NSTimer> timer;
    };
    std::vector<Due> due;
    {
        std::lock_guard lock(state_->m);
        for (auto& e : state_->timers) {
            if (!servedIn(e.mode, mode)) continue;
            std::lock_guard timerLock(e.timer->m_);
            if (e.timer->valid_ && e.timer->fire_ <= e.timer->clockNow() &&
                std::none_of(due.begin(), due.end(), [&](const Due& d) { return d.timer == e.timer; }))
                due.push_back({e.timer->fire_, e.order, e.timer});
        }
    }
    std::sort(due.begin(), due.end(),
              [](const Due& a, const Due& b) { return a.fire != b.fire ? a.fire < b.fire : a.order < b.order; });
    for (auto& d : due) d.timer->fireScheduled(d.timer);
}

bool NSRunLoop::pass(const NSString& mode, NSTimeInterval limitDate, NSTimeInterval realDeadline)
{
    fireDueTimers(mode);
    bool handled = false;

    // The blocks queued for this mode when the pass starts, oldest first; one
    // that throws leaves the rest queued.
    size_t count;
    {
        std::lock_guard lock(state_->m);
        count = std::count_if(state_->blocks.begin(), state_->blocks.end(),
                              [&](const State::Block& b) { return b.servedIn(mode); });
    }
    for (; count > 0; --count) {
        std::function<void()> block;
        {
            std::lock_guard lock(state_->m);
            auto& blocks = state_->blocks;
            auto it = std::find_if(blocks.begin(), blocks.end(), [&](const State::Block& b) { return b.servedIn(mode); });
            if (it == blocks.end()) break;
            block = std::move(it->run);
            blocks.erase(it);
        }
        block();
        handled = true;
    }

    PassScratchLease scratch;
    state_->inputsIn(mode, scratch->sources);
    for (auto& source : scratch->sources) {
        if (source->isValid() && source->signalled_.exchange(false)) {
            source->handler_();
            handled = true;
        }
    }

    // How long to wait: not at all when something was handled or is due.
    NSTimeInterval wait = kNever;
    if (handled || state_->stopRequested) {
        wait = 0;
    } else {
        bool isVirtual = NSClock::isVirtual();
        {
            std::lock_guard lock(state_->m);
            for (auto& e : state_->timers) {
                if (!servedIn(e.mode, mode)) continue;
                const auto& timer = e.timer;
                std::lock_guard timerLock(timer->m_);
                if (!timer->valid_) continue;
                NSTimeInterval remaining = NSClock::seconds(timer->fire_ - timer->clockNow());
                // A virtual-time timer that is not due yet becomes due only through
                // NSClock::advance, which wakes the loop.
                if (timer->realClock_ || !isVirtual || remaining <= 0) wait = std::min(wait, remaining);
            }
        }
        NSTimeInterval toLimit = limitDate - NSClock::timeIntervalSinceReferenceDate();
        if (!isVirtual || toLimit <= 0) wait = std::min(wait, toLimit);
        wait = std::min(wait, realDeadline - NSClock::realMonotonic());
        wait = std::max(wait, 0.0);
    }

    state_->inputsIn(mode, scratch->descriptors);
    auto& fds = scratch->fds;
    auto& watched = scratch->watched;
    fds.push_back({state_->wakeFd, POLLIN, 0});
    for (auto& source : scratch->descriptors) {
        unsigned events = source->events();
        if (!events) continue;
        short pollEvents = ((events & NSFileDescriptorSource::Readable) ? POLLIN : 0) |
                           ((events & NSFileDescriptorSource::Writable) ? POLLOUT : 0);
        fds.push_back({source->fileDescriptor(), pollEvents, 0});
        watched.push_back(source.get());
    }
    timespec ts{};
    timespec* timeout = nullptr;
    if (std::isfinite(wait)) {
        NSTimeInterval whole = std::floor(wait);
        ts.tv_sec = static_cast<time_t>(std::min(whole, 1e9));
        ts.tv_nsec = static_cast<long>(std::ceil((wait - whole) * 1e9));
        if (ts.tv_nsec >= 1000000000L) {
            ts.tv_sec += 1;
            ts.tv_nsec -= 1000000000L;
        }
        timeout = &ts;
    }
    int ready = ppoll(fds.data(), fds.size(), timeout, nullptr);
    if (ready <= 0) return handled;  // time-out, or a signal interrupted the wait
    if (fds[0].revents) {
        uint64_t count;
        [[maybe_unused]] auto read_ = read(state_->wakeFd, &count, sizeof count);
        // Cleared after the read: a wake-up that comes in between finds the flag
        // still set and writes nothing, and its work is seen by the next pass.
        state_->wakePending.exchange(false);
    }
    for (size_t i = 1; i < fds.size(); ++i) {
        short revents = fds[i].revents;
        NSFileDescriptorSource* source = watched[i - 1];
        if (!revents || !source->isValid()) continue;
        if (revents & POLLNVAL) {
            // The descriptor was closed under the source: nothing can be waited for.
            source->invalidate();
            continue;
        }
        unsigned events = source->events();
        unsigned readyFor = 0;
        if ((events & NSFileDescriptorSource::Readable) && (revents & (POLLIN | POLLHUP | POLLERR)))
            readyFor |= NSFileDescriptorSource::Readable;
        if ((events & NSFileDescriptorSource::Writable) && (revents & (POLLOUT | POLLHUP | POLLERR)))
            readyFor |= NSFileDescriptorSource::Writable;
        if (!readyFor) continue;
        source->handler_(source->fileDescriptor(), readyFor);
        handled = true;
    }
    return handled;
}

bool NSRunLoop::run(const NSString& mode, NSTimeInterval limitDate, NSTimeInterval realDeadline,
                    bool returnWhenEmpty)
{
    if (returnWhenEmpty && !hasWork(mode)) return false;
    {
        std::lock_guard lock(state_->m);
        state_->modes.push_back(mode);
    }
    struct PopMode {
        State& s;
        ~PopMode()
        {
            std::lock_guard lock(s.m);
            s.modes.pop_back();
        }
    } popMode{*state_};

    for (;;) {
        if (state_->stopRequested.exchange(false)) return true;
        bool handled = pass(mode, limitDate, realDeadline);
        if (state_->stopRequested.exchange(false) || handled) return true;
        if (NSClock::timeIntervalSinceReferenceDate() >= limitDate || NSClock::realMonotonic() >= realDeadline)
            return true;
        if (returnWhenEmpty && !hasWork(mode)) return true;
    }
}

bool NSRunLoop::runMode(const NSString& mode, NSTimeInterval limitDate)
{
    return run(mode, limitDate, kNever, true);
}

void NSRunLoop::runUntilDate(NSTimeInterval limitDate)
{
    while (NSClock::timeIntervalSinceReferenceDate() < limitDate)
        if (!runMode(NSDefaultRunLoopMode, limitDate)) return;
}

bool NSRunLoop::runUntil(const std::function<bool()>& done, NSTimeInterval timeout, const NSString& mode)
{
    NSTimeInterval deadline = NSClock::realMonotonic() + timeout;
    while (!done()) {
        NSTimeInterval now = NSClock::realMonotonic();
        if (now >= deadline) return done();
        run(mode, NSClock::distantFuture, std::min(deadline, now + kConditionSlice), false);
    }
    return true;
}
