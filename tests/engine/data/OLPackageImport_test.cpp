// Package import and check files against packages made by the package
// maker: refused packages keep their zip and leave nothing unpacked; sound
// ones are taken smallest first.
#include <set>

#include "engine/data/OLPackageMan.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapengine::test {
namespace {

using offlinepack::Variant;

class PackageImportTest : public OfflineTest {
protected:
  void SetUp() override {
    OfflineTest::SetUp();
    documents = m_folder + "Documents/";
    std::filesystem::create_directories(documents);
    store.LoadAll(Folder());
    packages.SetRecordMan(&store);
    packages.SetFolders(Folder(), CVString(documents.c_str()));
  }
  offlinepack::City City(int id, int size, std::vector<std::string> grids) {
    offlinepack::City city;
    city.id = id;
    city.name = "测试";
    city.size = size;
    city.endLevel = 13;
    city.grids = std::move(grids);
    return city;
  }
  void Zip(const std::string& name, const offlinepack::City& city, Variant variant = Variant::Sound) {
    ASSERT_TRUE(offlinepack::writeZip(documents + name, offlinepack::packageEntries(city, variant)));
  }
  std::vector<tagEngineMsg> Import() {
    Posted();
    packages.OnMessage(kOLCodeImport, 1);
    packages.JoinImport();
    return Posted();
  }
  std::vector<std::pair<int, int>> Events(const std::vector<tagEngineMsg>& posted) {
    std::vector<std::pair<int, int>> out;
    for (const tagEngineMsg& m : posted) {
      if (m.message == kMsgOfflineProgress) out.emplace_back(m.wParam, m.lParam);
    }
    return out;
  }
  bool Held(int id) {
    COLUpdateRecord r;
    return store.DoCommand(kOLGetUpdateRecord, &id, &r) == 1;
  }
  // Files left under the unpacked-package folder.
  size_t Unpacked() {
    std::string folder = m_folder + "VurivMap/Mapdata";
    size_t n = 0;
    if (Exists(folder)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) n += e.is_regular_file() ? 1 : 0;
    }
    return n;
  }

  std::string documents;
  COLRecordMan store;
  COLPackageMan packages;
};

TEST_F(PackageImportTest, PackagesAreTakenSmallestCityFirst) {
  ASSERT_NO_FATAL_FAILURE(Zip("big.zip", City(300, 300, {"100_200"})));
  ASSERT_NO_FATAL_FAILURE(Zip("small.vedu.zip", City(100, 100, {"101_200"})));
  std::vector<std::pair<int, int>> events = Events(Import());
  // The package events of one import merge into the latest.
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{2, 2}, {6, 2}, {5, 0}}));
  EXPECT_TRUE(Held(100));
  EXPECT_TRUE(Held(300));
  EXPECT_FALSE(Exists(documents + "big.zip"));
  EXPECT_EQ(Unpacked(), 0u);
  EXPECT_TRUE(Exists(Path("data/10_20/100_200.dat")));
}

// Each fault refuses the package: its zip stays, nothing stays unpacked,
// nothing lands outside the data folder and the store is unchanged.
TEST_F(PackageImportTest, RefusedPackagesKeepTheirZipAndLeaveNoResidue) {
  packages.SetDiskFreeProbe([](double* free) {
    *free = 1e9;
    return 1;
  });
  for (Variant variant : {Variant::WrongDigest, Variant::ShortFile, Variant::MissingKey, Variant::TwoObjects,
                          Variant::TraversalName, Variant::OversizedCity}) {
    ASSERT_NO_FATAL_FAILURE(Zip("city.zip", City(150, 100, {"100_200"}), variant));
    std::vector<std::pair<int, int>> events = Events(Import());
    SCOPED_TRACE(static_cast<int>(variant));
    EXPECT_EQ(events.back(), (std::pair<int, int>{3, 1}));
    EXPECT_TRUE(Exists(documents + "city.zip"));
    EXPECT_FALSE(Held(150));
    EXPECT_EQ(Unpacked(), 0u);
    EXPECT_FALSE(Exists(Path("data/10_20/100_200.dat")));
    EXPECT_FALSE(Exists(m_folder + "../100_200.map"));
    std::filesystem::remove(documents + "city.zip");
  }
}

// Too little room for the second package: it stays for later.
TEST_F(PackageImportTest, TooLittleSpaceLeavesThePackage) {
  ASSERT_NO_FATAL_FAILURE(Zip("a.zip", City(100, 100, {"100_200"})));
  ASSERT_NO_FATAL_FAILURE(Zip("b.zip", City(300, 6000000, {"101_200"})));
  packages.SetDiskFreeProbe([](double* free) {
    *free = 5242880.0 + 1000000.0;
    return 1;
  });
  std::vector<std::pair<int, int>> events = Events(Import());
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{2, 2}, {6, 1}, {5, 1}, {3, 1}}));
  EXPECT_TRUE(Held(100));
  EXPECT_FALSE(Held(300));
  EXPECT_TRUE(Exists(documents + "b.zip"));
  packages.SetDiskFreeProbe([](double*) { return 0; });
  EXPECT_EQ(Events(Import()), (std::vector<std::pair<int, int>>{{5, 1}}));
}

// Versions: the same package again is taken; an older one is left out; a
// stored city without versions refuses every package.
TEST_F(PackageImportTest, OlderPackagesAreLeftOut) {
  ASSERT_NO_FATAL_FAILURE(Zip("a.zip", City(100, 100, {"100_200"})));
  Import();
  ASSERT_TRUE(Held(100));
  ASSERT_NO_FATAL_FAILURE(Zip("a.zip", City(100, 100, {"100_200"})));
  EXPECT_EQ(Events(Import()).back(), (std::pair<int, int>{5, 0}));
  offlinepack::City older = City(100, 100, {"100_200"});
  older.dataVersion = "7";
  ASSERT_NO_FATAL_FAILURE(Zip("a.zip", older));
  EXPECT_EQ(Events(Import()).back(), (std::pair<int, int>{3, 1}));
  EXPECT_TRUE(Exists(documents + "a.zip"));
}

TEST_F(PackageImportTest, CheckFileEntries) {
  std::string chk = Path("x.chk");
  WriteBytes(chk, "[{\"name\":\"12345_6789_7.map\",\"size\":2048,\"smd5\":\"ABC\",\"emd5\":\"def\"},"
                  "{\"name\":\"1_1.map\",\"size\":1},{\"name\":\"1_2.map\",\"size\":1,\"smd5\":\"" +
                      std::string(60, 'a') + "\",\"emd5\":\"b\"}]");
  CVArray<tag_CheckInfo> entries;
  // One lacks keys, one has a digest too long for its field: the list read
  // is not the whole list.
  ASSERT_EQ(COLPackageMan::ReadCheckFile(CVString(chk.c_str()), entries), 0);
  ASSERT_EQ(entries.GetSize(), 1);
  EXPECT_EQ(entries[0].size, 2048);
  EXPECT_STREQ(entries[0].startDigest, "ABC");
  EXPECT_EQ(COLPackageMan::ReadCheckFile(CVString(Path("none.chk").c_str()), entries), 0);

  // A file named 12345_6789_7.map lies in 1234_678/ and becomes a ".dat" there.
  offlinepack::City city = City(7, 1, {"12345_6789"});
  for (const offlinepack::Entry& e : offlinepack::packageEntries(city)) WriteBytes(Path(e.name), e.bytes);
  EXPECT_EQ(packages.CheckPackages(Folder()), 1);
  EXPECT_TRUE(Exists(Path("data/1234_678/12345_6789.dat")));
}


// A package whose entry names become ".." once converted from GBK (0xFF and
// an unassigned pair are dropped) can neither write nor remove anything
// beside the SDK and Documents folders: not when unpacking, not as its record
// file, not when a failed check removes what was unpacked.
class PackageEscapeTest : public OfflineTest {
protected:
  void SetUp() override {
    OfflineTest::SetUp();
    sdk = m_folder + "sdk/";
    documents = m_folder + "Documents/";
    std::filesystem::create_directories(sdk);
    std::filesystem::create_directories(documents);
    store.LoadAll(CVString(sdk.c_str()));
    packages.SetRecordMan(&store);
    packages.SetFolders(CVString(sdk.c_str()), CVString(documents.c_str()));
    packages.SetDiskFreeProbe([](double* free) {
      *free = 1e9;
      return 1;
    });
  }
  // Names directly under the test folder.
  std::set<std::string> Beside() {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_folder)) names.insert(e.path().filename().string());
    return names;
  }

  std::string sdk;
  std::string documents;
  COLRecordMan store;
  COLPackageMan packages;
};

TEST_F(PackageEscapeTest, NamesThatBecomeParentFoldersTouchNothingOutside) {
  struct Case {
    std::string entry;     // put first in the package
    std::string bystander;  // the file beside the folders it aims at
    Variant variant;
  } cases[] = {
      {".\xff./x", "x", Variant::Sound},
      {".\x81\x30./x", "x", Variant::Sound},
      {"VurivMap/.\xff./.\xff./x", "x", Variant::Sound},
      {".\xff./x.cfg", "x.cfg", Variant::Sound},
      {".\xff./x", "x", Variant::WrongDigest},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry + " " + std::to_string(static_cast<int>(c.variant)));
    WriteBytes(m_folder + c.bystander, "keep");
    offlinepack::City city;
    city.id = 150;
    city.name = "测试";
    city.size = 100;
    city.endLevel = 13;
    city.grids = {"100_200"};
    std::vector<offlinepack::Entry> entries = offlinepack::packageEntries(city, c.variant);
    entries.insert(entries.begin(), {c.entry, "overwritten"});
    ASSERT_TRUE(offlinepack::writeZip(documents + "city.zip", entries));
    packages.OnMessage(kOLCodeImport, 1);
    packages.JoinImport();
    Posted();
    EXPECT_EQ(ReadBytes(m_folder + c.bystander), "keep");
    EXPECT_EQ(Beside(), (std::set<std::string>{"Documents", "sdk", c.bystander}));
    EXPECT_TRUE(Exists(documents + "city.zip"));
    std::filesystem::remove(m_folder + c.bystander);
    std::filesystem::remove(documents + "city.zip");
  }
}

// A check file with an entry that cannot be read lists a file nobody
// verified: the city is refused, not merged as finished, and its unpacked
// files go.
TEST_F(PackageImportTest, ACheckFileWithAnUnreadableEntryRefusesTheCity) {
  const std::string broken[] = {"{\"name\":\"x.map\",\"size\":1},",
                                "{\"name\":\"x.map\",\"size\":1,\"smd5\":\"" + std::string(60, 'a') +
                                    "\",\"emd5\":\"b\"},"};
  for (const std::string& entry : broken) {
    offlinepack::City city = City(8, 1, {"100_200"});
    std::vector<std::string> written;
    for (offlinepack::Entry e : offlinepack::packageEntries(city)) {
      if (e.name.ends_with(".chk")) e.bytes.insert(e.bytes.find('[') + 1, entry);
      WriteBytes(Path(e.name), e.bytes);
      written.push_back(e.name);
    }
    EXPECT_EQ(packages.CheckPackages(Folder()), 0);
    EXPECT_FALSE(Held(8));
    for (const std::string& name : written) EXPECT_FALSE(Exists(Path(name))) << name;
  }
}

}  // namespace
}  // namespace mapengine::test
