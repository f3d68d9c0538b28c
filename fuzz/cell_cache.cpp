// The positioning's cache of cell positions ("loc.dat"): the file is read,
// the cells it names are looked up, a cell is added (the file is written
// anew) and the file written reads back with the same cells.
#include <cstdlib>
#include <cstring>

#include "engine/data/AppLocation.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace {

using namespace mapengine;

fuzz::Sandbox* box;

// The word at the byte offset of the input, 0 past its end.
int Word(const uint8_t* data, size_t size, size_t at)
{
    int value = 0;
    if (at + 4 <= size) std::memcpy(&value, data + at, 4);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("cell-cache");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    box->Clear();
    box->Write("loc.dat", fuzz::Text(data, size));
    CLocCellCache cache(2, box->Path());
    const int count = cache.GetCount();
    if (count < 0 || count > CLocCellCache::kLimit) std::abort();
    // The cells the file names, in the network of its head.
    tagCellInfo cell;
    cell.mcc = Word(data, size, 8);
    cell.mnc = Word(data, size, 12);
    for (size_t at = 16; at + 28 <= size && at < 16 + 28 * 4; at += 28) {
        cell.cid = Word(data, size, at + 16);
        cell.lac = Word(data, size, at + 20);
        (void)cache.Find(cell);
    }
    cell.cid = 4711;
    cell.lac = 42;
    cache.Add(cell, 116.5, 39.9, 80);
    CLocCellCache reread(2, box->Path());
    const CLocCellCache::Entry* added = reread.Find(cell);
    if (!added || added->x != 116.5 || added->radius != 80 || reread.GetCount() != cache.GetCount()) std::abort();
    return 0;
}
