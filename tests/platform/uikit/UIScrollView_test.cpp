#include <gtest/gtest.h>

#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIScrollView.h"

namespace {

struct ScrollLog : UIScrollViewDelegate {
    std::vector<std::string> calls;
    CGFloat offsetAtEndOfDrag = 0;
    std::shared_ptr<UIView> zoomView;
    void scrollViewDidScroll(UIScrollView*) override { calls.push_back("scroll"); }
    void scrollViewWillBeginDragging(UIScrollView*) override { calls.push_back("willDrag"); }
    void scrollViewDidEndDragging_willDecelerate(UIScrollView* sv, bool d) override
    {
        offsetAtEndOfDrag = sv->contentOffset().y;
        calls.push_back(d ? "endDrag+decel" : "endDrag");
    }
    void scrollViewWillBeginDecelerating(UIScrollView*) override { calls.push_back("willDecel"); }
    void scrollViewDidEndDecelerating(UIScrollView*) override { calls.push_back("endDecel"); }
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView*) override { return zoomView; }
    void scrollViewDidEndZooming_withView_atScale(UIScrollView*, UIView*, CGFloat s) override
    {
        calls.push_back("zoomed " + std::to_string(static_cast<int>(s * 10)));
    }
};

}  // namespace

TEST(UIScrollView, PullingPastTheTopHoldsUntilTheFingerLifts)
{
    NXUITestDriver driver;
    auto log = std::make_shared<ScrollLog>();
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->setContentSize(CGSizeMake(320, 1000));
    sv->setDelegate(log);
    driver.window()->addSubview(sv);
    driver.drag(sv.get(), CGPointMake(0, 80));
    EXPECT_EQ(log->offsetAtEndOfDrag, -80);  // what a pull-to-refresh header reads
    EXPECT_EQ(sv->contentOffset().y, 0);
    EXPECT_EQ(log->calls, (std::vector<std::string>{"willDrag", "scroll", "endDrag", "scroll"}));
    log->calls.clear();
    sv->bounces = false;
    driver.drag(sv.get(), CGPointMake(0, -5000), true);
    EXPECT_EQ(log->offsetAtEndOfDrag, 600);
    EXPECT_EQ(log->calls, (std::vector<std::string>{"willDrag", "scroll", "endDrag+decel", "willDecel", "endDecel"}));
}

TEST(UIScrollView, PagingRestsOnAPage)
{
    NXUITestDriver driver;
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->setContentSize(CGSizeMake(960, 400));
    sv->pagingEnabled = true;
    driver.window()->addSubview(sv);
    driver.drag(sv.get(), CGPointMake(-200, 0), true);
    EXPECT_EQ(sv->contentOffset().x, 320);
    driver.drag(sv.get(), CGPointMake(-100, 0), true);
    EXPECT_EQ(sv->contentOffset().x, 320);
    sv->scrollEnabled = false;
    driver.drag(sv.get(), CGPointMake(-400, 0), true);
    EXPECT_EQ(sv->contentOffset().x, 320);
}

TEST(UIScrollView, ZoomStaysWithinItsLimits)
{
    auto log = std::make_shared<ScrollLog>();
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->setDelegate(log);
    sv->setZoomScale(2);
    EXPECT_EQ(sv->zoomScale(), 1);  // nothing to zoom
    log->zoomView = UIView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->addSubview(log->zoomView);
    sv->maximumZoomScale = 3;
    sv->pinch(5);
    EXPECT_EQ(sv->zoomScale(), 3);
    EXPECT_EQ(sv->contentSize(), CGSizeMake(960, 1200));
    EXPECT_EQ(log->calls.back(), "zoomed 30");
    sv->zoomToRect(CGRectMake(0, 0, 160, 200), false);
    EXPECT_EQ(sv->zoomScale(), 3);
    sv->setZoomScale(0.2);
    EXPECT_EQ(sv->zoomScale(), 1);
}
