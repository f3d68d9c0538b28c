#include "app/PushImageViewController.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIImage.h"

void PushImageViewController::viewDidLoad()
{
    imageData = ImageDataView::init();
    const int last = static_cast<int>(imageData->imgArray.size()) - 1;
    page_ = std::clamp(page_.load(), 0, last);
    view()->setBackgroundColor(UIColor::clearColor());
    imgView = UIImageView::initWithFrame(CGRectMake(0, 0, 320, 480));
    imgView->setTag(kImageTag);
    imgView->setImage(UIImage::imageNamed(imageName()));
    view()->addSubview(imgView);
    setTitle(NSString::stringWithFormat("image %@", imageName()));
}

void PushImageViewController::touchesBegan(const NSSetOfTouches& touches, UIEvent* event)
{
    if (touches.empty()) return;
    firstPoint_ = touches.front()->locationInView(view().get());
    touchMove_ = false;
}

void PushImageViewController::touchesMoved(const NSSetOfTouches& touches, UIEvent* event)
{
    if (touches.empty()) return;
    secondPoint_ = touches.front()->locationInView(view().get());
    touchMove_ = true;
}

void PushImageViewController::touchesEnded(const NSSetOfTouches& touches, UIEvent* event)
{
    if (!touchMove_ || ended_) return;
    const CGFloat dx = std::fabs(firstPoint_.x - secondPoint_.x);
    const bool forward = (firstPoint_.x >= kMiddleX && secondPoint_.x <= kMiddleX && dx > kSwipeDistance) ||
                         (firstPoint_.y >= kMiddleY && secondPoint_.y <= kMiddleY);
    const bool backward = (firstPoint_.x <= kMiddleX && secondPoint_.x >= kMiddleX && dx > kSwipeDistance) ||
                          (firstPoint_.y <= kMiddleY && secondPoint_.y >= kMiddleY);
    const int last = static_cast<int>(imageData->imgArray.size()) - 1;
    if (forward) {
        if (page_ < last) {
            ++page_;
            changePage();
        } else {
            // The guide ends once, however many swipes follow during its removal.
            ended_ = true;
            theEndAlert_ = endGuideScreen(this, "感谢您支持本产品!");
            performSelector(NX_SEL0(PushImageViewController, endAlertViewDismiss), nullptr, 1.0);
        }
    } else if (backward && page_ >= 1) {
        --page_;
        changePage();
    }
}

void PushImageViewController::changePage()
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationCurve(UIViewAnimationCurveEaseInOut);
    UIView::setAnimationDuration(0.05);
    view()->setAlpha(0.5);
    UIView::commitAnimations();
    performSelector(NX_SEL0(PushImageViewController, ChangeImage), nullptr, 0.1);
}

void PushImageViewController::ChangeImage()
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationCurve(UIViewAnimationCurveEaseInOut);
    UIView::setAnimationDuration(0.75);
    view()->setAlpha(1.0);
    setTitle(NSString::stringWithFormat("image %@", imageName()));
    imgView->setImage(UIImage::imageNamed(imageName()));
    UIView::commitAnimations();
}

void PushImageViewController::endAlertViewDismiss()
{
    if (theEndAlert_) theEndAlert_->dismissWithClickedButtonIndex(0, true);
    theEndAlert_.reset();
}
