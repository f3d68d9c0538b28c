#include "platform/cfnetwork/NSHTTPCookie.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <ctime>

#include "platform/foundation/NSClock.h"

namespace {

// The Expires forms servers send: "Wed, 09 Jun 2021 10:18:14 GMT" and the
// older "Wednesday, 09-Jun-21 10:18:14 GMT"; seconds since 1970.
std::optional<double> cookieDate(const std::string& text)
{
    for (const char* format : {"%a, %d %b %Y %H:%M:%S", "%a, %d-%b-%Y %H:%M:%S", "%a, %d-%b-%y %H:%M:%S"}) {
        tm parts{};
        const char* end = strptime(text.c_str(), format, &parts);
        if (end) return static_cast<double>(timegm(&parts));
    }
    return std::nullopt;
}

std::string trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isIPAddress(const std::string& host)
{
    in_addr a4;
    in6_addr a6;
    return inet_pton(AF_INET, host.c_str(), &a4) == 1 || inet_pton(AF_INET6, host.c_str(), &a6) == 1;
}

// RFC 6265 5.1.3.
bool domainMatches(const std::string& host, const std::string& domain)
{
    if (host == domain) return true;
    return !isIPAddress(host) && host.size() > domain.size() && host.ends_with(domain) &&
           host[host.size() - domain.size() - 1] == '.';
}

// RFC 6265 5.1.4: the directory of the request path.
std::string defaultPath(const std::string& path)
{
    if (path.empty() || path[0] != '/') return "/";
    size_t last = path.rfind('/');
    return last == 0 ? "/" : path.substr(0, last);
}

bool pathMatches(const std::string& requestPath, const std::string& cookiePath)
{
    if (requestPath == cookiePath) return true;
    if (!requestPath.starts_with(cookiePath)) return false;
    return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

std::string urlPath(const NSURL& url)
{
    std::string p = url.path().isNil() ? "/" : url.path().str();
    return p.empty() ? "/" : p;
}

}  // namespace

bool NSHTTPCookie::isExpired() const { return expiresDate_ && *expiresDate_ <= NSClock::timeIntervalSince1970(); }

bool NSHTTPCookie::matchesURL(const NSURL& url) const
{
    if (url.host().isNil() || isExpired()) return false;
    std::string host = lower(url.host().str());
    bool hostOK = hostOnly_ ? host == domain_.str() : domainMatches(host, domain_.str());
    if (!hostOK || !pathMatches(urlPath(url), path_.str())) return false;
    return !secure_ || url.scheme().lowercaseString() == "https";
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookie::cookiesWithResponseHeaderFields(const CFHTTPHeaderFields& headers,
                                                                                         const std::shared_ptr<NSURL>& url)
{
    std::vector<std::shared_ptr<NSHTTPCookie>> out;
    if (!url || url->host().isNil()) return out;
    const std::string host = lower(url->host().str());
    for (const NSString& field : headers.valuesForKey("Set-Cookie")) {
        std::string_view text = field.view();
        size_t semi = text.find(';');
        std::string_view pair = text.substr(0, semi);
        size_t eq = pair.find('=');
        if (eq == std::string_view::npos) continue;
        std::string name = trim(pair.substr(0, eq));
        if (name.empty()) continue;
        auto cookie = cookieWithName(NSString(name), NSString(trim(pair.substr(eq + 1))));
        cookie->domain_ = NSString(host);
        cookie->path_ = NSString(defaultPath(urlPath(*url)));
        std::optional<double> maxAge, expires;
        bool rejected = false;
        while (semi != std::string_view::npos) {
            text.remove_prefix(semi + 1);
            semi = text.find(';');
            std::string_view attr = text.substr(0, semi);
            size_t aeq = attr.find('=');
            std::string key = lower(trim(attr.substr(0, aeq)));
            std::string value = aeq == std::string_view::npos ? std::string() : trim(attr.substr(aeq + 1));
            if (key == "domain" && !value.empty()) {
                std::string d = lower(value[0] == '.' ? value.substr(1) : value);
                // A cookie may only be set for the host itself or a domain it lies in.
                if (d.empty() || !domainMatches(host, d)) rejected = true;
                else if (d != host || !isIPAddress(host)) {
                    cookie->domain_ = NSString(d);
                    cookie->hostOnly_ = false;
                }
            } else if (key == "path") {
                cookie->path_ = NSString(value.empty() || value[0] != '/' ? defaultPath(urlPath(*url)) : value);
            } else if (key == "secure") {
                cookie->secure_ = true;
            } else if (key == "httponly") {
                cookie->httpOnly_ = true;
            } else if (key == "max-age") {
                long seconds = 0;
                auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
                if (ec == std::errc() && end == value.data() + value.size())
                    maxAge = seconds <= 0 ? 0.0 : NSClock::timeIntervalSince1970() + static_cast<double>(seconds);
            } else if (key == "expires") {
                expires = cookieDate(value);
            }
        }
        if (rejected) continue;
        cookie->expiresDate_ = maxAge ? maxAge : expires;  // Max-Age wins over Expires
        out.push_back(cookie);
    }
    return out;
}

std::shared_ptr<NSHTTPCookieStorage> NSHTTPCookieStorage::sharedHTTPCookieStorage()
{
    static auto shared = std::make_shared<NSHTTPCookieStorage>();
    return shared;
}

void NSHTTPCookieStorage::setCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    if (!cookie) return;
    std::lock_guard guard(lock_);
    std::erase_if(cookies_, [&](const auto& c) {
        return c->name() == cookie->name() && c->domain() == cookie->domain() && c->path() == cookie->path();
    });
    if (!cookie->isExpired()) cookies_.push_back(cookie);
}

void NSHTTPCookieStorage::setCookies(const std::vector<std::shared_ptr<NSHTTPCookie>>& cookies, const std::shared_ptr<NSURL>&)
{
    for (const auto& c : cookies) setCookie(c);
}

void NSHTTPCookieStorage::deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    std::lock_guard guard(lock_);
    std::erase(cookies_, cookie);
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookiesForURL(const std::shared_ptr<NSURL>& url)
{
    std::lock_guard guard(lock_);
    std::erase_if(cookies_, [](const auto& c) { return c->isExpired(); });
    std::vector<std::shared_ptr<NSHTTPCookie>> out;
    if (!url) return out;
    for (const auto& c : cookies_)
        if (c->matchesURL(*url)) out.push_back(c);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a->path().str().size() > b->path().str().size(); });
    return out;
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookies()
{
    std::lock_guard guard(lock_);
    return cookies_;
}
