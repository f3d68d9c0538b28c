// Offline maps end to end against the map-service double on 127.0.0.1: the
// version reply and the data-set files through the update-request manager,
// the task list merged into the store, the demo city downloaded into grid
// files, a restart, a package imported from the Documents folder and the
// first city removed.
#include "tests/engine/data/OfflineServiceFixture.h"

namespace mapengine::test {
namespace {

class OfflineServiceTest : public OfflineServiceFixture {
protected:
  void TearDown() override {
    Stop();
    OfflineServiceFixture::TearDown();
  }

  // The offline parts as the offline map interface sets them up.
  void Start() {
    store = std::make_unique<COLRecordMan>();
    store->LoadAll(Folder());
    versions = std::make_unique<CVerDatsetMan>();
    versions->LoadFile(Folder());
    updates = std::make_unique<CUpdateReqMan>();
    ASSERT_EQ(updates->Init(), 1);
    packages = MakePackageMan(store.get());
    store->SetVersionMan(versions.get());
    store->SetPackageMan(packages.get());
    if (!root) root = std::make_unique<OfflineRoot>();
    root->Attach(store.get(), updates.get());
    versions->SetUpdateReqMan(updates.get());
    updates->SetRecordMan(store.get());
    updates->SetVersionMan(versions.get());
  }
  void Stop() {
    if (root) root->Detach();
    packages.reset();
    updates.reset();
    store.reset();
    versions.reset();
  }

  COLPackageMan* Packages() override { return packages.get(); }
  CUpdateReqMan* Updates() override { return updates.get(); }
  void OnOfflineState(const tagEngineMsg& msg) override {
    if (msg.wParam == kOLEventProgress) {
      ratios.push_back(Get(msg.lParam).local.ratio);
    }
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

  std::unique_ptr<COLRecordMan> store;
  std::unique_ptr<CVerDatsetMan> versions;
  std::unique_ptr<CUpdateReqMan> updates;
  std::unique_ptr<COLPackageMan> packages;
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
  ASSERT_EQ(root->Search()->RequestOfflineCityList(ids), 1);
  ASSERT_TRUE(Pump([&] { return Get(kBeijing).local.status == kCityStatusFinished; }));
  ASSERT_TRUE(Pump([&] { return PriorityRingEmpty(); }));

  EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
  EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
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
  ASSERT_TRUE(WriteSecondCityPackage());
  events.clear();
  net.msgs->PostMessage(1, kMsgOfflineCommand, kOLCodeImport, 1);
  ASSERT_TRUE(Pump([&] { return Saw(kOLEventImportEnded, 0) || Saw(kOLEventImportEnded, 1); }));
  packages->JoinImport();
  EXPECT_TRUE(Saw(kOLEventImportPackage, 1));
  EXPECT_TRUE(Saw(kOLEventCheckEnded, 1));
  EXPECT_TRUE(Saw(kOLEventImportEnded, 0));
  EXPECT_FALSE(Saw(kOLEventPackagesLeft, 1));
  EXPECT_FALSE(Exists(documents + "langfang.vedu.zip"));
  EXPECT_EQ(Get(kSecondCity).local.status, kCityStatusFinished);
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

// New versions are kept and the task list of the held cities asked for
// through the engine's search manager; the same versions again ask once
// more only while a city was not merged at them (a lost reply).
TEST_F(OfflineServiceTest, VersionReplyAsksForTheTaskListUntilMerged) {
  ASSERT_NO_FATAL_FAILURE(Start());
  COLVersionRecord v{W(u"7"), W(u"8"), W(u"9")};
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
  ASSERT_TRUE(Pump([&] { return net.msgs->GetRing(1)->readIndex == net.msgs->GetRing(1)->writeIndex; }, 10));
  EXPECT_TRUE(TaskListRequests().empty());  // no city held

  Stop();
  COLUpdateElement a = Element(kBeijing, u"A", 4, {u"2530_942"}, "1,1,1");
  COLUpdateFile file;
  file.m_folder = Folder();
  file.m_records.Add(Record(a, a));
  ASSERT_EQ(file.Save(), 1);
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  // Merged at older versions: asked again, and the reply merged.
  ASSERT_TRUE(Pump([&] { return U16(Get(kBeijing).server.dataVersion) == u"8"; }, 20));
  EXPECT_EQ(TaskListRequests(), std::vector<std::string>{"131"});
  EXPECT_EQ(store->DoCommand(kOLOnVersionReply, &v, nullptr), 1);
  EXPECT_EQ(TaskListRequests().size(), 1u);  // merged now: nothing more
}

// A host that is down is not asked in a loop: a failed batch waits for a
// watchdog tick, and the pause grows with each failure in a row.
TEST_F(OfflineServiceTest, FailedBatchesWaitForGrowingPauses) {
  COLUpdateElement city = Element(kBeijing, u"北京市", kCityStatusQueued, {u"2530_942"}, "8,9,7");
  COLUpdateFile chosen;
  chosen.m_folder = Folder();
  chosen.m_records.Add(Record(city, city));
  ASSERT_EQ(chosen.Save(), 1);
  ASSERT_NO_FATAL_FAILURE(Start());
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
