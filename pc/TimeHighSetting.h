#pragma once
// The weekly periods of the supervised PC: the list page of the time-settings
// tab (add through the period editor, delete one or all, the period switch)
// and the period record the editor fills.

#include <vector>

#include "pc/AddTimeViewCtrl.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"

class TimeHighSetting;

class TimeHighSettingDelegate {
public:
    virtual ~TimeHighSettingDelegate() = default;
    virtual void timeHighSettingView_DeletItemCallBack(TimeHighSetting* view, bool deleted) = 0;
};

class TimeHighSetting : public UIView,
                        public UITableViewDataSource,
                        public UITableViewDelegate,
                        public AddTimeViewCtrlDelegate {
public:
    static constexpr NSInteger kTableTag = 60001;
    static constexpr NSInteger kSubmissionTag = 60002;
    static std::shared_ptr<TimeHighSetting> initWithFrame(CGRect frame);

    // Held weakly: the host owns this page through its view.
    std::weak_ptr<TimeHighSettingDelegate> delegate;
    void SetParentViewController(UIViewController* host) { host_ = host; }

    void setTableEditByEditTag(bool editing);
    bool isTableViewEdit() const;
    NSInteger getTableViewDataCount() const { return static_cast<NSInteger>(rows_.size()); }
    const std::vector<std::shared_ptr<TimeHighSettingDataStruct>>& rows() const { return rows_; }
    void clearTableViewDataArray();
    // Appends the record unless an equal one (start, end, days, type) is
    // there; with showErr the refusal is told with timehighsetting_settingexist.
    bool addTableViewDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& record, bool showErr);
    // Deletes one period on the service; the row goes only when the service took it.
    void deleteDataStructFromDataArrayByDataIndex(NSInteger row);
    void reloadTableViewData();
    void addTimeHighSetting(const id& sender);
    void AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl* editor,
                                             const std::shared_ptr<TimeHighSettingDataStruct>& record) override;
    // Sends every row with "ADPeriod"; true when the service took them.
    bool submissionBtnCallBack();
    void deleteAllHightSeting(const id& sender);
    // The period bodies: all rows, or one (nil past the end).
    NSString getSubmissionStr() const;
    NSString getSubmissionStrByIndex(NSInteger row) const;
    void switchValueChanged(const id& sender);
    void showOrHiddenSubmission(bool show);
    // timehighsetting_monday ... timehighsetting_sunday for 1 ... 7, else nil.
    static NSString getDateStrByIndex(int day);
    // The day names of a day list, joined by ","; numbers without a name are shown as they are.
    static NSString dayNames(const NSString& days, NSString (*name)(int));

    UISwitch* switchBtn() const { return switchBtn_.get(); }
    UITableView* table() const { return table_.get(); }

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 1; }
    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 60.0; }
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView*, NSInteger) override { return 60.0; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                        NSIndexPath ip) override;

private:
    std::shared_ptr<TimeHighSetting> strong() { return std::static_pointer_cast<TimeHighSetting>(shared_from_this()); }
    void initUI();
    // Sends "DLPeriod" with the body; true when the service took it.
    bool submissionDeletInfo(const NSString& body);
    NSString periodBody(size_t from, size_t to) const;

    std::vector<std::shared_ptr<TimeHighSettingDataStruct>> rows_;
    UIViewController* host_ = nullptr;
    std::shared_ptr<UITableView> table_;
    std::shared_ptr<UISwitch> switchBtn_;
    bool isSwitchOn = false;
};
