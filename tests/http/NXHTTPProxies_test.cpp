// Requests through proxies over loopback: a SOCKS5 proxy, HTTP proxies named
// by the environment, and proxies chosen by a PAC script.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "http/NXHTTPRequest.h"
#include "tools/testserver/Socks5Server.h"
#include "tools/testserver/TestServer.h"

using testserver::Connection;
using testserver::Request;
using testserver::Server;
using testserver::Socks5Server;

namespace {

std::shared_ptr<NSURL> U(const std::string& s) { return NSURL::URLWithString(NSString(s)); }

// An origin that tells how it was asked, and an HTTP proxy that answers for
// every origin itself.
Server origin()
{
    return Server([](const Request& r, Connection& c) { c.send(200, "origin " + r.target); });
}

Server httpProxy()
{
    return Server([](const Request& r, Connection& c) { c.send(200, "proxy " + r.target); });
}

NSString fetch(const std::shared_ptr<NXHTTPRequest>& r)
{
    r->startSynchronous();
    return r->error() ? NSString("error: " + r->error()->localizedDescription().str()) : r->responseString();
}

// Clears the proxy variables for its lifetime.
class ScopedEnv {
public:
    ScopedEnv() { clear(); }
    ~ScopedEnv() { clear(); }

private:
    static void clear()
    {
        for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            unsetenv(name);
    }
};

}  // namespace

TEST(NXHTTPProxies, SOCKS5ProxyCarriesTheRequest)
{
    auto server = origin();
    Socks5Server socks;
    auto r = NXHTTPRequest::requestWithURL(U(server.url("/through?x=1")));
    r->setProxyHost("127.0.0.1");
    r->setProxyPort(socks.port());
    r->setProxyType(kCFProxyTypeSOCKS);
    EXPECT_EQ(fetch(r), "origin /through?x=1");
    EXPECT_EQ(socks.connectionsAccepted(), 1u);
    EXPECT_EQ(socks.targets(), std::vector<std::string>{"127.0.0.1:" + std::to_string(server.port())});
}

TEST(NXHTTPProxies, SystemSettingsFromTheEnvironment)
{
    auto server = origin();
    auto proxy = httpProxy();
    Socks5Server socks;
    const std::string proxyURL = "http://127.0.0.1:" + std::to_string(proxy.port());
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, std::string>> env;
        std::string expected;
    };
    const std::string target = server.url("/e");
    const Case cases[] = {
        {"no variables: direct", {}, "origin /e"},
        {"http_proxy", {{"http_proxy", proxyURL}}, "proxy " + target},
        {"all_proxy when the scheme has none", {{"all_proxy", "127.0.0.1:" + std::to_string(proxy.port())}}, "proxy " + target},
        {"no_proxy exempts the host", {{"http_proxy", proxyURL}, {"no_proxy", "example.org, 127.0.0.1"}}, "origin /e"},
        {"socks5 in all_proxy", {{"all_proxy", "socks5://127.0.0.1:" + std::to_string(socks.port())}}, "origin /e"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv env;
        for (const auto& [name, value] : c.env) setenv(name, value.c_str(), 1);
        EXPECT_EQ(fetch(NXHTTPRequest::requestWithURL(U(target))), NSString(c.expected));
    }
    EXPECT_EQ(socks.connectionsAccepted(), 1u);
}

TEST(NXHTTPProxies, PACScriptChoosesTheProxy)
{
    ScopedEnv env;
    auto server = origin();
    auto proxy = httpProxy();
    auto dir = std::filesystem::temp_directory_path() / ("nxpac-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return U("file://" + (dir / name).string());
    };
    auto pac = write("proxy.pac", "function FindProxyForURL(url, host) {\n"
                                  "  if (shExpMatch(url, '*/via/*') && isInNet(host, '127.0.0.0', '255.0.0.0'))\n"
                                  "    return 'PROXY 127.0.0.1:" + std::to_string(proxy.port()) + "; DIRECT';\n"
                                  "  return 'DIRECT';\n}\n");
    auto broken = write("broken.pac", "function FindProxyForURL(url, host) { return ");
    // The script can also come from a server.
    Server pacServer([&](const Request&, Connection& c) {
        std::ifstream in(dir / "proxy.pac");
        c.send(200, std::string(std::istreambuf_iterator<char>(in), {}), {{"Content-Type", "application/x-ns-proxy-autoconfig"}});
    });
    struct Case {
        const char* name;
        std::shared_ptr<NSURL> pac;
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"matching URL goes through the proxy", pac, "/via/a", "proxy " + server.url("/via/a")},
        {"other URL goes direct", pac, "/direct", "origin /direct"},
        {"script fetched over HTTP", U(pacServer.url("/proxy.pac")), "/via/b", "proxy " + server.url("/via/b")},
        {"script that cannot be loaded: direct", U("file://" + (dir / "missing.pac").string()), "/via/c", "origin /via/c"},
        {"script that does not run", broken, "/via/d", "error: Unable to obtain information on proxy servers needed for request"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = NXHTTPRequest::requestWithURL(U(server.url(c.path)));
        r->setPACurl(c.pac);
        EXPECT_EQ(fetch(r), NSString(c.expected));
    }
    std::filesystem::remove_all(dir);
}
