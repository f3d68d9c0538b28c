#include "platform/uikit/UIKitClock.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"

// A one-shot timer on the main run loop in the common modes, so that an
// animation also ends while a scroll view tracks a finger.
void nxuiAfterDelay(NSTimeInterval delay, std::function<void()> work)
{
    auto timer = NSTimer::timerWithTimeInterval(delay, false, [work = std::move(work)](NSTimer&) { work(); });
    NSRunLoop::mainRunLoop()->addTimer(timer, NSRunLoopCommonModes);
}
