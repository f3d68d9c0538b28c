#pragma once
// What the map view shows: annotations (a place with optional texts) and
// overlays (an annotation with an area in the map plane). Both are
// interfaces that objects adopt beside their NSObject base; an overlay shape
// reaches the annotation interface through its shape base and through the
// overlay interface, hence the virtual bases.

#include <optional>

#include "mapsdk/VIZGeometry.h"
#include "platform/foundation/NSString.h"

class VIZAnnotation {
public:
    virtual ~VIZAnnotation() = default;
    virtual CLLocationCoordinate2D coordinate() const = 0;
    // Optional: nil when the annotation has no text.
    virtual NSString title() const { return {}; }
    virtual NSString subtitle() const { return {}; }
    // Optional: an annotation that cannot move ignores it.
    virtual void setCoordinate(const CLLocationCoordinate2D&) {}
};

class VIZOverlay : public virtual VIZAnnotation {
public:
    virtual VIZMapRect boundingMapRect() const = 0;
    // Optional: without an answer the map view tests the bounding rectangle.
    virtual std::optional<bool> intersectsMapRect(const VIZMapRect&) const { return std::nullopt; }
};
