#include "phone/UserSettingController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSLog.h"

namespace {

// A refusal shows this long before it goes.
constexpr NSTimeInterval kRefusalShown = 1.0;

std::shared_ptr<UILabel> nibLabel(CGRect frame, CGFloat size)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(size);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

// The interface file: the caption, the minutes field with its unit, the save
// button; a tap beside the field ends editing.
const bool kNib = (UINib::registerNib("UserSettingController", [](NSObject* owner) {
    auto* screen = dynamic_cast<UserSettingController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame<UIControl>(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    view->addTarget(self, NX_SEL(UserSettingController, backgroundTap), UIControlEventTouchDown);
    screen->labUpdate = nibLabel(CGRectMake(20, 30, 280, 24), 16);
    screen->textTime = UITextField::initWithFrame(CGRectMake(20, 66, 180, 32));
    screen->textTime->borderStyle = UITextBorderStyleRoundedRect;
    screen->textTime->setBackgroundColor(UIColor::whiteColor());
    screen->textTime->keyboardType = UIKeyboardTypeNumberPad;
    screen->labMinute = nibLabel(CGRectMake(210, 70, 90, 24), 15);
    screen->btnSave = UIButton::buttonWithType(UIButtonTypeCustom);
    screen->btnSave->setFrame(CGRectMake(60, 130, 200, 40));
    screen->btnSave->setBackgroundColor(UIColor::colorWithRed(0, 0.6, 0.2, 1));
    screen->btnSave->layer()->cornerRadius = 8;
    screen->btnSave->addTarget(self, NX_SEL(UserSettingController, saveSetting), UIControlEventTouchUpInside);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->labUpdate, screen->textTime, screen->labMinute,
                                                              screen->btnSave})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

void UserSettingController::viewDidLoad()
{
    setTitle(L("sysSetting_title"));
    btnSave->setTitle(L("sysSetting_save"), UIControlStateNormal);
    labMinute->setText(L("sysSetting_minutes"));
    labUpdate->setText(L("sysSetting_updateFrequency"));
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("sysSetting_back"), std::static_pointer_cast<NSObject>(strong()),
                                                        NX_SEL0(UserSettingController, goBack)));
    loading = LoadingBoxView::initWithTitle(L("sysSetting_loading"));
    view()->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    reload();
}

void UserSettingController::reload()
{
    const NSString body = MessageExchange::body("<BODY><Equipid>%@</Equipid><ParaName>%@</ParaName></BODY></MSG>",
                                                MessageExchange::deviceId(), NSString("SyncTime"));
    std::weak_ptr<UserSettingController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : UserSetting::init()->RQUserSettingPhone(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            auto screen = weak.lock();
            if (!screen) return;
            if (reply) {
                screen->updateView(reply);
            } else {
                Ulvo::setNetworkActivityIndicatorVisible(false);
                screen->updateView();
            }
        }, false);
    });
}

void UserSettingController::updateView(const std::shared_ptr<UserSettingReturnMessage>& reply)
{
    NX_LOG("cmdType %i", reply->minutes().intValue());
    NSLog("dd:%@", reply->minutes());
    textTime->setText(reply->minutes().isNil() ? NSString("10") : reply->minutes());
    loading->stopAnimating();
}

void UserSettingController::updateView() { loading->stopAnimating(); }

void UserSettingController::saveSetting(const id&)
{
    // The field is read here, on the main thread.
    const NSString minutes = textTime->text();
    if (minutes.isNil() || minutes.length() == 0 || minutes == NSString("0")) {
        addHud(L(minutes == NSString("0") ? "sysSetting_nozero" : "sysSetting_warn"));
        hideHUDAfter(view(), kRefusalShown);
        return;
    }
    reSaveSetting(minutes);
}

void UserSettingController::reSaveSetting(const NSString& minutes)
{
    const NSString body = MessageExchange::body(
        "<BODY><Equipid>%@</Equipid><ParaName>%@</ParaName><ParaValue>%@</ParaValue></BODY></MSG>",
        MessageExchange::deviceId(), NSString("SyncTime"), minutes);
    std::weak_ptr<UserSettingController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : UserSetting::init()->UDUserSettingPhone(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            if (auto screen = weak.lock()) screen->showInfo(reply);
        }, false);
    });
}

void UserSettingController::showInfo(const std::shared_ptr<MessageInfo>& reply)
{
    // The service's word alone does not make a success: the code must say so too.
    addHud(resultText(timeConfigSucceeded(reply)));
    hideHUD();
}

void UserSettingController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void UserSettingController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void UserSettingController::backgroundTap(const id&) { textTime->resignFirstResponder(); }

void UserSettingController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void UserSettingController::hideHUD() { ::hideHUD(view().get()); }
