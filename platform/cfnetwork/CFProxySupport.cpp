#include "platform/cfnetwork/CFProxySupport.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <duktape.h>
#include <netdb.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

NSString env(const char* lower, const char* upper)
{
    for (const char* name : {lower, upper}) {
        if (!name) continue;
        const char* v = std::getenv(name);
        if (v && *v) return NSString(v);
    }
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

// The PAC helpers that need the network are C; the rest is JavaScript.
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

// dnsResolve(host): the host's IPv4 address, or null.
duk_ret_t dnsResolve(duk_context* ctx)
{
    std::string ip = resolveIPv4(duk_require_string(ctx, 0));
    if (ip.empty()) duk_push_null(ctx);
    else duk_push_string(ctx, ip.c_str());
    return 1;
}

// myIpAddress(): the address of this machine's host name, else the loopback.
duk_ret_t myIpAddress(duk_context* ctx)
{
    char name[256] = {};
    std::string ip = gethostname(name, sizeof name - 1) == 0 ? resolveIPv4(name) : std::string();
    duk_push_string(ctx, ip.empty() ? "127.0.0.1" : ip.c_str());
    return 1;
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
    settings.http = CFProxyFromString(env("http_proxy", nullptr));
    settings.https = CFProxyFromString(env("https_proxy", "HTTPS_PROXY"));
    settings.all = CFProxyFromString(env("all_proxy", "ALL_PROXY"));
    NSString no = env("no_proxy", "NO_PROXY");
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
    std::unique_ptr<duk_context, void (*)(duk_context*)> heap(duk_create_heap_default(), duk_destroy_heap);
    duk_context* ctx = heap.get();
    if (!ctx) return fail("No JavaScript heap");
    duk_push_c_function(ctx, dnsResolve, 1);
    duk_put_global_string(ctx, "dnsResolve");
    duk_push_c_function(ctx, myIpAddress, 0);
    duk_put_global_string(ctx, "myIpAddress");
    auto run = [&](const std::string& source) {
        if (duk_peval_string(ctx, source.c_str()) != 0) return false;
        duk_pop(ctx);
        return true;
    };
    if (!run(kPACHelpers)) return fail("PAC helpers did not load");
    if (!run(script.str())) return fail(std::string("Script error: ") + duk_safe_to_string(ctx, -1));
    if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_function(ctx, -1)) return fail("No FindProxyForURL");
    duk_push_string(ctx, url->absoluteString().UTF8String());
    duk_push_string(ctx, url->host().isNil() ? "" : url->host().UTF8String());
    if (duk_pcall(ctx, 2) != DUK_EXEC_SUCCESS) return fail(std::string("Script error: ") + duk_safe_to_string(ctx, -1));
    if (!duk_is_string(ctx, -1)) return fail("FindProxyForURL gave no text");
    return parsePACAnswer(duk_get_string(ctx, -1), url->scheme().lowercaseString() == "https");
}
