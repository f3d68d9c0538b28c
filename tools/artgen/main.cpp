// artgen OUTPUT_FOLDER [NAME...]
// Writes every registered picture (or only the named ones) at 1x and 2x.
#include <cstdio>
#include <filesystem>
#include <set>

#include "platform/uikit/UIImage.h"
#include "platform/foundation/NSFileManager.h"
#include "tools/artgen/Art.h"

namespace artgen {
std::vector<Art>& registry()
{
    static std::vector<Art> arts;
    return arts;
}
}  // namespace artgen

namespace {

bool writeArt(const artgen::Art& art, double scale, const std::filesystem::path& file)
{
    UIGraphicsBeginImageContextWithOptions(art.size, art.opaque, scale);
    art.draw(UIGraphicsGetCurrentContext(), art.size);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    auto png = UIImagePNGRepresentation(image);
    return png && NSDataWriteToFile(*png, NSString(file.string()), true);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER [NAME...]\n");
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    std::set<std::string> only(argv + 2, argv + argc);
    std::set<std::string> seen;
    int failures = 0;
    for (const auto& art : artgen::registry()) {
        if (!seen.insert(art.name).second) {
            std::fprintf(stderr, "artgen: %s is registered twice\n", art.name.c_str());
            ++failures;
            continue;
        }
        if (!only.empty() && !only.count(art.name)) continue;
        // A name may hold folders ("vizmap.bundle/images/pin_red"); one with an
        // extension of its own ("redBar.jpg") keeps it, since the screens ask
        // for that file; the bundle reads a picture by its content.
        const std::filesystem::path name(art.name);
        const std::filesystem::path base = name.parent_path() / name.stem();
        const std::string extension = name.has_extension() ? name.extension().string() : ".png";
        std::filesystem::create_directories((out / name).parent_path());
        if (!writeArt(art, 1, out / (base.string() + extension)) ||
            !writeArt(art, 2, out / (base.string() + "@2x" + extension))) {
            std::fprintf(stderr, "artgen: cannot write %s\n", art.name.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
