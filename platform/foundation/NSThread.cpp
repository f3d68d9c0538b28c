#include "platform/foundation/NSThread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <thread>

#include "platform/foundation/NSRunLoop.h"

namespace {

// The detached threads still to be joined. Each thread reports its end; the
// next detach or joinDetachedThreads joins the finished ones.
struct DetachedThreads {
    std::mutex m;
    std::condition_variable ended;
    int running = 0;
    std::map<std::thread::id, std::thread> threads;
    std::vector<std::thread::id> finished;

    // Takes the finished threads out, to be joined without the lock.
    std::vector<std::thread> takeFinished()
    {
        std::vector<std::thread> done;
        for (auto& tid : finished) {
            auto it = threads.find(tid);
            done.push_back(std::move(it->second));
            threads.erase(it);
        }
        finished.clear();
        return done;
    }
};

DetachedThreads& detached()
{
    // Threads still running at exit keep using it: never destroyed.
    static auto* d = new DetachedThreads;
    return *d;
}

void joinAll(std::vector<std::thread>& threads)
{
    for (auto& t : threads) t.join();
}

}  // namespace

bool NSThread::isMainThread()
{
    // On Linux the first thread's id is the process id, whoever asks first.
    // A thread's answer never changes, so it is asked of the kernel once.
    thread_local const bool isMain = syscall(SYS_gettid) == getpid();
    return isMain;
}

std::shared_ptr<NSThread> NSThread::currentThread()
{
    if (isMainThread()) {
        static auto* main = new std::shared_ptr<NSThread>([] {
            auto t = std::make_shared<NSThread>();
            t->setName("main");
            return t;
        }());
        return *main;
    }
    thread_local auto current = std::make_shared<NSThread>();
    return current;
}

NSString NSThread::name() const
{
    std::lock_guard lock(m_);
    return name_;
}

void NSThread::setName(const NSString& name)
{
    std::lock_guard lock(m_);
    name_ = name;
}

void NSThread::detachNewThreadSelector(SEL selector, const id& target, const id& object)
{
    detachNewThreadWithBlock([selector = std::move(selector), target, object] { selector.perform(target.get(), object); });
}

void NSThread::detachNewThreadWithBlock(std::function<void()> block)
{
    auto& d = detached();
    std::vector<std::thread> done;
    {
        std::lock_guard lock(d.m);
        done = d.takeFinished();
        // Registered under the lock, so the thread cannot report its end first.
        std::thread t([block = std::move(block)]() mutable {
            block();
            block = nullptr;  // what it kept alive goes before the thread counts as ended
            auto& d = detached();
            std::lock_guard lock(d.m);
            --d.running;
            d.finished.push_back(std::this_thread::get_id());
            d.ended.notify_all();
        });
        ++d.running;
        auto tid = t.get_id();
        d.threads.emplace(tid, std::move(t));
    }
    joinAll(done);
}

bool NSThread::joinDetachedThreads(NSTimeInterval timeout)
{
    auto& d = detached();
    std::vector<std::thread> done;
    bool allEnded;
    {
        std::unique_lock lock(d.m);
        allEnded = d.ended.wait_for(lock, std::chrono::duration<double>(timeout), [&] { return d.running == 0; });
        done = d.takeFinished();
    }
    joinAll(done);
    return allEnded;
}

void NSThread::sleepForTimeInterval(NSTimeInterval seconds)
{
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void NSThread::performBlockOnMainThread(std::function<void()> block, bool waitUntilDone)
{
    if (!waitUntilDone) {
        NSRunLoop::mainRunLoop()->performBlock(std::move(block));
        return;
    }
    if (isMainThread()) {
        block();
        return;
    }
    struct Done {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    NSRunLoop::mainRunLoop()->performBlock([&block, done] {
        // Also when the block throws, the waiting thread goes on.
        struct Release {
            Done& d;
            ~Release()
            {
                std::lock_guard lock(d.m);
                d.done = true;
                d.cv.notify_all();
            }
        } release{*done};
        block();
    });
    std::unique_lock lock(done->m);
    done->cv.wait(lock, [&] { return done->done; });
}
