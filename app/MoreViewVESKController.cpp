#include "app/MoreViewVESKController.h"

#include "app/About.h"
#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/UserInfoShowController.h"
#include "platform/foundation/NSClassRegistry.h"

NX_REGISTER_CLASS(MoreViewVESKController, [] { return UIViewController::init<MoreViewVESKController>(); });

namespace {

// The interface file: four rows, one per entry.
const bool registered = (UINib::registerNib("MoreViewVESKController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<MoreViewVESKController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 367));
    view->setBackgroundColor(menuBackgroundColor());
    addMenuRow(view.get(), 20, vc->lblName, self, NX_SEL0(MoreViewVESKController, showUserInfo));
    addMenuRow(view.get(), 76, vc->lblAboutUs, self, NX_SEL0(MoreViewVESKController, showAboutUs));
    addMenuRow(view.get(), 132, vc->lblInvite, self, NX_SEL0(MoreViewVESKController, sendToFriends));
    addMenuRow(view.get(), 188, vc->lblProtectSetting, self, NX_SEL0(MoreViewVESKController, protectSetting));
    return {view};
}), true);

}  // namespace

void MoreViewVESKController::viewDidLoad()
{
    navigationItem()->title = localized("moreviewctrl_more");
    lblName->setText(localized("moreviewctrl_name"));
    lblAboutUs->setText(localized("moreviewctrl_aboutus"));
    lblInvite->setText(localized("moreviewctrl_invite"));
    lblProtectSetting->setText(localized("moreviewctrl_protectsetting"));
    UIViewController::viewDidLoad();
}

void MoreViewVESKController::showUserInfo() { pushHidingTabBar(this, UIViewController::init<UserInfoShowController>()); }

void MoreViewVESKController::showAboutUs() { pushHidingTabBar(this, UIViewController::init<About>()); }

// The invitation and the protect mode belong to the phone and PC screens,
// found by name.
void MoreViewVESKController::sendToFriends() { pushHidingTabBar(this, screenNamed("InviteFriendsViewController")); }

void MoreViewVESKController::protectSetting() { pushHidingTabBar(this, screenNamed("ProtectSettingViewController")); }
