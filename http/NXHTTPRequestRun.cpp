// Running a request: the message and its stream, the run loop, time-outs,
// retries, cancel, reading the response and the callbacks.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <span>

#include "http/NXHTTPRequest.h"
#include "http/NXDownloadCache.h"
#include "http/NXInputStream.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSThread.h"

namespace {

constexpr double kStatusTimerPeriod = 0.25;
constexpr double kUploadGraceFactor = 1.5;
constexpr int kMaxRedirects = 5;
std::recursive_mutex gProgressLock;

NSString errnoText() { return NSString(strerror(errno)); }

std::shared_ptr<NSError> posixError()
{
    return NSError::errorWithDomain(NSPOSIXErrorDomain, errno, {{NSLocalizedDescriptionKey, errnoText()}});
}

bool sameOrigin(const NSURL& a, const NSURL& b)
{
    auto port = [](const NSURL& u) { return u.port() ? u.port() : (u.scheme().lowercaseString() == "https" ? 443 : 80); };
    return a.scheme().lowercaseString() == b.scheme().lowercaseString() &&
           a.host().lowercaseString() == b.host().lowercaseString() && port(a) == port(b);
}

}  // namespace

// ---- Callbacks -------------------------------------------------------------------

void NXHTTPRequest::callSelectorOnMainThread(SEL NXHTTPRequest::*selector, std::shared_ptr<NSObject> listener)
{
    if (!listener || !(this->*selector)) return;
    auto me = self();
    bool isQueue = listener == queue();
    NSThread::performBlockOnMainThread(
        [me, selector, weakListener = std::weak_ptr<NSObject>(listener), isQueue] {
            // Read the selector and the listener now: either may have been cleared.
            auto target = isQueue ? me->queue() : me->delegate();
            if (!target || target != weakListener.lock()) return;
            // The queue always gets the fixed lifecycle selectors.
            SEL sel = isQueue ? lifecycleSelector(selector) : (*me).*selector;
            sel.perform(target.get(), me);
        },
        NSThread::isMainThread());
}

void NXHTTPRequest::requestStarted()
{
    if (error_ || mainRequest()) return;
    callSelectorOnMainThread(&NXHTTPRequest::didStartSelector_, delegate());
    callSelectorOnMainThread(&NXHTTPRequest::didStartSelector_, queue());
}

void NXHTTPRequest::requestReceivedResponseHeaders()
{
    if (error_ || mainRequest()) return;
    callSelectorOnMainThread(&NXHTTPRequest::didReceiveResponseHeadersSelector_, delegate());
    callSelectorOnMainThread(&NXHTTPRequest::didReceiveResponseHeadersSelector_, queue());
}

void NXHTTPRequest::requestFinished()
{
    if (error_ || mainRequest()) return;
    callSelectorOnMainThread(&NXHTTPRequest::didFinishSelector_, delegate());
    callSelectorOnMainThread(&NXHTTPRequest::didFinishSelector_, queue());
}

void NXHTTPRequest::reportFailure()
{
    callSelectorOnMainThread(&NXHTTPRequest::didFailSelector_, delegate());
    callSelectorOnMainThread(&NXHTTPRequest::didFailSelector_, queue());
}

// Sends a byte count or a size change to the queue, then to the listener of
// its direction; on the main thread.
void NXHTTPRequest::reportBytes(bool upload, long long amount)
{
    auto me = self();
    for (auto target : {queue(), upload ? uploadProgressDelegate() : downloadProgressDelegate()}) {
        if (!target) continue;
        std::weak_ptr<NSObject> weak = target;
        NSThread::performBlockOnMainThread(
            [me, weak, upload, amount] {
                auto t = weak.lock();
                auto* p = t ? dynamic_cast<NXProgressDelegate*>(t.get()) : nullptr;
                if (!p) return;
                if (upload) p->request_didSendBytes(me.get(), amount);
                else p->request_didReceiveBytes(me.get(), amount);
            },
            NSThread::isMainThread());
    }
}

void NXHTTPRequest::updateProgressIndicator(bool upload, unsigned long long progress, unsigned long long total)
{
    updateProgressIndicator(upload ? uploadProgressDelegate() : downloadProgressDelegate(), progress, total);
}

void NXHTTPRequest::updateProgressIndicator(const std::shared_ptr<NSObject>& target, unsigned long long progress,
                                            unsigned long long total)
{
    if (!target || !dynamic_cast<NXProgressDelegate*>(target.get())) return;
    // A total of 0 reports the transfer as done rather than dividing by zero.
    float fraction = total == 0 ? 1.0f : static_cast<float>(progress) / static_cast<float>(total);
    std::lock_guard lock(gProgressLock);
    std::weak_ptr<NSObject> weak = target;
    NSThread::performBlockOnMainThread(
        [weak, fraction] {
            if (auto t = weak.lock())
                if (auto* p = dynamic_cast<NXProgressDelegate*>(t.get())) p->setProgress(fraction);
        },
        NSThread::isMainThread());
}

void NXHTTPRequest::incrementUploadSizeBy(long long amount)
{
    auto me = self();
    for (auto target : {queue(), uploadProgressDelegate()}) {
        if (!target) continue;
        std::weak_ptr<NSObject> weak = target;
        NSThread::performBlockOnMainThread(
            [me, weak, amount] {
                if (auto t = weak.lock())
                    if (auto* p = dynamic_cast<NXProgressDelegate*>(t.get())) p->request_incrementUploadSizeBy(me.get(), amount);
            },
            NSThread::isMainThread());
    }
}

void NXHTTPRequest::incrementDownloadSizeBy(long long amount)
{
    auto me = self();
    for (auto target : {queue(), downloadProgressDelegate()}) {
        if (!target) continue;
        std::weak_ptr<NSObject> weak = target;
        NSThread::performBlockOnMainThread(
            [me, weak, amount] {
                if (auto t = weak.lock())
                    if (auto* p = dynamic_cast<NXProgressDelegate*>(t.get())) p->request_incrementDownloadSizeBy(me.get(), amount);
            },
            NSThread::isMainThread());
    }
}

void NXHTTPRequest::removeUploadProgressSoFar()
{
    reportBytes(true, -static_cast<long long>(totalBytesSent_));
    updateProgressIndicator(true, 0, postLength_);
}

void NXHTTPRequest::updateProgressIndicators()
{
    if (mainRequest()) return;
    if (!showAccurateProgress_ && !(complete_ && !updatedProgress_)) return;
    updateUploadProgress();
    updateDownloadProgress();
}

void NXHTTPRequest::updateUploadProgress()
{
    if (cancelled_ || totalBytesSent_ == 0) return;
    if (uploadBufferSize_ == 0 && totalBytesSent_ != postLength_) {
        uploadBufferSize_ = totalBytesSent_;
        incrementUploadSizeBy(-static_cast<long long>(uploadBufferSize_));
    }
    long long amount = 1;
    if (showAccurateProgress_) {
        if (totalBytesSent_ != postLength_ && lastBytesSent_ == 0) return;
        amount = static_cast<long long>(totalBytesSent_) - static_cast<long long>(lastBytesSent_);
    } else {
        updatedProgress_ = true;
    }
    if (amount == 0) return;
    reportBytes(true, amount);
    updateProgressIndicator(true, totalBytesSent_ - uploadBufferSize_, postLength_ - uploadBufferSize_);
}

void NXHTTPRequest::updateDownloadProgress()
{
    if (!responseHeaders_ || needsRedirect_ || (contentLength_ == 0 && !complete_)) return;
    unsigned long long soFar = totalBytesRead_ + partialDownloadSize_;
    long long amount = 1;
    if (showAccurateProgress_ && contentLength_) {
        amount = static_cast<long long>(soFar) - static_cast<long long>(lastBytesRead_);
        if (amount == 0) return;
    } else {
        updatedProgress_ = true;
    }
    reportBytes(false, amount);
    updateProgressIndicator(false, soFar, contentLength_ + partialDownloadSize_);
    lastBytesRead_ = soFar;
}

// ---- Starting ----------------------------------------------------------------------

void NXHTTPRequest::startSynchronous()
{
    auto keep = self();
    runLoopMode_ = NXHTTPRequestRunLoopMode;
    inProgress_ = true;
    if (!isCancelled() && !complete_) {
        main();
        auto loop = NSRunLoop::currentRunLoop();
        // A request waiting for credentials stays on its loop until they come or are refused.
        while (!complete_ || stillAwaitingCredentials()) loop->runMode(runLoopMode_, NSClock::distantFuture);
    }
    inProgress_ = false;
}

void NXHTTPRequest::main()
{
    std::lock_guard lock(cancelledLock_);
    try {
        requestRunLoop_ = NSRunLoop::currentRunLoop();
        if (error_) {
            complete_ = true;
            markAsFinished();
            return;
        }
        complete_ = false;
        if (!url_) {
            failWithError(errorWithCode(NXUnableToCreateRequestErrorType, "Unable to create request (bad url?)"));
            return;
        }
        if (!(mainRequest() && requestMethod_ == "HEAD")) {
            buildPostBody();
            if (error_) return;
        }
        if (requestMethod_ != "GET") downloadCache_.reset();
        request_ = CFHTTPMessageCreateRequest(requestMethod_, url_, useHTTPVersionOne_ ? kCFHTTPVersion1_0 : kCFHTTPVersion1_1);
        if (!request_) {
            failWithError(errorWithCode(NXUnableToCreateRequestErrorType, "Unable to create request (bad url?)"));
            return;
        }
        if (auto main = mainRequest()) main->buildRequestHeaders();
        buildRequestHeaders();
        if (error_) return;
        if (applyCachePolicyBeforeSending()) return;
        applyAuthorizationHeader();
        for (const auto& [name, value] : requestHeaders_.fields()) CFHTTPMessageSetHeaderFieldValue(request_, name, value);
        startRequest();
    } catch (const NSException& e) {
        auto err = NSError::errorWithDomain(NXHTTPRequestErrorDomain, NXUnhandledExceptionError,
                                            {{NSLocalizedDescriptionKey, e.name()}, {"NSLocalizedFailureReason", e.reason()}});
        err->underlyingError = NSError::errorWithDomain(NXHTTPRequestErrorDomain, NXUnhandledExceptionError, e.userInfo());
        failWithError(err);
    }
}

void NXHTTPRequest::startRequest()
{
    std::unique_lock lock(cancelledLock_);
    if (cancelled_) return;
    requestStarted();
    downloadComplete_ = false;
    complete_ = false;
    totalBytesRead_ = 0;
    lastBytesRead_ = 0;
    if (redirectCount_ == 0) originalURL_ = url_;
    if (lastBytesSent_ > 0) removeUploadProgressSoFar();
    lastBytesSent_ = 0;
    contentLength_ = 0;
    responseHeaders_.reset();
    if (downloadDestinationPath_.isNil()) rawResponseData_ = NSData();
    readStreamIsScheduled_ = false;

    auto me = self();
    postBodyReadStream_.reset();
    if (shouldStreamPostDataFromDisk_ && !postBodyFilePath_.isNil() && access(postBodyFilePath_.str().c_str(), F_OK) == 0) {
        bool compressed = !compressedPostBodyFilePath_.isNil() && access(compressedPostBodyFilePath_.str().c_str(), F_OK) == 0;
        postBodyReadStream_ = NXInputStream::inputStreamWithFileAtPath(compressed ? compressedPostBodyFilePath_ : postBodyFilePath_, me);
    } else if (postBody_ && !postBody_->empty() && postLength_ > 0) {
        const auto& body = shouldCompressRequestBody_ && compressedPostBody_ ? *compressedPostBody_ : *postBody_;
        postBodyReadStream_ = NXInputStream::inputStreamWithData(body, me);
    }
    readStream_ = postBodyReadStream_ ? CFReadStreamCreateForStreamedHTTPRequest(request_, postBodyReadStream_)
                                      : CFReadStreamCreateForHTTPRequest(request_);
    if (!readStream_) {
        failWithError(errorWithCode(NXInternalErrorWhileBuildingRequestType, "Unable to create read stream"));
        return;
    }
    if (url_->scheme().lowercaseString() == "https") {
        CFStreamSSLSettings ssl;
        ssl.validatesCertificateChain = validatesSecureCertificate_;
        CFReadStreamSetSSLSettings(readStream_, ssl);
    }
    if (proxyHost_.isNil() && proxyPort_ == 0) {
        auto proxies = PACurl_ ? proxiesForURL(url_, PACurl_) : CFNetworkCopyProxiesForURL(url_);
        if (!proxies) {
            readStream_.reset();
            failWithError(errorWithCode(NXInternalErrorWhileBuildingRequestType,
                                        "Unable to obtain information on proxy servers needed for request"));
            return;
        }
        if (!proxies->empty() && proxies->front().type != kCFProxyTypeNone) {
            proxyHost_ = proxies->front().host;
            proxyPort_ = proxies->front().port;
            proxyType_ = proxies->front().type;
        }
    }
    if (!proxyHost_.isNil() && proxyPort_ != 0) {
        if (proxyType_.isNil()) proxyType_ = kCFProxyTypeHTTP;
        CFReadStreamSetProxy(readStream_, CFStreamProxy{proxyType_, proxyHost_, proxyPort_});
    }
    connectionCanBeReused_ = false;
    expirePersistentConnections();
    CFReadStreamRef previous = takeConnectionRecord();
    auto wake = bandwidthWakeUpTime();
    if (!readStreamIsScheduled_ && !(isBandwidthThrottled() && wake && *wake > NSClock::monotonic())) scheduleReadStream();
    std::weak_ptr<NXHTTPRequest> weak = me;
    CFReadStreamSetClient(readStream_,
                          kCFStreamEventHasBytesAvailable | kCFStreamEventEndEncountered | kCFStreamEventErrorOccurred |
                              kCFStreamEventOpenCompleted,
                          [weak](CFStreamEventType type) {
                              if (auto r = weak.lock()) r->handleNetworkEvent(type);
                          });
    if (!CFReadStreamOpen(readStream_)) {
        connectionCanBeReused_ = false;
        destroyReadStream();
        failWithError(errorWithCode(NXInternalErrorWhileBuildingRequestType, "Unable to start HTTP connection"));
        return;
    }
    if (previous && previous != readStream_) CFReadStreamClose(previous);
    previous.reset();
    if (!(mainRequest() && requestMethod_ == "HEAD")) {
        if (shouldResetUploadProgress_) {
            incrementUploadSizeBy(showAccurateProgress_ ? static_cast<long long>(postLength_) : 1);
            updateProgressIndicator(true, 0, 1);
        }
        if (shouldResetDownloadProgress_ && partialDownloadSize_ == 0) updateProgressIndicator(false, 0, 1);
    }
    lastActivityTime_ = NSClock::monotonic();
    if (statusTimer_) statusTimer_->invalidate();
    statusTimer_ = NSTimer::timerWithTimeInterval(kStatusTimerPeriod, true, [weak](NSTimer& t) {
        auto r = weak.lock();
        if (!r) return t.invalidate();
        r->checkRequestStatus();
        if (!r->inProgress_) {
            t.invalidate();
        }
    });
    NSRunLoop::currentRunLoop()->addTimer(statusTimer_, runLoopMode_);
}

// ---- Stream scheduling --------------------------------------------------------------

void NXHTTPRequest::scheduleReadStream()
{
    if (!readStream_ || readStreamIsScheduled_) return;
    streamScheduled();
    lastActivityTime_ = NSClock::monotonic();
    CFReadStreamScheduleWithRunLoop(readStream_, NSRunLoop::currentRunLoop(), runLoopMode_);
    readStreamIsScheduled_ = true;
}

void NXHTTPRequest::unscheduleReadStream()
{
    if (!readStream_ || !readStreamIsScheduled_) return;
    streamUnscheduled();
    CFReadStreamUnscheduleFromRunLoop(readStream_, NSRunLoop::currentRunLoop(), runLoopMode_);
    readStreamIsScheduled_ = false;
}

void NXHTTPRequest::destroyReadStream()
{
    if (!readStream_) return;
    CFReadStreamSetClient(readStream_, 0, nullptr);
    if (readStreamIsScheduled_) streamUnscheduled();
    readStreamIsScheduled_ = false;
    // Closing hands a kept-alive connection back to the shared pool.
    CFReadStreamClose(readStream_);
    readStream_.reset();
}

// ---- Status timer, time-out, cancel ------------------------------------------------

bool NXHTTPRequest::shouldTimeOut() const
{
    if (!readStream_ || !readStreamIsScheduled_ || lastActivityTime_ == 0 || timeOutSeconds_ <= 0) return false;
    double idle = NSClock::monotonic() - lastActivityTime_;
    if (idle <= timeOutSeconds_) return false;
    if (postLength_ == 0 || (uploadBufferSize_ > 0 && totalBytesSent_ > uploadBufferSize_)) return true;
    return idle > kUploadGraceFactor * timeOutSeconds_;
}

void NXHTTPRequest::checkRequestStatus()
{
    std::unique_lock lock(cancelledLock_);
    if (cancelled_ || complete_) return;
    performThrottling();
    if (shouldTimeOut()) {
        if (retryCount_ < numberOfTimesToRetryOnTimeout_) {
            updatePartialDownloadSize();
            if (partialDownloadSize_ > 0)
                CFHTTPMessageSetHeaderFieldValue(request_, "Range", NSString::stringWithFormat("bytes=%llu-", partialDownloadSize_));
            ++retryCount_;
            destroyReadStream();
            lock.unlock();
            startRequest();
            return;
        }
        failWithError(errorWithCode(NXRequestTimedOutErrorType, "The request timed out"));
        cancelLoad();
        complete_ = true;
        return;
    }
    if (readStream_) {
        if (postLength_ > 0) {
            lastBytesSent_ = totalBytesSent_;
            totalBytesSent_ = CFReadStreamCopyRequestBytesWrittenCount(readStream_);
            // The body stream already counted these bytes as bandwidth used when it read them.
            if (totalBytesSent_ > lastBytesSent_) lastActivityTime_ = NSClock::monotonic();
        }
        updateProgressIndicators();
    }
}

void NXHTTPRequest::cancel()
{
    std::shared_ptr<NSRunLoop> loop;
    {
        std::lock_guard lock(cancelledLock_);
        loop = requestRunLoop_;
    }
    auto me = self();
    if (!loop || loop == NSRunLoop::currentRunLoop()) {
        cancelOnRequestThread();
        return;
    }
    loop->performBlock([me] { me->cancelOnRequestThread(); }, {NXHTTPRequestRunLoopMode, NSDefaultRunLoopMode});
}

void NXHTTPRequest::cancelOnRequestThread()
{
    std::lock_guard lock(cancelledLock_);
    if (cancelled_ || complete_) return;
    auto keep = self();
    failWithError(errorWithCode(NXRequestCancelledErrorType, "The request was cancelled"));
    complete_ = true;
    cancelLoad();
    cancelled_ = true;
}

void NXHTTPRequest::cancelLoad()
{
    destroyReadStream();
    if (postBodyReadStream_) postBodyReadStream_->close();
    if (rawResponseData_) {
        rawResponseData_.reset();
    } else if (!temporaryFileDownloadPath_.isNil()) {
        fileDownloadOutputStream_.reset();
        if (!allowResumeForFileDownloads_) removeTemporaryDownloadFile();
    }
    if (authenticationNeeded_ == 0 && didCreateTemporaryPostDataFile_) {
        removePostDataFile();
        didCreateTemporaryPostDataFile_ = false;
    }
    responseHeaders_.reset();
}

void NXHTTPRequest::removeTemporaryDownloadFile()
{
    NSString path = temporaryFileDownloadPath_;
    temporaryFileDownloadPath_ = NSString();
    if (path.isNil() || access(path.str().c_str(), F_OK) != 0) return;
    if (unlink(path.str().c_str()) != 0)
        failWithError(errorWithCode(NXFileManagementError,
                                    NSString::stringWithFormat("Failed to delete file at path '%@'", path), posixError()));
}

void NXHTTPRequest::removePostDataFile()
{
    for (NSString* path : {&postBodyFilePath_, &compressedPostBodyFilePath_}) {
        if (path->isNil()) continue;
        if (access(path->str().c_str(), F_OK) == 0 && unlink(path->str().c_str()) != 0)
            failWithError(errorWithCode(NXFileManagementError,
                                        NSString::stringWithFormat("Failed to delete file at path '%@'", *path), posixError()));
        *path = NSString();
    }
}

void NXHTTPRequest::markAsFinished()
{
    auto keep = self();
    inProgress_ = false;
    if (statusTimer_) statusTimer_->invalidate();
    statusTimer_.reset();
    finished_ = true;
    NSRunLoop::currentRunLoop()->stop();
    didChangeFinished();
}

// ---- Stream events -----------------------------------------------------------------

void NXHTTPRequest::handleNetworkEvent(CFStreamEventType type)
{
    auto keep = self();
    {
        std::lock_guard lock(cancelledLock_);
        if (complete_ || cancelled_) return;
        switch (type) {
        case kCFStreamEventEndEncountered: handleStreamComplete(); break;
        case kCFStreamEventErrorOccurred: handleStreamError(); break;
        case kCFStreamEventHasBytesAvailable: handleBytesAvailable(); break;
        default: break;
        }
        performThrottling();
    }
    if (downloadComplete_ && needsRedirect_) performRedirect();
    else if (downloadComplete_ && authenticationNeeded_) attemptToApplyCredentialsAndResume();
}

void NXHTTPRequest::readResponseHeaders()
{
    authenticationNeeded_ = 0;
    CFHTTPMessageRef message = CFReadStreamCopyResponseHeader(readStream_);
    if (!message || !CFHTTPMessageIsHeaderComplete(message)) return;
    responseHeaders_ = CFHTTPMessageCopyAllHeaderFields(message);
    responseStatusCode_ = static_cast<int>(CFHTTPMessageGetResponseStatusCode(message));
    responseStatusMessage_ = CFHTTPMessageCopyResponseStatusLine(message);
    if (cachePolicy_ == 2 && downloadCache() && useDataFromCache()) return;
    if (responseStatusCode_ == 401) authenticationNeeded_ = 1;
    else if (responseStatusCode_ == 407) authenticationNeeded_ = 2;
    recordAcceptedCredentials();
    parseStringEncodingFromHeaders();
    responseCookies_ = NSHTTPCookie::cookiesWithResponseHeaderFields(*responseHeaders_, url_);
    if (useCookiePersistence_) {
        NSHTTPCookieStorage::sharedHTTPCookieStorage()->setCookies(responseCookies_, url_);
        for (const auto& c : responseCookies_) addSessionCookie(c);
    }

    NSString location = responseHeaders_->objectForKey("Location");
    int status = responseStatusCode_;
    if (shouldRedirect_ && !location.isNil() && (status == 301 || status == 302 || status == 303 || status == 307)) {
        auto from = url_;
        auto target = NSURL::URLWithString(location, url_);
        if (target) {
            if (status == 307 || (shouldUseRFC2616RedirectBehaviour_ && status != 303)) {
                applyCookieHeader();
            } else {
                requestMethod_ = "GET";
                postBody_.reset();
                compressedPostBody_.reset();
                postLength_ = 0;
                CFHTTPHeaderFields kept;
                for (const char* name : {"User-Agent", "Accept"}) {
                    NSString v = requestHeaders_.objectForKey(name);
                    if (!v.isNil()) kept.setValue(name, v);
                }
                requestHeaders_ = kept;
                haveBuiltRequestHeaders_ = false;
                shouldStreamPostDataFromDisk_ = false;
            }
            url_ = target;
            needsRedirect_ = true;
            requestCookies_.clear();
            rebuildOriginHeaders(from);
        }
    } else {
        auto main = mainRequest();
        NXHTTPRequest* target = main ? main.get() : this;
        NSString lengthText = responseHeaders_->objectForKey("Content-Length");
        auto length = parseContentLength(lengthText);
        // A compressed download whose size request answers exactly 20 bytes,
        // the size of an empty gzip stream, is counted as one of unknown
        // size: the figure says nothing of the body that will arrive.
        const bool untrustedSize = length && *length == 20 && main && requestMethod_ == "HEAD" &&
                                   main->allowCompressedResponse() && showAccurateProgress_ && shouldResetDownloadProgress_;
        if (untrustedSize) {
            main->showAccurateProgress_ = false;
            main->incrementDownloadSizeBy(1);
        } else if (length) {
            target->contentLength_ = *length;
            // The flags of this request decide: a queue clears them on a
            // request whose HEAD request reports its size.
            if (showAccurateProgress_ && shouldResetDownloadProgress_)
                target->incrementDownloadSizeBy(static_cast<long long>(*length + target->partialDownloadSize_));
        } else if (showAccurateProgress_ && shouldResetDownloadProgress_) {
            target->showAccurateProgress_ = false;
            target->incrementDownloadSizeBy(1);
        }
    }
    learnKeepAlive(message);
    requestReceivedResponseHeaders();
}

// A redirect that leaves the origin, or goes from https to http, must not carry
// credentials or cookies meant for the first server.
void NXHTTPRequest::rebuildOriginHeaders(const std::shared_ptr<NSURL>& from)
{
    if (from && sameOrigin(*from, *url_)) return;
    serverAuth_ = AuthenticationState();
    requestHeaders_.removeValue("Authorization");
    requestHeaders_.removeValue("Cookie");
    username_ = NSString();
    password_ = NSString();
    domain_ = NSString();
    applyCookieHeader();
}

void NXHTTPRequest::parseStringEncodingFromHeaders()
{
    NSStringEncoding enc = defaultResponseEncoding_;
    NSString type = responseHeaders_ ? responseHeaders_->objectForKey("Content-Type") : NSString();
    if (!type.isNil())
        if (auto parsed = encodingFromContentType(type)) enc = *parsed;
    responseEncoding_ = enc;
}

void NXHTTPRequest::handleBytesAvailable()
{
    if (!responseHeaders_) readResponseHeaders();
    if (complete_ || !readStream_ || !CFReadStreamHasBytesAvailable(readStream_)) return;
    size_t size = contentLength_ > 262144 ? 262144 : contentLength_ > 65536 ? 65536 : 16384;
    if (isBandwidthThrottled()) size = throttledReadLength(size);
    // Read into a buffer the thread keeps (nothing to clear per read); the
    // bytes leave it below before anything else can run on this thread.
    thread_local std::vector<uint8_t> buffer;
    if (buffer.size() < size) buffer.resize(size);
    long n = CFReadStreamRead(readStream_, buffer.data(), size);
    if (n < 0) return handleStreamError();
    if (n == 0) return;
    totalBytesRead_ += static_cast<unsigned long long>(n);
    if (maxResponseSize_ && totalBytesRead_ > maxResponseSize_) {
        cancelLoad();
        failWithError(errorWithCode(NXResponseTooLargeErrorType,
                                    NSString::stringWithFormat("The response is larger than %llu bytes", maxResponseSize_)));
        return;
    }
    lastActivityTime_ = NSClock::monotonic();
    incrementBandwidthUsedInLastSecond(static_cast<unsigned long>(n));
    if (needsRedirect_ && shouldRedirect_ && allowResumeForFileDownloads_) return;
    if (needsRedirect_) return;  // the body of a redirect is not the answer
    auto bytes = std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n));
    auto d = delegate();
    if (d && didReceiveDataSelector_.imp && didReceiveDataSelector_.respondsTo && didReceiveDataSelector_.respondsTo(d.get())) {
        auto me = self();
        std::weak_ptr<NSObject> weak = d;
        auto sel = didReceiveDataSelector_;
        NSThread::performBlockOnMainThread(
            [me, weak, sel, bytes = NSData(bytes.begin(), bytes.end())] {
                if (auto t = weak.lock(); t && t == me->delegate()) sel.imp(t.get(), me.get(), bytes);
            },
            NSThread::isMainThread());
        return;
    }
    if (!downloadDestinationPath_.isNil()) {
        if (!fileDownloadOutputStream_) {
            bool append = false;
            if (temporaryFileDownloadPath_.isNil()) {
                temporaryFileDownloadPath_ = downloadDestinationPath_.stringByAppendingString(
                    NSString::stringWithFormat(".download-%d", static_cast<int>(getpid())));
            } else if (allowResumeForFileDownloads_ && requestHeaders_.contains("Range")) {
                if (responseHeaders_->contains("Content-Range")) {
                    append = true;
                } else {
                    incrementDownloadSizeBy(-static_cast<long long>(partialDownloadSize_));
                    partialDownloadSize_ = 0;
                }
            }
            fileDownloadOutputStream_.reset(fopen(temporaryFileDownloadPath_.str().c_str(), append ? "ab" : "wb"));
        }
        if (!fileDownloadOutputStream_ ||
            fwrite(bytes.data(), 1, bytes.size(), fileDownloadOutputStream_.get()) != bytes.size()) {
            failWithError(errorWithCode(NXFileManagementError,
                                        NSString::stringWithFormat("Failed to write to file at path '%@'", temporaryFileDownloadPath_),
                                        posixError()));
        }
        return;
    }
    if (!rawResponseData_) rawResponseData_ = NSData();
    rawResponseData_->insert(rawResponseData_->end(), bytes.begin(), bytes.end());
}

void NXHTTPRequest::handleStreamComplete()
{
    downloadComplete_ = true;
    if (!responseHeaders_) readResponseHeaders();
    if (didUseCachedResponse_) return;  // the cache answered
    std::shared_ptr<NSError> fileError;
    {
        std::lock_guard progress(gProgressLock);
        lastBytesSent_ = totalBytesSent_;
        totalBytesSent_ = CFReadStreamCopyRequestBytesWrittenCount(readStream_);
        complete_ = true;
        updateProgressIndicators();
        if (postBodyReadStream_) postBodyReadStream_->close();
        if (didCreateTemporaryPostDataFile_ && authenticationNeeded_ == 0) {
            removePostDataFile();
            didCreateTemporaryPostDataFile_ = false;
        }
        if (!temporaryFileDownloadPath_.isNil()) {
            bool flushed = !fileDownloadOutputStream_ || fflush(fileDownloadOutputStream_.get()) == 0;
            fileDownloadOutputStream_.reset();
            if (!flushed) {
                fileError = errorWithCode(NXFileManagementError,
                                          NSString::stringWithFormat("Failed to write to file at path '%@'", temporaryFileDownloadPath_),
                                          posixError());
                removeTemporaryDownloadFile();
            } else if (shouldRedirect_ && needsRedirect_ && allowResumeForFileDownloads_) {
                // kept for the next request
            } else if (needsRedirect_) {
                removeTemporaryDownloadFile();
            } else if (isResponseCompressed()) {
                // Inflate beside the destination, then rename over it: a
                // failure leaves the destination as it was.
                NSString inflated = temporaryFileDownloadPath_.stringByAppendingString(".inflated");
                int status = uncompressZippedDataFromFile(temporaryFileDownloadPath_, inflated);
                if (status != 0) {
                    fileError = errorWithCode(NXFileManagementError,
                                              NSString::stringWithFormat("Decompression of %@ failed with code %hi",
                                                                         temporaryFileDownloadPath_, static_cast<short>(status)));
                    unlink(inflated.str().c_str());
                } else if (rename(inflated.str().c_str(), downloadDestinationPath_.str().c_str()) != 0) {
                    fileError = errorWithCode(NXFileManagementError,
                                              NSString::stringWithFormat("Failed to move file from '%@' to '%@'", inflated,
                                                                         downloadDestinationPath_),
                                              posixError());
                    unlink(inflated.str().c_str());
                }
                removeTemporaryDownloadFile();
            } else {
                // rename() replaces the destination in one step.
                if (rename(temporaryFileDownloadPath_.str().c_str(), downloadDestinationPath_.str().c_str()) != 0) {
                    fileError = errorWithCode(NXFileManagementError,
                                              NSString::stringWithFormat("Failed to move file from '%@' to '%@'",
                                                                         temporaryFileDownloadPath_, downloadDestinationPath_),
                                              posixError());
                    removeTemporaryDownloadFile();
                }
                temporaryFileDownloadPath_ = NSString();
            }
        }
        if (auto cache = downloadCache()) cache->storeResponseForRequest(*this, secondsToCache_);
    }
    releaseConnectionRecord(false);
    if (authenticationNeeded_) noteChallenge();  // answered once the event is handled
    destroyReadStream();
    if (!needsRedirect_ && !authenticationNeeded_) {
        if (fileError) failWithError(fileError);
        else requestFinished();
        markAsFinished();
    }
}

bool NXHTTPRequest::retryUsingNewConnection()
{
    // Only a kept-alive connection that died before any byte of the response
    // came back is retried, once: the server cannot have acted on the request.
    if (retryCount_ != 0 || !CFReadStreamConnectionWasReused(readStream_) ||
        CFReadStreamResponseBytesReceived(readStream_) != 0)
        return false;
    ++retryCount_;
    releaseConnectionRecord(true);
    destroyReadStream();
    shouldAttemptPersistentConnection_ = false;
    startRequest();
    shouldAttemptPersistentConnection_ = true;
    return true;
}

void NXHTTPRequest::handleStreamError()
{
    auto underlying = CFReadStreamCopyError(readStream_);
    if (!error_ && underlying) {
        bool lost = (underlying->domain() == NSPOSIXErrorDomain && (underlying->code() == 57 || underlying->code() == 32)) ||
                    (underlying->domain() == kCFErrorDomainCFNetwork && underlying->code() == kCFURLErrorNetworkConnectionLost);
        if (lost && retryUsingNewConnection()) return;
    }
    cancelLoad();
    if (!error_) {
        bool ssl = underlying && underlying->domain() == NSOSStatusErrorDomain && underlying->code() >= -9818 &&
                   underlying->code() <= -9800;
        NSString text = "A connection failure occurred";
        if (ssl)
            text = NSString::stringWithFormat("%@: SSL problem (possibly a bad/expired/self-signed certificate)", text);
        failWithError(errorWithCode(NXConnectionFailureErrorType, text, underlying));
    }
    checkRequestStatus();
}

void NXHTTPRequest::performRedirect()
{
    complete_ = true;
    needsRedirect_ = false;
    ++redirectCount_;
    if (redirectCount_ > kMaxRedirects) {
        failWithError(errorWithCode(NXTooMuchRedirectionErrorType, "The request failed because it redirected too many times"));
        complete_ = true;
        return;
    }
    main();
}

void NXHTTPRequest::failWithError(const std::shared_ptr<NSError>& theError)
{
    std::lock_guard lock(cancelledLock_);
    complete_ = true;
    if (theError && theError->code() != NXAuthenticationErrorType && theError->code() != NXTooMuchRedirectionErrorType) {
        releaseConnectionRecord(true);
        destroyReadStream();
    }
    if (cancelled_ || error_) return;
    if (cachePolicy_ == 4 && downloadCache() && useDataFromCache()) return;
    error_ = theError;
    if (auto main = mainRequest()) {
        main->error_ = theError;
        main->reportFailure();
    } else {
        reportFailure();
    }
    if (inProgress_) markAsFinished();
}
