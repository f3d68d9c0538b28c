// The file cache of downloaded tiles: its index file and data file (the
// input's two parts, cut at a "#--" line; the data file is filled up to whole
// blocks) are opened, the tiles they name are read, new tiles are stored and
// must read back the same, also after the cache is closed and opened again.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/base/VMem.h"
#include "engine/render/GridDataFileCache.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace {

using mapengine::CGridDataFileCache;
using mapengine::tagGridCacheEntry;
using Key = unsigned short[tagGridCacheEntry::kKeyUnits];

constexpr int kCapacity = 8;
constexpr int kMaxBytes = 32 * CGridDataFileCache::kBlockSize;

fuzz::Sandbox* box;

// The key of the bytes as the files hold one (UTF-16LE), terminated.
void KeyAt(std::string_view bytes, size_t at, Key& key)
{
    std::memset(key, 0, sizeof key);
    for (size_t i = 0; i + 1 < tagGridCacheEntry::kKeyUnits && at + 2 * i + 1 < bytes.size(); ++i)
        key[i] = static_cast<unsigned short>(static_cast<unsigned char>(bytes[at + 2 * i]) |
                                             static_cast<unsigned char>(bytes[at + 2 * i + 1]) << 8);
}

void Get(CGridDataFileCache& cache, const Key& key)
{
    unsigned char* tile = nullptr;
    int size = 0;
    if (cache.Get(key, &tile, &size)) mapengine::CVMem::Deallocate(tile);
}

// The tile reads back as stored.
void Expect(CGridDataFileCache& cache, const Key& key, const std::vector<unsigned char>& bytes)
{
    unsigned char* tile = nullptr;
    int size = 0;
    if (!cache.Get(key, &tile, &size)) std::abort();
    const bool same = size == static_cast<int>(bytes.size()) && std::memcmp(tile, bytes.data(), bytes.size()) == 0;
    mapengine::CVMem::Deallocate(tile);
    if (!same) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("tile-cache");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    box->Clear();
    const auto parts = fuzz::Parts(data, size, 2);
    std::string blocks(parts[1]);
    blocks.resize((blocks.size() + CGridDataFileCache::kBlockSize - 1) / CGridDataFileCache::kBlockSize *
                  CGridDataFileCache::kBlockSize);
    box->Write("tiles.idx", parts[0]);
    box->Write("tiles.dat", blocks);
    const auto index = box->Path("tiles.idx"), file = box->Path("tiles.dat");

    Key small, large;
    mapengine::FormatTileKey(small, 12, 3, 4);
    mapengine::FormatTileKey(large, 13, 5, 6);
    const std::vector<unsigned char> smallTile(100, 's');
    std::vector<unsigned char> largeTile(2 * CGridDataFileCache::kNextBlockBytes + 7);
    for (size_t i = 0; i < largeTile.size(); ++i) largeTile[i] = static_cast<unsigned char>(i * 7);
    {
        CGridDataFileCache cache;
        if (!cache.Open(index, file, kCapacity, kMaxBytes)) std::abort();
        Key key;
        for (size_t at = CGridDataFileCache::kIndexHeaderBytes; at < parts[0].size() && at < 2048;
             at += tagGridCacheEntry::kDiskBytes) {
            KeyAt(parts[0], at, key);
            Get(cache, key);
        }
        for (size_t at = CGridDataFileCache::kBlockSize + 8; at < blocks.size() && at < 16 * 2048;
             at += CGridDataFileCache::kBlockSize) {
            KeyAt(blocks, at, key);
            Get(cache, key);
            cache.Remove(key);
        }
        const bool stored = cache.Put(small, smallTile.data(), static_cast<int>(smallTile.size())) == 1 &&
                            cache.Put(large, largeTile.data(), static_cast<int>(largeTile.size())) == 1;
        for (int pass = 0; stored && pass < 2; ++pass) {
            Expect(cache, small, smallTile);
            Expect(cache, large, largeTile);
            cache.SaveIndex();
            if (!cache.Open(index, file, kCapacity, kMaxBytes)) std::abort();
        }
    }
    return 0;
}
