#include "ui/LoadingBoxView.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/uikit/UIApplication.h"
#include "ui/LoadingBoxDrawing.h"

namespace {
constexpr CGFloat kTextWidth = 200;
constexpr CGFloat kMargin = 20;
constexpr CGFloat kSpinnerGap = 10;
constexpr CGFloat kCornerRadius = 10;
constexpr CGFloat kFadeStep = 0.1;
constexpr NSTimeInterval kFadeInterval = 0.1;
constexpr NSTimeInterval kTransition = 0.35;

UIFontRef titleFont() { return UIFont::boldSystemFontOfSize(16); }
UIFontRef messageFont() { return UIFont::systemFontOfSize(12); }
}  // namespace

std::shared_ptr<LoadingBoxView> LoadingBoxView::initWithTitle(const NSString& title, const NSString& message)
{
    auto v = UIView::initWithFrame<LoadingBoxView>(CGRectMake(0, 0, 280, 200));
    v->title_ = title;
    v->message_ = message;
    v->activity_ = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleWhite);
    v->addSubview(v->activity_);
    v->setBackgroundColor(UIColor::clearColor());
    v->setOpaque(false);
    return v;
}

std::shared_ptr<LoadingBoxView> LoadingBoxView::initWithTitle(const NSString& title) { return initWithTitle(title, NSString()); }

LoadingBoxView::~LoadingBoxView()
{
    if (loadingTimer_) loadingTimer_->invalidate();
}

void LoadingBoxView::setTitle(const NSString& title)
{
    title_ = title;
    setNeedsDisplay();
}

void LoadingBoxView::setMessage(const NSString& message)
{
    message_ = message;
    setNeedsDisplay();
}

void LoadingBoxView::setRadius(CGFloat radius)
{
    if (radius == radius_) return;
    radius_ = radius;
    setNeedsDisplay();
}

void LoadingBoxView::startAnimating()
{
    if (!hidden_) return;
    setAlpha(1);
    hidden_ = false;
    setNeedsDisplay();
    activity_->startAnimating();
}

void LoadingBoxView::stopAnimating()
{
    // A second stop during the fade would start a second timer that nothing
    // ever invalidates: the fade already under way is enough.
    if (hidden_ || (loadingTimer_ && loadingTimer_->isValid())) return;
    auto self = std::static_pointer_cast<LoadingBoxView>(shared_from_this());
    setLoadingTimer(NSTimer::scheduledTimerWithTimeInterval(kFadeInterval, self, NX_SEL(LoadingBoxView, handleLoadingTimer), nullptr, true));
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(false);
}

void LoadingBoxView::handleLoadingTimer(const id&)
{
    setAlpha(alpha() - kFadeStep);
    if (alpha() > 1e-6) return;  // ten steps of 0.1 reach zero but for rounding
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kTransition);
    UIView::setAnimationDelegate(shared_from_this());
    UIView::setAnimationDidStopSelector(NX_SEL(LoadingBoxView, animationDidStop));
    UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, this, true);
    hidden_ = true;
    setNeedsDisplay();
    activity_->stopAnimating();
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(false);
    UIView::commitAnimations();
    if (loadingTimer_ && loadingTimer_->isValid()) loadingTimer_->invalidate();
}

void LoadingBoxView::animationDidStop(const id&)
{
    hidden_ = true;
    setNeedsDisplay();
    activity_->stopAnimating();
}

CGSize LoadingBoxView::calculateHeightOfTextFromWidth(const NSString& text, const UIFontRef& font, CGFloat width, UILineBreakMode mode)
{
    if (text.isNil() || text.str().empty()) return CGSizeZero;
    return sizeWithFont(text, font, CGSizeMake(width, std::numeric_limits<CGFloat>::max()), mode);
}

void LoadingBoxView::adjustHeight()
{
    const CGFloat h = calculateHeightOfTextFromWidth(title_, titleFont(), kTextWidth, UILineBreakModeTailTruncation).height +
                      calculateHeightOfTextFromWidth(message_, messageFont(), kTextWidth, UILineBreakModeCharacterWrap).height + 20;
    const CGRect f = frame();
    setFrame(CGRectMake(f.origin.x, f.origin.y, f.size.width, h));
}

void LoadingBoxView::drawRect(CGRect)
{
    if (hidden_) return;
    const CGSize s1 = calculateHeightOfTextFromWidth(title_, titleFont(), kTextWidth, UILineBreakModeTailTruncation);
    const CGSize s2 = calculateHeightOfTextFromWidth(message_, messageFont(), kTextWidth, UILineBreakModeCharacterWrap);
    const CGFloat spinner = activity_->bounds().size.height;
    const long w = static_cast<long>(std::max(s1.width, s2.width));
    const CGFloat boxWidth = static_cast<CGFloat>(w) + 2 * kMargin;
    const CGFloat boxHeight = std::trunc(s1.height + s2.height + 2 * kMargin + kSpinnerGap + spinner);
    const CGFloat boxX = static_cast<CGFloat>((240 - w) / 2);
    activity_->setCenter(CGPointMake(140, spinner / 2 + kMargin));

    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0, 0, 0, 0.75);
    drawRoundRectangleInRect(CGRectMake(boxX, 0, boxWidth, boxHeight), kCornerRadius);
    UIColor::whiteColor()->set();
    const CGFloat x = boxX + kMargin, y = spinner + kSpinnerGap + kMargin;
    const CGSize drawn = drawInRect(title_, CGRectMake(x, y, static_cast<CGFloat>(w), s1.height), titleFont(),
                                    UILineBreakModeTailTruncation, UITextAlignmentCenter);
    drawInRect(message_, CGRectMake(x, y + (title_.isNil() || title_.str().empty() ? 0 : drawn.height), static_cast<CGFloat>(w), s2.height),
               messageFont(), UILineBreakModeCharacterWrap, UITextAlignmentCenter);
}
