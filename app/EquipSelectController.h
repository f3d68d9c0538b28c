#pragma once
// The device chooser: hosts the device list, binds a further device by its
// number, refreshes the list, switches it into edit mode and logs out.

#include <memory>

#include "app/EquipListViewController.h"
#include "platform/uikit/UINavigationController.h"

class EquipSelectController;

class EquipSelectCtrlDelegate {
public:
    virtual ~EquipSelectCtrlDelegate() = default;
    // A device was chosen (the second argument is always nil).
    virtual void EquipSelectCtrl_DeviceSelecttCallBack(EquipSelectController* chooser, const id& nothing) {}
};

class EquipSelectController : public UIViewController,
                              public EquipListDelegate,
                              public UITextFieldDelegate,
                              public UIAlertViewDelegate {
public:
    ~EquipSelectController() override;

    // Outlets of the interface file "EquipSelectController".
    std::shared_ptr<UIBarButtonItem> btnLogout;
    std::shared_ptr<UILabel> lblAdd, lblInfoTitle, lblInfoLine0, lblInfoLine1, lblInfoLine2, lblInfoLine3;
    std::shared_ptr<UITextField> equiBID;
    std::shared_ptr<UINavigationItem> mTmpBar;
    std::shared_ptr<UINavigationBar> bar;
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<UIButton> btnAdd, btnEdit, btnSwitchAccount;  // send addEquip:, editDeviceList:, goBack

    std::weak_ptr<EquipSelectCtrlDelegate> delegate;
    EquipListViewController* gameView() const { return gameView_.get(); }
    bool mEditTag() const { return mEditTag_; }

    // Observes "PopToRootView" from here on.
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void reload(const id& sender);
    void loadData();
    void EquipListViewController_callBackInfo(EquipListViewController* list, bool hasRows) override;
    void showOrHiddenRightBarItem(bool show);
    void edit(const id& sender);
    void editDeviceList(const id& sender);
    void addEquip(const id& sender);
    void sendAddEquip(const NSString& number);
    void logout(const id& sender);
    void popToRootViewCtrl();
    // The interface file's action that lays a fresh login screen over the
    // chooser (its view tagged kLoginViewTag), curling up.
    void goBack();
    static constexpr NSInteger kLoginViewTag = 100001;
    void addHud(const NSString& text);
    void hideHUD();
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;

private:
    void setRightButton(const NSString& titleKey);
    std::shared_ptr<EquipListViewController> gameView_;
    std::shared_ptr<UIViewController> login_;  // keeps the laid-over login screen's controller
    bool mEditTag_ = false;
};

// A device row with its user ID and nickname labels; kept for the interface
// files that name it, the device list draws its own rows.
class EquipViewCell : public UITableViewCell {
public:
    std::shared_ptr<UILabel> userId;
    std::shared_ptr<UILabel> nick;
};
