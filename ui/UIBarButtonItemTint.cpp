#include "ui/UIBarButtonItemTint.h"

#include "platform/uikit/UIControl.h"

std::shared_ptr<UIBarButtonItem> barButtonItemWithTint(const std::shared_ptr<UIColor>& tint, const NSString& title,
                                                       const id& target, SEL selector)
{
    auto control = UISegmentedControl::initWithItems({title});
    control->momentary = true;
    control->segmentedControlStyle = UISegmentedControlStyleBar;
    control->tintColor = tint;
    control->addTarget(target, std::move(selector), UIControlEventValueChanged);
    return UIBarButtonItem::initWithCustomView(control);
}
