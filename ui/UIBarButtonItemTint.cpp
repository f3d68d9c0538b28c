#include "ui/UIBarButtonItemTint.h"

#include <algorithm>

#include "platform/uikit/UIControl.h"

std::shared_ptr<UIBarButtonItem> barButtonItemWithTint(const std::shared_ptr<UIColor>& tint, const NSString& title,
                                                       const id& target, SEL selector)
{
    auto control = UISegmentedControl::initWithItems({title});
    control->momentary = true;
    control->segmentedControlStyle = UISegmentedControlStyleBar;
    control->tintColor = tint;
    // As the platform sizes a bar-style control: 30 high, as wide as its title.
    const CGFloat width = title.isNil() ? 0 : sizeWithFont(title, UIFont::boldSystemFontOfSize(12)).width;
    control->setFrame(CGRectMake(0, 0, std::max<CGFloat>(width + 20, 44), 30));
    control->addTarget(target, std::move(selector), UIControlEventValueChanged);
    return UIBarButtonItem::initWithCustomView(control);
}
