// The ranking's day chosen through the date view's wheels.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/RankingPage.h"
#include "pc/RecordViewController.h"
#include "tests/pc/StatisticsFixture.h"

namespace {

class RankingWheels : public StatisticsFixture {};

TEST_F(RankingWheels, ADayTappedOnTheDayWheelIsAskedForWithOk)
{
    auto screen = UIViewController::init<GameRankingViewController>();
    screen->dateString = "2026-12-05";
    auto nav = UINavigationController::initWithRootViewController(screen);
    driver->show(nav);
    ASSERT_TRUE(waitFor("RQGameBrowse"));
    driver->tapBarButtonItem(screen->navigationItem()->rightBarButtonItem.get());
    ASSERT_TRUE(screen->dateView->superview());
    // The picker starts on today (the clock's Monday, 2026-12-07); the row
    // above its day is the 6th.
    UIPickerView* wheels = screen->datePicker->wheels();
    const CGRect day = wheels->rectForComponent(1);
    ASSERT_TRUE(driver->tapAt(wheels->convertPoint(CGPointMake(CGRectGetMidX(day), CGRectGetMidY(day) - 44), nullptr)));
    driver->advanceClock(1);
    ASSERT_TRUE(driver->tap(screen->btnOk.get()));
    ASSERT_TRUE(waitFor("RQGameBrowse", 2));
    EXPECT_NE(sent("RQGameBrowse").back().message.find("<DataDate>2026-12-06</DataDate>"), std::string::npos);
    driver->pumpUntil([] { return false; }, 0.2);
    screen.reset();
}

}  // namespace
