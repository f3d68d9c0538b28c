#include "engine/render/MapView.h"

#include <gtest/gtest.h>

using namespace mapengine;

namespace {

tagMapViewState View(int level, int width, int height, int cx, int cy, _VRect window = {}) {
  tagMapViewState view;
  SetViewLevel(view, level);
  view.szScreen.SetSize(width, height);
  view.rcWindow = window.right ? window : _VRect{0, 0, width, height};
  view.ptCenter.SetPoint(cx, cy);
  UpdateViewTransform(view, width / 256 + 2, height / 256 + 2);
  UpdateViewPixelOrigin(view);
  return view;
}

}  // namespace

TEST(MapViewTest, DownBiasedDivision) {
  struct Case {
    long long a, d;
    int q;
  } cases[] = {{-256, 256, -2}, {-1, 256, -1}, {255, 256, 0}, {256, 256, 1}, {0, 256, 0}, {-257, 256, -2}};
  for (const Case& c : cases) {
    EXPECT_EQ(DownBiasedDiv(c.a, c.d), c.q) << c.a << "/" << c.d;
  }
}

TEST(MapViewTest, LevelAndScale) {
  tagMapViewState view;
  for (auto [asked, level, scale] : {std::tuple{1, 3, 32768}, {3, 3, 32768}, {12, 12, 64}, {18, 18, 1}, {25, 18, 1}}) {
    SetViewLevel(view, asked);
    EXPECT_EQ(view.nLevel, level);
    EXPECT_EQ(view.nScale, scale);
  }
}

TEST(MapViewTest, TransformAtBeijingLevel12) {
  // 320 x 480 at level 12: S = 64, T = 16384, 3 columns and 3 rows.
  tagMapViewState view = View(12, 320, 480, 12957395, 4824911);
  EXPECT_EQ(view.nTileX, (12957395 - 160 * 64) / 16384);
  EXPECT_EQ(view.nTileY, (4824911 + 240 * 64) / 16384);
  EXPECT_EQ(view.rcVisible, (_VRect{12957395 - 10240, 4824911 + 15360, 12957395 + 10240, 4824911 - 15360}));
  EXPECT_EQ(view.ptRangeLB, (_VPoint{view.nTileX * 16384, (view.nTileY - 2) * 16384}));
  EXPECT_EQ(view.ptRangeRT, (_VPoint{(view.nTileX + 3) * 16384, (view.nTileY + 1) * 16384}));
  EXPECT_EQ(view.rcImage, (_VRect{view.ptRangeLB.x, view.ptRangeRT.y, view.ptRangeRT.x, view.ptRangeLB.y}));
  EXPECT_EQ(view.ptPixelOffset.x, (12957395 - 10240 - view.ptRangeLB.x) / 64);
  EXPECT_EQ(view.ptPixelOffset.y, (view.ptRangeRT.y - (4824911 + 15360)) / 64);
  // The image's top-left corner is the screen's (-offset).
  EXPECT_EQ(MapToScreen(view, view.rcImage.left, view.rcImage.top),
            (_VPoint{-view.ptPixelOffset.x, -view.ptPixelOffset.y}));
}

TEST(MapViewTest, ClampsAndSouthernAndNorthernLimits) {
  // x is held at 0x1C00000; a y beyond the limit acts as the limit.
  tagMapViewState far = View(18, 320, 480, 30000000, -50000000);
  tagMapViewState edge = View(18, 320, 480, 29360128, -40683700);
  EXPECT_EQ(far.ptCenter.x, 29360128);
  EXPECT_EQ(far.ptCenter, edge.ptCenter);

  // Level 3 on 320 x 480: T = 8388608, qs = -3. A view far south starts its
  // range at -4T, and the centre moves so that half a screen fits above it.
  const int T = 8388608;
  tagMapViewState south = View(3, 320, 480, 0, -40000000);
  EXPECT_EQ(south.ptRangeLB.y, -4 * T);
  EXPECT_EQ(south.ptRangeRT.y, (3 - 3 - 1) * T);
  EXPECT_EQ(south.nTileY, 3 - 3 - 2);
  EXPECT_EQ(south.ptCenter.y, -4 * T + 240 * 32768);
  // And far north: qn = 3, the range tops out at 4T.
  tagMapViewState north = View(3, 320, 480, 0, 40000000);
  EXPECT_EQ(north.ptRangeRT.y, 4 * T);
  EXPECT_EQ(north.ptRangeLB.y, 4 * T - 3 * T);
  EXPECT_EQ(north.nTileY, 3);
  EXPECT_EQ(north.ptCenter.y, 4 * T - 240 * 32768);
}

TEST(MapViewTest, HugeWindowsAtLowLevelsStayDefined) {
  // 65535 pixels wide at level 3 (257 columns): the products stay exact.
  tagMapViewState view = View(3, 65535, 480, 29360128, 0);
  EXPECT_EQ(view.ptRangeRT.x, static_cast<long long>(view.nTileX + 257) * 8388608);
  EXPECT_EQ(view.ptRangeLB.x, static_cast<long long>(view.nTileX) * 8388608);
  EXPECT_EQ(ScreenToMap(view, 32767, 240), view.ptCenter);
}

TEST(MapViewTest, PixelOriginWaitsForAScale) {
  tagMapViewState view;
  view.ptPixelOffset.SetPoint(7, 9);
  view.ptCenter.SetPoint(1000, 1000);
  UpdateViewPixelOrigin(view);
  EXPECT_EQ(view.ptPixelOffset, (_VPoint{7, 9}));
}

TEST(MapViewTest, ScreenAndMapConversions) {
  struct Case {
    int level, width, height;
    _VRect window;
    int cx, cy;
  } cases[] = {
      {12, 320, 480, {0, 0, 320, 480}, 12957395, 4824911},
      {18, 321, 479, {10, 20, 331, 499}, -5, -7},
      {3, 640, 960, {0, 0, 640, 960}, 100000, -100000},
  };
  for (const Case& c : cases) {
    tagMapViewState view = View(c.level, c.width, c.height, c.cx, c.cy, c.window);
    const int hw = c.width / 2;
    const int hh = c.height / 2;
    EXPECT_EQ(ScreenToMap(view, c.window.left + hw, c.window.top + hh), view.ptCenter) << c.level;
    // One pixel right and down is one scale east and south.
    EXPECT_EQ(ScreenToMap(view, c.window.left + hw + 1, c.window.top + hh + 1),
              (_VPoint{view.ptCenter.x + view.nScale, view.ptCenter.y - view.nScale}));
  }
  // At scale 1, a point exactly on a tile edge west of the image's left edge
  // lands one pixel further left than floor division gives.
  tagMapViewState view = View(18, 320, 480, 1000, 1000);
  _VPoint onEdge = MapToScreen(view, view.rcImage.left - 256, view.rcImage.top);
  EXPECT_EQ(onEdge.x, -257 - view.ptPixelOffset.x);
  // The double and hundredths forms truncate before dividing.
  EXPECT_EQ(MapToScreenD(view, view.rcImage.left + 10.9, view.rcImage.top - 3.9),
            MapToScreen(view, view.rcImage.left + 10, view.rcImage.top - 3));
  EXPECT_EQ(MapHundredthsToScreen(view, (view.rcImage.left + 10) * 100 + 99, (view.rcImage.top - 3) * 100),
            MapToScreen(view, view.rcImage.left + 10, view.rcImage.top - 3));
}

TEST(MapViewTest, OutsideTheRequestedRange) {
  tagMapViewState view = View(18, 512, 512, 256 * 10 + 128, 256 * 10 + 128);
  // The screen covers tiles 9..11 in both directions.
  view.nReqMinX = 9;
  view.nReqMaxX = 11;
  view.nReqMinY = 9;
  view.nReqMaxY = 11;
  EXPECT_EQ(IsViewOutsideTileRange(view), 0);
  view.ptCenter.x += 200;
  EXPECT_NE(IsViewOutsideTileRange(view), 0);
}
