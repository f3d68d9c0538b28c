#pragma once
// Shared between the date classes: ICU's view of dates and zones.

#include <memory>

#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include "platform/foundation/NSDate.h"

namespace nxtime {

// ICU counts milliseconds from 1970.
inline UDate toUDate(const NSDate& d) { return d.timeIntervalSince1970() * 1000.0; }
inline NSDate fromUDate(UDate ms) { return NSDate::dateWithTimeIntervalSince1970(ms / 1000.0); }

std::unique_ptr<icu::TimeZone> icuZone(const NSTimeZone& zone);
// The one locale of every text and calendar computation.
const icu::Locale& posixLocale();

inline icu::UnicodeString toUnicode(const NSString& s) { return icu::UnicodeString::fromUTF8(s.view()); }
NSString fromUnicode(const icu::UnicodeString& s);

}  // namespace nxtime
