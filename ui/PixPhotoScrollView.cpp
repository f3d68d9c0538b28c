#include <algorithm>

#include "platform/foundation/NSNotificationCenter.h"
#include "ui/PixPhotoViews.h"

std::shared_ptr<PixPhotoScrollView> PixPhotoScrollView::initWithFrame(CGRect frame)
{
    auto sv = UIView::initWithFrame<PixPhotoScrollView>(frame);
    sv->scrollEnabled = true;
    sv->pagingEnabled = false;
    sv->setClipsToBounds(false);
    sv->maximumZoomScale = 3.0;
    sv->minimumZoomScale = 1.0;
    sv->showsHorizontalScrollIndicator = false;
    sv->showsVerticalScrollIndicator = false;
    sv->alwaysBounceVertical = false;
    sv->alwaysBounceHorizontal = false;
    sv->bounces = true;
    sv->scrollsToTop = false;
    sv->decelerationRate = UIScrollViewDecelerationRateFast;
    sv->setBackgroundColor(UIColor::blackColor());
    sv->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                            UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    return sv;
}

void PixPhotoScrollView::toggleBars()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(PixPhotoViewToggleBarsNotification, nullptr);
}

void PixPhotoScrollView::touchesEnded(const NSSetOfTouches& touches, UIEvent* event)
{
    UIScrollView::touchesEnded(touches, event);
    if (touches.empty()) return;
    const auto& touch = touches.front();
    const SEL toggle = NX_SEL0(PixPhotoScrollView, toggleBars);
    if (touch->tapCount() == 1) {
        performSelector(toggle, nullptr, 0.2);
    } else if (touch->tapCount() == 2) {
        cancelPreviousPerformRequestsWithTarget(this, toggle, nullptr);
        zoomRectWithCenter(touch->locationInView(this));
    }
}

void PixPhotoScrollView::zoomRectWithCenter(CGPoint center)
{
    if (zoomScale() > 1.0) {
        if (auto* page = dynamic_cast<PixPhotoImageView*>(superview())) page->killScrollViewZoom();
        return;
    }
    const CGRect f = frame();
    CGRect rect;
    rect.size = CGSizeMake(f.size.width / kZoomDivisor, f.size.height / kZoomDivisor);
    rect.origin.x = std::max<CGFloat>(center.x - rect.size.width / 2, 0);
    rect.origin.y = std::max<CGFloat>(center.y - rect.size.height / 2, 0);
    // Near the black margins of a fitted picture the rect moves inwards.
    const CGFloat borderX = f.origin.x, borderY = f.origin.y;
    if (borderX > 0 && (center.x < borderX || center.x > f.size.width - borderX)) {
        if (center.x < f.size.width / 2) rect.origin.x += borderX / kZoomDivisor;
        else rect.origin.x -= borderX / kZoomDivisor + rect.size.width;
    }
    if (borderY > 0 && (center.y < borderY || center.y > f.size.height - borderY)) {
        if (center.y < f.size.height / 2) rect.origin.y += borderY / kZoomDivisor;
        else rect.origin.y -= borderY / kZoomDivisor + rect.size.height;
    }
    zoomToRect(rect, true);
}
