// The renderer against pixman and cairo on the same work, and the decoding
// glue against calling libpng and libjpeg directly. Each benchmark reports
// its pixel rate (items are pixels), so ns per pixel = 1e9 / items_per_second.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <jpeglib.h>
#include <pixman.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/Rasteriser.h"
#include "engine/render/RasterObjects.h"
#include "tools/imagefixtures/ImageFixtures.h"

using namespace mapengine;

namespace {

constexpr int kW = 640, kH = 960, kTile = 256, kTiles = 24;

std::vector<uint32_t> tilePixels(int seed) {
  std::vector<uint32_t> px(kTile * kTile);
  for (int i = 0; i < kTile * kTile; ++i) px[i] = 0xFF000000u | static_cast<uint32_t>((i * 2654435761u) ^ seed) >> 8;
  return px;
}

struct Screen {
  tagDCObj* dc;
  Screen(int w = kW, int h = kH) : dc(dc_create()) {
    tagBitmapObj* b = bitmap_create(w, h, 32, nullptr);
    bitmap_free(dc_select_bitmap(dc, b));
    bitmap_free(b);
  }
  ~Screen() { dc_destroy(dc); }
};

// Tile origins of a 640 x 960 view scrolled by (-100, -50): 4 x 6 tiles.
void tileOrigin(int i, int* x, int* y) {
  *x = (i % 4) * kTile - 100;
  *y = (i / 4) * kTile - 50;
}

void BM_Repaint_Ours(benchmark::State& state) {
  Screen s;
  std::vector<tagBitmapObj*> tiles;
  for (int i = 0; i < kTiles; ++i) tiles.push_back(bitmap_create(kTile, kTile, 32, tilePixels(i).data()));
  for (auto _ : state) {
    dc_fill_rect(s.dc, 0, 0, kW, kH, 0xFFEEEEEE);
    for (int i = 0; i < kTiles; ++i) {
      int x, y;
      tileOrigin(i, &x, &y);
      dc_bit_blt(s.dc, x, y, kTile, kTile, tiles[i], 0, 0, kSrcCopy);
    }
    benchmark::ClobberMemory();
  }
  for (auto* t : tiles) bitmap_free(t);
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_Repaint_Pixman(benchmark::State& state) {
  std::vector<uint32_t> screen(kW * kH);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, screen.data(), kW * 4);
  std::vector<std::vector<uint32_t>> px;
  std::vector<pixman_image_t*> tiles;
  for (int i = 0; i < kTiles; ++i) {
    px.push_back(tilePixels(i));
    tiles.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, kTile, kTile, px.back().data(), kTile * 4));
  }
  pixman_color_t grey{0xEEEE, 0xEEEE, 0xEEEE, 0xFFFF};
  pixman_box32_t all{0, 0, kW, kH};
  for (auto _ : state) {
    pixman_image_fill_boxes(PIXMAN_OP_SRC, dst, &grey, 1, &all);
    for (int i = 0; i < kTiles; ++i) {
      int x, y;
      tileOrigin(i, &x, &y);
      pixman_image_composite32(PIXMAN_OP_SRC, tiles[i], nullptr, dst, 0, 0, 0, 0, x, y, kTile, kTile);
    }
    benchmark::ClobberMemory();
  }
  for (auto* t : tiles) pixman_image_unref(t);
  pixman_image_unref(dst);
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

std::vector<uint8_t> trafficMask() {
  std::vector<uint8_t> m(kTile * kTile);
  for (int i = 0; i < kTile * kTile; ++i) m[i] = (i / 7) % 3 == 0 ? 0 : static_cast<uint8_t>(i * 31);
  return m;
}

void BM_AlphaBlend_Ours(benchmark::State& state) {
  Screen s(kTile, kTile);
  auto px = tilePixels(3);
  auto mask = trafficMask();
  tagBitmapObj* tile = bitmap_create_from_pixels(kTile, kTile, 32, px.data(), mask.data());
  for (auto _ : state) {
    dc_bit_blt(s.dc, 0, 0, kTile, kTile, tile, 0, 0, kSrcCopy);
    benchmark::ClobberMemory();
  }
  bitmap_free(tile);
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

void BM_AlphaBlend_PixmanOver(benchmark::State& state) {
  std::vector<uint32_t> screen(kTile * kTile, 0xFF808080);
  auto px = tilePixels(3);
  auto mask = trafficMask();
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kTile, kTile, screen.data(), kTile * 4);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_x8r8g8b8, kTile, kTile, px.data(), kTile * 4);
  pixman_image_t* msk =
      pixman_image_create_bits(PIXMAN_a8, kTile, kTile, reinterpret_cast<uint32_t*>(mask.data()), kTile);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, msk, dst, 0, 0, 0, 0, 0, 0, kTile, kTile);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(msk);
  pixman_image_unref(src);
  pixman_image_unref(dst);
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

void BM_Stretch_Ours(benchmark::State& state) {
  Screen s;
  std::vector<uint32_t> half(kW / 2 * kH / 2, 0xFF336699);
  tagBitmapObj* src = bitmap_create(kW / 2, kH / 2, 32, half.data());
  for (auto _ : state) {
    dc_stretch_blt(s.dc, 0, 0, kW, kH, src, 0, 0, kW / 2, kH / 2, kSrcCopy);
    benchmark::ClobberMemory();
  }
  bitmap_free(src);
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_Stretch_PixmanNearest(benchmark::State& state) {
  std::vector<uint32_t> screen(kW * kH);
  std::vector<uint32_t> half(kW / 2 * kH / 2, 0xFF336699);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, screen.data(), kW * 4);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kW / 2, kH / 2, half.data(), kW / 2 * 4);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

// A wandering road of 2,000 points and a 500-vertex star-like polygon.
std::vector<_VPoint> road() {
  std::vector<_VPoint> pts;
  for (int i = 0; i < 2000; ++i) {
    double t = i / 2000.0;
    pts.push_back({static_cast<int>(320 + 280 * std::sin(t * 17)), static_cast<int>(20 + 920 * t)});
  }
  return pts;
}

std::vector<_VPoint> area() {
  std::vector<_VPoint> pts;
  for (int i = 0; i < 500; ++i) {
    double a = i * 2 * M_PI / 500, r = i % 2 ? 300 : 260;
    pts.push_back({static_cast<int>(320 + r * std::cos(a)), static_cast<int>(480 + r * std::sin(a))});
  }
  return pts;
}

void BM_Polyline_Ours(benchmark::State& state) {
  Screen s;
  tagPenObj* pen = pen_create(5, 0xFF3366CC, kPenSolid);
  dc_select_pen(s.dc, pen);
  pen_free(pen);
  auto pts = road();
  for (auto _ : state) {
    dc_polyline(s.dc, pts.data(), static_cast<int>(pts.size()), 255);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

// The cairo side of the same screen, drawing in one colour.
struct CairoScreen {
  std::vector<uint32_t> px;
  cairo_surface_t* surface;
  cairo_t* cr;
  CairoScreen()
      : px(kW * kH),
        surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(px.data()), CAIRO_FORMAT_ARGB32,
                                                    kW, kH, kW * 4)),
        cr(cairo_create(surface)) {
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.8);
  }
  ~CairoScreen() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  // The points as the current path.
  void path(const std::vector<_VPoint>& pts) {
    cairo_move_to(cr, pts[0].x, pts[0].y);
    for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
  }
};

void BM_Polyline_Cairo(benchmark::State& state) {
  CairoScreen s;
  cairo_set_line_width(s.cr, 6);  // the pen of width 5 outlines 3 pixels each side
  cairo_set_line_cap(s.cr, CAIRO_LINE_CAP_ROUND);
  auto pts = road();
  for (auto _ : state) {
    s.path(pts);
    cairo_stroke(s.cr);
    cairo_surface_flush(s.surface);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_Polygon_Ours(benchmark::State& state) {
  Screen s;
  tagPenObj* pen = pen_create(1, 0, kPenNull);
  tagBrushObj* brush = brush_create(0xFF44AA44, kBrushSolid);
  dc_select_pen(s.dc, pen);
  dc_select_brush(s.dc, brush);
  pen_free(pen);
  brush_free(brush);
  auto pts = area();
  for (auto _ : state) {
    dc_polygon(s.dc, pts.data(), static_cast<int>(pts.size()), 255);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

void BM_Polygon_Cairo(benchmark::State& state) {
  CairoScreen s;
  cairo_set_fill_rule(s.cr, CAIRO_FILL_RULE_WINDING);
  auto pts = area();
  for (auto _ : state) {
    s.path(pts);
    cairo_close_path(s.cr);
    cairo_fill(s.cr);
    cairo_surface_flush(s.surface);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

// ---- decoding ----

// A map-like RGB tile: flat areas with a few roads.
std::vector<uint8_t> tileRgb() {
  std::vector<uint8_t> rgb(kTile * kTile * 3);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      bool roadPx = (x + y / 3) % 64 < 5 || (y * 7 + x) % 97 < 4;
      uint8_t* p = &rgb[(y * kTile + x) * 3];
      p[0] = roadPx ? 255 : static_cast<uint8_t>(230 + (x / 32));
      p[1] = roadPx ? 200 : 228;
      p[2] = roadPx ? 80 : static_cast<uint8_t>(215 + (y / 64));
    }
  return rgb;
}

std::vector<uint8_t> pngTile() {
  imagefixtures::PngLayout layout;
  layout.width = kTile;
  layout.height = kTile;
  return imagefixtures::makePng(layout, tileRgb());
}

std::vector<uint8_t> jpegTile() {
  imagefixtures::JpegLayout layout;
  layout.width = kTile;
  layout.height = kTile;
  layout.quality = 80;
  return imagefixtures::makeJpeg(layout, tileRgb());
}

void BM_PngDecode_Ours(benchmark::State& state) {
  auto data = pngTile();
  for (auto _ : state) {
    size_t size = 0;
    uint8_t* px = DecodePngTile(data.data(), data.size(), &size);
    benchmark::DoNotOptimize(px);
    CVMem::Deallocate(px);
  }
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

struct MemReader {
  const uint8_t* data;
  size_t left;
};
void memRead(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
  if (n > r->left) png_error(png, "short");
  std::memcpy(out, r->data, n);
  r->data += n;
  r->left -= n;
}

// libpng alone: the same rows decoded into a fresh 32-bit buffer by libpng's
// own transforms (BGR order plus an opaque filler byte).
void BM_PngDecode_Libpng(benchmark::State& state) {
  auto data = pngTile();
  for (auto _ : state) {
    auto* out = static_cast<uint8_t*>(malloc(kTile * kTile * 4));
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemReader r{data.data(), data.size()};
    png_set_read_fn(png, &r, memRead);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    for (int y = 0; y < kTile; ++y) png_read_row(png, &out[y * kTile * 4], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(out);
    free(out);
  }
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

void BM_JpegDecode_Ours(benchmark::State& state) {
  auto data = jpegTile();
  for (auto _ : state) {
    size_t len = data.size();
    int w, h, bpp;
    uint8_t* px = DecodeJpegTile(data.data(), &len, &w, &h, &bpp);
    benchmark::DoNotOptimize(px);
    CVMem::Deallocate(px);
  }
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

void BM_JpegDecode_Libjpeg(benchmark::State& state) {
  auto data = jpegTile();
  for (auto _ : state) {
    auto* out = static_cast<uint8_t*>(malloc(kTile * kTile * 4));
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, data.data(), data.size());
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      JSAMPROW row = &out[c.output_scanline * kTile * 4];
      jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    benchmark::DoNotOptimize(out);
    free(out);
  }
  state.SetItemsProcessed(state.iterations() * kTile * kTile);
}

}  // namespace

BENCHMARK(BM_Repaint_Ours);
BENCHMARK(BM_Repaint_Pixman);
BENCHMARK(BM_AlphaBlend_Ours);
BENCHMARK(BM_AlphaBlend_PixmanOver);
BENCHMARK(BM_Stretch_Ours);
BENCHMARK(BM_Stretch_PixmanNearest);
BENCHMARK(BM_Polyline_Ours);
BENCHMARK(BM_Polyline_Cairo);
BENCHMARK(BM_Polygon_Ours);
BENCHMARK(BM_Polygon_Cairo);
BENCHMARK(BM_PngDecode_Ours);
BENCHMARK(BM_PngDecode_Libpng);
BENCHMARK(BM_JpegDecode_Ours);
BENCHMARK(BM_JpegDecode_Libjpeg);

int main(int argc, char** argv) {
  if (!CreateGlobalMan()) {
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DestroyGlobalMan();
  return 0;
}
