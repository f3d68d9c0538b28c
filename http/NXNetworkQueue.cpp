#include "http/NXNetworkQueue.h"

#include "platform/foundation/NSThread.h"

namespace {

constexpr long kQueueWidth = 4;
constexpr long kHEADPriority = 10;

}  // namespace

NXNetworkQueue::NXNetworkQueue()
{
    setMaxConcurrentOperationCount(kQueueWidth);
    setSuspended(true);
}

NXNetworkQueue::~NXNetworkQueue()
{
    // No request may report to a queue that is gone.
    for (const auto& op : operations())
        if (auto request = std::dynamic_pointer_cast<NXHTTPRequest>(op)) request->setQueue(nullptr);
}

std::shared_ptr<NXNetworkQueue> NXNetworkQueue::queue() { return std::make_shared<NXNetworkQueue>(); }

void NXNetworkQueue::go() { setSuspended(false); }

void NXNetworkQueue::reset()
{
    cancelAllOperations();
    setDelegate(nullptr);
    uploadProgressDelegate_.reset();
    downloadProgressDelegate_.reset();
    requestDidStartSelector_ = requestDidReceiveResponseHeadersSelector_ = requestDidFinishSelector_ =
        requestDidFailSelector_ = queueDidFinishSelector_ = SEL{};
    setSuspended(true);
}

void NXNetworkQueue::cancelAllOperations()
{
    bytesUploadedSoFar_ = totalBytesToUpload_ = bytesDownloadedSoFar_ = totalBytesToDownload_ = 0;
    NSOperationQueue::cancelAllOperations();
}

void NXNetworkQueue::setUploadProgressDelegate(const std::shared_ptr<NSObject>& d)
{
    uploadProgressDelegate_ = d;
    resetProgressDelegate(d);
}

void NXNetworkQueue::setDownloadProgressDelegate(const std::shared_ptr<NSObject>& d)
{
    downloadProgressDelegate_ = d;
    resetProgressDelegate(d);
}

void NXNetworkQueue::resetProgressDelegate(const std::shared_ptr<NSObject>& progressDelegate)
{
    if (progressDelegate) NXHTTPRequest::updateProgressIndicator(progressDelegate, 0, 1);
}

void NXNetworkQueue::addHEADOperation(const std::shared_ptr<NSOperation>& operation)
{
    auto request = std::dynamic_pointer_cast<NXHTTPRequest>(operation);
    if (!request) return;
    request->setRequestMethod("HEAD");
    request->setQueuePriority(kHEADPriority);
    request->setShowAccurateProgress(true);
    request->setQueue(self());
    NSOperationQueue::addOperation(request);
}

void NXNetworkQueue::addOperation(const std::shared_ptr<NSOperation>& operation)
{
    auto request = std::dynamic_pointer_cast<NXHTTPRequest>(operation);
    if (!request)
        throw NSException("AttemptToAddInvalidRequest",
                          "Attempted to add an object that was not an NXHTTPRequest to an NXNetworkQueue");
    ++requestsCount_;
    if (showAccurateProgress_) {
        request->buildPostBody();  // may turn the request into a POST
        if (request->requestMethod() == "GET" && isSuspended()) {
            auto head = request->HEADRequest();
            addHEADOperation(head);
            request->addDependency(head);
            if (request->shouldResetDownloadProgress()) {
                resetProgressDelegate(downloadProgressDelegate());
                request->setShouldResetDownloadProgress(false);
            }
        }
        totalBytesToUpload_ += request->postLength();
    } else {
        ++totalBytesToDownload_;
        ++totalBytesToUpload_;
    }
    if (request->shouldResetUploadProgress()) {
        resetProgressDelegate(uploadProgressDelegate());
        request->setShouldResetUploadProgress(false);
    }
    request->setShowAccurateProgress(showAccurateProgress_);
    request->setQueue(self());
    NSOperationQueue::addOperation(request);
}

std::shared_ptr<NXNetworkQueue> NXNetworkQueue::copy() const
{
    auto q = queue();
    q->setDelegate(delegate());
    q->requestDidStartSelector_ = requestDidStartSelector_;
    q->requestDidFinishSelector_ = requestDidFinishSelector_;
    q->requestDidFailSelector_ = requestDidFailSelector_;
    q->queueDidFinishSelector_ = queueDidFinishSelector_;
    q->setUploadProgressDelegate(uploadProgressDelegate());
    q->setDownloadProgressDelegate(downloadProgressDelegate());
    q->shouldCancelAllRequestsOnFailure_ = shouldCancelAllRequestsOnFailure_.load();
    q->showAccurateProgress_ = showAccurateProgress_.load();
    q->userInfo_ = userInfo_;
    return q;
}

// ---- What the requests report ---------------------------------------------------------

void NXNetworkQueue::tellDelegate(const SEL& selector, NXHTTPRequest* request)
{
    if (auto d = delegate(); d && selector) selector.perform(d.get(), request ? request->shared_from_this() : nullptr);
}

void NXNetworkQueue::requestStarted(NXHTTPRequest* request) { tellDelegate(requestDidStartSelector_, request); }

void NXNetworkQueue::requestReceivedResponseHeaders(NXHTTPRequest* request)
{
    tellDelegate(requestDidReceiveResponseHeadersSelector_, request);
}

void NXNetworkQueue::requestEnded(NXHTTPRequest* request, const SEL& selector)
{
    auto keep = self();
    --requestsCount_;
    tellDelegate(selector, request);
    if (requestsCount_ == 0)
        if (auto d = delegate(); d && queueDidFinishSelector_) queueDidFinishSelector_.perform(d.get(), keep);
}

void NXNetworkQueue::requestFinished(NXHTTPRequest* request) { requestEnded(request, requestDidFinishSelector_); }

void NXNetworkQueue::requestFailed(NXHTTPRequest* request)
{
    requestEnded(request, requestDidFailSelector_);
    if (shouldCancelAllRequestsOnFailure_ && requestsCount_ > 0) cancelAllOperations();
}

void NXNetworkQueue::request_didReceiveBytes(NXHTTPRequest*, long long bytes)
{
    bytesDownloadedSoFar_ += static_cast<unsigned long long>(bytes);
    if (auto d = downloadProgressDelegate())
        NXHTTPRequest::updateProgressIndicator(d, bytesDownloadedSoFar_, totalBytesToDownload_);
}

void NXNetworkQueue::request_didSendBytes(NXHTTPRequest*, long long bytes)
{
    bytesUploadedSoFar_ += static_cast<unsigned long long>(bytes);
    if (auto d = uploadProgressDelegate()) NXHTTPRequest::updateProgressIndicator(d, bytesUploadedSoFar_, totalBytesToUpload_);
}

void NXNetworkQueue::request_incrementDownloadSizeBy(NXHTTPRequest*, long long amount)
{
    totalBytesToDownload_ += static_cast<unsigned long long>(amount);
}

void NXNetworkQueue::request_incrementUploadSizeBy(NXHTTPRequest*, long long amount)
{
    totalBytesToUpload_ += static_cast<unsigned long long>(amount);
}

// ---- Credentials the queue's delegate supplies ----------------------------------------

bool NXNetworkQueue::answersAuthenticationNeeded() const
{
    auto* d = dynamic_cast<NXHTTPRequestAuthenticationDelegate*>(delegate().get());
    return d && d->answersAuthenticationNeeded();
}

bool NXNetworkQueue::answersProxyAuthenticationNeeded() const
{
    auto* d = dynamic_cast<NXHTTPRequestProxyAuthenticationDelegate*>(delegate().get());
    return d && d->answersProxyAuthenticationNeeded();
}

// The request waits for an answer; when the delegate went (or changed) since
// the request looked, nobody will give one, so the request fails instead.
void NXNetworkQueue::authenticationNeededForRequest(NXHTTPRequest* request)
{
    auto d = delegate();
    if (auto* target = dynamic_cast<NXHTTPRequestAuthenticationDelegate*>(d.get()); target && target->answersAuthenticationNeeded())
        return target->authenticationNeededForRequest(request);
    request->cancelAuthentication();
}

void NXNetworkQueue::proxyAuthenticationNeededForRequest(NXHTTPRequest* request)
{
    auto d = delegate();
    if (auto* target = dynamic_cast<NXHTTPRequestProxyAuthenticationDelegate*>(d.get());
        target && target->answersProxyAuthenticationNeeded())
        return target->proxyAuthenticationNeededForRequest(request);
    request->cancelAuthentication();
}
