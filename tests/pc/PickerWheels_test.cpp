// The PC screens' pickers chosen through their wheels, as a parent touches
// them.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/AddTimeViewCtrl.h"
#include "pc/SwRecordHomeViewController.h"
#include "pc/TimeHourSetting.h"
#include "pc/TimeSetViewController.h"
#include "tests/pc/PCTimeFixture.h"

namespace {

class PickerWheels : public PCTimeFixture {
protected:
    // A point of a wheel's band, rows below it (negative: above), in the
    // window.
    CGPoint wheelPoint(UIPickerView* wheels, NSInteger component, CGFloat rows) const
    {
        const CGRect r = wheels->rectForComponent(component);
        return wheels->convertPoint(CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r) + rows * UIPickerView::kRowHeight), nullptr);
    }
};

TEST_F(PickerWheels, TheAllowanceIsChosenOnItsWheelsAndSent)
{
    showTab();
    ASSERT_TRUE(waitFor("RQTimeConfig") && settle());
    ASSERT_TRUE(tapSegment(tab->seg.get(), 1));
    ASSERT_TRUE(waitFor("RQTimeConfig", 2));
    settle();
    auto* page = dynamic_cast<SwTimeLenSetting*>(tab->view()->viewWithTag(TimeSetViewController::kAllowanceTag));
    ASSERT_NE(page, nullptr);
    UIPickerView* picker = page->picker();
    EXPECT_EQ(picker->bounds().size.height, 216);
    const NSInteger hours = picker->selectedRowInComponent(0) % 25, minutes = picker->selectedRowInComponent(1) % 60;
    // Two hours more by a tap, and the minutes dragged one row on.
    ASSERT_TRUE(driver->tapAt(wheelPoint(picker, 0, 2)));
    driver->advanceClock(1);
    const CGPoint m = wheelPoint(picker, 1, 0);
    ASSERT_TRUE(driver->flick(m, CGPointMake(m.x, m.y - 44 * 0.85), 0.3, 0.2));
    driver->advanceClock(1);
    const NSInteger h2 = (hours + 2) % 25, m2 = (minutes + 1) % 60;
    EXPECT_EQ(page->lblSelectTime()->text(), NSString::stringWithFormat("%@ %ld %@ %ld %@", L("timelenctrl_yourselecttime"), static_cast<long>(h2),
                                                                        L("timelenctrl_hour"), static_cast<long>(m2), L("timelenctrl_min")));
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(page); });
    ASSERT_TRUE(tapItem(bar->items().back()));
    ASSERT_TRUE(waitFor("UDTimeConfig"));
    const long length = h2 == 24 ? 1440 : h2 * 60 + m2;
    EXPECT_NE(sent("UDTimeConfig").back().message.find(NSString::stringWithFormat("<TimeLength>%ld</TimeLength>", length).str()),
              std::string::npos);
}

struct Granted : TimeSelectViewDelegate {
    std::vector<double> lengths;
    void timeSelectViewController_timeSelectViewCallBack(TimeSelectViewController*, double seconds) override { lengths.push_back(seconds); }
};

TEST_F(PickerWheels, TheCountdownLengthIsChosenOnItsWheels)
{
    auto screen = TimeSelectViewController::init();
    auto granted = std::make_shared<Granted>();
    screen->setDelegate(granted);
    driver->show(screen);
    auto* picker = dynamic_cast<UIDatePicker*>(screen->view()->viewWithTag(TimeSelectViewController::kPickerTag));
    ASSERT_NE(picker, nullptr);
    // One hour and ten minutes: the hours wheel one row down, the minutes
    // wheel dragged ten rows up.
    ASSERT_TRUE(driver->tapAt(wheelPoint(picker->wheels(), 0, 1)));
    driver->advanceClock(1);
    const CGPoint m = wheelPoint(picker->wheels(), 1, 2);
    ASSERT_TRUE(driver->flick(m, CGPointMake(m.x, m.y - 10 * 44), 1, 0.2));
    driver->advanceClock(1);
    EXPECT_EQ(picker->countDownDuration(), 4200);
    ASSERT_TRUE(driver->tap(driver->buttonWithTitle(L("timeselectviewctrl_submit"))));
    EXPECT_EQ(granted->lengths, std::vector<double>{4200});
}

TEST_F(PickerWheels, ThePeriodsStartAndEndAreChosenOnTheWheels)
{
    auto editor = AddTimeViewCtrl::init();
    driver->show(editor);
    auto* picker = dynamic_cast<UIDatePicker*>(editor->view()->viewWithTag(AddTimeViewCtrl::kPickerTag));
    ASSERT_NE(picker, nullptr);
    auto shown = [&](NSInteger tag) { return static_cast<UILabel*>(editor->view()->viewWithTag(tag))->text(); };
    auto hhmm = [&] {
        const int seconds = static_cast<int>(picker->countDownDuration());
        return NSString::stringWithFormat("%02d:%02d", seconds / 3600, seconds % 3600 / 60);
    };
    // The start: the hours wheel two rows down, the minutes wheel one.
    const double before = picker->countDownDuration();
    ASSERT_TRUE(driver->tapAt(wheelPoint(picker->wheels(), 0, 2)));
    driver->advanceClock(1);
    ASSERT_TRUE(driver->tapAt(wheelPoint(picker->wheels(), 1, 1)));
    driver->advanceClock(1);
    EXPECT_NE(picker->countDownDuration(), before);
    EXPECT_EQ(shown(AddTimeViewCtrl::kStartTag), hhmm());
    const NSString start = shown(AddTimeViewCtrl::kStartTag);

    // The end row takes the next choice; the start keeps its own.
    ASSERT_TRUE(driver->tap(editor->view()->viewWithTag(AddTimeViewCtrl::kEndRowTag)));
    const CGPoint h = wheelPoint(picker->wheels(), 0, 0);
    ASSERT_TRUE(driver->flick(h, CGPointMake(h.x, h.y - 3 * 44), 0.5, 0.2));
    driver->advanceClock(1);
    EXPECT_EQ(shown(AddTimeViewCtrl::kEndTag), hhmm());
    EXPECT_EQ(shown(AddTimeViewCtrl::kStartTag), start);
}

TEST_F(PickerWheels, TheRecordsDayIsChosenOnTheDayWheel)
{
    auto screen = UIViewController::init<SwRecordHomeViewController>();
    driver->show(screen);
    auto* picker = dynamic_cast<UIDatePicker*>(screen->view()->viewWithTag(SwRecordHomeViewController::kDatePickerTag));
    ASSERT_NE(picker, nullptr);
    // The day before the one shown (the clock's Monday).
    const NSString today = screen->selectDate_;
    const NSTimeInterval shown = picker->date();
    ASSERT_TRUE(driver->tapAt(wheelPoint(picker->wheels(), 1, -1)));
    driver->advanceClock(1);
    EXPECT_NE(screen->selectDate_, today);
    EXPECT_EQ(picker->date(), shown - 86400);
}

}  // namespace
