// The records tab, the record list, the record detail and the black lists
// driven as a parent uses them, against the double that keeps the PC's day
// records (in pages) and black lists.
#include <gtest/gtest.h>

#include <set>

#include "app/PCTimeCommon.h"
#include "pc/LimitViewController.h"
#include "pc/ListViewController.h"
#include "pc/PCRecordCommon.h"
#include "pc/RecordDetailInfoView.h"
#include "pc/SwRecordHomeViewController.h"
#include "protocol/Constant.h"
#include "protocol/Internet.h"
#include "protocol/UserRule.h"
#include "tests/pc/PCRecordFixture.h"
#include "tests/pc/ScreenLint.h"
#include "tools/snapshot/Snapshot.h"

namespace {

class PCRecords : public PCRecordFixture {
protected:
    void SetUp() override
    {
        PCRecordFixture::SetUp();
        Constant::setServerTime("2026-12-07 08:55:00");
    }

    // The records tab with a search of the kind on today.
    ListViewController* search(int kind)
    {
        tab_ = showTabNamed<SwRecordHomeViewController>("SwRecordHomeViewController");
        if (!tab_) return nullptr;
        if (kind) tapSegment(dynamic_cast<UISegmentedControl*>(tab_->view()->viewWithTag(SwRecordHomeViewController::kSegmentTag)), kind);
        driver->tap(driver->buttonWithTitle(L("swrechomeviewctrl_searchrec")));
        driver->advanceClock(1);
        return top<ListViewController>();
    }
    // Scrolls the list to its end and waits for the page that this asks for.
    bool scrollToEnd(ListViewController* list)
    {
        UITableView* table = list->tableview.get();
        driver->scrollTo(table, CGPointMake(0, std::max<CGFloat>(0, table->contentSize().height - table->bounds().size.height)));
        return driver->pumpUntil([&] { return !list->fetching(); }, 10);
    }
    // The page numbers the exchanges of a TYPE asked for, in order.
    std::vector<int> pagesAsked(const std::string& type) const
    {
        std::vector<int> pages;
        for (const auto& e : sent(type)) {
            const auto at = e.message.find("<PageIndex>");
            pages.push_back(at == std::string::npos ? 0 : std::atoi(e.message.c_str() + at + 11));
        }
        return pages;
    }
    // The black lists pushed from the tab's link, loaded.
    LimitViewController* openBlackLists()
    {
        // The day picker covers the link's left part; its right end takes the finger.
        UIView* link = tab_->view()->viewWithTag(SwRecordHomeViewController::kBlackListButtonTag);
        driver->tapAt(link->convertPoint(CGPointMake(link->bounds().size.width - 6, 12), nullptr));
        driver->advanceClock(1);
        auto* limits = top<LimitViewController>();
        if (!limits || !driver->pumpUntil([&] { return !limits->webList().rules.empty(); }, 10)) return nullptr;
        driver->advanceClock(2);
        return limits;
    }
    static std::vector<std::string> sites(const std::vector<servicedouble::WebRule>& rules)
    {
        std::vector<std::string> out;
        for (const auto& r : rules) out.push_back(r.site);
        return out;
    }

    std::shared_ptr<SwRecordHomeViewController> tab_;
};

}  // namespace

TEST(RecordDayWindow, TheServersDayAndTheTwoBeforeItAreSearched)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    Constant::setServerTime("2012-05-10 10:00:00");
    for (auto [day, accepted] : std::vector<std::pair<const char*, bool>>{
             {"2012-05-10", true}, {"2012-05-09", true}, {"2012-05-08", true}, {"2012-05-07", false}, {"2012-05-11", false}, {"", false}})
        EXPECT_EQ(inRecordDayWindow(day), accepted) << day;
    // A server time that is no day falls back to today.
    Constant::setServerTime("soon");
    EXPECT_TRUE(inRecordDayWindow(Constant::currentTime().substringToIndex(10)));
    EXPECT_EQ(clockPartOfVisit("2012-05-10 14:03:22"), " 14:03:22");
    EXPECT_EQ(clockPartOfVisit("14:03"), "14:03");
}

TEST_F(PCRecords, WebRecordsScrolledToTheEndFiveTimesHoldEveryRowOnce)
{
    auto* list = search(0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->list().size(), 20u);
    EXPECT_TRUE(list->hasMoreRow());
    EXPECT_EQ(list->totalRecord(), servicedouble::PCModel::kWebRecords);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/record-list"));

    for (int scroll = 1; scroll <= 5; ++scroll) ASSERT_TRUE(scrollToEnd(list)) << scroll;
    EXPECT_FALSE(list->hasMoreRow());
    std::set<std::string> urls;
    for (const auto& item : list->list()) urls.insert(std::dynamic_pointer_cast<InternetMessage>(item)->url().str());
    EXPECT_EQ(list->list().size(), size_t(servicedouble::PCModel::kWebRecords));
    EXPECT_EQ(urls.size(), size_t(servicedouble::PCModel::kWebRecords)) << "no row twice";
    EXPECT_EQ(pagesAsked("RQUrlAccess"), (std::vector<int>{1, 2, 3, 4, 5, 6})) << "no page skipped or asked twice";
    ASSERT_TRUE(scrollToEnd(list));
    EXPECT_EQ(sent("RQUrlAccess").size(), 6u) << "the end asks for nothing more";

    // Refresh starts again from the first page.
    ASSERT_TRUE(tapItem(list->navigationItem()->rightBarButtonItem));
    ASSERT_TRUE(driver->pumpUntil([&] { return !list->fetching(); }, 10));
    EXPECT_EQ(list->list().size(), 20u);
    EXPECT_EQ(pagesAsked("RQUrlAccess").back(), 1);
}

TEST_F(PCRecords, ADetailPutsItsSiteOnTheBlackListWhichShowsItAndDeletesIt)
{
    auto* list = search(0);
    ASSERT_NE(list, nullptr);
    list->tableview->tapRow(NSIndexPath::indexPathForRow(0, 0));
    driver->advanceClock(1);
    auto* detail = top<RecordDetailInfoView>();
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->dataStruct()->ename(), "site-001.example.com");
    EXPECT_EQ(detail->dataStruct()->logo_or(), "url");
    ASSERT_TRUE(driver->pumpUntil([&] { return detail->picture()->image && detail->picture()->image->size().width == 640; }, 10))
        << "the record's picture from the double";
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/record-detail"));

    ASSERT_TRUE(driver->tap(detail->addButton()));
    driver->pumpUntil([&] { return !hudText(detail->view().get()).isNil(); }, 5);
    EXPECT_EQ(hudText(detail->view().get()), L("recdetailinfoview_setsuccess"));
    EXPECT_EQ(sites(model.webRules(kDevice)).back(), "site-001.example.com");
    driver->advanceClock(2.0);

    nav->popToRootViewControllerAnimated(false);
    auto* limits = openBlackLists();
    ASSERT_NE(limits, nullptr);
    ASSERT_EQ(limits->webList().rules.size(), 3u);
    EXPECT_EQ(limits->webList().rules.back()->typeId(), "site-001.example.com");
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});  // the added address is not cut
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/black-list"));

    ASSERT_TRUE(limits->myTableview->commitDelete(NSIndexPath::indexPathForRow(2, 0)));
    EXPECT_NE(body(sent("DLUrlRuleSelf").back()).find("<UrlBlack>site-001.example.com</UrlBlack>"), std::string::npos);
    EXPECT_EQ(sites(model.webRules(kDevice)), (std::vector<std::string>{"games.example.com", "video.example.net"}));
    EXPECT_EQ(limits->webList().rules.size(), 2u);
}

TEST_F(PCRecords, ATypedAddressIsCheckedCleanedAndSentEscaped)
{
    ASSERT_NE(search(0), nullptr);
    nav->popToRootViewControllerAnimated(false);
    auto* limits = openBlackLists();
    ASSERT_NE(limits, nullptr);
    auto add = [&](const char* text) {
        driver->tap(limits->addButton.get());
        driver->type(limits->addField(), text);
        return driver->pressAlertButton(0);
    };
    driver->tap(limits->addButton.get());
    driver->type(limits->addField(), "WWW.Ex.COM/www.a&b");
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/add-rule"));
    ASSERT_TRUE(driver->pressAlertButton(0));
    EXPECT_NE(body(sent("ADUrlRuleSelf").back()).find("<UrlBlack>ex.com/a&amp;b</UrlBlack>"), std::string::npos);
    EXPECT_EQ(sites(model.webRules(kDevice)).back(), "ex.com/a&b");
    EXPECT_EQ(limits->webList().rules.back()->typeName(), "ex.com/a&b");
    driver->advanceClock(2.0);

    const size_t sentBefore = sent("ADUrlRuleSelf").size();
    ASSERT_TRUE(add("no address"));
    ASSERT_TRUE(add("www.zazo-family.example"));
    ASSERT_TRUE(add("www.www."));
    EXPECT_NE(driver->visibleAlert(), nullptr) << "the empty address alert";
    EXPECT_EQ(sent("ADUrlRuleSelf").size(), sentBefore) << "nothing refused is sent";
}

TEST_F(PCRecords, TheWebBlackListEndsWhenItsNextPageRepeatsTheRules)
{
    std::vector<servicedouble::WebRule> twenty;
    for (int i = 1; i <= 20; ++i) twenty.push_back({"blocked-" + std::to_string(i) + ".example.com", "Games", "Blocked"});
    model.setWebRules(kDevice, twenty);
    ASSERT_NE(search(0), nullptr);
    nav->popToRootViewControllerAnimated(false);
    auto* limits = openBlackLists();
    ASSERT_NE(limits, nullptr);
    EXPECT_TRUE(limits->webList().loadingRow);
    // The loading row's display asks again; the same twenty rules end the list.
    limits->myTableview->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(20, 0), UITableViewScrollPositionBottom, false);
    ASSERT_TRUE(driver->pumpUntil([&] { return !limits->webList().loadingRow && !limits->webList().fetching; }, 10));
    EXPECT_EQ(limits->webList().rules.size(), 20u);
    EXPECT_EQ(sent("RQUrlRuleSelf").size(), 2u);
}

TEST_F(PCRecords, TheSoftwareLinkOpensTheProgramListWithoutTheAddButton)
{
    ASSERT_NE(search(1), nullptr);
    EXPECT_EQ(sent("RQGameAccess").size(), 1u);
    EXPECT_EQ(top<ListViewController>()->type(), 7);
    nav->popToRootViewControllerAnimated(false);
    auto* limits = openBlackLists();
    ASSERT_NE(limits, nullptr);
    EXPECT_EQ(limits->webOrSoft->selectedSegmentIndex(), 1);
    EXPECT_TRUE(limits->addButton->hidden());
    ASSERT_EQ(limits->softList().rules.size(), 1u);
    ASSERT_TRUE(limits->myTableview->commitDelete(NSIndexPath::indexPathForRow(0, 0)));
    EXPECT_NE(body(sent("DLGameRuleSelf").back()).find("<Path>C:\\Games\\blaster.exe</Path>"), std::string::npos);
    EXPECT_TRUE(model.gameRules(kDevice).empty());
}

TEST_F(PCRecords, ADayOutsideTheWindowIsRefusedAndCapturesOpenTheirList)
{
    tab_ = showTabNamed<SwRecordHomeViewController>("SwRecordHomeViewController");
    ASSERT_NE(tab_, nullptr);
    auto* picker = dynamic_cast<UIDatePicker*>(tab_->view()->viewWithTag(SwRecordHomeViewController::kDatePickerTag));
    picker->pick(kMonday0900 - 3 * 86400);
    EXPECT_EQ(tab_->selectDate_, "2026-12-04");
    driver->tap(driver->buttonWithTitle(L("swrechomeviewctrl_searchrec")));
    EXPECT_NE(driver->visibleAlert(), nullptr);
    EXPECT_TRUE(sent("RQUrlAccess").empty());
    driver->pressAlertButton(0);

    tapSegment(dynamic_cast<UISegmentedControl*>(tab_->view()->viewWithTag(SwRecordHomeViewController::kSegmentTag)), 2);
    EXPECT_TRUE(tab_->view()->viewWithTag(SwRecordHomeViewController::kBlackListButtonTag)->hidden());
    picker->pick(kMonday0900 - 86400);
    driver->tap(driver->buttonWithTitle(L("swrechomeviewctrl_searchrec")));
    ASSERT_TRUE(waitFor("RQCapturePic"));
    EXPECT_NE(sent("RQCapturePic").back().message.find("<DataDate>2026-12-06</DataDate>"), std::string::npos);
}

TEST_F(PCRecords, TheAddsWithABlankEndedTypeAreAnsweredAsSent)
{
    auto web = UserUrlRule::init()->ADUrlRuleSelf({"kids.example.org"});
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->code(), "0");
    auto program = std::make_shared<UserGameRuleMessage>();
    program->setGameName("Block Town");
    program->setProcName("blocktown.exe");
    auto soft = UserGameRule::init()->ADGameRuleSelf({program});
    ASSERT_NE(soft, nullptr);
    EXPECT_EQ(soft->code(), "0");
    const auto all = service.exchanges();
    for (const char* type : {"<TYPE>ADUrlRuleSelf </TYPE>", "<TYPE>ADGameRuleSelf </TYPE>"})
        EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                [&](const auto& e) { return e.message.find(type) != std::string::npos; }))
            << type;
    EXPECT_EQ(sites(model.webRules("1001")).back(), "kids.example.org");
    EXPECT_EQ(model.gameRules("1001").back().gameName, "Block Town");
}
