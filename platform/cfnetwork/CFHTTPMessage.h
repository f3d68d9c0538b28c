#pragma once
// HTTP messages: a request (method, URL, version, header fields) and the
// response a read stream builds while it receives the status line and headers.

#include <memory>
#include <utility>
#include <vector>

#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSString.h"

extern const NSString kCFHTTPVersion1_0;  // "HTTP/1.0"
extern const NSString kCFHTTPVersion1_1;  // "HTTP/1.1"

// Header fields in arrival order. Names compare without regard to case, and a
// field that came several times (Set-Cookie) keeps each value apart.
class CFHTTPHeaderFields {
public:
    // Replaces every value of the name (a nil value removes the field).
    void setValue(const NSString& name, const NSString& value);
    // Adds a value, keeping earlier ones.
    void addValue(const NSString& name, const NSString& value);
    void removeValue(const NSString& name) { setValue(name, NSString()); }
    // The value; repeated fields are joined with ", ". nil when absent.
    NSString objectForKey(const NSString& name) const;
    std::vector<NSString> valuesForKey(const NSString& name) const;
    bool contains(const NSString& name) const;
    const std::vector<std::pair<NSString, NSString>>& fields() const { return fields_; }
    size_t count() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }

private:
    std::vector<std::pair<NSString, NSString>> fields_;
};

class CFHTTPMessage : public NSObject {
public:
    bool isRequest = false;
    NSString method;                    // requests
    std::shared_ptr<NSURL> url;         // requests
    NSString version;
    CFHTTPHeaderFields headers;
    long statusCode = 0;                // responses
    NSString statusLine;                // responses: the whole status line
    bool headerComplete = false;        // responses
};

using CFHTTPMessageRef = std::shared_ptr<CFHTTPMessage>;

// nil for a missing method or URL, a URL that names no http/https host, or a
// version other than 1.0 and 1.1.
CFHTTPMessageRef CFHTTPMessageCreateRequest(const NSString& method, const std::shared_ptr<NSURL>& url,
                                            const NSString& version);
void CFHTTPMessageSetHeaderFieldValue(const CFHTTPMessageRef& message, const NSString& name, const NSString& value);
NSString CFHTTPMessageCopyHeaderFieldValue(const CFHTTPMessageRef& message, const NSString& name);
CFHTTPHeaderFields CFHTTPMessageCopyAllHeaderFields(const CFHTTPMessageRef& message);
bool CFHTTPMessageIsHeaderComplete(const CFHTTPMessageRef& message);
long CFHTTPMessageGetResponseStatusCode(const CFHTTPMessageRef& message);
NSString CFHTTPMessageCopyResponseStatusLine(const CFHTTPMessageRef& message);
NSString CFHTTPMessageCopyVersion(const CFHTTPMessageRef& message);
