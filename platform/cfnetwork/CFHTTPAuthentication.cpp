#include "platform/cfnetwork/CFHTTPAuthentication.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/provider.h>
#include <openssl/rand.h>
#include <strings.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSClock.h"

const NSString kCFHTTPAuthenticationUsername = "kCFHTTPAuthenticationUsername";
const NSString kCFHTTPAuthenticationPassword = "kCFHTTPAuthenticationPassword";
const NSString kCFHTTPAuthenticationAccountDomain = "kCFHTTPAuthenticationAccountDomain";
const NSString kCFHTTPAuthenticationSchemeBasic = "Basic";
const NSString kCFHTTPAuthenticationSchemeDigest = "Digest";
const NSString kCFHTTPAuthenticationSchemeNTLM = "NTLM";
const NSString kCFStreamErrorDomainHTTP = "kCFStreamErrorDomainHTTP";

namespace {

using Bytes = std::vector<uint8_t>;

// ---- Challenges ------------------------------------------------------------------

struct Challenge {
    std::string scheme;
    std::string token68;                        // NTLM's base64 message
    std::map<std::string, std::string> params;  // names lowercased
};

bool isTokenChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("!#$%&'*+-.^_`|~", c);
}

bool isToken68Char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-._~+/", c); }

// Reads every challenge of one header value (RFC 7235: a scheme followed by a
// token68 or by comma-separated parameters; challenges are comma-separated too).
void parseChallenges(const std::string& s, std::vector<Challenge>& out)
{
    size_t i = 0, n = s.size();
    auto skipSpace = [&] {
        while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    auto token = [&] {
        size_t b = i;
        while (i < n && isTokenChar(s[i])) ++i;
        return s.substr(b, i - b);
    };
    while (i < n) {
        while (i < n && (s[i] == ' ' || s[i] == '\t' || s[i] == ',')) ++i;
        Challenge c;
        c.scheme = token();
        if (c.scheme.empty()) return;
        skipSpace();
        size_t b = i, j = i;
        while (j < n && isToken68Char(s[j])) ++j;
        while (j < n && s[j] == '=') ++j;
        size_t k = j;
        while (k < n && (s[k] == ' ' || s[k] == '\t')) ++k;
        // A token68 runs up to a comma with "=" only as padding at its end;
        // "name=value" is a parameter instead.
        size_t eq = s.find('=', b);
        bool padOnly = eq >= j || s.find_first_not_of('=', eq) >= j;
        if (j > b && (k == n || s[k] == ',') && padOnly) {
            c.token68 = s.substr(b, j - b);
            i = k;
            out.push_back(std::move(c));
            continue;
        }
        for (;;) {
            skipSpace();
            size_t start = i;
            std::string name = token();
            skipSpace();
            if (name.empty() || i >= n || s[i] != '=') {
                i = start;  // the next challenge's scheme
                break;
            }
            ++i;
            skipSpace();
            std::string value;
            if (i < n && s[i] == '"') {
                for (++i; i < n && s[i] != '"'; ++i) {
                    if (s[i] == '\\' && i + 1 < n) ++i;
                    value += s[i];
                }
                if (i < n) ++i;
            } else {
                value = token();
            }
            for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            c.params[name] = value;
            skipSpace();
            if (i < n && s[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        out.push_back(std::move(c));
    }
}

std::vector<Challenge> challengesOf(const CFHTTPMessageRef& response)
{
    std::vector<Challenge> all;
    if (!response) return all;
    const char* field = response->statusCode == 407 ? "Proxy-Authenticate" : "WWW-Authenticate";
    for (const auto& v : response->headers.valuesForKey(field)) parseChallenges(v.str(), all);
    return all;
}

const Challenge* find(const std::vector<Challenge>& all, const NSString& scheme)
{
    for (const auto& c : all)
        if (strcasecmp(c.scheme.c_str(), scheme.str().c_str()) == 0) return &c;
    return nullptr;
}

// ---- Digests -----------------------------------------------------------------------

std::string hex(const uint8_t* p, size_t n)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

Bytes digest(const EVP_MD* md, const void* data, size_t len)
{
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned n = 0;
    if (!md || !EVP_Digest(data, len, out.data(), &n, md, nullptr)) return {};
    out.resize(n);
    return out;
}

Bytes hmacMD5(const Bytes& key, const Bytes& data)
{
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned n = 0;
    if (!HMAC(EVP_md5(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), out.data(), &n)) return {};
    out.resize(n);
    return out;
}

// MD4 lives in OpenSSL 3's legacy provider: it is loaded into a library
// context of its own so the rest of the process keeps the default providers.
Bytes md4(const Bytes& data)
{
    static OSSL_LIB_CTX* ctx = [] {
        OSSL_LIB_CTX* c = OSSL_LIB_CTX_new();
        if (c && (!OSSL_PROVIDER_load(c, "legacy") || !OSSL_PROVIDER_load(c, "default"))) {
            OSSL_LIB_CTX_free(c);
            c = nullptr;
        }
        return c;
    }();
    if (!ctx) return {};
    EVP_MD* md = EVP_MD_fetch(ctx, "MD4", nullptr);
    Bytes out = digest(md, data.data(), data.size());
    EVP_MD_free(md);
    return out;
}

std::string randomHex(size_t bytes)
{
    Bytes b(bytes);
    RAND_bytes(b.data(), static_cast<int>(b.size()));
    return hex(b.data(), b.size());
}

// ---- Base64 ------------------------------------------------------------------------

std::string base64(const Bytes& b)
{
    std::string out(4 * ((b.size() + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), b.data(), static_cast<int>(b.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

std::optional<Bytes> unbase64(const std::string& s)
{
    if (s.empty() || s.size() % 4 != 0) return std::nullopt;
    Bytes out(s.size() / 4 * 3);
    int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(s.data()), static_cast<int>(s.size()));
    if (n < 0) return std::nullopt;
    // Base64 pads with at most two '='; more (or nothing but '=') is no encoding.
    size_t pad = s.size() - (s.find_last_not_of('=') + 1);
    if (pad > 2) return std::nullopt;
    out.resize(static_cast<size_t>(n) - pad);
    return out;
}

// ---- NTLM --------------------------------------------------------------------------

constexpr uint32_t kNegotiateUnicode = 0x00000001;
constexpr uint32_t kRequestTarget = 0x00000004;
constexpr uint32_t kNegotiateNTLM = 0x00000200;
constexpr uint32_t kAlwaysSign = 0x00008000;
constexpr uint32_t kExtendedSessionSecurity = 0x00080000;
constexpr uint32_t kNegotiateFlags = kNegotiateUnicode | kRequestTarget | kNegotiateNTLM | kAlwaysSign | kExtendedSessionSecurity;
const uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};

void put16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get32(const Bytes& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t get16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

Bytes utf16le(const NSString& s)
{
    Bytes out;
    for (char16_t u : s.utf16()) {
        out.push_back(static_cast<uint8_t>(u));
        out.push_back(static_cast<uint8_t>(u >> 8));
    }
    return out;
}

Bytes ntlmNegotiate()
{
    Bytes m(32, 0);
    std::memcpy(m.data(), kSignature, 8);
    put32(m, 8, 1);
    put32(m, 12, kNegotiateFlags);
    return m;
}

struct NTLMChallenge {
    Bytes serverChallenge;
    Bytes targetInfo;
    uint32_t flags = 0;
};

std::optional<NTLMChallenge> parseNTLMChallenge(const Bytes& m)
{
    if (m.size() < 32 || std::memcmp(m.data(), kSignature, 8) != 0 || get32(m, 8) != 2) return std::nullopt;
    NTLMChallenge c;
    c.flags = get32(m, 20);
    c.serverChallenge.assign(m.begin() + 24, m.begin() + 32);
    if (m.size() >= 48) {
        size_t len = get16(m, 40), off = get32(m, 44);
        if (off > m.size() || len > m.size() - off) return std::nullopt;
        c.targetInfo.assign(m.begin() + static_cast<long>(off), m.begin() + static_cast<long>(off + len));
    }
    return c;
}

// The NTLMv2 response: the client's blob after an HMAC-MD5 proof keyed by the
// NT hash of the password, the user name in capitals and the domain.
Bytes ntlmAuthenticate(const NTLMChallenge& ch, const NSString& user, const NSString& password, const NSString& domain)
{
    Bytes ntHash = md4(utf16le(password));
    if (ntHash.empty()) return {};
    Bytes identity = utf16le(user.uppercaseString());
    Bytes dom = utf16le(domain);
    identity.insert(identity.end(), dom.begin(), dom.end());
    Bytes key = hmacMD5(ntHash, identity);

    Bytes clientChallenge(8);
    RAND_bytes(clientChallenge.data(), 8);
    uint64_t filetime = static_cast<uint64_t>((NSClock::timeIntervalSince1970() + 11644473600.0) * 1e7);
    Bytes blob = {1, 1, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) blob.push_back(static_cast<uint8_t>(filetime >> (8 * i)));
    blob.insert(blob.end(), clientChallenge.begin(), clientChallenge.end());
    blob.insert(blob.end(), 4, 0);
    blob.insert(blob.end(), ch.targetInfo.begin(), ch.targetInfo.end());
    blob.insert(blob.end(), 4, 0);

    Bytes proofInput = ch.serverChallenge;
    proofInput.insert(proofInput.end(), blob.begin(), blob.end());
    Bytes nt = hmacMD5(key, proofInput);
    nt.insert(nt.end(), blob.begin(), blob.end());
    Bytes lmInput = ch.serverChallenge;
    lmInput.insert(lmInput.end(), clientChallenge.begin(), clientChallenge.end());
    Bytes lm = hmacMD5(key, lmInput);
    lm.insert(lm.end(), clientChallenge.begin(), clientChallenge.end());

    Bytes userBytes = utf16le(user);
    Bytes workstation;
    const Bytes* fields[] = {&lm, &nt, &dom, &userBytes, &workstation};
    Bytes m(64, 0);
    std::memcpy(m.data(), kSignature, 8);
    put32(m, 8, 3);
    size_t at = 12;
    for (const Bytes* f : fields) {
        put16(m, at, static_cast<uint16_t>(f->size()));
        put16(m, at + 2, static_cast<uint16_t>(f->size()));
        put32(m, at + 4, static_cast<uint32_t>(m.size()));
        m.insert(m.end(), f->begin(), f->end());
        at += 8;
    }
    put32(m, 52, 0);
    put32(m, 56, static_cast<uint32_t>(m.size()));  // no session key
    put32(m, 60, kNegotiateFlags & (ch.flags | kNegotiateNTLM));
    return m;
}

}  // namespace

// Requests on several threads may share one object through the session
// store: every use holds its lock.
class CFHTTPAuthentication {
public:
    std::mutex lock;
    bool proxy = false;
    NSString scheme;
    NSString realm;
    std::map<std::string, std::string> params;  // Digest's challenge
    std::optional<NTLMChallenge> ntlmChallenge;
    enum class NTLMStage { none, negotiated, authenticated } ntlmStage = NTLMStage::none;
    bool applied = false;
    bool valid = true;
    long invalidReason = 0;
    unsigned nonceCount = 0;

    void take(const Challenge& c)
    {
        params = c.params;
        auto r = c.params.find("realm");
        realm = r == c.params.end() ? NSString() : NSString(r->second);
    }

    void invalidate(long reason)
    {
        valid = false;
        invalidReason = reason;
    }

    void update(const CFHTTPMessageRef& response)
    {
        auto all = challengesOf(response);
        const Challenge* c = find(all, scheme);
        if (!c) return invalidate(kCFStreamErrorHTTPAuthenticationTypeUnsupported);
        if (scheme == kCFHTTPAuthenticationSchemeNTLM) {
            auto bytes = c->token68.empty() ? std::nullopt : unbase64(c->token68);
            auto parsed = bytes ? parseNTLMChallenge(*bytes) : std::nullopt;
            if (parsed && ntlmStage == NTLMStage::negotiated) {
                ntlmChallenge = parsed;
                return;
            }
            if (ntlmStage == NTLMStage::authenticated) return invalidate(kCFStreamErrorHTTPAuthenticationBadPassword);
            if (ntlmStage == NTLMStage::negotiated) return invalidate(kCFStreamErrorHTTPAuthenticationTypeUnsupported);
            return;
        }
        bool stale = scheme == kCFHTTPAuthenticationSchemeDigest && c->params.count("stale") &&
                     strcasecmp(c->params.at("stale").c_str(), "true") == 0;
        if (applied && !stale) return invalidate(kCFStreamErrorHTTPAuthenticationBadPassword);
        take(*c);
        applied = false;
        nonceCount = 0;
    }

    std::optional<std::string> authorization(const CFHTTPMessageRef& request, const NSString& user, const NSString& password,
                                             const NSString& domain)
    {
        if (scheme == kCFHTTPAuthenticationSchemeBasic) {
            std::string pair = user.str() + ":" + password.str();
            return "Basic " + base64(Bytes(pair.begin(), pair.end()));
        }
        if (scheme == kCFHTTPAuthenticationSchemeDigest) return digestAuthorization(request, user, password);
        if (ntlmStage == NTLMStage::negotiated && ntlmChallenge) {
            Bytes m = ntlmAuthenticate(*ntlmChallenge, user, password, domain.isNil() ? NSString("") : domain);
            if (m.empty()) return std::nullopt;
            ntlmChallenge.reset();
            ntlmStage = NTLMStage::authenticated;
            return "NTLM " + base64(m);
        }
        ntlmStage = NTLMStage::negotiated;
        return "NTLM " + base64(ntlmNegotiate());
    }

    std::optional<std::string> digestAuthorization(const CFHTTPMessageRef& request, const NSString& user, const NSString& password)
    {
        std::string algorithm = params.count("algorithm") ? params["algorithm"] : "MD5";
        std::string base = algorithm;
        bool sess = base.size() > 5 && strcasecmp(base.c_str() + base.size() - 5, "-sess") == 0;
        if (sess) base.resize(base.size() - 5);
        const EVP_MD* md = strcasecmp(base.c_str(), "MD5") == 0       ? EVP_md5()
                           : strcasecmp(base.c_str(), "SHA-256") == 0 ? EVP_sha256()
                                                                      : nullptr;
        if (!md) return std::nullopt;
        auto H = [md](const std::string& s) {
            Bytes d = digest(md, s.data(), s.size());
            return hex(d.data(), d.size());
        };
        const std::string nonce = params["nonce"];
        std::string uri = request->url->path().isNil() || request->url->path().str().empty() ? "/" : request->url->path().str();
        if (!request->url->query().isNil()) uri += "?" + request->url->query().str();
        std::string cnonce = randomHex(8);
        std::string ha1 = H(user.str() + ":" + realm.str() + ":" + password.str());
        if (sess) ha1 = H(ha1 + ":" + nonce + ":" + cnonce);
        std::string ha2 = H(request->method.str() + ":" + uri);
        bool qopAuth = false;
        if (params.count("qop")) {
            std::string q = params["qop"];
            for (size_t p = 0; p != std::string::npos;) {
                size_t e = q.find(',', p);
                std::string opt = q.substr(p, e == std::string::npos ? e : e - p);
                opt.erase(0, opt.find_first_not_of(' '));
                opt.erase(opt.find_last_not_of(' ') + 1);
                if (opt == "auth") qopAuth = true;
                p = e == std::string::npos ? e : e + 1;
            }
            if (!qopAuth) return std::nullopt;  // only auth-int offered
        }
        char nc[9];
        std::snprintf(nc, sizeof nc, "%08x", ++nonceCount);
        std::string response = qopAuth ? H(ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":auth:" + ha2) : H(ha1 + ":" + nonce + ":" + ha2);
        auto quoted = [](const std::string& v) {
            std::string q = "\"";
            for (char ch : v) {
                if (ch == '"' || ch == '\\') q += '\\';
                q += ch;
            }
            return q + "\"";
        };
        std::string h = "Digest username=" + quoted(user.str()) + ", realm=" + quoted(realm.str()) + ", nonce=" + quoted(nonce) +
                        ", uri=" + quoted(uri) + ", algorithm=" + algorithm + ", response=" + quoted(response);
        if (params.count("opaque")) h += ", opaque=" + quoted(params["opaque"]);
        if (qopAuth) h += ", qop=auth, nc=" + std::string(nc) + ", cnonce=" + quoted(cnonce);
        return h;
    }
};

CFHTTPAuthenticationRef CFHTTPAuthenticationCreateFromResponse(const CFHTTPMessageRef& response)
{
    auto all = challengesOf(response);
    for (const NSString& scheme : {kCFHTTPAuthenticationSchemeNTLM, kCFHTTPAuthenticationSchemeDigest, kCFHTTPAuthenticationSchemeBasic}) {
        const Challenge* c = find(all, scheme);
        if (!c) continue;
        if (scheme == kCFHTTPAuthenticationSchemeDigest && !c->params.count("nonce")) continue;
        auto auth = std::make_shared<CFHTTPAuthentication>();
        auth->proxy = response->statusCode == 407;
        auth->scheme = scheme;
        if (scheme != kCFHTTPAuthenticationSchemeNTLM) auth->take(*c);
        return auth;
    }
    return nullptr;
}

void CFHTTPAuthenticationUpdateFromResponse(const CFHTTPAuthenticationRef& auth, const CFHTTPMessageRef& response)
{
    if (!auth) return;
    std::lock_guard guard(auth->lock);
    if (auth->valid) auth->update(response);
}

NSString CFHTTPAuthenticationCopyMethod(const CFHTTPAuthenticationRef& auth) { return auth ? auth->scheme : NSString(); }

NSString CFHTTPAuthenticationCopyRealm(const CFHTTPAuthenticationRef& auth)
{
    if (!auth) return NSString();
    std::lock_guard guard(auth->lock);
    return auth->realm;
}

bool CFHTTPAuthenticationRequiresAccountDomain(const CFHTTPAuthenticationRef& auth)
{
    return auth && auth->scheme == kCFHTTPAuthenticationSchemeNTLM;
}

bool CFHTTPAuthenticationRequiresUserNameAndPassword(const CFHTTPAuthenticationRef& auth) { return auth != nullptr; }

bool CFHTTPAuthenticationIsValid(const CFHTTPAuthenticationRef& auth, CFStreamError* error)
{
    std::unique_lock<std::mutex> guard;
    if (auth) guard = std::unique_lock(auth->lock);
    if (auth && auth->valid) return true;
    if (error) *error = CFStreamError{kCFStreamErrorDomainHTTP, auth ? auth->invalidReason : kCFStreamErrorHTTPAuthenticationTypeUnsupported};
    return false;
}

bool CFHTTPMessageApplyCredentialDictionary(const CFHTTPMessageRef& request, const CFHTTPAuthenticationRef& auth,
                                            const CFHTTPCredentials& credentials, CFStreamError* error)
{
    if (!request || !request->url || !auth || !credentials || !CFHTTPAuthenticationIsValid(auth, error)) return false;
    std::lock_guard guard(auth->lock);
    auto get = [&](const NSString& key) {
        auto it = credentials->find(key);
        return it == credentials->end() ? NSString() : it->second;
    };
    NSString user = get(kCFHTTPAuthenticationUsername), password = get(kCFHTTPAuthenticationPassword);
    if (user.isNil() || password.isNil()) {
        if (error) *error = CFStreamError{kCFStreamErrorDomainHTTP, kCFStreamErrorHTTPAuthenticationBadUserName};
        return false;
    }
    auto value = auth->authorization(request, user, password, get(kCFHTTPAuthenticationAccountDomain));
    if (!value) {
        if (error) *error = CFStreamError{kCFStreamErrorDomainHTTP, kCFStreamErrorHTTPAuthenticationTypeUnsupported};
        return false;
    }
    auth->applied = true;
    CFHTTPMessageSetHeaderFieldValue(request, auth->proxy ? "Proxy-Authorization" : "Authorization", NSString(*value));
    return true;
}

CFHTTPCredentials CFHTTPCredentialsCreate(const NSString& username, const NSString& password, const NSString& domain)
{
    auto d = std::make_shared<std::map<NSString, NSString>>();
    (*d)[kCFHTTPAuthenticationUsername] = username;
    (*d)[kCFHTTPAuthenticationPassword] = password;
    if (!domain.isNil()) (*d)[kCFHTTPAuthenticationAccountDomain] = domain;
    return d;
}
