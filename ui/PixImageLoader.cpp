#include "ui/PixImageLoader.h"

#include "http/NXDownloadCache.h"
#include "http/NXHTTPUtilities.h"
#include "platform/foundation/NSThread.h"
#include "ui/PixCache.h"

// ---- One download ------------------------------------------------------------

std::shared_ptr<PixImageLoadConnection> PixImageLoadConnection::initWithImageURL(
    std::shared_ptr<NSURL> url, const std::shared_ptr<PixImageLoadConnectionDelegate>& delegate)
{
    auto connection = std::make_shared<PixImageLoadConnection>();
    connection->imageURL_ = std::move(url);
    connection->delegate_ = delegate;
    return connection;
}

void PixImageLoadConnection::start()
{
    if (connection_ || !imageURL_) return;
    // Stored responses answer without asking the server again.
    connection_ = NXHTTPRequest::requestWithURL(imageURL_, NXDownloadCache::sharedCache(), NXCachePolicyCacheFirst);
    connection_->setAllowCompressedResponse(true);  // sends "Accept-Encoding: gzip"
    connection_->setTimeOutSeconds(timeoutInterval);
    connection_->setDelegate(shared_from_this());
    connection_->startAsynchronous();
}

void PixImageLoadConnection::cancel()
{
    if (!connection_) return;
    connection_->setDelegate(nullptr);
    connection_->cancel();
}

void PixImageLoadConnection::requestFinished(NXHTTPRequest* request)
{
    if (request != connection_.get()) return;
    auto keep = shared_from_this();
    responseStatusCode_ = request->responseStatusCode();
    responseData_ = request->responseData().value_or(NSData());
    if (auto d = delegate()) d->imageLoadConnectionDidFinishLoading(this);
}

void PixImageLoadConnection::requestFailed(NXHTTPRequest* request)
{
    if (request != connection_.get()) return;
    auto keep = shared_from_this();
    if (auto d = delegate()) d->imageLoadConnection_didFailWithError(this, request->error());
}

// ---- The loader ----------------------------------------------------------------

namespace {
const NSString kLoadedPrefix = "kPixImageLoaderNotificationLoaded-";
const NSString kLoadFailedPrefix = "kPixImageLoaderNotificationLoadFailed-";

SEL didLoadSelector()
{
    return SEL{"imageLoaderDidLoad:", [](NSObject* r, const id& n) {
                   if (auto* o = dynamic_cast<PixImageLoaderObserver*>(r)) o->imageLoaderDidLoad(n);
               }};
}

SEL didFailSelector()
{
    return SEL{"imageLoaderDidFailToLoad:", [](NSObject* r, const id& n) {
                   if (auto* o = dynamic_cast<PixImageLoaderObserver*>(r)) o->imageLoaderDidFailToLoad(n);
               }};
}
}  // namespace

std::shared_ptr<PixImageLoader> PixImageLoader::sharedImageLoader()
{
    static std::mutex classLock;
    static std::shared_ptr<PixImageLoader> shared;
    std::lock_guard lock(classLock);
    if (!shared) shared = std::make_shared<PixImageLoader>();
    return shared;
}

NSString PixImageLoader::keyForURL(const std::shared_ptr<NSURL>& url, const id& style)
{
    NSString key = NSString::stringWithFormat("PixImageLoader-%@", nxhttp::md5HexString(url->description()));
    if (style) key = NSString::stringWithFormat("%@-%@", key, nxhttp::md5HexString(style->description()));
    return key;
}

NSString PixImageLoader::loadedNotificationName(const std::shared_ptr<NSURL>& url)
{
    return kLoadedPrefix.stringByAppendingString(keyForURL(url));
}

NSString PixImageLoader::loadFailedNotificationName(const std::shared_ptr<NSURL>& url)
{
    return kLoadFailedPrefix.stringByAppendingString(keyForURL(url));
}

std::map<NSString, std::shared_ptr<PixImageLoadConnection>> PixImageLoader::currentConnections() const
{
    std::lock_guard lock(connectionsLock_);
    return connections_;
}

std::shared_ptr<PixImageLoadConnection> PixImageLoader::loadingConnectionForURL(const std::shared_ptr<NSURL>& url) const
{
    if (!url) return nullptr;
    std::lock_guard lock(connectionsLock_);
    auto it = connections_.find(url->absoluteString());
    return it == connections_.end() ? nullptr : it->second;
}

bool PixImageLoader::isLoadingImageURL(const std::shared_ptr<NSURL>& url) const { return loadingConnectionForURL(url) != nullptr; }

std::shared_ptr<PixImageLoadConnection> PixImageLoader::loadImageForURL(const std::shared_ptr<NSURL>& url)
{
    if (!url) return nullptr;
    std::shared_ptr<PixImageLoadConnection> connection;
    {
        std::lock_guard lock(connectionsLock_);
        auto& slot = connections_[url->absoluteString()];
        if (slot) return slot;
        slot = connection = PixImageLoadConnection::initWithImageURL(url, std::static_pointer_cast<PixImageLoader>(shared_from_this()));
    }
    connection->performSelector(NX_SEL0(PixImageLoadConnection, start), nullptr, 0.01);
    return connection;
}

void PixImageLoader::loadImageForURL(const std::shared_ptr<NSURL>& url, NSObject* observer)
{
    if (!url) return;
    if (observer && dynamic_cast<PixImageLoaderObserver*>(observer)) {
        auto center = NSNotificationCenter::defaultCenter();
        const id me = shared_from_this();
        removeObserver(observer, url);  // asking again does not register twice
        center->addObserver(observer, didLoadSelector(), loadedNotificationName(url), me);
        center->addObserver(observer, didFailSelector(), loadFailedNotificationName(url), me);
    }
    loadImageForURL(url);
}

std::shared_ptr<UIImage> PixImageLoader::imageForURL_shouldLoadWithObserver(const std::shared_ptr<NSURL>& url, NSObject* observer)
{
    if (!url) return nullptr;
    if (auto image = PixCache::currentCache()->imageForKey(keyForURL(url), kMaxImageSide)) return image;
    loadImageForURL(url, observer);
    return nullptr;
}

bool PixImageLoader::hasLoadedImageURL(const std::shared_ptr<NSURL>& url) const
{
    return url && PixCache::currentCache()->hasCacheForKey(keyForURL(url));
}

void PixImageLoader::cancelLoadForURL(const std::shared_ptr<NSURL>& url)
{
    auto connection = loadingConnectionForURL(url);
    if (!connection) return;
    NSObject::cancelPreviousPerformRequestsWithTarget(connection.get());
    connection->cancel();
    cleanUpConnection(connection.get());
}

void PixImageLoader::removeObserver(NSObject* observer)
{
    NSNotificationCenter::defaultCenter()->removeObserver(observer, NSString(), shared_from_this());
}

void PixImageLoader::removeObserver(NSObject* observer, const std::shared_ptr<NSURL>& url)
{
    if (!url) return;
    auto center = NSNotificationCenter::defaultCenter();
    const id me = shared_from_this();
    center->removeObserver(observer, loadedNotificationName(url), me);
    center->removeObserver(observer, loadFailedNotificationName(url), me);
}

void PixImageLoader::clearCacheForURL(const std::shared_ptr<NSURL>& url) { clearCacheForURL(url, nullptr); }

void PixImageLoader::clearCacheForURL(const std::shared_ptr<NSURL>& url, const id& style)
{
    if (!url) return;
    PixCache::currentCache()->removeCacheForKey(keyForURL(url, style));
    // The download cache's copy goes too: a cleared URL is downloaded afresh
    // rather than served from the response the server sent last time.
    NXDownloadCache::sharedCache()->removeCachedDataForRequest(*NXHTTPRequest::requestWithURL(url));
}

void PixImageLoader::imageLoadConnectionDidFinishLoading(PixImageLoadConnection* connection)
{
    auto keep = std::static_pointer_cast<PixImageLoadConnection>(connection->shared_from_this());
    const auto& url = connection->imageURL();
    removeConnection(connection);
    if (auto image = UIImage::imageWithData(connection->responseData(), kMaxImageSide)) {
        PixCache::currentCache()->setData(connection->responseData(), keyForURL(url), kCacheInterval);
        postOnMainThread(loadedNotificationName(url), {{"image", image}, {"imageURL", url}});
    } else {
        auto error = NSError::errorWithDomain(url->host().isNil() ? NSString("") : url->host(), 406);
        postOnMainThread(loadFailedNotificationName(url), {{"error", error}, {"imageURL", url}});
    }
    cleanUpConnection(connection);
}

void PixImageLoader::imageLoadConnection_didFailWithError(PixImageLoadConnection* connection, const std::shared_ptr<NSError>& error)
{
    auto keep = std::static_pointer_cast<PixImageLoadConnection>(connection->shared_from_this());
    const auto& url = connection->imageURL();
    removeConnection(connection);
    std::map<NSString, id> userInfo{{"imageURL", url}};
    if (error) userInfo["error"] = error;
    postOnMainThread(loadFailedNotificationName(url), std::move(userInfo));
    cleanUpConnection(connection);
}

void PixImageLoader::postOnMainThread(const NSString& name, std::map<NSString, id> userInfo)
{
    const id me = shared_from_this();
    NSThread::performBlockOnMainThread(
        [name, me, userInfo = std::move(userInfo)] { NSNotificationCenter::defaultCenter()->postNotificationName(name, me, userInfo); },
        true);
}

void PixImageLoader::removeConnection(PixImageLoadConnection* connection)
{
    std::lock_guard lock(connectionsLock_);
    // Only this connection's entry: a new download for the URL may have started.
    auto it = connections_.find(connection->imageURL()->absoluteString());
    if (it != connections_.end() && it->second.get() == connection) connections_.erase(it);
}

void PixImageLoader::cleanUpConnection(PixImageLoadConnection* connection)
{
    if (!connection->imageURL()) return;
    connection->setDelegate(nullptr);
    removeConnection(connection);
}
