// Searches end to end: the search manager, its HTTP clients, the relay and
// the map-service double on 127.0.0.1. The test thread plays the engine's
// message loop: it hands the network events to the manager and reads the
// announced results off the priority ring.
#include "engine/data/SearchMan.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "engine/base/VMsgMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapFacade.h"
#include "engine/render/MapView.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/map-double/MapDouble.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

using mapdouble::Fault;

struct Announced {
  int type;
  int error;
  bool operator==(const Announced&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Announced& a) {
  return out << "(" << a.type << ", " << a.error << ")";
}

bool IsNetworkEvent(int message) {
  return message == kMsgHttpComplete || (message >= kMsgHttpConnectFailed && message <= kMsgHttpBadReply) ||
         message == kMsgHttpAskAgain;
}

class SearchManTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(net.Start());
    service = std::make_unique<mapdouble::MapDouble>();
    net.SeedRelay(service->port());
    // Made once the code pages are loaded: its service addresses are texts.
    urls = std::make_unique<CUrlTranslater>();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, urls.get());
    search = std::make_unique<CSearchMan>();
    ASSERT_EQ(search->Init(nullptr), 1);
  }
  void TearDown() override {
    search.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    EngineTest::TearDown();
  }

  // One turn of the engine's loop: a network event goes to the manager; an
  // announcement is returned.
  std::optional<Announced> Turn() {
    tagEngineMsg msg;
    if (net.msgs->PopMessage(net.msgs->GetRing(2), msg)) {
      if (msg.message == kMsgSearchResult) {
        return Announced{msg.wParam, msg.lParam};
      }
      EXPECT_EQ(msg.message, kMsgDownloadProgress) << "only search results and their progress";
    } else if (net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
      if (IsNetworkEvent(msg.message)) {
        search->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
  }

  // The next announcement, within a bounded wait.
  Announced Next() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (std::optional<Announced> a = Turn()) {
        return *a;
      }
    }
    ADD_FAILURE() << "no search result announced";
    return {-1, -1};
  }

  // An announcement already queued (an answer given at once).
  std::optional<Announced> Queued() {
    tagEngineMsg msg;
    while (net.msgs->PopMessage(net.msgs->GetRing(2), msg)) {
      if (msg.message == kMsgSearchResult) {
        return Announced{msg.wParam, msg.lParam};
      }
    }
    return std::nullopt;
  }

  tag_PoiResult& PoiList() { return *static_cast<tag_PoiResult*>(search->GetResult(21)); }

  // The query of the last search of a kind the double answered.
  mapdouble::Query LastQuery(const std::string& qt) {
    std::optional<mapdouble::Query> last;
    for (const mapdouble::LoggedRequest& request : service->log()) {
      if (request.type == qt) {
        last = mapdouble::Query::parse(request.url);
      }
    }
    EXPECT_TRUE(last) << "no " << qt << " request";
    return last.value_or(mapdouble::Query{});
  }

  int PoiSearch(const char16_t* keyword, int page, int pageSize) {
    return search->PoiSearch(W(keyword), {12955000, 4823000}, {12963000, 4828000}, page, pageSize);
  }

  static tag_RPNode At(const char* name) {
    const mapdemo::Place& place = mapdemo::PlaceNamed(name);
    tag_RPNode node;
    node.type = 1;
    node.x = place.at.x;
    node.y = place.at.y;
    return node;
  }

  EngineNetwork net;
  std::unique_ptr<mapdouble::MapDouble> service;
  std::unique_ptr<CUrlTranslater> urls;
  std::unique_ptr<CSearchMan> search;
};

TEST_F(SearchManTest, ReverseGeocodingNearTiananmenThenAgainFromTheHolder) {
  const mapdemo::Point at = mapdemo::PlaceNamed("天安门").at;
  ASSERT_EQ(search->ReverseGeocode(at.x, at.y), 1);
  EXPECT_EQ(Next(), (Announced{44, 0}));
  auto* result = static_cast<tag_PoiResult*>(search->GetResult(44));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(G(result->address), u"北京市东城区东长安街");
  EXPECT_EQ(G(result->street), u"东长安街");
  ASSERT_GE(result->pois.GetSize(), 2);
  EXPECT_EQ(G(result->pois[0].name), u"人民大会堂");

  ASSERT_EQ(search->ReverseGeocode(at.x, at.y), 1);
  EXPECT_EQ(Queued(), (Announced{44, 0})) << "answered before the call returned";
  EXPECT_EQ(mapdouble::searchRequests(*service, "rgc"), 1);
}

TEST_F(SearchManTest, PoiSearchPagesAndARepeatIsAnsweredFromTheCache) {
  ASSERT_EQ(PoiSearch(u"门", 0, 2), 1);
  EXPECT_EQ(Next(), (Announced{21, 0}));
  EXPECT_EQ(PoiList().total, 3);
  ASSERT_EQ(PoiList().poiCount, 2);
  EXPECT_EQ(G(PoiList().pois[0].name), u"天安门");
  EXPECT_EQ(G(PoiList().keyword), u"门");
  EXPECT_EQ(PoiList().city.code, 0) << "no current city known yet";
  ASSERT_EQ(PoiList().centrePois.GetSize(), 1);
  EXPECT_EQ(G(PoiList().centrePois[0].name), u"地图上点选的点");

  ASSERT_EQ(PoiSearch(u"门", 1, 2), 1);
  EXPECT_EQ(Next(), (Announced{21, 0}));
  EXPECT_EQ(PoiList().pageNumber, 1);
  ASSERT_EQ(PoiList().poiCount, 1);
  EXPECT_EQ(G(PoiList().pois[0].name), u"天安门东");

  ASSERT_EQ(PoiSearch(u"门", 0, 2), 1);
  EXPECT_EQ(Queued(), (Announced{21, 0})) << "answered before the call returned";
  EXPECT_EQ(PoiList().pageNumber, 0);
  EXPECT_EQ(mapdouble::searchRequests(*service, "bd2"), 2);
}

TEST_F(SearchManTest, AnEmptyPoiListIsAnnouncedAsEmptyAndKeepsThePreviousList) {
  ASSERT_EQ(PoiSearch(u"门", 0, 10), 1);
  EXPECT_EQ(Next(), (Announced{21, 0}));
  ASSERT_EQ(PoiSearch(u"没有这个地方", 0, 10), 1);
  EXPECT_EQ(Next(), (Announced{21, 11}));
  EXPECT_EQ(PoiList().poiCount, 3) << "the previous list stays";
  ASSERT_EQ(PoiSearch(u"没有这个地方", 0, 10), 1);
  EXPECT_EQ(Queued(), (Announced{21, 11})) << "from the cache, still empty";
}

TEST_F(SearchManTest, PoiSearchInCityPagesAndARepeatIsAnsweredFromTheCache) {
  ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 131, 0, 2), 1);
  EXPECT_EQ(Next(), (Announced{11, 0}));
  tag_PoiResult& list = *static_cast<tag_PoiResult*>(search->GetResult(11));
  EXPECT_EQ(list.total, 3);
  ASSERT_EQ(list.poiCount, 2);
  EXPECT_EQ(G(list.pois[0].name), u"天安门");
  EXPECT_EQ(G(list.keyword), u"门");
  EXPECT_EQ(list.city.code, 131) << "the city asked for fills a reply without one";
  EXPECT_EQ(list.centrePois.GetSize(), 0) << "no point picked on the map";
  EXPECT_EQ(LastQuery("con").get("c"), "131");
  EXPECT_EQ(LastQuery("con").get("b"), "(0,0;0,0)") << "no map view";

  ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 131, 1, 2), 1);
  EXPECT_EQ(Next(), (Announced{11, 0}));
  EXPECT_EQ(list.pageNumber, 1);
  ASSERT_EQ(list.poiCount, 1);
  EXPECT_EQ(G(list.pois[0].name), u"天安门东");

  ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 131, 0, 2), 1);
  EXPECT_EQ(Queued(), (Announced{11, 0})) << "answered before the call returned";
  EXPECT_EQ(list.pageNumber, 0);
  EXPECT_EQ(mapdouble::searchRequests(*service, "con"), 2);

  EXPECT_EQ(search->PoiSearchInCity(W(u"门"), 131, 0, -1), 0) << "no URL for a negative page size";
  EXPECT_FALSE(Queued());
  EXPECT_EQ(mapdouble::searchRequests(*service, "con"), 2);
}

TEST_F(SearchManTest, PoiSearchInCitySendsTheCityNameAndWhatTheMapShows) {
  tagMapViewState saved = GetMapViewState();
  alignas(CMapControl) unsigned char place[sizeof(CMapControl)];
  CMapControl* control = MapCreateControl(place);
  urls->SetMapControl(control);
  GetMapViewState().nLevel = 12;
  GetMapViewState().rcVisible = {12955000, 4828000, 12963000, 4823000};

  CVString city = W(u"北京市");
  ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 0, 0, 10, &city), 1);
  EXPECT_EQ(Next(), (Announced{11, 0}));
  mapdouble::Query query = LastQuery("con");
  EXPECT_EQ(query.get("c"), "北京市");
  EXPECT_EQ(query.get("l"), "12");
  EXPECT_EQ(query.get("b"), "(12955000,4823000;12963000,4828000)");
  EXPECT_EQ(query.get("wd"), "门");
  EXPECT_EQ(static_cast<tag_PoiResult*>(search->GetResult(11))->poiCount, 3);

  urls->SetMapControl(nullptr);
  MapDestroyControl(control);
  GetMapViewState() = saved;
}

TEST_F(SearchManTest, PoiSearchInCityFailuresAndAnEmptyList) {
  ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 131, 0, 10), 1);
  EXPECT_EQ(Next(), (Announced{11, 0}));
  tag_PoiResult& list = *static_cast<tag_PoiResult*>(search->GetResult(11));

  struct Case {
    Fault fault;
    Announced announced;
  } cases[] = {
      {{Fault::Kind::NotJson}, {11, 3}},
      {{Fault::Kind::Refused}, {11, 101}},
      {{Fault::Kind::Stall, 0, 3000}, {11, 2}},
  };
  search->Service().SearchClient().SetTimeout(500);
  int pageSize = 10;
  for (const Case& c : cases) {
    service->pushFault(c.fault);
    ASSERT_EQ(search->PoiSearchInCity(W(u"门"), 131, 0, ++pageSize), 1);
    EXPECT_EQ(Next(), c.announced) << static_cast<int>(c.fault.kind);
    EXPECT_EQ(list.poiCount, 3) << "the last good list stays";
  }

  // Nothing found, but the service's suggestions make the page worth keeping.
  ASSERT_EQ(search->PoiSearchInCity(W(u"没有这个地方"), 131, 0, 10), 1);
  EXPECT_EQ(Next(), (Announced{11, 11}));
  EXPECT_EQ(list.poiCount, 0);
  EXPECT_EQ(list.psrs.count, 2);
  ASSERT_EQ(search->PoiSearchInCity(W(u"没有这个地方"), 131, 0, 10), 1);
  EXPECT_EQ(Queued(), (Announced{11, 11})) << "from the cache, still empty";
}

TEST_F(SearchManTest, DrivingRouteAndTransitPlanArriveAsRecords) {
  ASSERT_EQ(search->DrivingSearch(131, 131, 131, At("天安门"), At("王府井"), 0), 1);
  EXPECT_EQ(Next(), (Announced{20, 0}));
  auto* car = static_cast<tag_CarRouteRst*>(search->GetResult(20));
  ASSERT_NE(car, nullptr);
  EXPECT_GT(car->route.keyPoints.GetSize(), 1);
  EXPECT_EQ(G(car->start.name), u"天安门");
  EXPECT_EQ(car->city.code, 131) << "the request's city fills a reply without one";

  ASSERT_EQ(search->TransitSearch(At("天安门"), At("北京站"), 0, 131), 1);
  EXPECT_EQ(Next(), (Announced{14, 0}));
  auto* bus = static_cast<tag_BusRouteRst*>(search->GetResult(14));
  ASSERT_NE(bus, nullptr);
  ASSERT_EQ(bus->routes.GetSize(), 1);
  EXPECT_EQ(bus->routes[0].lines.GetSize(), 2);

  ASSERT_EQ(search->DrivingSearch(131, 131, 131, At("天安门"), At("王府井"), 0), 1);
  EXPECT_EQ(Queued(), (Announced{20, 0}));
  EXPECT_EQ(mapdouble::searchRequests(*service, "nav"), 1);
}

TEST_F(SearchManTest, ReleasedResultsLeaveNoSlotPointingAtThem) {
  ASSERT_EQ(search->DrivingSearch(131, 131, 131, At("天安门"), At("王府井"), 0), 1);
  EXPECT_EQ(Next(), (Announced{20, 0}));
  ASSERT_NE(search->GetResult(20), nullptr);
  ASSERT_EQ(search->ReleaseResults(), 1);
  EXPECT_EQ(search->GetResult(20), nullptr);
}

TEST_F(SearchManTest, EveryScriptedFailureEndsInItsErrorValue) {
  struct Case {
    Fault fault;
    Announced announced;
  } cases[] = {
      // The HTTP client itself refuses a reply without a body.
      {{Fault::Kind::EmptyBody}, {21, 101}},
      {{Fault::Kind::NotJson}, {21, 3}},
      {{Fault::Kind::TruncatedBody}, {21, 3}},
      {{Fault::Kind::OversizedBody}, {21, 101}},
      {{Fault::Kind::Refused}, {21, 101}},
      {{Fault::Kind::Delay, 0, 200}, {21, 0}},
      {{Fault::Kind::Stall, 0, 3000}, {21, 2}},
  };
  search->Service().SearchClient().SetTimeout(500);
  int pageSize = 1;
  for (const Case& c : cases) {
    service->pushFault(c.fault);
    // A page size of its own: the relay keeps every answer under its URL.
    ASSERT_EQ(PoiSearch(u"门", 0, ++pageSize), 1);
    EXPECT_EQ(Next(), c.announced) << static_cast<int>(c.fault.kind);
  }
}

TEST_F(SearchManTest, RepliesAreAnnouncedUnderTheTypeTheyCarry) {
  struct Case {
    std::string body;
    Announced announced;
  } cases[] = {
      {R"({"result":{"type":33}})", {21, 11}},
      {R"({"result":{"type":505}})", {21, 11}},
      {mapdemo::PoiPointReply("天安门"), {26, 0}},
      {R"({"result":{"type":14,"error":6}})", {14, 13}},
      {R"({"result":{"type":14,"error":1}})", {14, 14}},
      {R"({"result":{"type":20,"error":4}})", {20, 14}},
      {R"({"result":{"type":31,"error":9}})", {31, 11}},
      {mapdemo::StateReply(), {21, 3}},  // no type: read as the POI list asked for
  };
  int pageSize = 1;
  for (const Case& c : cases) {
    Fault fault{Fault::Kind::ReplaceBody};
    fault.text = c.body;
    service->pushFault(fault);
    ASSERT_EQ(PoiSearch(u"门", 0, ++pageSize), 1);
    EXPECT_EQ(Next(), c.announced) << c.body;
  }
}

TEST_F(SearchManTest, AnAmbiguousTransitEndPointIsAnnouncedAsUnsupportedTransit) {
  Fault fault{Fault::Kind::ReplaceBody};
  fault.text = mapdemo::RouteAddrReply();  // its flag word is set
  service->pushFault(fault);
  ASSERT_EQ(search->TransitSearch(At("天安门"), At("北京站"), 0, 131), 1);
  EXPECT_EQ(Next(), (Announced{14, 13}));
  auto* addr = static_cast<tag_RPAddrRst*>(search->GetResult(23));
  ASSERT_NE(addr, nullptr) << "filed under its own type";
  EXPECT_EQ(addr->head.routeKind, kRouteKindTransit);
  EXPECT_EQ(search->GetResult(14), nullptr) << "end-point candidates are no transit record";
}

TEST_F(SearchManTest, ARepeatWhileTheFirstIsInFlightGetsTheFirstAnswer) {
  service->pushFault({Fault::Kind::Delay, 0, 300});
  ASSERT_EQ(PoiSearch(u"门", 0, 10), 1);
  EXPECT_EQ(PoiSearch(u"门", 0, 10), 0) << "the client is busy with the same URL";
  EXPECT_EQ(Next(), (Announced{21, 0}));
  EXPECT_EQ(PoiList().poiCount, 3);
  EXPECT_EQ(mapdouble::searchRequests(*service, "bd2"), 1);
}

TEST_F(SearchManTest, SuggestionsAndGeocoding) {
  ASSERT_EQ(search->SuggestionSearch(W(u"天安"), 0, 131), 1);
  EXPECT_EQ(Next(), (Announced{506, 0}));
  auto* suggestions = static_cast<tag_SuggestionResult*>(search->GetResult(506));
  ASSERT_NE(suggestions, nullptr);
  ASSERT_GE(suggestions->part2.GetSize(), 2);
  ASSERT_EQ(search->SuggestionSearch(W(u"天安"), 0, 131), 1);
  EXPECT_EQ(Queued(), (Announced{506, 0}));
  EXPECT_EQ(mapdouble::searchRequests(*service, "su"), 1);

  CVString city = W(u"北京市");
  ASSERT_EQ(search->Geocode(W(u"故宫博物院"), -1, &city), 1);
  EXPECT_EQ(Next(), (Announced{35, 0}));
  auto* geocode = static_cast<tag_GeoCodeRst*>(search->GetResult(35));
  ASSERT_NE(geocode, nullptr);
  EXPECT_EQ(geocode->x, mapdemo::PlaceNamed("故宫博物院").at.x);
  ASSERT_EQ(search->Geocode(W(u"没有这个地方"), -1, &city), 1);
  EXPECT_EQ(Next(), (Announced{35, 11}));
}

TEST_F(SearchManTest, TheCityOfTheViewIsKeptWithoutAnAnnouncement) {
  tag_CityResult city;
  EXPECT_EQ(search->GetCurrentCity(city), 0);
  ASSERT_EQ(search->RequestCurrentCity({12955000, 4823000}, {12963000, 4828000}, 12), 1);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!search->GetCurrentCity(city) && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(Turn()) << "the city of the view is never announced";
  }
  EXPECT_EQ(city.code, 131);
  EXPECT_EQ(G(city.name), u"北京市");

  // A POI search now takes the current city as its own.
  ASSERT_EQ(PoiSearch(u"门", 0, 10), 1);
  EXPECT_EQ(Next(), (Announced{21, 0}));
  EXPECT_EQ(PoiList().city.code, 131);
}

// The map asks for the city of its view on a client of its own and leaves
// the user's search alone: a search in flight when the map asks still has
// its failure announced under its own type, and a refused city request
// announces nothing.
TEST_F(SearchManTest, TheCityOfTheViewLeavesTheSearchInFlightAlone) {
  search->Service().SearchClient().SetTimeout(500);
  service->pushFault(Fault{Fault::Kind::Stall, 0, 3000});
  ASSERT_EQ(PoiSearch(u"门", 0, 10), 1);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (mapdouble::searchRequests(*service, "bd2") == 0 && std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(Turn());
  }
  ASSERT_EQ(search->RequestCurrentCity({12955000, 4823000}, {12963000, 4828000}, 12), 1);
  EXPECT_EQ(Next(), (Announced{21, 2}));

  service->pushFault(Fault{Fault::Kind::Refused});
  ASSERT_EQ(search->RequestCurrentCity({12955001, 4823000}, {12963001, 4828000}, 12), 1);
  deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((mapdouble::searchRequests(*service, "cen") < 2 || search->Service().CityClient().IsBusy()) &&
         std::chrono::steady_clock::now() < deadline) {
    ASSERT_FALSE(Turn()) << "the city of the view is never announced";
  }
  for (int i = 0; i < 20; ++i) {
    ASSERT_FALSE(Turn()) << "the city of the view is never announced";
  }
}

}  // namespace
}  // namespace mapengine::test
