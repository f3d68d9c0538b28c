// The PC home page driven as a parent uses it, against the double that keeps
// the PC's status: today's use, the one-key commands, the alert rows.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "app/PCTimeCommon.h"
#include "pc/HomeDetailAlertInfoView.h"
#include "pc/HomeViewCtrl.h"
#include "tests/pc/PCRecordFixture.h"
#include "tests/pc/ScreenLint.h"
#include "tools/snapshot/Snapshot.h"

namespace {

class PCHome : public PCRecordFixture {
protected:
    // The home tab on screen with its first reply applied.
    bool showHome()
    {
        home = showTabNamed<HomeViewCtrl>("HomeViewCtrl");
        return home && driver->pumpUntil([&] { return !home->mTodayUserOpenComputerTime->text().str().empty(); }, 10) &&
               settle();
    }
    std::vector<std::string> commandTypes() const
    {
        std::vector<std::string> types;
        for (const auto& e : sent("ADCmd")) {
            const std::string b = body(e);
            const auto at = b.find("<Type>");
            types.push_back(at == std::string::npos ? "" : b.substr(at + 6, 1));
        }
        return types;
    }

    // The page's loading box fades out once the reply is applied.
    bool loadingEnds()
    {
        auto shown = [&] { return driver->find<LoadingBoxView>([](LoadingBoxView& b) { return !b.boxHidden(); }) != nullptr; };
        for (int step = 0; step < 200 && shown(); ++step) {
            driver->pumpUntil([] { return false; }, 0.02);
            driver->advanceClock(0.1);
        }
        return !shown();
    }

    std::shared_ptr<HomeViewCtrl> home;
};

}  // namespace

TEST(HomeViewCtrlHours, MinutesReadAsHoursAndMinutes)
{
    const NSString h = L("homeviewctrl_hour"), m = L("homeviewctrl_min");
    const struct {
        const char* minutes;
        NSString shown;
    } cases[] = {
        {"150", NSString::stringWithFormat("2 %@ 30 %@", h, m)}, {"120", NSString::stringWithFormat("2 %@", h)},
        {"45", NSString::stringWithFormat("45 %@", m)},          {"0", NSString::stringWithFormat("0 %@", h)},
        {"-5", NSString::stringWithFormat("0 %@", h)},           {"abc", NSString::stringWithFormat("0 %@", h)},
        {"", NSString::stringWithFormat("0 %@", h)},
    };
    for (const auto& c : cases) EXPECT_EQ(HomeViewCtrl::getHourStrByMinStr(c.minutes), c.shown) << c.minutes;
    EXPECT_EQ(HomeViewCtrl::getHourStrByMinStr(NSString()), NSString::stringWithFormat("0 %@", h));
}

TEST_F(PCHome, ShowsTodayAndTheOneKeyCommandsChangeThePC)
{
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString("(null)")), "NickName");
    ASSERT_TRUE(showHome());
    EXPECT_EQ(home->mTodayUserOnline->text(), L("homeviewctrl_online"));
    EXPECT_EQ(home->mTodayUserComputerTotalTime->text(), HomeViewCtrl::getHourStrByMinStr("150"));
    EXPECT_EQ(home->mCurrentOpenRecordFirst->text(), "www.example.edu");
    EXPECT_EQ(dynamic_cast<UILabel*>(home->navigationItem()->titleView.get())->text(), kDevice);
    EXPECT_EQ(home->oneKeyLockScreen->titleForState(UIControlStateNormal), L("homeviewctrl_lockscreen"));
    EXPECT_EQ(home->oneKeyCloseNet->titleForState(UIControlStateNormal), L("homeviewctrl_cutnet"));

    // Lock, cut, then unlock: each tap re-reads the status and sends its command.
    ASSERT_TRUE(driver->tap(home->oneKeyLockScreen.get()));
    driver->pumpUntil([&] { return !hudText(home->view().get()).isNil(); }, 5);
    EXPECT_EQ(hudText(home->view().get()), L("homeviewctrl_setsuccesstolock"));
    EXPECT_EQ(home->oneKeyLockScreen->titleForState(UIControlStateNormal), L("homeviewctrl_unlockscreen"));
    EXPECT_EQ(model.status(kDevice).screenStatus, "1");
    driver->advanceClock(2.0);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(driver->tap(home->oneKeyCloseNet.get()));
    EXPECT_EQ(home->oneKeyCloseNet->titleForState(UIControlStateNormal), L("homeviewctrl_recovernet"));
    ASSERT_TRUE(driver->tap(home->oneKeyLockScreen.get()));
    EXPECT_EQ(commandTypes(), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(model.status(kDevice).screenStatus, "2");
    EXPECT_EQ(model.status(kDevice).networkStatus, "1");
    EXPECT_EQ(sent("RQHomePage").size(), 4u) << "the page load and one status read per command";

    // The page shows the new state on its next load.
    ASSERT_TRUE(tapItem(home->navigationItem()->rightBarButtonItem));
    ASSERT_TRUE(waitFor("RQHomePage", 5));
    ASSERT_TRUE(loadingEnds());
    driver->advanceClock(2.0);  // the last command's message goes
    ASSERT_TRUE(settle());
    EXPECT_TRUE(home->mIsCut);
    EXPECT_FALSE(home->mIsLock);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/pc-home"));
}

TEST_F(PCHome, AnOfflinePCRefusesTheCommandsAndAPCWithoutStatusOffersToUndo)
{
    servicedouble::PCStatus offline;
    offline.isOnline = "0";
    offline.networkStatus = offline.screenStatus = "";
    model.setStatus(kDevice, offline);
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString("Den PC")), "NickName");
    ASSERT_TRUE(showHome());
    // The title names the PC by its nickname when it has one.
    EXPECT_EQ(dynamic_cast<UILabel*>(home->navigationItem()->titleView.get())->text(), "Den PC");
    EXPECT_EQ(home->mTodayUserOnline->text(), L("homeviewctrl_offline"));
    EXPECT_EQ(home->oneKeyLockScreen->titleForState(UIControlStateNormal), L("homeviewctrl_unlockscreen"));
    EXPECT_EQ(home->oneKeyCloseNet->titleForState(UIControlStateNormal), L("homeviewctrl_recovernet"));
    ASSERT_TRUE(driver->tap(home->oneKeyCloseNet.get()));
    driver->pumpUntil([&] { return !hudText(home->view().get()).isNil(); }, 5);
    EXPECT_EQ(hudText(home->view().get()), L("homeviewctrl_offTip"));
    EXPECT_TRUE(sent("ADCmd").empty());
}

TEST_F(PCHome, TheAlertRowsOpenTodaysBlockedVisits)
{
    ASSERT_TRUE(showHome());
    EXPECT_EQ(home->mTopAlertClewLabel->text(),
              NSString::stringWithFormat("%@  %d %@", L("homeviewctrl_todayalert"), 4, L("homeviewctrl_times")));
    UIView* panel = home->mRootScrollView->viewWithTag(HomeViewCtrl::kAlertPanelTag);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->hidden());
    ASSERT_TRUE(driver->tap(home->mRootScrollView->viewWithTag(HomeViewCtrl::kAlertBarButtonTag)));
    EXPECT_FALSE(panel->hidden());
    EXPECT_EQ(home->mRootScrollView->viewWithTag(HomeViewCtrl::kInfoPanelTag)->center().y, 144 + 125);
    // Three rows of 41 points: the kind's caption in light grey, the count in red.
    const char* captions[] = {"homeviewctrl_bloackbadweb", "homeviewctrl_bloackforbidenweb", "homeviewctrl_bloackforbidensoft"};
    UILabel* counts[] = {home->mTopAlertDetailClewFirst.get(), home->mTopAlertDetailClewSecond.get(),
                         home->mTopAlertDetailClewThird.get()};
    // One visit is counted in the singular.
    const char* shown[] = {"1", "2", "1"};
    const char* unit[] = {"homeviewctrl_times_one", "homeviewctrl_times", "homeviewctrl_times_one"};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        auto* caption = dynamic_cast<UILabel*>(driver->viewWithText(L(captions[row])));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->superview(), panel);
        EXPECT_TRUE(CGRectEqualToRect(caption->frame(), CGRectMake(40, 41 * row, 160, 41)));
        EXPECT_TRUE(caption->textColor->isEqual(*UIColor::lightGrayColor()));
        EXPECT_EQ(caption->font->pointSize(), 16);
        EXPECT_EQ(counts[row]->superview(), panel);
        EXPECT_TRUE(CGRectEqualToRect(counts[row]->frame(), CGRectMake(200, 41 * row, 110, 41)));
        EXPECT_TRUE(counts[row]->textColor->isEqual(*UIColor::redColor()));
        EXPECT_EQ(counts[row]->text(), NSString::stringWithFormat("%s %@", shown[row], L(unit[row])));
    }

    ASSERT_TRUE(driver->tap(home->mRootScrollView->viewWithTag(HomeViewCtrl::kFirstAlertRowTag + 1)));
    auto* list = top<HomeDetailAlertInfoView>();
    ASSERT_NE(list, nullptr);
    driver->advanceClock(2.0);  // the push and the page's loading box
    ASSERT_EQ(list->tableDataArray().size(), 2u);
    EXPECT_EQ(list->tableDataArray()[0]->name(), "games.example.com");
    EXPECT_NE(sent("RQCurLimit").back().message.find("<Type>1</Type>"), std::string::npos);
    driver->advanceClock(1.0);
    EXPECT_NE(driver->viewWithText(L("homedetailAlert_web")), nullptr);
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});  // the site names show whole
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/alert-list"));

    driver->tap(dynamic_cast<UIButton*>(list->navigationItem()->leftBarButtonItem->customView.get()));
    driver->advanceClock(1.0);
    ASSERT_EQ(top<HomeViewCtrl>(), home.get());
    ASSERT_TRUE(driver->tap(home->mRootScrollView->viewWithTag(HomeViewCtrl::kFirstAlertRowTag + 2)));
    ASSERT_NE(top<HomeDetailAlertInfoView>(), nullptr);
    EXPECT_EQ(top<HomeDetailAlertInfoView>()->tableDataArray()[0]->name(), "Space Blaster");
}

TEST_F(PCHome, ALateReplyForTheDeviceLeftNeverFillsThePage)
{
    // The first device's page answers only when the test lets it.
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<bool> oldAsked{false};
    service.on("RQHomePage", [&](const servicedouble::Exchange& e) {
        if (body(e).find("PC-OLD") != std::string::npos) {
            oldAsked = true;
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
            return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<IsOnline>0</IsOnline><UsedTime>5</UsedTime><BootTime>old</BootTime>")};
        }
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<IsOnline>1</IsOnline><UsedTime>61</UsedTime><BootTime>new</BootTime>")};
    });
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString("PC-OLD")), "DeviceId");
    home = showTabNamed<HomeViewCtrl>("HomeViewCtrl");
    ASSERT_TRUE(driver->pumpUntil([&] { return oldAsked.load(); }, 10));
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString("PC-NEW")), "DeviceId");
    home->EquipSelectCtrl_DeviceSelecttCallBack(nullptr, nullptr);
    ASSERT_TRUE(driver->pumpUntil([&] { return home->mTodayUserOpenComputerTime->text() == "new"; }, 10));
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
    driver->pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(home->mTodayUserOpenComputerTime->text(), "new");
    EXPECT_EQ(home->mTodayUserOnline->text(), L("homeviewctrl_online"));
}

TEST_F(PCHome, ACommandMakesAPageLoadStillOnItsWayStale)
{
    ASSERT_TRUE(showHome());
    // The reload's status (screen not locked) is held until the lock command is done.
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<int> reads{0};
    service.on("RQHomePage", [&](const servicedouble::Exchange& e) {
        if (reads++ == 0) {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
            return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(
                e, "<IsOnline>1</IsOnline><NetworkStatus>3</NetworkStatus><ScreenStatus>2</ScreenStatus><BootTime>08:00</BootTime>")};
        }
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<IsOnline>1</IsOnline>")};
    });
    // The device chosen again reloads the page without the loading box.
    home->EquipSelectCtrl_DeviceSelecttCallBack(nullptr, nullptr);
    ASSERT_TRUE(driver->pumpUntil([&] { return reads.load() == 1; }, 10));
    ASSERT_TRUE(driver->tap(home->oneKeyLockScreen.get()));
    EXPECT_EQ(home->oneKeyLockScreen->titleForState(UIControlStateNormal), L("homeviewctrl_unlockscreen"));
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
    driver->pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(home->oneKeyLockScreen->titleForState(UIControlStateNormal), L("homeviewctrl_unlockscreen"));
    EXPECT_TRUE(home->mIsLock);
}
