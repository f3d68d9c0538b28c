#include "platform/cfnetwork/CFProxySupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSLog.h"

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

// Whether the PAC expression holds; "error" when the script fails.
std::string holds(const std::string& expression)
{
    std::string answer = pac("return (" + expression + ") ? 'PROXY yes.test:1' : 'DIRECT';");
    return answer == "DIRECT" ? "false" : answer == "kCFProxyTypeHTTP yes.test:1" ? "true" : answer;
}

}  // namespace

TEST(CFProxySupport, PACDateHelpersReadTheProjectClock)
{
    // Local time is 8 hours ahead of UTC, so the two differ in hour and, at the
    // second instant, in weekday, day, month and year.
    const char* previousTZ = std::getenv("TZ");
    std::string savedTZ = previousTZ ? previousTZ : "";
    setenv("TZ", "CST-8", 1);
    tzset();
    struct Case {
        const char* expression;
        bool expected;
    };
    // Friday 2024-03-15 18:30:45 local, 10:30:45 UTC.
    const Case friday[] = {
        {"weekdayRange('FRI')", true},
        {"weekdayRange('THU')", false},
        {"weekdayRange('MON', 'FRI')", true},
        {"weekdayRange('THU', 'MON')", true},
        {"weekdayRange('SAT', 'THU')", false},
        {"weekdayRange('FRI', 'GMT')", true},
        {"weekdayRange('XYZ')", false},
        {"weekdayRange()", false},
        {"weekdayRange('MON', 'TUE', 'WED')", false},
        {"dateRange(15)", true},
        {"dateRange(16)", false},
        {"dateRange('MAR')", true},
        {"dateRange(2024)", true},
        {"dateRange(2023)", false},
        {"dateRange(10, 20)", true},
        {"dateRange(20, 10)", false},
        {"dateRange(20, 16)", true},
        {"dateRange('FEB', 'APR')", true},
        {"dateRange('NOV', 'FEB')", false},
        {"dateRange('NOV', 'MAR')", true},
        {"dateRange(2020, 2024)", true},
        {"dateRange(2025, 2020)", false},
        {"dateRange(1, 'MAR', 15, 'MAR')", true},
        {"dateRange(16, 'MAR', 1, 'APR')", false},
        {"dateRange(1, 'DEC', 15, 'MAR')", true},
        {"dateRange('MAR', 2024, 'APR', 2024)", true},
        {"dateRange('APR', 2023, 'FEB', 2024)", false},
        {"dateRange(15, 'MAR', 2024, 15, 'MAR', 2024)", true},
        {"dateRange(1, 'JAN', 2024, 31, 'DEC', 2024)", true},
        {"dateRange(16, 'MAR', 2024, 1, 'JAN', 2025)", false},
        {"dateRange(16, 'MAR', 2024, 14, 'MAR', 2024)", false},
        {"dateRange(1, 'MAR', 2024)", false},
        {"dateRange('MAR', 15)", false},
        {"dateRange(15, 2024, 16, 2024)", false},
        {"dateRange(0)", false},
        {"dateRange('XYZ')", false},
        {"dateRange()", false},
        {"timeRange(18)", true},
        {"timeRange(19)", false},
        {"timeRange(10, 'GMT')", true},
        {"timeRange(18, 19)", true},
        {"timeRange(17, 18)", false},
        {"timeRange(18, 6)", true},
        {"timeRange(22, 6)", false},
        {"timeRange(12, 12)", true},
        {"timeRange(18, 30, 18, 31)", true},
        {"timeRange(18, 31, 19, 0)", false},
        {"timeRange(18, 30, 45, 18, 30, 46)", true},
        {"timeRange(18, 30, 0, 18, 30, 45)", false},
        {"timeRange(18, 30, 46, 18, 31, 0)", false},
        {"timeRange(24)", false},
        {"timeRange(18, 60, 19, 0)", false},
        {"timeRange(1, 2, 3)", false},
        {"timeRange()", false},
    };
    // Tuesday 2024-12-31 20:00:00 UTC, Wednesday 2025-01-01 04:00:00 local.
    const Case newYear[] = {
        {"weekdayRange('WED')", true},
        {"weekdayRange('WED', 'GMT')", false},
        {"weekdayRange('TUE', 'GMT')", true},
        {"weekdayRange('SAT', 'TUE', 'GMT')", true},
        {"weekdayRange('SAT', 'TUE')", false},
        {"dateRange(2025)", true},
        {"dateRange(2025, 'GMT')", false},
        {"dateRange(2024, 'GMT')", true},
        {"dateRange('JAN')", true},
        {"dateRange('DEC', 'JAN')", true},
        {"dateRange('DEC', 'JAN', 'GMT')", true},
        {"dateRange(1, 1)", true},
        {"dateRange(1, 1, 'GMT')", false},
        {"dateRange(31, 'DEC', 2024, 31, 'DEC', 2024, 'GMT')", true},
        {"dateRange(31, 'DEC', 2024, 31, 'DEC', 2024)", false},
        {"timeRange(22, 6)", true},
        {"timeRange(22, 6, 'GMT')", false},
        {"timeRange(20, 'GMT')", true},
        {"timeRange(0, 0, 0, 4, 0, 0)", false},
        {"timeRange(4, 0, 0, 4, 0, 1)", true},
    };
    const std::pair<NSTimeInterval, const Case*> instants[] = {{1710498645, friday}, {1735675200, newYear}};
    const size_t counts[] = {std::size(friday), std::size(newYear)};
    for (size_t i = 0; i < std::size(instants); ++i) {
        NSClock::useVirtualClock(instants[i].first);
        for (size_t j = 0; j < counts[i]; ++j) {
            SCOPED_TRACE(std::to_string(instants[i].first) + ": " + instants[i].second[j].expression);
            EXPECT_EQ(holds(instants[i].second[j].expression), instants[i].second[j].expected ? "true" : "false");
        }
    }
    // Time moves with the virtual clock: 18:30:45 plus 30 minutes is 19:00:45.
    NSClock::useVirtualClock(1710498645);
    NSClock::advance(30 * 60);
    EXPECT_EQ(holds("timeRange(19) && !timeRange(18)"), "true");
    NSClock::useRealClock();
    if (previousTZ) setenv("TZ", savedTZ.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(CFProxySupport, PACEvaluationIsBoundedInRealTime)
{
    // The bound keeps real time even when the project's clock stands still.
    NSClock::useVirtualClock(1710498645);
    std::vector<std::string> logged;
    auto previous = nxlog::setSink([&](const std::string& line) { logged.push_back(line); });
    std::shared_ptr<NSError> error;
    auto url = NSURL::URLWithString("http://a.test/");
    EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript("function FindProxyForURL(u, h) { for (;;) {} }", url, &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->localizedDescription(), "PAC script timed out");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("PAC script did not finish within 5 s"), std::string::npos) << logged[0];
    // The stopped evaluation leaves no process behind.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    // A script that loops while it loads is stopped the same way.
    EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript("while (true) {}", url, nullptr));
    nxlog::setSink(previous);
    NSClock::useRealClock();

    // Well-behaved scripts are unaffected, also with an answer larger than a
    // pipe holds at once.
    EXPECT_EQ(pac("return 'PROXY p.test:3128; DIRECT';"), "kCFProxyTypeHTTP p.test:3128; DIRECT");
    auto many = CFNetworkCopyProxiesForAutoConfigurationScript(
        "function FindProxyForURL(u, h) { var s = []; for (var i = 0; i < 20000; i++) s.push('PROXY p' + i + '.test:1'); return s.join('; '); }", url,
        nullptr);
    ASSERT_TRUE(many);
    ASSERT_EQ(many->size(), 20000u);
    EXPECT_EQ(many->back().host, "p19999.test");
}

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
        {{{"https_proxy", "l.test:4"}, {"HTTPS_PROXY", "u.test:5"}}, "https://a.test/", "kCFProxyTypeHTTPS l.test:4"},
        {{{"https_proxy", ""}, {"HTTPS_PROXY", "u.test:5"}}, "https://a.test/", "kCFProxyTypeHTTPS u.test:5"},
        {{{"ALL_PROXY", "m.test:6"}}, "http://a.test/", "kCFProxyTypeHTTP m.test:6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            unsetenv(name);
        for (const auto& [name, value] : c.env) setenv(name, value, 1);
        EXPECT_EQ(describe(CFNetworkCopyProxiesForURL(NSURL::URLWithString(c.url))), c.expected);
    }
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
}
