// One bandwidth allowance shared by every running request, measured in
// one-second periods; optionally applied only while the internet is reached
// over the mobile network. Overdrawing requests sleep by taking their read
// stream off the run loop until the wake-up time.

#include <deque>
#include <mutex>
#include <numeric>

#include "http/NXHTTPRequest.h"
#include "http/Reachability.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSNotificationCenter.h"

namespace {

constexpr unsigned long kWWANDefaultLimit = 14800;

// Guarded by gBandwidthLock, which is never taken twice on one thread.
std::mutex gBandwidthLock;
unsigned long gLimit = 0;
unsigned long gBytesThisPeriod = 0;
std::optional<double> gPeriodEnd;  // NSClock::monotonic()
std::deque<unsigned long> gUsageHistory;
unsigned long gAverage = 0;
std::optional<double> gWakeUpTime;
bool gWWANActive = false;
bool gWWANOnly = false;

// The class keeps its own monitor while WWAN throttling is on, so that
// changes are seen even when nobody else watches the network.
std::mutex gReachabilityLock;
std::shared_ptr<Reachability> gMonitor;
id gObserverToken;

bool throttledLocked() { return gWWANActive || (!gWWANOnly && gLimit > 0); }

// Closes the current period; the caller holds the lock.
void recordBandwidthUsage(double now)
{
    if (gBytesThisPeriod == 0) {
        gUsageHistory.clear();
    } else {
        // One oldest entry goes for every second (or part) the period end lies behind.
        double d = gPeriodEnd ? *gPeriodEnd - now : 0;
        while ((d < 0 || gUsageHistory.size() >= 6) && !gUsageHistory.empty()) {
            gUsageHistory.pop_front();
            d += 1.0;
        }
    }
    gUsageHistory.push_back(gBytesThisPeriod);
    gPeriodEnd = now + 1.0;
    gBytesThisPeriod = 0;
    gAverage = std::accumulate(gUsageHistory.begin(), gUsageHistory.end(), 0ul) / gUsageHistory.size();
}

}  // namespace

bool NXHTTPRequest::isBandwidthThrottled()
{
    std::lock_guard l(gBandwidthLock);
    return throttledLocked();
}

unsigned long NXHTTPRequest::maxBandwidthPerSecond()
{
    std::lock_guard l(gBandwidthLock);
    return gLimit;
}

void NXHTTPRequest::setMaxBandwidthPerSecond(unsigned long bytes)
{
    std::lock_guard l(gBandwidthLock);
    gLimit = bytes;
}

void NXHTTPRequest::incrementBandwidthUsedInLastSecond(unsigned long bytes)
{
    std::lock_guard l(gBandwidthLock);
    gBytesThisPeriod += bytes;
}

unsigned long NXHTTPRequest::averageBandwidthUsedPerSecond()
{
    std::lock_guard l(gBandwidthLock);
    return gAverage;
}

std::optional<double> NXHTTPRequest::bandwidthWakeUpTime()
{
    std::lock_guard l(gBandwidthLock);
    return gWakeUpTime;
}

void NXHTTPRequest::measureBandwidthUsage()
{
    std::lock_guard l(gBandwidthLock);
    double now = NSClock::monotonic();
    if (!gPeriodEnd || *gPeriodEnd < now) recordBandwidthUsage(now);
    // Sleep to the end of the period, then as long again as the overdraft takes at the limit.
    if (throttledLocked() && gLimit > 0 && gBytesThisPeriod > gLimit)
        gWakeUpTime = *gPeriodEnd + static_cast<double>(gBytesThisPeriod - gLimit) / static_cast<double>(gLimit);
}

unsigned long NXHTTPRequest::maxUploadReadLength()
{
    std::lock_guard l(gBandwidthLock);
    unsigned long toRead = gLimit / 4;
    if (gLimit > 0 && static_cast<unsigned long long>(gBytesThisPeriod) + toRead > gLimit)
        toRead = gLimit > gBytesThisPeriod ? gLimit - gBytesThisPeriod : 0;
    if (toRead == 0 || !gPeriodEnd || *gPeriodEnd < NSClock::monotonic()) gWakeUpTime = gPeriodEnd;
    return toRead;
}

size_t NXHTTPRequest::throttledReadLength(size_t length)
{
    std::lock_guard l(gBandwidthLock);
    if (gLimit > 0) {
        if (gBytesThisPeriod > gLimit) length = 1;
        else length = std::min<size_t>(length, (gLimit - gBytesThisPeriod) / 4);
    }
    return std::max<size_t>(length, 1);
}

void NXHTTPRequest::performThrottling()
{
    if (!readStream_) return;
    measureBandwidthUsage();
    if (isBandwidthThrottled()) {
        auto wake = bandwidthWakeUpTime();
        if (!wake) return;
        if (*wake > NSClock::monotonic()) unscheduleReadStream();
        else scheduleReadStream();
    } else {
        scheduleReadStream();
    }
}

// ---- Mobile network -------------------------------------------------------------

void NXHTTPRequest::setShouldThrottleBandwidthForWWAN(bool throttle)
{
    if (throttle) {
        throttleBandwidthForWWANUsingLimit(kWWANDefaultLimit);
        return;
    }
    unsubscribeFromNetworkReachabilityNotifications();
    setMaxBandwidthPerSecond(0);
    std::lock_guard l(gBandwidthLock);
    gWWANActive = false;
    gWWANOnly = false;
}

void NXHTTPRequest::throttleBandwidthForWWANUsingLimit(unsigned long limit)
{
    {
        std::lock_guard l(gBandwidthLock);
        gWWANOnly = true;
        gLimit = limit;
    }
    registerForNetworkReachabilityNotifications();
    reachabilityChanged(nullptr);
}

void NXHTTPRequest::registerForNetworkReachabilityNotifications()
{
    auto monitor = Reachability::reachabilityForInternetConnection();
    if (monitor) monitor->startNotifier();
    std::lock_guard l(gReachabilityLock);
    gMonitor = monitor;
    auto center = NSNotificationCenter::defaultCenter();
    if (gObserverToken) center->removeObserver(gObserverToken.get());
    gObserverToken = center->addObserverForName(kReachabilityChangedNotification, nullptr,
                                                 [](const std::shared_ptr<NSNotification>& n) { reachabilityChanged(n); });
}

void NXHTTPRequest::unsubscribeFromNetworkReachabilityNotifications()
{
    std::lock_guard l(gReachabilityLock);
    if (gObserverToken) NSNotificationCenter::defaultCenter()->removeObserver(gObserverToken.get());
    gObserverToken.reset();
    if (gMonitor) gMonitor->stopNotifier();
    gMonitor.reset();
}

bool NXHTTPRequest::isNetworkReachableViaWWAN()
{
    auto internet = Reachability::reachabilityForInternetConnection();
    return internet && internet->currentReachabilityStatus() == ReachableViaWWAN;
}

void NXHTTPRequest::reachabilityChanged(const id&)
{
    bool wwan = isNetworkReachableViaWWAN();
    std::lock_guard l(gBandwidthLock);
    gWWANActive = wwan;
}
