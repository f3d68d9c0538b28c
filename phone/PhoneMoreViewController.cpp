#include "phone/PhoneMoreViewController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "pc/ProtectSettingViewController.h"
#include "phone/FamilyViewController.h"
#include "phone/InviteFriendsViewController.h"
#include "phone/PhoneParts.h"
#include "phone/UserSettingController.h"
#include "platform/foundation/NSClassRegistry.h"

NX_REGISTER_CLASS(PhoneMoreViewController, [] { return UIViewController::init<PhoneMoreViewController>(); });

const char* const DisclaimerViewController::kWebAddress = "www.tavrel-family.example";
const char* const DisclaimerViewController::kHotline = "400-820-6688";

namespace {

std::shared_ptr<UILabel> whiteText(CGRect frame, CGFloat size, bool bold)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    label->numberOfLines = 0;
    return label;
}

// The menu's interface file: seven rows, each wired to its action.
const bool kMenuNib = (UINib::registerNib("PhoneMoreViewController", [](NSObject* owner) {
    auto* menu = dynamic_cast<PhoneMoreViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    const std::pair<std::shared_ptr<UILabel>*, SEL> rows[] = {
        {&menu->lblName, NX_SEL(PhoneMoreViewController, showUserInfo)},
        {&menu->lblAboutUs, NX_SEL(PhoneMoreViewController, showAboutUs)},
        {&menu->lblInvite, NX_SEL(PhoneMoreViewController, sendToFriends)},
        {&menu->lblProtectSetting, NX_SEL(PhoneMoreViewController, protectSetting)},
        {&menu->lblRelatives, NX_SEL(PhoneMoreViewController, telephoneToRelatives)},
        {&menu->lblDisclaimer, NX_SEL(PhoneMoreViewController, showNotice)},
        {&menu->lblSysTimeSetting, NX_SEL(PhoneMoreViewController, systemSetting)},
    };
    CGFloat y = 10;
    for (const auto& [label, action] : rows) {
        addMenuRow(view.get(), y, *label, self, action);
        y += 50;
    }
    return std::vector<id>{view};
}), true);

// The disclaimer's interface file: the text above, the address, the hotline
// and the rights notice below.
const bool kDisclaimerNib = (UINib::registerNib("DisclaimerViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<DisclaimerViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    screen->disclaimer = UITextView::initWithFrame(CGRectMake(10, 10, 300, 250));
    screen->disclaimer->setBackgroundColor(UIColor::colorWithWhite(1, 0.08));
    screen->disclaimer->textColor = UIColor::whiteColor();
    screen->disclaimer->setFont(UIFont::systemFontOfSize(14));
    screen->disclaimer->editable = false;
    screen->webName = whiteText(CGRectMake(10, 275, 80, 24), 14, true);
    screen->webDesc = whiteText(CGRectMake(90, 275, 220, 24), 14, false);
    screen->teleName = whiteText(CGRectMake(10, 305, 80, 24), 14, true);
    screen->teleDesc = whiteText(CGRectMake(90, 305, 220, 24), 14, false);
    screen->notice = whiteText(CGRectMake(10, 350, 300, 40), 12, false);
    screen->notice->textAlignment = UITextAlignmentCenter;
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->disclaimer, screen->webName, screen->webDesc,
                                                              screen->teleName, screen->teleDesc, screen->notice})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

void PhoneMoreViewController::viewDidLoad()
{
    navigationItem()->title = L("pmoreviewctrl_more");
    lblName->setText(L("pmoreviewctrl_name"));
    lblAboutUs->setText(L("pmoreviewctrl_aboutus"));
    lblInvite->setText(L("pmoreviewctrl_invite"));
    lblProtectSetting->setText(L("pmoreviewctrl_protectsetting"));
    lblRelatives->setText(L("pmoreviewctrl_relativescalls"));
    lblDisclaimer->setText(L("pmoreviewctrl_disclaimer"));
    lblSysTimeSetting->setText(L("sysSetting_title"));
}

// Each row pushes a fresh screen; the account screens come from the
// application's library, by name.
void PhoneMoreViewController::showUserInfo(const id&) { pushHidingTabBar(this, screenNamed("UserInfoShowController")); }

void PhoneMoreViewController::showAboutUs(const id&) { pushHidingTabBar(this, screenNamed("About")); }

void PhoneMoreViewController::sendToFriends(const id&)
{
    pushHidingTabBar(this, UIViewController::init<InviteFriendsViewController>());
}

void PhoneMoreViewController::protectSetting(const id&)
{
    pushHidingTabBar(this, UIViewController::init<ProtectSettingViewController>());
}

void PhoneMoreViewController::telephoneToRelatives(const id&)
{
    pushHidingTabBar(this, UIViewController::init<FamilyViewController>());
}

void PhoneMoreViewController::showNotice(const id&) { pushHidingTabBar(this, UIViewController::init<DisclaimerViewController>()); }

void PhoneMoreViewController::systemSetting(const id&) { pushHidingTabBar(this, UIViewController::init<UserSettingController>()); }

void PhoneMoreViewController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void PhoneMoreViewController::hideHUD() { ::hideHUD(view().get()); }

void DisclaimerViewController::viewDidLoad()
{
    setTitle(L("disclaimerviewctrl_dicclaimer"));
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(L("disclaimerviewctrl_back"), std::static_pointer_cast<NSObject>(shared_from_this()),
                     NX_SEL0(DisclaimerViewController, goBack)));
    initUI();
}

void DisclaimerViewController::initUI()
{
    disclaimer->setText(L("app_appdisclaimer"));
    webName->setText(L("disclaimerviewctrl_web"));
    webDesc->setText(kWebAddress);
    teleName->setText(L("disclaimerviewctrl_tel"));
    teleDesc->setText(kHotline);
    notice->setText(L("disclaimerviewctrl_power"));
}

void DisclaimerViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void DisclaimerViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
