// The service replies' XML reader: any bytes read, every element, text and
// attribute of the tree walked.
#include "fuzz/support/FuzzInput.h"
#include "protocol/XMLTree.h"

namespace {

void Walk(const _XMLTreeElement* element)
{
    for (; element; element = element->nextSibling) {
        (void)XMLTree::elementName(element);
        (void)XMLTree::textForElement(element);
        for (const _XMLTreeAttribute* a = element->firstAttribute; a; a = a->next) {
            (void)XMLTree::attributeName(a);
            (void)XMLTree::attributeValue(a);
        }
        if (element->name) (void)XMLTree::childElementNamed(element->name, element->parentElement);
        (void)XMLTree::valueOfAttributeNamed("type", element);
        Walk(element->firstChild);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto tree = XMLTree::initWithXMLData(fuzz::Bytes(data, size));
    Walk(tree->rootXMLElement());
    auto fromText = XMLTree::initWithXMLString(NSString(fuzz::Text(data, size)));
    Walk(fromText->rootXMLElement());
    return 0;
}
