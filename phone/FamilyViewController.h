#pragma once
// The family phone numbers of the account: listed with the school numbers
// (marked, never deleted), added through an alert with two fields, deleted
// after a long press and a confirmation.

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"
#include "protocol/Family.h"

class FamilyViewController : public UIViewController,
                             public UITableViewDelegate,
                             public UITableViewDataSource,
                             public UITextFieldDelegate,
                             public UIAlertViewDelegate {
public:
    static constexpr NSInteger kNumberTag = 90001, kNameTag = 90002, kDateTag = 90003;
    static constexpr NSInteger kAddAlertTag = 90010, kDeleteAlertTag = 90011, kSchoolAlertTag = 90012;
    // The longest number or name the fields take.
    static constexpr NSUInteger kFieldLimit = 16;

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblPhone, lblName, lblTime, lblCount;
    std::shared_ptr<UIButton> btnAdd;
    std::shared_ptr<UITableView> table;

    std::vector<std::shared_ptr<FamilyMessage>> tableData;
    // The add alert's fields while it shows.
    std::shared_ptr<UITextField> phoneNo_, phoneName_;
    NSString strSelectTel;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void goBack();
    void toReload();
    void reload();
    void updateView(const std::shared_ptr<FamilyReturnMessage>& reply);
    void updateView();
    void addBtnClick(const id& sender);
    void cellLongPress(const id& recognizer);
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    void refresh(const std::shared_ptr<MessageInfo>& reply);
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;
    void addHud(const NSString& text);
    void hideHUD();

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override
    {
        return static_cast<NSInteger>(tableData.size());
    }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 30.0; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;

private:
    std::shared_ptr<FamilyViewController> strong()
    {
        return std::static_pointer_cast<FamilyViewController>(shared_from_this());
    }
    void addRecord();
    // Sends an add or delete body on a worker thread; the reply goes to refresh.
    void upload(bool add, const NSString& body);
};
