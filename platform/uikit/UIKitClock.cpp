#include "platform/uikit/UIKitClock.h"

// Placeholder until the run loop lands: see the report.
void nxuiAfterDelay(NSTimeInterval, std::function<void()>) {}
