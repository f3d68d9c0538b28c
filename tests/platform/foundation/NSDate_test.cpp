#include <gtest/gtest.h>

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/testing/TempFolder.h"

namespace {

NSTimeZone zone(const char* name)
{
    auto z = NSTimeZone::timeZoneWithName(name);
    EXPECT_TRUE(z.has_value()) << name;
    return z.value_or(NSTimeZone::timeZoneForSecondsFromGMT(0));
}

std::shared_ptr<NSDateFormatter> formatter(const char* pattern, const NSTimeZone& z)
{
    auto f = NSDateFormatter::init();
    f->setDateFormat(pattern);
    f->setTimeZone(z);
    return f;
}

}  // namespace

TEST(NSDate, ReferenceDateAndConversions)
{
    NSDate ref;
    EXPECT_EQ(ref.timeIntervalSince1970(), 978307200.0);
    EXPECT_EQ(NSDate::dateWithTimeIntervalSince1970(0).timeIntervalSinceReferenceDate(), -978307200.0);
    NSDate a = NSDate::dateWithTimeIntervalSinceReferenceDate(100);
    NSDate b = a.dateByAddingTimeInterval(-30.5);
    EXPECT_EQ(a.timeIntervalSinceDate(b), 30.5);
    EXPECT_EQ(a.compare(b), NSOrderedDescending);
    EXPECT_EQ(b.compare(a), NSOrderedAscending);
    EXPECT_EQ(a.compare(a), NSOrderedSame);
    EXPECT_EQ(a.earlierDate(b), b);
    EXPECT_EQ(a.laterDate(b), a);
    EXPECT_TRUE(b < a);
    EXPECT_EQ(ref.description(), NSString("2001-01-01 00:00:00 +0000"));
    EXPECT_EQ(NSString::stringWithFormat("%@", ref), NSString("2001-01-01 00:00:00 +0000"));

    // "Now" moves forwards and the since-now helpers agree with it.
    NSDate before = NSDate::date();
    NSDate later = NSDate::dateWithTimeIntervalSinceNow(3600);
    EXPECT_GE(later.timeIntervalSinceDate(before), 3600.0);
    EXPECT_LE(later.timeIntervalSinceNow(), 3600.0);
    EXPECT_GT(later.timeIntervalSinceNow(), 3500.0);
    EXPECT_GE(CFAbsoluteTimeGetCurrent(), before.timeIntervalSinceReferenceDate());
}

TEST(NSTimeZone, NamesOffsetsAndDaylightSaving)
{
    EXPECT_FALSE(NSTimeZone::timeZoneWithName("Not/AZone").has_value());
    EXPECT_FALSE(NSTimeZone::timeZoneWithName("").has_value());
    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(0).name(), NSString("GMT"));
    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(8 * 3600).secondsFromGMT(), 8 * 3600);
    EXPECT_EQ(NSTimeZone::timeZoneForSecondsFromGMT(-(5 * 3600 + 30 * 60)).secondsFromGMT(), -(5 * 3600 + 30 * 60));

    NSTimeZone berlin = zone("Europe/Berlin");
    NSDate winter = NSDate::dateWithTimeIntervalSince1970(1711846799);  // 2024-03-31 01:59:59 CET
    NSDate summer = winter.dateByAddingTimeInterval(1);                 // 03:00:00 CEST
    EXPECT_EQ(berlin.secondsFromGMTForDate(winter), 3600);
    EXPECT_EQ(berlin.secondsFromGMTForDate(summer), 7200);
    EXPECT_FALSE(berlin.isDaylightSavingTimeForDate(winter));
    EXPECT_TRUE(berlin.isDaylightSavingTimeForDate(summer));
}

TEST(NSTimeZone, LocalZoneFollowsTheEnvironment)
{
    {
        ScopedEnv tz("TZ", "Asia/Shanghai");
        EXPECT_EQ(NSTimeZone::localTimeZone().name(), NSString("Asia/Shanghai"));
        auto f = NSDateFormatter::init();  // local zone by default
        f->setDateFormat("yyyy-MM-dd HH:mm");
        EXPECT_EQ(f->stringFromDate(NSDate::dateWithTimeIntervalSince1970(0)), NSString("1970-01-01 08:00"));
    }
    ScopedEnv tz("TZ", "America/New_York");
    EXPECT_EQ(NSTimeZone::localTimeZone().name(), NSString("America/New_York"));
    EXPECT_EQ(NSCalendar::currentCalendar()->timeZone().name(), NSString("America/New_York"));
}

TEST(NSDateFormatter, FormatsAndReadsBackInZones)
{
    struct Case {
        double since1970;
        const char* zone;
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {
        {0, "GMT", "yyyy-MM-dd HH:mm:ss", "1970-01-01 00:00:00"},
        {1796806800, "GMT", "EEE, dd MMM yyyy HH:mm:ss 'GMT'", "Wed, 09 Dec 2026 09:00:00 GMT"},
        {1709222399, "Asia/Shanghai", "yyyy-MM-dd HH:mm:ss", "2024-02-29 23:59:59"},
        {1709222399, "GMT", "yyyy-MM-dd HH:mm:ss", "2024-02-29 15:59:59"},
        {1709222399, "Asia/Shanghai", "yyyyMMddHHmmss", "20240229235959"},
        {1704067200, "GMT", "yyyyMMdd", "20240101"},
        {1704038400, "Asia/Shanghai", "yyyy-MM-dd", "2024-01-01"},
        // Either side of the spring change in Berlin.
        {1711846799, "Europe/Berlin", "yyyy-MM-dd HH:mm:ss Z", "2024-03-31 01:59:59 +0100"},
        {1711846800, "Europe/Berlin", "yyyy-MM-dd HH:mm:ss Z", "2024-03-31 03:00:00 +0200"},
        // The autumn hour that New York lives twice: the offset tells them apart.
        {1730611800, "America/New_York", "yyyy-MM-dd HH:mm Z", "2024-11-03 01:30 -0400"},
        {1730615400, "America/New_York", "yyyy-MM-dd HH:mm Z", "2024-11-03 01:30 -0500"},
        {-1, "GMT", "MM/dd/yyyy hh:mm:ss a", "12/31/1969 11:59:59 PM"},
    };
    for (const auto& c : cases) {
        auto f = formatter(c.pattern, zone(c.zone));
        NSDate d = NSDate::dateWithTimeIntervalSince1970(c.since1970);
        EXPECT_EQ(f->stringFromDate(d), NSString(c.text)) << c.pattern << " " << c.zone;
        auto back = f->dateFromString(c.text);
        ASSERT_TRUE(back.has_value()) << c.text;
        EXPECT_EQ(back->timeIntervalSince1970(), c.since1970) << c.text;
    }
}

TEST(NSDateFormatter, PartialPatternsFillTheRestFromTheEpochDay)
{
    NSTimeZone sh = zone("Asia/Shanghai");
    auto hm = formatter("HH:mm", sh);
    auto a = hm->dateFromString("07:30");
    auto b = hm->dateFromString("22:05");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->timeIntervalSinceDate(*a), (14 * 60 + 35) * 60.0);
    EXPECT_EQ(hm->stringFromDate(*a), NSString("07:30"));
    EXPECT_EQ(formatter("yyyy-MM-dd", sh)->stringFromDate(*a), NSString("1970-01-01"));
}

TEST(NSDateFormatter, MismatchesGiveNil)
{
    struct Case {
        const char* pattern;
        NSString text;
    };
    const Case cases[] = {
        {"yyyy-MM-dd", NSString()},
        {"yyyy-MM-dd", ""},
        {"yyyy-MM-dd", "2024/01/01"},
        {"yyyy-MM-dd", "2024-13-01"},
        {"yyyy-MM-dd", "2023-02-29"},
        {"yyyy-MM-dd", "2024-01-01 "},
        {"yyyy-MM-dd", "2024-01-01 10:00:00"},
        {"yyyy-MM-dd", "abc"},
        {"yyyy-MM-dd HH:mm:ss", "2024-01-01"},
        {"yyyy-MM-dd HH:mm:ss", "2024-01-01 24:61:00"},
        {"yyyyMMdd", "20240230"},
        {"HH:mm", "7h30"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(formatter(c.pattern, zone("GMT"))->dateFromString(c.text).has_value()) << c.pattern << " / " << c.text;
    }
    auto noPattern = NSDateFormatter::init();
    EXPECT_TRUE(noPattern->stringFromDate(NSDate()).isNil());
    EXPECT_FALSE(noPattern->dateFromString("2024-01-01").has_value());
}

TEST(NSDateFormatter, HttpDatesWithAndWithoutWeekdayAndSeconds)
{
    NSTimeZone gmt = NSTimeZone::timeZoneForSecondsFromGMT(0);
    auto full = formatter("EEE, dd MMM yyyy HH:mm:ss z", gmt)->dateFromString("Sun, 06 Nov 1994 08:49:37 GMT");
    auto shortForm = formatter("dd MMM yyyy HH:mm z", gmt)->dateFromString("06 Nov 1994 08:49 GMT");
    ASSERT_TRUE(full && shortForm);
    EXPECT_EQ(shortForm->timeIntervalSince1970(), 784111740.0);
    EXPECT_EQ(full->timeIntervalSinceDate(*shortForm), 37.0);
    // The zone written in the text wins over the formatter's.
    auto shifted = formatter("dd MMM yyyy HH:mm z", zone("Asia/Shanghai"))->dateFromString("06 Nov 1994 08:49 GMT");
    ASSERT_TRUE(shifted);
    EXPECT_EQ(*shifted, *shortForm);
}

TEST(NSCalendar, ComponentsAndWeekdayNumbering)
{
    struct Case {
        double since1970;
        const char* zone;
        NSInteger year, month, day, hour, minute, second, weekday, weekOfYear;
    };
    const Case cases[] = {
        {1704067200, "GMT", 2024, 1, 1, 0, 0, 0, 2, 1},              // a Monday
        {1704067200 - 1, "GMT", 2023, 12, 31, 23, 59, 59, 1, 1},     // Sunday, already week 1 of 2024
        {1704067200, "America/New_York", 2023, 12, 31, 19, 0, 0, 1, 1},
        {1709222399, "Asia/Shanghai", 2024, 2, 29, 23, 59, 59, 5, 9},  // a Thursday
        {1735344000, "GMT", 2024, 12, 28, 0, 0, 0, 7, 52},           // a Saturday
        {1711846800, "Europe/Berlin", 2024, 3, 31, 3, 0, 0, 1, 14},
    };
    auto cal = NSCalendar::initWithCalendarIdentifier(NSGregorianCalendar);
    ASSERT_TRUE(cal);
    const NSUInteger all = NSYearCalendarUnit | NSMonthCalendarUnit | NSDayCalendarUnit | NSHourCalendarUnit |
                           NSMinuteCalendarUnit | NSSecondCalendarUnit | NSWeekdayCalendarUnit | NSWeekOfYearCalendarUnit;
    for (const auto& c : cases) {
        cal->setTimeZone(zone(c.zone));
        NSDate d = NSDate::dateWithTimeIntervalSince1970(c.since1970);
        NSDateComponents k = cal->components(all, d);
        EXPECT_EQ(k.year(), c.year) << c.since1970 << " " << c.zone;
        EXPECT_EQ(k.month(), c.month) << c.since1970;
        EXPECT_EQ(k.day(), c.day) << c.since1970;
        EXPECT_EQ(k.hour(), c.hour) << c.since1970;
        EXPECT_EQ(k.minute(), c.minute) << c.since1970;
        EXPECT_EQ(k.second(), c.second) << c.since1970;
        EXPECT_EQ(k.weekday(), c.weekday) << c.since1970;
        EXPECT_EQ(k.weekOfYear(), c.weekOfYear) << c.since1970;
        EXPECT_EQ(cal->dateFromComponents(k), d) << c.since1970;
    }
    // Only what was asked for is filled.
    NSDateComponents some = cal->components(NSDayCalendarUnit, NSDate());
    EXPECT_EQ(some.year(), NSUndefinedDateComponent);
    EXPECT_EQ(some.weekday(), NSUndefinedDateComponent);
    EXPECT_FALSE(NSCalendar::initWithCalendarIdentifier("buddhist"));
}

TEST(NSCalendar, DateFromComponentsDefaultsAndArithmetic)
{
    auto cal = NSCalendar::initWithCalendarIdentifier(NSGregorianCalendar);
    cal->setTimeZone(zone("Europe/Berlin"));
    NSDateComponents ymd;
    ymd.setYear(2024);
    ymd.setMonth(1);
    ymd.setDay(31);
    auto jan31 = cal->dateFromComponents(ymd);
    ASSERT_TRUE(jan31);
    EXPECT_EQ(formatter("yyyy-MM-dd HH:mm:ss", zone("Europe/Berlin"))->stringFromDate(*jan31),
              NSString("2024-01-31 00:00:00"));

    struct Case {
        NSInteger months, days, hours;
        const char* expected;  // in Berlin
    };
    const Case cases[] = {
        {1, 0, 0, "2024-02-29 00:00"},   // clamped to the month's last day
        {13, 0, 0, "2025-02-28 00:00"},
        {-2, 0, 0, "2023-11-30 00:00"},
        {2, 0, 0, "2024-03-31 00:00"},
        {2, 1, 0, "2024-04-01 00:00"},   // a calendar day across the spring change keeps the wall clock
        {0, 60, 5, "2024-03-31 06:00"},  // hours are elapsed time: 02:00 does not exist that night
    };
    auto out = formatter("yyyy-MM-dd HH:mm", zone("Europe/Berlin"));
    for (const auto& c : cases) {
        NSDateComponents add;
        if (c.months) add.setMonth(c.months);
        if (c.days) add.setDay(c.days);
        if (c.hours) add.setHour(c.hours);
        auto d = cal->dateByAddingComponents(add, *jan31, 0);
        ASSERT_TRUE(d);
        EXPECT_EQ(out->stringFromDate(*d), NSString(c.expected)) << c.months << "/" << c.days << "/" << c.hours;
    }
}

TEST(NSCalendar, WholeDaysBetweenDates)
{
    auto cal = NSCalendar::initWithCalendarIdentifier(NSGregorianCalendar);
    cal->setTimeZone(zone("Asia/Shanghai"));
    auto day = formatter("yyyy-MM-dd", zone("Asia/Shanghai"));
    struct Case {
        const char* from;
        const char* to;
        NSInteger days;
    };
    const Case cases[] = {
        {"2024-02-27", "2024-02-29", 2}, {"2024-02-29", "2024-02-27", -2}, {"2023-12-31", "2024-01-01", 1},
        {"2024-01-01", "2024-01-01", 0}, {"2024-02-01", "2024-03-01", 29},
    };
    for (const auto& c : cases) {
        auto a = day->dateFromString(c.from), b = day->dateFromString(c.to);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(cal->components(NSDayCalendarUnit, *a, *b, 0).day(), c.days) << c.from << " " << c.to;
    }
    // Larger units take their share first.
    auto a = formatter("yyyy-MM-dd HH:mm", zone("Asia/Shanghai"))->dateFromString("2024-01-30 10:00");
    auto b = formatter("yyyy-MM-dd HH:mm", zone("Asia/Shanghai"))->dateFromString("2024-03-02 09:00");
    NSDateComponents diff = cal->components(NSMonthCalendarUnit | NSDayCalendarUnit | NSHourCalendarUnit, *a, *b, 0);
    EXPECT_EQ(diff.month(), 1);
    EXPECT_EQ(diff.day(), 1);
    EXPECT_EQ(diff.hour(), 23);
}

TEST(NSCalendar, RangesOfWeeksMonthsAndDays)
{
    auto cal = NSCalendar::initWithCalendarIdentifier(NSGregorianCalendar);
    NSTimeZone berlin = zone("Europe/Berlin");
    cal->setTimeZone(berlin);
    auto f = formatter("yyyy-MM-dd HH:mm", berlin);

    struct Case {
        NSCalendarUnit unit;
        NSUInteger firstWeekday;
        const char* at;
        const char* start;
        double hours;
    };
    const Case cases[] = {
        {NSWeekCalendarUnit, 1, "2024-03-27 15:00", "2024-03-24 00:00", 7 * 24},
        {NSWeekCalendarUnit, 1, "2024-03-31 12:00", "2024-03-31 00:00", 7 * 24 - 1},  // holds the spring change
        {NSWeekCalendarUnit, 2, "2024-03-31 12:00", "2024-03-25 00:00", 7 * 24 - 1},
        {NSWeekCalendarUnit, 1, "2024-03-24 00:00", "2024-03-24 00:00", 7 * 24},
        {NSDayCalendarUnit, 1, "2024-03-31 12:00", "2024-03-31 00:00", 23},
        {NSMonthCalendarUnit, 1, "2024-02-10 08:00", "2024-02-01 00:00", 29 * 24},
        {NSYearCalendarUnit, 1, "2023-06-10 08:00", "2023-01-01 00:00", 365 * 24},
    };
    for (const auto& c : cases) {
        cal->setFirstWeekday(c.firstWeekday);
        NSDate start;
        NSTimeInterval length = 0;
        ASSERT_TRUE(cal->rangeOfUnit(c.unit, &start, &length, *f->dateFromString(c.at))) << c.at;
        EXPECT_EQ(f->stringFromDate(start), NSString(c.start)) << c.at;
        EXPECT_EQ(length, c.hours * 3600) << c.at;
    }
    EXPECT_FALSE(cal->rangeOfUnit(NSSecondCalendarUnit, nullptr, nullptr, NSDate()));

    auto leap = f->dateFromString("2024-02-10 08:00");
    EXPECT_EQ(cal->rangeOfUnit(NSDayCalendarUnit, NSMonthCalendarUnit, *leap), NSMakeRange(1, 29));
    EXPECT_EQ(cal->rangeOfUnit(NSDayCalendarUnit, NSYearCalendarUnit, *leap), NSMakeRange(1, 366));
    EXPECT_EQ(cal->rangeOfUnit(NSMonthCalendarUnit, NSYearCalendarUnit, *leap), NSMakeRange(1, 12));
    EXPECT_EQ(cal->rangeOfUnit(NSHourCalendarUnit, NSWeekCalendarUnit, *leap).location, static_cast<NSUInteger>(NSNotFound));
}
