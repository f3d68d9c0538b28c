// The SDK's offline interface in the program as the map manager starts it,
// against the map-service double on 127.0.0.1: a city the user chose
// downloads with its progress read through the interface; it goes on by
// itself after the process ended mid-download and after the service was
// down a while, fetching no stored tile again; a restart of the process
// objects keeps it and fetches nothing; a new release of the service's data
// is noticed at the next start; a made package dropped in Documents is
// imported on a scan and the first city is removed. The map view's
// controller makes the package manager; the engine's search manager fetches
// the task list; the SDK's dispatcher routes every message.
#include <algorithm>
#include <compare>
#include <set>

#include "engine/base/VMem.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/UpdateReqMan.h"
#include "engine/render/GridDataFile.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZOfflineMap.h"
#include "mapsdk/VIZOfflineParts.h"
#include "mapsdk/VIZSearch.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tests/mapsdk/MapViewFixture.h"
#include "tools/map-double/TilePack.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/offlinepack/OfflinePack.h"

using namespace mapengine;
using namespace mapengine::test;

namespace {

constexpr int kBeijing = 131;
constexpr int kSecondCity = 150;
constexpr int kGridTiles = 5461;  // levels 11..17 of a level-11 grid

class StateRecorder : public VIZOfflineMapDelegate {
public:
    void onGetOfflineMapState_withState(int kind, int state) override { states.emplace_back(kind, state); }
    bool heard(int kind, int state) const
    {
        return std::find(states.begin(), states.end(), std::pair(kind, state)) != states.end();
    }
    bool heardKind(int kind) const
    {
        return std::any_of(states.begin(), states.end(), [&](const auto& s) { return s.first == kind; });
    }
    std::vector<std::pair<int, int>> states;
};

class SearchRecorder : public VIZSearchDelegate {
public:
    void onGetPoiResult_searchType_errorCode(const VIZPoiResultList&, int type, int error) override
    {
        pois.emplace_back(type, error);
    }
    std::vector<std::pair<int, int>> pois;
};

// A map tile: level, column, row.
struct Tile {
    int level;
    long long x, y;
    auto operator<=>(const Tile&) const = default;
};

class OfflineMapTest : public MapViewFixture {
protected:
    void TearDown() override
    {
        search.reset();
        offline.reset();
        VIZNotifier::setOfflineDelegate(nullptr);
        MapViewFixture::TearDown();
    }

    std::string SdkFolder() const { return home + "/Library/Caches/VurivMapSdk/"; }
    std::string Documents() const { return home + "/Documents/"; }
    // The map view and the offline interface as an application makes them.
    // The tiles the map view asks for while it is first painted are its own.
    void Open()
    {
        const size_t before = Asked().size();
        ASSERT_NO_FATAL_FAILURE(ShowMap());
        for (const Tile& tile : CityTilesAsked(before)) mapViewTiles.insert(tile);
        offline = VIZOfflineMap::init();
        ASSERT_NE(offline, nullptr);
        offline->setDelegate(recorder);
    }
    // The process ends and starts again on the same folders.
    void Restart()
    {
        offline.reset();
        mapView.reset();
        manager.reset();
        ASSERT_NO_FATAL_FAILURE(Boot());
        ASSERT_NO_FATAL_FAILURE(Open());
    }
    // Runs the engine, the clock moving on by the update requests' tick
    // while the condition does not hold (the offline watchdog's ticks come
    // with it). The demo city is some eleven thousand tiles: a loaded
    // machine with the sanitizers needs minutes.
    bool AfterTicks(const std::function<bool()>& done, int rounds = 12)
    {
        for (int tick = 0; tick < rounds; ++tick) {
            if (driver.pumpUntil(done, 2)) return true;
            driver.advanceClock(CUpdateReqMan::kTickMs / 1000.0);
        }
        return done();
    }
    // The engine runs on for some ticks of the clock.
    void Idle(int ticks)
    {
        for (int tick = 0; tick < ticks; ++tick) {
            driver.pumpUntil([] { return false; }, 0.2);
            driver.advanceClock(CUpdateReqMan::kTickMs / 1000.0);
        }
    }
    // What the relay was asked, every request counted (repeats, cut ones).
    std::vector<std::string> Asked() const
    {
        auto asked = service->relay().keys();
        EXPECT_LT(asked.size(), mapdouble::MapDouble::kRecordLimit) << "the relay has forgotten requests";
        return asked;
    }
    // The city's tiles in the requests from the index on, less those the
    // map view asked for: the offline download's, repeats included.
    std::vector<Tile> CityTilesAsked(size_t from) const
    {
        std::vector<Tile> tiles;
        const auto asked = Asked();
        for (size_t i = from; i < asked.size(); ++i) {
            const auto query = mapdouble::Query::parse(asked[i]);
            const int level = std::atoi(query.get("l").c_str());
            if (!query.has("type") || !query.has("c") || level < 11 || level > 17) continue;
            for (const std::string& key : mapdouble::splitList(query.get("c"), ',')) {
                Tile tile{level, 0, 0};
                if (mapdouble::parseTileKey(key, tile.x, tile.y) && InCity(tile) && !mapViewTiles.count(tile)) {
                    tiles.push_back(tile);
                }
            }
        }
        return tiles;
    }
    static bool InCity(const Tile& tile)
    {
        for (const std::string& grid : mapdouble::splitList(mapdemo::BeijingPackage().gridNames, '|')) {
            long long x = 0;
            long long y = 0;
            mapdouble::parseTileKey(grid, x, y);
            if (tile.x >> (tile.level - 11) == x && tile.y >> (tile.level - 11) == y) return true;
        }
        return false;
    }
    // Those of the tiles the grid files hold now.
    std::set<Tile> Stored(const std::vector<Tile>& tiles)
    {
        std::set<Tile> stored;
        COfflineDataCache& files = control()->GetOfflineCache();
        for (const Tile& tile : tiles) {
            CVString key;
            key.Format(VStr(u"%d_%d"), static_cast<int>(tile.x), static_cast<int>(tile.y));
            unsigned char* data = nullptr;
            int size = 0;
            if (files.ReadTileData(11, key, tile.level, &data, &size)) {
                stored.insert(tile);
                VDelete(data);
            }
        }
        return stored;
    }
    // The tiles a grid's file holds.
    int TilesIn(const char16_t* grid)
    {
        int written = -1;
        control()->GetOfflineCache().CreateOfflineDat(11, W(grid), 11, 17, &written);
        return written;
    }
    // Beijing stored by an earlier run, in the state and at the versions
    // given.
    void StoreBeijing(int status, const char* versions)
    {
        std::filesystem::create_directories(SdkFolder());
        COLUpdateFile stored;
        stored.m_folder = CVString(SdkFolder().c_str());
        COLUpdateElement beijing = Element(kBeijing, u"北京市", status, {u"2530_942", u"2531_942"}, versions);
        beijing.ratio = status == kCityStatusFinished ? kCityRatioFinished : 0;
        stored.m_records.Add(Record(beijing, beijing));
        ASSERT_EQ(stored.Save(), 1);
    }
    // The city the user chose in an earlier run, queued before its task
    // list came.
    void ChooseBeijing() { StoreBeijing(kCityStatusQueued, "8,9,7"); }
    // A city the user has, at an older release than the service's: the
    // service's versions make the store ask for its task list, which offers
    // the update.
    void HaveOldBeijing() { StoreBeijing(kCityStatusFinished, "1,1,1"); }
    // Whether the double made an answer of the kind.
    bool Answered(const std::string& type) const
    {
        const auto log = service->log();
        return std::any_of(log.begin(), log.end(), [&](const auto& entry) { return entry.type == type; });
    }
    // A POI search near 天安门 through the application's search object.
    void SearchNearTiananmen()
    {
        search = VIZSearch::init();
        ASSERT_NE(search, nullptr);
        search->setDelegate(searches);
        _VDPoint lonLat;
        const mapdemo::Point at = mapdemo::PlaceNamed("天安门").at;
        MapUnitsToLonLat(&lonLat, _VDPoint{static_cast<double>(at.x), static_cast<double>(at.y)});
        ASSERT_TRUE(search->poiSearchNearBy("门", CLLocationCoordinate2DMake(lonLat.y, lonLat.x), 5000, 0));
    }
    int Ratio() const
    {
        auto city = offline->getUpdateInfo(kBeijing);
        return city ? city->ratio : -1;
    }
    std::vector<std::string> TaskListRequests() const
    {
        std::vector<std::string> asked;
        for (const mapdouble::LoggedRequest& entry : service->log()) {
            if (entry.type == "taskcity-list") asked.push_back(mapdouble::Query::parse(entry.url).get("c"));
        }
        return asked;
    }

    std::shared_ptr<StateRecorder> recorder = std::make_shared<StateRecorder>();
    std::shared_ptr<VIZOfflineMap> offline;
    std::shared_ptr<SearchRecorder> searches = std::make_shared<SearchRecorder>();
    std::shared_ptr<VIZSearch> search;
    std::set<Tile> mapViewTiles;
};

TEST_F(OfflineMapTest, DownloadRestartsOutageUpdateImportAndRemoval)
{
    ASSERT_NO_FATAL_FAILURE(ChooseBeijing());
    ASSERT_NO_FATAL_FAILURE(Open());
    std::vector<int> ratios;
    auto progress = [&](int until) {
        return [&, until] {
            const int ratio = Ratio();
            if (ratio >= 0 && (ratios.empty() || ratios.back() != ratio)) ratios.push_back(ratio);
            return ratio >= until;
        };
    };
    ASSERT_TRUE(AfterTicks(progress(25), 100));

    // The process ends mid-download: at the next start the city goes on by
    // itself from where it stood.
    size_t mark = Asked().size();
    std::set<Tile> stored = Stored(CityTilesAsked(0));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_GE(Ratio(), 25) << "the progress reads back";
    ASSERT_TRUE(AfterTicks(progress(50), 100));
    for (const Tile& tile : CityTilesAsked(mark)) {
        ASSERT_FALSE(stored.count(tile)) << "fetched again: " << tile.level << " " << tile.x << "_" << tile.y;
    }

    // Half-way the service goes down: nothing moves while it is away, and
    // back on its port it finishes the city.
    service->stop();
    Idle(3);  // a reply on its way at the stop is taken
    const int held = Ratio();
    Idle(4);
    EXPECT_EQ(Ratio(), held);
    EXPECT_LT(held, 100);
    mark = Asked().size();
    stored = Stored(CityTilesAsked(0));
    service->restart();
    ASSERT_TRUE(AfterTicks(progress(100), 100));
    for (const Tile& tile : CityTilesAsked(mark)) {
        ASSERT_FALSE(stored.count(tile)) << "fetched again: " << tile.level << " " << tile.x << "_" << tile.y;
    }
    EXPECT_GT(ratios.size(), 10u);
    EXPECT_TRUE(std::is_sorted(ratios.begin(), ratios.end()));
    EXPECT_EQ(ratios.back(), 100);
    EXPECT_FALSE(recorder->heardKind(kOLEventProgress));
    EXPECT_EQ(TilesIn(u"2530_942"), kGridTiles);
    EXPECT_EQ(TilesIn(u"2531_942"), kGridTiles);

    // The versions came on the update requests' tick, then the task list of
    // the held city through the engine's search manager, and the data sets.
    ASSERT_TRUE(AfterTicks([&] { return !TaskListRequests().empty(); }));
    EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
    ASSERT_TRUE(AfterTicks([&] { return Exists(SdkFolder() + "OfflineHotcity.dat"); }));
    EXPECT_EQ(ReadBytes(SdkFolder() + "OfflineVersion.dat"), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
    EXPECT_EQ(ReadBytes(SdkFolder() + "VerDatset.dat"),
              std::string("[\r\n{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.1\"},\r\n{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0.1\"}"
                          "\r\n]") + std::string(1, '\0'));
    EXPECT_NE(ReadBytes(SdkFolder() + "OfflineSearch.dat").find("131"), std::string::npos);
    EXPECT_NE(ReadBytes(SdkFolder() + "OfflineHotcity.dat").find("131"), std::string::npos);

    auto city = offline->getUpdateInfo(kBeijing);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->cityName, NSString("北京市"));
    EXPECT_EQ(city->ratio, 100);
    EXPECT_EQ(city->status, kCityStatusFinished);
    EXPECT_EQ(city->serversize, 0);
    EXPECT_TRUE(Exists(SdkFolder() + "data/253_94/2530_942.dat"));

    // A restart keeps the city and fetches none of its tiles again.
    mark = Asked().size();
    ASSERT_NO_FATAL_FAILURE(Restart());
    auto kept = offline->getAllUpdateInfo();
    ASSERT_TRUE(kept.has_value());
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_EQ((*kept)[0]->cityID, kBeijing);
    EXPECT_EQ((*kept)[0]->status, kCityStatusFinished);
    Idle(3);
    EXPECT_TRUE(CityTilesAsked(mark).empty());
    EXPECT_EQ(TaskListRequests().size(), 1u) << "the versions are those held";
    EXPECT_FALSE(recorder->heard(kOLEventNewerData, 0));

    // The service publishes newer data: the next start notices it.
    service->publishOfflineRelease();
    ASSERT_NO_FATAL_FAILURE(Restart());
    ASSERT_TRUE(AfterTicks([&] { return recorder->heard(kOLEventNewerData, 0); }));
    EXPECT_EQ(TaskListRequests(), (std::vector<std::string>{"131", "131"}));
    EXPECT_EQ(ReadBytes(SdkFolder() + "OfflineVersion.dat"), std::string("{\"d\":\"9\",\"m\":\"10\",\"c\":\"8\"}\0", 27));
    auto updated = offline->getUpdateInfo(kBeijing);
    ASSERT_NE(updated, nullptr);
    EXPECT_EQ(updated->serversize, mapdemo::BeijingPackage().size);
    EXPECT_EQ(updated->status, kCityStatusFinished);
    EXPECT_EQ(updated->ratio, 100);

    // A package dropped in Documents, sharing one grid, is found by a scan.
    offlinepack::City second;
    second.id = kSecondCity;
    second.name = "廊坊市";
    second.size = 4096;
    second.grids = {"2531_942", "2532_942"};
    std::filesystem::create_directories(Documents());
    ASSERT_TRUE(offlinepack::writeZip(Documents() + "langfang.vedu.zip", offlinepack::packageEntries(second)));
    ASSERT_TRUE(offline->scan());
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->heardKind(kOLEventImportEnded); }, 60));
    EXPECT_TRUE(recorder->heard(kOLEventImportPackage, 1));
    EXPECT_TRUE(recorder->heard(kOLEventCheckEnded, 1));
    EXPECT_TRUE(recorder->heard(kOLEventImportEnded, 0));
    EXPECT_FALSE(recorder->heardKind(kOLEventPackagesLeft));
    EXPECT_FALSE(Exists(Documents() + "langfang.vedu.zip"));
    auto imported = offline->getUpdateInfo(kSecondCity);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->cityName, NSString("廊坊市"));
    EXPECT_EQ(imported->status, kCityStatusFinished);
    EXPECT_EQ(TilesIn(u"2532_942"), kGridTiles);
    EXPECT_EQ(offline->getAllUpdateInfo()->size(), 2u);

    // Removing the first city deletes its own grid, not the shared one.
    ASSERT_TRUE(offline->remove(kBeijing));
    ASSERT_TRUE(driver.pumpUntil([&] { return !Exists(SdkFolder() + "data/253_94/2530_942.dat"); }, 10));
    EXPECT_TRUE(Exists(SdkFolder() + "data/253_94/2531_942.dat"));
    EXPECT_TRUE(Exists(SdkFolder() + "data/253_94/2532_942.dat"));
    EXPECT_EQ(offline->getUpdateInfo(kBeijing), nullptr);
}

// An application that makes its offline interface before its map view: the
// queued city starts once the map view's controller is there.
TEST_F(OfflineMapTest, AQueuedCityStartsWhenTheMapViewComesLater)
{
    ASSERT_NO_FATAL_FAILURE(ChooseBeijing());
    offline = VIZOfflineMap::init();
    ASSERT_NE(offline, nullptr);
    Idle(2);
    EXPECT_EQ(offline->getUpdateInfo(kBeijing)->status, kCityStatusQueued) << "no map view, no download";
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    ASSERT_TRUE(AfterTicks([&] { return Ratio() > 0; }));
    EXPECT_EQ(offline->getUpdateInfo(kBeijing)->status, kCityStatusDownloading);
}

// The relay answers every tile pack with a redirect to the same pack under
// another of the service's URLs.
class RedirectedTilesTest : public OfflineMapTest, public ::testing::WithParamInterface<int> {};

// The map is painted from the packs where the redirects point, and a city
// queued before the map view came goes on downloading through the same
// redirects while the map's requests run, the clock standing still (no
// watchdog tick frees it).
TEST_P(RedirectedTilesTest, TheMapShowsTheTilesAndAQueuedDownloadGoesOn)
{
    service->redirectTilePacks(GetParam());
    ASSERT_NO_FATAL_FAILURE(ChooseBeijing());
    offline = VIZOfflineMap::init();
    ASSERT_NE(offline, nullptr);
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    ASSERT_TRUE(driver.pumpUntil([&] { return Ratio() >= 2; }, 60));
    EXPECT_EQ(offline->getUpdateInfo(kBeijing)->status, kCityStatusDownloading);

    // Every pack asked at the relay was asked again where its redirect
    // pointed, the map's and the download's alike (the last may still be on
    // its way).
    std::set<std::string> asked;
    std::set<std::string> followed;
    std::string last;
    bool offlinePacks = false;
    for (const std::string& key : Asked()) {
        const auto query = mapdouble::Query::parse(key);
        if (!query.has("type") || !query.has("c")) continue;
        const std::string moved = "&moved=1";
        if (query.has("moved")) {
            followed.insert(key.substr(0, key.size() - moved.size()));
        } else {
            asked.insert(key);
            last = key;
            offlinePacks = offlinePacks || std::atoi(query.get("l").c_str()) == 11;
        }
    }
    EXPECT_TRUE(offlinePacks);
    asked.erase(last);
    for (const std::string& key : asked) EXPECT_TRUE(followed.count(key)) << key;
}

INSTANTIATE_TEST_SUITE_P(Statuses, RedirectedTilesTest, ::testing::Values(301, 302, 307));

// The user searches while the service's versions are on their way; they
// bring a new release, so the store asks for its task list while the
// search is still in flight. The search is answered, and the task list
// offers the city's update.
TEST_F(OfflineMapTest, ASearchInFlightWhenTheTaskListGoesOutIsAnswered)
{
    ASSERT_NO_FATAL_FAILURE(HaveOldBeijing());
    ASSERT_NO_FATAL_FAILURE(Open());
    service->holdAnswers("taskcity");
    ASSERT_TRUE(AfterTicks([&] { return Answered("taskcity"); }));
    service->holdAnswers("bd2");
    ASSERT_NO_FATAL_FAILURE(SearchNearTiananmen());
    ASSERT_TRUE(driver.pumpUntil([&] { return Answered("bd2"); }, 20));
    service->release("taskcity");
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->heard(kOLEventNewerData, 0); }, 20));
    EXPECT_TRUE(searches->pois.empty()) << "the search's answer is still held";
    service->release("bd2");
    ASSERT_TRUE(driver.pumpUntil([&] { return !searches->pois.empty(); }, 20));
    EXPECT_EQ(searches->pois, (std::vector<std::pair<int, int>>{{21, 0}}));
    EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
}

// The task list is on its way when the user searches: both are answered,
// and the city's update is offered.
TEST_F(OfflineMapTest, ATaskListInFlightWhenTheUserSearchesIsTaken)
{
    ASSERT_NO_FATAL_FAILURE(HaveOldBeijing());
    ASSERT_NO_FATAL_FAILURE(Open());
    service->holdAnswers("taskcity-list");
    ASSERT_TRUE(AfterTicks([&] { return !TaskListRequests().empty(); }));
    ASSERT_NO_FATAL_FAILURE(SearchNearTiananmen());
    ASSERT_TRUE(driver.pumpUntil([&] { return !searches->pois.empty(); }, 20));
    EXPECT_EQ(searches->pois, (std::vector<std::pair<int, int>>{{21, 0}}));
    service->release("taskcity-list");
    ASSERT_TRUE(driver.pumpUntil([&] { return recorder->heard(kOLEventNewerData, 0); }, 20));
    auto city = offline->getUpdateInfo(kBeijing);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->serversize, mapdemo::BeijingPackage().size);
    EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
}

TEST_F(OfflineMapTest, ScanNeedsTheMapView)
{
    offline = VIZOfflineMap::init();
    ASSERT_NE(offline, nullptr);
    EXPECT_FALSE(offline->scan()) << "no map view, no package manager";
}

TEST_F(OfflineMapTest, ReleasingTheMapSilencesOnlyItsOwnDelegate)
{
    auto general = std::make_shared<VIZGeneralDelegate>();
    VIZNotifier::setGeneralDelegate(general);
    ASSERT_NO_FATAL_FAILURE(Open());
    offline.reset();
    VIZNotifier::msgProc(kVIZMsgOfflineState, kOLEventImportEnded, 0);
    EXPECT_TRUE(recorder->states.empty());
    EXPECT_EQ(VIZNotifier::generalDelegate(), general);

    // A later map's delegate outlives the release of an earlier map.
    auto first = VIZOfflineMap::init();
    auto second = VIZOfflineMap::init();
    auto other = std::make_shared<StateRecorder>();
    first->setDelegate(recorder);
    second->setDelegate(other);
    first.reset();
    VIZNotifier::msgProc(kVIZMsgOfflineState, kOLEventCheckEnded, 2);
    EXPECT_TRUE(recorder->states.empty());
    EXPECT_TRUE(other->heard(kOLEventCheckEnded, 2));
    VIZNotifier::setGeneralDelegate(nullptr);
}

// A screen as the application has it: it owns its offline map and is its
// delegate, and goes away when released.
TEST_F(OfflineMapTest, AScreenOwningItsOfflineMapGoesAwayWithIt)
{
    struct Screen : StateRecorder {
        std::shared_ptr<VIZOfflineMap> offline;
    };
    auto screen = std::make_shared<Screen>();
    screen->offline = VIZOfflineMap::init();
    ASSERT_NE(screen->offline, nullptr);
    screen->offline->setDelegate(screen);
    EXPECT_EQ(screen->offline->delegate(), screen);
    std::weak_ptr<Screen> watch = screen;
    screen.reset();
    EXPECT_TRUE(watch.expired()) << "the map does not hold its screen";
    EXPECT_EQ(VIZNotifier::offlineDelegate(), nullptr);
    VIZNotifier::msgProc(kVIZMsgOfflineState, kOLEventCheckEnded, 2);
}

class OfflineMapUnbootedTest : public OfflineTest {
protected:
    void SetUp() override
    {
        OfflineTest::SetUp();
        env.m_sdkDataFolder = Folder();
    }
    void TearDown() override
    {
        GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
        OfflineTest::TearDown();
    }
    CEngineEnv env;
};

TEST_F(OfflineMapUnbootedTest, InitNeedsABootedEngine)
{
    EXPECT_EQ(VIZOfflineMap::init(), nullptr);
    CEngineEnv unset;
    GetGlobalMan()->SetSlot(kSlotEngineEnv, &unset);
    EXPECT_EQ(VIZOfflineMap::init(), nullptr);
    EXPECT_EQ(VIZOfflineParts::shared().records, nullptr);
}

TEST_F(OfflineMapUnbootedTest, WithoutAStoreNothingIsListedOrRemoved)
{
    auto detached = std::make_shared<VIZOfflineMap>();
    EXPECT_EQ(detached->getUpdateInfo(kBeijing), nullptr);
    EXPECT_FALSE(detached->getAllUpdateInfo().has_value());
    EXPECT_FALSE(detached->remove(kBeijing));
    EXPECT_FALSE(detached->scan());
}

TEST_F(OfflineMapUnbootedTest, ElementsFromRecords)

{
    _VDPoint centre;
    LonLatToMapUnits(&centre, _VDPoint{116.4, 39.9});
    struct Case {
        int localRatio, localFlag, serverFlag;
        int ratio, serversize;
    } cases[] = {
        {kCityRatioFinished, 0, 0, 100, 0},  // finished reads 100; no update, no server size
        {37, 0, 0, 37, 0},                   // a download under way keeps its percent
        {kCityRatioFinished, 1, 0, 100, 900},
        {kCityRatioFinished, 0, 1, 100, 900},
        {kCityRatioFinished, 2, 0, 100, 0},  // only the flag 1 means newer data
    };
    for (const Case& c : cases) {
        COLUpdateRecord record = Record(Element(kBeijing, u"北京市", 4, {u"2530_942"}),
                                        Element(kBeijing, u"北京市", 0, {u"2530_942"}));
        record.local.ratio = c.localRatio;
        record.local.updateFlag = c.localFlag;
        record.local.size = 800;
        record.local.x = static_cast<int>(centre.x);
        record.local.y = static_cast<int>(centre.y);
        record.server.updateFlag = c.serverFlag;
        record.server.size = 900;
        auto element = VIZOLUpdateElement::initWithRecord(record);
        SCOPED_TRACE(c.localRatio * 100 + c.localFlag * 10 + c.serverFlag);
        EXPECT_EQ(element->ratio, c.ratio);
        EXPECT_EQ(element->serversize, c.serversize);
        EXPECT_EQ(element->size, 800);
        EXPECT_EQ(element->status, 4);
        EXPECT_FALSE(element->update);
        EXPECT_EQ(element->cityName, NSString("北京市"));
        // Whole map units: within a few metres of the place.
        EXPECT_NEAR(element->pt.latitude, 39.9, 1e-4);
        EXPECT_NEAR(element->pt.longitude, 116.4, 1e-4);
    }
    COLUpdateRecord unnamed;
    EXPECT_EQ(VIZOLUpdateElement::initWithRecord(unnamed)->cityName.length(), 0u);
}
}  // namespace
