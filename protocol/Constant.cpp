#include "protocol/Constant.h"

#include <atomic>

#include "http/Reachability.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/EncipheredDefaults.h"
#include "protocol/ServiceConfig.h"

namespace {

std::shared_ptr<NSUserDefaults> defaults() { return NSUserDefaults::standardUserDefaults(); }

NSString stringFor(const char* key) { return defaults()->stringForKey(key); }
void setString(const NSString& value, const char* key) { defaults()->setObject(value, key); }
bool boolFor(const char* key) { return defaults()->boolForKey(key); }
void setBool(bool value, const char* key) { defaults()->setBool(value, key); }

// A formatter per call: formatters belong to one thread.
std::shared_ptr<NSDateFormatter> formatter(const char* pattern)
{
    auto f = NSDateFormatter::init();
    f->setDateFormat(pattern);
    return f;
}

constexpr char kDateTime[] = "yyyy-MM-dd HH:mm:ss";

std::atomic<bool> gFirstTime{true};
std::atomic<bool> gAutoLogin{true};
std::atomic<bool> gImageView{false};
std::atomic<bool> gLandScape{false};

}  // namespace

NSString Constant::userName() { return EncipheredStringForKey("username"); }
void Constant::setUserName(const NSString& value) { SetEncipheredString(value, "username"); }
NSString Constant::userID() { return EncipheredStringForKey("userID"); }
void Constant::setUserID(const NSString& value) { SetEncipheredString(value, "userID"); }
NSString Constant::password() { return EncipheredStringForKey("password"); }
void Constant::setPassword(const NSString& value) { SetEncipheredString(value, "password"); }

NSString Constant::verificationCode() { return stringFor("verificationCode"); }
void Constant::setVerificationCode(const NSString& value) { setString(value, "verificationCode"); }
NSString Constant::imgDays() { return stringFor("imgDays"); }
void Constant::setImgDays(const NSString& value) { setString(value, "imgDays"); }
NSString Constant::recordDays() { return stringFor("recordDays"); }
void Constant::setRecordDays(const NSString& value) { setString(value, "recordDays"); }
NSString Constant::taocanDays() { return stringFor("taocanDays"); }
void Constant::setTaocanDays(const NSString& value) { setString(value, "taocanDays"); }
NSString Constant::serverTime() { return stringFor("serverTime"); }
void Constant::setServerTime(const NSString& value) { setString(value, "serverTime"); }
NSString Constant::mobileCount() { return stringFor("mobileCount"); }
void Constant::setMobileCount(const NSString& value) { setString(value, "mobileCount"); }
NSString Constant::taoCanType() { return stringFor("taoCanType"); }
void Constant::setTaoCanType(const NSString& value) { setString(value, "taoCanType"); }
NSString Constant::taocanAlertLastShowTime() { return stringFor("taocanAlertLastShowTime"); }
void Constant::setTaocanAlertLastShowTime(const NSString& value) { setString(value, "taocanAlertLastShowTime"); }

bool Constant::isNotHelp() { return boolFor("isNotHelp"); }
void Constant::setNotHelp(bool value) { setBool(value, "isNotHelp"); }
bool Constant::isLogin() { return boolFor("isLogin"); }
void Constant::setLogined(bool value) { setBool(value, "isLogin"); }
bool Constant::isRecordPass() { return boolFor("isRecordPass"); }
void Constant::setRecordPass(bool value) { setBool(value, "isRecordPass"); }
bool Constant::isPromptTimeEdit() { return boolFor("promptTimeSetting"); }
void Constant::setIsPromptTimeEdit(bool value) { setBool(value, "promptTimeSetting"); }
bool Constant::isSyncTimeAndSoftTimeSetting() { return boolFor("syncTimeAndSoftTimeSetting"); }
void Constant::isSyncTimeAndSoftTimeSetting(bool value) { setBool(value, "syncTimeAndSoftTimeSetting"); }

bool Constant::firstTime() { return gFirstTime; }
void Constant::setFirstTime(bool value) { gFirstTime = value; }
bool Constant::autoLogin() { return gAutoLogin; }
void Constant::setAutoLogin(bool value) { gAutoLogin = value; }
bool Constant::isImageView() { return gImageView; }
void Constant::setImageView(bool value) { gImageView = value; }
bool Constant::landScape() { return gLandScape; }
void Constant::setLandScape(bool value) { gLandScape = value; }

NSString Constant::currentTime() { return dateToString(NSDate::date()); }

NSString Constant::dateToString(const NSDate& date) { return formatter(kDateTime)->stringFromDate(date); }

std::optional<NSDate> Constant::stringToDate(const NSString& text) { return formatter("yyyy-MM-dd")->dateFromString(text); }

bool Constant::isDateThisWeek(const NSDate& date)
{
    NSDate start;
    NSTimeInterval length = 0;
    if (!NSCalendar::currentCalendar()->rangeOfUnit(NSWeekCalendarUnit, &start, &length, NSDate::date())) return false;
    return date >= start && date < start.dateByAddingTimeInterval(length);
}

bool Constant::isShowTaocanAlert()
{
    NSString last = taocanAlertLastShowTime();
    if (last.isNil() || last.length() == 0) return true;
    std::optional<NSDate> shown = formatter(kDateTime)->dateFromString(last);
    return !shown || !isDateThisWeek(*shown);
}

bool Constant::testConnection()
{
    auto reach = Reachability::reachabilityWithHostName(ServiceConfig::host());
    return reach && reach->currentReachabilityStatus() != NotReachable;
}
