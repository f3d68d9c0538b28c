#include "mapsdk/VIZBundle.h"

#include "engine/base/DeviceInfo.h"
#include "platform/foundation/NSBundle.h"

namespace {

std::shared_ptr<NSBundle> SdkBundle()
{
    return NSBundle::bundleWithPath(
        NSBundle::mainBundle()->resourcePath().stringByAppendingPathComponent("vizmap.bundle"));
}

}  // namespace

NSString VIZGetBundleFilePath(const NSString& name)
{
    auto bundle = SdkBundle();
    if (!bundle || name.isNil()) return {};
    return bundle->resourcePath().stringByAppendingPathComponent(name);
}

NSString VIZGetBundleImagePath(const NSString& name)
{
    auto bundle = SdkBundle();
    if (!bundle || name.isNil()) return {};
    const char* format = DeviceInfo::isRetinaScreen() ? "images/%@@2x.png" : "images/%@.png";
    return bundle->resourcePath().stringByAppendingPathComponent(NSString::stringWithFormat(format, name));
}
