// Import of an offline package (a zip in the Documents folder) as the engine
// runs it: classified, unpacked into the SDK data folder, checked and merged
// into a fresh record store. Whatever the package holds, nothing may be
// written outside the data and Documents folders.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace fs = std::filesystem;

namespace {

fuzz::Sandbox* box;

// Every entry of the folder is one of the names given.
void OnlyHolds(const fs::path& folder, const std::set<std::string>& names)
{
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!names.count(entry.path().filename().string())) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("tile-pack");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace mapengine;
    box->Clear();
    box->Write("box/Documents/city.zip", fuzz::Text(data, size));
    fs::create_directories(box->root() / "box/sdk");
    {
        COLRecordMan store;
        store.LoadAll(box->Path("box/sdk/"));
        COLPackageMan packages;
        packages.SetRecordMan(&store);
        packages.SetFolders(box->Path("box/sdk/"), box->Path("box/Documents/"));
        packages.SetDiskFreeProbe([](double* freeBytes) {
            *freeBytes = 1e9;
            return 1;
        });
        packages.OnMessage(kOLCodeImport, 1);
        packages.JoinImport();
    }
    OnlyHolds(box->root(), {"box"});
    OnlyHolds(box->root() / "box", {"sdk", "Documents"});
    return 0;
}
