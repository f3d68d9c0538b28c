// The more menu of the application opens the protect mode, which it knows by
// name only.

#include "app/MoreViewVESKController.h"
#include "pc/ProtectSettingViewController.h"
#include "tests/pc/PCTimeFixture.h"

namespace {

class MoreMenu : public PCTimeFixture {};

TEST_F(MoreMenu, ProtectModeEntryOpensTheProtectSettings)
{
    auto more = UIViewController::init<MoreViewVESKController>();
    nav = UINavigationController::initWithRootViewController(more);
    driver->show(nav);
    const CGRect row = more->lblProtectSetting->bounds();
    ASSERT_TRUE(driver->tapAt(more->lblProtectSetting->convertPoint(CGPointMake(CGRectGetMidX(row), CGRectGetMidY(row)), nullptr)));
    auto* screen = dynamic_cast<ProtectSettingViewController*>(nav->topViewController().get());
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->hidesBottomBarWhenPushed());
    EXPECT_TRUE(waitFor("RQTimeConfig"));
}

}  // namespace
