#pragma once
// Credentials kept for servers and proxies: a user name and password per
// protection space (host, port, protocol or proxy type, realm). The store lives
// in memory; one made with a file keeps its permanent credentials there too
// (mode 0600, replaced atomically), and reads them back when it is made.

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "platform/foundation/NSString.h"

enum NSURLCredentialPersistence : long {
    NSURLCredentialPersistenceNone = 0,
    NSURLCredentialPersistenceForSession = 1,
    NSURLCredentialPersistencePermanent = 2,
};

extern const NSString NSURLAuthenticationMethodDefault;
extern const NSString NSURLProtectionSpaceHTTPProxy;

class NSURLCredential : public NSObject {
public:
    static std::shared_ptr<NSURLCredential> credentialWithUser(NSString user, NSString password,
                                                               NSURLCredentialPersistence persistence);
    const NSString& user() const { return user_; }
    const NSString& password() const { return password_; }
    NSURLCredentialPersistence persistence() const { return persistence_; }

    NSURLCredential(NSString user, NSString password, NSURLCredentialPersistence persistence)
        : user_(std::move(user)), password_(std::move(password)), persistence_(persistence) {}

private:
    NSString user_, password_;
    NSURLCredentialPersistence persistence_;
};

class NSURLProtectionSpace : public NSObject {
public:
    // A server's space: host, port, protocol ("http", "https") and realm (may be nil).
    static std::shared_ptr<NSURLProtectionSpace> initWithHost(NSString host, long port, NSString protocol, NSString realm,
                                                              NSString authenticationMethod);
    // A proxy's space: the protocol slot holds the proxy type.
    static std::shared_ptr<NSURLProtectionSpace> initWithProxyHost(NSString host, long port, NSString type, NSString realm,
                                                                   NSString authenticationMethod);
    const NSString& host() const { return host_; }
    long port() const { return port_; }
    const NSString& protocol() const { return protocol_; }
    const NSString& realm() const { return realm_; }
    const NSString& authenticationMethod() const { return method_; }
    bool isProxy() const { return proxy_; }

    NSURLProtectionSpace(NSString host, long port, NSString protocol, NSString realm, NSString method, bool proxy)
        : host_(std::move(host)), port_(port), protocol_(std::move(protocol)), realm_(std::move(realm)), method_(std::move(method)),
          proxy_(proxy) {}

private:
    NSString host_;
    long port_;
    NSString protocol_, realm_, method_;
    bool proxy_;
};

class NSURLCredentialStorage : public NSObject {
public:
    // The process-wide store (in memory unless replaced).
    static std::shared_ptr<NSURLCredentialStorage> sharedCredentialStorage();
    static void setSharedCredentialStorage(std::shared_ptr<NSURLCredentialStorage> storage);
    // A store in memory only.
    static std::shared_ptr<NSURLCredentialStorage> init();
    // A store whose permanent credentials live in the file at `path`.
    static std::shared_ptr<NSURLCredentialStorage> initWithPath(const NSString& path);

    std::shared_ptr<NSURLCredential> defaultCredentialForProtectionSpace(const NSURLProtectionSpace& space) const;
    // Stores the credential as the space's default (a credential with
    // persistence none is not kept).
    void setDefaultCredential(const std::shared_ptr<NSURLCredential>& credential, const NSURLProtectionSpace& space);
    // Removes the space's credential when it is this one (same user).
    void removeCredential(const std::shared_ptr<NSURLCredential>& credential, const NSURLProtectionSpace& space);

private:
    using Key = std::tuple<bool, NSString, long, NSString, NSString, NSString>;
    static Key keyOf(const NSURLProtectionSpace& space);
    void load();
    void save() const;

    mutable std::mutex lock_;
    NSString path_;
    std::map<Key, std::shared_ptr<NSURLCredential>> credentials_;
};
