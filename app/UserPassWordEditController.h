#pragma once
// The password change of the logged-in parent: the old password is checked
// against the one kept since login, the new one typed twice, then sent to the
// service; the kept password follows the change.

#include "app/ScreenParts.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITextField.h"
#include "ui/LoadingBoxView.h"

class UserPassWordEditController : public UIViewController, public UITextFieldDelegate {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblPassOld, lblPassNew1, lblPassNew2;
    std::shared_ptr<UIButton> btnOk;
    std::shared_ptr<UITextField> passwordOld, passwordNew1, passwordNew2;

    LoadingBoxView* loading() const { return loading_.get(); }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void goBack();
    // Checks the three fields, then sends the change on a worker.
    void commitEditPassword();
    // A brief HUD with the text.
    void showInfo(const NSString& text);
    void addHud(const NSString& text);
    void hideHUD();

    void textFieldDidBeginEditing(UITextField* tf) override;
    std::optional<bool> textFieldShouldReturn(UITextField* tf) override;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;

    // The message the change ends with, worked out on the worker: the old
    // password is checked against the kept one before anything is sent.
    static NSString commitPassword(const NSString& oldPassword, const NSString& newPassword);

private:
    std::shared_ptr<LoadingBoxView> loading_;
    KeyboardShift keyboardShift_;
};
