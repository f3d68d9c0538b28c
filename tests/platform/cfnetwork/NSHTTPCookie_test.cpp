#include "platform/cfnetwork/NSHTTPCookie.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSClock.h"

namespace {

// Sets the cookies of one response, field by field, in a store of its own and
// answers with the Cookie field value a request to `to` would carry.
class CookieWorld {
public:
    void receive(const std::vector<std::string>& setCookies, const std::string& from)
    {
        CFHTTPHeaderFields headers;
        for (const auto& field : setCookies) headers.addValue("Set-Cookie", NSString(field));
        auto url = NSURL::URLWithString(NSString(from));
        store_->setCookies(NSHTTPCookie::cookiesWithResponseHeaderFields(headers, url), url);
    }
    std::string cookieField(const std::string& to) const
    {
        std::string field;
        for (const auto& c : store_->cookiesForURL(NSURL::URLWithString(NSString(to)))) {
            if (!field.empty()) field += "; ";
            field += c->name().str() + "=" + c->value().str();
        }
        return field;
    }
    NSHTTPCookieStorage& store() { return *store_; }

private:
    std::shared_ptr<NSHTTPCookieStorage> store_ = std::make_shared<NSHTTPCookieStorage>();
};

class NSHTTPCookieTest : public testing::Test {
protected:
    void SetUp() override { NSClock::useVirtualClock(1796806800.0); }  // 2026-12-09 09:00 UTC
    void TearDown() override { NSClock::useRealClock(); }
};

const std::string kParser = "http://home.example.org:8888/cookie-parser";
const std::string kResult = "http://home.example.org:8888/cookie-parser-result";

}  // namespace

// The parsing and storage rules of RFC 6265 (sections 5.1 to 5.4), case by
// case: the fields one response sets, and what the next request carries.
TEST_F(NSHTTPCookieTest, ParserFollowsRfc6265)
{
    struct Case {
        std::vector<std::string> setCookies;
        std::string sent;
        std::string to = kResult;
    };
    const Case cases[] = {
        // Name and value
        {{"foo=bar"}, "foo=bar"},
        {{"foo = bar "}, "foo=bar"},
        {{"foo=\"bar\""}, "foo=\"bar\""},
        {{"foo=\"bar"}, "foo=\"bar"},
        {{"foo=bar baz"}, "foo=bar baz"},
        {{"foo=bar=baz"}, "foo=bar=baz"},
        {{"foo=bar, baz=qux"}, "foo=bar, baz=qux"},
        {{"foo="}, "foo="},
        {{"foo=bar;"}, "foo=bar"},
        {{"foo=bar; ; ;"}, "foo=bar"},
        {{"foo"}, ""},
        {{"=bar"}, ""},
        {{" =bar"}, ""},
        {{"foo=b\tar"}, "foo=b\tar"},
        // Control characters refuse the whole field
        {{"foo=b\rar"}, ""},
        {{"foo=bar\r"}, ""},
        {{"foo=bar; path=/\r"}, ""},
        {{"foo=b\nar"}, ""},
        {{std::string("foo=b\0ar", 7)}, ""},
        {{"foo=b\x01" "ar"}, ""},
        {{"foo=b\x7f" "ar"}, ""},
        // Several cookies: replaced by name, domain and path; sent longer paths
        // first, then in the order they were created
        {{"foo=bar", "foo=qux"}, "foo=qux"},
        {{"foo1=bar", "foo2=qux"}, "foo1=bar; foo2=qux"},
        {{"a=1", "b=2", "a=3"}, "a=3; b=2"},
        {{"a=1; path=/", "b=2; path=/cookie-parser-result"}, "b=2; a=1"},
        {{"a=1; path=/", "a=2; path=/cookie-parser-result"}, "a=2; a=1"},
        {{"z=1", "a=2", "m=3"}, "z=1; a=2; m=3"},
        // Attributes: names without regard to case, unknown ones ignored
        {{"foo=bar; Secure"}, ""},
        {{"foo=bar; SECURE"}, ""},
        {{"foo=bar; secure=aaaa"}, ""},
        {{"foo=bar; Secure"}, "foo=bar", "https://home.example.org:8888/cookie-parser-result"},
        {{"foo=bar; HttpOnly"}, "foo=bar"},
        {{"foo=bar; version=1; comment=x"}, "foo=bar"},
        {{"foo=bar; expires"}, "foo=bar"},
        // Max-Age: an integer, the last one counts, and it wins over Expires
        {{"foo=bar; Max-Age=0"}, ""},
        {{"foo=bar; Max-Age=-1"}, ""},
        {{"foo=bar; Max-Age=-99999999999999999999999"}, ""},
        {{"foo=bar; Max-Age=99999999999999999999999"}, "foo=bar"},
        {{"foo=bar; Max-Age=abc"}, "foo=bar"},
        {{"foo=bar; Max-Age=+5"}, "foo=bar"},
        {{"foo=bar; Max-Age=1x"}, "foo=bar"},
        {{"foo=bar; max-age=10000; max-age=0"}, ""},
        {{"foo=bar; max-age=0; max-age=10000"}, "foo=bar"},
        {{"foo=bar; max-age=0; max-age=abc"}, ""},
        {{"foo=bar; Max-Age=0; Expires=Fri, 01 Jan 2100 00:00:00 GMT"}, ""},
        {{"foo=bar; Expires=Thu, 01 Jan 1970 00:00:01 GMT; Max-Age=1000"}, "foo=bar"},
        {{"foo=bar", "foo=gone; Max-Age=0"}, ""},
        // Expires: the cookie date algorithm, the last valid one counts
        {{"foo=bar; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, ""},
        {{"foo=bar; Expires=Fri, 01 Jan 2100 00:00:00 GMT"}, "foo=bar"},
        {{"foo=bar; Expires=Sun, 06 Nov 1994 08:49:37 GMT"}, ""},
        {{"foo=bar; Expires=Sunday, 06-Nov-94 08:49:37 GMT"}, ""},
        {{"foo=bar; Expires=Sun Nov  6 08:49:37 1994"}, ""},
        {{"foo=bar; Expires=Friday, 31-Dec-99 23:59:59 GMT"}, ""},   // 99 is 1999
        {{"foo=bar; Expires=Sat, 31-Dec-50 23:59:59 GMT"}, "foo=bar"},  // 50 is 2050
        {{"foo=bar; Expires=31 dec 2099 23:59:59"}, "foo=bar"},
        {{"foo=bar; Expires=23:59:59 2099 DECEMBER 31"}, "foo=bar"},
        {{"foo=bar; Expires=Wed, 30 Feb 1999 10:00:00 GMT"}, "foo=bar"},  // no such day: ignored
        {{"foo=bar; Expires=Wed, 09 Jun 1999 24:00:00 GMT"}, "foo=bar"},  // no such hour: ignored
        {{"foo=bar; Expires=Wed, 09 Jun 1600 10:00:00 GMT"}, "foo=bar"},  // before 1601: ignored
        {{"foo=bar; Expires=bogus"}, "foo=bar"},
        {{"foo=bar; Expires=Fri, 01 Jan 2100 00:00:00 GMT; Expires=Thu, 01 Jan 1970 00:00:01 GMT"}, ""},
        {{"foo=bar; Expires=Thu, 01 Jan 1970 00:00:01 GMT; Expires=bogus"}, ""},
        {{"foo=bar; Expires=Thu, 29 Feb 2096 00:00:00 GMT"}, "foo=bar"},  // a leap day
        // Domain: the host or a domain it lies in, never a public suffix; the
        // last one counts
        {{"foo=bar; domain=home.example.org"}, "foo=bar"},
        {{"foo=bar; domain=home.example.org"}, "foo=bar", "http://sub.home.example.org:8888/cookie-parser-result"},
        {{"foo=bar"}, "", "http://sub.home.example.org:8888/cookie-parser-result"},  // host-only
        {{"foo=bar; domain=.home.example.org"}, "foo=bar"},
        {{"foo=bar; domain=HOME.Example.org"}, "foo=bar"},
        {{"foo=bar; domain=example.org"}, "foo=bar", "http://www.example.org/"},
        {{"foo=bar; domain=.org"}, ""},
        {{"foo=bar; domain=.org"}, "", "http://attacker.org/"},
        {{"foo=bar; domain=org"}, "", "http://attacker.org/"},
        {{"foo=bar; domain=ample.org"}, ""},
        {{"foo=bar; domain=other.example.org"}, ""},
        {{"foo=bar; domain=sub.home.example.org"}, ""},
        {{"foo=bar; domain=home.example.org."}, ""},
        {{"foo=bar; domain=..example.org"}, ""},
        {{"foo=bar; domain="}, "foo=bar"},
        {{"foo=bar; domain="}, "", "http://sub.home.example.org:8888/cookie-parser-result"},
        {{"foo=bar; domain=example.org; domain=other.example.org"}, ""},
        {{"foo=bar; domain=other.example.org; domain=example.org"}, "foo=bar", "http://www.example.org/"},
        {{"foo=bar; domain=.org; domain=example.org"}, "foo=bar"},
        {{"foo=bar; domain=example.org; domain=.org"}, ""},
        // Path: an absolute one, else the default (the request's directory)
        {{"foo=bar; path=/cookie-parser"}, ""},
        {{"foo=bar; path=/cookie-parser"}, "foo=bar", "http://home.example.org:8888/cookie-parser/x"},
        {{"foo=bar; path=/"}, "foo=bar"},
        {{"foo=bar; path="}, "foo=bar"},
        {{"foo=bar; path=aaa"}, "foo=bar"},
        {{"foo=bar; path=\"/\""}, "foo=bar"},
        {{"foo=bar; path=/cookie-parser-result"}, "foo=bar"},
        {{"foo=bar; path=/cookie-parser-result/"}, ""},
        {{"foo=bar; path=/COOKIE-parser-result"}, ""},
        {{"foo=bar; path=/a; path=/"}, "foo=bar"},
        {{"foo=bar; path=/; path=/a"}, ""},
    };
    for (const Case& c : cases) {
        std::string trace;
        for (const auto& f : c.setCookies) trace += "[" + f + "] ";
        SCOPED_TRACE(trace + "to " + c.to);
        CookieWorld world;
        world.receive(c.setCookies, kParser);
        EXPECT_EQ(world.cookieField(c.to), c.sent);
    }
}

TEST_F(NSHTTPCookieTest, PublicSuffixesAreRefusedAsDomains)
{
    struct Case {
        std::string from, setCookie;
        bool stored;
        bool hostOnly = false;
    };
    const Case cases[] = {
        {"http://home.example.org/", "foo=bar; domain=.org", false},
        {"http://www.example.co.uk/", "foo=bar; Domain=co.uk", false},
        {"http://www.example.co.uk/", "foo=bar; Domain=uk", false},
        {"http://www.example.co.uk/", "foo=bar; Domain=example.co.uk", true},
        {"http://someone.github.io/", "foo=bar; Domain=github.io", false},  // a private suffix too
        {"http://someone.github.io/", "foo=bar; Domain=someone.github.io", true},
        // The suffix itself as host: kept, for that host alone.
        {"http://co.uk/", "foo=bar; Domain=co.uk", true, true},
        // Names the list does not know (local test hosts) are no suffixes.
        {"http://app.localtest/", "foo=bar; Domain=localtest", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setCookie + " from " + c.from);
        CFHTTPHeaderFields headers;
        headers.addValue("Set-Cookie", NSString(c.setCookie));
        auto cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(headers, NSURL::URLWithString(NSString(c.from)));
        ASSERT_EQ(cookies.size(), c.stored ? 1u : 0u);
        if (c.stored) {
            EXPECT_EQ(cookies[0]->isHostOnly(), c.hostOnly);
        }
    }
    CookieWorld world;
    world.receive({"foo=bar; domain=.org"}, "http://home.example.org/");
    world.receive({"a=1; Domain=co.uk"}, "http://www.example.co.uk/");
    EXPECT_EQ(world.cookieField("http://attacker.org/"), "");
    EXPECT_EQ(world.cookieField("http://attacker.co.uk/"), "");
    EXPECT_TRUE(world.store().cookies().empty());
}

TEST_F(NSHTTPCookieTest, AReplacedCookieKeepsItsPlaceAndCookiesWithControlCharactersAreNotStored)
{
    CookieWorld world;
    world.receive({"first=1", "second=2; path=/"}, kParser);
    NSClock::advance(10);
    world.receive({"first=one"}, kParser);  // replaced, still created first
    world.receive({"third=3; path=/cookie-parser-result"}, kParser);
    EXPECT_EQ(world.cookieField(kResult), "third=3; first=one; second=2");

    world.store().setCookie(NSHTTPCookie::cookieWithName("bad", "a\rb"));
    world.store().setCookie(NSHTTPCookie::cookieWithName("bad\n", "ab"));
    EXPECT_EQ(world.store().cookies().size(), 3u);
}
