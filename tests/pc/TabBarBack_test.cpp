// The custom tab bar around the screens pushed over the PC tabs, driven as a
// parent uses the whole client: logged in, the PC chosen, a screen opened
// from its tab and left with its Back button.

#include "app/MoreViewVESKController.h"
#include "pc/LimitViewController.h"
#include "pc/ProtectSettingViewController.h"
#include "pc/SwRecordHomeViewController.h"
#include "pc/TimeLimitViewController.h"
#include "phone/MapController.h"
#include "tests/app/AppFixture.h"

namespace {

class PCTabBarTest : public apptest::AppTest {
protected:
    // The application draws every navigation bar its way; the screen tests
    // of this program after this one draw them plain.
    ~PCTabBarTest() override { UINavigationBar::setDrawHook(nullptr); }

    // The PC tab set, chosen after logging in.
    void toPcTabs()
    {
        launchToLogin();
        if (driver.visibleAlert()) driver.pressAlertButton(1);  // no help
        EquipSelectController* chooser = logIn();
        ASSERT_NE(chooser, nullptr);
        chooser->gameView()->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
        settle();
    }
    // The tab whose first screen is a T, chosen with its button on the bar.
    template <class T>
    T* openTab()
    {
        Ulvo_UITabBar* tabs = app()->tabBarController.get();
        for (size_t i = 0; i < tabs->viewControllers().size() && i < tabs->buttons().size(); ++i) {
            auto* nav = static_cast<UINavigationController*>(tabs->viewControllers()[i].get());
            if (!dynamic_cast<T*>(nav->viewControllers().front().get())) continue;
            EXPECT_TRUE(driver.tap(tabs->buttons()[i].get()));
            settle();
            return top<T>();
        }
        return nullptr;
    }
    UINavigationController* tabNav() const
    {
        return static_cast<UINavigationController*>(app()->tabBarController->selectedViewController().get());
    }
    template <class T>
    T* top() const
    {
        return dynamic_cast<T*>(tabNav()->topViewController().get());
    }
    // A tap on the Back button of the shown screen: its own left item, else
    // the button the navigation bar makes.
    void tapBack()
    {
        UIViewController* shown = tabNav()->topViewController().get();
        UIView* button = nullptr;
        if (auto& item = shown->navigationItem()->leftBarButtonItem) {
            button = item->customView.get();
        } else {
            UIView* bar = tabNav()->navigationBar();
            button = driver.find<UIButton>([&](UIButton& b) { return b.isDescendantOfView(bar) && b.frame().origin.x < 10; });
        }
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(driver.tap(button));
        settle();
    }
    // Lets the workers' hand-backs, the messages and the bar's animations run out.
    void settle()
    {
        NSThread::joinDetachedThreads(10);
        driver.pumpUntil([] { return false; }, 0.05);
        driver.advanceClock(2.5);
        driver.advanceClock(1.0);
    }
};

// The PC set has its five tabs, the location in the fourth place, and each
// button of the bar, made for the start set with its image, chooses the tab
// of its place.
TEST_F(PCTabBarTest, EachButtonOfTheBarChoosesThePcTabOfItsPlace)
{
    toPcTabs();
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    ASSERT_EQ(tabs->viewControllers().size(), nemkAppDelegate::pcTabs().size());
    ASSERT_EQ(tabs->buttons().size(), nemkAppDelegate::startTabs().size());
    for (size_t i : {1u, 2u, 3u, 4u, 0u}) {
        UIButton* button = tabs->buttons()[i].get();
        ASSERT_TRUE(button->imageForState(UIControlStateNormal)) << "button " << i;
        ASSERT_TRUE(driver.tap(button)) << "button " << i;
        settle();
        EXPECT_EQ(tabs->selectedIndex(), i);
    }
    tabs->setSelectedIndex(3);
    EXPECT_NE(dynamic_cast<PCMapController*>(tabNav()->viewControllers().front().get()), nullptr);
}

// The black lists from the records tab hide the custom tab bar; the hour grid
// pushed over them keeps it away, Back from the grid too; Back from the black
// lists brings it back under the finger.
TEST_F(PCTabBarTest, BackFromTheBlackListsBringsTheTabBarBackAndNotBefore)
{
    toPcTabs();
    auto* records = openTab<SwRecordHomeViewController>();
    ASSERT_NE(records, nullptr);
    ASSERT_TRUE(customTabBarShows());
    // The day picker covers the link's left part; its right end takes the finger.
    UIView* link = records->view()->viewWithTag(SwRecordHomeViewController::kBlackListButtonTag);
    ASSERT_TRUE(driver.tapAt(link->convertPoint(CGPointMake(link->bounds().size.width - 6, 12), nullptr)));
    settle();
    auto* limits = top<LimitViewController>();
    ASSERT_NE(limits, nullptr);
    EXPECT_FALSE(customTabBarShows());

    ASSERT_TRUE(driver.tap(limits->timeButton.get()));
    settle();
    ASSERT_NE(top<TimeLimitViewController>(), nullptr);
    EXPECT_FALSE(customTabBarShows());
    tapBack();
    ASSERT_EQ(top<LimitViewController>(), limits);
    EXPECT_FALSE(customTabBarShows());

    tapBack();
    ASSERT_EQ(top<SwRecordHomeViewController>(), records);
    EXPECT_TRUE(customTabBarTakesATap());
}

// The more menu's screens of this library, left with Back, give the bar back.
TEST_F(PCTabBarTest, BackFromTheProtectModeBringsTheTabBarBack)
{
    toPcTabs();
    auto* more = openTab<MoreViewVESKController>();
    ASSERT_NE(more, nullptr);
    const CGRect b = more->lblProtectSetting->bounds();
    ASSERT_TRUE(driver.tapAt(more->lblProtectSetting->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr)));
    settle();
    ASSERT_NE(top<ProtectSettingViewController>(), nullptr);
    EXPECT_FALSE(customTabBarShows());
    tapBack();
    ASSERT_EQ(top<MoreViewVESKController>(), more);
    EXPECT_TRUE(customTabBarTakesATap());
}

}  // namespace
