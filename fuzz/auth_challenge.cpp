// Authentication challenges (Basic, Digest, NTLM) as a 401 or 407 reply brings
// them: the first byte picks the status, each further line is one challenge
// field. Credentials are applied and the same reply is handed back as the
// next challenge.
#include "fuzz/support/FuzzInput.h"
#include "platform/cfnetwork/CFHTTPAuthentication.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    auto response = std::make_shared<CFHTTPMessage>();
    response->statusCode = (data[0] & 1) ? 407 : 401;
    response->version = kCFHTTPVersion1_1;
    response->headerComplete = true;
    const NSString field = response->statusCode == 407 ? "Proxy-Authenticate" : "WWW-Authenticate";
    for (const auto& line : fuzz::Lines(fuzz::Text(data + 1, size - 1))) response->headers.addValue(field, NSString(line));

    auto auth = CFHTTPAuthenticationCreateFromResponse(response);
    if (!auth) return 0;
    (void)CFHTTPAuthenticationCopyMethod(auth);
    (void)CFHTTPAuthenticationCopyRealm(auth);
    (void)CFHTTPAuthenticationRequiresAccountDomain(auth);
    auto request = CFHTTPMessageCreateRequest("GET", NSURL::URLWithString("http://127.0.0.1/dir/index.html?q=1"),
                                              kCFHTTPVersion1_1);
    auto credentials = CFHTTPCredentialsCreate("user", "secret", "DOMAIN");
    CFStreamError error;
    (void)CFHTTPMessageApplyCredentialDictionary(request, auth, credentials, &error);
    CFHTTPAuthenticationUpdateFromResponse(auth, response);
    (void)CFHTTPAuthenticationIsValid(auth, &error);
    (void)CFHTTPMessageApplyCredentialDictionary(request, auth, credentials, &error);
    return 0;
}
