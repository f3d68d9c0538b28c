// Tile requests and drawing on their own: listing order, empty tiles, ids,
// the parent-tile fallback and the drawing rules, with the view state set by
// hand and no network (no downloader: nothing is sent).
#include "engine/render/GridReq.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/GridDraw.h"
#include "engine/render/MapView.h"
#include "tools/map-double/TilePattern.h"

using namespace mapengine;

namespace {

class GridReqTest : public ::testing::Test {
protected:
  void SetUp() override { saved = GetMapViewState(); }
  void TearDown() override { GetMapViewState() = saved; }

  // A view whose tile range is cols x rows tiles from tile (x0, y0).
  static void View(int level, int x0, int y0, int cols, int rows) {
    tagMapViewState& view = GetMapViewState();
    SetViewLevel(view, level);
    long long span = 256LL * view.nScale;
    view.szScreen.SetSize((cols - 1) * 256, (rows - 1) * 256);
    view.rcWindow.SetRect(0, 0, view.szScreen.cx, view.szScreen.cy);
    // The centre in the middle of the range, clear of tile edges.
    view.ptCenter.SetPoint(static_cast<int>(x0 * span + cols * span / 2 + view.nScale),
                           static_cast<int>(y0 * span + rows * span / 2 + view.nScale));
    UpdateViewTransform(view, cols + 1, rows + 1);
    UpdateViewPixelOrigin(view);
  }
  static std::vector<std::string> Listed(const CGirdDataArray& tiles) {
    std::vector<std::string> out;
    for (int i = 0; i < tiles.GetSize(); ++i) {
      out.push_back(std::to_string(tiles[i].nX) + "_" + std::to_string(tiles[i].nY));
    }
    return out;
  }

  tagMapViewState saved;
};

TEST_F(GridReqTest, TilesAreListedFromTheCentreOutward) {
  struct {
    int cols;
    int rows;
    std::vector<std::string> expected;
  } cases[] = {
      {3, 3, {"11_21", "12_21", "12_22", "11_22", "10_22", "10_21", "10_20", "11_20", "12_20"}},
      {5, 1, {"10_20", "11_20", "12_20", "13_20", "14_20"}},
  };
  for (const auto& c : cases) {
    View(12, 10, 20, c.cols, c.rows);
    const tagMapViewState& view = GetMapViewState();
    CGridLayer layer;
    auto* request = new GridReqEx;
    request->SetTileSize(256);
    layer.SetReq(request);
    request->OpenCaches(c.cols + 1, c.rows + 1, 0, "Data.Index", "Traf.ca", 0, 1);
    layer.UpdateData();
    ASSERT_EQ(view.nReqMaxX - view.nReqMinX + 1, c.cols);
    ASSERT_EQ(view.nReqMaxY - view.nReqMinY + 1, c.rows);
    std::vector<std::string> listed = Listed(layer.GetTiles());
    EXPECT_EQ(listed, c.expected) << c.cols << "x" << c.rows;
    // Centre first, (maxX, minY) last for the square.
    EXPECT_EQ(listed.front(), c.expected.front());
    EXPECT_EQ(request->IsPassDone(), 0) << "every tile was missing";
  }
}

TEST_F(GridReqTest, EmptyTilesGetTheFlatColourOfTheirLevelOrStayUndrawn) {
  struct {
    int level;
    int emptyKind;
    uint32_t colour;  // 0: not shown
  } cases[] = {{9, 0, 0xFFF2F0EB}, {10, 0, 0xFFF5F3F0}, {12, 1, 0}};
  for (const auto& c : cases) {
    View(c.level, 100, 200, 1, 1);
    CGridLayer layer;
    auto* request = new GridReq;
    request->SetTileSize(256);
    layer.SetReq(request);
    request->OpenCaches(2, 2, 0, "Data.Index", "Traf.ca", 0, 1);
    layer.UpdateData();
    ASSERT_EQ(layer.GetTiles().GetSize(), 1);
    request->OnReceive(nullptr, 0, CVString("100_200"), c.level, c.emptyKind);
    const tagGirdData& tile = layer.GetTiles()[0];
    if (c.colour) {
      ASSERT_NE(tile.pData, nullptr);
      EXPECT_EQ(tile.nSize, GridReq::kTileBytes);
      EXPECT_EQ(reinterpret_cast<const uint32_t*>(tile.pData)[0], c.colour);
      EXPECT_EQ(reinterpret_cast<const uint32_t*>(tile.pData)[256 * 256 - 1], c.colour);
    } else {
      EXPECT_EQ(tile.pData, nullptr);
    }
    // The marker is cached: the next pass neither shows more nor asks again.
    layer.UpdateData();
    EXPECT_EQ(request->IsPassDone(), 1) << c.level;
  }
}

TEST_F(GridReqTest, AWrongSizedOrBrokenTileIsRefused) {
  View(12, 100, 200, 1, 1);
  CGridLayer layer;
  auto* request = new GridReq;
  request->SetTileSize(256);
  layer.SetReq(request);
  request->OpenCaches(2, 2, 0, "Data.Index", "Traf.ca", 0, 1);
  layer.UpdateData();
  std::string good = mapdouble::patternTile(mapdouble::TileKind::Map, 12, 100, 200);
  std::string broken = good.substr(0, good.size() / 2);
  request->OnReceive(reinterpret_cast<const unsigned char*>(broken.data()), static_cast<int>(broken.size()),
                     CVString("100_200"), 12, 0);
  EXPECT_EQ(layer.GetTiles()[0].nSize, -1);
  EXPECT_EQ(layer.GetTiles()[0].pData, nullptr);
  request->OnReceive(reinterpret_cast<const unsigned char*>(good.data()), static_cast<int>(good.size()),
                     CVString("100_200"), 12, 0);
  ASSERT_NE(layer.GetTiles()[0].pData, nullptr);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(layer.GetTiles()[0].pData)[128 * 256 + 128],
            mapdouble::patternPixel(mapdouble::TileKind::Map, 12, 100, 200, 128, 128));
}

TEST_F(GridReqTest, TrafficAsksNothingBelowLevel10) {
  View(9, 100, 200, 1, 1);
  CGridLayer layer;
  auto* request = new CTrafficReq;
  request->SetTileSize(256);
  layer.SetReq(request);
  request->OpenCaches(2, 2, 0, "Data.Index", "Traf.ca", 1, 1);
  EXPECT_EQ(layer.UpdateData(), 0);
  EXPECT_EQ(layer.GetTiles().GetSize(), 0) << "nothing listed";
  EXPECT_EQ(request->GetLastRequestId(), CTrafficReq::kFirstId - 1);
}

TEST_F(GridReqTest, AMissingTileShowsTheQuarterOfItsCachedGrandparent) {
  View(15, 8 * 100 + 1, 8 * 50 + 2, 1, 1);
  CGridLayer layer;
  auto* request = new GridReqEx;
  request->SetTileSize(256);
  layer.SetReq(request);
  request->OpenCaches(2, 2, 0, "Data.Index", "Traf.ca", 0, 1);
  // The level-13 parent (two levels up) is in the memory cache.
  std::string parent = mapdouble::patternTile(mapdouble::TileKind::Satellite, 13, 200, 100);
  CGirdDataArray one;
  tagGirdData record{13, 200, 100, reinterpret_cast<unsigned char*>(parent.data()), static_cast<int>(parent.size())};
  one.Add(record);
  request->GetCache().PutTiles(one, 0);
  layer.UpdateData();
  ASSERT_EQ(layer.GetShows().GetSize(), 1);
  const tagGirdDataForShow& show = layer.GetShows()[0];
  ASSERT_NE(show.pData, nullptr);
  EXPECT_EQ(show.nSrcLevel, 13);
  // x 801 is the second quarter from the west (N = 4, 801 mod 4 = 1); y 402
  // (mod 4 = 2) the second row from the north: the source square is
  // (64, 64) to (128, 128), each pixel taken four times.
  const auto* pixels = reinterpret_cast<const uint32_t*>(show.pData);
  int wrong = 0;
  for (int py = 0; py < 256; ++py) {
    for (int px = 0; px < 256; ++px) {
      wrong += pixels[py * 256 + px] !=
               mapdouble::patternPixel(mapdouble::TileKind::Satellite, 13, 200, 100, 64 + px / 4, 64 + py / 4);
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(GridReqTest, TilesOfAnotherLevelAreNotDrawnAndTheCornerTileLandsAtTheOffset) {
  View(13, 100, 200, 2, 2);
  const tagMapViewState& view = GetMapViewState();
  CVBitmap bitmap;
  bitmap.CreateWithSize({256, 256});
  CVDC dc;
  dc.CreateDC();
  dc.SelectBitmap(&bitmap);
  std::vector<uint32_t> red(256 * 256, 0xFFFF0000);
  CGirdDataArray tiles;
  CShowDataArray shows;
  tagGirdData tile{12, view.nTileX, view.nTileY, reinterpret_cast<unsigned char*>(red.data()), GridReq::kTileBytes};
  tiles.Add(tile);
  GridDraw draw;
  draw.Init(&tiles, &shows);
  EXPECT_EQ(draw.Draw(dc), 0);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(bitmap.GetBits())[0], 0u);
  tiles[0].nLevel = 13;
  EXPECT_EQ(draw.Draw(dc), 1);
  const auto* bits = reinterpret_cast<const uint32_t*>(bitmap.GetBits());
  int x = 255 - view.ptPixelOffset.x;
  int y = 255 - view.ptPixelOffset.y;
  EXPECT_EQ(bits[y * 256 + x], 0xFFFF0000u) << "the tile's last pixel";
  if (x + 1 < 256) {
    EXPECT_EQ(bits[y * 256 + x + 1], 0u);
  }
}

TEST_F(GridReqTest, TrafficBuffersComeAndGoWithTheLayer) {
  CGridLayer traffic;
  auto* request = new CTrafficReq;
  traffic.SetReq(request);
  traffic.SetNoAutoRequest(0);
  traffic.Show(0);
  request->OpenCaches(3, 3, 0, "Data.Index", "Traf.ca", 1, 0);
  EXPECT_EQ(request->GetTileBufferCount(), 0);
  traffic.Show(1);
  traffic.Show(1);
  EXPECT_EQ(request->GetTileBufferCount(), 9);
  traffic.Show(0);
  EXPECT_EQ(request->GetTileBufferCount(), 0);
  CGridLayer map;
  auto* mapRequest = new GridReqEx;
  map.SetReq(mapRequest);
  mapRequest->OpenCaches(3, 3, 0, "Data.Index", "Traf.ca", 0, 1);
  map.Show(0);
  EXPECT_EQ(mapRequest->GetTileBufferCount(), 9) << "no-auto-request keeps the buffers";
  CVBitmap bitmap;
  bitmap.CreateWithSize({8, 8});
  CVDC dc;
  dc.CreateDC();
  dc.SelectBitmap(&bitmap);
  EXPECT_EQ(map.Draw(dc), 0);
  EXPECT_EQ(map.UpdateData(), 0);
}

}  // namespace
