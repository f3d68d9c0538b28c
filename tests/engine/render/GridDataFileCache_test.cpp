#include "engine/render/GridDataFileCache.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/base/VMem.h"
#include "platform/testing/TempFolder.h"
#include "tests/engine/render/TileCacheSupport.h"

using namespace mapengine;
using test::TileBytes;
using test::TileKey;

namespace {

constexpr int kMaxBytes = 104857600;

class GridDataFileCacheTest : public ::testing::Test {
protected:
  CVString IndexPath() const { return CVString((home.directory() + "Data.Index").c_str()); }
  CVString DataPath() const { return CVString((home.directory() + "Grid.ca").c_str()); }
  int Open(CGridDataFileCache& cache, int capacity, int maxBytes = kMaxBytes) {
    return cache.Open(IndexPath(), DataPath(), capacity, maxBytes);
  }
  std::vector<unsigned char> Bytes(const char* name) const {
    std::ifstream in(home.directory() + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void WriteBytes(const char* name, const std::vector<unsigned char>& bytes) const {
    std::ofstream out(home.directory() + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static int Word(const std::vector<unsigned char>& bytes, size_t at) {
    int v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }
  static void SetWord(std::vector<unsigned char>& bytes, size_t at, int v) { std::memcpy(bytes.data() + at, &v, 4); }
  static int Put(CGridDataFileCache& cache, int n, int size) {
    std::vector<unsigned char> bytes = TileBytes(n, size);
    return cache.Put(TileKey(n), bytes.data(), size);
  }
  // 1 when the tile is served with exactly its bytes, 0 when absent, -1 when
  // served with other bytes.
  static int Served(CGridDataFileCache& cache, int n, int size) {
    unsigned char* data = nullptr;
    int got = 0;
    if (!cache.Get(TileKey(n), &data, &got)) {
      return 0;
    }
    std::vector<unsigned char> expected = TileBytes(n, size);
    bool same = got == size && std::memcmp(data, expected.data(), expected.size()) == 0;
    CVMem::Deallocate(data);
    return same ? 1 : -1;
  }

  TempFolder home;
};

TEST_F(GridDataFileCacheTest, SavedIndexHoldsTheTilesNewestFirstAndTheFreeList) {
  {
    CGridDataFileCache cache;
    ASSERT_EQ(Open(cache, 500), 1);
    ASSERT_EQ(Put(cache, 1, 1976), 1);
    ASSERT_EQ(Put(cache, 2, 1977), 1);
    ASSERT_EQ(Put(cache, 3, 100), 1);
    EXPECT_EQ(Bytes("Grid.ca").size(), 2048u * (1 + 1 + 2 + 1)) << "1976 bytes take one block, 1977 two";
    size_t before = Bytes("Grid.ca").size();
    EXPECT_EQ(Put(cache, 2, 50), 1) << "a present key is kept";
    EXPECT_EQ(Bytes("Grid.ca").size(), before);
    EXPECT_EQ(Word(Bytes("Data.Index"), 4), 0) << "in use";
    cache.Remove(TileKey(1));
  }
  std::vector<unsigned char> index = Bytes("Data.Index");
  ASSERT_GE(index.size(), 64u + 2 * 84 + 8);
  EXPECT_EQ(Word(index, 4), 1010);
  EXPECT_EQ(Word(index, 8), 2);
  EXPECT_EQ(index[64], '/');
  EXPECT_EQ(Word(index, 64 + 64), 4) << "tile 3, the newest, first";
  EXPECT_EQ(Word(index, 64 + 72), 100);
  EXPECT_EQ(Word(index, 64 + 84 + 64), 2);
  EXPECT_EQ(Word(index, 64 + 2 * 84), 1) << "one free block, the removed tile's";
  EXPECT_EQ(Word(index, 64 + 2 * 84 + 4), 1);

  CGridDataFileCache cache;
  ASSERT_EQ(Open(cache, 500), 1);
  EXPECT_EQ(cache.GetCount(), 2);
  EXPECT_EQ(Served(cache, 1, 1976), 0);
  EXPECT_EQ(Served(cache, 2, 1977), 1);
  EXPECT_EQ(Served(cache, 3, 100), 1);
  EXPECT_EQ(Put(cache, 4, 10), 1);
  EXPECT_EQ(Bytes("Grid.ca").size(), 2048u * 5) << "the free block is reused";
}

TEST_F(GridDataFileCacheTest, AnEndWithoutSaveRebuildsFromTheDataFile) {
  ASSERT_EQ(test::RunInChild([&] {
              CGridDataFileCache cache;
              Open(cache, 500);
              for (int n = 1; n <= 4; ++n) {
                Put(cache, n, 1000 * n);
              }
              cache.Remove(TileKey(2));
              _exit(0);
            }),
            0);
  EXPECT_EQ(Word(Bytes("Data.Index"), 4), 0);
  CGridDataFileCache cache;
  ASSERT_EQ(Open(cache, 500), 1);
  EXPECT_EQ(cache.GetCount(), 3);
  EXPECT_EQ(cache.GetFreeCount(), 2) << "the removed tile's two blocks";
  for (int n : {1, 3, 4}) {
    EXPECT_EQ(Served(cache, n, 1000 * n), 1) << n;
  }
  EXPECT_EQ(Served(cache, 2, 2000), 0);
}

TEST_F(GridDataFileCacheTest, AFullCacheEvictsTheLeastRecentAndReusesItsBlocks) {
  CGridDataFileCache cache;
  ASSERT_EQ(Open(cache, 5), 1);
  for (int n = 1; n <= 5; ++n) {
    ASSERT_EQ(Put(cache, n, 3000), 1);
  }
  EXPECT_EQ(Served(cache, 1, 3000), 1);  // tile 2 is now the least recent
  size_t length = Bytes("Grid.ca").size();
  ASSERT_EQ(Put(cache, 6, 3000), 1);
  EXPECT_EQ(Bytes("Grid.ca").size(), length);
  EXPECT_EQ(Served(cache, 2, 3000), 0);
  for (int n : {1, 3, 4, 5, 6}) {
    EXPECT_EQ(Served(cache, n, 3000), 1) << n;
  }
  // At the maximum size, blocks come from evictions alone.
  CGridDataFileCache small;
  ASSERT_EQ(small.Open(CVString((home.directory() + "S.Index").c_str()), CVString((home.directory() + "S.ca").c_str()), 50,
                       2048 * 5),
            1);
  for (int n = 1; n <= 6; ++n) {
    ASSERT_EQ(Put(small, n, 3000), 1) << n;
  }
  EXPECT_EQ(Bytes("S.ca").size(), 2048u * 5);
  EXPECT_EQ(Served(small, 6, 3000), 1);
  EXPECT_EQ(Served(small, 5, 3000), 1);
  EXPECT_EQ(Served(small, 4, 3000), 0);
  EXPECT_EQ(Put(small, 7, 20000), 0) << "more than the file can ever hold";
}

TEST_F(GridDataFileCacheTest, OpenWithoutCapacityAndDataFilesOfBrokenLength) {
  CGridDataFileCache none;
  EXPECT_EQ(Open(none, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(home.directory() + "Grid.ca"));
  {
    CGridDataFileCache cache;
    ASSERT_EQ(Open(cache, 10), 1);
    Put(cache, 1, 500);
  }
  std::vector<unsigned char> data = Bytes("Grid.ca");
  data.push_back(0);
  WriteBytes("Grid.ca", data);
  CGridDataFileCache cache;
  ASSERT_EQ(Open(cache, 10), 1);
  EXPECT_EQ(cache.GetCount(), 0);
  EXPECT_EQ(Bytes("Grid.ca").size(), 2048u) << "both files started anew";
}

// Damaged files: every case opens without hanging or crashing, and whatever
// the cache then serves is exactly what was stored under that key.
TEST_F(GridDataFileCacheTest, DamagedIndexesAndChainsNeitherHangNorServeWrongBytes) {
  const int sizes[] = {5000, 300, 9000, 2000};
  {
    CGridDataFileCache cache;
    ASSERT_EQ(Open(cache, 10), 1);
    for (int n = 0; n < 4; ++n) {
      ASSERT_EQ(Put(cache, n, sizes[n]), 1);
    }
  }
  const std::vector<unsigned char> index = Bytes("Data.Index");
  const std::vector<unsigned char> data = Bytes("Grid.ca");
  // Tile 3 is the newest (entry 0), tile 0 (blocks 1..3) the oldest.
  struct Damage {
    const char* name;
    std::function<void(std::vector<unsigned char>&, std::vector<unsigned char>&)> apply;
  } damages[] = {
      {"chain cycle", [](auto&, auto& d) { SetWord(d, 2 * 2048 + 4, 1); }},
      {"chain to itself, no save", [](auto& i, auto& d) { SetWord(d, 2 * 2048 + 4, 2); SetWord(i, 4, 0); }},
      {"chain to block 0", [](auto&, auto& d) { SetWord(d, 1 * 2048 + 4, 0); }},
      {"chain past the end", [](auto&, auto& d) { SetWord(d, 1 * 2048 + 4, 1 << 20); }},
      {"first block 0", [](auto& i, auto&) { SetWord(i, 64 + 64, 0); }},
      {"first block past the end", [](auto& i, auto&) { SetWord(i, 64 + 64, 99999); }},
      {"two entries on one block", [](auto& i, auto&) { SetWord(i, 64 + 84 + 64, Word(i, 64 + 64)); }},
      {"huge size", [](auto& i, auto&) { SetWord(i, 64 + 72, 0x7FFFFFFF); }},
      {"negative size", [](auto& i, auto&) { SetWord(i, 64 + 72, -5); }},
      {"count above the capacity", [](auto& i, auto&) { SetWord(i, 8, 11); }},
      {"count past the file", [](auto& i, auto&) { SetWord(i, 8, 7); }},
      {"free count huge", [](auto& i, auto&) { SetWord(i, 64 + 4 * 84, 1 << 30); }},
      {"unterminated key", [](auto& i, auto&) { std::memset(i.data() + 64, 'A', 64); }},
      {"size words differ, no save", [](auto& i, auto& d) { SetWord(d, 1 * 2048, 77); SetWord(i, 4, 0); }},
      {"index truncated", [](auto& i, auto&) { i.resize(70); }},
      {"chain into another tile's first block", [](auto&, auto& d) { SetWord(d, 2 * 2048 + 4, 4); }},
      {"free list names a block inside a chain",
       [](auto& i, auto&) {
         i.resize(i.size() + 4);
         SetWord(i, 64 + 4 * 84, 1);
         SetWord(i, 64 + 4 * 84 + 4, 2);
       }},
  };
  for (const Damage& damage : damages) {
    std::vector<unsigned char> i = index;
    std::vector<unsigned char> d = data;
    damage.apply(i, d);
    WriteBytes("Data.Index", i);
    WriteBytes("Grid.ca", d);
    CGridDataFileCache cache;
    ASSERT_EQ(Open(cache, 10), 1) << damage.name;
    int reported = cache.GetCount();
    int served = 0;
    for (int n = 0; n < 4; ++n) {
      int result = Served(cache, n, sizes[n]);
      EXPECT_NE(result, -1) << damage.name << " tile " << n;
      served += result == 1;
    }
    EXPECT_GE(served, 2) << damage.name;
    EXPECT_LE(reported, 4) << damage.name;
    EXPECT_EQ(Put(cache, 9, 4000), 1) << damage.name;
    EXPECT_EQ(Served(cache, 9, 4000), 1) << damage.name;
    // The new tile's blocks were no other tile's.
    for (int n = 0; n < 4; ++n) {
      EXPECT_NE(Served(cache, n, sizes[n]), -1) << damage.name << " tile " << n << " after a put";
    }
  }
}

TEST_F(GridDataFileCacheTest, TilesLeftOutOfASmallRebuildDoNotComeBackLater) {
  ASSERT_EQ(test::RunInChild([&] {
              CGridDataFileCache cache;
              Open(cache, 10);
              for (int n = 1; n <= 5; ++n) {
                Put(cache, n, 3000);
              }
              _exit(0);
            }),
            0);
  ASSERT_EQ(test::RunInChild([&] {
              CGridDataFileCache cache;
              Open(cache, 3);
              // Tiles 4 and 5 did not fit; their blocks are free and reused.
              // Each put also takes the place of the least recent tile (3, 2).
              Put(cache, 6, 3000);
              Put(cache, 7, 1000);
              _exit(0);
            }),
            0);
  CGridDataFileCache cache;
  ASSERT_EQ(Open(cache, 10), 1);
  EXPECT_EQ(cache.GetCount(), 3);
  for (int n = 1; n <= 7; ++n) {
    int result = Served(cache, n, n == 7 ? 1000 : 3000);
    EXPECT_EQ(result, n == 1 || n >= 6 ? 1 : 0) << n;
  }
}

// A child process doing puts, removals and a save is killed at its n-th
// write, for every n until it gets through. The survivor serves every tile
// it reports, with that tile's bytes.
int g_writesLeft = 0;
void KillAtWrite(unsigned) {
  if (--g_writesLeft == 0) {
    raise(SIGKILL);
  }
}

TEST_F(GridDataFileCacheTest, AChildKilledAtAnyWriteLeavesACacheThatServesWhatItReports) {
  auto size = [](int n) { return 700 + 1900 * (n % 4); };
  auto work = [&](int killAt) {
    g_writesLeft = killAt;
    SetVFileWriteHook(KillAtWrite);
    CGridDataFileCache cache;
    Open(cache, 4, 2048 * 12);
    for (int n = 1; n <= 8; ++n) {
      Put(cache, n, size(n));
      if (n == 5) {
        cache.Remove(TileKey(3));
      }
    }
    cache.SaveIndex();
    Open(cache, 4, 2048 * 12);
    Put(cache, 9, size(9));
  };
  for (int killAt = 1;; ++killAt) {
    std::filesystem::remove(home.directory() + "Data.Index");
    std::filesystem::remove(home.directory() + "Grid.ca");
    // A first run leaves tiles behind, the second is the one killed.
    ASSERT_EQ(test::RunInChild([&] { work(0); }), 0);
    int status = test::RunInChild([&] { work(killAt); });
    CGridDataFileCache cache;
    ASSERT_EQ(Open(cache, 4, 2048 * 12), 1) << killAt;
    int reported = cache.GetCount();
    int served = 0;
    for (int n = 1; n <= 9; ++n) {
      int result = Served(cache, n, size(n));
      ASSERT_NE(result, -1) << "kill at " << killAt << " tile " << n;
      served += result;
    }
    ASSERT_EQ(served, reported) << "kill at " << killAt;
    ASSERT_EQ(Put(cache, 10, 5000), 1);
    ASSERT_EQ(Served(cache, 10, 5000), 1);
    if (status == 0) {
      EXPECT_GT(killAt, 20);
      break;
    }
    ASSERT_EQ(status, -1);
  }
}

}  // namespace
