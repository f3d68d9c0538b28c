// Pictures of the location map screen: the button that opens its option
// panel, three white bars on a dark rounded square.
#include "tools/artgen/Art.h"

NX_ART("mapctrl_options", 36, 36, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.75);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(1, 1, s.width - 2, s.height - 2), 0, 7);
    CGContextFillPath(c);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    for (int i = 0; i < 3; ++i) CGContextFillRect(c, CGRectMake(9, 10 + i * 7, s.width - 18, 3));
});
