#include "ui/PixPhotoViewController.h"

#include <gtest/gtest.h>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIPasteboard.h"
#include "tests/ui/ImageTestSupport.h"
#include "tools/snapshot/Snapshot.h"

namespace {

// What the application's settings hear of the viewer being on screen.
std::vector<bool> onScreenCalls;

// What the application shell's custom tab bar hears.
class TabBarListener : public NSObject {
public:
    void hide(const id&) { events.push_back("hide"); }
    void bringToFront(const id&) { events.push_back("front"); }
    std::vector<std::string> events;
};

std::shared_ptr<UIImage> solidImage(CGFloat w, CGFloat h)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), true, 1);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.8, 0.4, 0.1, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, w, h));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

}  // namespace

class PhotoViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        uitest::emptyCaches();
        auto center = NSNotificationCenter::defaultCenter();
        center->addObserver(listener.get(), NX_SEL(TabBarListener, hide), "hideCustomTabBar", nullptr);
        center->addObserver(listener.get(), NX_SEL(TabBarListener, bringToFront), "bringCustomTabBarToFront", nullptr);
        onScreenCalls.clear();
        PixPhotoViewController::setOnScreenHook([](bool onScreen) { onScreenCalls.push_back(onScreen); });
    }
    void TearDown() override
    {
        PixPhotoViewController::setOnScreenHook(nullptr);
        EXPECT_TRUE(NSThread::joinDetachedThreads(10));
    }

    // The capture screen's way: one MyPhoto per capture, in a MyPhotoSource.
    std::shared_ptr<PixPhotoViewController> viewerOf(const std::vector<std::string>& paths)
    {
        std::vector<std::shared_ptr<PixPhoto>> photos;
        for (size_t i = 0; i < paths.size(); ++i)
            photos.push_back(MyPhoto::initWithImageURL(NSURL::URLWithString(NSString(server.url(paths[i]))),
                                                       NSString::stringWithFormat("Capture %d", static_cast<int>(i + 1))));
        return PixPhotoViewController::initWithPhotoSource(MyPhotoSource::initWithPhotos(photos));
    }
    PixPhotoImageView* page(const std::shared_ptr<PixPhotoViewController>& viewer, size_t index) const
    {
        return viewer->photoViews().at(index).get();
    }
    bool loaded(PixPhotoImageView* p)
    {
        driver.advanceClock(0.01);
        return driver.pumpUntil([&] { return !p->isLoading(); }, 10);
    }
    static bool shows(PixPhotoImageView* p, const char* name) { return p->imageView()->image && p->imageView()->image->name() == name; }

    NXUITestDriver driver;
    uitest::ImageServer server;
    std::shared_ptr<TabBarListener> listener = std::make_shared<TabBarListener>();
};

TEST_F(PhotoViewerTest, AUserLooksThroughThreeCaptures)
{
    auto viewer = viewerOf({"/captures/1-full.png", "/captures/2-full.png", "/captures/3-full.png"});
    auto nav = UINavigationController::initWithRootViewController(viewer);
    driver.show(nav);
    EXPECT_EQ(listener->events, std::vector<std::string>{"hide"});
    EXPECT_EQ(onScreenCalls, std::vector<bool>{true});

    // The placeholder and the spinner first, then the picture.
    auto* first = page(viewer, 0);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isLoading());
    EXPECT_TRUE(shows(first, "pixpv_photo_placeholder.png"));
    EXPECT_FALSE(first->userInteractionEnabled());
    ASSERT_TRUE(loaded(first));
    EXPECT_EQ(first->imageView()->image->size(), CGSizeMake(640, 400));
    EXPECT_TRUE(first->userInteractionEnabled());
    EXPECT_EQ(viewer->title(), NSString("1 of 3"));
    EXPECT_EQ(nav->navigationBar()->topItem()->title, NSString("1 of 3"));
    EXPECT_FALSE(viewer->leftButton()->enabled);
    EXPECT_TRUE(viewer->rightButton()->enabled);
    EXPECT_TRUE(viewer->actionButton()->enabled);
    EXPECT_FALSE(viewer->captionView()->hidden());
    EXPECT_EQ(viewer->captionView()->textLabel()->text(), NSString("Capture 1"));
    EXPECT_EQ(nav->toolbar()->items().size(), 7u);
    EXPECT_FALSE(nav->toolbarHidden());
    EXPECT_EQ(nav->toolbar()->barStyle, UIBarStyleBlackTranslucent);
    driver.layout();
    // The page lies under the translucent bars; the caption sits right on the toolbar.
    EXPECT_EQ(first->frame(), CGRectMake(0, 0, 320, 460));
    EXPECT_EQ(CGRectGetMaxY(viewer->captionView()->convertRect(viewer->captionView()->bounds(), nullptr)),
              CGRectGetMinY(nav->toolbar()->convertRect(nav->toolbar()->bounds(), nullptr)));
    const CGRect picture = first->imageView()->convertRect(first->imageView()->bounds(), nullptr);
    EXPECT_TRUE(snapshot::viewMatchesExpected(nav->view().get(), "tests/ui/snapshots/viewer-picture"));

    // One tap hides the bars 0.2 s later; another brings them back.
    ASSERT_TRUE(driver.tap(first->scrollView().get()));
    driver.advanceClock(0.19);
    EXPECT_FALSE(viewer->barsHidden());
    driver.advanceClock(0.01);
    EXPECT_TRUE(viewer->barsHidden());
    EXPECT_TRUE(nav->navigationBarHidden());
    EXPECT_TRUE(nav->toolbarHidden());
    EXPECT_TRUE(UIApplication::sharedApplication().statusBarHidden());
    driver.advanceClock(0.2);  // the caption has slid away
    EXPECT_EQ(first->imageView()->convertRect(first->imageView()->bounds(), nullptr), picture);  // the picture stays put
    EXPECT_TRUE(snapshot::viewMatchesExpected(nav->view().get(), "tests/ui/snapshots/viewer-bars-hidden"));
    ASSERT_TRUE(driver.tap(first->scrollView().get()));
    driver.advanceClock(0.2);
    EXPECT_FALSE(viewer->barsHidden());

    // Two taps zoom in without touching the bars; two more zoom back out.
    ASSERT_TRUE(driver.doubleTap(first->scrollView().get()));
    EXPECT_DOUBLE_EQ(first->scrollView()->zoomScale(), 2.5);
    driver.advanceClock(0.3);
    EXPECT_FALSE(viewer->barsHidden());
    ASSERT_TRUE(driver.doubleTap(first->scrollView().get()));
    driver.advanceClock(0.3);
    EXPECT_DOUBLE_EQ(first->scrollView()->zoomScale(), 1.0);
    EXPECT_FALSE(viewer->barsHidden());

    // Two fingers turn the page; it springs back when they lift.
    auto rotation = std::dynamic_pointer_cast<UIRotationGestureRecognizer>(first->gestureRecognizers().at(0));
    ASSERT_TRUE(rotation);
    const CGPoint middle = first->convertPoint(CGPointMake(160, 200), nullptr);
    rotation->rotation = 0.25;
    rotation->recognize(UIGestureRecognizerStateBegan, middle);
    EXPECT_EQ(first->layer()->transform, CATransform3DMakeRotation(0.25, 0, 0, 1));
    rotation->rotation = 0.5;
    rotation->recognize(UIGestureRecognizerStateChanged, middle);
    EXPECT_EQ(first->layer()->transform, CATransform3DMakeRotation(0.75, 0, 0, 1));
    rotation->recognize(UIGestureRecognizerStateEnded, middle);
    ASSERT_TRUE(first->layer()->animationForKey("RotateAnimation"));
    driver.advanceClock(0.3);
    EXPECT_TRUE(CATransform3DIsIdentity(first->layer()->transform));

    // Leaving brings the tab bar back and tells the settings.
    nav->view()->removeFromSuperview();
    EXPECT_EQ(listener->events, (std::vector<std::string>{"hide", "front"}));
    EXPECT_EQ(onScreenCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(server.requestsFor("/captures/1-full.png"), 1);
}

TEST_F(PhotoViewerTest, AViewerLaidIntoAHostFollowsTheFrameItIsGiven)
{
    // The capture list's way: the viewer's view gets a frame and joins the
    // list's view; nothing shows the viewer as a screen of its own.
    auto host = UIViewController::init();
    driver.show(host);
    auto viewer = viewerOf({"/captures/1-full.png", "/captures/2-full.png"});
    viewer->view()->setFrame(CGRectMake(0, 96, 320, 300));
    host->view()->addSubview(viewer->view());
    viewer->moveToPhotoAtIndex_animated(1, false);
    EXPECT_TRUE(listener->events.empty());
    auto* shown = page(viewer, 1);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(loaded(shown));
    driver.layout();
    EXPECT_EQ(viewer->scrollView()->frame(), CGRectMake(0, 0, 320, 300));
    EXPECT_EQ(shown->frame(), CGRectMake(0, 0, 320, 300));
    // The picture keeps its proportions, centred in the page.
    const CGRect picture = shown->imageView()->convertRect(shown->imageView()->bounds(), shown);
    EXPECT_DOUBLE_EQ(CGRectGetMidX(picture), 160);
    EXPECT_DOUBLE_EQ(CGRectGetMidY(picture), 150);
    EXPECT_DOUBLE_EQ(picture.size.width, 320);
    EXPECT_DOUBLE_EQ(picture.size.height, 200);
    EXPECT_EQ(viewer->captionView()->frame().size.width, 320);
}

TEST_F(PhotoViewerTest, AFailedPictureBringsTheBarsBack)
{
    auto viewer = viewerOf({"/captures/1-full.png", "/notimage", "/captures/3-full.png"});
    auto nav = UINavigationController::initWithRootViewController(viewer);
    driver.show(nav);
    ASSERT_TRUE(loaded(page(viewer, 0)));
    viewer->setBarsHidden_animated(true, true);
    ASSERT_TRUE(viewer->barsHidden());

    // The host moves to the second capture (every page sits at the origin,
    // so only the page index tells which one is shown).
    viewer->moveToPhotoAtIndex_animated(1, false);
    EXPECT_EQ(viewer->centerPhotoIndex(), 0);
    auto* second = page(viewer, 1);
    ASSERT_TRUE(second);
    ASSERT_TRUE(loaded(second));
    EXPECT_TRUE(shows(second, "pixpv_error_placeholder.png"));
    EXPECT_TRUE(viewer->photoSource()->photoAtIndex(1)->didFail());
    EXPECT_FALSE(second->userInteractionEnabled());
    EXPECT_FALSE(viewer->barsHidden());
    EXPECT_EQ(viewer->title(), NSString("2 of 3"));
    EXPECT_TRUE(viewer->leftButton()->enabled);
    driver.advanceClock(0.3);
    EXPECT_TRUE(snapshot::viewMatchesExpected(nav->view().get(), "tests/ui/snapshots/viewer-error"));

    // Coming back to a failed capture shows the bars at once.
    viewer->moveToPhotoAtIndex_animated(0, false);
    viewer->setBarsHidden_animated(true, false);
    viewer->moveToPhotoAtIndex_animated(1, false);
    EXPECT_FALSE(viewer->barsHidden());
}

TEST_F(PhotoViewerTest, PagesAreReusedAroundTheCurrentOne)
{
    std::vector<std::shared_ptr<PixPhoto>> photos;
    for (int i = 0; i < 10; ++i) photos.push_back(MyPhoto::initWithImage(solidImage(40 + i, 30)));
    auto viewer = PixPhotoViewController::initWithPhotoSource(MyPhotoSource::initWithPhotos(photos));
    driver.show(viewer);
    for (NSInteger index : {3L, 4L, 5L, 6L, 5L}) viewer->moveToPhotoAtIndex_animated(index, false);
    for (size_t p = 0; p < 10; ++p) {
        auto* view = page(viewer, p);
        const bool near = p >= 4 && p <= 6;
        if (!view) continue;
        EXPECT_EQ(view->superview() != nullptr, near) << p;
        EXPECT_EQ(view->tag(), near ? 0 : -1) << p;
    }
    ASSERT_TRUE(page(viewer, 5));
    EXPECT_EQ(page(viewer, 5)->photo(), photos[5]);
    const CGSize pageSize = viewer->scrollView()->bounds().size;
    EXPECT_EQ(page(viewer, 5)->frame(), CGRectMake(0, 0, pageSize.width, pageSize.height));
    EXPECT_EQ(viewer->title(), NSString("6 of 10"));

    viewer->moveToPhotoAtIndex_animated(10, false);  // outside: ignored
    viewer->moveToPhotoAtIndex_animated(-1, false);
    EXPECT_EQ(viewer->currentPhotoIndex(), 5);
}

TEST_F(PhotoViewerTest, OneOrNoPhotoAndAViewerThatNeverAppeared)
{
    auto single = PixPhotoViewController::initWithImage(solidImage(64, 48));
    auto nav = UINavigationController::initWithRootViewController(single);
    driver.show(nav);
    EXPECT_EQ(single->title(), NSString(""));
    ASSERT_EQ(nav->toolbar()->items().size(), 2u);
    EXPECT_EQ(nav->toolbar()->items()[0]->systemItem, UIBarButtonSystemItemFlexibleSpace);
    EXPECT_EQ(nav->toolbar()->items()[1]->width, 40);
    EXPECT_FALSE(single->leftButton());
    EXPECT_TRUE(single->captionView()->hidden());  // no caption text
    EXPECT_FALSE(page(single, 0)->isLoading());

    auto empty = PixPhotoViewController::initWithPhotoSource(PixQuickPhotoSource::initWithPhotos({}));
    driver.show(empty);
    EXPECT_TRUE(empty->photoViews().empty());
    EXPECT_EQ(empty->currentPhotoIndex(), 0);

    listener->events.clear();
    onScreenCalls.clear();
    auto never = viewerOf({"/captures/1-thumb.png"});
    never->viewWillDisappear(false);
    EXPECT_EQ(listener->events, std::vector<std::string>{"front"});
    EXPECT_EQ(onScreenCalls, std::vector<bool>{false});
}

TEST_F(PhotoViewerTest, SaveCopyAndMailTheShownPicture)
{
    auto viewer = PixPhotoViewController::initWithImage(solidImage(64, 48));
    auto nav = UINavigationController::initWithRootViewController(viewer);
    driver.show(nav);
    // The toolbar's slot has no target, so the actions are reached here directly.
    const struct {
        const char* button;
        std::function<void()> check;
    } actions[] = {
        {"Save", [] { EXPECT_EQ(NXSavedPhotosAlbum().size(), 1u); }},
        {"Copy", [] { EXPECT_TRUE(UIPasteboard::generalPasteboard().dataForPasteboardType("public.png")); }},
    };
    for (const auto& a : actions) {
        viewer->actionButtonHit(nullptr);
        EXPECT_TRUE(viewer->barsHidden());
        auto* sheet = driver.visibleAlert();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->buttonTitleAtIndex(sheet->numberOfButtons() - 1), NSString("Cancel"));
        NSInteger index = -1;
        for (NSInteger i = 0; i < sheet->numberOfButtons(); ++i)
            if (sheet->buttonTitleAtIndex(i) == a.button) index = i;
        ASSERT_TRUE(driver.pressAlertButton(index)) << a.button;
        EXPECT_FALSE(viewer->barsHidden());
        a.check();
    }

    for (NXComposeOutcome outcome : {NXComposeSent, NXComposeFailed}) {
        viewer->emailPhoto();
        auto composer = std::dynamic_pointer_cast<MFMailComposeViewController>(NXComposeViewController::visibleComposer());
        ASSERT_TRUE(composer);
        EXPECT_EQ(composer->subject(), NSString("Shared Photo"));
        ASSERT_EQ(composer->attachments().size(), 1u);
        EXPECT_EQ(composer->attachments()[0].mimeType, NSString("png"));
        EXPECT_EQ(composer->attachments()[0].fileName, NSString("Photo.png"));
        EXPECT_TRUE(UIImage::imageWithData(composer->attachments()[0].data));
        const size_t alertsBefore = driver.window()->shownAlerts().size();
        ASSERT_TRUE(driver.finishComposer(outcome));
        EXPECT_FALSE(NXComposeViewController::visibleComposer());
        EXPECT_FALSE(viewer->modalViewController());
        const bool alerted = driver.window()->shownAlerts().size() > alertsBefore;
        EXPECT_EQ(alerted, outcome == NXComposeFailed);
        if (alerted) {
            auto* alert = dynamic_cast<UIAlertView*>(driver.visibleAlert());
            ASSERT_TRUE(alert);
            EXPECT_EQ(alert->message, NSString("Failed sending media, please try again..."));
            driver.pressAlertButton(0);
        }
    }
}
