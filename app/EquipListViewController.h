#pragma once
// The table of the account's supervised devices. Choosing a row makes it the
// supervised device and switches to its tab set; a long press offers renaming
// and removing it.

#include <memory>
#include <vector>

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UITableViewController.h"
#include "platform/uikit/UITextField.h"
#include "protocol/EquipList.h"
#include "ui/ZarpeActionSheet.h"

class EquipListViewController;
class UIGestureRecognizer;

class EquipListDelegate {
public:
    virtual ~EquipListDelegate() = default;
    // After every fetch: whether the list holds a row.
    virtual void EquipListViewController_callBackInfo(EquipListViewController* list, bool hasRows) {}
};

class EquipListViewController : public UITableViewController, public UITextFieldDelegate, public UIAlertViewDelegate {
public:
    static constexpr NSInteger kSheetTag = 58000, kRenameTag = 58001, kNumberTag = 58002, kPackageAlertTag = 58003;
    static constexpr NSInteger kLine1Tag = 50001, kLine2Tag = 50002;
    static constexpr int kNickLimit = 10;

    const std::vector<std::shared_ptr<EquipTempVO>>& list() const { return list_; }
    int currentPage() const { return currentPage_; }
    int pageSize() const { return pageSize_; }
    bool isEditing() const { return isEditing_; }
    // Not retained: the chooser owns the list.
    std::weak_ptr<EquipListDelegate> delegate;

    void viewDidLoad() override;
    void reload();
    void reload(const id&) { reload(); }
    void updateView();
    void setTableViewEdit(bool editing);
    void longPress(const id& recognizer);
    void showEditNick();
    void showEditDevice();
    void deletOneEquip();
    void deleteListItemByListIndex(int index);
    // Display width of a nickname: ASCII characters weigh a half, others one.
    static int stringLengthCount(const NSString& text);
    void addHud(const NSString& text);
    void hideHUD();
    // The long-press sheet.
    ZarpeActionSheet* sheet() const { return sheet_.get(); }
    int longPressIndex() const { return longPressIndex_; }

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView* tv) override { return 1; }
    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override { return 50.0; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView* tv, NSIndexPath ip) override { return true; }
    std::optional<UITableViewCellEditingStyle> tableView_editingStyleForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override
    {
        return UITableViewCellEditingStyleDelete;
    }
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                        NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& string) override;

private:
    // A fetch on a worker; only the latest one started changes the list.
    void downList();
    void buildSheet();
    void showDialog(NSInteger tag, const NSString& caption, const NSString& text);
    // Sends an update for a row on a worker, signed with that row's user ID;
    // flashes the outcome (nothing on success when successKey is nil) and
    // refetches on success.
    void sendUpdate(const std::shared_ptr<EquipTempVO>& item,
                    std::function<std::shared_ptr<MessageInfo>(const EquipList&)> request, const NSString& successKey,
                    const NSString& failureKey);
    void postChosen() const;
    std::shared_ptr<EquipTempVO> itemAt(int index) const;

    std::vector<std::shared_ptr<EquipTempVO>> list_;
    unsigned fetchGeneration_ = 0;
    int currentPage_ = 1;
    int pageSize_ = 20;
    bool isEditing_ = false;
    int longPressIndex_ = -1;
    std::shared_ptr<UITextField> equiNickName_;
    std::shared_ptr<ZarpeActionSheet> sheet_;
};
