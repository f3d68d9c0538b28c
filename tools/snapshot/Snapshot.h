// Snapshot checks for screen and map tests: a rendering is compared with the
// expected PNG committed in its case folder. On a mismatch "actual.png" and
// "diff.png" (differing pixels red over a faded expected image) are written
// beside it; both are git-ignored. With NX_UPDATE_SNAPSHOTS=1 the rendering
// becomes the new expected image and the check fails, so an update run never
// passes: a person looks at every changed PNG before committing it
// (scripts/update-snapshots).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class UIView;

namespace snapshot {

// Straight (not premultiplied) RGBA, 8 bits per sample, rows top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// Exact match by default. A case that needs slack states it with a reason.
struct Tolerance {
    int channelThreshold = 0;          // a sample may differ by this much
    double maxDifferingFraction = 0;   // share of pixels allowed beyond it
    // A pixel also matches a counterpart up to this many pixels away in x
    // and y, both ways (each picture's pixel finds its like in the other):
    // content that may sit a pixel off as a whole still matches, while a
    // line that is gone or a colour that changed does not.
    int shift = 0;
};

// Pixels as the engine keeps them: 0xAARRGGBB words.
Image fromARGB32(const uint32_t* pixels, int width, int height, size_t wordsPerRow);
bool readPng(const std::string& path, Image& out);
bool writePng(const std::string& path, const Image& image);
// The view rendered as its snapshot (at the given scale; 0 = the screen's).
Image renderView(UIView* view, double scale = 1);

// caseFolder is relative to the source tree ("tests/ui/snapshots/viewer-caption").
::testing::AssertionResult matchesExpected(const Image& actual, const std::string& caseFolder,
                                           Tolerance tolerance = {});
::testing::AssertionResult viewMatchesExpected(UIView* view, const std::string& caseFolder,
                                               Tolerance tolerance = {}, double scale = 1);

}  // namespace snapshot
