// The tile pack of the tile service, as the engine's tile downloader reads
// it (integers 32-bit little-endian): header length H, tile count n, per
// tile (offset from H, negative for a missing tile; size), then the bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mapdouble {

struct PackEntry {
    std::optional<std::string> bytes;  // nullopt: missing
};

std::string encodePack(const std::vector<PackEntry> &tiles);
// Writes a 32-bit little-endian integer at a position of the pack.
void putInt(std::string &pack, size_t at, int value);

// The parts of a list ("c=x_y,x_y,...").
std::vector<std::string> splitList(const std::string &text, char separator);
// "x_y" with decimal, possibly negative, x and y.
bool parseTileKey(const std::string &key, long long &x, long long &y);

} // namespace mapdouble
