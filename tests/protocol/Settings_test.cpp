// The settings store over the user defaults, in a home folder of its own.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/TempFolder.h"
#include "protocol/Constant.h"
#include "protocol/CrypHelper.h"
#include "protocol/TimeSettingConstant.h"

namespace {

class SettingsStore : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("NX_APP_HOME", home_.c_str(), 1);
        NSUserDefaults::resetStandardUserDefaults();
    }

    void TearDown() override
    {
        NSUserDefaults::resetStandardUserDefaults();
        ::unsetenv("NX_APP_HOME");
    }

    // A new process would read the store file afresh.
    static void restart() { NSUserDefaults::resetStandardUserDefaults(); }

    static PlistValue raw(const char* key) { return NSUserDefaults::standardUserDefaults()->objectForKey(key); }

    std::string storeFile() const
    {
        std::ifstream in(NSUserDefaults::standardUserDefaults()->path().str());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempFolder folder_;
    std::string home_ = folder_.path().str();
};

struct Enciphered {
    const char* key;
    NSString (*get)();
    void (*set)(const NSString&);
};

const Enciphered kEnciphered[] = {
    {"username", &Constant::userName, &Constant::setUserName},
    {"userID", &Constant::userID, &Constant::setUserID},
    {"password", &Constant::password, &Constant::setPassword},
    {"TimeSettingCmdType", &TimeSettingConstant::cmdType, &TimeSettingConstant::setCmdType},
    {"TimeSettingTimeType", &TimeSettingConstant::timeType, &TimeSettingConstant::setTimeType},
    {"TimeSettingTimeLength", &TimeSettingConstant::timeLength, &TimeSettingConstant::setTimeLength},
    {"TimeSettingUnlimited", &TimeSettingConstant::unlimited, &TimeSettingConstant::setUnlimited},
};

TEST_F(SettingsStore, EncipheredValuesSurviveARestartAndAreNeverStoredInClear)
{
    for (const auto& e : kEnciphered) {
        EXPECT_TRUE(e.get().isNil()) << e.key;
        std::string value = std::string("家长-") + e.key;
        e.set(value);
        const PlistValue entry = raw(e.key);
        const NSString* stored = entry.string();
        ASSERT_NE(stored, nullptr) << e.key;
        EXPECT_EQ(*stored, CrypHelper::encryptStr(value)) << e.key;
    }
    restart();
    const std::string file = storeFile();
    for (const auto& e : kEnciphered) {
        std::string value = std::string("家长-") + e.key;
        EXPECT_EQ(e.get(), NSString(value)) << e.key;
        EXPECT_EQ(file.find(value), std::string::npos) << e.key;
    }
}

TEST_F(SettingsStore, SettingNilRemovesTheEncipheredEntry)
{
    for (const auto& e : kEnciphered) {
        e.set("x");
        e.set(NSString());
        EXPECT_TRUE(raw(e.key).isNil()) << e.key;
        EXPECT_TRUE(e.get().isNil()) << e.key;
        e.set("");
        EXPECT_EQ(e.get(), "") << e.key;
    }
}

TEST_F(SettingsStore, UndecipherableValuesReadAsNil)
{
    const char* garbage[] = {"PARAM ERROR", "%%%", "", "QUJD", "AAAAAAAAAAA="};
    for (const auto& e : kEnciphered) {
        for (const char* g : garbage) {
            NSUserDefaults::standardUserDefaults()->setObject(NSString(g), e.key);
            EXPECT_TRUE(e.get().isNil()) << e.key << " " << g;
        }
    }
}

struct Plain {
    const char* key;
    NSString (*get)();
    void (*set)(const NSString&);
};

TEST_F(SettingsStore, PlainStringsSurviveARestart)
{
    const Plain plain[] = {
        {"verificationCode", &Constant::verificationCode, &Constant::setVerificationCode},
        {"imgDays", &Constant::imgDays, &Constant::setImgDays},
        {"recordDays", &Constant::recordDays, &Constant::setRecordDays},
        {"taocanDays", &Constant::taocanDays, &Constant::setTaocanDays},
        {"serverTime", &Constant::serverTime, &Constant::setServerTime},
        {"mobileCount", &Constant::mobileCount, &Constant::setMobileCount},
        {"taoCanType", &Constant::taoCanType, &Constant::setTaoCanType},
        {"taocanAlertLastShowTime", &Constant::taocanAlertLastShowTime, &Constant::setTaocanAlertLastShowTime},
    };
    for (const auto& p : plain) {
        EXPECT_TRUE(p.get().isNil()) << p.key;
        p.set(std::string("v-") + p.key);
    }
    restart();
    for (const auto& p : plain) {
        EXPECT_EQ(p.get(), NSString(std::string("v-") + p.key)) << p.key;
        EXPECT_NE(raw(p.key).string(), nullptr) << p.key;
        p.set(NSString());
        EXPECT_TRUE(raw(p.key).isNil()) << p.key;
    }
}

TEST_F(SettingsStore, BooleansAreNoWhenAbsentAndSurviveARestart)
{
    struct Flag {
        const char* key;
        bool (*get)();
        void (*set)(bool);
    };
    const Flag flags[] = {
        {"isNotHelp", &Constant::isNotHelp, &Constant::setNotHelp},
        {"isLogin", &Constant::isLogin, &Constant::setLogined},
        {"isRecordPass", &Constant::isRecordPass, &Constant::setRecordPass},
        {"promptTimeSetting", &Constant::isPromptTimeEdit, &Constant::setIsPromptTimeEdit},
        {"syncTimeAndSoftTimeSetting", static_cast<bool (*)()>(&Constant::isSyncTimeAndSoftTimeSetting),
         static_cast<void (*)(bool)>(&Constant::isSyncTimeAndSoftTimeSetting)},
    };
    for (const auto& f : flags) {
        EXPECT_FALSE(f.get()) << f.key;
        f.set(true);
    }
    restart();
    for (const auto& f : flags) {
        EXPECT_TRUE(f.get()) << f.key;
        EXPECT_NE(raw(f.key).boolean(), nullptr) << f.key;
        f.set(false);
        EXPECT_FALSE(f.get()) << f.key;
    }
}

TEST_F(SettingsStore, ProcessFlagsStartAsGivenAndAreNotKept)
{
    EXPECT_TRUE(Constant::firstTime());
    EXPECT_TRUE(Constant::autoLogin());
    EXPECT_FALSE(Constant::isImageView());
    EXPECT_FALSE(Constant::landScape());
    Constant::setAutoLogin(2);
    EXPECT_TRUE(Constant::autoLogin());
    Constant::setFirstTime(false);
    Constant::setImageView(true);
    Constant::setLandScape(true);
    EXPECT_FALSE(Constant::firstTime());
    EXPECT_TRUE(Constant::isImageView());
    EXPECT_TRUE(Constant::landScape());
    EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->objectForKey("firstTime").isNil());
    Constant::setFirstTime(true);
    Constant::setImageView(false);
    Constant::setLandScape(false);
}

TEST_F(SettingsStore, ConcurrentReadersAndWriters)
{
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &bad] {
            for (int i = 0; i < 50; ++i) {
                if (t % 2) {
                    Constant::setUserName("user" + std::to_string(i));
                } else {
                    NSString name = Constant::userName();
                    if (!name.isNil() && !name.hasPrefix("user")) ++bad[t];
                }
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int b : bad) EXPECT_EQ(b, 0);
    EXPECT_TRUE(Constant::userName().hasPrefix("user"));
}

// ---- Time texts and the week rule ---------------------------------------------

TEST(ConstantTime, CurrentTimeAndDateTexts)
{
    NSString now = Constant::currentTime();
    ASSERT_EQ(now.length(), 19u);
    auto parsed = Constant::stringToDate(now.substringToIndex(10));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(Constant::dateToString(*parsed), now.substringToIndex(10).stringByAppendingString(" 00:00:00"));
    EXPECT_FALSE(Constant::stringToDate("2012-13-40").has_value());
    EXPECT_FALSE(Constant::stringToDate("yesterday").has_value());
    EXPECT_FALSE(Constant::stringToDate(NSString()).has_value());
}

// The present week of the user's calendar, taken twice so that a week boundary
// passing meanwhile is noticed.
bool thisWeek(NSDate& start, NSTimeInterval& length)
{
    auto calendar = NSCalendar::currentCalendar();
    NSDate again;
    NSTimeInterval againLength = 0;
    return calendar->rangeOfUnit(NSWeekCalendarUnit, &start, &length, NSDate::date()) &&
           calendar->rangeOfUnit(NSWeekCalendarUnit, &again, &againLength, NSDate::date()) && again == start;
}

TEST(ConstantTime, WeekIncludesItsFirstInstantAndExcludesItsEnd)
{
    NSDate start;
    NSTimeInterval length = 0;
    ASSERT_TRUE(thisWeek(start, length));
    EXPECT_TRUE(Constant::isDateThisWeek(start));
    EXPECT_TRUE(Constant::isDateThisWeek(NSDate::date()));
    EXPECT_TRUE(Constant::isDateThisWeek(start.dateByAddingTimeInterval(length - 1)));
    EXPECT_FALSE(Constant::isDateThisWeek(start.dateByAddingTimeInterval(length)));
    EXPECT_FALSE(Constant::isDateThisWeek(start.dateByAddingTimeInterval(-1)));
}

TEST_F(SettingsStore, PackageAlertIsDueOncePerWeek)
{
    EXPECT_TRUE(Constant::isShowTaocanAlert());
    Constant::setTaocanAlertLastShowTime("");
    EXPECT_TRUE(Constant::isShowTaocanAlert());
    Constant::setTaocanAlertLastShowTime("not a time");
    EXPECT_TRUE(Constant::isShowTaocanAlert());

    NSDate start;
    NSTimeInterval length = 0;
    ASSERT_TRUE(thisWeek(start, length));
    Constant::setTaocanAlertLastShowTime(Constant::dateToString(start));
    EXPECT_FALSE(Constant::isShowTaocanAlert());
    Constant::setTaocanAlertLastShowTime(Constant::currentTime());
    EXPECT_FALSE(Constant::isShowTaocanAlert());
    Constant::setTaocanAlertLastShowTime(Constant::dateToString(start.dateByAddingTimeInterval(-24 * 3600)));
    EXPECT_TRUE(Constant::isShowTaocanAlert());
}

// ---- Time-type steps ------------------------------------------------------------

TEST(TimeSettingConstant, NextTimeTypeFollowsTheSwitchTable)
{
    const char* table[][4] = {
        {"-1", "0", "1", "2"}, {"0", "-1", "3", "4"}, {"1", "3", "-1", "2"},
        {"2", "4", "1", "-1"}, {"3", "1", "0", "4"},  {"4", "2", "3", "0"},
    };
    for (const auto& row : table) {
        for (int s = 0; s < 3; ++s) {
            EXPECT_EQ(TimeSettingConstant::nextTimeType(row[0], s), row[s + 1]) << row[0] << " switch " << s;
        }
        EXPECT_EQ(TimeSettingConstant::nextTimeType(row[0], 3), row[0]);
        EXPECT_EQ(TimeSettingConstant::nextTimeType(row[0], -1), row[0]);
    }
    EXPECT_TRUE(TimeSettingConstant::nextTimeType("5", 0).isNil());
    EXPECT_TRUE(TimeSettingConstant::nextTimeType(NSString(), 0).isNil());
    EXPECT_TRUE(TimeSettingConstant::nextTimeType("", 1).isNil());
}

}  // namespace
