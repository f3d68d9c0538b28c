#pragma once
// The download cache: HTTP responses kept on disk so that a request can be
// answered, or revalidated, from a stored copy. Requests talk to it through
// NXCacheDelegate; NXDownloadCache keeps each entry as two files named by the
// MD5 of the full request URL: KEY.cacheddata (the body, decoded) and
// KEY.cachedheaders (the response headers as a property list: a value that is
// not UTF-8 kept as data, so that any bytes read back), in
// "SessionStore" or "PermanentStore" below its storage path.
// A store returns once the entry is queued for the cache's writer; until it is
// on disk, looking the key up waits for it, and removing or clearing drops it.

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "http/NXDownloadCacheWriter.h"
#include "platform/cfnetwork/CFHTTPMessage.h"
#include "platform/foundation/NSDateFormatter.h"

class NXHTTPRequest;

enum NXCachePolicy : int {
    NXCachePolicyDefault = 0,     // the cache's defaultCachePolicy
    NXCachePolicyBypass = 1,      // neither answered from nor stored in the cache
    NXCachePolicyRevalidate = 2,  // conditional request; the copy is used while current
    NXCachePolicyCacheFirst = 3,  // a stored copy answers without asking the server
    NXCachePolicyFallback = 4,    // a stored copy answers when the load fails
};

enum NXCacheStoragePolicy : int {
    NXCacheStorageSession = 0,    // wiped with the session
    NXCacheStoragePermanent = 1,
};

// Header names the cache adds to what it stores.
extern const NSString NXCacheFetchDateHeader;  // "X-NXHTTPRequest-Fetch-date"

class NXCacheDelegate {
public:
    virtual ~NXCacheDelegate() = default;
    virtual int defaultCachePolicy() const = 0;
    virtual void removeCachedDataForRequest(const NXHTTPRequest& request) = 0;
    virtual bool isCachedDataCurrentForRequest(const NXHTTPRequest& request) = 0;
    virtual void storeResponseForRequest(const NXHTTPRequest& request, double maxAge) = 0;
    virtual std::optional<CFHTTPHeaderFields> cachedHeadersForRequest(const NXHTTPRequest& request) = 0;
    virtual std::optional<NSData> cachedResponseDataForRequest(const NXHTTPRequest& request) = 0;
    virtual NSString pathToCachedResponseDataForRequest(const NXHTTPRequest& request) = 0;
    virtual void clearCachedResponsesForStoragePolicy(int storagePolicy) = 0;
    // A 304 confirmed the stored copy: its headers take the response's
    // validators and freshness, and its fetch date becomes now.
    virtual void updateCachedHeadersForNotModifiedRequest(const NXHTTPRequest& request) = 0;
};

class NXDownloadCache : public NSObject, public NXCacheDelegate {
public:
    NXDownloadCache() = default;
    // Entries still queued are written before the cache goes.
    ~NXDownloadCache() override = default;
    static std::shared_ptr<NXDownloadCache> init() { return std::make_shared<NXDownloadCache>(); }
    // The process's cache, in this user's temporary folder + "NXHTTPRequestCache"
    // (made with mode 0700).
    static std::shared_ptr<NXDownloadCache> sharedCache();

    NSString storagePath() const;
    // Wipes the session store of the old path, prepares the new one (folders
    // made with mode 0700) and wipes its session store. Raises
    // "FileExistsAtCachePath" or "FailedToCreateCacheDirectory".
    void setStoragePath(const NSString& path);
    int defaultCachePolicy() const override;
    // 0 is taken as 2.
    void setDefaultCachePolicy(int policy);
    bool shouldRespectCacheControlHeaders() const { return shouldRespectCacheControlHeaders_; }
    void setShouldRespectCacheControlHeaders(bool v) { shouldRespectCacheControlHeaders_ = v; }

    void storeResponseForRequest(const NXHTTPRequest& request, double maxAge) override;
    std::optional<CFHTTPHeaderFields> cachedHeadersForRequest(const NXHTTPRequest& request) override;
    NSString pathToCachedResponseDataForRequest(const NXHTTPRequest& request) override;
    std::optional<NSData> cachedResponseDataForRequest(const NXHTTPRequest& request) override;
    void removeCachedDataForRequest(const NXHTTPRequest& request) override;
    bool isCachedDataCurrentForRequest(const NXHTTPRequest& request) override;
    // Raises "FailedToTraverseCacheDirectory" or "FailedToRemoveCacheFile".
    void clearCachedResponsesForStoragePolicy(int storagePolicy) override;
    void updateCachedHeadersForNotModifiedRequest(const NXHTTPRequest& request) override;

    static bool serverAllowsResponseCachingForRequest(const NXHTTPRequest& request);
    // MD5 of the request URL's absolute string, 32 upper-case hex digits.
    static NSString keyForRequest(const NXHTTPRequest& request);
    // "EEE, dd MMM yyyy HH:mm:ss 'GMT'" in GMT; one per thread.
    static NSDateFormatter& rfc1123DateFormatter();

private:
    // The entry's file with the extension, session store first; nil when none.
    NSString pathToFile(const NXHTTPRequest& request, const char* extension) const;
    // nil unless the file holds a dictionary.
    static std::optional<CFHTTPHeaderFields> readHeaders(const NSString& path);
    static NSData headersFileData(const CFHTTPHeaderFields& headers);

    mutable std::recursive_mutex accessLock_;
    NSString storagePath_;
    int defaultCachePolicy_ = NXCachePolicyRevalidate;
    std::atomic<bool> shouldRespectCacheControlHeaders_{true};
    // Never takes accessLock_, so a look-up holding it may wait for a write.
    mutable NXDownloadCacheWriter writer_;
};
