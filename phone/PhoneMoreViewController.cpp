#include "phone/PhoneMoreViewController.h"

#include "pc/PCTimeCommon.h"
#include "pc/ProtectSettingViewController.h"
#include "phone/FamilyViewController.h"
#include "phone/PhoneParts.h"
#include "phone/UserSettingController.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"

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

// The menu's interface file: seven rows of 44 points, each a button with its
// caption and an arrow, wired to its action.
const bool kMenuNib = (UINib::registerNib("PhoneMoreViewController", [](NSObject* owner) {
    auto* menu = dynamic_cast<PhoneMoreViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    const struct {
        std::shared_ptr<UILabel> PhoneMoreViewController::*label;
        void (PhoneMoreViewController::*action)(const id&);
        const char* name;
    } rows[] = {
        {&PhoneMoreViewController::lblName, &PhoneMoreViewController::showUserInfo, "showUserInfo:"},
        {&PhoneMoreViewController::lblAboutUs, &PhoneMoreViewController::showAboutUs, "showAboutUs:"},
        {&PhoneMoreViewController::lblInvite, &PhoneMoreViewController::sendToFriends, "sendToFriends:"},
        {&PhoneMoreViewController::lblProtectSetting, &PhoneMoreViewController::protectSetting, "protectSetting:"},
        {&PhoneMoreViewController::lblRelatives, &PhoneMoreViewController::telephoneToRelatives, "telephoneToRelatives:"},
        {&PhoneMoreViewController::lblDisclaimer, &PhoneMoreViewController::showNotice, "showNotice:"},
        {&PhoneMoreViewController::lblSysTimeSetting, &PhoneMoreViewController::systemSetting, "systemSetting:"},
    };
    CGFloat y = 12;
    for (const auto& row : rows) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(10, y, 300, 44));
        button->setBackgroundImage(UIImage::imageNamed("more_row_vesk"), UIControlStateNormal);
        auto action = row.action;
        button->addTarget(self, SEL{row.name, [action](NSObject* receiver, const id& sender) {
                              (static_cast<PhoneMoreViewController*>(receiver)->*action)(sender);
                          }},
                          UIControlEventTouchUpInside);
        auto caption = whiteText(CGRectMake(16, 0, 250, 44), 16, true);
        caption->setUserInteractionEnabled(false);
        button->addSubview(caption);
        menu->*row.label = caption;
        view->addSubview(button);
        y += 50;
    }
    return std::vector<id>{view};
}), true);

// The disclaimer's interface file: the text above, the address, the hotline
// and the rights notice below.
const bool kDisclaimerNib = (UINib::registerNib("DisclaimerViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<DisclaimerViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
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
    setTitle(L("pmoreviewctrl_more"));
    lblName->setText(L("pmoreviewctrl_name"));
    lblAboutUs->setText(L("pmoreviewctrl_aboutus"));
    lblInvite->setText(L("pmoreviewctrl_invite"));
    lblProtectSetting->setText(L("pmoreviewctrl_protectsetting"));
    lblRelatives->setText(L("pmoreviewctrl_relativescalls"));
    lblDisclaimer->setText(L("pmoreviewctrl_disclaimer"));
    lblSysTimeSetting->setText(L("sysSetting_title"));
}

void PhoneMoreViewController::open(const std::shared_ptr<UIViewController>& screen)
{
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
    screen->setHidesBottomBarWhenPushed(true);
    if (auto* nav = navigationController()) nav->pushViewController(screen, true);
}

void PhoneMoreViewController::openByName(const char* className)
{
    auto make = NSClassFromString(className);
    if (auto screen = make ? std::dynamic_pointer_cast<UIViewController>(make()) : nullptr) open(screen);
}

void PhoneMoreViewController::showUserInfo(const id&) { openByName("UserInfoShowController"); }

void PhoneMoreViewController::showAboutUs(const id&) { openByName("About"); }

void PhoneMoreViewController::sendToFriends(const id&) { openByName("InviteFriendsViewController"); }

void PhoneMoreViewController::protectSetting(const id&) { open(UIViewController::init<ProtectSettingViewController>()); }

void PhoneMoreViewController::telephoneToRelatives(const id&) { open(UIViewController::init<FamilyViewController>()); }

void PhoneMoreViewController::showNotice(const id&) { open(UIViewController::init<DisclaimerViewController>()); }

void PhoneMoreViewController::systemSetting(const id&) { open(UIViewController::init<UserSettingController>()); }

void PhoneMoreViewController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void PhoneMoreViewController::hideHUD() { ::hideHUD(view().get()); }

void DisclaimerViewController::viewDidLoad()
{
    setTitle(L("disclaimerviewctrl_dicclaimer"));
    navigationItem()->setLeftBarButtonItem(
        phoneBarItem(L("disclaimerviewctrl_back"), std::static_pointer_cast<NSObject>(shared_from_this()),
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

void DisclaimerViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
