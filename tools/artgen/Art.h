// The image generator's registry. Every picture the screens, the SDK and the
// engine name is drawn here with the project's own drawing code, never copied:
// each area keeps its pictures in a file of its own in this folder and
// registers them with NX_ART. The generator writes every picture at 1x
// ("name.png") and 2x ("name@2x.png") into the build's resource folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/uikit/CoreGraphics.h"

namespace artgen {

// Draws one picture into a context of `size` points (the context is already
// scaled, so the same code serves 1x and 2x). The context starts transparent.
using DrawArt = std::function<void(CGContextRef context, CGSize size)>;

struct Art {
    std::string name;  // file name without scale suffix and extension
    CGSize size;       // in points
    bool opaque;       // drawn on black instead of transparent
    DrawArt draw;
};

std::vector<Art>& registry();

struct Registrar {
    Registrar(std::string name, CGSize size, DrawArt draw, bool opaque = false)
    {
        registry().push_back(Art{std::move(name), size, opaque, std::move(draw)});
    }
};

}  // namespace artgen

#define NX_ART_CONCAT2(a, b) a##b
#define NX_ART_CONCAT(a, b) NX_ART_CONCAT2(a, b)
// NX_ART("login_bg", 320, 480, [](CGContextRef c, CGSize s) { ... });
#define NX_ART(name, width, height, ...) \
    static ::artgen::Registrar NX_ART_CONCAT(nxArt_, __LINE__)(name, CGSizeMake(width, height), __VA_ARGS__)
