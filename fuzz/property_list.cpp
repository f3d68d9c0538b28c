// Property lists as files and stored defaults are read back, in the XML and
// the binary form; what is read must write out and read back equal, unless
// the writer refuses it.
#include <cstdlib>

#include "fuzz/support/FuzzInput.h"
#include "platform/foundation/NSPropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const NSData input = fuzz::Bytes(data, size);
    PlistValue value = PlistValue::propertyListWithData(input);
    if (value.isNil()) return 0;
    // The binary form keeps every value exactly: written again, the same bytes.
    const NSData binary = value.binaryData();
    if (PlistValue::propertyListWithData(binary).binaryData() != binary) std::abort();
    // The XML form drops fractions of a second, so only what came as XML is
    // held to it. A writer may refuse a value it cannot store (it then gives
    // no bytes); what it writes must read back equal.
    if (PlistValue::isBinaryPropertyList(input)) return 0;
    NSData xml = value.xmlData();
    if (xml.empty()) return 0;
    if (!(PlistValue::propertyListWithData(xml) == value)) std::abort();
    return 0;
}
