#include "tests/engine/render/ImageFixtures.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace imagefixtures {

namespace {

void pngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

}  // namespace

std::vector<uint8_t> makePng(const PngSpec& spec, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write failed");
  }
  png_set_write_fn(png, &out, pngWrite, pngFlush);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (spec.paletteSize > 0) {
    std::vector<png_color> pal(spec.paletteSize);
    for (int i = 0; i < spec.paletteSize; ++i) {
      pal[i] = {static_cast<png_byte>(i * 10), static_cast<png_byte>(i * 20), static_cast<png_byte>(i * 30)};
    }
    png_set_PLTE(png, info, pal.data(), spec.paletteSize);
  }
  // Indices past a short palette are written on purpose.
  png_set_check_for_invalid_index(png, 0);
  png_write_info(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows(spec.height);
  for (int y = 0; y < spec.height; ++y) {
    rows[y] = const_cast<png_bytep>(samples.data() + y * rowBytes);
  }
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> makeJpeg(const JpegSpec& spec, const std::vector<uint8_t>& pixel) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = spec.width;
  c.image_height = spec.height;
  c.input_components = spec.components;
  c.in_color_space = static_cast<J_COLOR_SPACE>(spec.colourSpace);
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (spec.fileColourSpace >= 0) {
    jpeg_set_colorspace(&c, static_cast<J_COLOR_SPACE>(spec.fileColourSpace));
  }
  if (spec.forceJfif) {
    c.write_JFIF_header = TRUE;
  }
  if (spec.progressive) {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(spec.width) * spec.components);
  for (int x = 0; x < spec.width; ++x)
    for (int k = 0; k < spec.components; ++k) row[x * spec.components + k] = pixel[k];
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(buf, buf + size);
  free(buf);
  return out;
}

}  // namespace imagefixtures
