#pragma once
// Drawing shared by the stand-in's own views and the status bar.

#include "platform/uikit/CoreGraphics.h"

// The spinning wheel of an activity indicator, at rest: twelve spokes around
// the rectangle's middle, fading from the top one round, in a grey of the shade.
void NXContextDrawSpinner(CGContextRef c, CGRect rect, CGFloat shade);

// The status bar the device lays over the top 20 points of the screen, in the
// application's status bar style (UIStatusBarDrawing.cpp). The key window
// draws it over its content unless the application hides it.
constexpr CGFloat kNXStatusBarHeight = 20;
void NXDrawStatusBar(CGContextRef c, CGRect bar);
