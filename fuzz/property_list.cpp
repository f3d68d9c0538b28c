// XML property lists as files and stored defaults are read back; what is read
// must write out and read back equal, unless the writer refuses it.
#include <cstdlib>

#include "fuzz/support/FuzzInput.h"
#include "platform/foundation/NSPropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlistValue value = PlistValue::propertyListWithData(fuzz::Bytes(data, size));
    if (value.isNil()) return 0;
    // A writer may refuse a value it cannot store (it then gives no bytes);
    // what it writes must read back equal.
    NSData xml = value.xmlData();
    if (xml.empty()) return 0;
    if (!(PlistValue::propertyListWithData(xml) == value)) std::abort();
    return 0;
}
