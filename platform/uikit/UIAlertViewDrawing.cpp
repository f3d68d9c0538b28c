// The drawing of alerts: what a person sees of them in a snapshot.

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIStringDrawing.h"

namespace {
constexpr CGFloat kTitleHeight = 44, kTextBottom = 96, kTitleGap = 6;
UIFontRef titleFont() { return UIFont::boldSystemFontOfSize(17); }
UIFontRef messageFont() { return UIFont::systemFontOfSize(15); }
}  // namespace

// Title and message from the top margin down: the title's lines (up to its
// 44 points), then the message's within the alert's first 96 points.
CGFloat UIAlertView::drawText(bool draw) const
{
    const CGFloat width = bounds().size.width - 2 * kTextMargin;
    CGFloat y = kTextMargin;
    if (!title.isNil() && title.length() > 0) {
        const CGRect box = CGRectMake(kTextMargin, y, width, kTitleHeight);
        y += (draw ? drawInRect(title, box, titleFont(), UILineBreakModeWordWrap, UITextAlignmentCenter)
                   : sizeWithFont(title, titleFont(), box.size, UILineBreakModeWordWrap))
                 .height +
             kTitleGap;
    }
    if (!message.isNil() && message.length() > 0) {
        const CGRect box = CGRectMake(kTextMargin, y, width, kTextBottom - y);
        y += (draw ? drawInRect(message, box, messageFont(), UILineBreakModeWordWrap, UITextAlignmentCenter)
                   : sizeWithFont(message, messageFont(), box.size, UILineBreakModeWordWrap))
                 .height;
    }
    return y;
}

CGFloat UIAlertView::textHeight() const { return drawText(false); }

void UIAlertView::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect box = CGRectInset(bounds(), 1, 1);
    NXContextAddRoundedRect(c, box, 10, 10);
    CGContextSetRGBFillColor(c, 0.05, 0.12, 0.30, 0.88);
    CGContextFillPath(c);
    NXContextAddRoundedRect(c, box, 10, 10);
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 0.9);
    CGContextSetLineWidth(c, 2);
    CGContextStrokePath(c);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    drawText(true);
}
