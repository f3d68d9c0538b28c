// The request engine's handling of a whole reply from the network: status
// line and header fields, framing, compression, text encoding, cookies and
// authentication challenges. The reply comes from a loopback server; the
// request never follows a redirect, so nothing leaves 127.0.0.1.
#include <cstdlib>
#include <memory>

#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/LoopbackReply.h"
#include "http/NXHTTPRequest.h"

namespace {

std::unique_ptr<fuzz::LoopbackReply> server;
std::shared_ptr<NSURL> url;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        unsetenv(name);
    server = std::make_unique<fuzz::LoopbackReply>();
    url = NSURL::URLWithString(NSString("http://127.0.0.1:" + std::to_string(server->port()) + "/reply"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    server->setReply(fuzz::Text(data, size));
    auto request = NXHTTPRequest::requestWithURL(url);
    request->setShouldRedirect(false);
    request->setShouldAttemptPersistentConnection(false);
    request->setTimeOutSeconds(2);
    request->setUseKeychainPersistence(false);
    request->setUseSessionPersistence(false);
    // The reply's cookies are still read; keeping them would grow the
    // process-wide store over a long run (the cookies harness fuzzes the store).
    request->setUseCookiePersistence(false);
    request->setUsername("user");
    request->setPassword("secret");
    request->startSynchronous();
    (void)request->responseStatusCode();
    (void)request->responseString();
    for (const auto& cookie : request->responseCookies()) (void)cookie->matchesURL(*url);
    return 0;
}
