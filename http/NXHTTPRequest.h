#pragma once
// One HTTP request and everything learned while running it: URL and method,
// headers, body (in memory or in a file, optionally gzip-compressed), proxy,
// SSL, time-out and retry settings, the response and the callbacks that report
// progress. Requests run synchronously on the calling thread's run loop in the
// mode "NXHTTPRequestRunLoopMode", or as operations on the shared request
// thread; listeners are always called on the main thread.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "http/NXHTTPRequestAuthentication.h"
#include "http/NXHTTPUtilities.h"
#include "platform/cfnetwork/CFHTTPMessage.h"
#include "platform/cfnetwork/CFReadStream.h"
#include "platform/cfnetwork/NSHTTPCookie.h"
#include "platform/cfnetwork/NSURL.h"
#include "platform/cfnetwork/NSURLCredentialStorage.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSOperation.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"

class NXHTTPRequest;
class NXInputStream;
class NXCacheDelegate;

extern const NSString NXHTTPRequestErrorDomain;
extern const NSString NXHTTPRequestRunLoopMode;

enum NXNetworkErrorType : NSInteger {
    NXConnectionFailureErrorType = 1,
    NXRequestTimedOutErrorType = 2,
    NXAuthenticationErrorType = 3,
    NXRequestCancelledErrorType = 4,
    NXUnableToCreateRequestErrorType = 5,
    NXInternalErrorWhileBuildingRequestType = 6,
    NXInternalErrorWhileApplyingCredentialsType = 7,
    NXFileManagementError = 8,
    NXTooMuchRedirectionErrorType = 9,
    NXUnhandledExceptionError = 10,
    NXResponseTooLargeErrorType = 11,
};

// Lifecycle listener. Every method is optional; the default does nothing.
class NXHTTPRequestDelegate {
public:
    virtual ~NXHTTPRequestDelegate() = default;
    virtual void requestStarted(NXHTTPRequest* request) {}
    virtual void requestReceivedResponseHeaders(NXHTTPRequest* request) {}
    virtual void requestFinished(NXHTTPRequest* request) {}
    virtual void requestFailed(NXHTTPRequest* request) {}
};

// A delegate that takes the response body itself: bytes go to it instead of
// memory or a file.
class NXHTTPRequestDataDelegate {
public:
    virtual ~NXHTTPRequestDataDelegate() = default;
    virtual void request_didReceiveData(NXHTTPRequest* request, const NSData& data) = 0;
};

// Progress listener. Every method is optional.
class NXProgressDelegate {
public:
    virtual ~NXProgressDelegate() = default;
    virtual void setProgress(float fraction) {}
    virtual void request_didReceiveBytes(NXHTTPRequest* request, long long bytes) {}
    virtual void request_didSendBytes(NXHTTPRequest* request, long long bytes) {}
    virtual void request_incrementDownloadSizeBy(NXHTTPRequest* request, long long amount) {}
    virtual void request_incrementUploadSizeBy(NXHTTPRequest* request, long long amount) {}
};

// The selector sent with the received bytes; `imp` is empty when none is set.
struct NXDataSEL {
    std::string name;
    std::function<bool(NSObject* receiver)> respondsTo;
    std::function<void(NSObject* receiver, NXHTTPRequest* request, const NSData& data)> imp;
};

// A persistent connection as the engine keeps it: which server, which request
// holds it now (none when idle), the stream of its last request and, once idle,
// when it expires. Read and written under the class-wide connection pool lock.
struct NXConnectionRecord {
    long id = 0;
    NSString host;
    long port = 0;  // 0 when the URL names none
    NSString scheme;
    std::optional<unsigned long> request;
    CFReadStreamRef stream;
    std::optional<double> expires;  // on NSClock::monotonic()
};

class NXHTTPRequest : public NSOperation {
public:
    explicit NXHTTPRequest(std::shared_ptr<NSURL> url);
    ~NXHTTPRequest() override;

    static std::shared_ptr<NXHTTPRequest> initWithURL(std::shared_ptr<NSURL> url);
    static std::shared_ptr<NXHTTPRequest> requestWithURL(std::shared_ptr<NSURL> url) { return initWithURL(std::move(url)); }

    // ---- Class-wide settings and utilities ----------------------------------
    static double defaultTimeOutSeconds();
    static void setDefaultTimeOutSeconds(double seconds);
    static std::optional<NSData> uncompressZippedData(const NSData& d) { return nxhttp::uncompressZippedData(d); }
    static std::optional<NSData> compressData(const NSData& d) { return nxhttp::compressData(d); }
    static int uncompressZippedDataFromFile(const NSString& s, const NSString& d) { return nxhttp::uncompressZippedDataFromFile(s, d); }
    static int compressDataFromFile(const NSString& s, const NSString& d) { return nxhttp::compressDataFromFile(s, d); }
    static NSString base64forData(const NSData& d) { return nxhttp::base64forData(d); }
    static NSString mimeTypeForFileAtPath(const NSString& p) { return nxhttp::mimeTypeForFileAtPath(p); }
    static NSString defaultUserAgentString();
    static std::optional<NSDate> dateFromRFC1123String(const NSString& t) { return nxhttp::dateFromRFC1123String(t); }
    // ---- Bandwidth shared by all requests (NXHTTPRequestBandwidth.cpp) ----------
    static bool isBandwidthThrottled();
    // Bytes per second; 0 = no limit.
    static unsigned long maxBandwidthPerSecond();
    static void setMaxBandwidthPerSecond(unsigned long bytes);
    static void incrementBandwidthUsedInLastSecond(unsigned long bytes);
    static unsigned long averageBandwidthUsedPerSecond();
    // Closes an elapsed one-second period and works out when overdrawing
    // requests may go on.
    static void measureBandwidthUsage();
    // What one read of an upload may take now.
    static unsigned long maxUploadReadLength();
    // Throttling only while the internet is reached over the mobile network:
    // YES limits to 14800 bytes per second there, NO switches it off.
    static void setShouldThrottleBandwidthForWWAN(bool throttle);
    static void throttleBandwidthForWWANUsingLimit(unsigned long limit);
    static void registerForNetworkReachabilityNotifications();
    static void unsubscribeFromNetworkReachabilityNotifications();
    static bool isNetworkReachableViaWWAN();
    static void reachabilityChanged(const id& notification);
    // Until when throttled requests keep their streams off the run loop (on
    // NSClock::monotonic()); nullopt when never set.
    static std::optional<double> bandwidthWakeUpTime();

    // ---- Network activity -------------------------------------------------------
    // Whether any request has its stream scheduled.
    static bool isNetworkInUse();
    static void setShouldUpdateNetworkActivityIndicator(bool update);
    // The activity indicator the count drives (hidden half a second after the
    // last stream leaves the run loop, on the main run loop).
    static void showNetworkActivityIndicator();
    static void hideNetworkActivityIndicator();
    static bool isNetworkActivityIndicatorVisible();

    // ---- Asynchronous requests --------------------------------------------------
    // The queue of startAsynchronous (at most 4 at once).
    static std::shared_ptr<NSOperationQueue> sharedQueue();
    // The one thread asynchronous requests and cancels run on; made on first use.
    static std::shared_ptr<NSRunLoop> threadForRequest(const std::shared_ptr<NXHTTPRequest>& request);

    // ---- Authentication dialog --------------------------------------------------
    // Who shows the credentials form lies above this library and installs
    // itself here. canPresent tells whether anyone could answer a form now;
    // present shows the form for the request on the main thread.
    struct AuthenticationDialogPresenter {
        bool (*canPresent)() = nullptr;
        void (*present)(const std::shared_ptr<NXHTTPRequest>& request) = nullptr;
    };
    // Without one, a challenge left to the dialog fails at once.
    static void setAuthenticationDialogPresenter(AuthenticationDialogPresenter presenter);

    // ---- Download cache ---------------------------------------------------------
    // The cache new requests take (none until set); kept alive here.
    static std::shared_ptr<NXCacheDelegate> defaultCache();
    static void setDefaultCache(std::shared_ptr<NXCacheDelegate> cache);
    static std::shared_ptr<NXHTTPRequest> requestWithURL(std::shared_ptr<NSURL> url, const std::shared_ptr<NXCacheDelegate>& cache,
                                                         int cachePolicy = 0);

    // Cookies set by responses in this process, so that clearing the session
    // can withdraw them from the shared cookie storage.
    static std::vector<std::shared_ptr<NSHTTPCookie>> sessionCookies();
    // Replaces the list; the cookies of the old list leave the shared storage.
    static void setSessionCookies(std::vector<std::shared_ptr<NSHTTPCookie>> cookies);
    // Adds a cookie, replacing one with the same domain, path and name.
    static void addSessionCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
    // Forgets the session's cookies and server credentials.
    static void clearSession();

    // ---- Fields ---------------------------------------------------------------
    int callback() const { return callback_; }
    void setCallback(int v) { callback_ = v; }
    std::shared_ptr<NSURL> url() const;
    void setURL(std::shared_ptr<NSURL> url);
    std::shared_ptr<NSURL> originalURL() const;

    std::shared_ptr<NSObject> delegate() const;
    void setDelegate(const std::shared_ptr<NSObject>& delegate);
    std::shared_ptr<NSObject> queue() const;
    void setQueue(std::shared_ptr<NSObject> queue);
    std::shared_ptr<NSObject> uploadProgressDelegate() const;
    void setUploadProgressDelegate(const std::shared_ptr<NSObject>& d);
    std::shared_ptr<NSObject> downloadProgressDelegate() const;
    void setDownloadProgressDelegate(const std::shared_ptr<NSObject>& d);

    NSString requestMethod() const { return requestMethod_; }
    void setRequestMethod(NSString method) { requestMethod_ = std::move(method); }
    const std::optional<NSData>& postBody() const { return postBody_; }
    void setPostBody(std::optional<NSData> body) { postBody_ = std::move(body); }
    const std::optional<NSData>& compressedPostBody() const { return compressedPostBody_; }
    bool shouldStreamPostDataFromDisk() const { return shouldStreamPostDataFromDisk_; }
    void setShouldStreamPostDataFromDisk(bool v) { shouldStreamPostDataFromDisk_ = v; }
    NSString postBodyFilePath() const { return postBodyFilePath_; }
    void setPostBodyFilePath(NSString p) { postBodyFilePath_ = std::move(p); }
    NSString compressedPostBodyFilePath() const { return compressedPostBodyFilePath_; }
    bool didCreateTemporaryPostDataFile() const { return didCreateTemporaryPostDataFile_; }

    const CFHTTPHeaderFields& requestHeaders() const { return requestHeaders_; }
    void setRequestHeaders(CFHTTPHeaderFields h) { requestHeaders_ = std::move(h); }
    void addRequestHeader(const NSString& name, const NSString& value) { requestHeaders_.setValue(name, value); }
    const std::optional<CFHTTPHeaderFields>& responseHeaders() const { return responseHeaders_; }
    std::vector<std::shared_ptr<NSHTTPCookie>>& requestCookies() { return requestCookies_; }
    const std::vector<std::shared_ptr<NSHTTPCookie>>& responseCookies() const { return responseCookies_; }
    void setRequestCookies(std::vector<std::shared_ptr<NSHTTPCookie>> c) { requestCookies_ = std::move(c); }

    bool useCookiePersistence() const { return useCookiePersistence_; }
    void setUseCookiePersistence(bool v) { useCookiePersistence_ = v; }
    bool useKeychainPersistence() const { return useKeychainPersistence_; }
    void setUseKeychainPersistence(bool v) { useKeychainPersistence_ = v; }
    bool useSessionPersistence() const { return useSessionPersistence_; }
    void setUseSessionPersistence(bool v) { useSessionPersistence_ = v; }
    bool allowCompressedResponse() const { return allowCompressedResponse_; }
    void setAllowCompressedResponse(bool v) { allowCompressedResponse_ = v; }
    bool shouldCompressRequestBody() const { return shouldCompressRequestBody_; }
    void setShouldCompressRequestBody(bool v) { shouldCompressRequestBody_ = v; }
    NSString downloadDestinationPath() const { return downloadDestinationPath_; }
    void setDownloadDestinationPath(NSString p) { downloadDestinationPath_ = std::move(p); }
    NSString temporaryFileDownloadPath() const { return temporaryFileDownloadPath_; }
    void setTemporaryFileDownloadPath(NSString p) { temporaryFileDownloadPath_ = std::move(p); }

    bool complete() const { return complete_; }
    bool isFinished() const override { return finished_; }
    bool isExecuting() const override { return inProgress_; }
    bool inProgress() const { return inProgress_; }
    bool isConcurrent() const override { return true; }
    bool isCancelled() const override;
    std::shared_ptr<NSError> error() const;

    NSString username() const { return username_; }
    void setUsername(NSString v) { username_ = std::move(v); }
    NSString password() const { return password_; }
    void setPassword(NSString v) { password_ = std::move(v); }
    NSString domain() const { return domain_; }
    void setDomain(NSString v) { domain_ = std::move(v); }
    NSString proxyUsername() const { return proxyUsername_; }
    void setProxyUsername(NSString v) { proxyUsername_ = std::move(v); }
    NSString proxyPassword() const { return proxyPassword_; }
    void setProxyPassword(NSString v) { proxyPassword_ = std::move(v); }
    NSString proxyDomain() const { return proxyDomain_; }
    void setProxyDomain(NSString v) { proxyDomain_ = std::move(v); }

    const std::optional<NSData>& rawResponseData() const { return rawResponseData_; }
    int responseStatusCode() const { return responseStatusCode_; }
    NSString responseStatusMessage() const { return responseStatusMessage_; }
    unsigned long long contentLength() const { return contentLength_; }
    unsigned long long partialDownloadSize() const { return partialDownloadSize_; }
    unsigned long long postLength() const { return postLength_; }
    unsigned long long totalBytesRead() const { return totalBytesRead_; }
    unsigned long long totalBytesSent() const { return totalBytesSent_; }
    unsigned long long uploadBufferSize() const { return uploadBufferSize_; }

    SEL didStartSelector() const { return didStartSelector_; }
    void setDidStartSelector(SEL s) { didStartSelector_ = std::move(s); }
    SEL didReceiveResponseHeadersSelector() const { return didReceiveResponseHeadersSelector_; }
    void setDidReceiveResponseHeadersSelector(SEL s) { didReceiveResponseHeadersSelector_ = std::move(s); }
    SEL didFinishSelector() const { return didFinishSelector_; }
    void setDidFinishSelector(SEL s) { didFinishSelector_ = std::move(s); }
    SEL didFailSelector() const { return didFailSelector_; }
    void setDidFailSelector(SEL s) { didFailSelector_ = std::move(s); }
    const NXDataSEL& didReceiveDataSelector() const { return didReceiveDataSelector_; }
    void setDidReceiveDataSelector(NXDataSEL s) { didReceiveDataSelector_ = std::move(s); }

    // The most body bytes the request takes (0: no limit); past it the load
    // stops with NXResponseTooLargeErrorType.
    unsigned long long maxResponseSize() const { return maxResponseSize_; }
    void setMaxResponseSize(unsigned long long bytes) { maxResponseSize_ = bytes; }
    double timeOutSeconds() const { return timeOutSeconds_; }
    void setTimeOutSeconds(double v) { timeOutSeconds_ = v; }
    bool shouldResetUploadProgress() const { return shouldResetUploadProgress_; }
    void setShouldResetUploadProgress(bool v) { shouldResetUploadProgress_ = v; }
    bool shouldResetDownloadProgress() const { return shouldResetDownloadProgress_; }
    void setShouldResetDownloadProgress(bool v) { shouldResetDownloadProgress_ = v; }
    std::shared_ptr<NXHTTPRequest> mainRequest() const { return mainRequest_.lock(); }
    bool showAccurateProgress() const { return showAccurateProgress_; }
    void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
    NSStringEncoding defaultResponseEncoding() const { return defaultResponseEncoding_; }
    void setDefaultResponseEncoding(NSStringEncoding e) { defaultResponseEncoding_ = e; }
    NSStringEncoding responseEncoding() const { return responseEncoding_; }
    bool allowResumeForFileDownloads() const { return allowResumeForFileDownloads_; }
    void setAllowResumeForFileDownloads(bool v) { allowResumeForFileDownloads_ = v; }
    const std::map<NSString, NSString>& userInfo() const { return userInfo_; }
    void setUserInfo(std::map<NSString, NSString> v) { userInfo_ = std::move(v); }
    bool useHTTPVersionOne() const { return useHTTPVersionOne_; }
    void setUseHTTPVersionOne(bool v) { useHTTPVersionOne_ = v; }
    bool shouldRedirect() const { return shouldRedirect_; }
    void setShouldRedirect(bool v) { shouldRedirect_ = v; }
    int redirectCount() const { return redirectCount_; }
    bool validatesSecureCertificate() const { return validatesSecureCertificate_; }
    void setValidatesSecureCertificate(bool v) { validatesSecureCertificate_ = v; }
    NSString proxyHost() const { return proxyHost_; }
    void setProxyHost(NSString v) { proxyHost_ = std::move(v); }
    int proxyPort() const { return proxyPort_; }
    void setProxyPort(int v) { proxyPort_ = v; }
    NSString proxyType() const { return proxyType_; }
    void setProxyType(NSString v) { proxyType_ = std::move(v); }
    // Whether a challenge nothing else answers opens the authentication
    // dialog (see setAuthenticationDialogPresenter): off for servers, on for
    // proxies. It is only shown while its presenter can show one.
    bool shouldPresentAuthenticationDialog() const { return shouldPresentAuthenticationDialog_; }
    void setShouldPresentAuthenticationDialog(bool v) { shouldPresentAuthenticationDialog_ = v; }
    bool shouldPresentProxyAuthenticationDialog() const { return shouldPresentProxyAuthenticationDialog_; }
    void setShouldPresentProxyAuthenticationDialog(bool v) { shouldPresentProxyAuthenticationDialog_ = v; }
    bool shouldPresentCredentialsBeforeChallenge() const { return shouldPresentCredentialsBeforeChallenge_; }
    void setShouldPresentCredentialsBeforeChallenge(bool v) { shouldPresentCredentialsBeforeChallenge_ = v; }
    int numberOfTimesToRetryOnTimeout() const { return numberOfTimesToRetryOnTimeout_; }
    void setNumberOfTimesToRetryOnTimeout(int v) { numberOfTimesToRetryOnTimeout_ = v; }
    int retryCount() const { return retryCount_; }
    bool shouldAttemptPersistentConnection() const { return shouldAttemptPersistentConnection_; }
    void setShouldAttemptPersistentConnection(bool v) { shouldAttemptPersistentConnection_ = v; }
    double persistentConnectionTimeoutSeconds() const { return persistentConnectionTimeoutSeconds_; }
    void setPersistentConnectionTimeoutSeconds(double v) { persistentConnectionTimeoutSeconds_ = v; }
    bool connectionCanBeReused() const { return connectionCanBeReused_; }
    // The record of the connection in use (nil when none) and its "id" (0 when none).
    std::shared_ptr<NXConnectionRecord> connectionInfo() const;
    long connectionID() const;
    // Given at the first start that attempts a persistent connection; 0 before.
    unsigned long requestID() const { return requestID_; }
    // Drops idle records whose time is up, closing their connections.
    static void expirePersistentConnections();
    // Copies of the records in the pool, in creation order.
    static std::vector<NXConnectionRecord> connectionPool();
    bool shouldUseRFC2616RedirectBehaviour() const { return shouldUseRFC2616RedirectBehaviour_; }
    void setShouldUseRFC2616RedirectBehaviour(bool v) { shouldUseRFC2616RedirectBehaviour_ = v; }
    NSString runLoopMode() const { return runLoopMode_; }
    void setRunLoopMode(NSString m) { runLoopMode_ = std::move(m); }
    bool readStreamIsScheduled() const { return readStreamIsScheduled_; }

    // Download cache (not retained) and how this request uses it.
    std::shared_ptr<NXCacheDelegate> downloadCache() const { return downloadCache_.lock(); }
    void setDownloadCache(const std::shared_ptr<NXCacheDelegate>& cache) { downloadCache_ = cache; }
    int cachePolicy() const { return cachePolicy_; }
    void setCachePolicy(int policy) { cachePolicy_ = policy; }
    int cacheStoragePolicy() const { return cacheStoragePolicy_; }
    void setCacheStoragePolicy(int policy) { cacheStoragePolicy_ = policy; }
    bool didUseCachedResponse() const { return didUseCachedResponse_; }
    double secondsToCache() const { return secondsToCache_; }
    void setSecondsToCache(double seconds) { secondsToCache_ = seconds; }

    // ---- Building ---------------------------------------------------------------
    void setupPostBody();
    void appendPostData(const NSData& data);
    void appendPostDataFromFile(const NSString& path);
    virtual void buildPostBody();
    bool haveBuiltPostBody() const { return haveBuiltPostBody_; }
    void buildRequestHeaders();
    void applyCookieHeader();
    void applyAuthorizationHeader();
    void addBasicAuthenticationHeaderWithUsername(const NSString& username, const NSString& password);

    // ---- Response ---------------------------------------------------------------
    std::optional<NSData> responseData() const;
    bool isResponseCompressed() const;
    NSString responseString() const;

    // ---- Copies -----------------------------------------------------------------
    std::shared_ptr<NXHTTPRequest> copy() const;
    std::shared_ptr<NXHTTPRequest> HEADRequest();

    // ---- Running ----------------------------------------------------------------
    void startSynchronous();
    // Runs main() on the request thread without waiting.
    void start() override;
    // Adds the request to the shared queue.
    void startAsynchronous();
    void cancel() override;
    void main() override;
    // Puts the read stream to sleep while bandwidth is overdrawn, or wakes it.
    void performThrottling();
    // Sets the fraction progress / total (1 when total is 0) on a progress
    // delegate, on the main thread.
    static void updateProgressIndicator(const std::shared_ptr<NSObject>& indicator, unsigned long long progress,
                                        unsigned long long total);

    // Ends the request with an error (the first error is kept).
    void failWithError(const std::shared_ptr<NSError>& theError);
    // The error every request of the engine makes: its domain, code and text.
    static std::shared_ptr<NSError> errorWithCode(NXNetworkErrorType code, const NSString& description,
                                                  std::shared_ptr<NSError> underlying = nullptr);

    // Parses a Content-Length value: a plain unsigned decimal number, else nothing.
    static std::optional<unsigned long long> parseContentLength(const NSString& text);
    // The charset named by a Content-Type value, mapped to an encoding.
    static std::optional<NSStringEncoding> encodingFromContentType(const NSString& contentType);

    // ---- Authentication and proxies (NXHTTPRequestAuthentication.cpp) ---------
    // 0 none, 1 the server asked for credentials (401), 2 the proxy did (407).
    int authenticationNeeded() const { return authenticationNeeded_; }
    NSString authenticationScheme() const { return serverAuth_.scheme; }
    NSString authenticationRealm() const { return serverAuth_.realm; }
    int authenticationRetryCount() const { return serverAuth_.retryCount; }
    CFHTTPCredentials requestCredentials() const { return serverAuth_.credentials; }
    NSString proxyAuthenticationScheme() const { return proxyAuth_.scheme; }
    NSString proxyAuthenticationRealm() const { return proxyAuth_.realm; }
    int proxyAuthenticationRetryCount() const { return proxyAuth_.retryCount; }
    CFHTTPCredentials proxyCredentials() const { return proxyAuth_.credentials; }
    std::shared_ptr<NSURL> PACurl() const { return PACurl_; }
    void setPACurl(std::shared_ptr<NSURL> url) { PACurl_ = std::move(url); }

    // Called by whoever supplied credentials after a challenge, on any thread:
    // the request continues on its own thread.
    void retryUsingSuppliedCredentials();
    void cancelAuthentication();

    // The platform credential store, by protection space.
    static void saveCredentials(const std::shared_ptr<NSURLCredential>& credential, const NSString& host, int port,
                                const NSString& protocol, const NSString& realm);
    static void saveCredentialsForProxy(const std::shared_ptr<NSURLCredential>& credential, const NSString& host, int port,
                                        const NSString& realm);
    static std::shared_ptr<NSURLCredential> savedCredentialsForHost(const NSString& host, int port, const NSString& protocol,
                                                                    const NSString& realm);
    static std::shared_ptr<NSURLCredential> savedCredentialsForProxy(const NSString& host, int port, const NSString& realm);
    static void removeCredentialsForHost(const NSString& host, int port, const NSString& protocol, const NSString& realm);
    static void removeCredentialsForProxy(const NSString& host, int port, const NSString& realm);

    // Session credential stores (NXHTTPRequestSession.cpp): credentials that
    // worked once, reused by later requests to the same place.
    static std::vector<NXSessionCredentialsRef> sessionCredentialsStore();
    static std::vector<NXSessionCredentialsRef> sessionProxyCredentialsStore();
    // Replaces an entry holding the same credentials object, else appends.
    static void storeAuthenticationCredentialsInSessionStore(NXSessionCredentialsRef entry);
    static void storeProxyAuthenticationCredentialsInSessionStore(NXSessionCredentialsRef entry);
    // Removes the first entry holding this very credentials object.
    static void removeAuthenticationCredentialsFromSessionStore(const CFHTTPCredentials& credentials);
    static void removeProxyAuthenticationCredentialsFromSessionStore(const CFHTTPCredentials& credentials);
    NXSessionCredentialsRef findSessionAuthenticationCredentials() const;
    NXSessionCredentialsRef findSessionProxyAuthenticationCredentials() const;

    // The proxies a PAC script gives for a URL: empty when the script cannot be
    // loaded, nothing when it fails to run.
    static std::optional<std::vector<CFStreamProxy>> proxiesForURL(const std::shared_ptr<NSURL>& url,
                                                                   const std::shared_ptr<NSURL>& pacURL);

protected:
    // What a copy carries over; subclasses add their own fields.
    void copySettingsTo(NXHTTPRequest& copy) const;

private:
    friend class NXInputStream;
    void copyConnectionSettingsTo(NXHTTPRequest& copy) const;
    std::shared_ptr<NXHTTPRequest> self() { return std::static_pointer_cast<NXHTTPRequest>(shared_from_this()); }

    void startRequest();
    void checkRequestStatus();
    bool shouldTimeOut() const;
    void cancelOnRequestThread();
    void cancelLoad();
    void markAsFinished();
    void scheduleReadStream();
    void unscheduleReadStream();
    void destroyReadStream();
    void removeTemporaryDownloadFile();
    void removePostDataFile();
    void updatePartialDownloadSize();
    void handleNetworkEvent(CFStreamEventType type);
    void readResponseHeaders();
    void parseStringEncodingFromHeaders();
    void handleBytesAvailable();
    void handleStreamComplete();
    void handleStreamError();
    bool retryUsingNewConnection();
    // Connection records: taking one when a stream starts, and letting it go.
    CFReadStreamRef takeConnectionRecord();
    void releaseConnectionRecord(bool dropFromPool);
    void learnKeepAlive(const CFHTTPMessageRef& response);
    void performRedirect();
    void rebuildOriginHeaders(const std::shared_ptr<NSURL>& from);
    // Completes the request from its download cache; NO when the cache has no usable copy.
    bool useDataFromCache();
    // The cache work of main() before the request is sent; YES when the cache answered.
    bool applyCachePolicyBeforeSending();
    // Read length of a download read while throttling is on.
    static size_t throttledReadLength(size_t length);
    // The class-wide count of scheduled streams.
    static void streamScheduled();
    static void streamUnscheduled();
    // Authentication (NXHTTPRequestAuthentication.cpp).
    struct AuthenticationState {
        CFHTTPAuthenticationRef authentication;
        CFHTTPCredentials credentials;
        int retryCount = 0;
        NSString scheme, realm;
    };
    void noteChallenge();
    void attemptToApplyCredentialsAndResume();
    void answerChallenge(bool proxy);
    CFHTTPCredentials findCredentials(bool proxy) const;
    bool applyCredentials(bool proxy, const CFHTTPCredentials& credentials);
    bool askDelegateForCredentials(bool proxy);
    bool showAuthenticationDialog(bool proxy);
    void waitForCredentials();
    void failAuthentication();
    void saveCredentialsToKeychain(bool proxy, const CFHTTPCredentials& credentials) const;
    void recordAcceptedCredentials();
    void continueOnRequestThread(std::function<void(NXHTTPRequest&)> step);
    void endCredentialsWait();
    // Whether the request still waits for credentials; a request that failed
    // (cancelled) meanwhile stops waiting.
    bool stillAwaitingCredentials();

    // Callbacks (carried to the main thread).
    void requestStarted();
    void requestReceivedResponseHeaders();
    void requestFinished();
    void reportFailure();
    void callSelectorOnMainThread(SEL NXHTTPRequest::*selector, std::shared_ptr<NSObject> listener);
    // The fixed selector a queue gets for a lifecycle selector field.
    static const SEL& lifecycleSelector(SEL NXHTTPRequest::*field);
    void updateProgressIndicators();
    void updateUploadProgress();
    void updateDownloadProgress();
    void incrementUploadSizeBy(long long amount);
    void incrementDownloadSizeBy(long long amount);
    void removeUploadProgressSoFar();
    void reportBytes(bool upload, long long amount);
    void updateProgressIndicator(bool upload, unsigned long long progress, unsigned long long total);

    mutable std::recursive_mutex cancelledLock_;

    int callback_ = 0;
    std::shared_ptr<NSURL> url_;
    std::shared_ptr<NSURL> originalURL_;
    std::weak_ptr<NSObject> delegate_;
    std::shared_ptr<NSObject> queue_;
    NSString requestMethod_ = "GET";
    std::optional<NSData> postBody_;
    std::optional<NSData> compressedPostBody_;
    bool shouldStreamPostDataFromDisk_ = false;
    NSString postBodyFilePath_;
    NSString compressedPostBodyFilePath_;
    bool didCreateTemporaryPostDataFile_ = false;
    std::unique_ptr<FILE, int (*)(FILE*)> postBodyWriteStream_{nullptr, fclose};
    std::shared_ptr<NXInputStream> postBodyReadStream_;
    CFHTTPHeaderFields requestHeaders_;
    bool haveBuiltRequestHeaders_ = false;
    std::optional<CFHTTPHeaderFields> responseHeaders_;
    std::vector<std::shared_ptr<NSHTTPCookie>> requestCookies_;
    std::vector<std::shared_ptr<NSHTTPCookie>> responseCookies_;
    bool useCookiePersistence_ = true;
    bool useKeychainPersistence_ = false;
    bool useSessionPersistence_ = true;
    bool allowCompressedResponse_ = true;
    bool shouldCompressRequestBody_ = false;
    NSString downloadDestinationPath_;
    NSString temporaryFileDownloadPath_;
    std::unique_ptr<FILE, int (*)(FILE*)> fileDownloadOutputStream_{nullptr, fclose};
    std::atomic<bool> complete_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelled_{false};
    std::shared_ptr<NSError> error_;
    NSString username_, password_, domain_;
    NSString proxyUsername_, proxyPassword_, proxyDomain_;
    std::weak_ptr<NSObject> uploadProgressDelegate_, downloadProgressDelegate_;
    std::optional<NSData> rawResponseData_;
    CFHTTPMessageRef request_;
    CFReadStreamRef readStream_;
    int authenticationNeeded_ = 0;
    std::atomic<int> responseStatusCode_{0};
    NSString responseStatusMessage_;
    unsigned long long contentLength_ = 0;
    unsigned long long partialDownloadSize_ = 0;
    unsigned long long postLength_ = 0;
    unsigned long long totalBytesRead_ = 0;
    unsigned long long maxResponseSize_ = 0;
    unsigned long long totalBytesSent_ = 0;
    unsigned long long lastBytesRead_ = 0;
    unsigned long long lastBytesSent_ = 0;
    SEL didStartSelector_, didReceiveResponseHeadersSelector_, didFinishSelector_, didFailSelector_;
    NXDataSEL didReceiveDataSelector_;
    double lastActivityTime_ = 0;  // seconds on the clock; 0 = unset
    double timeOutSeconds_;
    bool shouldResetUploadProgress_ = true;
    bool shouldResetDownloadProgress_ = true;
    std::weak_ptr<NXHTTPRequest> mainRequest_;
    bool showAccurateProgress_ = true;
    bool updatedProgress_ = false;
    bool haveBuiltPostBody_ = false;
    unsigned long long uploadBufferSize_ = 0;
    NSStringEncoding defaultResponseEncoding_ = NSISOLatin1StringEncoding;
    NSStringEncoding responseEncoding_ = NSStringEncoding(0);
    bool allowResumeForFileDownloads_ = false;
    std::map<NSString, NSString> userInfo_;
    bool useHTTPVersionOne_ = false;
    bool shouldRedirect_ = true;
    bool needsRedirect_ = false;
    int redirectCount_ = 0;
    bool validatesSecureCertificate_ = true;
    NSString proxyHost_;
    int proxyPort_ = 0;
    NSString proxyType_;
    bool shouldPresentCredentialsBeforeChallenge_ = true;
    std::atomic<bool> shouldPresentAuthenticationDialog_{false};
    std::atomic<bool> shouldPresentProxyAuthenticationDialog_{true};
    std::atomic<bool> inProgress_{false};
    bool readStreamIsScheduled_ = false;
    int numberOfTimesToRetryOnTimeout_ = 0;
    int retryCount_ = 0;
    bool shouldAttemptPersistentConnection_ = true;
    double persistentConnectionTimeoutSeconds_ = 60.0;
    bool connectionCanBeReused_ = false;
    std::shared_ptr<NXConnectionRecord> connectionInfo_;
    unsigned long requestID_ = 0;
    bool shouldUseRFC2616RedirectBehaviour_ = false;
    bool downloadComplete_ = false;
    NSString runLoopMode_;
    std::shared_ptr<NSTimer> statusTimer_;
    // Run loop of the thread running the request; cancel is carried there.
    std::shared_ptr<NSRunLoop> requestRunLoop_;
    std::weak_ptr<NXCacheDelegate> downloadCache_;
    std::atomic<int> cachePolicy_{0};
    std::atomic<int> cacheStoragePolicy_{0};
    std::atomic<bool> didUseCachedResponse_{false};
    std::atomic<double> secondsToCache_{0};
    // Authentication: each side's challenge state, the response that carried
    // the latest challenge, and the wait for someone to supply credentials.
    AuthenticationState serverAuth_, proxyAuth_;
    CFHTTPMessageRef challenge_;
    std::atomic<bool> awaitingCredentials_{false};
    std::shared_ptr<NSRunLoopSource> credentialsWait_;
    std::shared_ptr<NSURL> PACurl_;
};
