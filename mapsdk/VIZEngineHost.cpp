#include "mapsdk/VIZEngineHost.h"

#include "engine/render/VWnd.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"

void VIZEngineHost::install()
{
    // Never destroyed: engine threads may still queue messages while the
    // statics go at exit.
    static auto* host = new VIZEngineHost;
    mapengine::SetEngineHost(host);
}

void VIZEngineHost::WakeMainThread()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(kNotificationEngineMessage, nullptr);
}

void VIZEngineHost::MapImageChanged()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(mapengine::kMainMapPaintNotification, nullptr);
}

NSString VIZEngineHost::StringSetting(const char* key)
{
    return NSUserDefaults::standardUserDefaults()->stringForKey(key);
}

long VIZEngineHost::IntegerSetting(const char* key)
{
    return NSUserDefaults::standardUserDefaults()->integerForKey(key);
}

bool VIZEngineHost::IsMainThread() { return NSThread::isMainThread(); }

namespace {

// The SDK reads the device's settings through the engine (the screen size that
// picks the bundle's Retina images) before any map manager starts the engine,
// so the host is in place from the program's start.
const bool kHostInstalled = (VIZEngineHost::install(), true);

}  // namespace
