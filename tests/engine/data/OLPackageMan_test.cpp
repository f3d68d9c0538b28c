// The package manager without the network: grid-risk lists over grid files,
// the tile walk and its batches, the commands that need no download, and
// the import thread started once at a time.
#include "engine/data/OLPackageMan.h"
#include "engine/render/GridDataFile.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tests/engine/render/EngineText.h"

namespace mapengine::test {
namespace {

class PackageManTest : public OfflineTest {
protected:
  void SetUp() override {
    OfflineTest::SetUp();
    cache.Init(Folder(), W(u"10000001"), 0);
    packages.SetDataCache(&cache);
  }
  // The current city as the store hands it over (through a store holding it).
  void Current(const COLUpdateElement& local) { Held({local}); }
  // A store holding these cities, in this order.
  void Held(const std::vector<COLUpdateElement>& cities) {
    std::vector<COLUpdateRecord> records;
    for (const COLUpdateElement& city : cities) records.push_back(Record(city, city));
    ASSERT_NO_FATAL_FAILURE(SaveRecords(records));
    store = std::make_unique<COLRecordMan>();
    store->LoadAll(Folder());
    packages.SetRecordMan(store.get());
  }
  tag_GridRisk Risk(int index) { return packages.GetGridRiskList()[index]; }
  COLUpdateRecord Stored(int id) {
    COLUpdateRecord r;
    store->DoCommand(kOLGetUpdateRecord, &id, &r);
    return r;
  }
  // Writes every tile of a level-11 grid's levels 11..17, in their order.
  void FillGrid(int gx, int gy) {
    int present = 0;
    ASSERT_EQ(cache.CreateOfflineDat(11, GridName(gx, gy), 11, 17, &present), 1);
    const unsigned char tile[] = {1, 2, 3};
    for (int level = 11; level <= 17; ++level) {
      int s = 1 << (level - 11);
      for (int i = 0; i < s * s; ++i) {
        ASSERT_EQ(cache.WriteGridData(11, GridName(gx * s + i / s, gy * s + i % s), 11, 17, level, tile, 3), 1);
      }
    }
  }
  static CVString GridName(int x, int y) {
    CVString name;
    name.Format(VStr(u"%d_%d"), x, y);
    return name;
  }

  COfflineDataCache cache;
  COLPackageMan packages;
  std::unique_ptr<COLRecordMan> store;
};

TEST_F(PackageManTest, GridRiskListLeavesOutCompleteGridsButCountsThem) {
  // 5_7 complete at levels 11..17 (written in global order), 6_7 half way.
  int present = 0;
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"5_7"), 11, 17, &present), 1);
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"6_7"), 11, 17, &present), 1);
  const unsigned char tile[] = {1, 2, 3};
  auto fill = [&](int gx, int gy, int count) {
    int n = 0;
    for (int level = 11; level <= 17 && n < count; ++level) {
      int s = 1 << (level - 11);
      for (int i = 0; i < s * s && n < count; ++i, ++n) {
        CVString key;
        key.Format(VStr(u"%d_%d"), gx * s + i / s, gy * s + i % s);
        ASSERT_EQ(cache.WriteGridData(11, key, 11, 17, level, tile, 3), 1);
      }
    }
  };
  fill(5, 7, 5461);
  fill(6, 7, 21);
  COLUpdateElement city = Element(1, u"A", 2, {u"5_7", u"6_7", u"7_7"});
  city.endLevel = 18;
  Current(city);
  ASSERT_EQ(packages.OnMessage(kOLCodeEnable, 0), 1);  // nothing is sent here
  ASSERT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 1);
  ASSERT_EQ(packages.GetGridRiskList().GetSize(), 5);   // 5_7 at 18, 6_7 twice, 7_7 twice
  EXPECT_EQ(Risk(0).startLevel, 18);
  EXPECT_EQ(Risk(1).gridX, 6);
  EXPECT_EQ(packages.GetElementTilesDone(), 0);
  EXPECT_EQ(packages.GetTilesDone(), 5461 + 21);
  EXPECT_EQ(packages.GetTilesTotal(), 3 * (5461 + 16384));
  EXPECT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 0);  // a city is in progress
}

// The walk through a grid: level by level, column by column; batches of at
// most 10 tiles of one level, never past the grid's last level.
TEST_F(PackageManTest, TilePositionsAndBatches) {
  Current(Element(1, u"A", 2, {u"5_7"}));
  packages.OnMessage(kOLCodeEnable, 0);
  packages.OnMessage(kOLCodeStartNext, 0);
  ASSERT_EQ(packages.GetGridRiskList().GetSize(), 1);
  struct Case {
    int n;
    int level, column, row;
  };
  for (const Case& c : {Case{0, 11, 5, 7}, Case{1, 12, 10, 14}, Case{4, 12, 11, 15}, Case{5, 13, 20, 28},
                        Case{5460, 17, 383, 511}}) {
    ASSERT_EQ(packages.LocateTilePosition(c.n), 1) << c.n;
    packages.BuildTileBatch();
    const auto& batch = packages.GetBatchTiles();
    ASSERT_GE(batch.GetSize(), 1);
    EXPECT_EQ(batch[0].level, c.level) << c.n;
    EXPECT_EQ(batch[0].column, c.column) << c.n;
    EXPECT_EQ(batch[0].row, c.row) << c.n;
    EXPECT_LE(batch.GetSize(), 10);
    for (int i = 0; i < batch.GetSize(); ++i) EXPECT_EQ(batch[i].level, c.level);
  }
  // At level 13 (4 x 4 tiles) a batch of 10 runs over three columns.
  packages.LocateTilePosition(5);
  packages.BuildTileBatch();
  EXPECT_EQ(packages.GetBatchTiles().GetSize(), 10);
  EXPECT_EQ(Ascii(packages.GetBatchKeys()[4]), "21_28");
  EXPECT_EQ(Ascii(packages.GetBatchKeys()[9]), "22_29");
  EXPECT_EQ(packages.LocateTilePosition(5461), 0);       // past level 17
  EXPECT_EQ(packages.LocateTilePosition(1 << 30), 0);
  EXPECT_EQ(packages.LocateTilePosition(-1), 0);

  int n = 5460;
  EXPECT_EQ(packages.AdvanceGridRisk(n), 0);
  n = 5461;
  EXPECT_EQ(packages.AdvanceGridRisk(n), 1);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(packages.GetGridRiskList().GetSize(), 0);
}

// A data update takes the server's grid list (an added grid is fetched) and
// keeps the grid files another city still lists.
TEST_F(PackageManTest, AnUpdateTakesTheNewGridsAndKeepsSharedFiles) {
  int present = 0;
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"1_1"), 11, 17, &present), 1);
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"3_3"), 11, 17, &present), 1);
  COLUpdateElement a = Element(1, u"A", 2, {u"1_1", u"3_3"}, "3,5,2");
  COLUpdateElement newer = Element(1, u"A", 2, {u"1_1", u"2_2"}, "4,5,2");
  COLUpdateElement b = Element(2, u"B", 4, {u"1_1"});
  COLUpdateFile file;
  file.m_folder = Folder();
  file.m_records.Add(Record(a, newer));
  file.m_records.Add(Record(b, b));
  file.Save();
  store = std::make_unique<COLRecordMan>();
  store->LoadAll(Folder());
  packages.SetRecordMan(store.get());
  ASSERT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 1);
  EXPECT_TRUE(Exists(Path("data/0_0/1_1.dat")));   // B still lists it
  EXPECT_FALSE(Exists(Path("data/0_0/3_3.dat")));  // A's alone
  ASSERT_EQ(packages.GetGridRiskList().GetSize(), 2);
  EXPECT_EQ(Risk(1).gridX, 2);
  EXPECT_EQ(packages.GetTilesTotal(), 2 * 5461);
}

// The watchdog's tick comes on the timer thread: it only posts its check to
// the thread that owns the download.
TEST_F(PackageManTest, WatchdogTickPostsItsCheck) {
  EXPECT_EQ(packages.OnTimer(9, COLPackageMan::kWatchdogTimer), 0);
  EXPECT_EQ(packages.OnTimer(kMsgTimer, 1004), 1);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(packages.OnTimer(kMsgTimer, COLPackageMan::kWatchdogTimer), 1);
  std::vector<tagEngineMsg> posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, kMsgOfflineCommand);
  EXPECT_EQ(posted[0].wParam, kOLCodeWatchdog);
  EXPECT_EQ(packages.OnMessage(kOLCodeWatchdog, 0), 1);  // idle: nothing to restart
}

TEST_F(PackageManTest, GridNamesOnlyInTheirShape) {
  int x = 0, y = 0;
  EXPECT_EQ(COLPackageMan::ParseGridName(W(u"12_345"), &x, &y), 1);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 345);
  for (const char16_t* bad : {u"../../x", u"1_2/3", u"1_", u"_1", u"1_2_18", u"a_b", u"1__2", u"99999999999_1", u""}) {
    EXPECT_EQ(COLPackageMan::ParseGridName(W(bad), &x, &y), 0) << Ascii(W(bad));
  }
  // Grids whose tiles could never be stored are none: a negative column or
  // row, level-18 tiles with no int column or row, a name other than the one
  // the tiles' file is found by.
  EXPECT_EQ(COLPackageMan::ParseGridName(W(u"16777214_16777214"), &x, &y), 1);
  for (const char16_t* far :
       {u"-12_345", u"12_-345", u"-0_1", u"012_345", u"16777215_1", u"1_16777215", u"999999999_7"}) {
    EXPECT_EQ(COLPackageMan::ParseGridName(W(far), &x, &y), 0) << Ascii(W(far));
  }
}

// A grid at the edge of the numbering is walked to its last level-18 tile; one
// beyond it is left out of the download.
TEST_F(PackageManTest, GridsAtTheEdgeOfTheTileNumbering) {
  COLUpdateElement city = Element(1, u"A", 2, {u"999999999_7", u"16777214_7"});
  city.endLevel = 18;
  Current(city);
  packages.OnMessage(kOLCodeEnable, 0);
  packages.OnMessage(kOLCodeStartNext, 0);
  ASSERT_EQ(packages.GetGridRiskList().GetSize(), 2);  // levels 11..17 and 18 of the second grid
  EXPECT_EQ(Risk(0).gridX, 16777214);
  int n = 5461;
  ASSERT_EQ(packages.AdvanceGridRisk(n), 1);
  ASSERT_EQ(packages.LocateTilePosition(16383), 1);
  packages.BuildTileBatch();
  ASSERT_EQ(packages.GetBatchTiles().GetSize(), 1);
  EXPECT_EQ(Ascii(packages.GetBatchKeys()[0]), "2147483519_1023");
}

// The offline data numbers tiles from 0: a grid with a negative number has
// no tile it could store, so it is refused before anything is requested
// (else its first batch would be sent again and again). A city finishes with
// its other grids; one with no grid to fetch stops instead of standing
// "downloading" for ever, and the queue goes on.
TEST_F(PackageManTest, GridsTheOfflineDataCannotHoldAreRefusedUpFront) {
  const unsigned char tile[] = {1, 2, 3};
  int present = 0;
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"-3_5"), 11, 17, &present), 1);
  EXPECT_EQ(cache.WriteGridData(11, W(u"-3_5"), 11, 17, 11, tile, 3), 0);
  ASSERT_NO_FATAL_FAILURE(FillGrid(6, 7));
  Held({Element(1, u"A", 2, {u"-3_5", u"4_-5", u"6_7"}), Element(2, u"B", 2, {u"-1_1", u"-2_-2"}),
        Element(3, u"C", 2, {u"8_8"})});
  Posted();
  EXPECT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 1);
  EXPECT_EQ(Stored(1).local.status, kCityStatusFinished);
  EXPECT_EQ(Stored(1).local.ratio, kCityRatioFinished);
  EXPECT_EQ(Stored(2).local.status, kCityStatusStopped);
  // C is the one downloading now.
  EXPECT_EQ(packages.GetCurrentCityId(), 3);
  EXPECT_EQ(Stored(3).local.status, kCityStatusDownloading);
  ASSERT_EQ(packages.GetGridRiskList().GetSize(), 1);
  EXPECT_EQ(Risk(0).gridX, 8);
  EXPECT_EQ(packages.GetTilesTotal(), 5461);
  // The interface hears of B's stop.
  bool reported = false;
  for (const tagEngineMsg& m : Posted()) {
    reported |= m.message == kMsgOfflineProgress && m.wParam == kOLEventProgress && m.lParam == 2;
  }
  EXPECT_TRUE(reported);
  // The user stops C and starts B again: B stops again at once.
  int c = 3;
  int b = 2;
  ASSERT_EQ(store->DoCommand(kOLStopCity, &c, nullptr), 1);
  ASSERT_EQ(store->DoCommand(kOLStartCity, &b, nullptr), 1);
  packages.OnMessage(kOLCodeStopped, 3);
  EXPECT_EQ(Stored(2).local.status, kCityStatusStopped);
  EXPECT_EQ(packages.GetCurrentCityId(), -1);
}

// A city without grids is stopped at once (nothing to fetch); a stop or a
// removal of another city only reaches the store.
TEST_F(PackageManTest, CommandsWithoutADownload) {
  Held({Element(1, u"A", 2, {}), Element(2, u"B", 4, {u"8_8"})});
  EXPECT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 0);  // nothing else queued
  EXPECT_EQ(Stored(1).local.status, kCityStatusStopped);
  EXPECT_EQ(packages.OnMessage(kOLCodeStartNext, 0), 0);
  EXPECT_EQ(packages.GetCurrentCityId(), -1);
  EXPECT_EQ(packages.OnMessage(kOLCodeStopped, 99), 1);
  EXPECT_EQ(packages.OnMessage(kOLCodeRemoved, 99), 1);  // nothing removed: nothing done
  EXPECT_EQ(packages.OnMessage(77, 0), 1);
}

// A second scan while one runs is ignored; the import ends with its outcome
// and the thread is joined.
TEST_F(PackageManTest, OneImportAtATime) {
  Current(Element(2, u"B", 4, {u"8_8"}));
  std::string documents = m_folder + "Documents/";
  std::filesystem::create_directories(documents);
  packages.SetFolders(Folder(), CVString(documents.c_str()));
  ASSERT_EQ(packages.OnMessage(kOLCodeImport, 1), 1);
  packages.OnMessage(kOLCodeImport, 1);
  packages.JoinImport();
  EXPECT_EQ(packages.IsImporting(), 0);
  std::vector<tagEngineMsg> posted = Posted();
  // No zip: the check pass finds nothing, the import failed, nothing is left.
  // The second request is ignored while the first import runs; one that
  // finds it already ended (an empty scan is quick) starts the next. Either
  // way imports never overlap: each is its check pass, then its end.
  ASSERT_TRUE(posted.size() == 2u || posted.size() == 4u) << posted.size();
  for (size_t i = 0; i < posted.size(); i += 2) {
    EXPECT_EQ(posted[i].wParam, kOLEventCheckEnded);
    EXPECT_EQ(posted[i].lParam, 0);
    EXPECT_EQ(posted[i + 1].wParam, kOLEventImportEnded);
    EXPECT_EQ(posted[i + 1].lParam, 1);
  }
}

}  // namespace
}  // namespace mapengine::test
