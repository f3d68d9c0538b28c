#pragma once
// The Gregorian calendar: dates split into fields and fields back to dates, in a
// time zone. Weekdays count 1 = Sunday .. 7 = Saturday, weeks start on the
// calendar's first weekday (Sunday unless set).

#include <memory>
#include <optional>

#include "platform/foundation/NSDate.h"

enum NSCalendarUnit : NSUInteger {
    NSEraCalendarUnit = 1u << 1,
    NSYearCalendarUnit = 1u << 2,
    NSMonthCalendarUnit = 1u << 3,
    NSDayCalendarUnit = 1u << 4,
    NSHourCalendarUnit = 1u << 5,
    NSMinuteCalendarUnit = 1u << 6,
    NSSecondCalendarUnit = 1u << 7,
    NSWeekCalendarUnit = 1u << 8,
    NSWeekdayCalendarUnit = 1u << 9,
    NSWeekOfYearCalendarUnit = 1u << 13,
};

inline constexpr NSInteger NSUndefinedDateComponent = std::numeric_limits<NSInteger>::max();

extern const NSString NSGregorianCalendar;

// Field values of a date or of a difference; fields not asked for stay
// NSUndefinedDateComponent.
class NSDateComponents {
public:
    NSInteger era() const { return era_; }
    NSInteger year() const { return year_; }
    NSInteger month() const { return month_; }
    NSInteger day() const { return day_; }
    NSInteger hour() const { return hour_; }
    NSInteger minute() const { return minute_; }
    NSInteger second() const { return second_; }
    NSInteger weekday() const { return weekday_; }
    NSInteger weekOfYear() const { return weekOfYear_; }
    // The week of the year under its old name.
    NSInteger week() const { return weekOfYear_; }
    void setEra(NSInteger v) { era_ = v; }
    void setYear(NSInteger v) { year_ = v; }
    void setMonth(NSInteger v) { month_ = v; }
    void setDay(NSInteger v) { day_ = v; }
    void setHour(NSInteger v) { hour_ = v; }
    void setMinute(NSInteger v) { minute_ = v; }
    void setSecond(NSInteger v) { second_ = v; }
    void setWeekday(NSInteger v) { weekday_ = v; }
    void setWeekOfYear(NSInteger v) { weekOfYear_ = v; }
    void setWeek(NSInteger v) { weekOfYear_ = v; }

private:
    NSInteger era_ = NSUndefinedDateComponent;
    NSInteger year_ = NSUndefinedDateComponent;
    NSInteger month_ = NSUndefinedDateComponent;
    NSInteger day_ = NSUndefinedDateComponent;
    NSInteger hour_ = NSUndefinedDateComponent;
    NSInteger minute_ = NSUndefinedDateComponent;
    NSInteger second_ = NSUndefinedDateComponent;
    NSInteger weekday_ = NSUndefinedDateComponent;
    NSInteger weekOfYear_ = NSUndefinedDateComponent;
};

class NSCalendar : public NSObject {
public:
    explicit NSCalendar(NSTimeZone zone) : zone_(std::move(zone)) {}

    // The user's calendar: Gregorian in the local time zone, weeks from Sunday.
    static std::shared_ptr<NSCalendar> currentCalendar();
    // nullptr for any identifier but NSGregorianCalendar.
    static std::shared_ptr<NSCalendar> initWithCalendarIdentifier(const NSString& identifier);

    const NSTimeZone& timeZone() const { return zone_; }
    void setTimeZone(const NSTimeZone& zone) { zone_ = zone; }
    // 1 = Sunday .. 7 = Saturday.
    NSUInteger firstWeekday() const { return firstWeekday_; }
    void setFirstWeekday(NSUInteger weekday) { firstWeekday_ = weekday; }

    // The fields named by unitFlags (NSCalendarUnit bits) of a date.
    NSDateComponents components(NSUInteger unitFlags, const NSDate& date) const;
    // The difference between two dates in the named units, largest unit first
    // (whole days from one midnight-less moment to another, say).
    NSDateComponents components(NSUInteger unitFlags, const NSDate& from, const NSDate& to, NSUInteger options) const;
    // Fields not given default to the start of their range (1 January of year 1,
    // 00:00:00); nullopt when the fields describe no date.
    std::optional<NSDate> dateFromComponents(const NSDateComponents& components) const;
    // Adds each defined field; a month added to 31 January gives the month's
    // last day.
    std::optional<NSDate> dateByAddingComponents(const NSDateComponents& components, const NSDate& date,
                                                 NSUInteger options) const;
    // The start and length of the unit (day, week, month, year) containing date.
    bool rangeOfUnit(NSCalendarUnit unit, NSDate* startDate, NSTimeInterval* interval, const NSDate& date) const;
    // Where the smaller unit lies in the larger one containing date: for days in
    // a month, {1, day count}.
    NSRange rangeOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const NSDate& date) const;

private:
    NSTimeZone zone_;
    NSUInteger firstWeekday_ = 1;
};
