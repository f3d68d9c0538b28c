// The text field's face.

#include <cmath>

#include "platform/uikit/UITextField.h"

void UITextField::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    if (borderStyle == UITextBorderStyleRoundedRect || borderStyle == UITextBorderStyleLine ||
        borderStyle == UITextBorderStyleBezel) {
        const CGFloat radius = borderStyle == UITextBorderStyleRoundedRect ? 6 : 0;
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        CGContextBeginPath(c);
        NXContextAddRoundedRect(c, CGRectInset(b, 0.5, 0.5), radius, radius);
        CGContextFillPath(c);
        CGContextSetRGBStrokeColor(c, 0.55, 0.55, 0.55, 1);
        CGContextSetLineWidth(c, 1);
        CGContextBeginPath(c);
        NXContextAddRoundedRect(c, CGRectInset(b, 0.5, 0.5), radius, radius);
        CGContextStrokePath(c);
        b = CGRectInset(b, 7, 0);
    }
    const bool empty = text_.isNil() || text_.length() == 0;
    NSString shown = text_;
    if (empty) {
        shown = placeholder;
        CGContextSetRGBFillColor(c, 0.7, 0.7, 0.7, 1);
    } else {
        if (secureTextEntry) {
            std::string bullets;
            for (NSUInteger i = 0; i < text_.length(); ++i) bullets += "\u2022";
            shown = NSString(bullets);
        }
        if (textColor) textColor->setFill();
    }
    if (shown.isNil() || shown.length() == 0) return;
    const CGFloat h = font ? font->lineHeight() : 0;
    drawInRect(shown, CGRectMake(b.origin.x, b.origin.y + std::floor((b.size.height - h) / 2), b.size.width, h), font,
               UILineBreakModeTailTruncation, textAlignment);
}
