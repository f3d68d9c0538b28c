#pragma once
// Remote images by URL: one shared loader, at most one download per URL
// however many observers ask, finished pictures kept a week in the disk cache,
// and results announced on the main thread as notifications named after the
// URL's key, to the observers that asked for that URL.
//
// The cache key of a URL is "PixImageLoader-" + the MD5 of the URL's text, so
// two URLs never share a cached picture. Pictures larger than 4096 pixels a
// side are refused (failure, code 406) before their pixels are decoded.

#include <map>
#include <memory>
#include <mutex>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIImage.h"

class PixImageLoadConnection;

class PixImageLoadConnectionDelegate {
public:
    virtual ~PixImageLoadConnectionDelegate() = default;
    virtual void imageLoadConnectionDidFinishLoading(PixImageLoadConnection* connection) {}
    virtual void imageLoadConnection_didFailWithError(PixImageLoadConnection* connection, const std::shared_ptr<NSError>& error) {}
};

// One download: an asynchronous request (gzip accepted, the time-out of the
// connection) whose end goes to the delegate on the main thread.
class PixImageLoadConnection : public NSObject, public NXHTTPRequestDelegate {
public:
    static std::shared_ptr<PixImageLoadConnection> initWithImageURL(std::shared_ptr<NSURL> url,
                                                                    const std::shared_ptr<PixImageLoadConnectionDelegate>& delegate);
    const std::shared_ptr<NSURL>& imageURL() const { return imageURL_; }
    // The status of the reply (0 before one came).
    int responseStatusCode() const { return responseStatusCode_; }
    const NSData& responseData() const { return responseData_; }
    NSTimeInterval timeoutInterval = 30;
    std::shared_ptr<PixImageLoadConnectionDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<PixImageLoadConnectionDelegate>& d) { delegate_ = d; }

    void start();
    void cancel();

    void requestFinished(NXHTTPRequest* request) override;
    void requestFailed(NXHTTPRequest* request) override;

private:
    std::shared_ptr<NSURL> imageURL_;
    int responseStatusCode_ = 0;
    NSData responseData_;
    std::shared_ptr<NXHTTPRequest> connection_;
    std::weak_ptr<PixImageLoadConnectionDelegate> delegate_;
};

// What views that show remote images implement; both are called with the
// loader's notification (userInfo "image"/"error" and "imageURL").
class PixImageLoaderObserver {
public:
    virtual ~PixImageLoaderObserver() = default;
    virtual void imageLoaderDidLoad(const id& notification) {}
    virtual void imageLoaderDidFailToLoad(const id& notification) {}
};

class PixImageLoader : public NSObject, public PixImageLoadConnectionDelegate {
public:
    static std::shared_ptr<PixImageLoader> sharedImageLoader();

    // The download of the URL, started 0.01 s later on the current run loop
    // unless one is already running.
    std::shared_ptr<PixImageLoadConnection> loadImageForURL(const std::shared_ptr<NSURL>& url);
    // The observer (an NSObject adopting PixImageLoaderObserver) hears of the
    // URL's outcome; asking twice registers once.
    void loadImageForURL(const std::shared_ptr<NSURL>& url, NSObject* observer);
    // The cached picture, or nil after starting the download for the observer.
    std::shared_ptr<UIImage> imageForURL_shouldLoadWithObserver(const std::shared_ptr<NSURL>& url, NSObject* observer);
    bool isLoadingImageURL(const std::shared_ptr<NSURL>& url) const;
    bool hasLoadedImageURL(const std::shared_ptr<NSURL>& url) const;
    // Stops the URL's download without telling anybody.
    void cancelLoadForURL(const std::shared_ptr<NSURL>& url);
    void removeObserver(NSObject* observer);
    void removeObserver(NSObject* observer, const std::shared_ptr<NSURL>& url);
    void clearCacheForURL(const std::shared_ptr<NSURL>& url);
    void clearCacheForURL(const std::shared_ptr<NSURL>& url, const id& style);

    // The connections running now, by URL text.
    std::map<NSString, std::shared_ptr<PixImageLoadConnection>> currentConnections() const;

    // Key and notification names of a URL.
    static NSString keyForURL(const std::shared_ptr<NSURL>& url, const id& style = nullptr);
    static NSString loadedNotificationName(const std::shared_ptr<NSURL>& url);
    static NSString loadFailedNotificationName(const std::shared_ptr<NSURL>& url);
    static constexpr unsigned kMaxImageSide = 4096;
    static constexpr NSTimeInterval kCacheInterval = 604800;  // a week

    void imageLoadConnectionDidFinishLoading(PixImageLoadConnection* connection) override;
    void imageLoadConnection_didFailWithError(PixImageLoadConnection* connection, const std::shared_ptr<NSError>& error) override;

private:
    using Connections = std::map<NSString, std::shared_ptr<PixImageLoadConnection>>;
    std::shared_ptr<PixImageLoadConnection> loadingConnectionForURL(const std::shared_ptr<NSURL>& url) const;
    void removeConnection(PixImageLoadConnection* connection);
    void cleanUpConnection(PixImageLoadConnection* connection);
    void postOnMainThread(const NSString& name, std::map<NSString, id> userInfo);

    // Every read and change of the table takes the lock; readers get copies.
    mutable std::mutex connectionsLock_;
    Connections connections_;
};
