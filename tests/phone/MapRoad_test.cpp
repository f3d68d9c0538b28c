// The location map as the tour pictures it comes out the same in every run:
// the client started as it starts, in a fresh process each time, against the
// service and map doubles, logged in, the phone chosen, the map opened from
// the phone's home page and let settle; the two pictures are equal byte for
// byte.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "platform/uikit/UIApplicationMain.h"
#include "tests/app/AppFixture.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"
#include "tools/service-double/DemoAccount.h"
#include "tools/service-double/PhoneRecords.h"
#include "tools/tour/AppRoad.h"
#include "tools/tour/MapRoad.h"

namespace {

namespace fs = std::filesystem;

// The folder the runs write into, made by the test and inherited by each
// child, which runs the test again up to its statement.
constexpr const char* kFolderVariable = "NX_MAP_ROAD_FOLDER";

// The road in a process of its own: the picture of the location map in the
// run's folder, or a message and exit status 1.
void pictureTheLocationMap(const std::string& run)
{
    const fs::path folder = fs::path(std::getenv(kFolderVariable)) / run;
    fs::create_directories(folder / "home");
    setenv("NX_APP_HOME", (folder / "home").c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
    bool pictured = false;
    {
        servicedouble::ServiceDouble service;
        servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
        servicedouble::PhoneRecords phone;
        phone.serve(service);
        setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
        setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);
        mapdouble::MapDouble maps;
        mapdouble::LocationService locations;
        NXUITestDriver driver;
        phone.setPositions(tour::kDemoPhone, servicedouble::PhoneRecords::demoDay(servicedouble::fillDates("{DATE-0}")));
        NXApplicationLaunch(NSString());
        tour::Tour road(driver, service, folder, tour::ListedFindings{});
        try {
            if (!driver.useKeyWindow()) throw tour::Failure("the client shows no window");
            tour::useMapDoubles(maps, locations);
            driver.advanceClock(4);  // the splash
            road.waitFor([&] { return driver.visibleAlert() != nullptr; }, "the help offer");
            driver.pressAlertButton(1);  // next time
            tour::chooseDevice(road, tour::logIn(road), tour::kDemoPhone);
            tour::settle(road);
            tour::openLocationMap(road);
            road.stop("map-latest", "the phone's latest position");
            pictured = true;
        } catch (const tour::Failure& e) {
            std::fprintf(stderr, "the road stopped: %s\n", e.what());
        }
        NSThread::joinDetachedThreads(10);
        service.stop();
    }
    std::exit(pictured ? 0 : 1);
}

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MapRoadDeathTest, TheLocationMapIsPicturedTheSameInEveryRun)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::optional<TempFolder> folder;
    if (!std::getenv(kFolderVariable)) {
        folder.emplace();
        setenv(kFolderVariable, folder->path().UTF8String(), 1);
    }
    EXPECT_EXIT(pictureTheLocationMap("first"), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(pictureTheLocationMap("second"), ::testing::ExitedWithCode(0), "");
    unsetenv(kFolderVariable);
    const std::string first = bytesOf((*folder / "first/01-map-latest.png").str());
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(first == bytesOf((*folder / "second/01-map-latest.png").str()))
        << "the pictures differ: " << folder->path().str();
}

}  // namespace
