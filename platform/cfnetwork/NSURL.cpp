#include "platform/cfnetwork/NSURL.h"

#include <curl/curl.h>

namespace {

struct UrlHandle {
    CURLU* h = curl_url();
    ~UrlHandle() { curl_url_cleanup(h); }
    NSString part(CURLUPart what, unsigned flags = 0) const
    {
        char* out = nullptr;
        if (curl_url_get(h, what, &out, flags) != CURLUE_OK || !out) return NSString();
        NSString s(out);
        curl_free(out);
        return s;
    }
};

std::shared_ptr<NSURL> fromHandle(const UrlHandle& u)
{
    NSString absolute = u.part(CURLUPART_URL);
    if (absolute.isNil()) return nullptr;
    NSString port = u.part(CURLUPART_PORT);
    return std::make_shared<NSURL>(absolute, u.part(CURLUPART_SCHEME), u.part(CURLUPART_HOST),
                                   port.isNil() ? 0 : port.integerValue(), u.part(CURLUPART_PATH), u.part(CURLUPART_QUERY),
                                   u.part(CURLUPART_USER, CURLU_URLDECODE), u.part(CURLUPART_PASSWORD, CURLU_URLDECODE));
}

constexpr unsigned kParseFlags = CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE;

}  // namespace

std::shared_ptr<NSURL> NSURL::URLWithString(const NSString& text)
{
    if (text.isNil() || text.str().empty()) return nullptr;
    UrlHandle u;
    if (!u.h || curl_url_set(u.h, CURLUPART_URL, text.UTF8String(), kParseFlags) != CURLUE_OK) return nullptr;
    return fromHandle(u);
}

std::shared_ptr<NSURL> NSURL::URLWithString(const NSString& text, const std::shared_ptr<NSURL>& base)
{
    if (!base) return URLWithString(text);
    if (text.isNil()) return nullptr;
    UrlHandle u;
    if (!u.h || curl_url_set(u.h, CURLUPART_URL, base->absoluteString().UTF8String(), kParseFlags) != CURLUE_OK)
        return nullptr;
    // Setting a relative reference on a handle holding a URL resolves it.
    if (curl_url_set(u.h, CURLUPART_URL, text.UTF8String(), kParseFlags) != CURLUE_OK) return nullptr;
    return fromHandle(u);
}

NSString NSURL::absoluteStringWithoutCredentials() const
{
    if (user_.isNil() && password_.isNil()) return absolute_;
    UrlHandle u;
    if (!u.h || curl_url_set(u.h, CURLUPART_URL, absolute_.UTF8String(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) return absolute_;
    curl_url_set(u.h, CURLUPART_USER, nullptr, 0);
    curl_url_set(u.h, CURLUPART_PASSWORD, nullptr, 0);
    NSString stripped = u.part(CURLUPART_URL);
    return stripped.isNil() ? absolute_ : stripped;
}
