// The perform family of NSObject, on run loops and the main thread.

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

id retainedSelf(NSObject* self, const char* what)
{
    id strong = self->weak_from_this().lock();
    if (!strong)
        throw NSException(NSInvalidArgumentException,
                          NSString(std::string(what) + ": the receiver must be owned by a shared_ptr"));
    return strong;
}

}  // namespace

void NSObject::performSelector(const SEL& selector, const id& argument, NSTimeInterval delay)
{
    id self = retainedSelf(this, "performSelector");
    auto timer = NSTimer::timerWithTimeInterval(delay, false, [self, selector, argument](NSTimer&) {
        selector.perform(self.get(), argument);
    });
    timer->perform_ = NSTimer::PerformRequest{this, selector.name, argument.get()};
    NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
}

void NSObject::cancelPreviousPerformRequestsWithTarget(NSObject* target)
{
    NSRunLoop::currentRunLoop()->cancelPerformRequests(target, nullptr, nullptr);
}

void NSObject::cancelPreviousPerformRequestsWithTarget(NSObject* target, const SEL& selector, const id& argument)
{
    NSRunLoop::currentRunLoop()->cancelPerformRequests(target, &selector.name, argument.get());
}

void NSObject::performSelectorOnMainThread(const SEL& selector, const id& argument, bool waitUntilDone)
{
    if (waitUntilDone) {
        // The caller waits, so it keeps everything alive itself.
        NSThread::performBlockOnMainThread([&] { selector.perform(this, argument); }, true);
        return;
    }
    id self = retainedSelf(this, "performSelectorOnMainThread");
    NSThread::performBlockOnMainThread([self, selector, argument] { selector.perform(self.get(), argument); }, false);
}
