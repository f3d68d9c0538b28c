// The account and menu screens' stops: the care tab and its package pages
// and the service order by SMS on the start set (after the logout), then the
// PC set's more menu with the account, a password change and the about screen.

#include "app/AppText.h"
#include "app/LoveHeartController.h"
#include "app/MoreViewVESKController.h"
#include "app/OrderViewController.h"
#include "app/ServiceFreeController.h"
#include "app/ServiceSeniorController.h"
#include "app/UserInfoShowController.h"
#include "app/UserPassWordEditController.h"
#include "app/About.h"
#include "app/LoginViewController.h"
#include "app/nemkAppDelegate.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/MessageUI.h"
#include "tools/tour/AppRoad.h"
#include "tools/tour/TabSet.h"
#include "ui/ProgressHUD.h"

namespace {

using tour::tabBar;

// The screen on top of the selected tab, when it is a T.
template <class T>
T* onTop(tour::Tour& tour, const std::string& what)
{
    auto* nav = dynamic_cast<UINavigationController*>(tabBar()->selectedViewController().get());
    return tour.require(nav ? dynamic_cast<T*>(nav->topViewController().get()) : nullptr, what);
}

// A tap where the menu row's label shows.
void tapRow(tour::Tour& tour, UILabel* label)
{
    const CGRect b = label->bounds();
    if (!tour.driver.tapAt(label->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr)))
        throw tour::Failure("the row " + label->text().str() + " cannot be tapped");
    tour.driver.advanceClock(0.5);
}

void tapItem(tour::Tour& tour, const std::shared_ptr<UIBarButtonItem>& item)
{
    tour.driver.tapBarButtonItem(tour.require(item.get(), "bar button"));
    tour.driver.advanceClock(0.5);
}

void selectFirstTab()
{
    Ulvo_UITabBar* tabs = tabBar();
    tabs->selectedTab(tabs->buttons().front().get());
}

// Changes the password and waits for the message; the stop pictures it as
// it starts to fade.
void changePassword(tour::Tour& tour, UserPassWordEditController* edit, const char* old, const char* fresh,
                    const std::string& name, const std::string& what)
{
    for (const auto& [field, text] : {std::pair{edit->passwordOld.get(), old}, std::pair{edit->passwordNew1.get(), fresh},
                                      std::pair{edit->passwordNew2.get(), fresh}}) {
        field->setText("");
        tour.driver.type(field, text);
        edit->textFieldShouldReturn(field);
    }
    tour.driver.advanceClock(0.5);
    tour.driver.tap(edit->btnOk.get());
    const NSString done = localized("userpasswordeditctrl_passeditsuccess");
    auto hud = [&] { return tour.driver.find<ProgressHUD>([&](ProgressHUD& h) { return h.labelText() == done; }); };
    tour.waitFor([&] { return hud() != nullptr; }, "the password change");
    if (!name.empty()) {
        hud()->setAlpha(1);
        tour.stop(name, what);
    }
    tour.driver.advanceClock(2);
}

}  // namespace

// The login covers the start set and its custom tab bar; the care tab is
// chosen as the bar's button chooses it.
NX_TOUR_STEP(175, "care tab")
{
    tour::selectTab<LoveHeartController>(tour);
    NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
    tour.driver.advanceClock(0.5);
    auto* care = onTop<LoveHeartController>(tour, "care tab");
    tour.stop("care-tab", "Care tab of the start set");
    tapRow(tour, care->lblBooked.get());
    auto* booked = onTop<ServiceSeniorController>(tour, "booked package page");
    tour.stop("package-page", "The family package");
    tour.driver.scrollTo(booked->scrollView.get(), CGPointMake(0, 700 - 369));
    tour.stop("package-page-end", "The family package, scrolled to its end");
    tapItem(tour, booked->navigationItem()->leftBarButtonItem);
    tapRow(tour, care->lblFree.get());
    auto* free = onTop<ServiceFreeController>(tour, "free service page");
    tour.stop("free-service", "The free service");
    tapItem(tour, free->navigationItem()->leftBarButtonItem);
    selectFirstTab();
    tour.driver.advanceClock(0.5);
}

// No screen opens the order screen; it is laid over the login as the login
// would lay it.
NX_TOUR_STEP(180, "service order by SMS")
{
    auto order = UIViewController::init<OrderViewController>();
    tour::loginScreen(tour)->view()->addSubview(order->view());
    tour.stop("order", "Ordering the service by SMS");
    tour.driver.tap(order->btnOrderA.get());
    tour.stop("order-confirm", "The order asks first");
    tour.driver.pressAlertButton(0);
    tour.driver.advanceClock(0.5);
    tour.require(NXComposeViewController::visibleComposer().get(), "SMS composer");
    tour.stop("sms-composer", "The order code in the message composer");
    tour.driver.finishComposer(NXComposeSent);
    tour.driver.tap(order->btnBack.get());
    tour.driver.advanceClock(1);
}

NX_TOUR_STEP(290, "more menu")
{
    tour::selectTab<MoreViewVESKController>(tour);
    tour.driver.advanceClock(0.5);
    auto* more = onTop<MoreViewVESKController>(tour, "more menu");
    tour.stop("more", "The PC set's more menu");

    tapRow(tour, more->lblName.get());
    auto* account = onTop<UserInfoShowController>(tour, "account information");
    tour.waitFor([&] { return account->userName->text() == tour::kDemoUser; }, "the account information");
    tour.driver.advanceClock(2);
    tour.stop("account", "Account information with the package's end date");

    tapItem(tour, account->navigationItem()->rightBarButtonItem);
    auto* edit = onTop<UserPassWordEditController>(tour, "password change");
    changePassword(tour, edit, tour::kDemoPassword, "newpass1", "password-changed", "The password changed");
    // And back, so the tour's later logins go on with the demo's password.
    changePassword(tour, edit, "newpass1", tour::kDemoPassword, "", "");
    tapItem(tour, edit->navigationItem()->leftBarButtonItem);
    tapItem(tour, account->navigationItem()->leftBarButtonItem);

    tapRow(tour, more->lblAboutUs.get());
    auto* about = onTop<About>(tour, "about screen");
    tour.stop("about", "About, with the version");
    tour.driver.tap(about->btnCall.get());
    tour.stop("about-call", "Calling the hotline asks first");
    tour.driver.pressAlertButton(1);
    tapItem(tour, about->navigationItem()->leftBarButtonItem);
    selectFirstTab();
    tour.driver.advanceClock(0.5);
}
