// PNG decoding of map tiles and images, as pixel rows and as a bitmap. An
// image of 16 bits per sample must be refused, never decoded.
#include <cstring>

#include "engine/base/VMem.h"
#include "engine/render/ImageDecode.h"
#include "fuzz/support/Engine.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t bytes = 0;
    int width = 0, height = 0;
    // The bit depth as the header chunk (first after the signature) gives it.
    const bool sixteenBit = size > 24 && std::memcmp(data + 12, "IHDR", 4) == 0 && data[24] == 16;
    if (uint8_t* pixels = mapengine::DecodePngTile(data, size, &bytes, &width, &height)) {
        if (sixteenBit || width <= 0 || height <= 0 || bytes < size_t(width) * size_t(height) * 4) __builtin_trap();
        mapengine::CVMem::Deallocate(pixels);
    }
    if (mapengine::tagBitmapObj* bitmap = mapengine::bitmap_create_from_png(data, size, &bytes))
        mapengine::bitmap_free(bitmap);
    return 0;
}
