#include "platform/systemconfiguration/SCNetworkReachability.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/foundation/NSRunLoop.h"

// ---- Providers --------------------------------------------------------------------

long SCNetworkReachabilityProvider::addListener(Listener listener)
{
    std::lock_guard guard(lock_);
    listeners_.emplace_back(++nextToken_, std::make_shared<Listener>(std::move(listener)));
    return nextToken_;
}

void SCNetworkReachabilityProvider::removeListener(long token)
{
    std::lock_guard guard(lock_);
    std::erase_if(listeners_, [token](const auto& l) { return l.first == token; });
}

void SCNetworkReachabilityProvider::changed()
{
    std::vector<std::shared_ptr<Listener>> now;
    {
        std::lock_guard guard(lock_);
        for (const auto& l : listeners_) now.push_back(l.second);
    }
    for (const auto& l : now) (*l)();
}

namespace {

NSString dotted(in_addr_t address)
{
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{address};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return NSString(text);
}

// Whether the routing table sends IPv4 traffic anywhere beyond loopback.
bool hasDefaultRoute()
{
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);  // the column names
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string iface, destination;
        fields >> iface >> destination;
        if (destination == "00000000" && iface != "lo") return true;
    }
    return false;
}

// Whether the kernel has a route to the address: connecting a UDP socket
// picks the route without sending anything.
std::optional<SCNetworkReachabilityFlags> routeFlags(in_addr_t address)
{
    if (address == htonl(INADDR_ANY))
        return hasDefaultRoute() ? kSCNetworkReachabilityFlagsReachable : SCNetworkReachabilityFlags{0};
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = address;
    SCNetworkReachabilityFlags flags = 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        flags |= kSCNetworkReachabilityFlagsReachable;
        sockaddr_in local{};
        socklen_t len = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) == 0 && local.sin_addr.s_addr == address)
            flags |= kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect;
        if ((ntohl(address) >> 24) == 127) flags |= kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect;
    }
    close(fd);
    return flags;
}

// Flags from the kernel's routes and the resolver; interface, address and
// route changes arrive through a netlink socket watched by a thread of its own.
class LinuxReachabilityProvider : public SCNetworkReachabilityProvider {
public:
    LinuxReachabilityProvider()
    {
        if (pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
        netlink_ = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (netlink_ >= 0) {
            sockaddr_nl local{};
            local.nl_family = AF_NETLINK;
            local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
            if (bind(netlink_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
                close(netlink_);
                netlink_ = -1;
            }
        }
        if (netlink_ >= 0 && wake_[0] >= 0) watcher_ = std::thread([this] { watch(); });
    }
    ~LinuxReachabilityProvider() override
    {
        if (watcher_.joinable()) {
            char b = 0;
            (void)!write(wake_[1], &b, 1);
            watcher_.join();
        }
        for (int fd : {netlink_, wake_[0], wake_[1]})
            if (fd >= 0) close(fd);
    }

    std::optional<SCNetworkReachabilityFlags> flagsForTarget(const SCNetworkReachabilityTarget& target) override
    {
        if (target.address) return routeFlags(*target.address);
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(target.hostName.str().c_str(), nullptr, &hints, &found) != 0 || !found) return SCNetworkReachabilityFlags{0};
        in_addr_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        freeaddrinfo(found);
        return routeFlags(address);
    }

private:
    void watch()
    {
        char buffer[8192];
        for (;;) {
            pollfd fds[2] = {{netlink_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            if (fds[0].revents && recv(netlink_, buffer, sizeof buffer, 0) > 0) changed();
        }
    }

    int netlink_ = -1;
    int wake_[2] = {-1, -1};
    std::thread watcher_;
};

std::mutex gProviderLock;
std::shared_ptr<SCNetworkReachabilityProvider> gProvider;

}  // namespace

void SCNetworkReachabilitySetProvider(std::shared_ptr<SCNetworkReachabilityProvider> provider)
{
    std::lock_guard guard(gProviderLock);
    gProvider = std::move(provider);
}

std::shared_ptr<SCNetworkReachabilityProvider> SCNetworkReachabilityCopyProvider()
{
    std::lock_guard guard(gProviderLock);
    if (!gProvider) gProvider = std::make_shared<LinuxReachabilityProvider>();
    return gProvider;
}

std::optional<SCNetworkReachabilityFlags> SCFakeReachabilityProvider::flagsForTarget(const SCNetworkReachabilityTarget& target)
{
    std::lock_guard guard(lock_);
    NSString key = target.address ? dotted(*target.address) : target.hostName;
    auto it = perTarget_.find(key);
    return it != perTarget_.end() ? it->second : default_;
}

bool SCFakeReachabilityProvider::canWatch(const SCNetworkReachabilityTarget& target)
{
    std::lock_guard guard(lock_);
    if (!target.address && std::find(refused_.begin(), refused_.end(), target.hostName) != refused_.end()) return false;
    return !target.hostName.isNil() || target.address;
}

void SCFakeReachabilityProvider::setFlags(std::optional<SCNetworkReachabilityFlags> flags)
{
    {
        std::lock_guard guard(lock_);
        default_ = flags;
    }
    changed();
}

void SCFakeReachabilityProvider::setFlags(const NSString& target, std::optional<SCNetworkReachabilityFlags> flags)
{
    {
        std::lock_guard guard(lock_);
        perTarget_[target] = flags;
    }
    changed();
}

void SCFakeReachabilityProvider::refuse(const NSString& hostName)
{
    std::lock_guard guard(lock_);
    refused_.push_back(hostName);
}

// ---- Handles ----------------------------------------------------------------------

class SCNetworkReachability : public std::enable_shared_from_this<SCNetworkReachability> {
public:
    SCNetworkReachability(SCNetworkReachabilityTarget target, std::shared_ptr<SCNetworkReachabilityProvider> provider)
        : target_(std::move(target)), provider_(std::move(provider)) {}
    ~SCNetworkReachability()
    {
        if (token_) provider_->removeListener(token_);
    }

    void listen()
    {
        if (token_) return;
        std::weak_ptr<SCNetworkReachability> weak = weak_from_this();
        token_ = provider_->addListener([weak] {
            if (auto me = weak.lock()) me->report();
        });
    }

    // Hands the change to every loop the handle is scheduled on.
    void report()
    {
        std::vector<std::pair<std::shared_ptr<NSRunLoop>, NSString>> loops;
        {
            std::lock_guard guard(lock_);
            loops = schedules_;
        }
        std::weak_ptr<SCNetworkReachability> weak = weak_from_this();
        for (const auto& schedule : loops) {
            // Named copies rather than a structured binding: lambdas may capture
            // the names of a binding only from clang 16 on.
            schedule.first->performBlock(
                [weak, loop = schedule.first, mode = schedule.second] {
                    auto me = weak.lock();
                    if (!me) return;
                    SCNetworkReachabilityCallBack cb;
                    {
                        std::lock_guard guard(me->lock_);
                        bool still = std::find(me->schedules_.begin(), me->schedules_.end(), std::make_pair(loop, mode)) !=
                                     me->schedules_.end();
                        if (!still) return;
                        cb = me->callback_;
                    }
                    if (cb) cb(me->provider_->flagsForTarget(me->target_).value_or(0));
                },
                {schedule.second});
        }
    }

    SCNetworkReachabilityTarget target_;
    std::shared_ptr<SCNetworkReachabilityProvider> provider_;
    std::mutex lock_;
    SCNetworkReachabilityCallBack callback_;
    std::vector<std::pair<std::shared_ptr<NSRunLoop>, NSString>> schedules_;
    long token_ = 0;
};

namespace {

SCNetworkReachabilityRef makeHandle(SCNetworkReachabilityTarget target)
{
    auto provider = SCNetworkReachabilityCopyProvider();
    if (!provider->canWatch(target)) return nullptr;
    return std::make_shared<SCNetworkReachability>(std::move(target), std::move(provider));
}

}  // namespace

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const NSString& hostName)
{
    if (hostName.isNil() || hostName.str().empty()) return nullptr;
    return makeHandle({hostName, std::nullopt});
}

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr_in& address)
{
    if (address.sin_family != AF_INET) return nullptr;
    return makeHandle({NSString(), address.sin_addr.s_addr});
}

bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags& flags)
{
    if (!target) return false;
    auto read = target->provider_->flagsForTarget(target->target_);
    if (!read) return false;
    flags = *read;
    return true;
}

bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callback)
{
    if (!target) return false;
    std::lock_guard guard(target->lock_);
    target->callback_ = std::move(callback);
    return true;
}

bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode)
{
    if (!target || !runLoop) return false;
    {
        std::lock_guard guard(target->lock_);
        target->schedules_.emplace_back(runLoop, mode);
    }
    target->listen();
    return true;
}

bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode)
{
    if (!target) return false;
    std::lock_guard guard(target->lock_);
    auto it = std::find(target->schedules_.begin(), target->schedules_.end(), std::make_pair(runLoop, mode));
    if (it == target->schedules_.end()) return false;
    target->schedules_.erase(it);
    return true;
}
