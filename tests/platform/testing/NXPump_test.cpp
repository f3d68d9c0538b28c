#include "platform/testing/NXPump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// Work another thread hands over is taken until the condition holds; a
// condition that never holds ends at the bound.
TEST(NXPump, StepsUntilDoneAndGivesUpAtTheBound)
{
    std::atomic<int> handed{0};
    int taken = 0;
    std::thread other([&] {
        for (int i = 0; i < 5; ++i) ++handed;
    });
    EXPECT_TRUE(NXPumpUntil([&] { return taken == 5; },
                            [&] {
                                if (taken == handed.load()) return false;
                                ++taken;
                                return true;
                            },
                            30));
    other.join();
    EXPECT_EQ(taken, 5);

    EXPECT_FALSE(NXPumpUntil([] { return false; }, [] { return false; }, 0.01));
}
