// The class-wide services of requests: the shared bandwidth allowance, the
// network activity count and asynchronous requests on the request thread.

#include <gtest/gtest.h>

#include <atomic>

#include "http/NXHTTPRequest.h"
#include "http/Reachability.h"
#include "platform/foundation/NSClock.h"
#include "tools/testserver/TestServer.h"

using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

std::shared_ptr<NXHTTPRequest> requestFor(const std::string& url)
{
    return NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)));
}

// Runs what is queued on the main loop so far.
void drainMainLoop()
{
    bool drained = false;
    NSRunLoop::mainRunLoop()->performBlock([&] { drained = true; });
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return drained; }, 5.0));
}

class Counter : public NSObject, public NXHTTPRequestDelegate {
public:
    std::atomic<int> finished{0}, failed{0};
    std::vector<long> failures;
    bool networkInUseAtHeaders = false;
    void requestReceivedResponseHeaders(NXHTTPRequest*) override { networkInUseAtHeaders = NXHTTPRequest::isNetworkInUse(); }
    void requestFinished(NXHTTPRequest*) override { ++finished; }
    void requestFailed(NXHTTPRequest* r) override
    {
        failures.push_back(r->error()->code());
        ++failed;
    }
};

class Bandwidth : public ::testing::Test {
protected:
    void TearDown() override
    {
        NXHTTPRequest::setShouldThrottleBandwidthForWWAN(false);
        NSClock::useRealClock();
        SCNetworkReachabilitySetProvider(nullptr);
    }
};

}  // namespace

TEST_F(Bandwidth, PeriodsAllowancesAndWakeUpTimes)
{
    NSClock::useVirtualClock();
    NSClock::advance(2.0);  // past any measuring period an earlier test opened
    EXPECT_FALSE(NXHTTPRequest::isBandwidthThrottled());
    NXHTTPRequest::setMaxBandwidthPerSecond(1000);
    EXPECT_TRUE(NXHTTPRequest::isBandwidthThrottled());
    NXHTTPRequest::measureBandwidthUsage();  // opens a period of one second
    double periodEnd = NSClock::monotonic() + 1.0;

    struct Case {
        unsigned long addBytes;
        unsigned long allowance;
    };
    // Used so far 0, 900, 1200: a quarter of the limit, the rest, nothing.
    const Case cases[] = {{0, 250}, {900, 100}, {300, 0}};
    for (const auto& c : cases) {
        NXHTTPRequest::incrementBandwidthUsedInLastSecond(c.addBytes);
        EXPECT_EQ(NXHTTPRequest::maxUploadReadLength(), c.allowance) << c.addBytes;
    }
    EXPECT_EQ(NXHTTPRequest::bandwidthWakeUpTime(), periodEnd);  // nothing left: wait for the next period

    // 1500 used: sleep to the period end and half a second more.
    NXHTTPRequest::incrementBandwidthUsedInLastSecond(300);
    NXHTTPRequest::measureBandwidthUsage();
    EXPECT_DOUBLE_EQ(*NXHTTPRequest::bandwidthWakeUpTime(), periodEnd + 0.5);

    // A busy period closed late becomes the average; a quiet one resets it.
    NSClock::advance(1.05);
    NXHTTPRequest::measureBandwidthUsage();
    EXPECT_EQ(NXHTTPRequest::averageBandwidthUsedPerSecond(), 1500u);
    NSClock::advance(2.5);
    NXHTTPRequest::incrementBandwidthUsedInLastSecond(600);
    NXHTTPRequest::measureBandwidthUsage();
    EXPECT_EQ(NXHTTPRequest::averageBandwidthUsedPerSecond(), 600u);
    NSClock::advance(1.1);
    NXHTTPRequest::measureBandwidthUsage();
    EXPECT_EQ(NXHTTPRequest::averageBandwidthUsedPerSecond(), 0u);

    NXHTTPRequest::setMaxBandwidthPerSecond(0);
    EXPECT_FALSE(NXHTTPRequest::isBandwidthThrottled());
    EXPECT_EQ(NXHTTPRequest::maxUploadReadLength(), 0u);
}

TEST_F(Bandwidth, MobileNetworkThrottlingFollowsReachability)
{
    auto fake = std::make_shared<SCFakeReachabilityProvider>();
    SCNetworkReachabilitySetProvider(fake);
    fake->setFlags(kSCNetworkReachabilityFlagsReachable);  // Wi-Fi

    NXHTTPRequest::setShouldThrottleBandwidthForWWAN(true);
    EXPECT_EQ(NXHTTPRequest::maxBandwidthPerSecond(), 14800u);
    EXPECT_FALSE(NXHTTPRequest::isBandwidthThrottled());

    fake->setFlags(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil([] { return NXHTTPRequest::isBandwidthThrottled(); }, 5.0));
    fake->setFlags(kSCNetworkReachabilityFlagsReachable);
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil([] { return !NXHTTPRequest::isBandwidthThrottled(); }, 5.0));

    // Started on the mobile network: throttled at once.
    fake->setFlags(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    NXHTTPRequest::throttleBandwidthForWWANUsingLimit(5000);
    EXPECT_TRUE(NXHTTPRequest::isBandwidthThrottled());
    EXPECT_EQ(NXHTTPRequest::maxBandwidthPerSecond(), 5000u);

    NXHTTPRequest::setShouldThrottleBandwidthForWWAN(false);
    EXPECT_FALSE(NXHTTPRequest::isBandwidthThrottled());
    EXPECT_EQ(NXHTTPRequest::maxBandwidthPerSecond(), 0u);
    fake->setFlags(kSCNetworkReachabilityFlagsReachable);
    fake->setFlags(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    drainMainLoop();
    EXPECT_FALSE(NXHTTPRequest::isBandwidthThrottled());
}

TEST_F(Bandwidth, ThrottledUploadKeepsToTheLimit)
{
    constexpr unsigned long kLimit = 16000;
    const std::string body(40000, 'u');
    Server server([&](const Request& req, Connection& c) { c.send(200, req.body == body ? "intact" : "damaged"); });

    NXHTTPRequest::setMaxBandwidthPerSecond(kLimit);
    auto r = requestFor(server.url("/upload"));
    r->setPostBody(NSData(body.begin(), body.end()));
    r->setTimeOutSeconds(30);
    double started = NSClock::realMonotonic();
    r->startSynchronous();
    double elapsed = NSClock::realMonotonic() - started;

    ASSERT_FALSE(r->error());
    EXPECT_EQ(r->responseString(), "intact");  // every byte arrived, in order
    // 40000 bytes at 16000 a second: two full periods and part of a third.
    // The first period's allowance goes at once, so at least two seconds
    // pass; the 0.25 s status check that wakes sleeping streams adds at most
    // a little to each period.
    EXPECT_GE(elapsed, 1.9);
    EXPECT_LE(elapsed, 4.5);
    EXPECT_GT(NXHTTPRequest::averageBandwidthUsedPerSecond(), 0u);
    EXPECT_LE(NXHTTPRequest::averageBandwidthUsedPerSecond(), kLimit + kLimit / 4);
}

TEST(NetworkActivity, CountsScheduledStreamsAndHidesTheIndicatorLate)
{
    Server server([](const Request&, Connection& c) { c.send(200, "ok"); });
    NSClock::useVirtualClock();
    auto counter = std::make_shared<Counter>();

    EXPECT_FALSE(NXHTTPRequest::isNetworkInUse());
    auto first = requestFor(server.url("/1"));
    first->setDelegate(counter);
    first->startSynchronous();
    EXPECT_TRUE(counter->networkInUseAtHeaders);
    EXPECT_FALSE(NXHTTPRequest::isNetworkInUse());
    EXPECT_TRUE(NXHTTPRequest::isNetworkActivityIndicatorVisible());
    drainMainLoop();

    // A second request 0.3 s later keeps the indicator on throughout.
    NSClock::advance(0.3);
    EXPECT_TRUE(NXHTTPRequest::isNetworkActivityIndicatorVisible());
    requestFor(server.url("/2"))->startSynchronous();
    drainMainLoop();
    NSClock::advance(0.3);  // the first hide is due and finds a newer show
    EXPECT_TRUE(NXHTTPRequest::isNetworkActivityIndicatorVisible());
    NSClock::advance(0.3);
    EXPECT_FALSE(NXHTTPRequest::isNetworkActivityIndicatorVisible());

    NXHTTPRequest::setShouldUpdateNetworkActivityIndicator(false);
    requestFor(server.url("/3"))->startSynchronous();
    EXPECT_FALSE(NXHTTPRequest::isNetworkActivityIndicatorVisible());
    NSClock::useRealClock();
}

namespace {

// Records the run loop its body is built on: that of the thread running main().
class WhereRequest : public NXHTTPRequest {
public:
    using NXHTTPRequest::NXHTTPRequest;
    std::shared_ptr<NSRunLoop> builtOn;
    void buildPostBody() override
    {
        builtOn = NSRunLoop::currentRunLoop();
        NXHTTPRequest::buildPostBody();
    }
};

}  // namespace

TEST(AsynchronousRequests, RunOnTheOneRequestThreadThroughTheSharedQueue)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/slow" && !c.stall()) return;
        c.send(200, req.path);
    });
    auto counter = std::make_shared<Counter>();
    std::vector<std::shared_ptr<WhereRequest>> requests;
    for (int i = 0; i < 6; ++i) {
        auto r = std::make_shared<WhereRequest>(NSURL::URLWithString(NSString(server.url("/r" + std::to_string(i)))));
        r->setDelegate(counter);
        requests.push_back(r);
        r->startAsynchronous();
    }
    EXPECT_EQ(NXHTTPRequest::sharedQueue()->maxConcurrentOperationCount(), 4);
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return counter->finished == 6; }, 10.0));
    auto thread = NXHTTPRequest::threadForRequest(nullptr);
    EXPECT_NE(thread, NSRunLoop::mainRunLoop());
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i]->builtOn, thread) << i;
        EXPECT_EQ(requests[i]->responseString(), NSString("/r" + std::to_string(i)));
        EXPECT_TRUE(requests[i]->isFinished());
    }
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([] { return NXHTTPRequest::sharedQueue()->operationCount() == 0; }, 5.0));

    // A cancel from the main thread is carried to the request thread.
    auto slow = requestFor(server.url("/slow"));
    slow->setDelegate(counter);
    slow->startAsynchronous();
    ASSERT_TRUE(server.waitForRequests(7, std::chrono::seconds(5)));
    slow->cancel();
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return counter->failed == 1; }, 5.0));
    EXPECT_EQ(counter->failures, std::vector<long>{NXRequestCancelledErrorType});
    EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return slow->isFinished(); }, 5.0));
}
