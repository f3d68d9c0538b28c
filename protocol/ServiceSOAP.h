#pragma once
// What the service's three SOAP endpoints share: the envelope's opening, one
// synchronous POST judged by its own request, the extraction of a result
// element from the response, and the masking of secrets before logging.

#include <memory>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSString.h"

class ServiceSOAP {
public:
    // The prolog, the opening SOAP 1.2 envelope and header, and the opening
    // SecureSoapHeader in the service namespace; the caller writes the rest.
    static NSString envelopeHead();

    // A POST of the envelope (UTF-8, "text/xml; charset=utf-8") to the URL;
    // every other setting is the HTTP client's default.
    static std::shared_ptr<NXHTTPRequest> requestWithEnvelope(const NSString& url, const NSString& envelope);

    // Runs the request to its end on the calling thread and returns the
    // response text: nil when this request failed, the status is not 2xx, or
    // the body cannot be read as text. The failure is logged.
    static NSString responseTextOf(NXHTTPRequest& request);

    // The text between the first "<name>" and the "</name>" after it, once
    // "&lt;" and "&gt;" have been turned back into "<" and ">"; nil when the
    // response is nil or lacks either tag.
    static NSString resultElement(const NSString& response, const NSString& name);

    // The text with the content of every element whose name holds "pass" (any
    // case) replaced by "***", for log lines.
    static NSString redactedForLog(const NSString& text);
};
