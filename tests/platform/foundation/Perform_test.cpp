#include <string>
#include <vector>

#include "platform/foundation/NSException.h"
#include "tests/platform/foundation/RunTimeTestSupport.h"

namespace {

class Target : public NSObject {
public:
    void show(const id& arg)
    {
        std::lock_guard lock(m);
        calls.push_back("show " + (arg ? arg->description().str() : std::string("nil")));
        onMain.push_back(NSThread::isMainThread());
    }
    void hide() { show(NSBox<NSString>::box("hide")); }
    std::vector<std::string> log()
    {
        std::lock_guard lock(m);
        return calls;
    }
    std::mutex m;
    std::vector<std::string> calls;
    std::vector<bool> onMain;
};

using PerformTest = VirtualClockTest;

TEST_F(PerformTest, DelayedPerformKeepsTheTargetAliveAndRunsOnTime)
{
    auto target = std::make_shared<Target>();
    std::weak_ptr<Target> weak = target;
    std::vector<std::string> seen;
    SEL record{"record:", [&](NSObject* receiver, const id& arg) {
                   EXPECT_EQ(receiver, weak.lock().get());
                   seen.push_back(arg->description().str());
               }};
    target->performSelector(record, NSBox<NSString>::box("late"), 2.0);
    target.reset();
    NSClock::advance(1.9);
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(seen.empty());
    NSClock::advance(0.1);
    EXPECT_EQ(seen, (std::vector<std::string>{"late"}));
    EXPECT_TRUE(weak.expired());  // released once it ran
}

TEST_F(PerformTest, DelayedPerformOfNoDelayRunsOnTheNextPassWithoutAdvancing)
{
    auto target = std::make_shared<Target>();
    target->performSelector(NX_SEL0(Target, hide), nullptr, 0.0);
    EXPECT_TRUE(target->log().empty());
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runMode(NSDefaultRunLoopMode, NSClock::timeIntervalSinceReferenceDate()));
    EXPECT_EQ(target->log(), (std::vector<std::string>{"show hide"}));
}

TEST_F(PerformTest, CancelPreviousPerformRequestsMatchesTargetSelectorAndArgument)
{
    auto arg = NSBox<NSString>::box("a");
    auto other = NSBox<NSString>::box("a");  // equal text, another object
    struct Case {
        const char* name;
        std::function<void(Target*)> cancel;
        std::vector<std::string> remaining;
    };
    std::vector<Case> cases = {
        {"everything of the target", [](Target* t) { NSObject::cancelPreviousPerformRequestsWithTarget(t); }, {}},
        {"selector and nil argument",
         [](Target* t) { NSObject::cancelPreviousPerformRequestsWithTarget(t, NX_SEL(Target, show), nullptr); },
         {"show a", "show hide"}},
        {"selector and its argument",
         [&](Target* t) { NSObject::cancelPreviousPerformRequestsWithTarget(t, NX_SEL(Target, show), arg); },
         {"show nil", "show hide"}},
        {"another argument object",
         [&](Target* t) { NSObject::cancelPreviousPerformRequestsWithTarget(t, NX_SEL(Target, show), other); },
         {"show a", "show nil", "show hide"}},
        {"another target", [](Target*) {
             Target stranger;
             NSObject::cancelPreviousPerformRequestsWithTarget(&stranger);
         },
         {"show a", "show nil", "show hide"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto target = std::make_shared<Target>();
        target->performSelector(NX_SEL(Target, show), arg, 1.0);
        target->performSelector(NX_SEL(Target, show), nullptr, 2.0);
        target->performSelector(NX_SEL0(Target, hide), nullptr, 3.0);
        c.cancel(target.get());
        NSClock::advance(5.0);
        EXPECT_EQ(target->log(), c.remaining);
    }
}

TEST_F(PerformTest, PerformOnMainThreadFromTheMainThreadRunsAtOnceOnlyWhenWaiting)
{
    auto target = std::make_shared<Target>();
    target->performSelectorOnMainThread(NX_SEL(Target, show), NSBox<NSString>::box("queued"), false);
    target->performSelectorOnMainThread(NX_SEL(Target, show), NSBox<NSString>::box("inline"), true);
    EXPECT_EQ(target->log(), (std::vector<std::string>{"show inline"}));
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
    EXPECT_EQ(target->log(), (std::vector<std::string>{"show inline", "show queued"}));
}

TEST_F(PerformTest, WorkerHandsResultsToTheMainThreadWithAndWithoutWaiting)
{
    // Only the main thread writes `ran`; the worker reads it after a waiting perform.
    std::vector<std::string> ran;
    std::vector<std::string> seenByWorker;
    SEL record{"record:", [&](NSObject*, const id& arg) {
                   EXPECT_TRUE(NSThread::isMainThread());
                   ran.push_back(arg->description().str());
               }};
    auto target = std::make_shared<Target>();
    std::weak_ptr<Target> weak = target;
    std::atomic<bool> workerDone{false};
    NSThread::detachNewThreadWithBlock([&, target]() mutable {
        EXPECT_FALSE(NSThread::isMainThread());
        target->performSelectorOnMainThread(record, NSBox<NSString>::box("first"), false);
        target->performSelectorOnMainThread(record, NSBox<NSString>::box("second"), true);
        seenByWorker = ran;  // both ran before the waiting call returned
        target->performSelectorOnMainThread(record, NSBox<NSString>::box("third"), false);
        target.reset();  // from here only the queued perform keeps it alive
        workerDone = true;
    });
    target.reset();
    auto loop = NSRunLoop::mainRunLoop();
    ASSERT_TRUE(loop->runUntil([&] { return workerDone.load(); }, 10.0));
    ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    EXPECT_EQ(seenByWorker, (std::vector<std::string>{"first", "second"}));
    ASSERT_TRUE(loop->runUntil([&] { return ran.size() == 3; }, 10.0));
    EXPECT_EQ(ran.back(), "third");
    EXPECT_TRUE(weak.expired());
}

TEST_F(PerformTest, PerformsOnMainThreadRunOnTheMainThreadInCommonModesOnly)
{
    auto target = std::make_shared<Target>();
    NSThread::detachNewThreadWithBlock(
        [target] { target->performSelectorOnMainThread(NX_SEL(Target, show), nullptr, false); });
    ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    auto loop = NSRunLoop::mainRunLoop();
    EXPECT_FALSE(loop->runMode("NXHTTPRequestRunLoopMode", NSClock::distantFuture));
    EXPECT_TRUE(target->log().empty());
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, NSClock::distantFuture));
    EXPECT_EQ(target->onMain, (std::vector<bool>{true}));
}

TEST_F(PerformTest, PerformOnObjectNotOwnedBySharedPtrIsRefused)
{
    Target onStack;
    EXPECT_THROW(onStack.performSelector(NX_SEL0(Target, hide), nullptr, 1.0), NSException);
    EXPECT_THROW(onStack.performSelectorOnMainThread(NX_SEL0(Target, hide), nullptr, false), NSException);
}

// ---- Threads ------------------------------------------------------------------

class Worker : public NSObject {
public:
    void work(const id& object)
    {
        std::unique_lock lock(m);
        name = NSThread::currentThread()->name();
        NSThread::currentThread()->setName(object->description());
        renamed = NSThread::currentThread()->name();
        onMain = NSThread::isMainThread();
        cv.wait(lock, [&] { return go; });
    }
    void release()
    {
        std::lock_guard lock(m);
        go = true;
        cv.notify_all();
    }
    std::mutex m;
    std::condition_variable cv;
    bool go = false;
    NSString name, renamed;
    bool onMain = true;
};

using NSThreadTest = VirtualClockTest;

TEST_F(NSThreadTest, DetachedThreadKeepsItsTargetAliveAndCanBeAwaited)
{
    auto worker = std::make_shared<Worker>();
    std::weak_ptr<Worker> weak = worker;
    NSThread::detachNewThreadSelector(NX_SEL(Worker, work), worker, NSBox<NSString>::box("fetch"));
    worker.reset();
    EXPECT_FALSE(NSThread::joinDetachedThreads(0.05));  // still blocked
    ASSERT_FALSE(weak.expired());
    auto held = weak.lock();
    held->release();
    ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    EXPECT_EQ(held->name, NSString(""));
    EXPECT_EQ(held->renamed, NSString("fetch"));
    EXPECT_FALSE(held->onMain);
    held.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(NSThread::isMainThread());
    EXPECT_EQ(NSThread::currentThread()->name(), NSString("main"));
}

TEST(NSLockTest, PlainLockExcludesOtherThreadsAndRecursiveLockReenters)
{
    NSLock lock;
    lock.lock();
    std::atomic<bool> tried{true};
    std::thread([&] { tried = lock.tryLock(); }).join();
    EXPECT_FALSE(tried);
    lock.unlock();
    std::thread([&] {
        tried = lock.tryLock();
        if (tried) lock.unlock();
    }).join();
    EXPECT_TRUE(tried);

    NSRecursiveLock recursive;
    recursive.lock();
    EXPECT_TRUE(recursive.tryLock());
    recursive.unlock();
    std::thread([&] { tried = recursive.tryLock(); }).join();
    EXPECT_FALSE(tried);
    recursive.unlock();
}

}  // namespace
