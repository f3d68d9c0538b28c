#include "engine/render/RasterObjects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's allocator hooks (its header is not installed with GCC).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

#include "tests/engine/render/RasterTestUtil.h"

using namespace mapengine;
using rastertest::makeDc;
using rastertest::px;

TEST(RasterBitmap, CreationSizesAndStrides) {
  EXPECT_EQ(bitmap_create(0, 5, 32, nullptr), nullptr);
  EXPECT_EQ(bitmap_create(5, -1, 32, nullptr), nullptr);
  // Wider than a 16-bit stride can describe at 32 bits per pixel.
  EXPECT_EQ(bitmap_create(16384, 1, 32, nullptr), nullptr);
  EXPECT_EQ(bitmap_create_from_pixels(4, 4, 33, nullptr, nullptr), nullptr);

  tagBitmapObj* b = bitmap_create(3, 2, 16, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->bitsPerPixel, 32);
  EXPECT_EQ(b->stride, 12);
  EXPECT_EQ(b->refCount, 1);
  EXPECT_EQ(b->alpha, nullptr);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(b->pixels[i], 0);
  EXPECT_EQ(b->header->biSize, 40u);
  EXPECT_EQ(b->header->biSizeImage, 24u);
  EXPECT_EQ(b->header->biPlanes, 1);
  uint8_t info[44];
  EXPECT_EQ(bitmap_get_info(b, info), 1);
  EXPECT_EQ(std::memcmp(info, b->header, 40), 0);
  EXPECT_EQ(bitmap_get_info(nullptr, info), 0);
  EXPECT_EQ(bitmap_free(b), 1);

  const uint8_t rows[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const uint8_t alpha[6] = {10, 20, 30, 40, 50, 60};
  b = bitmap_create_from_pixels(3, 2, 24, rows, alpha);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->stride, 12);  // 9 bytes rounded up
  EXPECT_EQ(b->bitsPerPixel, 24);
  ASSERT_NE(b->alpha, nullptr);
  EXPECT_EQ(b->alpha, b->pixels + 24);
  EXPECT_EQ(std::memcmp(b->pixels, rows, 24), 0);
  EXPECT_EQ(std::memcmp(b->alpha, alpha, 6), 0);
  bitmap_free(b);
}

namespace {

std::vector<uint8_t> bmp(int width, int height, int bits, const std::vector<uint8_t>& pixels) {
  tagBitmapInfoHeader h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<uint16_t>(bits);
  h.biClrImportant = 7;
  std::vector<uint8_t> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

}  // namespace

TEST(RasterBitmap, BmpConversionFlipsRowsAndWidensGreen) {
  // Two rows of two 16-bit pixels (stride 4), stored bottom-up.
  std::vector<uint8_t> px16 = {0xFF, 0x7F, 0x01, 0x00, 0x20, 0x00, 0x00, 0x7C};
  auto data = bmp(2, 2, 16, px16);
  tagBitmapObj* b = bitmap_create_from_bmp(data.data(), data.size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->bitsPerPixel, 16);
  EXPECT_EQ(b->header->biClrImportant, 7u);
  auto at = [&](int x, int y) {
    uint16_t v;
    std::memcpy(&v, b->pixels + y * b->stride + x * 2, 2);
    return v;
  };
  // The last row of the file comes first.
  EXPECT_EQ(at(0, 0), 0x0040);  // green 1 -> bit 6
  EXPECT_EQ(at(1, 0), 0xF800);  // red 0x1F moves up a bit
  EXPECT_EQ(at(0, 1), 0xFFDF);  // 0x7FFF
  EXPECT_EQ(at(1, 1), 0x0001);
  bitmap_free(b);

  // 32-bit rows are copied as they are, bottom-up to top-down.
  auto d32 = bmp(1, 2, 32, {1, 2, 3, 4, 5, 6, 7, 8});
  b = bitmap_create_from_bmp(d32.data(), d32.size());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(px(b, 0, 0), 0x08070605u);
  bitmap_free(b);
}

TEST(RasterBitmap, BmpRefusals) {
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  auto shortPixels = bmp(4, 4, 32, std::vector<uint8_t>(63));
  auto palette = bmp(4, 4, 8, std::vector<uint8_t>(16));
  auto headerOnly = bmp(4, 4, 32, {});
  headerOnly.resize(39);
  auto badHeaderSize = bmp(1, 1, 32, {0, 0, 0, 0});
  badHeaderSize[0] = 200;  // header claims more bytes than there are
  const Case cases[] = {{"pixels shorter than the header says", shortPixels},
                        {"palette image", palette},
                        {"shorter than the header", headerOnly},
                        {"header size past the data", badHeaderSize}};
  for (const Case& c : cases) {
    EXPECT_EQ(bitmap_create_from_bmp(c.data.data(), c.data.size()), nullptr) << c.what;
  }
  EXPECT_EQ(bitmap_create_from_bmp(nullptr, 100), nullptr);
}

#if defined(__SANITIZE_ADDRESS__)
namespace {

// The largest single allocation while watching, seen through the sanitizer's
// allocator hooks (a refused image may still have taken its memory first).
std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largest{0};

void onMalloc(const volatile void*, size_t size) {
  if (!g_watching) return;
  size_t seen = g_largest;
  while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
  }
}
void onFree(const volatile void*) {}

}  // namespace
#endif

TEST(RasterBitmap, BmpHeaderClaimingAHugeImageIsRefusedBeforeAnyMemoryIsTaken) {
#if defined(__SANITIZE_ADDRESS__)
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
  ASSERT_TRUE(installed);
#endif
  struct Case {
    const char* what;
    int width, height, bits;
  };
  const Case cases[] = {{"widest 32-bit rows, tallest image", 16383, 65535, 32},
                        {"top-down", 16383, -65535, 32},
                        {"16-bit", 32767, 65535, 16},
                        {"over the side cap", 5000, 1, 32}};
  for (const Case& c : cases) {
    auto data = bmp(c.width, c.height, c.bits, std::vector<uint8_t>(14));  // 54 bytes
#if defined(__SANITIZE_ADDRESS__)
    g_largest = 0;
    g_watching = true;
#endif
    EXPECT_EQ(bitmap_create_from_bmp(data.data(), data.size()), nullptr) << c.what;
#if defined(__SANITIZE_ADDRESS__)
    g_watching = false;
    EXPECT_LT(g_largest.load(), size_t{4096}) << c.what;
#endif
  }
}

TEST(RasterContext, DefaultsAndSelection) {
  tagDCObj* dc = dc_create();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc->textColor, 0xFF000000u);
  EXPECT_EQ(dc->bkColor, 0xFFFFFFFFu);
  EXPECT_EQ(dc->pen->width, 1);
  EXPECT_EQ(dc->pen->color, 0xFF000000u);
  EXPECT_EQ(dc->brush->color, 0xFFFFFFFFu);
  EXPECT_EQ(dc->font->height, 16);
  EXPECT_EQ(dc->bitmap->width, 1);
  EXPECT_EQ(dc->clip, (_VRect{0, 0, 1, 1}));

  EXPECT_EQ(dc_set_text_color(dc, 0xFF123456), 0xFF000000u);
  EXPECT_EQ(dc_get_text_color(dc), 0xFF123456u);
  EXPECT_EQ(dc_set_text_color(nullptr, 1), 0xFFFFFFFFu);
  EXPECT_EQ(dc_get_text_color(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(dc_move_to(dc, 3, 4), (_VPoint{0, 0}));
  EXPECT_EQ(dc_move_to(dc, 5, 6), (_VPoint{3, 4}));
  EXPECT_EQ(dc_move_to(nullptr, 5, 6), (_VPoint{-1, -1}));

  // A 16-bit bitmap is refused and the context keeps its own.
  tagBitmapObj* b16 = bitmap_create_from_pixels(2, 2, 16, nullptr, nullptr);
  tagBitmapObj* before = dc->bitmap;
  EXPECT_EQ(dc_select_bitmap(dc, b16), nullptr);
  EXPECT_EQ(dc->bitmap, before);
  EXPECT_EQ(b16->refCount, 1);
  bitmap_free(b16);

  tagBitmapObj* b = bitmap_create(7, 5, 32, nullptr);
  dc_select_bitmap(dc, b);
  EXPECT_EQ(b->refCount, 2);
  EXPECT_EQ(dc->clip, (_VRect{0, 0, 7, 5}));
  EXPECT_EQ(dc_select_pen(nullptr, dc->pen), nullptr);
  EXPECT_EQ(dc_select_pen(dc, nullptr), nullptr);

  // Creator and context hold the records; freeing in either order frees once.
  tagPenObj* p1 = pen_create(0, 0xFF00FF00, kPenSolid);
  tagPenObj* p2 = pen_create(3, 0xFF0000FF, kPenSolid);
  EXPECT_EQ(p1->width, 1);
  dc_select_pen(dc, p1);
  EXPECT_EQ(dc_select_pen(dc, p2), p1);
  EXPECT_EQ(p1->refCount, 1);
  EXPECT_EQ(p2->refCount, 2);
  EXPECT_EQ(pen_free(p1), 1);
  EXPECT_EQ(pen_free(p2), 0);  // still selected: kept alive for the context
  EXPECT_EQ(p2->refCount, 1);
  EXPECT_EQ(bitmap_free(b), 0);
  EXPECT_EQ(dc_destroy(dc), 1);  // frees p2 and b; the sanitizer sees any leak
  EXPECT_EQ(dc_destroy(nullptr), 0);
}

TEST(RasterContext, FontCreation) {
  const unsigned short face[] = {'A', 0};
  tagFontObj* f = font_create(0, 12, face);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->height, 12);
  EXPECT_EQ(f->width, 12);
  font_free(f);
  f = font_create(20, 0, face);
  EXPECT_EQ(f->width, 20);
  font_free(f);
  EXPECT_EQ(font_create(10, 10, nullptr), nullptr);
}

TEST(RasterFill, ClipsToTheBitmap) {
  struct Case {
    int w, h;
    _VRect r;
    int result;
    int written;
  };
  // Rows of 37 pixels end between vector widths, so any wide-store loop
  // needs its head and tail right. Large rectangles are filled in runs of
  // several rows from the bottom up (whole rows as one run, rows wider than a
  // run one at a time): the runs must meet without a gap or an overlap.
  const Case cases[] = {{4, 4, {-5, -5, 2, 2}, 1, 4},
                        {4, 4, {4, 0, 8, 4}, 1, 0},
                        {4, 4, {5, 0, 8, 4}, 0, 0},
                        {4, 4, {1, 1, 3, 2}, 1, 2},
                        {4, 4, {3, 0, 1, 4}, 1, 0},
                        {37, 3, {1, 0, 36, 3}, 1, 105},
                        {37, 3, {-1, 1, 99, 2}, 1, 37},
                        {100, 100, {0, 0, 100, 100}, 1, 10000},
                        {100, 100, {-4, 5, 100, 99}, 1, 9400},
                        {100, 100, {3, 7, 97, 95}, 1, 94 * 88},
                        {5000, 3, {0, -2, 5000, 9}, 1, 15000},
                        {5000, 3, {1, 1, 4999, 3}, 1, 9996}};
  for (const Case& c : cases) {
    auto dc = makeDc(c.w, c.h, 0);
    EXPECT_EQ(dc_fill_rect(dc.get(), c.r.left, c.r.top, c.r.right, c.r.bottom, 0x80ABCDEF), c.result);
    int written = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        bool inside = x >= c.r.left && x < c.r.right && y >= c.r.top && y < c.r.bottom;
        written += px(dc.get(), x, y) == 0x80ABCDEF;
        EXPECT_EQ(px(dc.get(), x, y), inside ? 0x80ABCDEFu : 0u) << x << "," << y;
      }
    EXPECT_EQ(written, c.written) << c.r.left << "," << c.r.top;
  }
  EXPECT_EQ(dc_fill_rect(nullptr, 0, 0, 1, 1, 0), 0);
}

TEST(RasterBlend, RoundingIsByShiftNotDivision) {
  // The rule, bit for bit, over a table of values.
  for (uint32_t a : {1u, 64u, 128u, 200u, 255u}) {
    for (uint32_t d : {0u, 1u, 127u, 255u}) {
      for (uint32_t s : {0u, 90u, 255u}) {
        uint32_t want = ((255 - a) * d + a * s) >> 8;
        uint32_t got = blend_pixel(d * 0x010101u, s * 0x010101u, a);
        EXPECT_EQ(got, 0xFF000000u | want * 0x010101u) << a << " " << d << " " << s;
      }
    }
  }
  EXPECT_EQ(blend_pixel(0x00000000, 0xFFFFFFFF, 255) & 0xFF, 254u);
}

TEST(RasterBlit, CopiesClipsAndBlendsWithAlphaPlane) {
  // A 3 x 2 source with distinct pixels.
  uint32_t src[6] = {1, 2, 3, 4, 5, 6};
  for (auto& v : src) v |= 0xFF000000;
  tagBitmapObj* s = bitmap_create(3, 2, 32, src);

  auto dc = makeDc(4, 4, 0);
  // Partly off the left and top edge: the same cut applies to the source.
  EXPECT_EQ(dc_bit_blt(dc.get(), -1, -1, 3, 2, s, 0, 0, kSrcCopy), 1);
  EXPECT_EQ(px(dc.get(), 0, 0), src[4]);
  EXPECT_EQ(px(dc.get(), 1, 0), src[5]);
  EXPECT_EQ(px(dc.get(), 2, 0), 0u);
  EXPECT_EQ(px(dc.get(), 0, 1), 0u);
  // Entirely outside, and a zero size.
  EXPECT_EQ(dc_bit_blt(dc.get(), 4, 0, 3, 2, s, 0, 0, kSrcCopy), 0);
  EXPECT_EQ(dc_bit_blt(dc.get(), 0, 0, 0, 2, s, 0, 0, kSrcCopy), 0);
  // Far positions cannot overflow the clipping.
  EXPECT_EQ(dc_bit_blt(dc.get(), 2147483647, -2147483647 - 1, 3, 2, s, 0, 0, kSrcCopy), 0);
  EXPECT_EQ(dc_bit_blt(dc.get(), 0, 0, 2147483647, 2147483647, s, -2147483647, 0, kSrcCopy), 0);
  // Another raster code copies nothing but succeeds.
  auto other = makeDc(4, 4, 0);
  EXPECT_EQ(dc_bit_blt(other.get(), 0, 0, 3, 2, s, 0, 0, 0x660046), 1);
  EXPECT_EQ(px(other.get(), 0, 0), 0u);

  // Whole-image copy.
  auto same = makeDc(3, 2, 0);
  EXPECT_EQ(dc_bit_blt(same.get(), 0, 0, 3, 2, s, 0, 0, kSrcCopy), 1);
  EXPECT_EQ(std::memcmp(same->bitmap->pixels, src, sizeof src), 0);
  bitmap_free(s);

  // Alpha plane: 0 leaves, 255 blends (255 becomes 254), others mix.
  const uint32_t white[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  const uint8_t mask[3] = {0, 255, 128};
  tagBitmapObj* a = bitmap_create_from_pixels(3, 1, 32, white, mask);
  auto grey = makeDc(3, 1, 0x00101010);
  EXPECT_EQ(dc_bit_blt(grey.get(), 0, 0, 3, 1, a, 0, 0, kSrcCopy), 1);
  EXPECT_EQ(px(grey.get(), 0, 0), 0x00101010u);
  EXPECT_EQ(px(grey.get(), 1, 0), 0xFF000000u | ((0 * 16 + 255 * 255) >> 8) * 0x010101u);
  EXPECT_EQ(px(grey.get(), 2, 0), 0xFF000000u | ((127 * 16 + 128 * 255) >> 8) * 0x010101u);
  bitmap_free(a);
}

TEST(RasterBlit, AlphaPlaneBlendsEveryMaskValueAsOnePixelDoes) {
  // Every mask value against distinct channels, in rows whose width is no
  // multiple of the four pixels blended at a time, at an odd offset.
  constexpr int kW = 259, kH = 3;
  std::vector<uint32_t> src(kW * kH);
  std::vector<uint8_t> mask(kW * kH);
  for (int i = 0; i < kW * kH; ++i) {
    src[i] = static_cast<uint32_t>(i * 2654435761u);
    mask[i] = static_cast<uint8_t>(i % 7 == 0 ? 0 : i * 37);
  }
  tagBitmapObj* s = bitmap_create_from_pixels(kW, kH, 32, src.data(), mask.data());
  auto dc = makeDc(kW + 1, kH, 0);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x <= kW; ++x) px(dc.get(), x, y) = static_cast<uint32_t>((x * 7919 + y) * 40503u) | 0x00010000;
  }
  std::vector<uint32_t> before((kW + 1) * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x <= kW; ++x) before[y * (kW + 1) + x] = px(dc.get(), x, y);
  }
  EXPECT_EQ(dc_bit_blt(dc.get(), 1, 0, kW, kH, s, 0, 0, kSrcCopy), 1);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const uint32_t d = before[y * (kW + 1) + x + 1], v = src[y * kW + x];
      const uint8_t a = mask[y * kW + x];
      ASSERT_EQ(px(dc.get(), x + 1, y), a == 0 ? d : blend_pixel(d, v, a)) << x << "," << y;
    }
  }
  bitmap_free(s);
}

TEST(RasterBlit, CopiedRowsOfEveryLengthAroundTheBlockMoveExactlyTheirPixels) {
  // Rows are moved in blocks of eight pixels and a tail: every length up to
  // three blocks and a bit, from an odd source column to an odd place, must
  // copy each of its pixels and leave the pixels beside it.
  constexpr int kSrcW = 40, kH = 2;
  std::vector<uint32_t> src(kSrcW * kH);
  for (int i = 0; i < kSrcW * kH; ++i) src[i] = 0xFF000000u | static_cast<uint32_t>(i + 1);
  tagBitmapObj* s = bitmap_create(kSrcW, kH, 32, src.data());
  for (int w = 1; w <= 27; ++w) {
    auto dc = makeDc(kSrcW, kH + 1, 0x00ABCDEF);
    EXPECT_EQ(dc_bit_blt(dc.get(), 3, 1, w, kH, s, 5, 0, kSrcCopy), 1);
    for (int y = 0; y <= kH; ++y) {
      for (int x = 0; x < kSrcW; ++x) {
        const bool copied = y >= 1 && x >= 3 && x < 3 + w;
        const uint32_t want = copied ? src[static_cast<size_t>((y - 1) * kSrcW + x - 3 + 5)] : 0x00ABCDEFu;
        ASSERT_EQ(px(dc.get(), x, y), want) << "length " << w << " at " << x << "," << y;
      }
    }
  }
  bitmap_free(s);
}

TEST(RasterBlit, ACopyWithinOneBitmapMovesThePixelsAsTheyWereBeforeIt) {
  // Shifted right by three pixels over itself: every row keeps its order.
  constexpr int kW = 30;
  auto dc = makeDc(kW, 1, 0);
  for (int x = 0; x < kW; ++x) px(dc.get(), x, 0) = 0xFF000000u | static_cast<uint32_t>(x);
  EXPECT_EQ(dc_bit_blt_dc(dc.get(), 3, 0, kW - 3, 1, dc.get(), 0, 0, kSrcCopy), 1);
  for (int x = 0; x < kW; ++x) {
    ASSERT_EQ(px(dc.get(), x, 0), 0xFF000000u | static_cast<uint32_t>(x < 3 ? x : x - 3)) << x;
  }
}

TEST(RasterStretch, NearestNeighbourMapsSymmetrically) {
  const uint32_t src[2] = {0xFF0000AA, 0xFF0000BB};
  tagBitmapObj* s = bitmap_create(2, 1, 32, src);
  auto dc = makeDc(5, 1, 0);
  EXPECT_EQ(dc_stretch_blt(dc.get(), 0, 0, 5, 1, s, 0, 0, 2, 1, kSrcCopy), 1);
  const uint32_t want[5] = {src[0], src[0], src[0], src[1], src[1]};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(px(dc.get(), x, 0), want[x]) << x;

  // Any raster code still copies when scaling.
  auto other = makeDc(5, 1, 0);
  EXPECT_EQ(dc_stretch_blt(other.get(), 0, 0, 5, 1, s, 0, 0, 2, 1, 0x660046), 1);
  EXPECT_EQ(px(other.get(), 4, 0), src[1]);
  EXPECT_EQ(dc_stretch_blt(other.get(), 0, 0, 5, 1, s, 0, 0, 0, 1, kSrcCopy), 0);
  bitmap_free(s);

  // Shrinking 8 columns to 4 picks 0, 2, 5, 7 (from both ends inward).
  uint32_t row8[8];
  for (int i = 0; i < 8; ++i) row8[i] = 0xFF000000u | static_cast<uint32_t>(i);
  s = bitmap_create(8, 1, 32, row8);
  auto small = makeDc(4, 1, 0);
  EXPECT_EQ(dc_stretch_blt(small.get(), 0, 0, 4, 1, s, 0, 0, 8, 1, kSrcCopy), 1);
  const uint32_t picks[4] = {0, 2, 5, 7};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(px(small.get(), x, 0) & 0xFF, picks[x]) << x;
  // Destination cut at the left: the source is cut in proportion (2 of 4 -> 4 of 8).
  auto cut = makeDc(4, 1, 0);
  EXPECT_EQ(dc_stretch_blt(cut.get(), -2, 0, 4, 1, s, 0, 0, 8, 1, kSrcCopy), 1);
  EXPECT_EQ(px(cut.get(), 0, 0) & 0xFF, 4u);
  EXPECT_EQ(px(cut.get(), 1, 0) & 0xFF, 7u);
  EXPECT_EQ(px(cut.get(), 2, 0), 0u);
  bitmap_free(s);

  // With an alpha plane, transparent source pixels leave the destination.
  const uint32_t two[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  const uint8_t mask[2] = {0, 255};
  s = bitmap_create_from_pixels(2, 1, 32, two, mask);
  auto blend = makeDc(4, 2, 0x00202020);
  EXPECT_EQ(dc_stretch_blt(blend.get(), 0, 0, 4, 2, s, 0, 0, 2, 1, kSrcCopy), 1);
  EXPECT_EQ(px(blend.get(), 0, 1), 0x00202020u);
  EXPECT_EQ(px(blend.get(), 3, 1), 0xFF000000u | ((255 * 255) >> 8) * 0x010101u);
  bitmap_free(s);
}

// Whole enlargements by 2 and 3 map every output pixel to (x / k, y / k);
// widths that are not a multiple of the row's pixel groups, and an offset
// destination whose rows repeat the one above them.
TEST(RasterStretch, WholeEnlargementsRepeatPixelsAndRows) {
  struct Case {
    int factor, sw, sh, dx;
  } cases[] = {{2, 10, 4, 0}, {3, 9, 5, 3}, {2, 1, 3, 1}};
  for (const Case& c : cases) {
    std::vector<uint32_t> src(static_cast<size_t>(c.sw * c.sh));
    for (size_t i = 0; i < src.size(); ++i) src[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    tagBitmapObj* s = bitmap_create(c.sw, c.sh, 32, src.data());
    const int dw = c.sw * c.factor, dh = c.sh * c.factor;
    auto dc = makeDc(dw + c.dx + 2, dh, 0x00123456);
    EXPECT_EQ(dc_stretch_blt(dc.get(), c.dx, 0, dw, dh, s, 0, 0, c.sw, c.sh, kSrcCopy), 1);
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw + c.dx + 2; ++x) {
        const bool inside = x >= c.dx && x < c.dx + dw;
        const uint32_t want = inside ? src[static_cast<size_t>(y / c.factor * c.sw + (x - c.dx) / c.factor)] : 0x00123456;
        ASSERT_EQ(px(dc.get(), x, y), want) << c.factor << " at " << x << "," << y;
      }
    }
    bitmap_free(s);
  }
}

TEST(RasterDrawBits, RowsWithAndWithoutAlphaPlane) {
  std::vector<uint32_t> rows(4, 0xFF00FF00);
  std::vector<uint8_t> buf(16 + 4);
  std::memcpy(buf.data(), rows.data(), 16);
  buf[16] = 0;
  buf[17] = 255;
  buf[18] = 255;
  buf[19] = 0;
  tagBitmapInfoHeader h{40, 2, 2, 1, 32, 0, 16, 0, 0, 0, 0};

  auto dc = makeDc(2, 2, 0xFF000000);
  EXPECT_EQ(dc_draw_bits(dc.get(), 0, 0, 2, 2, 0, 0, buf.data(), &h), 1);  // fast path
  EXPECT_EQ(px(dc.get(), 1, 1), 0xFF00FF00u);

  h.biSizeImage = 20;  // an alpha plane follows
  auto blend = makeDc(3, 3, 0xFF000000);
  EXPECT_EQ(dc_draw_bits(blend.get(), 1, 1, 2, 2, 0, 0, buf.data(), &h), 1);
  EXPECT_EQ(px(blend.get(), 1, 1), 0xFF000000u);
  EXPECT_EQ(px(blend.get(), 2, 1), 0xFF00FE00u);
  EXPECT_EQ(px(blend.get(), 1, 2), 0xFF00FE00u);

  h.biSizeImage = 18;  // too short for a byte per pixel
  EXPECT_EQ(dc_draw_bits(blend.get(), 0, 0, 2, 2, 0, 0, buf.data(), &h), 0);
  h.biSizeImage = 16;
  h.biBitCount = 24;
  EXPECT_EQ(dc_draw_bits(blend.get(), 0, 0, 2, 2, 0, 0, buf.data(), &h), 0);
  h.biBitCount = 32;
  EXPECT_EQ(dc_draw_bits(blend.get(), 5, 5, 2, 2, 0, 0, buf.data(), &h), 0);
  EXPECT_EQ(dc_draw_bits(blend.get(), 0, 0, 2, 2, 0, 0, nullptr, &h), 0);
}
