#include "platform/foundation/NSPropertyList.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSFileManager.h"

PlistValue::PlistValue(NSString s)
{
    if (!s.isNil()) v_ = std::move(s);
}

PlistValue::PlistValue(const std::vector<NSString>& strings)
{
    Array a;
    for (const auto& s : strings) a.emplace_back(s);
    v_ = std::move(a);
}

PlistValue::PlistValue(const std::map<NSString, NSString>& strings)
{
    Dictionary d;
    for (const auto& [k, s] : strings) d.emplace(k, s);
    v_ = std::move(d);
}

PlistValue PlistValue::objectForKey(const NSString& key) const
{
    const auto* d = dictionary();
    if (!d) return {};
    auto it = d->find(key);
    return it == d->end() ? PlistValue() : it->second;
}

std::optional<std::vector<NSString>> PlistValue::stringArray() const
{
    const auto* a = array();
    if (!a) return std::nullopt;
    std::vector<NSString> out;
    for (const auto& v : *a) {
        if (!v.string()) return std::nullopt;
        out.push_back(*v.string());
    }
    return out;
}

std::optional<std::map<NSString, NSString>> PlistValue::stringDictionary() const
{
    const auto* d = dictionary();
    if (!d) return std::nullopt;
    std::map<NSString, NSString> out;
    for (const auto& [k, v] : *d) {
        if (!v.string()) return std::nullopt;
        out.emplace(k, *v.string());
    }
    return out;
}

namespace {

// Dates are written in UTC to the second, as ISO 8601 with a "Z".
std::shared_ptr<NSDateFormatter> isoFormatter()
{
    thread_local auto f = [] {
        auto f = NSDateFormatter::init();
        f->setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
        f->setDateFormat("yyyy-MM-dd'T'HH:mm:ss'Z'");
        return f;
    }();
    return f;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const NSData& d)
{
    std::string out;
    for (size_t i = 0; i < d.size(); i += 3) {
        uint32_t n = uint32_t(d[i]) << 16;
        if (i + 1 < d.size()) n |= uint32_t(d[i + 1]) << 8;
        if (i + 2 < d.size()) n |= d[i + 2];
        out += kBase64[n >> 18 & 63];
        out += kBase64[n >> 12 & 63];
        out += i + 1 < d.size() ? kBase64[n >> 6 & 63] : '=';
        out += i + 2 < d.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

std::optional<NSData> base64Decode(std::string_view text)
{
    NSData out;
    uint32_t acc = 0;
    int bits = 0, pad = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c == '=') {
            ++pad;
            continue;
        }
        const char* p = c ? std::strchr(kBase64, c) : nullptr;
        if (!p || pad) return std::nullopt;  // a foreign byte, or data after the padding
        acc = acc << 6 | static_cast<uint32_t>(p - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>(acc >> bits & 0xFF));
        }
    }
    if (bits >= 6 || pad > 2) return std::nullopt;
    return out;
}

void escapeInto(std::string& out, std::string_view s)
{
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') out += "&#" + std::to_string(u) + ";";
        else out += c;
    }
}

void writeValue(std::string& out, const PlistValue& v, int indent)
{
    if (v.isNil()) return;  // collections hold no nil
    std::string tabs(static_cast<size_t>(indent), '\t');
    out += tabs;
    if (const auto* s = v.string()) {
        out += "<string>";
        escapeInto(out, s->str());
        out += "</string>\n";
    } else if (const auto* b = v.boolean()) {
        out += *b ? "<true/>\n" : "<false/>\n";
    } else if (const auto* i = v.integer()) {
        out += "<integer>" + std::to_string(*i) + "</integer>\n";
    } else if (const auto* r = v.real()) {
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, *r);
        out += "<real>" + std::string(buf, res.ptr) + "</real>\n";
    } else if (const auto* d = v.date()) {
        out += "<date>" + isoFormatter()->stringFromDate(*d).str() + "</date>\n";
    } else if (const auto* data = v.data()) {
        out += "<data>\n";
        std::string b64 = base64Encode(*data);
        for (size_t i = 0; i < b64.size(); i += 68) out += tabs + b64.substr(i, 68) + "\n";
        out += tabs + "</data>\n";
    } else if (const auto* a = v.array()) {
        if (a->empty()) {
            out += "<array/>\n";
            return;
        }
        out += "<array>\n";
        for (const auto& e : *a) writeValue(out, e, indent + 1);
        out += tabs + "</array>\n";
    } else if (const auto* dict = v.dictionary()) {
        if (dict->empty()) {
            out += "<dict/>\n";
            return;
        }
        out += "<dict>\n";
        for (const auto& [k, e] : *dict) {
            if (e.isNil()) continue;
            out += tabs + "\t<key>";
            escapeInto(out, k.str());
            out += "</key>\n";
            writeValue(out, e, indent + 1);
        }
        out += tabs + "</dict>\n";
    }
}

// ---- Reading ------------------------------------------------------------------

struct Tag {
    std::string name;
    bool closing = false;
    bool empty = false;  // <name/>
};

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    PlistValue document()
    {
        skipMisc();
        Tag t;
        if (!readTag(t) || t.closing) return {};
        bool wrapped = t.name == "plist";
        if (wrapped) {
            if (t.empty) return {};
            skipMisc();
            if (!readTag(t) || t.closing) return {};
        }
        auto value = parse(t);
        if (!value) return {};
        skipMisc();
        if (wrapped && !(readTag(t) && t.closing && t.name == "plist")) return {};
        skipMisc();
        return i_ == s_.size() ? *value : PlistValue();
    }

private:
    static constexpr int kMaxDepth = 256;

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    bool startsWith(std::string_view p) const { return s_.substr(i_, p.size()) == p; }

    // Skips blanks, comments, processing instructions and the document type.
    void skipMisc()
    {
        for (;;) {
            while (i_ < s_.size() && isSpace(s_[i_])) ++i_;
            std::string_view end;
            if (startsWith("<!--")) end = "-->";
            else if (startsWith("<?")) end = "?>";
            else if (startsWith("<!DOCTYPE")) end = ">";
            else return;
            size_t at = s_.find(end, i_ + 2);
            i_ = at == std::string_view::npos ? s_.size() : at + end.size();
        }
    }

    bool readTag(Tag& t)
    {
        if (i_ >= s_.size() || s_[i_] != '<') return false;
        ++i_;
        t = Tag();
        if (i_ < s_.size() && s_[i_] == '/') t.closing = true, ++i_;
        size_t start = i_;
        while (i_ < s_.size() && !isSpace(s_[i_]) && s_[i_] != '>' && s_[i_] != '/') ++i_;
        t.name = std::string(s_.substr(start, i_ - start));
        char quote = 0;  // attributes are skipped, quoted values included
        for (; i_ < s_.size(); ++i_) {
            char c = s_[i_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                t.empty = i_ > start && s_[i_ - 1] == '/';
                ++i_;
                return !t.name.empty();
            }
        }
        return false;
    }

    static void appendUTF8(std::string& out, uint32_t cp)
    {
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) out += static_cast<char>(0xC0 | cp >> 6), out += static_cast<char>(0x80 | (cp & 0x3F));
        else if (cp < 0x10000)
            out += static_cast<char>(0xE0 | cp >> 12), out += static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                out += static_cast<char>(0x80 | (cp & 0x3F));
        else
            out += static_cast<char>(0xF0 | cp >> 18), out += static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
                out += static_cast<char>(0x80 | (cp >> 6 & 0x3F)), out += static_cast<char>(0x80 | (cp & 0x3F));
    }

    // Character data up to the next tag, entities and CDATA sections decoded.
    std::optional<std::string> readText()
    {
        std::string out;
        while (i_ < s_.size()) {
            char c = s_[i_];
            if (startsWith("<![CDATA[")) {
                size_t at = s_.find("]]>", i_ + 9);
                if (at == std::string_view::npos) return std::nullopt;
                out += s_.substr(i_ + 9, at - i_ - 9);
                i_ = at + 3;
            } else if (startsWith("<!--")) {
                size_t at = s_.find("-->", i_ + 4);
                if (at == std::string_view::npos) return std::nullopt;
                i_ = at + 3;
            } else if (c == '<') {
                return out;
            } else if (c == '&') {
                size_t semi = s_.find(';', i_);
                if (semi == std::string_view::npos || semi - i_ > 12) return std::nullopt;
                std::string_view ent = s_.substr(i_ + 1, semi - i_ - 1);
                if (ent == "lt") out += '<';
                else if (ent == "gt") out += '>';
                else if (ent == "amp") out += '&';
                else if (ent == "quot") out += '"';
                else if (ent == "apos") out += '\'';
                else if (ent.size() > 1 && ent[0] == '#') {
                    bool hex = ent[1] == 'x' || ent[1] == 'X';
                    std::string_view digits = ent.substr(hex ? 2 : 1);
                    uint32_t cp = 0;
                    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
                    // &#0; is taken as well: it is how the writer keeps a NUL in a
                    // string, which must read back as it was written.
                    if (digits.empty() || r.ec != std::errc() || r.ptr != digits.data() + digits.size() ||
                        cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                        return std::nullopt;
                    appendUTF8(out, cp);
                } else {
                    return std::nullopt;
                }
                i_ = semi + 1;
            } else {
                out += c;
                ++i_;
            }
        }
        return std::nullopt;  // ran off the end
    }

    // The text of a simple element and its closing tag.
    std::optional<std::string> textOf(const Tag& open)
    {
        if (open.empty) return std::string();
        auto text = readText();
        Tag close;
        if (!text || !readTag(close) || !close.closing || close.name != open.name) return std::nullopt;
        return text;
    }

    std::optional<PlistValue> parse(const Tag& open)
    {
        if (open.closing || depth_ >= kMaxDepth) return std::nullopt;
        const std::string& n = open.name;
        if (n == "dict" || n == "array") {
            ++depth_;
            auto v = n == "dict" ? parseDict(open) : parseArray(open);
            --depth_;
            return v;
        }
        if (n == "true" || n == "false") {
            if (!open.empty) {
                Tag close;
                skipMisc();
                if (!readTag(close) || !close.closing || close.name != n) return std::nullopt;
            }
            return PlistValue(n == "true");
        }
        auto text = textOf(open);
        if (!text) return std::nullopt;
        if (n == "string") {
            NSString s = NSString::stringWithData(NSData(text->begin(), text->end()), NSUTF8StringEncoding);
            if (s.isNil()) return std::nullopt;
            return PlistValue(s);
        }
        std::string_view t = trimmed(*text);
        if (n == "integer") {
            if (!t.empty() && t[0] == '+') t.remove_prefix(1);
            long long v = 0;
            auto r = std::from_chars(t.data(), t.data() + t.size(), v);
            if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
            return PlistValue(v);
        }
        if (n == "real") {
            double v = 0;
            auto r = std::from_chars(t.data(), t.data() + t.size(), v);
            if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
            return PlistValue(v);
        }
        if (n == "date") {
            auto d = isoFormatter()->dateFromString(NSString(t));
            if (!d) return std::nullopt;
            return PlistValue(*d);
        }
        if (n == "data") {
            auto d = base64Decode(t);
            if (!d) return std::nullopt;
            return PlistValue(std::move(*d));
        }
        return std::nullopt;
    }

    std::optional<PlistValue> parseDict(const Tag& open)
    {
        PlistValue::Dictionary d;
        if (open.empty) return PlistValue(std::move(d));
        for (;;) {
            skipMisc();
            Tag t;
            if (!readTag(t)) return std::nullopt;
            if (t.closing) {
                if (t.name != "dict") return std::nullopt;
                return PlistValue(std::move(d));
            }
            if (t.name != "key") return std::nullopt;
            auto key = textOf(t);
            if (!key) return std::nullopt;
            skipMisc();
            Tag vt;
            if (!readTag(vt)) return std::nullopt;
            auto v = parse(vt);
            if (!v) return std::nullopt;
            d[NSString(*key)] = std::move(*v);
        }
    }

    std::optional<PlistValue> parseArray(const Tag& open)
    {
        PlistValue::Array a;
        if (open.empty) return PlistValue(std::move(a));
        for (;;) {
            skipMisc();
            Tag t;
            if (!readTag(t)) return std::nullopt;
            if (t.closing) {
                if (t.name != "array") return std::nullopt;
                return PlistValue(std::move(a));
            }
            auto v = parse(t);
            if (!v) return std::nullopt;
            a.push_back(std::move(*v));
        }
    }

    static std::string_view trimmed(std::string_view t)
    {
        while (!t.empty() && isSpace(t.front())) t.remove_prefix(1);
        while (!t.empty() && isSpace(t.back())) t.remove_suffix(1);
        return t;
    }

    std::string_view s_;
    size_t i_ = 0;
    int depth_ = 0;
};

}  // namespace

NSData PlistValue::xmlData() const
{
    if (isNil()) return {};
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    writeValue(out, *this, 0);
    out += "</plist>\n";
    return NSData(out.begin(), out.end());
}

PlistValue PlistValue::propertyListWithData(const NSData& data)
{
    if (isBinaryPropertyList(data)) return propertyListWithBinaryData(data);
    return Reader(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())).document();
}

PlistValue PlistValue::propertyListWithContentsOfFile(const NSString& path)
{
    auto data = NSDataWithContentsOfFile(path);
    return data ? propertyListWithData(*data) : PlistValue();
}

PlistValue PlistValue::dictionaryWithContentsOfFile(const NSString& path)
{
    PlistValue v = propertyListWithContentsOfFile(path);
    return v.dictionary() ? v : PlistValue();
}

PlistValue PlistValue::arrayWithContentsOfFile(const NSString& path)
{
    PlistValue v = propertyListWithContentsOfFile(path);
    return v.array() ? v : PlistValue();
}

bool PlistValue::writeToFile(const NSString& path, bool atomically) const
{
    return !isNil() && NSDataWriteToFile(xmlData(), path, atomically);
}
