#include "mapsdk/VIZShapes.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

void VIZMultiPoint::setPoints(const VIZMapPoint* points, unsigned long count)
{
    if (!points || count == 0) return;
    try {
        _points.assign(points, points + count);
    } catch (const std::bad_alloc&) {
        _points.clear();
    } catch (const std::length_error&) {
        _points.clear();
    }
}

void VIZMultiPoint::setCoordinates(const CLLocationCoordinate2D* coords, unsigned long count)
{
    if (!coords || count == 0) return;
    try {
        _points.reserve(count);
    } catch (const std::bad_alloc&) {
        return;
    } catch (const std::length_error&) {
        return;
    }
    for (unsigned long i = 0; i < count; ++i) _points.push_back(CoordinateToMapPoint(coords[i]));
}

void VIZMultiPoint::getCoordinates(CLLocationCoordinate2D* coords, NSRange range) const
{
    if (!coords || range.length == 0 || range.location >= _points.size()) return;
    size_t end = range.location + std::min<size_t>(range.length, _points.size() - range.location);
    for (size_t i = range.location; i < end; ++i) *coords++ = MapPointToCoordinate(_points[i]);
}

VIZMapRect VIZMultiPoint::bounds() const
{
    if (MapRectIsNull(_boundingRect) && !_points.empty()) {
        VIZMapRect r{_points.front(), {0, 0}};
        for (const VIZMapPoint& p : _points) r = MapRectIncludingPoint(r, p);
        _boundingRect = r;
    }
    return _boundingRect;
}

CLLocationCoordinate2D VIZMultiPoint::centerOfBounds() const
{
    VIZMapRect b = bounds();
    if (MapRectIsNull(b)) return {};
    return MapPointToCoordinate({b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2});
}

std::shared_ptr<VIZPolyline> VIZPolyline::initWithPoints(const VIZMapPoint* points, unsigned long count)
{
    auto line = std::make_shared<VIZPolyline>();
    line->setPoints(points, count);
    return line;
}

std::shared_ptr<VIZPolyline> VIZPolyline::initWithCoordinates(const CLLocationCoordinate2D* coords,
                                                              unsigned long count)
{
    auto line = std::make_shared<VIZPolyline>();
    line->setCoordinates(coords, count);
    return line;
}

namespace {

// A degenerate box (no extent along `along`) against a rectangle: the line
// must lie within the rectangle's span across it (edges included) and reach
// into its span along it.
bool DegenerateLineMeets(double across, double rectAcross, double rectAcrossSize, double start, double length,
                         double rectStart, double rectLength)
{
    if (across < rectAcross || across > rectAcross + rectAcrossSize) return false;
    if (std::trunc(start + length) < rectStart) return false;
    return !(std::trunc(start) > rectStart + rectLength);
}

}  // namespace

std::optional<bool> VIZPolyline::intersectsMapRect(const VIZMapRect& rect) const
{
    VIZMapRect b = bounds();
    if (MapRectIsNull(b)) return false;
    if (b.size.width != 0 && b.size.height != 0) return MapRectsIntersect(b, rect);
    if (b.size.width != 0) {
        return DegenerateLineMeets(b.origin.y, rect.origin.y, rect.size.height, b.origin.x, b.size.width,
                                   rect.origin.x, rect.size.width);
    }
    return DegenerateLineMeets(b.origin.x, rect.origin.x, rect.size.width, b.origin.y, b.size.height, rect.origin.y,
                               rect.size.height);
}

std::shared_ptr<VIZPolygon> VIZPolygon::initWithPoints(const VIZMapPoint* points, unsigned long count,
                                                       Polygons interiorPolygons)
{
    auto polygon = std::make_shared<VIZPolygon>();
    polygon->setPoints(points, count);
    polygon->_interiorPolygons = std::move(interiorPolygons);
    return polygon;
}

std::shared_ptr<VIZPolygon> VIZPolygon::initWithCoordinates(const CLLocationCoordinate2D* coords,
                                                            unsigned long count, Polygons interiorPolygons)
{
    auto polygon = std::make_shared<VIZPolygon>();
    polygon->setCoordinates(coords, count);
    polygon->_interiorPolygons = std::move(interiorPolygons);
    return polygon;
}

std::shared_ptr<VIZCircle> VIZCircle::initWithCenterCoordinate(const CLLocationCoordinate2D& center, double radius)
{
    auto circle = std::make_shared<VIZCircle>();
    circle->_coordinate = center;
    circle->_radius = radius;
    // A negative or non-finite radius would give a box the integer
    // conversions cannot take; such a circle covers nothing.
    if (std::isfinite(radius) && radius >= 0) {
        VIZMapPoint p = CoordinateToMapPoint(center);
        circle->_boundingMapRect = VIZMapRectMake(p.x - radius, p.y - radius, 2 * radius, 2 * radius);
    }
    return circle;
}

std::shared_ptr<VIZCircle> VIZCircle::initWithMapRect(const VIZMapRect& rect)
{
    auto circle = std::make_shared<VIZCircle>();
    if (!MapRectIsFinite(rect)) return circle;  // empty, as a bad radius
    double radius = std::max(rect.size.width, rect.size.height) / 2;
    if (radius < 0) return circle;
    circle->_radius = radius;
    circle->_boundingMapRect = VIZMapRectMake(rect.origin.x, rect.origin.y, 2 * radius, 2 * radius);
    circle->_coordinate = MapPointToCoordinate({rect.origin.x + radius, rect.origin.y + radius});
    return circle;
}
