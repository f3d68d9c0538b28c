#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/NSNotificationCenter.h"

namespace {

class Observer : public NSObject {
public:
    explicit Observer(std::string tag = "") : tag(std::move(tag)) {}
    void observe(const id& n)
    {
        auto note = std::static_pointer_cast<NSNotification>(n);
        seen.push_back(tag + note->name().str());
        if (onNote) onNote(*note);
    }
    std::string tag;
    std::vector<std::string> seen;
    std::function<void(NSNotification&)> onNote;
};

class NSNotificationCenterTest : public ::testing::Test {
protected:
    std::shared_ptr<NSNotificationCenter> center = std::make_shared<NSNotificationCenter>();
};

TEST_F(NSNotificationCenterTest, NameAndObjectFiltersWithNilMatchingEverything)
{
    id sender = std::make_shared<NSObject>();
    id stranger = std::make_shared<NSObject>();
    struct Case {
        const char* name;
        NSString observedName;
        bool filterBySender;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases = {
        {"name and sender", "setBadge", true, {"setBadge"}},
        {"name, any object", "setBadge", false, {"setBadge", "setBadge"}},
        {"any name, sender", NSString(), true, {"setBadge", "hideCustomTabBar"}},
        {"any name, any object", NSString(), false, {"setBadge", "setBadge", "hideCustomTabBar", "hideCustomTabBar"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto observer = std::make_shared<Observer>();
        center->addObserver(observer.get(), NX_SEL(Observer, observe), c.observedName,
                            c.filterBySender ? sender : nullptr);
        center->postNotificationName("setBadge", sender);
        center->postNotificationName("setBadge", stranger);
        center->postNotificationName("hideCustomTabBar", sender);
        center->postNotificationName("hideCustomTabBar", nullptr);
        EXPECT_EQ(observer->seen, c.expected);
        center->removeObserver(observer.get());
    }
}

TEST_F(NSNotificationCenterTest, NotificationCarriesObjectAndUserInfo)
{
    id sender = std::make_shared<NSObject>();
    auto badge = NSBox<NSString>::box("3");
    std::shared_ptr<NSNotification> got;
    auto token = center->addObserverForName("setBadge", nullptr, [&](const auto& n) { got = n; });
    center->postNotificationName("setBadge", sender, {{"badge", badge}});
    ASSERT_TRUE(got);
    EXPECT_EQ(got->name(), NSString("setBadge"));
    EXPECT_EQ(got->object(), sender);
    EXPECT_EQ(got->userInfo().at("badge"), badge);
    got.reset();
    center->removeObserver(token.get());
    center->postNotificationName("setBadge", sender);
    EXPECT_FALSE(got);
}

TEST_F(NSNotificationCenterTest, DestroyedObserversAreSkipped)
{
    auto gone = std::make_shared<Observer>();
    auto kept = std::make_shared<Observer>();
    center->addObserver(gone.get(), NX_SEL(Observer, observe), "NotificationMainMapPaint", nullptr);
    center->addObserver(kept.get(), NX_SEL(Observer, observe), "NotificationMainMapPaint", nullptr);
    gone.reset();
    center->postNotificationName("NotificationMainMapPaint", nullptr);
    EXPECT_EQ(kept->seen, (std::vector<std::string>{"NotificationMainMapPaint"}));
}

TEST_F(NSNotificationCenterTest, ObserversMayRemoveAndAddRegistrationsDuringDelivery)
{
    auto first = std::make_shared<Observer>("first:");
    auto second = std::make_shared<Observer>("second:");
    auto late = std::make_shared<Observer>("late:");
    first->onNote = [&](NSNotification&) {
        center->removeObserver(first.get());   // itself
        center->removeObserver(second.get());  // one still to be served
        center->addObserver(late.get(), NX_SEL(Observer, observe), "tick", nullptr);
    };
    center->addObserver(first.get(), NX_SEL(Observer, observe), "tick", nullptr);
    center->addObserver(second.get(), NX_SEL(Observer, observe), "tick", nullptr);
    center->postNotificationName("tick", nullptr);
    EXPECT_EQ(first->seen, (std::vector<std::string>{"first:tick"}));
    EXPECT_TRUE(second->seen.empty());
    EXPECT_TRUE(late->seen.empty());  // added during this post: from the next one on
    center->postNotificationName("tick", nullptr);
    EXPECT_EQ(first->seen.size(), 1u);
    EXPECT_EQ(late->seen, (std::vector<std::string>{"late:tick"}));
}

TEST_F(NSNotificationCenterTest, RemovalByNameAndObjectKeepsTheOtherRegistrations)
{
    id sender = std::make_shared<NSObject>();
    auto observer = std::make_shared<Observer>();
    for (const char* name : {"hideCustomTabBar", "bringCustomTabBarToFront", "setBadge"})
        center->addObserver(observer.get(), NX_SEL(Observer, observe), name, sender);
    center->removeObserver(observer.get(), "setBadge", nullptr);
    center->removeObserver(observer.get(), "hideCustomTabBar", std::make_shared<NSObject>());  // other object
    for (const char* name : {"hideCustomTabBar", "bringCustomTabBarToFront", "setBadge"})
        center->postNotificationName(name, sender);
    EXPECT_EQ(observer->seen, (std::vector<std::string>{"hideCustomTabBar", "bringCustomTabBarToFront"}));
}

TEST_F(NSNotificationCenterTest, PostingFromManyThreadsWhileObserversComeAndGo)
{
    std::atomic<int> delivered{0};
    auto steady = center->addObserverForName("NotificationEngineMessage", nullptr, [&](const auto&) { ++delivered; });
    std::atomic<bool> stop{false};
    struct Counter : NSObject {
        void count() { ++hits; }
        std::atomic<int> hits{0};
    };
    std::thread churn([&] {
        // Half are removed, half simply die while posts are under way.
        for (int round = 0; !stop; ++round) {
            auto transient = std::make_shared<Counter>();
            center->addObserver(transient.get(), NX_SEL0(Counter, count), "NotificationEngineMessage", nullptr);
            if (round % 2) center->removeObserver(transient.get());
        }
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&] {
            for (int i = 0; i < 500; ++i) center->postNotificationName("NotificationEngineMessage", nullptr);
        });
    for (auto& p : posters) p.join();
    stop = true;
    churn.join();
    EXPECT_EQ(delivered.load(), 2000);
    center->removeObserver(steady.get());
}

TEST(NSNotificationCenterDefault, IsOneSharedCentre)
{
    EXPECT_EQ(NSNotificationCenter::defaultCenter(), NSNotificationCenter::defaultCenter());
}

}  // namespace
