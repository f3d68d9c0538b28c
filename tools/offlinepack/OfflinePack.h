// Offline map packages for tests and people: a zip holding, under
// "VurivMap/Mapdata/", the grid files of a city (written by this tool's own
// writer of the offline grid file layout, so that a drift between the
// engine's reader and the layout shows up), the city's record file (.cfg)
// and its check file (.chk), with variants for the faults the import must
// refuse.
#pragma once

#include <string>
#include <vector>

namespace offlinepack {

struct City {
    int id = 0;
    std::string name;  // UTF-8; written as GBK
    std::string dataVersion = "8";
    std::string mapVersion = "9";
    std::string cityVersion = "7";
    int size = 0;  // "lu": the city's data size
    int x = 0;
    int y = 0;
    int startLevel = 11;
    int endLevel = 17;  // 18 adds the level-18 files
    std::vector<std::string> grids;  // "x_y" of base level 11
};

enum class Variant {
    Sound,
    WrongDigest,    // the first file's start digest is off
    ShortFile,      // the first file is shorter than 1024 bytes
    MissingKey,     // the record file lacks "lcv"
    TwoObjects,     // the record file holds two records
    TraversalName,  // the check file names "../" files
    OversizedCity   // "lu" larger than any free space
};

struct Entry {
    std::string name;   // path inside the zip
    std::string bytes;
};

// A UTF-8 text as GBK (the map service's and the packages' texts).
std::string toGbk(const std::string &utf8);
// The bytes of a tile of the pattern (deterministic per level, column, row).
std::string tileBytes(int level, int column, int row);
// A complete grid file of the cell for levels first..last of base level 11.
std::string gridFile(int gridX, int gridY, int firstLevel, int lastLevel);
// The package's entries: grid files, the record file and the check file.
std::vector<Entry> packageEntries(const City &city, Variant variant = Variant::Sound);
// Writes the entries as a zip (deflated). True when written.
bool writeZip(const std::string &path, const std::vector<Entry> &entries);
// The package's record file name (the city's id + ".cfg").
std::string recordFileName(const City &city);

} // namespace offlinepack
