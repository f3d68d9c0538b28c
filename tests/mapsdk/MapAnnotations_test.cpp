// Annotations and overlays on the map view over the real engine: pins in
// three colours dropped in, a tap on one opening its callout, views kept by
// the identity of their annotations and recycled into a bounded pool, and
// a polyline, a polygon with a hole and a circle drawn over the map.
#include <cmath>
#include <functional>
#include <set>

#include "mapsdk/VIZPinAnnotationView.h"
#include "mapsdk/VIZShape.h"
#include "tests/mapsdk/MapViewFixture.h"
#include "tools/snapshot/Snapshot.h"

using namespace mapengine;

namespace {

// Pins coloured by their subtitle, dropped in; overlays in the colours of
// their kind.
class PinDelegate : public VIZMapViewDelegate {
public:
    std::shared_ptr<VIZAnnotationView> mapView_viewForAnnotation(VIZMapView* map,
                                                                 const std::shared_ptr<VIZAnnotation>& a) override
    {
        const NSString kind = a->subtitle();
        const unsigned color = kind == "green"    ? VIZPinAnnotationColorGreen
                               : kind == "purple" ? VIZPinAnnotationColorPurple
                                                  : VIZPinAnnotationColorRed;
        const NSString identifier = NSString::stringWithFormat("pin-%d", static_cast<int>(color));
        auto reused = std::dynamic_pointer_cast<VIZPinAnnotationView>(map->dequeueReusableAnnotationViewWithIdentifier(identifier));
        auto pin = reused ? reused : VIZPinAnnotationView::initWithAnnotation(a, identifier);
        pin->setAnnotation(a);
        pin->setPinColor(color);
        pin->setAnimatesDrop(true);
        pin->setCanShowCallout(true);
        return pin;
    }
    void mapView_didAddAnnotationViews(VIZMapView*, const std::vector<std::shared_ptr<VIZAnnotationView>>& views) override
    {
        added += views.size();
    }
    void mapView_didSelectAnnotationView(VIZMapView*, VIZAnnotationView* view) override
    {
        calls.push_back("select " + std::string(view->annotation()->title().UTF8String()));
    }
    void mapView_didDeselectAnnotationView(VIZMapView*, VIZAnnotationView*) override { calls.push_back("deselect"); }
    void mapView_annotationViewForBubble(VIZMapView*, VIZAnnotationView* view) override
    {
        calls.push_back("bubble " + std::string(view->annotation()->title().UTF8String()));
    }
    std::shared_ptr<VIZOverlayView> mapView_viewForOverlay(VIZMapView*, const std::shared_ptr<VIZOverlay>& o) override
    {
        std::shared_ptr<VIZOverlayPathView> view;
        if (auto line = std::dynamic_pointer_cast<VIZPolyline>(o)) {
            view = VIZPolylineView::initWithPolyline(line);
            view->strokeColor = UIColor::colorWithRed(0.1, 0.3, 0.9, 1);
            view->lineWidth = 4;
        } else if (auto polygon = std::dynamic_pointer_cast<VIZPolygon>(o)) {
            view = VIZPolygonView::initWithPolygon(polygon);
            view->fillColor = UIColor::colorWithRed(0.9, 0.5, 0.1, 0.6);
            view->strokeColor = UIColor::colorWithRed(0.6, 0.3, 0.0, 1);
            view->lineWidth = 2;
        } else if (auto circle = std::dynamic_pointer_cast<VIZCircle>(o)) {
            view = VIZCircleView::initWithCircle(circle);
            view->fillColor = UIColor::colorWithRed(0.2, 0.8, 0.3, 0.5);
            view->strokeColor = UIColor::colorWithRed(0.0, 0.5, 0.1, 1);
            view->lineWidth = 2;
        }
        return view;
    }
    size_t added = 0;
    std::vector<std::string> calls;
};

class MapAnnotationsTest : public MapViewFixture {
protected:
    void SetUp() override
    {
        MapViewFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(ShowMap());
        mapView->setDelegate(pins);
    }
    // The coordinate under a point of the map view.
    CLLocationCoordinate2D At(CGFloat x, CGFloat y) const
    {
        return mapView->convertPoint_toCoordinateFromView(CGPointMake(x, y), mapView.get());
    }
    static std::shared_ptr<VIZPointAnnotation> Point(const CLLocationCoordinate2D& c, const char* title, const char* subtitle)
    {
        auto a = std::make_shared<VIZPointAnnotation>();
        a->setCoordinate(c);
        a->setTitle(title);
        a->setSubtitle(subtitle);
        return a;
    }

    std::shared_ptr<PinDelegate> pins = std::make_shared<PinDelegate>();
};

TEST_F(MapAnnotationsTest, PinsDropInAndATapOpensTheCalloutWithTitleAndSubtitle)
{
    auto red = Point(At(80, 120), "School", "red");
    auto green = Point(At(170, 220), "Home", "green");
    auto purple = Point(At(250, 320), "Park", "purple");
    mapView->addAnnotations({red, green, purple});
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(pins->added, 3u);
    auto greenView = std::dynamic_pointer_cast<VIZPinAnnotationView>(mapView->viewForAnnotation(green));
    ASSERT_NE(greenView, nullptr);
    EXPECT_EQ(greenView->pinColor(), VIZPinAnnotationColorGreen);
    driver.advanceClock(1.0);  // the drop ends
    // The pin's tip marks the coordinate.
    const CGRect f = greenView->superview()->convertRect(greenView->frame(), mapView.get());
    EXPECT_NEAR(f.origin.x + f.size.width / 2, 170, 1);
    EXPECT_NEAR(f.origin.y + f.size.height, 220, 1);
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/pins-dropped"));

    ASSERT_TRUE(driver.tap(greenView.get()));
    EXPECT_TRUE(greenView->selected());
    auto bubble = std::dynamic_pointer_cast<ActionPaopaoView>(greenView->paopaoView());
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->paopaoButton()->label()->text(), "Home");
    EXPECT_EQ(bubble->paopaoButton()->detailLabel()->text(), "green");
    EXPECT_TRUE(bubble->window());
    driver.advanceClock(1.0);  // the pop-in ends
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/callout-open"));

    // Another pin takes the selection over.
    ASSERT_TRUE(driver.tap(mapView->viewForAnnotation(purple).get()));
    const std::vector<std::string> calls = {"select Home", "deselect", "select Park"};
    EXPECT_EQ(pins->calls, calls);
    EXPECT_FALSE(bubble->window());

    // A tap on the open bubble closes it and hands its pin to the delegate.
    auto parkBubble = std::dynamic_pointer_cast<PaopaoBaseView>(mapView->viewForAnnotation(purple)->paopaoView());
    ASSERT_NE(parkBubble, nullptr);
    driver.advanceClock(1.0);
    ASSERT_TRUE(driver.tap(parkBubble->paopaoButton()));
    EXPECT_FALSE(mapView->viewForAnnotation(purple)->selected());
    EXPECT_FALSE(parkBubble->window());
    const std::vector<std::string> after = {"select Home", "deselect", "select Park", "deselect", "bubble Park"};
    EXPECT_EQ(pins->calls, after);
}

// A single tap on the map goes through the engine's hit test as a press
// that leaves the map where it is, and closes the open callout.
TEST_F(MapAnnotationsTest, ATapOnTheMapClosesTheCalloutAndLeavesTheMapInPlace)
{
    auto home = Point(At(160, 200), "Home", "green");
    mapView->addAnnotation(home);
    ASSERT_TRUE(PumpUntilPainted());
    driver.advanceClock(1.0);
    ASSERT_TRUE(driver.tap(mapView->viewForAnnotation(home).get()));
    ASSERT_TRUE(mapView->viewForAnnotation(home)->selected());
    const mapengine::_VPoint centre = state().ptCenter;

    ASSERT_TRUE(driver.tapAt(mapView->convertPoint(CGPointMake(60, 330), nullptr)));
    driver.advanceClock(TapDetectingView::kSingleTapDelay);
    EXPECT_FALSE(mapView->viewForAnnotation(home)->selected());
    EXPECT_EQ(pins->calls, (std::vector<std::string>{"select Home", "deselect"}));
    EXPECT_EQ(control()->IsPressPending(), 0) << "the press was completed";
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(state().ptCenter.x, centre.x);
    EXPECT_EQ(state().ptCenter.y, centre.y);
}

// A pin recoloured by its screen, which then asks the map to redraw, keeps
// its place.
TEST_F(MapAnnotationsTest, ARecolouredPinStaysWhereItIs)
{
    auto home = Point(At(170, 220), "Home", "green");
    mapView->addAnnotation(home);
    ASSERT_TRUE(PumpUntilPainted());
    driver.advanceClock(1.0);
    auto pin = std::dynamic_pointer_cast<VIZPinAnnotationView>(mapView->viewForAnnotation(home));
    ASSERT_NE(pin, nullptr);
    const CGRect before = pin->frame();
    const auto green = pin->image();
    pin->setPinColor(VIZPinAnnotationColorRed);
    mapView->setNeedsDisplay();
    EXPECT_NE(pin->image(), green);
    EXPECT_EQ(pin->frame().origin.x, before.origin.x);
    EXPECT_EQ(pin->frame().origin.y, before.origin.y);
    EXPECT_GT(mapView->displayRequests(), 0u);
}

// The layout pass leaves a view alone while its annotation's point has not
// moved; whatever else changed the view or moved the annotation between
// two repaints, the next one puts the view back on the map at its place.
TEST_F(MapAnnotationsTest, APinChangedBetweenRepaintsIsPlacedAgain)
{
    auto home = Point(At(170, 220), "Home", "green");
    mapView->addAnnotation(home);
    ASSERT_TRUE(PumpUntilPainted());
    driver.advanceClock(1.0);  // the drop ends
    auto view = mapView->viewForAnnotation(home);
    ASSERT_NE(view, nullptr);
    struct Case {
        const char* change;
        std::function<void()> apply;
        CGPoint at;  // where the annotation then is, in the map view
    };
    const Case cases[] = {
        {"moved by hand", [&] { view->setFrame(CGRectOffset(view->frame(), 30, -40)); }, {170, 220}},
        {"resized", [&] { view->setBounds(CGRectMake(0, 0, 60, 20)); }, {170, 220}},
        {"centre offset changed", [&] { view->setCenterOffset(CGPointMake(7, -3)); }, {170, 220}},
        {"taken off the map", [&] { view->removeFromSuperview(); }, {170, 220}},
        {"annotation moved", [&] { home->setCoordinate(At(90, 300)); }, {90, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        mapView->setNeedsDisplay();  // a repaint that changes nothing
        c.apply();
        mapView->setNeedsDisplay();
        ASSERT_EQ(view->superview(), scrollView());
        const CGRect f = scrollView()->convertRect(view->frame(), mapView.get());
        EXPECT_NEAR(f.origin.x + f.size.width / 2 - view->centerOffset().x, c.at.x, 1);
        EXPECT_NEAR(f.origin.y + f.size.height / 2 - view->centerOffset().y, c.at.y, 1);
    }
}

TEST_F(MapAnnotationsTest, ViewsBelongToTheirOwnAnnotationsAndThePoolStaysBounded)
{
    // Many annotations at one place: each gets a view of its own.
    std::vector<std::shared_ptr<VIZAnnotation>> many;
    for (int i = 0; i < 120; ++i) many.push_back(Point(At(160, 200), "Same", i % 2 ? "green" : "red"));
    mapView->addAnnotations(many);
    ASSERT_TRUE(PumpUntilPainted());
    std::set<VIZAnnotationView*> views;
    for (const auto& a : many) {
        auto view = mapView->viewForAnnotation(a);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->annotation(), a);
        views.insert(view.get());
    }
    EXPECT_EQ(views.size(), many.size());

    // Removing them all (handing the map its own list) pools at most 50
    // views; new annotations reuse them.
    mapView->removeAnnotations(mapView->annotations());
    EXPECT_TRUE(mapView->annotations().empty());
    EXPECT_EQ(internal()->_reuseAnnotationViews.size(), VIZMapViewInternal::kMaxReuseViews);
    auto again = Point(At(100, 100), "Again", "green");
    mapView->addAnnotation(again);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_TRUE(views.count(mapView->viewForAnnotation(again).get()));
    EXPECT_EQ(internal()->_reuseAnnotationViews.size(), VIZMapViewInternal::kMaxReuseViews - 1);
}

TEST_F(MapAnnotationsTest, APolylineAPolygonWithAHoleAndACircleAreDrawnOverTheMap)
{
    const CLLocationCoordinate2D line[] = {At(30, 60), At(120, 110), At(200, 70), At(290, 140)};
    const CLLocationCoordinate2D outer[] = {At(40, 200), At(180, 180), At(200, 330), At(60, 360)};
    const CLLocationCoordinate2D hole[] = {At(90, 240), At(140, 235), At(145, 290), At(95, 300)};
    auto polygon = VIZPolygon::polygonWithCoordinates(outer, 4, {VIZPolygon::polygonWithCoordinates(hole, 4)});
    auto circle = VIZCircle::circleWithCenterCoordinate(At(250, 280), 1500);
    mapView->addOverlays({VIZPolyline::polylineWithCoordinates(line, 4), polygon, circle});
    ASSERT_TRUE(PumpUntilPainted());
    for (const auto& o : mapView->overlays()) {
        auto view = mapView->viewForOverlay(o);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->superview(), internal()->m_mapView.get());
    }
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/overlays"));

    // Handing the map its own list removes every overlay and its view.
    mapView->removeOverlays(mapView->overlays());
    EXPECT_TRUE(mapView->overlays().empty());
    EXPECT_EQ(mapView->viewForOverlay(polygon), nullptr);
    EXPECT_EQ(mapView->viewForOverlay(circle), nullptr);
}

}  // namespace
