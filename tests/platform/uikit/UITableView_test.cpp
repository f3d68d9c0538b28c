#include <gtest/gtest.h>

#include "platform/foundation/NSException.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITableViewParts.h"
#include "tools/snapshot/Snapshot.h"

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
    // The "more" row is no item and cannot be deleted.
    std::optional<bool> tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        return canEdit && ip.row < static_cast<NSInteger>(items.size());
    }
    void tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle, NSIndexPath ip) override
    {
        committed.push_back(ip);
        items.erase(items.begin() + ip.row);
        tv->deleteRowsAtIndexPaths({ip}, UITableViewRowAnimationFade);
    }
    void tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip) override { selected.push_back(ip); }
    std::vector<NSIndexPath> committed;
    void loadPage() { ++pagesLoaded; }
};

// A table of the list's rows on the driver's window, loaded.
std::shared_ptr<UITableView> shownTable(NXUITestDriver& driver, const std::shared_ptr<PagedList>& list,
                                        UITableViewStyle style = UITableViewStylePlain)
{
    auto tv = UITableView::initWithFrame(CGRectMake(0, 0, 320, 440), style);
    tv->setDataSource(list);
    tv->setDelegate(list);
    driver.window()->addSubview(tv);
    tv->reloadData();
    driver.layout();
    return tv;
}

// A finger drawn sideways across the row, from its right part leftwards.
bool swipeRow(NXUITestDriver& driver, UITableView* tv, NSIndexPath ip)
{
    const CGRect row = tv->convertRect(tv->rectForRowAtIndexPath(ip), nullptr);
    return driver.swipe(CGPointMake(260, CGRectGetMidY(row)), CGPointMake(140, CGRectGetMidY(row) + 3));
}

std::vector<NSString> texts(const PagedList& list) { return list.items; }

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

// A sideways swipe brings out the row's Delete button, a tap on it commits
// the deletion and the row goes; a tap elsewhere puts the button away
// without selecting; rows the data source cannot delete are not swiped.
TEST(UITableView, ASwipedRowsDeleteButtonDeletesIt)
{
    NXUITestDriver driver;
    auto list = std::make_shared<PagedList>();
    list->items = {"a", "b", "c"};
    auto tv = shownTable(driver, list);

    ASSERT_TRUE(swipeRow(driver, tv.get(), {0, 1}));
    driver.layout();
    auto cell = tv->cellForRowAtIndexPath({0, 1});
    EXPECT_TRUE(cell->showingDeleteConfirmation());
    ASSERT_NE(cell->deleteButton(), nullptr);
    EXPECT_EQ(cell->deleteButton()->superview(), cell.get());
    EXPECT_LE(CGRectGetMaxX(cell->contentView()->frame()), cell->deleteButton()->frame().origin.x)
        << "the content makes room for the button";

    // A tap on another row only puts the button away.
    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 0}).get()));
    driver.layout();
    EXPECT_FALSE(cell->showingDeleteConfirmation());
    EXPECT_EQ(cell->deleteButton()->superview(), nullptr);
    EXPECT_TRUE(list->selected.empty());

    ASSERT_TRUE(swipeRow(driver, tv.get(), {0, 1}));
    driver.layout();
    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 1})->deleteButton()));
    EXPECT_EQ(list->committed, (std::vector<NSIndexPath>{{0, 1}}));
    EXPECT_EQ(texts(*list), (std::vector<NSString>{"a", "c"}));
    EXPECT_EQ(tv->numberOfRowsInSection(0), 3);  // a, c and "more"
    EXPECT_FALSE(tv->rowShowingDeleteConfirmation());

    // The "more" row cannot be edited; a table in editing mode is not swiped.
    ASSERT_TRUE(swipeRow(driver, tv.get(), {0, 2}));
    EXPECT_FALSE(tv->rowShowingDeleteConfirmation());
    tv->setEditing(true);
    ASSERT_TRUE(swipeRow(driver, tv.get(), {0, 0}));
    EXPECT_FALSE(tv->rowShowingDeleteConfirmation());

    // Without the data source's word that rows can be edited nothing is offered.
    tv->setEditing(false);
    list->canEdit = false;
    ASSERT_TRUE(swipeRow(driver, tv.get(), {0, 0}));
    EXPECT_FALSE(tv->rowShowingDeleteConfirmation());

    // A plain tap selects the row.
    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 1}).get()));
    EXPECT_EQ(list->selected, (std::vector<NSIndexPath>{{0, 1}}));
}

// In editing mode each deletable row shows its delete control, its content
// moved right and its accessory gone; the control brings out the Delete
// button, which deletes the row; a tap on the row selects nothing.
TEST(UITableView, EditingModesDeleteControlThenDeleteButtonDeleteTheRow)
{
    NXUITestDriver driver;
    auto list = std::make_shared<PagedList>();
    list->items = {"a", "b", "c"};
    auto tv = shownTable(driver, list);
    auto first = tv->cellForRowAtIndexPath({0, 0});
    first->accessoryType = UITableViewCellAccessoryDisclosureIndicator;
    first->setNeedsLayout();
    driver.layout();
    ASSERT_NE(first->accessoryPart(), nullptr);
    EXPECT_EQ(first->contentView()->frame().origin.x, 0);

    tv->setEditing(true, true);
    driver.layout();
    ASSERT_NE(first->deleteControl(), nullptr);
    EXPECT_EQ(first->deleteControl()->superview(), first.get());
    EXPECT_EQ(first->contentView()->frame().origin.x, UITableViewCellEditControl::kWidth);
    EXPECT_EQ(first->accessoryPart(), nullptr);
    auto more = tv->cellForRowAtIndexPath({0, 3});
    EXPECT_FALSE(more->editing()) << "the more row cannot be edited";
    EXPECT_EQ(more->deleteControl() ? more->deleteControl()->superview() : nullptr, nullptr);

    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 2}).get()));
    EXPECT_TRUE(list->selected.empty()) << "no selection while editing";

    auto third = tv->cellForRowAtIndexPath({0, 2});
    ASSERT_TRUE(driver.tap(third->deleteControl()));
    driver.layout();
    EXPECT_TRUE(third->showingDeleteConfirmation());
    ASSERT_TRUE(driver.tap(third->deleteButton()));
    EXPECT_EQ(texts(*list), (std::vector<NSString>{"a", "b"}));
    EXPECT_TRUE(tv->editing()) << "the table stays in editing mode";
    driver.layout();
    EXPECT_NE(tv->cellForRowAtIndexPath({0, 0})->deleteControl()->superview(), nullptr);

    // Leaving editing mode brings the accessory back.
    tv->setEditing(false);
    driver.layout();
    EXPECT_EQ(tv->cellForRowAtIndexPath({0, 0})->deleteControl()->superview(), nullptr);
    EXPECT_EQ(tv->cellForRowAtIndexPath({0, 0})->contentView()->frame().origin.x, 0);
}

namespace {

// One row per accessory, under a titled section header.
struct AccessoryList : UITableViewDataSource, UITableViewDelegate {
    std::vector<NSIndexPath> buttonTaps;
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override { return 4; }
    NSString tableView_titleForHeaderInSection(UITableView*, NSInteger) override { return "Accessories"; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        static const UITableViewCellAccessoryType kinds[] = {UITableViewCellAccessoryNone, UITableViewCellAccessoryDisclosureIndicator,
                                                            UITableViewCellAccessoryDetailDisclosureButton, UITableViewCellAccessoryCheckmark};
        static const char* const titles[] = {"None", "Disclosure indicator with a title that runs long", "Detail disclosure", "Checkmark"};
        auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "row");
        cell->textLabel()->setText(titles[ip.row]);
        cell->accessoryType = kinds[ip.row];
        return cell;
    }
    void tableView_accessoryButtonTappedForRowWithIndexPath(UITableView*, NSIndexPath ip) override { buttonTaps.push_back(ip); }
};

}  // namespace

// The accessories stand at the rows' right ends, the text ends before them,
// and the title of a plain table's section header reads white on its band;
// the detail-disclosure button answers a finger.
TEST(UITableView, AccessoriesAndTheSectionHeaderAreDrawn)
{
    NXUITestDriver driver;
    auto list = std::make_shared<AccessoryList>();
    auto tv = UITableView::initWithFrame(CGRectMake(0, 0, 320, 200), UITableViewStylePlain);
    tv->setBackgroundColor(UIColor::whiteColor());
    tv->setDataSource(list);
    tv->setDelegate(list);
    driver.window()->addSubview(tv);
    tv->reloadData();
    driver.layout();

    auto indicator = tv->cellForRowAtIndexPath({0, 1});
    ASSERT_NE(indicator->accessoryPart(), nullptr);
    EXPECT_EQ(CGRectGetMaxX(indicator->accessoryPart()->frame()), 310);
    EXPECT_LE(CGRectGetMaxX(indicator->contentView()->convertRect(indicator->textLabel()->frame(), indicator.get())),
              indicator->accessoryPart()->frame().origin.x)
        << "the title ends before the chevron";
    EXPECT_EQ(tv->cellForRowAtIndexPath({0, 0})->accessoryPart(), nullptr);

    // The detail-disclosure button takes the finger; the row is not selected.
    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 2})->accessoryPart()));
    EXPECT_EQ(list->buttonTaps, (std::vector<NSIndexPath>{{0, 2}}));
    EXPECT_FALSE(tv->indexPathForSelectedRow());

    auto* header = driver.find<UITableViewHeaderLabel>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->label()->text(), "Accessories");
    EXPECT_TRUE(snapshot::viewMatchesExpected(tv.get(), "tests/platform/uikit/snapshots/table-accessories"));

    // In editing mode with one Delete button out.
    tv->setEditing(true);
    driver.layout();
    ASSERT_TRUE(driver.tap(tv->cellForRowAtIndexPath({0, 1})->deleteControl()));
    EXPECT_TRUE(snapshot::viewMatchesExpected(tv.get(), "tests/platform/uikit/snapshots/table-editing"));
}
