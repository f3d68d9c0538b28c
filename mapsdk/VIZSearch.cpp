#include "mapsdk/VIZSearch.h"

#include <algorithm>
#include <cmath>

#include "engine/base/VCMMap.h"
#include "engine/root/EngineRoot.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZNotifier.h"
#include "mapsdk/VIZOfflineParts.h"

using namespace mapengine;

namespace {

constexpr int kDefaultPageCapacity = 10;
constexpr int kMaxPageCapacity = 50;
constexpr int kDefaultCityId = 131;
constexpr int kAnyCityId = -1;
constexpr NSUInteger kMaxKeywordUnits = 99;
constexpr NSUInteger kMaxCityUnits = 16;
constexpr NSUInteger kMaxNodeNameUnits = 49;
constexpr size_t kMaxNodeNameBytes = 98;
constexpr size_t kMinKeywords = 2;
constexpr size_t kMaxKeywords = 10;
constexpr int kNodeByPoint = 1;
constexpr int kNodeByName = 2;
const NSString kKeywordSeparator("$$");

int g_pageCapacity = kDefaultPageCapacity;

CSearchMan* SearchMan()
{
    CEngineRoot* root = GetEngineRoot();
    return root ? root->m_pSearchMan : nullptr;
}

// The id of the city the map last found itself in; fallback while none is
// known.
int CurrentCityId(const CSearchMan& search, int fallback)
{
    tag_CityResult city;
    return search.GetCurrentCity(city) && city.code != 0 ? city.code : fallback;
}

CVString EngineString(const NSString& text)
{
    const std::u16string units = text.utf16();
    return CVString(reinterpret_cast<const unsigned short*>(units.c_str()));
}

bool HasUnits(const NSString& text, NSUInteger most) { return !text.isNil() && text.length() >= 1 && text.length() <= most; }

bool IsFinite(const CLLocationCoordinate2D& coordinate)
{
    return std::isfinite(coordinate.latitude) && std::isfinite(coordinate.longitude);
}

// The map point of a coordinate, cut toward zero.
_VPoint MapPoint(const CLLocationCoordinate2D& coordinate)
{
    _VDPoint map;
    LonLatToMapUnits(&map, _VDPoint{coordinate.longitude, coordinate.latitude});
    return _VPoint{SaturateToInt(map.x), SaturateToInt(map.y)};
}

// The square of side twice the radius around the centre.
std::pair<_VPoint, _VPoint> AroundCentre(const CLLocationCoordinate2D& center, int radius)
{
    _VDPoint map;
    LonLatToMapUnits(&map, _VDPoint{center.longitude, center.latitude});
    const double r = radius;
    return {_VPoint{SaturateToInt(map.x - r), SaturateToInt(map.y - r)},
            _VPoint{SaturateToInt(map.x + r), SaturateToInt(map.y + r)}};
}

// The keywords joined by "$$"; none when a rule is broken.
std::optional<CVString> JoinedKeywords(const std::vector<NSString>& keys)
{
    if (keys.size() < kMinKeywords || keys.size() > kMaxKeywords) return std::nullopt;
    std::u16string joined;
    joined.reserve(256);
    for (const NSString& key : keys) {
        if (key.isNil() || key.length() > kMaxKeywordUnits || key.rangeOfString(kKeywordSeparator).location != NSNotFound) return std::nullopt;
        if (!joined.empty()) joined += u"$$";
        joined += key.utf16();
    }
    if (joined.size() > kMaxKeywordUnits) return std::nullopt;
    return CVString(reinterpret_cast<const unsigned short*>(joined.c_str()));
}

bool PointUsable(const VIZPlanNode& node) { return node.pt.latitude > 0 && node.pt.longitude > 0; }

// A name is usable with 1 to 49 units, and, where the search asks for one,
// with a city of 1 to 16 units.
bool NameUsable(const VIZPlanNode& node, const NSString* city)
{
    return HasUnits(node.name, kMaxNodeNameUnits) && (!city || HasUnits(*city, kMaxCityUnits));
}

// The engine's end point of a node: by point when usable, its name (GBK, at
// most 98 bytes) whenever usable; none when neither is.
std::optional<tag_RPNode> RouteEnd(const std::shared_ptr<VIZPlanNode>& node, const NSString* city)
{
    if (!node) return std::nullopt;
    const bool byPoint = PointUsable(*node);
    const bool named = NameUsable(*node, city);
    if (!byPoint && !named) return std::nullopt;
    tag_RPNode end;
    end.type = kNodeByName;
    if (byPoint) {
        _VDPoint map;
        LonLatToMapUnits(&map, _VDPoint{node->pt.longitude, node->pt.latitude});
        end.x = map.x;
        end.y = map.y;
        end.type = kNodeByPoint;
    }
    if (named) {
        const CVString name = EngineString(node->name);
        const int bytes = WideToMultiByte(0, name.GetBuffer(), name.GetLength(), end.name, kMaxNodeNameBytes);
        end.name[bytes] = '\0';
    }
    return end;
}

}  // namespace

std::shared_ptr<VIZSearch> VIZSearch::init()
{
    // One search manager for the process, shared with the offline parts.
    if (!VIZOfflineParts::searchMan()) return nullptr;
    g_pageCapacity = kDefaultPageCapacity;
    return std::make_shared<VIZSearch>();
}

VIZSearch::~VIZSearch() { VIZNotifier::clearSearchDelegate(_delegate); }

void VIZSearch::setDelegate(const std::shared_ptr<VIZSearchDelegate>& delegate)
{
    _delegate = delegate;
    VIZNotifier::setSearchDelegate(delegate);
}

void VIZSearch::setTransitPolicy(int policy)
{
    if (policy >= 3 && policy <= 6) _transitPolicy = policy;
}

void VIZSearch::setDrivingPolicy(int policy)
{
    if (policy >= 0 && policy <= 2) _drivingPolicy = policy;
}

int VIZSearch::getPageCapacity() { return g_pageCapacity; }

void VIZSearch::setPageCapacity(int capacity)
{
    if (capacity >= 1 && capacity <= kMaxPageCapacity) g_pageCapacity = capacity;
}

bool VIZSearch::suggestionSearch(const NSString& keyword)
{
    CSearchMan* search = SearchMan();
    if (!search || !HasUnits(keyword, kMaxKeywordUnits)) return false;
    return search->SuggestionSearch(EngineString(keyword), 0, CurrentCityId(*search, kDefaultCityId)) != 0;
}

bool VIZSearch::geocode(const NSString& address, const NSString& city)
{
    CSearchMan* search = SearchMan();
    if (!search || !HasUnits(address, kMaxKeywordUnits)) return false;
    const CVString cityName = EngineString(city);
    const bool withCity = HasUnits(city, kMaxCityUnits);
    if (withCity) return search->Geocode(EngineString(address), kAnyCityId, &cityName) != 0;
    return search->Geocode(EngineString(address), CurrentCityId(*search, kAnyCityId), nullptr) != 0;
}

bool VIZSearch::reverseGeocode(const CLLocationCoordinate2D& coordinate)
{
    CSearchMan* search = SearchMan();
    if (!search || !IsFinite(coordinate)) return false;
    const _VPoint at = MapPoint(coordinate);
    return search->ReverseGeocode(at.x, at.y) != 0;
}

bool VIZSearch::poiSearchInCity(const NSString& city, const NSString& key, int pageIndex)
{
    CSearchMan* search = SearchMan();
    if (!search || key.isNil() || pageIndex < 0 || key.length() > kMaxKeywordUnits) return false;
    if (!city.isNil() && city.length() > kMaxCityUnits) return false;
    const CVString cityName = EngineString(city);
    const bool withCity = !city.isNil() && city.length() > 0;
    if (withCity) {
        return search->PoiSearchInCity(EngineString(key), kAnyCityId, pageIndex, g_pageCapacity, &cityName) != 0;
    }
    return search->PoiSearchInCity(EngineString(key), CurrentCityId(*search, kAnyCityId), pageIndex,
                                   g_pageCapacity) != 0;
}

bool VIZSearch::poiSearchNearBy(const NSString& key, const CLLocationCoordinate2D& center, int radius, int pageIndex)
{
    CSearchMan* search = SearchMan();
    if (!search || key.isNil() || radius < 1 || pageIndex < 0 || key.length() > kMaxKeywordUnits) return false;
    if (!IsFinite(center)) return false;
    const auto [lowerLeft, upperRight] = AroundCentre(center, radius);
    return search->PoiSearch(EngineString(key), lowerLeft, upperRight, pageIndex, g_pageCapacity) != 0;
}

bool VIZSearch::poiSearchInbounds(const NSString& key, const CLLocationCoordinate2D& leftBottom,
                                  const CLLocationCoordinate2D& rightTop, int pageIndex)
{
    CSearchMan* search = SearchMan();
    if (!search || key.isNil() || pageIndex < 0 || key.length() > kMaxKeywordUnits) return false;
    if (!IsFinite(leftBottom) || !IsFinite(rightTop)) return false;
    return search->PoiSearch(EngineString(key), MapPoint(leftBottom), MapPoint(rightTop), pageIndex,
                             g_pageCapacity) != 0;
}

bool VIZSearch::poiMultiSearchNearBy(const std::vector<NSString>& keys, const CLLocationCoordinate2D& center,
                                     int radius, int pageIndex)
{
    CSearchMan* search = SearchMan();
    if (!search || radius < 1 || pageIndex < 0 || !IsFinite(center)) return false;
    const std::optional<CVString> joined = JoinedKeywords(keys);
    if (!joined) return false;
    const auto [lowerLeft, upperRight] = AroundCentre(center, radius);
    return search->PoiMultiSearch(*joined, static_cast<int>(keys.size()), lowerLeft, upperRight, pageIndex,
                                  g_pageCapacity) != 0;
}

bool VIZSearch::poiMultiSearchInbounds(const std::vector<NSString>& keys, const CLLocationCoordinate2D& leftBottom,
                                       const CLLocationCoordinate2D& rightTop, int pageIndex)
{
    CSearchMan* search = SearchMan();
    if (!search || pageIndex < 0 || !IsFinite(leftBottom) || !IsFinite(rightTop)) return false;
    const std::optional<CVString> joined = JoinedKeywords(keys);
    if (!joined) return false;
    return search->PoiMultiSearch(*joined, static_cast<int>(keys.size()), MapPoint(leftBottom), MapPoint(rightTop),
                                  pageIndex, g_pageCapacity) != 0;
}

bool VIZSearch::transitSearch(const NSString& city, const std::shared_ptr<VIZPlanNode>& startNode,
                              const std::shared_ptr<VIZPlanNode>& endNode)
{
    CSearchMan* search = SearchMan();
    if (!search || !HasUnits(city, kMaxCityUnits)) return false;
    const std::optional<tag_RPNode> start = RouteEnd(startNode, nullptr);
    const std::optional<tag_RPNode> end = start ? RouteEnd(endNode, nullptr) : std::nullopt;
    if (!end) return false;
    const CVString cityName = EngineString(city);
    return search->TransitSearch(*start, *end, _transitPolicy, kAnyCityId, &cityName) != 0;
}

namespace {

// The ends of a driving or walking search with the city text of each end
// (empty unless that end goes by name).
struct CarEnds {
    tag_RPNode start, end;
    CVString startCity, endCity;
};

std::optional<CarEnds> CarRouteEnds(const NSString& startCity, const std::shared_ptr<VIZPlanNode>& startNode,
                                    const NSString& endCity, const std::shared_ptr<VIZPlanNode>& endNode)
{
    const std::optional<tag_RPNode> start = RouteEnd(startNode, &startCity);
    const std::optional<tag_RPNode> end = start ? RouteEnd(endNode, &endCity) : std::nullopt;
    if (!end) return std::nullopt;
    CarEnds ends{*start, *end, {}, {}};
    if (NameUsable(*startNode, &startCity)) ends.startCity = EngineString(startCity);
    if (NameUsable(*endNode, &endCity)) ends.endCity = EngineString(endCity);
    return ends;
}

}  // namespace

bool VIZSearch::drivingSearch(const NSString& startCity, const std::shared_ptr<VIZPlanNode>& startNode,
                              const NSString& endCity, const std::shared_ptr<VIZPlanNode>& endNode)
{
    CSearchMan* search = SearchMan();
    const std::optional<CarEnds> ends = CarRouteEnds(startCity, startNode, endCity, endNode);
    if (!search || !ends) return false;
    return search->DrivingSearch(kAnyCityId, kAnyCityId, kAnyCityId, ends->start, ends->end, _drivingPolicy, nullptr,
                                 &ends->startCity, &ends->endCity) != 0;
}

bool VIZSearch::walkingSearch(const NSString& startCity, const std::shared_ptr<VIZPlanNode>& startNode,
                              const NSString& endCity, const std::shared_ptr<VIZPlanNode>& endNode)
{
    CSearchMan* search = SearchMan();
    const std::optional<CarEnds> ends = CarRouteEnds(startCity, startNode, endCity, endNode);
    if (!search || !ends) return false;
    return search->WalkingSearch(kAnyCityId, kAnyCityId, kAnyCityId, ends->start, ends->end, nullptr,
                                 &ends->startCity, &ends->endCity) != 0;
}
