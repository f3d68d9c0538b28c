// BMP import of bitmaps: from memory, and from a file as the renderer loads it.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/render/VDraw.h"
#include "fuzz/support/Engine.h"

namespace {

std::string path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    path = "/tmp/fuzz-bmp-" + std::to_string(::getpid()) + ".bmp";
    std::atexit([] { ::unlink(path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (mapengine::tagBitmapObj* bitmap = mapengine::bitmap_create_from_bmp(data, size)) mapengine::bitmap_free(bitmap);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    mapengine::CVBitmap bitmap;
    (void)bitmap.LoadBMPFile(mapengine::CVString(path.c_str()));
    return 0;
}
