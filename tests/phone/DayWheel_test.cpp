// The location day picker chosen by touching its wheels, as a parent does.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/PCTimeCommon.h"
#include "phone/MapDatePickerView.h"
#include "platform/testing/NXUITestDriver.h"

namespace {

class DayWheel : public ::testing::Test, public MapDatePickerViewDelegate {
protected:
    void SetUp() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void btnOkClicked(const NSString& day) override { days.push_back(day); }
    void btnCancelClicked() override {}

    std::vector<NSString> days;
};

TEST_F(DayWheel, TouchingTheWheelsChoosesTheDayOkHandsOver)
{
    NXUITestDriver driver(1356998400 - 3600);  // 2012-12-31 23:00 UTC
    auto self = std::shared_ptr<DayWheel>(this, [](DayWheel*) {});
    auto panel = MapDatePickerView::initWithFrame(CGRectMake(15, 40, 290, 260));
    panel->delegate = self;
    driver.window()->addSubview(panel);
    auto* picker = static_cast<UIDatePicker*>(panel->viewWithTag(MapDatePickerView::kDatePickerTag));
    EXPECT_NEAR(picker->frame().size.height, 216 * 0.85, 1e-6) << "laid out at the device's height";
    UIPickerView* wheels = picker->wheels();
    auto at = [&](NSInteger component, CGFloat rows) {
        const CGRect r = wheels->rectForComponent(component);
        return wheels->convertPoint(CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r) + rows * UIPickerView::kRowHeight), nullptr);
    };
    // The day wheel one row up: the 30th.
    ASSERT_TRUE(driver.tapAt(at(1, -1)));
    driver.advanceClock(1);
    EXPECT_EQ(panel->lblSelectDate->text(), NSString("2012-12-30"));
    // The month wheel dragged two rows down and let go: October.
    const CGPoint month = at(0, 0);
    ASSERT_TRUE(driver.flick(month, CGPointMake(month.x, month.y + 2 * 44 * 0.85), 0.4, 0.2));
    driver.advanceClock(1);
    EXPECT_EQ(panel->lblSelectDate->text(), NSString("2012-10-30"));
    // OK is not under the wheels.
    ASSERT_TRUE(driver.tap(driver.buttonWithTitle(L("mapdatepickerview_ok"))));
    EXPECT_EQ(days, (std::vector<NSString>{"2012-10-30"}));
}

}  // namespace
