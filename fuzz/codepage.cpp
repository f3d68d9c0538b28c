// Code-page conversion of the service's byte texts: GBK and UTF-8 to UTF-16
// into buffers of exactly the counted size, and back.
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/base/VCMMap.h"
#include "engine/base/VMem.h"
#include "fuzz/support/Engine.h"

namespace {

void RoundTrip(unsigned codePage, const char* text, int length)
{
    using namespace mapengine;
    int units = MultiByteToWide(codePage, text, length, nullptr, 0);
    if (units < 0) std::abort();
    auto wide = std::make_unique<unsigned short[]>(static_cast<size_t>(units) + 1);
    if (MultiByteToWide(codePage, text, length, wide.get(), units) != units) std::abort();
    int bytes = WideToMultiByte(codePage, wide.get(), units, nullptr, 0);
    if (bytes < 0) std::abort();
    auto narrow = std::make_unique<char[]>(static_cast<size_t>(bytes) + 1);
    if (WideToMultiByte(codePage, wide.get(), units, narrow.get(), bytes) != bytes) std::abort();
    // Short outputs: never a unit or byte past the capacity.
    (void)MultiByteToWide(codePage, text, length, wide.get(), units / 2);
    (void)WideToMultiByte(codePage, wide.get(), units, narrow.get(), bytes / 2);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    const int length = static_cast<int>(size);
    RoundTrip(mapengine::kCodePageGbk, text.data(), length);
    RoundTrip(mapengine::kCodePageUtf8, text.data(), length);
    int gbkLength = 0;
    if (char* gbk = mapengine::Utf8ToLocal(text.data(), length, &gbkLength)) mapengine::VDelete(gbk);
    return 0;
}
