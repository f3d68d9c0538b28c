#pragma once
// A batch of requests with one delegate and one combined progress. The queue
// starts suspended (go() starts it), runs at most four requests at once,
// forwards each request's lifecycle to its delegate through selectors of the
// caller's choice, tells it when the last request has ended, and by default
// cancels the rest when one fails. With accurate progress, GET requests added
// before go() are preceded by HEAD requests so the total size is known first.
// Every call to the delegate is made on the main thread.

#include <atomic>
#include <map>
#include <memory>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSOperation.h"

class NXNetworkQueue : public NSOperationQueue,
                       public NXHTTPRequestDelegate,
                       public NXProgressDelegate,
                       public NXHTTPRequestAuthenticationDelegate,
                       public NXHTTPRequestProxyAuthenticationDelegate {
public:
    NXNetworkQueue();
    ~NXNetworkQueue() override;
    static std::shared_ptr<NXNetworkQueue> queue();

    // Starts the queue: nothing runs before.
    void go();
    // Cancels everything and returns to the suspended, unconfigured state.
    void reset();
    // Zeroes the byte counters, then cancels every request.
    void cancelAllOperations() override;
    // Only NXHTTPRequests: anything else raises "AttemptToAddInvalidRequest".
    void addOperation(const std::shared_ptr<NSOperation>& operation) override;
    // A HEAD request working for another request: runs first, counts for nothing.
    void addHEADOperation(const std::shared_ptr<NSOperation>& operation);
    // A copy with the same delegate, selectors (but the response-headers one),
    // progress delegates and settings, and no requests.
    std::shared_ptr<NXNetworkQueue> copy() const;

    std::shared_ptr<NSObject> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<NSObject>& d) { delegate_ = d; }
    SEL requestDidStartSelector() const { return requestDidStartSelector_; }
    void setRequestDidStartSelector(SEL s) { requestDidStartSelector_ = std::move(s); }
    SEL requestDidReceiveResponseHeadersSelector() const { return requestDidReceiveResponseHeadersSelector_; }
    void setRequestDidReceiveResponseHeadersSelector(SEL s) { requestDidReceiveResponseHeadersSelector_ = std::move(s); }
    SEL requestDidFinishSelector() const { return requestDidFinishSelector_; }
    void setRequestDidFinishSelector(SEL s) { requestDidFinishSelector_ = std::move(s); }
    SEL requestDidFailSelector() const { return requestDidFailSelector_; }
    void setRequestDidFailSelector(SEL s) { requestDidFailSelector_ = std::move(s); }
    SEL queueDidFinishSelector() const { return queueDidFinishSelector_; }
    void setQueueDidFinishSelector(SEL s) { queueDidFinishSelector_ = std::move(s); }

    std::shared_ptr<NSObject> uploadProgressDelegate() const { return uploadProgressDelegate_.lock(); }
    // Keeps the delegate (not retained) and sets its progress to 0.
    void setUploadProgressDelegate(const std::shared_ptr<NSObject>& d);
    std::shared_ptr<NSObject> downloadProgressDelegate() const { return downloadProgressDelegate_.lock(); }
    void setDownloadProgressDelegate(const std::shared_ptr<NSObject>& d);
    static void resetProgressDelegate(const std::shared_ptr<NSObject>& progressDelegate);

    unsigned long long bytesUploadedSoFar() const { return bytesUploadedSoFar_; }
    unsigned long long totalBytesToUpload() const { return totalBytesToUpload_; }
    unsigned long long bytesDownloadedSoFar() const { return bytesDownloadedSoFar_; }
    unsigned long long totalBytesToDownload() const { return totalBytesToDownload_; }
    bool shouldCancelAllRequestsOnFailure() const { return shouldCancelAllRequestsOnFailure_; }
    void setShouldCancelAllRequestsOnFailure(bool v) { shouldCancelAllRequestsOnFailure_ = v; }
    int requestsCount() const { return requestsCount_; }
    bool showAccurateProgress() const { return showAccurateProgress_; }
    void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
    const std::map<NSString, NSString>& userInfo() const { return userInfo_; }
    void setUserInfo(std::map<NSString, NSString> v) { userInfo_ = std::move(v); }

    // What the requests report (on the main thread).
    void requestStarted(NXHTTPRequest* request) override;
    void requestReceivedResponseHeaders(NXHTTPRequest* request) override;
    void requestFinished(NXHTTPRequest* request) override;
    void requestFailed(NXHTTPRequest* request) override;
    void request_didReceiveBytes(NXHTTPRequest* request, long long bytes) override;
    void request_didSendBytes(NXHTTPRequest* request, long long bytes) override;
    void request_incrementDownloadSizeBy(NXHTTPRequest* request, long long amount) override;
    void request_incrementUploadSizeBy(NXHTTPRequest* request, long long amount) override;
    // A request that has no delegate of its own asks the queue for
    // credentials; the queue asks its delegate, and answers only when that can.
    void authenticationNeededForRequest(NXHTTPRequest* request) override;
    void proxyAuthenticationNeededForRequest(NXHTTPRequest* request) override;
    bool answersAuthenticationNeeded() const override;
    bool answersProxyAuthenticationNeeded() const override;

private:
    std::shared_ptr<NXNetworkQueue> self() { return std::static_pointer_cast<NXNetworkQueue>(shared_from_this()); }
    // Sends the selector to the delegate with the request, when both are set.
    void tellDelegate(const SEL& selector, NXHTTPRequest* request);
    void requestEnded(NXHTTPRequest* request, const SEL& selector);

    std::weak_ptr<NSObject> delegate_;
    SEL requestDidStartSelector_, requestDidReceiveResponseHeadersSelector_, requestDidFinishSelector_,
        requestDidFailSelector_, queueDidFinishSelector_;
    std::weak_ptr<NSObject> uploadProgressDelegate_, downloadProgressDelegate_;
    std::atomic<unsigned long long> bytesUploadedSoFar_{0}, totalBytesToUpload_{0};
    std::atomic<unsigned long long> bytesDownloadedSoFar_{0}, totalBytesToDownload_{0};
    std::atomic<bool> shouldCancelAllRequestsOnFailure_{true};
    std::atomic<int> requestsCount_{0};
    std::atomic<bool> showAccurateProgress_{false};
    std::map<NSString, NSString> userInfo_;
};
