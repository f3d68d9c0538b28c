#pragma once
// The supervised PC's black lists: the web addresses it may not open
// (segment 0) and the programs it may not run (segment 1). Both load in
// pages of 20 with a loading row at the end; a web address can be added,
// one rule or every rule of the shown list deleted, and the list's weekly
// hour grid opened.
//
// Each list holds its rules and whether the loading row follows them; one
// load-more runs per list at a time, its rules are merged on the main
// thread into the list that asked, and a web rule already listed is not
// appended again (the web request carries no page, so every page repeats it).
// A load answers only the list as it was when the load started: after an
// addition, a deletion, a delete-all or a reload its late page is dropped,
// so rules deleted on the service never come back and added ones never go.

#include <vector>

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"
#include "protocol/Category.h"
#include "ui/LoadingBoxView.h"

class LimitViewController : public UIViewController,
                            public UITableViewDelegate,
                            public UITableViewDataSource,
                            public UIAlertViewDelegate {
public:
    static constexpr NSInteger kAddAlertTag = 30001, kDeleteAllAlertTag = 30002;

    // Outlets of the interface file.
    std::shared_ptr<UITableView> myTableview;
    std::shared_ptr<UISegmentedControl> webOrSoft;
    std::shared_ptr<UIView> timeEditView;
    std::shared_ptr<UIButton> addButton, delAllButton, timeButton, reloadButton;

    int webPageIndex = 1;
    int softPageIndex = 1;

    struct RuleList {
        std::vector<std::shared_ptr<CategoryTempVO>> rules;
        bool loadingRow = false;  // the marker: the list ends in a full page
        bool fetching = false;
        unsigned epoch = 0;       // moves on with every change the parent makes and every reload
    };
    const RuleList& webList() const { return web_; }
    const RuleList& softList() const { return soft_; }
    // The shown list's field of the add alert, while it is open.
    UITextField* addField() const { return addField_.get(); }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void addUrlOrSoft(const id& sender);
    void delAllUrlOrSoft(const id& sender);
    void editTime(const id& sender);
    void webOrSoftValueChanged(const id& sender);
    // Both lists again from their first page.
    void reload();
    // The sender's selected state flips, then the Edit button follows the list.
    void timeLimitChanged(const id& sender);
    // The Edit button while the shown list has rows; without it the table
    // leaves editing mode.
    void isShowEditBtn();
    // Editing mode on or off, the Edit button reading Done while it is on.
    void edit();
    void setSegSelectIndex(int index) { view(); webOrSoft->setSelectedSegmentIndex(index); }
    void setButtonHide() { view(); addButton->setHidden(true); }
    void goBack();

    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style, NSIndexPath ip) override;
    std::shared_ptr<UIView> tableView_viewForHeaderInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView*, NSInteger) override { return 22.0; }
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;

private:
    std::shared_ptr<LimitViewController> strong() { return std::static_pointer_cast<LimitViewController>(shared_from_this()); }
    bool softShown() const { return webOrSoft->selectedSegmentIndex() == 1; }
    RuleList& shown() { return softShown() ? soft_ : web_; }
    void downList();
    void downMore(bool soft);
    // Rules of a page joined to a list: web rules already listed are left out.
    static void append(RuleList& list, const std::shared_ptr<CategoryVO>& page, bool soft);
    void reloadData();
    void setEditTitle();
    void addWebRule(const NSString& typed);
    void deleteAll();
    NSString ruleElement(const CategoryTempVO& rule) const;

    RuleList web_, soft_;
    std::shared_ptr<LoadingBoxView> loading;
    std::shared_ptr<UITextField> addField_;
};
