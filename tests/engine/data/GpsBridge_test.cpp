// The GPS bridge over the CoreLocation stand-in: which fixes it keeps, what
// it announces, the record the engine reads, and the heading relay.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "engine/data/GpsProviders.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

using mapengine::CGpsDetailInfo;

class Compass : public NSObject, public LocationHeadingObserver {
public:
  void onHeadingValueUpdate(float heading) override { headings.push_back(heading); }
  std::vector<float> headings;
};

class GpsBridgeTest : public ::testing::Test {
protected:
  void SetUp() override {
    NSClock::useVirtualClock(1000000000.0);
    provider = std::make_shared<CLScriptedLocationProvider>();
    CLLocationSetProvider(provider);
    for (const NSString& name : {kNotificationLocationUpdate, kNotificationLocationFail}) {
      tokens.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(
          name, nullptr, [this](const std::shared_ptr<NSNotification>& n) {
            posted.push_back(n->name() == kNotificationLocationUpdate ? "update" : "fail");
            auto error = n->userInfo().find("error");
            if (error != n->userInfo().end()) failure = std::static_pointer_cast<NSError>(error->second);
          }));
    }
    gps = IphoneGPSMan::getInstance();
  }
  void TearDown() override {
    gps->unInitialize();
    IphoneGPSMan::destroyInstance();
    for (const id& token : tokens) NSNotificationCenter::defaultCenter()->removeObserver(token.get());
    CLLocationSetProvider(nullptr);
    EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
    NSClock::useRealClock();
  }
  CGpsDetailInfo Fix() {
    CGpsDetailInfo info;
    EXPECT_TRUE(gps->getLastLocation(&info));
    return info;
  }

  std::shared_ptr<CLScriptedLocationProvider> provider;
  std::shared_ptr<IphoneGPSMan> gps;
  std::vector<id> tokens;
  std::vector<std::string> posted;
  std::shared_ptr<NSError> failure;
};

TEST_F(GpsBridgeTest, WithoutAFixTheRecordSaysSo) {
  ASSERT_TRUE(gps->initialize());
  CGpsDetailInfo info = Fix();
  EXPECT_EQ(info.state, 1);
  EXPECT_EQ(info.valid, 0);
  EXPECT_EQ(info.longitude, 0);
}

TEST_F(GpsBridgeTest, WhichFixesAreKept) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double accuracy;
    double age;
    bool kept;
    float recorded;  // the record's accuracy afterwards
  } cases[] = {
      {nan, 0, true, 2000},    // the first fix, whatever its accuracy; NaN handed on as the worst
      {-1, 0, false, 2000},    // invalid
      {30, 2, false, 2000},    // stale
      {30, 1, true, 30},       // one second old is still fresh
      {3000, 0, false, 30},    // worse than the limit, with a fix kept
      {nan, 0, false, 30},
      {2000, 0, true, 2000},   // less accurate, still replaces
  };
  ASSERT_TRUE(gps->initialize());
  double latitude = 39.90;
  for (const Case& c : cases) {
    latitude += 0.001;
    posted.clear();
    provider->deliver({latitude, 116.3975}, c.accuracy, c.age, 90, 1.5);
    CGpsDetailInfo info = Fix();
    EXPECT_EQ(posted, c.kept ? std::vector<std::string>{"update"} : std::vector<std::string>{}) << c.accuracy;
    EXPECT_EQ(info.state, 3);
    EXPECT_EQ(info.valid, 1);
    EXPECT_EQ(info.horizontalAccuracy, c.recorded) << c.accuracy << " " << c.age;
    if (c.kept) {
      EXPECT_EQ(info.latitude, static_cast<float>(latitude));
    }
  }
  CGpsDetailInfo info = Fix();
  EXPECT_EQ(info.longitude, 116.3975f);
  EXPECT_EQ(info.course, 90.0f);
  EXPECT_EQ(info.speed, 1.5f);
}

TEST_F(GpsBridgeTest, AFirstFixOfPoorAccuracyIsHandedOutAsTheWorst) {
  ASSERT_TRUE(gps->initialize());
  provider->deliver({39.9087, 116.3975}, 5000);
  EXPECT_EQ(Fix().horizontalAccuracy, 2000.0f);
}

TEST_F(GpsBridgeTest, ADenialWithdrawsTheFixThenEveryErrorIsPassedOn) {
  ASSERT_TRUE(gps->initialize());
  provider->deliver({39.9087, 116.3975}, 30);
  posted.clear();
  provider->deliverError(kCLErrorDomain, kCLErrorLocationUnknown);
  EXPECT_EQ(posted, (std::vector<std::string>{"fail"}));
  EXPECT_EQ(Fix().state, 3) << "a passing error keeps the fix";
  posted.clear();
  provider->deliverError(kCLErrorDomain, kCLErrorDenied);
  EXPECT_EQ(posted, (std::vector<std::string>{"update", "fail"}));
  ASSERT_NE(failure, nullptr);
  EXPECT_EQ(failure->code(), kCLErrorDenied);
  EXPECT_EQ(Fix().state, 1);
  EXPECT_NE(gps->locationManager(), nullptr) << "the manager stays until the engine stops";
}

TEST_F(GpsBridgeTest, StartingTwiceKeepsTheManagerAndStoppingAnnouncesTheLoss) {
  ASSERT_TRUE(gps->initialize());
  auto manager = gps->locationManager();
  auto compass = std::make_shared<Compass>();
  gps->registerHeadingObserver(compass);
  ASSERT_TRUE(gps->initialize());
  EXPECT_EQ(gps->locationManager(), manager);
  provider->deliver({39.9087, 116.3975}, 30);
  gps->startUpdatingHeading();
  provider->deliverHeading(12.5);
  EXPECT_EQ(compass->headings, std::vector<float>{12.5f}) << "observers survive a second start";

  posted.clear();
  ASSERT_TRUE(gps->unInitialize());
  EXPECT_EQ(posted, (std::vector<std::string>{"update"}));
  EXPECT_EQ(Fix().state, 1);
  EXPECT_EQ(gps->locationManager(), nullptr);
  provider->deliver({39.9, 116.4}, 30);
  EXPECT_EQ(Fix().state, 1) << "no manager is listening";
}

TEST_F(GpsBridgeTest, HeadingsReachRegisteredObserversInOrder) {
  ASSERT_TRUE(gps->initialize());
  EXPECT_TRUE(gps->compassAvailable());
  auto first = std::make_shared<Compass>();
  auto second = std::make_shared<Compass>();
  auto plain = std::make_shared<NSObject>();
  EXPECT_FALSE(gps->registerHeadingObserver(first));
  EXPECT_FALSE(gps->registerHeadingObserver(second));
  EXPECT_FALSE(gps->registerHeadingObserver(plain));
  EXPECT_FALSE(gps->registerHeadingObserver(nullptr));
  gps->startUpdatingHeading();
  provider->deliverHeading(271.25);
  EXPECT_EQ(first->headings, std::vector<float>{271.25f});
  EXPECT_EQ(second->headings, std::vector<float>{271.25f});
  EXPECT_TRUE(gps->removeHeadingObserver(first));
  EXPECT_FALSE(gps->removeHeadingObserver(first));
  EXPECT_FALSE(gps->removeHeadingObserver(plain)) << "never registered";
  provider->deliverHeading(3);
  EXPECT_EQ(first->headings.size(), 1u);
  EXPECT_EQ(second->headings.size(), 2u);
}

TEST_F(GpsBridgeTest, TheEngineProviderStartsOnTheMainThreadAndReadsOnItsOwn) {
  mapengine::CGPSMan provider_;
  std::thread timer([&] { EXPECT_EQ(provider_.Start(), 1); });
  timer.join();
  EXPECT_EQ(gps->locationManager(), nullptr) << "the start waits for the main thread";
  NSRunLoop::mainRunLoop()->runUntil([this] { return gps->locationManager() != nullptr; }, 10.0);
  ASSERT_NE(gps->locationManager(), nullptr);
  provider->deliver({39.9087, 116.3975}, 30);

  CGpsDetailInfo fix;
  std::thread reader([&] { fix = provider_.GetLastFix(); });
  reader.join();
  EXPECT_EQ(fix.state, 3);
  EXPECT_EQ(fix.latitude, 39.9087f);
  EXPECT_EQ(provider_.Poll(0), 0);

  std::thread stopper([&] { EXPECT_EQ(provider_.Stop(), 1); });
  stopper.join();
  NSRunLoop::mainRunLoop()->runUntil([this] { return gps->locationManager() == nullptr; }, 10.0);
  EXPECT_EQ(gps->locationManager(), nullptr);
}

TEST_F(GpsBridgeTest, TheSyntheticFixLiesSouthOfTheLast) {
  ASSERT_TRUE(gps->initialize());
  gps->onLocationTimer();
  EXPECT_EQ(Fix().latitude, 39.91f);
  gps->onLocationTimer();
  EXPECT_EQ(Fix().latitude, static_cast<float>(39.91 - 0.01));
  EXPECT_EQ(Fix().horizontalAccuracy, 150.0f);
}

}  // namespace
