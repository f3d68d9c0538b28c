// Touches on the map's tap view sorted into gestures, as a user makes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapsdk/TapDetectingView.h"
#include "platform/testing/NXUITestDriver.h"

namespace {

struct Report {
    std::string what;
    CGPoint at;
};

class Recorder : public TapDetectingViewDelegate {
public:
    void tapDetectingView_beginTouchPoint(TapDetectingView*, CGPoint p) override { log.push_back({"begin", p}); }
    void tapDetectingView_moveTouchPoint(TapDetectingView*, CGPoint p) override { log.push_back({"move", p}); }
    void tapDetectingView_endTouchPoint(TapDetectingView*, CGPoint p) override { log.push_back({"end", p}); }
    void tapDetectingView_gotLongPress(TapDetectingView*, CGPoint p) override { log.push_back({"long", p}); }
    void tapDetectingView_gotNormalPress(TapDetectingView*, CGPoint p) override { log.push_back({"press", p}); }
    void tapDetectingView_gotSingleTapAtPoint(TapDetectingView*, CGPoint p) override { log.push_back({"single", p}); }
    void tapDetectingView_gotDoubleTapAtPoint(TapDetectingView*, CGPoint p) override { log.push_back({"double", p}); }
    void tapDetectingView_gotTwoFingerTapAtPoint(TapDetectingView*, CGPoint p) override
    {
        log.push_back({"two", p});
    }

    std::string names() const
    {
        std::string s;
        for (const auto& r : log) s += (s.empty() ? "" : " ") + r.what;
        return s;
    }
    std::vector<Report> log;
};

class TapDetectingViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = TapDetectingView::initWithFrame(CGRectMake(0, 0, 200, 100));
        view->setMultipleTouchEnabled(true);
        view->setDelegate(recorder);
        driver.window()->addSubview(view);
    }

    NXUITestDriver driver;
    std::shared_ptr<TapDetectingView> view;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

}  // namespace

TEST_F(TapDetectingViewTest, SingleTapWaitsForASecondTap)
{
    ASSERT_TRUE(driver.touchDown(CGPointMake(30, 40)));
    driver.touchUp();
    EXPECT_EQ(recorder->names(), "begin end");
    driver.advanceClock(0.34);
    EXPECT_EQ(recorder->names(), "begin end");
    driver.advanceClock(0.01);
    EXPECT_EQ(recorder->names(), "begin end single");
    EXPECT_EQ(recorder->log.back().at.x, 30);
    EXPECT_EQ(recorder->log.back().at.y, 40);
    // Nothing more: the long-press timer died with the touch.
    driver.advanceClock(2);
    EXPECT_EQ(recorder->names(), "begin end single");
}

TEST_F(TapDetectingViewTest, SecondTapMakesADoubleTapAtItsPlace)
{
    driver.touchDown(CGPointMake(30, 40));
    driver.touchUp();
    driver.advanceClock(0.2);
    driver.touchDown(CGPointMake(34, 44), 2);
    driver.touchUp();
    driver.advanceClock(1);
    EXPECT_EQ(recorder->names(), "begin end begin end double");
    EXPECT_EQ(recorder->log.back().at.x, 34);
    EXPECT_EQ(recorder->log.back().at.y, 44);
}

TEST_F(TapDetectingViewTest, HeldFingerGivesALongPressAndNoPlainPress)
{
    driver.touchDown(CGPointMake(50, 50));
    driver.touchMove(CGPointMake(60, 55));
    driver.advanceClock(1.0);
    EXPECT_EQ(recorder->names(), "begin move long");
    EXPECT_EQ(recorder->log.back().at.x, 60);
}

TEST_F(TapDetectingViewTest, LiftingAfterALongPressReportsOnlyTheEnd)
{
    ASSERT_TRUE(driver.pressAndHold(view.get(), 1.5));
    EXPECT_EQ(recorder->names(), "begin long end");
}

TEST_F(TapDetectingViewTest, ShortHoldGivesAPlainPress)
{
    ASSERT_TRUE(driver.pressAndHold(view.get(), 0.6));
    EXPECT_EQ(recorder->names(), "begin end press");
    EXPECT_EQ(recorder->log.back().at.x, 100);
    EXPECT_EQ(recorder->log.back().at.y, 50);
}

TEST_F(TapDetectingViewTest, DragStopsTheLongPress)
{
    driver.touchDown(CGPointMake(50, 50));
    view->notifyDrag();
    driver.advanceClock(2);
    EXPECT_EQ(recorder->names(), "begin");
    driver.touchUp();
    driver.advanceClock(1);
    EXPECT_EQ(recorder->names(), "begin end single");
}

TEST_F(TapDetectingViewTest, TwoFingersGiveOneTapAtTheirMidpoint)
{
    for (bool together : {true, false}) {
        SCOPED_TRACE(together ? "lifted together" : "lifted one after the other");
        recorder->log.clear();
        ASSERT_TRUE(driver.twoFingerTap(view.get(), together));
        driver.advanceClock(2);
        ASSERT_FALSE(recorder->log.empty());
        EXPECT_EQ(recorder->log.back().what, "two");
        EXPECT_EQ(recorder->log.back().at.x, 100);
        EXPECT_EQ(recorder->log.back().at.y, 50);
        EXPECT_EQ(recorder->names().find("single"), std::string::npos);
        EXPECT_EQ(recorder->names().find("long"), std::string::npos);
    }
}

TEST_F(TapDetectingViewTest, ThirdFingerSuppressesTheTwoFingerTap)
{
    auto a = std::make_shared<UITouch>(view, CGPointMake(10, 10), 1);
    auto b = std::make_shared<UITouch>(view, CGPointMake(20, 10), 1);
    auto c = std::make_shared<UITouch>(view, CGPointMake(30, 10), 1);
    UIEvent three({a, b, c});
    view->touchesBegan({a, b, c}, &three);
    view->touchesEnded({a, b}, &three);
    UIEvent last({c});
    view->touchesEnded({c}, &last);
    driver.advanceClock(2);
    EXPECT_EQ(recorder->names().find("two"), std::string::npos);

    // The sequence is over: the next two-finger tap counts again.
    recorder->log.clear();
    ASSERT_TRUE(driver.twoFingerTap(view.get()));
    EXPECT_EQ(recorder->log.back().what, "two");
}

TEST_F(TapDetectingViewTest, SecondFingerKeepsTheFirstFingersLongPress)
{
    auto a = std::make_shared<UITouch>(view, CGPointMake(10, 10), 1);
    UIEvent one({a});
    view->touchesBegan({a}, &one);
    auto b = std::make_shared<UITouch>(view, CGPointMake(20, 10), 1);
    UIEvent two({a, b});
    view->touchesBegan({b}, &two);
    driver.advanceClock(1);
    EXPECT_EQ(recorder->names(), "begin long");
}
