// The tour's stops on the PC records tab: the search, the day's web records,
// a record's detail put on the black list, the black lists with the add
// dialog, and the screen captures with their day picker and viewer.

#include "app/PCTimeCommon.h"
#include "pc/AddRuleViews.h"
#include "pc/HomeViewCtrl.h"
#include "pc/ImageViewListController.h"
#include "pc/LimitViewController.h"
#include "pc/ListViewController.h"
#include "pc/RecordDetailInfoView.h"
#include "pc/RecordListView.h"
#include "pc/SwRecordHomeViewController.h"
#include "platform/uikit/UITableViewParts.h"
#include "tools/tour/TabSet.h"
#include "ui/PixImageView.h"
#include "ui/ProgressHUD.h"

namespace {

using tour::screen;
using tour::settle;

bool hudGone(tour::Tour& tour)
{
    return !tour.driver.find<ProgressHUD>([](ProgressHUD& hud) { return hud.alpha() > 0.05; });
}

void back(tour::Tour& tour, UINavigationController* nav)
{
    nav->popToRootViewControllerAnimated(false);
    tour.driver.advanceClock(1);
}

}  // namespace

NX_TOUR_STEP(220, "PC records")
{
    tour::selectTab<SwRecordHomeViewController>(tour);
    auto* records = screen<SwRecordHomeViewController>(tour, "records tab");
    UINavigationController* nav = records->navigationController();
    tour.stop("pc-records", "Records tab: kind, day and the black-list link");

    tour.driver.tap(tour.driver.buttonWithTitle(L("swrechomeviewctrl_searchrec")));
    tour.driver.advanceClock(1);
    auto* list = screen<ListViewController>(tour, "record list");
    tour.stop("pc-record-list", "The day's web records");
    if (list->list().empty()) throw tour::Failure("no web records");
    list->tableview->tapRow(NSIndexPath::indexPathForRow(0, 0));
    auto* detail = screen<RecordDetailInfoView>(tour, "record detail");
    tour.driver.advanceClock(1);
    tour.stop("pc-record-detail", "A web record (the demo keeps no picture of it)");
    tour.driver.tap(detail->addButton());
    settle(tour, [&] { return tour.driver.find<ProgressHUD>() != nullptr; }, "the black-list message");
    tour.stop("pc-record-added", "The site is on the black list");
    settle(tour, [&] { return hudGone(tour); }, "the message's fade");
    back(tour, nav);
}

NX_TOUR_STEP(230, "PC black lists")
{
    auto* records = screen<SwRecordHomeViewController>(tour, "records tab");
    UIView* link = records->view()->viewWithTag(SwRecordHomeViewController::kBlackListButtonTag);
    tour.driver.tapAt(link->convertPoint(CGPointMake(link->bounds().size.width - 6, 12), nullptr));
    auto* limits = screen<LimitViewController>(tour, "black lists");
    settle(tour, [&] { return !limits->webList().rules.empty(); }, "the black lists");
    tour.driver.advanceClock(2);  // the loading box fades
    tour.stop("pc-black-list", "The web black list, in editing mode");
    tour.driver.tap(limits->addButton.get());
    tour.driver.type(limits->addField(), "www.games.example.org");
    tour.stop("pc-add-rule", "Forbidding a web site");
    tour.driver.pressAlertButton(0);
    // The new site's row, once the message has come and gone.
    auto siteRow = [&]() -> UITableViewCell* {
        for (const auto& cell : limits->myTableview->visibleCells())
            if (auto* name = dynamic_cast<UILabel*>(cell->viewWithTag(20002)); name && name->text() == "games.example.org")
                return cell.get();
        return nullptr;
    };
    settle(tour, [&] { return !hudGone(tour); }, "the message");
    settle(tour, [&] { return siteRow() && hudGone(tour); }, "the new site's row");
    tour.driver.advanceClock(2);  // the message's fade ends
    tour.stop("pc-black-list-added", "The web black list with the new site");
    tour.driver.layout();
    if (!tour.driver.tap(siteRow()->deleteControl())) throw tour::Failure("the delete control took no finger");
    tour.stop("pc-black-list-delete", "Deleting one rule: its Delete button");
    tour.driver.tap(siteRow()->deleteButton());
    settle(tour, [&] { return !hudGone(tour); }, "the message");
    settle(tour, [&] { return !siteRow() && hudGone(tour); }, "the row's removal");
    tour.driver.advanceClock(2);
    tour.stop("pc-black-list-deleted", "The web black list without the site");
    back(tour, records->navigationController());
}

NX_TOUR_STEP(240, "PC screen captures")
{
    auto* records = screen<SwRecordHomeViewController>(tour, "records tab");
    UINavigationController* nav = records->navigationController();
    // The day picker of the captures, as the care tab opens it.
    nav->pushViewController(ImageTimeSelectView::init(), false);
    tour.stop("pc-capture-day", "Choosing the day of the screen captures");
    tour.driver.tap(tour.driver.buttonWithTitle(L("imagetimeselectview_searchrecord")));
    auto* captures = screen<ImageViewListController>(tour, "capture list");
    settle(tour, [&] { return !captures->picUrlArray().empty() && captures->viewer() && hudGone(tour); }, "the captures");
    settle(tour, [&] {
        auto page = captures->viewer()->photoViews()[0];
        return page && page->imageView()->image && page->imageView()->image->size().width > 300;
    }, "the first capture");
    // The viewer sends the tab bar away with a short animation; however fast
    // the capture came, the picture is taken once it has gone.
    tour.driver.advanceClock(1);
    tour.stop("pc-captures", "The day's captures and the first one");
    tour.driver.tap(captures->scrollview->viewWithTag(ImageViewListController::kFirstThumbTag + 2));
    settle(tour, [&] {
        auto page = captures->viewer()->photoViews()[2];
        return page && page->imageView()->image && page->imageView()->image->size().width > 300;
    }, "the third capture");
    tour.stop("pc-capture-viewer", "The third capture with its time");
    back(tour, nav);
}

NX_TOUR_STEP(250, "PC day's access records")
{
    auto* records = screen<SwRecordHomeViewController>(tour, "records tab");
    UINavigationController* nav = records->navigationController();
    // No screen of the client opens these; the tour shows them as a host would.
    auto day = UIViewController::init<RecordListView>();
    nav->pushViewController(day, false);
    settle(tour, [&] { return day->urlView() && !day->urlView()->fetching() && !day->gameView()->fetching() && hudGone(tour); },
           "the day's records");
    tour.stop("pc-day-records", "The day's web records");
    tour.driver.tap(day->secondBtn.get());
    tour.driver.advanceClock(1);  // the page slides in
    settle(tour, [&] { return day->gameView()->tableView()->numberOfRowsInSection(0) > 0 && !tour.driver.find<ProgressHUD>(); },
           "the day's programs");
    tour.stop("pc-day-programs", "The day's programs");
    tour.driver.tap(tour.require(day->navigationItem()->leftBarButtonItem.get(), "calendar button")->customView.get());
    tour.waitFor([&] { return tour.driver.visibleAlert() != nullptr; }, "the day picker");
    tour.stop("pc-day-sheet", "Choosing the day: the picker over the sheet's OK and Cancel");
    tour.driver.pressAlertButton(1);  // Cancel keeps the day
    tour.driver.advanceClock(0.5);
    auto form = UIViewController::init<AddUrlViewController>();
    day->view()->addSubview(form->view());
    tour.driver.type(form->newURL.get(), "www.example.net");
    tour.stop("pc-add-url-form", "The form that forbids one more web address");
    form->goBack(nullptr);
    back(tour, nav);
    tour::selectTab<HomeViewCtrl>(tour);
}
