#pragma once
// The last time-setting state, kept enciphered in the user defaults, and the
// step between time types.

#include "platform/foundation/NSString.h"

class TimeSettingConstant {
public:
    // nil when absent or not decipherable; setting nil removes the entry.
    static NSString cmdType();
    static void setCmdType(const NSString& value);
    static NSString timeType();
    static void setTimeType(const NSString& value);
    static NSString timeLength();
    static void setTimeLength(const NSString& value);
    static NSString unlimited();
    static void setUnlimited(const NSString& value);

    // The time type ("-1" to "4", a set of three switches of which 1 and 2
    // exclude each other) after toggling switch 0, 1 or 2. nil for an unknown
    // type; the type itself for another switch index.
    static NSString nextTimeType(const NSString& timeType, NSInteger switchOfSetting);
};
