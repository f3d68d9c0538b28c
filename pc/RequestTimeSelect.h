#pragma once
// The day picker of the statistics: a month calendar and a query button. Only
// the service's day and the two days before it are accepted; the accepted day
// goes to the delegate with the page that asked for it. The picker does not
// close itself.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIViewController.h"

class RequestTimeSelect;

class RequestTimeSelectDelegate {
public:
    virtual ~RequestTimeSelectDelegate() = default;
    // The picker, the asking page, the day as "yyyy-MM-dd" and the page's kind.
    virtual void RequestTimeSelectView_callBackCtrl_callBackInfo_callBackCtrlType(
        RequestTimeSelect* picker, const std::shared_ptr<UIViewController>& ctrl, const NSString& day, int type) = 0;
};

class RequestTimeSelect : public UIViewController {
public:
    static constexpr NSInteger kCalendarTag = 800001;
    // Days before the service's day that may still be chosen, and the
    // number of days the alert names.
    static constexpr int kWindowDays = 3;

    static std::shared_ptr<RequestTimeSelect> init();

    // Held weakly: the records home owns the pages and pushes the picker.
    std::shared_ptr<RequestTimeSelectDelegate> delegate() const { return mDelegate.lock(); }
    void setDelegate(const std::shared_ptr<RequestTimeSelectDelegate>& d) { mDelegate = d; }
    std::shared_ptr<UIViewController> preCtrlView() const { return mPreCtrlView; }
    void setPreCtrlView(std::shared_ptr<UIViewController> page) { mPreCtrlView = std::move(page); }
    int preCtrlType() const { return mPreCtrlType; }
    void setPreCtrlType(int type) { mPreCtrlType = type; }

    // Whole days from the day to the service's day, both "yyyy-MM-dd" (the
    // service's may run on with a time); nothing when the day does not parse.
    // A service day that does not parse counts as the local day of now.
    static std::optional<long> daysBefore(const NSString& day, const NSString& serviceTime);

    void initUI();
    void backBtnCallBack(const id& sender);
    void sureBtnCallBack(const id& sender);

    std::shared_ptr<UIButton> searchButton() const { return searchButton_; }

private:
    std::weak_ptr<RequestTimeSelectDelegate> mDelegate;
    std::shared_ptr<UIViewController> mPreCtrlView;
    int mPreCtrlType = 0;
    std::shared_ptr<UIButton> searchButton_;
};
