#include "ui/DotPageControl.h"

#include <algorithm>

std::shared_ptr<DotPageControl> DotPageControl::initWithFrame(CGRect) { return UIView::initWithFrame<DotPageControl>(CGRectZero); }

std::shared_ptr<DotPageControl> DotPageControl::initWithType(int type)
{
    auto control = init();
    control->setType(type);
    return control;
}

CGSize DotPageControl::sizeForNumberOfPages(int count) const
{
    const CGFloat d = diameter(), s = space();
    return CGSizeMake(count * d + (count - 1) * s + 44, std::max<CGFloat>(d + 4, 44));
}

void DotPageControl::setFrame(CGRect frame) { UIControl::setFrame(CGRect{frame.origin, sizeForNumberOfPages(numberOfPages_)}); }
void DotPageControl::setBounds(CGRect bounds) { UIControl::setBounds(CGRect{bounds.origin, sizeForNumberOfPages(numberOfPages_)}); }

void DotPageControl::setNumberOfPages(int count)
{
    numberOfPages_ = std::max(count, 0);
    currentPage_ = std::min(std::max(currentPage_, 0), count - 1);
    // Keeps the centre, as a change of bounds does.
    setBounds(bounds());
    setNeedsDisplay();
    setHidden(hidesForSinglePage_ && count <= 1);
}

void DotPageControl::setCurrentPage(int page)
{
    if (page == currentPage_) return;
    currentPage_ = std::min(std::max(page, 0), numberOfPages_ - 1);
    if (!defersCurrentPageDisplay_) setNeedsDisplay();
}

void DotPageControl::setHidesForSinglePage(bool hides)
{
    hidesForSinglePage_ = hides;
    if (hides && numberOfPages_ <= 1) setHidden(true);
}

void DotPageControl::updateCurrentPageDisplay()
{
    if (defersCurrentPageDisplay_) setNeedsDisplay();
}

void DotPageControl::setType(int type)
{
    type_ = type;
    setNeedsDisplay();
}

void DotPageControl::setOnColor(std::shared_ptr<UIColor> c)
{
    onColor_ = std::move(c);
    setNeedsDisplay();
}

void DotPageControl::setOffColor(std::shared_ptr<UIColor> c)
{
    offColor_ = std::move(c);
    setNeedsDisplay();
}

void DotPageControl::setIndicatorDiameter(CGFloat d)
{
    indicatorDiameter_ = d;
    setBounds(bounds());
    setNeedsDisplay();
}

void DotPageControl::setIndicatorSpace(CGFloat s)
{
    indicatorSpace_ = s;
    setBounds(bounds());
    setNeedsDisplay();
}

void DotPageControl::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSaveGState(c);
    CGContextSetAllowsAntialiasing(c, true);
    const CGFloat d = diameter(), s = space();
    const int n = numberOfPages_;
    const CGFloat rowWidth = n * d + std::max(n - 1, 0) * s;
    const CGRect b = bounds();
    auto on = onColor_ ? onColor_ : UIColor::colorWithWhite(1, 1);
    auto off = offColor_ ? offColor_ : UIColor::colorWithWhite(0.7, 0.5);
    // Whether the current dot and the others are filled, by type.
    static constexpr bool kFilled[5][2] = {{true, true}, {true, false}, {false, true}, {false, false}, {false, true}};
    const auto& filled = kFilled[type_ >= 0 && type_ <= 3 ? type_ : 4];
    for (int i = 0; i < n; ++i) {
        const bool current = i == currentPage_;
        const CGRect dot = CGRectMake(CGRectGetMidX(b) - rowWidth / 2 + i * (d + s), CGRectGetMidY(b) - d / 2, d, d);
        const auto& color = current ? on : off;
        if (filled[current ? 0 : 1]) {
            CGContextSetFillColorWithColor(c, color);
            CGContextFillEllipseInRect(c, CGRectInset(dot, -0.5, -0.5));
        } else {
            CGContextSetStrokeColorWithColor(c, color);
            CGContextStrokeEllipseInRect(c, dot);
        }
    }
    CGContextRestoreGState(c);
}

void DotPageControl::touchesEnded(const NSSetOfTouches& touches, UIEvent*)
{
    if (touches.empty()) return;
    setHighlighted(false);
    const CGFloat x = touches.front()->locationInView(this).x;
    const int page = x < bounds().size.width / 2 ? std::max(currentPage_ - 1, 0) : std::min(currentPage_ + 1, numberOfPages_ - 1);
    setCurrentPage(page);
    sendActionsForControlEvents(UIControlEventValueChanged);
}
