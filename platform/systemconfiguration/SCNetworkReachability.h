#pragma once
// Network reachability: a flag word per target (a host name or an IPv4
// address) and change events delivered on the run loops a handle is scheduled
// on. The flags come from a provider: the Linux provider by default (address
// lookup, route check, interface changes through netlink), or one a test
// installs.

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/NSString.h"

class NSRunLoop;

using SCNetworkReachabilityFlags = uint32_t;
enum : SCNetworkReachabilityFlags {
    kSCNetworkReachabilityFlagsTransientConnection = 1u << 0,
    kSCNetworkReachabilityFlagsReachable = 1u << 1,
    kSCNetworkReachabilityFlagsConnectionRequired = 1u << 2,
    kSCNetworkReachabilityFlagsConnectionOnTraffic = 1u << 3,
    kSCNetworkReachabilityFlagsInterventionRequired = 1u << 4,
    kSCNetworkReachabilityFlagsConnectionOnDemand = 1u << 5,
    kSCNetworkReachabilityFlagsIsLocalAddress = 1u << 16,
    kSCNetworkReachabilityFlagsIsDirect = 1u << 17,
    kSCNetworkReachabilityFlagsIsWWAN = 1u << 18,
};

// What a handle watches: a host name, or an IPv4 address (network byte order).
struct SCNetworkReachabilityTarget {
    NSString hostName;
    std::optional<in_addr_t> address;
};

// Source of the flags. Providers call changed() (from any thread) when the
// network may have changed; every scheduled handle then reports.
class SCNetworkReachabilityProvider {
public:
    virtual ~SCNetworkReachabilityProvider() = default;
    // nullopt when the flags cannot be read.
    virtual std::optional<SCNetworkReachabilityFlags> flagsForTarget(const SCNetworkReachabilityTarget& target) = 0;
    // Whether a handle can be made for the target at all.
    virtual bool canWatch(const SCNetworkReachabilityTarget& target) { return !target.hostName.isNil() || target.address; }

    using Listener = std::function<void()>;
    // A token; the listener stays until removeListener.
    long addListener(Listener listener);
    void removeListener(long token);

protected:
    void changed();

private:
    std::mutex lock_;
    long nextToken_ = 0;
    std::vector<std::pair<long, std::shared_ptr<Listener>>> listeners_;
};

// The provider handles made from now on use. nullptr restores the Linux provider.
void SCNetworkReachabilitySetProvider(std::shared_ptr<SCNetworkReachabilityProvider> provider);
std::shared_ptr<SCNetworkReachabilityProvider> SCNetworkReachabilityCopyProvider();

// A provider for tests: flags set per host name or address (and a default),
// each change reported at once.
class SCFakeReachabilityProvider : public SCNetworkReachabilityProvider {
public:
    std::optional<SCNetworkReachabilityFlags> flagsForTarget(const SCNetworkReachabilityTarget& target) override;
    bool canWatch(const SCNetworkReachabilityTarget& target) override;
    // Sets the flags of every target without flags of its own, and reports a change.
    void setFlags(std::optional<SCNetworkReachabilityFlags> flags);
    // Sets the flags of one host name or dotted address, and reports a change.
    void setFlags(const NSString& target, std::optional<SCNetworkReachabilityFlags> flags);
    // Host names for which no handle can be made.
    void refuse(const NSString& hostName);

private:
    std::mutex lock_;
    std::optional<SCNetworkReachabilityFlags> default_;
    std::map<NSString, std::optional<SCNetworkReachabilityFlags>> perTarget_;
    std::vector<NSString> refused_;
};

class SCNetworkReachability;
using SCNetworkReachabilityRef = std::shared_ptr<SCNetworkReachability>;
using SCNetworkReachabilityCallBack = std::function<void(SCNetworkReachabilityFlags flags)>;

// nullptr when no handle can be made.
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const NSString& hostName);
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr_in& address);
bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags& flags);
bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callback);
bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode);
bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode);
