#pragma once
// The settings store: the login state, the account (kept enciphered), the
// package data of the last login and display flags in the user defaults, a few
// flags of the running process, and the message time stamp. Safe from any thread.

#include <optional>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSString.h"

class Constant {
public:
    // Enciphered; nil when absent or not decipherable. Setting nil removes the entry.
    static NSString userName();
    static void setUserName(const NSString& value);
    static NSString userID();
    static void setUserID(const NSString& value);
    static NSString password();
    static void setPassword(const NSString& value);

    // Plain strings; nil when absent. Setting nil removes the entry.
    static NSString verificationCode();
    static void setVerificationCode(const NSString& value);
    static NSString imgDays();
    static void setImgDays(const NSString& value);
    static NSString recordDays();
    static void setRecordDays(const NSString& value);
    static NSString taocanDays();
    static void setTaocanDays(const NSString& value);
    static NSString serverTime();
    static void setServerTime(const NSString& value);
    static NSString mobileCount();
    static void setMobileCount(const NSString& value);
    static NSString taoCanType();
    static void setTaoCanType(const NSString& value);
    static NSString taocanAlertLastShowTime();
    static void setTaocanAlertLastShowTime(const NSString& value);

    // Booleans; NO when absent.
    static bool isNotHelp();
    static void setNotHelp(bool value);
    static bool isLogin();
    static void setLogined(bool value);
    static bool isRecordPass();
    static void setRecordPass(bool value);
    static bool isPromptTimeEdit();
    static void setIsPromptTimeEdit(bool value);
    static bool isSyncTimeAndSoftTimeSetting();
    static void isSyncTimeAndSoftTimeSetting(bool value);

    // Flags of the running process, not kept.
    static bool firstTime();  // YES at start
    static void setFirstTime(bool value);
    static bool autoLogin();  // YES at start
    static void setAutoLogin(bool value);
    static bool isImageView();  // NO at start
    static void setImageView(bool value);
    static bool landScape();  // NO at start
    static void setLandScape(bool value);

    // The present moment as "yyyy-MM-dd HH:mm:ss" in the local time zone.
    static NSString currentTime();
    // The date as "yyyy-MM-dd HH:mm:ss" in the local time zone.
    static NSString dateToString(const NSDate& date);
    // A "yyyy-MM-dd" text as a date; nil when it does not match.
    static std::optional<NSDate> stringToDate(const NSString& text);
    // Whether the date lies in the present week of the user's calendar, its
    // first instant included.
    static bool isDateThisWeek(const NSDate& date);
    // Whether the package alert is due: never shown, or last shown before this week.
    static bool isShowTaocanAlert();
    // Whether the service host can be reached now (a fresh monitor's status is
    // not "not reachable"); the service host is the only one the client talks to.
    static bool testConnection();
};
