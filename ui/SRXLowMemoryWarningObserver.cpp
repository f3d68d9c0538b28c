#include "ui/SRXLowMemoryWarningObserver.h"

#include <atomic>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "ui/SRXRegexCache.h"

namespace {

constexpr NSTimeInterval kRetryDelay = 0.1;

// The object standing for the class: registered with the notification centre
// (which holds observers weakly) and target of the retries, for the process's life.
const std::shared_ptr<SRXLowMemoryWarningObserver>& classObject()
{
    static auto* object = new std::shared_ptr<SRXLowMemoryWarningObserver>(std::make_shared<SRXLowMemoryWarningObserver>());
    return *object;
}

}  // namespace

void SRXLowMemoryWarningObserver::registerLowMemoryObserver()
{
    static std::atomic<int> once{0};
    int expected = 0;
    if (!once.compare_exchange_strong(expected, 1)) return;
    NSNotificationCenter::defaultCenter()->addObserver(classObject().get(), NX_SEL(SRXLowMemoryWarningObserver, lowMemoryWarning),
                                                       UIApplicationDidReceiveMemoryWarningNotification, nullptr);
}

void SRXLowMemoryWarningObserver::lowMemoryWarning(const id& notification)
{
    SRXRegexCache& cache = SRXRegexCache::shared();
    std::unique_lock lock(cache.lock(), std::try_to_lock);
    if (lock.owns_lock()) {
        cache.flushAllCaches();
        return;
    }
    classObject()->performSelector(NX_SEL(SRXLowMemoryWarningObserver, lowMemoryWarning), notification, kRetryDelay);
}
