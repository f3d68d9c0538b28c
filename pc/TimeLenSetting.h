#pragma once
// The lock-screen countdown: the parent grants the PC a length of use from
// now, the service is told to lock the screen at its end, four digits HH:MM
// count down once a minute, and the countdown is kept in
// "curCountDownTime.plist" so that it survives the view.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UITableView.h"

class TimeLenSetting;

class TimeLenSettingDelegate {
public:
    virtual ~TimeLenSettingDelegate() = default;
    virtual void timeLenSetting_timeLenViewCallBack(TimeLenSetting* view, const id& unused) {}
    virtual void timeLenSetting_timeCountDown(TimeLenSetting* view, bool counting) {}
};

class TimeLenSetting : public UIView, public UITableViewDataSource, public UITableViewDelegate {
public:
    static constexpr NSInteger kTableTag = 20013;
    static constexpr NSInteger kTextTag = 20001;
    static std::shared_ptr<TimeLenSetting> initWithFrame(CGRect frame);
    // Documents/curCountDownTime.plist.
    static NSString countDownFile();

    std::weak_ptr<TimeLenSettingDelegate> delegate;
    NSString timeInfoStr() const { return mTimeInfoStr; }

    void readCurCountDownTimeFromeFile();
    // Writes the file for a grant of that length and tells the service to
    // lock the screen at its end.
    void saveCurCountDownTimeToFile(double seconds);
    void setTimeLabelValue(double seconds);
    void reloadTableVIewDataByTimeValue(double seconds);
    double curCountDownTime() const { return mCurCountDownTime; }
    void setCurCountDownTime(double seconds) { mCurCountDownTime = seconds; }
    void addCountDownTime();
    void deleteCountDownTime();
    void reduceCountDownTimeValue();
    void editTableView(bool editing);
    // The four digits as shown.
    NSString digits() const;
    bool counting() const { return static_cast<bool>(mCountDownTimer); }

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override { return 1; }
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 1; }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 69.0; }
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath) override { return true; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                        NSIndexPath ip) override;

private:
    std::shared_ptr<TimeLenSetting> strong() { return std::static_pointer_cast<TimeLenSetting>(shared_from_this()); }
    void addTimeLenSettingUI();
    // The file: the length, the whole seconds since the reference date now, the length.
    static bool writeCountDownFile(double seconds);
    // The end time "yyyy-MM-dd HH:mm" to the service: a lock ("ADCmd") or its removal ("DLCmd").
    void sendTimedLock(const NSString& dueTime, bool add);
    void tellDelegate(bool counting);
    UITableView* table() const;

    NSString mTimeInfoStr;
    std::shared_ptr<UILabel> tmpLable, tmpLable1, tmpLable2, tmpLable3;
    double mFinishTime = 0;
    double mCurCountDownTime = 0;
    std::shared_ptr<NSTimer> mCountDownTimer;
    double mUserSelectTime = 0;
};
