// Crash consistency: a child process is killed at each write (and rename)
// of the offline store's files and of the package check pass; the survivor
// must load every record it had, and a later pass must leave no orphan.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "engine/base/VFile.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/VerDatsetMan.h"
#include "engine/render/GridDataFile.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapengine::test {
namespace {

int g_writesLeft = 0;

void KillAtWrite(unsigned) {
  if (--g_writesLeft == 0) {
    kill(getpid(), SIGKILL);
  }
}

// Runs the work in a child killed at its n-th write; true when the child was
// killed, false when it finished first.
bool RunKilledAt(int n, const std::function<void()>& work) {
  pid_t child = fork();
  if (child == 0) {
    g_writesLeft = n;
    SetVFileWriteHook(KillAtWrite);
    work();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::vector<std::string> Leftovers(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    std::string name = entry.path().string();
    if (entry.is_regular_file() && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      found.push_back(name);
    }
  }
  return found;
}

class OfflineCrashTest : public OfflineTest {
protected:
  void Seed(std::vector<COLUpdateRecord> records) {
    ASSERT_NO_FATAL_FAILURE(SaveRecords(records));
    COLVersionFile versions;
    versions.m_folder = Folder();
    versions.m_record = COLVersionRecord{W(u"1"), W(u"1"), W(u"1")};
    ASSERT_EQ(versions.Save(), 1);
  }
  std::vector<int> StoredIds() {
    COLRecordMan store;
    store.LoadAll(Folder());
    CVArray<COLUpdateRecord> list;
    store.DoCommand(kOLGetUpdateList, nullptr, &list);
    std::vector<int> ids;
    for (int i = 0; i < list.GetSize(); ++i) ids.push_back(list[i].local.cityId);
    std::sort(ids.begin(), ids.end());
    return ids;
  }
};

// Every write of the update, version, Wi-Fi log and data-set version files:
// the files hold the old content or the new, never every city forgotten.
TEST_F(OfflineCrashTest, StoreFilesSurviveAKillAtEveryWrite) {
  COLUpdateElement a = Element(1, u"A", 4, {u"1_1"});
  COLUpdateElement b = Element(2, u"B", 4, {u"2_2"});
  ASSERT_NO_FATAL_FAILURE(Seed({Record(a, a), Record(b, b)}));
  WriteBytes(Path("OfflineSearch.dat"), "[{\"i\":\"131\",\"n\":\"x\",\"sl\":\"1\"}]");
  auto work = [this] {
    COLRecordMan store;
    store.LoadAll(Folder());
    CVArray<COLUpdateRecord> list;
    list.Add(Record(COLUpdateElement(), Element(3, u"C", 0, {u"3_3"})));
    store.DoCommand(kOLMergeServerList, &list, nullptr);  // the update file
    COLVersionRecord v{W(u"7"), W(u"8"), W(u"9")};
    store.DoCommand(kOLOnVersionReply, &v, nullptr);     // the version file, then the update file
    int city = 131;
    store.DoCommand(kOLAddWifilog, &city, nullptr);      // the Wi-Fi log
    std::string hot = "[{\"i\":\"131\",\"n\":\"x\",\"sl\":\"1\"}]";
    int length = static_cast<int>(hot.size());
    store.DoCommand(kOLReplaceHotcityFile, hot.data(), &length);  // a downloaded list
    CVerDatsetMan versions;
    versions.LoadFile(Folder());
    versions.Save();                                     // VerDatset.dat
  };
  int kills = 0;
  for (int n = 1; RunKilledAt(n, work); ++n) {
    ++kills;
    std::vector<int> ids = StoredIds();
    EXPECT_TRUE(ids == (std::vector<int>{1, 2}) || ids == (std::vector<int>{1, 2, 3})) << "write " << n;
    COLVersionFile versions;
    EXPECT_EQ(versions.Load(Folder()), 1) << "write " << n;
    std::string version = U16(versions.m_record.cityVersion) == u"7" ? "7" : "1";
    EXPECT_EQ(U16(versions.m_record.taskVersion), version == "7" ? u"9" : u"1") << "write " << n;
    std::string wifi = Exists(Path("OfflineWifilog.dat")) ? ReadBytes(Path("OfflineWifilog.dat")) : "";
    EXPECT_TRUE(wifi.empty() || wifi == std::string("[\r\n{\"i\":131}\r\n]\0", 16)) << "write " << n;
    std::string hot = Exists(Path("OfflineHotcity.dat")) ? ReadBytes(Path("OfflineHotcity.dat")) : "";
    EXPECT_TRUE(hot.empty() || hot == "[{\"i\":\"131\",\"n\":\"x\",\"sl\":\"1\"}]") << "write " << n;
    CVerDatsetMan datasets;
    if (Exists(Path("VerDatset.dat"))) {
      EXPECT_EQ(datasets.LoadFile(Folder()), 1) << "write " << n;
    }
  }
  EXPECT_GE(kills, 15);  // three writes per replacement, six replacements at least
  // A later pass leaves no temporary file behind.
  work();
  EXPECT_EQ(Leftovers(m_folder, ".tmp"), std::vector<std::string>());
  EXPECT_EQ(StoredIds(), (std::vector<int>{1, 2, 3}));
}

// A removal whose grid files were never deleted (the engine stopped before
// the package manager saw it): the next start deletes them, shared ones kept.
TEST_F(OfflineCrashTest, ARemovalCutShortLeavesNoOrphanGridFiles) {
  COLUpdateElement a = Element(1, u"A", 4, {u"2530_942", u"2531_942"});
  COLUpdateElement b = Element(2, u"B", 4, {u"2531_942"});
  ASSERT_NO_FATAL_FAILURE(Seed({Record(a, a), Record(b, b)}));
  COfflineDataCache cache;
  cache.Init(Folder(), W(u"10000001"), 0);
  int written = 0;
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"2530_942"), 11, 17, &written), 1);
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"2531_942"), 11, 17, &written), 1);
  ASSERT_TRUE(RunKilledAt(4, [this] {  // the removal's write is done, then the process dies
    COLRecordMan store;
    store.LoadAll(Folder());
    int id = 1;
    store.DoCommand(kOLRemoveCity, &id, nullptr);
    store.DoCommand(kOLRemoveCity, &id, nullptr);
    COLWifilogFile log;
    log.m_folder = Folder();
    log.Save();
  }));
  EXPECT_TRUE(Exists(Path("data/253_94/2530_942.dat")));
  EXPECT_EQ(StoredIds(), std::vector<int>{2});
  EXPECT_FALSE(Exists(Path("data/253_94/2530_942.dat")));
  EXPECT_TRUE(Exists(Path("data/253_94/2531_942.dat")));
}

// The sweep trusts only a store it read whole: a missing, unreadable or
// damaged OfflineUpdate.dat at start deletes no grid file.
TEST_F(OfflineCrashTest, AStoreNotReadWholeSweepsNothing) {
  struct Case {
    const char* name;
    std::optional<std::string> text;
  } cases[] = {
      {"missing", std::nullopt},
      {"not JSON", std::string("[{\"li\":")},
      {"not a list", std::string("{\"li\":\"2\"}")},
      {"a damaged record", std::string("[1]")},
  };
  COfflineDataCache cache;
  cache.Init(Folder(), W(u"10000001"), 0);
  int written = 0;
  ASSERT_EQ(cache.CreateOfflineDat(11, W(u"2530_942"), 11, 17, &written), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Path("OfflineUpdate.dat"));
    if (c.text) WriteBytes(Path("OfflineUpdate.dat"), *c.text);
    COLRecordMan store;
    store.LoadAll(Folder());
    EXPECT_TRUE(Exists(Path("data/253_94/2530_942.dat")));
  }
  // Read whole and listing no grid: the file is an orphan.
  COLUpdateFile none;
  none.m_folder = Folder();
  ASSERT_EQ(none.Save(), 1);
  COLRecordMan store;
  store.LoadAll(Folder());
  EXPECT_FALSE(Exists(Path("data/253_94/2530_942.dat")));
}

// The check pass killed at every rename of the tile files and at the merge's
// writes: the next pass takes the city, with nothing left behind.
TEST_F(OfflineCrashTest, CheckPassKilledBetweenMovesAndMergeRecovers) {
  offlinepack::City city;
  city.id = 150;
  city.name = "廊坊市";
  city.startLevel = 11;
  city.endLevel = 13;  // files above the 1024 bytes the digests cover
  city.grids = {"2531_942", "2532_942", "2533_942"};
  std::vector<offlinepack::Entry> entries = offlinepack::packageEntries(city);
  auto unpack = [&] {
    for (const offlinepack::Entry& e : entries) WriteBytes(Path(e.name), e.bytes);
  };
  auto work = [this] {
    COLRecordMan store;
    store.LoadAll(Folder());
    COLPackageMan packages;
    packages.SetRecordMan(&store);
    packages.SetFolders(Folder(), Folder());
    packages.CheckPackages(Folder());
  };
  int kills = 0;
  for (int n = 1;; ++n) {
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
    unpack();
    if (!RunKilledAt(n, work)) {
      break;
    }
    ++kills;
    work();  // the next scan
    EXPECT_EQ(StoredIds(), std::vector<int>{150}) << "write " << n;
    for (const char* grid : {"2531_942", "2532_942", "2533_942"}) {
      std::string moved = Path(std::string("data/253_94/") + grid + ".dat");
      EXPECT_TRUE(ReadBytes(moved) == offlinepack::gridFile(std::atoi(grid), 942, 11, 13)) << "write " << n;
    }
    EXPECT_EQ(Leftovers(m_folder + "VurivMap", ""), std::vector<std::string>()) << "write " << n;
    EXPECT_EQ(Leftovers(m_folder, ".tmp"), std::vector<std::string>()) << "write " << n;
  }
  EXPECT_GE(kills, 6);  // three renames, then the merge's writes
}

}  // namespace
}  // namespace mapengine::test
