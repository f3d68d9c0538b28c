#include "engine/render/ImageDecode.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return kOpaque | (r << 16) | (g << 8) | b; }

// ---- PNG -------------------------------------------------------------------

// The input cursor of the memory read function.
struct PngSource {
  const uint8_t* data;
  size_t length;
  size_t offset;
};

void png_read_from_memory(png_structp png, png_bytep out, png_size_t count) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->length - src->offset) {
    png_error(png, "read past the end of the data");
  }
  std::memcpy(out, src->data + src->offset, count);
  src->offset += count;
}

[[noreturn]] void png_fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_quiet(png_structp, png_const_charp) {}

// The palette as output pixels; entries past the palette stay unmarked so
// that an index beyond it is caught.
struct Palette {
  uint32_t colour[256];
  int count;
};

// Converts one row of a PNG's pixels (pixel depth bits) into output pixels.
// False when a palette index lies past the palette.
bool convert_row(const uint8_t* in, uint32_t* out, int width, int depth, const Palette* palette, uint8_t* alpha) {
  if (depth < 8 || (depth == 8 && palette)) {
    int perByte = 8 / depth, mask = (1 << depth) - 1;
    for (int x = 0; x < width; ++x) {
      int shift = 8 - depth * (x % perByte + 1);
      int v = (in[x / perByte] >> shift) & mask;
      if (palette) {
        if (v >= palette->count) {
          return false;
        }
        out[x] = palette->colour[v];
      } else {
        out[x] = rgb(v, v, v);
      }
    }
    return true;
  }
  switch (depth) {
    case 8:
      for (int x = 0; x < width; ++x) out[x] = kOpaque + in[x] * 0x010101u;
      break;
    case 16:
      for (int x = 0; x < width; ++x) out[x] = kOpaque + in[2 * x] * 0x010101u;
      break;
    case 24:
      for (int x = 0; x < width; ++x) out[x] = rgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
      break;
    case 32:
      for (int x = 0; x < width; ++x) {
        out[x] = rgb(in[4 * x], in[4 * x + 1], in[4 * x + 2]);
        alpha[x] = in[4 * x + 3];
      }
      break;
    default:
      return false;
  }
  return true;
}

// Everything the PNG decoder must release, kept outside the jump so that
// longjmp never skips a destructor.
struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_infop endInfo = nullptr;
  uint8_t* row = nullptr;
  uint8_t* out = nullptr;

  void release() {
    CVMem::Deallocate(row);
    row = nullptr;
    png_destroy_read_struct(&png, &info, &endInfo);
  }
};

// Decodes into st->out; returns the byte size, 0 on failure (buffers freed by
// the caller through st).
size_t png_decode(PngState* st, const uint8_t* data, size_t length, int* width, int* height, bool* hasAlpha) {
  PngSource src{data, length, 0};
  st->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_quiet);
  if (!st->png) {
    return 0;
  }
  st->info = png_create_info_struct(st->png);
  st->endInfo = png_create_info_struct(st->png);
  if (!st->info || !st->endInfo) {
    return 0;
  }
  if (setjmp(png_jmpbuf(st->png))) {
    return 0;
  }
  png_set_user_limits(st->png, kMaxDecodeSide, kMaxDecodeSide);
  png_set_chunk_malloc_max(st->png, 1 << 20);
  png_set_read_fn(st->png, &src, png_read_from_memory);
  png_set_keep_unknown_chunks(st->png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
  png_read_info(st->png, st->info);

  png_uint_32 w = 0, h = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(st->png, st->info, &w, &h, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  int depth = bitDepth * png_get_channels(st->png, st->info);
  int passes = png_set_interlace_handling(st->png);
  // 8-bit RGB rows, the common tile, are laid out by libpng itself straight
  // into the output: blue first and an opaque filler byte make 0xFFRRGGBB
  // words on a little-endian machine.
  bool direct = depth == 24 && passes == 1 && std::endian::native == std::endian::little;
  if (direct) {
    png_set_bgr(st->png);
    png_set_filler(st->png, 0xFF, PNG_FILLER_AFTER);
  }
  png_read_update_info(st->png, st->info);

  Palette palette{};
  const Palette* pal = nullptr;
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(st->png, st->info, &entries, &count)) {
      return 0;
    }
    for (int i = 0; i < count && i < 256; ++i) {
      palette.colour[i] = rgb(entries[i].red, entries[i].green, entries[i].blue);
    }
    palette.count = count;
    pal = &palette;
  }
  // Of the 16-bit images only plain grey is read (its high bytes); with alpha
  // its pixels are as wide as 8-bit RGBA, and would be taken for that.
  bool wideSamples = bitDepth == 16 && colourType != PNG_COLOR_TYPE_GRAY;
  if (wideSamples || depth > 32 || (passes > 1 && depth != 8)) {
    return 0;
  }
  size_t stride = static_cast<size_t>(w) * 4;
  size_t rows = stride * h;
  bool alpha = depth == 32;
  size_t size = rows + (alpha ? static_cast<size_t>(w) * h : 0);
  st->out = static_cast<uint8_t*>(CVMem::Allocate(size));
  size_t rowBytes = png_get_rowbytes(st->png, st->info);
  // An interlaced image is read whole (one index byte per pixel, the passes
  // combined in place by the library) and converted afterwards.
  size_t scratch = passes > 1 ? static_cast<size_t>(w) * h : (direct ? 1 : rowBytes);
  st->row = static_cast<uint8_t*>(CVMem::Allocate(scratch));
  if (!st->out || !st->row) {
    return 0;
  }
  std::memset(st->row, 0, scratch);
  uint8_t* alphaPlane = alpha ? st->out + rows : nullptr;
  for (png_uint_32 y = 0; direct && y < h; ++y) {
    png_read_row(st->png, st->out + y * stride, nullptr);
  }
  for (int pass = 0; !direct && pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < h; ++y) {
      png_read_row(st->png, passes > 1 ? st->row + static_cast<size_t>(y) * w : st->row, nullptr);
      if (passes == 1 &&
          !convert_row(st->row, reinterpret_cast<uint32_t*>(st->out + y * stride), static_cast<int>(w), depth, pal,
                       alphaPlane ? alphaPlane + static_cast<size_t>(y) * w : nullptr)) {
        return 0;
      }
    }
  }
  for (png_uint_32 y = 0; passes > 1 && y < h; ++y) {
    if (!convert_row(st->row + static_cast<size_t>(y) * w, reinterpret_cast<uint32_t*>(st->out + y * stride),
                     static_cast<int>(w), depth, pal, nullptr)) {
      return 0;
    }
  }
  png_read_end(st->png, st->endInfo);
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  *hasAlpha = alpha;
  return size;
}

uint8_t* png_to_pixels(const uint8_t* data, size_t length, size_t* size, int* width, int* height, bool* hasAlpha) {
  if (size) {
    *size = 0;
  }
  if (!data) {
    return nullptr;
  }
  PngState st;
  size_t bytes = png_decode(&st, data, length, width, height, hasAlpha);
  st.release();
  if (bytes == 0) {
    CVMem::Deallocate(st.out);
    return nullptr;
  }
  if (size) {
    *size = bytes;
  }
  return st.out;
}

// ---- JPEG ------------------------------------------------------------------

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void jpeg_quiet(j_common_ptr) {}

struct JpegState {
  jpeg_decompress_struct cinfo{};
  JpegError err{};
  uint8_t* out = nullptr;
  size_t size = 0;
};

bool jfif_framed(const uint8_t* d, size_t n) {
  return n >= 10 && d[0] == 0xFF && d[1] == 0xD8 && d[n - 2] == 0xFF && d[n - 1] == 0xD9 &&
         std::memcmp(d + 6, "JFIF", 4) == 0;
}

// Decodes into st->out straight in the engine's pixel order (libjpeg-turbo's
// BGRA output is 0xAARRGGBB words on a little-endian machine, alpha 0xFF).
bool jpeg_decode(JpegState* st, const uint8_t* data, size_t length) {
  static_assert(std::endian::native == std::endian::little, "BGRA output is read as little-endian words");
  jpeg_decompress_struct& c = st->cinfo;
  if (setjmp(st->err.jump)) {
    return false;
  }
  jpeg_mem_src(&c, data, static_cast<unsigned long>(length));
  jpeg_read_header(&c, TRUE);
  if (c.jpeg_color_space != JCS_GRAYSCALE && c.jpeg_color_space != JCS_YCbCr) {
    return false;
  }
  if (c.image_width == 0 || c.image_height == 0 || c.image_width > kMaxDecodeSide ||
      c.image_height > kMaxDecodeSide) {
    return false;
  }
  c.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&c);
  size_t stride = static_cast<size_t>(c.output_width) * 4;
  st->size = stride * c.output_height;
  st->out = static_cast<uint8_t*>(CVMem::Allocate(st->size));
  if (!st->out) {
    return false;
  }
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = st->out + static_cast<size_t>(c.output_scanline) * stride;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  return true;
}

}  // namespace

uint8_t* DecodePngTile(const uint8_t* data, size_t length, size_t* size, int* width, int* height) {
  int w = 0, h = 0;
  bool alpha = false;
  uint8_t* out = png_to_pixels(data, length, size, &w, &h, &alpha);
  if (width) *width = w;
  if (height) *height = h;
  return out;
}

tagBitmapObj* bitmap_create_from_png(const uint8_t* data, size_t length, size_t* size) {
  int w = 0, h = 0;
  bool alpha = false;
  uint8_t* pixels = png_to_pixels(data, length, size, &w, &h, &alpha);
  if (!pixels) {
    return nullptr;
  }
  tagBitmapObj* b =
      bitmap_create_from_pixels(w, h, 32, pixels, alpha ? pixels + static_cast<size_t>(w) * 4 * h : nullptr);
  CVMem::Deallocate(pixels);
  if (!b && size) {
    *size = 0;
  }
  return b;
}

uint8_t* DecodeJpegTile(const uint8_t* data, size_t* length, int* width, int* height, int* bitsPerPixel) {
  if (!length) {
    return nullptr;
  }
  size_t n = *length;
  *length = 0;
  if (!data || !jfif_framed(data, n)) {
    return nullptr;
  }
  JpegState st;
  st.cinfo.err = jpeg_std_error(&st.err.mgr);
  st.err.mgr.error_exit = jpeg_fail;
  st.err.mgr.output_message = jpeg_quiet;
  jpeg_create_decompress(&st.cinfo);
  bool ok = jpeg_decode(&st, data, n);
  jpeg_destroy_decompress(&st.cinfo);
  if (!ok) {
    CVMem::Deallocate(st.out);
    return nullptr;
  }
  *length = st.size;
  if (width) *width = static_cast<int>(st.cinfo.output_width);
  if (height) *height = static_cast<int>(st.cinfo.output_height);
  if (bitsPerPixel) *bitsPerPixel = 32;
  return st.out;
}

}  // namespace mapengine
