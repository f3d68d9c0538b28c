#pragma once
// A small in-place XML reader for the service's replies. The document is copied
// once into a buffer of the reader; names, texts and attribute values are cut out
// of that buffer (zero-terminated, entities decoded in place) and the element
// records come from pools of 100. Everything handed out lives as long as the
// reader.
//
// A document that is cut or malformed past recovery (an unterminated tag, quote,
// comment or CDATA section, or elements still open at the end) is refused: the
// reader then has no root. Misnamed closing tags and stray text are tolerated.

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSString.h"

struct _XMLTreeAttribute {
    char* name;
    char* value;
    _XMLTreeAttribute* next;
};

struct _XMLTreeElement {
    char* name;
    char* text;  // null for an element with children or without content
    _XMLTreeAttribute* firstAttribute;
    _XMLTreeElement* parentElement;
    _XMLTreeElement* firstChild;
    _XMLTreeElement* lastChild;
    _XMLTreeElement* nextSibling;
    _XMLTreeElement* previousSibling;
};

class XMLTree : public NSObject {
public:
    XMLTree() = default;
    XMLTree(const XMLTree&) = delete;
    XMLTree& operator=(const XMLTree&) = delete;

    // Copies the text's UTF-8 bytes and reads them; a nil text gives a reader without root.
    static std::shared_ptr<XMLTree> initWithXMLString(const NSString& xml);
    // Copies the bytes (up to the first zero byte) and reads them.
    static std::shared_ptr<XMLTree> initWithXMLData(const NSData& data);
    // Reads the resource "name.extension" of the main bundle, inflated when the
    // extension is "gz"; a reader without root when it cannot be read.
    static std::shared_ptr<XMLTree> initWithXMLFile(const NSString& name, const NSString& extension);
    // As above, with "name.extension" given whole.
    static std::shared_ptr<XMLTree> initWithXMLFile(const NSString& fileName);
    // Loads the URL's content (a file, or the body of a successful HTTP GET,
    // waited for) as UTF-8 text and reads it; a reader without root when it
    // cannot be loaded or is not UTF-8.
    static std::shared_ptr<XMLTree> initWithURL(const std::shared_ptr<NSURL>& url);

    // The convenience constructors, the same readers.
    static std::shared_ptr<XMLTree> xmlTreeWithXMLString(const NSString& xml) { return initWithXMLString(xml); }
    static std::shared_ptr<XMLTree> xmlTreeWithXMLData(const NSData& data) { return initWithXMLData(data); }
    static std::shared_ptr<XMLTree> xmlTreeWithURL(const std::shared_ptr<NSURL>& url) { return initWithURL(url); }
    static std::shared_ptr<XMLTree> xmlTreeWithXMLFile(const NSString& name, const NSString& extension)
    {
        return initWithXMLFile(name, extension);
    }
    static std::shared_ptr<XMLTree> xmlTreeWithXMLFile(const NSString& fileName) { return initWithXMLFile(fileName); }

    // The first element of the document; null when there is none or the document was refused.
    _XMLTreeElement* rootXMLElement() const { return root_; }

    // The first child of `parent` named exactly `name`, or null.
    static _XMLTreeElement* childElementNamed(std::string_view name, const _XMLTreeElement* parent);
    // The first following sibling of `element` named exactly `name`, or null.
    static _XMLTreeElement* nextSiblingNamed(std::string_view name, const _XMLTreeElement* element);
    // The element's text; "" when it has none; nil for bytes that are not UTF-8 or a null element.
    static NSString textForElement(const _XMLTreeElement* element);
    // As textForElement, for the element's name.
    static NSString elementName(const _XMLTreeElement* element);
    static NSString attributeName(const _XMLTreeAttribute* attribute);
    static NSString attributeValue(const _XMLTreeAttribute* attribute);
    // The value of the element's first attribute named exactly `name`, or nil.
    static NSString valueOfAttributeNamed(std::string_view name, const _XMLTreeElement* element);

private:
    static constexpr size_t kPoolBlock = 100;

    void decodeData(const char* bytes, size_t length);
    bool decodeBytes();
    bool readStartTag(char*& p, _XMLTreeElement*& current, char*& textEnd);
    _XMLTreeElement* nextAvailableElement();
    _XMLTreeAttribute* nextAvailableAttribute();

    std::unique_ptr<char[]> buffer_;
    size_t length_ = 0;
    std::vector<std::unique_ptr<_XMLTreeElement[]>> elementBlocks_;
    std::vector<std::unique_ptr<_XMLTreeAttribute[]>> attributeBlocks_;
    size_t elementsUsed_ = kPoolBlock;
    size_t attributesUsed_ = kPoolBlock;
    _XMLTreeElement* root_ = nullptr;
};
