#include "tools/imagefixtures/ImageFixtures.h"

#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace imagefixtures {

namespace {

void pngAppend(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

}  // namespace

std::vector<uint8_t> makePng(const PngLayout& layout, const std::vector<uint8_t>& samples) {
  // Everything that owns memory exists before setjmp, so a longjmp back to it
  // skips no destructor.
  std::vector<uint8_t> out;
  std::vector<png_color> palette(static_cast<size_t>(layout.paletteSize > 0 ? layout.paletteSize : 0));
  for (size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {static_cast<png_byte>(i * 10), static_cast<png_byte>(i * 20), static_cast<png_byte>(i * 30)};
  }
  std::vector<png_bytep> rows(static_cast<size_t>(layout.height > 0 ? layout.height : 0));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write failed");
  }
  png_set_write_fn(png, &out, pngAppend, pngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height), layout.bitDepth,
               layout.colourType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) {
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  }
  if (layout.unfiltered) {
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  }
  // Indices past a short palette are written on purpose.
  png_set_check_for_invalid_index(png, 0);
  png_write_info(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  if (samples.size() < rowBytes * rows.size()) {
    png_error(png, "too few samples for the image");
  }
  for (size_t y = 0; y < rows.size(); ++y) {
    rows[y] = const_cast<png_bytep>(samples.data() + y * rowBytes);
  }
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> makeJpeg(const JpegLayout& layout, const std::vector<uint8_t>& samples) {
  size_t rowSamples = static_cast<size_t>(layout.width) * layout.components;
  if (samples.size() < rowSamples * layout.height) {
    throw std::invalid_argument("too few samples for the image");
  }
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = static_cast<JDIMENSION>(layout.width);
  c.image_height = static_cast<JDIMENSION>(layout.height);
  c.input_components = layout.components;
  c.in_color_space = static_cast<J_COLOR_SPACE>(layout.colourSpace);
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, layout.quality, TRUE);
  if (layout.fileColourSpace >= 0) {
    jpeg_set_colorspace(&c, static_cast<J_COLOR_SPACE>(layout.fileColourSpace));
  }
  if (layout.forceJfif) {
    c.write_JFIF_header = TRUE;
  }
  if (layout.progressive) {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = const_cast<JSAMPROW>(samples.data() + c.next_scanline * rowSamples);
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(buf, buf + size);
  std::free(buf);
  return out;
}

std::vector<uint8_t> uniformJpeg(const JpegLayout& layout, const std::vector<uint8_t>& pixel) {
  if (pixel.size() < static_cast<size_t>(layout.components)) {
    throw std::invalid_argument("a pixel needs a sample per component");
  }
  std::vector<uint8_t> samples(static_cast<size_t>(layout.width) * layout.height * layout.components);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = pixel[i % layout.components];
  }
  return makeJpeg(layout, samples);
}

std::vector<uint8_t> rgbFromArgb(const uint32_t* pixels, size_t count) {
  std::vector<uint8_t> rgb(count * 3);
  for (size_t i = 0; i < count; ++i) {
    rgb[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
  }
  return rgb;
}

}  // namespace imagefixtures
