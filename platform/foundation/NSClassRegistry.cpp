#include "platform/foundation/NSClassRegistry.h"

#include <map>
#include <mutex>

namespace {

std::mutex& registryLock()
{
    static std::mutex lock;
    return lock;
}

std::map<NSString, NXClassFactory>& classes()
{
    static std::map<NSString, NXClassFactory> map;
    return map;
}

}  // namespace

void NXRegisterClass(const NSString& name, NXClassFactory make)
{
    std::lock_guard guard(registryLock());
    classes()[name] = std::move(make);
}

NXClassFactory NSClassFromString(const NSString& name)
{
    std::lock_guard guard(registryLock());
    auto it = classes().find(name);
    return it == classes().end() ? NXClassFactory() : it->second;
}
