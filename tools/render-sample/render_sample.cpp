// render-sample OUTPUT.png [TILE.png|TILE.jpg ...]
//
// Draws the renderer's shapes (filled and outlined polygons, a self-crossing
// star, one-pixel, dotted and thick lines with round caps, ellipses, a
// stretched copy and an alpha-plane blend) into a 640 x 960 bitmap, then the
// given tiles (or, without any, two tiles made here and decoded through the
// PNG and JPEG glue), and writes the result as a PNG.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/Rasteriser.h"
#include "engine/render/VDraw.h"
#include "tools/imagefixtures/ImageFixtures.h"

using namespace mapengine;

namespace {

constexpr int kW = 640, kH = 960;

// Encodes 0xAARRGGBB rows as an RGB PNG; empty when libpng fails.
std::vector<uint8_t> encodePng(const uint32_t* px, int w, int h) {
  imagefixtures::PngLayout layout;
  layout.width = w;
  layout.height = h;
  try {
    return imagefixtures::makePng(layout, imagefixtures::rgbFromArgb(px, static_cast<size_t>(w) * h));
  } catch (const std::runtime_error&) {
    return {};
  }
}

// A 256 x 256 map-like tile as 0xAARRGGBB.
std::vector<uint32_t> sampleTile(uint32_t land) {
  std::vector<uint32_t> px(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) px[y * 256 + x] = (x + y) % 64 < 6 || (x * 3 - y + 1024) % 97 < 4 ? 0xFFFFFFFF : land;
  return px;
}

std::vector<uint8_t> sampleJpeg() {
  auto px = sampleTile(0xFFB5D29E);
  imagefixtures::JpegLayout layout;
  layout.width = 256;
  layout.height = 256;
  layout.quality = 75;  // libjpeg's default
  return imagefixtures::makeJpeg(layout, imagefixtures::rgbFromArgb(px.data(), px.size()));
}

// Decodes a tile through the glue; null when it is neither PNG nor JPEG.
uint8_t* decodeTile(const std::vector<uint8_t>& data, int* w, int* h) {
  size_t size = 0;
  if (uint8_t* px = DecodePngTile(data.data(), data.size(), &size, w, h)) {
    return px;
  }
  size_t len = data.size();
  int bpp = 0;
  return DecodeJpegTile(data.data(), &len, w, h, &bpp);
}

void drawTile(CVDC& dc, const std::vector<uint8_t>& data, int x, int y) {
  int w = 0, h = 0;
  uint8_t* px = decodeTile(data, &w, &h);
  if (!px) {
    std::fprintf(stderr, "a tile could not be decoded\n");
    return;
  }
  tagBitmapInfoHeader header{40, w, h, 1, 32, 0, static_cast<uint32_t>(w * h * 4), 0, 0, 0, 0};
  dc.DrawBits(x, y, w, h, 0, 0, px, &header);
  CVMem::Deallocate(px);
}

void drawShapes(CVDC& dc) {
  CVPen pen;
  CVBrush brush;
  brush.CreateSolidBrush(0xFF4A90D9);
  pen.CreatePen(kPenSolid, 3, 0xFF1D3557);
  dc.SelectBrush(&brush);
  dc.SelectPen(&pen);
  _VPoint area[] = {{40, 40}, {280, 60}, {240, 220}, {120, 260}, {30, 150}};
  dc.Polygon(area, 5, 255);

  // A five-pointed star in one stroke: its centre is filled (non-zero rule).
  _VPoint star[5];
  for (int i = 0; i < 5; ++i) {
    double a = -M_PI / 2 + i * 4 * M_PI / 5;
    star[i] = {static_cast<int>(460 + 110 * std::cos(a)), static_cast<int>(150 + 110 * std::sin(a))};
  }
  brush.CreateSolidBrush(0xFFE63946);
  dc.SelectBrush(&brush);
  dc.Polygon(star, 5, 200);

  // Lines: one pixel, dotted, and thick polylines with round caps.
  pen.CreatePen(kPenSolid, 1, 0xFF000000);
  dc.SelectPen(&pen);
  for (int i = 0; i < 12; ++i) {
    dc.MoveTo(40, 300 + i * 4);
    dc.LineTo(600, 300 + i * 9);
  }
  pen.CreatePen(kPenDot, 1, 0xFF2A9D8F);
  dc.SelectPen(&pen);
  dc.MoveTo(40, 420);
  dc.LineTo(600, 460);
  std::vector<_VPoint> road;
  for (int i = 0; i <= 60; ++i) road.push_back({40 + i * 9, static_cast<int>(520 + 40 * std::sin(i / 6.0))});
  for (int width : {2, 5, 12}) {
    pen.CreatePen(kPenSolid, width, width == 12 ? 0xFFF4A261 : 0xFF264653);
    dc.SelectPen(&pen);
    dc.Polyline(road.data(), static_cast<int>(road.size()), width == 12 ? 160 : 255);
    for (auto& p : road) p.y += 30;
  }

  // Ellipses: filled with outline, and a wide flat one.
  brush.CreateSolidBrush(0xFFA8DADC);
  pen.CreatePen(kPenSolid, 2, 0xFF457B9D);
  dc.SelectBrush(&brush);
  dc.SelectPen(&pen);
  dc.Ellipse(60, 640, 220, 760, 255);
  dc.Ellipse(260, 680, 600, 730, 180);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png [TILE.png|TILE.jpg ...]\n", argv[0]);
    return 2;
  }
  if (!CreateGlobalMan()) {
    return 1;
  }
  int status = 0;
  {
    CVDC dc;
    CVBitmap screen;
    dc.CreateDC();
    screen.CreateWithSize({kW, kH});
    dc.SelectBitmap(&screen);
    dc.FillSolidRect({0, 0, kW, kH}, 0xFFF1EFE9);

    std::vector<std::vector<uint8_t>> tiles;
    for (int i = 2; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      tiles.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (tiles.empty()) {
      auto land = sampleTile(0xFFE8E0D0);
      tiles.push_back(encodePng(land.data(), 256, 256));
      tiles.push_back(sampleJpeg());
    }
    for (size_t i = 0; i < tiles.size() && i < 4; ++i) {
      drawTile(dc, tiles[i], static_cast<int>(i % 2) * 320 + 32, 770 + static_cast<int>(i / 2) * 100);
    }

    // A small tile stretched, and a translucent traffic overlay blended.
    CVBitmap small;
    auto px = sampleTile(0xFF9EC5AB);
    small.CreateBitmap(256, 256, 1, 32, px.data());
    dc.StretchBltFromBitmap(440, 600, 160, 160, small.GetHandle(), 0, 0, 256, 256, kSrcCopy);
    std::vector<uint8_t> mask(64 * 64);
    for (int i = 0; i < 64 * 64; ++i) mask[i] = static_cast<uint8_t>((i % 64) * 4);
    std::vector<uint32_t> red(64 * 64, 0xFFD62828);
    tagBitmapObj* traffic = bitmap_create_from_pixels(64, 64, 32, red.data(), mask.data());
    dc.BitBltFromBitmap(500, 640, 64, 64, traffic, 0, 0, kSrcCopy);
    bitmap_free(traffic);

    drawShapes(dc);
    auto png = encodePng(reinterpret_cast<const uint32_t*>(screen.GetBits()), kW, kH);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (png.empty() || !out) {
      std::fprintf(stderr, "could not write %s\n", argv[1]);
      status = 1;
    }
  }
  DestroyGlobalMan();
  return status;
}
