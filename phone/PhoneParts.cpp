#include "phone/PhoneParts.h"

#include "pc/PCTimeCommon.h"
#include "platform/foundation/NSTimer.h"

void hideHUDAfter(const std::shared_ptr<UIView>& view, NSTimeInterval delay)
{
    std::weak_ptr<UIView> weak = view;
    NSTimer::scheduledTimerWithTimeInterval(delay, false, [weak](NSTimer&) {
        if (auto v = weak.lock()) hideHUD(v.get());
    });
}
