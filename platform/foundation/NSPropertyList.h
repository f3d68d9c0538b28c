#pragma once
// Property lists: a small variant value (dictionary, array, string, integer,
// real, boolean, date, data, or nil), its XML form, the format of the
// application's stores ("curCountDownTime.plist", the user defaults, cache
// indexes), and its binary form ("bplist00", format value 200), in which
// cached values are kept. Reading takes either form and never throws:
// anything malformed reads as nil.

#include <map>
#include <variant>
#include <vector>

#include "platform/foundation/NSDate.h"

class PlistValue {
public:
    using Array = std::vector<PlistValue>;
    using Dictionary = std::map<NSString, PlistValue>;

    PlistValue() = default;  // nil
    PlistValue(std::nullptr_t) {}  // NOLINT
    PlistValue(NSString s);  // NOLINT  a nil string gives nil
    PlistValue(const char* s) : PlistValue(NSString(s)) {}  // NOLINT
    PlistValue(bool b) : v_(b) {}  // NOLINT
    PlistValue(int i) : v_(static_cast<long long>(i)) {}  // NOLINT
    PlistValue(long i) : v_(static_cast<long long>(i)) {}  // NOLINT
    PlistValue(long long i) : v_(i) {}  // NOLINT
    PlistValue(double d) : v_(d) {}  // NOLINT
    PlistValue(NSDate d) : v_(d) {}  // NOLINT
    PlistValue(NSData d) : v_(std::move(d)) {}  // NOLINT
    PlistValue(Array a) : v_(std::move(a)) {}  // NOLINT
    PlistValue(Dictionary d) : v_(std::move(d)) {}  // NOLINT
    // An array of strings, as the stores keep them.
    PlistValue(const std::vector<NSString>& strings);  // NOLINT
    PlistValue(const std::map<NSString, NSString>& strings);  // NOLINT

    bool isNil() const { return std::holds_alternative<std::monostate>(v_); }
    // Each accessor gives nullptr when the value is of another kind.
    const NSString* string() const { return std::get_if<NSString>(&v_); }
    const bool* boolean() const { return std::get_if<bool>(&v_); }
    const long long* integer() const { return std::get_if<long long>(&v_); }
    const double* real() const { return std::get_if<double>(&v_); }
    const NSDate* date() const { return std::get_if<NSDate>(&v_); }
    const NSData* data() const { return std::get_if<NSData>(&v_); }
    const Array* array() const { return std::get_if<Array>(&v_); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&v_); }

    // A dictionary's entry; nil when absent or when this is no dictionary.
    PlistValue objectForKey(const NSString& key) const;
    // The array's strings; nullopt unless this is an array of strings only.
    std::optional<std::vector<NSString>> stringArray() const;
    // The dictionary's strings; nullopt unless every value is a string.
    std::optional<std::map<NSString, NSString>> stringDictionary() const;

    bool operator==(const PlistValue& other) const { return v_ == other.v_; }

    // ---- XML form --------------------------------------------------------------

    // The XML property list; empty for nil.
    NSData xmlData() const;
    // nil for anything but a well-formed XML or binary property list.
    static PlistValue propertyListWithData(const NSData& data);
    static PlistValue propertyListWithContentsOfFile(const NSString& path);
    // nil unless the file holds a dictionary / an array.
    static PlistValue dictionaryWithContentsOfFile(const NSString& path);
    static PlistValue arrayWithContentsOfFile(const NSString& path);
    // NO for nil, or when the file cannot be written.
    bool writeToFile(const NSString& path, bool atomically) const;

    // ---- Binary form (NSPropertyListBinaryFormat_v1_0, 200) ----------------------

    // The binary property list; empty for nil. Dates keep their fractions of a
    // second, which the XML form drops.
    NSData binaryData() const;
    // Whether the data starts as a binary property list does.
    static bool isBinaryPropertyList(const NSData& data);
    // nil for anything but a well-formed binary property list.
    static PlistValue propertyListWithBinaryData(const NSData& data);

private:
    std::variant<std::monostate, NSString, bool, long long, double, NSDate, NSData, Array, Dictionary> v_;
};
