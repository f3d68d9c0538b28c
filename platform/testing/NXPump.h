#pragma once
// A bounded pump for work that other threads hand to this one by hand, such
// as the map engine's message rings read without the SDK's dispatcher: runs
// `step` until `done` holds or `timeout` seconds of real time have passed,
// resting a moment after a step that found nothing to do, so that the other
// threads get on. Whether `done` held. Header only, so that any test may
// use it.

#include <chrono>
#include <functional>
#include <thread>

inline bool NXPumpUntil(const std::function<bool()>& done, const std::function<bool()>& step, double timeout,
                        std::chrono::microseconds rest = std::chrono::milliseconds(1))
{
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(timeout));
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (!step()) std::this_thread::sleep_for(rest);
    }
    return true;
}
