// Shapes: vertices, bounds, coordinates, intersection of lines without area,
// circles.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "mapsdk/VIZShapes.h"
#include "tests/mapsdk/ExpectRect.h"

TEST(Shapes, BareShapeAndPointAnnotation)
{
    VIZShape shape;
    EXPECT_TRUE(shape.title().isNil());
    shape.setCoordinate({10, 20});
    EXPECT_EQ(shape.coordinate().latitude, 0);
    EXPECT_EQ(shape.coordinate().longitude, 0);

    VIZPointAnnotation point;
    point.setCoordinate({39.9, 116.4});
    point.setTitle("Home");
    EXPECT_EQ(point.coordinate().latitude, 39.9);
    EXPECT_EQ(point.title(), NSString("Home"));
}

TEST(Shapes, EmptyShapesHaveNullBoundsAndZeroCoordinate)
{
    VIZMapPoint one{5, 5};
    for (auto line : {VIZPolyline::polylineWithPoints(nullptr, 3), VIZPolyline::polylineWithPoints(&one, 0),
                      VIZPolyline::polylineWithCoordinates(nullptr, 2)}) {
        EXPECT_EQ(line->pointCount(), 0u);
        EXPECT_EQ(line->points(), nullptr);
        EXPECT_TRUE(MapRectIsNull(line->boundingMapRect()));
        EXPECT_EQ(line->coordinate().latitude, 0);
        EXPECT_EQ(line->coordinate().longitude, 0);
        EXPECT_EQ(line->intersectsMapRect(WorldMapRect()), false);
    }
    // A count no memory can hold leaves the shape empty instead of failing.
    auto huge = VIZPolygon::polygonWithPoints(&one, std::numeric_limits<unsigned long>::max() / 4);
    EXPECT_EQ(huge->pointCount(), 0u);
}

TEST(Shapes, BoundsCoverEveryVertex)
{
    VIZMapPoint pts[] = {{100, 200}, {50, 400}, {300, 250}};
    auto polygon = VIZPolygon::polygonWithPoints(pts, 3);
    ExpectRect(polygon->boundingMapRect(), 50, 200, 250, 200);
    EXPECT_EQ(polygon->pointCount(), 3u);
    EXPECT_EQ(polygon->points()[1].y, 400);

    CLLocationCoordinate2D c = polygon->coordinate();
    CLLocationCoordinate2D expected = MapPointToCoordinate({175, 300});
    EXPECT_EQ(c.latitude, expected.latitude);
    EXPECT_EQ(c.longitude, expected.longitude);

    auto hole = VIZPolygon::polygonWithPoints(pts, 3);
    auto withHole = VIZPolygon::polygonWithPoints(pts, 3, {hole});
    ASSERT_EQ(withHole->interiorPolygons().size(), 1u);
    EXPECT_EQ(withHole->interiorPolygons()[0], hole);
}

TEST(Shapes, CoordinatesInAndOut)
{
    CLLocationCoordinate2D in[5] = {{39.90, 116.40}, {39.91, 116.41}, {39.92, 116.42}, {39.93, 116.43}, {39.94, 116.44}};
    auto line = VIZPolyline::polylineWithCoordinates(in, 5);
    ASSERT_EQ(line->pointCount(), 5u);
    EXPECT_EQ(line->points()[2].x, CoordinateToMapPoint(in[2]).x);

    CLLocationCoordinate2D out[10];
    for (auto& c : out) c = {-1, -1};
    line->getCoordinates(out, {2, 10});
    EXPECT_NEAR(out[0].latitude, 39.92, 1e-4);
    EXPECT_NEAR(out[2].longitude, 116.44, 1e-4);
    EXPECT_EQ(out[3].latitude, -1);  // three written, no more

    out[0] = {-1, -1};
    line->getCoordinates(out, {5, 1});
    line->getCoordinates(out, {0, 0});
    line->getCoordinates(nullptr, {0, 5});
    EXPECT_EQ(out[0].latitude, -1);
}

TEST(Shapes, LinesWithoutAreaMeetRectanglesTheyTouch)
{
    VIZMapRect r = VIZMapRectMake(100, 100, 50, 50);
    struct Case {
        const char* name;
        VIZMapPoint a, b;
        bool meets;
    } cases[] = {
        {"point on the edge", {100, 120}, {100, 120}, true},
        {"point on the corner", {150, 150}, {150, 150}, true},
        {"point inside", {120, 120}, {120, 120}, true},
        {"point outside", {99, 120}, {99, 120}, false},
        {"horizontal on the top edge", {20, 100}, {120, 100}, true},
        {"horizontal below", {20, 151}, {120, 151}, false},
        {"horizontal ending left of it", {20, 120}, {99, 120}, false},
        {"horizontal starting right of it", {151, 120}, {300, 120}, false},
        {"vertical on the left edge", {100, 0}, {100, 100}, true},
        {"vertical above", {120, 0}, {120, 99}, false},
        {"diagonal overlapping", {90, 90}, {110, 110}, true},
        {"diagonal touching a corner only", {80, 80}, {100, 100}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VIZMapPoint pts[] = {c.a, c.b};
        EXPECT_EQ(VIZPolyline::polylineWithPoints(pts, 2)->intersectsMapRect(r), c.meets);
    }
    // A polygon leaves the test to its bounds.
    VIZMapPoint pts[] = {{0, 0}, {1, 1}};
    EXPECT_FALSE(VIZPolygon::polygonWithPoints(pts, 2)->intersectsMapRect(r).has_value());
}

TEST(Shapes, Circles)
{
    auto fromRect = VIZCircle::circleWithMapRect(VIZMapRectMake(1000, 2000, 100, 40));
    EXPECT_EQ(fromRect->radius(), 50);
    ExpectRect(fromRect->boundingMapRect(), 1000, 2000, 100, 100);
    CLLocationCoordinate2D centre = MapPointToCoordinate({1050, 2050});
    EXPECT_EQ(fromRect->coordinate().latitude, centre.latitude);

    CLLocationCoordinate2D at{39.9, 116.4};
    auto circle = VIZCircle::circleWithCenterCoordinate(at, 500);
    VIZMapPoint p = CoordinateToMapPoint(at);
    ExpectRect(circle->boundingMapRect(), p.x - 500, p.y - 500, 1000, 1000);
    circle->setCoordinate({10, 10});
    EXPECT_EQ(circle->coordinate().latitude, 10);
    ExpectRect(circle->boundingMapRect(), p.x - 500, p.y - 500, 1000, 1000);

    // A radius that covers nothing gives the null rectangle, never a
    // negative or NaN box.
    for (double bad : {-1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_TRUE(MapRectIsNull(VIZCircle::circleWithCenterCoordinate(at, bad)->boundingMapRect()));
    }
    EXPECT_TRUE(MapRectIsNull(VIZCircle::circleWithMapRect(VIZMapRectMake(0, 0, -10, -4))->boundingMapRect()));
    EXPECT_TRUE(MapRectIsNull(VIZCircle::circleWithMapRect(NullMapRect())->boundingMapRect()));
}
