// Tile packs in the real-data mode: map tiles (palette PNG) and satellite
// tiles (JFIF JPEG) drawn with cairo from real geography: sea, land, country
// and province borders and rivers, lines wider at closer levels.
#include <cairo.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "tools/imagefixtures/ImageFixtures.h"
#include "tools/map-double/Geography.h"
#include "tools/map-double/MapDouble.h"
#include "tools/map-double/TilePack.h"
#include "tools/map-double/TilePattern.h"

namespace mapdouble {

namespace {

struct Palette {
    uint32_t sea, land, river, border, province;
};

constexpr Palette kMapColours{0xA9CBEE, 0xF1EEE6, 0x8DB6E8, 0x9C7FA8, 0xC4A8CC};
constexpr Palette kSatelliteColours{0x0E2A47, 0x4B5E34, 0x2F5D8A, 0xD9D2B0, 0xA89F7A};

void setColour(cairo_t *cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

struct TileBox {
    double left, top, scale;
    bool touches(double minX, double minY, double maxX, double maxY) const {
        double right = left + 256 * scale;
        double bottom = top - 256 * scale;
        return maxX >= left && minX <= right && maxY >= bottom && minY <= top;
    }
};

// A line as a path; vertices closer than half a pixel to the last one kept
// are skipped.
void addPath(cairo_t *cr, const Line &line, const TileBox &box, bool close) {
    double lastX = 1e300, lastY = 1e300;
    bool first = true;
    for (const Point &p : line.points) {
        double x = (p.x - box.left) / box.scale;
        double y = (box.top - p.y) / box.scale;
        if (!first && std::abs(x - lastX) < 0.5 && std::abs(y - lastY) < 0.5) {
            continue;
        }
        first ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
        first = false;
        lastX = x;
        lastY = y;
    }
    if (close && !first) {
        cairo_close_path(cr);
    }
}

void strokeLines(cairo_t *cr, const std::vector<Line> &lines, const TileBox &box, uint32_t colour, double width) {
    setColour(cr, colour);
    cairo_set_line_width(cr, width);
    for (const Line &line : lines) {
        if (box.touches(line.minX, line.minY, line.maxX, line.maxY)) {
            addPath(cr, line, box, false);
            cairo_stroke(cr);
        }
    }
}

void drawOutlines(cairo_t *cr, const std::vector<Outline> &outlines, const TileBox &box, bool fill, uint32_t colour,
                  double width) {
    setColour(cr, colour);
    cairo_set_line_width(cr, width);
    for (const Outline &outline : outlines) {
        if (!box.touches(outline.minX, outline.minY, outline.maxX, outline.maxY)) {
            continue;
        }
        for (const Line &ring : outline.rings) {
            if (box.touches(ring.minX, ring.minY, ring.maxX, ring.maxY)) {
                addPath(cr, ring, box, true);
            }
        }
        fill ? cairo_fill(cr) : cairo_stroke(cr);
    }
}

// The tile's pixels, 0xAARRGGBB rows from the north.
std::vector<uint32_t> drawTile(const Geography &geo, const Palette &colours, int level, long long x, long long y) {
    double scale = static_cast<double>(1LL << (18 - level));
    TileBox box{static_cast<double>(x) * 256 * scale, static_cast<double>(y + 1) * 256 * scale, scale};
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 256, 256);
    cairo_t *cr = cairo_create(surface);
    // Flat colours without blending keep the tiles small.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, colours.sea);
    cairo_paint(cr);
    double width = std::clamp((level - 3) / 3.0, 1.0, 4.0);
    drawOutlines(cr, geo.countries, box, true, colours.land, 0);
    // Coastlines come from the country outlines: the binned shorelines are
    // closed along their bin edges, made for filling, not for strokes.
    if (level >= 5) {
        strokeLines(cr, geo.rivers, box, colours.river, std::max(1.0, width - 1));
    }
    if (level >= 4) {
        drawOutlines(cr, geo.provinces, box, false, colours.province, std::max(1.0, width - 1));
    }
    drawOutlines(cr, geo.countries, box, false, colours.border, width);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::vector<uint32_t> pixels(256 * 256);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < 256; ++row) {
        const auto *source = reinterpret_cast<const uint32_t *>(data + static_cast<size_t>(row) * stride);
        for (int col = 0; col < 256; ++col) {
            pixels[static_cast<size_t>(row) * 256 + col] = 0xFF000000u | (source[col] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(surface);
    return pixels;
}

// A palette PNG: the tiles hold a handful of flat colours, so a pack of a
// whole screen stays well inside the engine's 256,000-byte reply buffer.
std::string encodePalettePng(const std::vector<uint32_t> &pixels) {
    std::map<uint32_t, png_byte> indices;
    std::vector<png_color> palette;
    std::vector<png_byte> samples(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t rgb = pixels[i] & 0xFFFFFF;
        auto found = indices.find(rgb);
        if (found == indices.end()) {
            if (palette.size() == 256) {
                return std::string();
            }
            found = indices.emplace(rgb, static_cast<png_byte>(palette.size())).first;
            palette.push_back({static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8),
                               static_cast<png_byte>(rgb)});
        }
        samples[i] = found->second;
    }
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            static_cast<std::string *>(png_get_io_ptr(p))->append(reinterpret_cast<const char *>(data), length);
        },
        nullptr);
    png_set_IHDR(png, info, 256, 256, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    for (int row = 0; row < 256; ++row) {
        png_write_row(png, samples.data() + static_cast<size_t>(row) * 256);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string encodeJpeg(const std::vector<uint32_t> &pixels) {
    imagefixtures::JpegLayout layout;
    layout.width = 256;
    layout.height = 256;
    layout.quality = 60;
    std::vector<uint8_t> bytes = imagefixtures::makeJpeg(layout, imagefixtures::rgbFromArgb(pixels.data(), pixels.size()));
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

bool addRealDataTileService(MapDouble &double_) {
    const Geography *geo = Geography::get();
    if (!geo) {
        return false;
    }
    double_.addServiceFirst([geo](const Query &query, MapDouble &self) -> std::optional<Resource> {
        std::string type = query.get("type");
        bool map = type == "m256" || type == "m256H";
        bool satellite = type == "sate" || type == "sateH" || type == "rawsate" || type == "rawsateH";
        int level = std::atoi(query.get("l").c_str());
        if (!(map || satellite) || !query.has("c") || level < 3 || level > 18) {
            return std::nullopt;  // left to the test-pattern service
        }
        LoggedRequest entry{"tile", query.url, type, level, splitList(query.get("c"), ',')};
        self.record(entry);
        std::vector<PackEntry> tiles;
        for (const std::string &key : entry.keys) {
            long long x = 0;
            long long y = 0;
            if (!parseTileKey(key, x, y)) {
                tiles.push_back({std::nullopt});
                continue;
            }
            std::vector<uint32_t> pixels = drawTile(*geo, satellite ? kSatelliteColours : kMapColours, level, x, y);
            tiles.push_back({satellite ? encodeJpeg(pixels) : encodePalettePng(pixels)});
        }
        Resource resource(encodePack(tiles));
        resource.headers = testserver::Headers{{"Content-Type", "application/octet-stream"}};
        return resource;
    });
    return true;
}

} // namespace mapdouble
