// The SDK's offline interface against the map-service double on 127.0.0.1:
// the managers it makes fetch the versions and the task list, the demo city
// downloads with its progress read through the interface, a restart keeps
// it, a made package is imported on a scan and the first city is removed;
// the delegate hears what the engine reports. The loop routes engine
// messages as the engine's router and the SDK's dispatcher do.
#include <algorithm>
#include <future>

#include "engine/render/Projection.h"
#include "mapsdk/VIZOfflineMap.h"
#include "mapsdk/VIZOfflineParts.h"
#include "tests/engine/data/OfflineServiceFixture.h"
#include "tools/mapdemo/DemoData.h"

using namespace mapengine;
using namespace mapengine::test;

namespace {

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

class OfflineMapTest : public OfflineServiceFixture {
protected:
    void SetUp() override
    {
        OfflineServiceFixture::SetUp();
        env.m_sdkDataFolder = Folder();
        GetGlobalMan()->SetSlot(kSlotEngineEnv, &env);
    }
    void TearDown() override
    {
        Stop();
        VIZNotifier::setOfflineDelegate(nullptr);
        GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
        OfflineServiceFixture::TearDown();
    }

    // The interface made as an application makes it, with the map view's
    // package manager and the search manager's city list beside it.
    void Start()
    {
        offline = VIZOfflineMap::init();
        ASSERT_NE(offline, nullptr);
        offline->setDelegate(recorder);
        VIZOfflineParts& parts = VIZOfflineParts::shared();
        packages = MakePackageMan(parts.records.get());
        parts.setPackageMan(packages.get());
        fetcher = std::make_unique<CityListFetcher>(*parts.records);
        parts.records->SetCityListRequest(CityListFetcher::Request, fetcher.get());
    }
    // The process ends: the managers go with the engine.
    void Stop()
    {
        offline.reset();
        VIZOfflineParts::shared().setPackageMan(nullptr);
        packages.reset();
        fetcher.reset();
        VIZOfflineParts::shared().reset();
    }

    COLPackageMan* Packages() override { return packages.get(); }
    CUpdateReqMan* Updates() override { return VIZOfflineParts::shared().updates.get(); }
    void OnOfflineState(const tagEngineMsg& msg) override
    {
        VIZNotifier::msgProc(kVIZMsgOfflineState, msg.wParam, msg.lParam);
        if (msg.wParam == kOLEventProgress) {
            if (auto city = offline->getUpdateInfo(msg.lParam)) ratios.push_back(city->ratio);
        }
    }

    CEngineEnv env;
    std::shared_ptr<StateRecorder> recorder = std::make_shared<StateRecorder>();
    std::shared_ptr<VIZOfflineMap> offline;
    std::unique_ptr<COLPackageMan> packages;
    std::vector<int> ratios;
};

TEST_F(OfflineMapTest, DownloadRestartImportAndRemoval)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_FALSE(offline->getAllUpdateInfo().has_value());
    // The versions and "VerDatset.dat", queued by the interface's making.
    ASSERT_TRUE(Pump([&] { return Updates()->GetQueueSize() == 0; }));
    EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
    EXPECT_NE(ReadBytes(Path("VerDatset.dat")).find("OfflineSearch.dat"), std::string::npos);

    // The demo city's task list is asked for and merged: it downloads.
    CVArray<int, int> ids;
    ids.Add(kBeijing);
    ASSERT_EQ(CityListFetcher::Request(fetcher.get(), ids), 1);
    ASSERT_TRUE(Pump([&] {
        auto city = offline->getUpdateInfo(kBeijing);
        return city && city->status == kCityStatusFinished;
    }));
    ASSERT_TRUE(Pump([&] { return PriorityRingEmpty(); }));
    ASSERT_GT(ratios.size(), 50u);
    EXPECT_TRUE(std::is_sorted(ratios.begin(), ratios.end()));
    EXPECT_EQ(ratios.back(), 100);
    EXPECT_FALSE(recorder->heardKind(kOLEventProgress));

    auto city = offline->getUpdateInfo(kBeijing);
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(city->cityName, NSString("北京市"));
    EXPECT_EQ(city->cityID, kBeijing);
    EXPECT_EQ(city->ratio, 100);
    EXPECT_EQ(city->status, 4);
    EXPECT_EQ(city->size, mapdemo::BeijingPackage().size);
    EXPECT_EQ(city->serversize, 0);
    // Latitude first: the centre of Beijing, not its mirror.
    EXPECT_NEAR(city->pt.latitude, 39.9, 0.1);
    EXPECT_NEAR(city->pt.longitude, 116.4, 0.1);
    EXPECT_EQ(TilesIn(u"2530_942"), 5461);

    // A restart keeps the city.
    Stop();
    ASSERT_NO_FATAL_FAILURE(Start());
    auto kept = offline->getAllUpdateInfo();
    ASSERT_TRUE(kept.has_value());
    ASSERT_EQ(kept->size(), 1u);
    EXPECT_EQ((*kept)[0]->cityID, kBeijing);
    EXPECT_EQ((*kept)[0]->ratio, 100);
    EXPECT_EQ((*kept)[0]->status, 4);
    ASSERT_TRUE(Pump([&] { return Updates()->GetQueueSize() == 0; }));

    // A second city from a package that shares one grid; the import is held
    // at its start, so a second scan finds it running.
    ASSERT_TRUE(WriteSecondCityPackage());
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    packages->SetDiskFreeProbe([released](double* freeBytes) {
        released.wait_for(std::chrono::seconds(10));
        *freeBytes = 1e12;
        return 1;
    });
    ASSERT_TRUE(offline->scan());
    ASSERT_TRUE(Pump([&] { return packages->IsImporting() != 0; }, 10));
    EXPECT_FALSE(offline->scan());
    release.set_value();
    ASSERT_TRUE(Pump([&] { return recorder->heardKind(kOLEventImportEnded) && !packages->IsImporting(); }));
    packages->JoinImport();
    ASSERT_TRUE(Pump([&] { return PriorityRingEmpty(); }, 10));
    EXPECT_TRUE(recorder->heard(kOLEventImportPackage, 1));
    EXPECT_TRUE(recorder->heard(kOLEventCheckEnded, 1));
    EXPECT_TRUE(recorder->heard(kOLEventImportEnded, 0));
    EXPECT_FALSE(recorder->heardKind(kOLEventPackagesLeft));
    auto both = offline->getAllUpdateInfo();
    ASSERT_TRUE(both.has_value());
    ASSERT_EQ(both->size(), 2u);
    auto imported = offline->getUpdateInfo(kSecondCity);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->cityName, NSString("廊坊市"));
    EXPECT_EQ(imported->status, 4);
    EXPECT_EQ(imported->ratio, 100);

    // Removing the first city deletes its own grid, not the shared one.
    ASSERT_TRUE(offline->remove(kBeijing));
    ASSERT_TRUE(Pump([&] { return !Exists(Path("data/253_94/2530_942.dat")); }, 10));
    EXPECT_TRUE(Exists(Path("data/253_94/2531_942.dat")));
    EXPECT_TRUE(Exists(Path("data/253_94/2532_942.dat")));
    EXPECT_EQ(offline->getUpdateInfo(kBeijing), nullptr);
    EXPECT_FALSE(offline->remove(kBeijing));
    auto left = offline->getAllUpdateInfo();
    ASSERT_TRUE(left.has_value());
    ASSERT_EQ(left->size(), 1u);
    EXPECT_EQ((*left)[0]->cityID, kSecondCity);
}

TEST_F(OfflineMapTest, InitNeedsABootedEngine)
{
    GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
    EXPECT_EQ(VIZOfflineMap::init(), nullptr);
    CEngineEnv unset;
    GetGlobalMan()->SetSlot(kSlotEngineEnv, &unset);
    EXPECT_EQ(VIZOfflineMap::init(), nullptr);
    EXPECT_EQ(VIZOfflineParts::shared().records, nullptr);
}

TEST_F(OfflineMapTest, WithoutAStoreNothingIsListedOrRemoved)
{
    auto detached = std::make_shared<VIZOfflineMap>();
    EXPECT_EQ(detached->getUpdateInfo(kBeijing), nullptr);
    EXPECT_FALSE(detached->getAllUpdateInfo().has_value());
    EXPECT_FALSE(detached->remove(kBeijing));
    EXPECT_FALSE(detached->scan());
}

TEST_F(OfflineMapTest, ScanNeedsThePackageManager)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    VIZOfflineParts::shared().setPackageMan(nullptr);
    const auto queued = net.msgs->GetRing(1)->writeIndex;
    EXPECT_FALSE(offline->scan());
    EXPECT_EQ(net.msgs->GetRing(1)->writeIndex, queued);
}

TEST_F(OfflineMapTest, ElementsFromRecords)
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

TEST_F(OfflineMapTest, ReleasingTheMapSilencesOnlyItsOwnDelegate)
{
    auto general = std::make_shared<VIZGeneralDelegate>();
    VIZNotifier::setGeneralDelegate(general);
    ASSERT_NO_FATAL_FAILURE(Start());
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

}  // namespace
