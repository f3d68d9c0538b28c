// Overlay views: geometry through the map view, bounds grown by the line
// width, paths built lazily, holes, dashes, circles; drawn and looked at.
#include <gtest/gtest.h>

#include "mapsdk/VIZOverlayView.h"
#include "platform/testing/NXUITestDriver.h"
#include "tools/snapshot/Snapshot.h"

namespace {

// A flat map for the views: 100 map units a point, the window's origin at a
// map point near Beijing.
class PlaneGeometry : public VIZMapViewGeometry {
public:
    static constexpr double kUnits = 100;
    VIZMapPoint origin = CoordinateToMapPoint({39.9, 116.4});

    VIZMapPoint at(double x, double y) const { return {origin.x + x * kUnits, origin.y + y * kUnits}; }

    VIZMapRect convertRect_toMapRectFromView(CGRect rect, UIView* view) const override
    {
        CGRect w = view->convertRect(rect, nullptr);
        return VIZMapRectMake(origin.x + w.origin.x * kUnits, origin.y + w.origin.y * kUnits,
                              w.size.width * kUnits, w.size.height * kUnits);
    }
    CGRect convertMapRect_toRectToView(const VIZMapRect& r, UIView* view) const override
    {
        CGRect w = CGRectMake((r.origin.x - origin.x) / kUnits, (r.origin.y - origin.y) / kUnits,
                              r.size.width / kUnits, r.size.height / kUnits);
        return view->convertRectFromView(w, nullptr);
    }
    CLLocationCoordinate2D convertPoint_toCoordinateFromView(CGPoint p, UIView* view) const override
    {
        CGPoint w = view->convertPoint(p, nullptr);
        return MapPointToCoordinate(at(w.x, w.y));
    }
    CGPoint convertCoordinate_toPointToView(const CLLocationCoordinate2D& c, UIView* view) const override
    {
        VIZMapPoint m = CoordinateToMapPoint(c);
        return view->convertPointFromView(
            CGPointMake(std::round((m.x - origin.x) / kUnits), std::round((m.y - origin.y) / kUnits)), nullptr);
    }
};

class OverlayViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        container = UIView::initWithFrame(CGRectMake(0, 0, 240, 200));
        container->setBackgroundColor(UIColor::whiteColor());
        driver.window()->addSubview(container);
    }

    // What the map view does for a visible overlay.
    void place(const std::shared_ptr<VIZOverlayView>& view)
    {
        view->initDelegate(geometry);
        container->addSubview(view);
        VIZMapRect rect = view->overlay()->boundingMapRect();
        view->setFrame(container->convertRectFromView(view->rectForMapRect(rect), view.get()));
        view->setNeedsDisplayInMapRect(rect);
    }

    std::shared_ptr<VIZPolygon> square(double x0, double y0, double x1, double y1,
                                       VIZPolygon::Polygons holes = {}) const
    {
        VIZMapPoint pts[] = {geometry->at(x0, y0), geometry->at(x1, y0), geometry->at(x1, y1), geometry->at(x0, y1)};
        return VIZPolygon::polygonWithPoints(pts, 4, std::move(holes));
    }

    NXUITestDriver driver;
    std::shared_ptr<UIView> container;
    std::shared_ptr<PlaneGeometry> geometry = std::make_shared<PlaneGeometry>();
};

const uint8_t* Pixel(const snapshot::Image& image, int x, int y) { return &image.rgba[(y * image.width + x) * 4]; }

}  // namespace

TEST_F(OverlayViewTest, ViewsOnlyForTheirShape)
{
    VIZMapPoint pts[] = {{0, 0}, {10, 10}};
    auto line = VIZPolyline::polylineWithPoints(pts, 2);
    auto polygon = VIZPolygon::polygonWithPoints(pts, 2);
    auto circle = VIZCircle::circleWithMapRect(VIZMapRectMake(0, 0, 10, 10));
    EXPECT_NE(VIZPolylineView::initWithOverlay(line), nullptr);
    EXPECT_EQ(VIZPolylineView::initWithOverlay(polygon), nullptr);
    EXPECT_EQ(VIZPolygonView::initWithOverlay(circle), nullptr);
    EXPECT_EQ(VIZCircleView::initWithOverlay(line), nullptr);
    auto view = VIZCircleView::initWithCircle(circle);
    EXPECT_EQ(view->circle(), circle);
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectZero));
    EXPECT_TRUE(view->canDrawMapRect(WorldMapRect(), 0));
}

TEST_F(OverlayViewTest, BoundsGrowByTheLineWidth)
{
    VIZMapPoint pts[] = {{0, 0}, {10, 10}};
    auto view = VIZPolylineView::initWithPolyline(VIZPolyline::polylineWithPoints(pts, 2));
    view->lineWidth = 5;
    view->setFrame(CGRectMake(30, 40, 100, 50));
    EXPECT_TRUE(CGRectEqualToRect(view->bounds(), CGRectMake(-5, -5, 110, 60)));
    // The frame grows about its centre with the bounds.
    EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(25, 35, 110, 60)));
}

TEST_F(OverlayViewTest, ConversionsWithAndWithoutAMapView)
{
    auto circle = VIZCircle::circleWithMapRect(VIZMapRectMake(0, 0, 10, 10));
    auto view = VIZCircleView::initWithCircle(circle);
    // Not connected: plain numbers.
    EXPECT_TRUE(CGRectEqualToRect(view->rectForMapRect(VIZMapRectMake(1, 2, 3, 4)), CGRectMake(1, 2, 3, 4)));
    EXPECT_EQ(view->mapPointForPoint(CGPointMake(7, 8)).y, 8);

    container->addSubview(view);
    view->initDelegate(geometry);
    // A rectangle far smaller than a point still gets one point each way.
    CGRect thin = view->rectForMapRect(VIZMapRectMake(geometry->origin.x, geometry->origin.y, 0, 300));
    EXPECT_EQ(thin.size.width, 1);
    EXPECT_EQ(thin.size.height, 3);
    CGRect none = view->rectForMapRect(VIZMapRectMake(geometry->origin.x, geometry->origin.y, 0, 0));
    EXPECT_EQ(none.size.width, 0);
    CGPoint p = view->pointForMapPoint(geometry->at(12, 34));
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 34);
}

TEST_F(OverlayViewTest, EmptyShapesDrawNothing)
{
    auto view = VIZPolylineView::initWithPolyline(VIZPolyline::polylineWithPoints(nullptr, 0));
    view->strokeColor = UIColor::redColor();
    view->lineWidth = 4;
    place(view);
    view->setFrame(CGRectMake(10, 10, 50, 50));
    snapshot::Image image = snapshot::renderView(container.get());
    EXPECT_EQ(view->path(), nullptr);
    EXPECT_EQ(Pixel(image, 30, 30)[1], 255);  // still white

    auto empty = VIZCircleView::initWithCircle(VIZCircle::circleWithCenterCoordinate({39.9, 116.4}, -5));
    place(empty);
    snapshot::renderView(container.get());
    EXPECT_EQ(empty->path(), nullptr);
}

TEST_F(OverlayViewTest, PolygonHoleDashedLineAndCircle)
{
    auto hole = square(50, 50, 90, 90);
    auto polygonView = VIZPolygonView::initWithPolygon(square(20, 20, 120, 120, {hole}));
    polygonView->fillColor = UIColor::colorWithRed(0.2, 0.4, 0.9, 0.6);
    polygonView->strokeColor = UIColor::colorWithRed(0.1, 0.2, 0.5, 1);
    polygonView->lineWidth = 2;
    place(polygonView);

    VIZMapPoint linePts[] = {geometry->at(10, 160), geometry->at(110, 160), geometry->at(230, 60)};
    auto lineView = VIZPolylineView::initWithPolyline(VIZPolyline::polylineWithPoints(linePts, 3));
    lineView->strokeColor = UIColor::redColor();
    lineView->lineWidth = 3;
    lineView->lineCap = kCGLineCapButt;
    lineView->lineDashPattern = {4, 2};
    place(lineView);

    auto circleView = VIZCircleView::initWithCircle(
        VIZCircle::circleWithMapRect(VIZMapRectMake(geometry->at(150, 100).x, geometry->at(150, 100).y, 6000, 6000)));
    circleView->fillColor = UIColor::colorWithRed(0.1, 0.7, 0.2, 0.5);
    circleView->strokeColor = UIColor::colorWithRed(0.0, 0.4, 0.1, 1);
    circleView->lineWidth = 2;
    place(circleView);

    snapshot::Image image = snapshot::renderView(container.get());
    // The hole shows the white below; the ring around it is blue.
    EXPECT_EQ(Pixel(image, 70, 70)[0], 255);
    EXPECT_LT(Pixel(image, 35, 70)[0], 200);
    // Dashes of 4 and gaps of 2 along the first, horizontal, segment.
    int red = 0;
    for (int x = 10; x < 22; ++x) red += Pixel(image, x, 160)[1] < 100;
    EXPECT_EQ(red, 8);
    EXPECT_LT(Pixel(image, 180, 130)[0], 200);  // inside the circle
    EXPECT_TRUE(snapshot::viewMatchesExpected(container.get(), "tests/mapsdk/snapshots/overlay-views"));
}

TEST_F(OverlayViewTest, UndrawableDashPatternsDrawSolid)
{
    for (std::vector<double> pattern : {std::vector<double>{0, 0}, std::vector<double>{4, -2}}) {
        VIZMapPoint pts[] = {geometry->at(10, 100), geometry->at(200, 100)};
        auto view = VIZPolylineView::initWithPolyline(VIZPolyline::polylineWithPoints(pts, 2));
        view->strokeColor = UIColor::redColor();
        view->lineWidth = 3;
        view->lineCap = kCGLineCapButt;
        view->lineDashPattern = pattern;
        place(view);
        snapshot::Image image = snapshot::renderView(container.get());
        int red = 0;
        for (int x = 20; x < 190; ++x) red += Pixel(image, x, 100)[1] < 100;
        EXPECT_EQ(red, 170);
        view->removeFromSuperview();
    }
}
