#pragma once
// The HTTP read stream: sends a request message (with an optional streamed
// body) and delivers the response through events on a run loop in the modes it
// is scheduled in. Built on libcurl's multi interface: curl's sockets and
// timers become run-loop sources and timers. Curl's own redirects,
// authentication, cookies, content decoding and time-outs stay off; the
// request engine does each of those itself.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/cfnetwork/CFHTTPMessage.h"
#include "platform/foundation/NSException.h"

class NSRunLoop;

enum CFStreamEventType : unsigned {
    kCFStreamEventNone = 0,
    kCFStreamEventOpenCompleted = 1,
    kCFStreamEventHasBytesAvailable = 2,
    kCFStreamEventErrorOccurred = 8,
    kCFStreamEventEndEncountered = 16,
};

extern const NSString kCFErrorDomainCFNetwork;  // -1005: the connection was lost
extern const NSString NSPOSIXErrorDomain;       // errno values
extern const NSString NSOSStatusErrorDomain;    // -9807: the certificate chain is not valid
inline constexpr long kCFURLErrorNetworkConnectionLost = -1005;
inline constexpr long errSSLXCertChainInvalid = -9807;

extern const NSString kCFProxyTypeNone;
extern const NSString kCFProxyTypeHTTP;
extern const NSString kCFProxyTypeHTTPS;
extern const NSString kCFProxyTypeSOCKS;

// A body the stream reads while sending: read() returns the count, 0 at the
// end, negative on error.
class CFBodyStream {
public:
    virtual ~CFBodyStream() = default;
    virtual long read(uint8_t* buffer, size_t maxLength) = 0;
};

struct CFStreamSSLSettings {
    bool validatesCertificateChain = true;
};

struct CFStreamProxy {
    NSString type;  // kCFProxyTypeHTTP, kCFProxyTypeHTTPS or kCFProxyTypeSOCKS
    NSString host;
    int port = 0;
};

class CFReadStream;
using CFReadStreamRef = std::shared_ptr<CFReadStream>;
using CFReadStreamClientCallBack = std::function<void(CFStreamEventType event)>;

CFReadStreamRef CFReadStreamCreateForHTTPRequest(const CFHTTPMessageRef& request);
CFReadStreamRef CFReadStreamCreateForStreamedHTTPRequest(const CFHTTPMessageRef& request,
                                                         std::shared_ptr<CFBodyStream> body);

// Properties (set before opening).
void CFReadStreamSetSSLSettings(const CFReadStreamRef& stream, const CFStreamSSLSettings& settings);
void CFReadStreamSetProxy(const CFReadStreamRef& stream, const CFStreamProxy& proxy);
// kCFStreamPropertyHTTPAttemptPersistentConnection: reuse a kept-alive
// connection to the same server when one is idle, and keep this one open.
void CFReadStreamSetAttemptPersistentConnection(const CFReadStreamRef& stream, bool attempt);
// The stream property "NXStreamID": persistent streams with the same ID reuse
// one connection; streams with other IDs never touch it. The connection stays
// open while any stream with the ID is alive (a closed stream still holds it)
// and is closed when the last one is destroyed.
void CFReadStreamSetStreamID(const CFReadStreamRef& stream, long streamID);

// A null callback removes the client.
void CFReadStreamSetClient(const CFReadStreamRef& stream, unsigned eventMask, CFReadStreamClientCallBack callback);
void CFReadStreamScheduleWithRunLoop(const CFReadStreamRef& stream, const std::shared_ptr<NSRunLoop>& runLoop,
                                     const NSString& mode);
void CFReadStreamUnscheduleFromRunLoop(const CFReadStreamRef& stream, const std::shared_ptr<NSRunLoop>& runLoop,
                                       const NSString& mode);
bool CFReadStreamOpen(const CFReadStreamRef& stream);
void CFReadStreamClose(const CFReadStreamRef& stream);

// The count read, 0 when nothing is buffered (or at the end), -1 after an error.
long CFReadStreamRead(const CFReadStreamRef& stream, uint8_t* buffer, size_t maxLength);
bool CFReadStreamHasBytesAvailable(const CFReadStreamRef& stream);
std::shared_ptr<NSError> CFReadStreamCopyError(const CFReadStreamRef& stream);
// kCFStreamPropertyHTTPResponseHeader: the response so far (header maybe incomplete), nil before its status line.
CFHTTPMessageRef CFReadStreamCopyResponseHeader(const CFReadStreamRef& stream);
// kCFStreamPropertyHTTPRequestBytesWrittenCount: body bytes handed to the connection.
unsigned long long CFReadStreamCopyRequestBytesWrittenCount(const CFReadStreamRef& stream);
// Whether the stream went over a connection kept alive from an earlier request,
// and how many response bytes (status line included) arrived on it.
bool CFReadStreamConnectionWasReused(const CFReadStreamRef& stream);
unsigned long long CFReadStreamResponseBytesReceived(const CFReadStreamRef& stream);

// The proxies the system settings give for the URL (CFProxySupport.cpp): one
// entry, of type kCFProxyTypeNone when the URL goes direct.
std::vector<CFStreamProxy> CFNetworkCopyProxiesForURL(const std::shared_ptr<NSURL>& url);
