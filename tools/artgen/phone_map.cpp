// Pictures of the location map screen: the button that opens its option
// panel, three white bars on a dark rounded square; and the background of the
// panels' buttons, a deep blue dark enough that both the white titles and the
// green one of the positioning mode read on it, over the map and on the black
// option bar alike.
#include "tools/artgen/Art.h"

NX_ART("mapctrl_options", 36, 36, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.75);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 0, 7);
    CGContextFillPath(c);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    for (int i = 0; i < 3; ++i) CGContextFillRect(c, CGRectMake(9, 10 + i * 7, s.width - 18, 3));
});

// Stretched sideways between caps of 8 points.
NX_ART("mapctrl_button", 17, 30, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, s.width - 1, s.height - 1), 6, 6);
    CGContextSetRGBFillColor(c, 0.08, 0.22, 0.42, 1);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(2, 2, s.width - 4, 12), 5, 5);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.12);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, s.width - 1, s.height - 1), 6, 6);
    CGContextSetRGBStrokeColor(c, 0.45, 0.62, 0.85, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokePath(c);
});
