#pragma once
// URLs, parsed and resolved with libcurl's URL parser. Only absolute URLs with
// a scheme are accepted; a relative reference is resolved against a base URL.

#include <memory>

#include "platform/foundation/NSString.h"

class NSURL : public NSObject {
public:
    // nil when the text is not an absolute URL.
    static std::shared_ptr<NSURL> URLWithString(const NSString& text);
    // Resolves `text` (absolute or relative) against `base`; nil when it cannot.
    static std::shared_ptr<NSURL> URLWithString(const NSString& text, const std::shared_ptr<NSURL>& base);

    const NSString& absoluteString() const { return absolute_; }
    const NSString& scheme() const { return scheme_; }
    // nil when the URL names no host.
    const NSString& host() const { return host_; }
    // The explicit port, 0 when the URL names none.
    long port() const { return port_; }
    const NSString& path() const { return path_; }
    // The query without "?", the user and the password (percent-decoded); nil when absent.
    const NSString& query() const { return query_; }
    const NSString& user() const { return user_; }
    const NSString& password() const { return password_; }
    // The URL without its user and password: what goes on the wire.
    NSString absoluteStringWithoutCredentials() const;
    NSString description() const override { return absolute_; }

    bool operator==(const NSURL& other) const { return absolute_ == other.absolute_; }

    NSURL(NSString absolute, NSString scheme, NSString host, long port, NSString path, NSString query = NSString(),
          NSString user = NSString(), NSString password = NSString())
        : absolute_(std::move(absolute)), scheme_(std::move(scheme)), host_(std::move(host)), port_(port), path_(std::move(path)),
          query_(std::move(query)), user_(std::move(user)), password_(std::move(password)) {}

private:
    NSString absolute_, scheme_, host_;
    long port_ = 0;
    NSString path_;
    NSString query_, user_, password_;
};
