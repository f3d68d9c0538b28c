// The request's side of the download cache: the class-wide default cache,
// the conditional headers before sending and answering from a stored copy.

#include <mutex>

#include "http/NXDownloadCache.h"
#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSFileManager.h"

namespace {

std::mutex gDefaultCacheLock;
std::shared_ptr<NXCacheDelegate> gDefaultCache;

}  // namespace

std::shared_ptr<NXCacheDelegate> NXHTTPRequest::defaultCache()
{
    std::lock_guard l(gDefaultCacheLock);
    return gDefaultCache;
}

void NXHTTPRequest::setDefaultCache(std::shared_ptr<NXCacheDelegate> cache)
{
    std::lock_guard l(gDefaultCacheLock);
    gDefaultCache = std::move(cache);
}

std::shared_ptr<NXHTTPRequest> NXHTTPRequest::requestWithURL(std::shared_ptr<NSURL> url,
                                                             const std::shared_ptr<NXCacheDelegate>& cache, int cachePolicy)
{
    auto r = initWithURL(std::move(url));
    r->setDownloadCache(cache);
    r->setCachePolicy(cachePolicy);
    return r;
}

bool NXHTTPRequest::applyCachePolicyBeforeSending()
{
    didUseCachedResponse_ = false;
    auto cache = downloadCache();
    if (!cache) return false;
    if (cachePolicy_ == NXCachePolicyDefault) cachePolicy_ = cache->defaultCachePolicy();
    if (cachePolicy_ == NXCachePolicyCacheFirst) return useDataFromCache();
    if (cachePolicy_ == NXCachePolicyRevalidate) {
        if (auto stored = cache->cachedHeadersForRequest(*this)) {
            NSString etag = stored->objectForKey("Etag");
            NSString lastModified = stored->objectForKey("Last-Modified");
            if (!etag.isNil()) addRequestHeader("If-None-Match", etag);
            if (!lastModified.isNil()) addRequestHeader("If-Modified-Since", lastModified);
        }
    }
    return false;
}

bool NXHTTPRequest::useDataFromCache()
{
    std::lock_guard lock(cancelledLock_);
    auto cache = downloadCache();
    if (!cache || !cache->cachedHeadersForRequest(*this) || cache->pathToCachedResponseDataForRequest(*this).isNil())
        return false;
    // A 304 is the server saying the stored copy is still right, however old
    // it was: it is served, and its headers learn the new dates.
    bool notModified = responseHeaders_ && responseStatusCode_ == 304;
    if (notModified) {
        cache->updateCachedHeadersForNotModifiedRequest(*this);
    } else if (cachePolicy_ == NXCachePolicyRevalidate && !cache->isCachedDataCurrentForRequest(*this)) {
        cache->removeCachedDataForRequest(*this);
        return false;
    }
    auto headers = cache->cachedHeadersForRequest(*this);
    NSString dataPath = cache->pathToCachedResponseDataForRequest(*this);
    auto body = dataPath.isNil() ? std::nullopt : NSDataWithContentsOfFile(dataPath);
    if (!headers || !body) return false;
    auto main = mainRequest();
    NXHTTPRequest* target = main ? main.get() : this;
    std::lock_guard targetLock(target->cancelledLock_);
    // The caller's file gets a copy: the cached one stays the cache's.
    if (!target->downloadDestinationPath_.isNil() && !NSDataWriteToFile(*body, target->downloadDestinationPath_, true))
        return false;

    // Whatever the server is still sending is not wanted any more.
    if (readStream_) {
        connectionCanBeReused_ = false;
        releaseConnectionRecord(true);
        destroyReadStream();
    }
    responseStatusCode_ = 200;
    didUseCachedResponse_ = true;
    target->responseHeaders_ = *headers;
    if (target->downloadDestinationPath_.isNil()) target->rawResponseData_ = *body;
    // The length is that of the body as stored (decoded), not the one the
    // server once sent.
    target->contentLength_ = body->size();
    target->totalBytesRead_ = body->size();
    target->parseStringEncodingFromHeaders();
    target->responseCookies_ = NSHTTPCookie::cookiesWithResponseHeaderFields(*headers, target->url_);
    target->complete_ = true;
    target->downloadComplete_ = true;
    target->updateProgressIndicators();
    target->requestFinished();
    target->markAsFinished();
    if (main) markAsFinished();
    return true;
}
