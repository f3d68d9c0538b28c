// Test images made with libpng's and libjpeg's own writers, in memory.
#pragma once

#include <cstdint>
#include <vector>

namespace imagefixtures {

struct PngSpec {
  int width = 4;
  int height = 3;
  int colourType = 2;  // PNG_COLOR_TYPE_RGB
  int bitDepth = 8;
  bool interlaced = false;
  int paletteSize = 0;  // entries written to PLTE for palette images
};

// Raw samples: rows of packed samples as libpng expects them for the spec.
std::vector<uint8_t> makePng(const PngSpec& spec, const std::vector<uint8_t>& samples);

struct JpegSpec {
  int width = 16;
  int height = 8;
  int components = 3;
  int colourSpace = 2;  // JCS_RGB input
  bool progressive = false;
  int fileColourSpace = -1;  // colour space stored in the file, -1 for the default
  bool forceJfif = false;    // write the JFIF marker whatever the colour space
};
// Uniform image of the given sample value per component.
std::vector<uint8_t> makeJpeg(const JpegSpec& spec, const std::vector<uint8_t>& pixel);

}  // namespace imagefixtures
