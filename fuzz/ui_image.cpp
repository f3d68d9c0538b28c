// Images from the network as the screens decode them: UIImage from JPEG, PNG
// or any other bytes (a BMP is refused), at the side limit the image loaders
// use. No header may make a decoder take memory beyond what an image of that
// limit needs: an allocation over 256 MB is a finding.
#include <cstring>
#include <vector>

#include "platform/uikit/UIImage.h"

namespace {

constexpr unsigned kMaxImageSide = 4096;  // the image loaders' limit

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The limit goes before the command line's flags, which may still change it.
    static std::vector<char*> args;
    static char limit[] = "-malloc_limit_mb=256";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, limit);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size() - 1);
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto image = UIImage::imageWithData(NSData(data, data + size), kMaxImageSide);
    if (!image) return 0;
    const CGSize s = image->size();
    const bool bmp = size >= 2 && std::memcmp(data, "BM", 2) == 0;
    if (bmp || s.width < 1 || s.height < 1 || s.width > kMaxImageSide || s.height > kMaxImageSide) __builtin_trap();
    return 0;
}
