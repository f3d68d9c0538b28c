// The strings tables of the bundle (Localizable.strings and the like).
#include "fuzz/support/FuzzInput.h"
#include "platform/foundation/NSBundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)nxstrings::parseStringsTable(fuzz::Bytes(data, size));
    return 0;
}
