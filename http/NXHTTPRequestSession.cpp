// Process-wide memory of the engine that outlives single requests: the
// session cookie list; clearing the session also wipes the default cache's
// session store.

#include "http/NXDownloadCache.h"
#include "http/NXHTTPRequest.h"

namespace {

std::recursive_mutex gCookieStoreLock;
std::vector<std::shared_ptr<NSHTTPCookie>> gSessionCookies;

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

void NXHTTPRequest::clearSession()
{
    setSessionCookies({});
    if (auto cache = defaultCache()) cache->clearCachedResponsesForStoragePolicy(NXCacheStorageSession);
}
