#pragma once
// Shared by the run-time tests: a virtual clock per test, and a watchdog that
// ends a run loop's wait after a real bound so that a broken wake-up fails the
// test instead of hanging it.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

class VirtualClockTest : public ::testing::Test {
protected:
    void SetUp() override { NSClock::useVirtualClock(1000000000.0); }
    void TearDown() override
    {
        EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
        NSClock::useRealClock();
    }
};

class Watchdog {
public:
    Watchdog(std::shared_ptr<NSRunLoop> loop, double seconds)
        : thread_([this, loop, seconds] {
              std::unique_lock lock(m_);
              if (!cv_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return done_; })) {
                  fired_ = true;
                  loop->stop();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
