// The screen lint's rules, each on a small view tree built for it.

#include <gtest/gtest.h>

#include "platform/testing/NXScreenLint.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableView.h"

namespace {

std::shared_ptr<UIView> page(std::shared_ptr<UIColor> colour = UIColor::whiteColor())
{
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    root->setBackgroundColor(std::move(colour));
    return root;
}

std::shared_ptr<UILabel> label(CGRect frame, const char* text, std::shared_ptr<UIColor> colour = UIColor::blackColor())
{
    auto l = UILabel::initWithFrame(frame);
    l->setText(text);
    l->setBackgroundColor(UIColor::clearColor());
    l->textColor = std::move(colour);
    return l;
}

std::vector<std::string> findings(UIView* root)
{
    std::vector<std::string> out;
    for (const auto& f : NXLintViewTree(root)) out.push_back(NXLintDescription(f));
    return out;
}

TEST(NXScreenLint, ATreeWithNothingWrongHasNoFinding)
{
    auto root = page();
    root->addSubview(label(CGRectMake(10, 10, 200, 21), "Family location"));
    auto button = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    button->setFrame(CGRectMake(10, 50, 120, 37));
    button->setTitle("Send", UIControlStateNormal);
    root->addSubview(button);
    // A custom button with nothing of its own is a tap area over a picture.
    auto area = UIButton::buttonWithType(UIButtonTypeCustom);
    area->setFrame(CGRectMake(10, 100, 60, 60));
    root->addSubview(area);
    EXPECT_EQ(findings(root.get()), std::vector<std::string>{});
}

TEST(NXScreenLint, TextThatDoesNotFitOrIsClippedIsCut)
{
    auto root = page();
    root->addSubview(label(CGRectMake(10, 10, 80, 21), "Child's position"));
    // Shrinking to fit is no cut.
    auto shrinking = label(CGRectMake(10, 40, 80, 21), "Child's position");
    shrinking->adjustsFontSizeToFitWidth = true;
    root->addSubview(shrinking);
    // Wrapped over the lines it has: no cut; over more than it has: cut.
    auto two = label(CGRectMake(10, 70, 140, 42), "Family location settings");
    two->numberOfLines = 2;
    two->lineBreakMode = UILineBreakModeWordWrap;
    root->addSubview(two);
    auto three = label(CGRectMake(10, 120, 100, 42), "Family location settings for the whole week");
    three->numberOfLines = 0;
    three->lineBreakMode = UILineBreakModeWordWrap;
    root->addSubview(three);
    // A clipping box cuts what it holds; a scroll view's content is scrolled to.
    auto box = UIView::initWithFrame(CGRectMake(0, 200, 60, 30));
    box->setClipsToBounds(true);
    box->addSubview(label(CGRectMake(0, 0, 200, 21), "Time set"));
    root->addSubview(box);
    auto scroll = UIScrollView::initWithFrame(CGRectMake(0, 300, 60, 30));
    scroll->setClipsToBounds(true);
    scroll->addSubview(label(CGRectMake(0, 0, 200, 21), "Time set"));
    root->addSubview(scroll);
    // Past the window's edge in a scroll view: scrolled to as well; a clipping
    // box inside one still cuts.
    auto page2 = UIScrollView::initWithFrame(CGRectMake(0, 440, 320, 40));
    page2->addSubview(label(CGRectMake(300, 30, 100, 21), "Reconnect"));
    auto cell = UIView::initWithFrame(CGRectMake(0, 0, 40, 30));
    cell->setClipsToBounds(true);
    cell->addSubview(label(CGRectMake(0, 0, 200, 21), "Unlock"));
    page2->addSubview(cell);
    root->addSubview(page2);
    // A button too narrow for its title.
    auto button = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    button->setFrame(CGRectMake(10, 400, 50, 37));
    button->setTitle("Get the code", UIControlStateNormal);
    root->addSubview(button);

    const auto found = findings(root.get());
    const std::vector<std::string> expected = {
        "cut text: UILabel \"Child's position\" does not fit 80 points",
        "cut text: UILabel \"Family location settings for the whole week\" does not fit 100 points",
        "cut text: UILabel \"Time set\" is cut by the view around it",
        "cut text: UILabel \"Unlock\" is cut by the view around it",
        "cut text: UILabel \"Get the code\" does not fit 50 points",
    };
    EXPECT_EQ(found, expected);
}

TEST(NXScreenLint, TextUnderThreeToOneAgainstWhatIsBehindItIsReported)
{
    auto root = page(UIColor::colorWithRed(0.1, 0.1, 0.12, 1));
    root->addSubview(label(CGRectMake(10, 10, 200, 21), "Programs of the day", UIColor::darkGrayColor()));
    root->addSubview(label(CGRectMake(10, 40, 200, 21), "Readable", UIColor::whiteColor()));
    auto yellow = UIView::initWithFrame(CGRectMake(0, 100, 320, 40));
    yellow->setBackgroundColor(UIColor::yellowColor());
    yellow->addSubview(label(CGRectMake(10, 10, 200, 21), "White on yellow", UIColor::whiteColor()));
    root->addSubview(yellow);
    // The label's own background is what is behind its text.
    auto own = label(CGRectMake(10, 200, 200, 21), "Black on its own white", UIColor::blackColor());
    own->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(own);

    const auto found = findings(root.get());
    ASSERT_EQ(found.size(), 2u) << ::testing::PrintToString(found);
    EXPECT_EQ(found[0].rfind("contrast: UILabel \"Programs of the day\" has contrast ", 0), 0u);
    EXPECT_EQ(found[1], "contrast: UILabel \"White on yellow\" has contrast 1.0:1");
    // Colours are given back as they were.
    EXPECT_EQ(static_cast<UILabel*>(root->subviews()[0].get())->textColor->red, UIColor::darkGrayColor()->red);
}

TEST(NXScreenLint, ControlsOutsideTheWindowOrUnderAnotherViewAreUnreachable)
{
    auto root = page();
    auto make = [&](CGRect frame, const char* title) {
        auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
        b->setFrame(frame);
        b->setTitle(title, UIControlStateNormal);
        root->addSubview(b);
        return b;
    };
    make(CGRectMake(10, 460, 80, 37), "Low");
    make(CGRectMake(10, 500, 80, 37), "Parked");  // wholly below: a bar that slides in
    make(CGRectMake(10, 10, 80, 37), "Under");
    // A bar over the button's upper part: the button shows but its middle
    // cannot be touched.
    auto bar = UIView::initWithFrame(CGRectMake(0, 0, 320, 30));
    bar->setBackgroundColor(UIColor::blackColor());
    root->addSubview(bar);
    // A label over a button takes no touch, so the button is still reached.
    make(CGRectMake(10, 100, 80, 37), "Labelled");
    root->addSubview(label(CGRectMake(10, 100, 80, 37), "Labelled"));

    const std::vector<std::string> expected = {
        "outside: UIButton \"Low\" reaches past the window",
        "cut text: UILabel \"Low\" is cut by the view around it",
        "covered: UIButton \"Under\" is under UIView",
    };
    EXPECT_EQ(findings(root.get()), expected);
}

TEST(NXScreenLint, WhatLiesUnderAWholeWindowLayerIsNotSeen)
{
    auto root = page();
    auto button = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    button->setFrame(CGRectMake(10, 10, 40, 37));
    button->setTitle("Send the code", UIControlStateNormal);  // cut, but dimmed out
    root->addSubview(button);
    auto dim = UIView::initWithFrame(root->bounds());
    dim->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
    root->addSubview(dim);
    dim->addSubview(label(CGRectMake(10, 200, 60, 21), "Log in now"));
    const std::vector<std::string> expected = {"cut text: UILabel \"Log in now\" does not fit 60 points"};
    EXPECT_EQ(findings(root.get()), expected);
}

// A screen laid over part of another hides the labels under it: they are not
// seen, so their contrast is nobody's concern.
TEST(NXScreenLint, TextUnderAnotherScreenIsNotMeasured)
{
    auto root = page();
    root->addSubview(label(CGRectMake(10, 200, 200, 21), "Remember password"));
    auto over = UIView::initWithFrame(CGRectMake(0, 20, 320, 460));
    over->setBackgroundColor(UIColor::darkGrayColor());
    root->addSubview(over);
    EXPECT_EQ(findings(root.get()), std::vector<std::string>{});
}

// A HUD: a clear view over the whole of its host that takes touches and
// draws a translucent box in its middle.
class Hud : public UIView {
public:
    void drawRect(CGRect) override
    {
        CGContextRef c = UIGraphicsGetCurrentContext();
        CGContextSetRGBFillColor(c, 0, 0, 0, 0.8);
        CGContextFillRect(c, CGRectMake(30, 180, 260, 100));
    }
};

// A bar that draws itself (no background colour), opaque.
class Bar : public UIView {
public:
    void drawRect(CGRect) override
    {
        CGContextRef c = UIGraphicsGetCurrentContext();
        CGContextSetRGBFillColor(c, 0.2, 0.2, 0.2, 1);
        CGContextFillRect(c, bounds());
    }
};

std::shared_ptr<UIButton> button(UIView* host, CGRect frame, const char* title)
{
    auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    b->setFrame(frame);
    b->setTitle(title, UIControlStateNormal);
    host->addSubview(b);
    return b;
}

// Text and controls that a view drawn later covers are not what the user
// sees there: a HUD's box over a screen's buttons, a bar over a hidden one.
// What shows beside the overlay is still measured and reached for.
TEST(NXScreenLint, WhatALaterViewCoversIsNotMeasured)
{
    auto root = page();
    auto screen = UIView::initWithFrame(CGRectMake(0, 20, 320, 460));
    screen->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(screen);
    button(screen.get(), CGRectMake(40, 170, 110, 40), "Log in");  // its top shows above the box
    screen->addSubview(label(CGRectMake(170, 210, 100, 21), "Forgot it?", UIColor::colorWithWhite(0.75, 1)));
    screen->addSubview(label(CGRectMake(20, 400, 200, 21), "Pale and in sight", UIColor::colorWithWhite(0.8, 1)));
    screen->addSubview(UIView::initWithFrame<Hud>(screen->bounds()));
    // A sheet's own placeholder button under the bar the sheet lays over it.
    auto sheet = UIView::initWithFrame(CGRectMake(0, 0, 320, 60));
    button(sheet.get(), CGRectMake(10, 10, 300, 40), " ");
    sheet->addSubview(UIView::initWithFrame<Bar>(sheet->bounds()));
    root->addSubview(sheet);
    const auto found = findings(root.get());
    ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
    EXPECT_EQ(found[0].rfind("contrast: UILabel \"Pale and in sight\" has contrast ", 0), 0u);
}

// A view over a control's middle that takes touches but is no modal layer
// (a tap area over part of the screen) leaves the control unreachable, also
// when the screen they share is opaque.
TEST(NXScreenLint, AControlUnderATapAreaOnItsOwnScreenIsCovered)
{
    auto root = page();
    auto screen = UIView::initWithFrame(CGRectMake(0, 20, 320, 460));
    screen->setBackgroundColor(UIColor::whiteColor());
    root->addSubview(screen);
    button(screen.get(), CGRectMake(40, 100, 110, 40), "Send");
    screen->addSubview(UIView::initWithFrame<UIControl>(CGRectMake(0, 60, 320, 120)));
    const std::vector<std::string> expected = {"covered: UIButton \"Send\" is under UIControl"};
    EXPECT_EQ(findings(root.get()), expected);
}

// A control of a kind with a look of its own (here one that forgot to draw).
class Dial : public UIControl {};

TEST(NXScreenLint, AControlThatDrawsNoPixelIsReported)
{
    auto root = page();
    auto blank = UIView::initWithFrame<Dial>(CGRectMake(0, 100, 320, 216));
    root->addSubview(blank);
    auto painted = UIView::initWithFrame<Dial>(CGRectMake(0, 320, 320, 40));
    painted->setBackgroundColor(UIColor::grayColor());
    root->addSubview(painted);
    auto hidden = UIView::initWithFrame<Dial>(CGRectMake(0, 400, 320, 40));
    hidden->setHidden(true);
    root->addSubview(hidden);
    // A plain control is a tap area over the page: nothing of its own to draw.
    root->addSubview(UIView::initWithFrame<UIControl>(CGRectMake(0, 0, 320, 90)));
    const auto found = findings(root.get());
    ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
    EXPECT_EQ(found[0].rfind("drew nothing: ", 0), 0u);
    EXPECT_NE(found[0].find("Dial puts no pixel on the screen"), std::string::npos);
}


TEST(NXScreenLint, TextThatAControlDrawnAfterItPaintsOverIsCoveredText)
{
    // A row's count laid out at the row's right end, under its detail
    // disclosure button: the accessory narrows the content view, but the
    // count kept its frame.
    auto root = page();
    auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "Row");
    cell->setFrame(CGRectMake(0, 100, 320, 44));
    auto count = label(CGRectMake(210, 0, 100, 44), "12");
    count->textAlignment = UITextAlignmentRight;
    cell->contentView()->addSubview(count);
    cell->accessoryType = UITableViewCellAccessoryDetailDisclosureButton;
    root->addSubview(cell);
    // A label beside a button, and a button's own title, are no such fault.
    root->addSubview(label(CGRectMake(10, 200, 100, 30), "Name"));
    button(root.get(), CGRectMake(120, 200, 100, 30), "Save");
    const auto found = findings(root.get());
    ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
    EXPECT_EQ(found[0], "covered text: UILabel \"12\" is under UITableViewCellAccessory");
    // Laid out within the content view that the accessory leaves, it is clear.
    cell->contentView()->setFrame(CGRectMake(0, 0, 320, 44));
    count->setFrame(CGRectMake(210, 0, 100, 44));
    count->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    cell->setNeedsLayout();
    EXPECT_EQ(findings(root.get()), std::vector<std::string>{});
}

TEST(NXScreenLint, AControlWhoseFaceShowsNoneOfItsGivenColourHasNoColour)
{
    auto root = page();
    // A tinted segmented control of the plain style with nothing selected
    // shows its tint nowhere; the bar style shows it on every segment.
    auto plain = UISegmentedControl::initWithItems({"Save"});
    plain->tintColor = UIColor::colorWithRed(0, 0.85, 0, 1);
    plain->setFrame(CGRectMake(10, 10, 60, 30));
    root->addSubview(plain);
    auto bar = UISegmentedControl::initWithItems({"Add"});
    bar->tintColor = UIColor::colorWithRed(0, 0.85, 0, 1);
    bar->segmentedControlStyle = UISegmentedControlStyleBar;
    bar->setFrame(CGRectMake(100, 10, 60, 30));
    root->addSubview(bar);
    // A title colour that the title shows, and one that it cannot (the title
    // is hidden under the button's own background image).
    auto red = button(root.get(), CGRectMake(10, 60, 100, 37), "Cut network");
    red->setTitleColor(UIColor::redColor(), UIControlStateNormal);
    auto hidden = button(root.get(), CGRectMake(10, 110, 100, 37), "Lock");
    hidden->setTitleColor(UIColor::redColor(), UIControlStateNormal);
    hidden->titleLabel()->setHidden(true);
    const std::vector<std::string> expected = {"no colour: UISegmentedControl \"Save\" shows none of its tint (0.00, 0.85, 0.00)",
                                               "no colour: UIButton \"Lock\" shows none of its title colour (1.00, 0.00, 0.00)"};
    EXPECT_EQ(findings(root.get()), expected);
}

TEST(NXScreenLint, AStretchableImageInLessRoomThanItsCapsIsAStretchedCap)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(20, 10), false, 1);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.5, 0.5, 0.5, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 20, 10));
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 0, 0, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 4, 10));
    auto half = UIGraphicsGetImageFromCurrentImageContext()->stretchableImageWithLeftCapWidth(10, 0);
    UIGraphicsEndImageContext();
    auto root = page();
    auto wide = UIImageView::initWithImage(half);
    wide->setFrame(CGRectMake(0, 10, 150, 10));
    root->addSubview(wide);
    auto squeezed = UIImageView::initWithImage(half);
    squeezed->setFrame(CGRectMake(0, 40, 12, 10));
    root->addSubview(squeezed);
    const std::vector<std::string> expected = {"stretched cap: UIImageView is 12 points wide, less than its image's caps (19 points)"};
    EXPECT_EQ(findings(root.get()), expected);
}

}  // namespace
