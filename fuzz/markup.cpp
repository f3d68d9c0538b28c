// The engine's markup reader on gateway pages and markup files: the bytes as
// GBK text (as a reply is read) and as UTF-16 units.
#include <string>
#include <vector>

#include "engine/base/Markup.h"
#include "fuzz/support/Engine.h"

namespace {

void Walk(const mapengine::tagMarkupNode* node)
{
    for (; node; node = node->next) {
        (void)node->text.GetLength();
        Walk(node->child);
    }
}

void Parse(const mapengine::CVString& text)
{
    mapengine::tagMarkupNode* tree = mapengine::ParseMarkup(text);
    Walk(tree);
    mapengine::FreeMarkupTree(tree);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string gbk(reinterpret_cast<const char*>(data), size);
    Parse(mapengine::CVString(gbk.c_str()));
    std::vector<unsigned short> units(size / 2 + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2) units[i / 2] = static_cast<unsigned short>(data[i] | data[i + 1] << 8);
    Parse(mapengine::CVString(units.data()));
    return 0;
}
