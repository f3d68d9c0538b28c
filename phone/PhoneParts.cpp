#include "phone/PhoneParts.h"

#include "app/PCTimeCommon.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSTimer.h"

void hideHUDAfter(const std::shared_ptr<UIView>& view, NSTimeInterval delay)
{
    std::weak_ptr<UIView> weak = view;
    NSTimer::scheduledTimerWithTimeInterval(delay, false, [weak](NSTimer&) {
        if (auto v = weak.lock()) hideHUD(v.get());
    });
}

NSString dayOf(const NSString& time)
{
    auto reader = NSDateFormatter::init();
    reader->setDateFormat("yyyy-MM-dd HH:mm:ss");
    auto date = time.isNil() ? std::nullopt : reader->dateFromString(time);
    if (!date) return "";
    auto writer = NSDateFormatter::init();
    writer->setDateFormat("yyyy-MM-dd");
    return writer->stringFromDate(*date);
}
