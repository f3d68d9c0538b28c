#pragma once
// HTTP authentication: an object made from a server's (401) or a proxy's (407)
// challenge that applies a credentials dictionary to a request message, for the
// schemes Basic, Digest (MD5 and SHA-256) and NTLM (version 2 responses; the
// type 1/2/3 exchange runs over one kept-alive connection). The object follows
// the exchange: each later challenge is handed to it, and it tells whether the
// credentials it applied were refused.

#include <map>
#include <memory>

#include "platform/cfnetwork/CFHTTPMessage.h"

extern const NSString kCFHTTPAuthenticationUsername;
extern const NSString kCFHTTPAuthenticationPassword;
extern const NSString kCFHTTPAuthenticationAccountDomain;

extern const NSString kCFHTTPAuthenticationSchemeBasic;   // "Basic"
extern const NSString kCFHTTPAuthenticationSchemeDigest;  // "Digest"
extern const NSString kCFHTTPAuthenticationSchemeNTLM;    // "NTLM"

// Why an authentication object is no longer valid (kCFStreamErrorDomainHTTP).
extern const NSString kCFStreamErrorDomainHTTP;
inline constexpr long kCFStreamErrorHTTPAuthenticationTypeUnsupported = -1000;
inline constexpr long kCFStreamErrorHTTPAuthenticationBadUserName = -1001;
inline constexpr long kCFStreamErrorHTTPAuthenticationBadPassword = -1002;

struct CFStreamError {
    NSString domain;
    long error = 0;
};

// A credentials dictionary: user name, password and, for NTLM, the account
// domain under the keys above. Stores compare these by identity.
using CFHTTPCredentials = std::shared_ptr<const std::map<NSString, NSString>>;

class CFHTTPAuthentication;
using CFHTTPAuthenticationRef = std::shared_ptr<CFHTTPAuthentication>;

// nil when the response carries no challenge of a supported scheme. A 407
// reads "Proxy-Authenticate", anything else "WWW-Authenticate"; with several
// challenges NTLM is preferred to Digest, and Digest to Basic.
CFHTTPAuthenticationRef CFHTTPAuthenticationCreateFromResponse(const CFHTTPMessageRef& response);
// Hands a later challenge of the same exchange to the object: NTLM takes the
// server's type 2 message, Digest a fresh nonce when the old one was stale.
// A challenge that answers applied credentials otherwise marks them refused.
void CFHTTPAuthenticationUpdateFromResponse(const CFHTTPAuthenticationRef& auth, const CFHTTPMessageRef& response);
NSString CFHTTPAuthenticationCopyMethod(const CFHTTPAuthenticationRef& auth);
// nil when the challenge named no realm (NTLM never does).
NSString CFHTTPAuthenticationCopyRealm(const CFHTTPAuthenticationRef& auth);
bool CFHTTPAuthenticationRequiresAccountDomain(const CFHTTPAuthenticationRef& auth);
bool CFHTTPAuthenticationRequiresUserNameAndPassword(const CFHTTPAuthenticationRef& auth);
// NO once the credentials applied with the object were refused, or the
// challenge changed to a scheme the object does not speak; `error` then tells why.
bool CFHTTPAuthenticationIsValid(const CFHTTPAuthenticationRef& auth, CFStreamError* error);
// Sets "Authorization" (or "Proxy-Authorization" for a proxy challenge) on the
// request message. NO when the dictionary lacks a user name or password, or the
// object is no longer valid.
bool CFHTTPMessageApplyCredentialDictionary(const CFHTTPMessageRef& request, const CFHTTPAuthenticationRef& auth,
                                            const CFHTTPCredentials& credentials, CFStreamError* error);

// Makes a credentials dictionary (a nil domain is left out).
CFHTTPCredentials CFHTTPCredentialsCreate(const NSString& username, const NSString& password,
                                          const NSString& domain = NSString());
