// The app shell's stops: splash, help, login errors, sign-up, forgotten
// password, the device chooser with its rename sheet, the guide, logout, and
// the PC (orders 200-299 follow on it) and phone (400-499) tab sets.

#include "app/AppText.h"
#include "app/EquipSelectController.h"
#include "app/FindPassViewController.h"
#include "app/HelpViewController.h"
#include "app/LoginViewController.h"
#include "app/PushImageViewController.h"
#include "app/RegistViewController.h"
#include "app/nemkAppDelegate.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "ui/ProgressHUD.h"
#include "tools/tour/AppRoad.h"

namespace {

// How long a HUD takes to fade out.
constexpr NSTimeInterval kHudFade = 2.0;

bool alertShows(tour::Tour& tour, const char* key)
{
    auto* alert = dynamic_cast<UIAlertView*>(tour.driver.visibleAlert());
    return alert && (alert->message == localized(key) || alert->title == localized(key));
}

ProgressHUD* hudWith(tour::Tour& tour, const char* key)
{
    return tour.driver.find<ProgressHUD>([&](ProgressHUD& hud) { return hud.labelText() == localized(key); });
}

bool hudShows(tour::Tour& tour, const char* key) { return hudWith(tour, key) != nullptr; }

// A message flashed in a HUD fades out from the moment it shows; the stop
// pictures it as it starts to fade.
void stopOnFlash(tour::Tour& tour, const char* key, const std::string& name, const std::string& what)
{
    ProgressHUD* hud = tour.require(hudWith(tour, key), "message");
    const CGFloat fading = hud->alpha();
    hud->setAlpha(1);
    tour.stop(name, what);
    hud->setAlpha(fading);
}

void pressAlert(tour::Tour& tour, NSInteger index)
{
    tour.driver.pressAlertButton(index);
    tour.driver.advanceClock(0.5);
}

}  // namespace

NX_TOUR_STEP(100, "splash")
{
    tour.stop("splash", "Splash screen: name, version and spinner");
    tour.driver.advanceClock(3.0);
    tour.driver.advanceClock(1.0);
}

NX_TOUR_STEP(110, "help")
{
    tour.waitFor([&] { return alertShows(tour, "login_suretoshowhelp"); }, "the help offer");
    tour.stop("help-offer", "Login screen offering the help pages");
    pressAlert(tour, 0);
    auto* help = tour.require(tour::loginScreen(tour)->helpScreen(), "help screen");
    tour.stop("help-page", "Help, page 1 of 7");
    UIScrollView* pages = help->scrollView.get();
    const CGFloat width = pages->bounds().size.width;
    tour.driver.scrollTo(pages, CGPointMake(width * 2, 0));
    tour.stop("help-page-3", "Help, page 3 of 7");
    tour.driver.scrollTo(pages, CGPointMake(width * (HelpViewController::kPages - 1) + HelpViewController::kEndPull + 1, 0));
    tour.stop("help-end", "Pulling past the last page ends the help");
    tour.driver.advanceClock(1.5);
}

NX_TOUR_STEP(120, "login errors")
{
    tour.stop("login", "Login screen");
    tour::typeLogin(tour, "ab#d", "secret1");
    tour.waitFor([&] { return alertShows(tour, "login_usernameerr"); }, "the user name alert");
    tour.stop("login-bad-name", "A user name with a sign in it");
    pressAlert(tour, 0);
    tour::typeLogin(tour, tour::kDemoUser, "abc");
    tour.waitFor([&] { return alertShows(tour, "login_passlength"); }, "the password length alert");
    tour.stop("login-short-password", "A password shorter than 6 characters");
    pressAlert(tour, 0);
    tour::typeLogin(tour, tour::kDemoUser, "wrongpass");
    tour.waitFor([&] { return hudShows(tour, "login_usernameorpasserr"); }, "the refused login");
    stopOnFlash(tour, "login_usernameorpasserr", "login-wrong-password", "A wrong password: the service refuses the login");
    tour.driver.advanceClock(kHudFade);
}

NX_TOUR_STEP(130, "sign-up")
{
    LoginViewController* login = tour::loginScreen(tour);
    tour.driver.tap(login->btnSignUp.get());
    tour.driver.advanceClock(0.5);
    RegistViewController* form = tour.require(login->registScreen(), "sign-up form");
    const char* number = "13912345678";
    tour.driver.type(form->username.get(), number);
    tour.driver.type(form->password.get(), "family8");
    tour.driver.type(form->password1.get(), "family8");
    form->textFieldShouldReturn(form->password1.get());
    tour.driver.tap(form->btnGetValidateCode.get());
    // The SMS the service sends carries the code the screen drew.
    std::string code;
    for (const auto& e : tour.service.exchanges())
        if (e.type == "RQValidateCode") code = e.message.substr(e.message.find("<ValidateCode>") + 14, 6);
    tour.driver.advanceClock(kHudFade);
    tour.driver.type(form->randomNumber.get(), NSString(code));
    form->textFieldShouldReturn(form->randomNumber.get());
    tour.stop("sign-up", "Sign-up form with the code from the SMS");
    tour.driver.tap(form->btnOk.get());
    tour.waitFor([&] { return hudShows(tour, "signup_registsuccesses"); }, "the sign-up");
    stopOnFlash(tour, "signup_registsuccesses", "sign-up-done", "Signed up; the login comes back 2 s later");
    tour.driver.advanceClock(kHudFade);
}

NX_TOUR_STEP(140, "forgotten password")
{
    LoginViewController* login = tour::loginScreen(tour);
    login->userNameTextField->setText(tour::kDemoUser);
    tour.driver.tap(login->btnForgotPass.get());
    tour.driver.advanceClock(0.5);
    FindPassViewController* screen = tour.require(login->findPassScreen(), "forgotten-password screen");
    tour.stop("forgot-password", "Forgotten password");
    tour.driver.tap(screen->btnRequest.get());
    tour.waitFor([&] { return alertShows(tour, "findPassView_prompt"); }, "the password request");
    tour.driver.advanceClock(1.0);
    tour.stop("forgot-password-sent", "The password is on its way by SMS");
    pressAlert(tour, 0);
}

NX_TOUR_STEP(150, "device chooser")
{
    EquipSelectController* chooser = tour::logIn(tour);
    tour.stop("chooser", "Device chooser with the account's three devices");
    EquipListViewController* list = chooser->gameView();
    auto cell = list->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    tour.require(cell.get(), "device row");
    cell->gestureRecognizers().front()->recognize(UIGestureRecognizerStateBegan, cell->convertPoint(CGPointMake(100, 20), nullptr));
    tour.driver.advanceClock(0.5);
    tour.stop("rename-sheet", "Long press on a device: rename or remove");
    list->showEditNick();
    tour.driver.advanceClock(0.5);
    tour.stop("rename-dialog", "Renaming the device");
    pressAlert(tour, 1);
}

NX_TOUR_STEP(160, "guide")
{
    LoginViewController* login = tour::loginScreen(tour);
    auto guide = UIViewController::init<PushImageViewController>();
    // Whoever shows the guide lays it over the whole of its screen.
    guide->view()->setFrame(login->view()->bounds());
    login->view()->addSubview(guide->view());
    tour.stop("guide", "Guide images, the first");
    tour.driver.swipe(CGPointMake(250, 300), CGPointMake(140, 300));
    tour.driver.advanceClock(1.0);
    tour.stop("guide-2", "Guide images after a swipe to the left");
    for (int i = 1; i < HelpViewController::kPages && !guide->ended(); ++i) {
        tour.driver.swipe(CGPointMake(250, 300), CGPointMake(140, 300));
        tour.driver.advanceClock(1.0);
    }
    tour.driver.advanceClock(1.0);
}

NX_TOUR_STEP(170, "logout")
{
    auto* chooser = tour::loginScreen(tour)->equipSelecter();
    tour.driver.tapBarButtonItem(tour.require(chooser, "device chooser")->btnLogout.get());
    tour.stop("logout-question", "Logging out asks first");
    pressAlert(tour, 0);
    tour.stop("login-after-logout", "Back at the login, name and password remembered");
}

NX_TOUR_STEP(190, "PC tab set")
{
    tour::chooseDevice(tour, tour::logIn(tour), "PC-HOME-01");
    tour.stop("pc-tabs", "The PC's tab set");
}

NX_TOUR_STEP(300, "phone tab set")
{
    tour::backToLogin(tour);
    tour::chooseDevice(tour, tour::logIn(tour), tour::kDemoPhone);
    tour.stop("phone-tabs", "The phone's tab set");
}
