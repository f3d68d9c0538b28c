#pragma once
// Inviting friends to the service by SMS: the invitations sent, page by page
// in two segments (all, succeeded), with an invite panel offering a contact
// from the address book or a number typed on a second screen. An invitation
// is recorded on the service once its SMS has gone.

#include <atomic>

#include "platform/uikit/AddressBook.h"
#include "platform/uikit/MessageUI.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"
#include "protocol/Invite.h"
#include "ui/LoadingBoxView.h"
#include "ui/VerticalPopupPanel.h"

class InviteFriendsViewController : public UIViewController,
                                    public MFMessageComposeViewControllerDelegate,
                                    public UITableViewDelegate,
                                    public UITableViewDataSource,
                                    public ABPeoplePickerNavigationControllerDelegate,
                                    public UITextFieldDelegate {
public:
    static constexpr NSInteger kNumberTag = 90001, kNameTag = 90002, kDateTag = 90003;

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblPhone, lblName, lblTime, lblCount;
    std::shared_ptr<UIButton> btnAdd, btnByInput, btnByTelephone;
    std::shared_ptr<UISegmentedControl> seg;
    std::shared_ptr<UITableView> table;
    std::shared_ptr<VerticalPopupPanel> _verPanel;

    // The rows: invitations, and at the end possibly the placeholder (nil)
    // standing for the next page.
    std::vector<std::shared_ptr<InviteMessage>> tableData;
    int currentPage = 1;
    int pageNum = 10;
    int currentSeg = 0;
    NSString phoneSelected, friendSelected;

    LoadingBoxView* loadingBox() const { return loading.get(); }
    bool hasPlaceholder() const { return !tableData.empty() && !tableData.back(); }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void reload(const NSString& segment);
    void updateView(const std::shared_ptr<InviteReturnMessage>& reply, int page);
    void updateView();
    void callBackSegmentValueChange(const id& sender);
    void inviteBtnClick(const id& sender);
    void addByTelephone();
    void addByInput();
    void sendSMS();
    void peoplePickerNavigationControllerDidCancel(ABPeoplePickerNavigationController* picker) override;
    bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson(ABPeoplePickerNavigationController* picker,
                                                                             const ABRecordRef& person) override;
    bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson_property_identifier(
        ABPeoplePickerNavigationController*, const ABRecordRef&, ABPropertyID, int) override
    {
        return false;
    }
    void messageComposeViewController_didFinishWithResult(MFMessageComposeViewController* controller,
                                                          MessageComposeResult result) override;
    void refresh(const std::shared_ptr<MessageInfo>& reply);
    void goBack();
    void addHud(const NSString& text);
    void hideHUD();

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override
    {
        return static_cast<NSInteger>(tableData.size());
    }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 30.0; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;

private:
    std::shared_ptr<InviteFriendsViewController> strong()
    {
        return std::static_pointer_cast<InviteFriendsViewController>(shared_from_this());
    }
    // Asks for the page after the current one, unless a list request is
    // still on its way (the placeholder is drawn again on every scroll past
    // it); with checkLast, not past the last page.
    void nextPage(bool checkLast);
    NSString segmentText() const { return currentSeg == 1 ? "1" : "0"; }

    std::shared_ptr<LoadingBoxView> loading;
    // The latest list reply's total.
    long total_ = 0;
    // List requests on their way.
    int listsInFlight_ = 0;
};

class InviteFriendByManualController : public UIViewController, public MFMessageComposeViewControllerDelegate {
public:
    // Outlets of the interface file.
    std::shared_ptr<UITextField> textNumber;
    std::shared_ptr<UILabel> labNumber;
    std::shared_ptr<UIButton> btn;

    NSString phoneSelected;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void viewDidUnload() override;
    void add(const id& sender);
    void sendSMS();
    void messageComposeViewController_didFinishWithResult(MFMessageComposeViewController* controller,
                                                          MessageComposeResult result) override;
    void refresh(const std::shared_ptr<MessageInfo>& reply);
    void showInfo(const NSString& text);
    void backgroundTap(const id& sender);
    void goBack();

private:
    std::shared_ptr<LoadingBoxView> loading;
};
