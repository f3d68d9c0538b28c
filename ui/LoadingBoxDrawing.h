#pragma once
// Drawing helpers of the loading box (a class-method category on UIView, as
// free functions): rounded boxes, gradients and lines into the current context.

#include <memory>
#include <vector>

#include "platform/uikit/UIView.h"

// Fills the rounded rectangle with the current fill colour.
void drawRoundRectangleInRect(CGRect rect, CGFloat radius);
// A vertical gradient of the colours over the rectangle, from its top to its
// height, continued beyond both ends; the context state is kept.
void drawGradientInRect(CGRect rect, const std::vector<std::shared_ptr<UIColor>>& colors);
// A two-stop gradient of eight RGBA components from a quarter to three
// quarters of the height, continued beyond both ends.
void drawLinearGradientInRect(CGRect rect, const CGFloat* colors);
// A line from the rectangle's origin to its far corner in the RGBA colour.
void drawLineInRect(CGRect rect, const CGFloat* colors, CGFloat width, CGLineCap cap);
void drawLineInRect(CGRect rect, const CGFloat* colors);
void drawLineInRect(CGRect rect, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
