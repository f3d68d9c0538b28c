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

// A tile's pixel from its fill colour: the fill is worked out once per tile,
// not once per pixel, as a download of a city asks for thousands of tiles.
uint32_t tilePixel(TileKind kind, uint32_t fill, int px, int py) {
    uint32_t rgb = fill;
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

} // namespace

uint32_t patternPixel(TileKind kind, int level, long long x, long long y, int px, int py) {
    return tilePixel(kind, fillColour(kind, level, x, y), px, py);
}

std::string patternTile(TileKind kind, int level, long long x, long long y) {
    const uint32_t fill = fillColour(kind, level, x, y);
    const bool withAlpha = kind == TileKind::Traffic;
    imagefixtures::PngLayout layout;
    layout.width = kTileSide;
    layout.height = kTileSide;
    layout.colourType = withAlpha ? 6 : 2;  // PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB
    layout.unfiltered = true;
    // The samples are written straight from the pattern, with no ARGB copy of
    // the tile between, into a buffer each serving thread keeps: a download
    // asks for thousands of tiles.
    const size_t channels = withAlpha ? 4 : 3;
    thread_local std::vector<uint8_t> samples;
    samples.resize(static_cast<size_t>(kTileSide) * kTileSide * channels);
    uint8_t* out = samples.data();
    for (int py = 0; py < kTileSide; ++py) {
        for (int px = 0; px < kTileSide; ++px, out += channels) {
            const uint32_t p = tilePixel(kind, fill, px, py);
            out[0] = static_cast<uint8_t>(p >> 16);
            out[1] = static_cast<uint8_t>(p >> 8);
            out[2] = static_cast<uint8_t>(p);
            if (withAlpha) out[3] = static_cast<uint8_t>(p >> 24);
        }
    }
    std::vector<uint8_t> png = imagefixtures::makePng(layout, samples);
    return std::string(png.begin(), png.end());
}

} // namespace mapdouble
