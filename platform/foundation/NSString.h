#pragma once
// NSString as a nullable UTF-8 value. Nil and "" are different everywhere: the
// service protocol writes nil as "(null)" and screens test for nil.
// Lengths, indices and ranges count UTF-16 code units, as the original did.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/foundation/NSObject.h"

enum NSStringEncoding : NSUInteger {
    NSASCIIStringEncoding = 1,
    NSUTF8StringEncoding = 4,
    NSISOLatin1StringEncoding = 5,
    NSUTF16StringEncoding = 10,
};

enum NSStringCompareOptions : NSUInteger {
    NSCaseInsensitiveSearch = 1,
    NSLiteralSearch = 2,
    NSBackwardsSearch = 4,
};

// The character sets the system trims with.
enum class NSCharacterSet { whitespaceCharacterSet, whitespaceAndNewlineCharacterSet };

class NSString {
public:
    NSString() = default;                 // nil
    NSString(const char* utf8);           // nullptr gives nil  // NOLINT: implicit on purpose
    NSString(std::string utf8) : s_(std::move(utf8)) {}  // NOLINT
    NSString(std::string_view utf8) : s_(std::string(utf8)) {}  // NOLINT
    NSString(std::nullptr_t) {}           // NOLINT

    static NSString stringWithUTF8String(const char* utf8) { return NSString(utf8); }
    static NSString stringWithCharacters(const unichar* chars, NSUInteger length);
    static NSString stringWithUTF16(const std::u16string& units) { return stringWithCharacters(units.data(), units.size()); }
    // Decodes bytes; nil when they are not valid in the encoding (as the original's
    // initWithData:encoding:).
    static NSString stringWithData(const NSData& data, NSStringEncoding encoding);

    template <class... Args>
    static NSString stringWithFormat(const NSString& format, const Args&... args);

    bool isNil() const { return !s_.has_value(); }
    // nullptr for nil.
    const char* UTF8String() const { return s_ ? s_->c_str() : nullptr; }
    // The bytes; "" for nil.
    const std::string& str() const { return s_ ? *s_ : emptyBytes(); }
    std::string_view view() const { return str(); }
    NSString description() const { return *this; }

    NSUInteger length() const;
    unichar characterAtIndex(NSUInteger index) const;
    std::u16string utf16() const;
    NSUInteger lengthOfBytesUsingEncoding(NSStringEncoding encoding) const;
    // nullopt when nil or not representable.
    std::optional<NSData> dataUsingEncoding(NSStringEncoding encoding) const;

    bool isEqualToString(const NSString& other) const { return !isNil() && !other.isNil() && *s_ == *other.s_; }
    NSComparisonResult compare(const NSString& other, NSUInteger options = 0) const;
    NSComparisonResult caseInsensitiveCompare(const NSString& other) const { return compare(other, NSCaseInsensitiveSearch); }
    bool hasPrefix(const NSString& prefix) const;
    bool hasSuffix(const NSString& suffix) const;
    // {NSNotFound, 0} when absent (or when either side is nil or empty).
    NSRange rangeOfString(const NSString& needle, NSUInteger options = 0) const;

    // Indices in UTF-16 units; out of range raises NSRangeException.
    NSString substringFromIndex(NSUInteger from) const;
    NSString substringToIndex(NSUInteger to) const;
    NSString substringWithRange(NSRange range) const;

    // Keeps empty pieces: "a,,b" gives "a", "", "b".
    std::vector<NSString> componentsSeparatedByString(const NSString& separator) const;
    NSString stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement) const;
    NSString stringByTrimmingCharactersInSet(NSCharacterSet set) const;
    NSString stringByAppendingString(const NSString& tail) const;
    NSString lowercaseString() const;
    NSString uppercaseString() const;

    // Paths.
    NSString stringByAppendingPathComponent(const NSString& component) const;
    NSString lastPathComponent() const;
    NSString stringByDeletingLastPathComponent() const;
    NSString pathExtension() const;

    // The original's lenient number reading: leading blanks, an optional sign and
    // the longest number that follows; 0 when there is none; saturates on overflow.
    int intValue() const;
    NSInteger integerValue() const;
    long long longLongValue() const;
    double doubleValue() const;
    float floatValue() const { return static_cast<float>(doubleValue()); }
    // YES for a leading "Y", "y", "T", "t" or a non-zero digit, as the original.
    bool boolValue() const;

    // Equality as values: two nils are equal, nil never equals "".
    bool operator==(const NSString& other) const { return s_ == other.s_; }
    bool operator==(const char* other) const { return other ? (s_ && *s_ == other) : !s_; }
    // Nil orders before every string, so NSString can key ordered maps.
    bool operator<(const NSString& other) const { return s_ < other.s_; }

private:
    static const std::string& emptyBytes();
    std::optional<std::string> s_;
};

std::ostream& operator<<(std::ostream& os, const NSString& s);

// ---- Formatting -------------------------------------------------------------

namespace nsformat {

// One argument of a format, whatever its C++ type. Objects format through
// description(); nil objects and nil strings as "(null)".
using Arg = std::variant<std::monostate, long long, unsigned long long, double, const char*, NSString, const void*>;

template <class T>
Arg toArg(const T& v)
{
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, NSString>) {
        return v;
    } else if constexpr (std::is_same_v<D, std::string>) {
        return NSString(v);
    } else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
        return static_cast<const char*>(v);
    } else if constexpr (std::is_same_v<D, bool>) {
        return static_cast<long long>(v);
    } else if constexpr (std::is_same_v<D, char16_t>) {
        return static_cast<unsigned long long>(v);
    } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
        return static_cast<long long>(v);
    } else if constexpr (std::is_integral_v<D>) {
        return static_cast<unsigned long long>(v);
    } else if constexpr (std::is_enum_v<D>) {
        return static_cast<long long>(v);
    } else if constexpr (std::is_floating_point_v<D>) {
        return static_cast<double>(v);
    } else if constexpr (std::is_same_v<D, std::nullptr_t>) {
        return NSString();
    } else if constexpr (std::is_array_v<T>) {
        return static_cast<const char*>(v);
    } else if constexpr (requires { v.get(); v->description(); }) {
        return v ? v->description() : NSString();
    } else if constexpr (requires { v.description(); }) {
        return v.description();
    } else {
        static_assert(std::is_pointer_v<D>, "no format conversion for this type");
        return static_cast<const void*>(v);
    }
}

std::string format(std::string_view fmt, const std::vector<Arg>& args);

}  // namespace nsformat

template <class... Args>
NSString NSString::stringWithFormat(const NSString& format, const Args&... args)
{
    return NSString(nsformat::format(format.view(), std::vector<nsformat::Arg>{nsformat::toArg(args)...}));
}

// A value passed where the original passes an object (a string through
// performSelector, a number in a user-info map).
template <class T>
class NSBox : public NSObject {
public:
    explicit NSBox(T v) : value(std::move(v)) {}
    static std::shared_ptr<NSBox> box(T v) { return std::make_shared<NSBox>(std::move(v)); }
    NSString description() const override;
    T value;
};

template <class T>
NSString NSBox<T>::description() const
{
    if constexpr (std::is_same_v<T, NSString>) {
        return value;
    } else if constexpr (std::is_arithmetic_v<T>) {
        return NSString(std::to_string(value));
    } else {
        return NSObject::description();
    }
}
