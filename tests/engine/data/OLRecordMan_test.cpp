// The offline record store's commands: queues, removal, progress writes,
// merges and versions, as the package manager and the services use them.
#include "engine/data/OLRecordMan.h"
#include "engine/model/RouteRecords.h"
#include "tests/engine/data/OfflineTestSupport.h"

namespace mapengine::test {
namespace {

class RecordStoreTest : public OfflineTest {
protected:
  // A store with the records given, as saved and loaded again.
  void Load(std::vector<COLUpdateRecord> records) {
    store.reset();  // it writes its records as it goes
    ASSERT_NO_FATAL_FAILURE(SaveRecords(records));
    store = std::make_unique<COLRecordMan>();
    ASSERT_EQ(store->LoadAll(Folder()), 1);
  }
  int Do(unsigned command, int id) { return store->DoCommand(command, &id, nullptr); }
  COLUpdateRecord Get(int id) {
    COLUpdateRecord r;
    EXPECT_EQ(store->DoCommand(kOLGetUpdateRecord, &id, &r), 1);
    return r;
  }
  int Next() {
    COLUpdateRecord r;
    r.local.cityId = -1;
    return store->DoCommand(kOLNextCity, &r, nullptr) ? r.local.cityId : -1;
  }
  int Ref(const char16_t* grid) {
    CVString name = W(grid);
    return store->DoCommand(kOLGetGridRef, &name, nullptr);
  }
  std::string UpdateFile() { return ReadBytes(Path("OfflineUpdate.dat")); }

  std::unique_ptr<COLRecordMan> store;
};

TEST_F(RecordStoreTest, StartStopAndTheDownloadQueue) {
  COLUpdateElement a = Element(1, u"A", 0, {u"1_1"});
  COLUpdateElement b = Element(2, u"B", 1, {u"2_2"});  // was downloading at the last stop
  COLUpdateElement c = Element(3, u"C", 2, {u"3_3"});
  ASSERT_NO_FATAL_FAILURE(Load({Record(a, a), Record(c, c), Record(b, b)}));
  EXPECT_EQ(Get(2).local.status, kCityStatusQueued);
  EXPECT_EQ(Do(kOLStartCity, 1), 1);
  EXPECT_EQ(Do(kOLStartCity, 1), 1);  // queued twice
  EXPECT_EQ(Do(kOLStartCity, 99), 0);
  std::vector<tagEngineMsg> posted = Posted();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, kMsgOfflineCommand);
  EXPECT_EQ(posted[0].wParam, kOLCodeStartNext);

  EXPECT_EQ(Do(kOLStopCity, 3), 1);  // C leaves the queue
  EXPECT_EQ(Get(3).local.status, kCityStatusStopped);
  EXPECT_EQ(Next(), 2);              // the interrupted city first
  EXPECT_EQ(Get(2).local.status, kCityStatusDownloading);
  EXPECT_EQ(Next(), 1);
  EXPECT_EQ(Next(), 1);              // the second copy finds it again
  EXPECT_EQ(Next(), -1);
}

// Removing a city queued twice takes every copy; a queued copy whose record
// went never stalls the queue behind it.
TEST_F(RecordStoreTest, RemovalTakesEveryQueuedCopyAndCountsGrids) {
  COLUpdateElement a = Element(1, u"A", 4, {u"1_1", u"5_5"});
  COLUpdateElement b = Element(2, u"B", 4, {u"5_5"});
  ASSERT_NO_FATAL_FAILURE(Load({Record(a, a), Record(b, b)}));
  EXPECT_EQ(Ref(u"5_5"), 2);
  EXPECT_EQ(Do(kOLStartCity, 1), 1);
  EXPECT_EQ(Do(kOLStartCity, 1), 1);
  EXPECT_EQ(Do(kOLStartCity, 2), 1);
  Posted();
  EXPECT_EQ(Do(kOLRemoveCity, 1), 1);
  EXPECT_EQ(Ref(u"5_5"), 1);
  EXPECT_EQ(Ref(u"1_1"), 0);
  std::vector<tagEngineMsg> posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, kOLCodeRemoved);
  EXPECT_EQ(posted[0].lParam, 1);
  EXPECT_EQ(Next(), 2);
  COLUpdateRecord removed;
  EXPECT_EQ(store->DoCommand(kOLNextRemoved, &removed, nullptr), 1);
  EXPECT_EQ(removed.local.cityId, 1);
  EXPECT_EQ(store->DoCommand(kOLNextRemoved, &removed, nullptr), 0);
  EXPECT_EQ(Do(kOLRemoveCity, 1), 0);  // in neither: nothing written
  for (unsigned unknown : {0u, 12u, 14u, 23u, 400u}) EXPECT_EQ(store->DoCommand(unknown, nullptr, nullptr), 0);
}

// Progress writes the file at the finish, not for each percent; the finish
// keeps server versions a merge brought during the download.
TEST_F(RecordStoreTest, ProgressWritesAtTheFinish) {
  COLUpdateElement a = Element(1, u"A", 2, {u"1_1"});
  ASSERT_NO_FATAL_FAILURE(Load({Record(a, a)}));
  std::string before = UpdateFile();
  COLUpdateRecord r = Get(1);
  r.local.status = kCityStatusDownloading;
  for (int ratio : {0, 50, 100}) {
    r.local.ratio = ratio;
    EXPECT_EQ(store->DoCommand(kOLUpdateProgress, &r, nullptr), 1);
  }
  EXPECT_EQ(UpdateFile(), before);
  EXPECT_EQ(Get(1).local.ratio, 100);

  CVArray<COLUpdateRecord> merged;
  merged.Add(Record(COLUpdateElement(), Element(1, u"A", 0, {u"1_1"}, "3,5,4")));
  EXPECT_EQ(store->DoCommand(kOLMergeServerList, &merged, nullptr), 1);
  r.local.status = r.server.status = kCityStatusFinished;
  r.local.ratio = r.server.ratio = kCityRatioFinished;
  EXPECT_EQ(store->DoCommand(kOLUpdateProgress, &r, nullptr), 1);
  COLUpdateRecord stored = Get(1);
  EXPECT_EQ(stored.local.status, kCityStatusFinished);
  EXPECT_EQ(U16(stored.server.cityVersion), u"4");
  EXPECT_NE(UpdateFile().find("\"ll\":4"), std::string::npos);
  std::vector<tagEngineMsg> posted = Posted();
  EXPECT_EQ(posted.front().message, kMsgOfflineProgress);
  EXPECT_EQ(posted.front().lParam, 1);
}

TEST_F(RecordStoreTest, MergeAddsNewCitiesAndFlagsNewerData) {
  COLUpdateElement done = Element(1, u"A", 4, {u"1_1"});
  done.ratio = kCityRatioFinished;
  ASSERT_NO_FATAL_FAILURE(Load({Record(done, done)}));
  Posted();
  CVArray<COLUpdateRecord> list;
  list.Add(Record(COLUpdateElement(), Element(1, u"A", 0, {u"1_1"}, "3,5,3")));  // city version rose
  list.Add(Record(COLUpdateElement(), Element(2, u"B", 0, {u"2_2"})));           // not held
  EXPECT_EQ(store->DoCommand(kOLMergeServerList, &list, nullptr), 1);
  EXPECT_EQ(Get(1).server.updateFlag, 1);
  COLUpdateRecord b = Get(2);
  EXPECT_EQ(b.local.status, kCityStatusQueued);
  EXPECT_EQ(Ref(u"2_2"), 1);
  std::vector<tagEngineMsg> posted = Posted();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, kMsgOfflineProgress);
  EXPECT_EQ(posted[0].wParam, kOLEventNewerData);
  EXPECT_EQ(posted[1].message, kMsgOfflineCommand);
  EXPECT_EQ(posted[1].wParam, kOLCodeStartNext);
  EXPECT_EQ(Next(), 2);

  // The flag stays through a later merge of the same data.
  list.RemoveAll();
  list.Add(Record(COLUpdateElement(), Element(1, u"A", 0, {u"1_1"}, "3,5,3")));
  store->DoCommand(kOLMergeServerList, &list, nullptr);
  EXPECT_EQ(Get(1).server.updateFlag, 1);
}

// A city whose grid list is empty (the service's task named no grid, or
// the user's record lists none) is written with "[]" and read back: the
// user's city, its status and its other grids survive the next start.
TEST_F(RecordStoreTest, CitiesWithAnEmptyGridListSurviveARestart) {
  COLUpdateElement held = Element(1, u"A", 4, {u"1_1"});
  COLUpdateElement noServerGrids = Element(1, u"A", 4, {});
  ASSERT_NO_FATAL_FAILURE(Load({Record(held, noServerGrids)}));
  CVArray<COLUpdateRecord> list;
  list.Add(Record(COLUpdateElement(), Element(2, u"B", 0, {})));
  ASSERT_EQ(store->DoCommand(kOLMergeServerList, &list, nullptr), 1);
  EXPECT_NE(UpdateFile().find("\"lt\":\r\n  [\r\n  ],"), std::string::npos);

  store.reset();  // the store writes its records as it goes
  store = std::make_unique<COLRecordMan>();
  ASSERT_EQ(store->LoadAll(Folder()), 1);
  CVArray<COLUpdateRecord> all;
  store->DoCommand(kOLGetUpdateList, nullptr, &all);
  ASSERT_EQ(all.GetSize(), 2);
  COLUpdateRecord a = Get(1);
  EXPECT_EQ(a.local.status, kCityStatusFinished);
  ASSERT_EQ(a.local.grids.GetSize(), 1);
  EXPECT_EQ(a.server.grids.GetSize(), 0);
  EXPECT_EQ(Ref(u"1_1"), 1);
  COLUpdateRecord b = Get(2);
  EXPECT_EQ(U16(b.local.name), u"B");
  EXPECT_EQ(b.local.status, kCityStatusQueued);
  EXPECT_EQ(b.local.grids.GetSize(), 0);
  EXPECT_EQ(Next(), 2);  // still queued after the restart
}

TEST_F(RecordStoreTest, CityListsWifiLogAndClearing) {
  WriteBytes(Path("OfflineSearch.dat"),
             Gbk(u"[{\"i\":\"131\",\"n\":\"北京市\",\"sl\":\"1\"},{\"i\":\"289\",\"n\":\"上海市\",\"sl\":\"2\"}]"));
  COLUpdateElement a = Element(1, u"A", 2, {u"1_1"});
  ASSERT_NO_FATAL_FAILURE(Load({Record(a, a)}));
  CVArray<COLSearchRecord> found;
  CVString all;
  store->DoCommand(kOLFindCities, &all, &found);
  EXPECT_EQ(found.GetSize(), 2);
  CVString text = W(u"上海");
  store->DoCommand(kOLFindCities, &text, &found);
  ASSERT_EQ(found.GetSize(), 1);
  EXPECT_EQ(found[0].cityId, 289);
  CVString none = W(u"广州");
  store->DoCommand(kOLFindCities, &none, &found);
  EXPECT_EQ(found.GetSize(), 0);

  EXPECT_EQ(Do(kOLAddWifilog, 5), 0);
  EXPECT_EQ(Do(kOLAddWifilog, 131), 1);
  EXPECT_EQ(Do(kOLAddWifilog, 289), 2);
  EXPECT_EQ(Do(kOLAddWifilog, 131), 0);
  EXPECT_EQ(ReadBytes(Path("OfflineWifilog.dat")), std::string("[\r\n{\"i\":131},\r\n{\"i\":289}\r\n]\0", 28));

  EXPECT_EQ(store->DoCommand(kOLClearAll, nullptr, nullptr), 1);
  CVArray<COLUpdateRecord> list;
  store->DoCommand(kOLGetUpdateList, nullptr, &list);
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(Next(), -1);
  EXPECT_EQ(UpdateFile(), std::string("[\r\n]\0", 5));
}

// The lists the update requests download replace the files and are read
// at their next use.
TEST_F(RecordStoreTest, DownloadedCityListsAreReadAtTheirNextUse) {
  ASSERT_NO_FATAL_FAILURE(Load({}));
  EXPECT_EQ(Do(kOLHasSearchCity, 131), 0);
  std::string list = Gbk(u"[{\"i\":\"131\",\"n\":\"北京市\",\"sl\":\"1\"}]");
  int length = static_cast<int>(list.size());
  ASSERT_EQ(store->DoCommand(kOLReplaceSearchFile, list.data(), &length), 1);
  ASSERT_EQ(store->DoCommand(kOLReplaceHotcityFile, list.data(), &length), 1);
  EXPECT_EQ(Do(kOLHasSearchCity, 131), 1);
  CVArray<COLSearchRecord> hot;
  store->DoCommand(kOLGetHotCities, nullptr, &hot);
  ASSERT_EQ(hot.GetSize(), 1);
  EXPECT_EQ(U16(hot[0].name), u"北京市");
}

}  // namespace
}  // namespace mapengine::test
