#include "engine/render/RasterObjects.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/base/VString.h"
#include "engine/render/ImageDecode.h"

namespace mapengine {

namespace {

constexpr size_t kHeaderAndSpare = sizeof(tagBitmapInfoHeader) + 4;
// The record is padded so that the rows after header and spare word start on
// a 16-byte boundary.
constexpr size_t kRecordBytes = (sizeof(tagBitmapObj) + kHeaderAndSpare + 15) / 16 * 16 - kHeaderAndSpare;

uint32_t* row32(const tagBitmapObj* b, long y) { return reinterpret_cast<uint32_t*>(b->pixels + y * b->stride); }

// Fills dominate a repaint, and they are store-bound: 32-byte stores fill
// about twice as fast as the 16-byte ones of the baseline x86-64 target, so
// the loop is also built for AVX2 and picked by the processor at load time.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void fill_row(uint32_t* row, size_t count, uint32_t color) {
  // Rows start on 16-byte boundaries; a 32-byte store across a cache line
  // costs two, so the first pixels are stored one by one up to a 32-byte one.
  for (; count > 0 && (reinterpret_cast<uintptr_t>(row) & 31) != 0; --count) {
    *row++ = color;
  }
  std::fill_n(row, count, color);
}

// Pixels a fill stores front to back in one go.
constexpr size_t kFillRun = 4096;

// A repaint fills the background and then draws tiles over it from the top;
// a screen is larger than the core's cache, so the fill goes from the bottom
// up and leaves the top rows, drawn over first, in the cache, while the rows
// it starts with are those the last repaint drew. Within a run of about
// kFillRun pixels the stores go forward, where the prefetcher follows them,
// and whole rows, which lie back to back, are filled as one run.
// r is a non-empty rectangle inside the bitmap.
void fill_rows(tagBitmapObj* b, const _VRect& r, uint32_t color) {
  const auto width = static_cast<size_t>(r.right - r.left);
  const bool wholeRows = width * sizeof(uint32_t) == b->stride;
  const int rowsPerRun = static_cast<int>(std::max<size_t>(1, kFillRun / width));
  for (int end = r.bottom; end > r.top; end -= rowsPerRun) {
    const int first = std::max(r.top, end - rowsPerRun);
    if (wholeRows) {
      fill_row(row32(b, first), width * static_cast<size_t>(end - first), color);
      continue;
    }
    for (int y = first; y < end; ++y) {
      fill_row(row32(b, y) + r.left, width, color);
    }
  }
}

// blend_pixel over a row, where mask values of 0 leave the destination as it
// is; four pixels at a time in 16-bit lanes, which give blend_pixel's values
// exactly (each channel's sum stays below 65536).
void blend_row(uint32_t* d, const uint32_t* s, const uint8_t* m, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; i + 4 <= count; i += 4) {
    uint32_t quad;
    std::memcpy(&quad, m + i, 4);
    if (quad == 0) {
      continue;
    }
    __m128i a = _mm_cvtsi32_si128(static_cast<int>(quad));
    a = _mm_unpacklo_epi8(a, a);
    a = _mm_unpacklo_epi16(a, a);  // each pixel's mask value in its four bytes
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const auto half = [&](__m128i dd, __m128i ss, __m128i aa) {
      __m128i sum = _mm_add_epi16(_mm_mullo_epi16(dd, _mm_sub_epi16(full, aa)), _mm_mullo_epi16(ss, aa));
      return _mm_srli_epi16(sum, 8);
    };
    __m128i low = half(_mm_unpacklo_epi8(dst, zero), _mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi8(a, zero));
    __m128i high = half(_mm_unpackhi_epi8(dst, zero), _mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi8(a, zero));
    __m128i blended = _mm_or_si128(_mm_packus_epi16(low, high), opaque);
    const __m128i keep = _mm_cmpeq_epi8(a, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                     _mm_or_si128(_mm_and_si128(keep, dst), _mm_andnot_si128(keep, blended)));
  }
#endif
  for (; i < count; ++i) {
    if (m[i] != 0) {
      d[i] = blend_pixel(d[i], s[i], m[i]);
    }
  }
}

using PixelBlock = uint32_t __attribute__((vector_size(32)));
constexpr size_t kBlockPixels = sizeof(PixelBlock) / sizeof(uint32_t);

// Inlined into each of copy_row's versions, so it moves 32 bytes at once
// where the version may.
[[gnu::always_inline]] inline void move_block(uint32_t* out, const uint32_t* in) {
  PixelBlock block;
  std::memcpy(&block, in, sizeof block);
  std::memcpy(out, &block, sizeof block);
}

// Tile rows are copied with 32-byte moves where the processor has them (two
// 16-byte ones otherwise), stored on 32-byte boundaries: the first and the
// last block are moved as they lie, overlapping pixels the others store
// again with the same values. A repaint's rows are a few hundred pixels long
// and stored across a screen larger than the core's cache; stores that
// straddle blocks, 16-byte moves and the C library's copy (tuned for large
// blocks) all take longer there. Rows that overlap in memory are moved as
// the C library moves them.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void copy_row(uint32_t* out, const uint32_t* in, size_t count) {
  if (count < kBlockPixels || (out < in + count && in < out + count)) {
    std::memmove(out, in, count * sizeof(uint32_t));
    return;
  }
  move_block(out, in);
  size_t i = (sizeof(PixelBlock) - (reinterpret_cast<uintptr_t>(out) & (sizeof(PixelBlock) - 1))) / sizeof(uint32_t);
  for (; i + kBlockPixels <= count; i += kBlockPixels) {
    move_block(out + i, in + i);
  }
  if (i < count) {
    move_block(out + count - kBlockPixels, in + count - kBlockPixels);
  }
}

template <class T>
T* alloc_record() {
  void* block = CVMem::Allocate(sizeof(T));
  return block ? new (block) T{} : nullptr;
}

// Gives up one share of a record; frees it when no holder is left.
// 1 when freed.
template <class T, class Count>
int release(T* r, Count T::*count) {
  if (!r) {
    return 0;
  }
  if (r->*count <= 1) {
    CVMem::Deallocate(r);
    return 1;
  }
  --(r->*count);
  return 0;
}

// Takes one share for a context; refused when the count would wrap.
template <class T, class Count>
bool retain(T* r, Count T::*count) {
  if (r->*count == static_cast<Count>(~Count{0})) {
    return false;
  }
  ++(r->*count);
  return true;
}

// Swaps the record a context holds; the previous one loses the context's
// share and is returned unless that freed it.
template <class T, class Count>
T* swap_selected(T*& slot, T* next, Count T::*count) {
  if (!retain(next, count)) {
    return nullptr;
  }
  T* previous = slot;
  slot = next;
  if (previous && release(previous, count)) {
    return nullptr;
  }
  return previous;
}

// One block for record, header, spare word, rows and the optional alpha plane.
tagBitmapObj* bitmap_alloc(int width, int height, int bitsPerPixel, bool withAlpha) {
  if (width <= 0 || height <= 0 || height > kMaxBitmapSide) {
    return nullptr;
  }
  size_t stride = bitmap_stride(width, bitsPerPixel);
  if (stride == 0) {
    return nullptr;
  }
  size_t rows = stride * static_cast<size_t>(height);
  size_t alpha = withAlpha ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  auto* block = static_cast<uint8_t*>(CVMem::Allocate(kRecordBytes + kHeaderAndSpare + rows + alpha));
  if (!block) {
    return nullptr;
  }
  auto* b = reinterpret_cast<tagBitmapObj*>(block);
  std::memset(b, 0, kRecordBytes + kHeaderAndSpare);
  b->width = static_cast<uint16_t>(width);
  b->height = static_cast<uint16_t>(height);
  b->stride = static_cast<uint16_t>(stride);
  b->refCount = 1;
  b->bitsPerPixel = static_cast<uint8_t>(bitsPerPixel);
  b->header = reinterpret_cast<tagBitmapInfoHeader*>(block + kRecordBytes);
  b->pixels = block + kRecordBytes + kHeaderAndSpare;
  b->alpha = withAlpha ? b->pixels + rows : nullptr;
  b->header->biSize = sizeof(tagBitmapInfoHeader);
  b->header->biWidth = width;
  b->header->biHeight = height;
  b->header->biPlanes = 1;
  b->header->biBitCount = static_cast<uint16_t>(bitsPerPixel);
  b->header->biSizeImage = static_cast<uint32_t>(rows);
  return b;
}

// The common clipped rectangle of a copy of (w x h) from (sx, sy) to (x, y):
// what is cut at one side of either rectangle is cut at the same side of the
// other. Works in 64 bits so no position can overflow.
struct BltRect {
  int x, y, sx, sy, w, h;
};

bool clip_blt_rects(int x, int y, int w, int h, int sx, int sy, int dstW, int dstH, int srcW, int srcH,
                    BltRect* out) {
  long long cutL = std::max({0LL, -static_cast<long long>(x), -static_cast<long long>(sx)});
  long long cutT = std::max({0LL, -static_cast<long long>(y), -static_cast<long long>(sy)});
  long long X = x + cutL, SX = sx + cutL, Y = y + cutT, SY = sy + cutT;
  long long W = std::min({w - cutL, dstW - X, srcW - SX});
  long long H = std::min({h - cutT, dstH - Y, srcH - SY});
  if (W <= 0 || H <= 0) {
    return false;
  }
  *out = {static_cast<int>(X), static_cast<int>(Y), static_cast<int>(SX), static_cast<int>(SY), static_cast<int>(W),
          static_cast<int>(H)};
  return true;
}

// Copies or blends clipped rows from a source described by its rows, stride
// and optional alpha plane (rows of alphaStride bytes).
void copy_rows(tagBitmapObj* dst, const BltRect& r, const uint8_t* src, size_t srcStride, const uint8_t* alpha,
               size_t alphaStride) {
  for (int j = 0; j < r.h; ++j) {
    uint32_t* d = row32(dst, r.y + j) + r.x;
    const auto* s = reinterpret_cast<const uint32_t*>(src + static_cast<size_t>(r.sy + j) * srcStride) + r.sx;
    if (!alpha) {
      copy_row(d, s, static_cast<size_t>(r.w));
      continue;
    }
    blend_row(d, s, alpha + static_cast<size_t>(r.sy + j) * alphaStride + r.sx, static_cast<size_t>(r.w));
  }
}

bool whole_image(const tagDCObj* dc, int x, int y, int w, int h, int sx, int sy, int srcW, int srcH) {
  const tagBitmapObj* d = dc->bitmap;
  return x == 0 && y == 0 && sx == 0 && sy == 0 && w == d->width && h == d->height && srcW == d->width &&
         srcH == d->height;
}

bool usable(const tagDCObj* dc) { return dc && dc->bitmap; }

}  // namespace

size_t bitmap_stride(int width, int bitsPerPixel) {
  if (width <= 0 || width > kMaxBitmapSide || bitsPerPixel <= 0 || bitsPerPixel > 32) {
    return 0;
  }
  size_t stride = ((static_cast<size_t>(bitsPerPixel) * static_cast<size_t>(width) + 31) >> 3) & ~size_t{3};
  return stride > 0xFFFF ? 0 : stride;
}

int intersect_rect(const _VRect& a, const _VRect& b, _VRect* result) {
  if (a.bottom < b.top || b.bottom < a.top || a.right < b.left || b.right < a.left) {
    return 0;
  }
  result->SetRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom));
  return 1;
}

tagBitmapObj* bitmap_create(int width, int height, int /*bitsPerPixel*/, const void* source) {
  tagBitmapObj* b = bitmap_alloc(width, height, 32, false);
  if (!b) {
    return nullptr;
  }
  size_t bytes = static_cast<size_t>(b->stride) * b->height;
  if (source) {
    std::memcpy(b->pixels, source, bytes);
  } else {
    std::memset(b->pixels, 0, bytes);
  }
  return b;
}

tagBitmapObj* bitmap_create_from_pixels(int width, int height, int bitsPerPixel, const void* rows,
                                        const uint8_t* alpha) {
  tagBitmapObj* b = bitmap_alloc(width, height, bitsPerPixel, alpha != nullptr);
  if (!b) {
    return nullptr;
  }
  size_t bytes = static_cast<size_t>(b->stride) * b->height;
  if (rows) {
    std::memcpy(b->pixels, rows, bytes);
  } else {
    std::memset(b->pixels, 0, bytes);
  }
  if (alpha) {
    std::memcpy(b->alpha, alpha, static_cast<size_t>(width) * static_cast<size_t>(height));
  }
  return b;
}

tagBitmapObj* bitmap_create_from_bmp(const void* data, size_t length) {
  if (!data || length < sizeof(tagBitmapInfoHeader)) {
    return nullptr;
  }
  tagBitmapInfoHeader in;
  std::memcpy(&in, data, sizeof in);
  if (in.biBitCount <= 8 || in.biSize < sizeof in || in.biSize > length) {
    return nullptr;
  }
  // A negative height marks rows already stored top-down.
  bool bottomUp = in.biHeight > 0;
  long long height = bottomUp ? in.biHeight : -static_cast<long long>(in.biHeight);
  // The header's sizes are checked against the data and the decoders' cap
  // before any memory is taken: a few bytes may claim an enormous image.
  if (height <= 0 || height > kMaxDecodeSide || in.biWidth > kMaxDecodeSide) {
    return nullptr;
  }
  size_t stride = bitmap_stride(in.biWidth, in.biBitCount);
  size_t bytes = stride * static_cast<size_t>(height);
  if (stride == 0 || bytes > length - in.biSize) {
    return nullptr;
  }
  tagBitmapObj* b = bitmap_alloc(in.biWidth, static_cast<int>(height), in.biBitCount, false);
  if (!b) {
    return nullptr;
  }
  b->header->biPlanes = in.biPlanes;
  b->header->biClrImportant = in.biClrImportant;
  const auto* src = static_cast<const uint8_t*>(data) + in.biSize;
  if (!bottomUp) {
    std::memcpy(b->pixels, src, bytes);
  }
  for (long y = 0; bottomUp && y < b->height; ++y) {
    uint8_t* d = b->pixels + static_cast<size_t>(y) * b->stride;
    std::memcpy(d, src + static_cast<size_t>(b->height - 1 - y) * b->stride, b->stride);
  }
  if (in.biBitCount == 16) {
    // 5-5-5 to 5-6-5: red and green move up one bit, the new low green bit is 0.
    for (long y = 0; y < b->height; ++y) {
      uint8_t* d = b->pixels + static_cast<size_t>(y) * b->stride;
      for (long x = 0; x < b->width; ++x) {
        uint16_t v;
        std::memcpy(&v, d + x * 2, 2);
        v = static_cast<uint16_t>(((v >> 5) << 6) | (v & 0x1F));
        std::memcpy(d + x * 2, &v, 2);
      }
    }
  }
  return b;
}

int bitmap_free(tagBitmapObj* bitmap) { return release(bitmap, &tagBitmapObj::refCount); }
int bitmap_retain(tagBitmapObj* bitmap) { return bitmap && retain(bitmap, &tagBitmapObj::refCount) ? 1 : 0; }

int bitmap_get_info(const tagBitmapObj* bitmap, void* destination) {
  if (!bitmap || !destination) {
    return 0;
  }
  std::memcpy(destination, bitmap->header, kHeaderAndSpare);
  return 1;
}

tagPenObj* pen_create(int width, uint32_t color, int style) {
  auto* p = alloc_record<tagPenObj>();
  if (p) {
    p->style = static_cast<uint8_t>(style);
    p->width = static_cast<uint8_t>(width == 0 ? 1 : width);
    p->refCount = 1;
    p->color = color;
  }
  return p;
}

tagBrushObj* brush_create(uint32_t color, int style) {
  auto* b = alloc_record<tagBrushObj>();
  if (b) {
    b->style = static_cast<uint16_t>(style);
    b->refCount = 1;
    b->color = color;
  }
  return b;
}

tagFontObj* font_create(int height, int width, const unsigned short* faceName) {
  if (!faceName || !GetGlobalMan()) {
    return nullptr;
  }
  auto* f = alloc_record<tagFontObj>();
  if (f) {
    f->height = height <= 0 ? width : height;
    f->width = width == 0 ? f->height : width;
    f->refCount = 1;
  }
  return f;
}

int pen_free(tagPenObj* pen) { return release(pen, &tagPenObj::refCount); }
int brush_free(tagBrushObj* brush) { return release(brush, &tagBrushObj::refCount); }
int font_free(tagFontObj* font) { return release(font, &tagFontObj::refCount); }

tagDCObj* dc_create() {
  static const char16_t kDefaultFace[] = u"MSYH.TTF";
  auto* dc = alloc_record<tagDCObj>();
  if (!dc) {
    return nullptr;
  }
  dc->textColor = 0xFF000000;
  dc->bkColor = 0xFFFFFFFF;
  // The defaults are held by the context alone (count 1).
  dc->pen = pen_create(1, 0xFF000000, kPenSolid);
  dc->brush = brush_create(0xFFFFFFFF, kBrushSolid);
  dc->font = font_create(16, 16, VStr(kDefaultFace));
  dc->bitmap = bitmap_create(1, 1, 32, nullptr);
  if (!dc->pen || !dc->brush || !dc->bitmap) {
    dc_destroy(dc);
    return nullptr;
  }
  dc->clip.SetRect(0, 0, 1, 1);
  return dc;
}

int dc_destroy(tagDCObj* dc) {
  if (!dc) {
    return 0;
  }
  pen_free(dc->pen);
  brush_free(dc->brush);
  font_free(dc->font);
  bitmap_free(dc->bitmap);
  CVMem::Deallocate(dc);
  return 1;
}

tagPenObj* dc_select_pen(tagDCObj* dc, tagPenObj* pen) {
  return dc && pen ? swap_selected(dc->pen, pen, &tagPenObj::refCount) : nullptr;
}

tagBrushObj* dc_select_brush(tagDCObj* dc, tagBrushObj* brush) {
  return dc && brush ? swap_selected(dc->brush, brush, &tagBrushObj::refCount) : nullptr;
}

tagFontObj* dc_select_font(tagDCObj* dc, tagFontObj* font) {
  return dc && font ? swap_selected(dc->font, font, &tagFontObj::refCount) : nullptr;
}

tagBitmapObj* dc_select_bitmap(tagDCObj* dc, tagBitmapObj* bitmap) {
  if (!dc || !bitmap || (dc->bitmap && dc->bitmap->bitsPerPixel != bitmap->bitsPerPixel)) {
    return nullptr;
  }
  if (dc->bitmap == bitmap) {
    return bitmap;
  }
  tagBitmapObj* previous = swap_selected(dc->bitmap, bitmap, &tagBitmapObj::refCount);
  if (dc->bitmap == bitmap) {
    dc->clip.SetRect(0, 0, bitmap->width, bitmap->height);
  }
  return previous;
}

uint32_t dc_set_text_color(tagDCObj* dc, uint32_t color) {
  if (!dc) {
    return 0xFFFFFFFF;
  }
  return std::exchange(dc->textColor, color);
}

uint32_t dc_set_bk_color(tagDCObj* dc, uint32_t color) {
  if (!dc) {
    return 0xFFFFFFFF;
  }
  return std::exchange(dc->bkColor, color);
}

uint32_t dc_get_text_color(const tagDCObj* dc) { return dc ? dc->textColor : 0xFFFFFFFF; }

_VPoint dc_move_to(tagDCObj* dc, int x, int y) {
  if (!dc) {
    return {-1, -1};
  }
  _VPoint previous{dc->curX, dc->curY};
  dc->curX = x;
  dc->curY = y;
  return previous;
}

int dc_fill_rect(tagDCObj* dc, int left, int top, int right, int bottom, uint32_t color) {
  if (!usable(dc)) {
    return 0;
  }
  tagBitmapObj* b = dc->bitmap;
  _VRect r;
  if (!intersect_rect({left, top, right, bottom}, {0, 0, b->width, b->height}, &r)) {
    return 0;
  }
  if (b->bitsPerPixel != 32 || r.right <= r.left || r.bottom <= r.top) {
    return 1;
  }
  fill_rows(b, r, color);
  return 1;
}

int dc_bit_blt(tagDCObj* dc, int x, int y, int width, int height, const tagBitmapObj* source, int sx, int sy,
               uint32_t rop) {
  if (!usable(dc) || !source || width <= 0 || height <= 0 || source->bitsPerPixel != dc->bitmap->bitsPerPixel) {
    return 0;
  }
  tagBitmapObj* d = dc->bitmap;
  if (!source->alpha && rop == kSrcCopy && whole_image(dc, x, y, width, height, sx, sy, source->width, source->height)) {
    std::memcpy(d->pixels, source->pixels, static_cast<size_t>(d->stride) * d->height);
    return 1;
  }
  BltRect r;
  if (!clip_blt_rects(x, y, width, height, sx, sy, d->width, d->height, source->width, source->height, &r)) {
    return 0;
  }
  if (d->bitsPerPixel != 32 || (rop != kSrcCopy)) {
    return 1;
  }
  copy_rows(d, r, source->pixels, source->stride, source->alpha, source->width);
  return 1;
}

int dc_bit_blt_dc(tagDCObj* dc, int x, int y, int width, int height, const tagDCObj* source, int sx, int sy,
                  uint32_t rop) {
  return source ? dc_bit_blt(dc, x, y, width, height, source->bitmap, sx, sy, rop) : 0;
}

namespace {

// The nearest-neighbour source index of every destination index, mapped
// symmetrically from both ends towards the middle.
void nearest_map(int* map, int dw, int sl, int sw) {
  for (int k = 0; k < dw / 2; ++k) {
    int step = static_cast<int>(static_cast<long long>(k) * sw / dw);
    map[k] = sl + step;
    map[dw - 1 - k] = sl + sw - 1 - step;
  }
  if (dw % 2) {
    map[dw / 2] = sl + static_cast<int>(static_cast<long long>(dw / 2) * sw / dw);
  }
}

// out[i] = in[map[i]] for a row. The pixels are gathered in small groups
// before any is stored, so a store never waits on the loads that follow it
// when the two rows happen to lie a multiple of 4 KiB apart.
void stretch_row(uint32_t* out, const uint32_t* in, const int* map, int count) {
  constexpr int kGroup = 8;
  int i = 0;
  for (; i + kGroup <= count; i += kGroup) {
    uint32_t group[kGroup];
    for (int k = 0; k < kGroup; ++k) {
      group[k] = in[map[i + k]];
    }
    std::memcpy(out + i, group, sizeof group);
  }
  for (; i < count; ++i) {
    out[i] = in[map[i]];
  }
}

}  // namespace

int dc_stretch_blt(tagDCObj* dc, int x, int y, int width, int height, const tagBitmapObj* source, int sx, int sy,
                   int sw, int sh, uint32_t rop) {
  if (!usable(dc) || !source || width <= 0 || height <= 0 || sw <= 0 || sh <= 0 ||
      source->bitsPerPixel != dc->bitmap->bitsPerPixel) {
    return 0;
  }
  tagBitmapObj* d = dc->bitmap;
  if (!source->alpha && rop == kSrcCopy && sw == width && sh == height &&
      whole_image(dc, x, y, width, height, sx, sy, source->width, source->height)) {
    std::memcpy(d->pixels, source->pixels, static_cast<size_t>(d->stride) * d->height);
    return 1;
  }
  // Cut the destination to its bitmap and the source in proportion, then the
  // source to its bitmap; all in 64 bits.
  long long X = x, Y = y, W = width, H = height, SX = sx, SY = sy, SW = sw, SH = sh;
  long long cl = std::max(0LL, -X), cr = std::max(0LL, X + W - d->width);
  long long ct = std::max(0LL, -Y), cb = std::max(0LL, Y + H - d->height);
  long long scl = cl * SW / W, scr = cr * SW / W, sct = ct * SH / H, scb = cb * SH / H;
  X += cl;
  Y += ct;
  W -= cl + cr;
  H -= ct + cb;
  SX += scl;
  SY += sct;
  SW -= scl + scr;
  SH -= sct + scb;
  long long sl = std::max(SX, 0LL), st = std::max(SY, 0LL);
  long long sr = std::min(SX + SW, static_cast<long long>(source->width));
  long long sb = std::min(SY + SH, static_cast<long long>(source->height));
  if (W <= 0 || H <= 0 || sr <= sl || sb <= st) {
    return 0;
  }
  if (d->bitsPerPixel != 32) {
    return 1;
  }
  int dw = static_cast<int>(W), dh = static_cast<int>(H), dx = static_cast<int>(X), dy = static_cast<int>(Y);
  int srcW = static_cast<int>(sr - sl), srcH = static_cast<int>(sb - st);
  if (!source->alpha && rop == kSrcCopy && srcW == dw && srcH == dh) {
    BltRect r{dx, dy, static_cast<int>(sl), static_cast<int>(st), dw, dh};
    copy_rows(d, r, source->pixels, source->stride, nullptr, 0);
    return 1;
  }
  auto* map = static_cast<int*>(CVMem::Allocate((static_cast<size_t>(dw) + dh) * sizeof(int)));
  if (!map) {
    return 0;
  }
  int* rowMap = map + dw;
  nearest_map(map, dw, static_cast<int>(sl), srcW);
  nearest_map(rowMap, dh, static_cast<int>(st), srcH);
  for (int j = 0; j < dh; ++j) {
    uint32_t* out = row32(d, dy + j) + dx;
    const uint32_t* in = row32(source, rowMap[j]);
    if (!source->alpha) {
      if (j > 0 && rowMap[j] == rowMap[j - 1]) {
        // An enlarged row repeats the one above it.
        std::memcpy(out, row32(d, dy + j - 1) + dx, static_cast<size_t>(dw) * sizeof(uint32_t));
      } else {
        stretch_row(out, in, map, dw);
      }
      continue;
    }
    const uint8_t* m = source->alpha + static_cast<size_t>(rowMap[j]) * source->width;
    for (int i = 0; i < dw; ++i) {
      uint32_t a = m[map[i]];
      if (a != 0) {
        out[i] = blend_pixel(out[i], in[map[i]], a);
      }
    }
  }
  CVMem::Deallocate(map);
  return 1;
}

int dc_stretch_blt_dc(tagDCObj* dc, int x, int y, int width, int height, const tagDCObj* source, int sx, int sy,
                      int sw, int sh, uint32_t rop) {
  return source ? dc_stretch_blt(dc, x, y, width, height, source->bitmap, sx, sy, sw, sh, rop) : 0;
}

int dc_draw_bits(tagDCObj* dc, int x, int y, int width, int height, int sx, int sy, const void* rows,
                 const tagBitmapInfoHeader* header) {
  if (!usable(dc) || !rows || !header || width <= 0 || height <= 0 || header->biWidth <= 0 ||
      header->biHeight <= 0 || header->biBitCount != dc->bitmap->bitsPerPixel) {
    return 0;
  }
  tagBitmapObj* d = dc->bitmap;
  size_t stride = bitmap_stride(header->biWidth, header->biBitCount);
  if (stride == 0) {
    return 0;
  }
  size_t rowBytes = stride * static_cast<size_t>(header->biHeight);
  size_t alphaBytes = static_cast<size_t>(header->biWidth) * static_cast<size_t>(header->biHeight);
  const auto* src = static_cast<const uint8_t*>(rows);
  if (header->biSizeImage == rowBytes && whole_image(dc, x, y, width, height, sx, sy, header->biWidth,
                                                     header->biHeight)) {
    std::memcpy(d->pixels, src, rowBytes);
    return 1;
  }
  BltRect r;
  if (!clip_blt_rects(x, y, width, height, sx, sy, d->width, d->height, header->biWidth, header->biHeight, &r)) {
    return 0;
  }
  const uint8_t* alpha = nullptr;
  if (header->biSizeImage > rowBytes) {
    // An image size past the rows announces an alpha plane; one too short to
    // hold a byte per pixel describes no valid image.
    if (header->biSizeImage - rowBytes < alphaBytes) {
      return 0;
    }
    alpha = src + rowBytes;
  }
  if (d->bitsPerPixel == 32) {
    copy_rows(d, r, src, stride, alpha, static_cast<size_t>(header->biWidth));
  }
  return 1;
}

}  // namespace mapengine
