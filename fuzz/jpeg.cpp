// JPEG decoding of map tiles and photographs into pixel rows.
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
    size_t length = size;
    int width = 0, height = 0, bits = 0;
    if (uint8_t* pixels = mapengine::DecodeJpegTile(data, &length, &width, &height, &bits)) {
        if (width <= 0 || height <= 0 || length < size_t(width) * size_t(height) * 4) __builtin_trap();
        mapengine::CVMem::Deallocate(pixels);
    }
    return 0;
}
