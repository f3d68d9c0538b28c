#pragma once
// Attributed strings: a string and, for every UTF-16 unit of it, a map of
// attributes (name to object: a colour, a font). Ranges count UTF-16 units, as
// NSString's do; a range reaching past the end raises NSRangeException.

#include <map>
#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"

using NSAttributes = std::map<NSString, id>;

class NSAttributedString : public NSObject {
public:
    static std::shared_ptr<NSAttributedString> initWithString(const NSString& s, const NSAttributes& attributes = {});

    // Never nil: a nil string given at creation reads as "".
    const NSString& string() const { return string_; }
    NSUInteger length() const { return length_; }
    // The attributes at a unit and, when effectiveRange is given, the whole run
    // of units sharing them.
    NSAttributes attributesAtIndex(NSUInteger index, NSRange* effectiveRange) const;

    NSString description() const override { return string_; }

protected:
    void reset(const NSString& s, const NSAttributes& attributes);
    // Splits the runs so that one begins at the unit (unless it is the end) and
    // returns the index of that run.
    size_t splitAt(NSUInteger unit);
    void checkRange(const char* method, NSRange range) const;

    struct Run {
        NSUInteger length;
        NSAttributes attributes;
    };
    NSString string_;
    NSUInteger length_ = 0;
    std::vector<Run> runs_;  // cover the string; empty for an empty string
};

class NSMutableAttributedString : public NSAttributedString {
public:
    static std::shared_ptr<NSMutableAttributedString> init() { return initWithString(""); }
    static std::shared_ptr<NSMutableAttributedString> initWithString(const NSString& s, const NSAttributes& attributes = {});

    // Sets the attribute over the range, keeping the others.
    void addAttribute(const NSString& name, const id& value, NSRange range);
};
