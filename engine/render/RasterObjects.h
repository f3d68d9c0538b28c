// The software renderer's records: 32-bit bitmaps, pens, brushes, fonts and
// drawing contexts, with the fills and the three copy operations (block copy,
// stretched copy, raw rows with an optional alpha plane). Records are plain
// structures allocated through the engine allocator; the drawing facade
// (VDraw.h) is the only caller outside the renderer.
//
// Reference counts say how many holders a record has: its creator (or its
// wrapper) and every context it is selected into. A free operation called by
// the creator frees the record when it is the last holder and otherwise only
// gives up the creator's share; a context gives up its share when the record
// is replaced or the context is destroyed, and the last holder to let go frees
// the record. So every record is freed exactly once, whatever the order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/base/VTypes.h"

namespace mapengine {

// The one raster code the renderer implements: copy the source.
constexpr uint32_t kSrcCopy = 0xCC0020;

// Pen styles and brush styles.
enum : uint8_t { kPenSolid = 0, kPenDot = 2, kPenNull = 5 };
enum : uint16_t { kBrushSolid = 0, kBrushNull = 1 };

// The device-independent bitmap info header (BITMAPINFOHEADER layout).
struct tagBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(tagBitmapInfoHeader) == 40);

// One allocation: this record, the info header, a spare word, the pixel rows
// (top row first) and, for bitmaps made with an alpha source, the alpha plane
// (one byte per pixel, rows of width bytes).
struct tagBitmapObj {
  uint16_t width;
  uint16_t height;
  uint16_t stride;
  uint8_t refCount;
  uint8_t bitsPerPixel;
  uint32_t reserved;
  tagBitmapInfoHeader* header;
  uint8_t* pixels;
  uint8_t* alpha;
};

struct tagPenObj {
  uint8_t style;
  uint8_t width;
  uint16_t refCount;
  uint32_t color;
};

struct tagBrushObj {
  uint16_t style;
  uint16_t refCount;
  uint32_t color;
};

// Fonts are kept for the callers' sake: the engine draws no text.
struct tagFontObj {
  int32_t height;
  int32_t width;
  uint16_t refCount;
};

struct tagDCObj {
  uint32_t textColor;
  uint32_t bkColor;
  tagPenObj* pen;
  tagBrushObj* brush;
  tagFontObj* font;
  tagBitmapObj* bitmap;
  int32_t originX;
  int32_t originY;
  int32_t curX;
  int32_t curY;
  _VRect clip;
};

// Largest bitmap side the 16-bit fields can describe; a 32-bit row must also
// fit the 16-bit stride, which bounds 32-bit bitmaps to 16383 pixels across.
constexpr int kMaxBitmapSide = 0xFFFF;

// Bytes per row for a width and depth: rows padded to a multiple of 4 bytes.
// 0 when the width or depth is out of range or the row would not fit 16 bits.
size_t bitmap_stride(int width, int bitsPerPixel);

// Bitmaps. Every creator returns null for a non-positive or oversized size or
// when memory is short.
// A 32-bit bitmap (the depth argument is ignored); pixels copied from source
// (height x width x 4 bytes) or zeroed.
tagBitmapObj* bitmap_create(int width, int height, int bitsPerPixel, const void* source);
// A bitmap of the given depth; rows (height x stride bytes) copied or zeroed;
// an alpha plane of width x height bytes copied after the rows when given.
tagBitmapObj* bitmap_create_from_pixels(int width, int height, int bitsPerPixel, const void* rows,
                                        const uint8_t* alpha);
// A bitmap from a device-independent bitmap in memory (info header, then the
// pixels) of length bytes; null for palette images, truncated data or a
// header that does not describe its pixels.
tagBitmapObj* bitmap_create_from_bmp(const void* data, size_t length);
// 1 when freed (the caller was the last holder); otherwise the caller's share
// is given up and 0 is returned.
int bitmap_free(tagBitmapObj* bitmap);
// Takes one more share of the bitmap (bitmap_free gives it up): 1, or 0 for
// null or when the count is full.
int bitmap_retain(tagBitmapObj* bitmap);
// Copies the info header and the spare word after it (44 bytes); 0 for null.
int bitmap_get_info(const tagBitmapObj* bitmap, void* destination);

tagPenObj* pen_create(int width, uint32_t color, int style);
tagBrushObj* brush_create(uint32_t color, int style);
// Null without a face name or before the engine is set up.
tagFontObj* font_create(int height, int width, const unsigned short* faceName);
int pen_free(tagPenObj* pen);
int brush_free(tagBrushObj* brush);
int font_free(tagFontObj* font);

// Contexts.
tagDCObj* dc_create();
int dc_destroy(tagDCObj* dc);
// Each returns the previous record (null when an argument is null, or when the
// previous record had no other holder and was freed on the way out).
tagPenObj* dc_select_pen(tagDCObj* dc, tagPenObj* pen);
tagBrushObj* dc_select_brush(tagDCObj* dc, tagBrushObj* brush);
tagFontObj* dc_select_font(tagDCObj* dc, tagFontObj* font);
// Refused (null) when the depth differs from the selected bitmap's.
tagBitmapObj* dc_select_bitmap(tagDCObj* dc, tagBitmapObj* bitmap);
uint32_t dc_set_text_color(tagDCObj* dc, uint32_t color);
uint32_t dc_set_bk_color(tagDCObj* dc, uint32_t color);
uint32_t dc_get_text_color(const tagDCObj* dc);
_VPoint dc_move_to(tagDCObj* dc, int x, int y);

int dc_fill_rect(tagDCObj* dc, int left, int top, int right, int bottom, uint32_t color);
int dc_bit_blt(tagDCObj* dc, int x, int y, int width, int height, const tagBitmapObj* source, int sx, int sy,
               uint32_t rop);
int dc_bit_blt_dc(tagDCObj* dc, int x, int y, int width, int height, const tagDCObj* source, int sx, int sy,
                  uint32_t rop);
int dc_stretch_blt(tagDCObj* dc, int x, int y, int width, int height, const tagBitmapObj* source, int sx, int sy,
                   int sw, int sh, uint32_t rop);
int dc_stretch_blt_dc(tagDCObj* dc, int x, int y, int width, int height, const tagDCObj* source, int sx, int sy,
                      int sw, int sh, uint32_t rop);
// Raw rows described by header; an image size beyond the rows means an alpha
// plane of width x height bytes follows them.
int dc_draw_bits(tagDCObj* dc, int x, int y, int width, int height, int sx, int sy, const void* rows,
                 const tagBitmapInfoHeader* header);

// 0 when the rectangles are disjoint; touching ones give an empty result.
int intersect_rect(const _VRect& a, const _VRect& b, _VRect* result);

// Blends one source pixel with mask value a over a destination pixel: each
// channel ((255 - a) x destination + a x source) >> 8, alpha 0xFF.
inline uint32_t blend_pixel(uint32_t dst, uint32_t src, uint32_t a) {
  uint32_t na = 255 - a;
  uint32_t rb = ((dst & 0xFF00FF) * na + (src & 0xFF00FF) * a) >> 8;
  uint32_t g = ((dst & 0x00FF00) * na + (src & 0x00FF00) * a) >> 8;
  return 0xFF000000u | (rb & 0xFF00FF) | (g & 0x00FF00);
}

}  // namespace mapengine
