#pragma once
// The one place where the UI stand-in meets the main run loop: work due after
// a delay on the run loop's clock (animation ends).

#include <functional>

#include "platform/foundation/NSObject.h"

void nxuiAfterDelay(NSTimeInterval delay, std::function<void()> work);
