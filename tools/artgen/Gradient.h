#pragma once
// The vertical two-colour gradient the generated pictures are shaded with.

#include "platform/uikit/CoreGraphics.h"

namespace artgen {

struct RGB {
    CGFloat r, g, b;
};

// Fills the rect from the top colour down to the bottom colour.
inline void verticalGradient(CGContextRef c, CGRect r, RGB top, RGB bottom)
{
    const CGFloat components[] = {top.r, top.g, top.b, 1, bottom.r, bottom.g, bottom.b, 1};
    const CGFloat locations[] = {0, 1};
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextSaveGState(c);
    CGContextClipToRect(c, r);
    CGContextDrawLinearGradient(c, gradient, CGPointMake(0, r.origin.y), CGPointMake(0, r.origin.y + r.size.height), 0);
    CGContextRestoreGState(c);
}

}  // namespace artgen
