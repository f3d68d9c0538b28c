// Base64 decoding in both alphabets; what decodes must encode and decode back
// to the same bytes.
#include <cstdlib>

#include "fuzz/support/FuzzInput.h"
#include "protocol/Base64Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (auto decoded = Base64Codec::decodeBytes(data, size); decoded && !decoded->empty()) {
        auto again = Base64Codec::decodeData(*Base64Codec::encodeData(*decoded));
        if (!again || *again != *decoded) std::abort();
    }
    if (auto decoded = Base64Codec::webSafeDecodeBytes(data, size); decoded && !decoded->empty()) {
        auto again = Base64Codec::webSafeDecodeData(*Base64Codec::webSafeEncodeData(*decoded, false));
        if (!again || *again != *decoded) std::abort();
    }
    (void)Base64Codec::decodeString(NSString(fuzz::Text(data, size)));
    return 0;
}
