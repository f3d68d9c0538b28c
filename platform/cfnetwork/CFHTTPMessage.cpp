#include "platform/cfnetwork/CFHTTPMessage.h"

#include <strings.h>

const NSString kCFHTTPVersion1_0 = "HTTP/1.0";
const NSString kCFHTTPVersion1_1 = "HTTP/1.1";

namespace {

bool sameName(const NSString& a, const NSString& b)
{
    return a.str().size() == b.str().size() && strcasecmp(a.str().c_str(), b.str().c_str()) == 0;
}

// A message carries a handful of fields: room for them at once spares the
// vector's growth steps, each of which moves every field.
void append(std::vector<std::pair<NSString, NSString>>& fields, const NSString& name, const NSString& value)
{
    if (fields.capacity() == 0) fields.reserve(8);
    fields.emplace_back(name, value);
}

}  // namespace

void CFHTTPHeaderFields::setValue(const NSString& name, const NSString& value)
{
    auto it = fields_.begin();
    bool replaced = false;
    while (it != fields_.end()) {
        if (!sameName(it->first, name)) {
            ++it;
        } else if (!replaced && !value.isNil()) {
            it->second = value;
            replaced = true;
            ++it;
        } else {
            it = fields_.erase(it);
        }
    }
    if (!replaced && !value.isNil()) append(fields_, name, value);
}

void CFHTTPHeaderFields::addValue(const NSString& name, const NSString& value)
{
    if (!value.isNil()) append(fields_, name, value);
}

NSString CFHTTPHeaderFields::objectForKey(const NSString& name) const
{
    NSString out;
    for (const auto& [n, v] : fields_) {
        if (!sameName(n, name)) continue;
        out = out.isNil() ? v : NSString(out.str() + ", " + v.str());
    }
    return out;
}

std::vector<NSString> CFHTTPHeaderFields::valuesForKey(const NSString& name) const
{
    std::vector<NSString> out;
    for (const auto& [n, v] : fields_)
        if (sameName(n, name)) out.push_back(v);
    return out;
}

bool CFHTTPHeaderFields::contains(const NSString& name) const
{
    for (const auto& f : fields_)
        if (sameName(f.first, name)) return true;
    return false;
}

CFHTTPMessageRef CFHTTPMessageCreateRequest(const NSString& method, const std::shared_ptr<NSURL>& url,
                                            const NSString& version)
{
    if (method.isNil() || method.str().empty() || !url) return nullptr;
    if (version != kCFHTTPVersion1_0 && version != kCFHTTPVersion1_1) return nullptr;
    NSString scheme = url->scheme().lowercaseString();
    if ((scheme != "http" && scheme != "https") || url->host().isNil()) return nullptr;
    auto m = std::make_shared<CFHTTPMessage>();
    m->isRequest = true;
    m->method = method;
    m->url = url;
    m->version = version;
    return m;
}

void CFHTTPMessageSetHeaderFieldValue(const CFHTTPMessageRef& message, const NSString& name, const NSString& value)
{
    if (message) message->headers.setValue(name, value);
}

NSString CFHTTPMessageCopyHeaderFieldValue(const CFHTTPMessageRef& message, const NSString& name)
{
    return message ? message->headers.objectForKey(name) : NSString();
}

CFHTTPHeaderFields CFHTTPMessageCopyAllHeaderFields(const CFHTTPMessageRef& message)
{
    return message ? message->headers : CFHTTPHeaderFields();
}

bool CFHTTPMessageIsHeaderComplete(const CFHTTPMessageRef& message) { return message && message->headerComplete; }

long CFHTTPMessageGetResponseStatusCode(const CFHTTPMessageRef& message) { return message ? message->statusCode : 0; }

NSString CFHTTPMessageCopyResponseStatusLine(const CFHTTPMessageRef& message)
{
    return message ? message->statusLine : NSString();
}

NSString CFHTTPMessageCopyVersion(const CFHTTPMessageRef& message) { return message ? message->version : NSString(); }
