#include "platform/foundation/NSString.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "platform/foundation/NSException.h"

NSString NSObject::description() const
{
    return NSString::stringWithFormat("<object %p>", static_cast<const void*>(this));
}

namespace {

const std::string kEmpty;

std::u16string toUTF16(std::string_view utf8)
{
    if (utf8.empty()) return {};
    UErrorCode err = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8WithSub(nullptr, 0, &needed, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
    std::u16string out(static_cast<size_t>(needed), u'\0');
    err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), needed, nullptr, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
    return out;
}

std::string toUTF8(const unichar* chars, size_t length)
{
    if (length == 0) return {};
    UErrorCode err = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8WithSub(nullptr, 0, &needed, chars, static_cast<int32_t>(length), 0xFFFD, nullptr, &err);
    std::string out(static_cast<size_t>(needed), '\0');
    err = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), needed, nullptr, chars, static_cast<int32_t>(length), 0xFFFD, nullptr, &err);
    return out;
}

bool isValidUTF8(std::string_view bytes)
{
    UErrorCode err = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8(nullptr, 0, &needed, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    return err == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(err) || (err == U_STRING_NOT_TERMINATED_WARNING);
}

std::u16string foldCase(std::u16string s)
{
    for (auto& c : s) c = static_cast<unichar>(u_foldCase(c, U_FOLD_CASE_DEFAULT));
    return s;
}

[[noreturn]] void rangeError(const char* method, NSUInteger location, NSUInteger length, NSUInteger size)
{
    throw NSException(NSRangeException,
                      NSString::stringWithFormat("-[NSString %s]: Range {%lu, %lu} out of bounds; string length %lu",
                                                 method, location, length, size));
}

bool isBlank(unichar c, NSCharacterSet set)
{
    if (c == u' ' || c == u'\t' || c == 0xA0 || u_charType(c) == U_SPACE_SEPARATOR) return true;
    if (set == NSCharacterSet::whitespaceAndNewlineCharacterSet)
        return c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 || c == 0x2029;
    return false;
}

// The part of the text a number reading looks at: leading blanks skipped.
const char* skipBlanks(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    return p;
}

}  // namespace

NSString::NSString(const char* utf8)
{
    if (utf8) s_ = utf8;
}

const std::string& NSString::emptyBytes() { return kEmpty; }

NSString NSString::stringWithCharacters(const unichar* chars, NSUInteger length)
{
    return NSString(toUTF8(chars, length));
}

NSString NSString::stringWithData(const NSData& data, NSStringEncoding encoding)
{
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    switch (encoding) {
    case NSUTF8StringEncoding:
        if (!isValidUTF8(bytes)) return {};
        return NSString(std::string(bytes));
    case NSASCIIStringEncoding:
        if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; }))
            return {};
        return NSString(std::string(bytes));
    case NSISOLatin1StringEncoding: {
        std::u16string units(bytes.begin(), bytes.end());
        for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<unsigned char>(bytes[i]);
        return stringWithUTF16(units);
    }
    case NSUTF16StringEncoding: {
        if (data.size() % 2) return {};
        std::u16string units(data.size() / 2, u'\0');
        bool big = false;
        size_t start = 0;
        if (data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) big = true, start = 1;
        else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) start = 1;
        for (size_t i = 0; i < units.size(); ++i)
            units[i] = big ? static_cast<unichar>(data[2 * i] << 8 | data[2 * i + 1])
                           : static_cast<unichar>(data[2 * i + 1] << 8 | data[2 * i]);
        return stringWithUTF16(units.substr(start));
    }
    }
    return {};
}

NSUInteger NSString::length() const
{
    NSUInteger n = 0;
    for (unsigned char c : str()) {
        if ((c & 0xC0) == 0x80) continue;  // continuation byte
        n += c >= 0xF0 ? 2 : 1;            // four-byte sequences are surrogate pairs
    }
    return n;
}

std::u16string NSString::utf16() const { return toUTF16(str()); }

unichar NSString::characterAtIndex(NSUInteger index) const
{
    auto units = utf16();
    if (index >= units.size()) rangeError("characterAtIndex:", index, 0, units.size());
    return units[index];
}

NSUInteger NSString::lengthOfBytesUsingEncoding(NSStringEncoding encoding) const
{
    auto data = dataUsingEncoding(encoding);
    return data ? data->size() : 0;
}

std::optional<NSData> NSString::dataUsingEncoding(NSStringEncoding encoding) const
{
    if (isNil()) return std::nullopt;
    if (encoding == NSUTF8StringEncoding) return NSData(str().begin(), str().end());
    auto units = utf16();
    NSData out;
    for (unichar c : units) {
        switch (encoding) {
        case NSASCIIStringEncoding:
            if (c > 0x7F) return std::nullopt;
            out.push_back(static_cast<uint8_t>(c));
            break;
        case NSISOLatin1StringEncoding:
            if (c > 0xFF) return std::nullopt;
            out.push_back(static_cast<uint8_t>(c));
            break;
        default:  // UTF-16 in the machine's (little-endian) order
            out.push_back(static_cast<uint8_t>(c & 0xFF));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    return out;
}

NSComparisonResult NSString::compare(const NSString& other, NSUInteger options) const
{
    int r;
    if (options & NSCaseInsensitiveSearch) {
        auto a = foldCase(utf16()), b = foldCase(other.utf16());
        r = a.compare(b);
    } else {
        r = utf16().compare(other.utf16());
    }
    return r < 0 ? NSOrderedAscending : r > 0 ? NSOrderedDescending : NSOrderedSame;
}

bool NSString::hasPrefix(const NSString& prefix) const
{
    return !isNil() && !prefix.isNil() && !prefix.str().empty() && str().starts_with(prefix.str());
}

bool NSString::hasSuffix(const NSString& suffix) const
{
    return !isNil() && !suffix.isNil() && !suffix.str().empty() && str().ends_with(suffix.str());
}

NSRange NSString::rangeOfString(const NSString& needle, NSUInteger options) const
{
    const NSRange notFound{static_cast<NSUInteger>(NSNotFound), 0};
    if (isNil() || needle.isNil() || needle.str().empty()) return notFound;
    std::u16string hay = utf16(), pin = needle.utf16();
    if (options & NSCaseInsensitiveSearch) hay = foldCase(hay), pin = foldCase(pin);
    size_t at = (options & NSBackwardsSearch) ? hay.rfind(pin) : hay.find(pin);
    if (at == std::u16string::npos) return notFound;
    return {at, pin.size()};
}

NSString NSString::substringWithRange(NSRange range) const
{
    auto units = utf16();
    if (range.location > units.size() || range.length > units.size() - range.location)
        rangeError("substringWithRange:", range.location, range.length, units.size());
    if (isNil()) return {};
    return NSString(toUTF8(units.data() + range.location, range.length));
}

NSString NSString::substringFromIndex(NSUInteger from) const
{
    NSUInteger n = length();
    if (from > n) rangeError("substringFromIndex:", from, 0, n);
    return substringWithRange({from, n - from});
}

NSString NSString::substringToIndex(NSUInteger to) const
{
    NSUInteger n = length();
    if (to > n) rangeError("substringToIndex:", to, 0, n);
    return substringWithRange({0, to});
}

std::vector<NSString> NSString::componentsSeparatedByString(const NSString& separator) const
{
    std::vector<NSString> out;
    const std::string& s = str();
    const std::string& sep = separator.str();
    if (sep.empty()) return {*this};
    size_t start = 0;
    for (size_t at; (at = s.find(sep, start)) != std::string::npos; start = at + sep.size())
        out.emplace_back(s.substr(start, at - start));
    out.emplace_back(s.substr(start));
    return out;
}

NSString NSString::stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement) const
{
    if (isNil() || target.str().empty()) return *this;
    std::string out;
    const std::string& s = str();
    const std::string& t = target.str();
    size_t start = 0;
    for (size_t at; (at = s.find(t, start)) != std::string::npos; start = at + t.size()) {
        out.append(s, start, at - start);
        out.append(replacement.str());
    }
    out.append(s, start, std::string::npos);
    return NSString(std::move(out));
}

NSString NSString::stringByTrimmingCharactersInSet(NSCharacterSet set) const
{
    if (isNil()) return {};
    auto units = utf16();
    size_t b = 0, e = units.size();
    while (b < e && isBlank(units[b], set)) ++b;
    while (e > b && isBlank(units[e - 1], set)) --e;
    return NSString(toUTF8(units.data() + b, e - b));
}

NSString NSString::stringByAppendingString(const NSString& tail) const
{
    return NSString(str() + tail.str());
}

NSString NSString::lowercaseString() const
{
    if (isNil()) return {};
    // Plain ASCII (schemes, hosts, header names) lowers byte by byte, as the
    // root locale's rules do for it, without the road through UTF-16.
    std::string ascii = str();
    bool allAscii = true;
    for (char& c : ascii) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            allAscii = false;
            break;
        }
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (allAscii) return NSString(std::move(ascii));
    auto units = utf16();
    std::u16string out(units.size() * 2 + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = u_strToLower(out.data(), static_cast<int32_t>(out.size()), units.data(),
                             static_cast<int32_t>(units.size()), "", &err);
    return U_SUCCESS(err) ? NSString(toUTF8(out.data(), static_cast<size_t>(n))) : *this;
}

NSString NSString::uppercaseString() const
{
    if (isNil()) return {};
    auto units = utf16();
    std::u16string out(units.size() * 3 + 1, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t n = u_strToUpper(out.data(), static_cast<int32_t>(out.size()), units.data(),
                             static_cast<int32_t>(units.size()), "", &err);
    return U_SUCCESS(err) ? NSString(toUTF8(out.data(), static_cast<size_t>(n))) : *this;
}

NSString NSString::stringByAppendingPathComponent(const NSString& component) const
{
    std::string base = str();
    std::string tail = component.str();
    while (!tail.empty() && tail.front() == '/') tail.erase(0, 1);
    if (base.empty()) return NSString(tail);
    if (tail.empty()) return NSString(base);
    if (base.back() != '/') base += '/';
    return NSString(base + tail);
}

NSString NSString::lastPathComponent() const
{
    std::string s = str();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    size_t at = s.rfind('/');
    if (at == std::string::npos || s.size() == 1) return NSString(s);
    return NSString(s.substr(at + 1));
}

NSString NSString::stringByDeletingLastPathComponent() const
{
    std::string s = str();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    size_t at = s.rfind('/');
    if (at == std::string::npos) return NSString("");
    if (at == 0) return NSString("/");
    return NSString(s.substr(0, at));
}

NSString NSString::pathExtension() const
{
    NSString last = lastPathComponent();
    size_t at = last.str().rfind('.');
    if (at == std::string::npos || at == 0) return NSString("");
    return NSString(last.str().substr(at + 1));
}

long long NSString::longLongValue() const
{
    const char* p = skipBlanks(str().c_str());
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    unsigned long long v = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        unsigned digit = static_cast<unsigned>(*p - '0');
        if (v > (static_cast<unsigned long long>(LLONG_MAX) + 1 - digit) / 10) overflow = true;
        else v = v * 10 + digit;
    }
    if (negative) {
        if (overflow || v > static_cast<unsigned long long>(LLONG_MAX) + 1) return LLONG_MIN;
        return v == static_cast<unsigned long long>(LLONG_MAX) + 1 ? LLONG_MIN : -static_cast<long long>(v);
    }
    if (overflow || v > static_cast<unsigned long long>(LLONG_MAX)) return LLONG_MAX;
    return static_cast<long long>(v);
}

NSInteger NSString::integerValue() const { return static_cast<NSInteger>(longLongValue()); }

int NSString::intValue() const
{
    return static_cast<int>(std::clamp<long long>(longLongValue(), INT_MIN, INT_MAX));
}

double NSString::doubleValue() const
{
    // Always the C locale's decimal point, whatever the machine's locale.
    static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    const char* p = skipBlanks(str().c_str());
    // Only decimal notation counts: "0x10" reads as 0 and "inf"/"nan" as 0.
    const char* q = p;
    if (*q == '+' || *q == '-') ++q;
    if (!((*q >= '0' && *q <= '9') || (*q == '.' && q[1] >= '0' && q[1] <= '9'))) return 0.0;
    std::string digits;
    for (const char* r = p; *r; ++r) {
        if (*r == 'x' || *r == 'X') break;
        digits += *r;
    }
    double v = strtod_l(digits.c_str(), nullptr, cLocale);
    return v;
}

bool NSString::boolValue() const
{
    const char* p = skipBlanks(str().c_str());
    if (*p == '+' || *p == '-') ++p;
    while (*p == '0') ++p;
    return *p == 'Y' || *p == 'y' || *p == 'T' || *p == 't' || (*p >= '1' && *p <= '9');
}

std::ostream& operator<<(std::ostream& os, const NSString& s)
{
    return os << (s.isNil() ? "(null)" : s.str());
}

// ---- Formatting -------------------------------------------------------------

namespace nsformat {
namespace {

struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string length;
    char conversion = 0;
};

long long asSigned(const Arg& a)
{
    if (auto p = std::get_if<long long>(&a)) return *p;
    if (auto p = std::get_if<unsigned long long>(&a)) return static_cast<long long>(*p);
    if (auto p = std::get_if<double>(&a)) return static_cast<long long>(*p);
    if (auto p = std::get_if<NSString>(&a)) return p->longLongValue();
    return 0;
}

unsigned long long asUnsigned(const Arg& a)
{
    if (auto p = std::get_if<unsigned long long>(&a)) return *p;
    return static_cast<unsigned long long>(asSigned(a));
}

double asDouble(const Arg& a)
{
    if (auto p = std::get_if<double>(&a)) return *p;
    if (auto p = std::get_if<long long>(&a)) return static_cast<double>(*p);
    if (auto p = std::get_if<unsigned long long>(&a)) return static_cast<double>(*p);
    if (auto p = std::get_if<NSString>(&a)) return p->doubleValue();
    return 0.0;
}

std::string asText(const Arg& a)
{
    if (auto p = std::get_if<NSString>(&a)) return p->isNil() ? "(null)" : p->str();
    if (auto p = std::get_if<const char*>(&a)) return *p ? *p : "(null)";
    if (auto p = std::get_if<long long>(&a)) return std::to_string(*p);
    if (auto p = std::get_if<unsigned long long>(&a)) return std::to_string(*p);
    if (auto p = std::get_if<double>(&a)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", *p);
        return buf;
    }
    return "(null)";
}

// Pads a text to the width the directive asks; widths count characters, not bytes.
std::string pad(std::string text, const Directive& directive)
{
    if (directive.precision >= 0 && directive.conversion == 's' && text.size() > static_cast<size_t>(directive.precision))
        text.resize(static_cast<size_t>(directive.precision));
    long chars = static_cast<long>(NSString(text).length());
    if (directive.width > chars) {
        std::string fill(static_cast<size_t>(directive.width - chars), ' ');
        text = directive.flags.find('-') != std::string::npos ? text + fill : fill + text;
    }
    return text;
}

std::string cFormat(const Directive& directive, const char* lengthAndConversion)
{
    std::string f = "%" + directive.flags;
    if (directive.width >= 0) f += std::to_string(directive.width);
    if (directive.precision >= 0) f += "." + std::to_string(directive.precision);
    return f + lengthAndConversion;
}

template <class T>
std::string printC(const std::string& f, T value)
{
    char small[128];
    int n = std::snprintf(small, sizeof small, f.c_str(), value);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), f.c_str(), value);
    big.resize(static_cast<size_t>(n));
    return big;
}

std::string render(const Directive& directive, const Arg& a)
{
    switch (directive.conversion) {
    case '@':
    case 's':
    case 'S':
        return pad(asText(a), directive);
    case 'd':
    case 'i': {
        long long v = asSigned(a);
        // Without a length modifier these print the 32-bit value, as the original.
        if (directive.length.empty()) v = static_cast<int>(static_cast<uint32_t>(v));
        return printC(cFormat(directive, "lld"), v);
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        unsigned long long v = asUnsigned(a);
        // Without a length modifier these print the 32-bit value, as the original.
        if (directive.length.empty()) v &= 0xFFFFFFFFull;
        const char conv[] = {'l', 'l', directive.conversion, '\0'};
        return printC(cFormat(directive, conv), v);
    }
    case 'c':
    case 'C': {
        unichar c = static_cast<unichar>(asUnsigned(a));
        return pad(NSString::stringWithCharacters(&c, 1).str(), directive);
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G': {
        const char conv[] = {directive.conversion, '\0'};
        return printC(cFormat(directive, conv), asDouble(a));
    }
    case 'p': {
        const void* p = nullptr;
        if (auto q = std::get_if<const void*>(&a)) p = *q;
        return printC(cFormat(directive, "p"), p);
    }
    default:
        return {};
    }
}

}  // namespace

std::string format(std::string_view fmt, const std::vector<Arg>& args)
{
    std::string out;
    size_t next = 0;
    auto take = [&]() -> const Arg& {
        static const Arg none;
        return next < args.size() ? args[next++] : none;
    };
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        if (++i >= fmt.size()) break;
        if (fmt[i] == '%') {
            out += '%';
            continue;
        }
        Directive directive;
        while (i < fmt.size() && std::string_view("-+ #0'").find(fmt[i]) != std::string_view::npos)
            directive.flags += fmt[i++];
        if (i < fmt.size() && fmt[i] == '*') {
            directive.width = static_cast<int>(asSigned(take()));
            if (directive.width < 0) directive.flags += '-', directive.width = -directive.width;
            ++i;
        } else {
            for (; i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9'; ++i)
                directive.width = std::min((directive.width < 0 ? 0 : directive.width) * 10 + (fmt[i] - '0'), 4096);
        }
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            directive.precision = 0;
            if (i < fmt.size() && fmt[i] == '*') {
                directive.precision = static_cast<int>(std::max<long long>(asSigned(take()), 0));
                ++i;
            } else {
                for (; i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9'; ++i)
                    directive.precision = std::min(directive.precision * 10 + (fmt[i] - '0'), 4096);
            }
        }
        while (i < fmt.size() && std::string_view("hlqLzjt").find(fmt[i]) != std::string_view::npos)
            directive.length += fmt[i++];
        if (i >= fmt.size()) break;
        directive.conversion = fmt[i];
        if (std::string_view("@sSdiuxXocCfFeEgGp").find(directive.conversion) == std::string_view::npos) {
            // Not a conversion we know: keep the text as it stands.
            out += '%';
            out += directive.flags;
            out += directive.conversion;
            continue;
        }
        out += render(directive, take());
    }
    return out;
}

}  // namespace nsformat
