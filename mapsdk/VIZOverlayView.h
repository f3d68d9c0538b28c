#pragma once
// Views that draw overlays over the map: the base converts between its own
// coordinates and the map plane through the map view it is connected to;
// the path view adds stroke and fill attributes and a path built lazily in
// the current geometry; polyline, polygon (holes by the even-odd rule) and
// circle views build their shape's path.

#include <memory>
#include <vector>

#include "mapsdk/VIZShapes.h"
#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIView.h"

// What an overlay view needs of its map view: the conversions between a
// view's coordinates and the map.
class VIZMapViewGeometry {
public:
    virtual ~VIZMapViewGeometry() = default;
    virtual VIZMapRect convertRect_toMapRectFromView(CGRect rect, UIView* view) const = 0;
    virtual CGRect convertMapRect_toRectToView(const VIZMapRect& rect, UIView* view) const = 0;
    virtual CLLocationCoordinate2D convertPoint_toCoordinateFromView(CGPoint point, UIView* view) const = 0;
    virtual CGPoint convertCoordinate_toPointToView(const CLLocationCoordinate2D& coordinate, UIView* view) const = 0;
};

// Links an overlay view to its map view (not retained) and the map's level.
class VIZOverlayViewInternal {
public:
    int zoomLevel = 0;
    std::weak_ptr<VIZMapViewGeometry> mapView;
};

// The zoom scale of a level: the integer quotient 1 / 2^(18 - level), so 1.0
// at level 18 and 0.0 below.
double VIZZoomScaleForLevel(int level);

class VIZOverlayView : public UIView {
public:
    static std::shared_ptr<VIZOverlayView> initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay);

    std::shared_ptr<VIZOverlay> overlay() const { return _overlay; }
    virtual bool canDrawMapRect(const VIZMapRect&, double /*zoomScale*/) const { return true; }
    virtual void drawMapRect(const VIZMapRect&, double /*zoomScale*/, CGContextRef) {}
    void drawRect(CGRect rect) override;
    virtual void setNeedsDisplayInMapRect(const VIZMapRect& mapRect);

    // Through the map view when connected, else as plain numbers.
    VIZMapRect mapRectForRect(CGRect rect) const;
    // A visible rectangle never shrinks to nothing: a width or height of 0
    // becomes 1 (with a map view, for a finite rectangle with some extent).
    CGRect rectForMapRect(const VIZMapRect& mapRect) const;
    VIZMapPoint mapPointForPoint(CGPoint point) const;
    CGPoint pointForMapPoint(const VIZMapPoint& mapPoint) const;

    // For the map view: connects the view once.
    void initDelegate(const std::shared_ptr<VIZMapViewGeometry>& mapView);
    VIZOverlayViewInternal* delegate() const { return _geometryDelegate.get(); }

protected:
    static void setUp(VIZOverlayView& view, const std::shared_ptr<VIZOverlay>& overlay);
    VIZMapRect boundingMapRect() const { return _boundingMapRect; }
    double zoomScale() const;

private:
    std::shared_ptr<VIZMapViewGeometry> geometry() const;

    std::shared_ptr<VIZOverlay> _overlay;
    VIZMapRect _boundingMapRect = NullMapRect();
    std::unique_ptr<VIZOverlayViewInternal> _geometryDelegate;
};

class VIZOverlayPathView : public VIZOverlayView {
public:
    static std::shared_ptr<VIZOverlayPathView> initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay);

    std::shared_ptr<UIColor> fillColor;
    std::shared_ptr<UIColor> strokeColor;
    CGFloat lineWidth = 0;
    CGLineJoin lineJoin = kCGLineJoinRound;
    CGLineCap lineCap = kCGLineCapRound;
    CGFloat miterLimit = 10;
    CGFloat lineDashPhase = 0;
    // Lengths in points; empty for a solid line.
    std::vector<double> lineDashPattern;

    CGPathRef path() const { return _path; }
    void setPath(CGPathRef path) { _path = std::move(path); }
    void invalidatePath() { _path = nullptr; }
    virtual void createPath() {}

    // The bounds grow by the line width on every side, (0, 0) staying at the
    // frame's corner.
    void setFrame(CGRect frame) override;
    void setNeedsDisplayInMapRect(const VIZMapRect& mapRect) override;
    // A pattern with a negative length or lengths summing to 0 cannot be
    // drawn: the line is solid then.
    void applyStrokePropertiesToContext(CGContextRef c, double zoomScale) const;
    void applyFillPropertiesToContext(CGContextRef c, double zoomScale) const;
    void fillPath(const CGPathRef& path, CGContextRef c) const;
    void strokePath(const CGPathRef& path, CGContextRef c) const;
    // Fills (non-zero rule) and strokes the path, in the context's colours
    // where no colour is set.
    void drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c) override;

protected:
    // Builds the path when missing, applies the attributes and clips to the
    // map rectangle; false when there is nothing to draw.
    bool beginDrawing(const VIZMapRect& mapRect, double zoomScale, CGContextRef c);
    template <class View>
    static std::shared_ptr<View> makePathView(const std::shared_ptr<VIZOverlay>& overlay)
    {
        auto view = std::make_shared<View>();
        setUp(*view, overlay);
        return view;
    }

private:
    CGPathRef _path;
};

class VIZPolylineView : public VIZOverlayPathView {
public:
    // Nil unless the overlay is a polyline.
    static std::shared_ptr<VIZPolylineView> initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    static std::shared_ptr<VIZPolylineView> initWithPolyline(const std::shared_ptr<VIZPolyline>& polyline);
    std::shared_ptr<VIZPolyline> polyline() const { return std::dynamic_pointer_cast<VIZPolyline>(overlay()); }
    void createPath() override;
    // Stroke only.
    void drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c) override;
};

class VIZPolygonView : public VIZOverlayPathView {
public:
    static std::shared_ptr<VIZPolygonView> initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    static std::shared_ptr<VIZPolygonView> initWithPolygon(const std::shared_ptr<VIZPolygon>& polygon);
    std::shared_ptr<VIZPolygon> polygon() const { return std::dynamic_pointer_cast<VIZPolygon>(overlay()); }
    void createPath() override;
    // The outline and then every interior polygon, each a closed subpath.
    void addPolygon(const VIZPolygon* polygon, const CGMutablePathRef& path) const;
    // Even-odd fill: interior polygons are holes.
    void drawMapRect(const VIZMapRect& mapRect, double zoomScale, CGContextRef c) override;
};

class VIZCircleView : public VIZOverlayPathView {
public:
    static std::shared_ptr<VIZCircleView> initWithOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    static std::shared_ptr<VIZCircleView> initWithCircle(const std::shared_ptr<VIZCircle>& circle);
    std::shared_ptr<VIZCircle> circle() const { return std::dynamic_pointer_cast<VIZCircle>(overlay()); }
    void createPath() override;
};
