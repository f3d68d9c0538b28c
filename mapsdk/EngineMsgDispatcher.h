#pragma once
// The bridge that brings the engine's queued messages onto the main thread:
// every message queued posts "NotificationEngineMessage" on the posting
// thread; the dispatcher answers each with one dispatch on the main thread,
// never waiting. The priority ring's handler turns repaints, animation
// steps, search results and offline reports into interface effects. The
// dispatcher also keeps the status-bar activity indicator in step with the
// engine's downloads.

#include <memory>

#include "platform/foundation/NSTimer.h"

class EngineMsgDispatcher : public NSObject {
public:
    // Made on the first call (main thread only) and kept until released.
    static std::shared_ptr<EngineMsgDispatcher> getInstance();
    static void releaseInstance();
    ~EngineMsgDispatcher() override;

    void registerNotification();
    void unRegisterNotification();
    // Any thread: one dispatchMessage on the main thread, later.
    void onNotificationEngineMessage();
    // One message of the engine's rings, the priority ring first.
    void dispatchMessage();
    // One step of the map's smooth move.
    void moveSmooth();
    void createNetStatusMonitorTimer();
    // Shows the indicator while an engine download runs. It hides only the
    // indicator it showed itself, and not while the application's own HTTP
    // requests show it, so the screens' indicator stays theirs.
    void onNetStatusMonitorTimer();

    static constexpr NSTimeInterval kNetStatusInterval = 1.0;
    static constexpr NSTimeInterval kSmoothMoveDelay = 0.01;

private:
    std::shared_ptr<NSTimer> netStatusTimer_;
    bool showingIndicator_ = false;
};

// Engine messages the interface handler posts as notifications.
inline constexpr const char* kNotificationEngineAnimationBegin = "NotificationEngineAnimationBegin";
inline constexpr const char* kNotificationEngineAnimationEnd = "NotificationEngineAnimationEnd";

// The handler of the engine's priority ring: 1 when the message was handled.
int VIZOnEngineUIMessage(void* context, int message, int wParam, int lParam);
// A search result (engine result type, engine error) to the notifier as its
// API message and error. 1.
int VIZOnSearchResult(int resultType, int error);
// The notifier's API message for an engine result type; 0 for none.
int VIZApiMessageForResultType(int resultType);
// Engine errors 11 to 14 (nothing found) become 100; others pass.
int VIZApiErrorForEngineError(int error);
