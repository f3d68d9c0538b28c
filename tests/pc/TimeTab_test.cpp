// The time tab driven as a parent uses it, against the service double that
// keeps the PC's time rules: the hour grid, the daily allowance, the periods.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/TimeSetViewController.h"
#include "tests/pc/PCTimeFixture.h"
#include "tests/pc/ScreenLint.h"
#include "tools/snapshot/Snapshot.h"

namespace {

// Each test seeds the double, then shows the tab (showTab), whose hour grid
// loads at once.
class TimeTab : public PCTimeFixture {
protected:

    TimeLimitViewController* grid() const
    {
        auto* host = dynamic_cast<TimeHourSetting*>(tab->view()->viewWithTag(TimeSetViewController::kHourTag));
        return host ? host->grid() : nullptr;
    }
    // The grid has its week and its protect mode.
    bool waitForGrid(size_t loads = 1) { return waitFor("RQTimeConfig", loads) && settle(); }
    UISegmentedControl* seg() const { return tab->seg.get(); }
    std::string body(const servicedouble::Exchange& e) const
    {
        const auto at = e.message.find("<BODY>");
        return at == std::string::npos ? std::string() : e.message.substr(at);
    }

    bool snapshotEditor = true;
};

std::string weekWith(std::initializer_list<std::pair<int, const char*>> hours)
{
    std::vector<std::string> week(168, "1111");
    for (auto& [hour, text] : hours) week[hour] = text;
    std::string out;
    for (auto& h : week) out += (out.empty() ? "" : ",") + h;
    return out;
}

}  // namespace

TEST_F(TimeTab, OpensOnTheHourGridOfTodayWithTheStoredProtectMode)
{
    rules.setGamePeriod(kDevice, weekWith({{24 + 8, "0000"}, {24 + 9, "0011"}}));
    rules.setConfig(kDevice, {"1", "1", "0", "0", ""});
    showTab();
    ASSERT_TRUE(waitForGrid());
    auto* g = grid();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->daySelected->selectedSegmentIndex(), 1) << "Monday";
    EXPECT_EQ(g->hourCell(8)->stat(), 15u);
    EXPECT_EQ(g->hourCell(9)->stat(), 3u);
    EXPECT_EQ(g->hourCell(10)->stat(), 0u);
    EXPECT_TRUE(g->btnScr->selected());
    EXPECT_FALSE(g->btnNet->selected());
    EXPECT_EQ(sent("RQGamePeriod").size(), 1u);
    driver->advanceClock(5);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/time-tab"));
}

TEST_F(TimeTab, PaintedHoursAreSavedAndComeBackOnReload)
{
    showTab();
    ASSERT_TRUE(waitForGrid());
    auto* g = grid();
    // 08:00 by a tap (the whole hour), 09:00 quarter by quarter in the chooser.
    ASSERT_TRUE(driver->tap(g->hourCell(8)->btn()));
    EXPECT_EQ(g->hourCell(8)->stat(), 15u);
    longPress(g->hourCell(9)->btn());
    auto* chooser = dynamic_cast<CustomAlertView*>(driver->visibleAlert());
    ASSERT_NE(chooser, nullptr);
    for (int tag = 1; tag <= 4; ++tag) ASSERT_TRUE(driver->tap(chooser->quarterButton(tag)));
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/quarter-chooser"));
    ASSERT_TRUE(driver->tap(chooser->quarterButton(5)));
    EXPECT_EQ(g->hourCell(9)->stat(), 15u);
    driver->advanceClock(5);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/hour-grid-painted"));

    // Both protect modes chosen (the double starts with both), then save.
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(g->view().get()); });
    ASSERT_TRUE(tapItem(bar->items().back()));
    ASSERT_TRUE(waitFor("UDTimeConfig"));
    settle();
    const auto saved = sent("UDGamePeriod");
    ASSERT_EQ(saved.size(), 1u);
    const std::string week = rules.gamePeriod(kDevice);
    EXPECT_EQ(week, weekWith({{24 + 8, "0000"}, {24 + 9, "0000"}}));
    EXPECT_NE(body(sent("UDTimeConfig")[0]).find("<CmdType>2</CmdType>"), std::string::npos);

    // Another page and back: a fresh grid from the service shows the same cells.
    ASSERT_TRUE(tapSegment(seg(), 1));
    ASSERT_TRUE(tapSegment(seg(), 0));
    ASSERT_TRUE(waitFor("RQGamePeriod", 2) && waitForGrid(3));
    for (int h = 0; h < 24; ++h) EXPECT_EQ(grid()->hourCell(h)->stat(), (h == 8 || h == 9) ? 15u : 0u) << h;
}

TEST_F(TimeTab, AWeekTheServiceRefusedEndsWithTheFailureAndSendsNoProtectMode)
{
    showTab();
    ASSERT_TRUE(waitForGrid());
    rules.refuse("UDGamePeriod");
    ASSERT_TRUE(driver->tap(grid()->hourCell(20)->btn()));
    grid()->prepareCommit(nullptr);
    ASSERT_TRUE(waitFor("UDGamePeriod"));
    ASSERT_TRUE(driver->pumpUntil([&] { return hudText(grid()->view().get()) == L("serviceBackMessage_failed"); }));
    settle();
    EXPECT_TRUE(sent("UDTimeConfig").empty());
    EXPECT_EQ(rules.gamePeriod(kDevice), servicedouble::TimeRules::openWeek());
}

TEST_F(TimeTab, DailyAllowanceIsSavedAndShownAgainOnReturn)
{
    showTab();
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(tapSegment(seg(), 1));
    ASSERT_TRUE(waitFor("RQTimeConfig", 2));
    settle();
    auto* page = dynamic_cast<SwTimeLenSetting*>(tab->view()->viewWithTag(TimeSetViewController::kAllowanceTag));
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->switchBtn()->on()) << "the double starts with no time rule";

    // The allowance switch is kept hidden on this page; its action still
    // switches the rule on at the service.
    page->switchBtn()->sendActionsForControlEvents(UIControlEventValueChanged);
    ASSERT_TRUE(waitFor("UDTimeConfig"));
    settle();
    EXPECT_EQ(rules.config(kDevice).timeType, "0");

    page->picker()->pickRow(8192, 0);  // far from the middle: 8192 mod 25 = 17 h
    EXPECT_EQ(page->picker()->selectedRowInComponent(0), 8175 + 17) << "put back near the middle";
    page->picker()->pickRow(8175 + 2, 0);
    page->picker()->pickRow(8160 + 0, 1);
    EXPECT_EQ(page->lblSelectTime()->text(),
              NSString::stringWithFormat("%@ 2 %@ 0 %@", L("timelenctrl_yourselecttime"), L("timelenctrl_hour"), L("timelenctrl_min")));
    settle();
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/allowance"));
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(page); });
    ASSERT_TRUE(tapItem(bar->items().back()));
    ASSERT_TRUE(waitFor("UDTimeConfig", 2));
    ASSERT_TRUE(driver->pumpUntil([&] { return hudText(page) == L("serviceBackMessage_ok"); }));
    EXPECT_NE(body(sent("UDTimeConfig")[1]).find("<TimeLength>120</TimeLength>"), std::string::npos);

    ASSERT_TRUE(tapSegment(seg(), 0));
    ASSERT_TRUE(tapSegment(seg(), 1));
    page = dynamic_cast<SwTimeLenSetting*>(tab->view()->viewWithTag(TimeSetViewController::kAllowanceTag));
    ASSERT_TRUE(driver->pumpUntil([&] { return page->picker()->selectedRowInComponent(0) >= 0; }));
    settle();
    EXPECT_EQ(page->picker()->selectedRowInComponent(0) % 25, 2);
    EXPECT_EQ(page->picker()->selectedRowInComponent(1) % 60, 0);
    EXPECT_TRUE(page->switchBtn()->on());

    // 24 hours is the whole day, whatever the minutes show.
    page->picker()->pickRow(8175 + 24, 0);
    EXPECT_EQ(page->selectedAllowance(), 1440);
    EXPECT_EQ(page->picker()->selectedRowInComponent(1) % 60, 0);
}

TEST_F(TimeTab, AllowanceSaveWithCodeZeroButNoSuccessTextIsAFailure)
{
    service.on("UDTimeConfig", [](const servicedouble::Exchange& e) {
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<Code>0</Code><Desc>处理中</Desc>")};
    });
    showTab();
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(tapSegment(seg(), 1));
    ASSERT_TRUE(waitFor("RQTimeConfig", 2));
    settle();
    auto* page = dynamic_cast<SwTimeLenSetting*>(tab->view()->viewWithTag(TimeSetViewController::kAllowanceTag));
    page->submissionBtnClicked(nullptr);
    ASSERT_TRUE(driver->pumpUntil([&] { return hudText(page) == L("serviceBackMessage_failed"); }));
    settle();
}

TEST_F(TimeTab, PeriodsAreAddedEditedAndDeletedAndARefusedAddLeavesTheList)
{
    rules.setPeriods(kDevice, {{"1,2,3,4,5", "08:00", "16:00", "1", "school", "0"}});
    showTab();
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(tapSegment(seg(), 2));
    auto list = [&] { return dynamic_cast<TimeHighSetting*>(tab->view()->viewWithTag(TimeSetViewController::kPeriodTag)); };
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->getTableViewDataCount(), 1);
    EXPECT_TRUE(list()->isTableViewEdit());
    EXPECT_FALSE(list()->table()->commitDelete(NSIndexPath::indexPathForRow(0, 0))) << "a school period is not swiped away";

    auto addPeriod = [&](double start, double end, std::vector<int> days) {
        UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(list()); });
        EXPECT_TRUE(tapItem(bar->items()[3]));
        auto editor = std::dynamic_pointer_cast<AddTimeViewCtrl>(nav->topViewController());
        EXPECT_NE(editor, nullptr);
        if (!editor) return;
        auto* picker = dynamic_cast<UIDatePicker*>(editor->view()->viewWithTag(AddTimeViewCtrl::kPickerTag));
        picker->pick(start);
        EXPECT_TRUE(driver->tap(editor->view()->viewWithTag(AddTimeViewCtrl::kEndRowTag)));
        picker->pick(end);
        EXPECT_TRUE(driver->tap(driver->find<UIButton>([&](UIButton& b) {
            return b.isDescendantOfView(editor->view().get()) && b.frame().origin.y == 20;
        })));
        auto chooser = std::dynamic_pointer_cast<addTimeHourSet>(nav->topViewController());
        EXPECT_NE(chooser, nullptr);
        if (!chooser) return;
        for (int day : days) EXPECT_TRUE(driver->tap(chooser->view()->viewWithTag(addTimeHourSet::kRowTag + day)));
        if (snapshotEditor) {
            driver->advanceClock(1);
            // Every day's name reads on its row.
            EXPECT_EQ(lintFindings(driver->window(), chooser->view().get()), std::vector<std::string>{});
        }
        EXPECT_TRUE(tapItem(chooser->navigationItem()->leftBarButtonItem));
        if (snapshotEditor) {
            driver->advanceClock(1);
            EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/period-editor"));
            snapshotEditor = false;
        }
        EXPECT_TRUE(tapItem(editor->navigationItem()->rightBarButtonItem));
    };

    // Add: Monday and Wednesday 08:00 to 11:40 goes out with the rows already there.
    addPeriod(8 * 3600, 11 * 3600 + 40 * 60, {2, 0});
    settle();
    ASSERT_EQ(sent("ADPeriod").size(), 1u);
    const std::string added = body(sent("ADPeriod")[0]);
    EXPECT_NE(added.find("<List><STTM>08:00</STTM><EDTM>16:00</EDTM><Week>1,2,3,4,5</Week><Type>1</Type></List>"
                         "<List><STTM>08:00</STTM><EDTM>11:40</EDTM><Week>1,3</Week><Type>0</Type></List>"),
              std::string::npos)
        << added;
    ASSERT_EQ(list()->getTableViewDataCount(), 2);
    EXPECT_EQ(rules.periods(kDevice).size(), 2u);
    settle();
    EXPECT_EQ(lintFindings(driver->window(), list()), std::vector<std::string>{});  // the periods read on their rows
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/period-list"));

    // Edit: the period is replaced by one ending at 12:00 (delete, then add).
    ASSERT_TRUE(list()->table()->commitDelete(NSIndexPath::indexPathForRow(1, 0)));
    ASSERT_EQ(sent("DLPeriod").size(), 1u);
    EXPECT_NE(body(sent("DLPeriod")[0]).find("<EDTM>11:40</EDTM>"), std::string::npos);
    EXPECT_EQ(body(sent("DLPeriod")[0]).find("16:00"), std::string::npos) << "only the deleted row goes";
    addPeriod(8 * 3600, 12 * 3600, {0, 2});
    settle();
    ASSERT_EQ(list()->getTableViewDataCount(), 2);
    EXPECT_EQ(list()->rows()[1]->titleStr_1(), NSString("12:00"));

    // A refused add: the failure shows and the list stays as the service has it.
    rules.refuse("ADPeriod");
    addPeriod(19 * 3600, 20 * 3600, {6});
    EXPECT_EQ(sent("ADPeriod").size(), 3u);
    EXPECT_EQ(list()->getTableViewDataCount(), 2);
    EXPECT_EQ(hudText(list()), L("serviceBackMessage_failed"));
    EXPECT_EQ(rules.periods(kDevice).size(), 2u);
    settle();

    // A refused delete keeps the row too; an accepted one removes it.
    rules.refuse("DLPeriod");
    EXPECT_TRUE(list()->table()->commitDelete(NSIndexPath::indexPathForRow(1, 0)));
    EXPECT_EQ(list()->getTableViewDataCount(), 2);
    rules.refuse("DLPeriod", false);
    EXPECT_TRUE(list()->table()->commitDelete(NSIndexPath::indexPathForRow(1, 0)));
    EXPECT_EQ(list()->getTableViewDataCount(), 1);

    // The page chosen again is rebuilt from the service alone.
    ASSERT_TRUE(tapSegment(seg(), 0));
    ASSERT_TRUE(tapSegment(seg(), 2));
    EXPECT_EQ(sent("RQPeriod").size(), 2u);
    EXPECT_EQ(list()->getTableViewDataCount(), 1);
    settle();
}

TEST_F(TimeTab, EditorRefusesPeriodsWithoutDaysOrWithoutLength)
{
    showTab();
    ASSERT_TRUE(waitForGrid());
    auto editor = AddTimeViewCtrl::init();
    nav->pushViewController(editor, false);
    auto done = [&] { return tapItem(editor->navigationItem()->rightBarButtonItem); };
    auto alertText = [&] {
        auto* alert = dynamic_cast<UIAlertView*>(driver->visibleAlert());
        NSString text = alert ? alert->message : NSString();
        driver->pressAlertButton(0);
        return text;
    };
    ASSERT_TRUE(done());
    EXPECT_EQ(alertText(), L("addtimeviewctrl_selectyourtime"));

    // Days chosen, then a second choice with none: refused as well.
    editor->hoverBtnCallBack(nullptr);
    auto chooser = std::dynamic_pointer_cast<addTimeHourSet>(nav->topViewController());
    ASSERT_TRUE(driver->tap(chooser->view()->viewWithTag(addTimeHourSet::kRowTag + 2)));
    ASSERT_TRUE(driver->tap(chooser->view()->viewWithTag(addTimeHourSet::kRowTag + 0)));
    ASSERT_TRUE(driver->tap(chooser->view()->viewWithTag(addTimeHourSet::kRowTag + 6)));
    ASSERT_TRUE(tapItem(chooser->navigationItem()->leftBarButtonItem));
    EXPECT_EQ(editor->getCurDataStruct()->detailStr(), NSString("1,3,7"));
    ASSERT_TRUE(done());
    EXPECT_EQ(alertText(), L("addtimeviewctrl_selecterr")) << "the picker never moved: 00:00 to 00:00";
    editor->hoverBtnCallBack(nullptr);
    chooser = std::dynamic_pointer_cast<addTimeHourSet>(nav->topViewController());
    EXPECT_TRUE(chooser->view()->viewWithTag(addTimeHourSet::kTickTag)->hidden()) << "the chooser opens with no day ticked";
    ASSERT_TRUE(tapItem(chooser->navigationItem()->leftBarButtonItem));
    ASSERT_TRUE(done());
    EXPECT_EQ(alertText(), L("addtimeviewctrl_selectyourtime"));
    EXPECT_TRUE(sent("ADPeriod").empty());
}

namespace {

class SchoolGrid : public PCTimeFixture {};

}  // namespace

TEST_F(SchoolGrid, SchoolPeriodsLockTheirQuartersOnTheirDays)
{
    rules.setPeriods(kDevice, {{"1,9", "08:20", "11:40", "1", "school", "0"},
                               {"2", "08:20", "08:40", "1", "short", "0"},
                               {"3", "08:00", "12:00", "1", "school", "0"},
                               {"6", "08:00", "12:00", "1", "holiday", "1"},
                               {"1", "13:00", "14:00", "0", "homework", "0"}});
    auto grid = UIViewController::init<TimeLimitViewController>();
    grid->view();  // as the phone's screen does: loaded, then school mode
    grid->setShouldLoadSchool(true);
    auto gridNav = UINavigationController::initWithRootViewController(grid);
    driver->show(gridNav);
    ASSERT_TRUE(waitFor("RQTimeConfig") && settle());
    EXPECT_EQ(grid->getSchoolDataCount(), 4);

    auto locks = [&] {
        std::vector<unsigned> out;
        for (int h = 0; h < 24; ++h) out.push_back(grid->hourCell(h)->editableStat());
        return out;
    };
    auto expected = [](std::initializer_list<std::pair<int, unsigned>> hours) {
        std::vector<unsigned> out(24, 0);
        for (auto& [h, lock] : hours) out[h] = lock;
        return out;
    };
    EXPECT_EQ(locks(), expected({{8, 14}, {9, 15}, {10, 15}, {11, 7}})) << "Monday, today";
    struct Day { NSInteger segment; std::vector<unsigned> locks; } days[] = {
        {2, expected({{8, 6}})},                                     // a span inside one hour
        {3, expected({{8, 15}, {9, 15}, {10, 15}, {11, 15}})},      // ending at 12:00 leaves noon free
        {6, expected({})},                                           // a holiday
        {0, expected({})},                                           // no school on Sunday
    };
    for (const auto& d : days) {
        ASSERT_TRUE(tapSegment(grid->daySelected.get(), d.segment));
        EXPECT_EQ(locks(), d.locks) << d.segment;
    }
    // A locked hour takes no tap; a partly locked one keeps its locked quarters.
    ASSERT_TRUE(tapSegment(grid->daySelected.get(), 1));
    grid->hourCell(9)->btn()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(grid->hourCell(9)->stat(), 0u);
    ASSERT_TRUE(driver->tap(grid->hourCell(11)->btn()));
    EXPECT_EQ(grid->hourCell(11)->stat(), 8u) << "only the free last quarter changes";
    gridNav.reset();
}

// On the hour page the navigation bar carries the sync switch and the
// choice of the second grid: turned on with the web sites' grid chosen, a
// save sends the week there as well; the switch stays on for the next visit.
TEST_F(TimeTab, TheSyncControlsInTheBarSendASavedWeekToTheWebGridToo)
{
    showTab();
    ASSERT_TRUE(waitForGrid());
    auto* g = grid();
    ASSERT_TRUE(g->syncControls->isDescendantOfView(nav->navigationBar()));
    EXPECT_EQ(g->sync->titleForSegmentAtIndex(0), L("LimitViewctrl_softforbidden"));
    EXPECT_EQ(g->sync->titleForSegmentAtIndex(1), L("LimitViewctrl_webforbidden"));
    EXPECT_FALSE(g->syncWebAndSoft->on());
    ASSERT_TRUE(driver->tap(g->syncWebAndSoft.get()));
    EXPECT_TRUE(Constant::isSyncTimeAndSoftTimeSetting());
    ASSERT_TRUE(tapSegment(g->sync.get(), 1));  // the week is read again
    ASSERT_TRUE(waitFor("RQGamePeriod", 2) && waitForGrid(2));
    driver->advanceClock(5);
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/time-tab-sync"));

    ASSERT_TRUE(driver->tap(g->hourCell(22)->btn()));
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(g->view().get()); });
    ASSERT_TRUE(tapItem(bar->items().back()));
    ASSERT_TRUE(waitFor("UDUrlPeriod") && waitFor("UDTimeConfig"));
    settle();
    const std::string week = weekWith({{24 + 22, "0000"}});
    EXPECT_NE(sent("UDUrlPeriod")[0].message.find("<UrlPeriod>" + week + "</UrlPeriod>"), std::string::npos);
    EXPECT_EQ(rules.urlPeriod(sent("UDUrlPeriod")[0].sender), week);
    EXPECT_EQ(rules.gamePeriod(kDevice), week);

    // Another page and back: a new grid, the switch still on, the week as saved.
    ASSERT_TRUE(tapSegment(seg(), 1));
    EXPECT_EQ(tab->navigationItem()->titleView, nullptr);
    ASSERT_TRUE(tapSegment(seg(), 0));
    ASSERT_TRUE(waitForGrid(4));
    EXPECT_TRUE(grid()->syncWebAndSoft->on());
    EXPECT_TRUE(grid()->syncControls->isDescendantOfView(nav->navigationBar()));
    EXPECT_EQ(grid()->hourCell(22)->stat(), 15u);
}

TEST_F(TimeTab, ValuesFromTheServiceGoBackEscapedAndUnchanged)
{
    rules.setPeriods(kDevice, {{"1&2", "08:00", "<9>", "0", "", "0"}});
    showTab();
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(tapSegment(seg(), 2));
    auto* list = dynamic_cast<TimeHighSetting*>(tab->view()->viewWithTag(TimeSetViewController::kPeriodTag));
    ASSERT_EQ(list->getTableViewDataCount(), 1);
    EXPECT_EQ(list->rows()[0]->detailStr(), NSString("1&2"));
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(list); });
    ASSERT_TRUE(tapItem(bar->items()[4]));  // delete all
    ASSERT_EQ(sent("DLPeriod").size(), 1u);
    EXPECT_NE(body(sent("DLPeriod")[0]).find("<EDTM>&lt;9&gt;</EDTM><Week>1&amp;2</Week>"), std::string::npos);
    EXPECT_TRUE(rules.periods(kDevice).empty()) << "the service recognised the period it sent";
    EXPECT_EQ(list->getTableViewDataCount(), 0);
    EXPECT_FALSE(list->isTableViewEdit());
    settle();
}
