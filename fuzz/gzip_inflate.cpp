// The request engine's in-memory inflation (gzip or zlib, as a reply body or a
// compressed resource file arrives), under a small output limit.
#include "fuzz/support/FuzzInput.h"
#include "protocol/NSDataAdditions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NSData compressed = fuzz::Bytes(data, size);
    auto inflated = nxhttp::uncompressZippedData(compressed, size_t{1} << 20);
    if (inflated && inflated->size() > (size_t{1} << 20)) __builtin_trap();
    (void)NSDataAdditions::gzipInflate(compressed, size_t{1} << 20);
    return 0;
}
