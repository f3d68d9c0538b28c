#include "mapsdk/VIZGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/model/Projection.h"
#include "mapsdk/ScreenMetrics.h"

namespace {

mapengine::_VDPoint Project(double longitude, double latitude)
{
    mapengine::_VDPoint out;
    mapengine::LonLatToMapUnits(&out, {longitude, latitude});
    return out;
}

// The half extents of the world, the shift between the two planes.
struct HalfExtents {
    int w;
    int h;
};

const HalfExtents& Half()
{
    static const HalfExtents half{SaturateToInt(WorldMapSize().width * 0.5),
                                  SaturateToInt(WorldMapSize().height * 0.5)};
    return half;
}

bool IsDoubleDensity() { return ScreenWidthPixels == 640; }

}  // namespace

const VIZMapSize& WorldMapSize()
{
    // The band table's extent between (-180, -85) and (180, 85) as it was
    // before the projection held latitudes above 75 at the table's sound edge
    // (which also moves x there a little). Every point and rectangle of the
    // SDK lives in this plane, so it keeps its size.
    static const VIZMapSize size{40075452.73906938, 81367425.5};
    return size;
}

const VIZMapRect& WorldMapRect()
{
    static const VIZMapRect rect{{0, 0}, WorldMapSize()};
    return rect;
}

const VIZMapRect& NullMapRect()
{
    static const VIZMapRect rect{{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()},
                                 {0, 0}};
    return rect;
}

bool MapRectIsNull(const VIZMapRect& rect) { return std::isinf(rect.origin.x) || std::isinf(rect.origin.y); }

bool MapRectIsFinite(const VIZMapRect& rect)
{
    return std::isfinite(rect.origin.x) && std::isfinite(rect.origin.y) && std::isfinite(rect.size.width) &&
           std::isfinite(rect.size.height);
}

int SaturateToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

mapengine::_VPoint MapPointToEnginePoint(const VIZMapPoint& point)
{
    mapengine::_VPoint p;
    p.SetPoint(SaturateToInt(point.x - Half().w), SaturateToInt(Half().h - point.y));
    return p;
}

VIZMapPoint EnginePointToMapPoint(int x, int y)
{
    return {static_cast<double>(Half().w) + x, static_cast<double>(Half().h) - y};
}

VIZMapPoint CoordinateToMapPoint(const CLLocationCoordinate2D& coordinate)
{
    mapengine::_VDPoint p = Project(coordinate.longitude, coordinate.latitude);
    return EnginePointToMapPoint(SaturateToInt(p.x), SaturateToInt(p.y));
}

CLLocationCoordinate2D MapPointToCoordinate(const VIZMapPoint& point)
{
    mapengine::_VPoint e = MapPointToEnginePoint(point);
    mapengine::_VDPoint lonLat;
    mapengine::MapUnitsToLonLat(&lonLat, {static_cast<double>(e.x), static_cast<double>(e.y)});
    return {lonLat.y, lonLat.x};
}

mapengine::_VRect MapRectToEngineRect(const VIZMapRect& rect)
{
    mapengine::_VRect r;
    r.SetRect(SaturateToInt(rect.origin.x - Half().w), SaturateToInt(Half().h - rect.origin.y),
              SaturateToInt(rect.origin.x + rect.size.width - Half().w),
              SaturateToInt(Half().h - (rect.origin.y + rect.size.height)));
    return r;
}

VIZMapRect EngineRectToMapRect(const mapengine::_VRect& rect)
{
    // Differences of two ints may leave the int range: take them as doubles.
    return VIZMapRectMake(static_cast<double>(Half().w) + rect.left, static_cast<double>(Half().h) - rect.top,
                          static_cast<double>(rect.right) - rect.left, static_cast<double>(rect.top) - rect.bottom);
}

VIZMapRect RegionToMapRect(const VIZCoordinateRegion& region)
{
    double halfLon = region.span.longitudeDelta / 2;
    double halfLat = region.span.latitudeDelta / 2;
    mapengine::_VDPoint nw = Project(region.center.longitude - halfLon, region.center.latitude + halfLat);
    mapengine::_VDPoint se = Project(region.center.longitude + halfLon, region.center.latitude - halfLat);
    mapengine::_VRect r;
    r.SetRect(SaturateToInt(nw.x), SaturateToInt(nw.y), SaturateToInt(se.x), SaturateToInt(se.y));
    return EngineRectToMapRect(r);
}

namespace {

VIZCoordinateSpan SpanOfCorners(const VIZMapRect& rect, CLLocationCoordinate2D* nw, CLLocationCoordinate2D* se)
{
    *nw = MapPointToCoordinate(rect.origin);
    *se = MapPointToCoordinate({rect.origin.x + rect.size.width, rect.origin.y + rect.size.height});
    return {nw->latitude - se->latitude, se->longitude - nw->longitude};
}

}  // namespace

VIZCoordinateRegion MapRectToRegionByCorners(const VIZMapRect& rect)
{
    CLLocationCoordinate2D c1, c2;
    VIZCoordinateSpan span = SpanOfCorners(rect, &c1, &c2);
    return {{(c1.latitude + c2.latitude) / 2, (c1.longitude + c2.longitude) / 2}, span};
}

VIZCoordinateRegion MapRectToRegion(const VIZMapRect& rect)
{
    CLLocationCoordinate2D c1, c2;
    VIZCoordinateSpan span = SpanOfCorners(rect, &c1, &c2);
    return {MapPointToCoordinate({rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2}), span};
}

VIZMapRect MapRectOffset(const VIZMapRect& rect, double dx, double dy)
{
    return VIZMapRectMake(rect.origin.x + dx, rect.origin.y + dy, rect.size.width, rect.size.height);
}

bool MapRectContainsPoint(const VIZMapRect& rect, const VIZMapPoint& point)
{
    return rect.origin.x <= point.x && point.x < rect.origin.x + rect.size.width && rect.origin.y <= point.y &&
           point.y < rect.origin.y + rect.size.height;
}

bool MapRectsIntersect(const VIZMapRect& a, const VIZMapRect& b)
{
    double w = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width) - std::max(a.origin.x, b.origin.x);
    double h = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height) - std::max(a.origin.y, b.origin.y);
    return w > 0 && h > 0;
}

VIZMapRect MapRectIntersection(const VIZMapRect& a, const VIZMapRect& b)
{
    double x0 = std::max(a.origin.x, b.origin.x);
    double x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    double y0 = std::max(a.origin.y, b.origin.y);
    double y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    if (x1 - x0 < 0 || y1 - y0 < 0) return NullMapRect();
    return VIZMapRectMake(x0, y0, x1 - x0, y1 - y0);
}

VIZMapRect MapRectIncludingPoint(const VIZMapRect& rect, const VIZMapPoint& point)
{
    double x0 = std::min(rect.origin.x, point.x);
    double x1 = std::max(rect.origin.x + rect.size.width, point.x);
    double y0 = std::min(rect.origin.y, point.y);
    double y1 = std::max(rect.origin.y + rect.size.height, point.y);
    return VIZMapRectMake(x0, y0, x1 - x0, y1 - y0);
}

mapengine::_VPoint ScalePointToPixels(int x, int y)
{
    mapengine::_VPoint p;
    const double factor = IsDoubleDensity() ? 2 : 1;
    p.SetPoint(SaturateToInt(x * factor), SaturateToInt(y * factor));
    return p;
}

mapengine::_VSize ScaleSizeToPixels(int width, int height)
{
    mapengine::_VPoint p = ScalePointToPixels(width, height);
    mapengine::_VSize s;
    s.SetSize(p.x, p.y);
    return s;
}

mapengine::_VPoint ScalePixelsToPoints(int x, int y)
{
    mapengine::_VPoint p;
    int divisor = IsDoubleDensity() ? 2 : 1;
    p.SetPoint(x / divisor, y / divisor);
    return p;
}
