#include "mapsdk/VIZOverlayView.h"

#include <cmath>
#include <numbers>

double VIZZoomScaleForLevel(int level) { return level >= 18 ? 1.0 : 0.0; }

// ---- VIZOverlayView -----------------------------------------------------------

void VIZOverlayView::setUp(VIZOverlayView& view, const std::shared_ptr<VIZOverlay>& overlay)
{
    view.setFrame(CGRectZero);
    view.setBackgroundColor(UIColor::clearColor());
    view._overlay = overlay;
    if (overlay) view._boundingMapRect = overlay->boundingMapRect();
}

std::shared_ptr<VIZOverlayView> VIZOverlayView::initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    auto view = std::make_shared<VIZOverlayView>();
    setUp(*view, overlay);
    return view;
}

void VIZOverlayView::initDelegate(const std::shared_ptr<VIZMapViewGeometry>& mapView)
{
    _geometryDelegate = std::make_unique<VIZOverlayViewInternal>();
    _geometryDelegate->mapView = mapView;
}

std::shared_ptr<VIZMapViewGeometry> VIZOverlayView::geometry() const
{
    return _geometryDelegate ? _geometryDelegate->mapView.lock() : nullptr;
}

double VIZOverlayView::zoomScale() const
{
    return VIZZoomScaleForLevel(_geometryDelegate ? _geometryDelegate->zoomLevel : 0);
}

void VIZOverlayView::drawRect(CGRect rect)
{
    drawMapRect(mapRectForRect(rect), zoomScale(), UIGraphicsGetCurrentContext());
}

void VIZOverlayView::setNeedsDisplayInMapRect(const VIZMapRect& mapRect)
{
    // The stand-in redraws whole views, so the part at (0, 0) is the view.
    setNeedsDisplay();
}

VIZMapRect VIZOverlayView::mapRectForRect(CGRect rect) const
{
    if (auto map = geometry()) return map->convertRect_toMapRectFromView(rect, const_cast<VIZOverlayView*>(this));
    return VIZMapRectMake(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

CGRect VIZOverlayView::rectForMapRect(const VIZMapRect& mapRect) const
{
    auto map = geometry();
    if (!map) {
        return CGRectMake(mapRect.origin.x, mapRect.origin.y, mapRect.size.width, mapRect.size.height);
    }
    CGRect r = map->convertMapRect_toRectToView(mapRect, const_cast<VIZOverlayView*>(this));
    bool hasExtent = mapRect.size.width != 0 || mapRect.size.height != 0;
    if (!MapRectIsNull(mapRect) && hasExtent) {
        if (r.size.width == 0) r.size.width = 1;
        if (r.size.height == 0) r.size.height = 1;
    }
    return r;
}

VIZMapPoint VIZOverlayView::mapPointForPoint(CGPoint point) const
{
    if (auto map = geometry()) {
        return CoordinateToMapPoint(
            map->convertPoint_toCoordinateFromView(point, const_cast<VIZOverlayView*>(this)));
    }
    return {point.x, point.y};
}

CGPoint VIZOverlayView::pointForMapPoint(const VIZMapPoint& mapPoint) const
{
    if (auto map = geometry()) {
        return map->convertCoordinate_toPointToView(MapPointToCoordinate(mapPoint),
                                                    const_cast<VIZOverlayView*>(this));
    }
    return CGPointMake(mapPoint.x, mapPoint.y);
}

// ---- VIZOverlayPathView -------------------------------------------------------

std::shared_ptr<VIZOverlayPathView> VIZOverlayPathView::initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    return makePathView<VIZOverlayPathView>(overlay);
}

void VIZOverlayPathView::setFrame(CGRect frame)
{
    UIView::setFrame(frame);
    setBounds(CGRectMake(-lineWidth, -lineWidth, frame.size.width + 2 * lineWidth,
                         frame.size.height + 2 * lineWidth));
}

void VIZOverlayPathView::setNeedsDisplayInMapRect(const VIZMapRect& mapRect)
{
    VIZOverlayView::setNeedsDisplayInMapRect(mapRect);
    // Built again in the view's new geometry at the next draw.
    invalidatePath();
}

namespace {

bool DrawableDash(const std::vector<double>& pattern)
{
    double sum = 0;
    for (double length : pattern) {
        if (!(length >= 0)) return false;
        sum += length;
    }
    return sum > 0;
}

}  // namespace

void VIZOverlayPathView::applyStrokePropertiesToContext(CGContextRef c, double) const
{
    if (strokeColor) CGContextSetStrokeColorWithColor(c, strokeColor->CGColor());
    CGContextSetLineWidth(c, lineWidth);
    CGContextSetLineCap(c, lineCap);
    CGContextSetLineJoin(c, lineJoin);
    CGContextSetMiterLimit(c, miterLimit);
    if (!lineDashPattern.empty() && DrawableDash(lineDashPattern)) {
        std::vector<CGFloat> lengths(lineDashPattern.begin(), lineDashPattern.end());
        CGContextSetLineDash(c, lineDashPhase, lengths.data(), lengths.size());
    } else {
        CGContextSetLineDash(c, lineDashPhase, nullptr, 0);
    }
}

void VIZOverlayPathView::applyFillPropertiesToContext(CGContextRef c, double) const
{
    if (fillColor) CGContextSetFillColorWithColor(c, fillColor->CGColor());
}

void VIZOverlayPathView::fillPath(const CGPathRef& path, CGContextRef c) const
{
    if (!fillColor) return;
    CGContextBeginPath(c);
    CGContextAddPath(c, path);
    CGContextFillPath(c);
}

void VIZOverlayPathView::strokePath(const CGPathRef& path, CGContextRef c) const
{
    if (!strokeColor) return;
    CGContextBeginPath(c);
    CGContextAddPath(c, path);
    CGContextStrokePath(c);
}

bool VIZOverlayPathView::beginDrawing(const VIZMapRect& mapRect, double zoomScale, CGContextRef c)
{
    if (!c) return false;
    if (!_path) createPath();
    if (!_path) return false;
    applyStrokePropertiesToContext(c, zoomScale);
    applyFillPropertiesToContext(c, zoomScale);
    CGContextClipToRect(c, rectForMapRect(mapRect));
    return true;
}

void VIZOverlayPathView::drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c)
{
    if (!beginDrawing(mapRect, zoomScale, c)) return;
    CGContextBeginPath(c);
    CGContextAddPath(c, _path);
    CGContextFillPath(c);
    CGContextBeginPath(c);
    CGContextAddPath(c, _path);
    CGContextStrokePath(c);
}

// ---- Shape views --------------------------------------------------------------

namespace {

// A move to the first vertex and a line to each further one.
void AddVertices(const VIZOverlayView& view, const VIZMultiPoint& shape, const CGMutablePathRef& path)
{
    const VIZMapPoint* points = shape.points();
    for (unsigned i = 0; i < shape.pointCount(); ++i) {
        CGPoint p = view.pointForMapPoint(points[i]);
        if (i == 0) {
            CGPathMoveToPoint(path, nullptr, p.x, p.y);
        } else {
            CGPathAddLineToPoint(path, nullptr, p.x, p.y);
        }
    }
}

}  // namespace

std::shared_ptr<VIZPolylineView> VIZPolylineView::initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    if (!std::dynamic_pointer_cast<VIZPolyline>(overlay)) return nullptr;
    return makePathView<VIZPolylineView>(overlay);
}

std::shared_ptr<VIZPolylineView> VIZPolylineView::initWithPolyline(const std::shared_ptr<VIZPolyline>& polyline)
{
    return makePathView<VIZPolylineView>(polyline);
}

void VIZPolylineView::createPath()
{
    auto line = polyline();
    if (!line || !line->points() || line->pointCount() == 0) return;
    auto path = CGPathCreateMutable();
    AddVertices(*this, *line, path);
    setPath(path);
}

void VIZPolylineView::drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c)
{
    if (!beginDrawing(mapRect, zoomScale, c)) return;
    CGContextBeginPath(c);
    CGContextAddPath(c, path());
    CGContextStrokePath(c);
}

std::shared_ptr<VIZPolygonView> VIZPolygonView::initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    if (!std::dynamic_pointer_cast<VIZPolygon>(overlay)) return nullptr;
    return makePathView<VIZPolygonView>(overlay);
}

std::shared_ptr<VIZPolygonView> VIZPolygonView::initWithPolygon(const std::shared_ptr<VIZPolygon>& polygon)
{
    return makePathView<VIZPolygonView>(polygon);
}

void VIZPolygonView::addPolygon(const VIZPolygon* polygon, const CGMutablePathRef& path) const
{
    if (!polygon || !polygon->points() || polygon->pointCount() == 0) return;
    AddVertices(*this, *polygon, path);
    CGPathCloseSubpath(path);
}

void VIZPolygonView::createPath()
{
    auto shape = polygon();
    if (!shape || !shape->points() || shape->pointCount() == 0) return;
    auto path = CGPathCreateMutable();
    addPolygon(shape.get(), path);
    for (const auto& hole : shape->interiorPolygons()) addPolygon(hole.get(), path);
    setPath(path);
}

void VIZPolygonView::drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c)
{
    if (!beginDrawing(mapRect, zoomScale, c)) return;
    CGContextBeginPath(c);
    CGContextAddPath(c, path());
    CGContextEOFillPath(c);
    CGContextBeginPath(c);
    CGContextAddPath(c, path());
    CGContextStrokePath(c);
}

std::shared_ptr<VIZCircleView> VIZCircleView::initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay)
{
    if (!std::dynamic_pointer_cast<VIZCircle>(overlay)) return nullptr;
    return makePathView<VIZCircleView>(overlay);
}

std::shared_ptr<VIZCircleView> VIZCircleView::initWithCircle(const std::shared_ptr<VIZCircle>& circle)
{
    return makePathView<VIZCircleView>(circle);
}

void VIZCircleView::createPath()
{
    // An empty circle has nothing to draw.
    if (MapRectIsNull(boundingMapRect())) return;
    CGRect r = rectForMapRect(boundingMapRect());
    auto path = CGPathCreateMutable();
    CGPathAddArc(path, nullptr, CGRectGetMidX(r), CGRectGetMidY(r), r.size.width / 2, 0, 2 * std::numbers::pi,
                 true);
    setPath(path);
}
