// The engine's gzip decoder on compressed replies and data files, under a
// small output cap.
#include "engine/base/GzipDecoder.h"
#include "engine/base/VMem.h"
#include "fuzz/support/Engine.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr int kCap = 1 << 20;
    unsigned char* out = nullptr;
    int length = 0;
    if (mapengine::GunzipToBuffer(data, static_cast<int>(size), &out, &length, kCap) == 1) {
        if (length < 0 || length > kCap || out[length] != 0) __builtin_trap();
        mapengine::CVMem::Deallocate(out);
    }
    return 0;
}
