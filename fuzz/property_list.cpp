// XML property lists as files and stored defaults are read back; what is read
// must write out and read back equal.
#include <cstdlib>

#include "fuzz/support/FuzzInput.h"
#include "platform/foundation/NSPropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlistValue value = PlistValue::propertyListWithData(fuzz::Bytes(data, size));
    if (value.isNil()) return 0;
    PlistValue again = PlistValue::propertyListWithData(value.xmlData());
    if (!(again == value)) std::abort();
    return 0;
}
