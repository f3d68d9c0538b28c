#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NSClockFollower.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSTimer.h"
#include "tests/platform/foundation/RunTimeTestSupport.h"

namespace {

class NSTimerTest : public VirtualClockTest {
protected:
    void SetUp() override
    {
        VirtualClockTest::SetUp();
        start = NSClock::monotonic();
    }
    NSTimeInterval start = 0;
    NSTimeInterval elapsed() const { return NSClock::monotonic() - start; }
};

class Ticker : public NSObject {
public:
    void tick(const id& timer)
    {
        ticks.push_back(timer);
        userInfo = std::static_pointer_cast<NSTimer>(timer)->userInfo();
    }
    std::vector<id> ticks;
    id userInfo;
};

TEST_F(NSTimerTest, TimersFireInDateOrderEachSeeingTheClockAtItsFireDate)
{
    std::vector<std::pair<std::string, double>> fired;
    auto at = [&](double seconds, std::string name) {
        NSTimer::scheduledTimerWithTimeInterval(seconds, false, [&fired, name, this](NSTimer&) {
            fired.emplace_back(name, elapsed());
        });
    };
    at(3.0, "c");
    at(1.0, "a");
    at(2.0, "b");
    at(2.0, "b2");  // same date: the order of scheduling
    NSClock::advance(2.5);
    at(0.25, "inserted");  // scheduled at 2.5, due before c
    NSClock::advance(2.5);
    EXPECT_EQ(fired, (std::vector<std::pair<std::string, double>>{
                         {"a", 1.0}, {"b", 2.0}, {"b2", 2.0}, {"inserted", 2.75}, {"c", 3.0}}));
    EXPECT_DOUBLE_EQ(elapsed(), 5.0);
}

// A thread that works at every 100 ms of the clock, as the map engine's timer
// walk does: what it did, when, and on which thread, beside the main loop's
// timers in one journal.
class StepThread : public NSClockFollower {
public:
    struct Entry {
        std::string what;
        NSClock::Ticks at;
        bool onMain;
        bool operator==(const Entry&) const = default;
    };
    explicit StepThread(std::vector<Entry>& journal) : journal_(journal), thread_([this] { run(); })
    {
        NSClockAddFollower(this);
    }
    ~StepThread() override
    {
        NSClockRemoveFollower(this);
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    std::optional<NSClock::Ticks> nextStep(NSClock::Ticks after) override { return (after / kPeriod + 1) * kPeriod; }
    void step(NSClock::Ticks at) override
    {
        std::unique_lock lock(m_);
        pending_ = at;
        cv_.notify_all();
        cv_.wait(lock, [&] { return !pending_; });
    }
    static constexpr NSClock::Ticks kPeriod = NSClock::ticksPerSecond / 10;

private:
    void run()
    {
        std::unique_lock lock(m_);
        while (!stop_) {
            cv_.wait(lock, [&] { return stop_ || pending_; });
            if (!pending_) continue;
            journal_.push_back({"step", NSClock::monotonicTicks(), NSThread::isMainThread()});
            pending_.reset();
            cv_.notify_all();
        }
    }
    std::vector<Entry>& journal_;
    std::mutex m_;
    std::condition_variable cv_;
    std::optional<NSClock::Ticks> pending_;
    bool stop_ = false;
    std::thread thread_;
};

TEST_F(NSTimerTest, AdvanceHandsAFollowerEachStepInTimeOrderWithTheTimersAndWaitsForIt)
{
    const NSClock::Ticks t0 = NSClock::monotonicTicks();
    std::vector<StepThread::Entry> journal;
    auto timerAt = [&](double seconds, std::string name) {
        NSTimer::scheduledTimerWithTimeInterval(seconds, false, [&journal, name](NSTimer&) {
            journal.push_back({name, NSClock::monotonicTicks(), NSThread::isMainThread()});
        });
    };
    {
        StepThread steps(journal);
        timerAt(0.15, "timer");
        timerAt(0.2, "tie");  // at a step's time: after the step
        NSClock::advance(0.35);
        const NSClock::Ticks ms = NSClock::ticksPerSecond / 1000;
        // Every step is done by the time advance returns, each at its own time
        // on the follower's thread; none while the clock stands still.
        EXPECT_EQ(journal, (std::vector<StepThread::Entry>{{"step", t0 + 100 * ms, false},
                                                          {"timer", t0 + 150 * ms, true},
                                                          {"step", t0 + 200 * ms, false},
                                                          {"tie", t0 + 200 * ms, true},
                                                          {"step", t0 + 300 * ms, false}}));
        NSClock::advance(0.03);
        EXPECT_EQ(journal.size(), 5u);
        NSClock::advance(0.02);  // 0.4 s: the next step, reached over two advances
        ASSERT_EQ(journal.size(), 6u);
        EXPECT_EQ(journal.back(), (StepThread::Entry{"step", t0 + 400 * ms, false}));
    }
    NSClock::advance(1.0);  // a follower removed is not stepped again
    EXPECT_EQ(journal.size(), 6u);
}

TEST_F(NSTimerTest, AMovedFireDateIsTheOneThatCounts)
{
    std::vector<double> fired;
    auto later = NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](NSTimer&) { fired.push_back(elapsed()); });
    auto sooner = NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](NSTimer&) { fired.push_back(elapsed()); });
    NSClock::advance(0.5);
    later->setFireDate(NSClock::timeIntervalSinceReferenceDate() + 1.0);   // again 1 s from now
    sooner->setFireDate(NSClock::timeIntervalSinceReferenceDate() + 0.25);
    EXPECT_DOUBLE_EQ(later->fireDate(), NSClock::timeIntervalSinceReferenceDate() + 1.0);
    NSClock::advance(0.75);  // past the old date of both
    EXPECT_EQ(fired, (std::vector<double>{0.75}));
    NSClock::advance(0.75);
    EXPECT_EQ(fired, (std::vector<double>{0.75, 1.5}));
    // A fired (so invalid) timer stays as it is.
    later->setFireDate(NSClock::timeIntervalSinceReferenceDate());
    NSClock::advance(1.0);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(NSTimerTest, TimerDueAtASumFiresWhenTheClockReachesItHoweverTheAdvancesAreSplit)
{
    struct Case {
        std::vector<double> delays;    // added up, as a delay plus a duration is
        std::vector<double> advances;  // reach the same sum in other steps
    };
    const std::vector<Case> cases = {
        {{0.1, 0.2}, {0.29, 0.01}},
        {{0.7, 0.1}, {0.3, 0.4, 0.1}},
        {{0.05, 0.25}, {0.15, 0.15}},
        {{0.3, 0.3, 0.3}, {0.1, 0.8}},
        {{1.1, 2.2}, {3.3}},
    };
    // From many starting points, so that no start hides a rounding.
    for (int start = 0; start < 50; ++start) {
        NSClock::advance(0.013);
        for (const auto& c : cases) {
            double delay = 0;
            for (double d : c.delays) delay += d;
            int fired = 0;
            NSTimer::scheduledTimerWithTimeInterval(delay, false, [&](NSTimer&) { ++fired; });
            for (size_t i = 0; i + 1 < c.advances.size(); ++i) NSClock::advance(c.advances[i]);
            ASSERT_EQ(fired, 0) << "start " << start << ", due at " << delay;
            NSClock::advance(c.advances.back());
            ASSERT_EQ(fired, 1) << "start " << start << ", due at " << delay;
        }
    }
}

TEST_F(NSTimerTest, OneShotTimerRetainsTargetAndUserInfoUntilItFires)
{
    auto ticker = std::make_shared<Ticker>();
    std::weak_ptr<Ticker> weak = ticker;
    auto info = NSBox<NSString>::box("info");
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.5, ticker, NX_SEL(Ticker, tick), info, false);
    EXPECT_DOUBLE_EQ(timer->fireDate(), NSClock::timeIntervalSinceReferenceDate() + 1.5);
    ticker.reset();
    ASSERT_FALSE(weak.expired());
    NSClock::advance(1.0);
    EXPECT_TRUE(weak.lock()->ticks.empty());
    NSClock::advance(1.0);
    ASSERT_FALSE(timer->isValid());
    EXPECT_TRUE(weak.expired());  // released once fired
    EXPECT_EQ(timer->userInfo(), nullptr);
}

TEST_F(NSTimerTest, SelectorReceivesTheTimerAndItsUserInfo)
{
    auto ticker = std::make_shared<Ticker>();
    auto info = NSBox<NSString>::box("info");
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, ticker, NX_SEL(Ticker, tick), info, true);
    NSClock::advance(1.0);
    ASSERT_EQ(ticker->ticks.size(), 1u);
    EXPECT_EQ(ticker->ticks[0], timer);
    EXPECT_EQ(ticker->userInfo, info);
    timer->invalidate();
    ticker->ticks.clear();  // breaks the timer <-> ticker cycle the test made
}

TEST_F(NSTimerTest, RepeatingTimerFiresEveryPeriodUntilInvalidatedFromItsOwnCallback)
{
    std::vector<double> fired;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [&](NSTimer& t) {
        fired.push_back(elapsed());
        if (fired.size() == 4) t.invalidate();
    });
    NSClock::advance(3.5);
    EXPECT_EQ(fired, (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_DOUBLE_EQ(timer->fireDate() - NSClock::timeIntervalSinceReferenceDate(), 0.5);
    NSClock::advance(10.0);
    EXPECT_EQ(fired.size(), 4u);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(NSTimerTest, RepeatingTimerThatFellBehindFiresOnceAndKeepsItsPhase)
{
    const NSString tracking = "UITrackingRunLoopMode";
    int fired = 0;
    auto timer = NSTimer::timerWithTimeInterval(1.0, true, [&](NSTimer&) { ++fired; });
    NSRunLoop::mainRunLoop()->addTimer(timer, tracking);
    NSClock::advance(3.5);  // the loop is not running in the timer's mode meanwhile
    EXPECT_EQ(fired, 0);
    NSRunLoop::mainRunLoop()->runMode(tracking, NSClock::timeIntervalSinceReferenceDate());
    EXPECT_EQ(fired, 1);
    EXPECT_DOUBLE_EQ(timer->fireDate() - NSClock::timeIntervalSinceReferenceDate(), 0.5);
    timer->invalidate();
}

TEST_F(NSTimerTest, InvalidatedTimerNeverFires)
{
    int fired = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](NSTimer&) { ++fired; });
    timer->invalidate();
    NSClock::advance(5.0);
    EXPECT_EQ(fired, 0);
    EXPECT_FALSE(NSRunLoop::mainRunLoop()->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
}

TEST_F(NSTimerTest, RealClockTimerFiresWithoutAdvancingTheVirtualClock)
{
    bool fired = false;
    auto timer = NSTimer::timerWithTimeInterval(0.02, false, [&](NSTimer&) { fired = true; });
    timer->setUsesRealClock(true);
    NSRunLoop::mainRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return fired; }, 10.0));
    EXPECT_DOUBLE_EQ(elapsed(), 0.0);
}

TEST_F(NSTimerTest, OneShotTimerMovedToTheVirtualClockWhileItFiresFiresOnce)
{
    NSClock::advance(60.0);  // virtual time well ahead of real time
    int fired = 0;
    auto timer = NSTimer::timerWithTimeInterval(0.01, false, [&](NSTimer& t) {
        ++fired;
        t.setUsesRealClock(false);
    });
    timer->setUsesRealClock(true);
    NSRunLoop::mainRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return fired > 0; }, 10.0));
    NSClock::advance(60.0);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
}

TEST(NSTimerRealClock, RunUntilDateWaitsForRealTimersAndTheDate)
{
    ASSERT_FALSE(NSClock::isVirtual());
    auto loop = NSRunLoop::mainRunLoop();
    int fired = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.01, true, [&](NSTimer&) { ++fired; });
    NSTimeInterval until = NSClock::timeIntervalSinceReferenceDate() + 0.05;
    loop->runUntilDate(until);
    EXPECT_GE(NSClock::timeIntervalSinceReferenceDate(), until);
    EXPECT_GE(fired, 1);
    timer->invalidate();
}

TEST(NSClockTest, VirtualTimeStandsStillMovesOnAdvanceAndMonotonicTimeNeverGoesBack)
{
    NSClock::useVirtualClock(1000000000.0);
    EXPECT_TRUE(NSClock::isVirtual());
    EXPECT_DOUBLE_EQ(NSClock::timeIntervalSince1970(), 1000000000.0);
    EXPECT_DOUBLE_EQ(NSClock::timeIntervalSinceReferenceDate(), 1000000000.0 - 978307200.0);
    NSTimeInterval mono = NSClock::monotonic();
    NSClock::advance(86400.0);
    EXPECT_DOUBLE_EQ(NSClock::timeIntervalSince1970(), 1000086400.0);
    EXPECT_DOUBLE_EQ(NSClock::monotonic(), mono + 86400.0);
    NSClock::useRealClock();
    EXPECT_FALSE(NSClock::isVirtual());
    EXPECT_GE(NSClock::monotonic(), mono + 86400.0);
    EXPECT_THROW(NSClock::advance(1.0), NSException);
}

}  // namespace
