// The pull-to-refresh header driven through a table as a user drags it:
// thresholds, the loading inset, a delegate that is already loading, the
// last-updated line kept in the user defaults, and how it looks.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "platform/uikit/CATransaction.h"
#include "platform/uikit/UITableView.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/PixRefreshTableHeaderView.h"

namespace {

// The owning controller's part: it forwards the scroll events and answers the header.
struct Host : UITableViewDataSource, UITableViewDelegate, PixRefreshTableHeaderDelegate {
    PixRefreshTableHeaderView* header = nullptr;
    bool loading = false;
    bool forwardEndOfDrag = true;
    bool knowsLastUpdate = false;
    int triggers = 0;
    std::optional<PixPullRefreshState> stateWhenReleased;

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override { return 20; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "row");
        cell->textLabel()->setText(NSString::stringWithFormat("Row %ld", static_cast<long>(ip.row + 1)));
        return cell;
    }
    void scrollViewDidScroll(UIScrollView* sv) override { header->pixRefreshScrollViewDidScroll(sv); }
    void scrollViewDidEndDragging_willDecelerate(UIScrollView* sv, bool) override
    {
        stateWhenReleased = header->state();
        if (forwardEndOfDrag) header->pixRefreshScrollViewDidEndDragging(sv);
    }
    void pixRefreshTableHeaderDidTriggerRefresh(PixRefreshTableHeaderView*) override { ++triggers; }
    std::optional<bool> pixRefreshTableHeaderDataSourceIsLoading(PixRefreshTableHeaderView*) override { return loading; }
    std::optional<NSDate> pixRefreshTableHeaderDataSourceLastUpdated(PixRefreshTableHeaderView*) override
    {
        return knowsLastUpdate ? std::optional<NSDate>(NSDate::date()) : std::nullopt;
    }
};

class PixRefresh : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("NX_APP_HOME", home_.c_str(), 1);
        NSUserDefaults::resetStandardUserDefaults();
        table = UITableView::initWithFrame(CGRectMake(0, 0, 320, 200), UITableViewStylePlain);
        table->setBackgroundColor(UIColor::whiteColor());
        header = PixRefreshTableHeaderView::initWithFrame(CGRectMake(0, -200, 320, 200));
        host->header = header.get();
        header->setDelegate(host);
        table->addSubview(header);
        table->setDataSource(host);
        table->setDelegate(host);
        driver.window()->addSubview(table);
        table->reloadData();
        CATransaction::clearCommittedTransactions();
        UIView::clearCommittedAnimations();
    }
    void TearDown() override
    {
        unsetenv("NX_APP_HOME");
        NSUserDefaults::resetStandardUserDefaults();
    }
    void pull(CGFloat points) { driver.drag(table.get(), CGPointMake(0, points)); }
    std::string preferences() const { return home_ + "/Library/Preferences/ParentalControlClient.plist"; }

    NXUITestDriver driver;
    std::shared_ptr<Host> host = std::make_shared<Host>();
    std::shared_ptr<UITableView> table;
    std::shared_ptr<PixRefreshTableHeaderView> header;

private:
    TempFolder folder_;
    std::string home_ = folder_.path().str();
};

bool arrowFlipped(const PixRefreshTableHeaderView& h)
{
    const CGAffineTransform t = h.arrowImage()->affineTransform();
    return std::abs(t.a + 1) < 1e-9 && std::abs(t.d + 1) < 1e-9;
}

}  // namespace

TEST_F(PixRefresh, StartsNormal)
{
    EXPECT_EQ(header->state(), PixPullRefreshNormal);
    EXPECT_EQ(header->statusLabel()->text(), "Pull down to refresh...");
    EXPECT_FALSE(header->arrowImage()->hidden);
    EXPECT_EQ(header->arrowImage()->frame(), CGRectMake(25, 135, 30, 55));
    EXPECT_NE(header->arrowImage()->contents, nullptr);
    EXPECT_EQ(header->arrowImage()->contentsGravity, kCAGravityResizeAspect);
    EXPECT_EQ(header->activityView()->frame(), CGRectMake(25, 162, 20, 20));
}

TEST_F(PixRefresh, ThresholdOf65Points)
{
    struct Case {
        CGFloat pull;
        bool loading;
        PixPullRefreshState whenReleased;
        int triggers;
    };
    const Case cases[] = {
        {64, false, PixPullRefreshNormal, 0},
        {65, false, PixPullRefreshNormal, 1},   // pulling needs more than 65; release at 65 triggers
        {66, false, PixPullRefreshPulling, 1},
        {90, true, PixPullRefreshNormal, 0},    // a load already running blocks both
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pull);
        host->triggers = 0;
        host->loading = c.loading;
        pull(c.pull);
        EXPECT_EQ(host->stateWhenReleased, c.whenReleased);
        EXPECT_EQ(host->triggers, c.triggers);
        if (c.triggers) {
            EXPECT_EQ(header->state(), PixPullRefreshLoading);
            EXPECT_EQ(header->statusLabel()->text(), "Loading...");
            EXPECT_TRUE(header->arrowImage()->hidden);
            EXPECT_TRUE(header->activityView()->isAnimating());
            EXPECT_EQ(table->contentInset, UIEdgeInsetsMake(60, 0, 0, 0));
            EXPECT_EQ(table->contentOffset().y, -60);  // the header stays open
            header->pixRefreshScrollViewDataSourceDidFinishedLoading(table.get());
        }
        EXPECT_EQ(header->state(), PixPullRefreshNormal);
        EXPECT_EQ(table->contentInset, UIEdgeInsetsZero);
        EXPECT_FALSE(header->activityView()->isAnimating());
        EXPECT_FALSE(arrowFlipped(*header));
        table->setContentOffset(CGPointZero);
    }
}

TEST_F(PixRefresh, PullingFlipsTheArrowAndLoadingKeepsTheInsetWithin60)
{
    host->forwardEndOfDrag = false;
    pull(70);
    EXPECT_EQ(header->state(), PixPullRefreshPulling);
    EXPECT_EQ(header->statusLabel()->text(), "Release to refresh...");
    EXPECT_TRUE(arrowFlipped(*header));
    ASSERT_FALSE(CATransaction::committedTransactions().empty());
    EXPECT_EQ(CATransaction::committedTransactions().back().duration, 0.18);
    EXPECT_FALSE(CATransaction::committedTransactions().back().disableActions);

    host->forwardEndOfDrag = true;
    pull(70);
    ASSERT_EQ(header->state(), PixPullRefreshLoading);
    ASSERT_EQ(UIView::committedAnimations().size(), 1u);
    EXPECT_EQ(UIView::committedAnimations()[0].duration, 0.2);
    for (auto [offset, inset] : {std::pair<CGFloat, CGFloat>{-100, 60}, {-30, 30}, {0, 0}, {50, 0}, {-60, 60}}) {
        driver.scrollTo(table.get(), CGPointMake(0, offset));
        EXPECT_EQ(table->contentInset.top, inset) << offset;
    }
    header->pixRefreshScrollViewDataSourceDidFinishedLoading(table.get());
    EXPECT_EQ(UIView::committedAnimations().back().duration, 0.3);
    EXPECT_EQ(CATransaction::committedTransactions().back().disableActions, true);
}

TEST_F(PixRefresh, LastUpdatedLineIsWrittenOnlyWhenItChanges)
{
    host->forwardEndOfDrag = false;
    // A delegate that knows no last update clears the line.
    header->lastUpdatedLabel()->setText("stale");
    pull(70);
    pull(10);  // back to normal
    EXPECT_EQ(header->state(), PixPullRefreshNormal);
    EXPECT_EQ(header->lastUpdatedLabel()->text(), NSString());

    host->knowsLastUpdate = true;
    header->lastUpdatedLabel()->setText("Updated 10:00");
    header->setState(PixPullRefreshNormal);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("PixRefreshTableView_LastRefresh"), "Updated 10:00");
    struct stat first {};
    ASSERT_EQ(stat(preferences().c_str(), &first), 0);
    for (int i = 0; i < 3; ++i) {
        header->setState(PixPullRefreshPulling);
        header->setState(PixPullRefreshNormal);
    }
    struct stat later {};
    ASSERT_EQ(stat(preferences().c_str(), &later), 0);
    EXPECT_EQ(later.st_ino, first.st_ino);  // not written again

    header->lastUpdatedLabel()->setText("Updated 11:00");
    header->setState(PixPullRefreshNormal);
    ASSERT_EQ(stat(preferences().c_str(), &later), 0);
    EXPECT_NE(later.st_ino, first.st_ino);
}

TEST_F(PixRefresh, Looks)
{
    host->forwardEndOfDrag = false;
    pull(70);
    driver.scrollTo(table.get(), CGPointMake(0, -70));
    EXPECT_TRUE(snapshot::viewMatchesExpected(table.get(), "tests/ui/snapshots/refresh-pulling"));

    host->forwardEndOfDrag = true;
    pull(70);
    ASSERT_EQ(header->state(), PixPullRefreshLoading);
    EXPECT_TRUE(snapshot::viewMatchesExpected(table.get(), "tests/ui/snapshots/refresh-loading"));
    header->pixRefreshScrollViewDataSourceDidFinishedLoading(table.get());
}
