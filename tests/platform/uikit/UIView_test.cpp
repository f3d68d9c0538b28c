#include <gtest/gtest.h>

#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIScrollView.h"

TEST(UIViewGeometry, FrameFollowsCenterBoundsAndTransform)
{
    auto v = UIView::initWithFrame(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(v->center(), CGPointMake(60, 45));
    EXPECT_EQ(v->bounds(), CGRectMake(0, 0, 100, 50));
    v->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_EQ(v->frame(), CGRectMake(-40, -5, 200, 100));
    EXPECT_EQ(v->bounds(), CGRectMake(0, 0, 100, 50));
    v->setTransform(CGAffineTransformMakeRotation(M_PI / 2));
    const CGRect f = v->frame();
    EXPECT_NEAR(f.size.width, 50, 1e-9);
    EXPECT_NEAR(f.size.height, 100, 1e-9);
}

TEST(UIViewGeometry, ConversionsHonourOffsetsTransformsAndScrolling)
{
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    auto scroll = UIScrollView::initWithFrame(CGRectMake(0, 100, 320, 200));
    auto inner = UIView::initWithFrame(CGRectMake(10, 400, 50, 50));
    root->addSubview(scroll);
    scroll->addSubview(inner);
    scroll->setContentSize(CGSizeMake(320, 1000));
    scroll->setContentOffset(CGPointMake(0, 350));
    EXPECT_EQ(inner->convertPoint(CGPointMake(0, 0), root.get()), CGPointMake(10, 150));
    EXPECT_EQ(root->convertPoint(CGPointMake(10, 150), inner.get()), CGPointMake(0, 0));
    EXPECT_EQ(inner->convertPointFromView(CGPointMake(15, 155), root.get()), CGPointMake(5, 5));
    EXPECT_EQ(inner->convertRect(inner->bounds(), nullptr), CGRectMake(10, 150, 50, 50));
    inner->setTransform(CGAffineTransformMakeScale(2, 2));
    const CGPoint corner = inner->convertPoint(CGPointMake(0, 0), root.get());
    EXPECT_DOUBLE_EQ(corner.x, -15);
    EXPECT_DOUBLE_EQ(corner.y, 125);
    EXPECT_EQ(root->convertPoint(corner, inner.get()), CGPointMake(0, 0));
}

TEST(UIViewTree, OrderTagsAndSuperviews)
{
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    auto a = UIView::initWithFrame(CGRectZero), b = UIView::initWithFrame(CGRectZero), c = UIView::initWithFrame(CGRectZero);
    a->setTag(1);
    b->setTag(2);
    c->setTag(3);
    root->addSubview(a);
    root->addSubview(b);
    root->insertSubview(c, 0);
    ASSERT_EQ(root->subviews().size(), 3u);
    EXPECT_EQ(root->subviews()[0], c);
    root->bringSubviewToFront(c.get());
    EXPECT_EQ(root->subviews().back(), c);
    root->insertSubviewBelowSubview(c, a.get());
    EXPECT_EQ(root->subviews()[0], c);
    auto deep = UIView::initWithFrame(CGRectZero);
    deep->setTag(7);
    b->addSubview(deep);
    EXPECT_EQ(root->viewWithTag(7), deep.get());
    EXPECT_EQ(root->viewWithTag(99), nullptr);
    // Moving to another parent leaves the first.
    a->addSubview(deep);
    EXPECT_TRUE(b->subviews().empty());
    EXPECT_EQ(deep->superview(), a.get());
    deep->removeFromSuperview();
    EXPECT_EQ(deep->superview(), nullptr);
    EXPECT_EQ(root->viewWithTag(7), nullptr);
}

TEST(UIViewTree, HitTestingSkipsHiddenTransparentAndInertViews)
{
    NXUITestDriver driver;
    auto back = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    auto front = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    driver.window()->addSubview(back);
    back->addSubview(front);
    EXPECT_EQ(driver.window()->hitTest(CGPointMake(50, 50), nullptr), front.get());
    EXPECT_EQ(driver.window()->hitTest(CGPointMake(150, 50), nullptr), back.get());
    struct Case { std::function<void(UIView&)> change; };
    const Case cases[] = {{[](UIView& v) { v.setHidden(true); }},
                          {[](UIView& v) { v.setAlpha(0); }},
                          {[](UIView& v) { v.setUserInteractionEnabled(false); }}};
    for (const auto& c : cases) {
        auto probe = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
        back->addSubview(probe);
        c.change(*probe);
        EXPECT_EQ(driver.window()->hitTest(CGPointMake(50, 50), nullptr), front.get());
        probe->removeFromSuperview();
    }
    EXPECT_EQ(driver.window()->hitTest(CGPointMake(500, 50), nullptr), nullptr);
}

TEST(UIViewAnimation, FinalValuesApplyAtCommitAndAreRecorded)
{
    NXUITestDriver driver;
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 10, 10));
    UIView::beginAnimations("fade", nullptr);
    UIView::setAnimationDuration(0.35);
    UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, v.get(), true);
    v->setAlpha(0);
    EXPECT_EQ(v->alpha(), 0);
    UIView::commitAnimations();
    UIView::animateWithDuration(0.2, [&] { v->setFrame(CGRectMake(5, 5, 10, 10)); });
    EXPECT_EQ(v->frame(), CGRectMake(5, 5, 10, 10));
    const auto& records = UIView::committedAnimations();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "fade");
    EXPECT_DOUBLE_EQ(records[0].duration, 0.35);
    EXPECT_EQ(records[0].transition, UIViewAnimationTransitionFlipFromLeft);
    EXPECT_EQ(records[0].transitionView.lock(), v);
    EXPECT_DOUBLE_EQ(records[1].duration, 0.2);
}

// A program that animates without end keeps only the latest records.
TEST(UIViewAnimation, RecordsStayBoundedUnderLongUse)
{
    NXUITestDriver driver;
    for (int i = 0; i < 1000; ++i) {
        UIView::beginAnimations(NSString(std::to_string(i)), nullptr);
        UIView::commitAnimations();
    }
    EXPECT_EQ(UIView::committedAnimations().size(), 64u);
    EXPECT_EQ(UIView::committedAnimations().back().name, "999");
}

TEST(UIViewAnimation, LayerKeepsAnimationsByKeyAndStopsReplacedOnes)
{
    struct Delegate : CAAnimationDelegate {
        std::vector<std::pair<CAAnimation*, bool>> stops;
        void animationDidStop_finished(CAAnimation* a, bool finished) override { stops.emplace_back(a, finished); }
    };
    auto d = std::make_shared<Delegate>();
    auto v = UIView::initWithFrame(CGRectZero);
    auto a1 = CAKeyframeAnimation::animationWithKeyPath("transform");
    a1->values = {CATransform3DMakeScale(0, 0, 1), CATransform3DIdentity};
    a1->delegate = d;
    auto a2 = CABasicAnimation::animationWithKeyPath("opacity");
    v->layer()->addAnimation(a1, "pop");
    v->layer()->addAnimation(a2, NSString());
    EXPECT_EQ(v->layer()->animationForKey("pop"), a1);
    v->layer()->addAnimation(CABasicAnimation::animationWithKeyPath("transform"), "pop");
    ASSERT_EQ(d->stops.size(), 1u);
    EXPECT_EQ(d->stops[0].first, a1.get());
    EXPECT_FALSE(d->stops[0].second);
    EXPECT_EQ(v->layer()->animations().size(), 2u);
}

TEST(UIViewAutoresizing, SubviewsFollowTheirHostAsItsSizeChanges)
{
    auto host = UIView::initWithFrame(CGRectMake(0, 20, 320, 460));
    struct Case {
        NSUInteger mask;
        CGRect before, after;  // the host goes from 320 x 460 to 300 x 300
    };
    const Case cases[] = {
        {UIViewAutoresizingNone, CGRectMake(10, 400, 100, 40), CGRectMake(10, 400, 100, 40)},
        {UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight, CGRectMake(0, 0, 320, 460), CGRectMake(0, 0, 300, 300)},
        // A bar pinned to the bottom edge keeps its height and its distance to the edge.
        {UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleWidth, CGRectMake(0, 416, 320, 44), CGRectMake(0, 256, 300, 44)},
        // A button pinned to the right keeps its size.
        {UIViewAutoresizingFlexibleLeftMargin, CGRectMake(270, 10, 40, 40), CGRectMake(250, 10, 40, 40)},
        // Several flexible parts share the change in proportion to their lengths.
        {UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin, CGRectMake(60, 0, 200, 10),
         CGRectMake(50, 0, 200, 10)},
        {UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleHeight | UIViewAutoresizingFlexibleBottomMargin,
         CGRectMake(0, 115, 10, 230), CGRectMake(0, 75, 10, 150)},
    };
    std::vector<std::shared_ptr<UIView>> children;
    for (const auto& c : cases) {
        auto child = UIView::initWithFrame(c.before);
        child->setAutoresizingMask(c.mask);
        host->addSubview(child);
        children.push_back(child);
    }
    // A grandchild follows its parent in turn.
    auto inner = UIView::initWithFrame(CGRectMake(0, 0, 320, 460));
    inner->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    children[1]->addSubview(inner);

    host->setFrame(CGRectMake(0, 96, 300, 300));
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(children[i]->frame(), cases[i].after) << "case " << i;
    EXPECT_EQ(inner->frame(), CGRectMake(0, 0, 300, 300));
    // Moving the host without resizing it changes nothing; resizing back restores the frames.
    host->setFrame(CGRectMake(0, 0, 300, 300));
    host->setBounds(CGRectMake(0, 0, 320, 460));
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(children[i]->frame(), cases[i].before) << "case " << i;

    // A host that does not autoresize its subviews leaves them as they are.
    host->setAutoresizesSubviews(false);
    host->setFrame(CGRectMake(0, 0, 100, 100));
    EXPECT_EQ(children[1]->frame(), CGRectMake(0, 0, 320, 460));
}

TEST(UIScrollViewClipping, ContentScrolledOutOfTheBoundsIsNotDrawnOverWhatIsAbove)
{
    NXUITestDriver driver;
    auto page = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    page->setBackgroundColor(UIColor::whiteColor());
    auto banner = UIView::initWithFrame(CGRectMake(0, 0, 100, 40));
    banner->setBackgroundColor(UIColor::blueColor());
    auto scroll = UIScrollView::initWithFrame(CGRectMake(0, 40, 100, 60));
    EXPECT_TRUE(scroll->clipsToBounds());
    scroll->setContentSize(CGSizeMake(100, 300));
    auto text = UIView::initWithFrame(CGRectMake(0, 0, 100, 300));
    text->setBackgroundColor(UIColor::redColor());
    scroll->addSubview(text);
    page->addSubview(banner);
    page->addSubview(scroll);
    driver.window()->addSubview(page);
    scroll->setContentOffset(CGPointMake(0, 100));
    auto image = NXSnapshotImage(page.get());
    ASSERT_TRUE(image);
    const NXPixel blue{0, 0, 255, 255}, red{255, 0, 0, 255};
    EXPECT_EQ(NXImagePixelAt(image, CGPointMake(50, 20)), blue);
    EXPECT_EQ(NXImagePixelAt(image, CGPointMake(50, 70)), red);
}
