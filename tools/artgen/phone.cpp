// Pictures of the phone screens not shared with the PC home page (whose
// pictures, tools/artgen/pc_home.cpp, the phone home page shows too): the
// last row of the alert detail panel, in the tones of the panel's first rows.
#include "tools/artgen/Art.h"

NX_ART("alertBackSecond", 290, 41, [](CGContextRef c, CGSize s) {
    const CGFloat components[] = {0.24, 0.20, 0.20, 1, 0.18, 0.14, 0.14, 1};
    const CGFloat locations[] = {0, 1};
    auto g = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, s.width - 1, s.height - 1), 0, 6);
    CGContextClip(c);
    CGContextDrawLinearGradient(c, g, CGPointMake(0, 0), CGPointMake(0, s.height), 0);
    CGContextRestoreGState(c);
});
