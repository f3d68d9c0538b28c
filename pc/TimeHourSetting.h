#pragma once
// The first page of the time-settings tab, which holds the weekly hour grid,
// and the screen on which the parent picks a lock-screen countdown length.

#include "pc/TimeLimitViewController.h"
#include "platform/uikit/UIPickerView.h"

class TimeHourSetting : public UIView {
public:
    static constexpr NSInteger kGridTag = 40001;
    static std::shared_ptr<TimeHourSetting> initWithFrame(CGRect frame);
    void addLimmiteViewCtrl();
    void removeLimiteViewCtrl();
    TimeLimitViewController* grid() const { return grid_.get(); }

private:
    std::shared_ptr<TimeLimitViewController> grid_;
};

class TimeSelectViewController;

class TimeSelectViewDelegate {
public:
    virtual ~TimeSelectViewDelegate() = default;
    virtual void timeSelectViewController_timeSelectViewCallBack(TimeSelectViewController* picker, double seconds) = 0;
};

class TimeSelectViewController : public UIViewController {
public:
    static constexpr NSInteger kPickerTag = 50010;
    // The shortest countdown the parent may grant.
    static constexpr double kShortestCountDown = 300;
    static std::shared_ptr<TimeSelectViewController> init();

    std::shared_ptr<TimeSelectViewDelegate> delegate() const { return mDelegate.lock(); }
    void setDelegate(const std::shared_ptr<TimeSelectViewDelegate>& d) { mDelegate = d; }

    void submissionBtnCallBack();
    void backBtnCallBack();

private:
    void initUI();
    std::weak_ptr<TimeSelectViewDelegate> mDelegate;
};
