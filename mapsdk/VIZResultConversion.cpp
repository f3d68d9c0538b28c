#include "mapsdk/VIZResultConversion.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/model/RouteRecords.h"
#include "engine/model/SearchRecords.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZSearch.h"

using namespace mapengine;

namespace {

template <class T>
using List = std::optional<std::vector<std::shared_ptr<T>>>;

NSString Text(const CVString& text)
{
    if (text.IsEmpty()) return NSString("");
    return NSString::stringWithCharacters(reinterpret_cast<const unichar*>(text.GetBuffer()),
                                          static_cast<NSUInteger>(text.GetLength()));
}

// A GBK field read no further than its size, even when a producer left it
// unterminated.
template <size_t N>
NSString Text(const char (&field)[N])
{
    const std::string bytes(field, strnlen(field, N));
    return Text(CVString(bytes.c_str()));
}

// Texts that are set only when they hold something.
template <size_t N>
void SetIfAny(NSString& property, const char (&field)[N])
{
    if (field[0] != '\0') property = Text(field);
}

void SetIfAny(NSString& property, const CVString& text)
{
    if (!text.IsEmpty()) property = Text(text);
}

CLLocationCoordinate2D FromMapUnits(double x, double y)
{
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, _VDPoint{x, y});
    return CLLocationCoordinate2DMake(lonLat.y, lonLat.x);
}

// A geometry point in hundredths of map units, cut to whole units first.
CLLocationCoordinate2D FromHundredths(const _VPoint& point)
{
    return FromMapUnits(static_cast<double>(point.x / 100), static_cast<double>(point.y / 100));
}

CLLocationCoordinate2D FirstPoint(const CComplexPt& geometry) { return FromHundredths(geometry.GetPoint(0, 0)); }

bool HasFirstPoint(const CComplexPt& geometry)
{
    return geometry.GetPartSize() > 0 && geometry.GetPartPointCount(0) > 0;
}

// Set only when both coordinates of the first point are non-zero.
void SetIfPlaced(CLLocationCoordinate2D& property, const CComplexPt& geometry)
{
    const _VPoint first = geometry.GetPoint(0, 0);
    if (first.x != 0 && first.y != 0) property = FromHundredths(first);
}

// Part 0 of a geometry as map points; empty when it has none.
std::vector<VIZMapPoint> Shape(const CComplexPt& geometry)
{
    std::vector<VIZMapPoint> points;
    const int count = geometry.GetPartSize() > 0 ? geometry.GetPartPointCount(0) : 0;
    points.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const _VPoint point = geometry.GetPoint(0, i);
        points.push_back(EnginePointToMapPoint(point.x / 100, point.y / 100));
    }
    return points;
}

std::shared_ptr<VIZPoiInfo> PoiInfo(const tag_PoiInfo& poi, const NSString& city)
{
    auto info = std::make_shared<VIZPoiInfo>();
    info->name = Text(poi.name);
    SetIfAny(info->address, poi.addr);
    SetIfAny(info->phone, poi.tel);
    SetIfAny(info->postcode, poi.postcode);
    info->city = city;
    info->epoitype = poi.poiType;
    if (HasFirstPoint(poi.point)) info->pt = FirstPoint(poi.point);
    return info;
}

std::vector<std::shared_ptr<VIZPoiInfo>> PoiInfos(const CVArray<tag_PoiInfo>& pois, const NSString& city)
{
    std::vector<std::shared_ptr<VIZPoiInfo>> infos;
    for (int i = 0; i < pois.GetSize(); ++i) infos.push_back(PoiInfo(pois[i], city));
    return infos;
}

std::shared_ptr<VIZCityListInfo> CityListInfo(const tag_CityInfo& city)
{
    auto info = std::make_shared<VIZCityListInfo>();
    info->city = Text(city.name);
    info->num = city.count;
    return info;
}

List<VIZCityListInfo> CityList(const CVArray<tag_CityInfo>& cities)
{
    if (cities.GetSize() == 0) return std::nullopt;
    std::vector<std::shared_ptr<VIZCityListInfo>> infos;
    for (int i = 0; i < cities.GetSize(); ++i) infos.push_back(CityListInfo(cities[i]));
    return infos;
}

int PageCount(int total)
{
    const int capacity = VIZSearch::getPageCapacity();
    return total / capacity + (total % capacity != 0 ? 1 : 0);
}

// One page: its POIs with the search city, its index, and counts.
std::shared_ptr<VIZPoiResult> Page(const CVArray<tag_PoiInfo>& pois, const NSString& city, int pageIndex, int total)
{
    auto page = std::make_shared<VIZPoiResult>();
    page->poiInfoList = PoiInfos(pois, city);
    page->pageIndex = pageIndex;
    page->currPoiNum = pois.GetSize();
    page->totalPoiNum = total;
    page->pageNum = PageCount(total);
    return page;
}

std::shared_ptr<VIZPlanNode> PlanNode(const tag_RouteNode& node)
{
    auto planNode = std::make_shared<VIZPlanNode>();
    planNode->name = Text(node.name);
    SetIfPlaced(planNode->pt, node.point);
    return planNode;
}

void RouteInfo(VIZRoute& route, const tag_CarRoute& data)
{
    route.distance = data.distance;
    if (data.links.GetSize() > 0) {
        route.setPointsCount(data.links.GetSize());
        for (int i = 0; i < data.links.GetSize(); ++i) route.setPoints(Shape(data.links[i].shape), i);
    }
    if (data.keyPoints.GetSize() > 0) {
        std::vector<std::shared_ptr<VIZStep>> steps;
        for (int i = 0; i < data.keyPoints.GetSize(); ++i) {
            const tag_CarRouteKeyPt& keyPoint = data.keyPoints[i];
            auto step = std::make_shared<VIZStep>();
            step->pt = FirstPoint(keyPoint.point);
            step->degree = keyPoint.a;
            step->content = Text(keyPoint.plainText);
            steps.push_back(step);
        }
        route.steps = std::move(steps);
    }
}

std::shared_ptr<VIZRoutePlan> DrivingRoutePlan(const tag_CarRoute& data)
{
    auto plan = std::make_shared<VIZRoutePlan>();
    plan->distance = data.distance;
    auto route = std::make_shared<VIZRoute>();
    RouteInfo(*route, data);
    plan->routes = std::vector{route};
    return plan;
}

std::shared_ptr<VIZLine> BusLine(const tag_BusLine& data)
{
    auto line = std::make_shared<VIZLine>();
    line->distance = data.distance;
    line->viaStopsNum = data.stationCount;
    line->type = data.type;
    line->title = Text(data.name);
    line->setPoints(Shape(data.shape));
    return line;
}

// The stops of a ride: boarding at the start stop, alighting at the end stop.
void StationInfo(VIZLine& line, const tag_BusTransStop& start, const tag_BusTransStop& end)
{
    line.getOnStopPoiInfo = std::make_shared<VIZPoiInfo>();
    line.getOnStopPoiInfo->name = Text(start.onName);
    SetIfPlaced(line.getOnStopPoiInfo->pt, start.onPoint);
    line.getOffStopPoiInfo = std::make_shared<VIZPoiInfo>();
    line.getOffStopPoiInfo->name = Text(end.offName);
    SetIfPlaced(line.getOffStopPoiInfo->pt, end.offPoint);
    SetIfAny(line.tip, start.boardingText);
}

// The walk at a stop, from where the last ride ends to where the next begins.
std::shared_ptr<VIZRoute> BusTrans(const tag_BusTransStop& stop)
{
    constexpr int kWalkingLeg = 2;
    auto route = std::make_shared<VIZRoute>();
    route->distance = stop.walkDistance;
    route->type = kWalkingLeg;
    SetIfAny(route->tip, stop.shortWalkText);
    SetIfPlaced(route->startPt, stop.offPoint);
    SetIfPlaced(route->endPt, stop.onPoint);
    std::vector<VIZMapPoint> walk = Shape(stop.walkShape);
    if (!walk.empty()) {
        route->setPointsCount(1);
        route->setPoints(std::move(walk), 0);
    }
    return route;
}

void TransitRoutePlan(VIZTransitRoutePlan& plan, const tag_BusRoute& route, int scheme)
{
    if (scheme < route.totals.GetSize()) plan.distance = static_cast<int>(route.totals[scheme]);
    if (scheme >= route.lines.GetSize() || scheme >= route.stops.GetSize()) return;
    const CVArray<tag_BusLine>& lines = route.lines[scheme];
    const CVArray<tag_BusTransStop>& stops = route.stops[scheme];
    std::vector<std::shared_ptr<VIZLine>> rides;
    if (lines.GetSize() >= 1 && stops.GetSize() >= 2) {
        const int count = std::min(lines.GetSize(), stops.GetSize() - 1);
        for (int k = 0; k < count; ++k) {
            auto line = BusLine(lines[k]);
            StationInfo(*line, stops[k], stops[k + 1]);
            rides.push_back(line);
        }
    }
    plan.lines = std::move(rides);
    std::vector<std::shared_ptr<VIZRoute>> walks;
    for (int i = 0; i < stops.GetSize(); ++i) walks.push_back(BusTrans(stops[i]));
    plan.routes = std::move(walks);
}

List<VIZPoiInfo> RouteAddrList(const CVArray<tag_RPAddrPoi>& candidates)
{
    if (candidates.GetSize() == 0) return std::nullopt;
    std::vector<std::shared_ptr<VIZPoiInfo>> infos;
    for (int i = 0; i < candidates.GetSize(); ++i) {
        auto info = std::make_shared<VIZPoiInfo>();
        info->name = Text(candidates[i].name);
        info->address = Text(candidates[i].addr);
        info->pt = FirstPoint(candidates[i].point);
        infos.push_back(info);
    }
    return infos;
}

}  // namespace

bool getPoiResult(std::vector<std::shared_ptr<VIZPoiResult>>& poiResults, const void* data, int type)
{
    if (!data) return false;
    switch (type) {
    case 7: {
        auto page = std::make_shared<VIZPoiResult>();
        page->cityList = CityList(static_cast<const tag_PoiCityListRst*>(data)->cities);
        poiResults.push_back(page);
        break;
    }
    case 11:
    case 12:
    case 21: {
        const auto* result = static_cast<const tag_PoiResult*>(data);
        NSString city;
        SetIfAny(city, result->city.name);
        poiResults.push_back(Page(result->pois, city, result->pageNumber, result->total));
        break;
    }
    case 45: {
        const auto* result = static_cast<const tag_MultiPoiRst*>(data);
        const NSString city = Text(result->city.name);
        const int keywords = std::min(result->poiLists.GetSize(), result->totals.GetSize());
        bool anyPoi = false;
        for (int i = 0; i < keywords; ++i) {
            const CVArray<tag_PoiInfo>& pois = result->poiLists[i];
            if (pois.GetSize() == 0) {
                poiResults.push_back(std::make_shared<VIZPoiResult>());
                continue;
            }
            anyPoi = true;
            poiResults.push_back(Page(pois, city, result->pageNumber, result->totals[i]));
        }
        if (!anyPoi) poiResults.clear();
        break;
    }
    default:
        break;
    }
    return true;
}

bool getAddrInfo(VIZAddrInfo& info, const tag_PoiResult* data)
{
    if (!data) return false;
    SetIfAny(info.strAddr, data->address);
    auto component = std::make_shared<VIZGeocoderAddressComponent>();
    SetIfAny(component->streetNumber, data->streetNumber);
    SetIfAny(component->streetName, data->street);
    SetIfAny(component->district, data->district);
    SetIfAny(component->province, data->province);
    SetIfAny(component->city, data->cityName);
    info.addressComponent = component;
    info.geoPt = FromMapUnits(data->x, data->y);
    if (data->pois.GetSize() > 0) info.poiList = PoiInfos(data->pois, component->city);
    return true;
}

bool getGeocodeInfo(VIZAddrInfo& info, const tag_GeoCodeRst* data)
{
    if (!data) return false;
    SetIfAny(info.strAddr, data->address);
    info.geoPt = FromMapUnits(data->x, data->y);
    return true;
}

void getSuggestionResult(VIZSuggestionResult& result, const tag_SuggestionResult* data)
{
    if (!data || data->matched.GetSize() == 0) return;
    std::vector<NSString> keys;
    std::vector<NSString> cities;
    for (int i = 0; i < data->matched.GetSize(); ++i) {
        NSString key = Text(data->matched[i]);
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
        keys.push_back(key);
        cities.push_back(i < data->part0.GetSize() ? Text(data->part0[i]) : NSString(""));
    }
    result.keyList = std::move(keys);
    result.cityList = std::move(cities);
}

bool getRouteResult(VIZPlanResult& result, const tag_CarRouteRst* data)
{
    if (!data) return false;
    result.startNode = PlanNode(data->start);
    result.endNode = PlanNode(data->end);
    std::vector<std::shared_ptr<NSObject>> plans;
    if (data->total > 0) plans.push_back(DrivingRoutePlan(data->route));
    result.plans = std::move(plans);
    return true;
}

bool getTransitRouteResult(VIZPlanResult& result, const tag_BusRouteRst* data)
{
    if (!data) return false;
    result.startNode = PlanNode(data->start);
    result.endNode = PlanNode(data->end);
    std::vector<std::shared_ptr<NSObject>> plans;
    for (int r = 0; r < data->routes.GetSize(); ++r) {
        const tag_BusRoute& route = data->routes[r];
        for (int j = 0; j < route.lines.GetSize(); ++j) {
            auto plan = std::make_shared<VIZTransitRoutePlan>();
            plan->startPt = result.startNode->pt;
            plan->endPt = result.endNode->pt;
            TransitRoutePlan(*plan, route, j);
            plans.push_back(plan);
        }
    }
    if (!plans.empty()) result.plans = std::move(plans);
    return true;
}

std::optional<int> getRouteAddrResult(VIZRouteAddrResult& result, const tag_RPAddrRst* data)
{
    if (!data) return std::nullopt;
    result.startPoiList = RouteAddrList(data->startPois);
    result.startCityList = CityList(data->startCities);
    result.endPoiList = RouteAddrList(data->endPois);
    result.endCityList = CityList(data->endCities);
    return data->head.routeKind;
}
