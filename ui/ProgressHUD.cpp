#include "ui/ProgressHUD.h"

#include <cmath>

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"

namespace {
constexpr CGFloat kMargin = 20;
constexpr CGFloat kPadding = 4;
constexpr CGFloat kCornerRadius = 10;
constexpr NSTimeInterval kAnimationDuration = 1.5;
constexpr NSInteger kErrorTag = 120120;

void networkIndicatorOff() { UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(false); }

std::shared_ptr<ProgressHUD> addHUD(UIView* view, bool animated, const NSString* title)
{
    auto hud = ProgressHUD::initWithView(view);
    if (title) hud->setLabelText(*title);
    view->addSubview(hud);
    hud->show(animated);
    return hud;
}
}  // namespace

// ---- The pie ---------------------------------------------------------------------------

void RoundProgressView::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect all = bounds();
    CGContextSetRGBStrokeColor(c, 1, 1, 1, 1);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.1);
    CGContextSetLineWidth(c, 2);
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, CGRectInset(all, 2, 2));
    CGContextDrawPath(c, kCGPathFillStroke);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    const CGPoint centre = CGPointMake(CGRectGetMidX(all), CGRectGetMidY(all));
    const CGFloat radius = (all.size.width - 4) / 2;
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, centre.x, centre.y);
    CGContextAddArc(c, centre.x, centre.y, radius, -M_PI / 2, progress() * 2 * M_PI - M_PI / 2, 0);
    CGContextClosePath(c);
    CGContextFillPath(c);
}

// ---- Creation ----------------------------------------------------------------------------

ProgressHUD::ProgressHUD() = default;

ProgressHUD::~ProgressHUD()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    if (graceTimer_) graceTimer_->invalidate();
    if (minShowTimer_) minShowTimer_->invalidate();
}

std::shared_ptr<ProgressHUD> ProgressHUD::initWithFrame(CGRect frame)
{
    auto hud = UIView::initWithFrame<ProgressHUD>(frame);
    hud->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                             UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    hud->setOpaque(false);
    hud->setBackgroundColor(UIColor::clearColor());
    hud->setAlpha(0);
    hud->label_ = UILabel::initWithFrame(hud->bounds());
    hud->detailsLabel_ = UILabel::initWithFrame(hud->bounds());
    hud->setMode(ProgressHUDModeIndeterminate);
    return hud;
}

std::shared_ptr<ProgressHUD> ProgressHUD::initWithView(UIView* view)
{
    if (!view) throw NSException("ProgressHUDViewIsNillException", "The view used in the ProgressHUD initializer is nil.");
    auto hud = initWithFrame(view->bounds());
    if (dynamic_cast<UIWindow*>(view)) hud->setTransformForCurrentOrientation(false);
    NSNotificationCenter::defaultCenter()->addObserver(hud.get(), NX_SEL(ProgressHUD, deviceOrientationDidChange),
                                                       UIDeviceOrientationDidChangeNotification, nullptr);
    return hud;
}

// ---- The screens' entry points -------------------------------------------------------------

std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo_withTitle(UIView* view, const NSString& title) { return addHUD(view, true, &title); }
std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo(UIView* view, bool animated, const NSString& title) { return addHUD(view, animated, &title); }
std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo(UIView* view, bool animated) { return addHUD(view, animated, nullptr); }

bool ProgressHUD::hideHUDForView(UIView* view, bool animated)
{
    networkIndicatorOff();
    if (!view) return false;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        if (auto hud = std::dynamic_pointer_cast<ProgressHUD>(*it)) {
            hud->removeFromSuperViewOnHide = true;
            hud->hide(animated);
            return true;
        }
    }
    return false;
}

std::shared_ptr<ProgressHUD> ProgressHUD::error(UIView* view)
{
    if (view) {
        const auto subviews = view->subviews();
        for (const auto& s : subviews)
            if (std::dynamic_pointer_cast<ProgressHUD>(s)) s->removeFromSuperview();
    }
    auto hud = initWithView(view);
    hud->setTag(kErrorTag);
    hud->setLabelText("网络异常");
    networkIndicatorOff();
    view->addSubview(hud);
    hud->show(true);
    return hud;
}

void ProgressHUD::hideHUDForView_withTitle(UIView*, const NSString&) { networkIndicatorOff(); }

std::shared_ptr<ProgressHUD> ProgressHUD::autoHideAfterTimeInterval(NSTimeInterval interval, const NSString&, UIView* view)
{
    auto hud = initWithView(view);
    view->addSubview(hud);
    hud->show(true);
    hud->performSelector(NX_SEL0(UIView, removeFromSuperview), nullptr, interval);
    return hud;
}

void ProgressHUD::removeAfterTimeInterval(NSTimeInterval interval, const NSString& title)
{
    setLabelText(title);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.35);
    UIView::setAnimationDelegate(self());
    UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, this, true);
    performSelector(NX_SEL0(UIView, removeFromSuperview), nullptr, interval);
    UIView::commitAnimations();
    std::weak_ptr<ProgressHUD> weak = self();
    NSTimer::scheduledTimerWithTimeInterval(interval, false, [weak](NSTimer&) {
        if (auto hud = weak.lock()) hud->show(false);
    });
}

void ProgressHUD::hideView(UIView* view)
{
    if (view) view->removeFromSuperview();
}

// ---- Properties set from any thread ------------------------------------------------------------

void ProgressHUD::onMainThread(std::function<void()> work)
{
    if (NSThread::isMainThread()) {
        work();
        return;
    }
    auto keep = self();
    NSThread::performBlockOnMainThread([keep, work = std::move(work)] { work(); }, false);
}

int ProgressHUD::mode() const
{
    std::lock_guard lock(mutex_);
    return mode_;
}

void ProgressHUD::setMode(int mode)
{
    {
        std::lock_guard lock(mutex_);
        if (mode_ != 0 && mode_ == mode) return;
        mode_ = mode;
    }
    onMainThread([this] {
        updateIndicators();
        setNeedsLayout();
        setNeedsDisplay();
    });
}

NSString ProgressHUD::labelText() const
{
    std::lock_guard lock(mutex_);
    return labelText_;
}

void ProgressHUD::setLabelText(const NSString& text)
{
    {
        std::lock_guard lock(mutex_);
        labelText_ = text;
    }
    onMainThread([this] {
        setNeedsLayout();
        setNeedsDisplay();
    });
}

NSString ProgressHUD::detailsLabelText() const
{
    std::lock_guard lock(mutex_);
    return detailsLabelText_;
}

void ProgressHUD::setDetailsLabelText(const NSString& text)
{
    {
        std::lock_guard lock(mutex_);
        detailsLabelText_ = text;
    }
    onMainThread([this] {
        setNeedsLayout();
        setNeedsDisplay();
    });
}

float ProgressHUD::progress() const
{
    std::lock_guard lock(mutex_);
    return progress_;
}

void ProgressHUD::setProgress(float progress)
{
    {
        std::lock_guard lock(mutex_);
        progress_ = progress;
        if (mode_ != ProgressHUDModeDeterminate) return;
    }
    onMainThread([this] {
        if (auto* pie = dynamic_cast<UIProgressView*>(indicator_.get())) pie->setProgress(this->progress());
        setNeedsDisplay();
    });
}

void ProgressHUD::updateIndicators()
{
    if (indicator_) indicator_->removeFromSuperview();
    const int m = mode();
    if (m == ProgressHUDModeCustomView && customView) {
        indicator_ = customView;
    } else if (m == ProgressHUDModeDeterminate) {
        indicator_ = RoundProgressView::initWithDefaultSize();
    } else {
        auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleWhiteLarge);
        spinner->startAnimating();
        indicator_ = spinner;
    }
    addSubview(indicator_);
}

// ---- Layout and drawing -----------------------------------------------------------------------

void ProgressHUD::layoutSubviews()
{
    const CGRect frame = bounds();
    const CGFloat W = frame.size.width, H = frame.size.height;
    const CGSize is = indicator_ ? indicator_->bounds().size : CGSizeZero;
    width = is.width + 2 * kMargin;
    height = is.height + 2 * kMargin;
    CGRect indFrame = CGRectMake(std::floor((W - is.width) / 2) + xOffset, std::floor((H - is.height) / 2) + yOffset, is.width, is.height);
    auto setIndicatorFrame = [&] {
        if (indicator_) indicator_->setFrame(indFrame);
    };
    const NSString text = labelText();
    if (text.isNil()) {
        setIndicatorFrame();
        return;
    }
    auto dress = [](UILabel& l, const UIFontRef& font, const NSString& t) {
        l.font = font;
        l.adjustsFontSizeToFitWidth = false;
        l.textAlignment = UITextAlignmentCenter;
        l.setOpaque(false);
        l.setBackgroundColor(UIColor::clearColor());
        l.textColor = UIColor::whiteColor();
        l.setText(t);
    };
    const CGSize ls = sizeWithFont(text, labelFont);
    CGFloat lw = ls.width;
    const CGFloat lh = ls.height;
    if (lw > W - 2 * kMargin) lw = W - 4 * kMargin;
    dress(*label_, labelFont, text);
    if (width < lw + 2 * kMargin) width = lw + 2 * kMargin;
    height += lh + kPadding;
    indFrame.origin.y -= std::floor(lh / 2 + kPadding / 2);
    CGRect labelFrame = CGRectMake(std::floor((W - lw) / 2) + xOffset, std::floor(indFrame.origin.y + is.height + kPadding), lw, lh);
    label_->setFrame(labelFrame);
    addSubview(label_);

    const NSString details = detailsLabelText();
    if (!details.isNil()) {
        const CGSize ds = sizeWithFont(details, detailsLabelFont);
        CGFloat dw = ds.width;
        const CGFloat dh = ds.height;
        if (dw > W - 2 * kMargin) dw = W - 4 * kMargin;
        dress(*detailsLabel_, detailsLabelFont, details);
        if (width < dw) width = dw + 2 * kMargin;
        height += dh + kPadding;
        const CGFloat up = std::floor(dh / 2 + kPadding / 2);
        indFrame.origin.y -= up;
        labelFrame.origin.y -= up;
        label_->setFrame(labelFrame);
        detailsLabel_->setFrame(CGRectMake(std::floor((W - dw) / 2) + xOffset, labelFrame.origin.y + lh + kPadding, dw, dh));
        addSubview(detailsLabel_);
    }
    setIndicatorFrame();
}

void ProgressHUD::fillRoundedRect(CGRect rect, CGContextRef context)
{
    CGContextSetGrayFillColor(context, 0, opacity);
    CGContextBeginPath(context);
    NXContextAddRoundedRect(context, rect, kCornerRadius, kCornerRadius);
    CGContextFillPath(context);
}

void ProgressHUD::drawRect(CGRect)
{
    const CGRect all = bounds();
    const CGRect box = CGRectMake((all.size.width - width) / 2 + xOffset, (all.size.height - height) / 2 + yOffset, width, height);
    fillRoundedRect(box, UIGraphicsGetCurrentContext());
}

// ---- Showing and hiding ---------------------------------------------------------------------------

void ProgressHUD::show(bool animated)
{
    useAnimation_ = animated;
    phase_ = Phase::Showing;
    if (graceTime > 0) {
        graceTimer_ = NSTimer::scheduledTimerWithTimeInterval(graceTime, self(), NX_SEL(ProgressHUD, handleGraceTimer), nullptr, false);
        return;
    }
    setNeedsDisplay();
    showUsingAnimation(useAnimation_);
}

void ProgressHUD::handleGraceTimer(const id&)
{
    if (!taskInProgress_ || phase_ != Phase::Showing) return;
    setNeedsDisplay();
    showUsingAnimation(useAnimation_);
}

void ProgressHUD::showUsingAnimation(bool animated)
{
    setAlpha(0);
    showStarted_ = NSDate::date();
    if (!animated) {
        setAlpha(1);
        return;
    }
    const bool zoom = animationType == ProgressHUDAnimationZoom;
    if (zoom) setTransform(CGAffineTransformConcat(rotationTransform, CGAffineTransformMakeScale(1.5, 1.5)));
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kAnimationDuration);
    setAlpha(1);
    if (zoom) setTransform(rotationTransform);
    UIView::commitAnimations();
}

void ProgressHUD::hide(bool animated)
{
    if (phase_ == Phase::Hiding) return;
    auto keep = self();
    if (phase_ == Phase::Idle) {
        // Never shown, or already hidden: nothing to animate or report.
        setAlpha(0);
        if (removeFromSuperViewOnHide) removeFromSuperview();
        return;
    }
    useAnimation_ = animated;
    phase_ = Phase::Hiding;
    if (minShowTime > 0 && showStarted_) {
        const NSTimeInterval shown = NSDate::date().timeIntervalSinceDate(*showStarted_);
        if (shown < minShowTime) {
            minShowTimer_ = NSTimer::scheduledTimerWithTimeInterval(minShowTime - shown, self(), NX_SEL(ProgressHUD, handleMinShowTimer), nullptr, false);
            return;
        }
    }
    hideUsingAnimation(useAnimation_);
}

void ProgressHUD::handleMinShowTimer(const id&)
{
    if (phase_ == Phase::Hiding) hideUsingAnimation(useAnimation_);
}

void ProgressHUD::hideUsingAnimation(bool animated)
{
    if (!animated) {
        setAlpha(0);
        done();
        return;
    }
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kAnimationDuration);
    UIView::setAnimationDelegate(self());
    UIView::setAnimationDidStopSelector(NX_SEL(ProgressHUD, animationFinished));
    if (animationType == ProgressHUDAnimationZoom) setTransform(CGAffineTransformConcat(rotationTransform, CGAffineTransformMakeScale(0.5, 0.5)));
    setAlpha(0.02);
    UIView::commitAnimations();
}

void ProgressHUD::animationFinished(const id&) { done(); }

void ProgressHUD::done()
{
    if (phase_ != Phase::Hiding) return;  // shown again meanwhile
    auto keep = self();
    phase_ = Phase::Idle;
    setAlpha(0);
    if (auto d = delegate.lock()) d->hudWasHidden(this);
    if (removeFromSuperViewOnHide) removeFromSuperview();
}

// ---- The task thread ------------------------------------------------------------------------------

void ProgressHUD::showWhileExecuting(SEL method, const id& target, const id& object, bool animated)
{
    methodForExecution_ = std::move(method);
    targetForExecution_ = target;
    objectForExecution_ = object;
    taskInProgress_ = true;
    NSThread::detachNewThreadSelector(NX_SEL(ProgressHUD, launchExecution), self(), nullptr);
    show(animated);
}

void ProgressHUD::launchExecution(const id&)
{
    // A task that throws must not leave the HUD up for good: the exception
    // ends the task, and the HUD hides as after a normal return.
    try {
        methodForExecution_.perform(targetForExecution_.get(), objectForExecution_);
    } catch (const std::exception& e) {
        NX_LOG("task ended by an exception: %s", e.what());
    } catch (...) {
        NX_LOG("task ended by an exception");
    }
    performSelectorOnMainThread(NX_SEL0(ProgressHUD, cleanUp), nullptr, false);
}

void ProgressHUD::cleanUp()
{
    taskInProgress_ = false;
    indicator_ = nullptr;
    targetForExecution_ = nullptr;
    objectForExecution_ = nullptr;
    hide(useAnimation_);
}

// ---- Orientation -----------------------------------------------------------------------------------

void ProgressHUD::setTransformForCurrentOrientation(bool animated)
{
    CGFloat degrees = 0;
    switch (UIApplication::sharedApplication().statusBarOrientation()) {
    case UIInterfaceOrientationPortraitUpsideDown: degrees = 180; break;
    case UIInterfaceOrientationLandscapeRight: degrees = 90; break;
    case UIInterfaceOrientationLandscapeLeft: degrees = -90; break;
    default: break;
    }
    rotationTransform = CGAffineTransformMakeRotation(degrees * M_PI / 180);
    if (animated) UIView::beginAnimations(NSString(), nullptr);
    setTransform(rotationTransform);
    if (animated) UIView::commitAnimations();
}

void ProgressHUD::deviceOrientationDidChange(const id&)
{
    UIView* parent = superview();
    if (!parent) return;
    if (dynamic_cast<UIWindow*>(parent)) setTransformForCurrentOrientation(true);
    setFrame(parent->bounds());
    setNeedsDisplay();
}
