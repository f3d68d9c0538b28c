#pragma once
// What the phone screens share besides the menus' parts (app/MenuParts.h).

#include <memory>

#include "platform/uikit/UIViewController.h"

// Hides a shown HUD of the view after the delay, on the main run loop's clock,
// while the view lives.
void hideHUDAfter(const std::shared_ptr<UIView>& view, NSTimeInterval delay);

// "yyyy-MM-dd HH:mm:ss" written as "yyyy-MM-dd"; empty when it does not read.
NSString dayOf(const NSString& time);
