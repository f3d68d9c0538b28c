#pragma once
// What a request keeps and asks for when a server (401) or a proxy (407)
// wants credentials: the session store entries and the delegate protocols.

#include <memory>

#include "platform/cfnetwork/CFHTTPAuthentication.h"
#include "platform/cfnetwork/NSURL.h"

class NXHTTPRequest;

// One entry of a session credential store: credentials that worked once.
struct NXSessionCredentials {
    CFHTTPAuthenticationRef authentication;  // none for Basic credentials sent before any challenge
    CFHTTPCredentials credentials;
    std::shared_ptr<NSURL> url;  // server entries: the request that applied them
    NSString host;               // proxy entries: the proxy
    int port = 0;
    NSString authenticationScheme;
    NSString authenticationRealm;  // nil when the challenge named none
};
using NXSessionCredentialsRef = std::shared_ptr<const NXSessionCredentials>;

// A delegate (or queue) that supplies server credentials: it is called on the
// main thread, sets `username` and `password` (and `domain` for NTLM) on the
// request and calls `retryUsingSuppliedCredentials`, or calls `cancelAuthentication`.
class NXHTTPRequestAuthenticationDelegate {
public:
    virtual ~NXHTTPRequestAuthenticationDelegate() = default;
    virtual void authenticationNeededForRequest(NXHTTPRequest* request) = 0;
    // Whether it can answer now: one that passes the question on (the network
    // queue) can only while whoever it passes it to can.
    virtual bool answersAuthenticationNeeded() const { return true; }
};

// The same for proxy credentials (`proxyUsername`, `proxyPassword`, `proxyDomain`).
class NXHTTPRequestProxyAuthenticationDelegate {
public:
    virtual ~NXHTTPRequestProxyAuthenticationDelegate() = default;
    virtual void proxyAuthenticationNeededForRequest(NXHTTPRequest* request) = 0;
    virtual bool answersProxyAuthenticationNeeded() const { return true; }
};
