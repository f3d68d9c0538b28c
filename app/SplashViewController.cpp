#include "app/SplashViewController.h"

#include "app/AppText.h"
#include "app/nemkAppDelegate.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "ui/UIImageCategories.h"

namespace {

std::shared_ptr<UILabel> label(CGRect frame, CGPoint center, const NSString& text, CGFloat size,
                               std::shared_ptr<UIColor> color)
{
    auto l = UILabel::initWithFrame(frame);
    l->setCenter(center);
    l->setText(text);
    l->font = UIFont::boldSystemFontOfSize(size);
    l->setBackgroundColor(UIColor::clearColor());
    l->textAlignment = UITextAlignmentCenter;
    l->textColor = std::move(color);
    return l;
}

}  // namespace

void SplashViewController::loadView()
{
    auto view = UIView::initWithFrame(UIScreen::mainScreen().applicationFrame());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    setView(view);

    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.75);
    UIView::setAnimationDelegate(shared_from_this());
    UIView::setAnimationTransition(UIViewAnimationTransitionCurlDown, view->superview(), true);
    view->setBackgroundColor(UIColor::colorWithPatternImage(scaleToSize(UIImage::imageNamed("Default.png"), CGSizeMake(320, 460))));

    auto logo = UIImageView::initWithFrame(CGRectMake(110, 30, 60, 60));
    logo->setImage(UIImage::imageNamed("logo_vesk.png"));
    logo->setCenter(CGPointMake(158, 80));
    view->addSubview(logo);
    view->addSubview(label(CGRectMake(140, 120, 280, 40), CGPointMake(158, 142), localized("splash_name"), 24,
                           UIColor::blackColor()));
    auto badge = UIImageView::initWithFrame(CGRectMake(262, 110, 49, 20));
    badge->setImage(scaleToSize(UIImage::imageNamed("incoming3.png"), CGSizeMake(49, 20)));
    auto version = UILabel::initWithFrame(CGRectMake(2, 0.5, 49, 20));
    version->setText(bundleVersion());
    version->font = UIFont::boldSystemFontOfSize(9);
    version->setBackgroundColor(UIColor::clearColor());
    version->textAlignment = UITextAlignmentCenter;
    version->textColor = UIColor::whiteColor();
    badge->addSubview(version);
    view->addSubview(badge);
    view->addSubview(label(CGRectMake(140, 150, 200, 40), CGPointMake(158, 180), localized("splash_promot"), 22,
                           UIColor::colorWithRed(0, 0.6, 0, 1)));
    auto carrier = UIImageView::initWithFrame(CGRectMake(107, 320, 107, 47));
    carrier->setImage(UIImage::imageNamed("bralon.png"));
    view->addSubview(carrier);
    UIView::commitAnimations();

    activeIndicator_ = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
    activeIndicator_->setFrame(CGRectMake(0, 0, 40, 40));
    activeIndicator_->setCenter(CGPointMake(158, 288));
    activeIndicator_->setBackgroundColor(UIColor::clearColor());
    view->addSubview(activeIndicator_);
    activeIndicator_->startAnimating();

    timer_ = NSTimer::scheduledTimerWithTimeInterval(kHandOverDelay, shared_from_this(),
                                                     NX_SEL0(SplashViewController, fadeScreen), nullptr, false);
}

void SplashViewController::fadeScreen()
{
    if (auto app = std::dynamic_pointer_cast<nemkAppDelegate>(UIApplication::sharedApplication().delegate.lock())) {
        app->firstTime();
        app->initView();
    }
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.75);
    UIView::setAnimationDelegate(shared_from_this());
    UIView::setAnimationDidStopSelector(NX_SEL0(SplashViewController, finishedFading));
    view()->setAlpha(0);
    UIView::commitAnimations();
}

void SplashViewController::finishedFading()
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.75);
    view()->setAlpha(1);
    UIView::commitAnimations();
    activeIndicator_->stopAnimating();
}
