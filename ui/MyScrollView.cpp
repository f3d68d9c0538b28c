#include "ui/MyScrollView.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<MyScrollView> MyScrollView::initWithFrame(CGRect frame)
{
    auto view = UIView::initWithFrame<MyScrollView>(frame);
    view->setDelegate(view);
    view->minimumZoomScale = 1.0;
    view->showsHorizontalScrollIndicator = false;
    view->showsVerticalScrollIndicator = false;
    view->imageView_ = UIImageView::initWithFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    view->imageView_->setContentMode(UIViewContentModeScaleAspectFit);
    view->addSubview(view->imageView_);
    return view;
}

void MyScrollView::scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView* view, CGFloat scale)
{
    // A whole step, never below the smallest zoom (a small pinch would round to 0).
    const CGFloat step = std::max<CGFloat>(std::round(scale), minimumZoomScale);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.3);
    if (step <= imageView_->frame().size.width / 320) sv->setZoomScale(step);
    UIView::commitAnimations();
}
