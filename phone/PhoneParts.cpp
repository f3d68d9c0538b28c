#include "phone/PhoneParts.h"

#include "app/Ulvo.h"
#include "pc/PCTimeCommon.h"
#include "platform/foundation/NSTimer.h"

std::shared_ptr<UIBarButtonItem> phoneBarItem(const NSString& title, const id& target, SEL action)
{
    auto button = Ulvo::customBackButton(title, "button_vesk", NSString(), NSString());
    button->addTarget(target, std::move(action), UIControlEventTouchUpInside);
    return UIBarButtonItem::initWithCustomView(button);
}

void hideHUDAfter(const std::shared_ptr<UIView>& view, NSTimeInterval delay)
{
    std::weak_ptr<UIView> weak = view;
    NSTimer::scheduledTimerWithTimeInterval(delay, false, [weak](NSTimer&) {
        if (auto v = weak.lock()) hideHUD(v.get());
    });
}
