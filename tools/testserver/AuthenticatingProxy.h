#pragma once

// A forward proxy for tests that wants credentials. An absolute-form request
// without acceptable "Proxy-Authorization" gets 407 with the proxy's challenge;
// an accepted one is answered by the proxy itself (200, "proxied
// host:port/path"), so nothing ever leaves the loopback interface. Basic
// credentials are checked against the configured user and password; for NTLM
// any NTLM message is accepted (the proxy only starts the exchange) and the
// first one is answered by 200 as well.

#include <string>

#include "tools/testserver/TestServer.h"

namespace testserver {

class AuthenticatingProxy {
public:
    struct Options {
        std::string scheme = "Basic";  // "Basic" or "NTLM"
        std::string realm = "gateway";
        std::string user = "proxyuser";
        std::string password = "pw";
    };

    explicit AuthenticatingProxy(Options options);
    AuthenticatingProxy() : AuthenticatingProxy(Options{}) {}

    uint16_t port() const { return server_.port(); }
    Server &server() { return server_; }
    // The challenge it sends ("Basic realm=\"gateway\"", "NTLM").
    std::string challenge() const;

private:
    bool accepts(const Request &request) const;
    Options options_;
    Server server_;
};

// Standard base64 with padding.
std::string base64(std::string_view bytes);

}  // namespace testserver
