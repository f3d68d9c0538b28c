// The day's access records: two pages of records loaded 20 at a time, the
// black-list question behind each row, and another day from the calendar.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/ListViewController.h"
#include "pc/RecordListView.h"
#include "platform/uikit/UIPickerView.h"
#include "protocol/Internet.h"
#include "tests/pc/PCRecordFixture.h"

namespace {

class RecordListViewTest : public PCRecordFixture {
protected:
    bool open()
    {
        screen = UIViewController::init<RecordListView>();
        nav = UINavigationController::initWithRootViewController(screen);
        driver->show(nav);
        return driver->pumpUntil([&] { return loaded(screen->urlView()) && loaded(screen->gameView()); }, 10);
    }
    static bool loaded(RecordPageController* page) { return page && !page->fetching() && !page->list.empty(); }
    std::vector<std::string> daysAsked(const std::string& type) const
    {
        std::vector<std::string> days;
        for (const auto& e : sent(type)) {
            const auto at = e.message.find("<DataDate>");
            days.push_back(at == std::string::npos ? "" : e.message.substr(at + 10, 10));
        }
        return days;
    }

    std::shared_ptr<RecordListView> screen;
};

}  // namespace

TEST(RecordListViewPages, ThePageInViewSwitchesAtHalfAWidth)
{
    const struct {
        CGFloat x, w;
        int page;
    } cases[] = {{0, 320, 0}, {159, 320, 0}, {160, 320, 1}, {320, 320, 1}, {100, 0, 0}, {100, -5, 0}};
    for (const auto& c : cases) EXPECT_EQ(RecordListView::pageAt(c.x, c.w), c.page) << c.x << " " << c.w;
}

TEST_F(RecordListViewTest, BothPagesLoadTheirDayAndTheMoreRowBringsTheNextPageOnce)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(screen->title(), "2026-12-07");
    auto* web = screen->urlView();
    EXPECT_EQ(web->list.size(), 20u);
    EXPECT_TRUE(web->marker);
    EXPECT_EQ(screen->gameView()->list.size(), 20u);

    UITableView* table = web->tableView();
    driver->scrollTo(table, CGPointMake(0, table->contentSize().height - table->bounds().size.height));
    ASSERT_TRUE(driver->pumpUntil([&] { return web->list.size() == 40 && !web->fetching(); }, 10));
    table->layoutSubviews();
    EXPECT_EQ(sent("RQUrlAccess").size(), 2u) << "one load per display of the more row while one runs";

    // A program without a publisher shows it as unknown (the fifth record).
    auto* games = screen->gameView()->tableView();
    auto cell = std::dynamic_pointer_cast<GameViewCell>(games->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(4, 0)));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->authorLabel->text(), L("gameviewctrl_didnotknow"));
    // Every text of the row stands out from the black page.
    for (UILabel* l : {cell->gameNameLabel.get(), cell->procNameLabel.get(), cell->authorLabel.get(), cell->numLabel.get()}) {
        SCOPED_TRACE(l->text().str());
        const UIColor& c = *l->textColor;
        EXPECT_GE(0.299 * c.red + 0.587 * c.green + 0.114 * c.blue, 0.6);
    }

    // reload: starts the programs again from the first page.
    screen->gameView()->reload(nullptr);
    ASSERT_TRUE(driver->pumpUntil([&] { return sent("RQGameAccess").size() == 2 && loaded(screen->gameView()); }, 10));
    EXPECT_EQ(screen->gameView()->list.size(), 20u);
    EXPECT_NE(sent("RQGameAccess").back().message.find("<PageIndex>1</PageIndex>"), std::string::npos);
}

TEST_F(RecordListViewTest, ADetailButtonPutsTheSiteOnTheBlackListAfterTheQuestion)
{
    ASSERT_TRUE(open());
    auto* web = screen->urlView();
    web->tableView()->tapAccessoryButton(NSIndexPath::indexPathForRow(0, 0));
    auto* alert = dynamic_cast<UIAlertView*>(driver->visibleAlert());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message, NSString::stringWithFormat("%@\"site-001.example.com\"%@", L("urlviewctrl_willset"),
                                                          L("urlviewctrl_toforbiddenlist")));
    // A reload meanwhile does not change what is added.
    driver->pressAlertButton(0);
    web->reload();
    ASSERT_TRUE(driver->pumpUntil([&] { return !sent("ADUrlRuleSelf").empty(); }, 10));
    EXPECT_NE(body(sent("ADUrlRuleSelf").back()).find("<UrlBlack>site-001.example.com</UrlBlack>"), std::string::npos);
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
    EXPECT_EQ(model.webRules("1001").back().site, "site-001.example.com");
}

TEST_F(RecordListViewTest, ADayFromTheCalendarReloadsBothPagesFromTheirFirstPage)
{
    ASSERT_TRUE(open());
    screen->dateChanged(nullptr);
    ASSERT_NE(driver->visibleAlert(), nullptr);
    auto* picker = driver->find<UIDatePicker>();
    ASSERT_NE(picker, nullptr);
    picker->pick(kMonday0900 - 86400);
    driver->pressAlertButton(0);
    // Both pages ask on workers of their own; either may answer first.
    ASSERT_TRUE(driver->pumpUntil([&] {
        return daysAsked("RQGameAccess").size() == 2 && loaded(screen->gameView()) &&
               daysAsked("RQUrlAccess").size() == 2 && loaded(screen->urlView());
    }, 10));
    EXPECT_EQ(screen->dateLabel->text(), "2026-12-06");
    EXPECT_EQ(daysAsked("RQUrlAccess"), (std::vector<std::string>{"2026-12-07", "2026-12-06"}));
    EXPECT_EQ(screen->urlView()->currentPage, 1);
}
