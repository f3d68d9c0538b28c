#pragma once
// The delegate property of a request whose result arrives later: held weakly
// (the delegate must outlive the call, and one that is gone by then is
// skipped), readable and settable from any thread.

#include <memory>
#include <mutex>

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

