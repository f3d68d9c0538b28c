// The small widgets: the marquee, the picker sheet, the sliding panel, and
// the image and bar-button categories.

#include <gtest/gtest.h>

#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIPickerView.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/TextFlowView.h"
#include "ui/UIBarButtonItemTint.h"
#include "ui/UIImageCategories.h"
#include "ui/VerticalPopupPanel.h"
#include "ui/ZarpeActionSheet.h"

namespace {

const NSString kLongText = "Study PC is online: 2 hours 15 minutes used today, web filter on";

std::shared_ptr<UIView> darkHost(NXUITestDriver& driver, CGRect frame)
{
    auto host = UIView::initWithFrame(frame);
    host->setBackgroundColor(UIColor::colorWithRed(0.15, 0.2, 0.3, 1));
    driver.window()->addSubview(host);
    return host;
}

struct SheetDelegate : UIActionSheetDelegate {
    std::vector<NSInteger> dismissed;
    void actionSheet_didDismissWithButtonIndex(UIActionSheet*, NSInteger i) override { dismissed.push_back(i); }
};

class Target : public NSObject {
public:
    int taps = 0;
    void tapped(const id&) { ++taps; }
};

}  // namespace

TEST(TextFlowView, NarrowTextIsCentredAndStill)
{
    NXUITestDriver driver;
    auto host = darkHost(driver, CGRectMake(0, 0, 320, 30));
    auto flow = TextFlowView::initWithFrame(CGRectMake(0, 0, 320, 30), "Online");
    host->addSubview(flow);
    EXPECT_FALSE(flow->needFlow());
    EXPECT_FALSE(flow->isRunning());
    driver.advanceClock(1);
    EXPECT_EQ(flow->XOffset(), 0);
    // White text in the middle, nothing at the edges.
    auto image = NXSnapshotImage(host.get());
    bool middle = false;
    for (int x = 140; x < 180; ++x) middle = middle || NXImagePixelAt(image, CGPointMake(x, 15)).r > 200;
    EXPECT_TRUE(middle);
    EXPECT_LT(NXImagePixelAt(image, CGPointMake(5, 15)).r, 100);
}

TEST(TextFlowView, WideTextScrollsAPointEvery20MillisecondsUntilCancelled)
{
    NXUITestDriver driver;
    auto host = darkHost(driver, CGRectMake(0, 0, 200, 30));
    auto flow = TextFlowView::initWithFrame(CGRectMake(0, 0, 200, 30), kLongText);
    host->addSubview(flow);
    ASSERT_TRUE(flow->needFlow());
    ASSERT_TRUE(flow->isRunning());
    driver.advanceClock(0.05);  // fires at 0.02 and 0.04
    EXPECT_EQ(flow->XOffset(), -2);

    // Once the first copy has gone by, the next stands where it began, 50 points on.
    const int width = static_cast<int>(flow->textSize().width);
    for (int i = 2; i < width; ++i) flow->timerAction();
    EXPECT_EQ(flow->XOffset(), 50);
    // The end of one copy and the start of the next, 50 points apart.
    for (int i = 0; i < width - 50; ++i) flow->timerAction();
    EXPECT_EQ(flow->XOffset(), 100 - width);
    EXPECT_TRUE(snapshot::viewMatchesExpected(host.get(), "tests/ui/snapshots/marquee"));

    flow->cancelRun();
    EXPECT_FALSE(flow->isRunning());
    driver.advanceClock(0.05);
    EXPECT_EQ(flow->XOffset(), 100 - width);
}

TEST(TextFlowView, MoveNewPointKeepsTheFarEdges)
{
    EXPECT_EQ(TextFlowView::moveNewPoint(CGPointMake(30, 5), CGRectMake(10, 0, 100, 20)), CGRectMake(30, 5, 80, 15));
    EXPECT_EQ(TextFlowView::moveNewPoint(CGPointMake(-20, 0), CGRectMake(0, 0, 100, 20)), CGRectMake(-20, 0, 120, 20));
}

TEST(ZarpeActionSheet, BlankButtonsGiveTheHeightAndTheContentViewTheRest)
{
    struct Case {
        float height;
        NSInteger buttons;
    };
    for (const auto& c : {Case{260, 4}, Case{80, 0}, Case{20, 0}, Case{300, 5}}) {
        SCOPED_TRACE(c.height);
        auto sheet = ZarpeActionSheet::initWithHeight(c.height, "Choose");
        EXPECT_EQ(sheet->numberOfButtons(), c.buttons);
        for (NSInteger i = 0; i < c.buttons; ++i) EXPECT_EQ(sheet->buttonTitleAtIndex(i), " ");
        EXPECT_EQ(sheet->toolBar()->frame(), CGRectMake(0, 0, 320, 44));
        EXPECT_EQ(sheet->view()->frame(), CGRectMake(0, 44, 320, c.height - 44));
    }
}

TEST(ZarpeActionSheet, ShownWithAPickerAndCancelledFromTheToolbar)
{
    NXUITestDriver driver;
    auto screen = UIView::initWithFrame(driver.window()->bounds());
    screen->setBackgroundColor(UIColor::whiteColor());
    driver.window()->addSubview(screen);
    auto sheet = ZarpeActionSheet::initWithHeight(260, "Device");
    auto delegate = std::make_shared<SheetDelegate>();
    sheet->delegate = delegate;
    auto choice = UILabel::initWithFrame(CGRectMake(20, 20, 280, 40));
    choice->setText("Study PC");
    choice->setBackgroundColor(UIColor::whiteColor());
    choice->textAlignment = UITextAlignmentCenter;
    sheet->view()->addSubview(choice);
    sheet->showInView(screen.get());
    EXPECT_EQ(sheet->frame(), CGRectMake(0, 220, 320, 260));
    const auto& items = sheet->toolBar()->items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[2]->title, "Device");
    EXPECT_EQ(items[4]->title, "Cancel");
    EXPECT_EQ(items[4]->style, UIBarButtonItemStyleDone);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver.window(), "tests/ui/snapshots/picker-sheet"));

    ASSERT_TRUE(driver.tap(items[4]->barView().get()));
    EXPECT_FALSE(sheet->visible());
    EXPECT_EQ(delegate->dismissed, std::vector<NSInteger>{0});
}

TEST(VerticalPopupPanel, SlidesBetweenItsFrameAndAZeroHeightEdge)
{
    NXUITestDriver driver;
    const CGRect fromFile = CGRectMake(10, 100, 300, 200);
    auto panel = VerticalPopupPanel::initWithCoder(fromFile);
    EXPECT_EQ(panel->frame(), CGRectMake(10, 300, 300, 0));
    EXPECT_FALSE(panel->isPopup());
    EXPECT_TRUE(panel->clipsToBounds());

    UIView::clearCommittedAnimations();
    panel->popup();
    EXPECT_TRUE(panel->isPopup());
    EXPECT_EQ(panel->frame(), fromFile);
    ASSERT_EQ(UIView::committedAnimations().size(), 1u);
    EXPECT_EQ(UIView::committedAnimations()[0].duration, 0.2);
    EXPECT_EQ(UIView::committedAnimations()[0].curve, UIViewAnimationCurveLinear);
    panel->hide();
    EXPECT_EQ(panel->frame(), CGRectMake(10, 300, 300, 0));

    panel->direction(false);  // changes nothing
    EXPECT_EQ(panel->frame(), CGRectMake(10, 300, 300, 0));
    panel->direction(true);   // the shut frame moves to the top edge at once
    EXPECT_TRUE(panel->isDirectionUp());
    EXPECT_EQ(panel->frame(), CGRectMake(10, 100, 300, 0));
    panel->popup();
    panel->hide();
    EXPECT_EQ(panel->frame(), CGRectMake(10, 100, 300, 0));
}

TEST(UIImageCategories, ColourImagesAndScaling)
{
    auto red = createImageWithColor(UIColor::colorWithRed(1, 0, 0, 1));
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->size(), CGSizeMake(1, 1));
    EXPECT_EQ(NXImagePixelAt(red, CGPointMake(0, 0)), (NXPixel{255, 0, 0, 255}));

    auto scaled = scaleToSize(red, CGSizeMake(4, 3));
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->size(), CGSizeMake(4, 3));
    EXPECT_EQ(NXImagePixelAt(scaled, CGPointMake(3, 2)), (NXPixel{255, 0, 0, 255}));
    EXPECT_EQ(scaleToSize(nullptr, CGSizeMake(4, 3)), nullptr);
}

TEST(UIBarButtonItemTint, AMomentaryTintedSegmentSendsTheAction)
{
    NXUITestDriver driver;
    auto target = std::make_shared<Target>();
    auto item = barButtonItemWithTint(UIColor::colorWithRed(0.8, 0.1, 0.1, 1), "Edit", target, NX_SEL(Target, tapped));
    auto* control = dynamic_cast<UISegmentedControl*>(item->customView.get());
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->numberOfSegments(), 1u);
    EXPECT_EQ(control->titleForSegmentAtIndex(0), "Edit");
    EXPECT_TRUE(control->momentary);
    EXPECT_EQ(control->segmentedControlStyle, UISegmentedControlStyleBar);
    auto bar = UIToolbar::initWithFrame(CGRectMake(0, 0, 320, 44));
    bar->setItems({item});
    driver.window()->addSubview(bar);
    ASSERT_TRUE(driver.tap(control));
    EXPECT_EQ(target->taps, 1);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControlNoSegment);
}
