// The map-service double on 127.0.0.1 and the engine parts the offline
// managers lean on (the network, the URL builder, the tile downloader, the
// grid data cache, a Documents folder), with a loop that routes engine
// messages as the engine's router and the map view's controller do. The
// offline managers themselves are the test's: it names them to the loop and
// to the engine root.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "engine/base/HttpClient.h"
#include "engine/data/EngineRoot.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/SearchMan.h"
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

constexpr int kSearchClient = 0;  // the search service's client
constexpr int kBeijing = 131;
constexpr int kSecondCity = 150;

// The engine root as the offline parts find it: its search manager asks the
// offline service for the task list the record store wants and merges the
// reply into the store. Only the root object, not a started engine: the
// network is the fixture's.
class OfflineRoot {
public:
  OfflineRoot() { GetGlobalMan()->SetSlot(kSlotEngineRoot, &m_root); }
  ~OfflineRoot() {
    Detach();
    m_search.reset();
    GetGlobalMan()->SetSlot(kSlotEngineRoot, nullptr);
  }
  void Attach(COLRecordMan* store, CUpdateReqMan* updates) {
    m_root.m_pRecordMan = store;
    m_root.m_pUpdateReqMan = updates;
    if (!m_search) {
      m_search = std::make_unique<CSearchMan>();
      m_root.m_pSearchMan = m_search.get();
      m_search->Init();
    }
  }
  void Detach() {
    m_root.m_pRecordMan = nullptr;
    m_root.m_pUpdateReqMan = nullptr;
  }
  CSearchMan* Search() { return m_search.get(); }

private:
  CEngineRoot m_root;
  std::unique_ptr<CSearchMan> m_search;
};

class OfflineServiceFixture : public OfflineTest {
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
  // A subclass stops its offline managers first.
  void TearDown() override {
    root.reset();
    downloader.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    OfflineTest::TearDown();
  }

  virtual COLPackageMan* Packages() = 0;
  virtual CUpdateReqMan* Updates() = 0;
  // An offline state report (65289), after it was noted in events.
  virtual void OnOfflineState(const tagEngineMsg& msg) = 0;

  void Route(const tagEngineMsg& msg) {
    if (msg.wParam == COLPackageMan::kTileClientType && msg.message >= kMsgHttpConnectFailed &&
        msg.message <= kMsgHttpReceiveFailed) {
      ++tileFailures;
    }
    if (msg.message == kMsgOfflineCommand) {
      Packages()->OnMessage(msg.wParam, msg.lParam);
    } else if (msg.message == kMsgOfflineProgress) {
      events.push_back(msg);
      OnOfflineState(msg);
    } else if (msg.wParam == CUpdateReqMan::kClientType) {
      Updates()->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
    } else if (msg.wParam == COLPackageMan::kTileClientType) {
      Packages()->OnTileMessage(msg.message, msg.lParam);
    } else if (msg.wParam == kSearchClient && root && root->Search()) {
      root->Search()->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
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
      if (Updates()->GetQueueSize() > 0) {
        Updates()->SendNextTask();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  bool PriorityRingEmpty() { return net.msgs->GetRing(2)->readIndex == net.msgs->GetRing(2)->writeIndex; }
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
  // A second city in a package of the Documents folder, sharing the demo
  // city's second grid. 1 when written.
  bool WriteSecondCityPackage() {
    offlinepack::City second;
    second.id = kSecondCity;
    second.name = "廊坊市";
    second.size = 4096;
    second.grids = {"2531_942", "2532_942"};
    return offlinepack::writeZip(documents + "langfang.vedu.zip", offlinepack::packageEntries(second));
  }
  // The package manager as the map view's controller makes it.
  std::unique_ptr<COLPackageMan> MakePackageMan(COLRecordMan* store) {
    auto manager = std::make_unique<COLPackageMan>();
    manager->SetRecordMan(store);
    manager->SetGridReq(downloader.get());
    manager->SetDataCache(&cache);
    manager->SetFolders(Folder(), CVString(documents.c_str()));
    return manager;
  }

  EngineNetwork net;
  std::unique_ptr<mapdouble::MapDouble> service;
  CUrlTranslater urls;
  std::unique_ptr<CTileDownloader> downloader = std::make_unique<CTileDownloader>();
  COfflineDataCache cache;
  std::string documents;
  std::unique_ptr<OfflineRoot> root;
  std::vector<tagEngineMsg> events;
  int tileFailures = 0;  // failed offline batches
};

}  // namespace mapengine::test
