// Tile cache look-ups and stores against common alternatives on the same
// tiles: one screen of tiles (20) in memory, a few hundred 10 KB tiles on
// disk.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/Interleaved.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/render/GridDataCache.h"
#include "engine/render/GridDraw.h"
#include "engine/render/MapView.h"

using namespace mapengine;

namespace {

constexpr int kScreenTiles = 20;
constexpr int kDiskTiles = 300;
constexpr int kTileBytes = 10000;

struct Engine {
  Engine() { CreateGlobalMan(); }
  ~Engine() { DestroyGlobalMan(); }
};

std::vector<unsigned char> Tile(int n) {
  std::vector<unsigned char> bytes(kTileBytes);
  for (int i = 0; i < kTileBytes; ++i) bytes[i] = static_cast<unsigned char>(n * 13 + i);
  return bytes;
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("nxbench-") + std::to_string(getpid()) + name)).string();
}

void BM_MemoryCacheLookup(benchmark::State& state) {
  Engine engine;
  CGridDataCache cache;
  cache.Open(CVString(), CVString(), kScreenTiles, 0, 0);
  std::vector<unsigned char> bytes = Tile(1);
  CGirdDataArray records;
  for (int i = 0; i < kScreenTiles; ++i) {
    tagGirdData record{12, 3300 + i % 5, 1080 + i / 5, bytes.data(), kTileBytes};
    records.Add(record);
  }
  cache.PutTiles(records, 0);
  for (auto _ : state) {
    cache.GetTiles(records);
    benchmark::DoNotOptimize(records[kScreenTiles - 1].pData);
  }
  state.SetItemsProcessed(state.iterations() * kScreenTiles);
}

// The same work with the standard library: key text, hash look-up, move to
// the front of an LRU list.
void BM_UnorderedMapLruLookup(benchmark::State& state) {
  struct Tile {
    std::vector<unsigned char> bytes;
    std::list<std::u16string>::iterator lru;
  };
  std::unordered_map<std::u16string, Tile> map;
  std::list<std::u16string> lru;
  auto key = [](int l, int x, int y) {
    char text[32];
    int n = std::snprintf(text, sizeof text, "/%d_%d_%d", l, x, y);
    return std::u16string(text, text + n);
  };
  for (int i = 0; i < kScreenTiles; ++i) {
    std::u16string k = key(12, 3300 + i % 5, 1080 + i / 5);
    lru.push_front(k);
    map[k] = {::Tile(1), lru.begin()};
  }
  for (auto _ : state) {
    for (int i = 0; i < kScreenTiles; ++i) {
      auto it = map.find(key(12, 3300 + i % 5, 1080 + i / 5));
      lru.splice(lru.begin(), lru, it->second.lru);
      benchmark::DoNotOptimize(it->second.bytes.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kScreenTiles);
}

// Puts a few hundred tiles into an empty cache and reads each back.
void BM_FileCachePutGet(benchmark::State& state) {
  Engine engine;
  std::vector<std::vector<unsigned char>> tiles;
  for (int n = 0; n < kDiskTiles; ++n) tiles.push_back(Tile(n));
  std::string index = TempPath("Data.Index");
  std::string data = TempPath("Grid.ca");
  for (auto _ : state) {
    std::filesystem::remove(index);
    std::filesystem::remove(data);
    CGridDataFileCache cache;
    cache.Open(CVString(index.c_str()), CVString(data.c_str()), 500, 104857600);
    for (int n = 0; n < kDiskTiles; ++n) {
      unsigned short key[tagGridCacheEntry::kKeyUnits];
      FormatTileKey(key, 12, n, n);
      cache.Put(key, tiles[n].data(), kTileBytes);
    }
    for (int n = 0; n < kDiskTiles; ++n) {
      unsigned short key[tagGridCacheEntry::kKeyUnits];
      FormatTileKey(key, 12, n, n);
      unsigned char* bytes = nullptr;
      int size = 0;
      cache.Get(key, &bytes, &size);
      CVMem::Deallocate(bytes);
    }
  }
  std::filesystem::remove(index);
  std::filesystem::remove(data);
  state.SetItemsProcessed(state.iterations() * kDiskTiles * 2);
}

// The same tiles in an SQLite blob table, each put its own commit as each
// file-cache put is (write-ahead log, no sync: both survive the process).
void BM_SqliteBlobPutGet(benchmark::State& state) {
  std::vector<std::vector<unsigned char>> tiles;
  for (int n = 0; n < kDiskTiles; ++n) tiles.push_back(Tile(n));
  std::string path = TempPath("tiles.db");
  for (auto _ : state) {
    std::filesystem::remove(path);
    std::filesystem::remove(path + "-wal");
    std::filesystem::remove(path + "-shm");
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"
                     "CREATE TABLE tiles(key TEXT PRIMARY KEY, data BLOB)", nullptr, nullptr, nullptr);
    sqlite3_stmt* put = nullptr;
    sqlite3_stmt* get = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO tiles VALUES(?, ?)", -1, &put, nullptr);
    sqlite3_prepare_v2(db, "SELECT data FROM tiles WHERE key = ?", -1, &get, nullptr);
    for (int n = 0; n < kDiskTiles; ++n) {
      std::string key = "/12_" + std::to_string(n) + "_" + std::to_string(n);
      sqlite3_bind_text(put, 1, key.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_blob(put, 2, tiles[n].data(), kTileBytes, SQLITE_STATIC);
      sqlite3_step(put);
      sqlite3_reset(put);
    }
    for (int n = 0; n < kDiskTiles; ++n) {
      std::string key = "/12_" + std::to_string(n) + "_" + std::to_string(n);
      sqlite3_bind_text(get, 1, key.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(get) == SQLITE_ROW) {
        std::vector<unsigned char> copy(static_cast<const unsigned char*>(sqlite3_column_blob(get, 0)),
                                        static_cast<const unsigned char*>(sqlite3_column_blob(get, 0)) +
                                            sqlite3_column_bytes(get, 0));
        benchmark::DoNotOptimize(copy.data());
      }
      sqlite3_reset(get);
    }
    sqlite3_finalize(put);
    sqlite3_finalize(get);
    sqlite3_close(db);
  }
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  state.SetItemsProcessed(state.iterations() * kDiskTiles * 2);
}

// A full 640 x 960 screen drawn from the 4 x 5 decoded tiles of its view
// (tile edges off the screen's), against a plain copy of the screen's bytes,
// in alternating rounds (see Interleaved.h). The counter "ratio" is the
// repaint's time over the copy's.
void BM_RepaintFromTilesVsMemcpy(benchmark::State& state) {
  Engine engine;
  tagMapViewState& view = GetMapViewState();
  SetViewLevel(view, 12);
  view.szScreen.SetSize(640, 960);
  view.rcWindow.SetRect(0, 0, 640, 960);
  view.ptCenter.SetPoint(12957395, 4824911);
  UpdateViewTransform(view, 4, 5);
  UpdateViewPixelOrigin(view);
  std::vector<std::vector<uint32_t>> pixels;
  CGirdDataArray tiles;
  CShowDataArray shows;
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 4; ++c) {
      pixels.emplace_back(256 * 256, 0xFF000000u | static_cast<uint32_t>(r * 4 + c) * 0x0A0B0C);
      tagGirdData tile{12, view.nTileX + c, view.nTileY - r, reinterpret_cast<unsigned char*>(pixels.back().data()),
                       256 * 256 * 4};
      tiles.Add(tile);
    }
  }
  GridDraw draw;
  draw.Init(&tiles, &shows);
  CVBitmap screen;
  screen.CreateWithSize({640, 960});
  CVDC dc;
  dc.CreateDC();
  dc.SelectBitmap(&screen);
  std::vector<uint32_t> source(640 * 960, 0xFF123456);
  std::vector<uint32_t> target(640 * 960);
  bench::RunInterleaved(
      state,
      [&] {
        draw.Draw(dc);
        benchmark::DoNotOptimize(screen.GetBits());
        benchmark::ClobberMemory();
      },
      [&] {
        std::memcpy(target.data(), source.data(), source.size() * 4);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
      });
}

}  // namespace

BENCHMARK(BM_RepaintFromTilesVsMemcpy);
BENCHMARK(BM_MemoryCacheLookup);
BENCHMARK(BM_UnorderedMapLruLookup);
BENCHMARK(BM_FileCachePutGet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteBlobPutGet)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
