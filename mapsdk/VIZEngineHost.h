#pragma once
// The SDK's side of the engine's host interface: queued engine messages and
// redrawn map images become notifications ("NotificationEngineMessage",
// "NotificationMainMapPaint"), settings come from the user defaults, and the
// main thread is the platform's.

#include "engine/base/EngineHost.h"

class VIZEngineHost final : public mapengine::EngineHost {
public:
    // The one host, installed in the engine when the program starts (and
    // again, harmlessly, by the map manager's start-up and by programs that
    // run the engine without the map manager).
    static void install();

    void WakeMainThread() override;
    void MapImageChanged() override;
    NSString StringSetting(const char* key) override;
    long IntegerSetting(const char* key) override;
    bool IsMainThread() override;
};

// Posted on the posting thread for every engine message queued.
inline constexpr const char* kNotificationEngineMessage = "NotificationEngineMessage";
