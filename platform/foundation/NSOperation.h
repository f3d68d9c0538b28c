#pragma once
// Operations and the queue that runs them: at most a given number at once, in
// order of queue priority, each only after the operations it depends on have
// finished, none while the queue is suspended.
//
// A plain operation runs main() on a detached thread of the queue and is
// finished when main() returns. A concurrent one (isConcurrent() YES) is
// started by the queue and runs wherever its start() sends it; it reports
// the end of its work with didChangeFinished().

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/foundation/NSObject.h"

class NSOperationQueue;

enum NSOperationQueuePriority : long {
    NSOperationQueuePriorityVeryLow = -8,
    NSOperationQueuePriorityLow = -4,
    NSOperationQueuePriorityNormal = 0,
    NSOperationQueuePriorityHigh = 4,
    NSOperationQueuePriorityVeryHigh = 8,
};

class NSOperation : public NSObject {
public:
    // Runs main() unless cancelled, then finishes. Concurrent operations replace it.
    virtual void start();
    virtual void main() {}
    virtual void cancel();

    virtual bool isConcurrent() const { return false; }
    virtual bool isExecuting() const;
    virtual bool isFinished() const;
    virtual bool isCancelled() const;
    // Every dependency has finished.
    bool isReady() const;

    void addDependency(const std::shared_ptr<NSOperation>& operation);
    std::vector<std::shared_ptr<NSOperation>> dependencies() const;

    long queuePriority() const;
    void setQueuePriority(long priority);

protected:
    // Tells the queues that hold the operation that isFinished() now answers YES.
    void didChangeFinished();

private:
    friend class NSOperationQueue;
    using Observer = std::function<void(NSOperation*)>;
    void addFinishObserver(const std::shared_ptr<Observer>& observer);

    mutable std::mutex m_;
    bool executing_ = false, finished_ = false, cancelled_ = false;
    long priority_ = NSOperationQueuePriorityNormal;
    std::vector<std::shared_ptr<NSOperation>> dependencies_;
    std::vector<std::weak_ptr<Observer>> observers_;
};

class NSOperationQueue : public NSObject {
public:
    NSOperationQueue();
    ~NSOperationQueue() override;
    static std::shared_ptr<NSOperationQueue> init() { return std::make_shared<NSOperationQueue>(); }

    virtual void addOperation(const std::shared_ptr<NSOperation>& operation);
    // Operations added and not yet finished, in the order added.
    std::vector<std::shared_ptr<NSOperation>> operations() const;
    unsigned long operationCount() const;
    virtual void cancelAllOperations();

    long maxConcurrentOperationCount() const;
    void setMaxConcurrentOperationCount(long count);
    bool isSuspended() const;
    virtual void setSuspended(bool suspended);

private:
    struct Entry {
        std::shared_ptr<NSOperation> operation;
        bool started = false;
    };
    // Starts what may start now.
    void startReadyOperations();
    void operationFinished(NSOperation* operation);

    mutable std::mutex m_;
    std::vector<Entry> entries_;
    long maxConcurrent_ = -1;  // no limit
    bool suspended_ = false;
    std::shared_ptr<NSOperation::Observer> observer_;
};
