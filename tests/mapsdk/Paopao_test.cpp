// Callout bubbles: width fitted to the texts, the halves, accessory room,
// placement over a point, taps reaching the delegate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "mapsdk/Paopao.h"
#include "platform/testing/NXUITestDriver.h"

namespace {

std::shared_ptr<UIView> Accessory(CGFloat width)
{
    return UIView::initWithFrame(CGRectMake(0, 0, width, 30));
}

class MoreListener : public NSObject, public PaopaoBaseViewDelegate {
public:
    void onMoreButtonClicked() override { ++clicks; }
    int clicks = 0;
};

class NotADelegate : public NSObject {};

// A delegate of an action bubble whose ends do something.
class RouteListener : public NSObject {
public:
    void showRoute() { ++routes; }
    int routes = 0;
};

class RouteBubble : public ActionPaopaoView {
public:
    SEL rightPaopaoClickedSelector() const override { return VIZ_PAOPAO_SEL(RouteListener, showRoute); }
    void onClickRightButton() override { clickPaopao(rightPaopaoClickedSelector()); }
};

}  // namespace

TEST(Paopao, WidthFollowsTheTextBetweenMinimumAndMaximum)
{
    auto bubble = PaopaoBaseView::initWithText("Hi", {});
    EXPECT_EQ(bubble->frame().size.width, 86);
    // The body is as high as its halves: 41 points and the pointer.
    EXPECT_EQ(bubble->frame().size.height, 48);
    PaopaoButton* button = bubble->paopaoButton();
    EXPECT_TRUE(button->detailLabel()->hidden());
    CGFloat titleHeight = button->label()->frame().size.height;
    EXPECT_EQ(button->label()->frame().origin.y, std::floor((41 - titleHeight) / 2));
    EXPECT_EQ(button->label()->textColor->red, 59 / 255.0);

    std::string longText(80, 'W');
    bubble->setText(NSString(longText), "detail");
    EXPECT_EQ(bubble->frame().size.width, 300);
    EXPECT_EQ(button->label()->frame().size.width, 290);
    EXPECT_FALSE(button->detailLabel()->hidden());
    EXPECT_EQ(button->detailLabel()->frame().origin.y,
              button->label()->frame().origin.y + button->label()->frame().size.height);

    // In between, the text and the padding.
    bubble->setText("Tiananmen Square, Beijing", {});
    CGFloat expected = sizeWithFont("Tiananmen Square, Beijing", UIFont::systemFontOfSize(15)).width + 10;
    ASSERT_GT(expected, 86);
    EXPECT_EQ(bubble->frame().size.width, expected);
}

TEST(Paopao, OddWidthsSplitWithTheRightHalfWider)
{
    auto bubble = PaopaoBaseView::init();
    PaopaoButton* button = bubble->paopaoButton();
    button->adjustPaopaoForWidth(101, 0);
    EXPECT_EQ(button->leftImage()->frame().size.width, 50);
    EXPECT_EQ(button->rightImage()->frame().origin.x, 50);
    EXPECT_EQ(button->rightImage()->frame().size.width, 51);
    EXPECT_EQ(button->frame().size.width, 101);
}

TEST(Paopao, AccessoriesTakeRoomFromTheMaximum)
{
    std::string longText(80, 'W');
    auto left = Accessory(30);
    auto bubble = ActionPaopaoView::initWithLeftView(left, nullptr);
    bubble->setText(NSString(longText), {});
    EXPECT_EQ(bubble->paopaoButton()->maxWidth(), 237);
    EXPECT_EQ(bubble->frame().size.width, 270);
    EXPECT_EQ(left->frame().origin.x, 6);
    EXPECT_EQ(left->frame().origin.y, 5);
    // The labels move right past the left view.
    EXPECT_EQ(bubble->paopaoButton()->label()->frame().origin.x, 5 + 33);

    auto right = Accessory(40);
    auto both = ActionPaopaoView::initWithLeftView(nullptr, right);
    both->setText("Hi", {});
    // A wide accessory reserves only 35 points; it sits at the right end.
    EXPECT_EQ(both->frame().size.width, 86 + 35);
    EXPECT_EQ(right->frame().origin.x, 86 - 3);
}

TEST(Paopao, WideAccessoriesNeverGiveNegativeFrames)
{
    auto bubble = ActionPaopaoView::initWithLeftView(Accessory(200), Accessory(200));
    bubble->setText("A long enough title for the bubble", "and a detail line");
    PaopaoButton* button = bubble->paopaoButton();
    EXPECT_EQ(button->maxWidth(), 86);
    EXPECT_GE(button->label()->frame().size.width, 0);
    EXPECT_GE(button->leftImage()->frame().size.width, 0);
    EXPECT_GE(bubble->frame().size.width, 86);
}

TEST(Paopao, BubbleReleasesOnlyItsOwnAccessories)
{
    auto left = Accessory(20);
    auto newer = ActionPaopaoView::initWithLeftView(nullptr, nullptr);
    {
        auto old = ActionPaopaoView::initWithLeftView(left, nullptr);
        EXPECT_EQ(left->superview(), old.get());
        newer->addSubview(left);
    }
    EXPECT_EQ(left->superview(), newer.get());
    {
        auto kept = ActionPaopaoView::initWithLeftView(left, nullptr);
        (void)kept;
    }
    EXPECT_EQ(left->superview(), nullptr);
}

TEST(Paopao, ShownWithItsPointerOnThePoint)
{
    auto bubble = PaopaoBaseView::initWithText("Hi", {});
    bubble->showAtPoint(CGPointMake(100, 200));
    EXPECT_EQ(bubble->frame().origin.x, 100 - 43);
    EXPECT_EQ(bubble->frame().origin.y, 200 - 48);
}

TEST(Paopao, TapReachesOnlyADelegateOfTheProtocol)
{
    NXUITestDriver driver;
    auto bubble = PaopaoBaseView::initWithText("Hi", "there");
    bubble->showAtPoint(CGPointMake(160, 240));
    driver.window()->addSubview(bubble);
    auto listener = std::make_shared<MoreListener>();
    bubble->setDelegate(listener);
    ASSERT_TRUE(driver.tap(bubble->paopaoButton()));
    EXPECT_EQ(listener->clicks, 1);

    auto other = std::make_shared<NotADelegate>();
    bubble->setDelegate(other);
    EXPECT_TRUE(driver.tap(bubble->paopaoButton()));
    EXPECT_EQ(listener->clicks, 1);

    // Pressing lights both halves; the control keeps its own state.
    bubble->paopaoButton()->setHighlighted(true);
    EXPECT_TRUE(bubble->paopaoButton()->leftImage()->highlighted);
    EXPECT_TRUE(bubble->paopaoButton()->rightImage()->highlighted);
    EXPECT_NE(bubble->paopaoButton()->leftImage()->highlightedImage, nullptr);
}

// Each bubble names its images; the body made by init is the plain one, a
// body made anew from the names wears the variant's own, and a tap on an
// end performs its selector on a delegate that answers it.
TEST(Paopao, TheActionBubbleNamesItsOwnImagesAndItsEndsReachTheDelegate)
{
    auto plain = PaopaoBaseView::init();
    auto action = ActionPaopaoView::initWithLeftView(nullptr, nullptr);
    EXPECT_EQ(plain->middlePaopaoLeftImage(), NSString("icon_paopao_middle_left"));
    EXPECT_EQ(plain->middlePaopaoRightImageStretchRect().origin.x, 9);
    EXPECT_FALSE(plain->middlePaopaoClickedSelector());
    EXPECT_EQ(action->middlePaopaoRightHighlightedImage(), NSString("icon_action_paopao_middle_right_highlighted"));
    EXPECT_EQ(action->middlePaopaoLeftImageStretchRect().origin.x, 1);
    EXPECT_EQ(action->leftPaopaoImage(), NSString("icon_action_paopao_left_nearby"));
    EXPECT_EQ(action->rightPaopaoHighlightedImage(), NSString("icon_action_paopao_right_route_highlighted"));
    EXPECT_FALSE(action->leftPaopaoClickedSelector());

    // The plain body at first; anew, the action body's, as the only body.
    const auto plainLeft = action->paopaoButton()->leftImage()->image;
    ASSERT_NE(plainLeft, nullptr);
    EXPECT_EQ(plainLeft->leftCapWidth(), 10);
    action->initPaopaoButton();
    PaopaoButton* body = action->paopaoButton();
    ASSERT_NE(body->leftImage()->image, nullptr);
    EXPECT_EQ(body->leftImage()->image->leftCapWidth(), 1);
    EXPECT_NE(body->rightImage()->highlightedImage, nullptr);
    size_t bodies = 0;
    for (const auto& v : action->subviews()) bodies += dynamic_cast<PaopaoButton*>(v.get()) != nullptr;
    EXPECT_EQ(bodies, 1u);
    action->setText("Home", "green");
    EXPECT_EQ(body->label()->text(), NSString("Home"));

    auto bubble = UIView::initWithFrame<RouteBubble>(CGRectZero);
    auto listener = std::make_shared<RouteListener>();
    bubble->onClickLeftButton();
    bubble->onClickRightButton();  // no delegate yet
    bubble->setDelegate(listener);
    bubble->onClickLeftButton();
    bubble->onClickRightButton();
    EXPECT_EQ(listener->routes, 1);
    bubble->setDelegate(std::make_shared<NotADelegate>());
    bubble->onClickRightButton();
    EXPECT_EQ(listener->routes, 1);
}
