#pragma once
// The scroll view: content size, offset, inset, paging, bounce and zoom, with
// its delegate calls. Dragging and deceleration are driven by the test driver.

#include "platform/uikit/UIView.h"

class UIScrollView;

class UIScrollViewDelegate {
public:
    virtual ~UIScrollViewDelegate() = default;
    virtual void scrollViewDidScroll(UIScrollView* sv) {}
    virtual void scrollViewWillBeginDragging(UIScrollView* sv) {}
    virtual void scrollViewDidEndDragging_willDecelerate(UIScrollView* sv, bool decelerate) {}
    virtual void scrollViewWillBeginDecelerating(UIScrollView* sv) {}
    virtual void scrollViewDidEndDecelerating(UIScrollView* sv) {}
    virtual void scrollViewDidEndScrollingAnimation(UIScrollView* sv) {}
    // nullptr: the scroll view does not zoom.
    virtual std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView* sv) { return nullptr; }
    virtual void scrollViewWillBeginZooming_withView(UIScrollView* sv, UIView* view) {}
    virtual void scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView* view, CGFloat scale) {}
    virtual void scrollViewDidZoom(UIScrollView* sv) {}
};

// The share of its speed a flung scroll view keeps per millisecond.
constexpr CGFloat UIScrollViewDecelerationRateNormal = 0.998;
constexpr CGFloat UIScrollViewDecelerationRateFast = 0.99;

class UIScrollView : public UIView {
public:
    // Content scrolled out of the bounds is not seen.
    UIScrollView() { setClipsToBounds(true); }
    static std::shared_ptr<UIScrollView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIScrollView>(frame); }

    std::shared_ptr<UIScrollViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& d) { delegate_ = d; }

    CGSize contentSize() const { return contentSize_; }
    void setContentSize(CGSize s) { contentSize_ = s; }
    CGPoint contentOffset() const { return bounds().origin; }
    // Moves the content at once; animated, the end of the scrolling animation
    // is reported on the clock.
    void setContentOffset(CGPoint offset, bool animated = false);
    UIEdgeInsets contentInset;
    UIEdgeInsets scrollIndicatorInsets;
    void scrollRectToVisible(CGRect rect, bool animated);

    bool scrollEnabled = true;
    bool pagingEnabled = false;
    bool bounces = true;
    bool alwaysBounceVertical = false;
    bool alwaysBounceHorizontal = false;
    bool showsHorizontalScrollIndicator = true;
    bool showsVerticalScrollIndicator = true;
    bool directionalLockEnabled = false;
    bool delaysContentTouches = true;
    bool canCancelContentTouches = true;
    bool scrollsToTop = true;
    CGFloat decelerationRate = UIScrollViewDecelerationRateNormal;

    CGFloat zoomScale() const { return zoomScale_; }
    // Kept within the minimum and maximum; scales the zooming view.
    void setZoomScale(CGFloat scale, bool animated = false);
    CGFloat minimumZoomScale = 1;
    CGFloat maximumZoomScale = 1;
    void zoomToRect(CGRect rect, bool animated);

    bool dragging() const { return dragging_; }
    bool decelerating() const { return decelerating_; }
    bool zooming() const { return zooming_; }
    bool tracking() const { return dragging_; }

    // Test driver: a finger drags the content by a translation (the content
    // follows the finger) and lifts; with decelerate the content comes to
    // rest as after a flick. Offsets past the edges hold while dragging when
    // the view bounces and return to the edge afterwards; paging rests on a page.
    void drag(CGPoint translation, bool decelerate);
    // Test driver: a finger drags by a translation and lifts moving at a
    // velocity (points per second, the finger's). The content glides on, its
    // speed falling by the deceleration rate, a step each 1/60 s of the run
    // loop's clock, and stops at an edge, below the slowest speed the eye
    // follows or when a finger takes it again (resting on a page when paging).
    void fling(CGPoint translation, CGPoint velocity);
    // Test driver: a pinch ending at a scale.
    void pinch(CGFloat scale);
    // The same with the fingers centred on a point of the scroll view: the
    // content under that point stays under it.
    void pinch(CGFloat scale, CGPoint focus);

protected:
    // Called whenever the offset changed, before the delegate hears of it.
    virtual void contentOffsetDidChange() {}
    CGPoint restingOffset(CGPoint offset) const;

private:
    CGPoint clampedOffset(CGPoint offset) const;
    void glide(unsigned run, CGPoint start, CGPoint velocity, double decay, NSTimeInterval t, NSTimeInterval duration);
    unsigned glideRun_ = 0;
    std::weak_ptr<UIScrollViewDelegate> delegate_;
    CGSize contentSize_;
    CGFloat zoomScale_ = 1;
    bool dragging_ = false;
    bool decelerating_ = false;
    bool zooming_ = false;
};
