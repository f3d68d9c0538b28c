#include "http/Reachability.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

namespace {

constexpr SCNetworkReachabilityFlags R = kSCNetworkReachabilityFlagsReachable;
constexpr SCNetworkReachabilityFlags W = kSCNetworkReachabilityFlagsIsWWAN;
constexpr SCNetworkReachabilityFlags T = kSCNetworkReachabilityFlagsTransientConnection;
constexpr SCNetworkReachabilityFlags C = kSCNetworkReachabilityFlagsConnectionRequired;
constexpr SCNetworkReachabilityFlags D = kSCNetworkReachabilityFlagsConnectionOnDemand;
constexpr SCNetworkReachabilityFlags Direct = kSCNetworkReachabilityFlagsIsDirect;

class FakeNetwork : public ::testing::Test {
protected:
    void SetUp() override { SCNetworkReachabilitySetProvider(fake); }
    void TearDown() override { SCNetworkReachabilitySetProvider(nullptr); }
    std::shared_ptr<SCFakeReachabilityProvider> fake = std::make_shared<SCFakeReachabilityProvider>();
};

}  // namespace

TEST_F(FakeNetwork, FlagsMapToStatus)
{
    struct Case {
        SCNetworkReachabilityFlags flags;
        NetworkStatus host, localWiFi;
    };
    const Case cases[] = {
        {R | W, ReachableViaWWAN, NotReachable}, {R, ReachableViaWiFi, NotReachable},
        {R | T, ReachableViaWiFi, NotReachable}, {R | C | T, NotReachable, NotReachable},
        {R | C, ReachableViaWiFi, NotReachable}, {R | D, NotReachable, NotReachable},
        {0, NotReachable, NotReachable},         {R | Direct, ReachableViaWiFi, ReachableViaWiFi},
    };
    auto host = Reachability::reachabilityWithHostName("example.test");
    auto wifi = Reachability::reachabilityForLocalWiFi();
    ASSERT_TRUE(host);
    ASSERT_TRUE(wifi);
    for (const auto& c : cases) {
        SCOPED_TRACE(Reachability::flagsText(c.flags).str());
        fake->setFlags(c.flags);
        EXPECT_EQ(host->currentReachabilityStatus(), c.host);
        EXPECT_EQ(wifi->currentReachabilityStatus(), c.localWiFi);
        EXPECT_EQ(host->isReachable(), c.host != NotReachable);
    }
    fake->setFlags(std::nullopt);  // unreadable
    EXPECT_EQ(host->currentReachabilityStatus(), NotReachable);
    EXPECT_FALSE(host->isConnectionRequired());
    EXPECT_EQ(host->reachabilityFlags(), 0u);
}

TEST_F(FakeNetwork, TestsKeysAndDescription)
{
    fake->setFlags(D);
    auto internet = Reachability::reachabilityForInternetConnection();
    EXPECT_FALSE(internet->isConnectionOnDemand());
    fake->setFlags(C | D);
    EXPECT_TRUE(internet->isConnectionOnDemand());
    EXPECT_TRUE(internet->isConnectionRequired());

    sockaddr_in any{};
    any.sin_family = AF_INET;
    auto zero = Reachability::reachabilityWithAddress(any);
    EXPECT_EQ(zero->key(), "0.0.0.0");
    EXPECT_FALSE(internet->isEqual(*zero));
    EXPECT_TRUE(Reachability::reachabilityWithHostName("a.test")->isEqual(*Reachability::reachabilityWithHostName("a.test")));
    EXPECT_EQ(Reachability::makeAddressKey(inet_addr("169.254.0.0")), "169.254.0.0");

    fake->setFlags(R | W);
    EXPECT_EQ(internet->description(), "InternetConnection\n\tReachability Flags: WR -------");
    fake->refuse("nowhere.test");
    EXPECT_FALSE(Reachability::reachabilityWithHostName("nowhere.test"));
}

TEST_F(FakeNetwork, ChangesPostTheNotificationOnTheNotifiersLoop)
{
    fake->setFlags(R);
    auto monitor = Reachability::reachabilityWithHostName("example.test");
    std::vector<NetworkStatus> seen;
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
        kReachabilityChangedNotification, monitor, [&](const std::shared_ptr<NSNotification>& n) {
            EXPECT_TRUE(NSThread::isMainThread());
            seen.push_back(std::static_pointer_cast<Reachability>(n->object())->currentReachabilityStatus());
        });
    ASSERT_TRUE(monitor->startNotifier());
    // The change comes from another thread, as the real provider's do.
    std::thread([&] { fake->setFlags(0); }).join();
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return !seen.empty(); }, 5.0));
    EXPECT_EQ(seen, std::vector<NetworkStatus>{NotReachable});

    monitor->stopNotifier();
    fake->setFlags(R | W);
    bool drained = false;  // anything queued before this block has run by then
    NSRunLoop::mainRunLoop()->performBlock([&] { drained = true; });
    ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return drained; }, 5.0));
    EXPECT_EQ(seen.size(), 1u);
    NSNotificationCenter::defaultCenter()->removeObserver(token.get());
}

TEST(LinuxReachability, LoopbackIsReachableAndLocal)
{
    auto local = Reachability::reachabilityWithHostName("localhost");
    ASSERT_TRUE(local);
    auto flags = local->reachabilityFlags();
    EXPECT_TRUE(flags & kSCNetworkReachabilityFlagsReachable);
    EXPECT_TRUE(flags & kSCNetworkReachabilityFlagsIsLocalAddress);
    EXPECT_EQ(local->currentReachabilityStatus(), ReachableViaWiFi);
}
