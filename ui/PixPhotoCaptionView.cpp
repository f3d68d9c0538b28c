#include "platform/uikit/CoreGraphics.h"
#include "ui/PixPhotoViews.h"

namespace {
constexpr CGFloat kCaptionHeight = 40;
}

std::shared_ptr<PixPhotoCaptionView> PixPhotoCaptionView::initWithFrame(CGRect frame)
{
    auto caption = UIView::initWithFrame<PixPhotoCaptionView>(frame);
    caption->setBackgroundColor(UIColor::colorWithWhite(0, 0.3));
    caption->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    caption->textLabel_ = UILabel::initWithFrame(CGRectMake(20, 0, frame.size.width - 40, kCaptionHeight));
    caption->textLabel_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleWidth |
                                             UIViewAutoresizingFlexibleRightMargin);
    caption->textLabel_->setBackgroundColor(UIColor::clearColor());
    caption->textLabel_->textAlignment = UITextAlignmentCenter;
    caption->textLabel_->textColor = UIColor::whiteColor();
    caption->textLabel_->shadowColor = UIColor::blackColor();
    caption->textLabel_->shadowOffset = CGSizeMake(0, 1);
    caption->addSubview(caption->textLabel_);
    return caption;
}

void PixPhotoCaptionView::layoutSubviews()
{
    setNeedsDisplay();
    textLabel_->setFrame(CGRectMake(20, 0, frame().size.width - 40, kCaptionHeight));
}

void PixPhotoCaptionView::drawRect(CGRect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetStrokeColorWithColor(c, UIColor::colorWithWhite(1, 0.8)->CGColor());
    CGContextSetLineWidth(c, 1);
    CGContextMoveToPoint(c, 0, 0);
    CGContextAddLineToPoint(c, frame().size.width, 0);
    CGContextStrokePath(c);
}

void PixPhotoCaptionView::setCaptionText_hidden(const NSString& text, bool hidden)
{
    const bool blank = text.isNil() || text.str().find_first_not_of(" \t") == std::string::npos;
    if (blank) {
        textLabel_->setText(NSString());
        setHidden(true);
        return;
    }
    setHidden(hidden);
    textLabel_->setText(text);
}

void PixPhotoCaptionView::setCaptionHidden(bool hidden)
{
    if (hidden == captionHidden_) return;
    if (UIDevice::currentDevice().userInterfaceIdiom == UIUserInterfaceIdiomPad) {
        UIView::beginAnimations(NSString(), nullptr);
        UIView::setAnimationDuration(0.3);
        setAlpha(hidden ? 0 : 1);
        UIView::commitAnimations();
    } else {
        const UIInterfaceOrientation o = UIApplication::sharedApplication().statusBarOrientation();
        const CGFloat toolbarSize =
            o == UIInterfaceOrientationLandscapeLeft || o == UIInterfaceOrientationLandscapeRight ? 32 : 44;
        const CGFloat superHeight = superview() ? superview()->frame().size.height : 0;
        UIView::beginAnimations(NSString(), nullptr);
        UIView::setAnimationDuration(0.2);
        UIView::setAnimationCurve(hidden ? UIViewAnimationCurveEaseIn : UIViewAnimationCurveEaseOut);
        CGRect f = frame();
        f.origin.y = hidden ? superHeight : superHeight - (toolbarSize + f.size.height);
        setFrame(f);
        UIView::commitAnimations();
    }
    captionHidden_ = hidden;
}
