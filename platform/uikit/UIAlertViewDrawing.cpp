// The drawing of alerts: what a person sees of them in a snapshot.

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIStringDrawing.h"

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
    const CGFloat width = bounds().size.width - 24;
    CGFloat y = 12;
    if (!title.isNil() && title.length() > 0)
        y += drawInRect(title, CGRectMake(12, y, width, 44), UIFont::boldSystemFontOfSize(17), UILineBreakModeWordWrap,
                        UITextAlignmentCenter)
                 .height +
             6;
    if (!message.isNil() && message.length() > 0)
        drawInRect(message, CGRectMake(12, y, width, 96 - y), UIFont::systemFontOfSize(15), UILineBreakModeWordWrap,
                   UITextAlignmentCenter);
}
