// The PC statistics' stops, on the PC tab set: the records home with its web
// and software category pages, the day picker a row opens, the web ranking
// under the chart server's pie, and the paged record browser. Nothing in the
// tab set opens these screens, so the stop shows them in a navigation stack
// of its own over the tab set.

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
