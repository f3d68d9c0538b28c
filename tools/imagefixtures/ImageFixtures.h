// Images made in memory with libpng's and libjpeg's own writers, for tests,
// sample programs and benchmarks. A writer that fails throws
// std::runtime_error, so a fixture is never silently empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imagefixtures {

struct PngLayout {
  int width = 4;
  int height = 3;
  int colourType = 2;  // PNG_COLOR_TYPE_RGB
  int bitDepth = 8;
  bool interlaced = false;
  int paletteSize = 0;  // entries written to PLTE for palette images
  bool unfiltered = false;  // rows written without filters: quicker to make, as test tiles need
};

// Samples: rows of packed samples as libpng expects them for the layout.
std::vector<uint8_t> makePng(const PngLayout& layout, const std::vector<uint8_t>& samples);

struct JpegLayout {
  int width = 16;
  int height = 8;
  int components = 3;
  int colourSpace = 2;  // JCS_RGB input
  int quality = 95;
  bool progressive = false;
  int fileColourSpace = -1;  // colour space stored in the file, -1 for the default
  bool forceJfif = false;    // write the JFIF marker whatever the colour space
};

// Samples: rows of width * components samples.
std::vector<uint8_t> makeJpeg(const JpegLayout& layout, const std::vector<uint8_t>& samples);

// A uniform image: the given sample value per component everywhere.
std::vector<uint8_t> uniformJpeg(const JpegLayout& layout, const std::vector<uint8_t>& pixel);

// Packed RGB samples of count 0xAARRGGBB pixels (alpha dropped).
std::vector<uint8_t> rgbFromArgb(const uint32_t* pixels, size_t count);

}  // namespace imagefixtures
