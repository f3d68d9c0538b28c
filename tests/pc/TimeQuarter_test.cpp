// The quarter-hour codec, the cell's tap rule and school-span masks, the
// chooser's result, and the week string's shapes.
#include <gtest/gtest.h>

#include "pc/AddTimeViewCtrl.h"
#include "pc/ProtectSettingViewController.h"
#include "pc/TimeHighSetting.h"
#include "pc/TimeLimitViewController.h"
#include "platform/testing/NXUITestDriver.h"

using Grid = TimeLimitViewController;

TEST(TimeQuarter, HourStringsDecodeByTheirShape)
{
    struct Case { NSString text; unsigned stat; } cases[] = {
        {"0,1,1,0", 9}, {"0,0,0,0", 15}, {"1,1,1,1", 0}, {"0", 15}, {"1", 0}, {"01", 0},
        {"0110", 9},    {"0000", 15},    {"1111", 0},    {"", 0},   {NSString(), 15}, {"0,1,1", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Grid::formatTimeSetFromString(c.text), c.stat) << c.text.description().str();
    EXPECT_EQ(Grid::formatTimeSetFromInt(9, 1), NSString("0110"));
    EXPECT_EQ(Grid::formatTimeSetFromInt(0, 1), NSString("1111"));
    EXPECT_EQ(Grid::formatTimeSetFromInt(15, 1), NSString("0000"));
    EXPECT_EQ(Grid::formatTimeSetFromInt(9, 0), NSString("0,1,1,0"));
    EXPECT_EQ(Grid::formatTimeSetFromInt(9, 2), NSString(""));
}

TEST(TimeQuarter, WeekRepliesOfEveryShapeBecome168HoursAndGoBackIn839Characters)
{
    std::string four, comma, hundred;
    for (int k = 0; k < 168; ++k) four += (k ? "," : "") + std::string(k == 5 ? "0110" : (k == 6 ? "0" : "1111"));
    for (int k = 0; k < 168; ++k) comma += (k ? "," : "") + std::string(k == 7 ? "0,1,1,0" : "1,1,1,1");
    for (int k = 0; k < 100; ++k) hundred += (k ? "," : "") + std::string(k % 2 ? "1" : "0");

    auto byFour = Grid::parseWeek(four);
    ASSERT_EQ(byFour.size(), 168u);
    EXPECT_EQ(byFour[5], NSString("0110"));
    EXPECT_EQ(byFour[6], NSString("0"));
    EXPECT_EQ(Grid::formatTimeSetFromString(byFour[6]), 15u);

    auto byComma = Grid::parseWeek(comma);
    ASSERT_EQ(byComma.size(), 168u);
    EXPECT_EQ(byComma[7], NSString("0,1,1,0"));
    const NSString week = Grid::weekString(byComma);
    EXPECT_EQ(week.length(), 839u);
    EXPECT_EQ(week.substringWithRange(NSRange{35, 4}), NSString("0110"));

    auto byField = Grid::parseWeek(hundred);
    ASSERT_EQ(byField.size(), 168u);
    EXPECT_EQ(byField[0], NSString("0000"));
    EXPECT_EQ(byField[1], NSString("1111"));
    EXPECT_EQ(byField[120], NSString("1111"));

    for (const NSString& none : {NSString(), NSString("")}) {
        auto forbidden = Grid::parseWeek(none);
        ASSERT_EQ(forbidden.size(), 168u);
        EXPECT_EQ(forbidden[100], NSString("0,0,0,0"));
    }
}

TEST(TimeQuarter, TapRuleAndSchoolSpanMasks)
{
    NXUITestDriver driver;
    auto cell = CustomButton::initWithFrame(CGRectMake(0, 0, 80, 34));
    struct Tap { unsigned lock, from; std::vector<unsigned> after; } taps[] = {
        {0, 0, {15, 0}}, {0, 5, {0}}, {8, 8, {15, 0}}, {14, 14, {15, 14}}, {6, 6, {15, 0}}, {15, 3, {3}},
    };
    for (const auto& t : taps) {
        cell->setButtonEditableState(t.lock);
        cell->setButtonState(t.from);
        for (unsigned expected : t.after) {
            cell->setAllEditableButtonState();
            EXPECT_EQ(cell->stat(), expected) << "lock " << t.lock << " from " << t.from;
        }
    }
    // Locked quarters paint amber whatever their state.
    cell->setButtonEditableState(1);
    cell->setButtonState(0);
    EXPECT_FALSE(cell->quarterView(0)->image);
    EXPECT_TRUE(cell->quarterView(1)->image);

    struct Minute { int minute; unsigned up, down; } minutes[] = {
        {0, 15, 15}, {1, 15, 1},  {14, 15, 1}, {15, 14, 1}, {16, 14, 3}, {29, 14, 3},  {30, 12, 3},
        {31, 12, 7}, {44, 12, 7}, {45, 8, 7},  {46, 8, 15}, {59, 8, 15}, {60, 15, 15}, {-1, 15, 15},
    };
    for (const auto& m : minutes) {
        EXPECT_EQ(CustomButton::getStatByMinute(m.minute, true), m.up) << m.minute;
        EXPECT_EQ(CustomButton::getStatByMinute(m.minute, false), m.down) << m.minute;
    }
}

namespace {

struct ChooserResult : CustomAlertViewDelegate {
    std::vector<unsigned> results;
    void CustomAlertView_buttonClicked(CustomAlertView*, unsigned stat) override { results.push_back(stat); }
};

}  // namespace

TEST(TimeQuarter, ChooserReturnsTheSelectedQuartersAndKeepsLockedOnes)
{
    NXUITestDriver driver;
    auto delegate = std::make_shared<ChooserResult>();
    auto open = [&](unsigned stat, unsigned lock) {
        auto chooser = CustomAlertView::init(nullptr);
        chooser->mdelegate = delegate;
        chooser->editableState = lock;
        chooser->setButtonSelectedWithState(stat);
        chooser->show();
        return chooser.get();
    };
    auto* chooser = open(5, 0);
    EXPECT_TRUE(chooser->quarterButton(1)->selected());
    EXPECT_FALSE(chooser->quarterButton(2)->selected());
    EXPECT_TRUE(driver.tap(chooser->quarterButton(5)));
    EXPECT_EQ(delegate->results.back(), 5u);
    EXPECT_EQ(driver.visibleAlert(), nullptr);

    chooser = open(5, 0);
    EXPECT_TRUE(driver.tap(chooser->quarterButton(1)));
    EXPECT_TRUE(driver.tap(chooser->quarterButton(5)));
    EXPECT_EQ(delegate->results.back(), 4u);

    // A locked quarter does not toggle and shows amber.
    chooser = open(0, 1);
    EXPECT_TRUE(driver.tap(chooser->quarterButton(1)));
    EXPECT_FALSE(chooser->quarterButton(1)->selected());
    EXPECT_NE(chooser->quarterButton(1)->currentBackgroundImage(), nullptr);
    EXPECT_TRUE(driver.tap(chooser->quarterButton(4)));
    EXPECT_TRUE(driver.tap(chooser->quarterButton(5)));
    EXPECT_EQ(delegate->results.back(), 8u);

    // The grid gone while its chooser is open: OK only closes it.
    chooser = open(3, 0);
    delegate.reset();
    EXPECT_TRUE(driver.tap(chooser->quarterButton(5)));
    EXPECT_EQ(driver.visibleAlert(), nullptr);
}

TEST(TimeQuarter, ProtectModeAndDayNames)
{
    EXPECT_EQ(ProtectSettingViewController::cmdTypeFor(true, false), 0);
    EXPECT_EQ(ProtectSettingViewController::cmdTypeFor(false, true), 1);
    EXPECT_EQ(ProtectSettingViewController::cmdTypeFor(true, true), 2);
    EXPECT_EQ(TimeHighSetting::dayNames("1,7", &TimeHighSetting::getDateStrByIndex),
              NSString::stringWithFormat("%@,%@", TimeHighSetting::getDateStrByIndex(1), TimeHighSetting::getDateStrByIndex(7)));
    // A day number without a name is shown as it came, never dropped or crashed on.
    EXPECT_EQ(TimeHighSetting::dayNames("9,,2", &TimeHighSetting::getDateStrByIndex),
              NSString::stringWithFormat("9,%@", TimeHighSetting::getDateStrByIndex(2)));
    EXPECT_EQ(TimeHighSetting::dayNames("", &TimeHighSetting::getDateStrByIndex), NSString(""));
}
