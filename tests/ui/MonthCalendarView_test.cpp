// The month calendar: its month table, taps on days and arrows, flags, the
// slide to another month, and how it looks.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/foundation/NSClock.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/MonthCalendarView.h"

namespace {

CFGregorianDate month(int year, int m) { return CFGregorianDate{year, static_cast<int8_t>(m), 1, 0, 0, 0}; }

struct Recorder : CalendarViewDelegate {
    std::vector<std::string> calls;
    void beforeMonthChange_willto(MonthCalendarView*, CFGregorianDate m) override
    {
        calls.push_back("before " + std::to_string(m.year) + "-" + std::to_string(m.month));
    }
    void monthChanged_viewLeftTop_height(CFGregorianDate m, CGPoint, CGFloat height) override
    {
        calls.push_back("changed " + std::to_string(m.year) + "-" + std::to_string(m.month) + " " + std::to_string(int(height)));
    }
    void selectDateChanged(CFGregorianDate d) override { calls.push_back("chose " + std::to_string(d.day)); }
};

// The calendar on a host, in Beijing time, on 15 February 2012 at 10:00.
class MonthCalendar : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        savedTZ_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "Asia/Shanghai", 1);
        NSClock::useVirtualClock(1329271200);  // 2012-02-15 02:00 UTC
        host = UIView::initWithFrame(CGRectMake(0, 0, 320, 300));
        host->setBackgroundColor(UIColor::whiteColor());
        host->setClipsToBounds(true);
        driver.window()->addSubview(host);
        calendar = MonthCalendarView::initWithFrame(CGRectMake(0, 0, 320, 270));
        calendar->setCalendarViewDelegate(recorder);
        host->addSubview(calendar);
    }
    void TearDown() override
    {
        if (savedTZ_) setenv("TZ", savedTZ_->c_str(), 1);
        else unsetenv("TZ");
    }

    NXUITestDriver driver;
    std::shared_ptr<UIView> host;
    std::shared_ptr<MonthCalendarView> calendar;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();

private:
    std::optional<std::string> savedTZ_;
};

}  // namespace

TEST_F(MonthCalendar, MonthTable)
{
    struct Case {
        int year, month, days, weekdayOfFirst, height;
    };
    const Case cases[] = {
        {2000, 2, 29, 2, 235},  // divisible by 400: leap
        {2012, 2, 29, 3, 235},
        {1900, 2, 28, 4, 235},  // divisible by 100: common
        {2100, 2, 28, 1, 200},
        {2010, 2, 28, 1, 200},  // 4 rows: starts on a Monday
        {2012, 1, 31, 7, 270},  // 6 rows: 31 days from a Sunday
        {2012, 3, 31, 4, 235},
        {2012, 4, 30, 7, 270},
        {2011, 12, 31, 4, 235},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month));
        EXPECT_EQ(calendar->getDayCountOfaMonth(month(c.year, c.month)), c.days);
        EXPECT_EQ(calendar->getMonthWeekday(month(c.year, c.month)), c.weekdayOfFirst);
        EXPECT_EQ(calendar->heightForMonth(month(c.year, c.month)), c.height);
    }
    EXPECT_EQ(calendar->getDayCountOfaMonth(month(2012, 13)), 31);  // out of range: 31
}

TEST_F(MonthCalendar, StartsOnTodaysMonthWithoutAChoice)
{
    EXPECT_EQ(calendar->currentMonthDate().year, 2012);
    EXPECT_EQ(calendar->currentMonthDate().month, 2);
    EXPECT_EQ(calendar->currentMonthDate().day, 1);
    EXPECT_EQ(calendar->currentSelectDate().year, 0);
    EXPECT_EQ(calendar->getCurSelectData(), "2012-02-15");
}

TEST_F(MonthCalendar, TapsChooseDaysOfTheMonthOnly)
{
    ASSERT_TRUE(driver.tapAt(CGPointMake(300, 30)));  // next arrow
    EXPECT_EQ(calendar->currentMonthDate().month, 3);
    EXPECT_EQ(calendar->getCurSelectData(), "2012-02-15");  // no choice yet: today
    // March 2012 starts on a Thursday: the 7th is column 2 of row 1.
    ASSERT_TRUE(driver.tapAt(CGPointMake(110, 110)));
    EXPECT_EQ(calendar->getCurSelectData(), "2012-03-07");
    EXPECT_EQ(recorder->calls.back(), "chose 7");

    const size_t calls = recorder->calls.size();
    for (CGPoint outside : {CGPointMake(20, 75), CGPointMake(300, 220), CGPointMake(160, 30)}) {
        driver.tapAt(outside);  // before the 1st, after the 31st, the title between the arrows
        EXPECT_EQ(calendar->getCurSelectData(), "2012-03-07");
        EXPECT_EQ(calendar->currentMonthDate().month, 3);
    }
    EXPECT_EQ(recorder->calls.size(), calls);
}

TEST_F(MonthCalendar, ArrowsCrossYearsAndSlideTheOldMonthOut)
{
    calendar->setCurrentMonthDate(month(2012, 1));
    // The program's first drawing of any calendar tells its delegate too: have it behind us.
    NXSnapshotImage(host.get());
    recorder->calls.clear();
    UIView::clearCommittedAnimations();
    ASSERT_TRUE(driver.tapAt(CGPointMake(20, 30)));  // previous arrow
    EXPECT_EQ(calendar->currentMonthDate().year, 2011);
    EXPECT_EQ(calendar->currentMonthDate().month, 12);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"before 2011-12", "changed 2011-12 235"}));
    // The old month slides out to the right, the new one in from the left.
    auto snapshot = calendar->viewImageView();
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->superview(), host.get());
    EXPECT_EQ(snapshot->transform(), CGAffineTransformMakeTranslation(320, 0));
    EXPECT_EQ(calendar->transform(), CGAffineTransformIdentity);
    ASSERT_EQ(UIView::committedAnimations().size(), 1u);
    EXPECT_EQ(UIView::committedAnimations()[0].duration, 0.5);

    ASSERT_TRUE(driver.tapAt(CGPointMake(300, 30)));
    ASSERT_TRUE(driver.tapAt(CGPointMake(300, 30)));
    EXPECT_EQ(calendar->currentMonthDate().year, 2012);
    EXPECT_EQ(calendar->currentMonthDate().month, 2);
    EXPECT_EQ(calendar->viewImageView(), snapshot);  // one snapshot view, reused
    EXPECT_EQ(snapshot->transform(), CGAffineTransformMakeTranslation(-320, 0));

    // A month change clears the choice.
    driver.tapAt(CGPointMake(110, 110));
    ASSERT_NE(calendar->currentSelectDate().year, 0);
    calendar->moveNextMonth();
    EXPECT_EQ(calendar->currentSelectDate().year, 0);
}

TEST_F(MonthCalendar, DayFlags)
{
    calendar->setDayFlag(3, 7);
    calendar->setDayFlag(9, -2);
    calendar->setDayFlag(3, 0);  // 0 does not clear
    calendar->setDayFlag(0, 1);
    calendar->setDayFlag(32, 1);
    EXPECT_EQ(calendar->getDayFlag(3), 1);
    EXPECT_EQ(calendar->getDayFlag(9), -1);
    EXPECT_EQ(calendar->getDayFlag(0), 0);
    EXPECT_EQ(calendar->getDayFlag(32), 0);
    calendar->moveNextMonth();
    EXPECT_EQ(calendar->getDayFlag(3), 1);  // the caller clears them
    calendar->clearAllDayFlag();
    EXPECT_EQ(calendar->getDayFlag(3), 0);
}

TEST_F(MonthCalendar, Looks)
{
    calendar->setDayFlag(3, 1);
    calendar->setDayFlag(9, -1);
    calendar->setDayFlag(15, 1);
    calendar->setDayFlag(22, 1);
    driver.tapAt(CGPointMake(110, 180));  // the 22nd
    ASSERT_EQ(calendar->getCurSelectData(), "2012-02-22");
    EXPECT_TRUE(snapshot::viewMatchesExpected(host.get(), "tests/ui/snapshots/calendar-month"));

    // Half-way through the slide to March: both months show side by side.
    calendar->moveNextMonth();
    calendar->setTransform(CGAffineTransformMakeTranslation(160, 0));
    calendar->viewImageView()->setTransform(CGAffineTransformMakeTranslation(-160, 0));
    EXPECT_TRUE(snapshot::viewMatchesExpected(host.get(), "tests/ui/snapshots/calendar-slide"));
}
