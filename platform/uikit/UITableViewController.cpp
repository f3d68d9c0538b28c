#include "platform/uikit/UITableViewController.h"

#include "platform/uikit/UIApplication.h"

UITableView* UITableViewController::tableView() { return static_cast<UITableView*>(view().get()); }

void UITableViewController::loadView()
{
    auto table = UITableView::initWithFrame(UIScreen::mainScreen().applicationFrame(), style_);
    auto self = std::dynamic_pointer_cast<UITableViewController>(shared_from_this());
    table->setDataSource(self);
    table->setDelegate(self);
    setView(table);
}

std::shared_ptr<UITableViewCell> UITableViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    return UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "Cell");
}
