#include <gtest/gtest.h>

#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIWebView.h"

namespace {

struct Stopper : NSObject {
    std::vector<NSString> stopped;
    bool lastFinished = false;
    void animationDidStop(const id& info)
    {
        auto* stop = static_cast<UIViewAnimationStop*>(info.get());
        stopped.push_back(stop->animationID);
        lastFinished = stop->finished;
    }
};

}  // namespace

TEST(UIAnimationClock, DidStopFiresAtDelayPlusDuration)
{
    NXUITestDriver driver;
    auto stopper = std::make_shared<Stopper>();
    UIView::beginAnimations("slide", nullptr);
    UIView::setAnimationDuration(0.2);
    UIView::setAnimationDelay(0.1);
    UIView::setAnimationDelegate(stopper);
    UIView::setAnimationDidStopSelector(NX_SEL(Stopper, animationDidStop));
    UIView::commitAnimations();
    bool blockDone = false;
    UIView::animateWithDuration(0.5, [] {}, [&](bool finished) { blockDone = finished; });

    driver.advanceClock(0.29);
    EXPECT_TRUE(stopper->stopped.empty());
    driver.advanceClock(0.01);
    EXPECT_EQ(stopper->stopped, (std::vector<NSString>{"slide"}));
    EXPECT_TRUE(stopper->lastFinished);
    EXPECT_FALSE(blockDone);
    driver.advanceClock(0.2);
    EXPECT_TRUE(blockDone);
}

TEST(UIAnimationClock, DisabledAnimationsFireNothingAndTheDelegateIsKeptAlive)
{
    NXUITestDriver driver;
    std::weak_ptr<Stopper> weak;
    {
        auto stopper = std::make_shared<Stopper>();
        weak = stopper;
        UIView::beginAnimations("kept", nullptr);
        UIView::setAnimationDelegate(stopper);
        UIView::setAnimationDidStopSelector(NX_SEL(Stopper, animationDidStop));
        UIView::commitAnimations();
    }
    ASSERT_FALSE(weak.expired());
    driver.advanceClock(0.2);
    EXPECT_TRUE(weak.expired());  // released once it has heard of the end

    UIView::setAnimationsEnabled(false);
    auto stopper = std::make_shared<Stopper>();
    bool called = false;
    UIView::beginAnimations("off", nullptr);
    UIView::setAnimationDelegate(stopper);
    UIView::setAnimationDidStopSelector(NX_SEL(Stopper, animationDidStop));
    UIView::commitAnimations();
    UIView::animateWithDuration(0.1, [] {}, [&](bool) { called = true; });
    driver.advanceClock(5);
    EXPECT_TRUE(stopper->stopped.empty());
    EXPECT_FALSE(called);
    EXPECT_EQ(UIView::committedAnimations().size(), 3u);
}

TEST(UIAnimationClock, LayerAnimationsEndOnTheClock)
{
    struct Delegate : CAAnimationDelegate {
        std::vector<NSTimeInterval> ended;
        void animationDidStop_finished(CAAnimation* a, bool finished) override
        {
            if (finished) ended.push_back(a->duration);
        }
    };
    NXUITestDriver driver;
    auto d = std::make_shared<Delegate>();
    auto v = UIView::initWithFrame(CGRectZero);
    auto shrink = CAKeyframeAnimation::animationWithKeyPath("transform");
    shrink->duration = 0.1;
    shrink->delegate = d;
    auto grow = CAKeyframeAnimation::animationWithKeyPath("transform");
    grow->duration = 0.25;
    grow->delegate = d;
    v->layer()->addAnimation(shrink, NSString());
    driver.advanceClock(0.05);
    v->layer()->addAnimation(grow, NSString());  // anonymous: both run
    driver.advanceClock(0.05);
    EXPECT_EQ(d->ended, (std::vector<NSTimeInterval>{0.1}));
    driver.advanceClock(0.25);
    EXPECT_EQ(d->ended, (std::vector<NSTimeInterval>{0.1, 0.25}));
    EXPECT_TRUE(v->layer()->animations().empty());
}

TEST(UIAnimationClock, ScrollAnimationAndWebViewReportOnTheRunLoop)
{
    struct Log : UIScrollViewDelegate, UIWebViewDelegate {
        int scrollEnds = 0, loads = 0;
        void scrollViewDidEndScrollingAnimation(UIScrollView*) override { ++scrollEnds; }
        void webViewDidFinishLoad(UIWebView*) override { ++loads; }
    };
    NXUITestDriver driver;
    auto log = std::make_shared<Log>();
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->setContentSize(CGSizeMake(640, 400));
    sv->setDelegate(log);
    sv->setContentOffset(CGPointMake(320, 0), true);
    EXPECT_EQ(sv->contentOffset().x, 320);  // the final value at once
    EXPECT_EQ(log->scrollEnds, 0);
    driver.advanceClock(0.3);
    EXPECT_EQ(log->scrollEnds, 1);

    auto web = UIWebView::initWithFrame(CGRectMake(0, 0, 320, 400));
    web->delegate = log;
    web->loadHTMLString("<p>help</p>", "file:///help/");
    EXPECT_EQ(web->loadedHTML(), "<p>help</p>");
    EXPECT_TRUE(driver.pumpUntil([&] { return log->loads == 1; }));
}
