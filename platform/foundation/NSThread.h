#pragma once
// Threads. The main thread is the thread that started the process; it runs the
// main run loop. Workers are detached: nobody joins them, but tests can wait
// for all of them to end.

#include <functional>
#include <memory>
#include <mutex>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class NSThread : public NSObject {
public:
    // Starts a detached thread that sends the selector to the target with the
    // object as argument; the thread keeps target and object alive while it runs.
    static void detachNewThreadSelector(SEL selector, const id& target, const id& object);
    static void detachNewThreadWithBlock(std::function<void()> block);

    // Whether the caller is the process's first thread (also right when the
    // first question comes from a worker).
    static bool isMainThread();
    static std::shared_ptr<NSThread> currentThread();

    // Runs the block on the main thread. When waiting, from the main thread it
    // runs at once; from another thread it is queued to the main run loop
    // (common modes) and the caller blocks until the main thread has run it, so
    // the main thread must be running its loop. Without waiting it is always
    // queued, also from the main thread, and runs on a later pass of the loop.
    static void performBlockOnMainThread(std::function<void()> block, bool waitUntilDone);

    // A real sleep: only for polling loops of the engine, never for tests.
    static void sleepForTimeInterval(NSTimeInterval seconds);

    // Waits (at most `timeout` real seconds) until every detached thread has
    // ended and been joined; returns whether all did. For tests, so that no
    // thread outlives the test that started it.
    static bool joinDetachedThreads(NSTimeInterval timeout);

    // "main" for the main thread, else "" until set.
    NSString name() const;
    void setName(const NSString& name);

private:
    mutable std::mutex m_;
    NSString name_ = "";
};

// A plain lock (BasicLockable, so std::lock_guard works). Locking it twice on
// one thread deadlocks, as the original.
class NSLock : public NSObject {
public:
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }
    bool tryLock() { return m_.try_lock(); }

private:
    std::mutex m_;
};

// A lock its holder may take again.
class NSRecursiveLock : public NSObject {
public:
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }
    bool tryLock() { return m_.try_lock(); }

private:
    std::recursive_mutex m_;
};
