#pragma once
// A controller whose view is a table, with itself as the table's data source
// and delegate.

#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"

class UITableViewController : public UIViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    template <class T = UITableViewController>
    static std::shared_ptr<T> initWithStyle(UITableViewStyle style)
    {
        auto vc = UIViewController::init<T>();
        vc->style_ = style;
        return vc;
    }

    // The view, loaded on first use.
    UITableView* tableView();
    void loadView() override;

    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override { return 0; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;

private:
    UITableViewStyle style_ = UITableViewStylePlain;
};
