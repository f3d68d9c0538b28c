#include "ui/LoadingBoxDrawing.h"

void drawRoundRectangleInRect(CGRect rect, CGFloat radius)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, rect, radius, radius);
    CGContextFillPath(c);
}

static void drawGradient(CGContextRef c, const CGGradientRef& gradient, CGRect rect, CGPoint start, CGPoint end)
{
    CGContextSaveGState(c);
    CGContextClipToRect(c, rect);
    CGContextDrawLinearGradient(c, gradient, start, end, kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    CGContextRestoreGState(c);
}

void drawGradientInRect(CGRect rect, const std::vector<std::shared_ptr<UIColor>>& colors)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c || colors.empty()) return;
    auto gradient = CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), colors, nullptr);
    drawGradient(c, gradient, rect, CGPointMake(0, 0), CGPointMake(0, rect.size.height));
}

void drawLinearGradientInRect(CGRect rect, const CGFloat* colors)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c || !colors) return;
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), colors, nullptr, 2);
    drawGradient(c, gradient, rect, CGPointMake(rect.origin.x, rect.origin.y + rect.size.height * 0.25),
                 CGPointMake(rect.origin.x, rect.origin.y + rect.size.height * 0.75));
}

void drawLineInRect(CGRect rect, const CGFloat* colors, CGFloat width, CGLineCap cap)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c || !colors) return;
    CGContextSaveGState(c);
    CGContextSetStrokeColor(c, colors);
    CGContextSetLineCap(c, cap);
    CGContextSetLineWidth(c, width);
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, rect.origin.x, rect.origin.y);
    CGContextAddLineToPoint(c, rect.origin.x + rect.size.width, rect.origin.y + rect.size.height);
    CGContextStrokePath(c);
    CGContextRestoreGState(c);
}

void drawLineInRect(CGRect rect, const CGFloat* colors) { drawLineInRect(rect, colors, 1, kCGLineCapButt); }

void drawLineInRect(CGRect rect, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    const CGFloat colors[] = {red, green, blue, alpha};
    drawLineInRect(rect, colors);
}
