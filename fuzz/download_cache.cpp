// The download cache's store and read back of a response: a 200 reply from a
// loopback server with the input's header fields and body is stored, and a
// cache-first request for the same URL must then be answered from the cache
// with the same body and the same header values, whatever their bytes.
//
// Input: header lines ("Name: value"), then the line "#--", then the body.
#include <strings.h>

#include <cstdlib>
#include <memory>

#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/LoopbackReply.h"
#include "fuzz/support/Sandbox.h"
#include "http/NXDownloadCache.h"
#include "http/NXHTTPRequest.h"

namespace {

std::unique_ptr<fuzz::LoopbackReply> server;
std::unique_ptr<fuzz::Sandbox> sandbox;
std::shared_ptr<NXDownloadCache> cache;
std::shared_ptr<NSURL> url;

std::shared_ptr<NXHTTPRequest> load(int policy)
{
    auto request = NXHTTPRequest::requestWithURL(url, cache, policy);
    request->setShouldRedirect(false);
    request->setShouldAttemptPersistentConnection(false);
    request->setTimeOutSeconds(2);
    request->setUseKeychainPersistence(false);
    request->setUseSessionPersistence(false);
    request->setUseCookiePersistence(false);
    request->startSynchronous();
    return request;
}

// Fields the cache sets itself rather than keeping the server's.
bool rewrittenByTheCache(const NSString& name)
{
    for (const char* own : {"Content-Encoding", "Content-Length", "Cache-Control", "Expires", "X-NXHTTPRequest-Fetch-date"})
        if (strcasecmp(name.str().c_str(), own) == 0) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        unsetenv(name);
    server = std::make_unique<fuzz::LoopbackReply>();
    sandbox = std::make_unique<fuzz::Sandbox>("download-cache");
    cache = NXDownloadCache::init();
    cache->setStoragePath(NSString((sandbox->root() / "cache").string()));
    url = NSURL::URLWithString(NSString("http://127.0.0.1:" + std::to_string(server->port()) + "/image"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto parts = fuzz::Parts(data, size, 2);
    std::string reply = "HTTP/1.1 200 OK\r\n";
    for (std::string line : fuzz::Lines(parts[0])) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) reply += line + "\r\n";  // a blank line would end the fields
    }
    reply += "Connection: close\r\n\r\n";
    reply += parts[1];
    server->setReply(std::move(reply));

    // The last input's entry goes, so that this reply is fetched and stored.
    cache->clearCachedResponsesForStoragePolicy(NXCacheStorageSession);
    auto first = load(NXCachePolicyRevalidate);
    if (!cache->cachedHeadersForRequest(*first)) return 0;
    auto hit = load(NXCachePolicyCacheFirst);
    if (!hit->didUseCachedResponse() || hit->responseData() != first->responseData()) __builtin_trap();
    for (const auto& [name, value] : first->responseHeaders()->fields()) {
        if (rewrittenByTheCache(name) || NSString::stringWithData(NSData(name.str().begin(), name.str().end()),
                                                                  NSUTF8StringEncoding).isNil())
            continue;
        if (hit->responseHeaders()->objectForKey(name).str() != first->responseHeaders()->objectForKey(name).str())
            __builtin_trap();
    }
    return 0;
}
