#pragma once
// The view that shows the map. The engine draws into one screen bitmap; the
// view shows it in the middle cell of a scroll view's content five views wide
// and high, lets the scroll view follow drags and pinches, and turns the end
// of each gesture into one engine move or zoom. Annotations and overlays
// are laid over the map on every repaint. A map view cannot be made before a
// VIZMapManager exists. Main thread only.

#include <memory>
#include <vector>

#include "mapsdk/VIZAnnotation.h"
#include "mapsdk/VIZOverlayView.h"
#include "platform/uikit/UIView.h"

class VIZAnnotationView;
class VIZMapView;
class VIZMapViewInternal;
class VIZUserLocation;

// Map types given to setMapType.
enum : unsigned {
    VIZMapTypeStandard = 1,
    VIZMapTypeTrafficOn = 2,
    VIZMapTypeSatellite = 4,
    VIZMapTypeTrafficOff = 5
};

// Everything optional; the first argument is the map view.
class VIZMapViewDelegate {
public:
    virtual ~VIZMapViewDelegate() = default;
    virtual void mapView_regionWillChangeAnimated(VIZMapView*, bool) {}
    virtual void mapView_regionDidChangeAnimated(VIZMapView*, bool) {}
    // Nil: the map view makes a red pin.
    virtual std::shared_ptr<VIZAnnotationView> mapView_viewForAnnotation(VIZMapView*,
                                                                         const std::shared_ptr<VIZAnnotation>&)
    {
        return nullptr;
    }
    virtual void mapView_didAddAnnotationViews(VIZMapView*, const std::vector<std::shared_ptr<VIZAnnotationView>>&) {}
    virtual void mapView_didSelectAnnotationView(VIZMapView*, VIZAnnotationView*) {}
    virtual void mapView_didDeselectAnnotationView(VIZMapView*, VIZAnnotationView*) {}
    virtual void mapView_annotationView_didChangeDragState_fromOldState(VIZMapView*, VIZAnnotationView*, unsigned,
                                                                        unsigned)
    {
    }
    virtual void mapView_annotationViewForBubble(VIZMapView*, VIZAnnotationView*) {}
    // Nil: the overlay is not drawn.
    virtual std::shared_ptr<VIZOverlayView> mapView_viewForOverlay(VIZMapView*, const std::shared_ptr<VIZOverlay>&)
    {
        return nullptr;
    }
    virtual void mapView_didAddOverlayViews(VIZMapView*, const std::vector<std::shared_ptr<VIZOverlayView>>&) {}
    virtual void mapView_didUpdateUserLocation(VIZMapView*, VIZUserLocation*) {}
    virtual void mapView_didFailToLocateUserWithError(VIZMapView*, const id&) {}
    virtual void mapViewWillStartLocatingUser(VIZMapView*) {}
    virtual void mapViewDidStopLocatingUser(VIZMapView*) {}
};

class VIZMapView : public UIView, public VIZMapViewGeometry {
public:
    // Nil before the map manager booted the engine.
    static std::shared_ptr<VIZMapView> init();
    static std::shared_ptr<VIZMapView> initWithFrame(CGRect frame);
    // The view of an archive: its frame, then the visible map rectangle,
    // map type and user-location flag it holds (a rectangle that is not 32
    // bytes of finite numbers is ignored).
    static std::shared_ptr<VIZMapView> initWithCoder(const NSCoder& coder);
    // "MapRect", "MapType" and "MAP_SHOW_LOCATION" after the view's own.
    void encodeWithCoder(NSCoder& coder) const override;
    ~VIZMapView() override;

    void setFrame(CGRect frame) override;
    // Off screen the view stops observing; on screen the engine state is
    // applied again.
    void willMoveToWindow(UIWindow* newWindow) override;

    std::shared_ptr<VIZMapViewDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<VIZMapViewDelegate>& delegate);

    // Camera.
    unsigned mapType() const;
    void setMapType(unsigned type);
    VIZCoordinateRegion region() const;
    void setRegion(const VIZCoordinateRegion& region);
    void setRegion(const VIZCoordinateRegion& region, bool animated);
    VIZCoordinateRegion regionThatFits(const VIZCoordinateRegion& region) const;
    CLLocationCoordinate2D centerCoordinate() const;
    void setCenterCoordinate(const CLLocationCoordinate2D& coordinate);
    void setCenterCoordinate(const CLLocationCoordinate2D& coordinate, bool animated);
    VIZMapRect visibleMapRect() const;
    // A non-finite rectangle is ignored.
    void setVisibleMapRect(const VIZMapRect& rect);
    void setVisibleMapRect(const VIZMapRect& rect, bool animated);
    void setVisibleMapRect(const VIZMapRect& rect, const UIEdgeInsets& padding, bool animated);
    VIZMapRect mapRectThatFits(const VIZMapRect& rect) const;
    // The power-of-two view of the whole view in which the rectangle fits
    // the padded area.
    VIZMapRect mapRectThatFits(const VIZMapRect& rect, const UIEdgeInsets& padding) const;
    int zoomLevel() const;
    // Clamped to 3..18.
    void setZoomLevel(int level);
    // As a double tap (two-finger tap) at the view's centre.
    bool zoomIn();
    bool zoomOut();
    bool isZoomEnabled() const;
    void setZoomEnabled(bool enabled);
    bool isScrollEnabled() const;
    void setScrollEnabled(bool enabled);
    bool showsUserLocation() const;
    void setShowsUserLocation(bool shows);
    // The device's position, kept as long as the view.
    std::shared_ptr<VIZUserLocation> userLocation() const;
    // Shown, with a fix that is not being replaced, inside the visible map.
    bool isUserLocationVisible() const;

    // Conversions through the engine's view state.
    CLLocationCoordinate2D convertPoint_toCoordinateFromView(CGPoint point, UIView* view) const override;
    CGPoint convertCoordinate_toPointToView(const CLLocationCoordinate2D& coordinate, UIView* view) const override;
    VIZMapRect convertRect_toMapRectFromView(CGRect rect, UIView* view) const override;
    VIZCoordinateRegion convertRect_toRegionFromView(CGRect rect, UIView* view) const;
    CGRect convertMapRect_toRectToView(const VIZMapRect& rect, UIView* view) const override;
    CGRect convertRegion_toRectToView(const VIZCoordinateRegion& region, UIView* view) const;

    // Annotations.
    const std::vector<std::shared_ptr<VIZAnnotation>>& annotations() const;
    void addAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    void addAnnotations(const std::vector<std::shared_ptr<VIZAnnotation>>& annotations);
    void removeAnnotation(const std::shared_ptr<VIZAnnotation>& annotation);
    void removeAnnotations(std::vector<std::shared_ptr<VIZAnnotation>> annotations);
    std::shared_ptr<VIZAnnotationView> viewForAnnotation(const std::shared_ptr<VIZAnnotation>& annotation) const;
    std::shared_ptr<VIZAnnotationView> dequeueReusableAnnotationViewWithIdentifier(const NSString& identifier);
    void selectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation, bool animated);
    void deselectAnnotation(const std::shared_ptr<VIZAnnotation>& annotation, bool animated);

    // Overlays, in drawing order.
    const std::vector<std::shared_ptr<VIZOverlay>>& overlays() const;
    void addOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    void addOverlays(const std::vector<std::shared_ptr<VIZOverlay>>& overlays);
    void removeOverlay(const std::shared_ptr<VIZOverlay>& overlay);
    void removeOverlays(std::vector<std::shared_ptr<VIZOverlay>> overlays);
    void insertOverlay_atIndex(const std::shared_ptr<VIZOverlay>& overlay, size_t index);
    void exchangeOverlayAtIndex_withOverlayAtIndex(size_t first, size_t second);
    void insertOverlay_aboveOverlay(const std::shared_ptr<VIZOverlay>& overlay, const std::shared_ptr<VIZOverlay>& sibling);
    void insertOverlay_belowOverlay(const std::shared_ptr<VIZOverlay>& overlay, const std::shared_ptr<VIZOverlay>& sibling);
    std::shared_ptr<VIZOverlayView> viewForOverlay(const std::shared_ptr<VIZOverlay>& overlay) const;

    // Lays out the overlay and annotation views and shows the engine's
    // bitmap; nothing during a gesture.
    void updateMap();
    // Also updates the map, once the engine's screen window exists.
    void setNeedsDisplay() override;

    // For the SDK's own views and tests.
    VIZMapViewInternal* internal() const { return _internal.get(); }

    // Notification handlers.
    void onNotificationMainMapPaint();
    void onNotificationLocationFail(const id& notification);
    void onNotificationLocationDidUpdate(const id& notification);
    void onNotificationEngineAnimationBegin();
    void onNotificationEngineAnimationEnd();
    void onNotificationClearPaopao();
    void onNotificationUpdateAnnotationCoordinate(const id& notification);
    void onNotificationSelectAnnotationView(const id& notification);

private:
    static std::shared_ptr<VIZMapView> make(CGRect frame, bool adjust);
    void registerNotification();
    void unRegisterNotification();
    void regionWillChange(bool animated);
    void regionDidChange(bool animated);

    std::shared_ptr<VIZMapViewInternal> _internal;
    bool _registered = false;
};
