#pragma once
// The phone tab set's "more" menu: account, about, invitations, protect
// mode, family numbers, disclaimer and sync interval, each row pushing a
// fresh screen; and the disclaimer it opens.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITextView.h"

class PhoneMoreViewController : public UIViewController {
public:
    // Outlets of the interface file: the rows' captions.
    std::shared_ptr<UILabel> lblName, lblAboutUs, lblInvite, lblProtectSetting, lblRelatives, lblDisclaimer,
        lblSysTimeSetting;

    void viewDidLoad() override;
    void showUserInfo(const id& sender);
    void protectSetting(const id& sender);
    void sendToFriends(const id& sender);
    void telephoneToRelatives(const id& sender);
    void systemSetting(const id& sender);
    void showAboutUs(const id& sender);
    void showNotice(const id& sender);
    void addHud(const NSString& text);
    void hideHUD();
};

class DisclaimerViewController : public UIViewController {
public:
    // The service's address and hotline as the disclaimer shows them.
    static const char* const kWebAddress;
    static const char* const kHotline;

    // Outlets of the interface file.
    std::shared_ptr<UITextView> disclaimer;
    std::shared_ptr<UILabel> webName, webDesc, teleName, teleDesc, notice;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void initUI();
    void goBack();
};
