// Set-Cookie fields as a reply brings them (one a line), for a page on a host
// under a public suffix, then the store's choice of cookies for other sites.
#include "fuzz/support/FuzzInput.h"
#include "platform/cfnetwork/NSHTTPCookie.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const auto page = NSURL::URLWithString("http://www.example.co.uk/dir/page");
    static const auto sites = {NSURL::URLWithString("https://www.example.co.uk/dir/sub/x"),
                               NSURL::URLWithString("http://attacker.co.uk/"),
                               NSURL::URLWithString("http://example.co.uk/dir")};
    CFHTTPHeaderFields headers;
    for (const auto& line : fuzz::Lines(fuzz::Text(data, size))) headers.addValue("Set-Cookie", NSString(line));
    auto cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(headers, page);
    auto store = std::make_shared<NSHTTPCookieStorage>();
    store->setCookies(cookies, page);
    for (const auto& site : sites) {
        for (const auto& cookie : store->cookiesForURL(site)) {
            (void)cookie->isExpired();
            (void)cookie->matchesURL(*site);
        }
    }
    return 0;
}
