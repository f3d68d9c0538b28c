// Pictures of the phone screens: the home page's backdrop, its alert line in
// its three states, the panels' header and body, the one-key button face and
// the alert detail rows.
#include "tools/artgen/Art.h"

namespace {

struct RGB {
    CGFloat r, g, b;
};

void gradient(CGContextRef c, CGRect r, RGB top, RGB bottom, CGFloat alpha = 1)
{
    const CGFloat components[] = {top.r, top.g, top.b, alpha, bottom.r, bottom.g, bottom.b, alpha};
    const CGFloat locations[] = {0, 1};
    auto g = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, r, 0, 0);
    CGContextClip(c);
    CGContextDrawLinearGradient(c, g, CGPointMake(0, r.origin.y), CGPointMake(0, r.origin.y + r.size.height), 0);
    CGContextRestoreGState(c);
}

void rounded(CGContextRef c, CGRect r, CGFloat top, CGFloat bottom, RGB from, RGB to, CGFloat alpha = 1)
{
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, r, top, bottom);
    CGContextClip(c);
    gradient(c, r, from, to, alpha);
    CGContextRestoreGState(c);
}

void outline(CGContextRef c, CGRect r, CGFloat top, CGFloat bottom, RGB colour, CGFloat alpha)
{
    CGContextSetRGBStrokeColor(c, colour.r, colour.g, colour.b, alpha);
    CGContextSetLineWidth(c, 1);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectInset(r, 0.5, 0.5), top, bottom);
    CGContextStrokePath(c);
}

// The alert line: a rounded bar with a round badge on the left.
void alertLine(CGContextRef c, CGSize s, RGB top, RGB bottom, RGB badge)
{
    const CGRect r = CGRectMake(0, 0, s.width, s.height);
    rounded(c, r, 8, 8, top, bottom);
    outline(c, r, 8, 8, {1, 1, 1}, 0.35);
    CGContextSetRGBFillColor(c, badge.r, badge.g, badge.b, 1);
    CGContextFillEllipseInRect(c, CGRectMake(14, s.height / 2 - 11, 22, 22));
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(24, s.height / 2 - 7, 2, 9));
    CGContextFillRect(c, CGRectMake(24, s.height / 2 + 4, 2, 2));
}

void detailRow(CGContextRef c, CGSize s, bool last)
{
    rounded(c, CGRectMake(0, 0, s.width, s.height), 0, last ? 8 : 0, {0.20, 0.22, 0.26}, {0.14, 0.15, 0.18}, 0.95);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.15);
    CGContextFillRect(c, CGRectMake(0, s.height - 1, s.width, 1));
    CGContextSetRGBFillColor(c, 0.85, 0.25, 0.2, 1);
    CGContextFillEllipseInRect(c, CGRectMake(14, s.height / 2 - 5, 10, 10));
}

}  // namespace

NX_ART("shouye_vesk", 320, 480, [](CGContextRef c, CGSize s) {
    gradient(c, CGRectMake(0, 0, s.width, s.height), {0.13, 0.16, 0.22}, {0.05, 0.06, 0.09});
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.025);
    for (CGFloat y = 0; y < s.height; y += 8) CGContextFillRect(c, CGRectMake(0, y, s.width, 1));
});

NX_ART("useingnow_vesk", 290, 40, [](CGContextRef c, CGSize s) {
    alertLine(c, s, {0.22, 0.45, 0.70}, {0.12, 0.28, 0.50}, {0.25, 0.70, 0.35});
});

NX_ART("immesinfo_normal", 290, 40, [](CGContextRef c, CGSize s) {
    alertLine(c, s, {0.99, 0.86, 0.45}, {0.93, 0.70, 0.20}, {0.85, 0.20, 0.18});
});

NX_ART("immesinfo_vesk", 290, 40, [](CGContextRef c, CGSize s) {
    alertLine(c, s, {0.93, 0.70, 0.20}, {0.99, 0.86, 0.45}, {0.85, 0.20, 0.18});
    CGContextSetRGBFillColor(c, 0.3, 0.2, 0.05, 1);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, s.width - 26, s.height / 2 - 3);
    CGContextAddLineToPoint(c, s.width - 14, s.height / 2 - 3);
    CGContextAddLineToPoint(c, s.width - 20, s.height / 2 + 4);
    CGContextClosePath(c);
    CGContextFillPath(c);
});

NX_ART("yijian_vesk", 290, 23, [](CGContextRef c, CGSize s) {
    const CGRect r = CGRectMake(0, 0, s.width, s.height);
    rounded(c, r, 8, 0, {0.32, 0.36, 0.42}, {0.20, 0.23, 0.28});
    CGContextSetRGBFillColor(c, 0.95, 0.65, 0.15, 1);
    CGContextFillEllipseInRect(c, CGRectMake(8, s.height / 2 - 4, 8, 8));
});

NX_ART("yijiandi_vesk", 290, 100, [](CGContextRef c, CGSize s) {
    const CGRect r = CGRectMake(0, 0, s.width, s.height);
    rounded(c, r, 0, 8, {0.16, 0.18, 0.22}, {0.10, 0.11, 0.14}, 0.92);
    outline(c, r, 0, 8, {1, 1, 1}, 0.12);
});

NX_ART("butbgcut_vesk", 126, 41, [](CGContextRef c, CGSize s) {
    const CGRect r = CGRectMake(1, 2, s.width - 2, s.height - 4);
    rounded(c, r, 7, 7, {0.30, 0.50, 0.78}, {0.14, 0.28, 0.55});
    outline(c, r, 7, 7, {0.05, 0.10, 0.25}, 0.9);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.18);
    CGContextFillRect(c, CGRectMake(6, 3, s.width - 12, 1));
});

NX_ART("alertBackFirst", 290, 41, [](CGContextRef c, CGSize s) { detailRow(c, s, false); });

NX_ART("alertBackSecond", 290, 41, [](CGContextRef c, CGSize s) { detailRow(c, s, true); });
