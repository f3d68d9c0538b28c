// The scanline rasteriser: anti-aliased polygons from cells of exact area
// coverage with 8 sub-pixel bits (non-zero winding, absolute coverage),
// one-pixel anti-aliased lines (solid and dotted), thick polylines outlined
// with rounded ends, and ellipses. Everything draws into the 32-bit bitmap
// selected into a context, inside the context's clip rectangle.
//
// Coordinates of the polygon filler are 24.8 fixed point (pixels x 256). All
// clipping and offset arithmetic is done in 64 bits, so points far outside the
// bitmap are cut back without overflowing.
#pragma once

#include <cstdint>

#include "engine/base/VTypes.h"
#include "engine/render/RasterObjects.h"

namespace mapengine {

// Outcode bits of a point against a rectangle; a point on a side is inside.
enum : int { kOutLeft = 1, kOutRight = 2, kOutBelow = 4, kOutAbove = 8 };

int line_outcode(const _VRect& clip, long long x, long long y);
// Cuts the segment to the rectangle (Cohen-Sutherland, exact integer
// intersections). 1 with the clipped ends, 0 when nothing remains.
int clip_line(const _VRect& clip, int x1, int y1, int x2, int y2, _VPoint* first, _VPoint* second);

// Fills a closed polygon given in 24.8 points with the colour; opacity (low 8
// bits) scales the coverage. 1 when rows were rendered; 0 when the polygon is
// outside the clip rectangle, for bad arguments or when memory is short.
int fill_polygon_aa(tagDCObj* dc, const _VPoint* points, int count, uint32_t color, int opacity);

// One-pixel anti-aliased line in pixels (10-bit fractions across the line).
void aa_line(tagDCObj* dc, int x1, int y1, int x2, int y2, uint32_t color);
// Every third pixel of the same line.
void aa_line_dotted(tagDCObj* dc, int x1, int y1, int x2, int y2, uint32_t color);

// A polyline outlined as one polygon with rounded caps and filled: the pen
// variant takes pixels and the selected pen's width and colour (half-width
// rounded up to whole pixels); the explicit one takes 24.8 points and a width
// whose half is kept to 1/256 pixel. 1, or 0 when memory is short.
int thick_polyline_pen(tagDCObj* dc, const _VPoint* points, int count, int opacity);
int thick_polyline(tagDCObj* dc, const _VPoint* points, int count, int width, uint32_t color, int opacity);

// Context operations with the selected pen and brush.
int dc_draw_line(tagDCObj* dc, int x1, int y1, int x2, int y2, int opacity);
int dc_line_to(tagDCObj* dc, int x, int y);
int dc_polyline(tagDCObj* dc, const _VPoint* points, int count, int opacity);
int dc_polygon(tagDCObj* dc, const _VPoint* points, int count, int opacity);
int dc_ellipse(tagDCObj* dc, int left, int top, int right, int bottom, int opacity);

}  // namespace mapengine
