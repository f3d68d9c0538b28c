// The on-disk store of POI background replies: a key's file
// ("POIBKGDATA0.TMP") is replaced by the input after its tiles were indexed,
// as a file damaged on disk would be, then its tiles are looked up, more
// appended and looked up again.
#include <cstdlib>
#include <cstring>

#include "engine/render/PoiBkgCache.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace {

using namespace mapengine;

fuzz::Sandbox* box;

tag_PoiBkgDataElem Tile(int x, int pois)
{
    tag_PoiBkgDataElem tile;
    tile.level = 15;
    tile.x = x;
    tile.y = 7;
    tile.pois.SetSize(pois);
    for (int i = 0; i < pois; ++i) {
        tile.pois[i].x = x;
        tile.pois[i].y = i;
        std::strcpy(tile.pois[i].uid, "uid");
        std::strcpy(tile.pois[i].name, "name");
    }
    return tile;
}

void LookUp(CPoiBkgCache& cache, const CVString& key, const tag_PoiBkgDataRst& reply)
{
    CPoiBkgTileArray tiles, missing;
    for (int i = 0; i < reply.tiles.GetSize(); ++i) tiles.Add(Tile(reply.tiles[i].x, 0));
    cache.Lookup(key, tiles, missing);
    if (missing.GetSize() > tiles.GetSize()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("poi-bkg-cache");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    box->Clear();
    CPoiBkgCache cache;
    cache.SetFolder(box->Path());
    const CVString key("pois");
    tag_PoiBkgDataRst reply;
    reply.tiles.Add(Tile(1, 0));
    reply.tiles.Add(Tile(2, 1));
    reply.tiles.Add(Tile(3, 3));
    if (!cache.Store(key, reply)) std::abort();
    box->Write("POIBKGDATA0.TMP", fuzz::Text(data, size));
    LookUp(cache, key, reply);
    reply.tiles.Add(Tile(4, 2));
    cache.Store(key, reply);
    LookUp(cache, key, reply);
    return 0;
}
