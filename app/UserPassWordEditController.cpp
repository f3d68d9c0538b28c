#include "app/UserPassWordEditController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSThread.h"
#include "protocol/Constant.h"
#include "protocol/WebService.h"

namespace {

constexpr NSUInteger kMinLength = 6;
constexpr NSUInteger kMaxLength = 16;

NSString withoutBlanks(const UITextField& field) { return field.text().stringByReplacingOccurrencesOfString(" ", ""); }

// The interface file: three captions over three password fields, then the
// confirm button.
const bool registered = (UINib::registerNib("UserPassWordEditController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<UserPassWordEditController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    CGFloat y = 16;
    for (auto [label, field] : {std::pair{&vc->lblPassOld, &vc->passwordOld}, std::pair{&vc->lblPassNew1, &vc->passwordNew1},
                                std::pair{&vc->lblPassNew2, &vc->passwordNew2}}) {
        *label = whiteLabel(CGRectMake(20, y, 280, 24), 15);
        *field = UITextField::initWithFrame(CGRectMake(20, y + 26, 280, 34));
        (*field)->borderStyle = UITextBorderStyleRoundedRect;
        (*field)->setBackgroundColor(UIColor::whiteColor());
        (*field)->secureTextEntry = true;
        (*field)->delegate = std::dynamic_pointer_cast<UserPassWordEditController>(self);
        view->addSubview(*label);
        view->addSubview(*field);
        y += 72;
    }
    vc->btnOk = veskButton(CGRectMake(20, y + 10, 280, 40));
    vc->btnOk->addTarget(self, NX_SEL0(UserPassWordEditController, commitEditPassword), UIControlEventTouchUpInside);
    view->addSubview(vc->btnOk);
    return {view};
}), true);

}  // namespace

void UserPassWordEditController::viewDidLoad()
{
    setTitle(localized("userpasswordeditctrl_editpass"));
    lblPassOld->setText(localized("userpasswordeditctrl_oldpass"));
    lblPassNew1->setText(localized("userpasswordeditctrl_newpass"));
    lblPassNew2->setText(localized("userpasswordeditctrl_repass"));
    btnOk->setTitle(localized("userpasswordeditctrl_ok"), UIControlStateNormal);
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(localized("userpasswordeditctrl_back"), shared_from_this(), NX_SEL0(UserPassWordEditController, goBack)));
    loading_ = LoadingBoxView::initWithTitle(localized("userpasswordeditctrl_editting"));
    UIViewController::viewDidLoad();
}

void UserPassWordEditController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void UserPassWordEditController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void UserPassWordEditController::commitEditPassword()
{
    // The texts are taken here, once: the worker gets what was checked.
    const NSString oldPassword = withoutBlanks(*passwordOld);
    const NSString newPassword = withoutBlanks(*passwordNew1);
    const NSString repeated = withoutBlanks(*passwordNew2);
    auto tooShortOrLong = [](const NSString& p) { return p.length() < kMinLength || p.length() > kMaxLength; };
    if (oldPassword.length() == 0) return showInfo(localized("userpasswordeditctrl_oldpassempty"));
    if (tooShortOrLong(newPassword) || tooShortOrLong(repeated)) return showInfo(localized("userpasswordeditctrl_newpasslenth"));
    if (!newPassword.isEqualToString(repeated)) return showInfo(localized("userpasswordeditctrl_passdif"));

    view()->addSubview(loading_);
    loading_->setCenter(CGPointMake(view()->frame().size.width / 2, 250));
    loading_->startAnimating();
    std::weak_ptr<UserPassWordEditController> weak = std::static_pointer_cast<UserPassWordEditController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([weak, oldPassword, repeated] {
        const NSString message = commitPassword(oldPassword, repeated);
        NSThread::performBlockOnMainThread([weak, message] {
            if (auto screen = weak.lock()) screen->showInfo(message);
        }, false);
    });
    // Stopped at once: the box fades out while the request runs.
    loading_->stopAnimating();
}

NSString UserPassWordEditController::commitPassword(const NSString& oldPassword, const NSString& newPassword)
{
    if (!oldPassword.isEqualToString(Constant::password())) return localized("userpasswordeditctrl_oldpasserr");
    const NSString result = WebService::editPass(newPassword);
    if (result.isNil() || result.length() == 0) return localized("userpasswordeditctrl_connectfail");
    if (result != "0") return result;
    Constant::setPassword(newPassword);
    return localized("userpasswordeditctrl_passeditsuccess");
}

void UserPassWordEditController::showInfo(const NSString& text)
{
    addHud(text);
    hideHUD();
}

void UserPassWordEditController::addHud(const NSString& text) { addViewHud(view().get(), text); }

void UserPassWordEditController::hideHUD() { hideViewHud(view().get()); }

// Only the repeat field sits where the keyboard comes up.
void UserPassWordEditController::textFieldDidBeginEditing(UITextField* tf)
{
    if (tf == passwordNew2.get()) keyboardShift_.up(view().get(), 0.3);
}

std::optional<bool> UserPassWordEditController::textFieldShouldReturn(UITextField* tf)
{
    keyboardShift_.down(view().get(), 0.3);
    tf->resignFirstResponder();
    return true;
}

std::optional<bool> UserPassWordEditController::textField_shouldChangeCharactersInRange_replacementString(UITextField* tf,
                                                                                                         NSRange range,
                                                                                                         const NSString&)
{
    return acceptsTyping(tf, range);
}
