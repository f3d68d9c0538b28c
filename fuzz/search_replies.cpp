// The engine's search and service reply parsers on any reply the service
// might send: the text is read by the JSON reader and every parser run on it.
#include <cstring>
#include <memory>

#include "engine/base/VJson.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/EveryParser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto text = std::make_unique<char[]>(size + 1);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    mapengine::VJson* root = mapengine::VJson_Parse(text.get());
    if (root) mapengine::ParseWithEvery(root);
    mapengine::VJson_Delete(root);
    return 0;
}
