// The map manager's bootstrap, start and teardown, and the engine messages
// it lets through to the main thread: queued before the start, posted on the
// main thread, mapped to the notifier's calls; the engine's timers on the
// process's clock and its network on the real one; the activity indicator
// and the map image across a resize of the engine window.
#include <cairo.h>

#include "engine/base/VString.h"
#include "engine/base/VFile.h"
#include "engine/data/SearchMan.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/ScreenMetrics.h"
#include "mapsdk/VIZNotifier.h"
#include "mapsdk/VIZOfflineMap.h"
#include "mapsdk/VIZOfflineParts.h"
#include "mapsdk/VIZSearch.h"
#include "tests/mapsdk/MapViewFixture.h"

using namespace mapengine;

namespace {

class Heard : public VIZGeneralDelegate, public VIZOfflineMapDelegate {
public:
    void onGetNetworkState(int error) override { network.push_back(error); }
    void onGetOfflineMapState_withState(int kind, int state) override { offline.emplace_back(kind, state); }
    std::vector<int> network;
    std::vector<std::pair<int, int>> offline;
};

using MapManagerTest = MapViewFixture;

TEST_F(MapManagerTest, BootsOnceIntoCachesAndTearsTheEngineDown)
{
    CEngineRoot* root = GetEngineRoot();
    const std::string caches = home + "/Library/Caches/VurivMapSdk/";
    EXPECT_TRUE(std::filesystem::is_directory(caches));
    const CVString& folder = root->m_env.m_sdkDataFolder;
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(folder.GetBuffer()), folder.GetLength()),
              std::u16string(caches.begin(), caches.end()));
    EXPECT_EQ(ScreenWidthPixels, 320);
    EXPECT_EQ(ScreenHeightPixels, 480);
    EXPECT_EQ(ScreenDensity[0], 163);
    EXPECT_EQ(ScreenDensity[1], 163);

    // A second manager shares the engine; releasing either takes it down.
    auto second = VIZMapManager::init();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetEngineRoot(), root);
    EXPECT_TRUE(second->start("", nullptr));
    EXPECT_EQ(VIZNotifier::generalDelegate(), nullptr);
    second.reset();
    EXPECT_EQ(GetGlobalMan(), nullptr);
    EXPECT_FALSE(manager->start("", nullptr));
    EXPECT_FALSE(manager->stop());
    EXPECT_EQ(VIZMapView::initWithFrame(CGRectMake(0, 0, 320, 416)), nullptr);
    EXPECT_EQ(VIZMapView::init(), nullptr);

    // A later manager boots again, and a map view can be made.
    manager.reset();
    manager = VIZMapManager::init();
    ASSERT_NE(manager, nullptr);
    ASSERT_NE(GetEngineRoot(), nullptr);
    EXPECT_TRUE(manager->start("", nullptr));
    EXPECT_NE(VIZMapView::initWithFrame(CGRectMake(0, 0, 320, 416)), nullptr);
}

TEST_F(MapManagerTest, MessagesReachTheNotifierOnTheMainThreadAfterTheStart)
{
    auto heard = std::make_shared<Heard>();
    ASSERT_TRUE(manager->stop());
    manager.reset();
    manager = VIZMapManager::init();
    ASSERT_NE(manager, nullptr);
    VIZNotifier::setOfflineDelegate(heard);
    CVMsgMan& messages = GetEngineRoot()->m_msgMan;

    // Queued before the start: kept, then delivered once it is started.
    ASSERT_EQ(messages.PostMessage(2, kMsgOfflineProgress, 3, 7), 1);
    driver.pumpUntil([] { return false; }, 0.05);
    EXPECT_TRUE(heard->offline.empty());
    ASSERT_TRUE(manager->start("", heard));
    ASSERT_TRUE(driver.pumpUntil([&] { return !heard->offline.empty(); }));
    EXPECT_EQ(heard->offline.front(), std::make_pair(3, 7));

    // Posted on the main thread: handled from the run loop, not inside the
    // post. A network failure reaches the general delegate.
    ASSERT_EQ(messages.PostMessage(2, kMsgSearchResult, -1, 2), 1);
    EXPECT_TRUE(heard->network.empty());
    ASSERT_TRUE(driver.pumpUntil([&] { return !heard->network.empty(); }));
    EXPECT_EQ(heard->network, std::vector<int>{2});
    VIZNotifier::setOfflineDelegate(nullptr);
}

// Searches and the offline interface made beside a map view share the
// root's managers: the root's router answers the update manager, and the
// teardown frees each manager once, the map before what it reads, while the
// application still holds its objects.
TEST_F(MapManagerTest, TheSearchAndOfflineManagersLiveInTheRootUntilTheTeardown)
{
    mapdouble::addOfflineService(*service);
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    auto search = VIZSearch::init();
    auto offline = VIZOfflineMap::init();
    ASSERT_NE(search, nullptr);
    ASSERT_NE(offline, nullptr);
    CEngineRoot* root = GetEngineRoot();
    CSearchMan* shared = root->m_pSearchMan;
    ASSERT_NE(shared, nullptr);
    EXPECT_NE(VIZSearch::init(), nullptr);
    EXPECT_EQ(root->m_pSearchMan, shared) << "one search manager for the process";

    VIZOfflineParts& parts = VIZOfflineParts::shared();
    ASSERT_EQ(root->m_pUpdateReqMan, parts.updates.get());
    EXPECT_EQ(root->m_pVerDatsetMan, parts.versions.get());
    // The task list and "VerDatset.dat" are answered through the root.
    EXPECT_TRUE(driver.pumpUntil(
        [&] {
            parts.updates->SendNextTask();
            return parts.updates->GetQueueSize() == 0;
        },
        20));

    mapView.reset();
    manager.reset();
    EXPECT_EQ(GetGlobalMan(), nullptr);
    EXPECT_EQ(parts.updates, nullptr);
    EXPECT_FALSE(search->reverseGeocode(CLLocationCoordinate2DMake(39.9, 116.4))) << "inert without an engine";
}

// The engine reads the process's one clock: its ticks stand still with the
// test's virtual clock and move exactly as far as the clock is advanced, and
// its timers (here the update requests' 5-second tick) fire only then.
TEST_F(MapManagerTest, TheEngineRunsOnTheProcesssClock)
{
    mapdouble::addOfflineService(*service);
    auto offline = VIZOfflineMap::init();
    ASSERT_NE(offline, nullptr);
    CUpdateReqMan* updates = VIZOfflineParts::shared().updates.get();
    const int queued = updates->GetQueueSize();
    ASSERT_EQ(queued, 2);
    const unsigned before = GetTickCount();
    driver.pumpUntil([] { return false; }, 0.3);
    EXPECT_EQ(GetTickCount(), before);
    EXPECT_EQ(updates->GetQueueSize(), queued);
    driver.advanceClock(5.0);
    EXPECT_EQ(GetTickCount() - before, 5000u);
    EXPECT_TRUE(driver.pumpUntil([&] { return updates->GetQueueSize() < queued; }, 10));
}

// The location timer of a shown map (1000 ms) ticks once for each second of
// the process's clock, however the clock is moved: the ticks are queued for
// the main thread by the time the clock has moved, in order, and the
// dispatcher hands them to the engine there. Real time with the clock
// standing still brings none.
TEST_F(MapManagerTest, TheLocationTimerTicksOncePerSecondOfTheClockHoweverItIsAdvanced)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    tagMsgRing* ring = GetEngineRoot()->m_msgMan.GetRing(1);
    const auto queuedTicks = [ring] {
        std::vector<int> ticks;
        std::lock_guard<std::mutex> lock(ring->lock);
        for (int i = ring->readIndex; i != ring->writeIndex; i = (i + 1) % tagMsgRing::kSlots)
            if (ring->slots[i].message == kMsgTimer) ticks.push_back(ring->slots[i].wParam);
        return ticks;
    };
    const std::pair<const char*, std::vector<double>> cases[] = {
        {"at once", {10.0}},
        {"in quarter seconds", std::vector<double>(40, 0.25)},
        {"unevenly", {0.3, 4.7, 5.0}},
    };
    for (const auto& [name, advances] : cases) {
        for (double seconds : advances) driver.advanceClock(seconds);
        EXPECT_EQ(queuedTicks(), std::vector<int>(10, kLocationTimer)) << name;
        EXPECT_TRUE(driver.pumpUntil([&] { return queuedTicks().empty(); }, 10)) << name;
    }
    driver.pumpUntil([] { return false; }, 0.3);
    EXPECT_TRUE(queuedTicks().empty());
}

// The engine's network keeps real time, as its peers do: an answer that
// comes after a real delay is taken however far the clock moves meanwhile,
// and one that never comes fails after the client's time-out while the clock
// stands still.
TEST_F(MapManagerTest, NetworkTimeOutsAreKeptOnTheRealClock)
{
    struct Results : VIZSearchDelegate {
        void onGetPoiResult_searchType_errorCode(const VIZPoiResultList&, int, int error) override
        {
            errors.push_back(error);
        }
        std::vector<int> errors;
    };
    auto results = std::make_shared<Results>();
    auto search = VIZSearch::init();
    ASSERT_NE(search, nullptr);
    search->setDelegate(results);

    service->pushFault({mapdouble::Fault::Kind::Delay, 0, 1000});
    ASSERT_TRUE(search->poiSearchInCity("北京", "故宫", 0));
    driver.advanceClock(60);  // three times the search client's time-out
    ASSERT_TRUE(driver.pumpUntil([&] { return !results->errors.empty(); }, 20));
    EXPECT_EQ(results->errors, std::vector<int>{0});

    GetEngineRoot()->m_pSearchMan->Service().SearchClient().SetTimeout(500);
    service->pushFault({mapdouble::Fault::Kind::Stall, 0, 5000});
    ASSERT_TRUE(search->poiSearchInCity("北京", "天坛", 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return results->errors.size() == 2; }, 20));
    EXPECT_EQ(results->errors.back(), 2) << "a receive time-out";
}

TEST(EngineResultMapping, ResultTypesAndErrorsBecomeTheNotifiersMessages)
{
    const std::pair<int, int> types[] = {{7, 1},   {11, 1}, {12, 1},  {21, 1},  {45, 1},  {14, 2},  {20, 3},
                                         {31, 4},  {44, 6}, {-1, 7},  {35, 10}, {23, 11}, {507, 12}, {506, 14},
                                         {13, 0},  {0, 0}};
    for (const auto& [type, message] : types) EXPECT_EQ(VIZApiMessageForResultType(type), message) << type;
    const std::pair<int, int> errors[] = {{0, 0}, {2, 2}, {3, 3}, {10, 10}, {11, 100}, {12, 100},
                                          {13, 100}, {14, 100}, {15, 15}, {101, 101}};
    for (const auto& [error, api] : errors) EXPECT_EQ(VIZApiErrorForEngineError(error), api) << error;
}

TEST_F(MapManagerTest, TheIndicatorPollLeavesTheScreensIndicatorAlone)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    UIApplication& application = UIApplication::sharedApplication();
    application.setNetworkActivityIndicatorVisible(true);  // a screen's own request
    driver.advanceClock(3 * EngineMsgDispatcher::kNetStatusInterval);
    EXPECT_TRUE(application.networkActivityIndicatorVisible());
    application.setNetworkActivityIndicatorVisible(false);
    driver.advanceClock(EngineMsgDispatcher::kNetStatusInterval);
    EXPECT_FALSE(application.networkActivityIndicatorVisible());
}

TEST_F(MapManagerTest, TheShownImageKeepsItsPixelsWhenTheEngineReplacesItsBitmap)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    CGImageRef shown = internal()->m_mapView->getMapImage();
    ASSERT_NE(shown, nullptr);
    const std::vector<uint32_t> before = ShownPixels();
    // The window shrinks and the engine repaints into a new bitmap before
    // the view draws again.
    mapView->setFrame(CGRectMake(0, 0, 200, 300));
    GetEngineRoot()->m_msgMan.SendMessage(2, kMsgRepaint, 0, 0);
    EXPECT_NE(GetEngineRoot()->m_screenBitmap.GetSize().cx, kWidth);
    const auto* bits = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(shown->surface()));
    EXPECT_EQ(std::vector<uint32_t>(bits, bits + kWidth * kHeight), before);
}

}  // namespace
