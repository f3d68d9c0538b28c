// Offline maps end to end against the map-service double on 127.0.0.1: the
// version reply and the data-set files through the update-request manager,
// the task list merged into the store, the demo city downloaded into grid
// files, a restart, a package imported from the Documents folder and the
// first city removed. The loop below routes engine messages as the engine's
// router and the map view's controller do.
#include <chrono>
#include <functional>
#include <thread>

#include "engine/base/HttpClient.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OfflineRecords.h"
#include "engine/data/UpdateReqMan.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/data/VerDatsetMan.h"
#include "engine/render/GridDataFile.h"
#include "engine/render/TileDownloader.h"
#include "engine/render/UrlTranslater.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/map-double/MapDouble.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapengine::test {
namespace {

constexpr int kCityListClient = 3;  // the search service's city client
constexpr int kBeijing = 131;

// The offline city list as the search manager fetches it: the task list of
// the asked cities, merged with the held versions (commands 17 and 18).
class CityListFetcher {
public:
  explicit CityListFetcher(COLRecordMan& store) : m_store(store) {
    m_client.Attach();
    m_client.SetClientType(kCityListClient);
    m_client.SetRecvBuffer(m_buffer, &m_received, sizeof m_buffer);
  }
  ~CityListFetcher() { m_client.Detach(); }

  static int Request(void* self, const CVArray<int, int>& ids) {
    auto* fetcher = static_cast<CityListFetcher*>(self);
    CVString url;
    GetUrlTranslater()->GetOfflineCityTaskUrl(url, ids);
    int id = ++fetcher->m_requestId;
    return fetcher->m_client.RequestGet(url, id, 1);
  }
  void OnComplete() {
    int length = 0;
    char* text = Utf8ToLocal(reinterpret_cast<const char*>(m_buffer), m_received, &length);
    VJson* root = text ? VJson_Parse(text) : nullptr;
    CVArray<tag_OfflineTask> tasks;
    VJsonResultParser parser;
    if (root && parser.ParseOfflineTaskList(root, &tasks)) {
      COLVersionRecord versions;
      m_store.DoCommand(kOLGetVersions, &versions, nullptr);
      CVArray<COLUpdateRecord> list;
      COLRecordMan::ServerListFromTasks(tasks, versions, list);
      m_store.DoCommand(kOLMergeServerList, &list, nullptr);
      ++merges;
    }
    VJson_Delete(root);
    VDelete(text);
  }
  int merges = 0;

private:
  COLRecordMan& m_store;
  CHttpClient m_client;
  unsigned char m_buffer[15360];
  int m_received = 0;
  int m_requestId = 0;
};

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
    documents = m_folder + "Documents/";
    std::filesystem::create_directories(documents);
    ASSERT_EQ(downloader->Init(), 1);
    cache.Init(Folder(), W(u"10000001"), 0);
  }
  void TearDown() override {
    Stop();
    downloader.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    OfflineTest::TearDown();
  }

  // The offline parts as the offline map interface sets them up.
  void Start() {
    store = std::make_unique<COLRecordMan>();
    store->LoadAll(Folder());
    versions = std::make_unique<CVerDatsetMan>();
    versions->LoadFile(Folder());
    updates = std::make_unique<CUpdateReqMan>();
    ASSERT_EQ(updates->Init(), 1);
    fetcher = std::make_unique<CityListFetcher>(*store);
    packages = std::make_unique<COLPackageMan>();
    packages->SetRecordMan(store.get());
    packages->SetGridReq(downloader.get());
    packages->SetDataCache(&cache);
    packages->SetFolders(Folder(), CVString(documents.c_str()));
    store->SetVersionMan(versions.get());
    store->SetPackageMan(packages.get());
    store->SetCityListRequest(CityListFetcher::Request, fetcher.get());
    versions->SetUpdateReqMan(updates.get());
    updates->SetRecordMan(store.get());
    updates->SetVersionMan(versions.get());
  }
  void Stop() {
    packages.reset();
    fetcher.reset();
    updates.reset();
    store.reset();
    versions.reset();
  }

  void Route(const tagEngineMsg& msg) {
    if (msg.message == kMsgOfflineCommand) {
      packages->OnMessage(msg.wParam, msg.lParam);
    } else if (msg.message == kMsgOfflineProgress) {
      events.push_back(msg);
      if (msg.wParam == kOLEventProgress) {
        COLUpdateRecord r;
        int id = msg.lParam;
        store->DoCommand(kOLGetUpdateRecord, &id, &r);
        ratios.push_back(r.local.ratio);
      }
    } else if (msg.wParam == CUpdateReqMan::kClientType) {
      updates->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
    } else if (msg.wParam == COLPackageMan::kTileClientType) {
      packages->OnTileMessage(msg.message, msg.lParam);
    } else if (msg.wParam == kCityListClient && msg.message == kMsgHttpComplete) {
      fetcher->OnComplete();
    }
  }
  // Runs the engine until done (or the bounded wait ends); the update
  // manager's tick comes whenever the loop is idle. The demo city is some
  // eleven thousand tiles: a loaded machine with the sanitizers needs minutes.
  bool Pump(const std::function<bool()>& done, int seconds = 240) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      tagEngineMsg msg;
      if (net.msgs->PopMessage(net.msgs->GetRing(2), msg) || net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        Route(msg);
        continue;
      }
      if (updates->GetQueueSize() > 0) {
        updates->SendNextTask();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  COLUpdateRecord Get(int id) {
    COLUpdateRecord r;
    store->DoCommand(kOLGetUpdateRecord, &id, &r);
    return r;
  }
  bool Saw(int event, int value) {
    for (const tagEngineMsg& e : events) {
      if (e.wParam == event && e.lParam == value) return true;
    }
    return false;
  }
  int TilesIn(const char16_t* grid) {
    int written = -1;
    cache.CreateOfflineDat(11, W(grid), 11, 17, &written);
    return written;
  }

  EngineNetwork net;
  std::unique_ptr<mapdouble::MapDouble> service;
  CUrlTranslater urls;
  std::unique_ptr<CTileDownloader> downloader = std::make_unique<CTileDownloader>();
  COfflineDataCache cache;
  std::string documents;
  std::unique_ptr<COLRecordMan> store;
  std::unique_ptr<CVerDatsetMan> versions;
  std::unique_ptr<CUpdateReqMan> updates;
  std::unique_ptr<CityListFetcher> fetcher;
  std::unique_ptr<COLPackageMan> packages;
  std::vector<tagEngineMsg> events;
  std::vector<int> ratios;
};

TEST_F(OfflineServiceTest, DownloadRestartImportAndRemoval) {
  ASSERT_NO_FATAL_FAILURE(Start());
  // The interface's start: the version reply first, then "VerDatset.dat".
  updates->AddFileRequest(W(u"VerDatset.dat"), 0);
  updates->AddTaskListRequest();
  ASSERT_TRUE(Pump([&] { return updates->GetQueueSize() == 0; }));
  // The user picks the demo city: its task list is asked for and merged.
  CVArray<int, int> ids;
  ids.Add(kBeijing);
  ASSERT_EQ(CityListFetcher::Request(fetcher.get(), ids), 1);
  ASSERT_TRUE(Pump([&] { return Get(kBeijing).local.status == kCityStatusFinished; }));
  ASSERT_TRUE(Pump([&] { return net.msgs->GetRing(2)->readIndex == net.msgs->GetRing(2)->writeIndex; }));

  EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
  EXPECT_EQ(fetcher->merges, 1);
  COLUpdateRecord city = Get(kBeijing);
  EXPECT_EQ(U16(city.local.name), u"北京市");
  EXPECT_EQ(city.local.ratio, kCityRatioFinished);
  EXPECT_EQ(U16(city.local.dataVersion), u"8");
  EXPECT_EQ(U16(city.local.mapVersion), u"9");
  EXPECT_EQ(city.local.grids.GetSize(), 2);
  // Progress rose to 100 before the finish.
  ASSERT_FALSE(ratios.empty());
  EXPECT_TRUE(std::is_sorted(ratios.begin(), ratios.end()));
  EXPECT_EQ(ratios.back(), kCityRatioFinished);  // reported as 100
  EXPECT_GT(ratios.size(), 50u);
  EXPECT_EQ(TilesIn(u"2530_942"), 5461);
  EXPECT_EQ(TilesIn(u"2531_942"), 5461);
  // The data-set files came with their versions; "CMRequire.dat" is not held.
  EXPECT_NE(ReadBytes(Path("OfflineSearch.dat")).find("131"), std::string::npos);
  EXPECT_NE(ReadBytes(Path("OfflineHotcity.dat")).find("131"), std::string::npos);
  EXPECT_EQ(ReadBytes(Path("VerDatset.dat")),
            std::string("[\r\n{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.1\"},\r\n{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0.1\"}"
                        "\r\n]") + std::string(1, '\0'));
  int has = kBeijing;
  EXPECT_EQ(store->DoCommand(kOLHasSearchCity, &has, nullptr), 1);

  // A restart keeps the city and downloads nothing.
  Stop();
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(Get(kBeijing).local.status, kCityStatusFinished);
  EXPECT_EQ(packages->OnMessage(kOLCodeStartNext, 0), 0);
  EXPECT_EQ(TilesIn(u"2530_942"), 5461);

  // A second city from a package, sharing one grid.
  offlinepack::City second;
  second.id = 150;
  second.name = "廊坊市";
  second.size = 4096;
  second.grids = {"2531_942", "2532_942"};
  ASSERT_TRUE(offlinepack::writeZip(documents + "langfang.vedu.zip", offlinepack::packageEntries(second)));
  events.clear();
  net.msgs->PostMessage(1, kMsgOfflineCommand, kOLCodeImport, 1);
  ASSERT_TRUE(Pump([&] { return Saw(kOLEventImportEnded, 0) || Saw(kOLEventImportEnded, 1); }));
  packages->JoinImport();
  EXPECT_TRUE(Saw(kOLEventImportPackage, 1));
  EXPECT_TRUE(Saw(kOLEventCheckEnded, 1));
  EXPECT_TRUE(Saw(kOLEventImportEnded, 0));
  EXPECT_FALSE(Saw(kOLEventPackagesLeft, 1));
  EXPECT_FALSE(Exists(documents + "langfang.vedu.zip"));
  EXPECT_EQ(Get(150).local.status, kCityStatusFinished);
  EXPECT_EQ(TilesIn(u"2532_942"), 5461);
  CVArray<COLUpdateRecord> list;
  store->DoCommand(kOLGetUpdateList, nullptr, &list);
  EXPECT_EQ(list.GetSize(), 2);

  // Removing the first city deletes its own grid, not the shared one.
  int first = kBeijing;
  ASSERT_EQ(store->DoCommand(kOLRemoveCity, &first, nullptr), 1);
  ASSERT_TRUE(Pump([&] { return !Exists(Path("data/253_94/2530_942.dat")); }, 10));
  EXPECT_TRUE(Exists(Path("data/253_94/2531_942.dat")));
  EXPECT_TRUE(Exists(Path("data/253_94/2532_942.dat")));
}

}  // namespace
}  // namespace mapengine::test
