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
