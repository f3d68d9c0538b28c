// The record list's day sheet chosen through the picker's wheels.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/RecordListView.h"
#include "platform/uikit/UIPickerView.h"
#include "tests/pc/PCRecordFixture.h"

namespace {

class DaySheetWheels : public PCRecordFixture {};

TEST_F(DaySheetWheels, TheDayBeforeIsTappedOnTheSheetsDayWheelAndAsked)
{
    auto screen = UIViewController::init<RecordListView>();
    auto nav = UINavigationController::initWithRootViewController(screen);
    driver->show(nav);
    ASSERT_TRUE(driver->pumpUntil([&] { return !sent("RQUrlAccess").empty() && !sent("RQGameAccess").empty(); }, 10));
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
    driver->pumpUntil([] { return false; }, 0.05);
    const NSString shown = screen->dateLabel->text();
    screen->dateChanged(nullptr);
    auto* picker = driver->find<UIDatePicker>();
    ASSERT_NE(picker, nullptr);
    UIPickerView* wheels = picker->wheels();
    const CGRect day = wheels->rectForComponent(1);
    ASSERT_TRUE(driver->tapAt(wheels->convertPoint(CGPointMake(CGRectGetMidX(day), CGRectGetMidY(day) - 44), nullptr)));
    driver->advanceClock(1);
    driver->pressAlertButton(0);
    EXPECT_NE(screen->dateLabel->text(), shown);
    ASSERT_TRUE(driver->pumpUntil([&] { return sent("RQUrlAccess").size() >= 2; }, 10));
    const std::string asked = sent("RQUrlAccess").back().message;
    EXPECT_NE(asked.find("<DataDate>" + screen->dateLabel->text().str() + "</DataDate>"), std::string::npos);
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
}

}  // namespace
