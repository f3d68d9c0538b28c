#include "ui/VerticalPopupPanel.h"

namespace {
constexpr NSTimeInterval kSlideDuration = 0.2;
}

std::shared_ptr<VerticalPopupPanel> VerticalPopupPanel::initWithCoder(CGRect frameFromFile)
{
    auto p = UIView::initWithFrame<VerticalPopupPanel>(frameFromFile);
    p->popupRect_ = frameFromFile;
    p->hideRect_ = CGRectMake(frameFromFile.origin.x, frameFromFile.origin.y + frameFromFile.size.height, frameFromFile.size.width, 0);
    p->setFrame(p->hideRect_);
    p->layer()->cornerRadius = 0;
    p->setClipsToBounds(true);
    return p;
}

void VerticalPopupPanel::direction(bool up)
{
    isDirectionUp_ = up;
    if (!up) return;
    hideRect_ = CGRectMake(popupRect_.origin.x, popupRect_.origin.y, popupRect_.size.width, 0);
    setFrame(hideRect_);
}

void VerticalPopupPanel::popup()
{
    isPopup_ = true;
    slideTo(popupRect_);
}

void VerticalPopupPanel::hide()
{
    isPopup_ = false;
    slideTo(hideRect_);
}

void VerticalPopupPanel::slideTo(CGRect frame)
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(kSlideDuration);
    UIView::setAnimationCurve(UIViewAnimationCurveLinear);
    setFrame(frame);
    UIView::commitAnimations();
}
