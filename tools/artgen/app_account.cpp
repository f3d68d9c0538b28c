// Pictures of the account and menu screens: the menu rows and the two
// pictures of the booked package page (their names are the strings table's).
#include "platform/uikit/UIStringDrawing.h"
#include "tools/artgen/Art.h"

namespace {

void text(CGContextRef c, const char* s, CGRect r, CGFloat size, bool bold, UITextAlignment alignment = UITextAlignmentLeft)
{
    drawInRect(NSString(s), r, bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size),
               UILineBreakModeWordWrap, alignment);
}

// A right-pointing chevron centred at the point.
void chevron(CGContextRef c, CGFloat x, CGFloat y)
{
    CGContextSetLineWidth(c, 3);
    CGContextSetLineCap(c, kCGLineCapRound);
    CGContextSetLineJoin(c, kCGLineJoinRound);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, x - 3, y - 7);
    CGContextAddLineToPoint(c, x + 4, y);
    CGContextAddLineToPoint(c, x - 3, y + 7);
    CGContextStrokePath(c);
}

// One feature of the package: a tick in a circle, a heading and its text.
void feature(CGContextRef c, CGFloat y, const char* heading, const char* body)
{
    CGContextSetRGBFillColor(c, 0.18, 0.62, 0.32, 1);
    CGContextFillEllipseInRect(c, CGRectMake(14, y + 2, 22, 22));
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetLineWidth(c, 2.5);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 19, y + 13);
    CGContextAddLineToPoint(c, 23, y + 18);
    CGContextAddLineToPoint(c, 31, y + 8);
    CGContextStrokePath(c);
    CGContextSetRGBFillColor(c, 0.10, 0.16, 0.28, 1);
    text(c, heading, CGRectMake(46, y, 230, 22), 16, true);
    CGContextSetRGBFillColor(c, 0.25, 0.30, 0.40, 1);
    text(c, body, CGRectMake(46, y + 24, 230, 60), 13, false);
}

}  // namespace

NX_ART("menu_row", 300, 46, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, 299, 45), 9, 9);
    CGContextSetRGBFillColor(c, 0.23, 0.33, 0.52, 1);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, CGRectMake(0.5, 0.5, 299, 45), 9, 9);
    CGContextSetRGBStrokeColor(c, 0.42, 0.55, 0.78, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokePath(c);
    CGContextSetRGBStrokeColor(c, 0.80, 0.87, 1, 1);
    chevron(c, 280, 23);
});

NX_ART("taocan_title_vesk", 290, 30, [](CGContextRef c, CGSize s) {
    const CGFloat locations[2] = {0, 1};
    const CGFloat band[8] = {0.98, 0.70, 0.20, 1, 0.90, 0.45, 0.10, 1};
    NXContextAddRoundedRect(c, CGRectMake(0, 0, 290, 30), 8, 8);
    CGContextClip(c);
    auto g = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), band, locations, 2);
    CGContextDrawLinearGradient(c, g, CGPointMake(0, 0), CGPointMake(0, 30), 0);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    text(c, "Family package", CGRectMake(0, 5, 290, 22), 17, true, UITextAlignmentCenter);
});

NX_ART("taocan_body_vesk", 290, 700, [](CGContextRef c, CGSize s) {
    NXContextAddRoundedRect(c, CGRectMake(0, 0, 290, 700), 10, 10);
    CGContextSetRGBFillColor(c, 0.96, 0.97, 0.99, 1);
    CGContextFillPath(c);
    CGContextSetRGBFillColor(c, 0.10, 0.16, 0.28, 1);
    text(c, "Everything to look after your family's PCs and phones.", CGRectMake(14, 14, 262, 44), 15, true);
    feature(c, 74, "Time rules", "A daily allowance, weekly periods and a quarter-hour grid for every day.");
    feature(c, 164, "Black lists", "Keep web sites and programs away, by name or by type.");
    feature(c, 254, "Records", "Every visited site and used program, with statistics by type and rank.");
    feature(c, 344, "Screen captures", "Look at the PC's screen as it was, day by day.");
    feature(c, 434, "Location", "Find the phone or the PC on the map, now or on a chosen day.");
    feature(c, 524, "Protect mode", "In forbidden time, lock the screen, cut the network, or both.");
    CGContextSetRGBFillColor(c, 0.90, 0.45, 0.10, 1);
    text(c, "Order by SMS: send DG01 to 10658099.", CGRectMake(14, 630, 262, 44), 14, true, UITextAlignmentCenter);
});
