#pragma once
// The data the caller puts on the map: a shape with a title and a subtitle,
// and the point annotation, a shape with a settable coordinate.

#include <mutex>

#include "mapsdk/VIZAnnotation.h"
#include "platform/foundation/NSObject.h"

class VIZShape : public NSObject, public virtual VIZAnnotation {
public:
    // (0, 0) for a bare shape; subclasses give their own place.
    CLLocationCoordinate2D coordinate() const override { return {}; }
    NSString title() const override;
    NSString subtitle() const override;
    void setTitle(const NSString& title);
    void setSubtitle(const NSString& subtitle);

private:
    mutable std::mutex lock_;
    NSString _title;
    NSString _subtitle;
};

class VIZPointAnnotation : public VIZShape {
public:
    CLLocationCoordinate2D coordinate() const override { return _coordinate; }
    void setCoordinate(const CLLocationCoordinate2D& coordinate) override { _coordinate = coordinate; }

private:
    CLLocationCoordinate2D _coordinate;
};
