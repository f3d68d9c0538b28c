// The tour's stops on the PC home page: today's status, the alert rows open,
// and today's blocked web sites behind the second row.

#include "pc/HomeDetailAlertInfoView.h"
#include "pc/HomeViewCtrl.h"
#include "tools/tour/TabSet.h"

NX_TOUR_STEP(200, "PC home")
{
    HomeViewCtrl* home = tour::screen<HomeViewCtrl>(tour, "PC home page");
    tour.waitFor([&] { return !home->mTodayUserOpenComputerTime->text().str().empty(); }, "the PC's status");
    tour.driver.advanceClock(2);
    tour.stop("pc-home", "PC home page: status, today's use and the one-key commands");
    tour.driver.tap(tour.require(home->mRootScrollView->viewWithTag(HomeViewCtrl::kAlertBarButtonTag), "alert bar"));
    tour.stop("pc-home-alerts", "The alert rows opened");
    tour.driver.tap(home->mRootScrollView->viewWithTag(HomeViewCtrl::kFirstAlertRowTag + 1));
    tour.driver.advanceClock(1);
    auto* list = tour.require(tour.driver.find<UIView>([](UIView& v) {
        return dynamic_cast<HomeDetailAlertInfoView*>(v.viewController()) != nullptr;
    }), "alert list");
    tour.stop("pc-alert-list", "Today's forbidden web sites");
    auto* screen = static_cast<HomeDetailAlertInfoView*>(list->viewController());
    screen->backBtnCallBack(nullptr);
    tour.driver.advanceClock(1);
    tour.driver.tap(home->mRootScrollView->viewWithTag(HomeViewCtrl::kAlertBarButtonTag));
}
