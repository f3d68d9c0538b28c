// Pictures of the PC home page and the record screens: the page's tile, the
// panels and bars of the home page, the alert rows, the list header strip,
// the record detail's placeholder and button.
#include "tools/artgen/Art.h"

namespace {

void fill(CGContextRef c, CGRect r, CGFloat red, CGFloat g, CGFloat b, CGFloat a = 1)
{
    CGContextSetRGBFillColor(c, red, g, b, a);
    CGContextFillRect(c, r);
}

void gradient(CGContextRef c, CGSize s, CGFloat r0, CGFloat g0, CGFloat b0, CGFloat r1, CGFloat g1, CGFloat b1, CGFloat radius)
{
    const CGFloat components[] = {r0, g0, b0, 1, r1, g1, b1, 1};
    const CGFloat locations[] = {0, 1};
    auto g = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, s.width - 1, s.height - 1), radius, radius);
    CGContextClip(c);
    CGContextDrawLinearGradient(c, g, CGPointMake(0, 0), CGPointMake(0, s.height), 0);
    CGContextRestoreGState(c);
}

// A bar with a round badge at the left, where the alert bar's text starts after.
void bar(CGContextRef c, CGSize s, CGFloat r0, CGFloat g0, CGFloat b0, CGFloat r1, CGFloat g1, CGFloat b1)
{
    gradient(c, s, r0, g0, b0, r1, g1, b1, 8);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.85);
    CGContextFillEllipseInRect(c, CGRectMake(14, s.height / 2 - 11, 22, 22));
    CGContextSetRGBFillColor(c, r1 * 0.6, g1 * 0.6, b1 * 0.6, 1);
    CGContextFillRect(c, CGRectMake(23.5, s.height / 2 - 7, 3, 9));
    CGContextFillRect(c, CGRectMake(23.5, s.height / 2 + 4, 3, 3));
}

}  // namespace

NX_ART("shouye_vesk", 32, 32, [](CGContextRef c, CGSize s) {
    fill(c, CGRectMake(0, 0, s.width, s.height), 0.11, 0.13, 0.17);
    fill(c, CGRectMake(0, 0, s.width, 1), 0.14, 0.16, 0.21);
});
NX_ART("cell_head", 16, 22, [](CGContextRef c, CGSize s) { gradient(c, s, 0.32, 0.36, 0.44, 0.18, 0.20, 0.26, 0); });
NX_ART("protect", 290, 184, [](CGContextRef c, CGSize s) { gradient(c, s, 0.20, 0.30, 0.45, 0.10, 0.16, 0.26, 10); });
NX_ART("32", 24, 24, [](CGContextRef c, CGSize s) {
    fill(c, CGRectMake(2, 3, 20, 13), 0.85, 0.88, 0.92);
    fill(c, CGRectMake(4, 5, 16, 9), 0.25, 0.50, 0.80);
    fill(c, CGRectMake(9, 16, 6, 3), 0.85, 0.88, 0.92);
    fill(c, CGRectMake(6, 19, 12, 2), 0.85, 0.88, 0.92);
});
NX_ART("yijian_vesk", 290, 23, [](CGContextRef c, CGSize s) { gradient(c, s, 0.35, 0.45, 0.60, 0.20, 0.28, 0.40, 6); });
NX_ART("yijiandi_vesk", 290, 59, [](CGContextRef c, CGSize s) { gradient(c, s, 0.16, 0.20, 0.27, 0.12, 0.15, 0.20, 6); });
NX_ART("butbgcut_vesk", 126, 41, [](CGContextRef c, CGSize s) { gradient(c, s, 0.40, 0.42, 0.48, 0.18, 0.19, 0.23, 8); });
NX_ART("useingnow_vesk", 290, 40, [](CGContextRef c, CGSize s) { bar(c, s, 0.25, 0.55, 0.32, 0.14, 0.38, 0.20); });
NX_ART("immesinfo_normal", 290, 40, [](CGContextRef c, CGSize s) { bar(c, s, 0.98, 0.86, 0.40, 0.90, 0.66, 0.16); });
NX_ART("immesinfo_vesk", 290, 40, [](CGContextRef c, CGSize s) { bar(c, s, 0.96, 0.70, 0.30, 0.85, 0.48, 0.12); });
// A row of the alert detail panel (the first two rows; the last is alertBackSecond).
NX_ART("alertBackFirst", 290, 41, [](CGContextRef c, CGSize s) {
    gradient(c, s, 0.26, 0.22, 0.22, 0.22, 0.18, 0.18, 0);
    fill(c, CGRectMake(8, s.height - 1, s.width - 16, 1), 0.45, 0.38, 0.38);
});
NX_ART("alertIcon", 18, 18, [](CGContextRef c, CGSize s) {
    CGContextSetRGBFillColor(c, 0.92, 0.25, 0.20, 1);
    CGContextFillEllipseInRect(c, CGRectMake(1, 1, s.width - 2, s.height - 2));
    fill(c, CGRectMake(8, 4, 2, 7), 1, 1, 1);
    fill(c, CGRectMake(8, 13, 2, 2), 1, 1, 1);
});
NX_ART("alertTableViewCellBg", 320, 43, [](CGContextRef c, CGSize s) { fill(c, CGRectMake(0, 0, s.width, s.height), 1, 1, 1, 0.07); });
NX_ART("noimg_vesk", 280, 216, [](CGContextRef c, CGSize s) {
    fill(c, CGRectMake(0, 0, s.width, s.height), 0.22, 0.24, 0.28);
    CGContextSetRGBStrokeColor(c, 0.45, 0.48, 0.54, 1);
    CGContextSetLineWidth(c, 3);
    CGContextStrokeRect(c, CGRectMake(100, 68, 80, 60));
    CGContextSetRGBFillColor(c, 0.45, 0.48, 0.54, 1);
    CGContextFillEllipseInRect(c, CGRectMake(112, 78, 14, 14));
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 104, 124);
    CGContextAddLineToPoint(c, 130, 98);
    CGContextAddLineToPoint(c, 150, 114);
    CGContextAddLineToPoint(c, 176, 90);
    CGContextAddLineToPoint(c, 176, 124);
    CGContextClosePath(c);
    CGContextFillPath(c);
});
NX_ART("red_button", 270, 40, [](CGContextRef c, CGSize s) { gradient(c, s, 0.90, 0.30, 0.26, 0.66, 0.12, 0.10, 8); });
NX_ART("loadingImage_M", 75, 62, [](CGContextRef c, CGSize s) {
    fill(c, CGRectMake(0, 0, s.width, s.height), 0.30, 0.32, 0.36);
    CGContextSetRGBFillColor(c, 0.6, 0.62, 0.66, 1);
    for (int i = 0; i < 3; ++i) CGContextFillEllipseInRect(c, CGRectMake(22 + 12 * i, 27, 7, 7));
});
// The bar buttons of the day's access records.
NX_ART("button", 60, 30, [](CGContextRef c, CGSize s) { gradient(c, s, 0.45, 0.62, 0.88, 0.16, 0.36, 0.70, 6); });
