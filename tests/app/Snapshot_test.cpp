// What the app shell's screens look like, with the shipped strings table.

#include "app/HelpViewController.h"
#include "app/RegistViewController.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "tests/app/AppFixture.h"
#include "tools/snapshot/Snapshot.h"

namespace {

class AppSnapshot : public apptest::AppTest {
protected:
    AppSnapshot() : AppTest(true) {}
    void expectScreen(const char* name)
    {
        driver.layout();
        EXPECT_TRUE(snapshot::viewMatchesExpected(driver.window(), std::string("tests/app/snapshots/") + name));
    }
};

TEST_F(AppSnapshot, SplashLoginHelpAndSignUp)
{
    launch();
    expectScreen("splash");
    driver.advanceClock(3.0);
    driver.advanceClock(1.0);
    expectScreen("help-offer");
    driver.pressAlertButton(0);
    driver.advanceClock(0.5);
    expectScreen("help-page");
    driver.scrollTo(login()->helpScreen()->scrollView.get(), CGPointMake(6 * 320 + 101, 0));
    driver.advanceClock(1.5);
    expectScreen("login");
    driver.tap(login()->btnSignUp.get());
    driver.advanceClock(0.5);
    RegistViewController* form = login()->registScreen();
    driver.type(form->username.get(), "13912345678");
    driver.type(form->password.get(), "family8");
    form->textFieldShouldReturn(form->password.get());
    expectScreen("sign-up");
}

TEST_F(AppSnapshot, ChooserAndRenameSheet)
{
    launchToLogin();
    driver.pressAlertButton(1);
    EquipSelectController* chooser = logIn();
    expectScreen("chooser");
    auto cell = chooser->gameView()->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    cell->gestureRecognizers().front()->recognize(UIGestureRecognizerStateBegan, cell->convertPoint(CGPointMake(10, 10), nullptr));
    expectScreen("rename-sheet");
}

TEST_F(AppSnapshot, TabBarWithIconsHighlightAndBadge)
{
    launchToLogin();
    driver.pressAlertButton(1);
    logIn()->gameView()->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    driver.advanceClock(1);
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    ASSERT_TRUE(customTabBarShows());
    // The highlight slides under the chosen button; a badge sits on it.
    ASSERT_TRUE(driver.tap(tabs->buttons()[2].get()));
    driver.advanceClock(1);
    EXPECT_EQ(tabs->slideBg()->frame(), tabs->buttons()[2]->frame());
    NSNotificationCenter::defaultCenter()->postNotificationName("setBadge", std::make_shared<NSBox<NSString>>(NSString("3")));
    EXPECT_NE(driver.find<BadgeView>([&](BadgeView& b) { return b.superview() == tabs->buttons()[2].get(); }), nullptr);
    driver.layout();
    EXPECT_TRUE(snapshot::viewMatchesExpected(tabs->customTabBarView(), "tests/app/snapshots/tab-bar"));
}

}  // namespace
