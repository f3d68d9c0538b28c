#include "tools/snapshot/Snapshot.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/uikit/NXSnapshot.h"
#include "platform/foundation/NSFileManager.h"

namespace fs = std::filesystem;

namespace snapshot {

Image fromARGB32(const uint32_t* pixels, int width, int height, size_t wordsPerRow)
{
    Image image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    uint8_t* out = image.rgba.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[size_t(y) * wordsPerRow + x];
            *out++ = uint8_t(p >> 16);
            *out++ = uint8_t(p >> 8);
            *out++ = uint8_t(p);
            *out++ = uint8_t(p >> 24);
        }
    }
    return image;
}

bool readPng(const std::string& path, Image& out)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGBA;
    out.width = int(png.width);
    out.height = int(png.height);
    out.rgba.assign(PNG_IMAGE_SIZE(png), 0);
    bool ok = png_image_finish_read(&png, nullptr, out.rgba.data(), 0, nullptr);
    png_image_free(&png);
    return ok;
}

bool writePng(const std::string& path, const Image& image)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGBA;
    bool ok = png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr);
    png_image_free(&png);
    return ok;
}

Image renderView(UIView* view, double scale)
{
    fs::path tmp = fs::temp_directory_path() / ("nx-snapshot-" + std::to_string(::getpid()) + ".png");
    Image image;
    if (NXSnapshotToPNG(view, NSString(tmp.string()), scale)) readPng(tmp.string(), image);
    std::error_code ec;
    fs::remove(tmp, ec);
    return image;
}

namespace {

fs::path sourceFolder(const std::string& caseFolder)
{
    const char* root = std::getenv("NX_SOURCE_DIR");
    return fs::path(root && *root ? root : ".") / caseFolder;
}

bool samePixel(const uint8_t* a, const uint8_t* b, int threshold)
{
    for (int c = 0; c < 4; ++c)
        if (std::abs(int(a[c]) - int(b[c])) > threshold) return false;
    return true;
}

// Whether the pixel of `from` at (x, y) has a like in `in` within shift pixels.
bool hasLikeNear(const Image& from, const Image& in, int x, int y, const Tolerance& tolerance)
{
    const uint8_t* pixel = &from.rgba[(size_t(y) * from.width + x) * 4];
    for (int dy = -tolerance.shift; dy <= tolerance.shift; ++dy)
        for (int dx = -tolerance.shift; dx <= tolerance.shift; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= in.width || ny >= in.height) continue;
            if (samePixel(pixel, &in.rgba[(size_t(ny) * in.width + nx) * 4], tolerance.channelThreshold)) return true;
        }
    return false;
}

// Red where the pixels differ beyond the tolerance, the expected image faded
// to a third elsewhere.
Image diffImage(const Image& expected, const Image& actual, const Tolerance& tolerance, long& differing)
{
    Image diff{actual.width, actual.height, std::vector<uint8_t>(actual.rgba.size())};
    differing = 0;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x) {
            size_t i = (size_t(y) * actual.width + x) * 4;
            bool differs = !samePixel(&expected.rgba[i], &actual.rgba[i], tolerance.channelThreshold) &&
                           (tolerance.shift == 0 || !hasLikeNear(actual, expected, x, y, tolerance) ||
                            !hasLikeNear(expected, actual, x, y, tolerance));
            if (differs) {
                ++differing;
                diff.rgba[i] = 255;
                diff.rgba[i + 1] = diff.rgba[i + 2] = 0;
            } else {
                int grey = (expected.rgba[i] + expected.rgba[i + 1] + expected.rgba[i + 2]) / 3;
                diff.rgba[i] = diff.rgba[i + 1] = diff.rgba[i + 2] = uint8_t(170 + grey / 3);
            }
            diff.rgba[i + 3] = 255;
        }
    return diff;
}

}  // namespace

::testing::AssertionResult matchesExpected(const Image& actual, const std::string& caseFolder, Tolerance tolerance)
{
    fs::path folder = sourceFolder(caseFolder);
    fs::path expectedPath = folder / "expected.png";
    if (actual.width <= 0 || actual.height <= 0) return ::testing::AssertionFailure() << "nothing was rendered for " << caseFolder;
    const char* update = std::getenv("NX_UPDATE_SNAPSHOTS");
    if (update && *update && std::string(update) != "0") {
        fs::create_directories(folder);
        if (!writePng(expectedPath.string(), actual)) return ::testing::AssertionFailure() << "cannot write " << expectedPath;
        return ::testing::AssertionFailure() << "updated " << expectedPath << ": look at it before committing";
    }
    Image expected;
    if (!readPng(expectedPath.string(), expected)) {
        fs::create_directories(folder);
        writePng((folder / "actual.png").string(), actual);
        return ::testing::AssertionFailure() << "no expected image " << expectedPath
                                             << "; run scripts/update-snapshots and review it";
    }
    if (expected.width != actual.width || expected.height != actual.height) {
        writePng((folder / "actual.png").string(), actual);
        return ::testing::AssertionFailure() << caseFolder << ": size " << actual.width << "x" << actual.height
                                             << ", expected " << expected.width << "x" << expected.height;
    }
    long differing = 0;
    Image diff = diffImage(expected, actual, tolerance, differing);
    double fraction = double(differing) / (double(actual.width) * actual.height);
    if (fraction <= tolerance.maxDifferingFraction) {
        std::error_code ec;
        fs::remove(folder / "actual.png", ec);
        fs::remove(folder / "diff.png", ec);
        return ::testing::AssertionSuccess();
    }
    writePng((folder / "actual.png").string(), actual);
    writePng((folder / "diff.png").string(), diff);
    return ::testing::AssertionFailure() << caseFolder << ": " << differing << " pixels differ (" << fraction * 100
                                         << "%); see actual.png and diff.png in " << folder;
}

::testing::AssertionResult viewMatchesExpected(UIView* view, const std::string& caseFolder, Tolerance tolerance,
                                               double scale)
{
    return matchesExpected(renderView(view, scale), caseFolder, tolerance);
}

}  // namespace snapshot
