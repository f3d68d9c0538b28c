// The status bar the device lays over the top of the screen: the carrier and
// its signal at the left, the network activity indicator beside them while
// the application shows it, the time in the middle and the battery at the
// right, in the application's status bar style.

#include <cmath>
#include <ctime>

#include "platform/foundation/NSClock.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIStringDrawing.h"
#include "platform/uikit/detail/NXDrawing.h"

namespace {

// The carrier the stand-in's phone is on.
const NSString kCarrier("Carrier");

// The time as the bar shows it, "9:41 AM", in the local zone, read from the
// process clock (virtual in tests, so a picture does not depend on the day).
NSString clockText()
{
    const auto now = static_cast<std::time_t>(std::floor(NSClock::timeIntervalSince1970()));
    std::tm local{};
    localtime_r(&now, &local);
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d %s", hour, local.tm_min, local.tm_hour < 12 ? "AM" : "PM");
    return NSString(text);
}

void drawBackground(CGContextRef c, CGRect bar, UIStatusBarStyle style)
{
    if (style == UIStatusBarStyleDefault) {
        // The silver gradient, lighter at the top, with a darker last line.
        for (int row = 0; row < static_cast<int>(bar.size.height); ++row) {
            const CGFloat shade = 0.86 - 0.22 * row / bar.size.height;
            CGContextSetRGBFillColor(c, shade, shade, shade, 1);
            CGContextFillRect(c, CGRectMake(bar.origin.x, bar.origin.y + row, bar.size.width, 1));
        }
        CGContextSetRGBFillColor(c, 0.45, 0.45, 0.45, 1);
        CGContextFillRect(c, CGRectMake(bar.origin.x, CGRectGetMaxY(bar) - 1, bar.size.width, 1));
        return;
    }
    CGContextSetRGBFillColor(c, 0, 0, 0, style == UIStatusBarStyleBlackTranslucent ? 0.5 : 1);
    CGContextFillRect(c, bar);
}

// Five bars rising to the right, all lit; their right end.
CGFloat drawSignal(CGContextRef c, CGFloat x, CGFloat bottom)
{
    for (int i = 0; i < 5; ++i) {
        const CGFloat h = 3 + 2 * i;
        CGContextFillRect(c, CGRectMake(x + 4 * i, bottom - h, 3, h));
    }
    return x + 19;
}

void drawBattery(CGContextRef c, CGFloat right, CGFloat middle)
{
    const CGRect body = CGRectMake(right - 27, middle - 5.5, 24, 11);
    CGContextSetLineWidth(c, 1);
    CGContextStrokeRect(c, CGRectInset(body, 0.5, 0.5));
    CGContextFillRect(c, CGRectMake(CGRectGetMaxX(body), middle - 2.5, 2, 5));
    CGContextFillRect(c, CGRectInset(body, 2, 2));
}

}  // namespace

void NXDrawStatusBar(CGContextRef c, CGRect bar)
{
    const UIApplication& app = UIApplication::sharedApplication();
    CGContextSaveGState(c);
    drawBackground(c, bar, app.statusBarStyle());
    const CGFloat ink = app.statusBarStyle() == UIStatusBarStyleDefault ? 0 : 1;
    CGContextSetRGBFillColor(c, ink, ink, ink, 1);
    CGContextSetRGBStrokeColor(c, ink, ink, ink, 1);
    const CGFloat middle = CGRectGetMidY(bar);
    const auto small = UIFont::boldSystemFontOfSize(12);
    CGFloat x = drawSignal(c, bar.origin.x + 4, middle + 5) + 4;
    const CGSize carrier = sizeWithFont(kCarrier, small);
    drawAtPoint(kCarrier, CGPointMake(x, middle - carrier.height / 2), small);
    x += carrier.width + 5;
    if (app.networkActivityIndicatorVisible()) NXContextDrawSpinner(c, CGRectMake(x, middle - 6, 12, 12), ink == 0 ? 0.25 : 1);
    const NSString time = clockText();
    const auto timeFont = UIFont::boldSystemFontOfSize(14);
    const CGSize timeSize = sizeWithFont(time, timeFont);
    CGContextSetRGBFillColor(c, ink, ink, ink, 1);
    drawAtPoint(time, CGPointMake(CGRectGetMidX(bar) - timeSize.width / 2, middle - timeSize.height / 2), timeFont);
    drawBattery(c, CGRectGetMaxX(bar) - 4, middle);
    CGContextRestoreGState(c);
}
