#pragma once
// Proxy discovery: the system proxy settings, read from the usual environment
// variables at every call (http_proxy, https_proxy, all_proxy and no_proxy,
// lower case before upper case; HTTP_PROXY in capitals is not read, as CGI
// programs receive it from clients), and proxy auto-configuration scripts run
// on duktape with the PAC helper functions.

#include <optional>
#include <vector>

#include "platform/cfnetwork/CFReadStream.h"
#include "platform/cfnetwork/NSURL.h"

struct CFProxySettings {
    std::optional<CFStreamProxy> http;   // for http URLs
    std::optional<CFStreamProxy> https;  // for https URLs
    std::optional<CFStreamProxy> all;    // for both, when the scheme has none of its own
    std::vector<NSString> exceptions;    // host names (a leading "." or none matches subdomains too), or "*"
};

CFProxySettings CFNetworkCopySystemProxySettings();

// A proxy text as the variables hold it ("host:port", "http://host:port/",
// "socks5://host:port"); nothing when it names no host. Without a port: 1080
// for SOCKS, else the scheme's port.
std::optional<CFStreamProxy> CFProxyFromString(const NSString& text);

// The text of the script at a file, http or https URL; nil when it cannot be
// loaded. Fetched directly, never through a proxy, within 10 s.
NSString CFNetworkCopyAutoConfigurationScript(const std::shared_ptr<NSURL>& scriptURL);

// Runs the script's FindProxyForURL(url, host) and turns its answer
// ("PROXY h:p; SOCKS h:p; DIRECT") into proxies in order; nothing (and the
// error) when the script does not compile, throws, has no such function or
// does not answer within 5 s (real time; the script runs in a child process
// that is then killed, and the time-out is logged). The date helpers
// (weekdayRange, dateRange, timeRange) read now from NSClock.
std::optional<std::vector<CFStreamProxy>> CFNetworkCopyProxiesForAutoConfigurationScript(const NSString& script,
                                                                                        const std::shared_ptr<NSURL>& url,
                                                                                        std::shared_ptr<NSError>* error);
