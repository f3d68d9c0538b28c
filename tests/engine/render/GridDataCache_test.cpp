#include "engine/render/GridDataCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/base/VMem.h"
#include "platform/testing/TempFolder.h"
#include "tests/engine/render/TileCacheSupport.h"

using namespace mapengine;
using test::TileBytes;

namespace {

class GridDataCacheTest : public ::testing::Test {
protected:
  int OpenWithFile(CGridDataCache& cache, int capacity) {
    return cache.Open(CVString((home.directory() + "Data.Index").c_str()), CVString((home.directory() + "Grid.ca").c_str()),
                      capacity, 500, 104857600);
  }
  // Puts tile n (level 12, x n, y n + 1) with its bytes.
  static void Put(CGridDataCache& cache, int n, int writeThrough = 0, int size = 300) {
    std::vector<unsigned char> bytes = TileBytes(n, size);
    CGirdDataArray records;
    tagGirdData record{12, n, n + 1, bytes.data(), size};
    records.Add(record);
    cache.PutTiles(records, writeThrough);
  }
  // The record GetTiles leaves for tile n, starting from a marker.
  static tagGirdData Get(CGridDataCache& cache, int n) {
    static unsigned char marker;
    CGirdDataArray records;
    tagGirdData record{12, n, n + 1, &marker, -7};
    records.Add(record);
    cache.GetTiles(records);
    return records[0];
  }
  static bool Holds(CGridDataCache& cache, int n, int size = 300) {
    tagGirdData got = Get(cache, n);
    std::vector<unsigned char> expected = TileBytes(n, size);
    return got.nSize == size && got.pData && std::memcmp(got.pData, expected.data(), expected.size()) == 0;
  }
  static bool Untouched(const tagGirdData& record) { return record.nSize == -7; }

  TempFolder home;
};

TEST_F(GridDataCacheTest, LeastRecentlyUsedTileIsEvicted) {
  CGridDataCache cache;
  ASSERT_EQ(cache.Open(CVString(), CVString(), 4, 0, 0), 1);
  for (int n = 1; n <= 4; ++n) {
    Put(cache, n);
  }
  EXPECT_TRUE(Holds(cache, 1));
  Put(cache, 5);
  EXPECT_TRUE(Untouched(Get(cache, 2))) << "a miss without a file cache leaves the record";
  for (int n : {1, 3, 4, 5}) {
    EXPECT_TRUE(Holds(cache, n)) << n;
  }
  // A present key keeps its first bytes.
  std::vector<unsigned char> other = TileBytes(99, 300);
  CGirdDataArray records;
  tagGirdData record{12, 3, 4, other.data(), 300};
  records.Add(record);
  cache.PutTiles(records, 0);
  EXPECT_TRUE(Holds(cache, 3));
  // Open without capacity changes nothing.
  EXPECT_EQ(cache.Open(CVString(), CVString(), 0, 0, 0), 0);
  EXPECT_TRUE(Holds(cache, 5));
  cache.RemoveTile(record, 0);
  EXPECT_TRUE(Untouched(Get(cache, 3)));
  EXPECT_EQ(cache.Clear(), 1);
  EXPECT_TRUE(Untouched(Get(cache, 5)));
}

TEST_F(GridDataCacheTest, TilesWrittenThroughComeBackFromTheFileAfterAClose) {
  {
    CGridDataCache cache;
    ASSERT_EQ(OpenWithFile(cache, 4), 1);
    for (int n = 1; n <= 6; ++n) {
      Put(cache, n, 1, 3000);
    }
    Put(cache, 7, 0, 3000);
  }
  CGridDataCache cache;
  ASSERT_EQ(OpenWithFile(cache, 4), 1);
  for (int n = 1; n <= 6; ++n) {
    EXPECT_TRUE(Holds(cache, n, 3000)) << n;
  }
  tagGirdData missing = Get(cache, 7);
  EXPECT_EQ(missing.pData, nullptr) << "a miss with a file cache clears the record";
  EXPECT_EQ(missing.nSize, 0);
  // Removing from the file too: gone after the next open.
  tagGirdData first{12, 1, 2, nullptr, 0};
  cache.RemoveTile(first, 1);
  cache.Close();
  ASSERT_EQ(OpenWithFile(cache, 4), 1);
  EXPECT_EQ(Get(cache, 1).pData, nullptr);
  EXPECT_TRUE(Holds(cache, 2, 3000));
}

// A key stored without data (its copy failed) and then found in the file:
// the record must point at the bytes the cache keeps, not at a released
// buffer (ASan reports the read otherwise).
TEST_F(GridDataCacheTest, AKeyWithoutDataTakesTheTileFromTheFile) {
  {
    CGridDataCache cache;
    ASSERT_EQ(OpenWithFile(cache, 4), 1);
    Put(cache, 1, 1);
  }
  CGridDataCache cache;
  ASSERT_EQ(OpenWithFile(cache, 4), 1);
  CGirdDataArray records;
  tagGirdData empty{12, 1, 2, nullptr, 0};
  records.Add(empty);
  cache.PutTiles(records, 0);
  EXPECT_TRUE(Holds(cache, 1));
  EXPECT_TRUE(Holds(cache, 1));
}

}  // namespace
