// Real geography for the double's real-data tiles, read from what Debian
// ships: country and province outlines (land, coastlines and borders) from
// gmt-dcw (dcw-gmt.nc) and rivers from gmt-gshhg-low (binned_river_l.nc),
// both through libnetcdf. Every vertex is projected once into map units (the
// double's own projection), lines as lists of points.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/map-double/MapProjection.h"

namespace mapdouble {

struct Line {
    std::vector<Point> points;  // map units
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

struct Outline {
    std::string code;  // "CN", "CNBJ", ...
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    std::vector<Line> rings;
};

class Geography {
public:
    // The shared instance, loaded on first use; null when the packages are
    // not installed.
    static const Geography *get();

    std::vector<Outline> countries;
    std::vector<Outline> provinces;  // of China
    std::vector<Line> rivers;

private:
    bool load();
};

} // namespace mapdouble
