// The login screen and the road from the splash to a tab set and back.

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "protocol/Constant.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

TEST_F(AppTest, RoadFromSplashThroughLoginAndChooserToEachTabSetAndBack)
{
    launch();
    driver.advanceClock(3.0);
    LoginViewController* screen = login();
    ASSERT_NE(screen, nullptr);
    // The help offer shows at the first appearance; "next time" keeps it coming.
    ASSERT_TRUE(alertSays("login_suretoshowhelp"));
    driver.pressAlertButton(1);
    EXPECT_FALSE(Constant::isNotHelp());

    typeLogin(screen, "ab#d", "secret1");
    ASSERT_TRUE(driver.pumpUntil([&] { return alertSays("login_usernameerr"); }));
    driver.pressAlertButton(0);
    typeLogin(screen, apptest::kDemoUser, "abc");
    ASSERT_TRUE(driver.pumpUntil([&] { return alertSays("login_passlength"); }));
    driver.pressAlertButton(0);
    EXPECT_EQ(exchangesOf("Login"), 0u);

    typeLogin(screen, apptest::kDemoUser, "wrongpass");
    ASSERT_TRUE(waitForHud("login_usernameorpasserr"));
    EXPECT_FALSE(Constant::isLogin());
    EXPECT_EQ(screen->equipSelecter(), nullptr);
    driver.advanceClock(2);

    EquipSelectController* chooser = logIn();
    ASSERT_NE(chooser, nullptr);
    ASSERT_EQ(chooser->gameView()->list().size(), 3u);
    EXPECT_TRUE(Constant::isLogin());
    EXPECT_EQ(Constant::userName(), NSString(apptest::kDemoUser));
    EXPECT_EQ(Constant::password(), NSString(apptest::kDemoPassword));
    EXPECT_TRUE(driver.viewWithText("Study PC-equiplist_deviceonline"));
    EXPECT_TRUE(driver.viewWithText("(PC-CLASS-07)-equiplist_shooluser"));

    // Logout asks; "no" changes nothing, "yes" brings a fresh login.
    driver.tapBarButtonItem(chooser->btnLogout.get());
    ASSERT_TRUE(alertSays("equipselect_suretologout"));
    driver.pressAlertButton(1);
    EXPECT_EQ(login(), screen);
    driver.tapBarButtonItem(chooser->btnLogout.get());
    driver.pressAlertButton(0);
    driver.advanceClock(1);
    LoginViewController* again = login();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, screen);
    EXPECT_EQ(again->userNameTextField->text(), NSString(apptest::kDemoUser));
    EXPECT_EQ(again->passwordTextField->text(), NSString(apptest::kDemoPassword));

    // Choosing the PC stores it and installs the PC set, which has no login.
    chooser = logIn();
    chooser->gameView()->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    driver.advanceClock(1);
    auto defaults = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->stringForKey("DeviceId"), NSString("PC-HOME-01"));
    EXPECT_EQ(defaults->stringForKey("DeviceType"), NSString("PC"));
    EXPECT_EQ(defaults->stringForKey("ManagerType"), NSString("Home"));
    EXPECT_EQ(Constant::userID(), NSString("1001"));
    EXPECT_EQ(login(), nullptr);
    EXPECT_EQ(screensInWindow(), 1u);

    // Back at the login, the phone gives its own set.
    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    chooser = logIn();
    chooser->gameView()->tableView()->tapRow(NSIndexPath::indexPathForRow(1, 0));
    driver.advanceClock(1);
    EXPECT_EQ(defaults->stringForKey("DeviceType"), NSString("Phone"));
    EXPECT_EQ(login(), nullptr);
}

TEST(LoginCredentials, FirstFailureInTheOrderTheScreenChecks)
{
    struct Case {
        const char* name;
        const char* pass;
        const char* failure;  // nullptr: accepted
    };
    const Case cases[] = {
        {"13800138000", "demo2012", nullptr},
        {"abcd", "123456", nullptr},
        {"abcdefghijklmnop", "1234567890123456", nullptr},
        {"ab_d", "demo2012", "login_usernameerr"},
        {"ab#d", "x", "login_usernameerr"},       // the name is checked first
        {"abcd", "", "login_passlength"},
        {"abcd", "12345", "login_passlength"},
        {"abcd", "12345678901234567", "login_passlength"},
        {"abc", "123456", "login_usernamelengtherr"},
        {"abcdefghijklmnopq", "123456", "login_usernamelengtherr"},
        {"", "123456", "login_usernamelengtherr"},
        {"abc", "", "login_passlength"},          // then the password, then the name's length
    };
    for (const Case& c : cases) {
        const NSString failure = LoginViewController::checkCredentials(c.name, c.pass);
        if (c.failure)
            EXPECT_EQ(failure, NSString(c.failure)) << c.name << " / " << c.pass;
        else
            EXPECT_TRUE(failure.isNil()) << c.name << " / " << c.pass;
    }
}

TEST_F(AppTest, BlanksAreSentAsTypedAndStoredWithout)
{
    LoginViewController* screen = launchToLogin();
    driver.pressAlertButton(1);
    typeLogin(screen, "1380 0138 000", "demo 2012");
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("Login") == 1; }));
    ASSERT_TRUE(waitForHud("login_usernameorpasserr"));  // the double knows no name with blanks
    EXPECT_EQ(service.exchanges().front().userName, "1380 0138 000");
    EXPECT_FALSE(Constant::isLogin());
}

TEST_F(AppTest, WithoutRememberingThePasswordFieldStaysEmpty)
{
    Constant::setLogined(true);
    Constant::setUserName(apptest::kDemoUser);
    Constant::setPassword("secret99");
    Constant::setRecordPass(false);
    LoginViewController* screen = launchToLogin();
    EXPECT_EQ(screen->userNameTextField->text(), NSString(apptest::kDemoUser));
    EXPECT_EQ(screen->passwordTextField->text(), NSString(""));
    EXPECT_FALSE(screen->autoLoginButton->selected());

}

TEST_F(AppTest, TwentyCharacterNameCanBeTypedUpToSeventeen)
{
    LoginViewController* screen = launchToLogin();
    driver.pressAlertButton(1);
    driver.type(screen->userNameTextField.get(), "abcdefghijklmnopqrst");
    EXPECT_EQ(screen->userNameTextField->text().length(), 17u);
}

// A heartbeat timer on the login screen: while the service answers nothing is
// shown; the first beat without a reply says so for half a second and stops
// the timer.
TEST_F(AppTest, HeartbeatWithoutReplyShowsTheBrokenLinkAndStops)
{
    Constant::setLogined(true);
    Constant::setUserName(apptest::kDemoUser);
    LoginViewController* screen = launchToLogin();
    driver.pressAlertButton(1);
    service.reply("keepAlive", "<Code>0</Code><Desc>online</Desc>");
    const SEL beat{"keepAlive:", [](NSObject* r, const id& timer) { static_cast<LoginViewController*>(r)->keepAlive(timer); }};
    auto timer = NSTimer::scheduledTimerWithTimeInterval(60, screen->shared_from_this(), beat, nullptr, true);

    driver.advanceClock(60);
    ASSERT_EQ(exchangesOf("keepAlive"), 1u);
    EXPECT_EQ(service.exchanges().back().sender, apptest::kDemoUser);
    EXPECT_FALSE(hudSaying("login_netlinkexception"));
    EXPECT_TRUE(timer->isValid());

    service.fault("keepAlive", servicedouble::Fault::CloseConnection);
    driver.advanceClock(60);
    EXPECT_EQ(exchangesOf("keepAlive"), 2u);
    ASSERT_TRUE(hudSaying("login_netlinkexception"));
    EXPECT_FALSE(timer->isValid());
    driver.advanceClock(120);
    EXPECT_EQ(exchangesOf("keepAlive"), 2u);
}

// The interface file's switch outlet is there but never offered.
TEST_F(AppTest, AutoLoginSwitchIsAnOutletOutOfSight)
{
    LoginViewController* screen = launchToLogin();
    ASSERT_TRUE(screen->autoLoginSwitch);
    EXPECT_TRUE(screen->autoLoginSwitch->isDescendantOfView(screen->view().get()));
    EXPECT_TRUE(screen->autoLoginSwitch->hidden());
    EXPECT_FALSE(driver.tap(screen->autoLoginSwitch.get()));
}

}  // namespace
