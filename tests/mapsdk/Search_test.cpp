// The SDK's search against the map-service double on 127.0.0.1: requests
// start only for arguments the engine can take, results reach the search
// delegate as result objects on the main thread, and a screen that owns its
// search and is its delegate goes away with it. The engine's messages go
// through the SDK's own interface handler.
#include <cmath>
#include <cstring>
#include <tuple>
#include <limits>

#include "engine/model/RouteRecords.h"
#include "engine/data/SearchMan.h"
#include "engine/model/Projection.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/VIZNotifier.h"
#include "mapsdk/VIZOfflineParts.h"
#include "mapsdk/VIZSearch.h"
#include "tests/engine/data/EngineRootFixture.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

using namespace mapengine;
using namespace mapengine::test;

namespace {

class Recorder : public VIZSearchDelegate {
public:
    void onGetAddrResult_errorCode(const std::shared_ptr<VIZAddrInfo>& result, int error) override
    {
        addresses.emplace_back(result, error);
        offMain = offMain || !NSThread::isMainThread();
    }
    void onGetPoiResult_searchType_errorCode(const VIZPoiResultList& list, int type, int error) override
    {
        poiPages = list;
        poiType = type;
        poiError = error;
        ++poiCalls;
        offMain = offMain || !NSThread::isMainThread();
    }
    void onGetDrivingRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& plan, int error) override
    {
        routes.emplace_back("driving", plan, error);
    }
    void onGetTransitRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& plan, int error) override
    {
        routes.emplace_back("transit", plan, error);
    }
    void onGetWalkingRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& plan, int error) override
    {
        routes.emplace_back("walking", plan, error);
    }
    void onGetSuggestionResult_errorCode(const std::shared_ptr<VIZSuggestionResult>& result, int error) override
    {
        suggestions.emplace_back(result, error);
    }
    std::vector<std::pair<std::shared_ptr<VIZAddrInfo>, int>> addresses;
    std::vector<std::tuple<std::string, std::shared_ptr<VIZPlanResult>, int>> routes;
    std::vector<std::pair<std::shared_ptr<VIZSuggestionResult>, int>> suggestions;
    VIZPoiResultList poiPages;
    int poiType = -1, poiError = -1, poiCalls = 0;
    bool offMain = false;
};

// A screen as the application has it: it owns its search and is its delegate.
class Screen : public NSObject, public VIZSearchDelegate {
public:
    std::shared_ptr<VIZSearch> search;
};

CLLocationCoordinate2D At(const mapdemo::Point& point)
{
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, _VDPoint{static_cast<double>(point.x), static_cast<double>(point.y)});
    return CLLocationCoordinate2DMake(lonLat.y, lonLat.x);
}

NSString Units(size_t count) { return NSString(std::string(count, 'a').c_str()); }

class SearchTest : public EngineRootTest {
protected:
    void SetUp() override
    {
        EngineRootTest::SetUp();
        ASSERT_EQ(EngineStart(root, VIZOnEngineUIMessage), 1);
        search = VIZSearch::init();
        ASSERT_NE(search, nullptr);
        search->setDelegate(recorder);
    }
    void TearDown() override
    {
        search.reset();
        EXPECT_EQ(VIZNotifier::searchDelegate(), nullptr);
        VIZOfflineParts::shared().reset();
        if (CSearchMan* man = root->m_pSearchMan) {
            root->m_pSearchMan = nullptr;
            VDelete(man);
        }
        EXPECT_FALSE(recorder->offMain) << "a result reached the delegate off the main thread";
        EngineRootTest::TearDown();
    }

    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::shared_ptr<VIZSearch> search;
};

}  // namespace

TEST_F(SearchTest, AReverseGeocodeGivesTheAddressToTheDelegate)
{
    const CLLocationCoordinate2D tiananmen = At(mapdemo::PlaceNamed("天安门").at);
    ASSERT_TRUE(search->reverseGeocode(tiananmen));
    ASSERT_TRUE(Pump([&] { return recorder->addresses.size() == 1; }));
    auto [info, error] = recorder->addresses[0];
    EXPECT_EQ(error, 0);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->strAddr, NSString("北京市东城区东长安街"));
    EXPECT_EQ(info->addressComponent->district, NSString("东城区"));
    EXPECT_NEAR(info->geoPt.latitude, tiananmen.latitude, 1e-4);
    EXPECT_NEAR(info->geoPt.longitude, tiananmen.longitude, 1e-4);
    ASSERT_TRUE(info->poiList.has_value());
    EXPECT_EQ((*info->poiList)[0]->city, NSString("北京市"));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(search->reverseGeocode(CLLocationCoordinate2DMake(nan, 116.4)));
    EXPECT_FALSE(search->reverseGeocode(CLLocationCoordinate2DMake(39.9, INFINITY)));
}

// The places the demo phone reports from, and the parent's own place: each
// has its street address, the same for every point of it, and the answer
// carries the point asked for.
TEST_F(SearchTest, PointsInCentralBeijingGetTheirNeighbourhoodsAddress)
{
    struct Case {
        double latitude, longitude;
        const char* address;
        const char* district;
    };
    const Case cases[] = {
        {39.928934, 116.416812, "北京市东城区东四北大街", "东城区"},
        {39.928901, 116.416790, "北京市东城区东四北大街", "东城区"},
        {39.936112, 116.410201, "北京市东城区地坛公园", "东城区"},
        {39.937440, 116.406955, "北京市东城区府学胡同", "东城区"},
        {39.939015, 116.403127, "北京市东城区安定门内大街", "东城区"},
        {39.939212, 116.403310, "北京市东城区安定门内大街", "东城区"},
        {39.933760, 116.410530, "北京市东城区北新桥", "东城区"},
        {39.908700, 116.397500, "北京市东城区天安门广场", "东城区"},
        {39.913300, 116.374300, "北京市西城区西单北大街", "西城区"},
    };
    for (const Case& c : cases) {
        const size_t before = recorder->addresses.size();
        const CLLocationCoordinate2D at = CLLocationCoordinate2DMake(c.latitude, c.longitude);
        ASSERT_TRUE(search->reverseGeocode(at));
        ASSERT_TRUE(Pump([&] { return recorder->addresses.size() == before + 1; })) << c.address;
        const auto& [info, error] = recorder->addresses.back();
        ASSERT_EQ(error, 0) << c.address;
        EXPECT_EQ(info->strAddr, NSString(c.address));
        EXPECT_EQ(info->addressComponent->district, NSString(c.district));
        EXPECT_NEAR(info->geoPt.latitude, c.latitude, 1e-4);
        EXPECT_NEAR(info->geoPt.longitude, c.longitude, 1e-4);
    }
}

TEST_F(SearchTest, APoiSearchGivesItsPageOfPlaces)
{
    const CLLocationCoordinate2D tiananmen = At(mapdemo::PlaceNamed("天安门").at);
    ASSERT_TRUE(search->poiSearchNearBy("门", tiananmen, 5000, 0));
    ASSERT_TRUE(Pump([&] { return recorder->poiCalls == 1; }));
    EXPECT_EQ(recorder->poiError, 0);
    EXPECT_EQ(recorder->poiType, 21);
    ASSERT_TRUE(recorder->poiPages.has_value());
    const VIZPoiResult& page = *(*recorder->poiPages)[0];
    ASSERT_TRUE(page.poiInfoList.has_value());
    EXPECT_EQ(page.currPoiNum, static_cast<int>(page.poiInfoList->size()));
    EXPECT_EQ(page.pageIndex, 0);
    EXPECT_EQ((*page.poiInfoList)[0]->name, NSString("天安门"));
    EXPECT_EQ((*page.poiInfoList)[0]->address, NSString("北京市东城区东长安街"));
    EXPECT_NEAR((*page.poiInfoList)[0]->pt.latitude, tiananmen.latitude, 1e-4);

    // A refused request reaches the delegate as an undecodable reply, with
    // no result.
    service->pushFault(mapdouble::Fault{mapdouble::Fault::Kind::Refused});
    ASSERT_TRUE(search->poiSearchInCity("北京", "故宫", 0));
    ASSERT_TRUE(Pump([&] { return recorder->poiCalls == 2; }));
    EXPECT_EQ(recorder->poiError, 101);
    EXPECT_EQ(recorder->poiType, 0);
    EXPECT_FALSE(recorder->poiPages.has_value());
}

// Each search message the engine posts becomes one call of the search
// delegate, made from the record the engine's search manager keeps: an
// error passes through without a result, a record that gives nothing is 100
// and one missing 310, and ambiguous route ends give their candidates
// whatever error came with them.
TEST_F(SearchTest, EachSearchMessageIsOneDelegateCallFromTheKeptRecord)
{
    CSearchMan* man = root->m_pSearchMan;
    ASSERT_NE(man, nullptr);
    struct Poi {
        int wParam, lParam;
        int type, error;
    };
    tag_MultiPoiRst nothingFound;
    nothingFound.poiLists.SetSize(2);
    nothingFound.totals.Add(0);
    nothingFound.totals.Add(0);
    for (const auto& [stored, poi] : {std::pair<tag_MultiPoiRst*, Poi>{nullptr, {2, 21, 0, 2}},
                                      {nullptr, {0, 45, 45, 310}},
                                      {&nothingFound, {0, 45, 45, 100}}}) {
        man->SetResult(stored, 45);
        const int calls = recorder->poiCalls;
        VIZNotifier::msgProc(kVIZMsgPoiResult, poi.wParam, poi.lParam);
        ASSERT_EQ(recorder->poiCalls, calls + 1) << poi.error;
        EXPECT_EQ(recorder->poiType, poi.type) << poi.error;
        EXPECT_EQ(recorder->poiError, poi.error);
        EXPECT_FALSE(recorder->poiPages.has_value()) << poi.error;
    }

    // An address without its text: none for a reverse geocoding, the point
    // for a geocoding.
    tag_PoiResult placeWithoutAddress;
    placeWithoutAddress.x = 12958160;
    placeWithoutAddress.y = 4825907;
    man->SetResult(&placeWithoutAddress, 44);
    VIZNotifier::msgProc(kVIZMsgAddrResult, 0, 44);
    tag_GeoCodeRst pointWithoutAddress;
    man->SetResult(&pointWithoutAddress, 35);
    VIZNotifier::msgProc(kVIZMsgGeocodeResult, 0, 35);
    VIZNotifier::msgProc(kVIZMsgAddrResult, 2, 44);
    ASSERT_EQ(recorder->addresses.size(), 3u);
    EXPECT_EQ(recorder->addresses[0].first, nullptr);
    EXPECT_EQ(recorder->addresses[0].second, 100);
    ASSERT_NE(recorder->addresses[1].first, nullptr);
    EXPECT_TRUE(recorder->addresses[1].first->strAddr.isNil());
    EXPECT_EQ(recorder->addresses[1].second, 0);
    EXPECT_EQ(recorder->addresses[2], (std::pair<std::shared_ptr<VIZAddrInfo>, int>{nullptr, 2}));

    // Ambiguous route ends (the engine's error 2 notwithstanding): a driving
    // search gets both candidate lists; a transit search with only the
    // start's list gets nothing.
    tag_RPAddrPoi candidate;
    std::strncpy(candidate.name, "A", sizeof candidate.name - 1);
    tag_RPAddrRst bothEnds;
    bothEnds.head.routeKind = kRouteKindDriving;
    bothEnds.startPois.Add(candidate);
    bothEnds.endPois.Add(candidate);
    man->SetResult(&bothEnds, 23);
    VIZNotifier::msgProc(kVIZMsgRouteAddrResult, 2, 23);
    tag_RPAddrRst startOnly;
    startOnly.head.routeKind = kRouteKindTransit;
    startOnly.startPois.Add(candidate);
    man->SetResult(&startOnly, 23);
    VIZNotifier::msgProc(kVIZMsgRouteAddrResult, 0, 23);
    ASSERT_EQ(recorder->routes.size(), 2u);
    const auto& [drivingKind, driving, drivingError] = recorder->routes[0];
    EXPECT_EQ(drivingKind, "driving");
    EXPECT_EQ(drivingError, 4);
    ASSERT_NE(driving, nullptr);
    ASSERT_NE(driving->routeAddrResult, nullptr);
    ASSERT_TRUE(driving->routeAddrResult->endPoiList.has_value());
    EXPECT_EQ((*driving->routeAddrResult->endPoiList)[0]->name, NSString("A"));
    EXPECT_EQ(recorder->routes[1], (std::tuple<std::string, std::shared_ptr<VIZPlanResult>, int>{"transit", nullptr, 100}));

    // Suggestions: the keys, or nothing found, or the error.
    tag_SuggestionResult words;
    words.matched.Add(W(u"天安门"));
    words.part0.Add(W(u"北京"));
    man->SetResult(&words, 506);
    VIZNotifier::msgProc(kVIZMsgSuggestionResult, 0, 506);
    tag_SuggestionResult noWords;
    man->SetResult(&noWords, 506);
    VIZNotifier::msgProc(kVIZMsgSuggestionResult, 0, 506);
    VIZNotifier::msgProc(kVIZMsgSuggestionResult, 2, 506);
    ASSERT_EQ(recorder->suggestions.size(), 3u);
    ASSERT_NE(recorder->suggestions[0].first, nullptr);
    EXPECT_EQ(recorder->suggestions[0].first->keyList, (std::vector<NSString>{"天安门"}));
    EXPECT_EQ(recorder->suggestions[0].second, 0);
    EXPECT_EQ(recorder->suggestions[1], (std::pair<std::shared_ptr<VIZSuggestionResult>, int>{nullptr, 100}));
    EXPECT_EQ(recorder->suggestions[2], (std::pair<std::shared_ptr<VIZSuggestionResult>, int>{nullptr, 2}));

    for (int type : {23, 35, 44, 45, 506}) man->SetResult(nullptr, type);
}

// The same text with its first "from" made "to".
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// A transit stop of the service's form: its name, and the walk to it.
std::string TransitStop(const std::string& name, int walk)
{
    return "{\"getOn\":{\"name\":\"" + name + "\"},\"getOff\":{\"name\":\"" + name +
           "\"},\"walk\":{\"distance\":" + std::to_string(walk) + "}}";
}

// A route result reads as the reply reads: a driving or walking reply that
// counts no route finds nothing, and each transit plan shows the distance of
// its own scheme, a scheme that cannot be built (a stop too few) being no plan.
TEST_F(SearchTest, RouteResultsSayWhatTheReplySays)
{
    auto node = [](const mapdemo::Point& at) {
        auto made = std::make_shared<VIZPlanNode>();
        made->pt = At(at);
        return made;
    };
    const auto from = node(mapdemo::PlaceNamed("天安门").at);
    const auto to = node(mapdemo::PlaceNamed("王府井").at);
    const std::string badScheme = "[{\"name\":\"1路\",\"distance\":500}]";
    const std::string goodScheme = "[{\"name\":\"52路\",\"distance\":3000}]";
    auto transit = [&](const std::string& lines, const std::string& stops) {
        return "{\"result\":{\"type\":14,\"error\":0,\"total\":1,\"sy\":3},\"content\":[{\"lines\":[" + lines +
               "],\"stops\":[" + stops + "]}]}";
    };
    struct Case {
        const char* what;
        std::string reply;
        std::function<bool()> ask;
        const char* kind;
        std::vector<int> distances;  // of the plans; none: nothing found
    };
    const std::vector<Case> cases = {
        {"driving, no route", Replaced(mapdemo::DriveRouteReply(), "\"total\":1", "\"total\":0"),
         [&] { return search->drivingSearch("北京", from, "北京", to); }, "driving", {}},
        {"walking, no route", Replaced(mapdemo::WalkRouteReply(), "\"total\":1", "\"total\":0"),
         [&] { return search->walkingSearch("北京", from, "北京", to); }, "walking", {}},
        {"transit, the first scheme a stop short",
         transit(badScheme + "," + goodScheme, "[" + TransitStop("A", 80) + "],[" + TransitStop("B", 100) + "," +
                                                   TransitStop("C", 200) + "]"),
         [&] { return search->transitSearch("北京", from, to); }, "transit", {100 + 3000 + 200}},
        {"transit, no scheme to build", transit(badScheme, "[" + TransitStop("A", 80) + "]"),
         [&] { return search->transitSearch("北京", to, from); }, "transit", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mapdouble::Fault fault{mapdouble::Fault::Kind::ReplaceBody};
        fault.text = c.reply;
        service->pushFault(fault);
        const size_t before = recorder->routes.size();
        ASSERT_TRUE(c.ask());
        ASSERT_TRUE(Pump([&] { return recorder->routes.size() == before + 1; }));
        const auto& [kind, plan, error] = recorder->routes.back();
        EXPECT_EQ(kind, c.kind);
        if (c.distances.empty()) {
            EXPECT_EQ(plan, nullptr);
            EXPECT_EQ(error, 100);
            continue;
        }
        ASSERT_NE(plan, nullptr);
        EXPECT_EQ(error, 0);
        ASSERT_TRUE(plan->plans.has_value());
        std::vector<int> distances;
        for (const auto& made : *plan->plans) {
            distances.push_back(std::static_pointer_cast<VIZTransitRoutePlan>(made)->distance);
        }
        EXPECT_EQ(distances, c.distances);
    }
}

TEST_F(SearchTest, ArgumentsTheEngineCannotTakeAskForNothing)
{
    const CLLocationCoordinate2D centre = At(mapdemo::Beijing().centre);
    auto node = [](double latitude, double longitude, const NSString& name) {
        auto made = std::make_shared<VIZPlanNode>();
        made->pt = CLLocationCoordinate2DMake(latitude, longitude);
        made->name = name;
        return made;
    };
    const auto byName = node(0, 116, "天安门");
    const auto byPoint = node(39.9, 116.4, NSString());
    const auto neither = node(0, 116, NSString());
    struct Case {
        const char* what;
        std::function<bool()> ask;
        bool started;
    };
    const std::vector<Case> cases = {
        {"suggestion of 99 units", [&] { return search->suggestionSearch(Units(99)); }, true},
        {"suggestion of 100 units", [&] { return search->suggestionSearch(Units(100)); }, false},
        {"empty suggestion", [&] { return search->suggestionSearch(""); }, false},
        {"geocode with a 17-unit city", [&] { return search->geocode("前门", Units(17)); }, true},
        {"geocode of nil", [&] { return search->geocode(NSString(), "北京"); }, false},
        {"POI in a city of 17 units", [&] { return search->poiSearchInCity(Units(17), "门", 0); }, false},
        {"POI on page -1", [&] { return search->poiSearchInCity("北京", "门", -1); }, false},
        {"POI within radius 0", [&] { return search->poiSearchNearBy("门", centre, 0, 0); }, false},
        {"one keyword", [&] { return search->poiMultiSearchNearBy({"门"}, centre, 1000, 0); }, false},
        {"eleven keywords",
         [&] { return search->poiMultiSearchNearBy(std::vector<NSString>(11, "门"), centre, 1000, 0); }, false},
        {"a keyword holding $$", [&] { return search->poiMultiSearchNearBy({"门", "a$$b"}, centre, 1000, 0); },
         false},
        {"joined keywords of 100 units",
         [&] { return search->poiMultiSearchInbounds({Units(49), Units(49)}, centre, centre, 0); }, false},
        {"two keywords", [&] { return search->poiMultiSearchInbounds({"门", "站"}, centre, centre, 0); }, true},
        {"walking by name without a city", [&] { return search->walkingSearch(NSString(), byName, "北京", byPoint); },
         false},
        {"walking by name with a city", [&] { return search->walkingSearch("北京市", byName, "北京", byPoint); },
         true},
        {"driving with an end of neither", [&] { return search->drivingSearch("北京", byPoint, "北京", neither); },
         false},
        {"transit by name alone", [&] { return search->transitSearch("北京", byName, byPoint); }, true},
        {"transit in a city of 17 units", [&] { return search->transitSearch(Units(17), byName, byPoint); }, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ask(), c.started) << c.what;

    VIZSearch::setPageCapacity(0);
    VIZSearch::setPageCapacity(51);
    EXPECT_EQ(VIZSearch::getPageCapacity(), 10);
    VIZSearch::setPageCapacity(50);
    EXPECT_EQ(VIZSearch::getPageCapacity(), 50);
    EXPECT_NE(VIZSearch::init(), nullptr);
    EXPECT_EQ(VIZSearch::getPageCapacity(), 10) << "a new search object resets it";
    for (int policy : {2, 7}) search->setTransitPolicy(policy);
    for (int policy : {-1, 3}) search->setDrivingPolicy(policy);
    EXPECT_EQ(search->transitPolicy(), 3);
    EXPECT_EQ(search->drivingPolicy(), 0);
    search->setTransitPolicy(6);
    EXPECT_EQ(search->transitPolicy(), 6);
}

TEST_F(SearchTest, AScreenOwningItsSearchGoesAwayWithIt)
{
    auto screen = std::make_shared<Screen>();
    screen->search = VIZSearch::init();
    screen->search->setDelegate(std::static_pointer_cast<VIZSearchDelegate>(screen));
    std::weak_ptr<Screen> watch = screen;
    EXPECT_EQ(screen.use_count(), 1) << "the search does not hold its screen";
    ASSERT_TRUE(screen->search->reverseGeocode(At(mapdemo::PlaceNamed("前门").at)));
    screen.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(VIZNotifier::searchDelegate(), nullptr);
    ASSERT_TRUE(Pump([&] { return root->m_pSearchMan->GetResult(44) != nullptr; }));
    EXPECT_TRUE(recorder->addresses.empty()) << "the result reached no one";

    // A search released late leaves the newer search's delegate in place.
    auto newer = std::make_shared<Recorder>();
    auto late = VIZSearch::init();
    late->setDelegate(std::make_shared<Recorder>());
    search->setDelegate(newer);
    late.reset();
    EXPECT_EQ(VIZNotifier::searchDelegate(), newer);
    search->setDelegate(recorder);
}
