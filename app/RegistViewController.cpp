#include "app/RegistViewController.h"

#include "app/AppText.h"
#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NXRandom.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Constant.h"
#include "protocol/ValidateCode.h"
#include "protocol/WebService.h"
#include "ui/ProgressHUD.h"
#include "ui/StringRegex.h"

namespace {

constexpr NSUInteger kFieldLimit = 16;
constexpr NSUInteger kNumberLength = 11;

template <void (RegistViewController::*Action)(const id&)>
SEL action(const char* name)
{
    return SEL{name, [](NSObject* r, const id& a) { (static_cast<RegistViewController*>(r)->*Action)(a); }};
}

const bool registered = (UINib::registerNib("RegistViewController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<RegistViewController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(overlayFrame());
    view->setBackgroundColor(UIColor::colorWithRed(0.16, 0.22, 0.36, 1));
    vc->scrollview = UIScrollView::initWithFrame(view->bounds());
    vc->scrollview->setBackgroundColor(UIColor::clearColor());
    view->addSubview(vc->scrollview);
    auto background = UIView::initWithFrame<UIControl>(CGRectMake(0, 0, 320, 600));
    background->addTarget(self, action<&RegistViewController::backgroundTap>("backgroundTap:"), UIControlEventTouchDown);
    vc->scrollview->addSubview(background);

    vc->viewTitle = whiteLabel(CGRectMake(20, 16, 280, 40), 15);
    vc->viewTitle->font = UIFont::boldSystemFontOfSize(24);
    vc->viewTitle->textAlignment = UITextAlignmentCenter;
    auto field = [&](CGFloat y, NSInteger tag) {
        auto f = UITextField::initWithFrame(CGRectMake(110, y, 190, 31));
        f->setTag(tag);
        f->borderStyle = UITextBorderStyleRoundedRect;
        f->setBackgroundColor(UIColor::whiteColor());
        f->delegate = std::dynamic_pointer_cast<UITextFieldDelegate>(self);
        f->addTarget(self, action<&RegistViewController::textFiledValueChanged>("textFiledValueChanged:"), UIControlEventEditingChanged);
        f->addTarget(self, action<&RegistViewController::nextTextField>("nextTextField:"), UIControlEventEditingDidEndOnExit);
        return f;
    };
    vc->lblUserName = whiteLabel(CGRectMake(20, 72, 90, 31), 15);
    vc->username = field(72, RegistViewController::kNumberTag);
    vc->lblPassword = whiteLabel(CGRectMake(20, 114, 90, 31), 15);
    vc->password = field(114, RegistViewController::kPasswordTag);
    vc->password->secureTextEntry = true;
    vc->lblRepass = whiteLabel(CGRectMake(20, 156, 90, 31), 15);
    vc->password1 = field(156, RegistViewController::kRepeatTag);
    vc->password1->secureTextEntry = true;
    vc->lblValidateCode = whiteLabel(CGRectMake(20, 198, 90, 31), 15);
    vc->randomNumber = field(198, RegistViewController::kCodeTag);
    vc->randomNumber->setFrame(CGRectMake(110, 198, 90, 31));
    vc->btnGetValidateCode = veskButton(CGRectMake(206, 198, 94, 31));
    vc->btnGetValidateCode->titleLabel()->font = UIFont::systemFontOfSize(13);
    vc->btnGetValidateCode->addTarget(self, action<&RegistViewController::sendRandomNumber>("sendRandomNumber:"), UIControlEventTouchUpInside);
    vc->btnOk = veskButton(CGRectMake(20, 250, 135, 40));
    vc->btnOk->addTarget(self, action<&RegistViewController::regist>("regist:"), UIControlEventTouchUpInside);
    vc->btnCancel = veskButton(CGRectMake(165, 250, 135, 40));
    vc->btnCancel->addTarget(self, action<&RegistViewController::goBack>("goBack:"), UIControlEventTouchUpInside);
    vc->phone = UITextField::initWithFrame(CGRectZero);
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{
             vc->viewTitle, vc->lblUserName, vc->username, vc->lblPassword, vc->password, vc->lblRepass, vc->password1,
             vc->lblValidateCode, vc->randomNumber, vc->btnGetValidateCode, vc->btnOk, vc->btnCancel})
        vc->scrollview->addSubview(v);
    return {view};
}), true);

NSString withoutBlanks(const NSString& s) { return s.isNil() ? NSString("") : s.stringByReplacingOccurrencesOfString(" ", ""); }

// The first `length` UTF-16 units, one fewer when that would split a
// surrogate pair.
NSString cutTo(const NSString& text, NSUInteger length)
{
    const char16_t last = text.characterAtIndex(length - 1);
    return text.substringToIndex(last >= 0xD800 && last <= 0xDBFF ? length - 1 : length);
}

bool isPhoneNumber(const NSString& s) { return !s.isNil() && isMatchedByRegex(s, "^[0-9]{11}$"); }

}  // namespace

bool RegistViewController::resetMode() const { return strTitle_.isEqualToString(localized("login_getpasswordbtntitle")); }
bool RegistViewController::signUpMode() const { return strTitle_.isEqualToString(localized("login_signupbtntitle")); }

int RegistViewController::drawCode() { return static_cast<int>(NXArc4Random() % 900000 + 100000); }

void RegistViewController::viewDidLoad()
{
    lblUserName->setText(localized("signup_phone"));
    lblPassword->setText(localized("signup_password"));
    lblRepass->setText(localized("signup_repassword"));
    lblValidateCode->setText(localized("signup_validatecode"));
    btnGetValidateCode->setTitle(localized("signup_getpassword"), UIControlStateNormal);
    btnCancel->setTitle(localized("signup_cancel"), UIControlStateNormal);
    btnOk->setTitle(localized("signup_ok"), UIControlStateNormal);
    username->placeholder = localized("signup_placeholdphone");
    password->placeholder = localized("signup_placeholdpassword");
    password1->placeholder = localized("signup_placeholdpassword");
    randomNumber->placeholder = localized("signup_placeholdvalidatecode");
    viewTitle->setText(strTitle_);
    if (resetMode()) username->setText(strUsrNumber);
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(true);
    scrollview->setContentSize(CGSizeMake(320, 600));
    for (const auto& v : scrollview->subviews()) v->layer()->cornerRadius = 7;
}

void RegistViewController::viewWillDisappear(bool animated)
{
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
}

void RegistViewController::flash(const NSString& key)
{
    addHud(localized(key));
    hideHUD();
}

void RegistViewController::sendRandomNumber(const id& sender)
{
    if (lastTextField_) textFieldShouldReturn(lastTextField_);
    const int code = drawCode();
    const NSString number = username->text();
    if (number.isNil() || number.length() == 0) return flash("signup_phoneempty");
    if (!isPhoneNumber(number)) return flash("signup_phonerexerr");
    if (!Ulvo::isExistenceNetwork()) {
        addHud(localized("signup_connectneedcheak"));
        performSelector(NX_SEL0(RegistViewController, hideHUD), nullptr, 1.0);
        return;
    }
    const NSString type = resetMode() ? "1" : "0";
    const NSString body = NSString::stringWithFormat("<BODY><Phone>%@</Phone><ValidateCode>%i</ValidateCode><Type>%@</Type></BODY></MSG>",
                                                     number, code, type);
    auto reply = ValidateCode::init()->RQValidateCode(body, number);
    const NSString result = reply ? reply->code() : NSString();
    NSString outcome;
    if (result == "0")
        outcome = localized("signup_waitformessage");
    else if (result == "-1")
        outcome = resetMode() ? localized("signup_phoneneverregisted") : NSString("");
    else
        outcome = localized(signUpMode() ? "signup_hasaccount" : "serviceBackMessage_failed");
    addHud(outcome);
    hideHUD();
    Constant::setVerificationCode(NSString::stringWithFormat("%d", code));
}

void RegistViewController::regist(const id& sender)
{
    if (lastTextField_) textFieldShouldReturn(lastTextField_);
    const NSString number = username->text(), pass = password->text(), again = password1->text();
    if (withoutBlanks(number).length() == 0) return flash("signup_phoneempty");
    if (!isPhoneNumber(number)) {
        flash("signup_phonerexerr");
        username->becomeFirstResponder();
        return;
    }
    const NSString bare = withoutBlanks(pass);
    if (bare.length() == 0) return flash("signup_passempty");
    if (bare.length() < 6 || bare.length() > 16) return flash("signup_passlength");
    if (!pass.isEqualToString(again)) return flash("signup_passdif");
    if (!Ulvo::isExistenceNetwork()) {
        addHud(localized("signup_connectneedcheak"));
        performSelector(NX_SEL0(RegistViewController, hideHUD), nullptr, 1.0);
        return;
    }
    // No code was asked yet while the stored one is nil: nil never matches.
    if (!randomNumber->text().isEqualToString(Constant::verificationCode())) return flash("signup_validatecodeerr");

    auto self = std::static_pointer_cast<RegistViewController>(shared_from_this());
    if (resetMode()) {
        flash("signup_resetting");
        const NSString body = NSString::stringWithFormat("<BODY><UserID>%@</UserID><Password>%@</Password></BODY></MSG>", number, pass);
        NSThread::detachNewThreadWithBlock([self, body] {
            const NSString code = WebService::editPassByPhone(body);
            const NSString text = code.isNil() ? localized("signup_connectfail")
                                               : (code == "0" ? localized("signup_passeditsuccesses") : code);
            NSThread::performBlockOnMainThread([self, text] { self->showResetPasswordResult(text); }, false);
        });
        return;
    }
    phone->setText(number);
    flash("signup_regist");
    const NSString body = NSString::stringWithFormat(
        "<BODY><UserID>%@</UserID><UserName>%@</UserName><Password>%@</Password><Phone>%@</Phone><Email>%@</Email>"
        "<QQ>%@</QQ><RegTime>%@</RegTime></BODY></MSG>",
        number, NSString(""), pass, number, NSString(""), NSString(""), Constant::currentTime());
    NSThread::detachNewThreadWithBlock([self, body] {
        auto reply = UserInfo::init()->ADUserInfo(body);
        NSThread::performBlockOnMainThread([self, reply] { self->endRegist(reply); }, false);
    });
}

void RegistViewController::endRegist(const std::shared_ptr<UserInfoReturnMessage>& reply)
{
    if (!reply) return flash("signup_netlinkexception");
    if (reply->code() != "0") return flash("signup_registfail");
    flash("signup_registsuccesses");
    Constant::setLogined(false);
    performSelector(NX_SEL0(RegistViewController, reset), nullptr, 2.0);
}

void RegistViewController::showResetPasswordResult(const NSString& text)
{
    addHud(text);
    performSelector(NX_SEL0(RegistViewController, hideHUD), nullptr, 1.0);
    Constant::setLogined(false);
    performSelector(NX_SEL0(RegistViewController, reset), nullptr, 1.0);
}

void RegistViewController::reset() { NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr); }

void RegistViewController::goBack(const id& sender)
{
    removeWithCurlDown(view().get(), 0.75, nullptr);
}

void RegistViewController::addHud(const NSString& text) { addWindowHud(text); }

void RegistViewController::hideHUD() { hideWindowHud(); }

int RegistViewController::stringLength(const NSString& text)
{
    if (text.isNil()) return 0;
    int nonZero = 0;
    for (char16_t unit : text.utf16()) nonZero += ((unit & 0xff) != 0) + ((unit >> 8) != 0);
    return nonZero;
}

void RegistViewController::textFiledValueChanged(const id& sender)
{
    auto* field = dynamic_cast<UITextField*>(sender.get());
    if (!field) return;
    const NSString text = field->text();
    if (field->tag() == kNumberTag && text.length() >= kNumberLength && stringLength(text) > static_cast<int>(kNumberLength))
        field->setText(cutTo(text, kNumberLength));
    else if ((field->tag() == kPasswordTag || field->tag() == kRepeatTag) && text.length() > kFieldLimit)
        field->setText(cutTo(text, kFieldLimit));
}

void RegistViewController::nextTextField(const id& sender)
{
    auto* field = dynamic_cast<UIView*>(sender.get());
    if (!field || field->tag() > kRepeatTag) return;
    for (const auto& v : scrollview->subviews())
        if (v->tag() == field->tag() + 1) {
            v->becomeFirstResponder();
            return;
        }
}

void RegistViewController::backgroundTap(const id& sender)
{
    if (lastTextField_) textFieldShouldReturn(lastTextField_);
}

void RegistViewController::textFieldDidBeginEditing(UITextField* tf)
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.5);
    UIView::setAnimationDelegate(shared_from_this());
    const CGPoint offset = scrollview->contentOffset();
    if (tf->tag() > kPasswordTag) {
        if (offset.y == 0) scrollview->setContentOffset(CGPointMake(0, 130));
    } else if (offset.y != 0) {
        scrollview->setContentOffset(CGPointMake(0, 0));
    }
    UIView::commitAnimations();
    lastTextField_ = tf;
}

std::optional<bool> RegistViewController::textFieldShouldReturn(UITextField* tf)
{
    if (scrollview->contentOffset().y > 0) {
        UIView::beginAnimations(NSString(), nullptr);
        UIView::setAnimationDuration(0.5);
        scrollview->setContentOffset(CGPointMake(0, 0));
        UIView::commitAnimations();
    }
    tf->resignFirstResponder();
    return true;
}

std::optional<bool> RegistViewController::textField_shouldChangeCharactersInRange_replacementString(UITextField* tf,
                                                                                                    NSRange range,
                                                                                                    const NSString& string)
{
    return acceptsTyping(tf, range);
}
