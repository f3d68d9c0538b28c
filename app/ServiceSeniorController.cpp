#include "app/ServiceSeniorController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "platform/uikit/UIImage.h"

namespace {

// The interface file: the title picture on top, the buy button below the
// body's window.
const bool registered = (UINib::registerNib("ServiceSeniorController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<ServiceSeniorController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    vc->imgvTaocanTitle = UIImageView::initWithFrame(CGRectMake(15, 5, 290, 30));
    vc->buyButton = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    vc->buyButton->setFrame(CGRectMake(110, 376, 100, 34));
    view->addSubview(vc->imgvTaocanTitle);
    view->addSubview(vc->buyButton);
    return {view};
}), true);

}  // namespace

void ServiceSeniorController::viewDidLoad()
{
    const id self = shared_from_this();
    buyButton->setHidden(true);
    navigationItem()->setLeftBarButtonItem(veskBarItem(localized("serviceseniorctrl_back"), self, NX_SEL0(ServiceSeniorController, goBack)));
    // The strings table names the pictures, so each language has its own.
    imgvTaocanTitle->image = UIImage::imageNamed(localized("serviceseniorctrl_taocantitle"));
    auto body = UIImageView::initWithFrame(CGRectMake(0, 0, 290, 700));
    body->image = UIImage::imageNamed(localized("serviceseniorctrl_taocanbody"));
    scrollView = UIScrollView::initWithFrame(CGRectMake(15, 39, 290, 369));
    view()->addSubview(scrollView);
    scrollView->setContentSize(body->frame().size);
    scrollView->addSubview(body);
    UIViewController::viewDidLoad();
}

void ServiceSeniorController::viewDidUnload()
{
    UIViewController::viewDidUnload();
    buyButton = nullptr;
}

// The page hid the custom tab bar on its way in and brings it back on its
// way out, so the tab it was opened from is never left without it (the
// account page it may go back to keeps the bar away itself).
void ServiceSeniorController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void ServiceSeniorController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
