#pragma once
// Sign-up and password reset by mobile number with an SMS verification code
// that the screen draws itself; the mode follows the title it was opened with.

#include <memory>

#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"
#include "protocol/UserInfo.h"

class RegistViewController : public UIViewController, public UITextFieldDelegate {
public:
    static constexpr NSInteger kNumberTag = 20001, kPasswordTag = 20002, kRepeatTag = 20003, kCodeTag = 20004;

    NSString strTitle_;
    NSString strUsrNumber;

    // Outlets of the interface file.
    std::shared_ptr<UITextField> username, password, password1, randomNumber, phone;
    std::shared_ptr<UILabel> viewTitle, lblUserName, lblPassword, lblRepass, lblValidateCode;
    std::shared_ptr<UIButton> btnGetValidateCode, btnCancel, btnOk;
    std::shared_ptr<UIScrollView> scrollview;

    bool resetMode() const;
    bool signUpMode() const;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void sendRandomNumber(const id& sender);
    void regist(const id& sender);
    void goBack(const id& sender);
    void endRegist(const std::shared_ptr<UserInfoReturnMessage>& reply);
    void showResetPasswordResult(const NSString& text);
    void reset();
    void addHud(const NSString& text);
    void hideHUD();
    // Non-zero bytes of the text's two-byte form.
    static int stringLength(const NSString& text);
    void textFiledValueChanged(const id& sender);
    void nextTextField(const id& sender);
    void backgroundTap(const id& sender);

    // A new code from 100000 to 999999.
    static int drawCode();

    void textFieldDidBeginEditing(UITextField* tf) override;
    std::optional<bool> textFieldShouldReturn(UITextField* tf) override;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;

private:
    void flash(const NSString& key);
    UITextField* lastTextField_ = nullptr;
};
