// The progress HUD, the loading box, the badge and the page control: shown,
// laid out, drawn, animated on the virtual clock and hidden at the right time.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <stdexcept>
#include <thread>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "ui/BadgeView.h"
#include "ui/DotPageControl.h"
#include "ui/LoadingBoxView.h"
#include "ui/ProgressHUD.h"
#include "ui/SRXLowMemoryWarningObserver.h"
#include "ui/SRXRegexCache.h"
#include "ui/StringRegex.h"

namespace {

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

std::shared_ptr<UIView> host(NXUITestDriver& driver, CGRect frame = CGRectMake(0, 0, 320, 480))
{
    auto v = UIView::initWithFrame(frame);
    v->setBackgroundColor(UIColor::whiteColor());
    driver.window()->addSubview(v);
    return v;
}

std::vector<ProgressHUD*> hudsOf(UIView* view)
{
    std::vector<ProgressHUD*> out;
    for (const auto& s : view->subviews())
        if (auto* h = dynamic_cast<ProgressHUD*>(s.get())) out.push_back(h);
    return out;
}

struct HiddenCounter : ProgressHUDDelegate {
    int hidden = 0;
    void hudWasHidden(ProgressHUD*) override { ++hidden; }
};

// The target of a HUD task: waits until released, then returns or throws.
class Task : public NSObject {
public:
    std::atomic<bool> release{false}, ran{false}, throws{false};
    void run(const id&)
    {
        ran = true;
        while (!release) std::this_thread::yield();
        if (throws) throw std::runtime_error("task failed");
    }
};

}  // namespace

TEST(ProgressHUD, ShowAndHideThroughTheClassMethods)
{
    NXUITestDriver driver;
    auto view = host(driver);
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(true);
    auto first = ProgressHUD::showHUDAddedTo_withTitle(view.get(), "登录中");
    auto second = ProgressHUD::showHUDAddedTo(view.get(), false);
    EXPECT_EQ(first->labelText(), "登录中");
    EXPECT_EQ(second->labelText(), "加载中...");
    EXPECT_EQ(first->frame(), view->bounds());
    EXPECT_EQ(view->subviews().back(), second);
    EXPECT_EQ(second->alpha(), 1);  // not animated: visible at once
    EXPECT_TRUE(dynamic_cast<UIActivityIndicatorView*>(first->indicator())->isAnimating());

    // One hide takes only the topmost HUD, and only once its animation ends.
    EXPECT_TRUE(ProgressHUD::hideHUDForView(view.get(), true));
    EXPECT_FALSE(UIApplication::sharedApplication().networkActivityIndicatorVisible());
    EXPECT_EQ(hudsOf(view.get()).size(), 2u);
    driver.advanceClock(1.4);
    EXPECT_EQ(hudsOf(view.get()).size(), 2u);
    driver.advanceClock(0.2);
    ASSERT_EQ(hudsOf(view.get()).size(), 1u);
    EXPECT_EQ(hudsOf(view.get()).front(), first.get());
    EXPECT_TRUE(ProgressHUD::hideHUDForView(view.get(), false));
    EXPECT_TRUE(hudsOf(view.get()).empty());
    EXPECT_FALSE(ProgressHUD::hideHUDForView(view.get(), true));
    EXPECT_FALSE(ProgressHUD::hideHUDForView(nullptr, true));

    EXPECT_THROW(
        {
            try {
                ProgressHUD::initWithView(nullptr);
            } catch (const NSException& e) {
                EXPECT_EQ(e.name(), "ProgressHUDViewIsNillException");
                EXPECT_EQ(e.reason(), "The view used in the ProgressHUD initializer is nil.");
                throw;
            }
        },
        NSException);
}

TEST(ProgressHUD, ErrorReplacesTheViewsHUDs)
{
    NXUITestDriver driver;
    auto view = host(driver);
    ProgressHUD::showHUDAddedTo(view.get(), false);
    ProgressHUD::showHUDAddedTo(view.get(), false);
    auto error = ProgressHUD::error(view.get());
    ASSERT_EQ(hudsOf(view.get()).size(), 1u);
    EXPECT_EQ(error->tag(), 120120);
    EXPECT_EQ(error->labelText(), "网络异常");
    driver.advanceClock(10);
    EXPECT_EQ(hudsOf(view.get()).size(), 1u);  // stays until hidden
}

TEST(ProgressHUD, HidingNeverShownOrTwiceIsHarmless)
{
    NXUITestDriver driver;
    auto view = host(driver);
    auto counter = std::make_shared<HiddenCounter>();
    auto idle = ProgressHUD::initWithView(view.get());
    idle->delegate = counter;
    view->addSubview(idle);
    idle->hide(true);
    idle->hide(false);
    EXPECT_EQ(counter->hidden, 0);
    EXPECT_EQ(idle->alpha(), 0);

    auto hud = ProgressHUD::showHUDAddedTo(view.get(), true);
    hud->delegate = counter;
    hud->hide(true);
    hud->hide(true);
    hud->hide(false);
    driver.advanceClock(2);
    EXPECT_EQ(counter->hidden, 1);
    EXPECT_EQ(hud->alpha(), 0);
    EXPECT_EQ(hud->superview(), view.get());  // without removeFromSuperViewOnHide it stays
    hud->hide(true);
    driver.advanceClock(2);
    EXPECT_EQ(counter->hidden, 1);

    // Shown again during the hide animation: the late animation end hides nothing.
    hud->show(false);
    hud->hide(true);
    hud->show(false);
    driver.advanceClock(2);
    EXPECT_EQ(hud->alpha(), 1);
    EXPECT_EQ(counter->hidden, 2 - 1);
}

TEST(ProgressHUD, GraceAndMinimumShowTimes)
{
    NXUITestDriver driver;
    auto view = host(driver);
    auto hud = ProgressHUD::initWithView(view.get());
    view->addSubview(hud);
    hud->minShowTime = 1.0;
    hud->show(false);
    driver.advanceClock(0.3);
    hud->hide(false);
    EXPECT_EQ(hud->alpha(), 1);
    driver.advanceClock(0.69);
    EXPECT_EQ(hud->alpha(), 1);
    driver.advanceClock(0.02);
    EXPECT_EQ(hud->alpha(), 0);

    // A grace time without a task never shows the HUD.
    auto graceful = ProgressHUD::initWithView(view.get());
    view->addSubview(graceful);
    graceful->graceTime = 0.5;
    graceful->show(false);
    driver.advanceClock(1);
    EXPECT_EQ(graceful->alpha(), 0);
}

TEST(ProgressHUD, TaskThreadHidesWhenTheTaskEndsOrThrows)
{
    for (bool throws : {false, true}) {
        NXUITestDriver driver;
        auto view = host(driver);
        auto counter = std::make_shared<HiddenCounter>();
        auto hud = ProgressHUD::initWithView(view.get());
        hud->delegate = counter;
        hud->removeFromSuperViewOnHide = true;
        hud->graceTime = 0.2;
        view->addSubview(hud);
        auto task = std::make_shared<Task>();
        task->throws = throws;
        hud->showWhileExecuting(NX_SEL(Task, run), task, nullptr, false);
        EXPECT_TRUE(hud->taskInProgress());
        EXPECT_EQ(hud->alpha(), 0);
        driver.advanceClock(0.25);  // the grace time passes while the task runs
        EXPECT_EQ(hud->alpha(), 1);
        ASSERT_TRUE(driver.pumpUntil([&] { return task->ran.load(); }));
        task->release = true;
        ASSERT_TRUE(driver.pumpUntil([&] { return counter->hidden == 1; })) << throws;
        EXPECT_FALSE(hud->taskInProgress());
        EXPECT_EQ(hud->superview(), nullptr);
        EXPECT_TRUE(NSThread::joinDetachedThreads(5));
    }
}

TEST(ProgressHUD, SettersFromAWorkerReachTheMainThread)
{
    NXUITestDriver driver;
    auto view = host(driver);
    auto hud = ProgressHUD::showHUDAddedTo(view.get(), false);
    const auto requests = hud->displayRequests();
    NSThread::detachNewThreadWithBlock([hud] {
        hud->setLabelText("worker");
        hud->setMode(ProgressHUDModeDeterminate);
        hud->setProgress(0.5f);
    });
    ASSERT_TRUE(driver.pumpUntil([&] { return dynamic_cast<RoundProgressView*>(hud->indicator()) && hud->displayRequests() >= requests + 3; }));
    EXPECT_TRUE(NSThread::joinDetachedThreads(5));
    driver.pumpUntil([&] { return dynamic_cast<RoundProgressView*>(hud->indicator())->progress() == 0.5f; });
    EXPECT_EQ(dynamic_cast<RoundProgressView*>(hud->indicator())->progress(), 0.5f);
    EXPECT_EQ(hud->labelText(), "worker");
    // In the spinner mode progress is only stored.
    hud->setMode(ProgressHUDModeIndeterminate);
    hud->setProgress(0.9f);
    EXPECT_EQ(hud->progress(), 0.9f);
    EXPECT_TRUE(dynamic_cast<UIActivityIndicatorView*>(hud->indicator()));
}

TEST(ProgressHUD, LayoutOfBoxAndLabels)
{
    NXUITestDriver driver;
    auto view = host(driver, CGRectMake(0, 0, 200, 300));
    auto hud = ProgressHUD::showHUDAddedTo(view.get(), false, "Hi");
    hud->layoutIfNeeded();
    const CGSize ls = sizeWithFont("Hi", hud->labelFont);
    EXPECT_EQ(hud->width, 37 + 40);  // the spinner is wider than the short text
    EXPECT_EQ(hud->height, 37 + 40 + ls.height + 4);
    const CGRect ind = hud->indicator()->frame();
    EXPECT_EQ(ind.origin.y, std::floor((300 - 37) / 2.0) - std::floor(ls.height / 2 + 2));
    EXPECT_EQ(hud->label()->frame().origin.y, std::floor(ind.origin.y + 37 + 4));
    EXPECT_EQ(hud->label()->frame().size.width, ls.width);

    // A text wider than the view minus 40 is laid out W - 80 wide.
    hud->setLabelText("a very long title that does not fit in the box at all");
    hud->layoutIfNeeded();
    EXPECT_EQ(hud->label()->frame().size.width, 200 - 80);

    // A details text between box width - 40 and the box width leaves the box as it is.
    hud->setLabelText("WWWWWWWW");
    hud->setDetailsLabelText(NSString());
    hud->layoutIfNeeded();
    const CGFloat box = hud->width;
    std::string text = "i";
    while (sizeWithFont(NSString(text + "i"), hud->detailsLabelFont).width <= box) text += "i";
    const NSString details(text);
    ASSERT_GT(sizeWithFont(details, hud->detailsLabelFont).width, box - 40);
    hud->setDetailsLabelText(details);
    hud->layoutIfNeeded();
    EXPECT_EQ(hud->width, box);
    EXPECT_EQ(hud->detailsLabel()->superview(), hud.get());
}

TEST(ProgressHUD, DrawsTheBoxAndTheQuarterPie)
{
    NXUITestDriver driver;
    auto view = host(driver, CGRectMake(0, 0, 200, 200));
    auto hud = ProgressHUD::showHUDAddedTo(view.get(), false);
    hud->setLabelText(NSString());
    hud->setMode(ProgressHUDModeDeterminate);
    hud->setProgress(0.25f);
    auto image = NXSnapshotImage(view.get());
    // The box: 37 + 40 square, black at 0.8 over white, corners rounded.
    const NXPixel box = at(image, 100 - 35, 100);
    EXPECT_NEAR(box.r, 51, 2);
    EXPECT_EQ(at(image, 100 - 38.5 + 0.5, 100 - 38.5 + 0.5).r, 255);
    EXPECT_EQ(at(image, 20, 20).r, 255);
    // The pie covers twelve to three o'clock only.
    EXPECT_GT(at(image, 108, 92).r, 240);
    EXPECT_LT(at(image, 92, 92).r, 100);
    EXPECT_LT(at(image, 108, 108).r, 100);
}

TEST(LoadingBoxView, StartDrawFadeAndHide)
{
    NXUITestDriver driver;
    auto view = host(driver, CGRectMake(0, 0, 280, 200));
    auto box = LoadingBoxView::initWithTitle("Loading", "Please wait while the list is fetched");
    view->addSubview(box);
    EXPECT_EQ(box->frame(), CGRectMake(0, 0, 280, 200));
    auto blank = NXSnapshotImage(view.get());
    EXPECT_EQ(at(blank, 140, 10).r, 255);  // a new box draws nothing

    box->startAnimating();
    EXPECT_TRUE(box->activity()->isAnimating());
    auto image = NXSnapshotImage(view.get());
    const NXPixel dark = at(image, 140, 3);
    EXPECT_NEAR(dark.r, 64, 2);  // black at 0.75 over white
    EXPECT_EQ(box->activity()->center(), CGPointMake(140, 10 + 20));
    const CGSize s1 = LoadingBoxView::calculateHeightOfTextFromWidth("Loading", UIFont::boldSystemFontOfSize(16), 200, UILineBreakModeTailTruncation);
    const CGSize s2 = LoadingBoxView::calculateHeightOfTextFromWidth("Please wait while the list is fetched", UIFont::systemFontOfSize(12), 200,
                                                                   UILineBreakModeCharacterWrap);
    const CGFloat boxHeight = std::trunc(s1.height + s2.height + 50 + 20);
    EXPECT_NEAR(at(image, 140, boxHeight - 3).r, 64, 2);
    EXPECT_EQ(at(image, 140, boxHeight + 2).r, 255);
    const long w = static_cast<long>(std::max(s1.width, s2.width));
    EXPECT_EQ(at(image, static_cast<double>((240 - w) / 2) - 2, 60).r, 255);  // left of the box

    // Stop right after start: still there after 0.5 s, gone after about a second.
    box->stopAnimating();
    box->stopAnimating();  // a second stop adds no second fade
    box->startAnimating();  // ignored during the fade
    driver.advanceClock(0.55);
    EXPECT_NEAR(box->alpha(), 0.5, 1e-9);
    EXPECT_FALSE(box->boxHidden());
    driver.advanceClock(0.5);
    EXPECT_TRUE(box->boxHidden());
    EXPECT_FALSE(box->activity()->isAnimating());
    EXPECT_FALSE(box->loadingTimer()->isValid());
    ASSERT_FALSE(UIView::committedAnimations().empty());
    EXPECT_EQ(UIView::committedAnimations().back().transition, UIViewAnimationTransitionFlipFromLeft);
    EXPECT_EQ(UIView::committedAnimations().back().duration, 0.35);
    driver.advanceClock(2);
    EXPECT_TRUE(box->boxHidden());
    // Started again, it is whole again.
    box->startAnimating();
    EXPECT_EQ(box->alpha(), 1);
}

TEST(LoadingBoxView, MeasuringAndHeights)
{
    auto bold = UIFont::boldSystemFontOfSize(16);
    EXPECT_EQ(LoadingBoxView::calculateHeightOfTextFromWidth(NSString(), bold, 200, UILineBreakModeTailTruncation), CGSizeZero);
    EXPECT_EQ(LoadingBoxView::heightWithString("", bold, 200, UILineBreakModeTailTruncation), CGSizeZero);
    const CGSize one = LoadingBoxView::calculateHeightOfTextFromWidth("Title", bold, 200, UILineBreakModeTailTruncation);
    EXPECT_EQ(one.height, std::ceil(bold->lineHeight() - 1e-9));
    auto box = LoadingBoxView::initWithTitle("Title");
    box->adjustHeight();
    EXPECT_EQ(box->frame().size, CGSizeMake(280, one.height + 20));
    box->setRadius(5);
    const auto requests = box->displayRequests();
    box->setRadius(5);
    EXPECT_EQ(box->displayRequests(), requests);
    EXPECT_EQ(box->radius(), 5);
}

TEST(BadgeView, DrawsItsTextOnTheBadgeColour)
{
    NXUITestDriver driver;
    auto view = host(driver, CGRectMake(0, 0, 60, 30));
    auto badge = BadgeView::initWithFrame(CGRectMake(0, 0, 60, 30));
    badge->setBadgeString("8");
    view->addSubview(badge);
    auto image = NXSnapshotImage(view.get());
    const unsigned tw = static_cast<unsigned>(sizeWithFont("8", badge->font()).width);
    EXPECT_EQ(badge->width(), tw + 16);
    // Lower half of the body (below the gloss): the badge colour.
    const NXPixel body = at(image, 11, 16.5);
    EXPECT_NEAR(body.r, 31, 3);
    EXPECT_NEAR(body.b, 255, 3);
    EXPECT_EQ(at(image, 0.5, 25).r, 255);  // outside: the host's white

    // A highlighted parent cell switches to the highlighted colour.
    auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "c");
    badge->setParent(cell);
    badge->setBadgeColorHighlighted(UIColor::redColor());
    cell->setHighlighted(true);
    const NXPixel red = at(NXSnapshotImage(view.get()), 11, 16.5);
    EXPECT_EQ(red.r, 255);
    EXPECT_LT(red.b, 10);

    // No text: width 16.
    badge->setBadgeString(NSString());
    NXSnapshotImage(view.get());
    EXPECT_EQ(badge->width(), 16u);
}

TEST(BadgeView, ATouchSelectsTheTab)
{
    struct TabBar : BadgeViewDelegate {
        UIView* selected = nullptr;
        void selectedTab(UIView* button) override { selected = button; }
    };
    NXUITestDriver driver;
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 400, 64, 49));
    button->setTag(2);
    driver.window()->addSubview(button);
    auto badge = BadgeView::initWithFrame(CGRectMake(32, 0, 30, 20));
    button->addSubview(badge);
    EXPECT_TRUE(driver.tap(badge.get()));  // no delegate: nothing happens
    auto bar = std::make_shared<TabBar>();
    badge->delegate = bar;
    EXPECT_TRUE(driver.tap(badge.get()));
    EXPECT_EQ(bar->selected, button.get());
}

TEST(DotPageControl, SizesClampsAndHides)
{
    auto control = DotPageControl::initWithType(1);
    EXPECT_EQ(control->frame().size, CGSizeMake(32, 44));  // no pages: 0 - 12 + 44
    control->setNumberOfPages(0);
    EXPECT_EQ(control->currentPage(), -1);
    control->setIndicatorDiameter(12);
    control->setIndicatorSpace(12);
    control->setNumberOfPages(7);
    EXPECT_EQ(control->frame().size, CGSizeMake(200, 44));
    control->setFrame(CGRectMake(60, 400, 10, 10));
    EXPECT_EQ(control->frame(), CGRectMake(60, 400, 200, 44));
    control->setCurrentPage(9);
    EXPECT_EQ(control->currentPage(), 6);
    control->setCurrentPage(-3);
    EXPECT_EQ(control->currentPage(), 0);

    control->setDefersCurrentPageDisplay(true);
    const auto requests = control->displayRequests();
    control->setCurrentPage(3);
    EXPECT_EQ(control->displayRequests(), requests);
    control->updateCurrentPageDisplay();
    EXPECT_EQ(control->displayRequests(), requests + 1);

    control->setHidesForSinglePage(true);
    control->setNumberOfPages(1);
    EXPECT_TRUE(control->hidden());
    control->setNumberOfPages(2);
    EXPECT_FALSE(control->hidden());
}

TEST(DotPageControl, TapsStepAndAlwaysReport)
{
    struct Receiver : NSObject {
        int changes = 0;
        void changed(const id&) { ++changes; }
    };
    NXUITestDriver driver;
    auto control = DotPageControl::initWithType(1);
    control->setNumberOfPages(3);
    control->setFrame(CGRectMake(20, 100, 0, 0));
    driver.window()->addSubview(control);
    auto receiver = std::make_shared<Receiver>();
    control->addTarget(receiver, NX_SEL(Receiver, changed), UIControlEventValueChanged);
    const CGRect f = control->frame();
    EXPECT_TRUE(driver.tapAt(CGPointMake(f.origin.x + f.size.width - 5, CGRectGetMidY(f))));
    EXPECT_EQ(control->currentPage(), 1);
    driver.tapAt(CGPointMake(f.origin.x + f.size.width - 5, CGRectGetMidY(f)));
    driver.tapAt(CGPointMake(f.origin.x + f.size.width - 5, CGRectGetMidY(f)));
    EXPECT_EQ(control->currentPage(), 2);  // the last page stays
    EXPECT_EQ(receiver->changes, 3);       // and still reports
    driver.tapAt(CGPointMake(f.origin.x + 5, CGRectGetMidY(f)));
    EXPECT_EQ(control->currentPage(), 1);
    EXPECT_EQ(receiver->changes, 4);
}

TEST(DotPageControl, DrawsFilledAndOutlinedDots)
{
    NXUITestDriver driver;
    auto view = host(driver, CGRectMake(0, 0, 200, 44));
    view->setBackgroundColor(UIColor::blackColor());
    auto control = DotPageControl::initWithType(1);
    control->setIndicatorDiameter(12);
    control->setIndicatorSpace(12);
    control->setNumberOfPages(7);
    control->setCurrentPage(0);
    control->setOffColor(UIColor::whiteColor());
    control->setFrame(CGRectZero);
    view->addSubview(control);
    auto image = NXSnapshotImage(view.get());
    // Dot i's centre: 100 - 78 + i * 24 + 6.
    EXPECT_EQ(at(image, 28, 22).r, 255);   // current: filled
    EXPECT_EQ(at(image, 52, 22).r, 0);     // others: outlined, empty inside
    EXPECT_GT(at(image, 46.5, 22).r, 100);  // on the outline
}

TEST(SRXLowMemoryWarningObserver, WarningFlushesTheCacheOrRetriesLater)
{
    NXUITestDriver driver;
    SRXLowMemoryWarningObserver::registerLowMemoryObserver();  // again: still one registration
    auto compiled = [] {
        int n = 0;
        for (const auto& slot : SRXRegexCache::shared().slots()) n += slot.icu_regex != nullptr;
        return n;
    };
    EXPECT_TRUE(isMatchedByRegex(NSString("abc"), "b+"));
    ASSERT_GT(compiled(), 0);
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    EXPECT_EQ(compiled(), 0);

    // While an operation holds the lock the flush waits, and runs 0.1 s later.
    EXPECT_TRUE(isMatchedByRegex(NSString("abc"), "c$"));
    std::atomic<bool> held{false}, release{false};
    std::thread operation([&] {
        std::lock_guard lock(SRXRegexCache::shared().lock());
        held = true;
        while (!release) std::this_thread::yield();
    });
    while (!held) std::this_thread::yield();
    NSNotificationCenter::defaultCenter()->postNotificationName(UIApplicationDidReceiveMemoryWarningNotification, nullptr);
    driver.advanceClock(0.1);  // still held: tries again later
    release = true;
    operation.join();
    EXPECT_GT(compiled(), 0);
    driver.advanceClock(0.1);
    EXPECT_EQ(compiled(), 0);
}
