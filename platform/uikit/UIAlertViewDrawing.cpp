// The drawing of alerts and text fields: what a person sees of them in a
// snapshot.

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIStringDrawing.h"
#include "platform/uikit/UITextField.h"

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

void UITextField::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const bool empty = text().isNil() || text().length() == 0;
    NSString shown = empty ? placeholder : text();
    if (!empty && secureTextEntry) {
        std::string bullets;
        for (NSUInteger i = 0; i < text().length(); ++i) bullets += "\u2022";
        shown = NSString(bullets);
    }
    if (shown.isNil()) return;
    if (empty)
        CGContextSetRGBFillColor(c, 0.6, 0.6, 0.6, 1);
    else
        CGContextSetFillColorWithColor(c, textColor->CGColor());
    const CGFloat lineHeight = sizeWithFont(NSString("Ag"), font).height;
    const CGRect line = CGRectMake(8, (bounds().size.height - lineHeight) / 2, bounds().size.width - 16, lineHeight);
    drawInRect(shown, line, font, UILineBreakModeTailTruncation, textAlignment);
}
