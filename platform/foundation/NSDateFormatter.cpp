#include "platform/foundation/NSDateFormatter.h"

#include <unicode/smpdtfmt.h>

#include "platform/foundation/detail/ICUTime.h"

NSDateFormatter::NSDateFormatter() : zone_(NSTimeZone::localTimeZone()) {}

NSDateFormatter::~NSDateFormatter() = default;

void NSDateFormatter::setDateFormat(const NSString& format)
{
    format_ = format;
    icu_.reset();
}

void NSDateFormatter::setTimeZone(const NSTimeZone& zone)
{
    zone_ = zone;
    icu_.reset();
}

icu::SimpleDateFormat* NSDateFormatter::formatter() const
{
    if (icu_ || format_.isNil() || format_.str().empty()) return icu_.get();
    UErrorCode status = U_ZERO_ERROR;
    auto f = std::make_unique<icu::SimpleDateFormat>(nxtime::toUnicode(format_), nxtime::posixLocale(), status);
    if (U_FAILURE(status)) return nullptr;
    f->adoptTimeZone(nxtime::icuZone(zone_).release());
    // Strict reading: a text matches only with valid field values and no
    // tolerated extras, so a mistyped date never turns into a different one.
    f->setLenient(false);
    icu_ = std::move(f);
    return icu_.get();
}

NSString NSDateFormatter::stringFromDate(const NSDate& date) const
{
    auto* f = formatter();
    if (!f) return {};
    icu::UnicodeString out;
    f->format(nxtime::toUDate(date), out);
    return nxtime::fromUnicode(out);
}

std::optional<NSDate> NSDateFormatter::dateFromString(const NSString& text) const
{
    auto* f = formatter();
    if (!f || text.isNil()) return std::nullopt;
    icu::UnicodeString u = nxtime::toUnicode(text);
    icu::ParsePosition pos(0);
    UDate ms = f->parse(u, pos);
    if (pos.getErrorIndex() >= 0 || pos.getIndex() != u.length()) return std::nullopt;
    return nxtime::fromUDate(ms);
}
