// The request object: fields, building of the body and headers, copies and
// the response accessors.

#include "http/NXHTTPRequest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstring>
#include <mutex>

#include <unicode/locid.h>
#include <unicode/ucnv.h>

#include "http/NXInputStream.h"
#include "platform/foundation/NSBundle.h"

const NSString NXHTTPRequestErrorDomain = "NXHTTPRequestErrorDomain";
const NSString NXHTTPRequestRunLoopMode = "NXHTTPRequestRunLoopMode";

namespace {

std::atomic<double> gDefaultTimeOutSeconds{10.0};

// A name unique in this process, in the temporary directory.
NSString temporaryFilePath()
{
    static std::atomic<unsigned long> counter{0};
    const char* dir = getenv("TMPDIR");
    std::string base = dir && *dir ? dir : "/tmp";
    return NSString(base + "/nxhttp-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
}

bool fileSize(const NSString& path, unsigned long long& size, std::shared_ptr<NSError>& error)
{
    struct stat st{};
    if (stat(path.str().c_str(), &st) != 0) {
        error = NSError::errorWithDomain(NSPOSIXErrorDomain, errno, {{NSLocalizedDescriptionKey, strerror(errno)}});
        return false;
    }
    size = static_cast<unsigned long long>(st.st_size);
    return true;
}

}  // namespace

// ---- Class-wide ----------------------------------------------------------------

double NXHTTPRequest::defaultTimeOutSeconds() { return gDefaultTimeOutSeconds; }
void NXHTTPRequest::setDefaultTimeOutSeconds(double seconds) { gDefaultTimeOutSeconds = seconds; }

NSString NXHTTPRequest::defaultUserAgentString()
{
    // Every request asks: the answer is kept for as long as the main bundle
    // (which reads its information once) and the default locale stay the same.
    static std::mutex lock;
    static std::weak_ptr<NSBundle> madeFor;
    static std::string madeInLocale;
    static NSString agent;
    auto bundle = NSBundle::mainBundle();
    std::string locale = icu::Locale::getDefault().getName();
    std::lock_guard guard(lock);
    if (bundle && madeFor.lock() == bundle && locale == madeInLocale) return agent;
    auto info = bundle ? bundle->infoDictionary().stringDictionary() : std::nullopt;
    agent = nxhttp::userAgentStringForBundleInfo(info ? *info : std::map<NSString, NSString>{});
    madeFor = bundle;
    madeInLocale = locale;
    return agent;
}

std::shared_ptr<NSError> NXHTTPRequest::errorWithCode(NXNetworkErrorType code, const NSString& description,
                                                      std::shared_ptr<NSError> underlying)
{
    auto e = NSError::errorWithDomain(NXHTTPRequestErrorDomain, code, {{NSLocalizedDescriptionKey, description}});
    e->underlyingError = std::move(underlying);
    return e;
}

std::optional<unsigned long long> NXHTTPRequest::parseContentLength(const NSString& text)
{
    std::string_view v = text.view();
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    if (text.isNil() || v.empty()) return std::nullopt;
    unsigned long long n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
    return n;
}

std::optional<NSStringEncoding> NXHTTPRequest::encodingFromContentType(const NSString& contentType)
{
    const std::string& t = contentType.str();
    size_t at = t.find("charset=");
    if (at == std::string::npos || at == 0 || at + 8 >= t.size()) return std::nullopt;
    std::string name = t.substr(at + 8, t.find(';', at) == std::string::npos ? std::string::npos : t.find(';', at) - at - 8);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    UErrorCode err = U_ZERO_ERROR;
    const char* canonical = ucnv_getCanonicalName(name.c_str(), "IANA", &err);
    if (U_FAILURE(err) || !canonical) return std::nullopt;
    std::string c = canonical;
    if (c == "UTF-8") return NSUTF8StringEncoding;
    if (c == "ISO-8859-1") return NSISOLatin1StringEncoding;
    if (c == "US-ASCII") return NSASCIIStringEncoding;
    if (c == "UTF-16") return NSUTF16StringEncoding;
    return std::nullopt;
}

// ---- Life ------------------------------------------------------------------------

namespace {

SEL delegateSel(const char* name, void (NXHTTPRequestDelegate::*method)(NXHTTPRequest*))
{
    return SEL{name, [method](NSObject* r, const id& a) {
                   if (auto* d = dynamic_cast<NXHTTPRequestDelegate*>(r)) (d->*method)(static_cast<NXHTTPRequest*>(a.get()));
               }};
}

const SEL kRequestStarted = delegateSel("requestStarted:", &NXHTTPRequestDelegate::requestStarted);
const SEL kRequestReceivedResponseHeaders =
    delegateSel("requestReceivedResponseHeaders:", &NXHTTPRequestDelegate::requestReceivedResponseHeaders);
const SEL kRequestFinished = delegateSel("requestFinished:", &NXHTTPRequestDelegate::requestFinished);
const SEL kRequestFailed = delegateSel("requestFailed:", &NXHTTPRequestDelegate::requestFailed);

}  // namespace

const SEL& NXHTTPRequest::lifecycleSelector(SEL NXHTTPRequest::*field)
{
    if (field == &NXHTTPRequest::didStartSelector_) return kRequestStarted;
    if (field == &NXHTTPRequest::didReceiveResponseHeadersSelector_) return kRequestReceivedResponseHeaders;
    if (field == &NXHTTPRequest::didFinishSelector_) return kRequestFinished;
    return kRequestFailed;
}

NXHTTPRequest::NXHTTPRequest(std::shared_ptr<NSURL> url)
    : url_(std::move(url)), timeOutSeconds_(defaultTimeOutSeconds()), runLoopMode_(NSDefaultRunLoopMode),
      downloadCache_(defaultCache())
{
    didStartSelector_ = kRequestStarted;
    didReceiveResponseHeadersSelector_ = kRequestReceivedResponseHeaders;
    didFinishSelector_ = kRequestFinished;
    didFailSelector_ = kRequestFailed;
    didReceiveDataSelector_ = NXDataSEL{
        "request:didReceiveData:",
        [](NSObject* r) { return dynamic_cast<NXHTTPRequestDataDelegate*>(r) != nullptr; },
        [](NSObject* r, NXHTTPRequest* req, const NSData& d) {
            if (auto* dd = dynamic_cast<NXHTTPRequestDataDelegate*>(r)) dd->request_didReceiveData(req, d);
        }};
}

std::shared_ptr<NXHTTPRequest> NXHTTPRequest::initWithURL(std::shared_ptr<NSURL> url)
{
    return std::make_shared<NXHTTPRequest>(std::move(url));
}

NXHTTPRequest::~NXHTTPRequest()
{
    authenticationNeeded_ = 0;
    cancelLoad();
}

// ---- Guarded accessors -----------------------------------------------------------

std::shared_ptr<NSURL> NXHTTPRequest::url() const { std::lock_guard l(cancelledLock_); return url_; }
void NXHTTPRequest::setURL(std::shared_ptr<NSURL> url) { std::lock_guard l(cancelledLock_); url_ = std::move(url); }
std::shared_ptr<NSURL> NXHTTPRequest::originalURL() const { std::lock_guard l(cancelledLock_); return originalURL_; }
std::shared_ptr<NSObject> NXHTTPRequest::delegate() const { std::lock_guard l(cancelledLock_); return delegate_.lock(); }
void NXHTTPRequest::setDelegate(const std::shared_ptr<NSObject>& d) { std::lock_guard l(cancelledLock_); delegate_ = d; }
std::shared_ptr<NSObject> NXHTTPRequest::queue() const { std::lock_guard l(cancelledLock_); return queue_; }
void NXHTTPRequest::setQueue(std::shared_ptr<NSObject> q) { std::lock_guard l(cancelledLock_); queue_ = std::move(q); }
std::shared_ptr<NSObject> NXHTTPRequest::uploadProgressDelegate() const { std::lock_guard l(cancelledLock_); return uploadProgressDelegate_.lock(); }
void NXHTTPRequest::setUploadProgressDelegate(const std::shared_ptr<NSObject>& d) { std::lock_guard l(cancelledLock_); uploadProgressDelegate_ = d; }
std::shared_ptr<NSObject> NXHTTPRequest::downloadProgressDelegate() const { std::lock_guard l(cancelledLock_); return downloadProgressDelegate_.lock(); }
void NXHTTPRequest::setDownloadProgressDelegate(const std::shared_ptr<NSObject>& d) { std::lock_guard l(cancelledLock_); downloadProgressDelegate_ = d; }
bool NXHTTPRequest::isCancelled() const { std::lock_guard l(cancelledLock_); return cancelled_; }
std::shared_ptr<NSError> NXHTTPRequest::error() const { std::lock_guard l(cancelledLock_); return error_; }

// ---- Body ---------------------------------------------------------------------

void NXHTTPRequest::setupPostBody()
{
    if (!shouldStreamPostDataFromDisk_) {
        if (!postBody_) postBody_ = NSData();
        return;
    }
    if (postBodyFilePath_.isNil()) {
        postBodyFilePath_ = temporaryFilePath();
        didCreateTemporaryPostDataFile_ = true;
    }
    if (!postBodyWriteStream_) postBodyWriteStream_.reset(fopen(postBodyFilePath_.str().c_str(), "wb"));
}

void NXHTTPRequest::appendPostData(const NSData& data)
{
    setupPostBody();
    if (data.empty()) return;
    if (shouldStreamPostDataFromDisk_) {
        if (postBodyWriteStream_) fwrite(data.data(), 1, data.size(), postBodyWriteStream_.get());
    } else {
        postBody_->insert(postBody_->end(), data.begin(), data.end());
    }
}

void NXHTTPRequest::appendPostDataFromFile(const NSString& path)
{
    setupPostBody();
    std::unique_ptr<FILE, int (*)(FILE*)> in(fopen(path.str().c_str(), "rb"), fclose);
    if (!in) return;
    NSData chunk(262144);
    for (;;) {
        size_t n = fread(chunk.data(), 1, chunk.size(), in.get());
        if (n == 0) break;  // the end, or a read error: stop either way
        appendPostData(NSData(chunk.begin(), chunk.begin() + static_cast<long>(n)));
    }
}

void NXHTTPRequest::buildPostBody()
{
    if (haveBuiltPostBody_) return;
    if (!postBodyFilePath_.isNil()) {
        postBodyWriteStream_.reset();
        NSString measured = postBodyFilePath_;
        if (shouldCompressRequestBody_) {
            compressedPostBodyFilePath_ = temporaryFilePath();
            compressDataFromFile(postBodyFilePath_, compressedPostBodyFilePath_);
            measured = compressedPostBodyFilePath_;
        }
        std::shared_ptr<NSError> fsError;
        if (!fileSize(measured, postLength_, fsError)) {
            failWithError(errorWithCode(NXFileManagementError,
                                        NSString::stringWithFormat("Failed to get attributes for file at path '%@'", measured),
                                        fsError));
            return;
        }
    } else {
        if (shouldCompressRequestBody_ && postBody_) compressedPostBody_ = compressData(*postBody_);
        const auto& body = shouldCompressRequestBody_ ? compressedPostBody_ : postBody_;
        postLength_ = body ? body->size() : 0;
    }
    if (postLength_ > 0) {
        if (requestMethod_ == "GET" || requestMethod_ == "DELETE" || requestMethod_ == "HEAD") requestMethod_ = "POST";
        addRequestHeader("Content-Length", NSString(std::to_string(postLength_)));
    }
    haveBuiltPostBody_ = true;
}

// ---- Headers --------------------------------------------------------------------

void NXHTTPRequest::buildRequestHeaders()
{
    if (haveBuiltRequestHeaders_) return;
    haveBuiltRequestHeaders_ = true;
    if (auto main = mainRequest()) {
        for (const auto& [name, value] : main->requestHeaders().fields()) addRequestHeader(name, value);
        return;
    }
    applyCookieHeader();
    if (!requestHeaders_.contains("User-Agent")) {
        NSString agent = defaultUserAgentString();
        if (!agent.isNil()) addRequestHeader("User-Agent", agent);
    }
    if (allowCompressedResponse_) addRequestHeader("Accept-Encoding", "gzip");
    if (shouldCompressRequestBody_) addRequestHeader("Content-Encoding", "gzip");
    updatePartialDownloadSize();
    if (partialDownloadSize_ > 0)
        addRequestHeader("Range", NSString::stringWithFormat("bytes=%llu-", partialDownloadSize_));
}

void NXHTTPRequest::updatePartialDownloadSize()
{
    if (!allowResumeForFileDownloads_ || downloadDestinationPath_.isNil() || temporaryFileDownloadPath_.isNil()) return;
    if (access(temporaryFileDownloadPath_.str().c_str(), F_OK) != 0) return;
    std::shared_ptr<NSError> fsError;
    if (!fileSize(temporaryFileDownloadPath_, partialDownloadSize_, fsError))
        failWithError(errorWithCode(
            NXFileManagementError,
            NSString::stringWithFormat("Failed to get attributes for file at path '%@'", temporaryFileDownloadPath_), fsError));
}

void NXHTTPRequest::applyCookieHeader()
{
    if (useCookiePersistence_)
        for (const auto& c : NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookiesForURL(url_)) requestCookies_.push_back(c);
    auto main = mainRequest();
    const auto& cookies = main ? main->requestCookies_ : requestCookies_;
    if (cookies.empty()) return;
    std::string header;
    for (const auto& c : cookies) {
        if (!header.empty()) header += "; ";
        header += c->name().str() + "=" + c->value().str();
    }
    addRequestHeader("Cookie", NSString(header));
}

// ---- Response -------------------------------------------------------------------

bool NXHTTPRequest::isResponseCompressed() const
{
    if (!responseHeaders_) return false;
    NSString enc = responseHeaders_->objectForKey("Content-Encoding");
    return !enc.isNil() && enc.str().find("gzip") != std::string::npos;
}

std::optional<NSData> NXHTTPRequest::responseData() const
{
    if (!rawResponseData_) return std::nullopt;
    if (isResponseCompressed()) return uncompressZippedData(*rawResponseData_);
    return rawResponseData_;
}

NSString NXHTTPRequest::responseString() const
{
    auto data = responseData();
    if (!data) return NSString();
    return NSString::stringWithData(*data, responseEncoding_);
}

// ---- Copies ---------------------------------------------------------------------

std::shared_ptr<NXHTTPRequest> NXHTTPRequest::copy() const
{
    auto c = initWithURL(url());
    copySettingsTo(*c);
    return c;
}

void NXHTTPRequest::copySettingsTo(NXHTTPRequest& copy) const
{
    std::lock_guard l(cancelledLock_);
    copyConnectionSettingsTo(copy);
    auto* c = &copy;
    c->delegate_ = delegate_;
    c->requestMethod_ = requestMethod_;
    c->postBody_ = postBody_;  // a copy of the bytes, never a shared buffer
    c->shouldStreamPostDataFromDisk_ = shouldStreamPostDataFromDisk_;
    c->postBodyFilePath_ = postBodyFilePath_;
    c->downloadDestinationPath_ = downloadDestinationPath_;
    c->temporaryFileDownloadPath_ = temporaryFileDownloadPath_;
    c->uploadProgressDelegate_ = uploadProgressDelegate_;
    c->downloadProgressDelegate_ = downloadProgressDelegate_;
    c->postLength_ = postLength_;
    c->haveBuiltPostBody_ = haveBuiltPostBody_;
    c->compressedPostBody_ = compressedPostBody_;
    c->didStartSelector_ = didStartSelector_;
    c->didFinishSelector_ = didFinishSelector_;
    c->didFailSelector_ = didFailSelector_;
    c->maxResponseSize_ = maxResponseSize_;
    c->shouldResetUploadProgress_ = shouldResetUploadProgress_;
    c->shouldResetDownloadProgress_ = shouldResetDownloadProgress_;
    c->showAccurateProgress_ = showAccurateProgress_;
    c->defaultResponseEncoding_ = defaultResponseEncoding_;
    c->allowResumeForFileDownloads_ = allowResumeForFileDownloads_;
    c->userInfo_ = userInfo_;
    c->shouldRedirect_ = shouldRedirect_;
}

// What any request to the same place needs to get there as this one would:
// headers and cookies, credentials, proxy, time-out and connection habits.
// The caller holds cancelledLock_.
void NXHTTPRequest::copyConnectionSettingsTo(NXHTTPRequest& c) const
{
    c.requestHeaders_ = requestHeaders_;
    c.requestCookies_ = requestCookies_;
    c.useCookiePersistence_ = useCookiePersistence_;
    c.useKeychainPersistence_ = useKeychainPersistence_;
    c.useSessionPersistence_ = useSessionPersistence_;
    c.allowCompressedResponse_ = allowCompressedResponse_;
    c.username_ = username_; c.password_ = password_; c.domain_ = domain_;
    c.proxyUsername_ = proxyUsername_; c.proxyPassword_ = proxyPassword_; c.proxyDomain_ = proxyDomain_;
    c.proxyHost_ = proxyHost_; c.proxyPort_ = proxyPort_; c.proxyType_ = proxyType_;
    c.timeOutSeconds_ = timeOutSeconds_;
    c.useHTTPVersionOne_ = useHTTPVersionOne_;
    c.validatesSecureCertificate_ = validatesSecureCertificate_;
    c.shouldPresentCredentialsBeforeChallenge_ = shouldPresentCredentialsBeforeChallenge_;
    c.shouldPresentAuthenticationDialog_ = shouldPresentAuthenticationDialog_.load();
    c.shouldPresentProxyAuthenticationDialog_ = shouldPresentProxyAuthenticationDialog_.load();
    c.PACurl_ = PACurl_;
    c.numberOfTimesToRetryOnTimeout_ = numberOfTimesToRetryOnTimeout_;
    c.shouldUseRFC2616RedirectBehaviour_ = shouldUseRFC2616RedirectBehaviour_;
    c.shouldAttemptPersistentConnection_ = shouldAttemptPersistentConnection_;
    c.persistentConnectionTimeoutSeconds_ = persistentConnectionTimeoutSeconds_;
}

std::shared_ptr<NXHTTPRequest> NXHTTPRequest::HEADRequest()
{
    std::lock_guard l(cancelledLock_);
    auto h = requestWithURL(url_);
    copyConnectionSettingsTo(*h);
    h->mainRequest_ = self();
    h->requestMethod_ = "HEAD";
    return h;
}
