#pragma once
// What the phone screens share: the bar buttons in the application's style
// and the HUD calls of a screen's view.

#include <memory>

#include "platform/uikit/UIViewController.h"

// A bar item holding Ulvo's back button titled with the text, on "button_vesk",
// whose touch-up-inside sends the action to the target.
std::shared_ptr<UIBarButtonItem> phoneBarItem(const NSString& title, const id& target, SEL action);

// Hides a shown HUD of the view after the delay, on the main run loop's clock,
// while the view lives.
void hideHUDAfter(const std::shared_ptr<UIView>& view, NSTimeInterval delay);
