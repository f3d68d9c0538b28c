#include "protocol/XMLTree.h"

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "protocol/NSDataAdditions.h"
#include "protocol/UTF8Check.h"

#include <algorithm>
#include <cstring>

namespace {

bool isSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

char* skipSpace(char* p)
{
    while (isSpace(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// Finds `marker` in [from, end); null when absent.
char* find(char* from, char* end, std::string_view marker)
{
    if (from >= end) return nullptr;
    std::string_view hay(from, static_cast<size_t>(end - from));
    size_t at = hay.find(marker);
    return at == std::string_view::npos ? nullptr : from + at;
}

bool startsWith(const char* p, const char* end, std::string_view marker)
{
    return static_cast<size_t>(end - p) >= marker.size() && std::memcmp(p, marker.data(), marker.size()) == 0;
}

constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";

// Writes the code point as UTF-8; false for code points XML text cannot hold here.
bool putUTF8(unsigned long cp, char*& out)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return true;
}

// Decodes the reference between "&" and ";" (exclusive) into out. Every
// reference is at least as long as what it stands for, so this can write
// over the bytes it reads.
bool decodeReference(std::string_view ref, char*& out)
{
    static constexpr struct { std::string_view name; char c; } named[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& n : named) {
        if (ref == n.name) {
            *out++ = n.c;
            return true;
        }
    }
    if (ref.size() < 2 || ref[0] != '#') return false;
    bool hex = ref[1] == 'x';
    std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    unsigned long cp = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
    }
    return putUTF8(cp, out);
}

// Moves [src, end) to out, decoding references; an "&" that starts no known
// reference stays as written. out never passes src.
void appendDecoded(char*& out, const char* src, const char* end)
{
    while (src < end) {
        const char* amp = static_cast<const char*>(std::memchr(src, '&', static_cast<size_t>(end - src)));
        const char* chunkEnd = amp ? amp : end;
        if (out != src) std::memmove(out, src, static_cast<size_t>(chunkEnd - src));
        out += chunkEnd - src;
        if (!amp) return;
        const char* semi = static_cast<const char*>(std::memchr(amp, ';', static_cast<size_t>(std::min<ptrdiff_t>(end - amp, 12))));
        if (semi && decodeReference(std::string_view(amp + 1, static_cast<size_t>(semi - amp - 1)), out)) {
            src = semi + 1;
        } else {
            *out++ = '&';
            src = amp + 1;
        }
    }
}

void appendVerbatim(char*& out, const char* src, const char* end)
{
    if (out != src) std::memmove(out, src, static_cast<size_t>(end - src));
    out += end - src;
}

// Trims white space at both ends of a zero-terminated text, in place.
char* trim(char* text)
{
    text = skipSpace(text);
    char* end = text + std::strlen(text);
    while (end > text && isSpace(static_cast<unsigned char>(end[-1]))) --end;
    *end = '\0';
    return text;
}

NSString stringFromBytes(const char* bytes)
{
    if (!bytes) return NSString("");
    std::string_view text(bytes);
    return UTF8IsWellFormed(text) ? NSString(text) : NSString();
}

bool nameIs(const char* candidate, std::string_view name)
{
    return std::strlen(candidate) == name.size() && std::memcmp(candidate, name.data(), name.size()) == 0;
}

}  // namespace

std::shared_ptr<XMLTree> XMLTree::initWithXMLString(const NSString& xml)
{
    auto tree = std::make_shared<XMLTree>();
    if (!xml.isNil()) tree->decodeData(xml.str().data(), xml.str().size());
    return tree;
}

std::shared_ptr<XMLTree> XMLTree::initWithXMLData(const NSData& data)
{
    auto tree = std::make_shared<XMLTree>();
    tree->decodeData(reinterpret_cast<const char*>(data.data()), data.size());
    return tree;
}

std::shared_ptr<XMLTree> XMLTree::initWithXMLFile(const NSString& name, const NSString& extension)
{
    NSString path = NSBundle::mainBundle()->pathForResource(name, extension);
    std::optional<NSData> data;
    if (!path.isNil()) data = NSDataAdditions::dataWithUncompressedContentsOfFile(path);
    return initWithXMLData(data ? *data : NSData());
}

std::shared_ptr<XMLTree> XMLTree::initWithXMLFile(const NSString& fileName)
{
    NSString extension = fileName.pathExtension();
    NSString name = extension.length() ? fileName.substringToIndex(fileName.length() - extension.length() - 1) : fileName;
    return initWithXMLFile(name, extension);
}

std::shared_ptr<XMLTree> XMLTree::initWithURL(const std::shared_ptr<NSURL>& url)
{
    std::optional<NSData> content;
    if (url && url->scheme().lowercaseString() == "file") {
        content = NSDataWithContentsOfFile(url->path());
    } else if (url) {
        auto request = NXHTTPRequest::requestWithURL(url);
        request->startSynchronous();
        const int status = request->responseStatusCode();
        if (!request->error() && status >= 200 && status <= 299) content = request->responseData();
    }
    return initWithXMLString(content ? NSString::stringWithData(*content, NSUTF8StringEncoding) : NSString());
}

void XMLTree::decodeData(const char* bytes, size_t length)
{
    const void* zero = length ? std::memchr(bytes, '\0', length) : nullptr;
    length_ = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : length;
    buffer_ = std::make_unique<char[]>(length_ + 1);
    if (length_) std::memcpy(buffer_.get(), bytes, length_);
    buffer_[length_] = '\0';
    if (!decodeBytes()) root_ = nullptr;
}

_XMLTreeElement* XMLTree::nextAvailableElement()
{
    if (elementsUsed_ == kPoolBlock) {
        elementBlocks_.push_back(std::make_unique<_XMLTreeElement[]>(kPoolBlock));
        elementsUsed_ = 0;
    }
    return &elementBlocks_.back()[elementsUsed_++];
}

_XMLTreeAttribute* XMLTree::nextAvailableAttribute()
{
    if (attributesUsed_ == kPoolBlock) {
        attributeBlocks_.push_back(std::make_unique<_XMLTreeAttribute[]>(kPoolBlock));
        attributesUsed_ = 0;
    }
    return &attributeBlocks_.back()[attributesUsed_++];
}

// One pass over the buffer. `textEnd` is where the current element's text is
// being written (decoded in place), null while no text is being collected.
bool XMLTree::decodeBytes()
{
    char* const end = buffer_.get() + length_;
    char* p = buffer_.get();
    _XMLTreeElement* current = nullptr;
    char* textEnd = nullptr;

    for (;;) {
        char* lt = static_cast<char*>(std::memchr(p, '<', static_cast<size_t>(end - p)));
        if (!lt) lt = end;
        if (textEnd) appendDecoded(textEnd, p, lt);
        if (lt == end) break;

        if (startsWith(lt, end, "<!--")) {
            // A comment inside an element's text stays part of that text.
            char* close = find(lt + 4, end, "-->");
            if (!close) return false;
            if (textEnd) appendVerbatim(textEnd, lt, close + 3);
            p = close + 3;
            continue;
        }
        if (startsWith(lt, end, kCDataOpen)) {
            char* close = find(lt + kCDataOpen.size(), end, kCDataClose);
            if (!close) return false;
            if (textEnd) appendVerbatim(textEnd, lt + kCDataOpen.size(), close);
            p = close + kCDataClose.size();
            continue;
        }

        const char kind = lt[1];
        if (textEnd) *textEnd = '\0';  // lt itself may be overwritten: kind is read
        textEnd = nullptr;

        if (kind == '!' || kind == '?') {
            char* gt = static_cast<char*>(std::memchr(lt + 1, '>', static_cast<size_t>(end - lt - 1)));
            if (!gt) return false;
            p = gt + 1;
        } else if (kind == '/') {
            char* q = lt + 2;
            while (q < end && *q != '>' && *q != '<') ++q;
            if (q == end || *q == '<') return false;
            if (current) {
                if (current->text) current->text = trim(current->text);
                current = current->parentElement;
                if (current) current->text = nullptr;  // an element with children keeps no text
            }
            p = q + 1;
        } else {
            p = lt;
            if (!readStartTag(p, current, textEnd)) return false;
        }
    }
    // Elements still open: the document was cut.
    return current == nullptr;
}

// Reads the start tag at p ("<name attributes>" or "<name attributes/>"),
// links its element and leaves p after the tag.
bool XMLTree::readStartTag(char*& p, _XMLTreeElement*& current, char*& textEnd)
{
    _XMLTreeElement* element = nextAvailableElement();
    if (!root_) root_ = element;
    if (current) {
        element->parentElement = current;
        if (current->lastChild) {
            current->lastChild->nextSibling = element;
            element->previousSibling = current->lastChild;
        } else {
            current->firstChild = element;
        }
        current->lastChild = element;
    }

    char* s = p + 1;
    element->name = s;
    while (*s && !isSpace(static_cast<unsigned char>(*s)) && *s != '/' && *s != '>' && *s != '<') ++s;
    char* nameEnd = s;

    _XMLTreeAttribute* lastAttribute = nullptr;
    bool selfClosing = false;
    for (;;) {
        s = skipSpace(s);
        if (*s == '\0' || *s == '<') return false;
        if (*s == '>') break;
        if (*s == '/') {
            if (s[1] == '>') {
                selfClosing = true;
                ++s;
                break;
            }
            ++s;
            continue;
        }
        char* attrName = s;
        while (*s && !isSpace(static_cast<unsigned char>(*s)) && *s != '=' && *s != '>' && *s != '/' && *s != '<') ++s;
        if (*s == '\0' || *s == '<') return false;
        if (*s == '>' || *s == '/') continue;  // a name without value is dropped
        char* attrNameEnd = s;
        s = skipSpace(s);
        if (*s == '=') s = skipSpace(s + 1);
        if (*s != '"' && *s != '\'') continue;  // an unquoted value is dropped
        const char quote = *s;
        char* value = ++s;
        char* out = value;
        for (;;) {
            char* stop = s;
            while (*stop && *stop != quote && *stop != '<') ++stop;
            appendDecoded(out, s, stop);
            if (*stop == '\0') return false;  // unterminated quote
            if (*stop == quote) {
                s = stop + 1;
                break;
            }
            if (startsWith(stop, stop + std::strlen(stop), kCDataOpen)) {
                char* inner = stop + kCDataOpen.size();
                char* close = std::strstr(inner, kCDataClose.data());
                if (!close) return false;
                appendVerbatim(out, inner, close);
                s = close + kCDataClose.size();
            } else {
                *out++ = '<';
                s = stop + 1;
            }
        }
        *attrNameEnd = '\0';
        *out = '\0';
        _XMLTreeAttribute* attribute = nextAvailableAttribute();
        attribute->name = attrName;
        attribute->value = value;
        (lastAttribute ? lastAttribute->next : element->firstAttribute) = attribute;
        lastAttribute = attribute;
    }
    // s is at the closing ">"; the name end may be that very byte.
    *nameEnd = '\0';
    p = s + 1;
    if (!selfClosing) {
        element->text = p;
        textEnd = p;
        current = element;
    }
    return true;
}

_XMLTreeElement* XMLTree::childElementNamed(std::string_view name, const _XMLTreeElement* parent)
{
    if (!parent) return nullptr;
    for (_XMLTreeElement* child = parent->firstChild; child; child = child->nextSibling) {
        if (nameIs(child->name, name)) return child;
    }
    return nullptr;
}

_XMLTreeElement* XMLTree::nextSiblingNamed(std::string_view name, const _XMLTreeElement* element)
{
    if (!element) return nullptr;
    for (_XMLTreeElement* next = element->nextSibling; next; next = next->nextSibling) {
        if (nameIs(next->name, name)) return next;
    }
    return nullptr;
}

NSString XMLTree::textForElement(const _XMLTreeElement* element)
{
    return element ? stringFromBytes(element->text) : NSString();
}

NSString XMLTree::elementName(const _XMLTreeElement* element)
{
    return element ? stringFromBytes(element->name) : NSString();
}

NSString XMLTree::attributeName(const _XMLTreeAttribute* attribute)
{
    return attribute ? stringFromBytes(attribute->name) : NSString();
}

NSString XMLTree::attributeValue(const _XMLTreeAttribute* attribute)
{
    return attribute ? stringFromBytes(attribute->value) : NSString();
}

NSString XMLTree::valueOfAttributeNamed(std::string_view name, const _XMLTreeElement* element)
{
    if (!element) return NSString();
    for (const _XMLTreeAttribute* a = element->firstAttribute; a; a = a->next) {
        if (nameIs(a->name, name)) return stringFromBytes(a->value);
    }
    return NSString();
}
