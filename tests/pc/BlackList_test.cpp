// The black lists edited as a parent does: one rule deleted by a swipe or by
// the editing mode's controls, the Edit/Done button, the refresh, and a
// delete-all while a page is still on its way; against the double that keeps
// the PC's black lists, so a deletion shows on the next load.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "app/PCTimeCommon.h"
#include "pc/LimitViewController.h"
#include "pc/SwRecordHomeViewController.h"
#include "pc/TimeLimitViewController.h"
#include "platform/uikit/UITableViewParts.h"
#include "tests/pc/PCRecordFixture.h"
#include "tests/pc/ScreenLint.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/LoadingBoxView.h"

namespace {

class BlackList : public PCRecordFixture {
protected:
    // The black lists, pushed from the records tab's link and loaded; the
    // tab is made once, so a second call opens the lists again from it.
    LimitViewController* open()
    {
        if (!tab_) tab_ = showTabNamed<SwRecordHomeViewController>("SwRecordHomeViewController");
        if (!tab_) return nullptr;
        UIView* link = tab_->view()->viewWithTag(SwRecordHomeViewController::kBlackListButtonTag);
        driver->tapAt(link->convertPoint(CGPointMake(link->bounds().size.width - 6, 12), nullptr));
        driver->advanceClock(1);
        auto* limits = top<LimitViewController>();
        if (!limits || !driver->pumpUntil([&] { return limits->webList().loadingRow || !limits->webList().rules.empty(); }, 10))
            return nullptr;
        driver->advanceClock(2);
        driver->layout();
        return limits;
    }
    UITableViewCell* row(LimitViewController* limits, NSInteger r)
    {
        return limits->myTableview->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(r, 0)).get();
    }
    NSString ruleShown(LimitViewController* limits, NSInteger r)
    {
        UITableViewCell* cell = row(limits, r);
        auto* name = cell ? dynamic_cast<UILabel*>(cell->viewWithTag(20002)) : nullptr;
        return name ? name->text() : NSString();
    }
    bool swipe(LimitViewController* limits, NSInteger r)
    {
        const CGRect f = row(limits, r)->convertRect(row(limits, r)->bounds(), nullptr);
        return driver->swipe(CGPointMake(250, CGRectGetMidY(f)), CGPointMake(120, CGRectGetMidY(f)));
    }
    NSString editTitle(LimitViewController* limits)
    {
        auto item = limits->navigationItem()->rightBarButtonItem;
        auto* button = item ? dynamic_cast<UIButton*>(item->customView.get()) : nullptr;
        return button ? button->titleForState(UIControlStateNormal) : NSString();
    }
    std::vector<std::string> sites() const
    {
        std::vector<std::string> out;
        for (const auto& r : model.webRules(kDevice)) out.push_back(r.site);
        return out;
    }

    std::shared_ptr<SwRecordHomeViewController> tab_;
};

}  // namespace

// The list opens in editing mode: each rule shows its delete control, the
// loading row none; the control brings out Delete, and Delete removes the
// rule on the service and from the list.
TEST_F(BlackList, TheDeleteControlAndItsDeleteButtonRemoveOneRule)
{
    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_EQ(limits->webList().rules.size(), 2u);
    EXPECT_TRUE(limits->myTableview->editing());
    UITableViewCell* second = row(limits, 1);
    ASSERT_NE(second->deleteControl(), nullptr);
    EXPECT_EQ(second->deleteControl()->superview(), second);
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/black-list-editing"));

    ASSERT_TRUE(driver->tap(second->deleteControl()));
    driver->layout();
    ASSERT_TRUE(second->showingDeleteConfirmation());
    // Delete comes out over the row's right end, as on the device.
    EXPECT_EQ(lintFindings(driver->window()),
              std::vector<std::string>{"covered text: UILabel \"Example video\" tag 20002 is under UITableViewCellDeleteButton"});
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/black-list-delete"));
    ASSERT_TRUE(driver->tap(second->deleteButton()));
    EXPECT_NE(body(sent("DLUrlRuleSelf").back()).find("<UrlBlack>video.example.net</UrlBlack>"), std::string::npos);
    EXPECT_EQ(sites(), (std::vector<std::string>{"games.example.com"}));
    ASSERT_EQ(limits->webList().rules.size(), 1u);
    EXPECT_EQ(limits->myTableview->numberOfRowsInSection(0), 1);
    EXPECT_EQ(ruleShown(limits, 0), "Example games");
    EXPECT_TRUE(driver->pumpUntil([&] { return hudText(limits->view().get()) == L("LimitViewctrl_deletesuccess"); }, 10));

    // A deletion the service refuses keeps the rule.
    service.fault("DLUrlRuleSelf", servicedouble::Fault::Http500);
    driver->advanceClock(4.0);  // the message goes after 2 s and fades
    driver->layout();
    ASSERT_TRUE(driver->tap(row(limits, 0)->deleteControl()));
    driver->layout();
    ASSERT_TRUE(driver->tap(row(limits, 0)->deleteButton()));
    EXPECT_EQ(limits->webList().rules.size(), 1u);
    EXPECT_TRUE(driver->pumpUntil([&] { return hudText(limits->view().get()) == L("serviceBackMessage_failed"); }, 10));
}

// Switching lists brings the Edit button, which reads Done while the table
// edits; outside editing mode a swipe offers Delete; the refresh loads the
// lists again from the service, where the deletion holds.
TEST_F(BlackList, TheEditButtonLeavesEditingModeAndASwipedRuleStaysDeletedAfterARefresh)
{
    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    EXPECT_EQ(limits->navigationItem()->rightBarButtonItem, nullptr);
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 1));
    EXPECT_EQ(editTitle(limits), L("LimitViewctrl_complete"));
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 0));
    EXPECT_EQ(editTitle(limits), L("LimitViewctrl_complete"));

    driver->tapBarButtonItem(limits->navigationItem()->rightBarButtonItem.get());
    EXPECT_FALSE(limits->myTableview->editing());
    EXPECT_EQ(editTitle(limits), L("LimitViewctrl_edit"));
    driver->layout();
    EXPECT_EQ(row(limits, 0)->deleteControl() ? row(limits, 0)->deleteControl()->superview() : nullptr, nullptr);

    ASSERT_TRUE(swipe(limits, 0));
    driver->layout();
    ASSERT_TRUE(row(limits, 0)->showingDeleteConfirmation());
    ASSERT_TRUE(driver->tap(row(limits, 0)->deleteButton()));
    EXPECT_EQ(sites(), (std::vector<std::string>{"video.example.net"}));
    driver->pumpUntil([&] { return !hudText(limits->view().get()).isNil(); }, 10);
    driver->advanceClock(4.0);

    const size_t loads = sent("RQUrlRuleSelf").size();
    ASSERT_TRUE(driver->tap(limits->reloadButton.get()));
    ASSERT_TRUE(waitFor("RQUrlRuleSelf", loads + 1));
    ASSERT_TRUE(waitFor("RQGameRuleSelf", 2));
    EXPECT_TRUE(driver->pumpUntil([&] { return ruleShown(limits, 0) == "Example video"; }, 10));
    EXPECT_EQ(limits->myTableview->numberOfRowsInSection(0), 1);

    // With an empty list shown the button goes and editing ends.
    limits->myTableview->setEditing(true);
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 1));
    ASSERT_EQ(limits->softList().rules.size(), 1u) << "the list shown is the one loaded";
    ASSERT_TRUE(driver->tap(limits->delAllButton.get()));
    ASSERT_TRUE(driver->pressAlertButton(0));
    driver->pumpUntil([&] { return !hudText(limits->view().get()).isNil(); }, 10);
    driver->advanceClock(4.0);
    EXPECT_EQ(limits->myTableview->numberOfRowsInSection(0), 0);
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 0));
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 1));
    EXPECT_EQ(limits->navigationItem()->rightBarButtonItem, nullptr);
    EXPECT_FALSE(limits->myTableview->editing());
}

// A delete-all while the loading row's page is still on its way: the page,
// answered by the service before the deletion, is dropped when it arrives,
// so the deleted rules do not come back.
TEST_F(BlackList, APageArrivingAfterADeleteAllIsDropped)
{
    std::string page = "<TotalRecord>20</TotalRecord>";
    std::vector<servicedouble::WebRule> twenty;
    for (int i = 1; i <= 20; ++i) {
        const std::string site = "blocked-" + std::to_string(i) + ".example.com";
        twenty.push_back({site, "Games", "Blocked"});
        page += "<List><UrlBlack>" + site + "</UrlBlack><UrlType>Games</UrlType><UrlName>Blocked</UrlName></List>";
    }
    model.setWebRules(kDevice, twenty);
    auto gate = std::make_shared<std::promise<void>>();
    std::shared_future<void> opened = gate->get_future().share();
    // The second read (the loading row's) waits for the gate with its answer made.
    auto reads = std::make_shared<std::atomic<int>>(0);
    service.on("RQUrlRuleSelf", [page, opened, reads](const servicedouble::Exchange& e) {
        servicedouble::Reply reply{servicedouble::ServiceDouble::innerReply(e, page)};
        if (++*reads == 2) opened.wait_for(std::chrono::seconds(20));
        return reply;
    });
    struct Release {
        std::shared_ptr<std::promise<void>> gate;
        void now()
        {
            if (gate) gate->set_value();
            gate.reset();
        }
        ~Release() { now(); }
    } release{gate};

    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_TRUE(limits->webList().loadingRow);
    driver->drag(limits->myTableview.get(), CGPointMake(0, -600));
    ASSERT_TRUE(driver->pumpUntil([&] { return *reads >= 2; }, 10)) << "the loading row asked for the next page";

    ASSERT_TRUE(driver->tap(limits->delAllButton.get()));
    ASSERT_TRUE(driver->pressAlertButton(0));
    EXPECT_TRUE(model.webRules(kDevice).empty());
    EXPECT_TRUE(limits->webList().fetching) << "the page is still on its way";
    release.now();
    ASSERT_TRUE(driver->pumpUntil([&] { return !limits->webList().fetching; }, 10));
    EXPECT_TRUE(limits->webList().rules.empty());
    EXPECT_EQ(limits->myTableview->numberOfRowsInSection(0), 0);
}

// A rule deleted and a rule added while the refresh's lists are still on
// their way: the lists were read on the service before both changes, so
// their late arrival must neither bring the deleted rule back nor take the
// added one away; leaving and opening the screen again shows what the
// service holds.
TEST_F(BlackList, ChangesMadeWhileARefreshIsOnItsWayStand)
{
    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_EQ(limits->webList().rules.size(), 2u);
    service.hold("RQUrlRuleSelf");
    ASSERT_TRUE(driver->tap(limits->reloadButton.get()));
    ASSERT_TRUE(service.waitForHeld("RQUrlRuleSelf")) << "the refresh's web list is read and held back";

    driver->layout();
    ASSERT_TRUE(driver->tap(row(limits, 1)->deleteControl()));
    driver->layout();
    ASSERT_TRUE(driver->tap(row(limits, 1)->deleteButton()));
    driver->advanceClock(4.0);
    ASSERT_TRUE(driver->tap(limits->addButton.get()));
    ASSERT_TRUE(driver->type(limits->addField(), "news.example.org"));
    ASSERT_TRUE(driver->pressAlertButton(0));
    driver->advanceClock(4.0);
    const std::vector<std::string> held{"games.example.com", "news.example.org"};
    ASSERT_EQ(sites(), held);

    const size_t programReads = sent("RQGameRuleSelf").size();
    service.release("RQUrlRuleSelf");
    ASSERT_TRUE(waitFor("RQGameRuleSelf", programReads + 1));
    auto* box = driver->find<LoadingBoxView>();
    ASSERT_TRUE(driver->pumpUntil([&] { return box->boxHidden() || (box->loadingTimer() && box->loadingTimer()->isValid()); }, 10))
        << "the refresh has ended";
    driver->layout();
    ASSERT_EQ(limits->myTableview->numberOfRowsInSection(0), 2);
    EXPECT_EQ(ruleShown(limits, 0), "Example games");
    EXPECT_EQ(ruleShown(limits, 1), "news.example.org");

    // Left and opened again: the screen shows what the service holds.
    driver->tapBarButtonItem(limits->navigationItem()->leftBarButtonItem.get());
    driver->advanceClock(1);
    limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_EQ(limits->myTableview->numberOfRowsInSection(0), 2);
    EXPECT_EQ(limits->webList().rules[0]->typeId(), "games.example.com");
    EXPECT_EQ(limits->webList().rules[1]->typeId(), "news.example.org");
    EXPECT_EQ(sites(), held);
}

// The web list's time rules: the grid pushed with the whole screen shows
// the sync switch and the choice of the second grid under its toolbar;
// turned on with the web sites' grid chosen, a save sends the week there too.
TEST_F(BlackList, TheTimeRulesGridOffersItsSyncControlsUnderTheToolbar)
{
    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_TRUE(driver->tap(limits->timeButton.get()));
    driver->advanceClock(1);
    auto* grid = top<TimeLimitViewController>();
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(waitFor("RQTimeConfig") && settle());
    driver->advanceClock(5);
    driver->layout();
    ASSERT_TRUE(grid->syncControls->isDescendantOfView(grid->view().get()));
    UIToolbar* bar = driver->find<UIToolbar>([&](UIToolbar& t) { return t.isDescendantOfView(grid->view().get()); });
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(grid->syncControls->frame().origin.y, CGRectGetMaxY(bar->frame()));
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/black-list-time-rules"));

    ASSERT_TRUE(driver->tap(grid->syncWebAndSoft.get()));
    ASSERT_TRUE(tapSegment(grid->sync.get(), 1));  // the week is read again
    ASSERT_TRUE(waitFor("RQTimeConfig", 2) && settle());
    ASSERT_TRUE(driver->tap(grid->hourCell(7)->btn()));
    ASSERT_TRUE(tapItem(bar->items().back()));
    ASSERT_TRUE(waitFor("UDUrlPeriod") && waitFor("UDTimeConfig"));
    settle();
    const std::string week = rules.gamePeriod(kDevice);
    EXPECT_EQ(week.substr(24 * 5 + 7 * 5, 4), "0000") << "Monday 07:00 forbidden";
    EXPECT_EQ(rules.urlPeriod(sent("UDUrlPeriod")[0].sender), week);
}

// Every program rule deleted: the service holds none, and the list opened
// again has none; the web list is untouched.
TEST_F(BlackList, DeletingEveryProgramRuleLeavesNoneOnReopening)
{
    auto* limits = open();
    ASSERT_NE(limits, nullptr);
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 1));
    ASSERT_EQ(limits->softList().rules.size(), 1u);
    ASSERT_TRUE(driver->tap(limits->delAllButton.get()));
    ASSERT_TRUE(driver->pressAlertButton(0));
    driver->advanceClock(4.0);
    EXPECT_TRUE(model.gameRules(kDevice).empty());
    EXPECT_TRUE(driver->pumpUntil([&] { return limits->myTableview->numberOfRowsInSection(0) == 0; }, 10));

    driver->tapBarButtonItem(limits->navigationItem()->leftBarButtonItem.get());
    driver->advanceClock(1);
    limits = open();
    ASSERT_NE(limits, nullptr);
    EXPECT_TRUE(limits->softList().rules.empty());
    ASSERT_TRUE(tapSegment(limits->webOrSoft.get(), 1));
    EXPECT_EQ(limits->myTableview->numberOfRowsInSection(0), 0);
    EXPECT_EQ(sites(), (std::vector<std::string>{"games.example.com", "video.example.net"}));
}
