// The map's own requests next to the application's searches, with the engine
// as the map manager starts it and the map view on the map-service double:
// the city the map finds itself in after a long move is the city the next
// searches carry, and the map's POI background tiles neither replace a
// search in flight nor are replaced by one.
#include <algorithm>
#include <set>

#include "engine/data/SearchMan.h"
#include "engine/render/MapFacade.h"
#include "engine/render/OverlayLayers.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZSearch.h"
#include "tests/mapsdk/MapViewFixture.h"
#include "tools/mapdemo/DemoData.h"

using namespace mapengine;

namespace {

class PoiRecorder : public VIZSearchDelegate {
public:
    void onGetPoiResult_searchType_errorCode(const VIZPoiResultList&, int type, int error) override
    {
        pois.emplace_back(type, error);
    }
    void onGetAddrResult_errorCode(const std::shared_ptr<VIZAddrInfo>&, int error) override
    {
        addresses.push_back(error);
    }
    std::vector<std::pair<int, int>> pois;
    std::vector<int> addresses;
};

CLLocationCoordinate2D Coordinate(long long x, long long y)
{
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, _VDPoint{static_cast<double>(x), static_cast<double>(y)});
    return CLLocationCoordinate2DMake(lonLat.y, lonLat.x);
}

class MapRequestsTest : public MapViewFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MapViewFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(ShowMap());
        search = VIZSearch::init();
        ASSERT_NE(search, nullptr);
        search->setDelegate(recorder);
    }
    void TearDown() override
    {
        search.reset();
        MapViewFixture::TearDown();
    }

    // The values of a query field in the requests of a kind the double
    // received, oldest first (a repeated request too).
    std::vector<std::string> Asked(const std::string& kind, const std::string& field) const
    {
        std::vector<std::string> values;
        for (const std::string& key : service->relay().keys()) {
            const mapdouble::Query query = mapdouble::Query::parse(key);
            if (query.get("qt") == kind) values.push_back(query.get(field));
        }
        return values;
    }
    // The tiles ("x_y") of each background request.
    std::vector<std::set<std::string>> BackgroundRequests() const
    {
        std::vector<std::set<std::string>> out;
        for (const std::string& list : Asked("bkg_data_ex", "xy")) {
            std::set<std::string> keys;
            for (size_t at = 0; at <= list.size();) {
                const size_t end = std::min(list.find(',', at), list.size());
                keys.insert(list.substr(at, end - at));
                at = end + 1;
            }
            out.push_back(keys);
        }
        return out;
    }
    bool Moved(long long x, long long y)
    {
        mapView->setCenterCoordinate(Coordinate(x, y));
        return PumpUntilPainted();
    }
    CBKGLayer* Background() const { return control()->GetPoiBkgLayer(); }
    void ShowBackground(const char* keyword)
    {
        Background()->GetReq()->SetKeyword(CVString(keyword));
        ASSERT_EQ(MapShowLayer(control(), 8, 1), 1);
    }
    // The layer lists every tile of the view and the service's answer holds
    // them all.
    bool AllBackgroundTilesShown() const
    {
        CPoiBkgTileArray tiles = Background()->GetTiles();
        CPoiBkgTileArray missing;
        if (tiles.GetSize() == 0) return false;
        GetEngineRoot()->m_pSearchMan->GetPoiBkgData(Background()->GetReq()->GetKeyword(), tiles, missing);
        return missing.GetSize() == 0;
    }
    std::set<std::string> ViewKeys() const
    {
        std::set<std::string> keys;
        const CPoiBkgTileArray& tiles = Background()->GetTiles();
        for (int i = 0; i < tiles.GetSize(); ++i) {
            keys.insert(std::to_string(tiles[i].x) + "_" + std::to_string(tiles[i].y));
        }
        return keys;
    }
    // Delays the next answer the double makes, so its request is in flight
    // while the test goes on.
    void DelayNextAnswer()
    {
        mapdouble::Fault delay{mapdouble::Fault::Kind::Delay};
        delay.millis = 400;
        service->pushFault(delay);
    }

    std::shared_ptr<PoiRecorder> recorder = std::make_shared<PoiRecorder>();
    std::shared_ptr<VIZSearch> search;
};

}  // namespace

// Before the map knows its city, a search in a city without a name and a
// geocoding without a city go by no city (-1). Once the map has asked for
// the city of its view after a long move and Beijing came back, those
// searches carry its id (131).
TEST_F(MapRequestsTest, SearchesCarryTheCityTheMapFoundItselfInAfterALongMove)
{
    CSearchMan* man = GetEngineRoot()->m_pSearchMan;
    ASSERT_NE(man, nullptr);
    ASSERT_TRUE(search->poiSearchInCity(NSString(), "门", 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->pois.size() == 1; }, 20));
    ASSERT_TRUE(search->geocode("天安门", NSString()));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->addresses.size() == 1; }, 20));
    EXPECT_EQ(Asked("con", "c"), std::vector<std::string>{"-1"});
    EXPECT_EQ(Asked("gc", "c"), std::vector<std::string>{"-1"});

    // The first move only marks where the map stands; the next one, more
    // than 15000 map units away, asks for the 1000 x 1000 square around the
    // new centre.
    const mapdemo::Point beijing = mapdemo::Beijing().centre;
    ASSERT_TRUE(Moved(beijing.x + 20000, beijing.y));
    ASSERT_TRUE(Moved(beijing.x, beijing.y));
    tag_CityResult city;
    ASSERT_TRUE(driver.pumpUntil([&] { return man->GetCurrentCity(city) == 1; }, 20));
    EXPECT_EQ(city.code, 131);
    const _VPoint centre = state().ptCenter;
    EXPECT_EQ(Asked("cen", "b"), std::vector<std::string>{std::to_string(centre.x - 500) + "," +
                                                          std::to_string(centre.y - 500) + ";" +
                                                          std::to_string(centre.x + 500) + "," +
                                                          std::to_string(centre.y + 500)});

    ASSERT_TRUE(search->poiSearchInCity(NSString(), "门", 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->pois.size() == 2; }, 20));
    EXPECT_EQ(recorder->pois.back(), std::make_pair(11, 0));
    ASSERT_TRUE(search->geocode("天安门", NSString()));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->addresses.size() == 2; }, 20));
    EXPECT_EQ(Asked("con", "c"), (std::vector<std::string>{"-1", "131"}));
    EXPECT_EQ(Asked("gc", "c"), (std::vector<std::string>{"-1", "131"}));
    // A named city still goes by its name.
    ASSERT_TRUE(search->poiSearchInCity("上海", "门", 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->pois.size() == 3; }, 20));
    EXPECT_EQ(Asked("con", "c").back(), "上海");
}

// A user's search in flight while the map asks for its background tiles,
// and background tiles in flight while the user searches: each is answered.
TEST_F(MapRequestsTest, BackgroundTilesAndAUserSearchInFlightAreBothAnswered)
{
    const mapdemo::Point tiananmen = mapdemo::PlaceNamed("天安门").at;
    DelayNextAnswer();
    ASSERT_TRUE(search->poiSearchNearBy("门", Coordinate(tiananmen.x, tiananmen.y), 5000, 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return Asked("bd2", "wd").size() == 1; }, 20));
    ASSERT_NO_FATAL_FAILURE(ShowBackground("bank"));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->pois.size() == 1 && AllBackgroundTilesShown(); }, 20));
    EXPECT_EQ(recorder->pois[0], std::make_pair(21, 0));

    DelayNextAnswer();
    ASSERT_NO_FATAL_FAILURE(ShowBackground("atm"));
    ASSERT_TRUE(driver.pumpUntil([&] { return BackgroundRequests().size() == 2; }, 20));
    ASSERT_TRUE(search->poiSearchNearBy("门", Coordinate(tiananmen.x, tiananmen.y), 5001, 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->pois.size() == 2 && AllBackgroundTilesShown(); }, 20));
    EXPECT_EQ(recorder->pois[1], std::make_pair(21, 0));
    EXPECT_EQ(BackgroundRequests().size(), 2u) << "each keyword asked once";
}

// A background request a newer one replaced while on its way: its tiles
// that left the view are asked again when they come back.
TEST_F(MapRequestsTest, TilesOfAReplacedBackgroundRequestAreAskedAgainLater)
{
    const _VPoint home = state().ptCenter;
    DelayNextAnswer();
    ASSERT_NO_FATAL_FAILURE(ShowBackground("bank"));
    ASSERT_TRUE(driver.pumpUntil([&] { return BackgroundRequests().size() == 1; }, 20));
    const std::set<std::string> first = ViewKeys();
    const long long away = 8LL * 256 * state().nScale;
    ASSERT_TRUE(Moved(home.x + away, home.y));
    ASSERT_TRUE(driver.pumpUntil([&] { return AllBackgroundTilesShown(); }, 20));
    // The replaced answer may still come; it is not taken.
    driver.pumpUntil([] { return false; }, 0.6);
    ASSERT_TRUE(Moved(home.x, home.y));
    ASSERT_EQ(ViewKeys(), first);
    ASSERT_TRUE(driver.pumpUntil([&] { return AllBackgroundTilesShown(); }, 20));
    const std::vector<std::set<std::string>> asked = BackgroundRequests();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], first);
    EXPECT_EQ(asked[2], first);
}
