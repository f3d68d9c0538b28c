#include "engine/render/PoiBkgCache.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/testing/TempFolder.h"

using namespace mapengine;

namespace {

tag_PoiBkgDataElem Tile(int x, int y, int pois, int mark = 0) {
  tag_PoiBkgDataElem tile;
  tile.level = 15;
  tile.x = x;
  tile.y = y;
  for (int i = 0; i < pois; ++i) {
    tag_PoiBkgBaseData poi;
    poi.x = 1000.5 * (x + i);
    poi.y = 2000.25 * (y + mark);
    std::snprintf(poi.uid, sizeof poi.uid, "uid%d_%d_%d", x, y, i);
    std::snprintf(poi.name, sizeof poi.name, "poi %d mark %d", i, mark);
    tile.pois.Add(poi);
  }
  return tile;
}

tag_PoiBkgDataRst Reply(std::initializer_list<tag_PoiBkgDataElem> tiles) {
  tag_PoiBkgDataRst reply;
  for (const auto& tile : tiles) {
    reply.tiles.Add(tile);
  }
  return reply;
}

CPoiBkgTileArray Ask(std::initializer_list<std::pair<int, int>> keys) {
  CPoiBkgTileArray tiles;
  for (auto [x, y] : keys) {
    tiles.Add(Tile(x, y, 0));
  }
  return tiles;
}

class PoiBkgCacheTest : public ::testing::Test {
protected:
  void SetUp() override { cache.SetFolder(CVString(folder.directory().c_str())); }
  std::string FileOf(int counter) const { return folder.directory() + "POIBKGDATA" + std::to_string(counter) + ".TMP"; }

  TempFolder folder;
  CPoiBkgCache cache;
};

TEST_F(PoiBkgCacheTest, FoundTilesAreFilledAndOnlyNewOnesAreMissing) {
  ASSERT_EQ(1, cache.Store(CVString("bank"), Reply({Tile(1, 2, 3), Tile(1, 3, 0)})));
  CPoiBkgTileArray tiles = Ask({{1, 2}, {1, 3}, {1, 4}});
  CPoiBkgTileArray missing;
  EXPECT_EQ(1, cache.Lookup(CVString("bank"), tiles, missing));
  ASSERT_EQ(3, tiles[0].pois.GetSize());
  EXPECT_STREQ("uid1_2_2", tiles[0].pois[2].uid);
  EXPECT_DOUBLE_EQ(3001.5, tiles[0].pois[2].x);
  EXPECT_EQ(0, tiles[1].pois.GetSize()) << "a tile stored empty is found, not missing";
  ASSERT_EQ(1, missing.GetSize());
  EXPECT_EQ(4, missing[0].y);

  CPoiBkgTileArray other = Ask({{1, 2}, {5, 5}});
  EXPECT_EQ(0, cache.Lookup(CVString("hotel"), other, missing));
  EXPECT_EQ(2, missing.GetSize()) << "an uncached key lists every tile";
}

TEST_F(PoiBkgCacheTest, AStoreUnderACachedKeyAppendsAndTheLaterBlockWins) {
  cache.Store(CVString("bank"), Reply({Tile(1, 2, 1, 0)}));
  const auto before = std::filesystem::file_size(FileOf(0));
  cache.Store(CVString("bank"), Reply({Tile(1, 2, 2, 7)}));
  EXPECT_EQ(before + 4 + 2 * 148, std::filesystem::file_size(FileOf(0)));
  CPoiBkgTileArray tiles = Ask({{1, 2}});
  CPoiBkgTileArray missing;
  cache.Lookup(CVString("bank"), tiles, missing);
  ASSERT_EQ(2, tiles[0].pois.GetSize());
  EXPECT_STREQ("poi 1 mark 7", tiles[0].pois[1].name);
  EXPECT_EQ(1, cache.GetCount());
}

TEST_F(PoiBkgCacheTest, ASixthKeyEvictsTheOldestAndReusesItsFileName) {
  const char* keys[] = {"k0", "k1", "k2", "k3", "k4"};
  for (const char* key : keys) {
    cache.Store(CVString(key), Reply({Tile(1, 1, 1)}));
  }
  EXPECT_EQ(5, cache.GetCount());
  cache.Store(CVString("k5"), Reply({Tile(1, 1, 2)}));
  EXPECT_EQ(5, cache.GetCount());
  EXPECT_EQ(-1, cache.Find(CVString("k0")));
  EXPECT_EQ(0, cache.Find(CVString("k5")));
  EXPECT_EQ(4 + 2 * 148u, std::filesystem::file_size(FileOf(0))) << "the sixth key took POIBKGDATA0.TMP afresh";

  // Full, and storing the oldest key: it is evicted first, then made anew.
  cache.Store(CVString("k1"), Reply({Tile(2, 2, 1)}));
  EXPECT_EQ(0, cache.Find(CVString("k1")));
  CPoiBkgTileArray tiles = Ask({{1, 1}});
  CPoiBkgTileArray missing;
  EXPECT_EQ(1, cache.Lookup(CVString("k1"), tiles, missing));
  EXPECT_EQ(1, missing.GetSize()) << "the old tiles of k1 left with its entry";

  cache.RemoveAll();
  for (int i = 0; i < 5; ++i) {
    EXPECT_FALSE(std::filesystem::exists(FileOf(i)));
  }
}

TEST_F(PoiBkgCacheTest, ALeftOverFileIsStartedAfresh) {
  std::ofstream(FileOf(0)) << std::string(1000, 'x');
  cache.Store(CVString("bank"), Reply({Tile(1, 2, 1)}));
  EXPECT_EQ(4 + 148u, std::filesystem::file_size(FileOf(0)));
}

// A damaged file (cut short, a garbage count, texts without terminators)
// never crashes a lookup: the damaged tiles are asked for again.
TEST_F(PoiBkgCacheTest, DamagedBlocksAreMissingAndTextsAreTerminated) {
  cache.Store(CVString("bank"), Reply({Tile(1, 2, 2), Tile(1, 3, 1), Tile(1, 4, 1)}));
  {
    std::fstream file(FileOf(0), std::ios::in | std::ios::out | std::ios::binary);
    const std::string fill(148, 'A');
    file.seekp(4 + 2 * 148 + 4);  // the record of tile (1, 3)
    file.write(fill.data(), 148);
    const int32_t huge = 0x7FFFFFFF;
    file.seekp(4 + 2 * 148 + 4 + 148);  // the count of tile (1, 4)
    file.write(reinterpret_cast<const char*>(&huge), 4);
  }
  CPoiBkgTileArray tiles = Ask({{1, 2}, {1, 3}, {1, 4}});
  CPoiBkgTileArray missing;
  EXPECT_EQ(1, cache.Lookup(CVString("bank"), tiles, missing));
  EXPECT_EQ(2, tiles[0].pois.GetSize());
  ASSERT_EQ(1, tiles[1].pois.GetSize());
  EXPECT_EQ(31u, std::strlen(tiles[1].pois[0].uid));
  EXPECT_EQ(99u, std::strlen(tiles[1].pois[0].name));
  ASSERT_EQ(1, missing.GetSize());
  EXPECT_EQ(4, missing[0].y);

  std::filesystem::resize_file(FileOf(0), 4 + 148);
  tiles = Ask({{1, 2}});
  cache.Lookup(CVString("bank"), tiles, missing);
  EXPECT_EQ(1, missing.GetSize()) << "a block cut short is missing";

  std::filesystem::remove(FileOf(0));
  EXPECT_EQ(0, cache.Lookup(CVString("bank"), tiles, missing));
  EXPECT_EQ(1, missing.GetSize()) << "an unreadable file lists its tiles as missing";
}

// The file removed or cut while the program runs: a later store must not
// write new blocks where the index still expects old ones.
TEST_F(PoiBkgCacheTest, AFileChangedBehindTheCacheNeverServesAnotherTilesBlock) {
  for (bool cut : {false, true}) {
    cache.RemoveAll();
    cache.Store(CVString("bank"), Reply({Tile(1, 2, 2), Tile(1, 3, 1)}));
    // Each fresh key takes the next file name.
    const std::string path = FileOf(cut ? 1 : 0);
    if (cut) {
      std::filesystem::resize_file(path, 4 + 2 * 148 + 2);
    } else {
      std::filesystem::remove(path);
    }
    ASSERT_EQ(1, cache.Store(CVString("bank"), Reply({Tile(7, 7, 0)}))) << cut;
    CPoiBkgTileArray tiles = Ask({{1, 2}, {1, 3}, {7, 7}});
    CPoiBkgTileArray missing;
    EXPECT_EQ(1, cache.Lookup(CVString("bank"), tiles, missing));
    ASSERT_EQ(2, missing.GetSize()) << cut;
    EXPECT_EQ(2, missing[0].y);
    EXPECT_EQ(3, missing[1].y);
    EXPECT_EQ(0, tiles[2].pois.GetSize());
    EXPECT_EQ(4u, std::filesystem::file_size(path)) << "the file was started afresh";
  }
}

TEST_F(PoiBkgCacheTest, AReplyWithoutTilesOrAFolderThatCannotTakeTheFileStoresNothing) {
  EXPECT_EQ(0, cache.Store(CVString("bank"), tag_PoiBkgDataRst()));
  EXPECT_EQ(0, cache.GetCount());
  cache.SetFolder(CVString((folder.directory() + "absent/").c_str()));
  EXPECT_EQ(0, cache.Store(CVString("bank"), Reply({Tile(1, 2, 1)})));
  CPoiBkgTileArray tiles = Ask({{1, 2}});
  CPoiBkgTileArray missing;
  EXPECT_EQ(0, cache.Lookup(CVString("bank"), tiles, missing));
  EXPECT_EQ(1, missing.GetSize());
}

}  // namespace
