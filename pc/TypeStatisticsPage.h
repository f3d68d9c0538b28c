#pragma once
// The statistics by type: how the supervised PC's use of one day divides into
// categories, web sites (UrlTypeViewController) or programs
// (GameTypeViewController). A page of the records home, which is its
// delegate: the ten largest categories as percentage bars under an empty
// head row; a tapped row asks the records home for a day.

#include <functional>
#include <memory>
#include <vector>

#include "pc/StatisticsCommon.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "protocol/Analysis.h"

class TypeStatisticsPage : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    static constexpr size_t kShownRows = 10;

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblNoData, dataNotFound;
    std::shared_ptr<UITableView> tableview;
    std::shared_ptr<UIScrollView> scrollview;

    // The percentage base and the chart list of the rows (see the subclasses).
    long long totalRecord = 0;
    // The whole reply, largest count first.
    std::vector<std::shared_ptr<AnalysisMessage>> list;
    // The table's rows: element 0 (nullptr) is the empty head row, then the
    // first ten entries of the list.
    std::vector<std::shared_ptr<AnalysisMessage>> topTenList;
    std::vector<std::shared_ptr<UIColor>> colorList;
    // The day shown, "yyyy-MM-dd", set by the records home before the view loads.
    NSString dateString;
    std::weak_ptr<StatisticsPageDelegate> delegate;
    // The counts behind the percentage base, each followed by ",".
    NSString imgURL;

    void viewDidLoad() override;
    // Loads the day again (the records home's reload).
    void reload();
    // Loads the day's categories: the request runs on a worker thread, the
    // reply is applied on the main thread when no later load started meanwhile.
    void downList(const NSString& day);
    void updateView();
    void stopLoadingView() { updateView(); }

    // The category of the row tapped last; nil before a tap.
    NSString selectedType() const { return selectedType_; }

    // Opens the category's records of the day chosen in the picker: they are
    // fetched on a worker thread, then the list screen is built on the main
    // thread and handed to the delegate, which shows it.
    void getDataByType(const NSString& typeName);

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 1; }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override
    {
        return static_cast<NSInteger>(topTenList.size());
    }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        return ip.row == 0 ? 0.0 : 44.0;
    }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;

protected:
    // What the twins do differently. The request runs on a worker thread
    // without the page, so that the page only ever goes on the main thread.
    using Request = std::function<std::shared_ptr<AnalysisReturnMessage>(const std::shared_ptr<Body>&)>;
    virtual Request request() const = 0;
    // Whether the percentage base is the shown rows (web) or every entry of
    // the reply (software).
    virtual bool baseIsShownRows() const = 0;
    virtual void setPageTitle(const NSString& title) = 0;
    virtual const char* keyPrefix() const = 0;
    // The tapped row asks the delegate for a day.
    virtual void askForDay(NSInteger row) = 0;

    // A category's records of a day as the list screen takes them.
    struct CategoryRecords {
        bool arrived = false;
        std::vector<id> rows;  // largest count first
        int totalRecord = 0;
        bool endsWithMoreRow = false;
    };
    using RecordsRequest = std::function<CategoryRecords(const NSString& day)>;
    virtual RecordsRequest recordsRequest() const = 0;
    // The list screen's type of the records (web 4, software 5).
    virtual int recordListType() const = 0;
    // The day the picker gave for the records.
    virtual NSString chosenDay() const = 0;
    // The records' fetch began: the loading box turns until the list is handed over.
    void showLoading();
    NSString key(const char* suffix) const;
    std::shared_ptr<TypeStatisticsPage> strong()
    {
        return std::static_pointer_cast<TypeStatisticsPage>(shared_from_this());
    }

private:
    void apply(const std::shared_ptr<AnalysisReturnMessage>& reply);
    // The worker's part: the page itself stays on the main thread.
    static void didStartGetDataByType(const std::weak_ptr<TypeStatisticsPage>& page, const RecordsRequest& fetch,
                                      const NSString& typeName, const NSString& day);
    void didFinishGetDataByType(const NSString& typeName, const NSString& day, const CategoryRecords& records);
    void tellDelegate();

    std::shared_ptr<LoadingBoxView> loading;
    PercentRows percentRows_;
    unsigned long loadNumber_ = 0;
    NSString selectedType_;
};

// Web sites by category; the day chosen for a category's records goes to
// curSelectShowTime.
class UrlTypeViewController : public TypeStatisticsPage {
public:
    NSString listViewType;
    NSString curSelectShowTime;
    NSInteger mCurSelelectIndex = 0;

    // The day came from the picker: the tapped category's records open.
    void loadListViewCtrl();

protected:
    Request request() const override
    {
        return [](const std::shared_ptr<Body>& body) { return Analysis::init()->RQUrlTypeBrowse(body); };
    }
    bool baseIsShownRows() const override { return true; }
    void setPageTitle(const NSString& title) override;
    const char* keyPrefix() const override { return "urltypeviewctrl_"; }
    void askForDay(NSInteger row) override;
    RecordsRequest recordsRequest() const override;
    int recordListType() const override { return 4; }
    NSString chosenDay() const override { return curSelectShowTime; }
};

// Programs by category; the chosen day goes to curSelectTime.
class GameTypeViewController : public TypeStatisticsPage {
public:
    std::shared_ptr<UIImageView> piePic;
    NSString curSelectTime;
    NSInteger mCurTableViewSelect = 0;

    // The day came from the picker: the tapped category's records open.
    void showDetailInfoView();

protected:
    Request request() const override
    {
        return [](const std::shared_ptr<Body>& body) { return Analysis::init()->RQGameTypeBrowse(body); };
    }
    bool baseIsShownRows() const override { return false; }
    void setPageTitle(const NSString& title) override { setTitle(title); }
    const char* keyPrefix() const override { return "gametypeviewctrl_"; }
    void askForDay(NSInteger row) override;
    RecordsRequest recordsRequest() const override;
    int recordListType() const override { return 5; }
    NSString chosenDay() const override { return curSelectTime; }
};
