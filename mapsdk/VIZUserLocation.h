#pragma once
// The device's own position on the map: VIZUserLocation is the annotation
// the map view keeps while it shows the user's location, LocationView the
// dot inside a translucent circle of the fix's horizontal accuracy that
// marks it. The position follows the GPS bridge: every
// "NotificationLocationUpdate" that finds a GPS fix in the engine publishes
// the fix, moved into the map's datum, and posts "NotificationMainMapPaint"
// and "NotificationLocationDidUpdate" (object: the user location). Main
// thread only.

#include <memory>

#include "mapsdk/VIZAnnotationView.h"
#include "platform/corelocation/CoreLocation.h"
#include "platform/foundation/NSObject.h"
#include "platform/uikit/CoreGraphics.h"

inline const NSString kNotificationLocationDidUpdate = "NotificationLocationDidUpdate";
inline const NSString kNotificationMainMapPaint = "NotificationMainMapPaint";

class VIZUserLocation;

class VIZUserLocationInternal : public NSObject {
public:
    // Listens for the GPS bridge's updates.
    static std::shared_ptr<VIZUserLocationInternal> init();
    ~VIZUserLocationInternal() override;

    // Moves to the main thread and waits there for the update.
    void onNotificationLocationUpdate(const id& notification);
    void updateLocationInfo();

    // Positioning was on without a GPS fix at the last update.
    bool updating() const { return _updating; }
    std::shared_ptr<CLLocation> location() const { return _location; }
    // (-180, -180) until the first fix.
    CLLocationCoordinate2D coordinate() const { return _coordinate; }
    NSString title() const { return _title; }
    void setTitle(const NSString& title) { _title = title; }
    NSString subtitle() const { return _subtitle; }
    void setSubtitle(const NSString& subtitle) { _subtitle = subtitle; }
    std::shared_ptr<VIZUserLocation> userLocation() const { return _userLocation.lock(); }
    void setUserLocation(const std::shared_ptr<VIZUserLocation>& owner) { _userLocation = owner; }

private:
    bool _updating = false;
    std::shared_ptr<CLLocation> _location;
    NSString _title;
    NSString _subtitle;
    CLLocationCoordinate2D _coordinate{-180, -180};
    // Its owner, not retained.
    std::weak_ptr<VIZUserLocation> _userLocation;
};

class VIZUserLocation : public NSObject, public virtual VIZAnnotation {
public:
    // Titled "我的位置" (my location).
    static std::shared_ptr<VIZUserLocation> init();

    bool updating() const { return _internal->updating(); }
    // Nil until the first fix; never nil again after it.
    std::shared_ptr<CLLocation> location() const { return _internal->location(); }
    CLLocationCoordinate2D coordinate() const override { return _internal->coordinate(); }
    NSString title() const override { return _internal->title(); }
    void setTitle(const NSString& title) { _internal->setTitle(title); }
    NSString subtitle() const override { return _internal->subtitle(); }
    void setSubtitle(const NSString& subtitle) { _internal->setSubtitle(subtitle); }

    VIZUserLocationInternal* internal() const { return _internal.get(); }

private:
    std::shared_ptr<VIZUserLocationInternal> _internal;
};

// The user location's view: the dot alone while the accuracy circle is not
// wider than the dot, else the circle with the dot at its centre. Hidden
// while the user location has no fix, so nothing shows at (-180, -180).
class LocationView : public VIZAnnotationView {
public:
    static std::shared_ptr<LocationView> initWithAnnotation(const std::shared_ptr<VIZAnnotation>& annotation,
                                                            const NSString& reuseIdentifier);

    // The map view it sits on, not retained.
    std::shared_ptr<UIView> mapView() const { return _mapView.lock(); }
    void setMapView(const std::shared_ptr<UIView>& mapView) { _mapView = mapView; }

    // Sizes the view to the accuracy circle at the map's zoom level (one map
    // unit per point at level 18). The circle is at most five times the map
    // view's larger side across, the area the map lays views out in, so a
    // fix of any accuracy keeps the view bounded.
    void needRect(int zoomLevel);

    void drawRect(CGRect rect) override;
    // Only a tap on the dot counts, not one on the circle around it.
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;

private:
    // The dot's width in pixels.
    CGFloat dotWidth() const;
    // The circle inscribed in the square of side `side`, inset by 2.
    static CGMutablePathRef circlePath(CGFloat side);

    std::weak_ptr<UIView> _mapView;
    CGMutablePathRef _path;
};
