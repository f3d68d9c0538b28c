// Pictures of the shared widgets: the pull-to-refresh arrow and the
// retractable sections' open/closed arrows (their rows' band is the period
// list's "middle_round").

#include "tools/artgen/Art.h"

namespace {

// A chevron pointing up or down, centred in the picture.
void chevron(CGContextRef c, CGSize s, bool up, CGFloat white)
{
    const CGFloat mx = s.width / 2, h = s.height * 0.3;
    const CGFloat tip = up ? s.height / 2 - h / 2 : s.height / 2 + h / 2;
    const CGFloat base = up ? tip + h : tip - h;
    CGContextSetRGBStrokeColor(c, white, white, white, 1);
    CGContextSetLineWidth(c, 2.5);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineJoin(c, kCGLineJoinRound);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, mx - s.width * 0.3, base);
    CGContextAddLineToPoint(c, mx, tip);
    CGContextAddLineToPoint(c, mx + s.width * 0.3, base);
    CGContextStrokePath(c);
}

}  // namespace

// Pointing down: the header shows it while the user may still pull.
NX_ART("blueArrow", 30, 55, [](CGContextRef c, CGSize s) {
    const CGFloat mx = s.width / 2;
    CGContextSetRGBFillColor(c, 0.20, 0.38, 0.65, 1);
    CGContextFillRect(c, CGRectMake(mx - 4, 2, 8, s.height - 20));
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 1, s.height - 22);
    CGContextAddLineToPoint(c, s.width - 1, s.height - 22);
    CGContextAddLineToPoint(c, mx, s.height - 1);
    CGContextClosePath(c);
    CGContextFillPath(c);
});

NX_ART("UpAccessory", 16, 16, [](CGContextRef c, CGSize s) { chevron(c, s, true, 0.2); });
NX_ART("DownAccessory", 16, 16, [](CGContextRef c, CGSize s) { chevron(c, s, false, 0.2); });
NX_ART("UpAccessoryWhite", 16, 16, [](CGContextRef c, CGSize s) { chevron(c, s, true, 1); });
NX_ART("DownAccessoryWhite", 16, 16, [](CGContextRef c, CGSize s) { chevron(c, s, false, 1); });
