// The map plane's constants, conversions and rectangle arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/model/Projection.h"
#include "mapsdk/ScreenMetrics.h"
#include "mapsdk/VIZGeometry.h"
#include "tests/mapsdk/ExpectRect.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Half the world's height in engine units, truncated.
const int kHalfH = static_cast<int>(WorldMapSize().height * 0.5);

struct ScreenWidth {
    explicit ScreenWidth(int width) : saved(ScreenWidthPixels) { ScreenWidthPixels = width; }
    ~ScreenWidth() { ScreenWidthPixels = saved; }
    int saved;
};


}  // namespace

TEST(Geometry, WorldConstantsAndHalfExtents)
{
    // The plane keeps the extent the projection gave at (+-180, +-85) before
    // it held latitudes above 75 at 75.
    mapengine::_VDPoint ne;
    mapengine::LonLatToMapUnits(&ne, {180, 85});
    EXPECT_EQ(WorldMapSize().height, 81367425.5);
    EXPECT_GT(WorldMapSize().height / 2, ne.y);
    EXPECT_EQ(WorldMapSize().width, 40075452.73906938);
    ExpectRect(WorldMapRect(), 0, 0, WorldMapSize().width, WorldMapSize().height);
    EXPECT_TRUE(MapRectIsNull(NullMapRect()));
    EXPECT_EQ(NullMapRect().size.width, 0);

    // The shift between the planes is the truncated half extent.
    mapengine::_VPoint origin = MapPointToEnginePoint({0, 0});
    EXPECT_EQ(origin.x, -20037726);
    EXPECT_EQ(origin.y, kHalfH);
    mapengine::_VPoint centre =
        MapPointToEnginePoint({WorldMapSize().width / 2, WorldMapSize().height / 2});
    EXPECT_EQ(centre.x, 0);
    EXPECT_EQ(centre.y, 0);
    VIZMapPoint back = EnginePointToMapPoint(-5, 7);
    EXPECT_EQ(back.x, 20037721);
    EXPECT_EQ(back.y, kHalfH - 7);
}

TEST(Geometry, CoordinatesGoThroughWholeEngineUnits)
{
    CLLocationCoordinate2D beijing{39.915, 116.404};
    VIZMapPoint p = CoordinateToMapPoint(beijing);
    EXPECT_EQ(p.x, std::trunc(p.x));
    EXPECT_EQ(p.y, std::trunc(p.y));
    // y grows southwards: further north is a smaller y.
    EXPECT_LT(CoordinateToMapPoint({40.0, 116.404}).y, p.y);

    CLLocationCoordinate2D c = MapPointToCoordinate(p);
    EXPECT_NEAR(c.latitude, beijing.latitude, 1e-4);
    EXPECT_NEAR(c.longitude, beijing.longitude, 1e-4);
    // A fraction of a unit is dropped before the inverse projection (the
    // plane's y runs the other way, so the fraction goes below the point).
    CLLocationCoordinate2D c2 = MapPointToCoordinate({p.x + 0.75, p.y - 0.75});
    EXPECT_EQ(c2.latitude, c.latitude);
    EXPECT_EQ(c2.longitude, c.longitude);
}

TEST(Geometry, EngineRectanglesFlipTheYAxis)
{
    VIZMapRect r = VIZMapRectMake(20037726 + 100, kHalfH - 500, 300, 200);
    mapengine::_VRect e = MapRectToEngineRect(r);
    EXPECT_EQ(e.left, 100);
    EXPECT_EQ(e.top, 500);
    EXPECT_EQ(e.right, 400);
    EXPECT_EQ(e.bottom, 300);
    ExpectRect(EngineRectToMapRect(e), r.origin.x, r.origin.y, 300, 200);
}

TEST(Geometry, NonFiniteAndHugeValuesSaturate)
{
    EXPECT_EQ(SaturateToInt(kNaN), 0);
    EXPECT_EQ(SaturateToInt(kInf), std::numeric_limits<int>::max());
    EXPECT_EQ(SaturateToInt(-kInf), std::numeric_limits<int>::min());
    EXPECT_EQ(SaturateToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(SaturateToInt(-2.9), -2);

    mapengine::_VRect e = MapRectToEngineRect(NullMapRect());
    EXPECT_EQ(e.left, std::numeric_limits<int>::max());
    EXPECT_EQ(e.top, std::numeric_limits<int>::min());
    EXPECT_FALSE(MapRectIsFinite(NullMapRect()));
    EXPECT_FALSE(MapRectIsFinite(VIZMapRectMake(0, 0, kNaN, 1)));
    EXPECT_TRUE(MapRectIsFinite(WorldMapRect()));

    // The widest engine rectangle does not overflow on the way back.
    mapengine::_VRect wide;
    wide.SetRect(std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
                 std::numeric_limits<int>::min());
    VIZMapRect r = EngineRectToMapRect(wide);
    EXPECT_EQ(r.size.width, 4294967295.0);
    EXPECT_EQ(r.size.height, 4294967295.0);
}

TEST(Geometry, RegionsRoundTripWithinAMapUnit)
{
    VIZCoordinateRegion region{{39.9, 116.4}, {0.2, 0.3}};
    VIZMapRect r = RegionToMapRect(region);
    EXPECT_GT(r.size.width, 0);
    EXPECT_GT(r.size.height, 0);

    VIZCoordinateRegion corners = MapRectToRegionByCorners(r);
    EXPECT_NEAR(corners.center.latitude, 39.9, 1e-4);
    EXPECT_NEAR(corners.center.longitude, 116.4, 1e-4);
    EXPECT_NEAR(corners.span.latitudeDelta, 0.2, 1e-4);
    EXPECT_NEAR(corners.span.longitudeDelta, 0.3, 1e-4);

    // The projected centre differs from the corners' mean (the projection is
    // not linear in latitude), the span is the same.
    VIZCoordinateRegion projected = MapRectToRegion(r);
    EXPECT_EQ(projected.span.latitudeDelta, corners.span.latitudeDelta);
    EXPECT_NEAR(projected.center.latitude, 39.9, 1e-3);
    EXPECT_NE(projected.center.latitude, corners.center.latitude);
}

TEST(Geometry, RectangleArithmetic)
{
    VIZMapRect a = VIZMapRectMake(0, 0, 10, 10);
    struct Case {
        const char* name;
        VIZMapRect b;
        bool intersects;
        double x, y, w, h;  // intersection; NaN for NullMapRect
    } cases[] = {
        {"overlap", VIZMapRectMake(5, 5, 10, 10), true, 5, 5, 5, 5},
        {"inside", VIZMapRectMake(2, 3, 4, 5), true, 2, 3, 4, 5},
        {"touching", VIZMapRectMake(10, 0, 5, 10), false, 10, 0, 0, 10},
        {"disjoint", VIZMapRectMake(11, 0, 5, 10), false, kNaN, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MapRectsIntersect(a, c.b), c.intersects);
        EXPECT_EQ(MapRectsIntersect(c.b, a), c.intersects);
        VIZMapRect i = MapRectIntersection(a, c.b);
        if (std::isnan(c.x)) {
            EXPECT_TRUE(MapRectIsNull(i));
        } else {
            ExpectRect(i, c.x, c.y, c.w, c.h);
        }
    }

    EXPECT_TRUE(MapRectContainsPoint(a, {0, 0}));
    EXPECT_FALSE(MapRectContainsPoint(a, {10, 10}));
    EXPECT_FALSE(MapRectContainsPoint(a, {10, 5}));
    ExpectRect(MapRectOffset(a, 3, -4), 3, -4, 10, 10);
    ExpectRect(MapRectIncludingPoint(a, {-5, 20}), -5, 0, 15, 20);
    ExpectRect(MapRectIncludingPoint(a, {5, 5}), 0, 0, 10, 10);
}

TEST(Geometry, PointsAndPixelsOnBothScreens)
{
    {
        ScreenWidth retina(640);
        mapengine::_VPoint p = ScalePixelsToPoints(3, -3);
        EXPECT_EQ(p.x, 1);
        EXPECT_EQ(p.y, -1);
        mapengine::_VPoint q = ScalePointToPixels(3, -3);
        EXPECT_EQ(q.x, 6);
        EXPECT_EQ(q.y, -6);
        EXPECT_EQ(ScaleSizeToPixels(320, 416).cy, 832);
    }
    {
        ScreenWidth plain(320);
        mapengine::_VPoint p = ScalePixelsToPoints(3, -3);
        EXPECT_EQ(p.x, 3);
        EXPECT_EQ(p.y, -3);
        EXPECT_EQ(ScalePointToPixels(3, -3).x, 3);
    }
}
