#pragma once
// The weekly hour grid: one weekday at a time as 24 hour cells of four
// quarters, loaded from and saved to the service as one week string, and the
// protect mode (lock the screen, cut the network) applied in forbidden time.

#include <atomic>
#include <vector>

#include "pc/TimeHighSettingDataStruct.h"
#include "pc/TimeQuarterViews.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/ProtectSetting.h"
#include "protocol/TimeSetting.h"

class TimeLimitViewControllerDelegate {
public:
    virtual ~TimeLimitViewControllerDelegate() = default;
    virtual void enableRightBarButtonItem() = 0;
};

class TimeLimitViewController : public UIViewController,
                                public UIAlertViewDelegate,
                                public CustomAlertViewDelegate,
                                public CustomButtonDelegate,
                                public TimeSettingDelegate {
public:
    static constexpr NSInteger kFirstHourTag = 1000;
    static constexpr NSInteger kScreenButtonTag = 87600;
    static constexpr NSInteger kNetButtonTag = 87601;
    static constexpr size_t kWeekHours = 168;

    // Outlets of the interface file.
    std::shared_ptr<UIView> disableTimeView;
    std::shared_ptr<UISegmentedControl> daySelected;  // 0 Sunday ... 6 Saturday
    std::shared_ptr<UISwitch> syncWebAndSoft;
    std::shared_ptr<UISegmentedControl> sync;
    // The bar holding both sync controls. A pushed grid shows it under its
    // toolbar; a host that embeds the grid's view puts it where it has room.
    std::shared_ptr<UIView> syncControls;

    std::vector<NSString> timeArray;
    // 168 hour strings, entry day × 24 + hour, days numbered as the segments.
    std::vector<NSString> limitTimeList;
    std::shared_ptr<UIButton> btnScr, btnNet;
    std::atomic<int> index{0};
    std::weak_ptr<TimeLimitViewControllerDelegate> delegate;
    // School mode: the quarters of the shown day's school periods are locked.
    bool shouldLoadSchool() const { return shouldLoadSchool_; }
    void setShouldLoadSchool(bool school) { shouldLoadSchool_ = school; }

    // A school day: the earliest start and latest end, minutes of the day.
    struct SchoolDay {
        std::optional<int> min, max;
    };

    // The hour string codec: "0" forbidden, "1" allowed.
    static unsigned formatTimeSetFromString(const NSString& text);
    // Type 1 "0110", type 0 "0,1,1,0", any other type "".
    static NSString formatTimeSetFromInt(unsigned stat, int type);
    // The reply's week as 168 hour strings (168 fields, 672 fields, or
    // anything else read field by field); the whole week forbidden when empty.
    static std::vector<NSString> parseWeek(const NSString& gamePeriod);
    // The 839-character week string of the list.
    static NSString weekString(const std::vector<NSString>& list);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void didStarRequest();
    void loadDataFinished(std::shared_ptr<TimeSettingReturnMessage> result) override;
    void dayValueChanged(const id& sender);
    void updateDisableTimeView();
    void CustomButton_Clicked(CustomButton* cell, unsigned stat) override;
    void CustomButton_LongPressed(CustomButton* cell, unsigned stat) override;
    void CustomAlertView_buttonClicked(CustomAlertView* chooser, unsigned stat) override;
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger buttonIndex) override;
    void prepareCommit(const id& sender);
    void commit();
    void toProtectModeScr(const id& sender);
    void toProtectModeNet(const id& sender);
    void switchValueChanged(const id& sender);
    void syncChange(const id& sender);
    void reload();
    void goBack();
    void removeLabTime();
    CustomButton* hourCell(int hour) const;

    // School periods: stored once each (false for one already there).
    bool addSchoolDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& record);
    NSInteger getSchoolDataCount() const { return static_cast<NSInteger>(mSchoolData.size()); }
    // The seven days, Monday first, from the school periods.
    void getSchoolSet();
    // The shown day's locks onto the cells.
    void setSchoolSet();
    const std::vector<SchoolDay>& schoolSet() const { return mSchoolSet; }

private:
    std::shared_ptr<TimeLimitViewController> strong() { return std::static_pointer_cast<TimeLimitViewController>(shared_from_this()); }
    void buildToolbar();
    void startLoad();
    void setEntry(int hour, unsigned stat);
    // After a save: the protect mode is sent when one is chosen.
    void updateCommit();
    void uploadProtectSet(int cmdType);
    void loadProtectSet();
    void updateProtectSet(const std::shared_ptr<ProtectSettingReturnMessage>& reply);
    void notifyDelegate();
    void needLoadSchoolSetting();
    void getSchoolData();
    void updateSchoolSet();

    std::shared_ptr<UILabel> labExactTime;
    bool shouldLoadSchool_ = false;
    std::vector<std::shared_ptr<TimeHighSettingDataStruct>> mSchoolData;
    std::vector<SchoolDay> mSchoolSet;
};
