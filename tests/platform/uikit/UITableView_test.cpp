#include <gtest/gtest.h>

#include "platform/foundation/NSException.h"
#include "platform/uikit/NXUITestDriver.h"
#include "platform/uikit/UITableView.h"

namespace {

// A paged list: the last row is the "more" row that loads the next page.
struct PagedList : UITableViewDataSource, UITableViewDelegate {
    std::vector<NSString> items;
    int created = 0, pagesLoaded = 0;
    std::vector<NSIndexPath> asked, selected;
    bool canEdit = true;

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override { return static_cast<NSInteger>(items.size()) + 1; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override
    {
        asked.push_back(ip);
        auto cell = tv->dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "row");
            ++created;
        }
        if (ip.row == static_cast<NSInteger>(items.size())) {
            cell->textLabel()->setText("more");
            loadPage();
        } else {
            cell->textLabel()->setText(items[ip.row]);
        }
        return cell;
    }
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath) override { return canEdit; }
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle, NSIndexPath ip) override
    {
        items.erase(items.begin() + ip.row);
        tv->deleteRowsAtIndexPaths({ip}, UITableViewRowAnimationFade);
    }
    void tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip) override { selected.push_back(ip); }
    void loadPage() { ++pagesLoaded; }
};

}  // namespace

TEST(UITableView, ReloadAsksOnlyForTheRowsInViewAndReusesCells)
{
    NXUITestDriver driver;
    auto list = std::make_shared<PagedList>();
    for (int i = 0; i < 30; ++i) list->items.push_back(NSString::stringWithFormat("item %d", i));
    auto tv = UITableView::initWithFrame(CGRectMake(0, 0, 320, 440), UITableViewStylePlain);
    tv->setDataSource(list);
    tv->setDelegate(list);
    driver.window()->addSubview(tv);
    tv->reloadData();
    EXPECT_EQ(list->asked.size(), 10u);  // 440 / 44
    EXPECT_EQ(list->created, 10);
    EXPECT_EQ(tv->contentSize().height, 31 * 44);
    EXPECT_EQ(tv->cellForRowAtIndexPath({0, 10}), nullptr);
    auto first = tv->cellForRowAtIndexPath({0, 0});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(tv->indexPathForCell(first.get()), (NSIndexPath{0, 0}));
    EXPECT_NE(driver.viewWithText("item 3"), nullptr);

    // Scrolling to the end shows the "more" row: the next page is asked for,
    // with cells that left the view handed out again.
    tv->scrollToRowAtIndexPath({0, 30}, UITableViewScrollPositionBottom, false);
    EXPECT_EQ(list->pagesLoaded, 1);
    EXPECT_EQ(list->created, 10);
    EXPECT_EQ(tv->contentOffset().y, 31 * 44 - 440);
    EXPECT_THROW(tv->scrollToRowAtIndexPath({0, 31}, UITableViewScrollPositionTop, false), NSException);

    // A reload puts every cell back in the pool first.
    list->asked.clear();
    tv->reloadData();
    EXPECT_EQ(list->created, 10);
    EXPECT_EQ(list->asked.front(), (NSIndexPath{0, 21}));
}

TEST(UITableView, SelectionDeleteAndCheckedUpdates)
{
    NXUITestDriver driver;
    auto list = std::make_shared<PagedList>();
    list->items = {"a", "b", "c"};
    auto tv = UITableView::initWithFrame(CGRectMake(0, 0, 320, 440), UITableViewStylePlain);
    tv->setDataSource(list);
    tv->setDelegate(list);
    driver.window()->addSubview(tv);
    tv->reloadData();

    tv->tapRow({0, 1});
    EXPECT_EQ(list->selected, (std::vector<NSIndexPath>{{0, 1}}));
    EXPECT_TRUE(tv->cellForRowAtIndexPath({0, 1})->selected());
    tv->deselectRowAtIndexPath({0, 1}, true);
    EXPECT_FALSE(tv->indexPathForSelectedRow());

    EXPECT_TRUE(tv->commitDelete({0, 0}));
    EXPECT_EQ(tv->numberOfRowsInSection(0), 3);  // b, c and "more"
    EXPECT_EQ(tv->cellForRowAtIndexPath({0, 0})->textLabel()->text(), "b");
    list->canEdit = false;
    EXPECT_FALSE(tv->commitDelete({0, 0}));

    // An update that does not match the data source is refused loudly.
    list->items.push_back("d");
    EXPECT_THROW(tv->deleteRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimationTop), NSException);
    tv->beginUpdates();
    tv->insertRowsAtIndexPaths({{0, 2}}, UITableViewRowAnimationTop);
    EXPECT_NO_THROW(tv->endUpdates());
    EXPECT_EQ(tv->numberOfRowsInSection(0), 4);
}

TEST(UITableView, CellStylesCarryTheirLabels)
{
    struct Case {
        UITableViewCellStyle style;
        bool detail;
    };
    for (const auto& c : {Case{UITableViewCellStyleDefault, false}, Case{UITableViewCellStyleSubtitle, true},
                          Case{UITableViewCellStyleValue1, true}}) {
        auto cell = UITableViewCell::initWithStyle(c.style, "id");
        EXPECT_NE(cell->textLabel(), nullptr);
        EXPECT_EQ(cell->detailTextLabel() != nullptr, c.detail);
        EXPECT_EQ(cell->reuseIdentifier(), "id");
    }
    auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "id");
    auto arrow = UIImageView::initWithFrame(CGRectMake(0, 0, 20, 20));
    cell->setAccessoryView(arrow);
    EXPECT_EQ(arrow->superview(), cell.get());
    cell->setAccessoryView(nullptr);
    EXPECT_EQ(arrow->superview(), nullptr);
}

// The title stands over the subtitle, the pair centred, and the background
// fills the row, whatever the row's height and the fonts a screen sets after
// making the cell.
TEST(UITableView, SubtitleCellsStackTheirLabelsInTheRow)
{
    for (CGFloat height : {44.0, 60.0}) {
        auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "id");
        cell->textLabel()->font = UIFont::boldSystemFontOfSize(20);
        cell->detailTextLabel()->font = UIFont::boldSystemFontOfSize(18);
        auto band = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
        cell->setBackgroundView(band);
        cell->setFrame(CGRectMake(0, 0, 320, height));
        cell->layoutIfNeeded();
        EXPECT_EQ(band->frame().size.height, height) << "the background fills the row";
        const CGRect title = cell->textLabel()->frame(), detail = cell->detailTextLabel()->frame();
        EXPECT_LE(CGRectGetMaxY(title), detail.origin.y) << height;
        EXPECT_GE(title.size.height, 20) << height;
        EXPECT_GE(detail.size.height, 18) << height;
        EXPECT_NEAR(title.origin.y, height - CGRectGetMaxY(detail), 1.0) << height;
    }
}
