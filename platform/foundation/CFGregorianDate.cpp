#include "platform/foundation/CFGregorianDate.h"

#include <cmath>

#include "platform/foundation/NSCalendar.h"

CFGregorianDate CFAbsoluteTimeGetGregorianDate(CFAbsoluteTime at)
{
    const NSDate date = NSDate::dateWithTimeIntervalSinceReferenceDate(at);
    const auto c = NSCalendar::currentCalendar()->components(
        NSYearCalendarUnit | NSMonthCalendarUnit | NSDayCalendarUnit | NSHourCalendarUnit | NSMinuteCalendarUnit |
            NSSecondCalendarUnit,
        date);
    CFGregorianDate g;
    g.year = static_cast<int32_t>(c.year());
    g.month = static_cast<int8_t>(c.month());
    g.day = static_cast<int8_t>(c.day());
    g.hour = static_cast<int8_t>(c.hour());
    g.minute = static_cast<int8_t>(c.minute());
    // Whole seconds from the calendar, the fraction from the time itself.
    g.second = static_cast<double>(c.second()) + (at - std::floor(at));
    return g;
}

CFAbsoluteTime CFGregorianDateGetAbsoluteTime(const CFGregorianDate& date)
{
    NSDateComponents c;
    c.setYear(date.year);
    c.setMonth(date.month);
    c.setDay(date.day);
    c.setHour(date.hour);
    c.setMinute(date.minute);
    const double whole = std::floor(date.second);
    c.setSecond(static_cast<NSInteger>(whole));
    const auto d = NSCalendar::currentCalendar()->dateFromComponents(c);
    return d ? d->timeIntervalSinceReferenceDate() + (date.second - whole) : 0;
}

int32_t CFAbsoluteTimeGetDayOfWeek(CFAbsoluteTime at)
{
    const auto c = NSCalendar::currentCalendar()->components(NSWeekdayCalendarUnit,
                                                              NSDate::dateWithTimeIntervalSinceReferenceDate(at));
    // The calendar counts 1 Sunday .. 7 Saturday.
    return static_cast<int32_t>(c.weekday() == 1 ? 7 : c.weekday() - 1);
}
