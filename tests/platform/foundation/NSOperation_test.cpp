#include "platform/foundation/NSOperation.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <set>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

// Records its name when it runs; with a gate it holds its thread until opened.
class Step : public NSOperation {
public:
    Step(std::string name, std::vector<std::string>& log, std::mutex& m) : name_(std::move(name)), log_(log), m_(m) {}
    void main() override
    {
        std::unique_lock l(m_);
        log_.push_back(name_);
        ++running;
        maxRunning = std::max(maxRunning.load(), running.load());
        changed.notify_all();
        changed.wait(l, [&] { return open; });
        --running;
    }
    static inline std::atomic<int> running{0}, maxRunning{0};
    static inline std::condition_variable changed;
    static inline bool open = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
    std::mutex& m_;
};

}  // namespace

TEST(NSOperationQueue, LimitsPrioritisesAndWaitsForDependencies)
{
    std::vector<std::string> log;
    std::mutex m;
    auto q = NSOperationQueue::init();
    q->setSuspended(true);
    q->setMaxConcurrentOperationCount(2);
    auto make = [&](const char* n) { return std::make_shared<Step>(n, log, m); };
    auto a = make("a"), b = make("b"), c = make("c"), urgent = make("urgent"), cancelled = make("cancelled");
    a->addDependency(urgent);  // a waits for urgent, whatever their order
    urgent->setQueuePriority(NSOperationQueuePriorityVeryHigh);
    cancelled->cancel();
    for (auto& op : {a, b, c, cancelled, urgent}) q->addOperation(op);
    EXPECT_EQ(q->operationCount(), 5u);
    {
        std::unique_lock l(m);
        EXPECT_FALSE(Step::changed.wait_for(l, std::chrono::milliseconds(50), [&] { return !log.empty(); }));
    }
    q->setSuspended(false);
    {
        std::unique_lock l(m);
        ASSERT_TRUE(Step::changed.wait_for(l, std::chrono::seconds(5), [&] { return log.size() == 2; }));
        // The two first places: the urgent one, then the first added that is ready.
        EXPECT_EQ(std::set<std::string>(log.begin(), log.end()), (std::set<std::string>{"urgent", "b"}));
        Step::open = true;
        Step::changed.notify_all();
    }
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return q->operationCount() == 0; }, 5.0));
    ASSERT_TRUE(NSThread::joinDetachedThreads(10.0));
    EXPECT_EQ(Step::maxRunning, 2);
    // urgent first; a only after it; the cancelled one never ran its body.
    ASSERT_EQ(log.size(), 4u);
    EXPECT_LT(std::find(log.begin(), log.end(), "urgent"), std::find(log.begin(), log.end(), "a"));
    EXPECT_EQ(std::count(log.begin(), log.end(), "cancelled"), 0);
    for (auto& op : {a, b, c, cancelled, urgent}) EXPECT_TRUE(op->isFinished());
    EXPECT_TRUE(cancelled->isCancelled());
}
