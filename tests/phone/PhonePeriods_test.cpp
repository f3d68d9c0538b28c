// The phone's time tab: the school side lists the school periods in seven
// weekday sections and tells the school protect mode.

#include "pc/TimeLimitViewController.h"
#include "phone/SwTimeHighSettingController.h"
#include "ui/ProgressHUD.h"
#include "tests/phone/PhoneFixture.h"

using namespace phonetest;

namespace {

class PhonePeriodsTest : public PhoneTest {
protected:
    explicit PhonePeriodsTest(bool realTexts = false) : PhoneTest(realTexts) {}

    // The school side of a school-managed phone's time tab.
    SwTimeHighSettingController* openSchoolSide()
    {
        // The device list tells the phone's manager type when it is chosen.
        std::string devices = servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).replies.at("RQManageUser");
        const std::string home = "<BID>13900139000</BID><Nick>Tom's phone</Nick><IsOnline>1</IsOnline><TaoCan>A</TaoCan>"
                                 "<EquipType>Phone</EquipType><ManageType>Home";
        const size_t at = devices.find(home);
        if (at == std::string::npos) return nullptr;
        devices.replace(at + home.size() - 4, 4, "School");
        service.reply("RQManageUser", servicedouble::fillDates(devices));
        if (!openPhone()) return nullptr;
        auto* tab = openTab<SwTimeHighSettingController>();
        if (!tab) return nullptr;
        EXPECT_FALSE(tab->seg->hidden());
        tab->seg->setSelectedSegmentIndex(1);
        tab->seg->sendActionsForControlEvents(UIControlEventValueChanged);
        settle();
        settle();  // the protect mode is asked a moment after the periods
        return tab;
    }
    // The toolbar's add, then a period composed in the editor as the parent
    // does: start and end on the picker, the days ticked (0 Monday ... 6
    // Sunday), Done.
    void addPeriod(SwTimeHighSettingController* tab, double start, double end, std::vector<int> days)
    {
        ASSERT_FALSE(tab->toolBar->hidden());
        ASSERT_TRUE(driver.tap(tab->toolBar->items()[1]->barView().get()));
        auto editor = std::dynamic_pointer_cast<AddTimeViewCtrl>(tab->navigationController()->topViewController());
        ASSERT_NE(editor, nullptr);
        driver.advanceClock(1);
        auto* picker = dynamic_cast<UIDatePicker*>(editor->view()->viewWithTag(AddTimeViewCtrl::kPickerTag));
        picker->pick(start);
        ASSERT_TRUE(driver.tap(editor->view()->viewWithTag(AddTimeViewCtrl::kEndRowTag)));
        picker->pick(end);
        ASSERT_TRUE(driver.tap(driver.find<UIButton>([&](UIButton& b) {
            return b.isDescendantOfView(editor->view().get()) && b.frame().origin.y == 20;
        })));
        auto chooser = std::dynamic_pointer_cast<addTimeHourSet>(tab->navigationController()->topViewController());
        ASSERT_NE(chooser, nullptr);
        driver.advanceClock(1);
        for (int day : days) ASSERT_TRUE(driver.tap(chooser->view()->viewWithTag(addTimeHourSet::kRowTag + day)));
        ASSERT_TRUE(driver.tap(chooser->navigationItem()->leftBarButtonItem->barView().get()));
        driver.advanceClock(1);
        ASSERT_TRUE(driver.tap(editor->navigationItem()->rightBarButtonItem->barView().get()));
        settle();
    }
    // The last reply of a TYPE: what the double held when it was asked.
    std::string lastReply(const std::string& type) const
    {
        std::string out;
        for (const auto& e : service.exchanges())
            if (e.type == type) out = e.reply;
        return out;
    }
    std::vector<NSInteger> rowsPerDay(SwTimeHighSettingController* tab) const
    {
        std::vector<NSInteger> out;
        for (const auto& s : tab->sections()) out.push_back(s->contentNumberOfRow());
        return out;
    }
};

TEST_F(PhonePeriodsTest, TheSchoolSideShowsSevenDaysOfSchoolPeriodsAndTheProtectMode)
{
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->navigationItem()->title, NSString("timehightctrl_highsetting"));
    // The demo's one school period, Monday to Friday; its home periods stay out.
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(tab->sections()[0]->title(), NSString("timehightctrl_monday"));
    EXPECT_EQ(tab->sections()[6]->title(), NSString("timehightctrl_sunday"));
    EXPECT_EQ(tab->tableView()->numberOfSections(), 7);
    EXPECT_EQ(tab->lblSchoolTitle->text(),
              NSString("timehightctrl_nowschoolprotectmodetimehightctrl_closenet+timehightctrl_lockscreen"));

    // Two refreshes on top of each other still give seven days.
    tab->refreshTimeHighSetting();
    tab->refreshTimeHighSetting();
    settle();
    EXPECT_EQ(tab->sections().size(), 7u);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
}

TEST_F(PhonePeriodsTest, PeriodsGoUnderTheirDaysAndTheFirstPeriodMarksTheHoliday)
{
    service.reply("RQPeriod",
                  "<List><Week>1,3,5</Week><STTM>08:00</STTM><EDTM>12:00</EDTM><Type>1</Type><Remark>a</Remark><Holiday>(null)</Holiday></List>"
                  "<List><Week>1,3,5</Week><STTM>08:00</STTM><EDTM>12:00</EDTM><Type>1</Type><Remark>b</Remark><Holiday>1</Holiday></List>"
                  "<List><Week>1,2</Week><STTM>13:00</STTM><EDTM>15:00</EDTM><Type>1</Type><Remark></Remark><Holiday>1</Holiday></List>"
                  "<List><Week>9</Week><STTM>16:00</STTM><EDTM>17:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>"
                  "<List><Week></Week><STTM>18:00</STTM><EDTM>19:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>");
    service.reply("RQTimeConfig", "<CmdType1>3</CmdType1>");
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    // The second period differs only in its remark: one period.
    EXPECT_EQ(tab->getTableViewDataCount(), 4);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{2, 1, 1, 0, 1, 0, 0}));
    EXPECT_EQ(tab->sections()[0]->holiday(), NSString(""));  // its first period says "(null)"
    EXPECT_EQ(tab->sections()[1]->holiday(), NSString("timehightctrl_holiday"));
    EXPECT_EQ(tab->lblSchoolTitle->text(), NSString("timehightctrl_allowoutsidetimeset"));
    EXPECT_TRUE(tab->getSubmissionStrByIndex(4).isNil());
    EXPECT_NE(tab->getSubmissionStrByIndex(0).str().find(std::string("<BID>") + kPhone + "</BID><List><STTM>08:00</STTM>"),
              std::string::npos);
}

TEST_F(PhonePeriodsTest, DeletingAllClearsTheDaysAndAnEmptyListHasNothingToDelete)
{
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    ASSERT_FALSE(tab->toolBar->hidden());
    tab->deleteAllHightSeting();
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([&] { return hudSaying("serviceBackMessage_ok") != nullptr; }, 5);
    EXPECT_NE(lastMessage("DLPeriod").find("<Week>1,2,3,4,5</Week><Type>1</Type>"), std::string::npos);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{0, 0, 0, 0, 0, 0, 0}));
    settle();
    tab->deleteAllHightSeting();
    EXPECT_TRUE(hudSaying("timehightctrl_nodata"));
    EXPECT_EQ(exchangesOf("DLPeriod"), 1u);

    // Another tab and back: the service holds no school period either.
    ASSERT_NE(openTab<PhoneHomeViewCtrl>(), nullptr);
    ASSERT_EQ(openTab<SwTimeHighSettingController>(), tab);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(lastReply("RQPeriod").find("<Type>1</Type>"), std::string::npos) << lastReply("RQPeriod");
}

// A period deleted from its row under a day: DLPeriod carries that period
// alone, and its rows go only once the service has deleted it.
TEST_F(PhonePeriodsTest, DeletingOnePeriodSendsItAloneAndItsRowsGoOnSuccess)
{
    service.reply("RQPeriod",
                  "<List><Week>1,2,3,4,5</Week><STTM>08:00</STTM><EDTM>12:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>"
                  "<List><Week>1,2</Week><STTM>13:00</STTM><EDTM>15:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>");
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{2, 2, 1, 1, 1, 0, 0}));
    UITableView* table = tab->tableView();
    table->tapRow(NSIndexPath::indexPathForRow(0, 1));  // Tuesday opens
    ASSERT_EQ(table->numberOfRowsInSection(1), 3);
    EXPECT_FALSE(table->commitDelete(NSIndexPath::indexPathForRow(0, 1))) << "a day's title is no period";

    const std::string afternoon = "<List><STTM>13:00</STTM><EDTM>15:00</EDTM><Week>1,2</Week><Type>1</Type></List>";
    service.reply("DLPeriod", "<Code>1</Code><Desc>失败</Desc>");
    ASSERT_TRUE(table->commitDelete(NSIndexPath::indexPathForRow(2, 1)));
    settle();
    const std::string sent = lastMessage("DLPeriod");
    EXPECT_NE(sent.find(std::string("<BID>") + kPhone + "</BID>" + afternoon + "</BODY>"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("08:00"), std::string::npos);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{2, 2, 1, 1, 1, 0, 0}));

    service.reply("DLPeriod", "<Code>0</Code><Desc>成功</Desc>");
    ASSERT_TRUE(table->commitDelete(NSIndexPath::indexPathForRow(2, 1)));
    NSThread::joinDetachedThreads(10);
    EXPECT_TRUE(driver.pumpUntil([&] { return hudSaying("serviceBackMessage_ok") != nullptr; }, 5));
    EXPECT_EQ(exchangesOf("DLPeriod"), 2u);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
    ASSERT_EQ(tab->getTableViewDataCount(), 1);
    EXPECT_EQ(tab->periods()[0]->titleStr(), NSString("08:00"));

    // A period no longer there has nothing to delete.
    tab->deleteOneKey(1);
    EXPECT_TRUE(hudSaying("timehightctrl_nodata"));
    EXPECT_EQ(exchangesOf("DLPeriod"), 2u);
}

// A period added on the school side is a school period: it is sent as one,
// listed there when the screen comes back from the editor, and again when
// the parent comes back to the tab; the home periods stay as they were.
TEST_F(PhonePeriodsTest, APeriodAddedOnTheSchoolSideIsSentAndListedAsASchoolPeriod)
{
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
    const size_t reads = exchangesOf("RQPeriod");
    addPeriod(tab, 14 * 3600, 16 * 3600 + 30 * 60, {5});  // Saturday 14:00 to 16:30
    const std::string saturday = "<List><STTM>14:00</STTM><EDTM>16:30</EDTM><Week>6</Week><Type>1</Type></List>";
    EXPECT_NE(lastMessage("ADPeriod").find(saturday), std::string::npos) << lastMessage("ADPeriod");
    ASSERT_GT(exchangesOf("RQPeriod"), reads) << "the school side is read again when the editor has gone";
    EXPECT_EQ(screen<SwTimeHighSettingController>(), tab);
    // (That read races the addition on the service; the next one comes after it.)

    // Another tab and back: the school side reads what the service holds.
    ASSERT_NE(openTab<PhoneHomeViewCtrl>(), nullptr);
    ASSERT_EQ(openTab<SwTimeHighSettingController>(), tab);
    ASSERT_EQ(tab->seg->selectedSegmentIndex(), 1);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 1, 0}));
    const std::string held = lastReply("RQPeriod");
    EXPECT_NE(held.find("<Week>6</Week><STTM>14:00</STTM><EDTM>16:30</EDTM><Type>1</Type>"), std::string::npos) << held;
    EXPECT_EQ(held.find("<Week>6</Week><STTM>14:00</STTM><EDTM>16:30</EDTM><Type>0</Type>"), std::string::npos) << held;

    // Deleted from its row under Saturday, it is gone from the service and
    // stays gone when the parent comes back.
    tab->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 5));
    ASSERT_TRUE(tab->tableView()->commitDelete(NSIndexPath::indexPathForRow(1, 5)));
    settle();
    EXPECT_NE(lastMessage("DLPeriod").find(saturday), std::string::npos) << lastMessage("DLPeriod");
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
    ASSERT_NE(openTab<PhoneHomeViewCtrl>(), nullptr);
    ASSERT_EQ(openTab<SwTimeHighSettingController>(), tab);
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(lastReply("RQPeriod").find("<STTM>14:00</STTM>"), std::string::npos);
}

// Refresh tapped twice, the first list still on its way when the second has
// come and the parent deletes a period from it: the first list, read before
// the deletion, must not bring the period back when it comes.
TEST_F(PhonePeriodsTest, APeriodDeletedWhileAnEarlierRefreshIsOnItsWayStaysDeleted)
{
    service.reply("RQPeriod",
                  "<List><Week>1,2,3,4,5</Week><STTM>08:00</STTM><EDTM>12:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>"
                  "<List><Week>1,2</Week><STTM>13:00</STTM><EDTM>15:00</EDTM><Type>1</Type><Remark></Remark><Holiday>0</Holiday></List>");
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    auto refresh = [&] { return driver.tap(tab->navigationItem()->rightBarButtonItem->barView().get()); };
    service.hold("RQPeriod");
    ASSERT_TRUE(refresh());
    ASSERT_TRUE(service.waitForHeld("RQPeriod"));
    ASSERT_TRUE(refresh());
    // (No settling while the first list is held: its worker is still out.)
    ASSERT_TRUE(driver.pumpUntil([&] { return tab->getTableViewDataCount() == 2; }, 10));
    driver.advanceClock(3.5);
    tab->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 1));  // Tuesday opens
    ASSERT_TRUE(tab->tableView()->commitDelete(NSIndexPath::indexPathForRow(2, 1)));  // 13:00 to 15:00
    ASSERT_TRUE(driver.pumpUntil([&] { return tab->getTableViewDataCount() == 1; }, 10));
    driver.advanceClock(3.5);

    const size_t reads = exchangesOf("RQPeriod");
    service.release("RQPeriod");
    settle();
    EXPECT_EQ(exchangesOf("RQPeriod"), reads);
    ASSERT_EQ(tab->getTableViewDataCount(), 1);
    EXPECT_EQ(tab->periods()[0]->titleStr(), NSString("08:00"));
    EXPECT_EQ(rowsPerDay(tab), (std::vector<NSInteger>{1, 1, 1, 1, 1, 0, 0}));
}

TEST_F(PhonePeriodsTest, AHomeManagedPhoneShowsTheHourGridWithoutTheChoice)
{
    ASSERT_NE(openPhone(), nullptr);
    auto* tab = openTab<SwTimeHighSettingController>();
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->seg->hidden());
    EXPECT_FALSE(tab->lblHomeTitle->hidden());
    EXPECT_EQ(tab->navigationItem()->title, NSString("timehightctrl_timesetting"));
    UIView* grid = tab->setHomeView->viewWithTag(SwTimeHighSettingController::kTimeLimitTag);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(tab->setSchoolView->superview(), nullptr);

    // The grid loads the phone's week and puts its loading message away...
    EXPECT_EQ(exchangesOf("RQGamePeriod"), 1u);
    EXPECT_EQ(driver.findView([&](UIView& v) { return dynamic_cast<ProgressHUD*>(&v) && v.isDescendantOfView(grid); }), nullptr);
    // ...and a tap on an hour changes it.
    auto* hour = dynamic_cast<CustomButton*>(grid->viewWithTag(TimeLimitViewController::kFirstHourTag + 10));
    ASSERT_NE(hour, nullptr);
    const unsigned before = hour->stat();
    ASSERT_TRUE(driver.tap(hour));
    EXPECT_NE(hour->stat(), before);
}

// The home side's hour grid saves the phone's week: an hour forbidden and
// saved is forbidden on the service and when the parent comes back to the tab.
TEST_F(PhonePeriodsTest, AnHourForbiddenOnTheHomeSideIsSavedAndShownOnReturn)
{
    ASSERT_NE(openPhone(), nullptr);
    auto* tab = openTab<SwTimeHighSettingController>();
    ASSERT_NE(tab, nullptr);
    auto grid = [&] { return tab->setHomeView->viewWithTag(SwTimeHighSettingController::kTimeLimitTag); };
    auto hour = [&](int h) { return dynamic_cast<CustomButton*>(grid()->viewWithTag(TimeLimitViewController::kFirstHourTag + h)); };
    ASSERT_NE(hour(10), nullptr);
    const unsigned before = hour(10)->stat();
    ASSERT_TRUE(driver.tap(hour(10)->btn()));
    const unsigned after = hour(10)->stat();
    ASSERT_NE(after, before);
    auto* controller = dynamic_cast<TimeLimitViewController*>(grid()->viewController());
    ASSERT_NE(controller, nullptr);
    const NSInteger today = controller->daySelected->selectedSegmentIndex();
    UIToolbar* bar = driver.find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(grid()); });
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(driver.tap(bar->items().back()->barView().get()));
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("UDGamePeriod") > 0; }, 10));
    settle();
    const std::string saved = lastMessage("UDGamePeriod");
    const size_t at = saved.find("<GamePeriod>");
    ASSERT_NE(at, std::string::npos);
    const std::string week = saved.substr(at + 12, 839);
    EXPECT_EQ(NSString(week.substr(static_cast<size_t>(today * 24 + 10) * 5, 4)),
              TimeLimitViewController::formatTimeSetFromInt(after, 1));

    ASSERT_NE(openTab<PhoneHomeViewCtrl>(), nullptr);
    ASSERT_EQ(openTab<SwTimeHighSettingController>(), tab);
    ASSERT_NE(hour(10), nullptr);
    EXPECT_EQ(hour(10)->stat(), after);
    EXPECT_NE(lastReply("RQGamePeriod").find(week), std::string::npos) << "the service holds the week saved";
}

class PhonePeriodsSnapshot : public PhonePeriodsTest {
protected:
    PhonePeriodsSnapshot() : PhonePeriodsTest(true) {}
};

TEST_F(PhonePeriodsSnapshot, SchoolPeriods)
{
    SwTimeHighSettingController* tab = openSchoolSide();
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(snapshot::viewMatchesExpected(app()->window.get(), "tests/phone/snapshots/periods"));
}

}  // namespace
