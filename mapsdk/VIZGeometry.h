#pragma once
// The SDK's map plane and its conversions. The plane is the engine's map
// units moved so that it starts at the north-west corner of the world, with y
// growing southwards; the engine's own integer units grow northwards. Every
// path between degrees and the plane goes through engine integers, so a round
// trip is exact to one map unit.

#include "engine/base/VTypes.h"
#include "platform/corelocation/CoreLocation.h"

struct VIZMapPoint {
    double x = 0;
    double y = 0;
};

struct VIZMapSize {
    double width = 0;
    double height = 0;
};

// 32 bytes: origin x, origin y, width, height (also the archived form).
struct VIZMapRect {
    VIZMapPoint origin;
    VIZMapSize size;
};

struct VIZCoordinateSpan {
    double latitudeDelta = 0;
    double longitudeDelta = 0;
};

struct VIZCoordinateRegion {
    CLLocationCoordinate2D center;
    VIZCoordinateSpan span;
};

inline VIZMapRect VIZMapRectMake(double x, double y, double width, double height)
{
    return {{x, y}, {width, height}};
}

// The projection of (180, 85) minus that of (-180, -85), in map units.
const VIZMapSize& WorldMapSize();
// {0, 0, WorldMapSize}.
const VIZMapRect& WorldMapRect();
// {+inf, +inf, 0, 0}: the bounds of nothing.
const VIZMapRect& NullMapRect();
bool MapRectIsNull(const VIZMapRect& rect);
// All four values finite.
bool MapRectIsFinite(const VIZMapRect& rect);

// Truncation toward zero that never leaves the int range: NaN gives 0, values
// past the range give its ends.
int SaturateToInt(double value);

mapengine::_VPoint MapPointToEnginePoint(const VIZMapPoint& point);
VIZMapPoint EnginePointToMapPoint(int x, int y);
VIZMapPoint CoordinateToMapPoint(const CLLocationCoordinate2D& coordinate);
CLLocationCoordinate2D MapPointToCoordinate(const VIZMapPoint& point);
mapengine::_VRect MapRectToEngineRect(const VIZMapRect& rect);
VIZMapRect EngineRectToMapRect(const mapengine::_VRect& rect);
VIZMapRect RegionToMapRect(const VIZCoordinateRegion& region);
// Centre the mean of the corner coordinates.
VIZCoordinateRegion MapRectToRegionByCorners(const VIZMapRect& rect);
// Centre the coordinate of the rectangle's centre.
VIZCoordinateRegion MapRectToRegion(const VIZMapRect& rect);

VIZMapRect MapRectOffset(const VIZMapRect& rect, double dx, double dy);
bool MapRectContainsPoint(const VIZMapRect& rect, const VIZMapPoint& point);
// The overlap must be strictly positive on both axes.
bool MapRectsIntersect(const VIZMapRect& a, const VIZMapRect& b);
// Touching rectangles give a zero-sized rectangle; disjoint ones NullMapRect.
VIZMapRect MapRectIntersection(const VIZMapRect& a, const VIZMapRect& b);
VIZMapRect MapRectIncludingPoint(const VIZMapRect& rect, const VIZMapPoint& point);

// View points <-> engine pixels: doubled (saturating) / halved (toward zero)
// on a 640-pixel-wide screen, else unchanged.
mapengine::_VPoint ScalePointToPixels(int x, int y);
mapengine::_VSize ScaleSizeToPixels(int width, int height);
mapengine::_VPoint ScalePixelsToPoints(int x, int y);
