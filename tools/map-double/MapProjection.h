// The double's own map arithmetic, written apart from the engine's so that
// tests can check one against the other: the map datum's band polynomials,
// the GCJ-02 shift into that datum, and the tile grid of map units.
#pragma once

namespace mapdouble {

struct Point {
    double x = 0;
    double y = 0;
};

// Longitude/latitude in the map's datum to map units, and back.
Point mapUnitsFromLonLat(Point lonLat);
Point lonLatFromMapUnits(Point mapUnits);
// A GCJ-02 position shifted into the map's datum.
Point mapDatumFromGcj02(Point lonLat);

// Map units covered by one tile side at a level (256 pixels, one unit per
// pixel at level 18).
long long tileSpan(int level);
// The tile column and row holding a map point (rows count northwards, a row
// spans [y * span, (y + 1) * span)).
long long tileIndex(long long mapUnits, int level);

} // namespace mapdouble
