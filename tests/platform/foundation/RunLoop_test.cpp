#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "tests/platform/foundation/RunTimeTestSupport.h"

namespace {

const NSString kCustom = "NXHTTPRequestRunLoopMode";

class NSRunLoopTest : public VirtualClockTest {
protected:
    std::shared_ptr<NSRunLoop> loop = NSRunLoop::mainRunLoop();
    NSTimeInterval now() const { return NSClock::timeIntervalSinceReferenceDate(); }
};

TEST_F(NSRunLoopTest, RunModeReturnsNoAtOnceWhenTheModeHasNothingToServe)
{
    EXPECT_FALSE(loop->runMode("NothingHere", NSClock::distantFuture));
    auto timer = NSTimer::timerWithTimeInterval(1.0, false, [](NSTimer&) {});
    loop->addTimer(timer, kCustom);
    EXPECT_FALSE(loop->runMode("NothingHere", NSClock::distantFuture));
    timer->invalidate();
    EXPECT_FALSE(loop->runMode(kCustom, NSClock::distantFuture));
}

TEST_F(NSRunLoopTest, ModesIsolateTimersSourcesAndBlocks)
{
    std::vector<std::string> ran;
    auto timerIn = [&](const NSString& mode, std::string name) {
        auto t = NSTimer::timerWithTimeInterval(0, false, [&ran, name](NSTimer&) { ran.push_back(name); });
        loop->addTimer(t, mode);
        return t;
    };
    auto defaultTimer = timerIn(NSDefaultRunLoopMode, "default timer");
    auto commonTimer = timerIn(NSRunLoopCommonModes, "common timer");
    auto customTimer = timerIn(kCustom, "custom timer");
    auto source = NSRunLoopSource::sourceWithHandler([&] { ran.push_back("custom source"); });
    loop->addSource(source, kCustom);
    source->signal();
    loop->performBlock([&] { ran.push_back("common block"); });
    loop->performBlock([&] { ran.push_back("custom block"); }, {kCustom});

    EXPECT_TRUE(loop->runMode(kCustom, now()));
    EXPECT_EQ(ran, (std::vector<std::string>{"custom timer", "custom block", "custom source"}));

    ran.clear();
    source->signal();  // stays pending while the loop runs in other modes
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, now()));
    EXPECT_EQ(ran, (std::vector<std::string>{"default timer", "common timer", "common block"}));

    ran.clear();
    EXPECT_TRUE(loop->runMode(kCustom, now()));
    EXPECT_EQ(ran, (std::vector<std::string>{"custom source"}));
    source->invalidate();
}

TEST_F(NSRunLoopTest, AdvancingServesOnlyTheRunningModeOfTheMainLoop)
{
    int customFired = 0, defaultFired = 0;
    auto custom = NSTimer::timerWithTimeInterval(1.0, false, [&](NSTimer&) { ++customFired; });
    loop->addTimer(custom, kCustom);
    loop->addTimer(NSTimer::timerWithTimeInterval(1.0, false, [&](NSTimer&) { ++defaultFired; }), NSDefaultRunLoopMode);
    NSClock::advance(2.0);
    EXPECT_EQ(defaultFired, 1);
    EXPECT_EQ(customFired, 0);
    EXPECT_TRUE(custom->isValid());
    EXPECT_TRUE(loop->runMode(kCustom, now()));
    EXPECT_EQ(customFired, 1);
}

TEST_F(NSRunLoopTest, BlocksRunInQueueOrderAndThoseQueuedWhileRunningWaitForTheNextPass)
{
    std::vector<int> ran;
    loop->performBlock([&] {
        ran.push_back(1);
        loop->performBlock([&] { ran.push_back(3); });
    });
    loop->performBlock([&] { ran.push_back(2); });
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST_F(NSRunLoopTest, ABlockThatThrowsLeavesTheLaterBlocksQueued)
{
    bool laterRan = false;
    loop->performBlock([] { throw std::runtime_error("boom"); });
    loop->performBlock([&] { laterRan = true; });
    EXPECT_THROW(loop->runMode(NSDefaultRunLoopMode, now()), std::runtime_error);
    EXPECT_FALSE(laterRan);
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, now()));
    EXPECT_TRUE(laterRan);
}

TEST_F(NSRunLoopTest, SourceSignalledFromAnotherThreadWakesAWaitingLoop)
{
    // Under the virtual clock only the wake-up can end these waits.
    std::atomic<int> handled{0};
    auto source = NSRunLoopSource::sourceWithHandler([&] { ++handled; });
    loop->addSource(source, kCustom);
    Watchdog watchdog(loop, 20.0);
    for (int round = 1; round <= 50; ++round) {
        NSThread::detachNewThreadWithBlock([&] {
            while (loop->currentMode() != kCustom) std::this_thread::yield();
            source->signal();
        });
        EXPECT_TRUE(loop->runMode(kCustom, NSClock::distantFuture));
        ASSERT_FALSE(watchdog.fired());
        ASSERT_EQ(handled.load(), round);
        ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    }
    source->invalidate();
}

TEST_F(NSRunLoopTest, StopFromAnotherThreadEndsTheRunOfALoopThatNeverFires)
{
    // The shape of a request thread: a source that never fires keeps the loop running.
    auto idle = NSRunLoopSource::sourceWithHandler([] {});
    loop->addSource(idle, NSDefaultRunLoopMode);
    Watchdog watchdog(loop, 20.0);
    NSThread::detachNewThreadWithBlock([&] {
        while (loop->currentMode() != NSDefaultRunLoopMode) std::this_thread::yield();
        loop->stop();
    });
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(loop->currentMode().isNil());
    idle->invalidate();
}

TEST_F(NSRunLoopTest, LimitDateEndsTheWaitWhenTheClockIsAdvancedFromAnotherThread)
{
    auto idle = NSRunLoopSource::sourceWithHandler([] {});
    loop->addSource(idle, NSDefaultRunLoopMode);
    Watchdog watchdog(loop, 20.0);
    NSTimeInterval limit = now() + 5.0;
    NSThread::detachNewThreadWithBlock([&] {
        while (loop->currentMode() != NSDefaultRunLoopMode) std::this_thread::yield();
        NSClock::advance(5.0);
    });
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, limit));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_GE(now(), limit);
    idle->invalidate();
}

TEST_F(NSRunLoopTest, FileDescriptorSourceReportsReadableAndWritable)
{
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    std::vector<std::string> seen;
    auto reader = NSFileDescriptorSource::sourceWithFileDescriptor(
        fds[0], NSFileDescriptorSource::Readable, [&](int fd, unsigned ready) {
            char c;
            ASSERT_EQ(read(fd, &c, 1), 1);
            seen.push_back(std::string(ready == NSFileDescriptorSource::Readable ? "readable " : "? ") + c);
        });
    loop->addSource(reader, kCustom);

    Watchdog watchdog(loop, 20.0);
    NSThread::detachNewThreadWithBlock([&] {
        while (loop->currentMode() != kCustom) std::this_thread::yield();
        ASSERT_EQ(write(fds[1], "x", 1), 1);
    });
    EXPECT_TRUE(loop->runMode(kCustom, NSClock::distantFuture));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(seen, (std::vector<std::string>{"readable x"}));

    // Paused, pending bytes are not reported; resumed, they are.
    ASSERT_EQ(write(fds[1], "y", 1), 1);
    reader->setEvents(NSFileDescriptorSource::None);
    EXPECT_TRUE(loop->runMode(kCustom, now()));
    EXPECT_EQ(seen.size(), 1u);
    reader->setEvents(NSFileDescriptorSource::Readable);
    EXPECT_TRUE(loop->runMode(kCustom, now()));
    EXPECT_EQ(seen.back(), "readable y");

    unsigned writerReady = 0;
    auto writer = NSFileDescriptorSource::sourceWithFileDescriptor(
        fds[1], NSFileDescriptorSource::Writable, [&](int, unsigned ready) { writerReady = ready; });
    loop->addSource(writer, kCustom);
    EXPECT_TRUE(loop->runMode(kCustom, NSClock::distantFuture));
    EXPECT_EQ(writerReady, unsigned(NSFileDescriptorSource::Writable));

    reader->invalidate();
    loop->removeSource(writer, kCustom);
    EXPECT_FALSE(loop->runMode(kCustom, NSClock::distantFuture));
    close(fds[0]);
    close(fds[1]);
}

TEST_F(NSRunLoopTest, RunUntilWaitsForWorkQueuedLaterAndIsBounded)
{
    std::atomic<bool> done{false};
    NSThread::detachNewThreadWithBlock([&] { loop->performBlock([&] { done = true; }); });
    EXPECT_TRUE(loop->runUntil([&] { return done.load(); }, 10.0));
    EXPECT_FALSE(loop->runUntil([] { return false; }, 0.05));
}

TEST_F(NSRunLoopTest, BlocksQueuedFromManyThreadsAllRunInEachThreadsOrder)
{
    constexpr int kThreads = 4, kBlocks = 200;
    std::vector<std::vector<int>> ran(kThreads);
    for (int t = 0; t < kThreads; ++t)
        NSThread::detachNewThreadWithBlock([&, t] {
            for (int i = 0; i < kBlocks; ++i) loop->performBlock([&, t, i] { ran[t].push_back(i); });
        });
    auto total = [&] {
        size_t n = 0;
        for (auto& r : ran) n += r.size();
        return n;
    };
    ASSERT_TRUE(loop->runUntil([&] { return total() == kThreads * kBlocks; }, 10.0));
    for (auto& r : ran) {
        ASSERT_EQ(r.size(), size_t(kBlocks));
        EXPECT_TRUE(std::is_sorted(r.begin(), r.end()));
    }
}

TEST_F(NSRunLoopTest, ATimerCallbackMayRunTheLoopAgainWithoutFiringTwice)
{
    // A synchronous exchange started from a timer runs the same loop nested.
    int fired = 0;
    NSString innerMode;
    NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](NSTimer&) {
        ++fired;
        loop->performBlock([&] { innerMode = loop->currentMode(); }, {kCustom});
        loop->runMode(kCustom, NSClock::distantFuture);
        loop->runMode(NSDefaultRunLoopMode, NSClock::timeIntervalSinceReferenceDate());
    });
    NSClock::advance(1.0);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(innerMode, kCustom);
    EXPECT_TRUE(loop->currentMode().isNil());
}

TEST(NSRunLoopThreads, EachThreadHasItsOwnLoopAndTheMainLoopIsSharedWithWorkers)
{
    auto mainLoop = NSRunLoop::currentRunLoop();
    EXPECT_EQ(mainLoop, NSRunLoop::mainRunLoop());
    std::shared_ptr<NSRunLoop> workerLoop, workerMain;
    NSThread::detachNewThreadWithBlock([&] {
        workerLoop = NSRunLoop::currentRunLoop();
        workerMain = NSRunLoop::mainRunLoop();
        EXPECT_EQ(workerLoop, NSRunLoop::currentRunLoop());
    });
    ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    EXPECT_NE(workerLoop, mainLoop);
    EXPECT_EQ(workerMain, mainLoop);
}

TEST(NSRunLoopThreads, WorkAThreadGivesItsOwnLoopNeedsNoWakeUp)
{
    // A thread waking its own loop writes nothing: what it queued before
    // running the loop, and what a handler queues, are served by looking.
    std::vector<std::string> served;
    NSThread::detachNewThreadWithBlock([&] {
        auto own = NSRunLoop::currentRunLoop();
        Watchdog watchdog(own, 20.0);
        auto source = NSRunLoopSource::sourceWithHandler([&] { served.push_back("source"); });
        own->addSource(source, kCustom);
        own->performBlock(
            [&] {
                served.push_back("block");
                own->performBlock([&] { served.push_back("second block"); }, {kCustom});
                source->signal();
            },
            {kCustom});
        while (served.size() < 3 && !watchdog.fired()) own->runMode(kCustom, NSClock::distantFuture);
        EXPECT_FALSE(watchdog.fired());
        source->invalidate();
    });
    ASSERT_TRUE(NSThread::joinDetachedThreads(30.0));
    EXPECT_EQ(served, (std::vector<std::string>{"block", "source", "second block"}));
}

}  // namespace
