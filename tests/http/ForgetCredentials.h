// Empties the session stores (server and proxy) and the credential store, so
// that a later server on the same loopback port receives nothing of an
// earlier test's credentials.
#pragma once

#include "http/NXHTTPRequest.h"

inline void forgetCredentials()
{
    NXHTTPRequest::clearSession();
    for (const auto& e : NXHTTPRequest::sessionProxyCredentialsStore())
        NXHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(e->credentials);
    NSURLCredentialStorage::setSharedCredentialStorage(NSURLCredentialStorage::init());
}
