// The help pages and the guide images.

#include "app/HelpViewController.h"
#include "app/PushImageViewController.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

class HelpTest : public AppTest {
protected:
    HelpViewController* openHelp()
    {
        LoginViewController* screen = launchToLogin();
        driver.pressAlertButton(0);  // "show me"
        driver.advanceClock(0.5);
        return screen->helpScreen();
    }
};

TEST_F(HelpTest, PagesNamedByThePrefixAndTheEndComesOncePastTheLastPage)
{
    HelpViewController* help = openHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->imageData->imgArray.front(), NSString("help1.png"));
    EXPECT_EQ(help->imageData->imgArray.back(), NSString("help7.png"));
    UIScrollView* pages = help->scrollView.get();
    const CGFloat width = pages->bounds().size.width;
    ASSERT_EQ(width, 320);
    EXPECT_EQ(pages->contentSize().width, 7 * width);

    driver.scrollTo(pages, CGPointMake(width * 2, 0));
    EXPECT_EQ(help->pageControl()->currentPage(), 2);
    driver.scrollTo(pages, CGPointMake(width * 6 + 100, 0));
    EXPECT_FALSE(help->ended());
    EXPECT_TRUE(help->view()->superview());
    driver.scrollTo(pages, CGPointMake(width * 6 + 101, 0));
    EXPECT_TRUE(help->ended());
    EXPECT_FALSE(help->view()->superview());
    EXPECT_TRUE(alertSays("helpviewctrl_info"));
    // The pull goes on: no second end, one closing message.
    const size_t shown = driver.window()->shownAlerts().size();
    driver.scrollTo(pages, CGPointMake(width * 6 + 150, 0));
    EXPECT_EQ(driver.window()->shownAlerts().size(), shown);
    driver.advanceClock(1.0);
    EXPECT_EQ(driver.visibleAlert(), nullptr);
    EXPECT_EQ(help->theEndAlert(), nullptr);
}

TEST_F(HelpTest, TheDotsScrollToTheirPage)
{
    HelpViewController* help = openHelp();
    help->pageControl()->setCurrentPage(3);
    help->pageControlClicked(nullptr);
    driver.advanceClock(1);
    EXPECT_EQ(help->scrollView->contentOffset().x, 3 * 320);
}

TEST_F(AppTest, GuideTurnsOnSwipesAcrossTheMiddleAndEndsOnce)
{
    LoginViewController* screen = launchToLogin();
    driver.pressAlertButton(1);
    auto guide = UIViewController::init<PushImageViewController>();
    screen->view()->addSubview(guide->view());
    struct Swipe {
        CGPoint from, to;
        int page;  // after the swipe
    };
    const Swipe swipes[] = {
        {{250, 300}, {140, 300}, 1},  // left by 110 across x 160: forward
        {{200, 300}, {150, 300}, 1},  // left by 50: nothing
        {{100, 300}, {100, 200}, 2},  // up across y 240: forward
        {{100, 200}, {100, 300}, 1},  // down across y 240: back
        {{140, 200}, {250, 200}, 0},  // right by 110: back
        {{140, 200}, {250, 200}, 0},  // back on the first image: nothing
    };
    for (const Swipe& s : swipes) {
        UIView* v = guide->view().get();
        driver.swipe(v->convertPoint(s.from, nullptr), v->convertPoint(s.to, nullptr));
        driver.advanceClock(1);
        EXPECT_EQ(guide->Page(), s.page) << s.from.x << "," << s.from.y << " -> " << s.to.x << "," << s.to.y;
    }
    EXPECT_EQ(guide->title(), NSString("image help1.png"));
    driver.tapAt(CGPointMake(200, 300));  // a tap without movement
    EXPECT_EQ(guide->Page(), 0);
    for (int i = 0; i < 6; ++i) driver.swipe(CGPointMake(250, 320), CGPointMake(140, 320));
    EXPECT_EQ(guide->Page(), 6);
    driver.swipe(CGPointMake(250, 320), CGPointMake(140, 320));
    EXPECT_TRUE(guide->ended());
    EXPECT_TRUE(alertSays("感谢您支持本产品!"));
    const size_t shown = driver.window()->shownAlerts().size();
    guide->touchesEnded({}, nullptr);
    EXPECT_EQ(driver.window()->shownAlerts().size(), shown);
    EXPECT_FALSE(guide->view()->superview());
}

TEST(GuidePage, OneSetBeforeLoadingStaysWithinTheImages)
{
    NXUITestDriver driver;
    for (int page : {-3, 0, 4, 6, 7, 100}) {
        auto guide = UIViewController::init<PushImageViewController>();
        guide->setPage(page);
        guide->view();
        EXPECT_EQ(guide->Page(), std::clamp(page, 0, 6)) << page;
    }
}

}  // namespace
