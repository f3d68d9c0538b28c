#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/TempFolder.h"

TEST(NSUserDefaults, TypedValuesAndTheirConversions)
{
    TempFolder tmp;
    auto d = NSUserDefaults::initWithPath(tmp / "prefs.plist");
    d->setObject(NSString("alice"), "username");
    d->setBool(true, "isLogin");
    d->setInteger(42, "count");
    d->setDouble(2.75, "ratio");
    d->setObject(NSData{1, 2, 3}, "blob");
    d->setObject(std::vector<NSString>{"a", "b"}, "list");
    d->setObject(std::map<NSString, NSString>{{"k", "v"}}, "map");
    d->setObject("7", "digits");
    d->setValue("School", "ManagerType");

    struct Case {
        const char* key;
        NSString string;
        bool boolean;
        NSInteger integer;
        double real;
    };
    const Case cases[] = {
        {"username", "alice", false, 0, 0},
        {"isLogin", NSString(), true, 1, 1},
        {"count", "42", true, 42, 42},
        {"ratio", "2.75", true, 2, 2.75},
        {"digits", "7", true, 7, 7},
        {"blob", NSString(), false, 0, 0},
        {"absent", NSString(), false, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d->stringForKey(c.key), c.string) << c.key;
        EXPECT_EQ(d->boolForKey(c.key), c.boolean) << c.key;
        EXPECT_EQ(d->integerForKey(c.key), c.integer) << c.key;
        EXPECT_EQ(d->doubleForKey(c.key), c.real) << c.key;
    }
    EXPECT_EQ(d->dataForKey("blob"), (NSData{1, 2, 3}));
    EXPECT_FALSE(d->dataForKey("username").has_value());
    EXPECT_EQ(d->arrayForKey("list"), (std::vector<NSString>{"a", "b"}));
    EXPECT_FALSE(d->arrayForKey("map").has_value());
    EXPECT_EQ(d->dictionaryForKey("map"), (std::map<NSString, NSString>{{"k", "v"}}));
    EXPECT_EQ(*d->objectForKey("ManagerType").string(), NSString("School"));
    EXPECT_TRUE(d->objectForKey("absent").isNil());
}

TEST(NSUserDefaults, NilRemovesAndRestartSeesTheSameValues)
{
    TempFolder tmp;
    NSString file = tmp / "prefs.plist";
    {
        auto d = NSUserDefaults::initWithPath(file);
        d->setObject(NSString("secret"), "password");
        d->setObject(NSString("x"), "nilled");
        d->setObject(NSString("y"), "removed");
        d->setBool(false, "isRecordPass");
        d->setObject(NSString(), "nilled");  // a nil string removes
        d->removeObjectForKey("removed");
        d->removeObjectForKey("never there");
        EXPECT_TRUE(d->objectForKey("nilled").isNil());
        // No synchronize: every change is already on disk.
    }
    auto again = NSUserDefaults::initWithPath(file);
    EXPECT_EQ(again->stringForKey("password"), NSString("secret"));
    EXPECT_TRUE(again->objectForKey("nilled").isNil());
    EXPECT_TRUE(again->objectForKey("removed").isNil());
    ASSERT_TRUE(again->objectForKey("isRecordPass").boolean());
    EXPECT_FALSE(again->boolForKey("isRecordPass"));
    EXPECT_TRUE(again->synchronize());
    // Only the store itself is in the folder: no temporary file left behind.
    EXPECT_EQ(*NSFileManager::defaultManager()->contentsOfDirectoryAtPath(tmp.path()), std::vector<NSString>{"prefs.plist"});
}

TEST(NSUserDefaults, SharedStoreLivesInTheApplicationFolderAndResets)
{
    TempFolder tmp;
    ScopedEnv home("NX_APP_HOME", tmp.path().UTF8String());
    NSUserDefaults::resetStandardUserDefaults();
    auto shared = NSUserDefaults::standardUserDefaults();
    EXPECT_EQ(shared, NSUserDefaults::standardUserDefaults());
    EXPECT_EQ(shared->path(), tmp / "Library/Preferences/ParentalControlClient.plist");
    shared->setObject(NSString("1234"), "DeviceId");
    NSUserDefaults::resetStandardUserDefaults();  // as after a restart
    auto fresh = NSUserDefaults::standardUserDefaults();
    EXPECT_NE(fresh, shared);
    EXPECT_EQ(fresh->stringForKey("DeviceId"), NSString("1234"));
    NSUserDefaults::resetStandardUserDefaults();
}

TEST(NSUserDefaults, CorruptStoreIsSetAsideNotOverwritten)
{
    TempFolder tmp;
    NSString file = tmp / "prefs.plist";
    const std::string garbage = "<plist><dict><key>half";
    ASSERT_TRUE(NSDataWriteToFile(NSData(garbage.begin(), garbage.end()), file, true));
    std::vector<std::string> logged;
    auto previous = nxlog::setSink([&](const std::string& line) { logged.push_back(line); });
    auto d = NSUserDefaults::initWithPath(file);
    nxlog::setSink(previous);
    EXPECT_TRUE(d->objectForKey("half").isNil());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("set aside"), std::string::npos) << logged[0];

    auto names = *NSFileManager::defaultManager()->contentsOfDirectoryAtPath(tmp.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].hasPrefix("prefs.plist.corrupt-")) << names[0];
    EXPECT_EQ(NSDataWithContentsOfFile(tmp.path().stringByAppendingPathComponent(names[0])),
              NSData(garbage.begin(), garbage.end()));

    // The store works on and writes a new, sound file.
    d->setInteger(5, "n");
    EXPECT_EQ(NSUserDefaults::initWithPath(file)->integerForKey("n"), 5);
    // A store whose root is not a dictionary is just as unreadable.
    ASSERT_TRUE(PlistValue("just a string").writeToFile(tmp / "other.plist", true));
    auto previous2 = nxlog::setSink([](const std::string&) {});
    EXPECT_TRUE(NSUserDefaults::initWithPath(tmp / "other.plist")->objectForKey("x").isNil());
    nxlog::setSink(previous2);
    EXPECT_FALSE(NSFileManager::defaultManager()->fileExistsAtPath(tmp / "other.plist"));
}

TEST(NSUserDefaults, FailedWriteIsRetriedBySynchronize)
{
    TempFolder tmp;
    NSString folder = tmp / "later";
    auto d = NSUserDefaults::initWithPath(folder.stringByAppendingPathComponent("prefs.plist"));
    auto previous = nxlog::setSink([](const std::string&) {});
    d->setObject(NSString("v"), "k");  // the folder does not exist yet
    EXPECT_FALSE(d->synchronize());
    nxlog::setSink(previous);
    EXPECT_EQ(d->stringForKey("k"), NSString("v"));
    ASSERT_TRUE(NSFileManager::defaultManager()->createDirectoryAtPath(folder, true));
    EXPECT_TRUE(d->synchronize());
    EXPECT_EQ(NSUserDefaults::initWithPath(d->path())->stringForKey("k"), NSString("v"));
}

TEST(NSUserDefaults, ConcurrentWritersLoseNothing)
{
    TempFolder tmp;
    NSString file = tmp / "prefs.plist";
    auto d = NSUserDefaults::initWithPath(file);
    constexpr int kThreads = 6, kKeys = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < kKeys; ++k) {
                NSString key = NSString::stringWithFormat("t%d-k%d", t, k);
                d->setInteger(t * 1000 + k, key);
                EXPECT_EQ(d->integerForKey(key), t * 1000 + k);
                (void)d->stringForKey("t0-k0");
            }
        });
    }
    for (auto& th : threads) th.join();
    auto reread = NSUserDefaults::initWithPath(file);
    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(reread->integerForKey(NSString::stringWithFormat("t%d-k%d", t, k)), t * 1000 + k);
    EXPECT_EQ(*NSFileManager::defaultManager()->contentsOfDirectoryAtPath(tmp.path()), std::vector<NSString>{"prefs.plist"});
}
