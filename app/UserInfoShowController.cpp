#include "app/UserInfoShowController.h"

#include <algorithm>
#include <cmath>

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ScreenParts.h"
#include "app/ServiceSeniorController.h"
#include "app/Ulvo.h"
#include "app/UserPassWordEditController.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSThread.h"

// Menus that are not in this library make it by name.
NX_REGISTER_CLASS(UserInfoShowController, [] { return UIViewController::init<UserInfoShowController>(); });

namespace {

// A package is never sold for more than a century; anything beyond that (or
// not a number at all) from the service is held to it, so the date stays valid.
constexpr double kMaxDays = 36500;

// The interface file: captions left, values right, the package button and the
// explanation below.
const bool registered = (UINib::registerNib("UserInfoShowController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<UserInfoShowController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    std::vector<std::shared_ptr<UIView>> views;
    const std::pair<std::shared_ptr<UILabel>*, std::shared_ptr<UILabel>*> rows[] = {
        {&vc->lblUserName, &vc->userName},   {&vc->lblUserIphone, &vc->userIphone},
        {&vc->lblUserEmail, &vc->userEmail}, {nullptr, &vc->userQQ},
        {&vc->lblUserPack, &vc->userPack},   {&vc->lblUserPackLeft, &vc->userPackLeft}};
    // Values show "-" until the service's reply fills them; the QQ number
    // has no caption of its own.
    CGFloat y = 14;
    for (const auto& [caption, value] : rows) {
        if (caption) {
            *caption = whiteLabel(CGRectMake(20, y, 100, 28), 15);
            (*caption)->textColor = UIColor::colorWithRed(0.75, 0.82, 0.95, 1);
            views.push_back(*caption);
        }
        *value = whiteLabel(CGRectMake(124, y, 180, 28), 15);
        (*value)->setText("-");
        views.push_back(*value);
        y += 32;
    }
    vc->btnTaocan = veskButton(CGRectMake(20, y + 8, 280, 36));
    vc->btnTaocan->addTarget(owner->shared_from_this(), NX_SEL(UserInfoShowController, showServiceSenior), UIControlEventTouchUpInside);
    vc->lblInfoTitle = whiteLabel(CGRectMake(20, y + 56, 280, 24), 15);
    vc->lblInfoTitle->font = UIFont::boldSystemFontOfSize(15);
    vc->lblInfoline1 = whiteLabel(CGRectMake(20, y + 82, 280, 54), 13);
    vc->lblInfoline1->numberOfLines = 0;
    vc->lblInfoline1->lineBreakMode = UILineBreakModeWordWrap;
    views.insert(views.end(), {vc->btnTaocan, vc->lblInfoTitle, vc->lblInfoline1});
    for (const auto& v : views) view->addSubview(v);
    return {view};
}), true);

}  // namespace

void UserInfoShowController::viewDidLoad()
{
    const id self = shared_from_this();
    setTitle(localized("userInfoShowctrl_userinfo"));
    lblUserName->setText(localized("userInfoShowctrl_name"));
    lblUserIphone->setText(localized("userInfoShowctrl_phone"));
    lblUserEmail->setText(localized("userInfoShowctrl_email"));
    lblUserPack->setText(localized("userInfoShowctrl_taocan"));
    lblUserPackLeft->setText(localized("userInfoShowctrl_date"));
    lblInfoTitle->setText(localized("userInfoShowctrl_infotitle"));
    lblInfoline1->setText(localized("userInfoShowctrl_infoline1"));
    btnTaocan->setTitle(localized("userInfoShowctrl_showtaocan"), UIControlStateNormal);

    loading_ = LoadingBoxView::initWithTitle(localized("userInfoShowctrl_userinfoloading"));
    view()->addSubview(loading_);
    loading_->startAnimating();
    loading_->setCenter(CGPointMake(view()->frame().size.width / 2, 250));
    reload();

    navigationItem()->setLeftBarButtonItem(veskBarItem(localized("userInfoShowctrl_back"), self, NX_SEL0(UserInfoShowController, goBack)));
    navigationItem()->setRightBarButtonItem(
        veskBarItem(localized("userInfoShowctrl_editpass"), self, NX_SEL(UserInfoShowController, editPassWord)));
    UIViewController::viewDidLoad();
}

// The fetch runs on a worker; everything it changes on screen, the loading
// box included, is changed on the main thread, and only while the screen lives.
void UserInfoShowController::reload()
{
    std::weak_ptr<UserInfoShowController> weak = std::static_pointer_cast<UserInfoShowController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([weak] {
        auto reply = UserInfo::init()->RQUserInfo();
        NSThread::performBlockOnMainThread([weak, reply] {
            if (!reply) Ulvo::setNetworkActivityIndicatorVisible(false);
            auto screen = weak.lock();
            if (!screen) return;
            if (reply)
                screen->updateView(reply);
            else
                screen->updateView();
        }, false);
    });
}

void UserInfoShowController::reload(const id& sender)
{
    loading_->startAnimating();
    reload();
}

void UserInfoShowController::updateView(const std::shared_ptr<UserInfoReturnMessage>& reply)
{
    userName->setText(reply->userId());
    userIphone->setText(reply->phone());
    userEmail->setText(reply->email());
    userQQ->setText(reply->qq());
    if (reply->taocan() == "A") userPack->setText(localized("userInfoShowctrl_ehometaocan"));
    userPackLeft->setText(dateSinceNow(reply->taocanleft()));
    loading_->stopAnimating();
}

void UserInfoShowController::updateView() { loading_->stopAnimating(); }

NSString UserInfoShowController::dateSinceNow(const NSString& days)
{
    double d = days.doubleValue();
    if (std::isnan(d)) d = 0;
    d = std::clamp(d, -kMaxDays, kMaxDays);
    auto formatter = NSDateFormatter::init();
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter->stringFromDate(NSDate::dateWithTimeIntervalSinceNow((d - 1) * 86400));
}

void UserInfoShowController::showServiceSenior(const id&)
{
    auto page = UIViewController::init<ServiceSeniorController>();
    page->setTitle(localized("userInfoShowctrl_taocandetail"));
    pushHidingTabBar(this, page);
}

void UserInfoShowController::editPassWord(const id&) { pushHidingTabBar(this, UIViewController::init<UserPassWordEditController>()); }

void UserInfoShowController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void UserInfoShowController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}
