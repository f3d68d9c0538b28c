#include "http/Reachability.h"

#include <arpa/inet.h>

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"

const NSString kReachabilityChangedNotification = "NetworkReachabilityChangedNotification";

namespace {

const NSString kInternetConnection = "InternetConnection";
const NSString kLocalWiFiConnection = "LocalWiFiConnection";

sockaddr_in ipv4(in_addr_t address)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = address;
    return a;
}

}  // namespace

Reachability::~Reachability()
{
    stopNotifier();
    key_ = NSString();
}

std::shared_ptr<Reachability> Reachability::initWithReachabilityRef(SCNetworkReachabilityRef ref)
{
    return ref ? std::make_shared<Reachability>(std::move(ref)) : nullptr;
}

std::shared_ptr<Reachability> Reachability::reachabilityWithHostName(const NSString& hostName)
{
    auto r = initWithReachabilityRef(SCNetworkReachabilityCreateWithName(hostName));
    if (r) r->key_ = hostName;
    return r;
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in& address)
{
    auto r = initWithReachabilityRef(SCNetworkReachabilityCreateWithAddress(address));
    if (r) r->key_ = makeAddressKey(address.sin_addr.s_addr);
    return r;
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection()
{
    auto r = reachabilityWithAddress(ipv4(htonl(INADDR_ANY)));
    if (r) r->key_ = kInternetConnection;
    return r;
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi()
{
    auto r = reachabilityWithAddress(ipv4(htonl(0xA9FE0000)));  // 169.254.0.0, the link-local network
    if (r) r->key_ = kLocalWiFiConnection;
    return r;
}

NSString Reachability::makeAddressKey(in_addr_t address)
{
    const auto* b = reinterpret_cast<const uint8_t*>(&address);
    return NSString::stringWithFormat("%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
}

NSString Reachability::flagsText(SCNetworkReachabilityFlags f)
{
    auto bit = [f](SCNetworkReachabilityFlags b, char c) { return (f & b) ? c : '-'; };
    return NSString::stringWithFormat(
        "Reachability Flags: %c%c %c%c%c%c%c%c%c", bit(kSCNetworkReachabilityFlagsIsWWAN, 'W'),
        bit(kSCNetworkReachabilityFlagsReachable, 'R'), bit(kSCNetworkReachabilityFlagsConnectionRequired, 'c'),
        bit(kSCNetworkReachabilityFlagsTransientConnection, 't'), bit(kSCNetworkReachabilityFlagsInterventionRequired, 'i'),
        bit(kSCNetworkReachabilityFlagsConnectionOnTraffic, 'C'), bit(kSCNetworkReachabilityFlagsConnectionOnDemand, 'D'),
        bit(kSCNetworkReachabilityFlagsIsLocalAddress, 'l'), bit(kSCNetworkReachabilityFlagsIsDirect, 'd'));
}

bool Reachability::startNotifier()
{
    std::weak_ptr<Reachability> weak = std::static_pointer_cast<Reachability>(shared_from_this());
    bool ok = SCNetworkReachabilitySetCallback(reachabilityRef_, [weak](SCNetworkReachabilityFlags) {
        if (auto me = weak.lock()) NSNotificationCenter::defaultCenter()->postNotificationName(kReachabilityChangedNotification, me);
    });
    if (!ok) return false;
    auto loop = NSRunLoop::currentRunLoop();
    if (!SCNetworkReachabilityScheduleWithRunLoop(reachabilityRef_, loop, NSDefaultRunLoopMode)) return false;
    notifierLoop_ = loop;
    return true;
}

void Reachability::stopNotifier()
{
    if (!reachabilityRef_) return;
    SCNetworkReachabilityUnscheduleFromRunLoop(reachabilityRef_, NSRunLoop::currentRunLoop(), NSDefaultRunLoopMode);
    notifierLoop_.reset();
}

std::optional<SCNetworkReachabilityFlags> Reachability::flags() const
{
    SCNetworkReachabilityFlags f = 0;
    if (!SCNetworkReachabilityGetFlags(reachabilityRef_, f)) return std::nullopt;
    return f;
}

std::optional<SCNetworkReachabilityFlags> Reachability::loggedFlags(const char* name, int number) const
{
    auto f = flags();
    if (f) NSLog("%s (%d) \n\t%@", name, number, flagsText(*f));
    return f;
}

NetworkStatus Reachability::networkStatusForFlags(SCNetworkReachabilityFlags flags) const
{
    if (!(flags & kSCNetworkReachabilityFlagsReachable)) return NotReachable;
    if (key_ == kLocalWiFiConnection) return (flags & kSCNetworkReachabilityFlagsIsDirect) ? ReachableViaWiFi : NotReachable;
    if (flags & kSCNetworkReachabilityFlagsIsWWAN) return ReachableViaWWAN;
    SCNetworkReachabilityFlags rest = flags & ~(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsLocalAddress |
                                                kSCNetworkReachabilityFlagsIsDirect);
    if (rest == (kSCNetworkReachabilityFlagsConnectionRequired | kSCNetworkReachabilityFlagsTransientConnection))
        return NotReachable;
    if (rest & kSCNetworkReachabilityFlagsTransientConnection) return ReachableViaWiFi;
    if (rest == 0) return ReachableViaWiFi;
    return (rest & kSCNetworkReachabilityFlagsConnectionRequired) ? ReachableViaWiFi : NotReachable;
}

NetworkStatus Reachability::currentReachabilityStatus() const
{
    auto f = flags();
    return f ? networkStatusForFlags(*f) : NotReachable;
}

bool Reachability::isReachable() const { return currentReachabilityStatus() != NotReachable; }

bool Reachability::isReachableViaWWAN() const
{
    auto f = loggedFlags("-[Reachability isReachableViaWWAN]", 610);
    return f && networkStatusForFlags(*f) == ReachableViaWWAN;
}

bool Reachability::isReachableViaWiFi() const
{
    auto f = loggedFlags("-[Reachability isReachableViaWiFi]", 632);
    return f && networkStatusForFlags(*f) == ReachableViaWiFi;
}

bool Reachability::isConnectionRequired() const
{
    auto f = loggedFlags("-[Reachability isConnectionRequired]", 535);
    return f && (*f & kSCNetworkReachabilityFlagsConnectionRequired);
}

bool Reachability::isConnectionOnDemand() const
{
    auto f = loggedFlags("-[Reachability isConnectionOnDemand]", 569);
    return f && (*f & kSCNetworkReachabilityFlagsConnectionRequired) &&
           (*f & (kSCNetworkReachabilityFlagsConnectionOnTraffic | kSCNetworkReachabilityFlagsConnectionOnDemand));
}

bool Reachability::isInterventionRequired() const
{
    auto f = loggedFlags("-[Reachability isInterventionRequired]", 589);
    return f && (*f & kSCNetworkReachabilityFlagsConnectionRequired) && (*f & kSCNetworkReachabilityFlagsInterventionRequired);
}

SCNetworkReachabilityFlags Reachability::reachabilityFlags() const
{
    return loggedFlags("-[Reachability reachabilityFlags]", 653).value_or(0);
}

NSString Reachability::description() const
{
    return NSString::stringWithFormat("%@\n\t%@", key_, flagsText(flags().value_or(0)));
}
