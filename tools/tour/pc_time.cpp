// The tour's stops on the PC time rules: the time tab's hour grid with the
// quarter-hour chooser a long press opens, the daily time, the periods with
// the period editor and its weekday chooser, and the protect mode the more
// menu opens.

#include "app/MoreViewVESKController.h"
#include "pc/HomeViewCtrl.h"
#include "pc/ProtectSettingViewController.h"
#include "pc/TimeQuarterViews.h"
#include "pc/TimeSetViewController.h"
#include "tools/tour/TabSet.h"
#include "ui/ProgressHUD.h"

namespace {

bool quiet(tour::Tour& tour)
{
    return !tour.driver.find<ProgressHUD>([](ProgressHUD& hud) { return hud.alpha() > 0.05; });
}

// The page under the segmented control once it has loaded: its HUD gone.
template <class T>
T* page(tour::Tour& tour, TimeSetViewController* tab, NSInteger tag, const std::string& what)
{
    tour::settle(tour, [&] { return dynamic_cast<T*>(tab->view()->viewWithTag(tag)) && quiet(tour); }, what);
    tour.driver.advanceClock(2);  // the loading boxes fade
    return dynamic_cast<T*>(tab->view()->viewWithTag(tag));
}

// A tap on segment i of the tab's segmented control, where a finger lands.
void tapSegment(tour::Tour& tour, UISegmentedControl* seg, NSInteger i)
{
    const CGRect b = seg->bounds();
    const CGFloat w = b.size.width / static_cast<CGFloat>(seg->numberOfSegments());
    if (!tour.driver.tapAt(seg->convertPoint(CGPointMake(w * (static_cast<CGFloat>(i) + 0.5), b.size.height / 2), nullptr)))
        throw tour::Failure("the time tab's segment cannot be tapped");
}

// A long press held on the view.
void longPress(UIView* view)
{
    const CGPoint at = view->convertPoint(CGPointMake(view->bounds().size.width / 2, view->bounds().size.height / 2), nullptr);
    for (const auto& g : view->gestureRecognizers()) {
        g->recognize(UIGestureRecognizerStateBegan, at);
        g->recognize(UIGestureRecognizerStateEnded, at);
    }
}

}  // namespace

NX_TOUR_STEP(210, "PC time rules")
{
    tour::selectTab<TimeSetViewController>(tour);
    auto* tab = tour::screen<TimeSetViewController>(tour, "time tab");
    UINavigationController* nav = tab->navigationController();

    auto* hours = page<TimeHourSetting>(tour, tab, TimeSetViewController::kHourTag, "the hour grid");
    TimeLimitViewController* grid = tour.require(hours->grid(), "hour grid");
    tour.stop("pc-time-hours", "Time tab: today's allowed hours and the protect mode");

    longPress(tour.require(grid->hourCell(17), "hour cell")->btn());
    auto* chooser = tour.require(dynamic_cast<CustomAlertView*>(tour.driver.visibleAlert()), "quarter chooser");
    tour.driver.tap(chooser->quarterButton(3));
    tour.driver.tap(chooser->quarterButton(4));
    tour.stop("pc-time-quarters", "A long press on 17:00 chooses its quarters");
    tour.driver.tap(chooser->quarterButton(5));
    tour.driver.advanceClock(1);

    tapSegment(tour, tab->seg.get(), 1);
    page<SwTimeLenSetting>(tour, tab, TimeSetViewController::kAllowanceTag, "the daily time");
    tour.stop("pc-time-daily", "The daily time allowed");

    tapSegment(tour, tab->seg.get(), 2);
    auto* periods = page<TimeHighSetting>(tour, tab, TimeSetViewController::kPeriodTag, "the periods");
    tour.stop("pc-time-periods", "The weekly periods");

    UIToolbar* bar = tour.require(tour.driver.find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(periods); }),
                                  "period toolbar");
    tour.driver.tap(bar->items().at(3)->barView().get());
    tour.driver.advanceClock(1);
    auto editor = std::dynamic_pointer_cast<AddTimeViewCtrl>(nav->topViewController());
    tour.require(editor.get(), "period editor");
    tour.stop("pc-period-editor", "Adding a period");
    editor->hoverBtnCallBack(nullptr);
    tour.driver.advanceClock(1);
    auto days = std::dynamic_pointer_cast<addTimeHourSet>(nav->topViewController());
    tour.require(days.get(), "weekday chooser");
    for (int day : {0, 2, 4}) tour.driver.tap(days->view()->viewWithTag(addTimeHourSet::kRowTag + day));
    tour.stop("pc-period-days", "The period's weekdays");
    nav->popToRootViewControllerAnimated(false);
    tour.driver.advanceClock(1);
    tapSegment(tour, tab->seg.get(), 0);
    page<TimeHourSetting>(tour, tab, TimeSetViewController::kHourTag, "the hour grid");
}

NX_TOUR_STEP(295, "PC protect mode")
{
    tour::selectTab<MoreViewVESKController>(tour);
    auto* more = tour::screen<MoreViewVESKController>(tour, "more menu");
    UINavigationController* nav = more->navigationController();
    const CGRect b = more->lblProtectSetting->bounds();
    tour.driver.tapAt(more->lblProtectSetting->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr));
    tour.driver.advanceClock(0.5);
    auto protect = std::dynamic_pointer_cast<ProtectSettingViewController>(nav->topViewController());
    tour.require(protect.get(), "protect mode");
    // The demo PC locks its screen in forbidden time; the loading box then fades.
    tour::settle(tour, [&] { return protect->screenHold->on(); }, "the protect mode");
    tour.driver.advanceClock(2);
    tour.stop("pc-protect", "Protect mode: what forbidden time does");
    protect->goBack();
    tour.driver.advanceClock(1);
    tour::selectTab<HomeViewCtrl>(tour);
}
