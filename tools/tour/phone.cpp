// The phone tab set's stops: the home page with today's alerts and their
// panel, the school periods, the more menu, the disclaimer, the family
// numbers with the add alert, the sync interval, and an invitation sent to a
// contact of the address book. The double keeps the phone's records from
// here on.

#include "app/nemkAppDelegate.h"
#include "pc/HomeDetailAlertInfoView.h"
#include "phone/FamilyViewController.h"
#include "phone/InviteFriendsViewController.h"
#include "phone/PhoneHomeViewCtrl.h"
#include "phone/PhoneMoreViewController.h"
#include "phone/SwTimeHighSettingController.h"
#include "phone/UserSettingController.h"
#include "platform/foundation/NSThread.h"
#include "tools/service-double/DemoAccount.h"
#include "tools/service-double/PhoneRecords.h"
#include "tools/tour/AppRoad.h"

namespace {

const char* const kPhone = tour::kDemoPhone;
const char* const kPhoneUser = "1002";  // the user ID the device list gives the phone

servicedouble::PhoneRecords& records()
{
    static servicedouble::PhoneRecords phone;
    return phone;
}

nemkAppDelegate* app()
{
    return dynamic_cast<nemkAppDelegate*>(UIApplication::sharedApplication().delegate.lock().get());
}

template <class T>
T* screen(tour::Tour& tour)
{
    auto* v = tour.driver.findView([](UIView& v) { return dynamic_cast<T*>(v.viewController()) != nullptr; });
    return v ? static_cast<T*>(v->viewController()) : nullptr;
}

// Lets the workers answer and the messages fade.
void settle(tour::Tour& tour)
{
    NSThread::joinDetachedThreads(10);
    tour.driver.pumpUntil([] { return false; }, 0.05);
    tour.driver.advanceClock(2.5);
    tour.driver.advanceClock(1.0);
}

template <class T>
T* openTab(tour::Tour& tour)
{
    auto* tabs = app()->tabBarController.get();
    for (size_t i = 0; i < tabs->viewControllers().size() && i < tabs->buttons().size(); ++i) {
        auto* nav = static_cast<UINavigationController*>(tabs->viewControllers()[i].get());
        if (!dynamic_cast<T*>(nav->viewControllers().front().get())) continue;
        nav->popToRootViewControllerAnimated(false);
        tabs->selectedTab(tabs->buttons()[i].get());
        settle(tour);
        return tour.require(screen<T>(tour), "tab screen");
    }
    throw tour::Failure("no such tab in the phone's set");
}

template <class T>
T* openRow(tour::Tour& tour, UILabel* caption)
{
    const CGRect b = caption->bounds();
    tour.driver.tapAt(caption->convertPoint(CGPointMake(b.size.width / 2, b.size.height / 2), nullptr));
    settle(tour);
    return tour.require(screen<T>(tour), "screen of the row");
}

}  // namespace

NX_TOUR_STEP(400, "phone home")
{
    records().serve(tour.service);
    records().setStatus(kPhone, {"1", "3", "2", "0", "2", "0", "1"});
    records().setPositions(kPhone, servicedouble::PhoneRecords::demoDay(servicedouble::fillDates("{DATE-0}")));
    records().setFamily(kPhoneUser, {{"13800138000", "Dad", "亲情", "0", "2026-11-10 19:00:00", "0"},
                                     {"13800138001", "Mum", "亲情", "0", "2026-11-10 19:01:00", "0"},
                                     {"01062751234", "Class teacher", "学校", "0", "2026-11-28 08:30:00", "1"}});
    auto* home = openTab<PhoneHomeViewCtrl>(tour);
    home->reflasehBtnCallBack(nullptr);
    tour.waitFor([&] { return home->isShowAlertDetailInfo(); }, "the phone's alerts");
    settle(tour);
    tour.stop("phone-home", "Phone home page: today's alerts, restrict mode, location, one-key lock and cut");
    tour.driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag));
    tour.stop("phone-alerts", "The alert line opened: today's blocked sites and programs");
    tour.driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kDetailRowTag));
    settle(tour);
    auto* list = tour.require(screen<HomeDetailAlertInfoView>(tour), "today's harmful sites");
    tour.stop("phone-alert-list", "Today's harmful sites, from the first alert row");
    list->navigationController()->popViewControllerAnimated(false);
    settle(tour);
    tour.driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag));
}

NX_TOUR_STEP(410, "phone periods")
{
    auto* tab = openTab<SwTimeHighSettingController>(tour);
    settle(tour);  // the grid reads the protect mode after the week
    tour.stop("phone-periods", "Phone time settings: the hour grid of a home-managed phone");
    if (!tab->seg->hidden()) {
        tab->seg->setSelectedSegmentIndex(1);
        tab->seg->sendActionsForControlEvents(UIControlEventValueChanged);
        settle(tour);
        settle(tour);
        tour.stop("phone-school-periods", "The school periods by weekday");
    }
}

// The phone managed by its school: the time tab's school side, a day opened
// and one of its periods deleted as a table row is.
NX_TOUR_STEP(470, "school periods")
{
    std::string devices = servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).replies.at("RQManageUser");
    const std::string home = std::string("<BID>") + kPhone + "</BID><Nick>Tom's phone</Nick><IsOnline>1</IsOnline>"
                             "<TaoCan>A</TaoCan><EquipType>Phone</EquipType><ManageType>Home";
    const size_t at = devices.find(home);
    if (at == std::string::npos) throw tour::Failure("the demo's phone is not listed as home-managed");
    devices.replace(at + home.size() - 4, 4, "School");
    tour.service.reply("RQManageUser", servicedouble::fillDates(devices));
    tour::backToLogin(tour);
    tour::chooseDevice(tour, tour::logIn(tour), kPhone);
    settle(tour);
    auto* tab = openTab<SwTimeHighSettingController>(tour);
    if (tab->seg->hidden()) throw tour::Failure("the phone is not school-managed");
    tab->seg->setSelectedSegmentIndex(1);
    tab->seg->sendActionsForControlEvents(UIControlEventValueChanged);
    settle(tour);
    settle(tour);
    UITableView* table = tab->tableView();
    table->tapRow(NSIndexPath::indexPathForRow(0, 0));
    settle(tour);
    tour.stop("phone-school-monday", "Monday's school periods");
    if (table->numberOfRowsInSection(0) < 2 || !table->commitDelete(NSIndexPath::indexPathForRow(1, 0)))
        throw tour::Failure("Monday has no period to delete");
    NSThread::joinDetachedThreads(10);
    tour.driver.pumpUntil([] { return false; }, 0.05);
    tour.stop("phone-period-deleted", "Monday's period deleted: gone from every day it was on");
    settle(tour);
}

NX_TOUR_STEP(420, "phone more")
{
    auto* menu = openTab<PhoneMoreViewController>(tour);
    tour.stop("phone-more", "Phone more menu");
    openRow<DisclaimerViewController>(tour, menu->lblDisclaimer.get());
    tour.stop("phone-disclaimer", "Disclaimer with the service's address and hotline");
}

NX_TOUR_STEP(430, "family numbers")
{
    auto* menu = openTab<PhoneMoreViewController>(tour);
    auto* family = openRow<FamilyViewController>(tour, menu->lblRelatives.get());
    tour.stop("family-numbers", "Family numbers, the school number in blue");
    tour.driver.tap(family->btnAdd.get());
    tour.driver.type(family->phoneNo_.get(), "13712345678");
    tour.driver.type(family->phoneName_.get(), "Gran");
    tour.stop("family-add", "Adding a family number");
    tour.driver.pressAlertButton(0);
    settle(tour);
    tour.stop("family-added", "The new number in the list");
}

NX_TOUR_STEP(440, "sync interval")
{
    auto* menu = openTab<PhoneMoreViewController>(tour);
    auto* sync = openRow<UserSettingController>(tour, menu->lblSysTimeSetting.get());
    tour.stop("sync-interval", "How often the phone checks in");
    sync->textTime->setText("");
    tour.driver.type(sync->textTime.get(), "0");
    tour.driver.tap(sync->btnSave.get());
    tour.stop("sync-zero", "An interval of 0 is refused");
    settle(tour);
}

NX_TOUR_STEP(450, "invitations")
{
    auto contact = std::make_shared<ABRecord>();
    contact->lastName = "Wang";
    contact->firstName = "Fang";
    contact->phones = {"137-1234-5678"};
    ABAddressBook::setPeople({contact});
    records().setInvitations(kPhoneUser, {{"13700137001", "Zhao Lei", "2026-12-08 20:14:00"}});
    auto* menu = openTab<PhoneMoreViewController>(tour);
    auto* list = openRow<InviteFriendsViewController>(tour, menu->lblInvite.get());
    tour.driver.tap(list->btnAdd.get());
    settle(tour);
    tour.stop("invite-panel", "Invitations with the invite panel");
    tour.driver.tap(list->btnByTelephone.get());
    settle(tour);
    auto* picker = tour.require(dynamic_cast<ABPeoplePickerNavigationController*>(
                                    list->navigationController()->modalViewController().get()),
                                "people picker");
    tour.stop("invite-contacts", "Choosing a contact");
    picker->list()->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    settle(tour);
    tour.stop("invite-composer", "The invitation SMS");
    tour.driver.finishComposer(NXComposeSent);
    settle(tour);
    settle(tour);
    tour.driver.tap(list->btnAdd.get());
    settle(tour);
    tour.stop("invitations", "The invitation recorded, first on page 1");
    ABAddressBook::setPeople({});
}
