// Writes points and shapes in the map service's encoded point format: an
// absolute point is "=" and six Base64 digits each of x and y, lowest first;
// a relative step is four digits each of dx and dy (24 bits, lowest first;
// a negative step d is written as 0x800000 - d); ";" ends a part. The first
// character names the kind: "." point, "-" line, "*" area.
#pragma once

#include <string>
#include <vector>

namespace mapdemo {

struct Point {
  int x = 0;
  int y = 0;
};

// ".=" + x + y + ";": one point, 15 characters.
std::string EncodePoint(int x, int y);
// kind + one part per run: its first point absolute, the others as steps.
// Steps must lie within +-0x800000.
std::string EncodeParts(char kind, const std::vector<std::vector<Point>>& parts);
// The three-field form of a shape: the lower and upper corner of its
// bounding box as points, then the parts: "corner|corner|parts".
std::string EncodeShape(char kind, const std::vector<std::vector<Point>>& parts);

}  // namespace mapdemo
