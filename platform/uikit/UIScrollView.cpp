#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIKitClock.h"

// How long a scrolling animation takes before its end is reported.
static constexpr NSTimeInterval kScrollAnimationDuration = 0.3;

void UIScrollView::setContentOffset(CGPoint offset, bool animated)
{
    CGRect b = bounds();
    const bool moved = !(b.origin == offset);
    b.origin = offset;
    setBounds(b);
    auto keep = self();
    if (moved) {
        contentOffsetDidChange();
        if (auto d = delegate()) d->scrollViewDidScroll(this);
    }
    if (animated) {
        std::weak_ptr<UIView> weak = keep;
        nxuiAfterDelay(kScrollAnimationDuration, [weak] {
            if (auto v = std::static_pointer_cast<UIScrollView>(weak.lock()))
                if (auto d = v->delegate()) d->scrollViewDidEndScrollingAnimation(v.get());
        });
    }
}

// The offset within the content (and its insets).
CGPoint UIScrollView::clampedOffset(CGPoint o) const
{
    const CGSize s = bounds().size;
    const CGFloat maxX = std::max(contentSize_.width + contentInset.right - s.width, -contentInset.left);
    const CGFloat maxY = std::max(contentSize_.height + contentInset.bottom - s.height, -contentInset.top);
    return CGPointMake(std::clamp(o.x, -contentInset.left, maxX), std::clamp(o.y, -contentInset.top, maxY));
}

// The offset within the content (and its insets), on a page when paging.
CGPoint UIScrollView::restingOffset(CGPoint o) const
{
    const CGSize s = bounds().size;
    const CGFloat maxX = std::max(contentSize_.width + contentInset.right - s.width, -contentInset.left);
    const CGFloat maxY = std::max(contentSize_.height + contentInset.bottom - s.height, -contentInset.top);
    o = clampedOffset(o);
    if (pagingEnabled) {
        if (s.width > 0) o.x = std::clamp(std::round(o.x / s.width) * s.width, -contentInset.left, maxX);
        if (s.height > 0) o.y = std::clamp(std::round(o.y / s.height) * s.height, -contentInset.top, maxY);
    }
    return o;
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated)
{
    const CGRect b = bounds();
    CGPoint o = b.origin;
    if (CGRectGetMaxX(rect) > CGRectGetMaxX(b)) o.x = CGRectGetMaxX(rect) - b.size.width;
    if (rect.origin.x < o.x) o.x = rect.origin.x;
    if (CGRectGetMaxY(rect) > CGRectGetMaxY(b)) o.y = CGRectGetMaxY(rect) - b.size.height;
    if (rect.origin.y < o.y) o.y = rect.origin.y;
    setContentOffset(restingOffset(o), animated);
}

void UIScrollView::drag(CGPoint translation, bool decelerate)
{
    if (!scrollEnabled) return;
    auto keep = self();
    ++glideRun_;  // a finger on the content stops a glide
    decelerating_ = false;
    dragging_ = true;
    if (auto d = delegate()) d->scrollViewWillBeginDragging(this);
    CGPoint o{contentOffset().x - translation.x, contentOffset().y - translation.y};
    if (!bounces) o = restingOffset(o);
    setContentOffset(o);
    dragging_ = false;
    if (auto d = delegate()) d->scrollViewDidEndDragging_willDecelerate(this, decelerate);
    if (decelerate) {
        decelerating_ = true;
        if (auto d = delegate()) d->scrollViewWillBeginDecelerating(this);
    }
    setContentOffset(restingOffset(contentOffset()));
    if (decelerate) {
        decelerating_ = false;
        if (auto d = delegate()) d->scrollViewDidEndDecelerating(this);
    }
}

namespace {
// A glide ends when the content moves slower than this (points per second).
constexpr double kSlowestGlide = 20;
constexpr NSTimeInterval kGlideStep = 1.0 / 60;
}  // namespace

void UIScrollView::fling(CGPoint translation, CGPoint velocity)
{
    if (!scrollEnabled) return;
    auto keep = self();
    const unsigned run = ++glideRun_;
    decelerating_ = false;
    dragging_ = true;
    if (auto d = delegate()) d->scrollViewWillBeginDragging(this);
    CGPoint o{contentOffset().x - translation.x, contentOffset().y - translation.y};
    if (!bounces) o = restingOffset(o);
    setContentOffset(o);
    dragging_ = false;
    // Speed falls as rate^(milliseconds): exponentially, at this decay per second.
    const double speed = std::hypot(velocity.x, velocity.y);
    const double decay = decelerationRate > 0 && decelerationRate < 1 ? -1000 * std::log(decelerationRate) : 0;
    const bool glides = decay > 0 && speed > kSlowestGlide;
    if (auto d = delegate()) d->scrollViewDidEndDragging_willDecelerate(this, glides);
    if (!glides) {
        setContentOffset(restingOffset(contentOffset()));
        return;
    }
    decelerating_ = true;
    if (auto d = delegate()) d->scrollViewWillBeginDecelerating(this);
    if (run != glideRun_) return;  // the delegate took the content
    // The content moves against the finger's coordinates: its offset falls as the finger moves on.
    glide(run, contentOffset(), CGPointMake(-velocity.x, -velocity.y), decay, 0, std::log(speed / kSlowestGlide) / decay);
}

// One step of a glide, t seconds after the lift: the offset the decaying
// speed has carried the content to, v (1 - e^(-decay t)) / decay.
void UIScrollView::glide(unsigned run, CGPoint start, CGPoint velocity, double decay, NSTimeInterval t, NSTimeInterval duration)
{
    if (run != glideRun_) return;
    const double travelled = (1 - std::exp(-decay * std::min(t, duration))) / decay;
    const CGPoint wanted = CGPointMake(start.x + velocity.x * travelled, start.y + velocity.y * travelled);
    const CGPoint o = clampedOffset(wanted);
    const bool atEdge = !(o == wanted);
    if (t >= duration || atEdge) {
        setContentOffset(restingOffset(o));
        decelerating_ = false;
        if (auto d = delegate()) d->scrollViewDidEndDecelerating(this);
        return;
    }
    if (t > 0) setContentOffset(o);
    std::weak_ptr<UIView> weak = self();
    nxuiAfterDelay(kGlideStep, [weak, run, start, velocity, decay, t, duration] {
        if (auto v = std::static_pointer_cast<UIScrollView>(weak.lock())) v->glide(run, start, velocity, decay, t + kGlideStep, duration);
    });
}

void UIScrollView::setZoomScale(CGFloat scale, bool)
{
    auto d = delegate();
    auto view = d ? d->viewForZoomingInScrollView(this) : nullptr;
    if (!view) return;
    scale = std::clamp(scale, minimumZoomScale, std::max(minimumZoomScale, maximumZoomScale));
    zoomScale_ = scale;
    view->setTransform(CGAffineTransformMakeScale(scale, scale));
    const CGRect f = view->frame();
    view->setCenter(CGPointMake(f.size.width / 2, f.size.height / 2));
    contentSize_ = f.size;
    d->scrollViewDidZoom(this);
}

void UIScrollView::zoomToRect(CGRect rect, bool animated)
{
    if (rect.size.width <= 0 || rect.size.height <= 0) return;
    const CGSize s = bounds().size;
    const CGFloat before = zoomScale_;
    setZoomScale(std::min(s.width / rect.size.width, s.height / rect.size.height) * before, animated);
    const CGFloat k = zoomScale_ / (before > 0 ? before : 1);
    setContentOffset(restingOffset({rect.origin.x * k, rect.origin.y * k}), animated);
}

void UIScrollView::pinch(CGFloat scale) { pinch(scale, CGPointMake(-contentOffset().x, -contentOffset().y)); }

void UIScrollView::pinch(CGFloat scale, CGPoint focus)
{
    auto d = delegate();
    auto view = d ? d->viewForZoomingInScrollView(this) : nullptr;
    if (!view) return;
    auto keep = self();
    zooming_ = true;
    d->scrollViewWillBeginZooming_withView(this, view.get());
    const CGPoint o = contentOffset();
    const CGFloat before = zoomScale_;
    setZoomScale(scale);
    const CGFloat k = zoomScale_ / before;
    setContentOffset(CGPointMake((o.x + focus.x) * k - focus.x, (o.y + focus.y) * k - focus.y));
    zooming_ = false;
    d->scrollViewDidEndZooming_withView_atScale(this, view.get(), zoomScale_);
}
