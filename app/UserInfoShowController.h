#pragma once
// The account information as the service returns it: account, phone number,
// e-mail, QQ number, the package and the package's end date. From here the
// parent opens the booked package page and the password change.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/UserInfo.h"
#include "ui/LoadingBoxView.h"

class UserInfoShowController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> userName, userIphone, userEmail, userQQ, userPack, userPackLeft;
    std::shared_ptr<UILabel> lblUserName, lblUserIphone, lblUserEmail, lblUserPack, lblUserPackLeft, lblInfoTitle, lblInfoline1;
    std::shared_ptr<UIButton> btnTaocan;

    LoadingBoxView* loading() const { return loading_.get(); }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    // Fills the labels from the reply and stops the loading box.
    void updateView(const std::shared_ptr<UserInfoReturnMessage>& reply);
    // Nothing came back: the loading box stops, the labels stay.
    void updateView();
    // The end date, "yyyy-MM-dd" in the local zone, of a package with that
    // many days left: the last day is today + days - 1.
    static NSString dateSinceNow(const NSString& days);
    void showServiceSenior(const id& sender);
    void editPassWord(const id& sender);
    void goBack();
    // Shows the loading box again and fetches the details again.
    void reload(const id& sender);

private:
    void reload();

    std::shared_ptr<LoadingBoxView> loading_;
};
