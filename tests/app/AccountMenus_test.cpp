// The more menu, the care tab, the package pages, the account information,
// the password change, the about screen and the service order by SMS, driven
// against the double.

#include <cmath>
#include <ctime>

#include "app/About.h"
#include "app/LoveHeartController.h"
#include "app/MoreViewVESKController.h"
#include "app/OrderViewController.h"
#include "app/ServiceFreeController.h"
#include "app/ServiceSeniorController.h"
#include "app/UserInfoShowController.h"
#include "app/UserPassWordEditController.h"
#include "pc/ImageViewListController.h"
#include "pc/LimitViewController.h"
#include "pc/ProtectSettingViewController.h"
#include "phone/InviteFriendsViewController.h"
#include "phone/MapController.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "protocol/Constant.h"
#include "tests/app/AppFixture.h"
#include "tools/snapshot/Snapshot.h"

namespace {

using apptest::AppTest;


// The local date, days after the virtual clock's present moment.
std::string localDate(double days)
{
    const auto t = static_cast<std::time_t>(std::floor(NSClock::timeIntervalSince1970() + days * 86400));
    std::tm local{};
    localtime_r(&t, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

class AccountMenusTest : public AppTest {
protected:
    explicit AccountMenusTest(bool realTexts = false) : AppTest(realTexts) {}

    Ulvo_UITabBar* tabs() const { return app()->tabBarController.get(); }
    UINavigationController* tabNav() const
    {
        return static_cast<UINavigationController*>(tabs()->selectedViewController().get());
    }
    template <class T>
    T* top() const
    {
        return dynamic_cast<T*>(tabNav()->topViewController().get());
    }

    // The PC tab set after logging in with the password and choosing the PC.
    void toPcTabs(const char* password = apptest::kDemoPassword)
    {
        if (!login()) {
            launchToLogin();
            driver.pressAlertButton(1);  // no help
        }
        EquipSelectController* chooser = logIn(password);
        ASSERT_NE(chooser, nullptr);
        chooser->gameView()->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
        driver.advanceClock(1);
    }
    void openTab(int index)
    {
        ASSERT_TRUE(driver.tap(tabs()->buttons()[index].get()));
        driver.advanceClock(0.5);
    }
    // A tap on a menu row, where its label shows.
    void tapRow(UILabel* label)
    {
        const CGRect b = label->bounds();
        ASSERT_TRUE(driver.tapAt(label->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr)));
        driver.advanceClock(0.5);
    }
    void tapBack(UIViewController* screen)
    {
        driver.tapBarButtonItem(screen->navigationItem()->leftBarButtonItem.get());
        driver.advanceClock(0.5);
    }
    // The care tab of the start set, which the login screen covers with the
    // custom tab bar hidden: chosen as the bar's button would, the bar back.
    void openCareTab()
    {
        if (!login()) launchToLogin();
        if (driver.visibleAlert()) driver.pressAlertButton(1);
        tabs()->selectedTab(tabs()->buttons()[3].get());
        NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
        driver.advanceClock(0.5);
    }
    MoreViewVESKController* openMore()
    {
        openTab(4);
        return top<MoreViewVESKController>();
    }
    UserInfoShowController* openAccount()
    {
        MoreViewVESKController* more = openMore();
        EXPECT_NE(more, nullptr);
        if (!more) return nullptr;
        tapRow(more->lblName.get());
        auto* account = top<UserInfoShowController>();
        EXPECT_NE(account, nullptr);
        if (account) {
            EXPECT_TRUE(driver.pumpUntil([&] { return account->userName->text() == apptest::kDemoUser; }));
        }
        return account;
    }
    UserPassWordEditController* openPasswordChange()
    {
        UserInfoShowController* account = top<UserInfoShowController>() ? top<UserInfoShowController>() : openAccount();
        driver.tapBarButtonItem(account->navigationItem()->rightBarButtonItem.get());
        driver.advanceClock(0.5);
        return top<UserPassWordEditController>();
    }
    void typePasswords(UserPassWordEditController* screen, const char* old, const char* fresh, const char* repeat)
    {
        for (const auto& [field, text] : {std::pair{screen->passwordOld.get(), old}, std::pair{screen->passwordNew1.get(), fresh},
                                          std::pair{screen->passwordNew2.get(), repeat}}) {
            field->setText("");
            driver.type(field, text);
            screen->textFieldShouldReturn(field);
        }
        driver.advanceClock(0.5);
    }
    // Types the passwords, confirms, and waits for the message it ends with.
    void changePassword(UserPassWordEditController* screen, const char* old, const char* fresh, const char* repeat,
                        const char* message)
    {
        typePasswords(screen, old, fresh, repeat);
        ASSERT_TRUE(driver.tap(screen->btnOk.get()));
        EXPECT_TRUE(waitForHud(message)) << message;
        driver.advanceClock(2);
    }
    std::string lastPasswordSent() const
    {
        std::string sent;
        for (const auto& e : service.exchanges())
            if (e.type == "UDPassword") {
                const size_t at = e.message.find("<Password>") + 10;
                sent = e.message.substr(at, e.message.find("</Password>") - at);
            }
        return sent;
    }
};

TEST_F(AccountMenusTest, AccountShowsThePackageThenANewPasswordIsTheOneTheNextLoginNeeds)
{
    toPcTabs();
    MoreViewVESKController* more = openMore();
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->navigationItem()->title, NSString("moreviewctrl_more"));
    EXPECT_EQ(more->lblName->text(), NSString("moreviewctrl_name"));
    ASSERT_TRUE(customTabBarShows());

    tapRow(more->lblName.get());
    UserInfoShowController* account = top<UserInfoShowController>();
    ASSERT_NE(account, nullptr);
    EXPECT_TRUE(account->hidesBottomBarWhenPushed());
    EXPECT_EQ(account->title(), NSString("userInfoShowctrl_userinfo"));
    ASSERT_TRUE(driver.pumpUntil([&] { return account->userName->text() == apptest::kDemoUser; }));
    EXPECT_EQ(account->userIphone->text(), NSString(apptest::kDemoUser));
    EXPECT_EQ(account->userEmail->text(), NSString("parent@example.com"));
    EXPECT_EQ(account->userQQ->text(), NSString("800138000"));
    EXPECT_EQ(account->userPack->text(), NSString("userInfoShowctrl_ehometaocan"));
    // 180 days left: the package's last day is 179 days after today.
    EXPECT_EQ(account->userPackLeft->text(), NSString(localDate(179)));
    driver.advanceClock(2);
    EXPECT_TRUE(account->loading()->boxHidden());

    // Refused on the phone: nothing is sent.
    UserPassWordEditController* edit = openPasswordChange();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->title(), NSString("userpasswordeditctrl_editpass"));
    struct Refusal {
        const char *old, *fresh, *repeat, *message;
    };
    for (const Refusal& r : {Refusal{"", "newpass1", "newpass1", "userpasswordeditctrl_oldpassempty"},
                             Refusal{"   ", "newpass1", "newpass1", "userpasswordeditctrl_oldpassempty"},
                             Refusal{"demo2012", "abc12", "abc12", "userpasswordeditctrl_newpasslenth"},
                             Refusal{"demo2012", "abcdefghijklmnopq", "abcdefghijklmnopq", "userpasswordeditctrl_newpasslenth"},
                             Refusal{"demo2012", "newpass1", "abc12", "userpasswordeditctrl_newpasslenth"},
                             Refusal{"demo2012", "newpass1", "newpass2", "userpasswordeditctrl_passdif"},
                             Refusal{"wrongpass", "newpass1", "newpass1", "userpasswordeditctrl_oldpasserr"}}) {
        SCOPED_TRACE(r.message);
        changePassword(edit, r.old, r.fresh, r.repeat, r.message);
    }
    EXPECT_EQ(exchangesOf("UDPassword"), 0u);
    EXPECT_EQ(Constant::password(), NSString(apptest::kDemoPassword));

    // Blanks never count: "abc def" is the 6 characters "abcdef".
    changePassword(edit, "demo 2012", "abc def", "abc def", "userpasswordeditctrl_passeditsuccess");
    EXPECT_EQ(lastPasswordSent(), "abcdef");
    EXPECT_EQ(Constant::password(), NSString("abcdef"));
    EXPECT_EQ(accounts->password(apptest::kDemoUser), "abcdef");
    // The screen stays, its fields as typed; the old password is now the new one.
    EXPECT_EQ(top<UserPassWordEditController>(), edit);
    EXPECT_EQ(edit->passwordNew1->text(), NSString("abc def"));
    changePassword(edit, "demo2012", "sixteencharacter", "sixteencharacter", "userpasswordeditctrl_oldpasserr");
    EXPECT_EQ(exchangesOf("UDPassword"), 1u);
    changePassword(edit, "abcdef", "sixteencharacter", "sixteencharacter", "userpasswordeditctrl_passeditsuccess");
    EXPECT_EQ(lastPasswordSent(), "sixteencharacter");

    // Log out; the old password no longer opens the account, the new one does.
    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    driver.advanceClock(1);
    tabs()->selectedTab(tabs()->buttons()[0].get());
    LoginViewController* screen = login();
    ASSERT_NE(screen, nullptr);
    typeLogin(screen, apptest::kDemoUser, apptest::kDemoPassword);
    ASSERT_TRUE(waitForHud("login_usernameorpasserr"));
    driver.advanceClock(2);
    EXPECT_NE(logIn("sixteencharacter"), nullptr);
}

TEST_F(AccountMenusTest, ServiceAnswersToThePasswordChange)
{
    toPcTabs();
    UserPassWordEditController* edit = openPasswordChange();
    ASSERT_NE(edit, nullptr);
    struct Case {
        std::function<void()> script;
        const char* message;
    };
    for (const Case& c : {Case{[&] { service.reply("UDPassword", "<Code>7</Code><Desc>refused</Desc>"); }, "7"},
                          Case{[&] { service.reply("UDPassword", "<Desc>no code</Desc>"); }, "userpasswordeditctrl_connectfail"},
                          Case{[&] { service.fault("UDPassword", servicedouble::Fault::CloseConnection); },
                               "userpasswordeditctrl_connectfail"}}) {
        SCOPED_TRACE(c.message);
        c.script();
        changePassword(edit, "demo2012", "newpass1", "newpass1", c.message);
        EXPECT_EQ(Constant::password(), NSString(apptest::kDemoPassword));
    }
}

TEST_F(AccountMenusTest, RepeatFieldShiftsTheViewUpAndReturnBringsItBackOnce)
{
    toPcTabs();
    UserPassWordEditController* edit = openPasswordChange();
    ASSERT_NE(edit, nullptr);
    const CGFloat rest = edit->view()->frame().origin.y;
    driver.type(edit->passwordNew1.get(), "a");
    driver.advanceClock(0.5);
    EXPECT_EQ(edit->view()->frame().origin.y, rest);
    driver.type(edit->passwordNew2.get(), "a");
    driver.advanceClock(0.5);
    EXPECT_EQ(edit->view()->frame().origin.y, -50);
    edit->textFieldShouldReturn(edit->passwordNew2.get());
    driver.advanceClock(1);
    EXPECT_EQ(edit->view()->frame().origin.y, 0);
    edit->view()->setFrame(CGRectMake(0, 7, 320, 416));
    edit->textFieldShouldReturn(edit->passwordOld.get());
    driver.advanceClock(1);
    EXPECT_EQ(edit->view()->frame().origin.y, 7);
}

TEST_F(AccountMenusTest, AccountInformationFromTheServiceAsItComes)
{
    toPcTabs();
    // Another package, running out tomorrow.
    ASSERT_TRUE(accounts->setPackage(apptest::kDemoUser, {"B", "2", "1"}));
    UserInfoShowController* account = openAccount();
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->userPack->text(), NSString("-"));
    EXPECT_EQ(account->userPackLeft->text(), NSString(localDate(1)));
    tapBack(account);

    // Nothing comes back: the box stops and the labels stay as they were.
    service.fault("RQUserInfo", servicedouble::Fault::CloseConnection);
    MoreViewVESKController* more = top<MoreViewVESKController>();
    tapRow(more->lblName.get());
    account = top<UserInfoShowController>();
    ASSERT_NE(account, nullptr);
    // On, as the map engine's downloads may have left it; the reply is
    // handed to the screen only once the main run loop runs again.
    UIApplication& application = UIApplication::sharedApplication();
    application.setNetworkActivityIndicatorVisible(true);
    ASSERT_TRUE(driver.pumpUntil([&] { return account->loading()->loadingTimer() != nullptr; }));
    // The screen turns the indicator off as it learns that nothing came. Looked
    // at now, before the clock moves: later the map engine, which fetches its
    // tiles on its own threads from launch on, may rightly turn it on again.
    EXPECT_FALSE(application.networkActivityIndicatorVisible());
    driver.advanceClock(2);
    EXPECT_TRUE(account->loading()->boxHidden());
    EXPECT_EQ(account->userName->text(), NSString("-"));
    EXPECT_EQ(driver.visibleAlert(), nullptr);
}

// Reloading shows the box again and fetches anew: a package changed meanwhile
// shows.
TEST_F(AccountMenusTest, ReloadShowsTheBoxAndFetchesAgain)
{
    toPcTabs();
    UserInfoShowController* account = openAccount();
    ASSERT_NE(account, nullptr);
    driver.advanceClock(2);
    ASSERT_TRUE(account->loading()->boxHidden());
    const size_t fetches = exchangesOf("RQUserInfo");
    ASSERT_TRUE(accounts->setPackage(apptest::kDemoUser, {"A", "31", "1"}));

    account->reload(nullptr);
    EXPECT_FALSE(account->loading()->boxHidden());
    ASSERT_TRUE(driver.pumpUntil([&] { return account->userPackLeft->text() == NSString(localDate(30)); }));
    EXPECT_EQ(exchangesOf("RQUserInfo"), fetches + 1);
    EXPECT_EQ(account->userPack->text(), NSString("userInfoShowctrl_ehometaocan"));
    driver.advanceClock(2);
    EXPECT_TRUE(account->loading()->boxHidden());
}

TEST(UserInfoShowDate, EndDateOfTheDaysLeft)
{
    struct Case {
        const char* days;
        double after;  // days after today
    };
    for (const Case& c : {Case{"1", 0}, Case{"30", 29}, Case{"0", -1}, Case{"", -1}, Case{"soon", -1}, Case{"-2", -3},
                          Case{"1e400", 36499}, Case{"-1e400", -36501}, Case{"99999999999999", 36499}}) {
        SCOPED_TRACE(c.days);
        EXPECT_EQ(UserInfoShowController::dateSinceNow(c.days), NSString(localDate(c.after)));
    }
    EXPECT_EQ(UserInfoShowController::dateSinceNow(NSString()), NSString(localDate(-1)));
}

TEST_F(AccountMenusTest, MoreMenuOpensAFreshScreenPerTapWithTheTabBarHidden)
{
    toPcTabs();
    MoreViewVESKController* more = openMore();
    ASSERT_NE(more, nullptr);
    struct Entry {
        UILabel* label;
        std::function<bool(UIViewController*)> is;
    };
    for (const Entry& e : {Entry{more->lblName.get(), [](UIViewController* v) { return dynamic_cast<UserInfoShowController*>(v); }},
                           Entry{more->lblAboutUs.get(), [](UIViewController* v) { return dynamic_cast<About*>(v); }},
                           Entry{more->lblInvite.get(), [](UIViewController* v) { return dynamic_cast<InviteFriendsViewController*>(v); }},
                           Entry{more->lblProtectSetting.get(), [](UIViewController* v) { return dynamic_cast<ProtectSettingViewController*>(v); }}}) {
        SCOPED_TRACE(e.label->text().str());
        // A weak reference, so the test never compares a freed screen's
        // address with a new one's: the first screen is either gone or another.
        std::weak_ptr<NSObject> previous;
        for (int tap = 0; tap < 2; ++tap) {
            tapRow(e.label);
            UIViewController* opened = tabNav()->topViewController().get();
            ASSERT_TRUE(e.is(opened));
            EXPECT_TRUE(previous.expired() || previous.lock().get() != opened);
            previous = opened->shared_from_this();
            EXPECT_TRUE(opened->hidesBottomBarWhenPushed());
            EXPECT_FALSE(customTabBarShows());
            tabNav()->popViewControllerAnimated(false);
            NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
            driver.advanceClock(0.5);
        }
    }
}

// The account page and the pages it opens all want the full height: Back
// from one of them to the account page keeps the custom tab bar away, Back
// from the account page to the menu brings it back under the finger.
TEST_F(AccountMenusTest, TheTabBarComesBackWhenThePushedPagesAreAllGone)
{
    toPcTabs();
    UserInfoShowController* account = openAccount();
    ASSERT_NE(account, nullptr);
    driver.advanceClock(2);
    EXPECT_FALSE(customTabBarShows());

    ASSERT_TRUE(driver.tap(account->btnTaocan.get()));
    driver.advanceClock(0.5);
    auto* package = top<ServiceSeniorController>();
    ASSERT_NE(package, nullptr);
    EXPECT_FALSE(customTabBarShows());
    tapBack(package);
    ASSERT_EQ(top<UserInfoShowController>(), account);
    EXPECT_FALSE(customTabBarShows());

    UserPassWordEditController* edit = openPasswordChange();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(customTabBarShows());
    tapBack(edit);
    ASSERT_EQ(top<UserInfoShowController>(), account);
    EXPECT_FALSE(customTabBarShows());

    tapBack(account);
    ASSERT_NE(top<MoreViewVESKController>(), nullptr);
    EXPECT_TRUE(customTabBarTakesATap());
}

TEST_F(AccountMenusTest, CareTabOpensItsEntries)
{
    openCareTab();
    auto* care = top<LoveHeartController>();
    ASSERT_NE(care, nullptr);
    EXPECT_EQ(care->navigationItem()->title, NSString("loveheartctrl_loverheart"));

    // The captures keep the custom tab bar.
    tapRow(care->lblImgBrowser.get());
    auto* captures = top<ImageTimeSelectView>();
    ASSERT_NE(captures, nullptr);
    EXPECT_FALSE(captures->hidesBottomBarWhenPushed());
    EXPECT_TRUE(customTabBarShows());
    tabNav()->popViewControllerAnimated(false);

    struct Entry {
        UILabel* label;
        const char* title;  // nullptr: the page's own
    };
    for (const Entry& e : {Entry{care->lblBlacklist.get(), nullptr}, Entry{care->lblRelativesPos.get(), "mapctrl_relativeloc"}}) {
        tapRow(e.label);
        UIViewController* opened = top<UIViewController>();
        EXPECT_TRUE(e.title ? dynamic_cast<MapController*>(opened) != nullptr
                            : dynamic_cast<LimitViewController*>(opened) != nullptr);
        ASSERT_NE(opened, nullptr);
        EXPECT_TRUE(opened->hidesBottomBarWhenPushed());
        EXPECT_FALSE(customTabBarShows());
        if (e.title) {
            EXPECT_EQ(opened->title(), NSString(e.title));
        }
        tabNav()->popViewControllerAnimated(false);
        NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
        driver.advanceClock(0.5);
    }

    // The free page, and back: the custom tab bar comes back with the page's going.
    tapRow(care->lblFree.get());
    auto* free = top<ServiceFreeController>();
    ASSERT_NE(free, nullptr);
    EXPECT_EQ(free->title(), NSString("servicefreectrl_free"));
    EXPECT_FALSE(customTabBarShows());
    tapBack(free);
    EXPECT_EQ(top<LoveHeartController>(), care);
    EXPECT_TRUE(customTabBarShows());

    // The booked page: no buy button, a body of 700 points in a 369-point window.
    tapRow(care->lblBooked.get());
    auto* booked = top<ServiceSeniorController>();
    ASSERT_NE(booked, nullptr);
    EXPECT_EQ(booked->title(), NSString("loveheartctrl_bookedservice"));
    EXPECT_TRUE(booked->buyButton->hidden());
    EXPECT_TRUE(CGRectEqualToRect(booked->scrollView->frame(), CGRectMake(15, 39, 290, 369)));
    EXPECT_EQ(booked->scrollView->contentSize().height, 700);
    driver.drag(booked->scrollView.get(), CGPointMake(0, -400));
    driver.advanceClock(1);
    EXPECT_EQ(booked->scrollView->contentOffset().y, 700 - 369);
    // The key table names no picture the application holds: the views stay
    // empty and the page still goes back.
    EXPECT_EQ(booked->imgvTaocanTitle->image, nullptr);
    tapBack(booked);
    EXPECT_EQ(top<LoveHeartController>(), care);
    EXPECT_TRUE(customTabBarShows());
}

TEST_F(AccountMenusTest, AboutDialsTheHotlineDigitsAfterAskingAndNeverFromAnIPodOrIPad)
{
    toPcTabs();
    MoreViewVESKController* more = openMore();
    tapRow(more->lblAboutUs.get());
    About* about = top<About>();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->version->text(), NSString("about_ver1.0.0"));
    EXPECT_EQ(about->lblTop->text(), NSString("Tavrel"));
    const auto& dialled = UIApplication::sharedApplication().openedURLs();
    const size_t before = dialled.size();

    driver.tap(about->btnCall.get());
    ASSERT_TRUE(alertSays("about_suretocall400-820 6018about_yet"));
    driver.pressAlertButton(1);
    EXPECT_EQ(dialled.size(), before);

    for (const char* model : {"iPod touch", "iPad"}) {
        UIDevice::currentDevice().model = model;
        driver.tap(about->btnCall.get());
        driver.pressAlertButton(0);
        EXPECT_TRUE(alertSays("about_canTel")) << model;
        driver.pressAlertButton(0);
        EXPECT_EQ(dialled.size(), before);
    }
    UIDevice::currentDevice().model = "iPhone";
    driver.tap(about->btnCall.get());
    driver.pressAlertButton(0);
    ASSERT_EQ(dialled.size(), before + 1);
    EXPECT_EQ(dialled.back(), NSString("tel:4008206018"));

    tapBack(about);
    EXPECT_EQ(top<MoreViewVESKController>(), more);
    EXPECT_TRUE(customTabBarShows());
}

class OrderTest : public AccountMenusTest {
protected:
    OrderViewController* show()
    {
        launchToLogin();
        if (alertSays("login_suretoshowhelp")) driver.pressAlertButton(1);
        order_ = UIViewController::init<OrderViewController>();
        login()->view()->addSubview(order_->view());
        MFMessageComposeViewController::clearOutbox();
        return order_.get();
    }
    ~OrderTest() override { MFMessageComposeViewController::setCanSendText(true); }
    std::shared_ptr<MFMessageComposeViewController> composer() const
    {
        return std::dynamic_pointer_cast<MFMessageComposeViewController>(NXComposeViewController::visibleComposer());
    }

private:
    std::shared_ptr<OrderViewController> order_;
};

TEST_F(OrderTest, ConfirmedOrderPutsOneSmsWithItsCodeInTheOutbox)
{
    OrderViewController* order = show();
    struct Case {
        UIButton* button;
        const char* code;
        NXComposeOutcome outcome;
    };
    for (const Case& c : {Case{order->btnOrderA.get(), "DG01", NXComposeSent}, Case{order->btnOrderB.get(), "DG02", NXComposeSent},
                          Case{order->btnOrderA.get(), "DG01", NXComposeCancelled},
                          Case{order->btnOrderB.get(), "DG02", NXComposeFailed}}) {
        SCOPED_TRACE(c.code);
        const size_t sent = MFMessageComposeViewController::outbox().size();
        ASSERT_TRUE(driver.tap(c.button));
        auto* alert = dynamic_cast<UIAlertView*>(driver.visibleAlert());
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title, NSString("提示"));
        driver.pressAlertButton(0);
        auto shown = composer();
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->body(), NSString(c.code));
        EXPECT_EQ(shown->recipients(), std::vector<NSString>{OrderViewController::kOrderShortNumber});
        ASSERT_NE(shown->navigationBar()->tintColor, nullptr);
        EXPECT_EQ(shown->navigationBar()->tintColor->description(), UIColor::blackColor()->description());
        ASSERT_TRUE(driver.finishComposer(c.outcome));
        EXPECT_FALSE(composer());
        EXPECT_EQ(order->modalViewController(), nullptr);
        EXPECT_NE(order->view()->window(), nullptr);
        const auto outbox = MFMessageComposeViewController::outbox();
        ASSERT_EQ(outbox.size(), sent + (c.outcome == NXComposeSent ? 1 : 0));
        if (c.outcome == NXComposeSent) {
            EXPECT_EQ(outbox.back().body, NSString(c.code));
            EXPECT_EQ(outbox.back().recipients, std::vector<NSString>{OrderViewController::kOrderShortNumber});
        }
    }

    // "取消" orders nothing; the way back takes the screen away.
    driver.tap(order->btnOrderA.get());
    driver.pressAlertButton(1);
    EXPECT_FALSE(composer());
    driver.tap(order->btnBack.get());
    driver.advanceClock(1);
    EXPECT_EQ(order->view()->superview(), nullptr);
    EXPECT_EQ(MFMessageComposeViewController::outbox().size(), 2u);
}

TEST_F(OrderTest, TheUsersEditIsWhatIsSentAndAPhoneWithoutSmsSendsNothing)
{
    OrderViewController* order = show();
    driver.tap(order->btnOrderB.get());
    driver.pressAlertButton(0);
    ASSERT_TRUE(composer());
    // The composer's own buttons: the text edited, then Send.
    UIView* sheet = composer()->view().get();
    auto* body = driver.find<UITextField>([&](UITextField& f) { return f.isDescendantOfView(sheet); });
    ASSERT_NE(body, nullptr);
    driver.type(body, " now");
    auto* send = driver.buttonWithTitle("Send");
    ASSERT_NE(send, nullptr);
    driver.tap(send);
    ASSERT_EQ(MFMessageComposeViewController::outbox().size(), 1u);
    EXPECT_EQ(MFMessageComposeViewController::outbox()[0].body, NSString("DG02 now"));
    EXPECT_FALSE(composer());

    MFMessageComposeViewController::setCanSendText(false);
    driver.tap(order->btnOrderA.get());
    EXPECT_NE(driver.visibleAlert(), nullptr);
    driver.pressAlertButton(0);
    EXPECT_FALSE(composer());
    EXPECT_EQ(driver.visibleAlert(), nullptr);
    EXPECT_EQ(MFMessageComposeViewController::outbox().size(), 1u);
}

// ---- How the screens look, with the shipped strings table -------------------------

class AccountMenusSnapshot : public AccountMenusTest {
protected:
    AccountMenusSnapshot() : AccountMenusTest(true) {}
    void expectScreen(const char* name)
    {
        driver.layout();
        EXPECT_TRUE(snapshot::viewMatchesExpected(driver.window(), std::string("tests/app/snapshots/") + name));
    }
};

TEST_F(AccountMenusSnapshot, MenusAccountPasswordAboutAndPackagePage)
{
    toPcTabs();
    MoreViewVESKController* more = openMore();
    ASSERT_NE(more, nullptr);
    expectScreen("more");
    UserInfoShowController* account = openAccount();
    ASSERT_NE(account, nullptr);
    driver.advanceClock(2);
    expectScreen("account");
    UserPassWordEditController* edit = openPasswordChange();
    ASSERT_NE(edit, nullptr);
    typePasswords(edit, "demo2012", "newpass1", "newpass2");
    driver.tap(edit->btnOk.get());
    // The message fades from the moment it shows: pictured as it starts.
    ProgressHUD* message = hudSaying("The two new passwords differ");
    ASSERT_NE(message, nullptr);
    message->setAlpha(1);
    expectScreen("password-change");
    driver.advanceClock(2);
    tapBack(edit);
    tapBack(top<UserInfoShowController>());
    tapRow(top<MoreViewVESKController>()->lblAboutUs.get());
    expectScreen("about");
    tapBack(top<About>());

    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    driver.advanceClock(1);
    openCareTab();
    expectScreen("care-tab");
    tapRow(top<LoveHeartController>()->lblBooked.get());
    expectScreen("service-package");
}

TEST_F(AccountMenusSnapshot, SmsComposer)
{
    launchToLogin();
    driver.pressAlertButton(1);
    auto order = UIViewController::init<OrderViewController>();
    login()->view()->addSubview(order->view());
    driver.tap(order->btnOrderA.get());
    driver.pressAlertButton(0);
    driver.advanceClock(0.5);
    expectScreen("sms-composer");
    driver.finishComposer(NXComposeCancelled);
}

}  // namespace
