// Pickers as the user meets them: the device's height, wheels turned by a
// finger (drag, flick, tap) settling on a row on the virtual clock, what they
// draw, and the date picker's modes and limits.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIPickerView.h"

namespace {

struct Rows : UIPickerViewDataSource, UIPickerViewDelegate {
    std::vector<std::pair<NSInteger, NSInteger>> picked;  // (row, component)
    NSInteger numberOfComponentsInPickerView(UIPickerView*) override { return 2; }
    NSInteger pickerView_numberOfRowsInComponent(UIPickerView*, NSInteger) override { return 100; }
    NSString pickerView_titleForRow_forComponent(UIPickerView*, NSInteger row, NSInteger c) override
    {
        return NSString::stringWithFormat("%ld", static_cast<long>(row + 1000 * c));
    }
    void pickerView_didSelectRow_inComponent(UIPickerView*, NSInteger row, NSInteger c) override { picked.emplace_back(row, c); }
};

struct Changes : NSObject {
    int count = 0;
    void changed(const id&) { ++count; }
};

// UTC for the date wheels, restored afterwards.
class PickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) savedTZ_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (savedTZ_) setenv("TZ", savedTZ_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

    // A picker of two wheels at (0, 100) in the window.
    std::shared_ptr<UIPickerView> wheels(NXUITestDriver& driver)
    {
        auto picker = UIPickerView::initWithFrame(CGRectMake(0, 100, 320, 300));
        picker->dataSource = rows_;
        picker->delegate = rows_;
        picker->showsSelectionIndicator = true;
        driver.window()->addSubview(picker);
        return picker;
    }
    // The middle of a wheel's band in window coordinates.
    static CGPoint band(UIView* picker, NSInteger component)
    {
        auto* p = dynamic_cast<UIPickerView*>(picker);
        const CGRect r = p->rectForComponent(component);
        return picker->convertPoint(CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r)), nullptr);
    }
    static CGPoint below(CGPoint p, CGFloat points) { return CGPointMake(p.x, p.y + points); }

    std::shared_ptr<Rows> rows_ = std::make_shared<Rows>();
    std::optional<std::string> savedTZ_;
};

TEST_F(PickerTest, FramesAreLaidOutAtTheDevicesHeights)
{
    struct Case { CGRect frame; CGSize laidOut; };
    const Case cases[] = {{CGRectMake(0, 45, 260, 280), CGSizeMake(260, 216)}, {CGRectMake(0, 0, 320, 216), CGSizeMake(320, 216)},
                          {CGRectMake(0, 0, 320, 200), CGSizeMake(320, 180)}, {CGRectMake(0, 0, 300, 100), CGSizeMake(300, 162)},
                          {CGRectZero, CGSizeMake(320, 216)}};
    for (const auto& c : cases) {
        auto picker = UIPickerView::initWithFrame(c.frame);
        auto date = UIDatePicker::initWithFrame(c.frame);
        EXPECT_EQ(picker->frame().size, c.laidOut);
        EXPECT_EQ(picker->frame().origin, c.frame.origin);
        EXPECT_EQ(date->frame().size, c.laidOut);
        EXPECT_EQ(date->wheels()->frame().size, c.laidOut);
    }
}

TEST_F(PickerTest, ATapTurnsTheRowIntoTheBandAndSelectsItWhenTheWheelRests)
{
    NXUITestDriver driver;
    auto picker = wheels(driver);
    EXPECT_TRUE(driver.tapAt(below(band(picker.get(), 1), 2 * UIPickerView::kRowHeight)));
    EXPECT_TRUE(picker->isSpinning(1));
    EXPECT_TRUE(rows_->picked.empty());
    driver.advanceClock(0.3);
    EXPECT_FALSE(picker->isSpinning(1));
    EXPECT_EQ(picker->selectedRowInComponent(1), 2);
    EXPECT_EQ(picker->selectedRowInComponent(0), 0);
    // The row in the band again, and a row above the first: nothing.
    EXPECT_TRUE(driver.tapAt(band(picker.get(), 1)));
    EXPECT_TRUE(driver.tapAt(below(band(picker.get(), 0), -UIPickerView::kRowHeight)));
    driver.advanceClock(1);
    EXPECT_EQ(rows_->picked, (std::vector<std::pair<NSInteger, NSInteger>>{{2, 1}}));
}

TEST_F(PickerTest, ADragSettlesOnTheNearestRowAndAFlickRunsOnAndSlowsDown)
{
    NXUITestDriver driver;
    auto picker = wheels(driver);
    const CGPoint start = band(picker.get(), 0);
    // Three rows and a bit up, the finger resting before it lets go.
    EXPECT_TRUE(driver.flick(start, below(start, -3 * 44 - 10), 0.5, 0.2));
    driver.advanceClock(0.3);
    EXPECT_EQ(picker->selectedRowInComponent(0), 3);
    // The same move lifted at speed carries the wheel much farther.
    rows_->picked.clear();
    EXPECT_TRUE(driver.flick(start, below(start, -3 * 44 - 10), 0.1));
    driver.advanceClock(0.2);
    EXPECT_TRUE(picker->isSpinning(0));
    EXPECT_TRUE(rows_->picked.empty());
    driver.advanceClock(5);
    ASSERT_EQ(rows_->picked.size(), 1u);
    EXPECT_GT(picker->selectedRowInComponent(0), 3 + 10);
    EXPECT_EQ(rows_->picked[0].first, picker->selectedRowInComponent(0));
    // Flung back past the first row, it rests on the first.
    EXPECT_TRUE(driver.flick(start, below(start, 150), 0.05));
    driver.advanceClock(5);
    EXPECT_EQ(picker->selectedRowInComponent(0), 0);
}

TEST_F(PickerTest, AFingerOnATurningWheelHoldsIt)
{
    NXUITestDriver driver;
    auto picker = wheels(driver);
    const CGPoint start = band(picker.get(), 0);
    EXPECT_TRUE(driver.flick(start, below(start, -150), 0.1));
    driver.advanceClock(0.1);
    driver.touchDown(start);
    driver.touchUp();
    driver.advanceClock(5);
    const NSInteger held = picker->selectedRowInComponent(0);
    EXPECT_GT(held, 3);
    EXPECT_LT(held, 12);
}

TEST_F(PickerTest, AScaledPickerFollowsTheFingerInItsOwnPoints)
{
    NXUITestDriver driver;
    auto picker = wheels(driver);
    picker->setTransform(CGAffineTransformMakeScale(0.5, 0.5));
    const CGPoint start = band(picker.get(), 1);
    EXPECT_TRUE(driver.flick(start, below(start, -2 * 22), 0.5, 0.2));
    driver.advanceClock(0.3);
    EXPECT_EQ(picker->selectedRowInComponent(1), 2);
}

TEST_F(PickerTest, TheWheelsShowTheirRowsAndTheBand)
{
    NXUITestDriver driver;
    auto picker = wheels(driver);
    auto ink = [&](CGRect r) {
        auto image = NXSnapshotImage(picker.get(), 1);
        int dark = 0;
        for (CGFloat y = r.origin.y; y < CGRectGetMaxY(r); ++y)
            for (CGFloat x = r.origin.x; x < CGRectGetMaxX(r); ++x) {
                const NXPixel p = NXImagePixelAt(image, CGPointMake(x, y));
                if (p.r < 90 && p.g < 90 && p.b < 110) ++dark;
            }
        return dark;
    };
    const CGRect wheel = picker->rectForComponent(0);
    const CGRect bandRow = CGRectMake(wheel.origin.x + 10, 108 - 10, 60, 20);
    const CGRect nextRow = CGRectOffset(bandRow, 0, 44);
    const int first = ink(bandRow);
    EXPECT_GT(first, 20);   // "0"
    EXPECT_GT(ink(nextRow), 20);  // "1" under it
    picker->selectRow(55, 0, false);
    EXPECT_GT(ink(bandRow), first);  // "55" is wider
    const NXPixel glass = NXImagePixelAt(NXSnapshotImage(picker.get(), 1), CGPointMake(CGRectGetMaxX(wheel) - 8, 108));
    EXPECT_GT(glass.b, glass.r + 20);
}

TEST_F(PickerTest, DatePickerWheelsFollowTheMode)
{
    NXUITestDriver driver;  // today is 2026-12-10
    struct Case { UIDatePickerMode mode; NSInteger interval; std::vector<NSString> titles; };
    const NSTimeInterval at = 1796915220;  // 2026-12-10 15:07 UTC
    const Case cases[] = {{UIDatePickerModeDate, 1, {"December", "10", "2026"}},
                          {UIDatePickerModeTime, 5, {"3", "05", "PM"}},
                          {UIDatePickerModeDateAndTime, 1, {"Today", "3", "07", "PM"}},
                          {UIDatePickerModeCountDownTimer, 15, {"1", "30"}}};
    for (const auto& c : cases) {
        auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
        picker->datePickerMode = c.mode;
        picker->minuteInterval = c.interval;
        picker->setDate(at);
        picker->setCountDownDuration(5400);
        driver.window()->addSubview(picker);
        NXSnapshotImage(picker.get(), 1);
        UIPickerView* w = picker->wheels();
        ASSERT_EQ(w->numberOfComponents(), static_cast<NSInteger>(c.titles.size()));
        for (NSInteger i = 0; i < w->numberOfComponents(); ++i)
            EXPECT_EQ(w->titleForRow(w->selectedRowInComponent(i), i), c.titles[i]) << c.mode << " " << i;
        picker->removeFromSuperview();
    }
}

TEST_F(PickerTest, TurnedDatesStayWithinTheMonthAndTheLimits)
{
    NXUITestDriver driver;
    auto changes = std::make_shared<Changes>();
    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
    picker->datePickerMode = UIDatePickerModeDate;
    picker->setDate(1769860800);  // 2026-01-31 12:00
    picker->addTarget(changes, NX_SEL(Changes, changed), UIControlEventValueChanged);
    driver.window()->addSubview(picker);
    // February has no 31st: the day wheel turns back to the 28th.
    EXPECT_TRUE(driver.tapAt(below(band(picker->wheels(), 0), 44)));
    driver.advanceClock(1);
    EXPECT_EQ(picker->date(), 1772280000);  // 2026-02-28 12:00
    EXPECT_EQ(changes->count, 1);
    UIPickerView* w = picker->wheels();
    EXPECT_EQ(w->titleForRow(w->selectedRowInComponent(1), 1), "28");

    picker->minimumDate = 1772107200;  // 2026-02-26 12:00
    picker->maximumDate = 1772280000;
    EXPECT_TRUE(driver.tapAt(below(band(w, 1), -44)));  // the 27th
    driver.advanceClock(1);
    EXPECT_EQ(picker->date(), 1772193600);
    EXPECT_EQ(changes->count, 2);
    // A day before the minimum cannot be tapped; flung far ahead, the wheel
    // comes back within the limits.
    EXPECT_TRUE(driver.tapAt(below(band(w, 1), -88)));
    driver.advanceClock(1);
    EXPECT_EQ(picker->date(), 1772193600);
    EXPECT_EQ(changes->count, 2);
    const CGPoint day = band(w, 1);
    EXPECT_TRUE(driver.flick(day, below(day, -120), 0.05));
    driver.advanceClock(5);
    EXPECT_GE(picker->date(), *picker->minimumDate);
    EXPECT_LE(picker->date(), *picker->maximumDate);
    const auto shown = static_cast<long>((picker->date() - 1772107200) / 86400) + 26;
    EXPECT_EQ(w->titleForRow(w->selectedRowInComponent(1), 1), NSString::stringWithFormat("%ld", shown));
}

TEST_F(PickerTest, TheCountDownStepsByTheIntervalAndNeverRestsOnNothing)
{
    NXUITestDriver driver;
    auto changes = std::make_shared<Changes>();
    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
    picker->datePickerMode = UIDatePickerModeCountDownTimer;
    picker->minuteInterval = 5;
    picker->addTarget(changes, NX_SEL(Changes, changed), UIControlEventValueChanged);
    driver.window()->addSubview(picker);
    EXPECT_TRUE(driver.tapAt(below(band(picker->wheels(), 1), 88)));
    driver.advanceClock(1);
    EXPECT_EQ(picker->countDownDuration(), 600);
    EXPECT_TRUE(driver.tapAt(below(band(picker->wheels(), 0), 44)));
    driver.advanceClock(1);
    EXPECT_EQ(picker->countDownDuration(), 4200);
    // Both wheels back on zero: five minutes.
    EXPECT_TRUE(driver.tapAt(below(band(picker->wheels(), 0), -44)));
    driver.advanceClock(1);
    EXPECT_TRUE(driver.tapAt(below(band(picker->wheels(), 1), -88)));
    driver.advanceClock(1);
    EXPECT_EQ(picker->countDownDuration(), 300);
    EXPECT_EQ(changes->count, 4);
}

}  // namespace

namespace {

// Reads the day off the sheet's picker when the sheet goes with its first button.
struct DaySheet : UIActionSheetDelegate {
    std::optional<NSTimeInterval> chosen;
    void actionSheet_didDismissWithButtonIndex(UIActionSheet* sheet, NSInteger index) override
    {
        if (index != 0) return;
        for (const auto& v : sheet->subviews())
            if (auto* picker = dynamic_cast<UIDatePicker*>(v.get())) chosen = picker->date();
    }
};

}  // namespace

// A sheet whose title is blank lines holds a date picker over them and its
// buttons below it: the user turns the day and taps OK.
TEST_F(PickerTest, ADayChosenOnASheetsPickerIsReadWhenOKIsTapped)
{
    NXUITestDriver driver;
    auto days = std::make_shared<DaySheet>();
    auto sheet = UIActionSheet::initWithTitle("\n\n\n\n\n\n\n\n\n\n\n", days, "Cancel", "OK", {});
    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
    picker->datePickerMode = UIDatePickerModeDate;
    picker->setDate(1796860800);  // 2026-12-10
    sheet->addSubview(picker);
    sheet->showInView(driver.window());
    EXPECT_LE(CGRectGetMaxY(sheet->frame()), 480);

    const CGPoint day = band(picker->wheels(), 1);
    EXPECT_TRUE(driver.tapAt(below(day, UIPickerView::kRowHeight)));
    driver.advanceClock(1);
    EXPECT_TRUE(driver.tap(sheet->buttonAtIndex(sheet->destructiveButtonIndex)));
    ASSERT_TRUE(days->chosen);
    EXPECT_EQ(*days->chosen, 1796860800 + 86400);  // 2026-12-11
    EXPECT_FALSE(sheet->visible());
}
