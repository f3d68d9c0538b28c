#include "engine/render/ImageDecode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <vector>

#include "engine/base/VMem.h"
#include "tools/imagefixtures/ImageFixtures.h"

using namespace mapengine;
using imagefixtures::JpegLayout;
using imagefixtures::makePng;
using imagefixtures::PngLayout;
using imagefixtures::uniformJpeg;

namespace {

struct Decoded {
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> alpha;
  size_t size = 0;
  bool ok = false;
};

Decoded decodePng(const std::vector<uint8_t>& data) {
  Decoded d;
  int w = 0, h = 0;
  uint8_t* out = DecodePngTile(data.data(), data.size(), &d.size, &w, &h);
  if (!out) {
    return d;
  }
  d.ok = true;
  d.pixels.resize(static_cast<size_t>(w) * h);
  std::memcpy(d.pixels.data(), out, d.pixels.size() * 4);
  if (d.size > d.pixels.size() * 4) {
    d.alpha.assign(out + d.pixels.size() * 4, out + d.size);
  }
  CVMem::Deallocate(out);
  return d;
}

uint32_t grey(uint32_t g) { return 0xFF000000u + g * 0x010101u; }

}  // namespace

TEST(PngDecode, ColourTypesAndDepths) {
  struct Case {
    const char* what;
    PngLayout layout;
    std::vector<uint8_t> samples;  // one row of 4 pixels (height 1)
    std::vector<uint32_t> want;
  };
  PngLayout base;
  base.height = 1;
  auto layout = [&](int type, int depth, int palette = 0) {
    PngLayout s = base;
    s.colourType = type;
    s.bitDepth = depth;
    s.paletteSize = palette;
    return s;
  };
  auto pal = [](unsigned i) {
    return 0xFF000000u | ((i * 10u) & 0xFF) << 16 | ((i * 20u) & 0xFF) << 8 | ((i * 30u) & 0xFF);
  };
  const Case cases[] = {
      {"grey 1-bit, not scaled", layout(PNG_COLOR_TYPE_GRAY, 1), {0xA0}, {grey(1), grey(0), grey(1), grey(0)}},
      {"grey 2-bit, not scaled", layout(PNG_COLOR_TYPE_GRAY, 2), {0x1B}, {grey(0), grey(1), grey(2), grey(3)}},
      {"grey 4-bit, not scaled", layout(PNG_COLOR_TYPE_GRAY, 4), {0xF1, 0x7E}, {grey(15), grey(1), grey(7), grey(14)}},
      {"grey 8-bit", layout(PNG_COLOR_TYPE_GRAY, 8), {0, 9, 128, 255}, {grey(0), grey(9), grey(128), grey(255)}},
      {"grey 16-bit keeps the high byte", layout(PNG_COLOR_TYPE_GRAY, 16), {1, 2, 3, 4, 5, 6, 7, 8},
       {grey(1), grey(3), grey(5), grey(7)}},
      {"grey with alpha drops alpha", layout(PNG_COLOR_TYPE_GRAY_ALPHA, 8), {10, 0, 20, 9, 30, 9, 40, 255},
       {grey(10), grey(20), grey(30), grey(40)}},
      {"palette 1-bit", layout(PNG_COLOR_TYPE_PALETTE, 1, 2), {0x50}, {pal(0), pal(1), pal(0), pal(1)}},
      {"palette 2-bit", layout(PNG_COLOR_TYPE_PALETTE, 2, 4), {0xE4}, {pal(3), pal(2), pal(1), pal(0)}},
      {"palette 4-bit", layout(PNG_COLOR_TYPE_PALETTE, 4, 16), {0x12, 0xF0}, {pal(1), pal(2), pal(15), pal(0)}},
      {"palette 8-bit", layout(PNG_COLOR_TYPE_PALETTE, 8, 200), {0, 7, 199, 100}, {pal(0), pal(7), pal(199), pal(100)}},
      {"RGB 8-bit", layout(PNG_COLOR_TYPE_RGB, 8), {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252},
       {0xFF010203, 0xFF040506, 0xFF070809, 0xFFFAFBFC}},
  };
  for (const Case& c : cases) {
    Decoded d = decodePng(makePng(c.layout, c.samples));
    ASSERT_TRUE(d.ok) << c.what;
    EXPECT_EQ(d.size, 16u) << c.what;
    EXPECT_EQ(d.pixels, c.want) << c.what;
  }
}

TEST(PngDecode, RgbaTileCarriesAnAlphaPlane) {
  PngLayout s;
  s.width = 256;
  s.height = 256;
  s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  std::vector<uint8_t> samples(256 * 256 * 4);
  for (size_t i = 0; i < 256 * 256; ++i) {
    samples[i * 4] = 0x11;
    samples[i * 4 + 1] = 0x22;
    samples[i * 4 + 2] = static_cast<uint8_t>(i);
    samples[i * 4 + 3] = static_cast<uint8_t>(i >> 8);
  }
  Decoded d = decodePng(makePng(s, samples));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.size, 256u * 256 * 5);
  EXPECT_EQ(d.pixels[300], 0xFF11222Cu);
  ASSERT_EQ(d.alpha.size(), 65536u);
  EXPECT_EQ(d.alpha[300], 1);

  size_t size = 0;
  auto png = makePng(s, samples);
  tagBitmapObj* b = bitmap_create_from_png(png.data(), png.size(), &size);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->alpha, nullptr);
  EXPECT_EQ(b->alpha[65535], 255);
  EXPECT_EQ(b->width, 256);
  bitmap_free(b);
}

TEST(PngDecode, InterlacedPaletteMatchesItsPlainForm) {
  PngLayout s;
  s.width = 13;
  s.height = 11;
  s.colourType = PNG_COLOR_TYPE_PALETTE;
  s.paletteSize = 143;
  std::vector<uint8_t> samples(13 * 11);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i);
  Decoded plain = decodePng(makePng(s, samples));
  s.interlaced = true;
  Decoded laced = decodePng(makePng(s, samples));
  ASSERT_TRUE(plain.ok);
  ASSERT_TRUE(laced.ok);
  EXPECT_EQ(plain.pixels, laced.pixels);

  s.colourType = PNG_COLOR_TYPE_GRAY;
  s.paletteSize = 0;
  Decoded greyLaced = decodePng(makePng(s, samples));
  ASSERT_TRUE(greyLaced.ok);
  EXPECT_EQ(greyLaced.pixels[142], grey(142));
}

TEST(PngDecode, Refusals) {
  PngLayout rgb16;
  rgb16.colourType = PNG_COLOR_TYPE_RGB;
  rgb16.bitDepth = 16;
  PngLayout greyAlpha16;  // 32 bits a pixel, as 8-bit RGBA, but no such image
  greyAlpha16.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha16.bitDepth = 16;
  PngLayout rgbLaced;
  rgbLaced.interlaced = true;
  PngLayout shortPalette;
  shortPalette.colourType = PNG_COLOR_TYPE_PALETTE;
  shortPalette.paletteSize = 4;
  PngLayout big;
  big.width = kMaxDecodeSide + 1;
  big.height = 1;
  big.colourType = PNG_COLOR_TYPE_GRAY;

  auto good = makePng(PngLayout{}, std::vector<uint8_t>(4 * 3 * 3, 7));
  auto truncated = good;
  truncated.resize(good.size() - 20);
  auto badCrc = good;
  badCrc[29] ^= 0xFF;  // IHDR's CRC (8 signature + 8 + 13 bytes of data)
  auto badIdatCrc = good;
  badIdatCrc[badIdatCrc.size() - 13] ^= 0xFF;  // the CRC word of the last IDAT
  auto notPng = good;
  notPng[1] = 'X';

  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  const Case cases[] = {
      {"16-bit RGB", makePng(rgb16, std::vector<uint8_t>(4 * 3 * 6, 1))},
      {"16-bit grey and alpha", makePng(greyAlpha16, std::vector<uint8_t>(4 * 3 * 4, 1))},
      {"interlaced RGB", makePng(rgbLaced, std::vector<uint8_t>(4 * 3 * 3, 1))},
      {"palette shorter than its indices", makePng(shortPalette, std::vector<uint8_t>{0, 1, 2, 3, 0, 1, 9, 3, 0, 0, 0, 0})},
      {"oversized", makePng(big, std::vector<uint8_t>(kMaxDecodeSide + 1, 0))},
      {"truncated", truncated},
      {"bad header CRC", badCrc},
      {"bad data CRC", badIdatCrc},
      {"not a PNG", notPng},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    size_t size = 99;
    uint8_t* out = DecodePngTile(c.data.data(), c.data.size(), &size);
    EXPECT_EQ(out, nullptr) << c.what;
    EXPECT_EQ(size, 0u) << c.what;
    CVMem::Deallocate(out);
    EXPECT_EQ(bitmap_create_from_png(c.data.data(), c.data.size(), &size), nullptr) << c.what;
  }
  size_t size = 1;
  EXPECT_EQ(DecodePngTile(nullptr, 10, &size), nullptr);
  EXPECT_EQ(size, 0u);
}

namespace {

struct JpegResult {
  uint8_t* pixels = nullptr;
  size_t size = 0;
  int w = 0, h = 0, bpp = 0;
};

JpegResult decodeJpeg(const std::vector<uint8_t>& data) {
  JpegResult r;
  r.size = data.size();
  r.pixels = DecodeJpegTile(data.data(), &r.size, &r.w, &r.h, &r.bpp);
  return r;
}

}  // namespace

TEST(JpegDecode, BaselineProgressiveAndGrey) {
  struct Case {
    const char* what;
    JpegLayout layout;
    std::vector<uint8_t> pixel;
    uint32_t want;
  };
  JpegLayout progressive;
  progressive.progressive = true;
  JpegLayout greySpec;
  greySpec.components = 1;
  greySpec.colourSpace = JCS_GRAYSCALE;
  const Case cases[] = {{"baseline", JpegLayout{}, {200, 40, 90}, 0xFFC8285A},
                        {"progressive", progressive, {10, 220, 130}, 0xFF0ADC82},
                        {"grey", greySpec, {77}, 0xFF4D4D4D}};
  for (const Case& c : cases) {
    JpegResult r = decodeJpeg(uniformJpeg(c.layout, c.pixel));
    ASSERT_NE(r.pixels, nullptr) << c.what;
    EXPECT_EQ(r.w, 16);
    EXPECT_EQ(r.h, 8);
    EXPECT_EQ(r.bpp, 32);
    EXPECT_EQ(r.size, 16u * 8 * 4);
    const auto* px = reinterpret_cast<const uint32_t*>(r.pixels);
    for (int i = 0; i < 16 * 8; ++i) {
      uint32_t p = px[i];
      ASSERT_EQ(p >> 24, 0xFFu) << c.what;
      for (int shift = 0; shift < 24; shift += 8) {
        int got = (p >> shift) & 0xFF, want = (c.want >> shift) & 0xFF;
        ASSERT_NEAR(got, want, 3) << c.what << " pixel " << i;
      }
      if (c.layout.components == 1) {
        ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
        ASSERT_EQ(p & 0xFF, (p >> 16) & 0xFF);
      }
    }
    CVMem::Deallocate(r.pixels);
  }
}

TEST(JpegDecode, Refusals) {
  auto good = uniformJpeg(JpegLayout{}, {1, 2, 3});
  auto truncated = good;
  truncated.resize(good.size() - 30);
  auto noJfif = good;
  noJfif[6] = 'X';
  auto corrupt = good;
  for (size_t i = 200; i < 260 && i + 2 < corrupt.size(); ++i) corrupt[i] = 0xFF;
  JpegLayout rgbFile;
  rgbFile.fileColourSpace = JCS_RGB;  // written with an Adobe marker, no JFIF
  JpegLayout cmyk;
  cmyk.components = 4;
  cmyk.colourSpace = JCS_CMYK;
  JpegLayout cmykJfif = cmyk;
  cmykJfif.forceJfif = true;
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  const Case cases[] = {{"truncated", truncated},
                        {"no JFIF marker", noJfif},
                        {"corrupt entropy data", corrupt},
                        {"RGB colour space", uniformJpeg(rgbFile, {1, 2, 3})},
                        {"CMYK without JFIF", uniformJpeg(cmyk, {1, 2, 3, 4})},
                        {"CMYK with a JFIF marker", uniformJpeg(cmykJfif, {1, 2, 3, 4})},
                        {"tiny", {0xFF, 0xD8, 0xFF, 0xD9}}};
  for (const Case& c : cases) {
    JpegResult r = decodeJpeg(c.data);
    EXPECT_EQ(r.pixels, nullptr) << c.what;
    EXPECT_EQ(r.size, 0u) << c.what;
    CVMem::Deallocate(r.pixels);
  }
  EXPECT_EQ(DecodeJpegTile(good.data(), nullptr, nullptr, nullptr, nullptr), nullptr);
}
