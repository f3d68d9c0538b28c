// The statistics screens driven against the double: the percentage row, the
// records home with its two category pages and the day picker, the ranking
// with the double's pie chart, and the paged record browser.
#include <gtest/gtest.h>

#include <cmath>

#include "pc/ListViewController.h"
#include "pc/RankingPage.h"
#include "pc/RecordHomeViewController.h"
#include "pc/RecordViewController.h"
#include "pc/StatisticsCommon.h"
#include "app/AppText.h"
#include "http/NXHTTPRequest.h"
#include "platform/cfnetwork/NSURL.h"
#include "protocol/Internet.h"
#include "app/LoginViewController.h"
#include "platform/uikit/UIAlertView.h"
#include "tests/pc/ScreenLint.h"
#include "tests/pc/StatisticsFixture.h"
#include "tools/service-double/ChartImages.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/MonthCalendarView.h"

namespace {

// ---- Percentage rows ---------------------------------------------------------

struct RowCase {
    double percent;
    const char* text;
    double barShare;  // of the full bar
};

std::shared_ptr<PercentView> loadedRow(double percent)
{
    auto row = UIViewController::init<PercentView>();
    row->frame = CGRectMake(0, 0, 320, 44);
    row->title = "Study";
    row->color = UIColor::redColor();
    row->percent = percent;
    row->view();
    return row;
}

TEST(PercentRow, TheBarIsTheShareOfTheFullLengthAndTheLabelItsValue)
{
    auto reference = UIViewController::init<PercentView>();
    reference->loadView();
    const CGRect bar = reference->colorLabel->frame();
    for (const RowCase& c : std::vector<RowCase>{{37.5, "37.50%", 0.375},
                                                 {100, "100.00%", 1},
                                                 {0, "0.00%", 0},
                                                 {150, "150.00%", 1},
                                                 {-5, "-5.00%", 0},
                                                 {std::nan(""), "0.00%", 0},
                                                 {INFINITY, "0.00%", 0}}) {
        SCOPED_TRACE(c.percent);
        auto row = loadedRow(c.percent);
        EXPECT_EQ(row->percentLabel->text(), c.text);
        EXPECT_EQ(row->buttonTitle->text(), "Study");
        EXPECT_EQ(row->colorLabel->frame().origin.x, bar.origin.x - 3);
        EXPECT_EQ(row->colorLabel->frame().size.width, bar.size.width * c.barShare);
        EXPECT_EQ(row->view()->frame().size.width, 320);
    }
}

TEST(PercentRow, TheCodeBuiltBarHoldsSharesOverAHundredToAFullBar)
{
    for (double percent : {150.0, 100.0}) {
        auto bar = PercentWithLabel::initWithFrame(CGRectMake(0, 0, 300, 50), UIColor::greenColor(), percent, "Games");
        // W = 150, H = 40: the bar is W + 20 long, the label reads 100.00%.
        ASSERT_EQ(bar->subviews().size(), 3u);
        EXPECT_EQ(dynamic_cast<UILabel*>(bar->subviews()[0].get())->text(), "100.00%");
        EXPECT_EQ(bar->subviews()[2]->frame().size.width, 170);
        EXPECT_EQ(dynamic_cast<UILabel*>(bar->subviews()[2]->subviews()[0].get())->text(), "Games");
    }
    auto half = PercentWithLabel::initWithFrame(CGRectMake(0, 0, 300, 50), UIColor::greenColor(), 50, "Games");
    EXPECT_EQ(half->subviews()[2]->frame().size.width, 95);
}

TEST(PercentRow, CountsAreReadLeniantlyAndSharesOfANothingAreZero)
{
    EXPECT_EQ(countValue("12"), 12);
    EXPECT_EQ(countValue(" 7 visits"), 7);
    EXPECT_EQ(countValue("x12"), 0);
    EXPECT_EQ(countValue("-5"), 0);
    EXPECT_EQ(countValue(NSString()), 0);
    EXPECT_EQ(countValue("99999999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(shareOf(5, 0), 0);
    // Counts past 32 bits still share exactly.
    EXPECT_EQ(PercentView::percentText(shareOf(3000000000LL, 3000000000LL + 2000000000LL)), "60.00%");
}

// ---- The records home and its pages -----------------------------------------

class RecordsHome : public StatisticsFixture {
protected:
    void open()
    {
        home = UIViewController::init<RecordHomeViewController>();
        nav = UINavigationController::initWithRootViewController(home);
        driver->show(nav);
    }
    // Both pages reported; the loading boxes have faded.
    bool loaded()
    {
        const bool done = driver->pumpUntil([&] { return home->navigationItem()->rightBarButtonItem->enabled; }, 10);
        driver->advanceClock(2);
        return done;
    }
    void TearDown() override
    {
        home.reset();
        StatisticsFixture::TearDown();
    }
    std::vector<std::string> labels(UIView* page)
    {
        std::vector<std::string> out;
        for (auto* row : percentRows(page)) out.push_back(row->percentLabel->text().str() + " " + row->title.str());
        return out;
    }
    std::shared_ptr<RecordHomeViewController> home;
};

TEST_F(RecordsHome, BothPagesShowTheTenLargestCategoriesWithBarsOfTheirShare)
{
    // 25 web categories with counts 1..25; the ten shown are 25..16 (sum 205).
    service.reply("RQUrlTypeBrowse", listBody("Type", numbered("Web", 25, [](int i) { return i; })));
    service.reply("RQGameTypeBrowse", listBody("Type", {{"Games", 30}, {"Study", 10}, {"Office", 25}, {"Chat", 15}}));
    open();
    ASSERT_TRUE(loaded());

    UrlTypeViewController* web = home->utvc.get();
    ASSERT_EQ(web->tableview->numberOfRowsInSection(0), 11);
    EXPECT_EQ(web->totalRecord, 205);
    const auto rows = percentRows(web->view().get());
    ASSERT_GE(rows.size(), 5u);  // the rows in view
    auto reference = UIViewController::init<PercentView>();
    reference->loadView();
    const CGFloat full = reference->colorLabel->frame().size.width;  // the interface file's full bar
    for (size_t i = 0; i < rows.size(); ++i) {
        const long long count = 25 - static_cast<long long>(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i]->title, NSString("Web" + std::to_string(count)));
        EXPECT_EQ(rows[i]->percentLabel->text(), PercentView::percentText(count * 100.0 / 205));
        EXPECT_EQ(rows[i]->colorLabel->frame().size.width, full * shareOf(count, 205) / 100);
        // The row's texts stay in the cell's content area, clear of its
        // disclosure indicator.
        auto* cell = dynamic_cast<UITableViewCell*>(rows[i]->view()->superview());
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->accessoryType, UITableViewCellAccessoryDisclosureIndicator);
        const CGRect content = cell->contentView()->frame();
        for (UILabel* text : {rows[i]->buttonTitle.get(), rows[i]->percentLabel.get()}) {
            const CGRect inCell = text->convertRect(text->bounds(), cell);
            EXPECT_GE(inCell.origin.x, content.origin.x);
            EXPECT_LE(CGRectGetMaxX(inCell), CGRectGetMaxX(content));
        }
    }
    EXPECT_EQ(web->imgURL, "25,24,23,22,21,20,19,18,17,16,");

    // The software page's base is every entry of the reply: 80.
    EXPECT_EQ(labels(home->gtvc->view().get()),
              (std::vector<std::string>{"37.50% Games", "31.25% Office", "18.75% Chat", "12.50% Study"}));
    // Both requests asked for the day shown.
    for (const char* type : {"RQUrlTypeBrowse", "RQGameTypeBrowse"})
        EXPECT_NE(sent(type).back().message.find("<DataDate>2026-12-07</DataDate>"), std::string::npos) << type;
    EXPECT_EQ(home->dateLabel->text(), "2026-12-07");
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/records-home"));

    // The second tab scrolls to the software page and selects only itself.
    ASSERT_TRUE(driver->tap(home->secondBtn.get()));
    driver->advanceClock(0.5);
    EXPECT_EQ(home->scrollview->contentOffset().x, 294);
    EXPECT_EQ(home->pageControl->currentPage(), 1);
    EXPECT_TRUE(home->secondBtn->selected());
    EXPECT_FALSE(home->firstBtn->selected());
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/by-type"));
    ASSERT_TRUE(driver->tap(home->firstBtn.get()));
    driver->advanceClock(0.5);
    EXPECT_EQ(home->scrollview->contentOffset().x, 0);
    EXPECT_EQ(home->pageControl->currentPage(), 0);
    EXPECT_TRUE(home->firstBtn->selected());
}

TEST_F(RecordsHome, TheBarButtonsWaitForBothPagesAndReloadsNeitherPileUpNorGrow)
{
    Gate gate;
    service.reply("RQUrlTypeBrowse", listBody("Type", {{"Study", 30}, {"News", 10}}));
    replyAfter(gate, "RQGameTypeBrowse", listBody("Type", {{"Games", 6}}));
    open();
    EXPECT_FALSE(home->navigationItem()->rightBarButtonItem->enabled);
    // The web page reported; the software page has not.
    ASSERT_TRUE(driver->pumpUntil([&] { return !labels(home->utvc->view().get()).empty(); }, 10));
    EXPECT_EQ(labels(home->utvc->view().get()), (std::vector<std::string>{"75.00% Study", "25.00% News"}));
    EXPECT_FALSE(home->navigationItem()->rightBarButtonItem->enabled);
    gate.release();
    ASSERT_TRUE(loaded());

    // Reloading redraws the same cells: one row view each, the same list.
    for (int i = 0; i < 2; ++i) {
        driver->tapBarButtonItem(home->navigationItem()->rightBarButtonItem.get());
        EXPECT_FALSE(home->navigationItem()->rightBarButtonItem->enabled);
        ASSERT_TRUE(loaded());
    }
    EXPECT_EQ(sent("RQUrlTypeBrowse").size(), 3u);
    EXPECT_EQ(labels(home->utvc->view().get()), (std::vector<std::string>{"75.00% Study", "25.00% News"}));
    EXPECT_EQ(home->utvc->imgURL, "30,10,");
    for (const auto& cell : home->utvc->tableview->visibleCells()) {
        int rowViews = 0;
        for (const auto& v : cell->subviews()) rowViews += dynamic_cast<PercentView*>(v->viewController()) ? 1 : 0;
        EXPECT_LE(rowViews, 1);
    }
}

TEST_F(RecordsHome, AllCountsZeroAndEmptyOrFailedDaysLoadWithoutFailing)
{
    service.reply("RQUrlTypeBrowse", listBody("Type", {{"Study", 0}, {"News", 0}}));
    service.reply("RQGameTypeBrowse", "<TotalRecord>0</TotalRecord>");
    open();
    ASSERT_TRUE(loaded());
    EXPECT_EQ(labels(home->utvc->view().get()), (std::vector<std::string>{"0.00% Study", "0.00% News"}));
    for (auto* row : percentRows(home->utvc->view().get())) EXPECT_EQ(row->colorLabel->frame().size.width, 0);
    EXPECT_FALSE(home->gtvc->dataNotFound->hidden());
    EXPECT_EQ(home->gtvc->lblNoData->text(), localized("gametypeviewctrl_nodata"));
    EXPECT_EQ(home->gtvc->tableview->numberOfRowsInSection(0), 0);

    // No reply at all: the page still reports, so the bar comes back.
    service.fault("RQUrlTypeBrowse", servicedouble::Fault::Http500);
    driver->tapBarButtonItem(home->navigationItem()->rightBarButtonItem.get());
    ASSERT_TRUE(loaded());
    EXPECT_EQ(home->utvc->tableview->numberOfRowsInSection(0), 0);
}

TEST_F(RecordsHome, ARowAsksForADayAndThePickerAcceptsOnlyTheServicesLastThreeDays)
{
    service.reply("RQUrlTypeBrowse", listBody("Type", {{"Study", 30}, {"News", 10}, {"Games", 5}}));
    service.reply("RQGameTypeBrowse", listBody("Type", {{"Games", 6}, {"Office", 2}}));
    service.reply("RQUrlAccess", "<TotalRecord>3</TotalRecord>"
                                 "<List><Url>news.example.org</Url><Num>2</Num><VisitedTime>2026-12-06 10:00:00</VisitedTime></List>"
                                 "<List><Url>www.example.edu</Url><Num>12</Num><VisitedTime>2026-12-06 11:00:00</VisitedTime></List>"
                                 "<List><Url>daily.example.net</Url><Num>5</Num><VisitedTime>2026-12-06 12:00:00</VisitedTime></List>");
    service.reply("RQGameAccess", "<TotalRecord>2</TotalRecord>"
                                  "<List><GameName>Chess</GameName><Num>4</Num><VisitedTime>2026-12-07 08:00:00</VisitedTime></List>"
                                  "<List><GameName>Word Processor</GameName><Num>9</Num><VisitedTime>2026-12-07 08:30:00</VisitedTime></List>");
    open();
    ASSERT_TRUE(loaded());

    // The empty head row does nothing; row 2 opens the picker for the web page.
    home->utvc->tableview->tapRow(NSIndexPath::indexPathForRow(0, 0));
    driver->advanceClock(0.5);
    EXPECT_EQ(nav->topViewController(), home);
    home->utvc->tableview->tapRow(NSIndexPath::indexPathForRow(2, 0));
    ASSERT_TRUE(driver->pumpUntil([&] { return nav->topViewController() != home; }));
    driver->advanceClock(0.5);
    auto picker = std::dynamic_pointer_cast<RequestTimeSelect>(nav->topViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->preCtrlType(), 0);
    EXPECT_EQ(picker->preCtrlView(), home->utvc);
    EXPECT_EQ(home->utvc->selectedType(), "News");
    auto* calendar = dynamic_cast<MonthCalendarView*>(picker->view()->viewWithTag(RequestTimeSelect::kCalendarTag));
    ASSERT_NE(calendar, nullptr);

    // A finger on a day of December 2026 (the 1st is a Tuesday).
    auto tapDay = [&](int day) {
        const int first = calendar->getMonthWeekday(calendar->currentMonthDate());
        const int i = day + first - 2;
        return driver->tapAt(calendar->convertPoint(
            CGPointMake((i % 7) * 45 + 22, (i / 7) * MonthCalendarView::kRowHeight + MonthCalendarView::kTitleHeight + 17),
            nullptr));
    };
    ASSERT_TRUE(tapDay(6));
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/range-picker"));
    ASSERT_TRUE(driver->tap(picker->searchButton().get()));
    EXPECT_EQ(driver->visibleAlert(), nullptr);
    EXPECT_EQ(home->utvc->curSelectShowTime, "2026-12-06");

    // The category's records of that day open above the picker.
    ASSERT_TRUE(driver->pumpUntil([&] { return nav->topViewController() != picker; }, 10));
    driver->advanceClock(0.5);
    auto records = std::dynamic_pointer_cast<ListViewController>(nav->topViewController());
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records->type(), 4);
    EXPECT_EQ(records->byTypeName(), "News");
    EXPECT_EQ(records->selectdate(), "2026-12-06");
    ASSERT_EQ(sent("RQUrlAccess").size(), 1u);
    EXPECT_NE(sent("RQUrlAccess")[0].message.find("<DataDate>2026-12-06</DataDate>"), std::string::npos);
    ASSERT_EQ(records->list().size(), 3u);  // largest count first
    EXPECT_EQ(std::dynamic_pointer_cast<InternetMessage>(records->list()[0])->url(), "www.example.edu");
    EXPECT_EQ(std::dynamic_pointer_cast<InternetMessage>(records->list()[2])->url(), "news.example.org");
    EXPECT_EQ(records->tableview->numberOfRowsInSection(0), 3);
    // Back returns to the picker.
    ASSERT_TRUE(driver->tap(dynamic_cast<UIButton*>(records->navigationItem()->leftBarButtonItem->customView.get())));
    driver->advanceClock(0.5);
    EXPECT_EQ(nav->topViewController(), picker);

    // Four days back and a day ahead are refused with the number 3.
    for (int day : {4, 8}) {
        SCOPED_TRACE(day);
        ASSERT_TRUE(tapDay(day));
        ASSERT_TRUE(driver->tap(picker->searchButton().get()));
        auto* alert = dynamic_cast<UIAlertView*>(driver->visibleAlert());
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->message, localized("requestTimeselect_infostart").str() + "3" + localized("requestTimeselect_infoend").str());
        driver->pressAlertButton(0);
        driver->advanceClock(0.5);
    }
    EXPECT_EQ(home->utvc->curSelectShowTime, "2026-12-06");

    // Back, and the software page's row opens the picker of type 1.
    ASSERT_TRUE(driver->tap(dynamic_cast<UIButton*>(picker->navigationItem()->leftBarButtonItem->customView.get())));
    driver->advanceClock(0.5);
    ASSERT_EQ(nav->topViewController(), home);
    home->gtvc->tableview->tapRow(NSIndexPath::indexPathForRow(1, 0));
    driver->advanceClock(0.5);
    auto second = std::dynamic_pointer_cast<RequestTimeSelect>(nav->topViewController());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->preCtrlType(), 1);
    // Untouched, the calendar gives today: the service's day; the programs of
    // the category follow, a short page ending in the more row.
    ASSERT_TRUE(driver->tap(second->searchButton().get()));
    EXPECT_EQ(home->gtvc->curSelectTime, "2026-12-07");
    ASSERT_TRUE(driver->pumpUntil([&] { return nav->topViewController() != second; }, 10));
    auto programs = std::dynamic_pointer_cast<ListViewController>(nav->topViewController());
    ASSERT_NE(programs, nullptr);
    EXPECT_EQ(programs->type(), 5);
    EXPECT_EQ(programs->byTypeName(), "Games");
    ASSERT_EQ(sent("RQGameAccess").size(), 1u);
    EXPECT_NE(sent("RQGameAccess")[0].message.find("<DataDate>2026-12-07</DataDate>"), std::string::npos);
    ASSERT_EQ(programs->list().size(), 2u);
    EXPECT_EQ(std::dynamic_pointer_cast<GameMessage>(programs->list()[0])->gameName(), "Word Processor");
    EXPECT_TRUE(programs->hasMoreRow());
}

TEST_F(RecordsHome, TheListsButtonOpensTheDaysFourListsOrSaysNothingLoaded)
{
    service.reply("RQUrlTypeBrowse", "<TotalRecord>0</TotalRecord>");
    service.reply("RQGameTypeBrowse", listBody("Type", {{"Games", 6}, {"Office", 2}}));
    open();
    ASSERT_TRUE(loaded());
    // No web categories: an alert, nothing opens.
    driver->tapBarButtonItem(home->navigationItem()->leftBarButtonItem.get());
    auto* alert = dynamic_cast<UIAlertView*>(driver->visibleAlert());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message, localized("rechomeviewctrl_connecterr"));
    driver->pressAlertButton(0);
    driver->advanceClock(0.5);
    EXPECT_EQ(nav->topViewController(), home);

    service.reply("RQUrlTypeBrowse", listBody("Type", {{"Study", 30}, {"News", 10}}));
    driver->tapBarButtonItem(home->navigationItem()->rightBarButtonItem.get());
    ASSERT_TRUE(loaded());
    driver->tapBarButtonItem(home->navigationItem()->leftBarButtonItem.get());
    driver->advanceClock(0.5);
    auto lists = std::dynamic_pointer_cast<RecordHomeListViewController>(nav->topViewController());
    ASSERT_NE(lists, nullptr);
    EXPECT_EQ(lists->dateLabel->text(), "2026-12-07");
    EXPECT_EQ(lists->title(), localized("rechomelistviewctrl_webtypelist"));
    const std::vector<ListViewController*> pages{lists->listView.get(), lists->listView1.get(), lists->listView2.get(),
                                                 lists->listView3.get()};
    const std::vector<size_t> rows{2, 0, 2, 0};  // the ranking pages are not made by the records home
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(pages[i], nullptr);
        EXPECT_EQ(pages[i]->type(), i);
        EXPECT_EQ(pages[i]->list().size(), rows[i]);
        EXPECT_EQ(pages[i]->view()->superview(), lists->scrollview.get());
        EXPECT_EQ(pages[i]->view()->frame().origin.x, 320 * i);
    }
    EXPECT_EQ(std::dynamic_pointer_cast<AnalysisMessage>(lists->listView->list()[0])->type(), "Study");
    // Swiping to the third page names it.
    driver->scrollTo(lists->scrollview.get(), CGPointMake(640, 0));
    EXPECT_EQ(lists->pageControl->currentPage(), 2);
    EXPECT_EQ(lists->title(), localized("rechomelistviewctrl_softtypelist"));
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/records-home-lists"));
    ASSERT_TRUE(driver->tap(dynamic_cast<UIButton*>(lists->navigationItem()->leftBarButtonItem->customView.get())));
    driver->advanceClock(0.5);
    EXPECT_EQ(nav->topViewController(), home);
}

TEST(DayWindow, DaysAreCountedOnTheCalendarAndAnUnreadableServiceDayIsToday)
{
    EXPECT_EQ(RequestTimeSelect::daysBefore("2012-03-08", "2012-03-10 08:00:00"), 2);
    EXPECT_EQ(RequestTimeSelect::daysBefore("2012-03-11", "2012-03-10"), -1);
    EXPECT_EQ(RequestTimeSelect::daysBefore("2012-02-28", "2012-03-01"), 2);  // a leap year
    EXPECT_EQ(RequestTimeSelect::daysBefore("2012-13-01", "2012-03-10"), std::nullopt);
    const NSString today = NSString(Constant::currentTime().str().substr(0, 10));
    EXPECT_EQ(RequestTimeSelect::daysBefore(today, NSString()), 0);
    EXPECT_EQ(RequestTimeSelect::daysBefore(today, "2012"), 0);
}

TEST_F(RecordsHome, WithoutADelegateAnAcceptedDayDoesNothing)
{
    auto picker = RequestTimeSelect::init();
    nav = UINavigationController::initWithRootViewController(picker);
    driver->show(nav);
    ASSERT_TRUE(driver->tap(picker->searchButton().get()));
    EXPECT_EQ(driver->visibleAlert(), nullptr);
    EXPECT_EQ(nav->topViewController(), picker);
}

// ---- The ranking and its chart -----------------------------------------------

class Ranking : public StatisticsFixture {
protected:
    template <class T>
    void open(NSString day = NSString())
    {
        screen = UIViewController::init<T>();
        screen->dateString = day;
        nav = UINavigationController::initWithRootViewController(screen);
        driver->show(nav);
    }
    // The chart's row holds the double's picture: the loader starts a moment
    // after the list arrives.
    bool chartShown()
    {
        if (!driver->pumpUntil([&] { return screen->chart() != nullptr; }, 10)) return false;
        driver->advanceClock(0.05);
        const bool shown = driver->pumpUntil([&] { return screen->chart()->image != nullptr; }, 10);
        driver->advanceClock(2);  // the loading box fades
        return shown;
    }
    void TearDown() override
    {
        screen.reset();
        StatisticsFixture::TearDown();
    }
    std::shared_ptr<RankingPage> screen;
};

TEST_F(Ranking, TheTopTenSitesShowUnderThePieTheDoubleDrewOfTheirCounts)
{
    // 12 sites with counts 10, 20, ... 120.
    service.reply("RQUrlBrowse", listBody("Url", numbered("site", 12, [](int i) { return i * 10; })));
    open<UrlRankingViewController>();
    ASSERT_TRUE(waitFor("RQUrlBrowse"));
    ASSERT_TRUE(chartShown());
    EXPECT_EQ(chartQueries(), std::vector<std::string>{"method=pie&list=120,110,100,90,80,70,60,50,40,30,"});
    EXPECT_NE(sent("RQUrlBrowse").back().message.find("<DataDate>2026-12-07</DataDate>"), std::string::npos);
    EXPECT_EQ(screen->tableview->numberOfRowsInSection(0), 11);
    EXPECT_EQ(screen->totalRecord, 750);

    // The chart's pixels show the slices: 120 of 750 from twelve o'clock.
    const snapshot::Image pie = snapshot::renderView(screen->chart());
    auto at = [&](double degrees, double r) {
        const double a = degrees * M_PI / 180;
        const int x = static_cast<int>(160 + r * std::sin(a)), y = static_cast<int>(91 - r * std::cos(a));
        const uint8_t* p = &pie.rgba[(static_cast<size_t>(y) * pie.width + x) * 4];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    auto colour = [](size_t i) {
        auto c = servicedouble::chartSliceColour(i);
        return std::vector<int>{c.r, c.g, c.b};
    };
    EXPECT_EQ(at(20, 50), colour(0));   // 0 to 57.6 degrees
    EXPECT_EQ(at(80, 50), colour(1));   // 57.6 to 110.4
    EXPECT_EQ(at(350, 50), colour(9));  // the last 14.4
    EXPECT_EQ(at(0, 88), (std::vector<int>{255, 255, 255}));  // outside the disc
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/by-rank"));
}

// Site names of a usual length show whole beside their bars.
TEST_F(Ranking, SiteNamesShowWhole)
{
    service.reply("RQUrlBrowse", listBody("Url", {{"games.example.com", 30}, {"www.example.org", 12}, {"www.example.edu", 5}}));
    open<UrlRankingViewController>();
    ASSERT_TRUE(chartShown());
    ASSERT_EQ(percentRows(screen->view().get()).size(), 3u);
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});
}

TEST_F(Ranking, SharesAreOfTheShownCountsAndANewDayReplacesTheChartsList)
{
    service.reply("RQGameBrowse", listBody("GameName", {{"Chess", 12}, {"Blaster", 5}, {"Writer", 30}}));
    open<GameRankingViewController>("2026-12-05");
    ASSERT_TRUE(chartShown());
    EXPECT_EQ(chartQueries().back(), "method=pie&list=30,12,5,");
    std::vector<std::string> labels;
    for (auto* row : percentRows(screen->view().get())) labels.push_back(row->percentLabel->text().str());
    EXPECT_EQ(labels, (std::vector<std::string>{"63.83%", "25.53%", "10.64%"}));
    EXPECT_NE(sent("RQGameBrowse").back().message.find("<DataDate>2026-12-05</DataDate>"), std::string::npos);

    // Another day through the date view: the chart asks only for its counts.
    service.reply("RQGameBrowse", listBody("GameName", {{"Paint", 7}, {"Chess", 3}}));
    driver->tapBarButtonItem(screen->navigationItem()->rightBarButtonItem.get());
    ASSERT_TRUE(screen->dateView->superview());
    screen->datePicker->pick(kMonday0900 - 86400);
    ASSERT_TRUE(driver->tap(screen->btnOk.get()));
    EXPECT_FALSE(screen->dateView->superview());
    ASSERT_TRUE(driver->pumpUntil([&] { return screen->tableview->numberOfRowsInSection(0) == 3; }, 10));
    driver->advanceClock(0.05);
    ASSERT_TRUE(driver->pumpUntil([&] { return chartQueries().size() == 2; }, 10));
    EXPECT_EQ(chartQueries().back(), "method=pie&list=7,3,");
    EXPECT_NE(sent("RQGameBrowse").back().message.find("<DataDate>2026-12-06</DataDate>"), std::string::npos);
    ASSERT_TRUE(driver->pumpUntil([&] { return screen->chart()->image != nullptr; }, 10));
}

TEST_F(Ranking, AMissingChartLeavesItsRowEmptyAndAnEmptyDaySaysSo)
{
    ::setenv("NX_CHART_URL", "http://127.0.0.1:9", 1);  // nothing listens there
    service.reply("RQUrlBrowse", listBody("Url", {{"www.example.edu", 3}}));
    open<UrlRankingViewController>();
    ASSERT_TRUE(driver->pumpUntil([&] { return screen->tableview->numberOfRowsInSection(0) == 2; }, 10));
    struct Watcher : PixImageViewDelegate {
        bool failed = false;
        void imageViewFailedToLoadImage_error(PixImageView*, const std::shared_ptr<NSError>&) override { failed = true; }
    };
    auto watcher = std::make_shared<Watcher>();
    ASSERT_NE(screen->chart(), nullptr);
    screen->chart()->setDelegate(watcher);
    driver->advanceClock(0.05);  // the download starts, and fails
    ASSERT_TRUE(driver->pumpUntil([&] { return watcher->failed; }, 10));
    EXPECT_EQ(screen->chart()->image, nullptr);
    EXPECT_EQ(percentRows(screen->view().get()).size(), 1u);
    EXPECT_TRUE(chartQueries().empty());
    ::unsetenv("NX_CHART_URL");

    service.reply("RQUrlBrowse", "<TotalRecord>0</TotalRecord>");
    screen->reloadData("2026-12-06");
    ASSERT_TRUE(driver->pumpUntil([&] { return !screen->dataNotFound->hidden(); }, 10));
    EXPECT_EQ(screen->lblNoData->text(), localized("urlrankkingviewctrl_nodata"));
    EXPECT_EQ(screen->tableview->numberOfRowsInSection(0), 0);
}

// ---- The chart server of the double ------------------------------------------

TEST(ChartServer, TheAddressIsConfiguredLikeTheService)
{
    ::setenv("NX_SERVICE_PORT", "8123", 1);
    ::unsetenv("NX_CHART_URL");
    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(RankingPage::chartURL("1,"), "http://127.0.0.1:8123/nemkServer/servlet/PieServlet?method=pie&list=1,");
    ::setenv("NX_CHART_URL", "http://charts.test:81/", 1);
    EXPECT_EQ(RankingPage::chartURL("1,"), "http://charts.test:81/nemkServer/servlet/PieServlet?method=pie&list=1,");
    ::unsetenv("NX_CHART_URL");
    ::unsetenv("NX_SERVICE_PORT");
}

TEST(ChartServer, MalformedListsAreRefused)
{
    EXPECT_EQ(servicedouble::chartCounts("method=pie&list=30,12,5,"), (std::vector<unsigned long long>{30, 12, 5}));
    EXPECT_EQ(servicedouble::chartCounts("list=0,0&method=pie"), (std::vector<unsigned long long>{0, 0}));
    for (const char* query : {"method=bar&list=1,", "method=pie", "method=pie&list=", "method=pie&list=,",
                              "method=pie&list=1,,2,", "method=pie&list=1,x,", "method=pie&list=-1,",
                              "method=pie&list=5%26x%3D1,", "method=pie&list=1,2,3,4,5,6,7,8,9,10,11,"})
        EXPECT_EQ(servicedouble::chartCounts(query), std::nullopt) << query;
}

class ChartServlet : public StatisticsFixture {};

TEST_F(ChartServlet, AnswersAPieOverLoopbackAndRefusesAMalformedListWith400)
{
    struct Case {
        const char* list;
        int status;
    };
    for (const Case& c : std::vector<Case>{{"30,12,5,", 200}, {"0,0,", 200}, {"5%26x%3D1,", 400}, {"", 400}}) {
        SCOPED_TRACE(c.list);
        auto request = NXHTTPRequest::requestWithURL(NSURL::URLWithString(RankingPage::chartURL(c.list)));
        request->startSynchronous();
        EXPECT_EQ(request->responseStatusCode(), c.status);
        if (c.status != 200) continue;
        auto data = request->responseData();
        ASSERT_TRUE(data);
        auto image = UIImage::imageWithData(*data);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->size().width, servicedouble::kChartWidth);
        EXPECT_EQ(image->size().height, servicedouble::kChartHeight);
    }
    EXPECT_EQ(chartQueries().size(), 4u);
    EXPECT_EQ(chartQueries().front(), "method=pie&list=30,12,5,");
}

// ---- The paged record browser ------------------------------------------------

class Browser : public StatisticsFixture {
protected:
    void TearDown() override
    {
        browser.reset();
        StatisticsFixture::TearDown();
    }
    std::shared_ptr<RecordViewController> browser;
};

TEST_F(Browser, PagesBothWaysAndListsTheCategoriesOnTheFirstPageOnly)
{
    service.reply("RQUrlTypeBrowse", listBody("Type", {{"Study", 12}, {"News", 5}, {"Games", 3}, {"Video", 2}}));
    browser = UIViewController::init<RecordViewController>();
    nav = UINavigationController::initWithRootViewController(browser);
    driver->show(nav);
    ASSERT_TRUE(driver->pumpUntil([&] { return browser->tableview1->numberOfRowsInSection(0) == 4; }, 10));
    EXPECT_EQ(browser->totalRecord1, 4);
    EXPECT_EQ(browser->title(), localized("recviewctrl_webtype"));
    auto cell = browser->tableview1->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(2, 0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel()->text(), "123");
    EXPECT_EQ(cell->accessoryType, UITableViewCellAccessoryDetailDisclosureButton);
    EXPECT_EQ(browser->scrollView->contentSize().width, 1280);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/browser"));

    // A swipe to the left: page 1 and its title.
    driver->drag(browser->scrollView.get(), CGPointMake(-320, 0));
    EXPECT_EQ(browser->pageControl->currentPage(), 1);
    EXPECT_EQ(browser->title(), localized("recviewctrl_web"));
    browser->tableview1->reloadData();
    EXPECT_EQ(browser->tableview1->numberOfRowsInSection(0), 0);
    // Past the middle of page 2: page 2, the title stays.
    driver->scrollTo(browser->scrollView.get(), CGPointMake(640 - 150, 0));
    EXPECT_EQ(browser->pageControl->currentPage(), 2);
    EXPECT_EQ(browser->title(), localized("recviewctrl_web"));
    // The page control back to page 0 scrolls there.
    browser->pageControl->setCurrentPage(0);
    browser->pageControl->sendActionsForControlEvents(UIControlEventValueChanged);
    driver->advanceClock(0.5);
    EXPECT_EQ(browser->scrollView->contentOffset().x, 0);
    EXPECT_EQ(browser->pageControl->currentPage(), 0);
    EXPECT_EQ(browser->title(), localized("recviewctrl_webtype"));
}

TEST(PageOfScroll, ThePageIsTheOneWhoseMiddleWasPassedAndNoWidthIsPageZero)
{
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 100));
    sv->setContentSize(CGSizeMake(1280, 100));
    for (auto [x, page] : std::vector<std::pair<CGFloat, NSInteger>>{{0, 0}, {159, 0}, {160, 1}, {480, 2}, {960, 3}}) {
        sv->setContentOffset(CGPointMake(x, 0));
        EXPECT_EQ(pageOfScrollView(sv.get()), page) << x;
    }
    auto none = UIScrollView::initWithFrame(CGRectZero);
    none->setContentOffset(CGPointMake(50, 0));
    EXPECT_EQ(pageOfScrollView(none.get()), 0);
}

TEST_F(Browser, TheFirstScreenSendsOnlyAParentWhoIsNotLoggedInToTheLogin)
{
    for (bool loggedIn : {true, false}) {
        Constant::setLogined(loggedIn);
        auto first = UIViewController::init<FirstViewController>();
        nav = UINavigationController::initWithRootViewController(first);
        driver->show(nav);
        driver->advanceClock(0.5);
        EXPECT_EQ(std::dynamic_pointer_cast<LoginViewController>(nav->topViewController()) != nullptr, !loggedIn);
    }
}

}  // namespace
