#pragma once
// Dates to text and back with a date pattern ("yyyy-MM-dd HH:mm:ss") in a time
// zone. Formatting always uses the POSIX English locale ("en_US_POSIX") and the
// Gregorian calendar, whatever the machine's locale, because every text written
// or read here is exchanged with the service or stored.
// A formatter is not shared between threads; each thread makes its own.

#include <memory>
#include <optional>

#include "platform/foundation/NSDate.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

class NSDateFormatter : public NSObject {
public:
    NSDateFormatter();
    ~NSDateFormatter() override;
    static std::shared_ptr<NSDateFormatter> init() { return std::make_shared<NSDateFormatter>(); }

    const NSString& dateFormat() const { return format_; }
    void setDateFormat(const NSString& format);
    // The zone the texts are in; the local zone (at creation) until set.
    const NSTimeZone& timeZone() const { return zone_; }
    void setTimeZone(const NSTimeZone& zone);

    // nil for a nil or empty pattern.
    NSString stringFromDate(const NSDate& date) const;
    // nil unless the whole text matches the pattern with valid field values.
    std::optional<NSDate> dateFromString(const NSString& text) const;

private:
    icu::SimpleDateFormat* formatter() const;

    NSString format_;
    NSTimeZone zone_;
    mutable std::unique_ptr<icu::SimpleDateFormat> icu_;  // built on first use after a change
};
