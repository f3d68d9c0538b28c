// make-offline-pack: writes an offline map package for the engine's import.
//   make-offline-pack OUT.zip ID NAME GRID[,GRID...] [options]
//     --levels FIRST-LAST   levels of the grid files (11-17; 18 adds level-18 files)
//     --versions D,M,C      data, map and city versions (8,9,7)
//     --size N              the city's data size "lu" (the zip's size)
//     --variant NAME        sound, wrong-digest, short-file, missing-key,
//                           two-objects, traversal-name, oversized-city
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "tools/offlinepack/OfflinePack.h"

using offlinepack::Variant;

int main(int argc, char **argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUT.zip ID NAME GRID[,GRID...] [--levels A-B] [--versions D,M,C] "
                             "[--size N] [--variant NAME]\n", argv[0]);
        return 2;
    }
    offlinepack::City city;
    city.id = std::atoi(argv[2]);
    city.name = argv[3];
    std::istringstream grids(argv[4]);
    for (std::string grid; std::getline(grids, grid, ',');) {
        city.grids.push_back(grid);
    }
    const std::map<std::string, Variant> variants = {
        {"sound", Variant::Sound},          {"wrong-digest", Variant::WrongDigest},
        {"short-file", Variant::ShortFile}, {"missing-key", Variant::MissingKey},
        {"two-objects", Variant::TwoObjects}, {"traversal-name", Variant::TraversalName},
        {"oversized-city", Variant::OversizedCity}};
    Variant variant = Variant::Sound;
    for (int i = 5; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        std::string value = argv[i + 1];
        if (option == "--levels" && std::sscanf(value.c_str(), "%d-%d", &city.startLevel, &city.endLevel) == 2) {
            continue;
        }
        if (option == "--versions") {
            std::istringstream parts(value);
            std::getline(parts, city.dataVersion, ',');
            std::getline(parts, city.mapVersion, ',');
            std::getline(parts, city.cityVersion, ',');
            continue;
        }
        if (option == "--size") {
            city.size = std::atoi(value.c_str());
            continue;
        }
        if (option == "--variant" && variants.count(value)) {
            variant = variants.at(value);
            continue;
        }
        std::fprintf(stderr, "bad option %s %s\n", option.c_str(), value.c_str());
        return 2;
    }
    if (!offlinepack::writeZip(argv[1], offlinepack::packageEntries(city, variant))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
