#pragma once
// The pull-to-refresh header placed above a table's first row. The owning
// controller forwards its scroll view's scrolls and ends of drag and tells it
// when loading has finished; the header flips its arrow past the threshold,
// asks its delegate for the refresh and pins itself open while loading.

#include <optional>

#include "platform/foundation/NSDate.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"

class PixRefreshTableHeaderView;

class PixRefreshTableHeaderDelegate {
public:
    virtual ~PixRefreshTableHeaderDelegate() = default;
    virtual void pixRefreshTableHeaderDidTriggerRefresh(PixRefreshTableHeaderView* view) {}
    // Whether a load is running; nullopt: not answered (taken as NO).
    virtual std::optional<bool> pixRefreshTableHeaderDataSourceIsLoading(PixRefreshTableHeaderView* view) { return std::nullopt; }
    // The date of the last update; nullopt: not answered.
    virtual std::optional<NSDate> pixRefreshTableHeaderDataSourceLastUpdated(PixRefreshTableHeaderView* view) { return std::nullopt; }
};

enum PixPullRefreshState : int {
    PixPullRefreshPulling = 0,
    PixPullRefreshNormal = 1,
    PixPullRefreshLoading = 2,
};

class PixRefreshTableHeaderView : public UIView {
public:
    static constexpr CGFloat kTriggerOffset = 65;  // pull needed for a refresh
    static constexpr CGFloat kLoadingInset = 60;   // the header kept open while loading

    static std::shared_ptr<PixRefreshTableHeaderView> initWithFrame(CGRect frame);

    std::shared_ptr<PixRefreshTableHeaderDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<PixRefreshTableHeaderDelegate>& d) { delegate_ = d; }

    void pixRefreshScrollViewDidScroll(UIScrollView* scrollView);
    void pixRefreshScrollViewDidEndDragging(UIScrollView* scrollView);
    void pixRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView* scrollView);
    // Keeps the last-updated line in the user defaults when the delegate
    // knows a last update, else clears it.
    void refreshLastUpdatedDate();

    PixPullRefreshState state() const { return state_; }
    void setState(PixPullRefreshState state);
    UILabel* statusLabel() const { return statusLabel_.get(); }
    UILabel* lastUpdatedLabel() const { return lastUpdatedLabel_.get(); }
    CALayer* arrowImage() const { return arrowImage_.get(); }
    UIActivityIndicatorView* activityView() const { return activityView_.get(); }

private:
    bool dataSourceIsLoading();
    std::weak_ptr<PixRefreshTableHeaderDelegate> delegate_;
    PixPullRefreshState state_ = PixPullRefreshNormal;
    std::shared_ptr<UILabel> lastUpdatedLabel_, statusLabel_;
    std::shared_ptr<CALayer> arrowImage_;
    std::shared_ptr<UIActivityIndicatorView> activityView_;
};
