#pragma once
// The "more" tab: a menu opening the account information, the about screen,
// the invitation of friends and the protect mode, each pushed afresh on the
// tab's navigation stack with the custom tab bar hidden.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"

class MoreViewVESKController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblName, lblAboutUs, lblInvite, lblProtectSetting;

    void viewDidLoad() override;
    void showUserInfo();
    void showAboutUs();
    void sendToFriends();
    void protectSetting();
};
