#include "app/LoveHeartController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ServiceFreeController.h"
#include "app/ServiceSeniorController.h"
#include "platform/foundation/NSClassRegistry.h"

NX_REGISTER_CLASS(LoveHeartController, [] { return UIViewController::init<LoveHeartController>(); });

namespace {

// The interface file: five rows, one per entry.
const bool registered = (UINib::registerNib("LoveHeartController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<LoveHeartController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 367));
    view->setBackgroundColor(menuBackgroundColor());
    addMenuRow(view.get(), 20, vc->lblImgBrowser, self, NX_SEL0(LoveHeartController, showCapPicture));
    addMenuRow(view.get(), 76, vc->lblBlacklist, self, NX_SEL0(LoveHeartController, showBlackList));
    addMenuRow(view.get(), 132, vc->lblRelativesPos, self, NX_SEL0(LoveHeartController, showServiceSon));
    addMenuRow(view.get(), 188, vc->lblFree, self, NX_SEL0(LoveHeartController, showServiceFree));
    addMenuRow(view.get(), 244, vc->lblBooked, self, NX_SEL0(LoveHeartController, showServiceSenior));
    return {view};
}), true);

}  // namespace

void LoveHeartController::viewDidLoad()
{
    navigationItem()->title = localized("loveheartctrl_loverheart");
    lblImgBrowser->setText(localized("loveheartctrl_imgbrowser"));
    lblBlacklist->setText(localized("loveheartctrl_blacklist"));
    lblRelativesPos->setText(localized("loveheartctrl_relativespos"));
    lblFree->setText(localized("loveheartctrl_freeservice"));
    lblBooked->setText(localized("loveheartctrl_bookedservice"));
    UIViewController::viewDidLoad();
}

// The day chooser of the captures keeps the custom tab bar.
void LoveHeartController::showCapPicture()
{
    auto screen = screenNamed("ImageTimeSelectView");
    if (screen && navigationController()) navigationController()->pushViewController(screen, true);
}

void LoveHeartController::showBlackList() { pushHidingTabBar(this, screenNamed("LimitViewController")); }

void LoveHeartController::showServiceSon()
{
    auto map = screenNamed("MapController");
    if (map) map->setTitle(localized("mapctrl_relativeloc"));
    pushHidingTabBar(this, map);
}

void LoveHeartController::showServiceFree() { pushHidingTabBar(this, UIViewController::init<ServiceFreeController>()); }

void LoveHeartController::showServiceSenior()
{
    auto page = UIViewController::init<ServiceSeniorController>();
    page->setTitle(localized("loveheartctrl_bookedservice"));
    pushHidingTabBar(this, page);
}
