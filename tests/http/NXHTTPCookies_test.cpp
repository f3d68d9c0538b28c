#include <gtest/gtest.h>

#include "http/NXHTTPRequest.h"
#include "tools/testserver/TestServer.h"

using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

std::vector<std::shared_ptr<NSHTTPCookie>> parse(const std::string& setCookie, const std::string& url)
{
    CFHTTPHeaderFields h;
    h.addValue("Set-Cookie", NSString(setCookie));
    return NSHTTPCookie::cookiesWithResponseHeaderFields(h, NSURL::URLWithString(NSString(url)));
}

bool sentTo(const std::shared_ptr<NSHTTPCookie>& c, const std::string& url) { return c->matchesURL(*NSURL::URLWithString(NSString(url))); }

}  // namespace

TEST(NSHTTPCookie, DomainsPathsSecureAndExpiry)
{
    struct Case {
        const char* setCookie;
        const char* from;
        const char* to;
        bool sent;
    };
    const Case cases[] = {
        {"a=1", "http://www.example.com/x/y", "http://www.example.com/x/z", true},
        {"a=1", "http://www.example.com/x/y", "http://sub.www.example.com/x/z", false},  // host-only
        {"a=1", "http://www.example.com/x/y", "http://www.example.com/other", false},    // default path /x
        {"a=1; Domain=.example.com", "http://www.example.com/", "http://api.example.com/", true},
        {"a=1; Domain=example.com", "http://www.example.com/", "http://badexample.com/", false},
        {"a=1; Path=/docs", "http://example.com/", "http://example.com/docs/web", true},
        {"a=1; Path=/docs", "http://example.com/", "http://example.com/docsweb", false},
        {"a=1; Secure", "https://example.com/", "http://example.com/", false},
        {"a=1; Secure", "https://example.com/", "https://example.com/", true},
        {"a=1; Max-Age=3600", "http://example.com/", "http://example.com/", true},
        {"a=1; Max-Age=0", "http://example.com/", "http://example.com/", false},
        {"a=1; Expires=Wed, 09 Jun 2001 10:18:14 GMT", "http://example.com/", "http://example.com/", false},
        {"a=1; Expires=Wed, 09 Jun 2100 10:18:14 GMT", "http://example.com/", "http://example.com/", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setCookie) + " to " + c.to);
        auto cookies = parse(c.setCookie, c.from);
        ASSERT_EQ(cookies.size(), 1u);
        EXPECT_EQ(sentTo(cookies[0], c.to), c.sent);
    }
    EXPECT_TRUE(parse("a=1; Domain=other.com", "http://example.com/").empty());
    EXPECT_TRUE(parse("novalue", "http://example.com/").empty());
    EXPECT_TRUE(parse("a=1", "http://example.com/")[0]->isSessionOnly());
}

TEST(NXHTTPCookies, CookiesSetByOneResponseGoBackWithTheNext)
{
    Server server([](const Request& r, Connection& c) {
        if (r.path == "/login") c.send(200, "in", {{"Set-Cookie", "session=abc; Path=/"}, {"Set-Cookie", "theme=dark"}});
        else c.send(200, r.headers.get("Cookie").value_or("<none>"));
    });
    auto login = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/login"))));
    login->startSynchronous();
    ASSERT_EQ(login->responseCookies().size(), 2u);

    auto next = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/data"))));
    next->startSynchronous();
    EXPECT_EQ(next->responseString(), "session=abc; theme=dark");

    auto without = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/data"))));
    without->setUseCookiePersistence(false);
    without->startSynchronous();
    EXPECT_EQ(without->responseString(), "<none>");

    NXHTTPRequest::clearSession();
    EXPECT_TRUE(NXHTTPRequest::sessionCookies().empty());
    auto after = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/data"))));
    after->startSynchronous();
    EXPECT_EQ(after->responseString(), "<none>");
}

TEST(NXHTTPCookies, SessionListReplacesSameDomainPathAndName)
{
    NXHTTPRequest::clearSession();
    auto a = parse("a=1; Path=/x", "http://example.com/")[0];
    auto b = parse("a=2; Path=/x", "http://example.com/")[0];
    auto c = parse("a=3; Path=/y", "http://example.com/")[0];
    NXHTTPRequest::addSessionCookie(a);
    NXHTTPRequest::addSessionCookie(b);
    NXHTTPRequest::addSessionCookie(c);
    auto list = NXHTTPRequest::sessionCookies();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], b);
    EXPECT_EQ(list[1], c);
    NXHTTPRequest::clearSession();
}
