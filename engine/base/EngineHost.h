// The one way the engine reaches the program that hosts it. The engine never
// calls the host platform's notification centre, settings store or thread
// checks itself; the SDK implements this interface and installs it once,
// before it starts the engine.
#pragma once

#include "platform/foundation/NSString.h"

namespace mapengine {

class EngineHost {
public:
  virtual ~EngineHost() = default;
  // A message was queued on a ring: the main thread should dispatch one. Any
  // thread.
  virtual void WakeMainThread() = 0;
  // The map's image was redrawn and should be shown.
  virtual void MapImageChanged() = 0;
  // A stored setting; nil (or 0) when it is not set.
  virtual NSString StringSetting(const char* key) = 0;
  virtual long IntegerSetting(const char* key) = 0;
  // Whether the caller runs on the main thread.
  virtual bool IsMainThread() = 0;
};

// The host, or null before one is installed. Without a host the engine
// wakes nobody, reads no settings (their defaults apply) and treats every
// thread as not the main one, so timer ticks are always queued.
EngineHost* GetEngineHost();
void SetEngineHost(EngineHost* host);

}  // namespace mapengine
