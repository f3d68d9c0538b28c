#pragma once
// The values in which search results reach the application's search
// delegate: addresses, POI pages, keyword suggestions and route plans, and
// the route end point the application passes into a route search. They hold
// data only. Coordinates are degrees; a fresh object holds nil texts, zero
// numbers and (0, 0) coordinates.

#include <memory>
#include <optional>
#include <vector>

#include "mapsdk/VIZGeometry.h"
#include "platform/corelocation/CoreLocation.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class VIZGeocoderAddressComponent : public NSObject {
public:
    NSString streetNumber;
    NSString streetName;
    NSString district;
    NSString city;
    NSString province;
};

class VIZPoiInfo : public NSObject {
public:
    NSString name;
    NSString address;
    NSString city;
    NSString phone;
    NSString postcode;
    // The kind of POI as the service gives it.
    int epoitype = 0;
    CLLocationCoordinate2D pt;
};

// A geocoding or reverse-geocoding result.
class VIZAddrInfo : public NSObject {
public:
    std::shared_ptr<VIZGeocoderAddressComponent> addressComponent;
    NSString strAddr;
    CLLocationCoordinate2D geoPt;
    // POIs near the address (reverse geocoding); none when there are none.
    std::optional<std::vector<std::shared_ptr<VIZPoiInfo>>> poiList;
};

class VIZCityListInfo : public NSObject {
public:
    NSString city;
    // Results in that city.
    int num = 0;
};

// One page of a POI search.
class VIZPoiResult : public NSObject {
public:
    int totalPoiNum = 0;
    int currPoiNum = 0;
    int pageNum = 0;
    // From 0.
    int pageIndex = 0;
    std::optional<std::vector<std::shared_ptr<VIZPoiInfo>>> poiInfoList;
    // The cities with results when a search spans several.
    std::optional<std::vector<std::shared_ptr<VIZCityListInfo>>> cityList;
};

class VIZSuggestionResult : public NSObject {
public:
    // Each key once; the city of each key at the same index.
    std::optional<std::vector<NSString>> keyList;
    std::optional<std::vector<NSString>> cityList;
};

// An end of a route search: by point when the point is usable, else by name.
class VIZPlanNode : public NSObject {
public:
    NSString name;
    CLLocationCoordinate2D pt;
};

// One ride of a transit plan. Its shape is one array of map points whose
// count is the array's own, so a reader never runs past it.
class VIZLine : public NSObject {
public:
    int viaStopsNum = 0;
    int distance = 0;
    int type = 0;
    NSString title;
    NSString tip;
    std::shared_ptr<VIZPoiInfo> getOnStopPoiInfo;
    std::shared_ptr<VIZPoiInfo> getOffStopPoiInfo;

    // Null when the line has no shape.
    const VIZMapPoint* points() const { return _points.empty() ? nullptr : _points.data(); }
    int pointsCount() const { return static_cast<int>(_points.size()); }
    // Resizes the shape (new points at (0, 0)); a negative count empties it.
    void setPointsCount(int count);
    void setPoints(std::vector<VIZMapPoint> points) { _points = std::move(points); }

private:
    std::vector<VIZMapPoint> _points;
};

class VIZStep : public NSObject {
public:
    CLLocationCoordinate2D pt;
    NSString content;
    // The direction value as the service gives it.
    int degree = 0;
};

// A driving or walking route, or a walking leg of a transit plan. Its shape
// comes in parts, each an array of map points that carries its own count.
class VIZRoute : public NSObject {
public:
    int distance = 0;
    int type = 0;
    CLLocationCoordinate2D startPt;
    CLLocationCoordinate2D endPt;
    NSString tip;
    std::optional<std::vector<std::shared_ptr<VIZStep>>> steps;

    int pointsCount() const { return static_cast<int>(_parts.size()); }
    // 0 and null for an index outside the parts or a part without points.
    int getPointsNum(int index) const;
    const VIZMapPoint* getPoints(int index) const;

    // Sizing and filling the parts, for the conversion of engine records.
    // A count of 0 or less is ignored; otherwise every part is dropped and
    // the route holds that many empty parts.
    void setPointsCount(int count);
    // Part index takes the points; an index outside the parts drops them.
    void setPoints(std::vector<VIZMapPoint> points, int index);

private:
    std::vector<std::vector<VIZMapPoint>> _parts;
};

class VIZTransitRoutePlan : public NSObject {
public:
    int distance = 0;
    NSString content;
    CLLocationCoordinate2D startPt;
    CLLocationCoordinate2D endPt;
    // The walking legs between and around the rides.
    std::optional<std::vector<std::shared_ptr<VIZRoute>>> routes;
    std::optional<std::vector<std::shared_ptr<VIZLine>>> lines;
};

class VIZRoutePlan : public NSObject {
public:
    int distance = 0;
    std::optional<std::vector<std::shared_ptr<VIZRoute>>> routes;
};

// Candidates for ambiguous route ends.
class VIZRouteAddrResult : public NSObject {
public:
    std::optional<std::vector<std::shared_ptr<VIZPoiInfo>>> startPoiList;
    std::optional<std::vector<std::shared_ptr<VIZPoiInfo>>> endPoiList;
    std::optional<std::vector<std::shared_ptr<VIZCityListInfo>>> startCityList;
    std::optional<std::vector<std::shared_ptr<VIZCityListInfo>>> endCityList;
};

// The answer to a route search: transit plans (VIZTransitRoutePlan) or
// driving and walking plans (VIZRoutePlan).
class VIZPlanResult : public NSObject {
public:
    std::shared_ptr<VIZPlanNode> startNode;
    std::shared_ptr<VIZPlanNode> endNode;
    std::optional<std::vector<std::shared_ptr<NSObject>>> plans;
    // Candidates when an end was ambiguous; null otherwise.
    std::shared_ptr<VIZRouteAddrResult> routeAddrResult;
};
