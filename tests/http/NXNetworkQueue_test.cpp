#include "http/NXNetworkQueue.h"

#include <gtest/gtest.h>

#include "tests/http/ForgetCredentials.h"
#include "tools/testserver/AuthenticatingProxy.h"
#include "tools/testserver/TestServer.h"

using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

class QueueDelegate : public NSObject {
public:
    std::vector<std::string> events;
    void record(const char* what, const id& object)
    {
        auto r = std::dynamic_pointer_cast<NXHTTPRequest>(object);
        events.push_back(std::string(what) + (r ? " " + r->url()->path().str() : ""));
    }
    void started(const id& o) { record("started", o); }
    void headers(const id& o) { record("headers", o); }
    void finished(const id& o) { record("finished", o); }
    void failed(const id& o) { record("failed", o); }
    void queueDone(const id& o) { record("queue done", o); }
    size_t count(const std::string& prefix) const
    {
        return std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    }
};

class Progress : public NSObject, public NXProgressDelegate {
public:
    float last = -1;
    void setProgress(float f) override { last = f; }
};

std::shared_ptr<NXNetworkQueue> configuredQueue(const std::shared_ptr<QueueDelegate>& d)
{
    auto q = NXNetworkQueue::queue();
    q->setDelegate(d);
    q->setRequestDidStartSelector(NX_SEL(QueueDelegate, started));
    q->setRequestDidReceiveResponseHeadersSelector(NX_SEL(QueueDelegate, headers));
    q->setRequestDidFinishSelector(NX_SEL(QueueDelegate, finished));
    q->setRequestDidFailSelector(NX_SEL(QueueDelegate, failed));
    q->setQueueDidFinishSelector(NX_SEL(QueueDelegate, queueDone));
    return q;
}

std::shared_ptr<NXHTTPRequest> requestFor(const std::string& url)
{
    return NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)));
}

// Bodies of a size named by the path ("/1000"); HEAD gets the length alone.
void sizedBodies(const Request& req, Connection& c)
{
    std::string body(std::stoul(req.path.substr(1)), 'b');
    if (req.method == "HEAD") {
        testserver::Response head;
        head.headers.add("Content-Length", std::to_string(body.size()));
        c.send(head);
    } else {
        c.send(200, body);
    }
}

bool pumpUntil(const std::function<bool()>& done) { return NSRunLoop::mainRunLoop()->runUntil(done, 10.0); }

}  // namespace

TEST(NXNetworkQueue, AcceptsOnlyRequests)
{
    auto q = NXNetworkQueue::queue();
    EXPECT_TRUE(q->isSuspended());
    EXPECT_EQ(q->maxConcurrentOperationCount(), 4);
    EXPECT_TRUE(q->shouldCancelAllRequestsOnFailure());
    try {
        q->addOperation(std::make_shared<NSOperation>());
        FAIL() << "no exception";
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), "AttemptToAddInvalidRequest");
        EXPECT_EQ(e.reason(), "Attempted to add an object that was not an NXHTTPRequest to an NXNetworkQueue");
    }
    EXPECT_EQ(q->requestsCount(), 0);
    EXPECT_EQ(q->operationCount(), 0u);
}

TEST(NXNetworkQueue, RunsAfterGoAndReportsEveryRequestAndTheEnd)
{
    Server server(sizedBodies);
    auto d = std::make_shared<QueueDelegate>();
    auto q = configuredQueue(d);
    for (const char* path : {"/10", "/20", "/30"}) q->addOperation(requestFor(server.url(path)));
    EXPECT_EQ(q->totalBytesToDownload(), 3u);  // one unit per request
    EXPECT_EQ(q->totalBytesToUpload(), 3u);
    EXPECT_EQ(q->requestsCount(), 3);
    EXPECT_EQ(server.requestsServed(), 0u);  // suspended until go

    q->go();
    ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; }));
    EXPECT_EQ(d->count("started"), 3u);
    EXPECT_EQ(d->count("headers"), 3u);
    EXPECT_EQ(d->count("finished"), 3u);
    EXPECT_EQ(d->events.back(), "queue done");
    EXPECT_EQ(q->requestsCount(), 0);
    EXPECT_EQ(q->bytesDownloadedSoFar(), 3u);
}

TEST(NXNetworkQueue, OneFailureCancelsTheRest)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/fail") c.close();  // no answer at all
        else c.stall();
    });
    auto d = std::make_shared<QueueDelegate>();
    auto q = configuredQueue(d);
    auto slow1 = requestFor(server.url("/slow1"));
    auto slow2 = requestFor(server.url("/slow2"));
    q->addOperation(slow1);
    q->addOperation(slow2);
    q->go();
    ASSERT_TRUE(server.waitForRequests(2, std::chrono::seconds(5)));
    q->addOperation(requestFor(server.url("/fail")));

    ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; }));
    EXPECT_EQ(d->count("failed"), 3u);
    EXPECT_EQ(d->count("finished"), 0u);
    EXPECT_EQ(d->events.back(), "queue done");
    EXPECT_EQ(slow1->error()->code(), NXRequestCancelledErrorType);
    EXPECT_EQ(slow2->error()->code(), NXRequestCancelledErrorType);
    EXPECT_EQ(q->totalBytesToDownload(), 0u);  // the cancel zeroes the counters
    EXPECT_TRUE(pumpUntil([&] { return q->operationCount() == 0; }));
}

TEST(NXNetworkQueue, WithoutCancelOnFailureTheOthersFinish)
{
    Server server([](const Request& req, Connection& c) {
        if (req.path == "/fail") c.close();
        else c.send(200, "fine");
    });
    auto d = std::make_shared<QueueDelegate>();
    auto q = configuredQueue(d);
    q->setShouldCancelAllRequestsOnFailure(false);
    for (const char* path : {"/fail", "/a", "/b"}) q->addOperation(requestFor(server.url(path)));
    q->go();
    ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; }));
    EXPECT_EQ(d->count("failed /fail"), 1u);
    EXPECT_EQ(d->count("finished"), 2u);
}

TEST(NXNetworkQueue, AccurateProgressAsksForSizesFirst)
{
    Server server(sizedBodies);
    auto d = std::make_shared<QueueDelegate>();
    auto progress = std::make_shared<Progress>();
    auto q = configuredQueue(d);
    q->setShowAccurateProgress(true);
    q->setDownloadProgressDelegate(progress);
    EXPECT_EQ(progress->last, 0.0f);
    q->addOperation(requestFor(server.url("/1000")));
    q->addOperation(requestFor(server.url("/3000")));
    EXPECT_EQ(q->operationCount(), 4u);  // two HEAD requests with them
    EXPECT_EQ(q->requestsCount(), 2);

    q->go();
    ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; }));
    auto seen = server.requests();
    ASSERT_EQ(seen.size(), 4u);
    // Each GET waits for the HEAD request of its own URL; the two pairs may interleave.
    for (const char* path : {"/1000", "/3000"}) {
        std::vector<std::string> methods;
        for (const auto& r : seen)
            if (r.path == path) methods.push_back(r.method);
        EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "GET"})) << path;
    }
    EXPECT_EQ(d->count("finished"), 2u);  // HEAD requests report nothing themselves
    EXPECT_EQ(q->totalBytesToDownload(), 4000u);
    EXPECT_EQ(q->bytesDownloadedSoFar(), 4000u);
    EXPECT_FLOAT_EQ(progress->last, 1.0f);

    // Once running, a GET goes without a HEAD request; its size counts when its headers come.
    q->addOperation(requestFor(server.url("/500")));
    ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 2; }));
    EXPECT_EQ(server.requests().size(), 5u);
    EXPECT_EQ(q->totalBytesToDownload(), 4500u);
    EXPECT_EQ(q->bytesDownloadedSoFar(), 4500u);

    q->cancelAllOperations();
    EXPECT_EQ(q->totalBytesToDownload(), 0u);
    EXPECT_EQ(q->bytesDownloadedSoFar(), 0u);
}

// A compressed download whose size request reports exactly 20 bytes is
// taken as one of unknown size: its progress counts one unit.
TEST(NXNetworkQueue, ASizeRequestOfTwentyForACompressedDownloadIsNotTrusted)
{
    struct Case {
        const char* path;
        bool allowCompressed;
        bool accurate;
        unsigned long long total;
    };
    for (const Case& c : {Case{"/20", true, false, 1}, Case{"/20", false, true, 20}, Case{"/21", true, true, 21}}) {
        Server server(sizedBodies);
        auto d = std::make_shared<QueueDelegate>();
        auto q = configuredQueue(d);
        q->setShowAccurateProgress(true);
        auto request = requestFor(server.url(c.path));
        request->setAllowCompressedResponse(c.allowCompressed);
        q->addOperation(request);
        q->go();
        ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; })) << c.path;
        EXPECT_EQ(request->showAccurateProgress(), c.accurate) << c.path << " " << c.allowCompressed;
        EXPECT_EQ(q->totalBytesToDownload(), c.total) << c.path << " " << c.allowCompressed;
    }
}

TEST(NXNetworkQueue, CopyCarriesTheSettingsButNotTheHeadersSelector)
{
    auto d = std::make_shared<QueueDelegate>();
    auto q = configuredQueue(d);
    q->setShouldCancelAllRequestsOnFailure(false);
    q->setShowAccurateProgress(true);
    q->setUserInfo({{"k", "v"}});
    auto c = q->copy();
    EXPECT_EQ(c->delegate(), d);
    EXPECT_EQ(c->requestDidFinishSelector().name, "finished:");
    EXPECT_EQ(c->queueDidFinishSelector().name, "queueDone:");
    EXPECT_FALSE(c->requestDidReceiveResponseHeadersSelector());
    EXPECT_FALSE(c->shouldCancelAllRequestsOnFailure());
    EXPECT_TRUE(c->showAccurateProgress());
    EXPECT_EQ(c->userInfo().at("k"), "v");
    EXPECT_TRUE(c->isSuspended());

    q->reset();
    EXPECT_FALSE(q->delegate());
    EXPECT_FALSE(q->requestDidFinishSelector());
}

namespace {

// A queue delegate that also supplies credentials, as a batch's owner would.
class CredentialsQueueDelegate : public QueueDelegate,
                                 public NXHTTPRequestAuthenticationDelegate,
                                 public NXHTTPRequestProxyAuthenticationDelegate {
public:
    int asked = 0, proxyAsked = 0;
    void authenticationNeededForRequest(NXHTTPRequest* r) override
    {
        ++asked;
        r->setUsername("alice");
        r->setPassword("secret");
        r->retryUsingSuppliedCredentials();
    }
    void proxyAuthenticationNeededForRequest(NXHTTPRequest* r) override
    {
        ++proxyAsked;
        r->setProxyUsername("proxyuser");
        r->setProxyPassword("pw");
        r->retryUsingSuppliedCredentials();
    }
};

}  // namespace

TEST(NXNetworkQueue, ItsDelegateSuppliesTheCredentialsOfRequestsWithoutADelegate)
{
    forgetCredentials();
    Server site([](const Request& r, Connection& c) {
        if (r.headers.get("Authorization") == "Basic " + testserver::base64("alice:secret")) c.send(200, "welcome");
        else c.send(401, "who?", {{"WWW-Authenticate", "Basic realm=\"staff\""}});
    });
    testserver::AuthenticatingProxy proxy;
    struct Case {
        const char* name;
        bool proxied;
        bool delegateAnswers;
        const char* body;  // nullptr: fails with the authentication error
    };
    for (const Case& c : {Case{"server", false, true, "welcome"}, Case{"proxy", true, true, "proxied site.test/p"},
                          Case{"server, delegate cannot answer", false, false, nullptr},
                          Case{"proxy, delegate cannot answer", true, false, nullptr}}) {
        SCOPED_TRACE(c.name);
        auto answering = std::make_shared<CredentialsQueueDelegate>();
        auto plain = std::make_shared<QueueDelegate>();
        std::shared_ptr<QueueDelegate> d = c.delegateAnswers ? answering : plain;
        auto q = configuredQueue(d);
        auto r = c.proxied ? requestFor("http://site.test/p") : requestFor(site.url("/s"));
        if (c.proxied) {
            r->setProxyHost("127.0.0.1");
            r->setProxyPort(proxy.port());
            r->setShouldPresentProxyAuthenticationDialog(false);  // the queue's delegate, or nobody
        }
        q->addOperation(r);
        q->go();
        ASSERT_TRUE(pumpUntil([&] { return d->count("queue done") == 1; }));
        if (c.body) {
            EXPECT_EQ(d->count("finished"), 1u);
            EXPECT_EQ(r->responseString(), c.body);
            EXPECT_EQ(c.proxied ? answering->proxyAsked : answering->asked, 1);
        } else {
            ASSERT_NE(r->error(), nullptr);
            EXPECT_EQ(r->error()->code(), NXAuthenticationErrorType);
            EXPECT_EQ(d->count("failed"), 1u);
        }
        forgetCredentials();
    }
}
