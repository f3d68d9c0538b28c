#pragma once
// The time settings of a supervised phone: the home side embeds the hour
// grid; for a school-managed phone the school side lists the school periods
// in seven weekday sections and tells the school protect mode.

#include <functional>
#include <optional>
#include <vector>

#include "pc/AddTimeViewCtrl.h"
#include "pc/TimeLimitViewController.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "protocol/ProtectSetting.h"
#include "protocol/TimeInfo.h"
#include "ui/RetractableSectionController.h"

class SwTimeHighSettingController;

class SwTimeHighSettingControllerDelegate {
public:
    virtual ~SwTimeHighSettingControllerDelegate() = default;
};

class SwTimeHighSettingController : public UIViewController,
                                    public UITableViewDelegate,
                                    public UITableViewDataSource,
                                    public AddTimeViewCtrlDelegate,
                                    public RetractableSectionOwner {
public:
    static constexpr NSInteger kHomeViewTag = 30010, kSchoolViewTag = 30020, kTimeLimitTag = 30011, kSegTag = 60003;
    static constexpr int kWeekdays = 7;

    // Outlets of the interface file.
    std::shared_ptr<UIToolbar> toolBar;
    std::shared_ptr<UISegmentedControl> seg;
    std::shared_ptr<UILabel> lblHomeTitle, lblHomeAllow, lblHomeForbidden, lblSchoolTitle;
    std::shared_ptr<UIImageView> ivHomeAllow, ivHomeForbidden;
    std::shared_ptr<UIView> setHomeView, setSchoolView;
    std::shared_ptr<UITableView> tableView_;

    std::weak_ptr<SwTimeHighSettingControllerDelegate> delegate;

    UITableView* tableView() const override { return tableView_.get(); }
    const std::vector<std::shared_ptr<TimeHighSettingDataStruct>>& periods() const;
    const std::vector<std::shared_ptr<ArraySectionController>>& sections() const { return mTableSectionData; }

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void refreshTimeHighSetting();
    void segValueChanged(const id& sender);
    void switchView(NSInteger index);
    void removeViewByTag(NSInteger tag);
    void showOrHiddenSeg(bool shown);
    void showOrHideToolBar(bool shown);
    void showOrHideToolBarItem(bool shown);
    void updateSchoolModeSetting(const std::shared_ptr<ProtectSettingReturnMessage>& reply);
    void addTimeHighSetting();
    void AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl* editor,
                                             const std::shared_ptr<TimeHighSettingDataStruct>& record) override;
    void deleteAllHightSeting();
    void deleteAllComplete();
    // Sends DLPeriod with the one period at the index; its row goes once the
    // service has deleted it. An index past the periods has nothing to delete.
    void deleteOneKey(NSInteger index);
    // The deleted period leaves the table, found again by its fields should
    // a refresh have rebuilt the table meanwhile.
    void deleteOneComplete(const std::shared_ptr<TimeHighSettingDataStruct>& deleted);
    NSString getSubmissionStr() const;
    NSString getSubmissionStrByIndex(NSInteger index) const;
    // timehightctrl_monday ... timehightctrl_sunday for 1 ... 7, else nil.
    static NSString getDateStrByIndex(int index);

    // The period list: made on first use, emptied, dropped.
    void initTableViewDataArray();
    void clearTableViewDataArray();
    void destroyTableViewDataArray();
    // Removes the period at the index when there is one; editing ends with the last.
    void deleteDataStructFromDataArrayByDataIndex(NSInteger index);
    bool addTableViewDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& period, bool showErr);
    NSInteger getTableViewDataCount() const { return static_cast<NSInteger>(periods().size()); }
    void reloadTableViewData();
    // Groups the periods by weekday into seven new sections, replacing any.
    void dispatchData();
    bool isTableViewEdit() const { return tableView_->editing(); }
    void setTableEditByEditTag(bool editing) { tableView_->setEditing(editing, false); }

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override
    {
        return static_cast<NSInteger>(mTableSectionData.size());
    }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView*, NSInteger) override { return 30.0; }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 30.0; }
    // A period's row is deleted as a table row is: a swipe, or the delete
    // control while the table is editing; a day's title row stays.
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath ip) override { return ip.row > 0; }
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                        NSIndexPath ip) override;

    void addHud(const NSString& text);
    void hideHUD();

private:
    std::shared_ptr<SwTimeHighSettingController> strong()
    {
        return std::static_pointer_cast<SwTimeHighSettingController>(shared_from_this());
    }
    void getData();
    void showPeriods(const std::shared_ptr<TiemPeriodVo>& reply, bool school);
    void getSchoolModeSetting();
    void addData(const NSString& body);
    void deleteAll(const NSString& body);
    void deleteOne(const NSString& body, const std::shared_ptr<TimeHighSettingDataStruct>& period);
    // Sends DLPeriod with the body on a worker; on success the completion
    // and the outcome run on the main thread.
    void sendDelete(const NSString& body, std::function<void(SwTimeHighSettingController&)> completion);
    NSString periodBody(size_t from, size_t to) const;
    bool isSchool() const;
    // The school side is the one shown.
    bool showsSchool() const;

    std::optional<std::vector<std::shared_ptr<TimeHighSettingDataStruct>>> mTableViewData;
    std::vector<std::shared_ptr<ArraySectionController>> mTableSectionData;
    NSInteger lastIndex = 0;  // of the period whose single deletion is under way
    unsigned generation_ = 0;  // moves on with every refresh and every change: older lists are stale
    // The home side's hour grid: its controller loads and edits what its view
    // shows, so it lives as long as that view is in the container.
    std::shared_ptr<TimeLimitViewController> homeGrid_;
};
