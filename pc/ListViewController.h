#pragma once
// The page-wise list of one day's records of the supervised PC: visited web
// sites, used programs, or counts by category, as `type` (0 to 7) says. The
// opener hands over the first page; the trailing more row fetches the next.
//
// Rows are the records, followed by the more row while the last page came
// full. One fetch runs at a time: the page advances only when a fetch
// starts, its rows are merged on the main thread, and a fetch that a refresh
// has overtaken is dropped, so no page is skipped and no row comes twice.

#include <vector>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "protocol/Property.h"

class ListViewCell : public UITableViewCell {
public:
    std::shared_ptr<UILabel> titleLabel, percentLabel;
};

class ListViewController : public UIViewController, public UITableViewDelegate, public UITableViewDataSource {
public:
    static constexpr int kPageNum = 20;

    std::shared_ptr<UITableView> tableview;  // interface file

    NX_PROPERTY(NSString, sectionTitle, setSectionTitle);
    NX_PROPERTY(int, type, setType);
    NX_PROPERTY(int, totalRecord, setTotalRecord);
    NX_PROPERTY(NSString, moreString, setMoreString);
    NX_PROPERTY(int, currentPage, setCurrentPage);
    NX_PROPERTY(int, pageNum, setPageNum);
    NX_PROPERTY(NSString, date, setDate);
    NX_PROPERTY(NSString, navTitle, setNavTitle);
    NX_PROPERTY(NSString, byTypeName, setByTypeName);
    NX_PROPERTY(NSString, selectdate, setSelectdate);

public:
    // The records (reply items of the type's model) and whether a more row
    // follows them.
    const std::vector<id>& list() const { return list_; }
    bool hasMoreRow() const { return moreRow_; }
    void setList(std::vector<id> records, bool endsWithMoreRow = false);
    bool fetching() const { return fetching_; }

    void viewDidLoad() override;
    void refresh();
    void goBack();

    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    NSString tableView_titleForHeaderInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UIView> tableView_viewForHeaderInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView*, NSInteger) override { return 22.0; }
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;

private:
    struct Page {
        int totalRecord = 0;
        std::vector<id> rows;
    };
    std::shared_ptr<ListViewController> strong() { return std::static_pointer_cast<ListViewController>(shared_from_this()); }
    bool isWeb() const { return type() == 4 || type() == 6; }
    std::shared_ptr<UITableViewCell> moreCell();
    // Starts the fetch of currentPage on a worker thread.
    void downMore();
    // The type's request for the page, on the worker thread.
    static Page fetch(int type, const NSString& day, int page, int pageNum);
    void merge(int page, Page result);
    void updateView();

    std::vector<id> list_;
    bool moreRow_ = false;
    bool fetching_ = false;
    unsigned generation_ = 0;  // a refresh makes every earlier fetch stale
};
