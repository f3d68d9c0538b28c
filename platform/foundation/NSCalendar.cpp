#include "platform/foundation/NSCalendar.h"

#include <unicode/gregocal.h>

#include "platform/foundation/detail/ICUTime.h"

const NSString NSGregorianCalendar = "gregorian";

namespace {

// Each field of NSDateComponents with its unit and ICU field.
struct Field {
    NSCalendarUnit unit;
    UCalendarDateFields icu;
    NSInteger (NSDateComponents::*get)() const;
    void (NSDateComponents::*set)(NSInteger);
    NSInteger offset;  // ICU's value + offset = ours (months count from 0 in ICU)
};

// Largest unit first: differences are taken in this order.
constexpr Field kFields[] = {
    {NSEraCalendarUnit, UCAL_ERA, &NSDateComponents::era, &NSDateComponents::setEra, 0},
    {NSYearCalendarUnit, UCAL_YEAR, &NSDateComponents::year, &NSDateComponents::setYear, 0},
    {NSMonthCalendarUnit, UCAL_MONTH, &NSDateComponents::month, &NSDateComponents::setMonth, 1},
    {NSWeekOfYearCalendarUnit, UCAL_WEEK_OF_YEAR, &NSDateComponents::weekOfYear, &NSDateComponents::setWeekOfYear, 0},
    {NSWeekCalendarUnit, UCAL_WEEK_OF_YEAR, &NSDateComponents::weekOfYear, &NSDateComponents::setWeekOfYear, 0},
    {NSDayCalendarUnit, UCAL_DATE, &NSDateComponents::day, &NSDateComponents::setDay, 0},
    {NSWeekdayCalendarUnit, UCAL_DAY_OF_WEEK, &NSDateComponents::weekday, &NSDateComponents::setWeekday, 0},
    {NSHourCalendarUnit, UCAL_HOUR_OF_DAY, &NSDateComponents::hour, &NSDateComponents::setHour, 0},
    {NSMinuteCalendarUnit, UCAL_MINUTE, &NSDateComponents::minute, &NSDateComponents::setMinute, 0},
    {NSSecondCalendarUnit, UCAL_SECOND, &NSDateComponents::second, &NSDateComponents::setSecond, 0},
};

std::unique_ptr<icu::Calendar> makeCalendar(const NSTimeZone& zone, NSUInteger firstWeekday)
{
    UErrorCode status = U_ZERO_ERROR;
    auto cal = std::make_unique<icu::GregorianCalendar>(nxtime::icuZone(zone).release(), nxtime::posixLocale(), status);
    if (U_FAILURE(status)) return nullptr;
    cal->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(firstWeekday >= 1 && firstWeekday <= 7 ? firstWeekday : 1));
    cal->setMinimalDaysInFirstWeek(1);
    return cal;
}

// A calendar of the zone set to the date; null when ICU fails.
std::unique_ptr<icu::Calendar> calendarAt(const NSTimeZone& zone, NSUInteger firstWeekday, const NSDate& date)
{
    auto cal = makeCalendar(zone, firstWeekday);
    if (!cal) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    cal->setTime(nxtime::toUDate(date), status);
    if (U_FAILURE(status)) return nullptr;
    return cal;
}

std::optional<NSDate> timeOf(const icu::Calendar& cal)
{
    UErrorCode status = U_ZERO_ERROR;
    UDate ms = cal.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return nxtime::fromUDate(ms);
}

// Moves the calendar to the start of the unit containing its time.
bool truncateTo(icu::Calendar& cal, NSCalendarUnit unit)
{
    UErrorCode status = U_ZERO_ERROR;
    switch (unit) {
    case NSYearCalendarUnit:
        cal.set(UCAL_MONTH, 0);
        [[fallthrough]];
    case NSMonthCalendarUnit:
        cal.set(UCAL_DATE, 1);
        break;
    case NSWeekCalendarUnit:
    case NSWeekOfYearCalendarUnit: {
        int back = (cal.get(UCAL_DAY_OF_WEEK, status) - cal.getFirstDayOfWeek() + 7) % 7;
        cal.add(UCAL_DATE, -back, status);
        break;
    }
    case NSDayCalendarUnit:
        break;
    default:
        return false;
    }
    cal.set(UCAL_HOUR_OF_DAY, 0);
    cal.set(UCAL_MINUTE, 0);
    cal.set(UCAL_SECOND, 0);
    cal.set(UCAL_MILLISECOND, 0);
    return U_SUCCESS(status);
}

}  // namespace

std::shared_ptr<NSCalendar> NSCalendar::currentCalendar() { return std::make_shared<NSCalendar>(NSTimeZone::localTimeZone()); }

std::shared_ptr<NSCalendar> NSCalendar::initWithCalendarIdentifier(const NSString& identifier)
{
    if (identifier != NSGregorianCalendar) return nullptr;
    return currentCalendar();
}

NSDateComponents NSCalendar::components(NSUInteger unitFlags, const NSDate& date) const
{
    NSDateComponents out;
    auto cal = calendarAt(zone_, firstWeekday_, date);
    if (!cal) return out;
    UErrorCode status = U_ZERO_ERROR;
    for (const auto& f : kFields) {
        if (!(unitFlags & f.unit)) continue;
        int32_t v = cal->get(f.icu, status);
        if (U_SUCCESS(status)) (out.*f.set)(v + f.offset);
    }
    return out;
}

NSDateComponents NSCalendar::components(NSUInteger unitFlags, const NSDate& from, const NSDate& to, NSUInteger) const
{
    NSDateComponents out;
    auto cal = calendarAt(zone_, firstWeekday_, from);
    if (!cal) return out;
    UErrorCode status = U_ZERO_ERROR;
    // fieldDifference moves the calendar on by the whole units it counts, so
    // each smaller unit counts what the larger ones left over.
    for (const auto& f : kFields) {
        if (!(unitFlags & f.unit) || f.unit == NSWeekdayCalendarUnit) continue;
        UCalendarDateFields field = f.unit == NSDayCalendarUnit ? UCAL_DATE : f.icu;
        int32_t v = cal->fieldDifference(nxtime::toUDate(to), field, status);
        if (U_FAILURE(status)) return NSDateComponents();
        (out.*f.set)(v);
    }
    return out;
}

std::optional<NSDate> NSCalendar::dateFromComponents(const NSDateComponents& c) const
{
    auto cal = makeCalendar(zone_, firstWeekday_);
    if (!cal) return std::nullopt;
    cal->clear();
    cal->set(UCAL_YEAR, 1);
    cal->set(UCAL_MONTH, 0);
    cal->set(UCAL_DATE, 1);
    for (const auto& f : kFields) {
        NSInteger v = (c.*f.get)();
        // Week and weekday only describe a date together with each other; a
        // lone weekday would move the day, as the fields of a date never do.
        if (v == NSUndefinedDateComponent || f.unit == NSWeekdayCalendarUnit || f.unit == NSWeekCalendarUnit ||
            f.unit == NSWeekOfYearCalendarUnit)
            continue;
        cal->set(f.icu, static_cast<int32_t>(v - f.offset));
    }
    return timeOf(*cal);
}

std::optional<NSDate> NSCalendar::dateByAddingComponents(const NSDateComponents& c, const NSDate& date, NSUInteger) const
{
    auto cal = calendarAt(zone_, firstWeekday_, date);
    if (!cal) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    for (const auto& f : kFields) {
        NSInteger v = (c.*f.get)();
        // A weekday names a day rather than an amount; the week appears twice
        // in the table under its two names.
        if (v == NSUndefinedDateComponent || f.unit == NSWeekdayCalendarUnit || f.unit == NSWeekCalendarUnit) continue;
        cal->add(f.icu, static_cast<int32_t>(v), status);
    }
    if (U_FAILURE(status)) return std::nullopt;
    return timeOf(*cal);
}

bool NSCalendar::rangeOfUnit(NSCalendarUnit unit, NSDate* startDate, NSTimeInterval* interval, const NSDate& date) const
{
    auto cal = calendarAt(zone_, firstWeekday_, date);
    if (!cal || !truncateTo(*cal, unit)) return false;
    UErrorCode status = U_ZERO_ERROR;
    auto start = timeOf(*cal);
    UCalendarDateFields step = unit == NSYearCalendarUnit    ? UCAL_YEAR
                               : unit == NSMonthCalendarUnit ? UCAL_MONTH
                               : unit == NSDayCalendarUnit   ? UCAL_DATE
                                                             : UCAL_WEEK_OF_YEAR;
    cal->add(step, 1, status);
    auto end = timeOf(*cal);
    if (U_FAILURE(status) || !start || !end) return false;
    if (startDate) *startDate = *start;
    if (interval) *interval = end->timeIntervalSinceDate(*start);
    return true;
}

NSRange NSCalendar::rangeOfUnit(NSCalendarUnit smaller, NSCalendarUnit larger, const NSDate& date) const
{
    UCalendarDateFields field;
    NSInteger offset = 0;
    if (smaller == NSDayCalendarUnit && larger == NSMonthCalendarUnit) field = UCAL_DATE;
    else if (smaller == NSDayCalendarUnit && larger == NSYearCalendarUnit) field = UCAL_DAY_OF_YEAR;
    else if (smaller == NSMonthCalendarUnit && larger == NSYearCalendarUnit) field = UCAL_MONTH, offset = 1;
    else return {static_cast<NSUInteger>(NSNotFound), 0};
    auto cal = calendarAt(zone_, firstWeekday_, date);
    if (!cal) return {static_cast<NSUInteger>(NSNotFound), 0};
    UErrorCode status = U_ZERO_ERROR;
    int32_t lo = cal->getActualMinimum(field, status);
    int32_t hi = cal->getActualMaximum(field, status);
    if (U_FAILURE(status)) return {static_cast<NSUInteger>(NSNotFound), 0};
    return {static_cast<NSUInteger>(lo + offset), static_cast<NSUInteger>(hi - lo + 1)};
}
