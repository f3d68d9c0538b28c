// Start-up, the tab sets, reachability reports and the custom tab bar.

#include <set>
#include <string>

#include "engine/root/EngineRoot.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/systemconfiguration/SCNetworkReachability.h"
#include "app/FindPassViewController.h"
#include "platform/uikit/UIImage.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

int screensMade = 0;

// Counts every tab screen made from here on, whichever library registered
// its class (once per process).
void countScreensMade()
{
    static const bool counting = [] {
        std::set<std::string> names;
        for (const auto* tabs : {&nemkAppDelegate::startTabs(), &nemkAppDelegate::pcTabs(), &nemkAppDelegate::phoneTabs()})
            for (const auto& tab : *tabs) names.insert(tab.screen);
        for (const std::string& name : names)
            if (auto make = NSClassFromString(name))
                NXRegisterClass(name, [make] {
                    ++screensMade;
                    return make();
                });
        return true;
    }();
    (void)counting;
}

std::vector<NSString> itemTitles(Ulvo_UITabBar* tabs)
{
    std::vector<NSString> titles;
    for (const auto& vc : tabs->viewControllers()) {
        auto* nav = static_cast<UINavigationController*>(vc.get());
        titles.push_back(nav->viewControllers().front()->tabBarItem()->title);
    }
    return titles;
}

TEST_F(AppTest, SplashHandsOverOnceAfterThreeSecondsAndShowsTheBundleVersion)
{
    nemkAppDelegate* app = launch();
    ASSERT_TRUE(app && app->splashViewController());
    // The map engine is up before any screen shows.
    ASSERT_TRUE(app->mapManager());
    EXPECT_NE(mapengine::GetEngineRoot(), nullptr);
    EXPECT_TRUE(driver.viewWithText("1.0.0"));  // CFBundleVersion of Info.plist
    EXPECT_TRUE(driver.viewWithText("splash_name"));
    EXPECT_TRUE(app->splashViewController()->activeIndicator()->isAnimating());
    driver.advanceClock(2.999);
    EXPECT_EQ(login(), nullptr);
    EXPECT_TRUE(app->splashViewController()->view()->window());
    driver.advanceClock(0.001);
    ASSERT_NE(login(), nullptr);
    EXPECT_FALSE(app->splashViewController()->view()->window());
    EXPECT_EQ(screensInWindow(), 1u);
    driver.advanceClock(10);
    EXPECT_EQ(screensInWindow(), 1u);  // no second hand-off
    EXPECT_FALSE(app->splashViewController()->activeIndicator()->isAnimating());
}

TEST_F(AppTest, StartSetCarriesTheLoginOnTheHomeTabAndInitViewTwiceBuildsOneSet)
{
    launchToLogin();
    nemkAppDelegate* app = this->app();
    // The more tab's navigation title comes after its item's title, and a
    // navigation controller's title is its tab's.
    const std::vector<NSString> start = {"tabbar_homepage", "tabbar_timeset", "tabbar_recordseach", "tabbar_loveheart",
                                         "tabbar_more"};
    EXPECT_EQ(itemTitles(app->tabBarController.get()), start);
    auto* home = static_cast<UINavigationController*>(app->tabBarController->viewControllers().front().get());
    ASSERT_EQ(home->viewControllers().size(), 2u);
    EXPECT_TRUE(home->topViewController()->hidesBottomBarWhenPushed());
    EXPECT_EQ(home->title(), NSString());  // the home tab has no navigation title
    EXPECT_EQ(static_cast<UINavigationController*>(app->tabBarController->viewControllers()[1].get())->title(),
              NSString("tabbar_record"));

    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName("initView", nullptr);
    center->postNotificationName("initView", nullptr);
    EXPECT_EQ(screensInWindow(), 1u);
    // One registration each: a single post builds a single set of screens.
    countScreensMade();
    screensMade = 0;
    center->postNotificationName("initView", nullptr);
    EXPECT_EQ(screensMade, 5);
    NSUserDefaults::standardUserDefaults()->setValue(NSString("Phone"), "DeviceType");
    screensMade = 0;
    center->postNotificationName("reloadTabs", nullptr);
    EXPECT_EQ(screensMade, 3);
}

TEST_F(AppTest, DeviceKindChoosesTheTabSet)
{
    launchToLogin();
    nemkAppDelegate* app = this->app();
    struct Case {
        const char* kind;
        size_t tabs;
    };
    for (const Case& c : {Case{"PC", 5}, Case{"pc", 3}, Case{nullptr, 3}, Case{"Phone", 3}}) {
        auto defaults = NSUserDefaults::standardUserDefaults();
        if (c.kind)
            defaults->setValue(NSString(c.kind), "DeviceType");
        else
            defaults->removeObjectForKey("DeviceType");
        NSNotificationCenter::defaultCenter()->postNotificationName("reloadTabs", nullptr);
        EXPECT_EQ(app->tabBarController->viewControllers().size(), c.tabs) << (c.kind ? c.kind : "(none)");
        EXPECT_EQ(login(), nullptr) << "loadTab pushes no login";
        EXPECT_EQ(screensInWindow(), 1u);
    }
    EXPECT_EQ(itemTitles(app->tabBarController.get()),
              (std::vector<NSString>{"tabbar_homepage", "tabbar_timeset", "tabbar_more"}));
    NSUserDefaults::standardUserDefaults()->setValue(NSString("PC"), "DeviceType");
    NSNotificationCenter::defaultCenter()->postNotificationName("reloadTabs", nullptr);
    EXPECT_EQ(itemTitles(app->tabBarController.get())[3], NSString("tabbar_location"));
}

TEST_F(AppTest, NetworkLossIsToldFirstAsNoNetworkThenAsLostOnceByOneMonitor)
{
    auto fake = std::make_shared<SCFakeReachabilityProvider>();
    SCNetworkReachabilitySetProvider(fake);
    fake->setFlags("127.0.0.1", kSCNetworkReachabilityFlagsReachable);
    launchToLogin();
    nemkAppDelegate* app = this->app();
    // Logouts and device changes make new monitors; the old ones stop.
    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    int reports = 0;
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
        kReachabilityChangedNotification, nullptr, [&](const std::shared_ptr<NSNotification>&) { ++reports; });

    auto countHuds = [&](const char* text) {
        int n = 0;
        for (const auto& v : app->window->subviews())
            if (auto* h = dynamic_cast<ProgressHUD*>(v.get()); h && h->labelText() == NSString(text)) ++n;
        return n;
    };
    fake->setFlags("127.0.0.1", 0);
    ASSERT_TRUE(driver.pumpUntil([&] { return reports > 0; }));
    driver.pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(countHuds("tabbar_netnotlink"), 1);
    EXPECT_TRUE(app->reachabilityReported());

    fake->setFlags("127.0.0.1", kSCNetworkReachabilityFlagsReachable);
    ASSERT_TRUE(driver.pumpUntil([&] { return reports == 2; }));
    fake->setFlags("127.0.0.1", 0);
    ASSERT_TRUE(driver.pumpUntil([&] { return reports == 3; }));
    EXPECT_EQ(countHuds("tabbar_connectfail"), 1);
    NSNotificationCenter::defaultCenter()->removeObserver(token.get());
    SCNetworkReachabilitySetProvider(nullptr);
}

TEST_F(AppTest, CustomTabBarIgnoresAbsentTabsAndTakesTheNewSetsSelection)
{
    launchToLogin();
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    ASSERT_EQ(tabs->buttons().size(), 5u);
    tabs->selectedTab(tabs->buttons()[2].get());
    EXPECT_EQ(tabs->selectedIndex(), 2u);
    EXPECT_EQ(tabs->currentSelectedIndex(), 2);

    NSUserDefaults::standardUserDefaults()->setValue(NSString("Phone"), "DeviceType");
    NSNotificationCenter::defaultCenter()->postNotificationName("reloadTabs", nullptr);
    ASSERT_EQ(tabs->viewControllers().size(), 3u);
    EXPECT_EQ(tabs->currentSelectedIndex(), static_cast<int>(tabs->selectedIndex()));
    // The buttons of the start set stay; those without a tab do nothing.
    ASSERT_EQ(tabs->buttons().size(), 5u);
    const auto before = tabs->selectedIndex();
    tabs->selectedTab(tabs->buttons()[4].get());
    EXPECT_EQ(tabs->selectedIndex(), before);
    EXPECT_LT(tabs->buttons()[4]->alpha(), 1.0);
    EXPECT_EQ(tabs->buttons()[1]->alpha(), 1.0);
    // The button of the new set's selected tab is not a second tap: a tap on
    // another then on tab 2 selects it.
    tabs->selectedTab(tabs->buttons()[2].get());
    EXPECT_EQ(tabs->selectedIndex(), 2u);

    // A second tap pops the tab to its root.
    auto* nav = static_cast<UINavigationController*>(tabs->viewControllers()[2].get());
    nav->pushViewController(UIViewController::init(), false);
    tabs->selectedTab(tabs->buttons()[2].get());
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(AppTest, CustomTabBarHidesAtTheEndOfItsShrinkAndShowsAtOnce)
{
    launchToLogin();
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName("bringCustomTabBarToFront", nullptr);
    EXPECT_FALSE(tabs->customTabBarView()->hidden());
    center->postNotificationName("hideCustomTabBar", nullptr);
    EXPECT_FALSE(tabs->customTabBarView()->hidden());
    driver.advanceClock(0.1);
    EXPECT_TRUE(tabs->customTabBarView()->hidden());
    center->postNotificationName("bringCustomTabBarToFront", nullptr);
    EXPECT_FALSE(tabs->customTabBarView()->hidden());
}

TEST_F(AppTest, CustomTabBarButtonsShowTheImagesAndTitlesTheTabSetGives)
{
    launchToLogin();
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    ASSERT_EQ(tabs->buttons().size(), 5u);
    // The title last given to each tab's item: the navigation title of the
    // more tab comes after the item's, the others' before it.
    const char* titles[] = {"tabbar_homepage", "tabbar_timeset", "tabbar_recordseach", "tabbar_loveheart", "tabbar_more"};
    for (size_t i = 0; i < 5; ++i) {
        UIButton* button = tabs->buttons()[i].get();
        auto image = button->imageForState(UIControlStateNormal);
        ASSERT_TRUE(image) << "button " << i;
        EXPECT_EQ(image->name(), UIImage::imageNamed(nemkAppDelegate::startTabs()[i].image)->name()) << "button " << i;
        auto* title = driver.find<UILabel>([&](UILabel& l) { return l.superview() == button; });
        ASSERT_NE(title, nullptr) << "button " << i;
        EXPECT_EQ(title->text(), titles[i]) << "button " << i;
    }
}

TEST_F(AppTest, ScreensLaidOverTheLoginLeaveTheTabBarHiddenAndCoverTheLogin)
{
    LoginViewController* screen = launchToLogin();
    driver.pressAlertButton(1);
    driver.type(screen->userNameTextField.get(), apptest::kDemoUser);
    screen->textFieldShouldReturn(screen->userNameTextField.get());
    ASSERT_TRUE(driver.tap(screen->btnForgotPass.get()));
    driver.advanceClock(0.5);
    FindPassViewController* findPass = screen->findPassScreen();
    ASSERT_NE(findPass, nullptr);
    // The page covers the login from the top of the screen below the status bar.
    EXPECT_EQ(findPass->view()->convertRect(findPass->view()->bounds(), nullptr), UIScreen::mainScreen().applicationFrame());
    ASSERT_TRUE(driver.tap(findPass->btnBack.get()));
    driver.advanceClock(1.0);
    EXPECT_EQ(findPass->view()->superview(), nullptr);
    EXPECT_FALSE(customTabBarShows());

    // Nor does the chooser bring it: its buttons take the finger down to the last.
    EquipSelectController* chooser = logIn();
    EXPECT_FALSE(customTabBarShows());
    for (UIButton* button : {chooser->btnAdd.get(), chooser->btnEdit.get()}) {
        const CGRect b = button->bounds();
        const CGPoint rightEnd = button->convertPoint(CGPointMake(CGRectGetMaxX(b) - 2, CGRectGetMidY(b)), nullptr);
        UIView* hit = app()->window->hitTest(rightEnd, nullptr);
        EXPECT_TRUE(hit && hit->isDescendantOfView(button));
    }
    const auto editing = chooser->gameView()->tableView()->editing();
    EXPECT_TRUE(driver.tap(chooser->btnEdit.get()));
    EXPECT_NE(chooser->gameView()->tableView()->editing(), editing);
}

}  // namespace
