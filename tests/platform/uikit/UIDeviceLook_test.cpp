// What the device draws that screens rely on: tinted bar buttons, the ends of
// narrow stretchable images, the status bar, alerts sized to their text and
// scroll views that glide after a fling.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/NSClock.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIScrollView.h"

namespace {

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

bool near(const NXPixel& p, const NXPixel& q, int tolerance)
{
    return std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance && std::abs(p.b - q.b) <= tolerance;
}

// Points of the image's rectangle whose pixel is near the colour.
int count(const std::shared_ptr<UIImage>& image, CGRect r, const NXPixel& colour, int tolerance)
{
    int n = 0;
    for (CGFloat y = r.origin.y + 0.5; y < CGRectGetMaxY(r); y += 1)
        for (CGFloat x = r.origin.x + 0.5; x < CGRectGetMaxX(r); x += 1) n += near(at(image, x, y), colour, tolerance);
    return n;
}

std::shared_ptr<UIImage> filled(CGSize size, const std::function<void(CGContextRef)>& draw)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    draw(UIGraphicsGetCurrentContext());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

}  // namespace

TEST(UIDeviceLook, ABarStyleSegmentedControlShowsItsTintWithNothingSelected)
{
    NXUITestDriver driver;
    const NXPixel green{0, 217, 0, 255};
    auto save = UISegmentedControl::initWithItems({"Save"});
    save->momentary = true;
    save->segmentedControlStyle = UISegmentedControlStyleBar;
    save->tintColor = UIColor::colorWithRed(0, 0.85, 0, 1);
    save->setFrame(CGRectMake(0, 0, 60, 30));
    auto face = NXSnapshotImage(save.get(), 1);
    // The lower half is the tint itself, the title white over it.
    EXPECT_GT(count(face, CGRectMake(2, 16, 56, 12), green, 12), 300);
    EXPECT_GT(count(face, CGRectMake(2, 2, 56, 26), NXPixel{255, 255, 255, 255}, 10), 10);
    // The plain style keeps the tint for the selected segment only.
    save->segmentedControlStyle = UISegmentedControlStylePlain;
    EXPECT_EQ(count(NXSnapshotImage(save.get(), 1), CGRectMake(0, 0, 60, 30), green, 12), 0);
}

TEST(UIDeviceLook, ANarrowStretchableImageKeepsBothCapsWhateverItsLeftCap)
{
    // 20 points: red 0-9 (the left cap), white 10 (the point that stretches),
    // blue 11-19 (the right cap, 20 - 10 - 1 = 9 points).
    auto half = filled(CGSizeMake(20, 4), [](CGContextRef c) {
                    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
                    CGContextFillRect(c, CGRectMake(0, 0, 10, 4));
                    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
                    CGContextFillRect(c, CGRectMake(10, 0, 1, 4));
                    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
                    CGContextFillRect(c, CGRectMake(11, 0, 9, 4));
                })->stretchableImageWithLeftCapWidth(10, 0);
    auto drawn = filled(CGSizeMake(150, 4), [&](CGContextRef) { half->drawInRect(CGRectMake(0, 0, 150, 4)); });
    const NXPixel red{255, 0, 0, 255}, white{255, 255, 255, 255}, blue{0, 0, 255, 255};
    EXPECT_EQ(count(drawn, CGRectMake(0, 0, 10, 4), red, 2), 40);
    EXPECT_EQ(count(drawn, CGRectMake(10, 0, 131, 4), white, 2), 524);
    EXPECT_EQ(count(drawn, CGRectMake(141, 0, 9, 4), blue, 2), 36);
    // A cap that leaves no point to stretch: the image is scaled whole.
    auto whole = filled(CGSizeMake(20, 4), [](CGContextRef c) {
                     CGContextSetRGBFillColor(c, 1, 0, 0, 1);
                     CGContextFillRect(c, CGRectMake(0, 0, 20, 4));
                 })->stretchableImageWithLeftCapWidth(20, 0);
    auto scaled = filled(CGSizeMake(60, 4), [&](CGContextRef) { whole->drawInRect(CGRectMake(0, 0, 60, 4)); });
    EXPECT_EQ(count(scaled, CGRectMake(0, 0, 60, 4), red, 2), 240);
}

TEST(UIDeviceLook, TheKeyWindowShowsTheStatusBarWithTheClocksTimeAndTheActivityIndicator)
{
    NXUITestDriver driver;  // the virtual clock, at 12:00 UTC
    setenv("TZ", "UTC", 1);
    tzset();
    driver.window()->setBackgroundColor(UIColor::whiteColor());
    const CGRect left = CGRectMake(60, 0, 50, 20), middle = CGRectMake(120, 0, 80, 20);
    const NXPixel white{255, 255, 255, 255}, black{0, 0, 0, 255};
    auto noon = NXSnapshotImage(driver.window(), 1);
    // No white strip: the bar is drawn over the top 20 points, not below them.
    EXPECT_EQ(count(noon, CGRectMake(0, 0, 320, 20), white, 6), 0);
    EXPECT_EQ(count(noon, CGRectMake(0, 21, 320, 10), white, 0), 3200);
    // The time is the process clock's: another minute, another picture of the middle.
    driver.advanceClock(60);
    auto later = NXSnapshotImage(driver.window(), 1);
    int changed = 0;
    for (CGFloat y = 0.5; y < 20; y += 1)
        for (CGFloat x = middle.origin.x + 0.5; x < CGRectGetMaxX(middle); x += 1) changed += !(at(noon, x, y) == at(later, x, y));
    EXPECT_GT(changed, 0);
    // The network activity indicator shows beside the carrier while the application asks for it.
    const int inkBefore = count(later, left, black, 120);
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(true);
    EXPECT_GT(count(NXSnapshotImage(driver.window(), 1), left, black, 120), inkBefore + 10);
    // Black styles draw white ink on black; a hidden bar leaves the window's own top.
    UIApplication::sharedApplication().setStatusBarStyle(UIStatusBarStyleBlackOpaque);
    auto black_ = NXSnapshotImage(driver.window(), 1);
    EXPECT_GT(count(black_, CGRectMake(0, 0, 320, 20), black, 4), 3000);
    EXPECT_GT(count(black_, CGRectMake(0, 0, 320, 20), white, 60), 50);
    UIApplication::sharedApplication().setStatusBarHidden(true);
    EXPECT_EQ(count(NXSnapshotImage(driver.window(), 1), CGRectMake(0, 0, 320, 20), white, 0), 6400);
    // Views that are not the key window draw no bar.
    auto alone = UIView::initWithFrame(CGRectMake(0, 0, 320, 40));
    alone->setBackgroundColor(UIColor::whiteColor());
    UIApplication::sharedApplication().setStatusBarHidden(false);
    EXPECT_EQ(count(NXSnapshotImage(alone.get(), 1), CGRectMake(0, 0, 320, 20), white, 0), 6400);
}

TEST(UIDeviceLook, AnAlertWithoutButtonsIsAsHighAsItsText)
{
    NXUITestDriver driver;
    auto wait = UIAlertView::initWithTitle("Please wait", "Sending", nullptr, NSString(), {});
    wait->show();
    EXPECT_LT(wait->frame().size.height, 80);
    EXPECT_GT(wait->frame().size.height, 50);
    EXPECT_EQ(CGRectGetMidY(wait->frame()), 240);
    // With a button the text keeps its room above it.
    auto ok = UIAlertView::initWithTitle("Please wait", "Sending", nullptr, "OK", {});
    ok->show();
    EXPECT_EQ(ok->frame().size.height, 144);
}

TEST(UIDeviceLook, AFlungScrollViewGlidesOnTheClockSlowingByItsRate)
{
    NXUITestDriver driver;
    auto glideOf = [&](CGFloat rate) {
        auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
        sv->setContentSize(CGSizeMake(320, 100000));
        sv->setContentOffset(CGPointMake(0, 1000));
        sv->decelerationRate = rate;
        driver.window()->addSubview(sv);
        driver.fling(sv.get(), CGPointMake(0, -100), CGPointMake(0, -1000));  // the finger moves up
        EXPECT_EQ(sv->contentOffset().y, 1100);  // nothing moves until the clock does
        const bool gliding = sv->decelerating();
        driver.advanceClock(5);
        EXPECT_FALSE(sv->decelerating());
        sv->removeFromSuperview();
        return std::make_pair(gliding, sv->contentOffset().y - 1100);
    };
    // Speed falls as rate^ms: the glide covers v / (-1000 ln rate) less the slowest speed's share.
    const auto [normalGlides, normal] = glideOf(UIScrollViewDecelerationRateNormal);
    EXPECT_TRUE(normalGlides);
    EXPECT_NEAR(normal, (1000 - 20) / (-1000 * std::log(0.998)), 1);
    const auto [fastGlides, fast] = glideOf(UIScrollViewDecelerationRateFast);
    EXPECT_TRUE(fastGlides);
    EXPECT_NEAR(fast, (1000 - 20) / (-1000 * std::log(0.99)), 1);
    const auto [mapGlides, map] = glideOf(0.6 * UIScrollViewDecelerationRateNormal);
    EXPECT_TRUE(mapGlides);
    EXPECT_LT(map, 3);

    // A finger on the content stops the glide where it is; an edge stops it there.
    auto sv = UIScrollView::initWithFrame(CGRectMake(0, 0, 320, 400));
    sv->setContentSize(CGSizeMake(320, 1500));
    driver.window()->addSubview(sv);
    driver.fling(sv.get(), CGPointMake(0, -100), CGPointMake(0, -2000));
    driver.advanceClock(0.1);
    const CGFloat caught = sv->contentOffset().y;
    EXPECT_GT(caught, 100);
    driver.drag(sv.get(), CGPointZero);
    driver.advanceClock(5);
    EXPECT_EQ(sv->contentOffset().y, caught);
    driver.fling(sv.get(), CGPointMake(0, -100), CGPointMake(0, -5000));
    driver.advanceClock(5);
    EXPECT_EQ(sv->contentOffset().y, 1100);
    EXPECT_FALSE(sv->decelerating());
}
