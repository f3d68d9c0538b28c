#include "engine/render/GridDataFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "engine/base/VMem.h"
#include "engine/render/GridDataCache.h"
#include "tests/engine/render/EngineText.h"
#include "platform/testing/TempFolder.h"

using namespace mapengine;

namespace {

class GridDataFileTest : public ::testing::Test {
protected:
  void SetUp() override { cache.Init(CVString(home.directory().c_str()), CVString("10000001"), 0); }

  std::string FilePath(const char* relative) const { return home.directory() + "data/" + relative; }
  std::vector<unsigned char> FileBytes(const char* relative) const {
    std::ifstream in(FilePath(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static int Word(const std::vector<unsigned char>& bytes, size_t at) {
    int v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }
  // A tile's bytes that say which tile they are.
  static std::vector<unsigned char> TileBytes(int level, int x, int y) {
    std::string text = "tile " + std::to_string(level) + "/" + std::to_string(x) + "/" + std::to_string(y);
    return {text.begin(), text.end()};
  }
  int Write(int base, int first, int last, int level, int x, int y) {
    std::vector<unsigned char> bytes = TileBytes(level, x, y);
    return cache.WriteGridData(base, Key(x, y), first, last, level, bytes.data(), static_cast<int>(bytes.size()));
  }
  static CVString Key(int x, int y) { return CVString((std::to_string(x) + "_" + std::to_string(y)).c_str()); }
  // 1 when the tile reads back as written.
  int ReadsBack(int base, int level, int x, int y) {
    unsigned char* data = nullptr;
    int size = 0;
    if (!cache.ReadTileData(base, Key(x, y), level, &data, &size)) {
      return 0;
    }
    std::vector<unsigned char> expected = TileBytes(level, x, y);
    bool same = size == static_cast<int>(expected.size()) && std::memcmp(data, expected.data(), expected.size()) == 0;
    VDelete(data);
    return same ? 1 : 0;
  }

  TempFolder home;
  COfflineDataCache cache;
};

// The tiles of the low-level file of cell 5_6 in their global order.
std::vector<std::array<int, 3>> LowLevelOrder(int lastLevel) {
  std::vector<std::array<int, 3>> order;
  for (int level = 3; level <= lastLevel; ++level) {
    int side = 1 << (level - 3);
    for (int i = 0; i < side * side; ++i) {
      order.push_back({level, 5 * side + i / side, 6 * side + i % side});
    }
  }
  return order;
}

TEST_F(GridDataFileTest, FileKindsHaveTheirLayoutAndPlace) {
  int written = -1;
  ASSERT_EQ(cache.CreateOfflineDat(11, CVString("7_9"), 18, 18, &written), 1);
  EXPECT_EQ(written, 0);
  std::vector<unsigned char> top = FileBytes("0_0/7_9_18.dat");
  ASSERT_EQ(top.size(), 36u + 4 + 131072);
  EXPECT_EQ(static_cast<unsigned>(Word(top, 0)), 0xFFFFFFFFu);
  EXPECT_EQ(Word(top, 4), 0);         // single level
  EXPECT_EQ(Word(top, 8), 10000001);  // version
  EXPECT_EQ(Word(top, 20), 0);        // nothing written
  EXPECT_EQ(Word(top, 36), 16384);
  EXPECT_EQ(Word(top, 40), -1);

  ASSERT_EQ(cache.CreateOfflineDat(11, CVString("1234_567"), 11, 17, &written), 1);
  std::vector<unsigned char> middle = FileBytes("123_56/1234_567.dat");
  EXPECT_EQ(Word(middle, 4), 1);
  EXPECT_EQ(Word(middle, 36), 11);
  EXPECT_EQ(Word(middle, 40), 7);
  int block11 = Word(middle, 44);
  int block17 = Word(middle, 44 + 8 * 6);
  EXPECT_EQ(block11, 44 + 8 * 7);
  EXPECT_EQ(Word(middle, 48), 4 + 8);
  EXPECT_EQ(Word(middle, block11), 1);
  EXPECT_EQ(Word(middle, block17), 4096);
  EXPECT_EQ(Word(middle, 44 + 8 * 6 + 4), 4 + 8 * 4096);
  EXPECT_EQ(middle.size(), static_cast<size_t>(block17 + 4 + 8 * 4096));
}

TEST_F(GridDataFileTest, TilesGoInGlobalOrderAndReadBack) {
  ASSERT_EQ(cache.CreateOfflineDat(3, CVString("5_6"), 3, 5, nullptr), 1);
  EXPECT_EQ(Write(3, 3, 5, 4, 10, 12), 0) << "a level-4 tile before the level-3 tile";
  auto order = LowLevelOrder(5);
  for (size_t i = 0; i < 10; ++i) {
    ASSERT_EQ(Write(3, 3, 5, order[i][0], order[i][1], order[i][2]), 1) << i;
  }
  EXPECT_EQ(Write(3, 3, 5, order[11][0], order[11][1], order[11][2]), 0) << "a tile skipped";
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(ReadsBack(3, order[i][0], order[i][1], order[i][2]), 1) << i;
  }
  unsigned char* data = nullptr;
  int size = 0;
  EXPECT_EQ(cache.ReadTileData(3, CVString("43_50"), 6 - 1, &data, &size), 0) << "entry still 0xFF";
  // An interrupted download resumes where it stopped.
  int written = 0;
  ASSERT_EQ(cache.CreateOfflineDat(3, CVString("5_6"), 3, 5, &written), 1);
  EXPECT_EQ(written, 10);
  EXPECT_EQ(Write(3, 3, 5, order[10][0], order[10][1], order[10][2]), 1);
  EXPECT_EQ(ReadsBack(3, order[0][0], order[0][1], order[0][2]), 1);
}

TEST_F(GridDataFileTest, EmptyAndOversizedTiles) {
  ASSERT_EQ(cache.CreateOfflineDat(11, CVString("0_0"), 18, 18, nullptr), 1);
  std::vector<unsigned char> big(COfflineDataCache::kMaxTileSize);
  EXPECT_EQ(cache.WriteGridData(11, CVString("0_0"), 18, 18, 18, big.data(), static_cast<int>(big.size())), 0);
  ASSERT_EQ(cache.WriteGridData(11, CVString("0_0"), 18, 18, 18, big.data(), 0), 1);
  unsigned char* data = nullptr;
  int size = 0;
  ASSERT_EQ(cache.ReadTileData(11, CVString("0_0"), 18, &data, &size), 1);
  ASSERT_EQ(size, 20);
  const unsigned char taon[20] = {0x74, 0x61, 0x6F, 0x6E};
  EXPECT_EQ(std::memcmp(data, taon, 20), 0);
  VDelete(data);
  ASSERT_EQ(cache.WriteGridData(11, CVString("0_1"), 18, 18, 18, big.data(), COfflineDataCache::kMaxTileSize - 1), 1);
  ASSERT_EQ(cache.ReadTileData(11, CVString("0_1"), 18, &data, &size), 1);
  EXPECT_EQ(size, COfflineDataCache::kMaxTileSize - 1);
  VDelete(data);
}

TEST_F(GridDataFileTest, NamesKeysAndLevelsOutsideTheShapesAreRefused) {
  CVString path;
  for (const char* name : {"../../x", "1_2/../../3_4", "", "1_", "_1", "1_2_17", "1_2_18x", "1_2.dat", "12345678901_1",
                           "1__2", "a_b"}) {
    EXPECT_EQ(cache.GetGridFilePath(path, CVString(name)), 0) << name;
    EXPECT_EQ(cache.DeleteGridFile(CVString(name)), 0) << name;
    EXPECT_EQ(cache.CreateOfflineDat(11, CVString(name), 11, 17, nullptr), 0) << name;
  }
  EXPECT_EQ(cache.GetGridFilePath(path, CVString("-3_14_18")), 1);
  struct {
    const char* key;
    int level;
    int base;
  } refused[] = {{"-1_5", 12, 11}, {"5_-1", 12, 11}, {"5_5", 2, 3},  {"5_5", 19, 11},
                 {"5_5", 11, 3},   {"5_5", 10, 11}, {"5_5_18", 18, 11}};
  for (const auto& c : refused) {
    EXPECT_EQ(cache.GetTileFilePath(path, CVString(c.key), c.level, c.base), 0) << c.key << " " << c.level;
  }
  ASSERT_EQ(cache.GetTileFilePath(path, CVString("300_7"), 13, 11), 1);
  EXPECT_EQ(Ascii(path), home.directory() + "data/7_0/75_1.dat");
  // Level ranges that no file kind has.
  for (auto [base, first, last] : {std::array<int, 3>{3, 4, 10}, {11, 12, 11}, {11, 11, 18}, {3, 3, 11}, {5, 5, 6}}) {
    EXPECT_EQ(cache.CreateOfflineDat(base, CVString("1_1"), first, last, nullptr), 0) << base << first << last;
  }
}

TEST_F(GridDataFileTest, AFileLeftMidWriteIsRefusedThenReplaced) {
  ASSERT_EQ(cache.CreateOfflineDat(11, CVString("2_2"), 18, 18, nullptr), 1);
  ASSERT_EQ(Write(11, 18, 18, 18, 256, 256), 1);
  {
    std::fstream f(FilePath("0_0/2_2_18.dat"), std::ios::in | std::ios::out | std::ios::binary);
    const unsigned char writing[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    f.write(reinterpret_cast<const char*>(writing), 4);
  }
  EXPECT_EQ(ReadsBack(11, 18, 256, 256), 0);
  EXPECT_TRUE(std::filesystem::exists(FilePath("0_0/2_2_18.dat"))) << "the reader only refuses";
  EXPECT_EQ(Write(11, 18, 18, 18, 256, 257), 0);
  EXPECT_FALSE(std::filesystem::exists(FilePath("0_0/2_2_18.dat"))) << "the writer deletes";
  int written = -1;
  ASSERT_EQ(cache.CreateOfflineDat(11, CVString("2_2"), 18, 18, &written), 1);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(cache.DeleteGridFile(CVString("2_2_18")), 1);
  EXPECT_FALSE(std::filesystem::exists(FilePath("0_0/2_2_18.dat")));
}

TEST_F(GridDataFileTest, LoadGridDataFillsRecordsThroughTheMemoryCache) {
  ASSERT_EQ(cache.CreateOfflineDat(3, CVString("5_6"), 3, 5, nullptr), 1);
  ASSERT_EQ(Write(3, 3, 5, 3, 5, 6), 1);
  CGridDataCache memory;
  ASSERT_EQ(memory.Open(CVString(), CVString(), 4, 0, 0), 1);
  cache.SetMemCache(&memory);
  unsigned char kept = 0;
  CGirdDataArray records;
  tagGirdData wanted{3, 5, 6, nullptr, 0};
  tagGirdData absent{4, 10, 12, nullptr, 0};
  tagGirdData held{3, 5, 6, &kept, 1};
  records.Add(wanted);
  records.Add(absent);
  records.Add(held);
  EXPECT_EQ(cache.LoadGridData(records), 0);
  std::vector<unsigned char> expected = TileBytes(3, 5, 6);
  ASSERT_EQ(records[0].nSize, static_cast<int>(expected.size()));
  EXPECT_EQ(std::memcmp(records[0].pData, expected.data(), expected.size()), 0);
  EXPECT_EQ(records[1].pData, nullptr);
  EXPECT_EQ(records[2].pData, &kept);
  CGirdDataArray again;
  again.Add(wanted);
  memory.GetTiles(again);
  EXPECT_EQ(again[0].pData, records[0].pData) << "the record holds the memory cache's copy";
}

// The crash test: a child writes the file and is killed at its n-th write,
// for every n until it gets through; the survivor's view of the file must
// hold every tile it reports, and the download continues from there.
int g_writesLeft = 0;
void KillAtWrite(unsigned) {
  if (--g_writesLeft == 0) {
    raise(SIGKILL);
  }
}

TEST_F(GridDataFileTest, AChildKilledAtAnyWriteLeavesAFileThatServesWhatItReports) {
  auto order = LowLevelOrder(5);
  const size_t tilesInChild = 8;
  for (int killAt = 1;; ++killAt) {
    std::filesystem::remove_all(home.directory() + "data/");
    cache.Init(CVString(home.directory().c_str()), CVString("10000001"), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      g_writesLeft = killAt;
      SetVFileWriteHook(KillAtWrite);
      bool ok = cache.CreateOfflineDat(3, CVString("5_6"), 3, 5, nullptr) == 1;
      for (size_t i = 0; ok && i < tilesInChild; ++i) {
        ok = Write(3, 3, 5, order[i][0], order[i][1], order[i][2]) == 1;
      }
      _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    bool finished = WIFEXITED(status);
    if (finished) {
      ASSERT_EQ(WEXITSTATUS(status), 0);
    }
    int written = -1;
    ASSERT_EQ(cache.CreateOfflineDat(3, CVString("5_6"), 3, 5, &written), 1) << killAt;
    ASSERT_GE(written, 0);
    ASSERT_LE(written, static_cast<int>(tilesInChild));
    for (int i = 0; i < written; ++i) {
      ASSERT_EQ(ReadsBack(3, order[i][0], order[i][1], order[i][2]), 1) << "kill at " << killAt << " tile " << i;
    }
    ASSERT_EQ(ReadsBack(3, order[written][0], order[written][1], order[written][2]), 0);
    ASSERT_EQ(Write(3, 3, 5, order[written][0], order[written][1], order[written][2]), 1) << killAt;
    ASSERT_EQ(ReadsBack(3, order[written][0], order[written][1], order[written][2]), 1);
    if (finished) {
      EXPECT_EQ(written, static_cast<int>(tilesInChild));
      EXPECT_GT(killAt, 10);
      break;
    }
  }
}

}  // namespace
