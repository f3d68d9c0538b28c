#include "platform/cfnetwork/CFProxySupport.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <duktape.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <signal.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string_view>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSLog.h"

namespace {

// The proxy variables, found in one pass over the environment: every request
// reads them, and a getenv per name walks the whole environment each time.
// As with getenv, the first entry of a name counts.
enum ProxyVariable : size_t { kHTTP, kHTTPS, kHTTPSUpper, kAll, kAllUpper, kNo, kNoUpper, kProxyVariableCount };
constexpr std::array<std::string_view, kProxyVariableCount> kProxyVariableNames = {
    "http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"};

std::array<const char*, kProxyVariableCount> readProxyVariables()
{
    std::array<const char*, kProxyVariableCount> found{};
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* text = *entry;
        switch (text[0]) {  // the first letters of the names
        case 'h': case 'H': case 'a': case 'A': case 'n': case 'N': break;
        default: continue;
        }
        const char* equals = std::strchr(text, '=');
        if (!equals) continue;
        std::string_view name(text, static_cast<size_t>(equals - text));
        for (size_t i = 0; i < kProxyVariableCount; ++i)
            if (!found[i] && name == kProxyVariableNames[i]) found[i] = equals + 1;
    }
    return found;
}

// The lower-case variable, else the upper-case one; an empty one is passed over.
NSString env(const std::array<const char*, kProxyVariableCount>& found, ProxyVariable lower,
             std::optional<ProxyVariable> upper = std::nullopt)
{
    if (found[lower] && *found[lower]) return NSString(found[lower]);
    if (upper && found[*upper] && *found[*upper]) return NSString(found[*upper]);
    return NSString();
}

bool excepted(const CFProxySettings& settings, const NSString& host)
{
    std::string h = host.lowercaseString().str();
    for (const auto& e : settings.exceptions) {
        std::string x = e.lowercaseString().str();
        if (x == "*") return true;
        if (!x.empty() && x[0] == '.') x.erase(0, 1);
        if (x.empty()) continue;
        if (h == x || (h.size() > x.size() && h.compare(h.size() - x.size(), x.size(), x) == 0 && h[h.size() - x.size() - 1] == '.'))
            return true;
    }
    return false;
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// ---- PAC ---------------------------------------------------------------------------

// A script gets this long to answer; one that runs longer (an endless loop)
// is stopped and gives no proxy information.
constexpr std::chrono::seconds kPACTimeout{5};

// The PAC helpers that need the network or the clock are C; the rest is
// JavaScript.
const char* const kPACHelpers = R"JS(
function isPlainHostName(host) { return host.indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
    return host.length >= domain.length && host.substring(host.length - domain.length) == domain;
}
function localHostOrDomainIs(host, hostdom) { return host == hostdom || hostdom.lastIndexOf(host + '.', 0) == 0; }
function isResolvable(host) { return dnsResolve(host) != null; }
function dnsDomainLevels(host) { return host.split('.').length - 1; }
function __pacAddress(ip) {
    var b = ip.split('.');
    return (((b[0] & 255) << 24) | ((b[1] & 255) << 16) | ((b[2] & 255) << 8) | (b[3] & 255)) >>> 0;
}
function isInNet(host, pattern, mask) {
    var ip = /^\d+\.\d+\.\d+\.\d+$/.test(host) ? host : dnsResolve(host);
    if (ip == null) return false;
    var m = __pacAddress(mask);
    return ((__pacAddress(ip) & m) >>> 0) == ((__pacAddress(pattern) & m) >>> 0);
}
function shExpMatch(str, shexp) {
    var re = shexp.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
    return new RegExp('^' + re + '$').test(str);
}
var __pacDays = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
var __pacMonths = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
// The arguments of a date helper without a trailing "GMT", and now in local
// time or, with "GMT", in UTC: [year, month 0-11, day, weekday 0-6 from
// Sunday, hour, minute, second].
function __pacArguments(args) {
    var list = Array.prototype.slice.call(args);
    var gmt = list.length > 0 && list[list.length - 1] === 'GMT';
    if (gmt) list.pop();
    return { list: list, now: __pacNow(gmt) };
}
function __pacWhole(value, low, high) { return typeof value == 'number' && value % 1 == 0 && value >= low && value <= high; }
// Whether value lies from start to end, both included; a start after the end
// wraps around (FRI to MON, DEC to FEB, 22 h to 6 h).
function __pacWithin(value, start, end) {
    return start <= end ? start <= value && value <= end : value >= start || value <= end;
}
function weekdayRange() {
    var a = __pacArguments(arguments);
    if (a.list.length < 1 || a.list.length > 2) return false;
    var start = __pacDays.indexOf(a.list[0]), end = __pacDays.indexOf(a.list[a.list.length - 1]);
    return start >= 0 && end >= 0 && __pacWithin(a.now[3], start, end);
}
// One end of a date range (day, month, year or their ordered combinations) as
// the fields it names ('d', 'm', 'y') and a number that orders like the date;
// null when the arguments form no date.
function __pacDate(parts, now) {
    var kinds = '', value = { y: 0, m: 0, d: 0 }, at = { y: 0, m: 0, d: 0 };
    for (var i = 0; i < parts.length; i++) {
        var p = parts[i], kind = typeof p == 'string' ? 'm' : p > 31 ? 'y' : 'd';
        var v = kind == 'm' ? __pacMonths.indexOf(p) : p;
        if (kind == 'm' ? v < 0 : !__pacWhole(p, 1, 1e6)) return null;
        kinds += kind;
        value[kind] = v;
        at[kind] = now[{ y: 0, m: 1, d: 2 }[kind]];
    }
    if (['d', 'm', 'y', 'dm', 'my', 'dmy'].indexOf(kinds) < 0) return null;
    return { kinds: kinds, value: (value.y * 12 + value.m) * 32 + value.d, now: (at.y * 12 + at.m) * 32 + at.d };
}
function dateRange() {
    var a = __pacArguments(arguments), n = a.list.length;
    if (n != 1 && n != 2 && n != 4 && n != 6) return false;
    var half = n == 1 ? 1 : n / 2;
    var start = __pacDate(a.list.slice(0, half), a.now), end = __pacDate(a.list.slice(n - half), a.now);
    if (!start || !end || start.kinds != end.kinds) return false;
    if (start.kinds.indexOf('y') >= 0 && start.value > end.value) return false;  // years do not wrap
    return __pacWithin(start.now, start.value, end.value);
}
// timeRange(hour), (hour1, hour2), (h1, m1, h2, m2), (h1, m1, s1, h2, m2, s2):
// from the start up to, not including, the end; one hour alone is that hour.
function timeRange() {
    var a = __pacArguments(arguments), n = a.list.length, day = 24 * 3600;
    if (n != 1 && n != 2 && n != 4 && n != 6) return false;
    var half = n == 1 ? 1 : n / 2;
    function seconds(parts) {
        var s = 0;
        for (var i = 0; i < 3; i++) {
            var p = i < parts.length ? parts[i] : 0;
            if (!__pacWhole(p, 0, i == 0 ? 23 : 59)) return -1;
            s = s * 60 + p;
        }
        return s;
    }
    var start = seconds(a.list.slice(0, half)), end = n == 1 ? start + 3600 : seconds(a.list.slice(half));
    if (start < 0 || end < 0) return false;
    var now = (a.now[4] * 60 + a.now[5]) * 60 + a.now[6];
    return __pacWithin(now, start, (end + day - 1) % day);
}
)JS";

// The first IPv4 address of the host; empty when it has none.
std::string resolveIPv4(const char* host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) return {};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr, text, sizeof text);
    freeaddrinfo(res);
    return text;
}

// Writes all of the bytes; false when the other end is gone.
bool writeAll(int fd, const std::string& bytes)
{
    for (size_t sent = 0; sent < bytes.size();) {
        ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads exactly count bytes, waiting at most until the deadline (real time).
// False on time-out (timedOut set), end of stream or error.
bool readExactly(int fd, size_t count, std::string& into, std::chrono::steady_clock::time_point deadline,
                 bool* timedOut = nullptr)
{
    into.clear();
    while (into.size() < count) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        int ready = left > 0 ? poll(&p, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0 && timedOut) *timedOut = true;
        if (ready <= 0) return false;
        char buffer[4096];
        ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - into.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

// One message between the evaluating child and its parent: a kind byte, the
// payload's length and the payload.
std::string frame(char kind, const std::string& payload)
{
    auto length = static_cast<uint32_t>(payload.size());
    std::string message(1, kind);
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    return message + payload;
}

constexpr size_t kFrameHeader = 1 + sizeof(uint32_t);

// The evaluating child's line to its parent; -1 when evaluating in-process.
int gParentChannel = -1;

// Name look-ups of a forked evaluation are made by the parent: the child is a
// copy of a process with many threads, and the resolver's locks may have been
// held by one of them at the fork.
std::string resolveForScript(const char* host)
{
    if (gParentChannel < 0) return resolveIPv4(host);
    std::string answer;
    auto forever = std::chrono::steady_clock::time_point::max();
    if (!writeAll(gParentChannel, frame('R', host)) || !readExactly(gParentChannel, kFrameHeader, answer, forever))
        return {};
    uint32_t length;
    std::memcpy(&length, answer.data() + 1, sizeof length);
    return readExactly(gParentChannel, length, answer, forever) ? answer : std::string();
}

// dnsResolve(host): the host's IPv4 address, or null.
duk_ret_t dnsResolve(duk_context* ctx)
{
    std::string ip = resolveForScript(duk_require_string(ctx, 0));
    if (ip.empty()) duk_push_null(ctx);
    else duk_push_string(ctx, ip.c_str());
    return 1;
}

// myIpAddress(): the address of this machine's host name, else the loopback.
duk_ret_t myIpAddress(duk_context* ctx)
{
    char name[256] = {};
    std::string ip = gethostname(name, sizeof name - 1) == 0 ? resolveForScript(name) : std::string();
    duk_push_string(ctx, ip.empty() ? "127.0.0.1" : ip.c_str());
    return 1;
}

// Now as the date helpers see it, in local time and in UTC: year, month
// (0-11), day of the month, weekday (0 is Sunday), hour, minute, second.
using PACTime = std::array<int, 7>;
struct PACNow {
    PACTime local, gmt;
};

PACNow pacNow()
{
    time_t t = static_cast<time_t>(std::floor(NSClock::timeIntervalSince1970()));
    tm local{}, gmt{};
    localtime_r(&t, &local);
    gmtime_r(&t, &gmt);
    auto fields = [](const tm& x) { return PACTime{x.tm_year + 1900, x.tm_mon, x.tm_mday, x.tm_wday, x.tm_hour, x.tm_min, x.tm_sec}; };
    return {fields(local), fields(gmt)};
}

// __pacNow(gmt): the fields of now (from the heap stash) as an array.
duk_ret_t pacNowFunction(duk_context* ctx)
{
    bool gmt = duk_to_boolean(ctx, 0);
    duk_push_heap_stash(ctx);
    duk_get_prop_string(ctx, -1, "now");
    const auto* now = static_cast<const PACNow*>(duk_get_pointer(ctx, -1));
    const PACTime& fields = gmt ? now->gmt : now->local;
    duk_idx_t array = duk_push_array(ctx);
    for (size_t i = 0; i < fields.size(); ++i) {
        duk_push_int(ctx, fields[i]);
        duk_put_prop_index(ctx, array, static_cast<duk_uarridx_t>(i));
    }
    return 1;
}

// What one evaluation gives: the text FindProxyForURL returned, or why there
// is none.
struct PACOutcome {
    bool answered = false;
    std::string text;
};

PACOutcome evaluatePAC(const std::string& script, const std::string& url, const std::string& host, const PACNow& now)
{
    std::unique_ptr<duk_context, void (*)(duk_context*)> heap(duk_create_heap_default(), duk_destroy_heap);
    duk_context* ctx = heap.get();
    if (!ctx) return {false, "No JavaScript heap"};
    duk_push_c_function(ctx, dnsResolve, 1);
    duk_put_global_string(ctx, "dnsResolve");
    duk_push_c_function(ctx, myIpAddress, 0);
    duk_put_global_string(ctx, "myIpAddress");
    duk_push_c_function(ctx, pacNowFunction, 1);
    duk_put_global_string(ctx, "__pacNow");
    duk_push_heap_stash(ctx);
    duk_push_pointer(ctx, const_cast<PACNow*>(&now));
    duk_put_prop_string(ctx, -2, "now");
    duk_pop(ctx);
    auto run = [&](const std::string& source) {
        if (duk_peval_string(ctx, source.c_str()) != 0) return false;
        duk_pop(ctx);
        return true;
    };
    if (!run(kPACHelpers)) return {false, "PAC helpers did not load"};
    if (!run(script)) return {false, std::string("Script error: ") + duk_safe_to_string(ctx, -1)};
    if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_function(ctx, -1)) return {false, "No FindProxyForURL"};
    duk_push_string(ctx, url.c_str());
    duk_push_string(ctx, host.c_str());
    if (duk_pcall(ctx, 2) != DUK_EXEC_SUCCESS) return {false, std::string("Script error: ") + duk_safe_to_string(ctx, -1)};
    if (!duk_is_string(ctx, -1)) return {false, "FindProxyForURL gave no text"};
    return {true, duk_get_string(ctx, -1)};
}

// The child's report: the answer flag and the text.
std::string outcomeMessage(const PACOutcome& outcome)
{
    return frame('O', std::string(1, outcome.answered ? '1' : '0') + outcome.text);
}

// Serves the child's name look-ups until its report arrives, waiting at most
// until the deadline (real time: a virtual clock must not stop the bound).
// Nothing when the child ran out of time (timedOut) or ended without a report.
std::optional<PACOutcome> serveChild(int fd, std::chrono::steady_clock::time_point deadline, bool& timedOut)
{
    for (;;) {
        std::string header, payload;
        if (!readExactly(fd, kFrameHeader, header, deadline, &timedOut)) return std::nullopt;
        uint32_t length;
        std::memcpy(&length, header.data() + 1, sizeof length);
        if (!readExactly(fd, length, payload, deadline, &timedOut)) return std::nullopt;
        if (header[0] == 'O' && !payload.empty()) return PACOutcome{payload[0] == '1', payload.substr(1)};
        if (header[0] != 'R' || !writeAll(fd, frame('A', resolveIPv4(payload.c_str())))) return std::nullopt;
    }
}

// Runs the evaluation in a child process, so that a script that never ends can
// be stopped: duktape as built here has no execution time-out, and a thread
// could not be stopped safely. The clock is read before the fork; the child
// asks its parent for name look-ups.
PACOutcome evaluatePACBounded(const std::string& script, const std::string& url, const std::string& host)
{
    const PACNow now = pacNow();
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return {false, "Could not start the PAC evaluation"};
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        gParentChannel = fds[1];
        writeAll(fds[1], outcomeMessage(evaluatePAC(script, url, host, now)));
        _exit(0);  // no exit handlers or destructors of the parent's objects in the copy
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return {false, "Could not start the PAC evaluation"};
    }
    bool timedOut = false;
    auto outcome = serveChild(fds[0], std::chrono::steady_clock::now() + kPACTimeout, timedOut);
    close(fds[0]);
    if (!outcome) kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (outcome) return *outcome;
    if (!timedOut) return {false, "PAC evaluation ended abnormally"};
    NX_LOG("PAC script did not finish within %d s; no proxy information for %s", static_cast<int>(kPACTimeout.count()),
           url.c_str());
    return {false, "PAC script timed out"};
}

std::vector<CFStreamProxy> parsePACAnswer(const std::string& answer, bool https)
{
    std::vector<CFStreamProxy> list;
    std::stringstream in(answer);
    std::string item;
    while (std::getline(in, item, ';')) {
        item = trim(item);
        if (item.empty()) continue;
        size_t sp = item.find_first_of(" \t");
        std::string kind = item.substr(0, sp);
        if (strcasecmp(kind.c_str(), "DIRECT") == 0) {
            list.push_back(CFStreamProxy{kCFProxyTypeNone, NSString(), 0});
            continue;
        }
        if (sp == std::string::npos) continue;
        bool socks = strncasecmp(kind.c_str(), "SOCKS", 5) == 0;
        auto proxy = CFProxyFromString(NSString((socks ? "socks://" : "") + trim(item.substr(sp))));
        if (!proxy) continue;
        if (strcasecmp(kind.c_str(), "PROXY") == 0 || strcasecmp(kind.c_str(), "HTTP") == 0)
            proxy->type = https ? kCFProxyTypeHTTPS : kCFProxyTypeHTTP;
        else if (strcasecmp(kind.c_str(), "HTTPS") == 0) proxy->type = kCFProxyTypeHTTPS;
        else if (socks) proxy->type = kCFProxyTypeSOCKS;
        else continue;
        list.push_back(*proxy);
    }
    return list;
}

size_t collect(char* data, size_t size, size_t n, void* out)
{
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

}  // namespace

std::optional<CFStreamProxy> CFProxyFromString(const NSString& text)
{
    if (text.isNil()) return std::nullopt;
    std::string s = trim(text.str());
    std::string scheme = "http";
    size_t sep = s.find("://");
    if (sep != std::string::npos) {
        scheme = s.substr(0, sep);
        s.erase(0, sep + 3);
    }
    s = s.substr(0, s.find('/'));
    size_t at = s.rfind('@');  // credentials in the text are not ours to use
    if (at != std::string::npos) s.erase(0, at + 1);
    bool socks = strncasecmp(scheme.c_str(), "socks", 5) == 0;
    int port = socks ? 1080 : strcasecmp(scheme.c_str(), "https") == 0 ? 443 : 80;
    size_t colon = s.rfind(':');
    if (colon != std::string::npos && s.find(']', colon) == std::string::npos) {
        port = std::atoi(s.c_str() + colon + 1);
        s.erase(colon);
    }
    if (s.empty() || port <= 0 || port > 65535) return std::nullopt;
    return CFStreamProxy{socks ? kCFProxyTypeSOCKS : kCFProxyTypeHTTP, NSString(s), port};
}

CFProxySettings CFNetworkCopySystemProxySettings()
{
    CFProxySettings settings;
    auto found = readProxyVariables();
    settings.http = CFProxyFromString(env(found, kHTTP));
    settings.https = CFProxyFromString(env(found, kHTTPS, kHTTPSUpper));
    settings.all = CFProxyFromString(env(found, kAll, kAllUpper));
    NSString no = env(found, kNo, kNoUpper);
    if (!no.isNil()) {
        std::stringstream in(no.str());
        std::string item;
        while (std::getline(in, item, ','))
            if (!trim(item).empty()) settings.exceptions.emplace_back(trim(item));
    }
    return settings;
}

std::vector<CFStreamProxy> CFNetworkCopyProxiesForURL(const std::shared_ptr<NSURL>& url)
{
    const CFStreamProxy direct{kCFProxyTypeNone, NSString(), 0};
    if (!url || url->host().isNil()) return {direct};
    auto settings = CFNetworkCopySystemProxySettings();
    if (excepted(settings, url->host())) return {direct};
    bool https = url->scheme().lowercaseString() == "https";
    auto proxy = https ? settings.https : settings.http;
    if (!proxy) proxy = settings.all;
    if (!proxy) return {direct};
    if (https && proxy->type == kCFProxyTypeHTTP) proxy->type = kCFProxyTypeHTTPS;
    return {*proxy};
}

NSString CFNetworkCopyAutoConfigurationScript(const std::shared_ptr<NSURL>& scriptURL)
{
    if (!scriptURL) return NSString();
    std::string text;
    CURL* easy = curl_easy_init();
    if (!easy) return NSString();
    curl_easy_setopt(easy, CURLOPT_URL, scriptURL->absoluteString().UTF8String());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "file,http,https");
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &text);
    CURLcode rc = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    if (rc != CURLE_OK) return NSString();
    NSString script = NSString::stringWithData(NSData(text.begin(), text.end()), NSUTF8StringEncoding);
    return script.isNil() ? NSString::stringWithData(NSData(text.begin(), text.end()), NSISOLatin1StringEncoding) : script;
}

std::optional<std::vector<CFStreamProxy>> CFNetworkCopyProxiesForAutoConfigurationScript(const NSString& script,
                                                                                        const std::shared_ptr<NSURL>& url,
                                                                                        std::shared_ptr<NSError>* error)
{
    auto fail = [&](const std::string& why) -> std::optional<std::vector<CFStreamProxy>> {
        if (error)
            *error = NSError::errorWithDomain(kCFErrorDomainCFNetwork, -1004 /* PAC evaluation */,
                                              {{NSLocalizedDescriptionKey, NSString(why)}});
        return std::nullopt;
    };
    if (script.isNil() || !url) return fail("No script or URL");
    PACOutcome outcome = evaluatePACBounded(script.str(), url->absoluteString().str(), url->host().isNil() ? "" : url->host().str());
    if (!outcome.answered) return fail(outcome.text);
    return parsePACAnswer(outcome.text, url->scheme().lowercaseString() == "https");
}
