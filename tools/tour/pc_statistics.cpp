// The PC statistics' stops, on the PC tab set: the records home with its web
// and software category pages, the day picker a row opens, the web ranking
// under the chart server's pie, and the paged record browser. Nothing in the
// tab set opens these screens, so the stop shows them in a navigation stack
// of its own over the tab set.

#include "pc/ListViewController.h"
#include "pc/RankingPage.h"
#include "pc/RecordHomeViewController.h"
#include "pc/RecordViewController.h"
#include "tools/tour/TabSet.h"

NX_TOUR_STEP(260, "statistics")
{
    UITabBarController* tabs = tour::tabBar();
    auto home = UIViewController::init<RecordHomeViewController>();
    auto stack = UINavigationController::initWithRootViewController(home);
    UINavigationController* nav = stack.get();
    tabs->presentModalViewController(stack, false);
    tour.waitFor([&] { return home->navigationItem()->rightBarButtonItem->enabled; }, "both statistics pages");
    tour.driver.advanceClock(2);  // the loading boxes fade
    tour.stop("records-home", "Records home: the day's web categories as percentage bars");
    tour.driver.tap(home->secondBtn.get());
    tour.driver.advanceClock(0.5);
    tour.stop("by-type-software", "Records home: the software categories");
    tour.driver.tap(home->firstBtn.get());
    tour.driver.advanceClock(0.5);

    home->utvc->tableview->tapRow(NSIndexPath::indexPathForRow(1, 0));
    tour.waitFor([&] { return nav->topViewController() != home; }, "the day picker");
    tour.driver.advanceClock(0.5);
    tour.stop("range-picker", "A category asks for a day: the last three days are accepted");
    auto* picker = dynamic_cast<RequestTimeSelect*>(nav->topViewController().get());
    if (!picker) throw tour::Failure("no day picker");
    tour.driver.tap(picker->searchButton().get());
    ListViewController* records = nullptr;
    tour.waitFor([&] {
        records = dynamic_cast<ListViewController*>(nav->topViewController().get());
        return records && !records->list().empty();
    }, "the category's records of the day");
    tour.driver.advanceClock(1);  // the push ends
    tour.stop("stat-category-records", "The category's web records of the day chosen");
    nav->popToViewController(home.get(), false);
    tour.driver.advanceClock(0.5);

    tour.driver.tapBarButtonItem(home->navigationItem()->leftBarButtonItem.get());
    RecordHomeListViewController* lists = nullptr;
    tour.waitFor([&] {
        lists = dynamic_cast<RecordHomeListViewController*>(nav->topViewController().get());
        return lists && lists->listView && !lists->listView->list().empty();
    }, "the day's four lists");
    tour.driver.advanceClock(1);
    tour.stop("records-home-lists", "The day's four lists: web categories first");
    nav->popToViewController(home.get(), false);

    auto ranking = UIViewController::init<UrlRankingViewController>();
    nav->pushViewController(ranking, false);
    tour.waitFor([&] { return ranking->chart() != nullptr; }, "the web ranking");
    tour.driver.advanceClock(0.05);  // the chart's download starts
    tour.waitFor([&] { return ranking->chart()->image != nullptr; }, "the ranking's pie chart");
    tour.driver.advanceClock(2);
    tour.stop("by-rank", "Web sites by visits under the chart server's pie");

    auto browser = UIViewController::init<RecordViewController>();
    nav->pushViewController(browser, false);
    tour.waitFor([&] { return browser->tableview1->numberOfRowsInSection(0) > 0; }, "the record browser's rows");
    tour.stop("browser", "The paged record browser, first page");
    tour.driver.drag(browser->scrollView.get(), CGPointMake(-320, 0));
    tour.stop("browser-page-2", "The paged record browser after a swipe");
    tabs->dismissModalViewControllerAnimated(false);
    tour.driver.advanceClock(0.5);
}
