// The engine's view-independent coordinate arithmetic: longitude/latitude in
// the map's datum <-> map units, the GCJ-02 shift into that datum, polyline
// simplification for a zoom level, and the two text codings of geometry and
// request signing (encoded point strings, Base64).
#pragma once

#include <cstddef>

#include "engine/base/VArray.h"
#include "engine/base/VTypes.h"

namespace mapengine {

class CComplexPt;

// A position as doubles: longitude/latitude or map x/y.
struct _VDPoint {
  double x = 0;
  double y = 0;
};

using CVPointArray = CVArray<_VPoint, _VPoint>;

// One band row: c0..c9 of the band polynomial.
using BandRow = double[10];

// Map units for (longitude, latitude). Nothing is written to a null output.
void LonLatToMapUnits(_VDPoint* out, const _VDPoint& lonLat);
// Longitude and latitude for map units; inputs are clamped to the map's range.
void MapUnitsToLonLat(_VDPoint* out, const _VDPoint& map);
// The band polynomial of one row applied to a point.
void ConvertByBand(_VDPoint* out, const _VDPoint& in, const BandRow& row);
// Shifts a GCJ-02 position into the map's datum. 1, or 0 for a null output.
int Gcj02ToMapDatum(double longitude, double latitude, _VDPoint* out);

// Squared distance from p to the segment a-b; *nearest (when not null)
// receives the nearest point of the segment.
double SegmentDistanceSquared(const _VPoint& p, const _VPoint& a, const _VPoint& b, _VPoint* nearest);
// Douglas-Peucker over points in hundredths of map units, tolerance in map
// units. Writes the kept points to dst (a lone kept pair becomes first, last,
// last) and returns their number; -1 for fewer than 2 points, a null argument
// or no memory.
int DouglasPeucker(const CVPointArray* src, CVPointArray* dst, double tolerance);
// Simplifies every part of src to four screen pixels at the level (1..18) and
// adds each non-empty result to dst as a part. dst's part count, or 0 for a
// null argument or a level out of range.
int SimplifyForLevel(const CComplexPt* src, int level, CComplexPt* dst);

// Codes of the point decoders besides 0 (done): -1 a short field, -10 - i a
// bad character i of x, -20 - i of y, and kPointOutOfRange for a coordinate
// that does not fit 32 bits.
constexpr int kPointOutOfRange = -2;
// The 6-bit value of a Base64 character, or -1.
int Base64Value(char c);
// Decodes a 13-character absolute point ("=" then six characters of x and six
// of y, least significant first) from the length characters at field and
// replaces *point with it.
int DecodeAbsolutePoint(const char* field, size_t length, _VPoint* point);
// Decodes an 8-character relative step (four characters of dx, four of dy) and
// adds it to *point.
int DecodeRelativePoint(const char* field, size_t length, _VPoint* point);
// Reads an encoded point string ("." points, "-" lines, "*" areas, matching
// the geometry's kind) into parts of the geometry. 1 when the whole text was
// read; 0 on a kind mismatch, a short field, a bad character or a point out
// of range (the parts completed so far stay); 255 for a null geometry or a
// text shorter than 2.
int ParseEncodedPoints(const char* text, CComplexPt* geometry);

// Standard Base64 (padded) of the zero-terminated text, followed by a 0 byte,
// into out of the given capacity. The position of that 0 byte, or -1 (out
// unchanged) for a null argument or a capacity too small.
int Base64Encode(char* out, size_t capacity, const char* text);

}  // namespace mapengine
