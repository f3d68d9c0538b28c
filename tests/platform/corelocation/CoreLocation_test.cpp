// The location manager and its providers: pushed events, the scripted walk on
// the virtual clock, and delivery on the main thread only.
#include "platform/corelocation/CoreLocation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

// What a delegate heard, in order.
class Recorder : public CLLocationManagerDelegate {
public:
    void locationManager_didUpdateToLocation_fromLocation(CLLocationManager*, const std::shared_ptr<CLLocation>& newLocation,
                                                          const std::shared_ptr<CLLocation>& oldLocation) override
    {
        onMain = onMain && NSThread::isMainThread();
        locations.push_back(newLocation);
        previous.push_back(oldLocation);
        events.push_back("fix");
    }
    void locationManager_didUpdateHeading(CLLocationManager*, const std::shared_ptr<CLHeading>& heading) override
    {
        headings.push_back(heading->magneticHeading());
        events.push_back("heading");
    }
    void locationManager_didFailWithError(CLLocationManager*, const std::shared_ptr<NSError>& error) override
    {
        errors.push_back(error);
        events.push_back("error");
    }

    std::vector<std::shared_ptr<CLLocation>> locations;
    std::vector<std::shared_ptr<CLLocation>> previous;
    std::vector<double> headings;
    std::vector<std::shared_ptr<NSError>> errors;
    std::vector<std::string> events;
    bool onMain = true;
};

class CoreLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NSClock::useVirtualClock(1000000000.0);
        provider = std::make_shared<CLScriptedLocationProvider>();
        CLLocationSetProvider(provider);
        manager = CLLocationManager::init();
        delegate = std::make_shared<Recorder>();
        manager->setDelegate(delegate);
    }
    void TearDown() override
    {
        CLLocationSetProvider(nullptr);
        EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
        NSClock::useRealClock();
        if (!script.empty()) std::filesystem::remove(script);
    }
    std::string writeScript(const std::string& text)
    {
        script = std::filesystem::temp_directory_path() / ("walk-" + std::to_string(::getpid()) + ".txt");
        std::ofstream(script) << text;
        return script;
    }

    std::shared_ptr<CLScriptedLocationProvider> provider;
    std::shared_ptr<CLLocationManager> manager;
    std::shared_ptr<Recorder> delegate;
    std::string script;
};

TEST_F(CoreLocationTest, OnlyRunningManagersHearFixesHeadingsAndErrorsInStartOrder)
{
    provider->deliver({39.9087, 116.3975}, 30);
    EXPECT_TRUE(delegate->events.empty()) << "not started yet";

    auto second = CLLocationManager::init();
    auto secondDelegate = std::make_shared<Recorder>();
    second->setDelegate(secondDelegate);
    manager->startUpdatingLocation();
    second->startUpdatingLocation();
    provider->deliver({39.9087, 116.3975}, 30, 2.5, 90, 1.5, 44);
    provider->deliverHeading(271.5);
    EXPECT_TRUE(delegate->headings.empty()) << "heading updates were not started";
    manager->startUpdatingHeading();
    provider->deliverHeading(271.5);
    provider->deliverError(kCLErrorDomain, kCLErrorDenied);

    EXPECT_EQ(delegate->events, (std::vector<std::string>{"fix", "heading", "error"}));
    ASSERT_EQ(delegate->locations.size(), 1u);
    const auto& fix = *delegate->locations[0];
    EXPECT_EQ(fix.coordinate().latitude, 39.9087);
    EXPECT_EQ(fix.horizontalAccuracy(), 30);
    EXPECT_EQ(fix.course(), 90);
    EXPECT_EQ(fix.speed(), 1.5);
    EXPECT_EQ(fix.altitude(), 44);
    EXPECT_EQ(fix.timestamp().timeIntervalSinceNow(), -2.5);
    EXPECT_EQ(delegate->previous[0], nullptr);
    EXPECT_EQ(delegate->errors[0]->domain(), kCLErrorDomain);
    EXPECT_EQ(delegate->errors[0]->code(), kCLErrorDenied);
    EXPECT_EQ(secondDelegate->events, (std::vector<std::string>{"fix", "error"}));

    manager->stopUpdatingLocation();
    provider->deliver({39.91, 116.40}, 10);
    EXPECT_EQ(delegate->locations.size(), 1u) << "stopped";
    ASSERT_EQ(secondDelegate->locations.size(), 2u);
    EXPECT_EQ(secondDelegate->previous[1], secondDelegate->locations[0]) << "the previous fix goes along";
}

TEST_F(CoreLocationTest, EventsFromAnotherThreadArriveOnTheMainThread)
{
    manager->startUpdatingLocation();
    std::thread worker([this] { provider->deliver({39.9087, 116.3975}, 30); });
    worker.join();
    EXPECT_TRUE(delegate->locations.empty()) << "queued for the main thread";
    NSRunLoop::mainRunLoop()->runUntil([this] { return !delegate->locations.empty(); }, 10.0);
    ASSERT_EQ(delegate->locations.size(), 1u);
    EXPECT_TRUE(delegate->onMain);
}

TEST_F(CoreLocationTest, AScriptPlaysAWalkOnTheVirtualClock)
{
    ASSERT_TRUE(provider->loadScript(writeScript("# a short walk\n"
                                                 "1 fix 39.9087 116.3975 20 90 1.2\n"
                                                 "2 heading 45\n"
                                                 "3 fix 39.9088 116.3990 3000\n"
                                                 "4 fix 39.9089 116.4000 20 90 1.2 44 5\n"
                                                 "6 error 1\n")));
    manager->startUpdatingLocation();
    manager->startUpdatingHeading();
    NSClock::advance(1.0);
    ASSERT_EQ(delegate->locations.size(), 1u);
    EXPECT_EQ(delegate->locations[0]->coordinate().longitude, 116.3975);
    NSClock::advance(5.0);
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"fix", "heading", "fix", "fix", "error"}));
    EXPECT_EQ(delegate->locations[1]->horizontalAccuracy(), 3000);
    EXPECT_EQ(delegate->locations[2]->timestamp().timeIntervalSinceNow(), -7.0) << "5 s old, 2 s ago";
    EXPECT_EQ(delegate->errors[0]->code(), kCLErrorDenied);
}

TEST_F(CoreLocationTest, TheScriptNamedByTheEnvironmentPlaysForTheDefaultProvider)
{
    setenv("NX_LOCATION_SCRIPT", writeScript("0.5 fix 39.9 116.4 50\n").c_str(), 1);
    CLLocationSetProvider(nullptr);
    auto own = CLLocationManager::init();
    own->setDelegate(delegate);
    own->startUpdatingLocation();
    NSClock::advance(1.0);
    unsetenv("NX_LOCATION_SCRIPT");
    ASSERT_EQ(delegate->locations.size(), 1u);
    EXPECT_EQ(delegate->locations[0]->horizontalAccuracy(), 50);
    own->stopUpdatingLocation();
}

TEST_F(CoreLocationTest, TheDemoWalkPlaysToItsDenial)
{
    const char* source = std::getenv("NX_SOURCE_DIR");
    ASSERT_TRUE(provider->loadScript(std::string(source ? source : ".") + "/tools/mapdemo/walk.txt"));
    manager->startUpdatingLocation();
    NSClock::advance(30.0);
    EXPECT_EQ(delegate->locations.size(), 8u);
    ASSERT_EQ(delegate->errors.size(), 1u);
    EXPECT_EQ(delegate->errors[0]->code(), kCLErrorDenied);
    EXPECT_EQ(delegate->events.back(), "error");
}

TEST_F(CoreLocationTest, UnreadableScriptsAreRefused)
{
    for (const char* text : {"1 teleport 1 2\n", "1 fix 39.9\n", "x fix 1 2 3\n", "-1 heading 3\n"}) {
        EXPECT_FALSE(provider->loadScript(writeScript(text))) << text;
    }
    EXPECT_FALSE(provider->loadScript("/nonexistent/walk.txt"));
}

} // namespace
