#pragma once
// CoreFoundation's broken-down Gregorian date, in the default (local) time
// zone: absolute times (seconds since the reference date) to fields and back.

#include <cstdint>

#include "platform/foundation/NSObject.h"

struct CFGregorianDate {
    int32_t year = 0;
    int8_t month = 0;
    int8_t day = 0;
    int8_t hour = 0;
    int8_t minute = 0;
    double second = 0;
};

using CFAbsoluteTime = NSTimeInterval;

CFGregorianDate CFAbsoluteTimeGetGregorianDate(CFAbsoluteTime at);
// Fields out of range carry over (month 13 is January of the next year).
CFAbsoluteTime CFGregorianDateGetAbsoluteTime(const CFGregorianDate& date);
// 1 Monday .. 7 Sunday.
int32_t CFAbsoluteTimeGetDayOfWeek(CFAbsoluteTime at);
