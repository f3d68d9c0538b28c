#include "http/NXHTTPRequest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/foundation/NSPropertyList.h"
#include "platform/foundation/NSThread.h"
#include "platform/testing/TempFolder.h"
#include "tools/testserver/TestServer.h"

namespace fs = std::filesystem;
using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

std::shared_ptr<NXHTTPRequest> requestFor(const std::string& url)
{
    return NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)));
}

std::string bodyOf(const NXHTTPRequest& r)
{
    auto d = r.responseData();
    return d ? std::string(d->begin(), d->end()) : std::string("<nil>");
}

NSData bytes(const std::string& s) { return NSData(s.begin(), s.end()); }

std::string gzip(const std::string& s)
{
    auto d = *nxhttp::compressData(bytes(s));
    return std::string(d.begin(), d.end());
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
    TempFolder folder;
    fs::path path = folder.path().str();
};

class Recorder : public NSObject, public NXHTTPRequestDelegate {
public:
    std::vector<std::string> events;
    void requestStarted(NXHTTPRequest*) override { events.push_back("started"); }
    void requestReceivedResponseHeaders(NXHTTPRequest*) override { events.push_back("headers"); }
    void requestFinished(NXHTTPRequest*) override { events.push_back("finished"); }
    void requestFailed(NXHTTPRequest* r) override { events.push_back("failed:" + std::to_string(r->error()->code())); }
};

}  // namespace

TEST(NXHTTPRequestRun, GetReadsStatusHeadersAndBody)
{
    Server server([](const Request& req, Connection& c) {
        c.send(200, "hello " + req.path, {{"Content-Type", "text/plain; charset=utf-8"}, {"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}});
    });
    auto r = requestFor(server.url("/x"));
    auto rec = std::make_shared<Recorder>();
    r->setDelegate(rec);
    r->startSynchronous();
    EXPECT_FALSE(r->error());
    EXPECT_EQ(r->responseStatusCode(), 200);
    EXPECT_EQ(r->responseStatusMessage(), "HTTP/1.1 200 OK");
    EXPECT_EQ(r->responseString(), "hello /x");
    EXPECT_EQ(r->contentLength(), 8u);
    EXPECT_EQ(r->responseEncoding(), NSUTF8StringEncoding);
    EXPECT_EQ(r->responseHeaders()->valuesForKey("set-cookie"), (std::vector<NSString>{"a=1", "b=2"}));
    EXPECT_TRUE(r->isFinished());
    EXPECT_FALSE(r->inProgress());
    EXPECT_EQ(rec->events, (std::vector<std::string>{"started", "headers", "finished"}));
    auto sent = server.requests().at(0);
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.headers.get("Accept-Encoding"), "gzip");
    EXPECT_FALSE(sent.headers.has("Content-Length"));
}

TEST(NXHTTPRequestRun, ResponseTextFollowsTheDeclaredOrDefaultEncoding)
{
    struct Case { const char* contentType; std::string body; const char* text; } cases[] = {
        {"text/plain; charset=utf-8", "caf\xc3\xa9", "caf\xc3\xa9"},
        {"text/xml; charset=UTF-8; foo=bar", "\xe4\xb8\xad", "\xe4\xb8\xad"},
        {"text/plain; charset=iso-8859-1", "caf\xe9", "caf\xc3\xa9"},
        {"text/plain", "caf\xe9", "caf\xc3\xa9"},                       // default Latin-1
        {"text/plain; charset=no-such-set", "caf\xe9", "caf\xc3\xa9"},  // unknown: default
    };
    for (const auto& c : cases) {
        Server server([&](const Request&, Connection& conn) { conn.send(200, c.body, {{"Content-Type", c.contentType}}); });
        auto r = requestFor(server.url("/"));
        r->startSynchronous();
        EXPECT_EQ(r->responseString(), c.text) << c.contentType;
    }
    // Invalid UTF-8 under a UTF-8 charset gives nil, not garbage.
    Server server([](const Request&, Connection& c) { c.send(200, "\xff\xfe", {{"Content-Type", "text/plain; charset=utf-8"}}); });
    auto r = requestFor(server.url("/"));
    r->startSynchronous();
    EXPECT_TRUE(r->responseString().isNil());
}

TEST(NXHTTPRequestRun, PostSendsBodyAndMethodRules)
{
    Server server([](const Request& req, Connection& c) { c.send(200, req.method + ":" + req.body); });
    struct Case { const char* method; std::string body; const char* sentMethod; bool hasLength; } cases[] = {
        {"GET", "a=1&b=2", "POST", true},
        {"POST", std::string(3 << 20, 'p'), "POST", true},
        {"PUT", "put-body", "PUT", true},
        {"GET", "", "GET", false},
    };
    size_t i = 0;
    for (const auto& c : cases) {
        auto r = requestFor(server.url("/post"));
        r->setRequestMethod(c.method);
        if (!c.body.empty()) r->appendPostData(bytes(c.body));
        r->startSynchronous();
        ASSERT_FALSE(r->error()) << r->error()->localizedDescription();
        EXPECT_EQ(r->requestMethod(), c.sentMethod);
        EXPECT_EQ(bodyOf(*r), std::string(c.sentMethod) + ":" + c.body);
        auto sent = server.requests().at(i++);
        EXPECT_EQ(sent.headers.has("Content-Length"), c.hasLength);
        EXPECT_FALSE(sent.chunked);
        EXPECT_FALSE(sent.headers.has("Expect"));
    }
}

TEST(NXHTTPRequestRun, CompressedBodiesBothWays)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/echo") return (void)c.send(200, req.body, {{"X-Encoding", req.headers.get("Content-Encoding").value_or("")}});
        if (req.path == "/gz") return (void)c.send(200, gzip("compressed reply"), {{"Content-Encoding", "gzip"}});
        std::string gz = gzip(std::string(100000, 'z'));
        if (req.path == "/cut") return (void)c.send(200, gz.substr(0, gz.size() / 2), {{"Content-Encoding", "gzip"}});
        c.send(200, "garbage that is not gzip", {{"Content-Encoding", "gzip"}});
    });
    auto gz = requestFor(server.url("/gz"));
    gz->startSynchronous();
    EXPECT_EQ(bodyOf(*gz), "compressed reply");
    EXPECT_TRUE(gz->isResponseCompressed());
    for (const char* path : {"/cut", "/junk"}) {
        auto r = requestFor(server.url(path));
        r->startSynchronous();
        EXPECT_FALSE(r->error()) << path;
        EXPECT_FALSE(r->responseData()) << path;
        EXPECT_TRUE(r->responseString().isNil()) << path;
    }
    auto up = requestFor(server.url("/echo"));
    up->setShouldCompressRequestBody(true);
    up->appendPostData(bytes("squeeze me"));
    up->startSynchronous();
    EXPECT_EQ(up->responseHeaders()->objectForKey("X-Encoding"), "gzip");
    auto echoed = nxhttp::uncompressZippedData(*up->rawResponseData());
    ASSERT_TRUE(echoed);
    EXPECT_EQ(std::string(echoed->begin(), echoed->end()), "squeeze me");
}

TEST(NXHTTPRequestRun, ChunkedHeadAndErrorStatuses)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/chunked") {
            testserver::Response resp;
            resp.body = std::string(70000, 'c') + "end";
            resp.chunked = true;
            resp.chunkSize = 1000;
            return (void)c.send(resp);
        }
        if (req.path == "/missing") return (void)c.send(404, "not here");
        c.send(200, req.method == "HEAD" ? "" : "body", {{"Content-Length", "4"}});
    });
    auto chunked = requestFor(server.url("/chunked"));
    chunked->startSynchronous();
    EXPECT_EQ(bodyOf(*chunked), std::string(70000, 'c') + "end");
    auto missing = requestFor(server.url("/missing"));
    missing->startSynchronous();
    EXPECT_FALSE(missing->error());
    EXPECT_EQ(missing->responseStatusCode(), 404);
    EXPECT_EQ(bodyOf(*missing), "not here");
    auto head = requestFor(server.url("/head"));
    head->setRequestMethod("HEAD");
    head->startSynchronous();
    EXPECT_FALSE(head->error());
    EXPECT_EQ(head->responseStatusCode(), 200);
    EXPECT_EQ(bodyOf(*head), "");
    EXPECT_EQ(server.requests().back().method, "HEAD");
}

TEST(NXHTTPRequestRun, AReplyOpeningWithAFoldedLineAfterAnEarlierRequest)
{
    // A continuation line right after the status line has no field of its
    // reply to join: nothing of the earlier request's header lines may be
    // reached for it.
    Server server([](const Request& req, Connection& c) {
        c.write(req.path == "/folded"
                    ? "HTTP/1.1 401 Unauthorized\r\x0bWWW-Authenticate: Digest realm=\"d\", nonce=\r\n UConte\t-T pet:\r\n"
                      "Content-Length: 2\r\n\r\nno"
                    : "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\nSet-Cookie: a=1\r\n\r\nok");
        c.flush();
    });
    for (const char* path : {"/plain", "/folded", "/plain"}) {
        SCOPED_TRACE(path);
        auto r = requestFor(server.url(path));
        r->setShouldAttemptPersistentConnection(false);
        r->setUsername("user");
        r->setPassword("secret");
        r->setTimeOutSeconds(5);
        r->startSynchronous();
        if (std::string(path) == "/folded") continue;  // refused or read: either is sound
        ASSERT_FALSE(r->error());
        EXPECT_EQ(bodyOf(*r), "ok");
    }
}

TEST(NXHTTPRequestRun, RedirectsFollowTheStatusRules)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path.rfind("/hop/", 0) == 0) {
            int n = std::stoi(req.path.substr(5));
            if (n > 0) return (void)c.send(302, "", {{"Location", "/hop/" + std::to_string(n - 1)}});
            return (void)c.send(200, "landed");
        }
        if (req.path == "/s302") return (void)c.send(302, "", {{"Location", "next?q=1"}});
        if (req.path == "/s303") return (void)c.send(303, "", {{"Location", "/next"}});
        if (req.path == "/s301") return (void)c.send(301, "", {{"Location", "/next"}});
        if (req.path == "/s307") return (void)c.send(307, "", {{"Location", "/next"}});
        c.send(200, req.method + " " + req.target + " " + req.body + " " + req.headers.get("X-Custom").value_or("-"));
    });
    struct Case { const char* path; const char* reply; } cases[] = {
        {"/s302", "GET /next?q=1  -"}, {"/s303", "GET /next  -"}, {"/s301", "GET /next  -"}, {"/s307", "POST /next data yes"},
    };
    for (const auto& c : cases) {
        auto r = requestFor(server.url(c.path));
        r->addRequestHeader("X-Custom", "yes");
        r->appendPostData(bytes("data"));
        r->startSynchronous();
        EXPECT_FALSE(r->error()) << c.path;
        EXPECT_EQ(bodyOf(*r), c.reply) << c.path;
        EXPECT_EQ(r->redirectCount(), 1) << c.path;
        EXPECT_EQ(r->originalURL()->absoluteString(), NSString(server.url(c.path))) << c.path;
    }
    auto five = requestFor(server.url("/hop/5"));
    five->startSynchronous();
    EXPECT_FALSE(five->error());
    EXPECT_EQ(bodyOf(*five), "landed");
    auto six = requestFor(server.url("/hop/6"));
    auto rec = std::make_shared<Recorder>();
    six->setDelegate(rec);
    six->startSynchronous();
    ASSERT_TRUE(six->error());
    EXPECT_EQ(six->error()->code(), NXTooMuchRedirectionErrorType);
    EXPECT_EQ(rec->events.back(), "failed:9");
    auto off = requestFor(server.url("/hop/1"));
    off->setShouldRedirect(false);
    off->startSynchronous();
    EXPECT_EQ(off->responseStatusCode(), 302);
}

TEST(NXHTTPRequestRun, CredentialsAndCookiesStayWithTheirOrigin)
{
    Server other([](const Request& req, Connection& c) {
        c.send(200, req.headers.get("Authorization").value_or("none") + "|" + req.headers.get("Cookie").value_or("none"));
    });
    Server first([&](const Request& req, Connection& c) {
        if (req.path == "/away") return (void)c.send(302, "", {{"Location", other.url("/landing")}});
        if (req.path == "/home") return (void)c.send(200, req.headers.get("Authorization").value_or("none"));
        c.send(302, "", {{"Location", "/home"}});
    });
    auto away = requestFor(first.url("/away"));
    away->setUsername("user");
    away->setPassword("secret");
    away->setRequestCookies({NSHTTPCookie::cookieWithName("sid", "42")});
    away->startSynchronous();
    EXPECT_EQ(bodyOf(*away), "none|none");
    EXPECT_EQ(first.requests().at(0).headers.get("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
    EXPECT_EQ(first.requests().at(0).headers.get("Cookie"), "sid=42");
    auto same = requestFor(first.url("/stay"));
    same->setUsername("user");
    same->setPassword("secret");
    same->startSynchronous();
    EXPECT_EQ(bodyOf(*same), "Basic dXNlcjpzZWNyZXQ=");
}

TEST(NXHTTPRequestRun, StalledServerTimesOutAndRefusedConnectionFails)
{
    Server server([](const Request&, Connection& c) { c.stall(); });
    auto stalled = requestFor(server.url("/stall"));
    stalled->setTimeOutSeconds(0.5);
    auto rec = std::make_shared<Recorder>();
    stalled->setDelegate(rec);
    stalled->startSynchronous();
    ASSERT_TRUE(stalled->error());
    EXPECT_EQ(stalled->error()->code(), NXRequestTimedOutErrorType);
    EXPECT_EQ(stalled->error()->localizedDescription(), "The request timed out");
    EXPECT_TRUE(stalled->responseString().isNil());
    EXPECT_EQ(rec->events.back(), "failed:2");

    auto retried = requestFor(server.url("/stall"));
    retried->setTimeOutSeconds(0.3);
    retried->setNumberOfTimesToRetryOnTimeout(2);
    retried->startSynchronous();
    EXPECT_EQ(retried->error()->code(), NXRequestTimedOutErrorType);
    EXPECT_EQ(retried->retryCount(), 2);
    EXPECT_TRUE(server.waitForRequests(4));

    auto refused = requestFor("http://127.0.0.1:" + std::to_string(Server::refusedPort()) + "/");
    refused->startSynchronous();
    ASSERT_TRUE(refused->error());
    EXPECT_EQ(refused->error()->code(), NXConnectionFailureErrorType);
    EXPECT_EQ(refused->error()->localizedDescription(), "A connection failure occurred");
    EXPECT_TRUE(refused->error()->underlyingError);
    server.stop();
}

TEST(NXHTTPRequestRun, BadURLsFailWithCodeFive)
{
    for (auto url : {std::shared_ptr<NSURL>(), NSURL::URLWithString("ftp://127.0.0.1/file")}) {
        auto r = NXHTTPRequest::requestWithURL(url);
        r->startSynchronous();
        ASSERT_TRUE(r->error());
        EXPECT_EQ(r->error()->code(), NXUnableToCreateRequestErrorType);
    }
}

TEST(NXHTTPRequestRun, LargeBodiesToMemoryAndToAFile)
{
    std::string big(6 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7919 % 251);
    Server server([&](const Request& req, Connection& c) {
        if (req.path == "/gz") return (void)c.send(200, gzip(big), {{"Content-Encoding", "gzip"}});
        if (req.path == "/cut") {
            c.write("HTTP/1.1 200 OK\r\nContent-Length: 9999999\r\n\r\npartial");
            return c.close();
        }
        c.send(200, big);
    });
    auto mem = requestFor(server.url("/big"));
    mem->startSynchronous();
    EXPECT_EQ(mem->totalBytesRead(), big.size());
    EXPECT_TRUE(bodyOf(*mem) == big);

    TempDir dir;
    fs::path dest = dir.path / "out.bin";
    for (const char* path : {"/big", "/gz"}) {
        auto file = requestFor(server.url(path));
        file->setDownloadDestinationPath(NSString(dest.string()));
        file->startSynchronous();
        ASSERT_FALSE(file->error()) << file->error()->localizedDescription();
        EXPECT_FALSE(file->rawResponseData());
        EXPECT_TRUE(readFile(dest) == big) << path;
    }
    // A failed download leaves an existing destination as it was, and no temporary file.
    std::ofstream(dest, std::ios::binary) << "keep me";
    auto failed = requestFor(server.url("/cut"));
    failed->setDownloadDestinationPath(NSString(dest.string()));
    failed->startSynchronous();
    ASSERT_TRUE(failed->error());
    EXPECT_EQ(readFile(dest), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(NXHTTPRequestRun, CancelFromAnotherThread)
{
    Server server([](const Request&, Connection& c) { c.stall(); });
    auto r = requestFor(server.url("/slow"));
    auto rec = std::make_shared<Recorder>();
    r->setDelegate(rec);
    std::thread canceller([&] {
        server.waitForRequests(1);
        r->cancel();
    });
    r->startSynchronous();
    canceller.join();
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code(), NXRequestCancelledErrorType);
    EXPECT_TRUE(r->isCancelled());
    EXPECT_EQ(rec->events.back(), "failed:4");
    // A cancelled request returns at once when started again.
    r->startSynchronous();
    EXPECT_EQ(r->error()->code(), NXRequestCancelledErrorType);
    server.stop();
}

TEST(NXHTTPRequestRun, ConcurrentRequestsKeepTheirOwnOutcome)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/bad") return c.close();
        c.send(200, "ok");
    });
    std::shared_ptr<NXHTTPRequest> good, bad;
    std::thread worker([&] {
        bad = requestFor(server.url("/bad"));
        bad->startSynchronous();
    });
    good = requestFor(server.url("/good"));
    good->startSynchronous();
    worker.join();
    EXPECT_FALSE(good->error());
    EXPECT_EQ(bodyOf(*good), "ok");
    ASSERT_TRUE(bad->error());
    EXPECT_EQ(bad->error()->code(), NXConnectionFailureErrorType);
    NSRunLoop::currentRunLoop()->runUntil([] { return false; }, 0.05);  // drain queued main-thread callbacks
}

TEST(NXHTTPRequestRun, KeepAliveReusesOneConnection)
{
    Server server([](const Request& req, Connection& c) { c.send(200, req.path); });
    for (int i = 0; i < 3; ++i) {
        auto r = requestFor(server.url("/k" + std::to_string(i)));
        r->startSynchronous();
        EXPECT_EQ(bodyOf(*r), "/k" + std::to_string(i));
    }
    EXPECT_EQ(server.connectionsAccepted(), 1u);
    auto fresh = requestFor(server.url("/fresh"));
    fresh->setShouldAttemptPersistentConnection(false);
    fresh->startSynchronous();
    EXPECT_EQ(server.connectionsAccepted(), 2u);
}

TEST(NXHTTPRequestBuild, HeadersBodyAndCopies)
{
    auto r = requestFor("http://127.0.0.1:1/");
    r->setRequestCookies({NSHTTPCookie::cookieWithName("a", "1"), NSHTTPCookie::cookieWithName("b", "2")});
    r->buildRequestHeaders();
    EXPECT_EQ(r->requestHeaders().objectForKey("Cookie"), "a=1; b=2");
    EXPECT_EQ(r->requestHeaders().objectForKey("accept-encoding"), "gzip");

    auto empty = requestFor("http://127.0.0.1:1/");
    empty->appendPostData({});
    empty->buildPostBody();
    EXPECT_EQ(empty->requestMethod(), "GET");
    EXPECT_FALSE(empty->requestHeaders().contains("Content-Length"));

    auto orig = requestFor("http://127.0.0.1:1/");
    auto rec = std::make_shared<Recorder>();
    orig->setDelegate(rec);
    orig->setCallback(7);
    orig->appendPostData(bytes("abc"));
    auto copy = orig->copy();
    orig->appendPostData(bytes("def"));
    EXPECT_EQ(*copy->postBody(), bytes("abc"));
    EXPECT_EQ(copy->delegate(), rec);
    EXPECT_EQ(copy->callback(), 0);
    EXPECT_EQ(copy->didFailSelector().name, "requestFailed:");

    EXPECT_EQ(NXHTTPRequest::parseContentLength("12345678901"), 12345678901ull);
    for (const char* bad : {"", "-1", "12x", "0x10", "99999999999999999999999"})
        EXPECT_FALSE(NXHTTPRequest::parseContentLength(bad)) << bad;
    EXPECT_TRUE(requestFor("x").get() && !requestFor("x")->url());
}

TEST(NXHTTPRequestBuild, DefaultUserAgentFollowsTheMainBundle)
{
    TempDir dir;
    const auto folderNamed = [&](const char* name, std::optional<std::map<NSString, NSString>> info) {
        fs::create_directories(dir.path / name);
        if (info) {
            EXPECT_TRUE(PlistValue(*info).writeToFile(NSString((dir.path / name / "Info.plist").string()), true));
        }
        return (dir.path / name).string();
    };
    const std::string alpha = folderNamed("alpha", {{{"CFBundleName", "Alpha"}, {"CFBundleVersion", "1"}}});
    const std::string beta = folderNamed("beta", {{{"CFBundleName", "Beta"}, {"CFBundleVersion", "2"}}});
    const std::string bare = folderNamed("bare", std::nullopt);
    const char* before = getenv("NX_RESOURCE_DIR");
    const std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;

    const auto agentIn = [](const std::string& folder) {
        setenv("NX_RESOURCE_DIR", folder.c_str(), 1);
        auto r = requestFor("http://127.0.0.1:1/");
        r->buildRequestHeaders();
        EXPECT_EQ(r->requestHeaders().objectForKey("User-Agent"), NXHTTPRequest::defaultUserAgentString());
        return NXHTTPRequest::defaultUserAgentString();
    };
    // Asked again and again, and after the bundle changed and came back.
    for (const auto& [folder, prefix] : std::vector<std::pair<std::string, const char*>>{
             {alpha, "Alpha 1 ("}, {alpha, "Alpha 1 ("}, {beta, "Beta 2 ("}, {alpha, "Alpha 1 ("}}) {
        NSString agent = agentIn(folder);
        EXPECT_TRUE(agent.hasPrefix(prefix)) << agent;
    }
    EXPECT_TRUE(agentIn(bare).isNil());

    if (saved) setenv("NX_RESOURCE_DIR", saved->c_str(), 1);
    else unsetenv("NX_RESOURCE_DIR");
}

// Work in flight on the request thread as the process exits finishes before
// the state it reads is destroyed: a connection the far end closes just then
// must not wake the thread into freed memory.
TEST(NXHTTPRequestThreadDeathTest, ExitWaitsForTheRequestThreadsWorkInFlight)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<bool> started{false};
            NXHTTPRequest::threadForRequest(nullptr)->performBlock([&started] {
                started = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                if (NSRunLoop::currentRunLoop()->currentMode().isEqualToString(NSDefaultRunLoopMode))
                    std::fputs("finished with its state intact\n", stderr);
            });
            while (!started) std::this_thread::yield();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "finished with its state intact");
}
