#include "platform/cfnetwork/CFReadStream.h"

#include <curl/curl.h>
#include <strings.h>

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSTimer.h"

#include <cmath>

const NSString kCFErrorDomainCFNetwork = "kCFErrorDomainCFNetwork";
const NSString NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
const NSString NSOSStatusErrorDomain = "NSOSStatusErrorDomain";
const NSString kCFProxyTypeNone = "kCFProxyTypeNone";
const NSString kCFProxyTypeHTTP = "kCFProxyTypeHTTP";
const NSString kCFProxyTypeHTTPS = "kCFProxyTypeHTTPS";
const NSString kCFProxyTypeSOCKS = "kCFProxyTypeSOCKS";

namespace {

// Above this many buffered response bytes the transfer pauses until the
// client has read some: a slow reader never makes the stream hold a whole body.
constexpr size_t kPauseAbove = size_t{1} << 20;

// A body up to this size that the body stream hands over in one read goes out
// with the request's head: curl sends a streamed body on its own, and the
// second small send costs the server one more wake-up per request.
constexpr curl_off_t kInlineBodyMax = 64 * 1024;

// A pool of kept-alive connections. Streams carrying the same stream ID share
// one, so a connection is only ever reused by the record that owns it; the
// connection closes when the last stream holding its pool goes away.
class ConnectionShare {
public:
    ConnectionShare()
    {
        sh_ = curl_share_init();
        curl_share_setopt(sh_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        curl_share_setopt(sh_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(sh_, CURLSHOPT_LOCKFUNC, +[](CURL*, curl_lock_data d, curl_lock_access, void* p) {
            static_cast<ConnectionShare*>(p)->locks_[d].lock();
        });
        curl_share_setopt(sh_, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data d, void* p) {
            static_cast<ConnectionShare*>(p)->locks_[d].unlock();
        });
        curl_share_setopt(sh_, CURLSHOPT_USERDATA, this);
    }
    ~ConnectionShare() { curl_share_cleanup(sh_); }
    ConnectionShare(const ConnectionShare&) = delete;
    ConnectionShare& operator=(const ConnectionShare&) = delete;
    CURLSH* get() const { return sh_; }

    // The pool of a stream ID, made when no living stream holds it.
    static std::shared_ptr<ConnectionShare> forStreamID(long streamID)
    {
        static std::mutex lock;
        static std::map<long, std::weak_ptr<ConnectionShare>> shares;
        std::lock_guard guard(lock);
        for (auto it = shares.begin(); it != shares.end();) {
            if (it->second.expired()) it = shares.erase(it);
            else ++it;
        }
        auto& slot = shares[streamID];
        auto share = slot.lock();
        if (!share) slot = share = std::make_shared<ConnectionShare>();
        return share;
    }

private:
    CURLSH* sh_ = nullptr;
    std::recursive_mutex locks_[CURL_LOCK_DATA_LAST];
};

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Multi handles are kept per thread and reused: making and tearing one down
// for every request costs more than the request itself on a fast link. A
// handle serves one stream at a time; the connections live in the pools above.
class MultiPool {
public:
    static CURLM* take()
    {
        auto& pool = local().free_;
        if (pool.empty()) return curl_multi_init();
        CURLM* m = pool.back();
        pool.pop_back();
        return m;
    }
    static void give(CURLM* m)
    {
        curl_multi_setopt(m, CURLMOPT_SOCKETDATA, nullptr);
        curl_multi_setopt(m, CURLMOPT_TIMERDATA, nullptr);
        local().free_.push_back(m);
    }

private:
    ~MultiPool()
    {
        for (CURLM* m : free_) curl_multi_cleanup(m);
    }
    static MultiPool& local()
    {
        thread_local MultiPool pool;
        return pool;
    }
    std::vector<CURLM*> free_;
};

// The response bytes curl has handed over and the client has not read yet:
// appended at the back, read from the front, in one run of memory.
class ByteQueue {
public:
    size_t size() const { return bytes_.size() - start_; }
    bool empty() const { return size() == 0; }

    void append(const char* data, size_t count)
    {
        // Moving the unread rest down costs less than growing past it.
        if (start_ > 0 && start_ >= bytes_.size() / 2) {
            bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(start_));
            start_ = 0;
        }
        bytes_.insert(bytes_.end(), data, data + count);
    }

    size_t take(uint8_t* out, size_t max)
    {
        size_t n = std::min(max, size());
        if (n == 0) return 0;  // an empty queue may have no storage to copy from
        std::memcpy(out, bytes_.data() + start_, n);
        start_ += n;
        if (start_ == bytes_.size()) {
            bytes_.clear();
            start_ = 0;
        }
        return n;
    }

private:
    std::vector<uint8_t> bytes_;
    size_t start_ = 0;  // bytes before this were read
};

}  // namespace

class CFReadStream : public std::enable_shared_from_this<CFReadStream> {
public:
    CFReadStream(CFHTTPMessageRef request, std::shared_ptr<CFBodyStream> body)
        : request_(std::move(request)), body_(std::move(body)) {}

    ~CFReadStream() { teardown(); }

    CFHTTPMessageRef request_;
    std::shared_ptr<CFBodyStream> body_;
    CFStreamSSLSettings ssl_;
    CFStreamProxy proxy_;
    bool persistent_ = false;
    long streamID_ = 0;
    std::shared_ptr<ConnectionShare> share_;  // outlives the transfer: it holds the kept-alive connection
    unsigned eventMask_ = 0;
    CFReadStreamClientCallBack client_;

    std::vector<std::pair<std::shared_ptr<NSRunLoop>, NSString>> schedules_;
    std::map<curl_socket_t, std::shared_ptr<NSFileDescriptorSource>> sockets_;
    std::shared_ptr<NSTimer> timer_;
    double deadline_ = 0;  // when timer_ fires, on the real monotonic clock
    std::shared_ptr<NSRunLoopSource> kick_;  // delivers events outside curl's calls

    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    // The request's header lines and the list curl reads them from: nodes of
    // our own over our own strings, so that no list of curl's is made per request.
    std::vector<std::string> headerLines_;
    std::vector<curl_slist> headerList_;
    bool opened_ = false, openReported_ = false, closed_ = false, done_ = false, endReported_ = false;
    bool paused_ = false, headersReported_ = false, delivering_ = false, timeoutDue_ = false;
    CURLcode result_ = CURLE_OK;
    std::shared_ptr<NSError> error_;
    CFHTTPMessageRef response_;
    ByteQueue buffer_;
    unsigned long long bytesWritten_ = 0, responseBytes_ = 0;
    std::optional<std::string> inlineBody_;  // the whole body, sent by curl from memory
    std::string bodyPrefix_;                 // the start of the body, read before the transfer
    size_t bodyPrefixSent_ = 0;

    void addToSchedules(const std::shared_ptr<NSRunLoopInput>& input)
    {
        for (auto& [loop, mode] : schedules_) loop->addSource(input, mode);
    }
    void addTimerToSchedules()
    {
        for (auto& [loop, mode] : schedules_) loop->addTimer(timer_, mode);
    }

    void schedule(const std::shared_ptr<NSRunLoop>& loop, const NSString& mode)
    {
        schedules_.emplace_back(loop, mode);
        for (auto& [fd, src] : sockets_) loop->addSource(src, mode);
        if (timer_ && timer_->isValid()) loop->addTimer(timer_, mode);
        if (kick_) {
            loop->addSource(kick_, mode);
            kick_->signal();  // hands over what arrived while unscheduled
        }
    }

    void unschedule(const std::shared_ptr<NSRunLoop>& loop, const NSString& mode)
    {
        for (auto it = schedules_.begin(); it != schedules_.end();) {
            if (it->first == loop && it->second == mode) it = schedules_.erase(it);
            else ++it;
        }
        for (auto& [fd, src] : sockets_) loop->removeSource(src, mode);
        if (kick_) loop->removeSource(kick_, mode);
        // A timer lives on one loop in all its modes: re-add it where still scheduled.
        // A timer cannot leave single modes: make a new one where still
        // scheduled; firing early only makes curl work out its next time-out.
        if (timer_ && timer_->isValid()) rearmTimer(0);
    }

    void rearmTimer(double seconds)
    {
        double deadline = NSClock::realMonotonic() + seconds;
        // Curl re-arms the same deadline over and over: keep a timer that already fits.
        if (seconds >= 0 && timer_ && timer_->isValid() && std::fabs(deadline - deadline_) < 0.001) return;
        deadline_ = deadline;
        if (timer_) timer_->invalidate();
        timer_.reset();
        if (seconds < 0) return;
        std::weak_ptr<CFReadStream> weak = weak_from_this();
        timer_ = NSTimer::timerWithTimeInterval(seconds, false, [weak](NSTimer&) {
            if (auto s = weak.lock()) s->action(CURL_SOCKET_TIMEOUT, 0);
        });
        timer_->setUsesRealClock(true);
        addTimerToSchedules();
    }

    static int onSocket(CURL*, curl_socket_t fd, int what, void* p, void*)
    {
        auto* s = static_cast<CFReadStream*>(p);
        if (!s) return 0;
        if (what == CURL_POLL_REMOVE) {
            auto it = s->sockets_.find(fd);
            if (it != s->sockets_.end()) {
                it->second->invalidate();
                s->sockets_.erase(it);
            }
            return 0;
        }
        unsigned events = ((what & CURL_POLL_IN) ? unsigned{NSFileDescriptorSource::Readable} : 0u) |
                          ((what & CURL_POLL_OUT) ? unsigned{NSFileDescriptorSource::Writable} : 0u);
        auto it = s->sockets_.find(fd);
        if (it != s->sockets_.end()) {
            it->second->setEvents(events);
            return 0;
        }
        std::weak_ptr<CFReadStream> weak = s->weak_from_this();
        auto src = NSFileDescriptorSource::sourceWithFileDescriptor(fd, events, [weak](int sfd, unsigned ready) {
            if (auto st = weak.lock())
                st->action(sfd, (ready & NSFileDescriptorSource::Readable ? CURL_CSELECT_IN : 0) |
                                    (ready & NSFileDescriptorSource::Writable ? CURL_CSELECT_OUT : 0));
        });
        s->sockets_[fd] = src;
        s->addToSchedules(src);
        return 0;
    }

    // Curl asks for "now" far more often than for a real delay: "now" is served
    // through the stream's own source (or the loop in action()) instead of a new timer.
    static int onTimer(CURLM*, long ms, void* p)
    {
        auto* s = static_cast<CFReadStream*>(p);
        if (!s) return 0;
        if (ms == 0) {
            s->timeoutDue_ = true;
            if (s->kick_) s->kick_->signal();
            return 0;
        }
        s->rearmTimer(ms < 0 ? -1.0 : ms / 1000.0);
        return 0;
    }

    static size_t onHeader(char* data, size_t size, size_t n, void* p)
    {
        auto* s = static_cast<CFReadStream*>(p);
        std::string_view line(data, size * n);
        s->responseBytes_ += line.size();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (line.starts_with("HTTP/")) {
            // A new status line (after a 1xx interim response, a fresh message).
            auto m = std::make_shared<CFHTTPMessage>();
            size_t sp = line.find(' ');
            m->version = NSString(line.substr(0, sp));
            m->statusLine = NSString(line);
            m->statusCode = sp == std::string_view::npos ? 0 : std::atol(m->statusLine.UTF8String() + sp + 1);
            s->response_ = m;
        } else if (line.empty()) {
            if (s->response_ && s->response_->statusCode >= 200) s->response_->headerComplete = true;
        } else if (s->response_ && !s->response_->headerComplete) {
            size_t colon = line.find(':');
            if (colon != std::string_view::npos) {
                size_t v = line.find_first_not_of(" \t", colon + 1);
                s->response_->headers.addValue(NSString(line.substr(0, colon)),
                                               NSString(v == std::string_view::npos ? std::string_view() : line.substr(v)));
            }
        }
        return size * n;
    }

    static size_t onWrite(char* data, size_t size, size_t n, void* p)
    {
        auto* s = static_cast<CFReadStream*>(p);
        if (s->buffer_.size() > kPauseAbove) {
            s->paused_ = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        s->buffer_.append(data, size * n);
        s->responseBytes_ += size * n;
        return size * n;
    }

    // Takes the body whole when one read of the body stream gives all of it;
    // a shorter read (a throttled stream) is kept and sent first. False when
    // the stream fails.
    bool readInlineBody(size_t size)
    {
        std::string bytes(size, '\0');
        long got = body_->read(reinterpret_cast<uint8_t*>(bytes.data()), size);
        if (got < 0) return false;
        bytes.resize(static_cast<size_t>(got));
        if (bytes.size() == size) inlineBody_ = std::move(bytes);
        else bodyPrefix_ = std::move(bytes);
        return true;
    }

    static size_t onRead(char* out, size_t size, size_t n, void* p)
    {
        auto* s = static_cast<CFReadStream*>(p);
        if (s->bodyPrefixSent_ < s->bodyPrefix_.size()) {
            size_t count = std::min(size * n, s->bodyPrefix_.size() - s->bodyPrefixSent_);
            std::memcpy(out, s->bodyPrefix_.data() + s->bodyPrefixSent_, count);
            s->bodyPrefixSent_ += count;
            s->bytesWritten_ += count;
            return count;
        }
        if (!s->body_) return 0;
        long got = s->body_->read(reinterpret_cast<uint8_t*>(out), size * n);
        if (got < 0) return CURL_READFUNC_ABORT;
        s->bytesWritten_ += static_cast<unsigned long long>(got);
        return static_cast<size_t>(got);
    }

    bool open()
    {
        if (opened_ || closed_ || !request_) return false;
        globalInit();
        // A new easy handle for every stream: a reset one is not as new. This
        // libcurl (7.88) keeps state of the last transfer's header lines over
        // curl_easy_reset, and a reply opening with a folded line reads it freed.
        easy_ = curl_easy_init();
        multi_ = MultiPool::take();
        if (!easy_ || !multi_) return false;
        kick_ = NSRunLoopSource::sourceWithHandler([weak = weak_from_this()] {
            auto s = weak.lock();
            if (!s) return;
            if (s->timeoutDue_) s->action(CURL_SOCKET_TIMEOUT, 0);
            else s->deliver();
        });
        for (auto& [loop, mode] : schedules_) loop->addSource(kick_, mode);

        const auto& url = request_->url;
        // Credentials in the URL are the engine's to present after a challenge, never curl's.
        curl_easy_setopt(easy_, CURLOPT_URL, url->absoluteStringWithoutCredentials().UTF8String());
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                         request_->version == kCFHTTPVersion1_0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 0L);
        curl_easy_setopt(easy_, CURLOPT_HTTP_TRANSFER_DECODING, 1L);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &onHeader);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &onWrite);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        if (persistent_) {
            if (!share_) share_ = ConnectionShare::forStreamID(streamID_);
            curl_easy_setopt(easy_, CURLOPT_SHARE, share_->get());
        } else {
            curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
            curl_easy_setopt(easy_, CURLOPT_FRESH_CONNECT, 1L);
        }
        if (!ssl_.validatesCertificateChain) {
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 0L);
        }
        // An empty proxy means none: the environment's proxy variables are not ours to follow.
        std::string proxy;
        if (!proxy_.host.isNil() && proxy_.port > 0)
            proxy = (proxy_.type == kCFProxyTypeSOCKS ? "socks5://" : "http://") + proxy_.host.str() + ":" +
                    std::to_string(proxy_.port);
        curl_easy_setopt(easy_, CURLOPT_PROXY, proxy.c_str());

        const NSString& method = request_->method;
        if (method == "HEAD") {
            curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        } else if (body_) {
            curl_easy_setopt(easy_, CURLOPT_POST, 1L);
            curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &onRead);
            curl_easy_setopt(easy_, CURLOPT_READDATA, this);
            NSString length = request_->headers.objectForKey("Content-Length");
            curl_off_t size = length.isNil() ? -1 : static_cast<curl_off_t>(length.longLongValue());
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, size);
            if (size > 0 && size <= kInlineBodyMax && !readInlineBody(static_cast<size_t>(size))) return false;
            if (inlineBody_) curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, inlineBody_->data());
        }
        if (method != "GET" && method != "HEAD" && !(method == "POST" && body_))
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, method.UTF8String());
        else if (method == "POST" && !body_) {
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, "POST");
        }

        // Exactly the message's headers: curl adds none of its own but Host.
        bool hasAccept = false;
        headerLines_.reserve(request_->headers.fields().size() + 4);
        for (const auto& [name, value] : request_->headers.fields()) {
            if (strcasecmp(name.str().c_str(), "Accept") == 0) hasAccept = true;
            headerLines_.push_back(name.str() + (value.str().empty() ? ";" : ": " + value.str()));
        }
        if (!hasAccept) headerLines_.emplace_back("Accept:");
        if (!request_->headers.contains("Content-Type")) headerLines_.emplace_back("Content-Type:");
        headerLines_.emplace_back("Expect:");
        if (body_ && !request_->headers.contains("Content-Length")) headerLines_.emplace_back("Transfer-Encoding: chunked");
        headerList_.resize(headerLines_.size());
        for (size_t i = 0; i < headerLines_.size(); ++i)
            headerList_[i] = {headerLines_[i].data(), i + 1 < headerLines_.size() ? &headerList_[i + 1] : nullptr};
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_.data());

        curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &onSocket);
        curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &onTimer);
        curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
        opened_ = true;
        kick_->signal();  // reports the open from the run loop
        return true;
    }

    void action(curl_socket_t fd, int flags)
    {
        if (closed_ || !multi_) return;
        auto keep = shared_from_this();
        int running = 0;
        timeoutDue_ = false;
        curl_multi_socket_action(multi_, fd, flags, &running);
        // Work curl wants done at once is done here, a few rounds at most;
        // anything left goes through the stream's source.
        for (int round = 0; timeoutDue_ && round < 4 && multi_; ++round) {
            timeoutDue_ = false;
            curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
        }
        if (inlineBody_ && easy_) {
            curl_off_t sent = 0;
            curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &sent);
            bytesWritten_ = static_cast<unsigned long long>(sent);
        }
        collect();
        deliver();
    }

    void collect()
    {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
            if (msg->msg != CURLMSG_DONE) continue;
            done_ = true;
            result_ = msg->data.result;
            if (result_ != CURLE_OK) error_ = makeError(result_);
        }
    }

    std::shared_ptr<NSError> makeError(CURLcode code)
    {
        long osErrno = 0;
        curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &osErrno);
        std::map<NSString, NSString> info{{NSLocalizedDescriptionKey, curl_easy_strerror(code)}};
        switch (code) {
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
            return NSError::errorWithDomain(NSOSStatusErrorDomain, errSSLXCertChainInvalid, info);
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_SEND_FAIL_REWIND:
            return NSError::errorWithDomain(kCFErrorDomainCFNetwork, kCFURLErrorNetworkConnectionLost, info);
        default:
            if (osErrno != 0) return NSError::errorWithDomain(NSPOSIXErrorDomain, osErrno, info);
            return NSError::errorWithDomain(kCFErrorDomainCFNetwork, -1000 - static_cast<long>(code), info);
        }
    }

    void fire(CFStreamEventType event)
    {
        if (client_ && (eventMask_ & event) && !closed_) {
            auto cb = client_;  // the client may replace itself
            cb(event);
        }
    }

    // Tells the client what happened since the last call: open, bytes (as
    // long as it keeps reading), then the end or the error.
    void deliver()
    {
        if (delivering_ || closed_ || !opened_) return;
        auto keep = shared_from_this();
        delivering_ = true;
        if (!openReported_) {
            openReported_ = true;
            fire(kCFStreamEventOpenCompleted);
        }
        for (;;) {
            // A client that took the stream off every run loop gets nothing until it schedules it again.
            if (closed_ || schedules_.empty()) break;
            if (done_ && result_ != CURLE_OK) {
                if (!endReported_) {
                    endReported_ = true;
                    fire(kCFStreamEventErrorOccurred);
                }
                break;
            }
            bool headersNew = response_ && response_->headerComplete && !headersReported_;
            if (!buffer_.empty() || headersNew) {
                headersReported_ = headersReported_ || headersNew;
                size_t before = buffer_.size();
                fire(kCFStreamEventHasBytesAvailable);
                if (closed_) break;
                if (paused_ && buffer_.size() < kPauseAbove / 2) {
                    paused_ = false;
                    curl_easy_pause(easy_, CURLPAUSE_CONT);
                    continue;
                }
                if (!buffer_.empty() && buffer_.size() < before) continue;
                if (!buffer_.empty()) break;  // the client stopped reading: wait for it
            }
            if (done_ && buffer_.empty() && !endReported_) {
                endReported_ = true;
                fire(kCFStreamEventEndEncountered);
            }
            break;
        }
        delivering_ = false;
    }

    long read(uint8_t* out, size_t max)
    {
        if (done_ && result_ != CURLE_OK) return -1;
        size_t n = buffer_.take(out, max);
        if (paused_ && buffer_.size() < kPauseAbove / 2 && kick_) kick_->signal();
        return static_cast<long>(n);
    }

    bool reused() const
    {
        if (!easy_) return false;
        long connects = 0;
        curl_easy_getinfo(easy_, CURLINFO_NUM_CONNECTS, &connects);
        return opened_ && connects == 0;
    }

    void teardown()
    {
        closed_ = true;
        client_ = nullptr;
        for (auto& [fd, src] : sockets_) src->invalidate();
        sockets_.clear();
        if (timer_) timer_->invalidate();
        timer_.reset();
        if (kick_) kick_->invalidate();
        kick_.reset();
        if (multi_ && easy_) curl_multi_remove_handle(multi_, easy_);
        if (easy_) curl_easy_cleanup(easy_);
        if (multi_) MultiPool::give(multi_);
        easy_ = nullptr;
        multi_ = nullptr;
        headerList_.clear();
        headerLines_.clear();
        schedules_.clear();
    }
};

CFReadStreamRef CFReadStreamCreateForHTTPRequest(const CFHTTPMessageRef& request)
{
    if (!request || !request->isRequest) return nullptr;
    return std::make_shared<CFReadStream>(request, nullptr);
}

CFReadStreamRef CFReadStreamCreateForStreamedHTTPRequest(const CFHTTPMessageRef& request,
                                                         std::shared_ptr<CFBodyStream> body)
{
    if (!request || !request->isRequest || !body) return nullptr;
    return std::make_shared<CFReadStream>(request, std::move(body));
}

void CFReadStreamSetSSLSettings(const CFReadStreamRef& s, const CFStreamSSLSettings& settings) { if (s) s->ssl_ = settings; }
void CFReadStreamSetProxy(const CFReadStreamRef& s, const CFStreamProxy& proxy) { if (s) s->proxy_ = proxy; }
void CFReadStreamSetAttemptPersistentConnection(const CFReadStreamRef& s, bool attempt) { if (s) s->persistent_ = attempt; }
void CFReadStreamSetStreamID(const CFReadStreamRef& s, long streamID) { if (s && !s->opened_) s->streamID_ = streamID; }

void CFReadStreamSetClient(const CFReadStreamRef& s, unsigned eventMask, CFReadStreamClientCallBack callback)
{
    if (!s) return;
    s->eventMask_ = callback ? eventMask : 0;
    s->client_ = std::move(callback);
}

void CFReadStreamScheduleWithRunLoop(const CFReadStreamRef& s, const std::shared_ptr<NSRunLoop>& loop, const NSString& mode)
{
    if (s && loop && !s->closed_) s->schedule(loop, mode);
}

void CFReadStreamUnscheduleFromRunLoop(const CFReadStreamRef& s, const std::shared_ptr<NSRunLoop>& loop, const NSString& mode)
{
    if (s && loop) s->unschedule(loop, mode);
}

bool CFReadStreamOpen(const CFReadStreamRef& s) { return s && s->open(); }
void CFReadStreamClose(const CFReadStreamRef& s) { if (s) s->teardown(); }
long CFReadStreamRead(const CFReadStreamRef& s, uint8_t* buffer, size_t maxLength) { return s ? s->read(buffer, maxLength) : -1; }
bool CFReadStreamHasBytesAvailable(const CFReadStreamRef& s) { return s && !s->buffer_.empty(); }
std::shared_ptr<NSError> CFReadStreamCopyError(const CFReadStreamRef& s) { return s ? s->error_ : nullptr; }
CFHTTPMessageRef CFReadStreamCopyResponseHeader(const CFReadStreamRef& s) { return s ? s->response_ : nullptr; }
unsigned long long CFReadStreamCopyRequestBytesWrittenCount(const CFReadStreamRef& s) { return s ? s->bytesWritten_ : 0; }
bool CFReadStreamConnectionWasReused(const CFReadStreamRef& s) { return s && s->reused(); }
unsigned long long CFReadStreamResponseBytesReceived(const CFReadStreamRef& s) { return s ? s->responseBytes_ : 0; }
