#include "app/ServiceFreeController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ScreenParts.h"

namespace {

// The interface file: a heading and what the free service offers.
const bool registered = (UINib::registerNib("ServiceFreeController", [](NSObject*) -> std::vector<id> {
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    auto heading = whiteLabel(CGRectMake(20, 16, 280, 30), 20);
    heading->font = UIFont::boldSystemFontOfSize(20);
    heading->setText(localized("servicefreectrl_infotitle"));
    auto info = whiteLabel(CGRectMake(20, 56, 280, 170), 15);
    info->numberOfLines = 0;
    info->lineBreakMode = UILineBreakModeWordWrap;
    info->setText(localized("servicefreectrl_info"));
    view->addSubview(heading);
    view->addSubview(info);
    return {view};
}), true);

}  // namespace

void ServiceFreeController::viewDidLoad()
{
    setTitle(localized("servicefreectrl_free"));
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(localized("servicefreectrl_back"), shared_from_this(), NX_SEL0(ServiceFreeController, goBack)));
    UIViewController::viewDidLoad();
}

// As on the booked package page: the custom tab bar comes back on the way out.
void ServiceFreeController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void ServiceFreeController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
