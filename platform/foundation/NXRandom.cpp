#include "platform/foundation/NXRandom.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>

namespace {

struct RandomState {
    std::mutex m;
    std::optional<std::mt19937> seeded;
};

RandomState& randomState()
{
    static RandomState* state = new RandomState;  // outlives every static that draws
    return *state;
}

}  // namespace

uint32_t NXArc4Random()
{
    auto& r = randomState();
    std::lock_guard lock(r.m);
    return r.seeded ? static_cast<uint32_t>((*r.seeded)()) : arc4random();
}

void NXRandomUseSeed(uint32_t seed)
{
    auto& r = randomState();
    std::lock_guard lock(r.m);
    r.seeded.emplace(seed);
}

void NXRandomUseSystem()
{
    auto& r = randomState();
    std::lock_guard lock(r.m);
    r.seeded.reset();
}
