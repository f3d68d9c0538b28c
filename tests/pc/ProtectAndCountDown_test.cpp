// The protect-mode screen and the lock-screen countdown, hosted by the time
// tab, driven against the double.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/PCTimeCommon.h"
#include "pc/ProtectSettingViewController.h"
#include "pc/TimeSetViewController.h"
#include "platform/foundation/NSPropertyList.h"
#include "tests/pc/PCTimeFixture.h"
#include "tools/snapshot/Snapshot.h"

namespace {

class ProtectMode : public PCTimeFixture {
protected:
    void open()
    {
        clearLog();
        screen = UIViewController::init<ProtectSettingViewController>();
        nav = UINavigationController::initWithRootViewController(screen);
        driver->show(nav);
        ASSERT_TRUE(waitFor("RQTimeConfig"));
        ASSERT_TRUE(driver->pumpUntil([&] { return logged("isScreenHold"); }));
    }
    std::string lastBody(const std::string& type) const
    {
        auto all = sent(type);
        return all.empty() ? std::string() : all.back().message.substr(all.back().message.find("<BODY>"));
    }
    void TearDown() override
    {
        screen.reset();
        PCTimeFixture::TearDown();
    }
    std::shared_ptr<ProtectSettingViewController> screen;
};

}  // namespace

TEST_F(ProtectMode, LockingTheScreenIsWhatTheServiceKeeps)
{
    rules.setConfig(kDevice, {"0", "-1", "0", "0", ""});  // cut network only
    open();
    EXPECT_TRUE(screen->netStop->on());
    EXPECT_FALSE(screen->screenHold->on());

    ASSERT_TRUE(driver->tap(screen->netStop.get()));
    ASSERT_TRUE(driver->tap(screen->screenHold.get()));
    settle();
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/protect-mode"));
    ASSERT_TRUE(driver->tap(screen->btnSave.get()));
    ASSERT_TRUE(waitFor("UDTimeConfig"));
    ASSERT_TRUE(driver->pumpUntil([&] { return hudText(screen->view().get()) == L("serviceBackMessage_ok"); }));
    EXPECT_NE(lastBody("UDTimeConfig").find("<CmdType>1</CmdType>"), std::string::npos);
    EXPECT_EQ(rules.config(kDevice).cmdType, "1");
    settle();

    // Opened again, the screen shows what the service now has.
    open();
    EXPECT_FALSE(screen->netStop->on());
    EXPECT_TRUE(screen->screenHold->on());
}

TEST_F(ProtectMode, NoModeIsRefusedAndAnUnsuccessfulReplyIsAFailure)
{
    rules.setConfig(kDevice, {"-1", "-1", "0", "0", ""});
    open();
    EXPECT_FALSE(screen->netStop->on());
    EXPECT_FALSE(screen->screenHold->on());
    ASSERT_TRUE(driver->tap(screen->btnSave.get()));
    EXPECT_EQ(hudText(screen->view().get()), L("protectsettingviewctrl_limitonemode"));
    driver->advanceClock(0.5);  // the notice stays half a second
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sent("UDTimeConfig").empty());

    service.on("UDTimeConfig", [](const servicedouble::Exchange& e) {
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<Code>0</Code><Desc>处理中</Desc>")};
    });
    ASSERT_TRUE(driver->tap(screen->netStop.get()));
    ASSERT_TRUE(driver->tap(screen->btnSave.get()));
    ASSERT_TRUE(waitFor("UDTimeConfig"));
    ASSERT_TRUE(driver->pumpUntil([&] { return hudText(screen->view().get()) == L("serviceBackMessage_failed"); }));
    EXPECT_NE(lastBody("UDTimeConfig").find("<CmdType>0</CmdType>"), std::string::npos);
    settle();
}

namespace {

class CountDown : public PCTimeFixture {
protected:
    void SetUp() override
    {
        PCTimeFixture::SetUp();
        showTab();
        ASSERT_TRUE(waitFor("RQTimeConfig") && settle());
    }
    // The countdown placed in the tab, as its host side expects it.
    std::shared_ptr<TimeLenSetting> place()
    {
        if (auto* old = tab->view()->viewWithTag(TimeSetViewController::kCountDownTag)) old->removeFromSuperview();
        auto view = TimeLenSetting::initWithFrame(CGRectMake(0, 70, 320, 291));
        view->setTag(TimeSetViewController::kCountDownTag);
        view->delegate = tab;
        // As leaving the hours page does: its sync bar leaves the navigation bar.
        tab->navigationItem()->titleView = nullptr;
        tab->view()->addSubview(view);
        driver->layout();
        return view;
    }
    std::vector<NSString> file() const
    {
        return PlistValue::arrayWithContentsOfFile(TimeLenSetting::countDownFile()).stringArray().value_or(std::vector<NSString>{});
    }
    std::string sttm(const servicedouble::Exchange& e) const
    {
        const auto a = e.message.find("<STTM>") + 6;
        return e.message.substr(a, e.message.find("</STTM>") - a);
    }
};

}  // namespace

TEST_F(CountDown, StartsIsStoredSurvivesARestartAndIsRemoved)
{
    auto view = place();
    EXPECT_EQ(view->digits(), NSString("00:00"));
    EXPECT_EQ(view->timeInfoStr(), L("timelensetting_info"));

    // The row asks for a length; the picker refuses less than five minutes.
    auto* table = dynamic_cast<UITableView*>(view->viewWithTag(TimeLenSetting::kTableTag));
    table->tapRow(NSIndexPath::indexPathForRow(0, 0));
    auto picker = std::dynamic_pointer_cast<TimeSelectViewController>(nav->topViewController());
    ASSERT_NE(picker, nullptr);
    auto* wheel = dynamic_cast<UIDatePicker*>(picker->view()->viewWithTag(TimeSelectViewController::kPickerTag));
    wheel->pick(240);
    ASSERT_TRUE(driver->tap(driver->buttonWithTitle(L("timeselectviewctrl_submit"))));
    auto* alert = dynamic_cast<UIAlertView*>(driver->visibleAlert());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message, L("timeselectviewctrl_timesettinglimit"));
    driver->pressAlertButton(0);
    wheel->pick(5400);
    settle();
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/countdown-picker"));
    ASSERT_TRUE(driver->tap(driver->buttonWithTitle(L("timeselectviewctrl_submit"))));
    EXPECT_EQ(nav->topViewController(), tab);

    // 1 h 30 from 09:00: the digits, the file, the lock at 10:30, the edit button.
    EXPECT_EQ(view->digits(), NSString("01:30"));
    EXPECT_TRUE(view->counting());
    ASSERT_EQ(file().size(), 3u);
    EXPECT_EQ(file()[0], NSString("5400.000000"));
    EXPECT_EQ(file()[1].longLongValue(), static_cast<long long>(NSDate::date().timeIntervalSinceReferenceDate()));
    ASSERT_TRUE(waitFor("ADCmd"));
    EXPECT_EQ(sttm(sent("ADCmd")[0]), "2026-12-07 10:30");
    // The tab's edit button puts the row into editing and out again.
    auto* row = dynamic_cast<UITableView*>(view->viewWithTag(TimeLenSetting::kTableTag));
    ASSERT_TRUE(tapItem(tab->navigationItem()->rightBarButtonItem));
    EXPECT_TRUE(row->editing());
    ASSERT_TRUE(tapItem(tab->navigationItem()->rightBarButtonItem));
    EXPECT_FALSE(row->editing());
    settle();

    // Ten and a half minutes on, a new view resumes from the file (the
    // half minute keeps the whole-second reading off a minute's edge).
    driver->advanceClock(630 - 2);
    view = place();
    EXPECT_EQ(view->digits(), NSString("01:19"));
    EXPECT_TRUE(view->counting());
    driver->advanceClock(60);
    EXPECT_EQ(view->digits(), NSString("01:18"));

    // Removed: 00:00, a zero-length file, and only the withdrawal goes out.
    ASSERT_TRUE(table = dynamic_cast<UITableView*>(view->viewWithTag(TimeLenSetting::kTableTag)));
    ASSERT_TRUE(table->commitDelete(NSIndexPath::indexPathForRow(0, 0)));
    EXPECT_EQ(view->digits(), NSString("00:00"));
    EXPECT_FALSE(view->counting());
    EXPECT_EQ(file()[0], NSString("0.000000"));
    ASSERT_TRUE(waitFor("DLCmd"));
    settle();
    EXPECT_EQ(sent("ADCmd").size(), 1u) << "a removal never locks the PC";
    EXPECT_EQ(tab->navigationItem()->rightBarButtonItem, nullptr);
    EXPECT_FALSE(place()->counting()) << "a zero length never resumes";
}

TEST_F(CountDown, CountsDownByTheMinuteAndIgnoresMalformedFiles)
{
    auto view = place();
    tab->setCountDownTimeShow(5400);
    ASSERT_TRUE(waitFor("ADCmd"));
    settle();
    for (int i = 0; i < 89; ++i) driver->advanceClock(60);
    EXPECT_EQ(view->digits(), NSString("00:01"));
    driver->advanceClock(60);
    EXPECT_EQ(view->digits(), NSString("00:00"));
    EXPECT_EQ(view->timeInfoStr(), L("timelensetting_info"));
    EXPECT_FALSE(view->counting());

    // Saved 59 min 30 s ago for an hour: 30 s left, not resumed.
    const long long now = static_cast<long long>(NSDate::date().timeIntervalSinceReferenceDate());
    auto write = [&](std::vector<NSString> entries) { PlistValue(entries).writeToFile(TimeLenSetting::countDownFile(), true); };
    write({"3600.000000", NSString::stringWithFormat("%lld", now - 3570), "3600.000000"});
    EXPECT_FALSE(place()->counting());
    write({"3600.000000", NSString::stringWithFormat("%lld", now - 600)});
    EXPECT_FALSE(place()->counting()) << "two entries";
    PlistValue(PlistValue::Array{PlistValue(3600), PlistValue(1), PlistValue(3600)}).writeToFile(TimeLenSetting::countDownFile(), true);
    EXPECT_FALSE(place()->counting()) << "numbers instead of strings";
    write({"3600.000000", NSString::stringWithFormat("%lld", now - 600), "3600.000000"});
    view = place();
    EXPECT_EQ(view->digits(), NSString("00:50"));
    view->setTimeLabelValue(-30);
    EXPECT_EQ(view->digits(), NSString("00:00"));
}
