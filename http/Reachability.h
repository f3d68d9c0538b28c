#pragma once
// Whether a host, an address, the internet or the local Wi-Fi network can be
// reached, and over what. Each change seen after startNotifier posts
// "NetworkReachabilityChangedNotification" with the monitor as its object,
// on the thread whose run loop started the notifier.

#include <memory>

#include "platform/systemconfiguration/SCNetworkReachability.h"

extern const NSString kReachabilityChangedNotification;  // "NetworkReachabilityChangedNotification"

enum NetworkStatus : int { NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };

class Reachability : public NSObject {
public:
    explicit Reachability(SCNetworkReachabilityRef ref) : reachabilityRef_(std::move(ref)) {}
    ~Reachability() override;

    // nil when no handle can be made.
    static std::shared_ptr<Reachability> reachabilityWithHostName(const NSString& hostName);
    static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr_in& address);
    static std::shared_ptr<Reachability> reachabilityForInternetConnection();
    static std::shared_ptr<Reachability> reachabilityForLocalWiFi();
    static std::shared_ptr<Reachability> initWithReachabilityRef(SCNetworkReachabilityRef ref);
    // The dotted form of an IPv4 address in network byte order.
    static NSString makeAddressKey(in_addr_t address);
    // The flags text: "Reachability Flags: WR ctiCDld", "-" for each clear bit.
    static NSString flagsText(SCNetworkReachabilityFlags flags);

    bool startNotifier();
    void stopNotifier();

    NetworkStatus currentReachabilityStatus() const;
    NetworkStatus networkStatusForFlags(SCNetworkReachabilityFlags flags) const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    bool isConnectionRequired() const;
    bool connectionRequired() const { return isConnectionRequired(); }
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    SCNetworkReachabilityFlags reachabilityFlags() const;

    bool isEqual(const Reachability& other) const { return key_ == other.key_; }
    NSString description() const override;
    NSString key() const { return key_; }
    void setKey(const NSString& key) { key_ = key; }

private:
    std::optional<SCNetworkReachabilityFlags> flags() const;
    // Reads the flags and writes the log line of a test.
    std::optional<SCNetworkReachabilityFlags> loggedFlags(const char* name, int number) const;

    NSString key_;
    SCNetworkReachabilityRef reachabilityRef_;
    std::shared_ptr<NSRunLoop> notifierLoop_;
};
