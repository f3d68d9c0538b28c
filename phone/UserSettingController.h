#pragma once
// How often, in minutes, the supervised phone synchronises with the service
// ("SyncTime"): read when the screen loads, saved with its button.

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITextField.h"
#include "protocol/UserSetting.h"
#include "ui/LoadingBoxView.h"

class UserSettingController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UITextField> textTime;
    std::shared_ptr<UILabel> labMinute, labUpdate;
    std::shared_ptr<UIButton> btnSave;

    LoadingBoxView* loadingBox() const { return loading.get(); }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void reload();
    void updateView(const std::shared_ptr<UserSettingReturnMessage>& reply);
    void updateView();
    void saveSetting(const id& sender);
    void showInfo(const std::shared_ptr<MessageInfo>& reply);
    void goBack();
    void backgroundTap(const id& sender);
    void addHud(const NSString& text);
    void hideHUD();

private:
    std::shared_ptr<UserSettingController> strong()
    {
        return std::static_pointer_cast<UserSettingController>(shared_from_this());
    }
    void reSaveSetting(const NSString& minutes);

    std::shared_ptr<LoadingBoxView> loading;
};
