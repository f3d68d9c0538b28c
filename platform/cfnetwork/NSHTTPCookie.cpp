#include "platform/cfnetwork/NSHTTPCookie.h"

#include <arpa/inet.h>
#include <libpsl.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/foundation/NSClock.h"

namespace {

bool isWhitespace(char c) { return c == ' ' || c == '\t'; }

std::string trim(std::string_view s)
{
    while (!s.empty() && isWhitespace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isWhitespace(s.back())) s.remove_suffix(1);
    return std::string(s);
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A control character other than the tab: never part of a cookie, so that
// no line break or NUL is ever sent on in a Cookie field.
bool holdsControlCharacter(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t') || u == 0x7F;
    });
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Leading digits of a date token: how many (up to `most`), 0 when there are
// fewer than `least` or more than `most` before a non-digit.
size_t leadingDigits(std::string_view token, size_t least, size_t most)
{
    size_t n = 0;
    while (n < token.size() && isDigit(token[n])) ++n;
    return n >= least && n <= most ? n : 0;
}

int number(std::string_view digits)
{
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    auto yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// The cookie date algorithm of RFC 6265 (5.1.1): time, day of month, month and
// year are found among the tokens in any order; seconds since 1970 (UTC).
std::optional<double> cookieDate(std::string_view text)
{
    auto isDelimiter = [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u == 0x09 || (u >= 0x20 && u <= 0x2F) || (u >= 0x3B && u <= 0x40) || (u >= 0x5B && u <= 0x60) ||
               (u >= 0x7B && u <= 0x7E);
    };
    static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    std::optional<int> hour, minute, second, day, month, year;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelimiter(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !isDelimiter(text[i])) ++i;
        std::string_view token = text.substr(start, i - start);
        if (token.empty()) continue;
        if (!hour) {
            // hms-time: 1*2DIGIT ":" 1*2DIGIT ":" 1*2DIGIT, then anything after a non-digit
            size_t h = leadingDigits(token, 1, 2);
            std::string_view rest = token.substr(h);
            if (h && rest.size() > 1 && rest[0] == ':') {
                size_t m = leadingDigits(rest.substr(1), 1, 2);
                std::string_view rest2 = rest.substr(1 + m);
                if (m && rest2.size() > 1 && rest2[0] == ':') {
                    if (size_t s = leadingDigits(rest2.substr(1), 1, 2)) {
                        hour = number(token.substr(0, h));
                        minute = number(rest.substr(1, m));
                        second = number(rest2.substr(1, s));
                        continue;
                    }
                }
            }
        }
        if (!day) {
            if (size_t n = leadingDigits(token, 1, 2)) {
                day = number(token.substr(0, n));
                continue;
            }
        }
        if (!month && token.size() >= 3) {
            std::string prefix = lower(std::string(token.substr(0, 3)));
            auto it = std::find_if(std::begin(kMonths), std::end(kMonths), [&](const char* m) { return prefix == m; });
            if (it != std::end(kMonths)) {
                month = static_cast<int>(it - std::begin(kMonths)) + 1;
                continue;
            }
        }
        if (!year) {
            if (size_t n = leadingDigits(token, 2, 4)) year = number(token.substr(0, n));
        }
    }
    if (!hour || !day || !month || !year) return std::nullopt;
    int y = *year;
    if (y >= 70 && y <= 99) y += 1900;
    else if (y >= 0 && y <= 69) y += 2000;
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int monthDays = kDaysInMonth[*month - 1] + (*month == 2 && isLeapYear(y) ? 1 : 0);
    if (*day < 1 || *day > monthDays || y < 1601 || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    long long days = daysFromCivil(y, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
    return static_cast<double>(days) * 86400.0 + *hour * 3600.0 + *minute * 60.0 + *second;
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

// A suffix under which anyone may register names ("org", "co.uk",
// "github.io"), by the public suffix list as Debian ships it. Unlisted
// names are not taken for suffixes, so that local test hosts keep working.
bool isPublicSuffix(const std::string& domain)
{
    static psl_ctx_t* const list = psl_latest(nullptr);
    const psl_ctx_t* ctx = list ? list : psl_builtin();
    return ctx && psl_is_public_suffix2(ctx, domain.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
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

// RFC 6265 5.2.2: delta seconds, or nullopt when the value is no integer.
std::optional<double> maxAgeExpiry(const std::string& value)
{
    if (value.empty() || !(isDigit(value[0]) || value[0] == '-')) return std::nullopt;
    if (!std::all_of(value.begin() + 1, value.end(), isDigit) || value == "-") return std::nullopt;
    long long seconds = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (ec == std::errc::result_out_of_range) seconds = value[0] == '-' ? -1 : std::numeric_limits<long long>::max();
    // Zero or less: the earliest time there is, so the cookie is expired at once.
    return seconds <= 0 ? 0.0 : NSClock::timeIntervalSince1970() + static_cast<double>(seconds);
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

std::shared_ptr<NSHTTPCookie> NSHTTPCookie::cookieWithSetCookieString(std::string_view text, const NSURL& url)
{
    // RFC 6265 5.2: the name-value pair up to the first ';', then the attributes.
    if (holdsControlCharacter(text)) return nullptr;
    const std::string host = lower(url.host().str());
    size_t semi = text.find(';');
    std::string_view pair = text.substr(0, semi);
    size_t eq = pair.find('=');
    if (eq == std::string_view::npos) return nullptr;
    std::string name = trim(pair.substr(0, eq));
    if (name.empty()) return nullptr;
    auto cookie = cookieWithName(NSString(name), NSString(trim(pair.substr(eq + 1))));
    cookie->path_ = NSString(defaultPath(urlPath(url)));
    // Of repeated attributes the last one counts (5.3); one whose value does
    // not parse is ignored as if absent.
    std::optional<double> maxAge, expires;
    std::optional<std::string> domain;
    while (semi != std::string_view::npos) {
        text.remove_prefix(semi + 1);
        semi = text.find(';');
        std::string_view attr = text.substr(0, semi);
        size_t aeq = attr.find('=');
        std::string key = lower(trim(attr.substr(0, aeq)));
        std::string value = aeq == std::string_view::npos ? std::string() : trim(attr.substr(aeq + 1));
        if (key == "domain" && !value.empty()) {
            domain = lower(value[0] == '.' ? value.substr(1) : value);
        } else if (key == "path") {
            cookie->path_ = NSString(value.empty() || value[0] != '/' ? defaultPath(urlPath(url)) : value);
        } else if (key == "secure") {
            cookie->secure_ = true;
        } else if (key == "httponly") {
            cookie->httpOnly_ = true;
        } else if (key == "max-age") {
            if (auto expiry = maxAgeExpiry(value)) maxAge = expiry;
        } else if (key == "expires") {
            if (auto date = cookieDate(value)) expires = date;
        }
    }
    cookie->expiresDate_ = maxAge ? maxAge : expires;  // Max-Age wins over Expires
    cookie->domain_ = NSString(host);
    if (domain && !domain->empty()) {
        // A domain that is a public suffix would reach every site under it:
        // for the suffix itself as host the cookie stays host-only, else it is
        // refused. Otherwise the host must lie in the domain.
        if (isPublicSuffix(*domain)) {
            if (*domain != host) return nullptr;
        } else if (!domainMatches(host, *domain)) {
            return nullptr;
        } else if (*domain != host || !isIPAddress(host)) {
            cookie->domain_ = NSString(*domain);
            cookie->hostOnly_ = false;
        }
    }
    return cookie;
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookie::cookiesWithResponseHeaderFields(const CFHTTPHeaderFields& headers,
                                                                                         const std::shared_ptr<NSURL>& url)
{
    std::vector<std::shared_ptr<NSHTTPCookie>> out;
    if (!url || url->host().isNil()) return out;
    for (const NSString& field : headers.valuesForKey("Set-Cookie"))
        if (auto cookie = cookieWithSetCookieString(field.view(), *url)) out.push_back(cookie);
    return out;
}

std::shared_ptr<NSHTTPCookieStorage> NSHTTPCookieStorage::sharedHTTPCookieStorage()
{
    static auto shared = std::make_shared<NSHTTPCookieStorage>();
    return shared;
}

void NSHTTPCookieStorage::setCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    if (!cookie || holdsControlCharacter(cookie->name().view()) || holdsControlCharacter(cookie->value().view())) return;
    std::lock_guard guard(lock_);
    // A cookie that replaces another keeps the creation of the one it replaces.
    uint64_t created = nextCreation_++;
    std::erase_if(entries_, [&](const Entry& e) {
        const auto& c = e.cookie;
        bool same = c->name() == cookie->name() && c->domain() == cookie->domain() && c->path() == cookie->path();
        if (same) created = e.created;
        return same;
    });
    if (!cookie->isExpired()) entries_.push_back({cookie, created});
}

void NSHTTPCookieStorage::setCookies(const std::vector<std::shared_ptr<NSHTTPCookie>>& cookies, const std::shared_ptr<NSURL>&)
{
    for (const auto& c : cookies) setCookie(c);
}

void NSHTTPCookieStorage::deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    std::lock_guard guard(lock_);
    std::erase_if(entries_, [&](const Entry& e) { return e.cookie == cookie; });
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookiesForURL(const std::shared_ptr<NSURL>& url)
{
    std::lock_guard guard(lock_);
    std::erase_if(entries_, [](const Entry& e) { return e.cookie->isExpired(); });
    if (!url) return {};
    std::vector<const Entry*> matching;
    for (const auto& e : entries_)
        if (e.cookie->matchesURL(*url)) matching.push_back(&e);
    // RFC 6265 5.4: longer paths first, then the earlier created.
    std::sort(matching.begin(), matching.end(), [](const Entry* a, const Entry* b) {
        size_t la = a->cookie->path().str().size(), lb = b->cookie->path().str().size();
        return la != lb ? la > lb : a->created < b->created;
    });
    std::vector<std::shared_ptr<NSHTTPCookie>> out;
    for (const Entry* e : matching) out.push_back(e->cookie);
    return out;
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookies()
{
    std::lock_guard guard(lock_);
    std::vector<std::shared_ptr<NSHTTPCookie>> out;
    for (const auto& e : entries_) out.push_back(e.cookie);
    return out;
}
