#include "ui/TextFlowView.h"

namespace {

constexpr NSTimeInterval kStepInterval = 0.02;
constexpr CGFloat kGap = 50;  // between consecutive copies

}  // namespace

std::shared_ptr<TextFlowView> TextFlowView::initWithFrame(CGRect frame, const NSString& text)
{
    auto v = UIView::initWithFrame<TextFlowView>(frame);
    v->text_ = text;
    v->setBackgroundColor(UIColor::clearColor());
    v->textSize_ = v->computeTextSize(text);
    if (frame.size.width < v->textSize_.width) {
        v->needFlow_ = true;
        v->startRun();
    }
    return v;
}

CGSize TextFlowView::computeTextSize(const NSString& text) const
{
    if (text.isNil()) return CGSizeZero;
    return sizeWithFont(text_, font_, CGSizeMake(10000, 100), UILineBreakModeWordWrap);
}

void TextFlowView::startRun()
{
    // The timer retains the view while it runs.
    timer_ = NSTimer::scheduledTimerWithTimeInterval(kStepInterval, self(), NX_SEL0(TextFlowView, timerAction), nullptr, true);
}

void TextFlowView::cancelRun()
{
    if (timer_) timer_->invalidate();
}

void TextFlowView::timerAction()
{
    XOffset_ -= 1;
    if (XOffset_ + textSize_.width <= 0) XOffset_ += textSize_.width + kGap;
    setNeedsDisplay();
}

CGRect TextFlowView::moveNewPoint(CGPoint point, CGRect rect)
{
    return CGRectMake(point.x, point.y, rect.size.width + rect.origin.x - point.x, rect.size.height + rect.origin.y - point.y);
}

void TextFlowView::drawRect(CGRect r)
{
    UIColor::whiteColor()->setFill();
    const CGFloat y = (r.size.height - textSize_.height) / 2;
    if (!needFlow_) {
        drawInRect(text_, CGRectMake((r.size.width - textSize_.width) / 2, y, r.size.width, r.size.height), font_);
        return;
    }
    for (CGRect current = moveNewPoint(CGPointMake(XOffset_, y), r); current.size.width >= 0;
         current = moveNewPoint(CGPointMake(current.origin.x + textSize_.width + kGap, current.origin.y), current))
        drawInRect(text_, current, font_);
}
