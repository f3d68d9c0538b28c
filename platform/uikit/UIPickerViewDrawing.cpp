// The picker's face: a dark frame, white wheels shaded towards their top and
// bottom edges as a turning cylinder is, the rows in sight, and the glassy
// band over the middle row.

#include <cmath>

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIPickerView.h"

namespace {

// A vertical gradient through the colours (RGBA each) evenly spaced over the
// rectangle.
void fillVertical(CGContextRef c, CGRect r, const std::vector<CGFloat>& rgba)
{
    const size_t n = rgba.size() / 4;
    std::vector<CGFloat> locations(n);
    for (size_t i = 0; i < n; ++i) locations[i] = n > 1 ? static_cast<CGFloat>(i) / (n - 1) : 0;
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), rgba.data(), locations.data(), n);
    CGContextSaveGState(c);
    CGContextClipToRect(c, r);
    CGContextDrawLinearGradient(c, gradient, CGPointMake(0, CGRectGetMinY(r)), CGPointMake(0, CGRectGetMaxY(r)), 0);
    CGContextRestoreGState(c);
}

void drawFrame(CGContextRef c, CGRect b)
{
    fillVertical(c, b, {0.56, 0.57, 0.62, 1, 0.22, 0.23, 0.27, 1, 0.10, 0.10, 0.12, 1, 0.20, 0.20, 0.23, 1});
}

// The wheel's white face, darkened towards the edges it turns away at.
void drawWheelFace(CGContextRef c, CGRect r)
{
    CGContextSetRGBFillColor(c, 0.98, 0.98, 0.98, 1);
    CGContextFillRect(c, r);
}

void shadeWheel(CGContextRef c, CGRect r)
{
    const CGFloat h = r.size.height * 0.4;
    fillVertical(c, CGRectMake(r.origin.x, r.origin.y, r.size.width, h), {0.05, 0.05, 0.08, 0.75, 0.2, 0.2, 0.25, 0.25, 1, 1, 1, 0});
    fillVertical(c, CGRectMake(r.origin.x, CGRectGetMaxY(r) - h, r.size.width, h), {1, 1, 1, 0, 0.2, 0.2, 0.25, 0.25, 0.05, 0.05, 0.08, 0.75});
    CGContextSetRGBStrokeColor(c, 0.05, 0.05, 0.08, 1);
    CGContextSetLineWidth(c, 1);
    CGContextStrokeRect(c, CGRectInset(r, 0.5, -1));
}

// Translucent blue glass, lighter in its upper half, edged top and bottom.
void drawBand(CGContextRef c, CGRect band)
{
    fillVertical(c, band, {0.80, 0.84, 0.96, 0.45, 0.58, 0.64, 0.86, 0.40, 0.42, 0.48, 0.74, 0.40, 0.52, 0.58, 0.82, 0.45});
    CGContextSetRGBStrokeColor(c, 0.30, 0.34, 0.52, 0.9);
    CGContextSetLineWidth(c, 1);
    CGContextMoveToPoint(c, CGRectGetMinX(band), CGRectGetMinY(band) + 0.5);
    CGContextAddLineToPoint(c, CGRectGetMaxX(band), CGRectGetMinY(band) + 0.5);
    CGContextMoveToPoint(c, CGRectGetMinX(band), CGRectGetMaxY(band) - 0.5);
    CGContextAddLineToPoint(c, CGRectGetMaxX(band), CGRectGetMaxY(band) - 0.5);
    CGContextStrokePath(c);
}

}  // namespace

void UIPickerView::drawRect(CGRect)
{
    reloadAllComponents();
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    const CGFloat middle = CGRectGetMidY(b);
    drawFrame(c, b);
    const auto font = UIFont::boldSystemFontOfSize(20);
    CGFloat bandLeft = CGRectGetMaxX(b), bandRight = CGRectGetMinX(b);
    for (NSInteger comp = 0; comp < static_cast<NSInteger>(wheels_.size()); ++comp) {
        const CGRect r = rectForComponent(comp);
        if (r.size.width <= 0) continue;
        bandLeft = std::min(bandLeft, CGRectGetMinX(r));
        bandRight = std::max(bandRight, CGRectGetMaxX(r));
        drawWheelFace(c, r);
        CGContextSaveGState(c);
        CGContextClipToRect(c, r);
        const CGFloat rowHeight = rowHeightForComponent(comp);
        const CGFloat offset = currentOffset(wheels_[comp]);
        const NSInteger rows = numberOfRowsInComponent(comp);
        const auto first = static_cast<NSInteger>(std::floor((offset - middle + CGRectGetMinY(b)) / rowHeight));
        const auto last = static_cast<NSInteger>(std::ceil((offset + CGRectGetMaxY(b) - middle) / rowHeight));
        const UITextAlignment alignment = alignmentForComponent(comp);
        const CGRect titles = titleFrameInWheel(r, comp);
        for (NSInteger row = std::max<NSInteger>(first, 0); row <= std::min(last, rows - 1); ++row) {
            const CGFloat centre = middle + row * rowHeight - offset;
            if (rowEnabled(row, comp))
                CGContextSetRGBFillColor(c, 0, 0, 0, 1);
            else
                CGContextSetRGBFillColor(c, 0.62, 0.62, 0.65, 1);
            // A title wider than its wheel is set smaller, down to 14 points,
            // before it is cut.
            const NSString title = titleForRow(row, comp);
            auto fitted = font;
            for (CGFloat size = 19; size >= 14 && sizeWithFont(title, fitted).width > titles.size.width; --size)
                fitted = UIFont::boldSystemFontOfSize(size);
            const CGFloat height = sizeWithFont("0", fitted).height;
            drawInRect(title, CGRectMake(titles.origin.x, centre - height / 2, titles.size.width, height), fitted,
                       UILineBreakModeTailTruncation, alignment);
        }
        CGContextRestoreGState(c);
        shadeWheel(c, r);
    }
    if (showsSelectionIndicator && bandRight > bandLeft) {
        const CGFloat rowHeight = rowHeightForComponent(0);
        drawBand(c, CGRectMake(bandLeft - 4, middle - rowHeight / 2, bandRight - bandLeft + 8, rowHeight));
    }
    drawOverWheels();
}
