// Persistent connections: the class-wide pool of connection records, choosing
// and releasing a record, expiry, and the keep-alive decision.

#include <cctype>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSClock.h"

namespace {

std::recursive_mutex gConnectionPoolLock;
std::vector<std::shared_ptr<NXConnectionRecord>> gConnectionPool;
long gNextConnectionNumber = 0;
unsigned long gNextRequestNumber = 0;

bool sameServer(const NXConnectionRecord& r, const NSURL& url)
{
    return r.host == url.host() && r.scheme == url.scheme() && r.port == url.port();
}

void removeFromPool(const std::shared_ptr<NXConnectionRecord>& record)
{
    std::erase(gConnectionPool, record);
}

// An integer at the start of `s` (after blanks); false when there is none.
bool scanInt(std::string_view& s, long& out)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    size_t n = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
    bool negative = n == 1 && s[0] == '-';
    size_t digits = n;
    while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
    if (digits == n) return false;
    out = std::stol(std::string(s.substr(n, digits - n)));
    if (negative) out = -out;
    s.remove_prefix(digits);
    return true;
}

}  // namespace

std::shared_ptr<NXConnectionRecord> NXHTTPRequest::connectionInfo() const
{
    std::lock_guard lock(gConnectionPoolLock);
    return connectionInfo_;
}

long NXHTTPRequest::connectionID() const
{
    std::lock_guard lock(gConnectionPoolLock);
    return connectionInfo_ ? connectionInfo_->id : 0;
}

std::vector<NXConnectionRecord> NXHTTPRequest::connectionPool()
{
    std::lock_guard lock(gConnectionPoolLock);
    std::vector<NXConnectionRecord> out;
    for (const auto& r : gConnectionPool) out.push_back(*r);
    return out;
}

void NXHTTPRequest::expirePersistentConnections()
{
    std::lock_guard lock(gConnectionPoolLock);
    double now = NSClock::monotonic();
    for (size_t i = 0; i < gConnectionPool.size();) {
        auto& r = gConnectionPool[i];
        if (!r->request && (!r->expires || *r->expires <= now)) {
            if (r->stream) CFReadStreamClose(r->stream);
            gConnectionPool.erase(gConnectionPool.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
}

// Picks or makes the record for the new read stream and marks the stream to
// reuse its connection. Returns the stream of the record's previous request,
// which the caller releases once the new stream has opened.
CFReadStreamRef NXHTTPRequest::takeConnectionRecord()
{
    std::lock_guard lock(gConnectionPoolLock);
    if (url_->host().isNil() || url_->scheme().isNil()) {
        connectionInfo_.reset();
        shouldAttemptPersistentConnection_ = false;
    }
    if (!shouldAttemptPersistentConnection_) return nullptr;
    double now = NSClock::monotonic();
    if (connectionInfo_) {
        if (connectionInfo_->request && *connectionInfo_->request != requestID_) {
            // Another request took the record while this one waited (for
            // credentials, say): the connection is that request's now.
            connectionInfo_.reset();
        } else if (!sameServer(*connectionInfo_, *url_)) {
            // A redirect elsewhere: the record goes idle and expires like any other.
            connectionInfo_->request.reset();
            connectionInfo_->expires = now + persistentConnectionTimeoutSeconds_;
            connectionInfo_.reset();
        } else if (connectionInfo_->expires && *connectionInfo_->expires < now) {
            removeFromPool(connectionInfo_);
            connectionInfo_.reset();
        }
    }
    if (!connectionInfo_)
        for (const auto& r : gConnectionPool)
            if (!r->request && sameServer(*r, *url_)) connectionInfo_ = r;
    CFReadStreamRef previous = connectionInfo_ ? connectionInfo_->stream : nullptr;
    if (!connectionInfo_) {
        connectionInfo_ = std::make_shared<NXConnectionRecord>();
        connectionInfo_->id = ++gNextConnectionNumber;
        connectionInfo_->host = url_->host();
        connectionInfo_->port = url_->port();
        connectionInfo_->scheme = url_->scheme();
        gConnectionPool.push_back(connectionInfo_);
    }
    if (requestID_ == 0) requestID_ = ++gNextRequestNumber;
    connectionInfo_->request = requestID_;
    connectionInfo_->stream = readStream_;
    connectionInfo_->expires.reset();
    CFReadStreamSetAttemptPersistentConnection(readStream_, true);
    CFReadStreamSetStreamID(readStream_, connectionInfo_->id);
    return previous;
}

// Ends this request's hold on its record: idle with an expiry, or (after a
// failure) out of the pool, which closes the connection with its last stream.
void NXHTTPRequest::releaseConnectionRecord(bool dropFromPool)
{
    std::lock_guard lock(gConnectionPoolLock);
    if (!connectionInfo_) return;
    connectionInfo_->request.reset();
    connectionInfo_->expires = NSClock::monotonic() + persistentConnectionTimeoutSeconds_;
    if (dropFromPool) {
        removeFromPool(connectionInfo_);
        connectionInfo_.reset();
    }
}

void NXHTTPRequest::learnKeepAlive(const CFHTTPMessageRef& response)
{
    if (!shouldAttemptPersistentConnection_) return;
    NSString connection = responseHeaders_->objectForKey("Connection").lowercaseString();
    bool http10 = CFHTTPMessageCopyVersion(response) == kCFHTTPVersion1_0;
    if ((http10 && connection != "keep-alive") || connection == "close") return;
    NSString keepAlive = responseHeaders_->objectForKey("Keep-Alive");
    if (keepAlive.isNil()) {
        connectionCanBeReused_ = true;
        return;
    }
    // "timeout=N" must come first; anything else reads as a time-out of 0.
    std::string_view s = keepAlive.view();
    long timeout = 0, max = 0;
    std::string_view t = s;
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    if (t.starts_with("timeout=")) {
        t.remove_prefix(8);
        if (scanInt(t, timeout)) s = t;
    }
    size_t at = s.find("max=");
    if (at != std::string_view::npos) {
        s.remove_prefix(at + 4);
        scanInt(s, max);
    }
    if (max > 5) {
        connectionCanBeReused_ = true;
        persistentConnectionTimeoutSeconds_ = static_cast<double>(timeout);
    }
}
