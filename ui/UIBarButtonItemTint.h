#pragma once
// UIBarButtonItem(Tint): a tinted bar button made of a one-segment momentary
// segmented control in the bar style.

#include "platform/uikit/UIViewController.h"

// The control sends the action to the target on value-changed.
std::shared_ptr<UIBarButtonItem> barButtonItemWithTint(const std::shared_ptr<UIColor>& tint, const NSString& title,
                                                       const id& target, SEL selector);
