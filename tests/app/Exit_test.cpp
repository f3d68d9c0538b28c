// The client's process ends as a device's does: the application object, and
// with it the map manager the client started at launch, goes after the
// statics at exit, and the teardown touches nothing already gone.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "engine/root/EngineRoot.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "platform/uikit/UIApplicationMain.h"
#include "tests/app/AppFixture.h"

namespace {

// The child's home, made by the test and inherited by the child, which runs
// the test again up to its statement.
constexpr const char* kHomeVariable = "NX_EXIT_TEST_HOME";

TEST(AppExitDeathTest, TheProcessEndsCleanlyAfterTheClientStartedTheMapEngine)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::optional<TempFolder> home;
    if (!std::getenv(kHomeVariable)) {
        home.emplace();
        setenv(kHomeVariable, home->path().UTF8String(), 1);
    }
    EXPECT_EXIT(
        {
            setenv("NX_APP_HOME", std::getenv(kHomeVariable), 1);
            NSUserDefaults::resetStandardUserDefaults();
            NXUITestDriver driver;
            NXApplicationLaunch(NSString());
            std::fputs(mapengine::GetEngineRoot() ? "the engine runs\n" : "no engine\n", stderr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "the engine runs");
    unsetenv(kHomeVariable);
}

}  // namespace
