#pragma once
// Overlay shapes in the map plane: polylines, polygons with holes, circles.
// Each answers its bounding rectangle and a representative coordinate.

#include <memory>
#include <vector>

#include "mapsdk/VIZShape.h"

// The vertices of a polyline or polygon, fixed at construction; the bounding
// rectangle is computed on first request and kept.
class VIZMultiPoint : public VIZShape {
public:
    const VIZMapPoint* points() const { return _points.empty() ? nullptr : _points.data(); }
    unsigned pointCount() const { return static_cast<unsigned>(_points.size()); }
    // The vertices from range.location on, at most range.length and never
    // past the last one, as coordinates; nothing for a null array, a zero
    // length or a location past the end.
    void getCoordinates(CLLocationCoordinate2D* coords, NSRange range) const;

protected:
    // A null array, a zero count, or a count too large to hold, leave the
    // shape empty.
    void setPoints(const VIZMapPoint* points, unsigned long count);
    void setCoordinates(const CLLocationCoordinate2D* coords, unsigned long count);
    VIZMapRect bounds() const;
    // The centre of the bounds; (0, 0) without vertices.
    CLLocationCoordinate2D centerOfBounds() const;

private:
    std::vector<VIZMapPoint> _points;
    mutable VIZMapRect _boundingRect = NullMapRect();
};

class VIZPolyline : public VIZMultiPoint, public VIZOverlay {
public:
    static std::shared_ptr<VIZPolyline> initWithPoints(const VIZMapPoint* points, unsigned long count);
    static std::shared_ptr<VIZPolyline> initWithCoordinates(const CLLocationCoordinate2D* coords, unsigned long count);
    static std::shared_ptr<VIZPolyline> polylineWithPoints(const VIZMapPoint* points, unsigned long count)
    {
        return initWithPoints(points, count);
    }
    static std::shared_ptr<VIZPolyline> polylineWithCoordinates(const CLLocationCoordinate2D* coords,
                                                                unsigned long count)
    {
        return initWithCoordinates(coords, count);
    }

    CLLocationCoordinate2D coordinate() const override { return centerOfBounds(); }
    VIZMapRect boundingMapRect() const override { return bounds(); }
    // A line without area (horizontal, vertical or one point) meets a
    // rectangle it touches; otherwise the bounds must overlap.
    std::optional<bool> intersectsMapRect(const VIZMapRect& rect) const override;
};

class VIZPolygon : public VIZMultiPoint, public VIZOverlay {
public:
    using Polygons = std::vector<std::shared_ptr<VIZPolygon>>;

    static std::shared_ptr<VIZPolygon> initWithPoints(const VIZMapPoint* points, unsigned long count,
                                                      Polygons interiorPolygons = {});
    static std::shared_ptr<VIZPolygon> initWithCoordinates(const CLLocationCoordinate2D* coords, unsigned long count,
                                                           Polygons interiorPolygons = {});
    static std::shared_ptr<VIZPolygon> polygonWithPoints(const VIZMapPoint* points, unsigned long count,
                                                         Polygons interiorPolygons = {})
    {
        return initWithPoints(points, count, std::move(interiorPolygons));
    }
    static std::shared_ptr<VIZPolygon> polygonWithCoordinates(const CLLocationCoordinate2D* coords,
                                                              unsigned long count, Polygons interiorPolygons = {})
    {
        return initWithCoordinates(coords, count, std::move(interiorPolygons));
    }

    const Polygons& interiorPolygons() const { return _interiorPolygons; }
    CLLocationCoordinate2D coordinate() const override { return centerOfBounds(); }
    VIZMapRect boundingMapRect() const override { return bounds(); }

private:
    Polygons _interiorPolygons;
};

class VIZCircle : public VIZShape, public VIZOverlay {
public:
    // The radius is a length in the map plane. A negative or non-finite
    // radius gives an empty circle (NullMapRect bounds).
    static std::shared_ptr<VIZCircle> initWithCenterCoordinate(const CLLocationCoordinate2D& center, double radius);
    // Radius half the larger side; a square of twice the radius at the origin.
    static std::shared_ptr<VIZCircle> initWithMapRect(const VIZMapRect& rect);
    static std::shared_ptr<VIZCircle> circleWithCenterCoordinate(const CLLocationCoordinate2D& center, double radius)
    {
        return initWithCenterCoordinate(center, radius);
    }
    static std::shared_ptr<VIZCircle> circleWithMapRect(const VIZMapRect& rect) { return initWithMapRect(rect); }

    CLLocationCoordinate2D coordinate() const override { return _coordinate; }
    // Moves the centre only: radius and bounds stay.
    void setCoordinate(const CLLocationCoordinate2D& coordinate) override { _coordinate = coordinate; }
    double radius() const { return _radius; }
    VIZMapRect boundingMapRect() const override { return _boundingMapRect; }

private:
    CLLocationCoordinate2D _coordinate;
    double _radius = 0;
    VIZMapRect _boundingMapRect = NullMapRect();
};
