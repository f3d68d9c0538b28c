#include "protocol/TimeSettingConstant.h"

#include "protocol/EncipheredDefaults.h"

NSString TimeSettingConstant::cmdType() { return EncipheredStringForKey("TimeSettingCmdType"); }
void TimeSettingConstant::setCmdType(const NSString& value) { SetEncipheredString(value, "TimeSettingCmdType"); }
NSString TimeSettingConstant::timeType() { return EncipheredStringForKey("TimeSettingTimeType"); }
void TimeSettingConstant::setTimeType(const NSString& value) { SetEncipheredString(value, "TimeSettingTimeType"); }
NSString TimeSettingConstant::timeLength() { return EncipheredStringForKey("TimeSettingTimeLength"); }
void TimeSettingConstant::setTimeLength(const NSString& value) { SetEncipheredString(value, "TimeSettingTimeLength"); }
NSString TimeSettingConstant::unlimited() { return EncipheredStringForKey("TimeSettingUnlimited"); }
void TimeSettingConstant::setUnlimited(const NSString& value) { SetEncipheredString(value, "TimeSettingUnlimited"); }

NSString TimeSettingConstant::nextTimeType(const NSString& timeType, NSInteger switchOfSetting)
{
    // Per input type, the result of toggling switch 0, 1 and 2.
    static constexpr struct {
        const char* type;
        const char* next[3];
    } steps[] = {
        {"-1", {"0", "1", "2"}}, {"0", {"-1", "3", "4"}}, {"1", {"3", "-1", "2"}},
        {"2", {"4", "1", "-1"}}, {"3", {"1", "0", "4"}},  {"4", {"2", "3", "0"}},
    };
    for (const auto& step : steps) {
        if (timeType == step.type) {
            return switchOfSetting >= 0 && switchOfSetting <= 2 ? NSString(step.next[switchOfSetting]) : timeType;
        }
    }
    return NSString();
}
