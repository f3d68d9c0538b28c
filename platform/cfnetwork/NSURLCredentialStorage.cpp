#include "platform/cfnetwork/NSURLCredentialStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/NSPropertyList.h"

const NSString NSURLAuthenticationMethodDefault = "NSURLAuthenticationMethodDefault";
const NSString NSURLProtectionSpaceHTTPProxy = "NSURLProtectionSpaceHTTPProxy";

namespace {

std::mutex gSharedLock;
std::shared_ptr<NSURLCredentialStorage> gShared;

// Writes the bytes to a new file readable by the owner only, then renames it
// over the old one: a reader sees the old or the new store, never a part.
bool writePrivately(const NSData& data, const NSString& path)
{
    std::string tmp = path.str() + ".tmp-" + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    fchmod(fd, 0600);  // an old leftover keeps its mode otherwise
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == data.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(tmp.c_str(), path.str().c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<NSURLCredential> NSURLCredential::credentialWithUser(NSString user, NSString password,
                                                                     NSURLCredentialPersistence persistence)
{
    return std::make_shared<NSURLCredential>(std::move(user), std::move(password), persistence);
}

std::shared_ptr<NSURLProtectionSpace> NSURLProtectionSpace::initWithHost(NSString host, long port, NSString protocol, NSString realm,
                                                                         NSString method)
{
    return std::make_shared<NSURLProtectionSpace>(std::move(host), port, std::move(protocol), std::move(realm), std::move(method), false);
}

std::shared_ptr<NSURLProtectionSpace> NSURLProtectionSpace::initWithProxyHost(NSString host, long port, NSString type, NSString realm,
                                                                              NSString method)
{
    return std::make_shared<NSURLProtectionSpace>(std::move(host), port, std::move(type), std::move(realm), std::move(method), true);
}

std::shared_ptr<NSURLCredentialStorage> NSURLCredentialStorage::sharedCredentialStorage()
{
    std::lock_guard guard(gSharedLock);
    if (!gShared) gShared = init();
    return gShared;
}

void NSURLCredentialStorage::setSharedCredentialStorage(std::shared_ptr<NSURLCredentialStorage> storage)
{
    std::lock_guard guard(gSharedLock);
    gShared = std::move(storage);
}

std::shared_ptr<NSURLCredentialStorage> NSURLCredentialStorage::init() { return std::make_shared<NSURLCredentialStorage>(); }

std::shared_ptr<NSURLCredentialStorage> NSURLCredentialStorage::initWithPath(const NSString& path)
{
    auto s = init();
    s->path_ = path;
    s->load();
    return s;
}

NSURLCredentialStorage::Key NSURLCredentialStorage::keyOf(const NSURLProtectionSpace& space)
{
    return {space.isProxy(), space.host().lowercaseString(), space.port(), space.protocol(), space.realm(), space.authenticationMethod()};
}

std::shared_ptr<NSURLCredential> NSURLCredentialStorage::defaultCredentialForProtectionSpace(const NSURLProtectionSpace& space) const
{
    std::lock_guard guard(lock_);
    auto it = credentials_.find(keyOf(space));
    return it == credentials_.end() ? nullptr : it->second;
}

void NSURLCredentialStorage::setDefaultCredential(const std::shared_ptr<NSURLCredential>& credential, const NSURLProtectionSpace& space)
{
    if (!credential || credential->persistence() == NSURLCredentialPersistenceNone) return;
    std::lock_guard guard(lock_);
    credentials_[keyOf(space)] = credential;
    if (credential->persistence() == NSURLCredentialPersistencePermanent) save();
}

void NSURLCredentialStorage::removeCredential(const std::shared_ptr<NSURLCredential>& credential, const NSURLProtectionSpace& space)
{
    if (!credential) return;
    std::lock_guard guard(lock_);
    auto it = credentials_.find(keyOf(space));
    if (it == credentials_.end() || it->second->user() != credential->user()) return;
    bool permanent = it->second->persistence() == NSURLCredentialPersistencePermanent;
    credentials_.erase(it);
    if (permanent) save();
}

// The file: an array of dictionaries, one per permanent credential.
void NSURLCredentialStorage::save() const
{
    if (path_.isNil()) return;
    PlistValue::Array entries;
    for (const auto& [key, cred] : credentials_) {
        if (cred->persistence() != NSURLCredentialPersistencePermanent) continue;
        const auto& [proxy, host, port, protocol, realm, method] = key;
        PlistValue::Dictionary d{{"proxy", proxy}, {"port", port}};
        for (auto [name, value] : {std::pair{"host", &host}, {"protocol", &protocol}, {"realm", &realm}, {"method", &method},
                                   {"user", &cred->user()}, {"password", &cred->password()}})
            if (!value->isNil()) d[name] = *value;
        entries.emplace_back(std::move(d));
    }
    writePrivately(PlistValue(std::move(entries)).xmlData(), path_);
}

void NSURLCredentialStorage::load()
{
    PlistValue file = PlistValue::arrayWithContentsOfFile(path_);
    if (!file.array()) return;
    for (const auto& entry : *file.array()) {
        auto text = [&](const char* name) {
            PlistValue v = entry.objectForKey(name);
            return v.string() ? *v.string() : NSString();
        };
        PlistValue proxyValue = entry.objectForKey("proxy"), portValue = entry.objectForKey("port");
        const bool* proxy = proxyValue.boolean();
        const long long* port = portValue.integer();
        if (!proxy || !port || text("user").isNil() || text("password").isNil()) continue;
        credentials_[Key{*proxy, text("host"), static_cast<long>(*port), text("protocol"), text("realm"), text("method")}] =
            NSURLCredential::credentialWithUser(text("user"), text("password"), NSURLCredentialPersistencePermanent);
    }
}
