// The shared utilities: back buttons, the navigation bar's drawing, the
// waiting view and the reachability test.

#include <gtest/gtest.h>

#include <thread>

#include "app/AppText.h"
#include "app/NavigationBarImage.h"
#include "app/Ulvo.h"
#include "app/WaitingViewController.h"
#include "platform/systemconfiguration/SCNetworkReachability.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "protocol/Constant.h"

namespace {

TEST(Ulvo, BackButtonIsSizedToItsTitleWithStretchableBackgrounds)
{
    NXUITestDriver driver;
    auto none = Ulvo::customBackButton(NSString(), "button_vesk", NSString(), NSString());
    EXPECT_EQ(none->frame().size.width, 15);
    EXPECT_EQ(none->frame().size.height, 30);
    auto titled = Ulvo::customBackButton("Refresh", "button_vesk", "button_vesk", NSString());
    EXPECT_EQ(titled->frame().size.width, sizeWithFont("Refresh", UIFont::systemFontOfSize(14), CGSizeMake(300, 1000),
                                                       UILineBreakModeCharacterWrap).width + 15);
    EXPECT_EQ(titled->titleForState(UIControlStateNormal), NSString("Refresh"));
    ASSERT_TRUE(titled->backgroundImageForState(UIControlStateNormal));
    ASSERT_TRUE(titled->backgroundImageForState(UIControlStateHighlighted));
    EXPECT_EQ(titled->backgroundImageForState(UIControlStateNormal)->leftCapWidth(), 30);
    EXPECT_EQ(titled->backgroundImageForState(UIControlStateHighlighted)->leftCapWidth(), 21);
}

// The settings store's reachability test, which the network check of the
// screens is, asks a fresh monitor for the service host.
TEST(Ulvo, ReachabilityTestReadsTheServiceHostFromAnyThread)
{
    auto fake = std::make_shared<SCFakeReachabilityProvider>();
    SCNetworkReachabilitySetProvider(fake);
    setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
    for (auto [flags, reachable] : {std::pair{SCNetworkReachabilityFlags(0), false},
                                    std::pair{SCNetworkReachabilityFlags(kSCNetworkReachabilityFlagsReachable), true}}) {
        fake->setFlags("127.0.0.1", flags);
        bool answer = !reachable, store = !reachable;
        std::thread worker([&] {
            answer = Ulvo::isExistenceNetwork();
            store = Constant::testConnection();
        });
        worker.join();
        EXPECT_EQ(answer, reachable);
        EXPECT_EQ(store, reachable);
    }
    SCNetworkReachabilitySetProvider(nullptr);
}

TEST(Constant, LoadingViewIsALargeWhiteIndicatorAlreadyTurning)
{
    NXUITestDriver driver;
    auto indicator = Constant_loadingView();
    EXPECT_EQ(indicator->activityIndicatorViewStyle, UIActivityIndicatorViewStyleWhiteLarge);
    EXPECT_TRUE(CGRectEqualToRect(indicator->frame(), CGRectMake(0, 0, 44, 44)));
    EXPECT_TRUE(indicator->isAnimating());
    EXPECT_FALSE(indicator->hidden());
    // Drawn: white spokes on nothing.
    const auto image = NXSnapshotImage(indicator.get(), 1);
    int white = 0;
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 44; ++x) {
            const NXPixel p = NXImagePixelAt(image, CGPointMake(x, y));
            white += p.a > 200 && p.r > 200 && p.g > 200 && p.b > 200;
        }
    EXPECT_GT(white, 20);
}

TEST(NavigationBarImage, DrawsTheBarImageOrOnlyTheBlackStyleUnderThePhotoViewer)
{
    NXUITestDriver driver;
    UINavigationBar::setDrawHook(UINavigationBar_CustomImage_drawRect);
    auto bar = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, 320, 44));
    Constant::setImageView(false);
    const NXPixel drawn = NXImagePixelAt(NXSnapshotImage(bar.get(), 1), CGPointMake(160, 22));
    EXPECT_GT(drawn.a, 0);
    EXPECT_EQ(bar->barStyle, UIBarStyleDefault);
    Constant::setImageView(true);
    const NXPixel plain = NXImagePixelAt(NXSnapshotImage(bar.get(), 1), CGPointMake(160, 22));
    EXPECT_EQ(plain.a, 0);
    EXPECT_EQ(bar->barStyle, UIBarStyleBlack);
    Constant::setImageView(false);
    UINavigationBar::setDrawHook(nullptr);
}

TEST(WaitingView, LaidOverAViewWithItsTagAndTakenAway)
{
    NXUITestDriver driver;
    auto host = UIView::initWithFrame(CGRectMake(0, 0, 320, 460));
    WaitingViewController::removeFromView(host.get());  // nothing to take
    WaitingViewController::initTeset(host.get());
    ASSERT_EQ(host->subviews().size(), 1u);
    EXPECT_EQ(host->subviews().front()->tag(), WaitingViewController::kTag);
    WaitingViewController::removeFromView(host.get());
    EXPECT_TRUE(host->subviews().empty());
}

}  // namespace
