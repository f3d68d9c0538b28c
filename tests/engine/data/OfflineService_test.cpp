// Two rules of the offline parts that show only against the map-service
// double on 127.0.0.1: the record store asks the engine's search manager for
// the task list again while a held city was not merged at the versions it
// holds, and the package manager waits a growing pause between failed tile
// batches. The offline flow as a whole runs through the SDK, as the program
// starts it, in tests/mapsdk/OfflineMap_test.cpp.
#include <chrono>
#include <functional>
#include <thread>

#include "engine/base/HttpClient.h"
#include "engine/root/EngineRoot.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/SearchMan.h"
#include "engine/render/GridDataFile.h"
#include "engine/render/TileDownloader.h"
#include "engine/render/UrlTranslater.h"
#include "platform/testing/NXPump.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/map-double/MapDouble.h"

namespace mapengine::test {
namespace {

constexpr int kBeijing = 131;

// The engine's network, the URL builder, the tile downloader and the grid
// data cache the offline parts lean on, and a loop that hands the part under
// test the engine messages meant for it.
class OfflineServiceTest : public OfflineTest {
protected:
  void SetUp() override {
    OfflineTest::SetUp();
    GetGlobalMan()->SetSlot(kSlotMsgMan, nullptr);
    msgs.reset();
    ASSERT_NO_FATAL_FAILURE(net.Start());
    service = std::make_unique<mapdouble::MapDouble>();
    net.SeedRelay(service->port());
    CVStringArray hosts;
    CVString host = "http://tiles.vuriv.com/";
    hosts.Add(host);
    urls.SetMapDomain(hosts, 2, 4);
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
    ASSERT_EQ(downloader->Init(), 1);
    cache.Init(Folder(), W(u"10000001"), 0);
  }
  void TearDown() override {
    packages.reset();
    StopSearch();
    store.reset();
    downloader.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    OfflineTest::TearDown();
  }

  // The store on the test folder, as saved with the records given.
  void LoadStore(std::vector<COLUpdateRecord> records) {
    store.reset();  // it writes its records as it goes
    ASSERT_NO_FATAL_FAILURE(SaveRecords(records));
    store = std::make_unique<COLRecordMan>();
    store->LoadAll(Folder());
  }
  // The engine root that hands the store and the search manager to each
  // other (only the root object: the network is the fixture's).
  void StartSearch() {
    root = std::make_unique<CEngineRoot>();
    root->m_pRecordMan = store.get();
    GetGlobalMan()->SetSlot(kSlotEngineRoot, root.get());
    search = std::make_unique<CSearchMan>();
    root->m_pSearchMan = search.get();
    WireParts(root.get());
    search->Init(root->m_pMapControl);
  }
  // The root leaves the global manager before it goes, which would
  // otherwise take the network's slots with it.
  void StopSearch() {
    if (root) {
      root->m_pSearchMan = nullptr;
      WireParts(root.get());
    }
    search.reset();
    GetGlobalMan()->SetSlot(kSlotEngineRoot, nullptr);
    root.reset();
  }
  void StartPackages() {
    packages = std::make_unique<COLPackageMan>();
    packages->SetRecordMan(store.get());
    packages->SetGridReq(downloader.get());
    packages->SetDataCache(&cache);
  }

  void Route(const tagEngineMsg& msg) {
    const bool tiles = msg.wParam == kOfflineClient;
    if (tiles && msg.message >= kMsgHttpConnectFailed && msg.message <= kMsgHttpReceiveFailed) {
      ++tileFailures;
    }
    if (msg.message == kMsgOfflineCommand && packages) {
      packages->OnMessage(msg.wParam, msg.lParam);
    } else if (tiles && packages) {
      packages->OnTileMessage(msg.message, msg.lParam);
    } else if ((msg.wParam == kSearchClient || msg.wParam == kOfflineTasksClient) && search) {
      search->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
    }
  }
  // Runs the engine until done, or the bounded wait ends.
  bool Pump(const std::function<bool()>& done, int seconds = 20) {
    return NXPumpUntil(
        done,
        [this] {
          tagEngineMsg msg;
          if (!net.msgs->PopMessage(net.msgs->GetRing(2), msg) && !net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
            return false;
          }
          Route(msg);
          return true;
        },
        seconds);
  }
  // The city ids of every task-list request the double answered.
  std::vector<std::string> TaskListRequests() const {
    std::vector<std::string> asked;
    for (const mapdouble::LoggedRequest& entry : service->log()) {
      if (entry.type == "taskcity-list") asked.push_back(mapdouble::Query::parse(entry.url).get("c"));
    }
    return asked;
  }
  COLUpdateRecord Get(int id) {
    COLUpdateRecord r;
    store->DoCommand(kOLGetUpdateRecord, &id, &r);
    return r;
  }

  EngineNetwork net;
  std::unique_ptr<mapdouble::MapDouble> service;
  CUrlTranslater urls;
  std::unique_ptr<CTileDownloader> downloader = std::make_unique<CTileDownloader>();
  COfflineDataCache cache;
  std::unique_ptr<CEngineRoot> root;
  std::unique_ptr<COLRecordMan> store;
  std::unique_ptr<CSearchMan> search;
  std::unique_ptr<COLPackageMan> packages;
  int tileFailures = 0;  // failed offline batches
};

// New versions are kept and the task list of the held cities asked for
// through the engine's search manager; the same versions again ask once
// more only while a city was not merged at them (a lost reply).
TEST_F(OfflineServiceTest, VersionReplyAsksForTheTaskListUntilMerged) {
  ASSERT_NO_FATAL_FAILURE(LoadStore({}));
  StartSearch();
  COLVersionRecord v{W(u"7"), W(u"8"), W(u"9")};
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
  ASSERT_TRUE(Pump([&] { return net.msgs->GetRing(1)->readIndex == net.msgs->GetRing(1)->writeIndex; }, 10));
  EXPECT_TRUE(TaskListRequests().empty());  // no city held

  StopSearch();
  COLUpdateElement a = Element(kBeijing, u"A", 4, {u"2530_942"}, "1,1,1");
  ASSERT_NO_FATAL_FAILURE(LoadStore({Record(a, a)}));
  StartSearch();
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  // Merged at older versions: asked again, and the reply merged.
  ASSERT_TRUE(Pump([&] { return U16(Get(kBeijing).server.dataVersion) == u"8"; }));
  EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  EXPECT_EQ(TaskListRequests().size(), 1u);  // merged now: nothing more
}

// A host that is down is not asked in a loop: a failed batch waits for a
// watchdog tick, and the pause grows with each failure in a row.
TEST_F(OfflineServiceTest, FailedBatchesWaitForGrowingPauses) {
  COLUpdateElement city = Element(kBeijing, u"北京市", kCityStatusQueued, {u"2530_942"}, "8,9,7");
  ASSERT_NO_FATAL_FAILURE(LoadStore({Record(city, city)}));
  StartPackages();
  service.reset();
  auto idle = [&] { Pump([] { return false; }, 1); };
  ASSERT_EQ(packages->OnMessage(kOLCodeStartNext, 0), 1);
  ASSERT_TRUE(Pump([&] { return tileFailures == 1; }, 10));
  idle();
  EXPECT_EQ(tileFailures, 1) << "no new try before the next tick";
  // Tick by tick: whether the batch is sent again on it.
  for (bool sent : {true, false, true, false, false, false, true}) {
    const int before = tileFailures;
    packages->OnMessage(kOLCodeWatchdog, 0);
    if (sent) {
      ASSERT_TRUE(Pump([&] { return tileFailures == before + 1; }, 10));
    }
    idle();
    EXPECT_EQ(tileFailures, before + (sent ? 1 : 0));
  }
}

}  // namespace
}  // namespace mapengine::test
