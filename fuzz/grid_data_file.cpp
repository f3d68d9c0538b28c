// The offline grid data files (the tiles of one grid cell for a range of
// levels): a middle file (levels 11..13 of base 11), a level-18 file and a
// low-level file (levels 3..5 of base 3), the input's three parts cut at
// "#--" lines; the shorter ranges keep the files small. Tiles of
// every level are read, then the files are taken up for the download and the
// next tile is appended where a file is kept.
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/base/VMem.h"
#include "engine/render/GridDataFile.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace {

using mapengine::COfflineDataCache;
using mapengine::CVString;

fuzz::Sandbox* box;

struct Kind {
    int base, first, last;
    int cellX, cellY;  // the cell, at the base level
    const char* file;
};

constexpr Kind kKinds[] = {{11, 11, 13, 1, 2, "data/0_0/1_2.dat"},
                           {11, 18, 18, 1, 2, "data/0_0/1_2_18.dat"},
                           {3, 3, 5, 3, 4, "data/0_0/3_4.dat"}};

CVString Key(int x, int y) { return CVString((std::to_string(x) + "_" + std::to_string(y)).c_str()); }

// The key of the tile at the index of a level's block of the kind's cell.
CVString TileKey(const Kind& kind, int level, int index)
{
    const int side = 1 << (level - kind.base);
    return Key(kind.cellX * side + index / side, kind.cellY * side + index % side);
}

void Read(COfflineDataCache& cache, const Kind& kind, int level, int index)
{
    unsigned char* tile = nullptr;
    int size = 0;
    if (cache.ReadTileData(kind.base, TileKey(kind, level, index), level, &tile, &size)) {
        if (size <= 0 || size >= COfflineDataCache::kMaxTileSize) std::abort();
        mapengine::VDelete(tile);
    }
}

// Appends the tile that comes after the written ones, as a download does.
void AppendNext(COfflineDataCache& cache, const Kind& kind, int written)
{
    int level = kind.first;
    while (level <= kind.last && written >= 1 << (2 * (level - kind.base))) {
        written -= 1 << (2 * (level - kind.base));
        ++level;
    }
    if (level > kind.last) return;
    const unsigned char tile[] = "tile";
    (void)cache.WriteGridData(kind.base, TileKey(kind, level, written), kind.first, kind.last, level, tile,
                              sizeof tile);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("grid-data-file");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    box->Clear();
    const auto parts = fuzz::Parts(data, size, 3);
    for (size_t i = 0; i < 3; ++i) box->Write(kKinds[i].file, parts[i]);
    COfflineDataCache cache;
    cache.Init(box->Path(), CVString("10000001"), 0);
    for (const Kind& kind : kKinds) {
        for (int level = kind.first; level <= kind.last; ++level) {
            const int tiles = 1 << (2 * (level - kind.base));
            for (int index : {0, tiles / 2, tiles - 1}) Read(cache, kind, level, index);
        }
    }
    for (const Kind& kind : kKinds) {
        int written = -1;
        const std::string cell = std::to_string(kind.cellX) + "_" + std::to_string(kind.cellY);
        if (cache.CreateOfflineDat(kind.base, CVString(cell.c_str()), kind.first, kind.last, &written) && written >= 0)
            AppendNext(cache, kind, written);
    }
    return 0;
}
