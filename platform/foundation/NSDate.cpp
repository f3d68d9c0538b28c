#include "platform/foundation/NSDate.h"

#include <cstdlib>

#include <unicode/calendar.h>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/detail/ICUTime.h"

namespace nxtime {

std::unique_ptr<icu::TimeZone> icuZone(const NSTimeZone& zone)
{
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(toUnicode(zone.name())));
}

const icu::Locale& posixLocale()
{
    static const icu::Locale locale("en_US_POSIX");
    return locale;
}

NSString fromUnicode(const icu::UnicodeString& s)
{
    std::string out;
    s.toUTF8String(out);
    return NSString(std::move(out));
}

}  // namespace nxtime

// ---- NSDate -------------------------------------------------------------------

NSDate NSDate::date()
{
    // The clock tests replace with a virtual one.
    return dateWithTimeIntervalSinceReferenceDate(NSClock::timeIntervalSinceReferenceDate());
}

NSDate NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds) { return date().dateByAddingTimeInterval(seconds); }

NSTimeInterval NSDate::timeIntervalSinceNow() const { return timeIntervalSinceDate(date()); }

NSComparisonResult NSDate::compare(const NSDate& other) const
{
    if (t_ < other.t_) return NSOrderedAscending;
    if (t_ > other.t_) return NSOrderedDescending;
    return NSOrderedSame;
}

NSString NSDate::description() const
{
    NSDateFormatter f;
    f.setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
    f.setDateFormat("yyyy-MM-dd HH:mm:ss Z");
    return f.stringFromDate(*this);
}

// ---- NSTimeZone ---------------------------------------------------------------

std::optional<NSTimeZone> NSTimeZone::timeZoneWithName(const NSString& name)
{
    if (name.isNil() || name.str().empty()) return std::nullopt;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(nxtime::toUnicode(name)));
    if (*zone == icu::TimeZone::getUnknown()) return std::nullopt;
    return NSTimeZone(name);
}

NSTimeZone NSTimeZone::timeZoneForSecondsFromGMT(NSInteger seconds)
{
    if (seconds == 0) return NSTimeZone("GMT");
    NSInteger a = seconds < 0 ? -seconds : seconds;
    NSString name = NSString::stringWithFormat("GMT%s%02ld:%02ld", seconds < 0 ? "-" : "+", a / 3600, a / 60 % 60);
    if (a % 60) name = NSString::stringWithFormat("%@:%02ld", name, a % 60);
    return NSTimeZone(name);
}

NSTimeZone NSTimeZone::localTimeZone()
{
    // ICU reads TZ at every detection, so a changed environment is seen at once.
    std::unique_ptr<icu::TimeZone> host(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString id;
    host->getID(id);
    NSString name = nxtime::fromUnicode(id);
    if (*host == icu::TimeZone::getUnknown() || name.str().empty()) return NSTimeZone("GMT");
    return NSTimeZone(name);
}

namespace {

// The zone's standard offset and daylight-saving shift at a moment, in ms.
std::pair<int32_t, int32_t> offsetsAt(const NSTimeZone& zone, const NSDate& date)
{
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    nxtime::icuZone(zone)->getOffset(nxtime::toUDate(date), false, raw, dst, status);
    if (U_FAILURE(status)) return {0, 0};
    return {raw, dst};
}

}  // namespace

NSInteger NSTimeZone::secondsFromGMTForDate(const NSDate& date) const
{
    auto [raw, dst] = offsetsAt(*this, date);
    return (raw + dst) / 1000;
}

bool NSTimeZone::isDaylightSavingTimeForDate(const NSDate& date) const { return offsetsAt(*this, date).second != 0; }
