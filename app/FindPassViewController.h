#pragma once
// The forgotten-password screen: asks the service to send the account's
// password for the user name typed on the login screen.

#include <memory>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"
#include "protocol/UserInfo.h"

class FindPassViewController : public UIViewController {
public:
    std::shared_ptr<UITextField> name;  // an outlet the screen does not use
    std::shared_ptr<UIButton> btnRequest, btnBack;
    std::shared_ptr<UILabel> lblExplain;

    void setPhone(const NSString& phone) { mPhone_ = phone; }
    const NSString& phone() const { return mPhone_; }
    void forgotPassword(const id& sender);
    void goBack(const id& sender);
    void viewWillDisappear(bool animated) override;

private:
    void showOutcome(const std::shared_ptr<UserInfoReturnMessage>& reply);
    NSString mPhone_;
};
