// The offline record files: exact bytes as written, what the readers take
// and skip, escaping, and replacing the service's city lists.
#include "engine/base/EngineEnv.h"
#include "engine/data/OfflineFiles.h"
#include "tests/engine/data/OfflineTestSupport.h"

namespace mapengine::test {
namespace {

class OfflineFilesTest : public OfflineTest {};

COLUpdateRecord CityA() {
  COLUpdateElement local = Element(131, u"CityA", 4, {u"g1", u"g2"});
  local.ratio = 10000;
  local.size = 2048;
  local.x = 1000;
  local.y = 2000;
  local.startLevel = 11;
  local.endLevel = 18;
  COLUpdateElement server = local;
  server.grids.RemoveAll();
  CVString g1 = W(u"g1");
  server.grids.Add(g1);
  return Record(local, server);
}

// Grid names in files must have the "x_y" shape; the format itself is shown
// with the names of the example, written as they are.
TEST_F(OfflineFilesTest, UpdateFileBytesFollowTheFormat) {
  COLUpdateFile file;
  file.m_folder = Folder();
  file.m_records.Add(CityA());
  file.m_records.Add(CityA());
  ASSERT_EQ(file.Save(), 1);
  const std::string record =
      "{\"li\":\"131\",\"ln\":\"CityA\",\"lr\":10000,\"lu\":2048,\"ll\":4,\"lx\":1000,\"ly\":2000,\"ldv\":\"3\","
      "\"lmv\":\"5\",\"lb\":\"11\",\"ls\":\"11\",\"le\":\"18\",\"lcv\":\"2\",\"lup\":\"0\",\"lt\":\r\n"
      "  [\r\n    {\"d\":\"g1\"},\r\n    {\"d\":\"g2\"}\r\n  ],\r\n"
      " \"si\":\"131\",\"sn\":\"CityA\",\"sr\":10000,\"su\":2048,\"sl\":4,\"sx\":1000,\"sy\":2000,\"sdv\":\"3\","
      "\"smv\":\"5\",\"sb\":\"11\",\"ss\":\"11\",\"se\":\"18\",\"scv\":\"2\",\"sup\":\"0\",\"st\":\r\n"
      "  [\r\n    {\"d\":\"g1\"}\r\n  ]\r\n";
  EXPECT_EQ(ReadBytes(Path("OfflineUpdate.dat")),
            "[\r\n" + record + "},\r\n" + record + "}\r\n]" + std::string(1, '\0'));
  EXPECT_FALSE(Exists(Path("OfflineUpdate.dat.tmp")));
}

TEST_F(OfflineFilesTest, EmptyListsAndVersions) {
  COLUpdateFile update;
  update.m_folder = Folder();
  COLWifilogFile wifi;
  wifi.m_folder = Folder();
  ASSERT_EQ(update.Save(), 1);
  ASSERT_EQ(wifi.Save(), 1);
  EXPECT_EQ(ReadBytes(Path("OfflineUpdate.dat")), std::string("[\r\n]\0", 5));
  EXPECT_EQ(ReadBytes(Path("OfflineWifilog.dat")), std::string("[\r\n]\0", 5));
  wifi.m_records.Add(COLWifilogRecord{5});
  wifi.m_records.Add(COLWifilogRecord{7});
  ASSERT_EQ(wifi.Save(), 1);
  EXPECT_EQ(ReadBytes(Path("OfflineWifilog.dat")), std::string("[\r\n{\"i\":5},\r\n{\"i\":7}\r\n]\0", 24));

  COLVersionFile version;
  version.m_folder = Folder();
  version.m_record = COLVersionRecord{W(u"7"), W(u"8"), W(u"9")};
  ASSERT_EQ(version.Save(), 1);
  EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
  WriteBytes(Path("OfflineVersion.dat"), "{\"D\":\"8\",\"c\":\"7\"}");  // no "m", no zero byte
  COLVersionFile read;
  ASSERT_EQ(read.Load(Folder()), 1);
  EXPECT_EQ(U16(read.m_record.pictureVersion), u"8");
  EXPECT_EQ(U16(read.m_record.taskVersion), u"");
  EXPECT_EQ(U16(read.m_record.cityVersion), u"7");
}

// Texts with quotes and backslashes survive a round trip (they would tear
// the file unescaped); a character GBK lacks is dropped; other-case keys,
// a missing "lup" are read, and so is an empty grid list; records lacking a
// required pair or with a grid name of another shape are skipped with their
// counts.
TEST_F(OfflineFilesTest, UpdateFileRoundTripAndSkippedRecords) {
  COLUpdateFile file;
  file.m_folder = Folder();
  COLUpdateElement odd = Element(7, u"Q\"uo\\te€\x20AC北京", 4, {u"10_20", u"-3_4"});
  file.m_records.Add(Record(odd, odd));
  COLUpdateElement empty = Element(8, u"Empty", 2, {});
  file.m_records.Add(Record(empty, Element(8, u"Empty", 2, {u"1_1"})));
  ASSERT_EQ(file.Save(), 1);

  COLUpdateFile read;
  ASSERT_EQ(read.Load(Folder()), 1);
  ASSERT_EQ(read.m_records.GetSize(), 2);
  EXPECT_EQ(U16(read.m_records[0].local.name), u"Q\"uo\\te北京");
  EXPECT_EQ(read.GetGridRef(W(u"10_20")), 1);
  EXPECT_EQ(read.m_records[1].local.grids.GetSize(), 0);
  ASSERT_EQ(read.m_records[1].server.grids.GetSize(), 1);
  EXPECT_EQ(read.GetGridRef(W(u"1_1")), 0);  // server grids are not counted

  std::string bytes = ReadBytes(Path("OfflineUpdate.dat"));
  std::string lower = "{\"LI\":\"9\",\"Ln\":\"x\",\"lr\":0,\"lu\":0,\"ll\":2,\"lx\":0,\"ly\":0,\"ldv\":\"\",\"lmv\":\"\","
                      "\"lb\":\"11\",\"ls\":\"11\",\"le\":\"17\",\"lcv\":\"\",\"lt\":[{\"d\":\"5_5\"}],"
                      "\"si\":\"9\",\"sn\":\"x\",\"sr\":0,\"su\":0,\"sl\":2,\"sx\":0,\"sy\":0,\"sdv\":\"\",\"smv\":\"\","
                      "\"sb\":\"11\",\"ss\":\"11\",\"se\":\"17\",\"scv\":\"\",\"st\":[{\"d\":\"5_5\"}]}";
  std::string noCityVersion = lower;
  noCityVersion.replace(noCityVersion.find("\"lcv\":\"\","), 9, "");
  std::string traversal = lower;
  traversal.replace(traversal.find("5_5"), 3, "../../x");
  WriteBytes(Path("OfflineUpdate.dat"), "[" + noCityVersion + "," + traversal + "," + lower + "]");
  EXPECT_EQ(read.Load(Folder()), 0) << "not read whole";
  ASSERT_EQ(read.m_records.GetSize(), 1);
  EXPECT_EQ(read.m_records[0].local.cityId, 9);
  EXPECT_EQ(read.m_records[0].local.updateFlag, 0);
  // Only the record taken counts its grids.
  EXPECT_EQ(read.GetGridRef(W(u"5_5")), 1);

  WriteBytes(Path("OfflineUpdate.dat"), "[{\"li\":");
  EXPECT_EQ(read.Load(Folder()), 0);
  EXPECT_EQ(read.m_records.GetSize(), 0);
}

// A grid item without a name is no grid: a list of nothing else reads as
// empty, and a record read is written and read back whole.
TEST_F(OfflineFilesTest, GridItemsWithoutANameAreNoGrids) {
  COLUpdateFile file;
  file.m_folder = Folder();
  COLUpdateElement city = Element(9, u"City", 2, {u"5_5"});
  file.m_records.Add(Record(city, city));
  ASSERT_EQ(file.Save(), 1);
  const std::string saved = ReadBytes(Path("OfflineUpdate.dat"));
  struct Case {
    const char* localGrids;
    int grids;
  } cases[] = {{"{\"e\":\"5_5\"}", 0}, {"{\"e\":\"1_1\"},{\"d\":\"5_5\"}", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.localGrids);
    std::string bytes = saved;
    bytes.replace(bytes.find("{\"d\":\"5_5\"}"), 11, c.localGrids);
    WriteBytes(Path("OfflineUpdate.dat"), bytes);
    COLUpdateFile read;
    ASSERT_EQ(read.Load(Folder()), 1);
    ASSERT_EQ(read.m_records.GetSize(), 1);
    ASSERT_EQ(read.Save(), 1);
    COLUpdateFile again;
    ASSERT_EQ(again.Load(Folder()), 1);
    ASSERT_EQ(again.m_records.GetSize(), 1);
    ASSERT_EQ(again.m_records[0].local.grids.GetSize(), c.grids);
    if (c.grids) {
      EXPECT_EQ(U16(again.m_records[0].local.grids[0]), u"5_5");
    }
  }
}

TEST_F(OfflineFilesTest, CityListsTakeTheSizeOfTheScreenDensity) {
  CEngineEnv env;
  GetGlobalMan()->SetSlot(kSlotEngineEnv, &env);
  WriteBytes(Path("OfflineSearch.dat"),
             Gbk(u"[{\"i\":\"131\",\"n\":\"北京市\",\"sl\":\"100\",\"sh\":\"150\"},{\"i\":\"289\",\"n\":\"上海市\",\"sl\":\"7\"}]"));
  struct Case {
    int dpi;
    int cities;
    int size;
  };
  for (const Case& c : {Case{326, 1, 150}, Case{163, 2, 100}}) {
    env.m_version.density.SetSize(c.dpi, c.dpi);
    COLSearchFile file;
    ASSERT_EQ(file.Load(Folder()), 1);
    ASSERT_EQ(file.m_cities.GetSize(), c.cities) << c.dpi;
    EXPECT_EQ(file.m_cities[0].cityId, 131);
    EXPECT_EQ(U16(file.m_cities[0].name), u"北京市");
    EXPECT_EQ(file.m_cities[0].size, c.size);
  }
  GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
}

// A downloaded list replaces the file only when it is a JSON array: an error
// page or a cut body leaves the good file in place.
TEST_F(OfflineFilesTest, ReplacingAListKeepsGoodDataFromBadBodies) {
  COLHotcityFile file;
  file.m_folder = Folder();
  const std::string good = "[{\"i\":\"131\",\"n\":\"x\",\"sl\":\"1\"}]";
  ASSERT_EQ(file.Replace(good.data(), static_cast<int>(good.size())), 1);
  EXPECT_EQ(file.m_reload, 1);
  EXPECT_EQ(ReadBytes(Path("OfflineHotcity.dat")), good);
  file.m_reload = 0;
  for (const std::string bad : {"<html>502</html>", "[{\"i\":\"131\",\"n\"", "{\"i\":1}"}) {
    EXPECT_EQ(file.Replace(bad.data(), static_cast<int>(bad.size())), 0) << bad;
    EXPECT_EQ(ReadBytes(Path("OfflineHotcity.dat")), good);
    EXPECT_EQ(file.m_reload, 0);
  }
  file.ReloadIfFlagged();
  EXPECT_EQ(file.m_cities.GetSize(), 0);  // not reloaded: nothing was replaced since
}

}  // namespace
}  // namespace mapengine::test
