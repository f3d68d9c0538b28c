#include "protocol/ServiceSOAP.h"

#include <algorithm>
#include <cctype>

#include "platform/foundation/NSLog.h"
#include "protocol/ServiceConfig.h"

NSString ServiceSOAP::envelopeHead()
{
    return NSString::stringWithFormat(
        "<?xml version='1.0' encoding='utf-8'?>"
        "<soap12:Envelope xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
        "xmlns:xsd='http://www.w3.org/2001/XMLSchema' xmlns:soap12='http://www.w3.org/2003/05/soap-envelope'>"
        "<soap12:Header><SecureSoapHeader xmlns='%@'>",
        ServiceConfig::serviceNamespace());
}

std::shared_ptr<NXHTTPRequest> ServiceSOAP::requestWithEnvelope(const NSString& url, const NSString& envelope)
{
    auto request = NXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
    request->setRequestMethod("POST");
    request->addRequestHeader("Content-Type", "text/xml; charset=utf-8");
    request->setPostBody(NSData(envelope.str().begin(), envelope.str().end()));
    return request;
}

NSString ServiceSOAP::responseTextOf(NXHTTPRequest& request)
{
    request.startSynchronous();
    // Judged by this request alone: callbacks of other exchanges that are
    // still queued to the main thread cannot change the outcome.
    if (auto error = request.error()) {
        NX_LOG("%@ failed: %@", request.url(), error->localizedDescription());
        return NSString();
    }
    int status = request.responseStatusCode();
    if (status < 200 || status > 299) {
        NX_LOG("%@ answered with status %d", request.url(), status);
        return NSString();
    }
    NSString text = request.responseString();
    if (text.isNil()) NX_LOG("%@ answered with a body that is not text", request.url());
    return text;
}

NSString ServiceSOAP::resultElement(const NSString& response, const NSString& name)
{
    if (response.isNil()) return NSString();
    NSString text = response.stringByReplacingOccurrencesOfString("&lt;", "<").stringByReplacingOccurrencesOfString("&gt;", ">");
    const std::string& s = text.str();
    std::string open = "<" + name.str() + ">";
    std::string close = "</" + name.str() + ">";
    size_t start = s.find(open);
    if (start == std::string::npos) return NSString();
    start += open.size();
    size_t end = s.find(close, start);
    if (end == std::string::npos) return NSString();
    return NSString(s.substr(start, end - start));
}

NSString ServiceSOAP::redactedForLog(const NSString& text)
{
    if (text.isNil()) return text;
    const std::string& s = text.str();
    std::string out;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t lt = s.find('<', pos);
        if (lt == std::string::npos) break;
        size_t gt = s.find('>', lt);
        if (gt == std::string::npos) break;
        std::string name = s.substr(lt + 1, gt - lt - 1);
        name = name.substr(0, name.find_first_of(" \t\r\n/"));
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        size_t close = std::string::npos;
        if (!name.empty() && s[gt - 1] != '/' && lower.find("pass") != std::string::npos) close = s.find("</" + name + ">", gt);
        if (close == std::string::npos) {
            out.append(s, pos, gt + 1 - pos);
            pos = gt + 1;
        } else {
            out.append(s, pos, gt + 1 - pos).append("***");
            pos = close;
        }
    }
    out.append(s, std::min(pos, s.size()), std::string::npos);
    return NSString(std::move(out));
}
