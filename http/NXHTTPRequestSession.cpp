// Process-wide memory of the engine that outlives single requests: the
// session cookie list and the session credential stores; clearing the
// session also wipes the default cache's session store.

#include "http/NXDownloadCache.h"
#include "http/NXHTTPRequest.h"

namespace {

std::recursive_mutex gCookieStoreLock;
std::vector<std::shared_ptr<NSHTTPCookie>> gSessionCookies;

std::recursive_mutex gCredentialStoreLock;
std::vector<NXSessionCredentialsRef> gServerCredentials;
std::vector<NXSessionCredentialsRef> gProxyCredentials;

void removeFrom(std::vector<NXSessionCredentialsRef>& store, const CFHTTPCredentials& credentials)
{
    std::lock_guard guard(gCredentialStoreLock);
    auto it = std::find_if(store.begin(), store.end(), [&](const auto& e) { return e->credentials == credentials; });
    if (it != store.end()) store.erase(it);
}

void storeIn(std::vector<NXSessionCredentialsRef>& store, NXSessionCredentialsRef entry)
{
    if (!entry) return;
    std::lock_guard guard(gCredentialStoreLock);
    removeFrom(store, entry->credentials);
    store.push_back(std::move(entry));
}

bool samePort(const NSURL& a, const NSURL& b) { return a.port() == b.port(); }

}  // namespace

std::vector<std::shared_ptr<NSHTTPCookie>> NXHTTPRequest::sessionCookies()
{
    std::lock_guard guard(gCookieStoreLock);
    return gSessionCookies;
}

void NXHTTPRequest::setSessionCookies(std::vector<std::shared_ptr<NSHTTPCookie>> cookies)
{
    std::lock_guard guard(gCookieStoreLock);
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    for (const auto& c : gSessionCookies) storage->deleteCookie(c);
    gSessionCookies = std::move(cookies);
}

void NXHTTPRequest::addSessionCookie(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    std::lock_guard guard(gCookieStoreLock);
    auto same = std::find_if(gSessionCookies.begin(), gSessionCookies.end(), [&](const auto& c) {
        return c->domain() == cookie->domain() && c->path() == cookie->path() && c->name() == cookie->name();
    });
    if (same != gSessionCookies.end()) gSessionCookies.erase(same);
    gSessionCookies.push_back(cookie);
}

// Proxy credentials survive: the proxy belongs to the network, not to the session.
void NXHTTPRequest::clearSession()
{
    {
        std::lock_guard guard(gCredentialStoreLock);
        gServerCredentials.clear();
    }
    setSessionCookies({});
    if (auto cache = defaultCache()) cache->clearCachedResponsesForStoragePolicy(NXCacheStorageSession);
}

std::vector<NXSessionCredentialsRef> NXHTTPRequest::sessionCredentialsStore()
{
    std::lock_guard guard(gCredentialStoreLock);
    return gServerCredentials;
}

std::vector<NXSessionCredentialsRef> NXHTTPRequest::sessionProxyCredentialsStore()
{
    std::lock_guard guard(gCredentialStoreLock);
    return gProxyCredentials;
}

void NXHTTPRequest::storeAuthenticationCredentialsInSessionStore(NXSessionCredentialsRef entry)
{
    storeIn(gServerCredentials, std::move(entry));
}

void NXHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(NXSessionCredentialsRef entry)
{
    storeIn(gProxyCredentials, std::move(entry));
}

void NXHTTPRequest::removeAuthenticationCredentialsFromSessionStore(const CFHTTPCredentials& credentials)
{
    removeFrom(gServerCredentials, credentials);
}

void NXHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(const CFHTTPCredentials& credentials)
{
    removeFrom(gProxyCredentials, credentials);
}

// Before a response, the entry for the exact URL, else one for the same host,
// port and scheme; after a challenge the realm must agree as well when the
// entry knows one.
NXSessionCredentialsRef NXHTTPRequest::findSessionAuthenticationCredentials() const
{
    std::lock_guard guard(gCredentialStoreLock);
    if (!url_) return nullptr;
    auto realmAgrees = [&](const NXSessionCredentials& e) {
        return responseStatusCode_ == 0 || e.authenticationRealm.isNil() || e.authenticationRealm == serverAuth_.realm;
    };
    for (const auto& e : gServerCredentials)
        if (e->url && *e->url == *url_ && realmAgrees(*e)) return e;
    for (const auto& e : gServerCredentials)
        if (e->url && e->url->host() == url_->host() && samePort(*e->url, *url_) && e->url->scheme() == url_->scheme() &&
            realmAgrees(*e))
            return e;
    return nullptr;
}

NXSessionCredentialsRef NXHTTPRequest::findSessionProxyAuthenticationCredentials() const
{
    std::lock_guard guard(gCredentialStoreLock);
    for (const auto& e : gProxyCredentials)
        if (e->host == proxyHost_ && e->port == proxyPort_) return e;
    return nullptr;
}
