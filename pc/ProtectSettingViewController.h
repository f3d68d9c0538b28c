#pragma once
// The protect mode of the supervised device: what its time configuration
// does in forbidden time, cut the network, lock the screen, or both.

#include "platform/uikit/UINavigationController.h"
#include "protocol/ProtectSetting.h"
#include "ui/LoadingBoxView.h"

class ProtectSettingViewController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblProtectMode, lblCutNet, lblLockScreen, lblInfoTitle, lblInfoline1, lblInfoline2,
        lblInfoline3, lblInfoTips;
    std::shared_ptr<UIButton> btnSave;
    std::shared_ptr<UISwitch> netStop, screenHold;

    bool isNetStop = false;
    bool isScreenHold = false;

    // The mode as CmdType: (cut ? 1 : 0) + (lock ? 2 : 0) - 1.
    static int cmdTypeFor(bool cut, bool lock) { return (cut ? 1 : 0) + (lock ? 2 : 0) - 1; }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void netSettings(const id& sender) { isNetStop = !isNetStop; }
    void screenSettings(const id& sender) { isScreenHold = !isScreenHold; }
    void saveSettings(const id& sender);
    void updateView(const std::shared_ptr<ProtectSettingReturnMessage>& reply);
    void goBack();

private:
    std::shared_ptr<ProtectSettingViewController> strong()
    {
        return std::static_pointer_cast<ProtectSettingViewController>(shared_from_this());
    }
    void reload();

    std::shared_ptr<LoadingBoxView> loading;
};
