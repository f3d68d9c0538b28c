// The check pass over an unpacked offline package: its record file, check
// file and one tile file (the input's three parts, cut at "#--" lines) in the
// unpacked-package folder, verified, moved into the grid folder and merged
// into a fresh record store. Nothing may be written outside the data folder.
#include <cstdlib>
#include <filesystem>

#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace fs = std::filesystem;

namespace {

fuzz::Sandbox* box;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("package-check");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace mapengine;
    box->Clear();
    const auto parts = fuzz::Parts(data, size, 3);
    box->Write("sdk/VurivMap/Mapdata/150.cfg", parts[0]);
    box->Write("sdk/VurivMap/Mapdata/150.chk", parts[1]);
    box->Write("sdk/VurivMap/Mapdata/10_20/100_200.map", parts[2]);
    CVArray<tag_CheckInfo> entries;
    (void)COLPackageMan::ReadCheckFile(box->Path("sdk/VurivMap/Mapdata/150.chk"), entries);
    {
        COLRecordMan store;
        store.LoadAll(box->Path("sdk/"));
        COLPackageMan packages;
        packages.SetRecordMan(&store);
        packages.SetFolders(box->Path("sdk/"), box->Path("Documents/"));
        (void)packages.CheckPackages(box->Path("sdk/"));
    }
    for (const auto& entry : fs::directory_iterator(box->root())) {
        if (entry.path().filename() != "sdk") std::abort();
    }
    return 0;
}
