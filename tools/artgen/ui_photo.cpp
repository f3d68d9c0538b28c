// The photo viewer's pictures: toolbar arrows, full-screen buttons, and the
// placeholders a page shows while loading and after a failure.
#include <cmath>

#include "tools/artgen/Art.h"

namespace {

void arrow(CGContextRef c, CGSize s, bool pointsLeft)
{
    const CGFloat tip = pointsLeft ? s.width * 0.2 : s.width * 0.8;
    const CGFloat back = pointsLeft ? s.width * 0.75 : s.width * 0.25;
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, tip, s.height / 2);
    CGContextAddLineToPoint(c, back, s.height * 0.15);
    CGContextAddLineToPoint(c, back, s.height * 0.85);
    CGContextClosePath(c);
    CGContextFillPath(c);
}

// Four corner brackets; outward ones mean "full screen", inward ones "leave it".
void corners(CGContextRef c, CGSize s, bool outward)
{
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, 2.5);
    CGContextSetLineCap(c, kCGLineCapRound);
    const CGFloat m = s.width * 0.22, len = s.width * 0.2;
    const CGPoint corner[] = {{m, m}, {s.width - m, m}, {m, s.height - m}, {s.width - m, s.height - m}};
    for (const CGPoint& p : corner) {
        const CGFloat dx = p.x < s.width / 2 ? 1 : -1, dy = p.y < s.height / 2 ? 1 : -1;
        // Outward: the bracket's corner sits at the edge; inward: it points to the middle.
        const CGPoint at = outward ? p : CGPointMake(p.x + dx * len, p.y + dy * len);
        const CGFloat sx = outward ? dx : -dx, sy = outward ? dy : -dy;
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, at.x + sx * len, at.y);
        CGContextAddLineToPoint(c, at.x, at.y);
        CGContextAddLineToPoint(c, at.x, at.y + sy * len);
        CGContextStrokePath(c);
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, at.x, at.y);
        CGContextAddLineToPoint(c, at.x + sx * len * 0.8, at.y + sy * len * 0.8);
        CGContextStrokePath(c);
    }
}

// A dark picture frame with a landscape: the common ground of both placeholders.
void frame(CGContextRef c, CGSize s)
{
    const CGRect box = CGRectInset(CGRectMake(0, 0, s.width, s.height), s.width * 0.1, s.height * 0.18);
    CGContextSetRGBFillColor(c, 0.16, 0.16, 0.17, 1);
    CGContextFillRect(c, box);
    CGContextSetRGBStrokeColor(c, 0.45, 0.45, 0.47, 1);
    CGContextSetLineWidth(c, 2);
    CGContextStrokeRect(c, CGRectInset(box, 1, 1));
    CGContextSetRGBFillColor(c, 0.32, 0.32, 0.34, 1);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, CGRectGetMinX(box) + 4, CGRectGetMaxY(box) - 4);
    CGContextAddLineToPoint(c, CGRectGetMinX(box) + box.size.width * 0.35, CGRectGetMinY(box) + box.size.height * 0.45);
    CGContextAddLineToPoint(c, CGRectGetMinX(box) + box.size.width * 0.55, CGRectGetMinY(box) + box.size.height * 0.7);
    CGContextAddLineToPoint(c, CGRectGetMinX(box) + box.size.width * 0.72, CGRectGetMinY(box) + box.size.height * 0.5);
    CGContextAddLineToPoint(c, CGRectGetMaxX(box) - 4, CGRectGetMaxY(box) - 4);
    CGContextClosePath(c);
    CGContextFillPath(c);
    const CGFloat r = box.size.height * 0.12;
    CGContextFillEllipseInRect(c, CGRectMake(CGRectGetMaxX(box) - box.size.width * 0.28, CGRectGetMinY(box) + box.size.height * 0.15,
                                             2 * r, 2 * r));
}

NX_ART("pixpv_left", 20, 20, [](CGContextRef c, CGSize s) { arrow(c, s, true); });
NX_ART("pixpv_right", 20, 20, [](CGContextRef c, CGSize s) { arrow(c, s, false); });
NX_ART("pixpv_fullscreen_button", 40, 40, [](CGContextRef c, CGSize s) { corners(c, s, true); });
NX_ART("pixpv_minimize_fullscreen_button", 40, 40, [](CGContextRef c, CGSize s) { corners(c, s, false); });
NX_ART("pixpv_photo_placeholder", 120, 120, [](CGContextRef c, CGSize s) { frame(c, s); });
NX_ART("pixpv_error_placeholder", 120, 120, [](CGContextRef c, CGSize s) {
    frame(c, s);
    // A red disc with a white cross over the landscape.
    const CGFloat r = s.width * 0.17;
    const CGPoint m = CGPointMake(s.width / 2, s.height / 2);
    CGContextSetRGBFillColor(c, 0.82, 0.18, 0.16, 1);
    CGContextFillEllipseInRect(c, CGRectMake(m.x - r, m.y - r, 2 * r, 2 * r));
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, 3);
    CGContextSetLineCap(c, kCGLineCapRound);
    const CGFloat a = r * 0.45;
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, m.x - a, m.y - a);
    CGContextAddLineToPoint(c, m.x + a, m.y + a);
    CGContextMoveToPoint(c, m.x + a, m.y - a);
    CGContextAddLineToPoint(c, m.x - a, m.y + a);
    CGContextStrokePath(c);
});

}  // namespace
