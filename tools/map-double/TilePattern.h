// Test-pattern tiles: every tile is a flat colour worked out from its kind,
// level and position, framed by a darker one-pixel border, with a mark in its
// north-west corner, so that every pixel of a map stitched from such tiles can
// be predicted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mapdouble {

enum class TileKind { Map, Satellite, Traffic };

constexpr int kTileSide = 256;
// The corner mark covers pixels 1..kMarkSide of the first rows and columns.
constexpr int kMarkSide = 12;

// The pixel (0xAARRGGBB) at (px, py) of a tile, rows from the top.
uint32_t patternPixel(TileKind kind, int level, long long x, long long y, int px, int py);
// The tile as the service sends it: a PNG, RGB for map and satellite tiles,
// RGBA for traffic tiles.
std::string patternTile(TileKind kind, int level, long long x, long long y);

} // namespace mapdouble

namespace mapdouble {

// The double's own stitch of its tiles: the screen of width x height pixels
// whose top-left pixel covers the map point (left, top) at a level, rows from
// the top.
std::vector<uint32_t> stitchPattern(TileKind kind, int level, long long left, long long top, int width, int height);

} // namespace mapdouble
