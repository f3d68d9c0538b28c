#pragma once
// A lock for very short critical sections: taking and releasing it when
// nobody else holds it is one atomic exchange and one store, where a mutex
// goes through the threads library each time. A waiter spins briefly and then
// yields its processor, so a holder that was preempted can finish. Usable
// with std::lock_guard and std::unique_lock (including std::try_to_lock).

#include <atomic>
#include <thread>

class OSSpinLock {
public:
    OSSpinLock() = default;
    OSSpinLock(const OSSpinLock&) = delete;
    OSSpinLock& operator=(const OSSpinLock&) = delete;

    void lock()
    {
        for (int spins = 0; !try_lock(); ++spins)
            if (spins >= kSpinsBeforeYield) std::this_thread::yield();
    }

    bool try_lock() { return !held_.load(std::memory_order_relaxed) && !held_.exchange(true, std::memory_order_acquire); }

    void unlock() { held_.store(false, std::memory_order_release); }

private:
    static constexpr int kSpinsBeforeYield = 64;
    std::atomic<bool> held_{false};
};
