// Engine search records made into the result objects: page counts, points
// in hundredths, texts set only when present, suggestions without repeats,
// transit schemes cut to the stops they have, and shapes whose counts are
// the arrays' own.
#include <cstring>

#include <gtest/gtest.h>

#include "engine/model/RouteRecords.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZResultConversion.h"
#include "mapsdk/VIZSearch.h"
#include "tests/engine/base/EngineTestSupport.h"

using namespace mapengine;

namespace {

class ResultConversionTest : public mapengine::test::EngineTest {};

CLLocationCoordinate2D Degrees(double x, double y)
{
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, _VDPoint{x, y});
    return CLLocationCoordinate2DMake(lonLat.y, lonLat.x);
}

void ExpectAt(const CLLocationCoordinate2D& actual, const CLLocationCoordinate2D& expected)
{
    EXPECT_DOUBLE_EQ(actual.latitude, expected.latitude);
    EXPECT_DOUBLE_EQ(actual.longitude, expected.longitude);
}

template <size_t N>
void Put(char (&field)[N], const char* text)
{
    std::strncpy(field, text, N - 1);
}

CComplexPt Line(std::initializer_list<_VPoint> points)
{
    CComplexPt shape;
    CVArray<_VPoint, _VPoint> part;
    for (const _VPoint& point : points) part.Add(point);
    shape.AddPart(&part);
    return shape;
}

tag_PoiInfo Poi(const char* name, const char* tel, _VPoint at)
{
    tag_PoiInfo poi;
    Put(poi.name, name);
    Put(poi.tel, tel);
    poi.point = CComplexPt(at.x, at.y);
    return poi;
}

}  // namespace

TEST_F(ResultConversionTest, PoiPagesCountPagesAndSetTextsOnlyWhenPresent)
{
    VIZSearch::setPageCapacity(10);
    struct Case {
        int total, pages;
    };
    for (const Case c : {Case{25, 3}, Case{20, 2}, Case{0, 0}, Case{1, 1}}) {
        tag_PoiResult record;
        record.total = c.total;
        std::vector<std::shared_ptr<VIZPoiResult>> pages;
        ASSERT_TRUE(getPoiResult(pages, &record, 21));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0]->pageNum, c.pages) << c.total;
    }

    tag_PoiResult record;
    record.total = 2;
    record.pageNumber = 1;
    Put(record.city.name, "\xb1\xb1\xbe\xa9");  // 北京 in GBK
    record.pois.Add(Poi("", "", {-250, 199}));
    record.pois.Add(Poi("\xcc\xec\xb0\xb2\xc3\xc5", "010", {1250, 1250}));  // 天安门
    record.pois[1].point = CComplexPt();
    std::vector<std::shared_ptr<VIZPoiResult>> pages;
    ASSERT_TRUE(getPoiResult(pages, &record, 11));
    ASSERT_TRUE(pages[0]->poiInfoList.has_value());
    const auto& pois = *pages[0]->poiInfoList;
    ASSERT_EQ(pois.size(), 2u);
    EXPECT_EQ(pages[0]->currPoiNum, 2);
    EXPECT_EQ(pages[0]->pageIndex, 1);
    EXPECT_EQ(pois[0]->name, NSString("")) << "an empty name is still a name";
    EXPECT_TRUE(pois[0]->phone.isNil()) << "an empty phone is none";
    EXPECT_EQ(pois[0]->city, NSString("北京"));
    ExpectAt(pois[0]->pt, Degrees(-2, 1));
    EXPECT_EQ(pois[1]->name, NSString("天安门"));
    EXPECT_EQ(pois[1]->phone, NSString("010"));
    ExpectAt(pois[1]->pt, {});  // no geometry: (0, 0)

    EXPECT_FALSE(getPoiResult(pages, nullptr, 11));
    std::vector<std::shared_ptr<VIZPoiResult>> none;
    EXPECT_TRUE(getPoiResult(none, &record, 99));
    EXPECT_TRUE(none.empty());
}

TEST_F(ResultConversionTest, MultiKeywordPagesAndCityLists)
{
    tag_MultiPoiRst record;
    record.poiLists.SetSize(2);
    record.totals.Add(0);
    record.totals.Add(15);
    std::vector<std::shared_ptr<VIZPoiResult>> pages;
    ASSERT_TRUE(getPoiResult(pages, &record, 45));
    EXPECT_TRUE(pages.empty()) << "no keyword found anything";

    record.poiLists[1].Add(Poi("\xcc\xec\xb0\xb2\xc3\xc5", "", {100, 100}));
    ASSERT_TRUE(getPoiResult(pages, &record, 45));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_FALSE(pages[0]->poiInfoList.has_value()) << "an empty keyword's page holds nothing";
    EXPECT_EQ(pages[0]->totalPoiNum, 0);
    EXPECT_EQ(pages[1]->totalPoiNum, 15);
    EXPECT_EQ(pages[1]->pageNum, 2);

    tag_PoiCityListRst cities;
    tag_CityInfo city;
    city.count = 7;
    Put(city.name, "\xb1\xb1\xbe\xa9");
    cities.cities.Add(city);
    std::vector<std::shared_ptr<VIZPoiResult>> listed;
    ASSERT_TRUE(getPoiResult(listed, &cities, 7));
    ASSERT_TRUE(listed[0]->cityList.has_value());
    EXPECT_EQ((*listed[0]->cityList)[0]->city, NSString("北京"));
    EXPECT_EQ((*listed[0]->cityList)[0]->num, 7);
}

TEST_F(ResultConversionTest, AddressesReadTheirFieldsNoFurtherThanTheirSize)
{
    tag_PoiResult record;
    std::memset(record.address, 'A', sizeof record.address);  // no terminator
    Put(record.district, "\xb6\xab\xb3\xc7\xc7\xf8");  // 东城区
    record.x = 12958160;
    record.y = 4825907;
    VIZAddrInfo info;
    ASSERT_TRUE(getAddrInfo(info, &record));
    EXPECT_EQ(info.strAddr.length(), sizeof record.address);
    ASSERT_NE(info.addressComponent, nullptr);
    EXPECT_EQ(info.addressComponent->district, NSString("东城区"));
    EXPECT_TRUE(info.addressComponent->streetName.isNil());
    EXPECT_FALSE(info.poiList.has_value());
    ExpectAt(info.geoPt, Degrees(12958160, 4825907));

    tag_GeoCodeRst geocoded;
    VIZAddrInfo bare;
    ASSERT_TRUE(getGeocodeInfo(bare, &geocoded));
    EXPECT_TRUE(bare.strAddr.isNil());
    EXPECT_FALSE(getAddrInfo(bare, nullptr));
    EXPECT_FALSE(getGeocodeInfo(bare, nullptr));
}

TEST_F(ResultConversionTest, SuggestionsKeepEachKeyOnceWithItsCity)
{
    tag_SuggestionResult record;
    for (const char16_t* key : {u"A", u"B", u"A"}) record.matched.Add(test::W(key));
    for (const char16_t* city : {u"X", u"Y", u"Z"}) record.part0.Add(test::W(city));
    VIZSuggestionResult result;
    getSuggestionResult(result, &record);
    EXPECT_EQ(result.keyList, (std::vector<NSString>{"A", "B"}));
    EXPECT_EQ(result.cityList, (std::vector<NSString>{"X", "Y"}));

    VIZSuggestionResult empty;
    getSuggestionResult(empty, nullptr);
    const tag_SuggestionResult noKeys;
    getSuggestionResult(empty, &noKeys);
    EXPECT_FALSE(empty.keyList.has_value());
}

TEST_F(ResultConversionTest, DrivingRoutesGiveNodesPlansStepsAndShapes)
{
    tag_CarRouteRst record;
    Put(record.start.name, "S");
    record.start.point = CComplexPt(0, 500);  // x = 0: no point
    record.end.point = CComplexPt(12958160 * 100, 4825907 * 100);
    VIZPlanResult noRoutes;
    ASSERT_TRUE(getRouteResult(noRoutes, &record));
    EXPECT_EQ(noRoutes.startNode->name, NSString("S"));
    ExpectAt(noRoutes.startNode->pt, {});
    ExpectAt(noRoutes.endNode->pt, Degrees(12958160, 4825907));
    ASSERT_TRUE(noRoutes.plans.has_value());
    EXPECT_TRUE(noRoutes.plans->empty());

    record.total = 1;
    record.route.distance = 900;
    tag_Link link;
    link.shape = Line({{100, 200}, {-250, 199}, {300, 400}});
    record.route.links.Add(link);
    record.route.links.Add(tag_Link{});
    tag_CarRouteKeyPt keyPoint;
    keyPoint.a = 90;
    keyPoint.plainText = test::W(u"turn");
    record.route.keyPoints.Add(keyPoint);
    VIZPlanResult result;
    ASSERT_TRUE(getRouteResult(result, &record));
    ASSERT_EQ(result.plans->size(), 1u);
    auto plan = std::dynamic_pointer_cast<VIZRoutePlan>((*result.plans)[0]);
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(plan->distance, 900);
    const VIZRoute& route = *(*plan->routes)[0];
    ASSERT_EQ(route.pointsCount(), 2);
    ASSERT_EQ(route.getPointsNum(0), 3);
    EXPECT_EQ(route.getPoints(0)[1].x, EnginePointToMapPoint(-2, 1).x);
    EXPECT_EQ(route.getPoints(0)[1].y, EnginePointToMapPoint(-2, 1).y);
    EXPECT_EQ(route.getPointsNum(1), 0);
    EXPECT_EQ(route.getPoints(1), nullptr);
    EXPECT_EQ(route.getPointsNum(-1), 0);
    EXPECT_EQ(route.getPointsNum(2), 0);
    EXPECT_EQ(route.getPoints(2), nullptr);
    ASSERT_EQ(route.steps->size(), 1u);
    EXPECT_EQ((*route.steps)[0]->degree, 90);
    EXPECT_EQ((*route.steps)[0]->content, NSString("turn"));
    EXPECT_FALSE(getRouteResult(result, nullptr));
}

TEST_F(ResultConversionTest, TransitSchemesTakeTheRidesTheirStopsAllow)
{
    tag_BusRouteRst empty;
    VIZPlanResult none;
    ASSERT_TRUE(getTransitRouteResult(none, &empty));
    EXPECT_FALSE(none.plans.has_value()) << "no schemes: no plans";

    tag_BusRouteRst record;
    record.start.point = CComplexPt(100000, 200000);
    tag_BusRoute route;
    CVArray<tag_BusLine> lines;
    CVArray<tag_BusTransStop> stops;
    for (int i = 0; i < 3; ++i) {
        tag_BusLine line;
        line.distance = 1000 + i;
        line.shape = Line({{100, 100}, {200, 200}});
        lines.Add(line);
        tag_BusTransStop stop;
        Put(stop.onName, "on");
        Put(stop.offName, "off");
        stop.onPoint = CComplexPt(300, 300);
        stop.walkDistance = 10 * i;
        stops.Add(stop);
    }
    route.lines.Add(lines);
    route.stops.Add(stops);
    route.totals.Add(5000);
    CVArray<tag_BusTransStop> oneStop;
    oneStop.Add(stops[0]);
    route.lines.Add(lines);
    route.stops.Add(oneStop);
    record.routes.Add(route);

    VIZPlanResult result;
    ASSERT_TRUE(getTransitRouteResult(result, &record));
    ASSERT_EQ(result.plans->size(), 2u);
    auto first = std::dynamic_pointer_cast<VIZTransitRoutePlan>((*result.plans)[0]);
    auto second = std::dynamic_pointer_cast<VIZTransitRoutePlan>((*result.plans)[1]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->distance, 5000);
    EXPECT_EQ(second->distance, 0) << "no total for the second scheme";
    ExpectAt(first->startPt, result.startNode->pt);
    EXPECT_EQ(first->lines->size(), 2u);
    EXPECT_EQ(first->routes->size(), 3u);
    EXPECT_EQ((*first->lines)[0]->pointsCount(), 2);
    EXPECT_EQ((*first->lines)[0]->getOnStopPoiInfo->name, NSString("on"));
    EXPECT_EQ((*first->lines)[0]->getOffStopPoiInfo->name, NSString("off"));
    EXPECT_EQ((*first->routes)[2]->distance, 20);
    EXPECT_EQ((*first->routes)[2]->type, 2);
    EXPECT_TRUE(second->lines->empty());
    EXPECT_EQ(second->routes->size(), 1u);
}

TEST_F(ResultConversionTest, RouteAddressCandidatesAndShapeStorage)
{
    tag_RPAddrRst record;
    record.head.routeKind = kRouteKindTransit;
    tag_RPAddrPoi candidate;
    Put(candidate.name, "N");
    record.startPois.Add(candidate);
    VIZRouteAddrResult result;
    EXPECT_EQ(getRouteAddrResult(result, &record), std::optional<int>(kRouteKindTransit));
    ASSERT_TRUE(result.startPoiList.has_value());
    EXPECT_EQ((*result.startPoiList)[0]->name, NSString("N"));
    EXPECT_FALSE(result.endPoiList.has_value());
    EXPECT_FALSE(result.startCityList.has_value());
    EXPECT_EQ(getRouteAddrResult(result, nullptr), std::nullopt);

    VIZLine line;
    EXPECT_EQ(line.points(), nullptr);
    line.setPointsCount(4);
    EXPECT_EQ(line.pointsCount(), 4) << "the count is the shape's own";
    line.setPointsCount(-1);
    EXPECT_EQ(line.points(), nullptr);
    VIZRoute route;
    route.setPointsCount(0);
    EXPECT_EQ(route.pointsCount(), 0);
    route.setPointsCount(1);
    route.setPoints({{1, 2}}, 1);  // outside: dropped, not kept
    EXPECT_EQ(route.getPointsNum(0), 0);
}
