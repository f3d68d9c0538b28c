#include "pc/RecordViewController.h"

#include "app/AppText.h"
#include "app/LoginViewController.h"
#include "pc/StatisticsCommon.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Analysis.h"
#include "protocol/Constant.h"

namespace {

// The interface file: four pages side by side in a paging scroll view, the
// page control under it, the table on the first page.
const bool kNib = (UINib::registerNib("RecordViewController", [](NSObject* owner) {
    auto* browser = dynamic_cast<RecordViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::blackColor());
    browser->scrollView = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 386));
    browser->scrollView->pagingEnabled = true;
    browser->scrollView->setDelegate(std::dynamic_pointer_cast<UIScrollViewDelegate>(self));
    const double shades[4][3] = {{0.13, 0.16, 0.22}, {0.16, 0.2, 0.14}, {0.22, 0.15, 0.13}, {0.18, 0.14, 0.22}};
    std::shared_ptr<UIView>* pages[4] = {&browser->view1, &browser->view2, &browser->view3, &browser->view4};
    for (int i = 0; i < 4; ++i) {
        *pages[i] = UIView::initWithFrame(CGRectMake(320.0 * i, 0, 320, 386));
        (*pages[i])->setBackgroundColor(UIColor::colorWithRed(shades[i][0], shades[i][1], shades[i][2], 1));
        browser->scrollView->addSubview(*pages[i]);
    }
    browser->tableview1 = UITableView::initWithFrame(CGRectMake(10, 10, 300, 366), UITableViewStylePlain);
    browser->tableview1->setBackgroundColor(UIColor::whiteColor());
    browser->tableview1->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(self));
    browser->tableview1->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(self));
    browser->view1->addSubview(browser->tableview1);
    browser->pageControl = UIPageControl::initWithFrame(CGRectMake(0, 388, 320, 24));
    browser->pageControl->setNumberOfPages(4);
    browser->pageControl->addTarget(self, NX_SEL(RecordViewController, changePage), UIControlEventValueChanged);
    view->addSubview(browser->scrollView);
    view->addSubview(browser->pageControl);
    return std::vector<id>{view};
}), true);

const bool kFirstNib = (UINib::registerNib("FirstViewController", [](NSObject*) {
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::blackColor());
    return std::vector<id>{view};
}), true);

}  // namespace

void RecordViewController::viewDidLoad()
{
    // The rows exist before the worker can deliver any.
    arrar1.clear();
    startDownloadWebData();
    setTitle(localized("recviewctrl_webtype"));
    UIViewController::viewDidLoad();
    const CGSize size = scrollView->frame().size;
    scrollView->setContentSize(CGSizeMake(4 * size.width, size.height));
}

void RecordViewController::viewDidUnload()
{
    scrollView.reset();
    pageControl.reset();
    view1.reset();
    view2.reset();
    view3.reset();
    view4.reset();
    tableview1.reset();
}

void RecordViewController::scrollViewDidScroll(UIScrollView* sv)
{
    if (sv != scrollView.get()) return;
    const NSInteger page = pageOfScrollView(sv);
    pageControl->setCurrentPage(page);
    if (page == 1) setTitle(localized("recviewctrl_web"));
    if (page == 0) setTitle(localized("recviewctrl_webtype"));
}

void RecordViewController::changePage(const id&)
{
    const CGSize size = scrollView->frame().size;
    scrollView->scrollRectToVisible(
        CGRectMake(size.width * static_cast<CGFloat>(pageControl->currentPage()), 0, size.width, size.height), true);
}

void RecordViewController::startDownloadWebData()
{
    std::weak_ptr<RecordViewController> weak = std::static_pointer_cast<RecordViewController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([weak] {
        auto reply = Analysis::init()->RQUrlTypeBrowse(nullptr);
        NSThread::performBlockOnMainThread([weak, reply] {
            auto browser = weak.lock();
            if (!browser) return;
            if (reply && !reply->list().empty()) {
                browser->arrar1 = reply->list();
                browser->totalRecord1 = reply->totalRecord().intValue();
            }
            browser->reloadData(1);
        }, false);
    });
}

void RecordViewController::reloadData(int what)
{
    if (what == 1 && tableview1) tableview1->reloadData();
}

NSInteger RecordViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    return pageControl && pageControl->currentPage() == 0 ? static_cast<NSInteger>(arrar1.size()) : 0;
}

std::shared_ptr<UITableViewCell> RecordViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "Cell");
    cell->accessoryType = UITableViewCellAccessoryDetailDisclosureButton;
    cell->textLabel()->setText("123");
    return cell;
}

void FirstViewController::viewWillAppear(bool)
{
    if (Constant::isLogin()) return;
    if (auto* nav = navigationController()) nav->pushViewController(UIViewController::init<LoginViewController>(), true);
}
