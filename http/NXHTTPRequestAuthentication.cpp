// Answering a server's (401) or a proxy's (407) challenge: the authentication
// object, credentials from the request, its URL, the session store and the
// credential store, the delegate who supplies them, retries and their limits;
// credentials sent before a challenge; the authentication dialog; proxies
// from a PAC script.

#include "http/NXHTTPRequest.h"
#include "platform/cfnetwork/CFProxySupport.h"
#include "platform/foundation/NSThread.h"

namespace {

// Held while a request looks for credentials after a challenge or hands
// itself to a delegate, so requests that wait for it find in the session
// store what the first one obtained.
std::recursive_mutex gAuthenticationPromptLock;

// Credentials the server already had are sent once more at most (NTLM needs
// that to finish its exchange, Digest for a stale nonce), and no request applies
// credentials more often than this: a wrong password ends in an authentication
// failure however often a delegate supplies it again.
constexpr int kMaxCredentialApplications = 5;

std::shared_ptr<NSURLCredentialStorage> store() { return NSURLCredentialStorage::sharedCredentialStorage(); }

NSString credential(const CFHTTPCredentials& c, const NSString& key)
{
    if (!c) return NSString();
    auto it = c->find(key);
    return it == c->end() ? NSString() : it->second;
}

}  // namespace

// ---- The platform credential store ---------------------------------------------------

void NXHTTPRequest::saveCredentials(const std::shared_ptr<NSURLCredential>& credential, const NSString& host, int port,
                                    const NSString& protocol, const NSString& realm)
{
    store()->setDefaultCredential(credential, *NSURLProtectionSpace::initWithHost(host, port, protocol, realm,
                                                                                  NSURLAuthenticationMethodDefault));
}

void NXHTTPRequest::saveCredentialsForProxy(const std::shared_ptr<NSURLCredential>& credential, const NSString& host, int port,
                                            const NSString& realm)
{
    store()->setDefaultCredential(credential, *NSURLProtectionSpace::initWithProxyHost(host, port, NSURLProtectionSpaceHTTPProxy,
                                                                                       realm, NSURLAuthenticationMethodDefault));
}

std::shared_ptr<NSURLCredential> NXHTTPRequest::savedCredentialsForHost(const NSString& host, int port, const NSString& protocol,
                                                                        const NSString& realm)
{
    return store()->defaultCredentialForProtectionSpace(
        *NSURLProtectionSpace::initWithHost(host, port, protocol, realm, NSURLAuthenticationMethodDefault));
}

std::shared_ptr<NSURLCredential> NXHTTPRequest::savedCredentialsForProxy(const NSString& host, int port, const NSString& realm)
{
    return store()->defaultCredentialForProtectionSpace(*NSURLProtectionSpace::initWithProxyHost(
        host, port, NSURLProtectionSpaceHTTPProxy, realm, NSURLAuthenticationMethodDefault));
}

void NXHTTPRequest::removeCredentialsForHost(const NSString& host, int port, const NSString& protocol, const NSString& realm)
{
    auto space = NSURLProtectionSpace::initWithHost(host, port, protocol, realm, NSURLAuthenticationMethodDefault);
    store()->removeCredential(store()->defaultCredentialForProtectionSpace(*space), *space);
}

void NXHTTPRequest::removeCredentialsForProxy(const NSString& host, int port, const NSString& realm)
{
    auto space = NSURLProtectionSpace::initWithProxyHost(host, port, NSURLProtectionSpaceHTTPProxy, realm,
                                                         NSURLAuthenticationMethodDefault);
    store()->removeCredential(store()->defaultCredentialForProtectionSpace(*space), *space);
}

void NXHTTPRequest::saveCredentialsToKeychain(bool proxy, const CFHTTPCredentials& c) const
{
    NSString user = credential(c, kCFHTTPAuthenticationUsername), password = credential(c, kCFHTTPAuthenticationPassword);
    if (user.isNil() || password.isNil()) return;
    auto saved = NSURLCredential::credentialWithUser(user, password, NSURLCredentialPersistencePermanent);
    if (proxy) saveCredentialsForProxy(saved, proxyHost_, proxyPort_, proxyAuth_.realm);
    else saveCredentials(saved, url_->host(), static_cast<int>(url_->port()), url_->scheme(), serverAuth_.realm);
}

// ---- Credentials before a challenge ----------------------------------------------------

void NXHTTPRequest::applyAuthorizationHeader()
{
    if (!shouldPresentCredentialsBeforeChallenge_) return;
    auto stored = useSessionPersistence_ ? findSessionAuthenticationCredentials() : nullptr;
    if (!username_.isNil() && !password_.isNil() && domain_.isNil() &&
        (!stored || stored->authenticationScheme == kCFHTTPAuthenticationSchemeBasic))
        addBasicAuthenticationHeaderWithUsername(username_, password_);
    if (stored && !requestHeaders_.contains("Authorization")) {
        if (stored->authentication) {
            if (!CFHTTPMessageApplyCredentialDictionary(request_, stored->authentication, stored->credentials, nullptr))
                removeAuthenticationCredentialsFromSessionStore(stored->credentials);
        } else {
            addBasicAuthenticationHeaderWithUsername(credential(stored->credentials, kCFHTTPAuthenticationUsername),
                                                     credential(stored->credentials, kCFHTTPAuthenticationPassword));
        }
    }
    if (!useSessionPersistence_) return;
    if (auto proxy = findSessionProxyAuthenticationCredentials())
        if (!CFHTTPMessageApplyCredentialDictionary(request_, proxy->authentication, proxy->credentials, nullptr))
            removeProxyAuthenticationCredentialsFromSessionStore(proxy->credentials);
}

void NXHTTPRequest::addBasicAuthenticationHeaderWithUsername(const NSString& username, const NSString& password)
{
    std::string pair = username.str() + ":" + password.str();
    addRequestHeader("Authorization", "Basic " + base64forData(NSData(pair.begin(), pair.end())).str());
}

// A response that needed no authentication accepted the request's own user
// name and password: later requests to the same place send them at once.
void NXHTTPRequest::recordAcceptedCredentials()
{
    if (authenticationNeeded_ || serverAuth_.authentication || username_.isNil() || password_.isNil() || !useSessionPersistence_)
        return;
    auto entry = std::make_shared<NXSessionCredentials>();
    entry->credentials = CFHTTPCredentialsCreate(username_, password_);
    entry->url = url_;
    entry->authenticationScheme = kCFHTTPAuthenticationSchemeBasic;
    storeAuthenticationCredentialsInSessionStore(entry);
}

// ---- Finding and applying credentials --------------------------------------------------

CFHTTPCredentials NXHTTPRequest::findCredentials(bool proxy) const
{
    const AuthenticationState& side = proxy ? proxyAuth_ : serverAuth_;
    NSString domain = proxy ? proxyDomain_ : domain_;
    bool needsDomain = CFHTTPAuthenticationRequiresAccountDomain(side.authentication);
    if (needsDomain && domain.isNil()) domain = "";
    NSString user, password;
    auto main = mainRequest();
    const NXHTTPRequest& owner = main ? *main : *this;
    if (!proxy && url_) {
        user = url_->user();
        password = url_->password();
    }
    if (user.isNil() || password.isNil()) {
        NSString u = proxy ? owner.proxyUsername_ : owner.username_, p = proxy ? owner.proxyPassword_ : owner.password_;
        if (!u.isNil() && !p.isNil()) {
            user = u;
            password = p;
        }
    }
    // The proxy's saved credentials are always consulted; the server's only
    // when the request keeps credentials.
    if ((user.isNil() || password.isNil()) && (proxy || useKeychainPersistence_)) {
        auto saved = proxy ? savedCredentialsForProxy(proxyHost_, proxyPort_, side.realm)
                           : savedCredentialsForHost(url_->host(), static_cast<int>(url_->port()), url_->scheme(), side.realm);
        if (saved) {
            user = saved->user();
            password = saved->password();
        }
    }
    if (user.isNil() || password.isNil()) return nullptr;
    return CFHTTPCredentialsCreate(user, password, needsDomain ? domain : NSString());
}

bool NXHTTPRequest::applyCredentials(bool proxy, const CFHTTPCredentials& credentials)
{
    AuthenticationState& side = proxy ? proxyAuth_ : serverAuth_;
    ++side.retryCount;
    if (!credentials || !side.authentication || !request_) return false;
    if (!CFHTTPMessageApplyCredentialDictionary(request_, side.authentication, credentials, nullptr)) {
        if (proxy) removeProxyAuthenticationCredentialsFromSessionStore(credentials);
        else removeAuthenticationCredentialsFromSessionStore(credentials);
        return false;
    }
    if (useKeychainPersistence_) saveCredentialsToKeychain(proxy, credentials);
    if (useSessionPersistence_) {
        auto entry = std::make_shared<NXSessionCredentials>();
        entry->authentication = side.authentication;
        entry->credentials = credentials;
        entry->authenticationScheme = side.scheme;
        if (proxy) {
            entry->host = proxyHost_;
            entry->port = proxyPort_;
            storeProxyAuthenticationCredentialsInSessionStore(entry);
        } else {
            entry->url = url_;
            entry->authenticationRealm = side.realm;
            storeAuthenticationCredentialsInSessionStore(entry);
        }
    }
    side.credentials = credentials;
    return true;
}

// ---- Answering a challenge -------------------------------------------------------------

// Called when a response that asked for credentials has ended: keeps the
// challenge, and lets an authentication object already in use follow it.
void NXHTTPRequest::noteChallenge()
{
    challenge_ = CFReadStreamCopyResponseHeader(readStream_);
    AuthenticationState& side = authenticationNeeded_ == 2 ? proxyAuth_ : serverAuth_;
    if (side.authentication && challenge_) CFHTTPAuthenticationUpdateFromResponse(side.authentication, challenge_);
    if (statusTimer_) statusTimer_->invalidate();
    statusTimer_.reset();
}

void NXHTTPRequest::attemptToApplyCredentialsAndResume() { answerChallenge(authenticationNeeded_ == 2); }

void NXHTTPRequest::failAuthentication()
{
    failWithError(errorWithCode(NXAuthenticationErrorType, "Authentication needed"));
}

void NXHTTPRequest::answerChallenge(bool proxy)
{
    std::lock_guard lock(cancelledLock_);
    if (error_ || cancelled_) return;
    AuthenticationState& side = proxy ? proxyAuth_ : serverAuth_;
    const NSString applyFailed = proxy ? "Failed to apply proxy credentials to request" : "Failed to apply credentials to request";
    auto sessionEntry = [&] { return proxy ? findSessionProxyAuthenticationCredentials() : findSessionAuthenticationCredentials(); };

    if (!side.authentication) {
        side.authentication = CFHTTPAuthenticationCreateFromResponse(challenge_);
        if (!side.authentication) {
            cancelLoad();
            failWithError(errorWithCode(NXInternalErrorWhileApplyingCredentialsType, "Failed to get authentication object from response headers"));
            return;
        }
        side.scheme = CFHTTPAuthenticationCopyMethod(side.authentication);
    }
    side.realm = CFHTTPAuthenticationRequiresAccountDomain(side.authentication) ? NSString()
                                                                                 : CFHTTPAuthenticationCopyRealm(side.authentication);

    CFStreamError why;
    if (CFHTTPAuthenticationIsValid(side.authentication, &why)) {
        cancelLoad();
        if (side.credentials) {
            // The server had these already: once more at most, for every scheme.
            if (side.retryCount > 1) return failAuthentication();
            if (applyCredentials(proxy, side.credentials)) return startRequest();
            return failWithError(errorWithCode(NXInternalErrorWhileApplyingCredentialsType, applyFailed));
        }
        std::lock_guard prompt(gAuthenticationPromptLock);
        if (error_ || cancelled_) return;
        if (side.retryCount >= kMaxCredentialApplications) return failAuthentication();
        if (useSessionPersistence_)
            if (auto entry = sessionEntry(); entry && applyCredentials(proxy, entry->credentials)) return startRequest();
        if (auto found = findCredentials(proxy)) {
            if (applyCredentials(proxy, found)) return startRequest();
            return failWithError(errorWithCode(NXInternalErrorWhileApplyingCredentialsType, applyFailed));
        }
        if (askDelegateForCredentials(proxy) || showAuthenticationDialog(proxy)) return;
        return failAuthentication();
    }

    // Refused: forget the credentials and start a new exchange with whatever
    // else can supply some.
    side.authentication = nullptr;
    if (why.domain == kCFStreamErrorDomainHTTP &&
        (why.error == kCFStreamErrorHTTPAuthenticationBadUserName || why.error == kCFStreamErrorHTTPAuthenticationBadPassword)) {
        std::lock_guard prompt(gAuthenticationPromptLock);
        if (proxy) removeProxyAuthenticationCredentialsFromSessionStore(side.credentials);
        else removeAuthenticationCredentialsFromSessionStore(side.credentials);
        side.credentials = nullptr;
        if (error_ || cancelled_) return;
        side.authentication = CFHTTPAuthenticationCreateFromResponse(challenge_);
        if (side.authentication && side.retryCount < kMaxCredentialApplications) {
            if (useSessionPersistence_)
                if (auto entry = sessionEntry(); entry && applyCredentials(proxy, entry->credentials)) {
                    cancelLoad();
                    return startRequest();
                }
            lastActivityTime_ = 0;
            if (askDelegateForCredentials(proxy) || showAuthenticationDialog(proxy)) return;
        }
    }
    cancelLoad();
    failAuthentication();
}

// ---- Handing the request to someone who can supply credentials --------------------------

bool NXHTTPRequest::askDelegateForCredentials(bool proxy)
{
    auto target = delegate();
    if (!target) target = queue();
    auto answers = [proxy](NSObject* t) {
        if (proxy) {
            auto* d = dynamic_cast<NXHTTPRequestProxyAuthenticationDelegate*>(t);
            return d && d->answersProxyAuthenticationNeeded();
        }
        auto* d = dynamic_cast<NXHTTPRequestAuthenticationDelegate*>(t);
        return d && d->answersAuthenticationNeeded();
    };
    if (!target || !answers(target.get())) return false;
    waitForCredentials();
    auto me = self();
    std::weak_ptr<NSObject> weak = target;
    NSThread::performBlockOnMainThread(
        [me, weak, proxy] {
            auto t = weak.lock();
            if (!t) return me->cancelAuthentication();  // nobody is left to answer
            if (proxy) dynamic_cast<NXHTTPRequestProxyAuthenticationDelegate*>(t.get())->proxyAuthenticationNeededForRequest(me.get());
            else dynamic_cast<NXHTTPRequestAuthenticationDelegate*>(t.get())->authenticationNeededForRequest(me.get());
        },
        NSThread::isMainThread());
    return true;
}

namespace {
std::mutex gPresenterLock;
NXHTTPRequest::AuthenticationDialogPresenter gPresenter;

NXHTTPRequest::AuthenticationDialogPresenter authenticationDialogPresenter()
{
    std::lock_guard<std::mutex> lock(gPresenterLock);
    return gPresenter;
}
}  // namespace

void NXHTTPRequest::setAuthenticationDialogPresenter(AuthenticationDialogPresenter presenter)
{
    std::lock_guard<std::mutex> lock(gPresenterLock);
    gPresenter = presenter;
}

bool NXHTTPRequest::showAuthenticationDialog(bool proxy)
{
    if (!(proxy ? shouldPresentProxyAuthenticationDialog_ : shouldPresentAuthenticationDialog_)) return false;
    // Nobody could ever answer (headless, or no dialog at all): fail at once
    // instead of waiting.
    const auto presenter = authenticationDialogPresenter();
    if (!presenter.present || !presenter.canPresent || !presenter.canPresent()) return false;
    waitForCredentials();
    auto me = self();
    NSThread::performBlockOnMainThread([me, present = presenter.present] { present(me); }, NSThread::isMainThread());
    return true;
}

// The request runs on while it waits (so it can still be cancelled); its run
// loop waits on this source until retryUsingSuppliedCredentials or
// cancelAuthentication comes back.
void NXHTTPRequest::waitForCredentials()
{
    complete_ = false;
    awaitingCredentials_ = true;
    credentialsWait_ = NSRunLoopSource::sourceWithHandler([] {});
    requestRunLoop_->addSource(credentialsWait_, runLoopMode_);
}

void NXHTTPRequest::continueOnRequestThread(std::function<void(NXHTTPRequest&)> step)
{
    auto me = self();
    auto loop = requestRunLoop_;
    if (!loop) return;
    loop->performBlock(
        [me, step = std::move(step)] {
            me->endCredentialsWait();
            step(*me);
        },
        {runLoopMode_});
}

void NXHTTPRequest::endCredentialsWait()
{
    awaitingCredentials_ = false;
    if (credentialsWait_) credentialsWait_->invalidate();
    credentialsWait_.reset();
}

bool NXHTTPRequest::stillAwaitingCredentials()
{
    std::lock_guard lock(cancelledLock_);
    if (awaitingCredentials_ && (error_ || cancelled_)) endCredentialsWait();
    return awaitingCredentials_;
}

void NXHTTPRequest::retryUsingSuppliedCredentials()
{
    continueOnRequestThread([](NXHTTPRequest& r) { r.attemptToApplyCredentialsAndResume(); });
}

void NXHTTPRequest::cancelAuthentication()
{
    continueOnRequestThread([](NXHTTPRequest& r) { r.failAuthentication(); });
}

// ---- Proxies from a PAC script ---------------------------------------------------------

std::optional<std::vector<CFStreamProxy>> NXHTTPRequest::proxiesForURL(const std::shared_ptr<NSURL>& url,
                                                                      const std::shared_ptr<NSURL>& pacURL)
{
    NSString script = CFNetworkCopyAutoConfigurationScript(pacURL);
    if (script.isNil()) return std::vector<CFStreamProxy>{};
    return CFNetworkCopyProxiesForAutoConfigurationScript(script, url, nullptr);
}
