#pragma once
// Cookies (RFC 6265): parsed from a response's Set-Cookie fields for the URL
// that set them, matched against request URLs by domain (host-only or domain
// cookies), path, the secure flag and expiry, and kept in a process-wide store.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/cfnetwork/CFHTTPMessage.h"
#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSString.h"

class NSHTTPCookie : public NSObject {
public:
    NSHTTPCookie(NSString name, NSString value) : name_(std::move(name)), value_(std::move(value)) {}
    static std::shared_ptr<NSHTTPCookie> cookieWithName(NSString name, NSString value)
    {
        return std::make_shared<NSHTTPCookie>(std::move(name), std::move(value));
    }
    // The cookies the Set-Cookie fields set for the URL; malformed ones, ones
    // holding control characters, and ones for a domain the URL's host is not
    // in or that is a public suffix ("org", "co.uk") are left out.
    static std::vector<std::shared_ptr<NSHTTPCookie>> cookiesWithResponseHeaderFields(const CFHTTPHeaderFields& headers,
                                                                                      const std::shared_ptr<NSURL>& url);

    const NSString& name() const { return name_; }
    const NSString& value() const { return value_; }
    const NSString& domain() const { return domain_; }  // lower case, without a leading dot
    const NSString& path() const { return path_; }
    bool isSecure() const { return secure_; }
    bool isHTTPOnly() const { return httpOnly_; }
    bool isHostOnly() const { return hostOnly_; }
    bool isSessionOnly() const { return !expiresDate_; }
    // Seconds since 1970 on NSClock; nil for a session cookie.
    std::optional<double> expiresDate() const { return expiresDate_; }
    bool isExpired() const;
    // Whether the cookie goes with a request to the URL.
    bool matchesURL(const NSURL& url) const;

private:
    // One Set-Cookie field value for the URL (RFC 6265 5.2 and 5.3); null when
    // it sets no cookie.
    static std::shared_ptr<NSHTTPCookie> cookieWithSetCookieString(std::string_view text, const NSURL& url);

    NSString name_, value_, domain_, path_ = "/";
    bool secure_ = false, httpOnly_ = false, hostOnly_ = true;
    std::optional<double> expiresDate_;
};

class NSHTTPCookieStorage : public NSObject {
public:
    static std::shared_ptr<NSHTTPCookieStorage> sharedHTTPCookieStorage();
    // Stores each cookie, replacing one with the same name, domain and path
    // (the new one keeps the creation of the one it replaces); an expired
    // cookie removes its match instead. A name or value holding a control
    // character is refused.
    void setCookies(const std::vector<std::shared_ptr<NSHTTPCookie>>& cookies, const std::shared_ptr<NSURL>& url);
    void setCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
    void deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
    // Unexpired cookies for the URL, longer paths first, then the earlier
    // created first.
    std::vector<std::shared_ptr<NSHTTPCookie>> cookiesForURL(const std::shared_ptr<NSURL>& url);
    std::vector<std::shared_ptr<NSHTTPCookie>> cookies();

private:
    struct Entry {
        std::shared_ptr<NSHTTPCookie> cookie;
        uint64_t created;  // order of creation in the store
    };
    std::mutex lock_;
    std::vector<Entry> entries_;
    uint64_t nextCreation_ = 0;
};
