#include "platform/foundation/NSOperation.h"

#include <algorithm>

#include "platform/foundation/NSThread.h"

// ---- NSOperation ----------------------------------------------------------------

void NSOperation::start()
{
    {
        std::lock_guard l(m_);
        if (executing_ || finished_) return;
        executing_ = !cancelled_;
    }
    if (!isCancelled()) main();
    {
        std::lock_guard l(m_);
        executing_ = false;
        finished_ = true;
    }
    didChangeFinished();
}

void NSOperation::cancel()
{
    std::lock_guard l(m_);
    cancelled_ = true;
}

bool NSOperation::isExecuting() const { std::lock_guard l(m_); return executing_; }
bool NSOperation::isFinished() const { std::lock_guard l(m_); return finished_; }
bool NSOperation::isCancelled() const { std::lock_guard l(m_); return cancelled_; }

bool NSOperation::isReady() const
{
    auto deps = dependencies();
    return std::all_of(deps.begin(), deps.end(), [](const auto& d) { return d->isFinished(); });
}

void NSOperation::addDependency(const std::shared_ptr<NSOperation>& operation)
{
    if (!operation || operation.get() == this) return;
    std::lock_guard l(m_);
    dependencies_.push_back(operation);
}

std::vector<std::shared_ptr<NSOperation>> NSOperation::dependencies() const
{
    std::lock_guard l(m_);
    return dependencies_;
}

long NSOperation::queuePriority() const { std::lock_guard l(m_); return priority_; }
void NSOperation::setQueuePriority(long priority) { std::lock_guard l(m_); priority_ = priority; }

void NSOperation::addFinishObserver(const std::shared_ptr<Observer>& observer)
{
    std::lock_guard l(m_);
    observers_.push_back(observer);
}

void NSOperation::didChangeFinished()
{
    std::vector<std::shared_ptr<Observer>> live;
    {
        std::lock_guard l(m_);
        for (auto& w : observers_)
            if (auto o = w.lock()) live.push_back(o);
    }
    auto keep = shared_from_this();
    for (auto& o : live) (*o)(this);
}

// ---- NSOperationQueue -------------------------------------------------------------

NSOperationQueue::NSOperationQueue() = default;
NSOperationQueue::~NSOperationQueue() = default;

void NSOperationQueue::addOperation(const std::shared_ptr<NSOperation>& operation)
{
    if (!operation) return;
    {
        std::lock_guard l(m_);
        if (!observer_) {
            std::weak_ptr<NSOperationQueue> weak = std::static_pointer_cast<NSOperationQueue>(shared_from_this());
            observer_ = std::make_shared<NSOperation::Observer>([weak](NSOperation* op) {
                if (auto q = weak.lock()) q->operationFinished(op);
            });
        }
        entries_.push_back(Entry{operation});
    }
    operation->addFinishObserver(observer_);
    startReadyOperations();
}

std::vector<std::shared_ptr<NSOperation>> NSOperationQueue::operations() const
{
    std::lock_guard l(m_);
    std::vector<std::shared_ptr<NSOperation>> ops;
    for (const auto& e : entries_) ops.push_back(e.operation);
    return ops;
}

unsigned long NSOperationQueue::operationCount() const
{
    std::lock_guard l(m_);
    return entries_.size();
}

void NSOperationQueue::cancelAllOperations()
{
    for (auto& op : operations()) op->cancel();
}

long NSOperationQueue::maxConcurrentOperationCount() const { std::lock_guard l(m_); return maxConcurrent_; }

void NSOperationQueue::setMaxConcurrentOperationCount(long count)
{
    {
        std::lock_guard l(m_);
        maxConcurrent_ = count;
    }
    startReadyOperations();
}

bool NSOperationQueue::isSuspended() const { std::lock_guard l(m_); return suspended_; }

void NSOperationQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard l(m_);
        suspended_ = suspended;
    }
    startReadyOperations();
}

void NSOperationQueue::startReadyOperations()
{
    for (;;) {
        std::shared_ptr<NSOperation> next;
        {
            std::lock_guard l(m_);
            if (suspended_) return;
            long running = std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.started; });
            if (maxConcurrent_ >= 0 && running >= maxConcurrent_) return;
            // The ready operation of highest priority; among equals the first added.
            Entry* best = nullptr;
            for (auto& e : entries_) {
                if (e.started || !e.operation->isReady()) continue;
                if (!best || e.operation->queuePriority() > best->operation->queuePriority()) best = &e;
            }
            if (!best) return;
            best->started = true;
            next = best->operation;
        }
        if (next->isFinished()) {
            operationFinished(next.get());
        } else if (next->isConcurrent()) {
            next->start();
        } else {
            NSThread::detachNewThreadWithBlock([next] { next->start(); });
        }
    }
}

void NSOperationQueue::operationFinished(NSOperation* operation)
{
    auto keep = shared_from_this();
    {
        std::lock_guard l(m_);
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.operation.get() == operation; });
        if (it == entries_.end()) return;
        entries_.erase(it);
    }
    startReadyOperations();
}
