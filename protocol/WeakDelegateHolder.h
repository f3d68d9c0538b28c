#pragma once
// The delegate property of a request whose result arrives later: held weakly
// (the delegate must outlive the call, and one that is gone by then is
// skipped), readable and settable from any thread.

#include <memory>
#include <mutex>

#include "platform/foundation/NSThread.h"

template <class Delegate>
class WeakDelegateHolder {
public:
    std::weak_ptr<Delegate> delegate() const
    {
        std::lock_guard lock(mutex_);
        return delegate_;
    }
    void setDelegate(std::weak_ptr<Delegate> delegate)
    {
        std::lock_guard lock(mutex_);
        delegate_ = std::move(delegate);
    }

private:
    mutable std::mutex mutex_;
    std::weak_ptr<Delegate> delegate_;
};

// Calls the delegate's method with the value on the main thread. The delegate
// is held weakly throughout: when it is gone by the time the call runs, the
// call is skipped.
template <class Delegate, class Value>
void deliverOnMainThread(const std::weak_ptr<Delegate>& delegate, void (Delegate::*method)(Value), Value value,
                         bool waitUntilDone)
{
    NSThread::performBlockOnMainThread(
        [delegate, method, value = std::move(value)] {
            if (auto d = delegate.lock()) ((*d).*method)(value);
        },
        waitUntilDone);
}
