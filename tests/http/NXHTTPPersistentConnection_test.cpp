#include <gtest/gtest.h>

#include <algorithm>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSClock.h"
#include "tools/testserver/TestServer.h"

using testserver::Connection;
using testserver::Request;
using testserver::Server;

namespace {

std::shared_ptr<NXHTTPRequest> run(const std::string& url)
{
    auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(url)));
    r->startSynchronous();
    return r;
}

std::optional<NXConnectionRecord> recordWithID(long id)
{
    for (const auto& r : NXHTTPRequest::connectionPool())
        if (r.id == id) return r;
    return std::nullopt;
}

struct VirtualClock {
    VirtualClock() { NSClock::useVirtualClock(); }
    ~VirtualClock() { NSClock::useRealClock(); }
};

}  // namespace

TEST(NXHTTPPersistentConnection, SequentialRequestsReuseOneRecordAndOneConnection)
{
    Server server([](const Request&, Connection& c) { c.send(200, "ok"); });
    auto first = run(server.url("/a"));
    auto second = run(server.url("/b"));
    ASSERT_FALSE(first->error());
    ASSERT_FALSE(second->error());
    EXPECT_NE(first->connectionID(), 0);
    EXPECT_EQ(first->connectionID(), second->connectionID());
    EXPECT_GT(second->requestID(), first->requestID());
    EXPECT_EQ(server.connectionsAccepted(), 1u);
    auto record = recordWithID(second->connectionID());
    ASSERT_TRUE(record);
    EXPECT_FALSE(record->request);  // idle once its request ended
    EXPECT_TRUE(record->expires);
    EXPECT_EQ(record->host, "127.0.0.1");
    EXPECT_EQ(record->port, server.port());
}

TEST(NXHTTPPersistentConnection, KeepAliveHeadersDecideReuse)
{
    struct Case {
        const char* name;
        std::string head;  // status line and headers, without the blank line
        bool reusable;
        double timeout;
    };
    const Case cases[] = {
        {"no Keep-Alive header", "HTTP/1.1 200 OK", true, 60.0},
        {"max above 5", "HTTP/1.1 200 OK\r\nKeep-Alive: timeout=5, max=100", true, 5.0},
        {"max of 5", "HTTP/1.1 200 OK\r\nKeep-Alive: timeout=5, max=5", false, 60.0},
        {"max first reads time-out 0", "HTTP/1.1 200 OK\r\nKeep-Alive: max=100, timeout=5", true, 0.0},
        {"close", "HTTP/1.1 200 OK\r\nConnection: close", false, 60.0},
        {"HTTP/1.0 plain", "HTTP/1.0 200 OK", false, 60.0},
        {"HTTP/1.0 keep-alive", "HTTP/1.0 200 OK\r\nConnection: Keep-Alive", true, 60.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Server server([&](const Request&, Connection& conn) {
            conn.write(c.head + "\r\nContent-Length: 2\r\n\r\nok");
            conn.flush();
        });
        auto r = run(server.url("/"));
        ASSERT_FALSE(r->error());
        EXPECT_EQ(r->responseString(), "ok");
        EXPECT_EQ(r->connectionCanBeReused(), c.reusable);
        EXPECT_EQ(r->persistentConnectionTimeoutSeconds(), c.timeout);
    }
}

TEST(NXHTTPPersistentConnection, IdleRecordsExpireAndTheirConnectionsClose)
{
    VirtualClock clock;
    Server server([](const Request&, Connection& c) { c.send(200, "ok", {{"Keep-Alive", "timeout=5, max=100"}}); });
    auto first = run(server.url("/"));
    NSClock::advance(4.0);
    auto second = run(server.url("/"));
    EXPECT_EQ(second->connectionID(), first->connectionID());
    EXPECT_EQ(server.connectionsAccepted(), 1u);

    NSClock::advance(6.0);
    auto third = run(server.url("/"));
    ASSERT_FALSE(third->error());
    EXPECT_NE(third->connectionID(), first->connectionID());
    EXPECT_FALSE(recordWithID(first->connectionID()));
    EXPECT_EQ(server.connectionsAccepted(), 2u);
}

TEST(NXHTTPPersistentConnection, WithoutPersistenceEveryRequestHasItsOwnConnection)
{
    Server server([](const Request&, Connection& c) { c.send(200, "ok"); });
    for (int i = 0; i < 3; ++i) {
        auto r = NXHTTPRequest::requestWithURL(NSURL::URLWithString(NSString(server.url("/"))));
        r->setShouldAttemptPersistentConnection(false);
        r->startSynchronous();
        ASSERT_FALSE(r->error());
        EXPECT_EQ(r->connectionID(), 0);
        EXPECT_EQ(r->requestID(), 0u);
    }
    EXPECT_EQ(server.connectionsAccepted(), 3u);
}

TEST(NXHTTPPersistentConnection, AFailureDropsTheRecord)
{
    Server server([](const Request&, Connection& c) {
        c.write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        c.close();
    });
    auto r = run(server.url("/"));
    ASSERT_TRUE(r->error());
    EXPECT_EQ(r->error()->code(), NXConnectionFailureErrorType);
    EXPECT_EQ(r->connectionID(), 0);
    for (const auto& rec : NXHTTPRequest::connectionPool()) EXPECT_NE(rec.port, server.port());
}

TEST(NXHTTPPersistentConnection, ARecordLeftBehindByARedirectStillExpires)
{
    Server target([](const Request&, Connection& c) { c.send(200, "there"); });
    Server origin([&](const Request&, Connection& c) { c.send(302, "", {{"Location", target.url("/t")}}); });
    auto r = run(origin.url("/o"));
    ASSERT_FALSE(r->error());
    EXPECT_EQ(r->responseString(), "there");
    auto pool = NXHTTPRequest::connectionPool();
    auto left = std::find_if(pool.begin(), pool.end(), [&](const NXConnectionRecord& rec) { return rec.port == origin.port(); });
    ASSERT_NE(left, pool.end());
    EXPECT_FALSE(left->request);
    EXPECT_TRUE(left->expires);
}
