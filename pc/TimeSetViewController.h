#pragma once
// The PC set's time tab: under a segmented control, the hour grid, the daily
// allowance or the weekly periods of the supervised PC; it also hosts the
// lock-screen countdown view when one is placed in it (tag 30001).

#include "pc/AddTimeViewCtrl.h"
#include "pc/SwTimeLenSetting.h"
#include "pc/TimeHighSetting.h"
#include "pc/TimeHourSetting.h"
#include "pc/TimeLenSetting.h"

class TimeSetViewController : public UIViewController,
                              public TimeLenSettingDelegate,
                              public TimeSelectViewDelegate,
                              public TimeHighSettingDelegate,
                              public AddTimeViewCtrlDelegate {
public:
    static constexpr NSInteger kCountDownTag = 30001, kHourTag = 30002, kPeriodTag = 30003, kAllowanceTag = 30004;

    std::shared_ptr<UISegmentedControl> seg;  // outlet
    bool mIsEditTimeLenSetTableView = false;
    bool mIsEditTimeHighSetTableView = false;

    void viewDidLoad() override;
    void callBackSegmentValueChange(const id& sender);
    void showSettingTimeHour();
    void showSettingTimeLen();
    void showHightSetting();
    void addTimeHightNavigationBarItem();
    void editTimeLenSettingTableView();
    void editTimeHighSettingTableView();
    void deleteALlTimeHighSetting();
    void addTimeHighSettingTableViewValue();
    void setCountDownTimeShow(double seconds);
    void isShowNavigationEditBtn(bool show);

    void timeLenSetting_timeLenViewCallBack(TimeLenSetting* view, const id& unused) override;
    void timeLenSetting_timeCountDown(TimeLenSetting* view, bool counting) override;
    void timeSelectViewController_timeSelectViewCallBack(TimeSelectViewController* picker, double seconds) override;
    void timeHighSettingView_DeletItemCallBack(TimeHighSetting* view, bool deleted) override;
    void AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl*, const std::shared_ptr<TimeHighSettingDataStruct>&) override {}

private:
    std::shared_ptr<TimeSetViewController> strong() { return std::static_pointer_cast<TimeSetViewController>(shared_from_this()); }
    void removeChildViews();
    void place(const std::shared_ptr<UIView>& child, NSInteger tag);
    void clearNavigatonItem();
};
