#pragma once
// The paged record browser: four pages in a paging scroll view with a page
// control; the first page's table lists the supervised PC's web use by
// category. And the empty first screen that sends a parent who is not
// logged in to the login screen.

#include <vector>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"

class RecordViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    // Outlets of the interface file.
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<UIPageControl> pageControl;
    std::shared_ptr<UIView> view1, view2, view3, view4;
    std::shared_ptr<UITableView> tableview1;

    // The rows: the categories of the reply (AnalysisMessage items).
    std::vector<id> arrar1;
    int totalRecord1 = 0;

    void viewDidLoad() override;
    void viewDidUnload() override;
    void scrollViewDidScroll(UIScrollView* sv) override;
    void changePage(const id& sender);
    // Fetches the categories on a worker thread; the rows are stored and the
    // table reloaded on the main thread.
    void startDownloadWebData();
    void reloadData(int what);

    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 1; }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
};

class FirstViewController : public UIViewController {
public:
    void viewWillAppear(bool animated) override;
};
