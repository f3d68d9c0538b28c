#pragma once
// The statistics by rank: what the supervised PC used most on one day, web
// sites by visits (UrlRankingViewController) or programs by uses
// (GameRankingViewController), under a pie chart of the top ten drawn by the
// chart server. The bar button opens a date picker to choose another day.

#include <functional>
#include <memory>
#include <vector>

#include "pc/StatisticsCommon.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "protocol/Body.h"
#include "ui/PixImageView.h"

// One ranked site or program and its count.
struct RankEntry {
    NSString name;
    long long count = 0;
};

class RankingPage : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    static constexpr size_t kShownRows = 10;
    static constexpr CGFloat kChartHeight = 182;
    static constexpr const char* kChartPath = "/nemkServer/servlet/PieServlet?method=pie&list=";

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblNoData, dataNotFound;
    std::shared_ptr<UIButton> btnOk;
    std::shared_ptr<UIDatePicker> datePicker;
    std::shared_ptr<UIView> dateView;
    std::shared_ptr<UITableView> tableview;
    std::shared_ptr<UISegmentedControl> control;
    std::shared_ptr<UIScrollView> scrollview;

    // The reply's entries, largest count first.
    std::vector<RankEntry> whiteList;
    // The table's rows: element 0 is the chart's row, then the first ten entries.
    std::vector<RankEntry> topTenList;
    std::vector<std::shared_ptr<UIColor>> colorList;
    // The day to load first, "yyyy-MM-dd"; nil means today.
    NSString dateString;
    // The chart's list: the shown counts, each followed by ",".
    NSString imgURL;
    // The percentage base: the sum of the shown counts.
    long long totalRecord = 0;
    std::weak_ptr<StatisticsPageDelegate> delegate;

    // The chart address of a list parameter.
    static NSString chartURL(const NSString& list);
    // The chart of the list shown now; nullptr while no list is shown.
    PixImageView* chart() const { return piePic.get(); }

    void viewDidLoad() override;
    void changeDate();
    void dateChanged(const id& sender);
    // Loads the day (nil: today): the request runs on a worker thread, the
    // reply is applied on the main thread unless a later load started.
    void reloadData(const NSString& day);
    void updateView();

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 1; }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override
    {
        return static_cast<NSInteger>(topTenList.size());
    }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        return ip.row == 0 ? kChartHeight : 44.0;
    }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override { tv->deselectRowAtIndexPath(ip, true); }

protected:
    // The day's ranking; nothing when no reply came. It runs on a worker
    // thread without the screen, so that the screen only ever goes on the
    // main thread.
    using Request = std::function<std::optional<std::vector<RankEntry>>(const std::shared_ptr<Body>&)>;
    virtual Request request() const = 0;
    virtual const char* keyPrefix() const = 0;
    NSString key(const char* suffix) const;

private:
    void apply(const std::optional<std::vector<RankEntry>>& entries);

    std::shared_ptr<LoadingBoxView> loading;
    // The chart of the list shown, fetched once when the list arrives.
    std::shared_ptr<PixImageView> piePic;
    PercentRows percentRows_;
    unsigned long loadNumber_ = 0;
};

class UrlRankingViewController : public RankingPage {
protected:
    Request request() const override;
    const char* keyPrefix() const override { return "urlrankkingviewctrl_"; }
};

class GameRankingViewController : public RankingPage {
protected:
    Request request() const override;
    const char* keyPrefix() const override { return "gamerankkingviewctrl_"; }
};
