#include "app/WaitingViewController.h"

#include "app/ScreenParts.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"

namespace {

// The interface file: a translucent box with a spinner in the middle of the screen.
const bool registered = (UINib::registerNib("WaitingViewController",
                                            [](NSObject*) -> std::vector<id> {
                                                auto view = UIView::initWithFrame(overlayFrame());
                                                view->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
                                                auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(
                                                    UIActivityIndicatorViewStyleWhiteLarge);
                                                spinner->setFrame(CGRectMake(141, 211, 37, 37));
                                                spinner->startAnimating();
                                                view->addSubview(spinner);
                                                return {view};
                                            }),
                         true);

}  // namespace

void WaitingViewController::initTeset(UIView* view)
{
    auto waiting = UIViewController::init<WaitingViewController>();
    waiting->view()->setTag(kTag);
    view->addSubview(waiting->view());
}

void WaitingViewController::removeFromView(UIView* view)
{
    if (UIView* waiting = view->viewWithTag(kTag); waiting && waiting != view) waiting->removeFromSuperview();
}
