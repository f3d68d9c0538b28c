#include "tools/map-double/TilePattern.h"

#include "tools/imagefixtures/ImageFixtures.h"

namespace mapdouble {

namespace {

uint64_t mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    return h ^ (h >> 33);
}

// Components in 64..223, so the darker border and the mark stay distinct.
uint32_t fillColour(TileKind kind, int level, long long x, long long y) {
    uint64_t h = mix(static_cast<uint64_t>(kind) * 0x9E3779B97F4A7C15ULL ^ mix(static_cast<uint64_t>(level)) ^
                     mix(static_cast<uint64_t>(x) * 31 + 7) * 3 ^ mix(static_cast<uint64_t>(y) * 131 + 11));
    uint32_t r = 64 + static_cast<uint32_t>(h & 0xFF) % 160;
    uint32_t g = 64 + static_cast<uint32_t>((h >> 8) & 0xFF) % 160;
    uint32_t b = 64 + static_cast<uint32_t>((h >> 16) & 0xFF) % 160;
    return r << 16 | g << 8 | b;
}

} // namespace

uint32_t patternPixel(TileKind kind, int level, long long x, long long y, int px, int py) {
    uint32_t rgb = fillColour(kind, level, x, y);
    uint32_t alpha = kind == TileKind::Traffic ? 0x80 : 0xFF;
    bool border = px == 0 || py == 0 || px == kTileSide - 1 || py == kTileSide - 1;
    if (border) {
        rgb = (rgb >> 1) & 0x7F7F7F;
        alpha = 0xFF;
    } else if (px <= kMarkSide && py <= kMarkSide) {
        rgb = ~rgb & 0xFFFFFF;
    }
    return alpha << 24 | rgb;
}

std::vector<uint32_t> patternPixels(TileKind kind, int level, long long x, long long y) {
    std::vector<uint32_t> pixels(static_cast<size_t>(kTileSide) * kTileSide);
    for (int py = 0; py < kTileSide; ++py) {
        for (int px = 0; px < kTileSide; ++px) {
            pixels[static_cast<size_t>(py) * kTileSide + px] = patternPixel(kind, level, x, y, px, py);
        }
    }
    return pixels;
}

std::string patternTile(TileKind kind, int level, long long x, long long y) {
    std::vector<uint32_t> pixels = patternPixels(kind, level, x, y);
    imagefixtures::PngLayout layout;
    layout.width = kTileSide;
    layout.height = kTileSide;
    std::vector<uint8_t> samples;
    if (kind == TileKind::Traffic) {
        layout.colourType = 6;  // PNG_COLOR_TYPE_RGBA
        samples.reserve(pixels.size() * 4);
        for (uint32_t p : pixels) {
            samples.insert(samples.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                           static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
        }
    } else {
        samples = imagefixtures::rgbFromArgb(pixels.data(), pixels.size());
    }
    std::vector<uint8_t> png = imagefixtures::makePng(layout, samples);
    return std::string(png.begin(), png.end());
}

} // namespace mapdouble
