#include "platform/cfnetwork/CFProxySupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string describe(const std::vector<CFStreamProxy>& list)
{
    std::string s;
    for (const auto& p : list) {
        if (!s.empty()) s += "; ";
        s += p.type == kCFProxyTypeNone ? "DIRECT" : p.type.str() + " " + p.host.str() + ":" + std::to_string(p.port);
    }
    return s;
}

std::string pac(const std::string& body, const std::string& url = "http://www.example.test/a/b.html")
{
    std::shared_ptr<NSError> error;
    auto list = CFNetworkCopyProxiesForAutoConfigurationScript(NSString("function FindProxyForURL(url, host) {" + body + "}"),
                                                               NSURL::URLWithString(NSString(url)), &error);
    return list ? describe(*list) : "error";
}

}  // namespace

TEST(CFProxySupport, PACHelpersAndAnswers)
{
    struct Case {
        const char* body;
        const char* expected;
    };
    const Case cases[] = {
        {"return 'DIRECT';", "DIRECT"},
        {"return 'PROXY p.test:3128; SOCKS s.test:1080; DIRECT';", "kCFProxyTypeHTTP p.test:3128; kCFProxyTypeSOCKS s.test:1080; DIRECT"},
        {"return 'HTTPS h.test:443; BOGUS x:1; SOCKS5 s.test';", "kCFProxyTypeHTTPS h.test:443; kCFProxyTypeSOCKS s.test:1080"},
        {"return isPlainHostName(host) ? 'PROXY a:1' : 'DIRECT';", "DIRECT"},
        {"return isPlainHostName('intranet') ? 'PROXY a:1' : 'DIRECT';", "kCFProxyTypeHTTP a:1"},
        {"return dnsDomainIs(host, '.example.test') ? 'PROXY a:1' : 'DIRECT';", "kCFProxyTypeHTTP a:1"},
        {"return dnsDomainIs(host, '.other.test') ? 'PROXY a:1' : 'DIRECT';", "DIRECT"},
        {"return localHostOrDomainIs('www', 'www.example.test') && !localHostOrDomainIs('ww', 'www.example.test') ? 'PROXY a:1' : 'DIRECT';",
         "kCFProxyTypeHTTP a:1"},
        {"return shExpMatch(url, 'http://*.example.test/a/*') && !shExpMatch(url, '*.html?') ? 'PROXY a:1' : 'DIRECT';",
         "kCFProxyTypeHTTP a:1"},
        {"return dnsDomainLevels(host) == 2 ? 'PROXY a:1' : 'DIRECT';", "kCFProxyTypeHTTP a:1"},
        {"return isInNet('10.1.2.3', '10.0.0.0', '255.0.0.0') && !isInNet('11.1.2.3', '10.0.0.0', '255.0.0.0') ? 'PROXY a:1' : 'DIRECT';",
         "kCFProxyTypeHTTP a:1"},
        {"return dnsResolve('127.0.0.1') == '127.0.0.1' && isResolvable('localhost') ? 'PROXY a:1' : 'DIRECT';", "kCFProxyTypeHTTP a:1"},
        {"return typeof myIpAddress() == 'string' ? 'DIRECT' : 'PROXY a:1';", "DIRECT"},
        {"throw new Error('no');", "error"},
        {"return 42;", "error"},
        {"return 'DIRECT'", "DIRECT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(pac(c.body), c.expected);
    }
    EXPECT_EQ(pac("return 'PROXY p.test:8080';", "https://www.example.test/"), "kCFProxyTypeHTTPS p.test:8080");
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript("function (", NSURL::URLWithString("http://a.test/"), &error));
    ASSERT_NE(error, nullptr);
    EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript("var x = 1;", NSURL::URLWithString("http://a.test/"), nullptr));
}

TEST(CFProxySupport, ProxyTextsAndEnvironmentSettings)
{
    struct Text {
        const char* text;
        const char* expected;  // nullptr: none
    };
    for (const Text t : {Text{"proxy.test:3128", "kCFProxyTypeHTTP proxy.test:3128"}, Text{"http://proxy.test/", "kCFProxyTypeHTTP proxy.test:80"},
                         Text{"http://user:pw@proxy.test:8080/x", "kCFProxyTypeHTTP proxy.test:8080"},
                         Text{"socks5h://s.test", "kCFProxyTypeSOCKS s.test:1080"}, Text{"https://p.test", "kCFProxyTypeHTTP p.test:443"},
                         Text{"http://:8080", nullptr}, Text{"p.test:99999", nullptr}}) {
        SCOPED_TRACE(t.text);
        auto p = CFProxyFromString(t.text);
        EXPECT_EQ(p ? describe({*p}) : std::string("none"), t.expected ? t.expected : "none");
    }

    struct Case {
        std::vector<std::pair<const char*, const char*>> env;
        const char* url;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "http://a.test/", "DIRECT"},
        {{{"http_proxy", "h.test:1"}}, "http://a.test/", "kCFProxyTypeHTTP h.test:1"},
        {{{"http_proxy", "h.test:1"}}, "https://a.test/", "DIRECT"},
        {{{"HTTP_PROXY", "h.test:1"}}, "http://a.test/", "DIRECT"},
        {{{"HTTPS_PROXY", "s.test:2"}}, "https://a.test/", "kCFProxyTypeHTTPS s.test:2"},
        {{{"all_proxy", "socks5://k.test:3"}}, "https://a.test/", "kCFProxyTypeSOCKS k.test:3"},
        {{{"http_proxy", "h.test:1"}, {"no_proxy", "example.test"}}, "http://www.example.test/", "DIRECT"},
        {{{"http_proxy", "h.test:1"}, {"no_proxy", ".example.test"}}, "http://example.test/", "DIRECT"},
        {{{"http_proxy", "h.test:1"}, {"no_proxy", "example.test"}}, "http://badexample.test/", "kCFProxyTypeHTTP h.test:1"},
        {{{"http_proxy", "h.test:1"}, {"NO_PROXY", "*"}}, "http://a.test/", "DIRECT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            unsetenv(name);
        for (const auto& [name, value] : c.env) setenv(name, value, 1);
        EXPECT_EQ(describe(CFNetworkCopyProxiesForURL(NSURL::URLWithString(c.url))), c.expected);
    }
    for (const char* name : {"http_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "no_proxy", "NO_PROXY"}) unsetenv(name);
}
