#pragma once
// Points in time and time zones. A date is a small immutable value counting
// seconds from the reference date, 1 January 2001 00:00:00 UTC; a nil date is
// std::optional<NSDate>.

#include <compare>
#include <optional>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

// Seconds from 1 January 1970 to the reference date.
inline constexpr NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

class NSDate {
public:
    NSDate() = default;  // the reference date
    explicit NSDate(NSTimeInterval sinceReferenceDate) : t_(sinceReferenceDate) {}

    // The present moment. Every "now" of the stand-in comes from here.
    static NSDate date();
    static NSDate dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
    static NSDate dateWithTimeIntervalSince1970(NSTimeInterval seconds) { return NSDate(seconds - NSTimeIntervalSince1970); }
    static NSDate dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) { return NSDate(seconds); }

    NSTimeInterval timeIntervalSinceReferenceDate() const { return t_; }
    NSTimeInterval timeIntervalSince1970() const { return t_ + NSTimeIntervalSince1970; }
    NSTimeInterval timeIntervalSinceNow() const;
    NSTimeInterval timeIntervalSinceDate(const NSDate& other) const { return t_ - other.t_; }
    NSDate dateByAddingTimeInterval(NSTimeInterval seconds) const { return NSDate(t_ + seconds); }

    NSComparisonResult compare(const NSDate& other) const;
    bool isEqualToDate(const NSDate& other) const { return t_ == other.t_; }
    NSDate earlierDate(const NSDate& other) const { return other.t_ < t_ ? other : *this; }
    NSDate laterDate(const NSDate& other) const { return other.t_ > t_ ? other : *this; }
    auto operator<=>(const NSDate&) const = default;

    // "2001-01-01 00:00:00 +0000", as the original prints a date.
    NSString description() const;

private:
    NSTimeInterval t_ = 0;
};

// The present moment as an absolute time (seconds since the reference date).
inline NSTimeInterval CFAbsoluteTimeGetCurrent() { return NSDate::date().timeIntervalSinceReferenceDate(); }

// A time zone by its identifier ("Asia/Shanghai", "GMT"). Valid zones only:
// the factories give nullopt for a name the zone database does not know.
class NSTimeZone {
public:
    static std::optional<NSTimeZone> timeZoneWithName(const NSString& name);
    // A fixed offset; 0 gives "GMT".
    static NSTimeZone timeZoneForSecondsFromGMT(NSInteger seconds);
    // The machine's zone: the TZ environment variable when it names a zone,
    // else the system's setting. Looked up at every call.
    static NSTimeZone localTimeZone();
    static NSTimeZone systemTimeZone() { return localTimeZone(); }
    static NSTimeZone defaultTimeZone() { return localTimeZone(); }

    const NSString& name() const { return name_; }
    NSInteger secondsFromGMTForDate(const NSDate& date) const;
    NSInteger secondsFromGMT() const { return secondsFromGMTForDate(NSDate::date()); }
    bool isDaylightSavingTimeForDate(const NSDate& date) const;
    NSString description() const { return name_; }
    bool operator==(const NSTimeZone& other) const { return name_ == other.name_; }

private:
    explicit NSTimeZone(NSString name) : name_(std::move(name)) {}
    NSString name_;
};
