#include "tools/service-double/CaptureImages.h"

#include <cstdint>
#include <regex>
#include <stdexcept>
#include <vector>

#include "tools/imagefixtures/ImageFixtures.h"

namespace servicedouble {

namespace {

struct Size {
    const char* name;
    int width, height;
};
constexpr Size kSizes[] = {{"full", 640, 400}, {"middle", 320, 200}, {"thumb", 150, 124}};

// A desktop in miniature: a background whose colour depends on the capture,
// a task bar and two windows placed by the capture number, so captures differ
// at a glance and every size shows the same picture.
std::vector<uint8_t> draw(int capture, int width, int height)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    auto put = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    };
    const uint8_t hue = static_cast<uint8_t>(capture * 53);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            put(x, y, static_cast<uint8_t>(40 + hue / 3), static_cast<uint8_t>(80 + y * 100 / height),
                static_cast<uint8_t>(140 + x * 100 / width));
        }
    }
    auto box = [&](double fx, double fy, double fw, double fh, uint8_t r, uint8_t g, uint8_t b) {
        int x0 = static_cast<int>(fx * width), y0 = static_cast<int>(fy * height);
        int x1 = static_cast<int>((fx + fw) * width), y1 = static_cast<int>((fy + fh) * height);
        for (int y = y0; y < y1 && y < height; ++y)
            for (int x = x0; x < x1 && x < width; ++x) put(x, y, r, g, b);
    };
    double shift = (capture % 5) * 0.08;
    box(0.0, 0.92, 1.0, 0.08, 30, 30, 40);                    // task bar
    box(0.05 + shift, 0.10, 0.50, 0.55, 235, 235, 235);        // a window
    box(0.05 + shift, 0.10, 0.50, 0.06, 40, 90, 170);          // its title bar
    box(0.45 - shift / 2, 0.35, 0.45, 0.45, 250, 250, 245);    // another window
    box(0.45 - shift / 2, 0.35, 0.45, 0.06, 170, 60, 40);
    return rgb;
}

std::optional<std::string> encode(const std::vector<uint8_t>& rgb, int width, int height)
{
    imagefixtures::PngLayout layout;
    layout.width = width;
    layout.height = height;
    try {
        std::vector<uint8_t> png = imagefixtures::makePng(layout, rgb);
        return std::string(png.begin(), png.end());
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> captureImage(std::string_view path)
{
    static const std::regex pattern(R"(/captures/([1-9][0-9]?)-(full|middle|thumb)\.png)");
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(path.begin(), path.end(), m, pattern)) return std::nullopt;
    int capture = std::stoi(m[1].str());
    for (const Size& size : kSizes) {
        if (m[2].str() == size.name) return encode(draw(capture, size.width, size.height), size.width, size.height);
    }
    return std::nullopt;
}

bool serveCaptureImage(const testserver::Request& request, testserver::Connection& connection)
{
    if (request.method != "GET") return false;
    auto png = captureImage(request.path);
    if (!png) return false;
    connection.send(200, *png, {{"Content-Type", "image/png"}});
    return true;
}

}  // namespace servicedouble
