// Asynchronous requests: the shared queue, the one request thread they run
// on, and the count of streams on a run loop that drives the network
// activity indicator.

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"

namespace {

constexpr long kSharedQueueWidth = 4;
constexpr double kHideIndicatorDelay = 0.5;

std::mutex gActivityLock;
int gScheduledStreamCount = 0;
bool gShouldUpdateIndicator = true;
// Every show moves it on, so a hide planned before that show does nothing.
unsigned long gIndicatorGeneration = 0;
std::atomic<bool> gIndicatorVisible{false};

// On the main thread only. One hide is planned at a time: a newer one moves
// it on, so a run of requests neither piles up timers nor makes one each.
void planIndicatorHide(unsigned long generation)
{
    static auto* planned = new std::shared_ptr<NSTimer>;  // outlives the run loops at exit
    static unsigned long plannedGeneration = 0;
    plannedGeneration = generation;
    if (*planned && (*planned)->isValid()) {
        (*planned)->setFireDate(NSClock::timeIntervalSinceReferenceDate() + kHideIndicatorDelay);
        return;
    }
    *planned = NSTimer::scheduledTimerWithTimeInterval(kHideIndicatorDelay, false, [](NSTimer&) {
        std::lock_guard l(gActivityLock);
        if (plannedGeneration == gIndicatorGeneration && gScheduledStreamCount == 0)
            NXHTTPRequest::hideNetworkActivityIndicator();
    });
}

}  // namespace

// ---- The request thread -------------------------------------------------------------

namespace {

// The one thread asynchronous requests run on. It is no detached NSThread that
// tests wait for: it lives as long as the process. At exit it stops serving
// before the state its requests use is destroyed, so a pooled connection the
// far end closes just then never wakes it into freed memory. It then waits
// for the process to end rather than ending itself: its own thread state (the
// TLS library's, say) would be torn down after that library's exit clean-up.
class RequestThread {
public:
    RequestThread()
    {
        std::promise<std::shared_ptr<NSRunLoop>> ready;
        auto future = ready.get_future();
        // The thread keeps its own share of the stop state: it may outlive this object.
        std::thread([stop = stop_, &ready] {
            NSThread::currentThread()->setName("NXHTTPRequest");
            auto current = NSRunLoop::currentRunLoop();
            // A source that never fires keeps the loop waiting for work.
            current->addSource(NSRunLoopSource::sourceWithHandler([] {}), NSDefaultRunLoopMode);
            ready.set_value(current);
            while (!stop->requested) current->runMode(NSDefaultRunLoopMode, NSClock::distantFuture);
            stop->done.set_value();
            std::promise<void>().get_future().wait();
        }).detach();
        loop_ = future.get();
    }

    ~RequestThread()
    {
        stop_->requested = true;
        loop_->stop();
        // A handler waiting for the main thread, which is exiting, would never
        // let the loop stop: exit goes on without it after a bounded wait.
        stop_->done.get_future().wait_for(kStopWait);
    }

    RequestThread(const RequestThread&) = delete;
    RequestThread& operator=(const RequestThread&) = delete;

    const std::shared_ptr<NSRunLoop>& loop() const { return loop_; }

private:
    struct Stop {
        std::atomic<bool> requested{false};
        std::promise<void> done;
    };
    static constexpr std::chrono::seconds kStopWait{5};
    const std::shared_ptr<Stop> stop_ = std::make_shared<Stop>();
    std::shared_ptr<NSRunLoop> loop_;
};

}  // namespace

std::shared_ptr<NSRunLoop> NXHTTPRequest::threadForRequest(const std::shared_ptr<NXHTTPRequest>&)
{
    // Made on first use, after the statics it relies on, so destroyed before them.
    static RequestThread thread;
    return thread.loop();
}

std::shared_ptr<NSOperationQueue> NXHTTPRequest::sharedQueue()
{
    static const std::shared_ptr<NSOperationQueue> queue = [] {
        auto q = NSOperationQueue::init();
        q->setMaxConcurrentOperationCount(kSharedQueueWidth);
        return q;
    }();
    return queue;
}

void NXHTTPRequest::start()
{
    inProgress_ = true;
    auto me = self();
    threadForRequest(me)->performBlock([me] { me->main(); }, {NSDefaultRunLoopMode});
}

void NXHTTPRequest::startAsynchronous() { sharedQueue()->addOperation(self()); }

// ---- Network activity -------------------------------------------------------------

bool NXHTTPRequest::isNetworkInUse()
{
    std::lock_guard l(gActivityLock);
    return gScheduledStreamCount > 0;
}

void NXHTTPRequest::setShouldUpdateNetworkActivityIndicator(bool update)
{
    std::lock_guard l(gActivityLock);
    gShouldUpdateIndicator = update;
}

void NXHTTPRequest::showNetworkActivityIndicator() { gIndicatorVisible = true; }
void NXHTTPRequest::hideNetworkActivityIndicator() { gIndicatorVisible = false; }
bool NXHTTPRequest::isNetworkActivityIndicatorVisible() { return gIndicatorVisible; }

void NXHTTPRequest::streamScheduled()
{
    std::lock_guard l(gActivityLock);
    ++gScheduledStreamCount;
    if (!gShouldUpdateIndicator) return;
    ++gIndicatorGeneration;
    showNetworkActivityIndicator();
}

void NXHTTPRequest::streamUnscheduled()
{
    std::lock_guard l(gActivityLock);
    --gScheduledStreamCount;
    if (!gShouldUpdateIndicator || gScheduledStreamCount > 0) return;
    // The hide runs on the main run loop, which outlives the worker threads
    // of synchronous requests.
    unsigned long generation = gIndicatorGeneration;
    if (NSThread::isMainThread()) planIndicatorHide(generation);
    else NSRunLoop::mainRunLoop()->performBlock([generation] { planIndicatorHide(generation); });
}
