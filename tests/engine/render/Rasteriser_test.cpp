#include "engine/render/Rasteriser.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/render/RasterTestUtil.h"

using namespace mapengine;
using rastertest::makeDc;
using rastertest::px;
using rastertest::useBrush;
using rastertest::usePen;

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;

std::vector<_VPoint> scaled(std::initializer_list<_VPoint> pts, int dx = 0) {
  std::vector<_VPoint> out;
  for (auto p : pts) out.push_back({p.x * 256 + dx, p.y * 256});
  return out;
}

// Red channel of every pixel, row by row.
std::vector<int> reds(tagDCObj* dc) {
  std::vector<int> out;
  for (int y = 0; y < dc->bitmap->height; ++y)
    for (int x = 0; x < dc->bitmap->width; ++x) out.push_back((px(dc, x, y) >> 16) & 0xFF);
  return out;
}

int painted(tagDCObj* dc) {
  int n = 0;
  for (int v : reds(dc)) n += v != 0;
  return n;
}

}  // namespace

TEST(RasterPolygon, UnitSquareFillsExactlyItsPixels) {
  auto dc = makeDc(5, 5, kBlack);
  auto sq = scaled({{1, 1}, {3, 1}, {3, 3}, {1, 3}});
  EXPECT_EQ(fill_polygon_aa(dc.get(), sq.data(), 4, 0x80FF0000, 255), 1);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      // A full pixel at full opacity stores the colour word unchanged.
      EXPECT_EQ(px(dc.get(), x, y), inside ? 0x80FF0000u : kBlack) << x << "," << y;
    }
  }
}

TEST(RasterPolygon, HalfPixelShiftGivesHalfCoverageAtTheEdges) {
  auto dc = makeDc(5, 4, kBlack);
  auto sq = scaled({{1, 1}, {3, 1}, {3, 3}, {1, 3}}, 128);
  EXPECT_EQ(fill_polygon_aa(dc.get(), sq.data(), 4, kRed, 255), 1);
  // j = 128: red = (128 * 255) >> 8 = 127 over black.
  const int half = (128 * 255) >> 8;
  const std::vector<int> want = {0, 0, 0, 0, 0,  //
                                 0, half, 255, half, 0,  //
                                 0, half, 255, half, 0,  //
                                 0, 0, 0, 0, 0};
  EXPECT_EQ(reds(dc.get()), want);
}

TEST(RasterPolygon, OpacityScalesCoverage) {
  auto dc = makeDc(4, 4, kBlack);
  auto sq = scaled({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  fill_polygon_aa(dc.get(), sq.data(), 4, kRed, 128);
  // j = trunc(255 * 128 / 255) = 128: blended, not stored.
  EXPECT_EQ(px(dc.get(), 2, 2), 0xFF000000u | (((128 * 255) >> 8) << 16));
  // Only the low 8 bits of the opacity count.
  auto dc2 = makeDc(4, 4, kBlack);
  fill_polygon_aa(dc2.get(), sq.data(), 4, kRed, 256 + 128);
  EXPECT_EQ(px(dc2.get(), 2, 2), px(dc.get(), 2, 2));
}

TEST(RasterPolygon, WindingOrderAndSelfOverlap) {
  auto cw = makeDc(12, 12, kBlack), ccw = makeDc(12, 12, kBlack);
  std::vector<_VPoint> tri = {{300, 200}, {2800, 700}, {900, 2900}};
  std::vector<_VPoint> rev(tri.rbegin(), tri.rend());
  fill_polygon_aa(cw.get(), tri.data(), 3, kRed, 255);
  fill_polygon_aa(ccw.get(), rev.data(), 3, kRed, 255);
  EXPECT_EQ(reds(cw.get()), reds(ccw.get()));
  EXPECT_GT(painted(cw.get()), 10);

  // A five-pointed star drawn in one stroke: its centre winds twice and is
  // filled under the non-zero rule.
  auto star = makeDc(21, 21, kBlack);
  std::vector<_VPoint> pts = scaled({{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}});
  fill_polygon_aa(star.get(), pts.data(), 5, kRed, 255);
  EXPECT_EQ(px(star.get(), 10, 10), kRed);
  EXPECT_EQ(px(star.get(), 1, 1), kBlack);
}

TEST(RasterPolygon, OutsideAndFarAwayPoints) {
  auto dc = makeDc(8, 8, kBlack);
  auto off = scaled({{20, 20}, {30, 20}, {30, 30}});
  EXPECT_EQ(fill_polygon_aa(dc.get(), off.data(), 3, kRed, 255), 0);
  EXPECT_EQ(painted(dc.get()), 0);
  // Points near the limits of 32 bits: the part inside is the whole bitmap.
  std::vector<_VPoint> huge = {{-2147483647, -2147483647}, {2147483647, -2147483647},
                               {2147483647, 2147483647}, {-2147483647, 2147483647}};
  EXPECT_EQ(fill_polygon_aa(dc.get(), huge.data(), 4, kRed, 255), 1);
  EXPECT_EQ(painted(dc.get()), 64);
  EXPECT_EQ(px(dc.get(), 7, 7), kRed);
  // Huge pixel coordinates through the context (scaled by 256 inside).
  auto dc2 = makeDc(8, 8, kBlack);
  std::vector<_VPoint> far = {{-100000000, -100000000}, {100000000, -100000000}, {0, 100000000}};
  EXPECT_EQ(dc_polygon(dc2.get(), far.data(), 3, 255), 1);
  EXPECT_GT(painted(dc2.get()), 0);
}

TEST(RasterPolygon, ManyEdgesCrossingOneRowOfANarrowBitmap) {
  // A zig-zag with 400 edges crossing every row of a 4-pixel-wide bitmap.
  auto dc = makeDc(4, 4, kBlack);
  std::vector<_VPoint> zig;
  for (int i = 0; i < 200; ++i) zig.push_back({(i % 2 ? 4 : 0) * 256, i * 4});
  zig.push_back({0, 1024});
  EXPECT_EQ(fill_polygon_aa(dc.get(), zig.data(), static_cast<int>(zig.size()), kRed, 255), 1);
}

TEST(RasterLine, HorizontalOnePixelLineIsExact) {
  auto dc = makeDc(10, 10, kBlack);
  aa_line(dc.get(), 1, 5, 8, 5, kRed);
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(px(dc.get(), x, 5), x >= 1 && x <= 8 ? kRed : kBlack) << x;
    EXPECT_EQ(px(dc.get(), x, 4), kBlack);
    EXPECT_EQ(px(dc.get(), x, 6), kBlack);
  }
}

TEST(RasterLine, DiagonalSplitsWeightWithNeighbour) {
  auto dc = makeDc(8, 8, kBlack);
  aa_line(dc.get(), 0, 0, 4, 2, kRed);  // slope 512/1024
  // Step 1: f = 0, d = -512: main pixel (1, 0) and (1, 1) each get half.
  EXPECT_EQ((px(dc.get(), 1, 0) >> 16) & 0xFF, (512u * 255) >> 10);
  EXPECT_EQ((px(dc.get(), 1, 1) >> 16) & 0xFF, (512u * 255) >> 10);
  EXPECT_EQ(px(dc.get(), 2, 1), kRed);
  EXPECT_EQ(px(dc.get(), 4, 2), kRed);

  auto dotted = makeDc(10, 1, kBlack);
  aa_line_dotted(dotted.get(), 0, 0, 9, 0, kRed);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(px(dotted.get(), x, 0), x % 3 == 0 ? kRed : kBlack) << x;

  // Far outside ends are clipped before walking.
  auto far = makeDc(10, 10, kBlack);
  aa_line(far.get(), -2000000000, 5, 2000000000, 5, kRed);
  EXPECT_EQ(px(far.get(), 0, 5), kRed);
  EXPECT_EQ(px(far.get(), 9, 5), kRed);
}

TEST(RasterLine, ClipLine) {
  _VRect r{0, 0, 10, 10};
  _VPoint a, b;
  EXPECT_EQ(clip_line(r, -10, 5, 20, 5, &a, &b), 1);
  EXPECT_EQ(a, (_VPoint{0, 5}));
  EXPECT_EQ(b, (_VPoint{10, 5}));
  EXPECT_EQ(clip_line(r, -5, -5, -1, 20, &a, &b), 0);
  EXPECT_EQ(clip_line(r, 5, -5000, 5, 5000, &a, &b), 1);
  EXPECT_EQ(a, (_VPoint{5, 0}));
  EXPECT_EQ(b, (_VPoint{5, 10}));
  EXPECT_EQ(clip_line(r, -2147483647, -2147483647, 2147483647, 2147483647, &a, &b), 1);
  EXPECT_EQ(line_outcode(r, 10, 10), 0);
  EXPECT_EQ(line_outcode(r, -1, 11), kOutLeft | kOutBelow);
  EXPECT_EQ(line_outcode(r, 11, -1), kOutRight | kOutAbove);
}

TEST(RasterContextLines, PenDispatchAndCurrentPosition) {
  auto dc = makeDc(10, 10, kBlack);
  tagPenObj* zero = pen_create(1, kRed, kPenSolid);
  zero->width = 0;
  dc_select_pen(dc.get(), zero);
  pen_free(zero);
  dc_move_to(dc.get(), 2, 2);
  EXPECT_EQ(dc_line_to(dc.get(), 8, 2), 0);
  EXPECT_EQ(dc_move_to(dc.get(), 0, 0), (_VPoint{2, 2}));
  EXPECT_EQ(painted(dc.get()), 0);

  usePen(dc.get(), 1, kRed);
  dc_move_to(dc.get(), 2, 2);
  EXPECT_EQ(dc_line_to(dc.get(), 8, 2), 1);
  EXPECT_EQ(dc_move_to(dc.get(), 0, 0), (_VPoint{8, 2}));
  EXPECT_EQ(px(dc.get(), 5, 2), kRed);
}

TEST(RasterThick, PenHalfWidthRoundsUpToWholePixels) {
  // A horizontal line across the middle of a 20-pixel-high bitmap: the
  // number of fully covered rows is twice the half-width.
  struct Case {
    int width;
    int rows;
  };
  for (Case c : {Case{2, 2}, Case{3, 4}, Case{4, 4}}) {
    auto dc = makeDc(30, 20, kBlack);
    usePen(dc.get(), c.width, kRed);
    _VPoint pts[2] = {{5, 10}, {25, 10}};
    EXPECT_EQ(dc_polyline(dc.get(), pts, 2, 255), 1);
    int full = 0;
    for (int y = 0; y < 20; ++y) full += px(dc.get(), 15, y) == kRed;
    EXPECT_EQ(full, c.rows) << c.width;
    // The round cap reaches half a width past the end and no further.
    int half = c.rows / 2;
    EXPECT_NE(px(dc.get(), 25 + half - 1, 10), kBlack);
    EXPECT_EQ(px(dc.get(), 25 + half + 1, 10), kBlack);
  }
}

TEST(RasterThick, PolylineAndPolygonArguments) {
  auto dc = makeDc(10, 10, kBlack);
  _VPoint one[1] = {{1, 1}};
  EXPECT_EQ(dc_polyline(dc.get(), one, 1, 255), 0);
  EXPECT_EQ(dc_polyline(dc.get(), nullptr, 2, 255), 0);
  _VPoint same[3] = {{4, 4}, {4, 4}, {4, 4}};
  EXPECT_EQ(thick_polyline_pen(dc.get(), same, 3, 255), 1);  // one point left: nothing drawn
  EXPECT_EQ(painted(dc.get()), 0);
  _VPoint two[2] = {{1, 1}, {5, 5}};
  EXPECT_EQ(dc_polygon(dc.get(), two, 2, 255), 0);

  // Null brush and null pen: nothing to do.
  useBrush(dc.get(), kRed, kBrushNull);
  usePen(dc.get(), 1, kRed, kPenNull);
  _VPoint tri[3] = {{1, 1}, {8, 1}, {1, 8}};
  EXPECT_EQ(dc_polygon(dc.get(), tri, 3, 255), 0);

  // A filled polygon in the brush colour, outlined by a 1-pixel pen.
  useBrush(dc.get(), 0xFF00FF00);
  usePen(dc.get(), 1, kRed);
  EXPECT_EQ(dc_polygon(dc.get(), tri, 3, 255), 1);
  EXPECT_EQ(px(dc.get(), 2, 3), 0xFF00FF00u);
  EXPECT_EQ(px(dc.get(), 4, 1), kRed);
}

TEST(RasterEllipse, FillsOutlinesAndRefusesDegenerateBoxes) {
  auto dc = makeDc(40, 40, kBlack);
  EXPECT_EQ(dc_ellipse(dc.get(), 5, 5, 6, 30, 255), 0);
  EXPECT_EQ(dc_ellipse(nullptr, 0, 0, 10, 10, 255), 0);
  useBrush(dc.get(), 0xFF00FF00);
  usePen(dc.get(), 2, kRed);
  EXPECT_EQ(dc_ellipse(dc.get(), 30, 30, 10, 10, 255), 1);  // a reversed box works too
  EXPECT_EQ(px(dc.get(), 20, 20), 0xFF00FF00u);
  EXPECT_EQ(px(dc.get(), 29, 20), kRed);
  EXPECT_EQ(px(dc.get(), 20, 10), kRed);
  EXPECT_EQ(px(dc.get(), 2, 2), kBlack);
  EXPECT_EQ(px(dc.get(), 33, 20), kBlack);
  // A 2000-pixel box (n clamped to 500) far larger than the bitmap.
  EXPECT_EQ(dc_ellipse(dc.get(), -980, -980, 1020, 1020, 255), 1);
  EXPECT_EQ(px(dc.get(), 20, 20), 0xFF00FF00u);
}
