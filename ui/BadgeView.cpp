#include "ui/BadgeView.h"

namespace {
std::shared_ptr<UIColor> defaultBadgeColor() { return UIColor::colorWithRed(31 / 255.0, 41 / 255.0, 1, 1); }
}  // namespace

BadgeView::BadgeView() : font_(UIFont::boldSystemFontOfSize(14)) { setBackgroundColor(UIColor::clearColor()); }

void BadgeView::setBadgeString(const NSString& s)
{
    badgeString_ = s;
    setNeedsDisplay();
}

void BadgeView::setShadowEnabled(bool e)
{
    shadowEnabled_ = e;
    setNeedsDisplay();
}

void BadgeView::drawRoundedRect(CGRect rect, CGContextRef context, CGFloat radius) const
{
    NXContextAddRoundedRect(context, rect, radius, radius);
}

void BadgeView::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGFloat tw = badgeString_.isNil() ? 0 : sizeWithFont(badgeString_, font_).width;
    width_ = static_cast<unsigned>(tw + 16);

    auto cell = parent_.lock();
    std::shared_ptr<UIColor> fill;
    if (cell && (cell->highlighted() || cell->selected())) fill = badgeColorHighlighted_ ? badgeColorHighlighted_ : UIColor::whiteColor();
    else fill = badgeColor_ ? badgeColor_ : defaultBadgeColor();

    if (shadowEnabled_) {
        CGContextSaveGState(c);
        CGContextClearRect(c, CGRectMake(0, 0, tw + 13, 21));
        CGContextSetShadowWithColor(c, CGSizeMake(0, 3), 2, UIColor::colorWithRed(0, 0, 1, 1));
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        CGContextBeginPath(c);
        drawRoundedRect(CGRectMake(2, 1, tw + 9, 18), c, 8);
        CGContextFillPath(c);
        CGContextRestoreGState(c);
    }

    CGContextSaveGState(c);
    CGContextSetAllowsAntialiasing(c, true);
    CGContextSetAlpha(c, 1);
    CGContextSetLineWidth(c, 2);
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetFillColorWithColor(c, fill);
    CGContextBeginPath(c);
    drawRoundedRect(CGRectMake(2, 2, tw + 9, 17), c, 8);
    CGContextDrawPath(c, kCGPathFillStroke);
    CGContextRestoreGState(c);

    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    drawInRect(badgeString_, CGRectMake((tw + 13 - tw) / 2 + 0.5, 1, tw + 13, 21), font_);

    // The gloss over the upper half.
    CGContextSaveGState(c);
    const CGFloat locations[] = {0, 0.1, 0.25, 0.4, 0.45, 0.5, 0.65, 0.75, 1.0};
    const CGFloat alphas[] = {1.0, 0.55, 0.2, 0.2, 0.15, 0.1, 0.1, 0.05, 0.05};
    CGFloat components[9 * 4];
    for (int i = 0; i < 9; ++i) {
        components[i * 4] = components[i * 4 + 1] = components[i * 4 + 2] = 1;
        components[i * 4 + 3] = alphas[i];
    }
    auto gloss = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 9);
    CGContextSetAlpha(c, 1);
    CGContextBeginPath(c);
    NXContextAddRoundedRect(c, CGRectMake(2, 1, tw + 9, 10.5), 8, 4);
    CGContextClip(c);
    CGContextDrawLinearGradient(c, gloss, CGPointMake(7, 1), CGPointMake(7, 42), 0);
    CGContextRestoreGState(c);
}

void BadgeView::touchesBegan(const NSSetOfTouches&, UIEvent*)
{
    if (auto d = delegate.lock()) d->selectedTab(superview());
}
