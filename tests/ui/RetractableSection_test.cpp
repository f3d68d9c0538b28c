// Retractable table sections: a tap on a section's title row opens or closes
// it with the matching row updates, arrow and colour; content rows from an
// array with their remarks; the refusal of an owner without a table.

#include <gtest/gtest.h>

#include "platform/foundation/NSException.h"
#include "platform/testing/NXScreenLint.h"
#include "platform/testing/NXUITestDriver.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/RetractableSectionController.h"

namespace {

std::tuple<double, double, double, double> rgba(const std::shared_ptr<UIColor>& c)
{
    return c ? std::tuple{c->red, c->green, c->blue, c->alpha} : std::tuple{-1.0, -1.0, -1.0, -1.0};
}

struct Period : ArraySectionItem {
    Period(NSString a, NSString b, NSString r) : from(std::move(a)), to(std::move(b)), note(std::move(r)) {}
    NSString from, to, note;
    NSString titleStr() const override { return from; }
    NSString titleStr_1() const override { return to; }
    NSString remark() const override { return note; }
    void setRemark(const NSString& r) override { note = r; }
};

// A screen with one section controller per table section, forwarding to them.
class SectionsScreen : public UIViewController,
                       public RetractableSectionOwner,
                       public UITableViewDataSource,
                       public UITableViewDelegate {
public:
    std::shared_ptr<UITableView> table;
    std::vector<std::shared_ptr<RetractableSectionController>> sections;

    UITableView* tableView() const override { return table.get(); }
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return static_cast<NSInteger>(sections.size()); }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger s) override { return sections[s]->numberOfRow(); }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        return sections[ip.section]->cellForRow(ip.row);
    }
    void tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip) override { sections[ip.section]->didSelectCellAtRow(ip.row); }
};

class RetractableSections : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = UIViewController::init<SectionsScreen>();
        screen->table = UITableView::initWithFrame(CGRectMake(0, 0, 320, 300), UITableViewStylePlain);
        screen->table->setBackgroundColor(UIColor::colorWithRed(0.22, 0.27, 0.35, 1));
        screen->table->separatorStyle = UITableViewCellSeparatorStyleNone;
        weekdays = ArraySectionController::initWithArray(
            {std::make_shared<Period>("08:00", "12:00", "School"), std::make_shared<Period>("14:00", "17:00", "(null)"),
             std::make_shared<Period>("19:00", "21:00", NSString())},
            screen);
        weekdays->setTitle("Weekdays");
        weekdays->setHoliday("Holidays off");
        weekend = ArraySectionController::initWithArray({}, screen);
        weekend->setTitle("Weekend");
        screen->sections = {weekdays, weekend};
        screen->table->setDataSource(screen);
        screen->table->setDelegate(screen);
        driver.window()->addSubview(screen->table);
        screen->table->reloadData();
    }
    UITableView* table() const { return screen->table.get(); }
    UITableViewCell* cell(NSInteger row, NSInteger section) const
    {
        return table()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, section)).get();
    }
    NSString arrowOf(UITableViewCell* c) const
    {
        auto* v = dynamic_cast<UIImageView*>(c->accessoryView().get());
        return v && v->image ? v->image->name() : NSString();
    }

    NXUITestDriver driver;
    std::shared_ptr<SectionsScreen> screen;
    std::shared_ptr<ArraySectionController> weekdays, weekend;
};

}  // namespace

TEST(RetractableSectionController, RefusesAnOwnerWithoutATableView)
{
    try {
        RetractableSectionController::initWithViewController(UIViewController::init());
        FAIL() << "no exception";
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), "Wrong view controller");
        EXPECT_EQ(e.reason(), "The passed view controller to RetractableSectionController must respond to the tableView proprety");
    }
}

TEST_F(RetractableSections, ClosedSectionsShowTheirTitleRowOnly)
{
    EXPECT_EQ(table()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(cell(0, 0)->textLabel()->text(), "Weekdays (3)");
    EXPECT_EQ(cell(0, 0)->detailTextLabel()->text(), "Holidays off");
    EXPECT_EQ(cell(0, 0)->reuseIdentifier(), "ArraySectionControllertitle");
    EXPECT_EQ(arrowOf(cell(0, 0)), "DownAccessory");
    EXPECT_EQ(cell(0, 1)->textLabel()->text(), "Weekend (0)");
    EXPECT_EQ(cell(0, 1)->detailTextLabel()->text(), "");
}

TEST_F(RetractableSections, TitleTapsOpenAndCloseWithRowUpdates)
{
    table()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_TRUE(weekdays->isOpen());
    ASSERT_EQ(table()->numberOfRowsInSection(0), 4);
    EXPECT_EQ(cell(1, 0)->textLabel()->text(), "   08:00 -- 12:00 School");
    EXPECT_EQ(cell(2, 0)->textLabel()->text(), "   14:00 -- 17:00 ");  // "(null)" shows as nothing...
    EXPECT_EQ(weekdays->content()[1]->remark(), "");                 // ...and is cleared on the item
    EXPECT_EQ(cell(3, 0)->textLabel()->text(), "   19:00 -- 21:00 ");
    EXPECT_EQ(cell(1, 0)->reuseIdentifier(), "ArraySectionControllercontent");
    EXPECT_EQ(rgba(cell(1, 0)->textLabel()->textColor), rgba(UIColor::whiteColor()));
    EXPECT_EQ(arrowOf(cell(0, 0)), "UpAccessory");
    EXPECT_EQ(rgba(cell(0, 0)->textLabel()->textColor), rgba(UIColor::colorWithRed(0.191, 0.264, 0.446, 1)));
    EXPECT_FALSE(table()->indexPathForSelectedRow().has_value());

    table()->tapRow(NSIndexPath::indexPathForRow(2, 0));  // a content row only deselects
    EXPECT_FALSE(table()->indexPathForSelectedRow().has_value());
    EXPECT_EQ(table()->numberOfRowsInSection(0), 4);

    table()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_FALSE(weekdays->isOpen());
    EXPECT_EQ(table()->numberOfRowsInSection(0), 1);
    EXPECT_EQ(arrowOf(cell(0, 0)), "DownAccessory");
    EXPECT_EQ(rgba(cell(0, 0)->textLabel()->textColor), rgba(UIColor::blackColor()));
}

// Styled as the program styles them for its dark rows: white titles, holiday
// notes and arrows, open and closed.
TEST_F(RetractableSections, WhiteTitlesReadOnTheirRowsOpenAndClosed)
{
    for (const auto& section : {weekdays, weekend}) {
        section->setTitleTextColor(UIColor::whiteColor());
        section->setTitleAlternativeTextColor(UIColor::whiteColor());
        section->setUseOnlyWhiteImages(true);
    }
    table()->reloadData();
    EXPECT_EQ(rgba(cell(0, 0)->detailTextLabel()->textColor), rgba(UIColor::whiteColor()));
    table()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_EQ(rgba(cell(0, 0)->detailTextLabel()->textColor), rgba(UIColor::whiteColor()));
    EXPECT_TRUE(NXLintViewTree(table()).empty());
    EXPECT_TRUE(snapshot::viewMatchesExpected(table(), "tests/ui/snapshots/sections-open"));
    table()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_TRUE(NXLintViewTree(table()).empty());
    EXPECT_TRUE(snapshot::viewMatchesExpected(table(), "tests/ui/snapshots/sections-closed"));
}

TEST_F(RetractableSections, AnEmptySectionOnlyTurnsItsArrow)
{
    weekend->setTitleAlternativeTextColor(UIColor::redColor());
    table()->tapRow(NSIndexPath::indexPathForRow(0, 1));
    EXPECT_TRUE(weekend->isOpen());
    EXPECT_EQ(table()->numberOfRowsInSection(1), 1);
    EXPECT_EQ(arrowOf(cell(0, 1)), "UpAccessory");
    EXPECT_EQ(rgba(cell(0, 1)->textLabel()->textColor), rgba(UIColor::redColor()));
    // White arrows when asked for, the white one always when highlighted.
    weekend->setUseOnlyWhiteImages(true);
    table()->tapRow(NSIndexPath::indexPathForRow(0, 1));
    EXPECT_EQ(arrowOf(cell(0, 1)), "DownAccessoryWhite");
    EXPECT_EQ(dynamic_cast<UIImageView*>(cell(0, 1)->accessoryView().get())->highlightedImage->name(), "DownAccessoryWhite");
}
