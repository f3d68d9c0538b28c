#include "ui/PixRefreshTableHeaderView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/CATransaction.h"
#include "platform/uikit/UIApplication.h"

namespace {

constexpr NSTimeInterval kFlipDuration = 0.18;
constexpr NSTimeInterval kOpenDuration = 0.2;
constexpr NSTimeInterval kCloseDuration = 0.3;
const NSString kLastRefreshKey = "PixRefreshTableView_LastRefresh";

std::shared_ptr<UIColor> textColor() { return UIColor::colorWithRed(87.0 / 255, 108.0 / 255, 137.0 / 255, 1); }

std::shared_ptr<UILabel> makeLabel(CGRect frame, UIFontRef font)
{
    auto label = UILabel::initWithFrame(frame);
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    label->font = std::move(font);
    label->textColor = textColor();
    label->shadowColor = UIColor::colorWithWhite(0.9, 1);
    label->shadowOffset = CGSizeMake(0, 1);
    label->setBackgroundColor(UIColor::clearColor());
    label->textAlignment = UITextAlignmentCenter;
    return label;
}

void setContentTop(UIScrollView* scrollView, CGFloat top) { scrollView->contentInset = UIEdgeInsetsMake(top, 0, 0, 0); }

}  // namespace

std::shared_ptr<PixRefreshTableHeaderView> PixRefreshTableHeaderView::initWithFrame(CGRect frame)
{
    auto v = UIView::initWithFrame<PixRefreshTableHeaderView>(frame);
    const CGFloat w = frame.size.width, h = frame.size.height;
    v->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    v->setBackgroundColor(UIColor::colorWithRed(226.0 / 255, 231.0 / 255, 237.0 / 255, 1));

    v->lastUpdatedLabel_ = makeLabel(CGRectMake(0, h - 30, w, 20), UIFont::systemFontOfSize(12));
    v->addSubview(v->lastUpdatedLabel_);
    v->statusLabel_ = makeLabel(CGRectMake(0, h - 48, w, 20), UIFont::boldSystemFontOfSize(13));
    v->addSubview(v->statusLabel_);

    v->arrowImage_ = CALayer::layer();
    v->arrowImage_->setFrame(CGRectMake(25, h - 65, 30, 55));
    v->arrowImage_->contentsGravity = kCAGravityResizeAspect;
    v->arrowImage_->contents = UIImage::imageNamed("blueArrow.png");
    v->arrowImage_->contentsScale = UIScreen::mainScreen().scale();
    v->layer()->addSublayer(v->arrowImage_);

    v->activityView_ = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
    v->activityView_->setFrame(CGRectMake(25, h - 38, 20, 20));
    v->addSubview(v->activityView_);

    v->setState(PixPullRefreshNormal);
    return v;
}

void PixRefreshTableHeaderView::refreshLastUpdatedDate()
{
    auto d = delegate();
    if (!d || !d->pixRefreshTableHeaderDataSourceLastUpdated(this)) {
        lastUpdatedLabel_->setText(NSString());
        return;
    }
    // Written through to disk: only a changed text is saved.
    auto defaults = NSUserDefaults::standardUserDefaults();
    const NSString text = lastUpdatedLabel_->text();
    if (defaults->stringForKey(kLastRefreshKey) == text) return;
    defaults->setObject(text.isNil() ? PlistValue() : PlistValue(text), kLastRefreshKey);
    defaults->synchronize();
}

void PixRefreshTableHeaderView::setState(PixPullRefreshState state)
{
    switch (state) {
    case PixPullRefreshPulling:
        statusLabel_->setText(NSLocalizedString("松开即可刷新...", ""));
        CATransaction::begin();
        CATransaction::setAnimationDuration(kFlipDuration);
        arrowImage_->setAffineTransform(CGAffineTransformMakeRotation(M_PI));
        CATransaction::commit();
        break;
    case PixPullRefreshNormal:
        if (state_ == PixPullRefreshPulling) {
            CATransaction::begin();
            CATransaction::setAnimationDuration(kFlipDuration);
            arrowImage_->setAffineTransform(CGAffineTransformIdentity);
            CATransaction::commit();
        }
        statusLabel_->setText(NSLocalizedString("下拉可以刷新...", ""));
        activityView_->stopAnimating();
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        arrowImage_->hidden = false;
        arrowImage_->setAffineTransform(CGAffineTransformIdentity);
        CATransaction::commit();
        refreshLastUpdatedDate();
        break;
    case PixPullRefreshLoading:
        statusLabel_->setText(NSLocalizedString("加载中...", ""));
        activityView_->startAnimating();
        CATransaction::begin();
        CATransaction::setDisableActions(true);
        arrowImage_->hidden = true;
        CATransaction::commit();
        break;
    }
    state_ = state;
}

bool PixRefreshTableHeaderView::dataSourceIsLoading()
{
    auto d = delegate();
    return d && d->pixRefreshTableHeaderDataSourceIsLoading(this).value_or(false);
}

void PixRefreshTableHeaderView::pixRefreshScrollViewDidScroll(UIScrollView* scrollView)
{
    if (!scrollView) return;
    const CGFloat y = scrollView->contentOffset().y;
    if (state_ == PixPullRefreshLoading) {
        setContentTop(scrollView, std::min(std::max(-y, 0.0), kLoadingInset));
        return;
    }
    if (!scrollView->dragging()) return;
    const bool loading = dataSourceIsLoading();
    if (state_ == PixPullRefreshPulling && y > -kTriggerOffset && y < 0 && !loading) setState(PixPullRefreshNormal);
    else if (state_ == PixPullRefreshNormal && y < -kTriggerOffset && !loading) setState(PixPullRefreshPulling);
    if (scrollView->contentInset.top != 0) scrollView->contentInset = UIEdgeInsetsZero;
}

void PixRefreshTableHeaderView::pixRefreshScrollViewDidEndDragging(UIScrollView* scrollView)
{
    if (!scrollView) return;
    const bool loading = dataSourceIsLoading();
    if (scrollView->contentOffset().y > -kTriggerOffset || loading) return;
    if (auto d = delegate()) d->pixRefreshTableHeaderDidTriggerRefresh(this);
    setState(PixPullRefreshLoading);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kOpenDuration);
    setContentTop(scrollView, kLoadingInset);
    UIView::commitAnimations();
}

void PixRefreshTableHeaderView::pixRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView* scrollView)
{
    if (!scrollView) return;
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kCloseDuration);
    scrollView->contentInset = UIEdgeInsetsZero;
    UIView::commitAnimations();
    setState(PixPullRefreshNormal);
}
