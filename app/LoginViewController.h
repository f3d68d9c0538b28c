#pragma once
// The login screen: checks the user name and the password, logs in on a
// worker thread, keeps the credentials and lays the device chooser over
// itself; opens sign-up, password reset, the forgotten-password screen and
// the help pages.

#include <memory>

#include "app/ScreenParts.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"

class EquipSelectController;
class FindPassViewController;
class HelpViewController;
class RegistViewController;

class LoginViewController : public UIViewController, public UITextFieldDelegate, public UIAlertViewDelegate {
public:
    static constexpr NSInteger kHelpOfferTag = 60002;
    static constexpr NSInteger kUserNameTag = 20001;
    static constexpr NSInteger kLastFieldTag = 20006;

    ~LoginViewController() override;

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblTitle, lblUserName, lblPassWord, lblRecordPass, lblInfoLine1, lblInfoLine2, lblInfoLine3,
        lblInfoLine4;
    std::shared_ptr<UITextField> userNameTextField, passwordTextField;
    std::shared_ptr<UIButton> autoLoginButton, btnLogin, btnSignUp, btnResetPass, btnUseHelp, btnForgotPass;
    std::shared_ptr<UIScrollView> scrollview;
    std::shared_ptr<UISwitch> autoLoginSwitch;  // not used by the screen

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // Actions.
    void login(const id& sender);
    void regist(const id& sender);
    void forgotPassword(const id& sender);
    void help(const id& sender);
    void autoLoginAction(const id& sender);
    void clearKeyboard(const id& sender);
    void nextTextField(const id& sender);
    // "GotoMainProject": the device was chosen.
    void goBack();
    // A heartbeat timer's callback (no part of the program schedules one):
    // sends the heartbeat; without a reply, says so in the HUD for 0.5 s and
    // invalidates the timer.
    void keepAlive(const id& timer);

    void addHud(const NSString& text);
    void hideHUD();
    void addEquipSelecter();

    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    void textFieldDidBeginEditing(UITextField* tf) override;
    std::optional<bool> textFieldShouldReturn(UITextField* tf) override;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;

    // The screens laid over this one while they show.
    EquipSelectController* equipSelecter() const { return equipSelecter_.get(); }
    RegistViewController* registScreen() const { return regist_.get(); }
    FindPassViewController* findPassScreen() const { return findPass_.get(); }
    HelpViewController* helpScreen() const { return help_.get(); }

    // The user name must be 4 to 16 of A-Z, a-z, 0-9 and the password 6 to 16
    // characters, both without blanks: the key of the first failure, or nil.
    static NSString checkCredentials(const NSString& name, const NSString& pass);

private:
    // The exchange on the worker, with the texts as they were at the tap.
    void loginWith(const NSString& typedName, const NSString& typedPass, bool rememberPass);
    void showOver(const std::shared_ptr<UIViewController>& screen);
    void showHelp();

    std::shared_ptr<EquipSelectController> equipSelecter_;
    std::shared_ptr<RegistViewController> regist_;
    std::shared_ptr<FindPassViewController> findPass_;
    std::shared_ptr<HelpViewController> help_;
    // The view is shifted up while the password is typed.
    KeyboardShift keyboardShift_;
};
