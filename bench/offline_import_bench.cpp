// Importing an offline package (classify, unpack, check the digests, move
// the grid files, merge the city) against Info-ZIP unzip of the same zip
// followed by md5sum of what it unpacked (goal: at most 1.5x).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "tools/offlinepack/OfflinePack.h"

namespace {

namespace fs = std::filesystem;

// A city of eight full level-11 grids (levels 11..17), a few MB zipped, in
// a folder of its own that goes at exit.
struct Fixture {
  Fixture() {
    folder = (fs::temp_directory_path() / "nxbench-offline-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
      std::abort();
    }
    offlinepack::City city;
    city.id = 150;
    city.name = "廊坊市";
    city.size = 4096;
    for (int x = 0; x < 8; ++x) city.grids.push_back(std::to_string(2530 + x) + "_942");
    zip = folder + "/city.zip";
    offlinepack::writeZip(zip, offlinepack::packageEntries(city));
  }
  ~Fixture() { fs::remove_all(folder); }
  std::string folder;
  std::string zip;
};

const std::string& Package() {
  static const Fixture fixture;
  return fixture.zip;
}

// A fresh folder under the package's, emptied first.
std::string Fresh(const char* name) {
  std::string folder = fs::path(Package()).parent_path().string() + "/" + name + "/";
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

void BM_ImportPackage(benchmark::State& state) {
  mapengine::CreateGlobalMan();
  static_cast<mapengine::CVCMMap*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotCMMap))->LoadTables();
  for (auto _ : state) {
    state.PauseTiming();
    std::string sdk = Fresh("sdk");
    std::string documents = Fresh("documents");
    fs::copy_file(Package(), documents + "city.zip");
    mapengine::COLRecordMan store;
    store.LoadAll(mapengine::CVString(sdk.c_str()));
    mapengine::COLPackageMan packages;
    packages.SetRecordMan(&store);
    packages.SetFolders(mapengine::CVString(sdk.c_str()), mapengine::CVString(documents.c_str()));
    state.ResumeTiming();
    packages.OnMessage(mapengine::kOLCodeImport, 1);
    packages.JoinImport();
    state.PauseTiming();
    if (fs::exists(documents + "city.zip")) {
      state.SkipWithError("the package was not imported");
    }
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(Package())));
  mapengine::DestroyGlobalMan();
}
BENCHMARK(BM_ImportPackage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UnzipAndMd5sum(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::string target = Fresh("unzip");
    std::string command = "unzip -qo '" + Package() + "' -d '" + target + "' && find '" + target +
                          "' -type f -exec md5sum {} + > /dev/null";
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("unzip or md5sum failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(Package())));
}
BENCHMARK(BM_UnzipAndMd5sum)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
