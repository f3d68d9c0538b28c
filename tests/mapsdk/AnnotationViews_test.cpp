// Annotation views and pins: image sizing, taps that ask for selection, the
// drag with its lift and set-down, reuse, pin colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapsdk/VIZBundle.h"
#include "mapsdk/VIZPinAnnotationView.h"
#include "mapsdk/VIZShape.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"

namespace {

// The screen as the SDK sees it: 640 x 960 is Retina, 320 x 480 is not.
struct Screen {
    Screen(int w, int h)
    {
        auto d = NSUserDefaults::standardUserDefaults();
        savedW = d->integerForKey("EngineScreenWidth");
        savedH = d->integerForKey("EngineScreenHeight");
        d->setInteger(w, "EngineScreenWidth");
        d->setInteger(h, "EngineScreenHeight");
    }
    ~Screen()
    {
        auto d = NSUserDefaults::standardUserDefaults();
        d->setInteger(savedW, "EngineScreenWidth");
        d->setInteger(savedH, "EngineScreenHeight");
    }
    NSInteger savedW;
    NSInteger savedH;
};

// Records the SDK's view notifications; on a select request it attaches a
// bubble the way the map view does.
class Listener : public NSObject {
public:
    void onSelect(const id& n)
    {
        auto note = std::static_pointer_cast<NSNotification>(n);
        auto view = std::dynamic_pointer_cast<VIZAnnotationView>(note->userInfo().at("view"));
        names.push_back("select");
        if (view && bubble) view->setPaopaoView(bubble);
    }
    void onClear(const id&) { names.push_back("clear"); }
    void onUpdate(const id& n)
    {
        auto note = std::static_pointer_cast<NSNotification>(n);
        names.push_back("update");
        updated = std::dynamic_pointer_cast<VIZAnnotationView>(note->userInfo().at("view"));
    }
    std::vector<std::string> names;
    std::shared_ptr<UIView> bubble;
    std::shared_ptr<VIZAnnotationView> updated;
};

class AnnotationViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto c = NSNotificationCenter::defaultCenter();
        c->addObserver(listener.get(), NX_SEL(Listener, onSelect), kNotificationSelectAnnotationView, nullptr);
        c->addObserver(listener.get(), NX_SEL(Listener, onClear), kNotificationClearPaopao, nullptr);
        c->addObserver(listener.get(), NX_SEL(Listener, onUpdate), kNotificationUptateAnnotationCoordinate, nullptr);
        annotation->setCoordinate({39.9, 116.4});
        annotation->setTitle("Home");
    }
    void TearDown() override { NSNotificationCenter::defaultCenter()->removeObserver(listener.get()); }

    std::shared_ptr<VIZPinAnnotationView> placedPin()
    {
        auto pin = VIZPinAnnotationView::initWithAnnotation(annotation, "pin");
        CGRect f = pin->frame();
        f.origin = CGPointMake(100, 200);
        pin->setFrame(f);
        driver.window()->addSubview(pin);
        return pin;
    }

    Screen screen{320, 480};
    NXUITestDriver driver;
    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
    std::shared_ptr<VIZPointAnnotation> annotation = std::make_shared<VIZPointAnnotation>();
};

UIPanGestureRecognizer* PanOf(UIView& view)
{
    for (const auto& g : view.gestureRecognizers()) {
        if (auto* pan = dynamic_cast<UIPanGestureRecognizer*>(g.get())) return pan;
    }
    return nullptr;
}

}  // namespace

TEST_F(AnnotationViewTest, NewViewDefaults)
{
    auto view = VIZAnnotationView::initWithAnnotation(annotation, "id");
    EXPECT_EQ(view->annotation(), annotation);
    EXPECT_EQ(view->reuseIdentifier(), NSString("id"));
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectZero));
    EXPECT_TRUE(view->enabled());
    EXPECT_TRUE(view->canShowCallout());
    EXPECT_FALSE(view->selected());
    EXPECT_FALSE(view->draggable());
    EXPECT_EQ(view->dragState(), 0u);
    ASSERT_NE(PanOf(*view), nullptr);
    EXPECT_EQ(PanOf(*view)->maximumNumberOfTouches, 1u);

    view->setSelected(true);
    view->setPaopaoView(UIView::initWithFrame(CGRectMake(0, 0, 10, 10)));
    view->prepareForReuse();
    EXPECT_EQ(view->annotation(), nullptr);
    EXPECT_FALSE(view->selected());
    EXPECT_EQ(view->paopaoView(), nullptr);
    EXPECT_EQ(view->reuseIdentifier(), NSString("id"));
}

TEST_F(AnnotationViewTest, ImageSizesTheFrameInPoints)
{
    auto view = VIZAnnotationView::initWithAnnotation(annotation, {});
    view->setImage(VIZPinAnnotationView::pinImage(0));
    EXPECT_EQ(view->frame().size.width, 22);
    EXPECT_EQ(view->frame().size.height, 36);
    view->setImage(nullptr);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectZero));
    {
        Screen retina(640, 960);
        EXPECT_TRUE(VIZGetBundleImagePath("pin_red").hasSuffix("images/pin_red@2x.png"));
        auto pin = VIZPinAnnotationView::initWithAnnotation(annotation, {});
        EXPECT_EQ(pin->frame().size.width, 22);  // 44 pixels halved
        EXPECT_EQ(pin->frame().size.height, 36);
    }
    EXPECT_TRUE(VIZGetBundleImagePath("pin_red").hasSuffix("vizmap.bundle/images/pin_red.png"));
    EXPECT_TRUE(VIZGetBundleImagePath({}).isNil());
    EXPECT_TRUE(VIZGetBundleFilePath({}).isNil());
}

TEST_F(AnnotationViewTest, TapAsksForSelectionAndPopsTheBubble)
{
    auto pin = placedPin();
    listener->bubble = UIView::initWithFrame(CGRectMake(0, 0, 86, 48));
    ASSERT_TRUE(driver.tap(pin.get()));
    EXPECT_EQ(listener->names, std::vector<std::string>{"select"});
    auto pop = std::dynamic_pointer_cast<CAKeyframeAnimation>(
        listener->bubble->layer()->animationForKey("paopaoAnimation"));
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(pop->keyPath, NSString("transform.scale"));
    EXPECT_EQ(pop->duration, 0.6);
    ASSERT_EQ(pop->values.size(), 12u);
    ASSERT_EQ(pop->keyTimes.size(), 12u);
    EXPECT_EQ(std::get<double>(pop->values[2]), 1.2);
    EXPECT_EQ(pop->keyTimes[7], 0.77);

    // Selected or disabled views ask for nothing.
    pin->setSelected(true);
    driver.tap(pin.get());
    pin->setSelected(false);
    pin->setEnabled(false);
    driver.tap(pin.get());
    EXPECT_EQ(listener->names.size(), 1u);

    // A cancelled touch does not select.
    pin->setEnabled(true);
    auto touch = std::make_shared<UITouch>(pin, CGPointMake(110, 210), 1);
    UIEvent event({touch});
    pin->touchesBegan({touch}, &event);
    pin->touchesCancelled({touch}, &event);
    pin->touchesEnded({touch}, &event);
    EXPECT_EQ(listener->names.size(), 1u);
}

TEST_F(AnnotationViewTest, DragLiftsFollowsAndSetsDownAboveTheFinger)
{
    auto pin = placedPin();
    pin->setDraggable(true);
    UIPanGestureRecognizer* pan = PanOf(*pin);
    ASSERT_NE(pan, nullptr);
    UIView::clearCommittedAnimations();

    pan->panTo(UIGestureRecognizerStateBegan, CGPointMake(110, 230));
    EXPECT_EQ(pin->dragState(), 1u);
    EXPECT_EQ(pin->frame().origin.y, 150);
    pan->panTo(UIGestureRecognizerStateChanged, CGPointMake(140, 250));
    EXPECT_EQ(pin->dragState(), 2u);
    EXPECT_EQ(pin->frame().origin.x, 130);
    EXPECT_EQ(pin->frame().origin.y, 170);
    pan->panTo(UIGestureRecognizerStateEnded, CGPointMake(150, 260));
    EXPECT_EQ(pin->dragState(), 4u);
    // The finger moved (40, 30) in all; the pin rests 30 points above that.
    EXPECT_EQ(pin->frame().origin.x, 140);
    EXPECT_EQ(pin->frame().origin.y, 200);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"clear", "update"}));
    EXPECT_EQ(listener->updated, pin);
    const auto& anims = UIView::committedAnimations();
    ASSERT_EQ(anims.size(), 2u);
    EXPECT_EQ(anims[0].name, NSString("PinDrag"));
    EXPECT_EQ(anims[1].duration, 0.3);
}

TEST_F(AnnotationViewTest, CancelledDragStaysLiftedAndPostsNothingMore)
{
    auto pin = placedPin();
    pin->setDraggable(true);
    UIPanGestureRecognizer* pan = PanOf(*pin);
    pan->panTo(UIGestureRecognizerStateBegan, CGPointMake(110, 230));
    pan->panTo(UIGestureRecognizerStateCancelled, CGPointMake(120, 230));
    EXPECT_EQ(pin->dragState(), 3u);
    EXPECT_EQ(pin->frame().origin.y, 150);
    EXPECT_EQ(listener->names, std::vector<std::string>{"clear"});

    // Not draggable, or disabled: the pan is ignored.
    listener->names.clear();
    auto still = placedPin();
    PanOf(*still)->panTo(UIGestureRecognizerStateBegan, CGPointMake(110, 230));
    still->setDraggable(true);
    still->setEnabled(false);
    PanOf(*still)->panTo(UIGestureRecognizerStateBegan, CGPointMake(110, 230));
    EXPECT_EQ(still->dragState(), 0u);
    EXPECT_EQ(still->frame().origin.y, 200);
    EXPECT_TRUE(listener->names.empty());
}

TEST_F(AnnotationViewTest, OldSystemHasNoPanRecognizer)
{
    auto& device = UIDevice::currentDevice();
    NSString saved = device.systemVersion;
    device.systemVersion = "3.1";
    auto view = VIZAnnotationView::initWithAnnotation(annotation, {});
    device.systemVersion = saved;
    EXPECT_TRUE(view->gestureRecognizers().empty());
}

TEST_F(AnnotationViewTest, PinColours)
{
    auto pin = VIZPinAnnotationView::initWithAnnotation(annotation, "pin");
    EXPECT_EQ(pin->pinColor(), 0u);
    EXPECT_FALSE(pin->animatesDrop());
    EXPECT_EQ(pin->centerOffset().y, -18);
    auto red = pin->image();
    pin->setPinColor(0);
    pin->setPinColor(3);
    EXPECT_EQ(pin->image(), red);
    EXPECT_EQ(pin->pinColor(), 0u);

    pin->setPinColor(1);
    EXPECT_EQ(pin->pinColor(), 1u);
    EXPECT_NE(pin->image(), red);
    pin->setPinColor(0);
    EXPECT_NE(pin->image(), red);  // loaded again
    EXPECT_EQ(pin->centerOffset().y, -18);
    pin->setPinColor(2);
    ASSERT_NE(pin->image(), nullptr);
    EXPECT_EQ(pin->frame().size.height, 36);
}
