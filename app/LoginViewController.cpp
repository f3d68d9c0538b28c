#include "app/LoginViewController.h"

#include "app/AppText.h"
#include "app/ScreenParts.h"
#include "app/EquipSelectController.h"
#include "app/FindPassViewController.h"
#include "app/HelpViewController.h"
#include "app/RegistViewController.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Constant.h"
#include "protocol/KeepAlive.h"
#include "protocol/WebService.h"
#include "ui/ProgressHUD.h"
#include "ui/StringRegex.h"

namespace {

std::shared_ptr<UITextField> formField(CGRect frame, NSInteger tag)
{
    auto f = UITextField::initWithFrame(frame);
    f->setTag(tag);
    f->borderStyle = UITextBorderStyleRoundedRect;
    f->setBackgroundColor(UIColor::whiteColor());
    return f;
}

template <void (LoginViewController::*Action)(const id&)>
SEL action(const char* name)
{
    return SEL{name, [](NSObject* r, const id& a) { (static_cast<LoginViewController*>(r)->*Action)(a); }};
}

// The interface file "LoginViewController".
const bool registered = (UINib::registerNib("LoginViewController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<LoginViewController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(UIScreen::mainScreen().applicationFrame());
    view->setBackgroundColor(UIColor::colorWithRed(0.13, 0.30, 0.50, 1));
    vc->scrollview = UIScrollView::initWithFrame(view->bounds());
    vc->scrollview->setBackgroundColor(UIColor::clearColor());
    view->addSubview(vc->scrollview);

    auto background = UIView::initWithFrame<UIControl>(CGRectMake(0, 0, 320, 600));
    background->addTarget(self, action<&LoginViewController::clearKeyboard>("clearKeyboard:"), UIControlEventTouchDown);
    vc->scrollview->addSubview(background);

    vc->lblTitle = whiteLabel(CGRectMake(20, 16, 280, 44), 30);
    vc->lblTitle->font = UIFont::boldSystemFontOfSize(30);
    vc->lblTitle->textAlignment = UITextAlignmentCenter;
    vc->lblUserName = whiteLabel(CGRectMake(20, 78, 80, 31), 15);
    vc->userNameTextField = formField(CGRectMake(100, 78, 200, 31), LoginViewController::kUserNameTag);
    vc->lblPassWord = whiteLabel(CGRectMake(20, 120, 80, 31), 15);
    vc->passwordTextField = formField(CGRectMake(100, 120, 200, 31), LoginViewController::kUserNameTag + 1);
    vc->passwordTextField->secureTextEntry = true;
    for (const auto& field : {vc->userNameTextField, vc->passwordTextField}) {
        field->delegate = std::dynamic_pointer_cast<UITextFieldDelegate>(self);
        field->addTarget(self, action<&LoginViewController::nextTextField>("nextTextField:"), UIControlEventEditingDidEndOnExit);
    }
    vc->autoLoginButton = UIButton::buttonWithType(UIButtonTypeCustom);
    vc->autoLoginButton->setFrame(CGRectMake(100, 162, 24, 24));
    vc->autoLoginButton->setImage(UIImage::imageNamed("checkbox_off"), UIControlStateNormal);
    vc->autoLoginButton->setImage(UIImage::imageNamed("checkbox_on"), UIControlStateSelected);
    vc->autoLoginButton->addTarget(self, action<&LoginViewController::autoLoginAction>("autoLoginAction:"), UIControlEventTouchUpInside);
    vc->lblRecordPass = whiteLabel(CGRectMake(130, 162, 170, 24), 15);
    // An outlet the screen never reads: kept out of sight, since a switch that
    // does nothing must not be offered.
    vc->autoLoginSwitch = UIView::initWithFrame<UISwitch>(CGRectMake(206, 162, 94, 27));
    vc->autoLoginSwitch->setHidden(true);

    vc->btnLogin = veskButton(CGRectMake(20, 200, 135, 40));
    vc->btnLogin->addTarget(self, action<&LoginViewController::login>("login:"), UIControlEventTouchUpInside);
    vc->btnSignUp = veskButton(CGRectMake(165, 200, 135, 40));
    vc->btnSignUp->addTarget(self, action<&LoginViewController::regist>("regist:"), UIControlEventTouchUpInside);
    vc->btnResetPass = veskButton(CGRectMake(20, 250, 135, 30));
    vc->btnResetPass->addTarget(self, action<&LoginViewController::regist>("regist:"), UIControlEventTouchUpInside);
    vc->btnForgotPass = veskButton(CGRectMake(165, 250, 135, 30));
    vc->btnForgotPass->titleLabel()->font = UIFont::systemFontOfSize(12);
    vc->btnForgotPass->setTitle(localized("login_forgotpassword"), UIControlStateNormal);
    vc->btnForgotPass->addTarget(self, action<&LoginViewController::forgotPassword>("forgotPassword:"), UIControlEventTouchUpInside);
    vc->btnUseHelp = veskButton(CGRectMake(20, 290, 280, 30));
    vc->btnUseHelp->addTarget(self, action<&LoginViewController::help>("help:"), UIControlEventTouchUpInside);

    vc->lblInfoLine1 = whiteLabel(CGRectMake(20, 340, 280, 18), 12);
    vc->lblInfoLine2 = whiteLabel(CGRectMake(20, 358, 280, 18), 12);
    vc->lblInfoLine3 = whiteLabel(CGRectMake(20, 376, 280, 18), 12);
    vc->lblInfoLine4 = whiteLabel(CGRectMake(20, 394, 280, 18), 12);
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{
             vc->lblTitle, vc->lblUserName, vc->userNameTextField, vc->lblPassWord, vc->passwordTextField,
             vc->autoLoginButton, vc->lblRecordPass, vc->btnLogin, vc->btnSignUp, vc->btnResetPass, vc->btnForgotPass,
             vc->btnUseHelp, vc->lblInfoLine1, vc->lblInfoLine2, vc->lblInfoLine3, vc->lblInfoLine4, vc->autoLoginSwitch})
        vc->scrollview->addSubview(v);
    return {view};
}), true);

bool helpOffered() { return localized("login_title") == "Tavrel"; }

NSString withoutBlanks(const NSString& s) { return s.stringByReplacingOccurrencesOfString(" ", ""); }

}  // namespace

LoginViewController::~LoginViewController() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void LoginViewController::viewDidLoad()
{
    lblTitle->setText(localized("login_title"));
    lblUserName->setText(localized("login_username"));
    lblPassWord->setText(localized("login_password"));
    lblRecordPass->setText(localized("login_autologinbtntitle"));
    lblRecordPass->font = UIFont::systemFontOfSize(13);
    lblInfoLine1->setText(localized("login_bottomtext1"));
    lblInfoLine2->setText(localized("login_bottomtext2"));
    lblInfoLine3->setText(localized("login_bottomtext3"));
    lblInfoLine4->setText(localized("login_bottomtext4"));
    btnResetPass->setTitle(localized("login_getpasswordbtntitle"), UIControlStateNormal);
    btnResetPass->titleLabel()->font = UIFont::systemFontOfSize(12);
    btnLogin->setTitle(localized("login_loginbtntitle"), UIControlStateNormal);
    btnSignUp->setTitle(localized("login_signupbtntitle"), UIControlStateNormal);
    if (helpOffered()) {
        btnUseHelp->setTitle(localized("login_helpbtntitle"), UIControlStateNormal);
        btnUseHelp->titleLabel()->font = UIFont::systemFontOfSize(12);
    } else {
        btnUseHelp->setHidden(true);
    }
    navigationItem()->setHidesBackButton(true);
    for (auto* field : {userNameTextField.get(), passwordTextField.get()}) {
        field->layer()->cornerRadius = 7;
        field->layer()->masksToBounds = true;
    }
    scrollview->setContentSize(CGSizeMake(320, 600));
    for (const auto& v : scrollview->subviews()) v->layer()->cornerRadius = 7;
}

void LoginViewController::viewWillAppear(bool animated)
{
    // One registration however often the screen appears.
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, "GotoMainProject", nullptr);
    center->addObserver(this, NX_SEL0(LoginViewController, goBack), "GotoMainProject", nullptr);
    center->postNotificationName("hideCustomTabBar", nullptr);
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(true);

    if (Constant::isLogin()) {
        userNameTextField->setText(Constant::userName());
        const bool remember = Constant::isRecordPass();
        autoLoginButton->setSelected(remember);
        Constant::setRecordPass(remember);
        passwordTextField->setText(remember ? Constant::password() : NSString(""));
    } else {
        const NSString stored = Constant::userName();
        if (stored.isNil() || stored.length() == 0 || stored == "PARAM ERROR") {
            userNameTextField->setText("");
        } else {
            userNameTextField->setText(stored);
            NX_LOG("userName %@", stored);
        }
        autoLoginButton->setSelected(true);
        Constant::setRecordPass(true);
    }
}

void LoginViewController::viewDidAppear(bool animated)
{
    if (Constant::isNotHelp() || !helpOffered()) return;
    auto offer = UIAlertView::initWithTitle(localized("login_tipinfo"), localized("login_suretoshowhelp"),
                                            std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()),
                                            localized("login_ok"), {localized("login_next")});
    offer->setTag(kHelpOfferTag);
    offer->show();
}

void LoginViewController::viewWillDisappear(bool animated)
{
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
    NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
}

void LoginViewController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (alert->tag() != kHelpOfferTag || index != 0) return;
    showHelp();
    Constant::setNotHelp(true);
}

void LoginViewController::showOver(const std::shared_ptr<UIViewController>& screen)
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.5);
    UIView::setAnimationTransition(UIViewAnimationTransitionCurlUp, view().get(), true);
    view()->addSubview(screen->view());
    UIView::commitAnimations();
}

void LoginViewController::showHelp()
{
    help_ = UIViewController::init<HelpViewController>();
    showOver(help_);
}

void LoginViewController::login(const id& sender)
{
    textFieldShouldReturn(userNameTextField.get());
    textFieldShouldReturn(passwordTextField.get());
    const NSString name = userNameTextField->text(), pass = passwordTextField->text();
    const bool remember = autoLoginButton->selected();
    auto self = std::static_pointer_cast<LoginViewController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([self, name, pass, remember] { self->loginWith(name, pass, remember); });
}

NSString LoginViewController::checkCredentials(const NSString& name, const NSString& pass)
{
    for (NSUInteger i = 0; i < name.length(); ++i)
        if (!isMatchedByRegex(name.substringWithRange(NSRange{i, 1}), "^[A-Za-z0-9]+$")) return "login_usernameerr";
    if (pass.length() < 6 || pass.length() > 16) return "login_passlength";
    if (name.length() < 4 || name.length() > 16) return "login_usernamelengtherr";
    return NSString();
}

void LoginViewController::loginWith(const NSString& typedName, const NSString& typedPass, bool rememberPass)
{
    auto self = std::static_pointer_cast<LoginViewController>(shared_from_this());
    auto onMain = [](std::function<void()> step) { NSThread::performBlockOnMainThread(std::move(step), false); };
    if (!Ulvo::isExistenceNetwork()) {
        onMain([self] {
            self->addHud(localized("login_connectfail"));
            self->performSelector(NX_SEL0(LoginViewController, hideHUD), nullptr, 1.0);
        });
        return;
    }
    const NSString name = withoutBlanks(typedName), pass = withoutBlanks(typedPass);
    if (const NSString failure = checkCredentials(name, pass); !failure.isNil()) {
        onMain([failure] { Constant_alert(localized(failure), nullptr); });
        return;
    }
    onMain([self] { self->addHud(localized("login_login")); });
    const NSString result = WebService::loginByUserName(typedName, typedPass);
    if (result == "0" || result == "-2") {
        Constant::setLogined(true);
        Constant::setRecordPass(rememberPass);
        Constant::setUserName(name);
        Constant::setPassword(pass);
        Constant::setFirstTime(false);
        onMain([self] {
            self->hideHUD();
            self->addHud(localized("login_loginsuccesses"));
            self->addEquipSelecter();
        });
        return;
    }
    const NSString text = localized(result == "-3" ? "login_connecttimefail" : "login_usernameorpasserr");
    onMain([self, text] {
        self->hideHUD();
        self->addHud(text);
        self->hideHUD();
    });
}

void LoginViewController::addHud(const NSString& text)
{
    ProgressHUD::hideHUDForView(view().get(), false);
    ProgressHUD::showHUDAddedTo_withTitle(view().get(), text);
}

void LoginViewController::hideHUD() { ProgressHUD::hideHUDForView(view().get(), true); }

void LoginViewController::addEquipSelecter()
{
    hideHUD();
    equipSelecter_ = UIViewController::initWithNibName<EquipSelectController>("EquipSelectController", NSString());
    view()->addSubview(equipSelecter_->view());
    NX_LOG("add equip select controller");
}

void LoginViewController::regist(const id& sender)
{
    textFieldShouldReturn(userNameTextField.get());
    textFieldShouldReturn(passwordTextField.get());
    auto* button = dynamic_cast<UIButton*>(sender.get());
    regist_ = UIViewController::init<RegistViewController>();
    regist_->strTitle_ = button ? button->titleLabel()->text() : NSString();
    regist_->strUsrNumber = userNameTextField->text();
    showOver(regist_);
}

void LoginViewController::forgotPassword(const id& sender)
{
    textFieldShouldReturn(passwordTextField.get());
    const NSString name = userNameTextField->text();
    if (name.isNil() || name.length() == 0) {
        Constant_alert(localized("login_usernameempty"), nullptr);
        return;
    }
    findPass_ = UIViewController::init<FindPassViewController>();
    findPass_->setPhone(name);
    showOver(findPass_);
}

void LoginViewController::help(const id& sender)
{
    textFieldShouldReturn(userNameTextField.get());
    textFieldShouldReturn(passwordTextField.get());
    showHelp();
}

void LoginViewController::autoLoginAction(const id& sender)
{
    autoLoginButton->setSelected(!autoLoginButton->selected());
    Constant::setRecordPass(autoLoginButton->selected());
}

void LoginViewController::keepAlive(const id& timer)
{
    // The heartbeat answers "null" when no reply came: the link is down.
    const NSString reply = KeepAlive::keepAlive();
    if (!reply.isNil() && reply != "null") return;
    addHud(localized("login_netlinkexception"));
    performSelector(NX_SEL0(LoginViewController, hideHUD), nullptr, 0.5);
    if (auto t = std::dynamic_pointer_cast<NSTimer>(timer); t && t->isValid()) t->invalidate();
}

void LoginViewController::clearKeyboard(const id& sender) { textFieldShouldReturn(passwordTextField.get()); }

void LoginViewController::nextTextField(const id& sender)
{
    auto* field = dynamic_cast<UIView*>(sender.get());
    if (!field || field->tag() > kLastFieldTag) return;
    for (const auto& v : scrollview->subviews())
        if (v->tag() == field->tag() + 1) {
            v->becomeFirstResponder();
            return;
        }
}

void LoginViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popToRootViewControllerAnimated(false);
}

void LoginViewController::textFieldDidBeginEditing(UITextField* tf)
{
    if (tf == passwordTextField.get()) keyboardShift_.up(view().get(), 0.1);
}

std::optional<bool> LoginViewController::textFieldShouldReturn(UITextField* tf)
{
    keyboardShift_.down(view().get(), 0.1);
    tf->resignFirstResponder();
    return true;
}

std::optional<bool> LoginViewController::textField_shouldChangeCharactersInRange_replacementString(UITextField* tf,
                                                                                                   NSRange range,
                                                                                                   const NSString& string)
{
    return acceptsTyping(tf, range);
}
