// The engine's JSON reader on search and service replies: the text is handed
// over zero-terminated in a buffer of exactly its size, and the tree walked.
#include <cstring>
#include <memory>

#include "engine/base/VJson.h"
#include "fuzz/support/Engine.h"

namespace {

void Walk(const mapengine::VJson* node)
{
    for (; node; node = node->next) {
        if (node->valuestring) (void)std::strlen(node->valuestring);
        if (node->name) (void)std::strlen(node->name);
        (void)mapengine::VJson_GetArraySize(node);
        Walk(node->child);
    }
}

}  // namespace

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
    Walk(root);
    mapengine::VJson_Delete(root);
    return 0;
}
