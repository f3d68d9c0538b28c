#include "tools/testserver/TestServer.h"

#include "tests/tools/LoopbackClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using testserver::Connection;
using testserver::Headers;
using testserver::Millis;
using testserver::Request;
using testserver::Response;
using testserver::Server;

namespace {

// Answers every request with its path as the body.
void echoPath(const Request &request, Connection &connection) { connection.send(200, request.path); }

TEST(TestServer, BindsLoopbackAndFormsUrls) {
    Server server(echoPath);
    ASSERT_NE(server.port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(server.url(), base + "/");
    EXPECT_EQ(server.url("/a?b=1"), base + "/a?b=1");
    EXPECT_EQ(server.url("a"), base + "/a");
}

TEST(TestServer, KeepAliveServesTwoRequestsOnOneConnection) {
    Server server(echoPath);
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.connected());
    const std::string first = "GET /one HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::string second = "GET /two HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_TRUE(client.send(first));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n/one");
    ASSERT_TRUE(client.send(second));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n/two");

    EXPECT_EQ(server.connectionsAccepted(), 1u);
    EXPECT_EQ(server.requestsServed(), 2u);
    EXPECT_EQ(server.rawRequests(), (std::vector<std::string>{first, second}));
    for (const Request &request : server.requests()) {
        EXPECT_EQ(request.connectionIndex, 0u);
    }
}

TEST(TestServer, PipelinedRequestsAreSplitExactly) {
    Server server(echoPath);
    LoopbackClient client(server.port());
    const std::string first = "POST /a HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello";
    const std::string second = "GET /b HTTP/1.1\r\n\r\n";
    ASSERT_TRUE(client.send(first + second));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n/a");
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n/b");
    const std::vector<Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].raw, first);
    EXPECT_EQ(requests[0].body, "hello");
    EXPECT_EQ(requests[1].raw, second);
    EXPECT_EQ(requests[1].body, "");
}

TEST(TestServer, ParsesRequestLineTargetsAndHeaders) {
    struct Case {
        const char *raw;
        const char *method;
        const char *scheme;
        const char *authority;
        const char *path;
        const char *query;
        const char *version;
    };
    const Case cases[] = {
        {"GET /a/b?x=1&y=2 HTTP/1.1\r\n\r\n", "GET", "", "", "/a/b", "x=1&y=2", "HTTP/1.1"},
        {"GET /plain HTTP/1.1\r\n\r\n", "GET", "", "", "/plain", "", "HTTP/1.1"},
        {"GET http://example.test:8080/p/q?z HTTP/1.1\r\n\r\n", "GET", "http", "example.test:8080", "/p/q", "z",
         "HTTP/1.1"},
        {"GET http://example.test HTTP/1.1\r\n\r\n", "GET", "http", "example.test", "/", "", "HTTP/1.1"},
        {"GET http://example.test?k=v HTTP/1.1\r\n\r\n", "GET", "http", "example.test", "/", "k=v", "HTTP/1.1"},
        {"CONNECT example.test:443 HTTP/1.1\r\n\r\n", "CONNECT", "", "example.test:443", "", "", "HTTP/1.1"},
        {"OPTIONS * HTTP/1.1\r\n\r\n", "OPTIONS", "", "", "*", "", "HTTP/1.1"},
        {"\r\nGET /after-blank-line HTTP/1.1\n\n", "GET", "", "", "/after-blank-line", "", "HTTP/1.1"},
    };
    Server server([](const Request &, Connection &connection) { connection.send(204); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.raw);
        LoopbackClient client(server.port());
        ASSERT_TRUE(client.send(c.raw));
        EXPECT_EQ(client.readResponse(), "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n");
    }
    const std::vector<Request> requests = server.requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    for (size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(cases[i].raw);
        EXPECT_EQ(requests[i].method, cases[i].method);
        EXPECT_EQ(requests[i].scheme, cases[i].scheme);
        EXPECT_EQ(requests[i].authority, cases[i].authority);
        EXPECT_EQ(requests[i].path, cases[i].path);
        EXPECT_EQ(requests[i].query, cases[i].query);
        EXPECT_EQ(requests[i].version, cases[i].version);
        EXPECT_EQ(requests[i].raw, cases[i].raw);
        EXPECT_EQ(requests[i].connectionIndex, i);
    }
}

TEST(TestServer, HeadersAreCaseInsensitiveAndRepeatedFieldsStaySeparate) {
    Server server(echoPath);
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.send("GET / HTTP/1.1\r\nHost: h\r\nX-Tag:  one \r\nCookie: a=1\r\nx-tag:two\r\n"
                            "Empty:\r\n\r\n"));
    client.readResponse();
    ASSERT_EQ(server.requestsServed(), 1u);
    const Headers headers = server.requests()[0].headers;
    EXPECT_EQ(headers.get("X-TAG"), "one");
    EXPECT_EQ(headers.getAll("x-Tag"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(headers.get("empty"), "");
    EXPECT_TRUE(headers.has("COOKIE"));
    EXPECT_FALSE(headers.has("Missing"));
    EXPECT_EQ(headers.get("Missing"), std::nullopt);
    ASSERT_EQ(headers.fields().size(), 5u);
    EXPECT_EQ(headers.fields()[3].name, "x-tag");
}

TEST(TestServer, ChunkedRequestBodyIsDecodedAndItsFramingKeptInRaw) {
    Server server(echoPath);
    LoopbackClient client(server.port());
    const std::string raw = "POST /upload HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"
                            "5\r\nhello\r\n"
                            "1;ext=1\r\n \r\n"
                            "A\r\n0123456789\r\n"
                            "0\r\nX-Trailer: t\r\n\r\n";
    // Sent in pieces so the reader must wait inside the chunk framing.
    ASSERT_TRUE(client.send(raw.substr(0, 60)));
    ASSERT_TRUE(client.send(raw.substr(60, 7)));
    ASSERT_TRUE(client.send(raw.substr(67)));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n/upload");
    const std::vector<Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].chunked);
    EXPECT_EQ(requests[0].body, "hello 0123456789");
    EXPECT_EQ(requests[0].raw, raw);
}

TEST(TestServer, ExpectContinueGetsTheInterimAnswerBeforeTheBody) {
    Server server([](const Request &request, Connection &connection) { connection.send(200, request.body); });
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.send("PUT /f HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 3\r\n\r\n"));
    EXPECT_EQ(client.readUntil("\r\n\r\n"), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(client.send("abc"));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
}

TEST(TestServer, MalformedRequestsCloseTheConnectionWithoutCallingTheHandler) {
    const char *cases[] = {
        "NONSENSE\r\n\r\n",
        "GET / FTP/1.0\r\n\r\n",
        "GET / HTTP/1.1\r\nNo colon here\r\n\r\n",
        "POST / HTTP/1.1\r\nContent-Length: 12x\r\n\r\n",
        "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcX\r\n0\r\n\r\n",
    };
    std::atomic<int> calls{0};
    Server server([&](const Request &, Connection &connection) {
        ++calls;
        connection.send(200);
    });
    for (const char *raw : cases) {
        SCOPED_TRACE(raw);
        LoopbackClient client(server.port());
        ASSERT_TRUE(client.send(raw));
        EXPECT_EQ(client.readToEnd(), "");
        EXPECT_TRUE(client.eof());
    }
    EXPECT_EQ(calls.load(), 0);
    EXPECT_EQ(server.requestsServed(), 0u);
}

TEST(TestServer, ConnectionCloseAndHttp10EndTheConnectionAfterTheAnswer) {
    struct Case {
        const char *raw;
        const char *response;
    };
    const Case cases[] = {
        {"GET /c HTTP/1.1\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n/c"},
        {"GET /d HTTP/1.0\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n/d"},
    };
    Server server(echoPath);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.raw);
        LoopbackClient client(server.port());
        ASSERT_TRUE(client.send(c.raw));
        EXPECT_EQ(client.readToEnd(), c.response);
        EXPECT_TRUE(client.eof());
    }
    // HTTP/1.0 asking for keep-alive keeps the connection.
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.send("GET /e HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n"));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n/e");
    ASSERT_TRUE(client.send("GET /f HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"));
    EXPECT_EQ(client.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n/f");
}

TEST(TestServer, ResponsesCarryStatusHeadersAndChunkedBodies) {
    Server server([](const Request &request, Connection &connection) {
        Response response;
        if (request.path == "/chunked") {
            response.body = "abcdefgh";
            response.chunked = true;
            response.chunkSize = 3;
        } else if (request.path == "/one-chunk") {
            response.body = "abcdefgh";
            response.chunked = true;
        } else if (request.path == "/custom") {
            response.status = 299;
            response.reason = "Fine Anyway";
            response.headers = {{"Content-Length", "2"}, {"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}};
            response.body = "ok";
        } else if (request.path == "/close") {
            response.status = 401;
            response.headers.add("Connection", "close");
        }
        connection.send(response);
    });
    const std::pair<const char *, const char *> cases[] = {
        {"/chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n3\r\ndef\r\n2\r\ngh\r\n0\r\n\r\n"},
        {"/one-chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n8\r\nabcdefgh\r\n0\r\n\r\n"},
        {"/custom", "HTTP/1.1 299 Fine Anyway\r\nContent-Length: 2\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\nok"},
        {"/close", "HTTP/1.1 401 Unauthorized\r\nConnection: close\r\nContent-Length: 0\r\n\r\n"},
    };
    LoopbackClient client(server.port());
    for (const auto &[path, expected] : cases) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(client.send(std::string("GET ") + path + " HTTP/1.1\r\n\r\n"));
        EXPECT_EQ(client.readResponse(), expected);
    }
    // The response's own "Connection: close" ended keep-alive.
    EXPECT_EQ(client.readToEnd(), "");
    EXPECT_TRUE(client.eof());
    EXPECT_EQ(server.connectionsAccepted(), 1u);
}

TEST(TestServer, RawWritesAndCloseHalfWayThroughABody) {
    Server server([](const Request &request, Connection &connection) {
        if (request.path == "/raw") {
            connection.write("not http at all");
            connection.close();
            return;
        }
        Response head;
        head.headers.add("Content-Length", "100");
        connection.writeHead(head);
        connection.write("0123456789");
        ASSERT_TRUE(connection.flush());
        connection.write("abc");
        connection.close();
        EXPECT_TRUE(connection.closed());
        EXPECT_FALSE(connection.flush());
    });
    {
        LoopbackClient client(server.port());
        ASSERT_TRUE(client.send("GET /raw HTTP/1.1\r\n\r\n"));
        EXPECT_EQ(client.readToEnd(), "not http at all");
        EXPECT_TRUE(client.eof());
    }
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.send("GET /partial HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(client.readToEnd(), "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789abc");
    EXPECT_TRUE(client.eof());
}

TEST(TestServer, CountsAndNumbersConnections) {
    Server server(echoPath);
    std::vector<std::unique_ptr<LoopbackClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<LoopbackClient>(server.port()));
        ASSERT_TRUE(clients.back()->connected());
    }
    ASSERT_TRUE(server.waitForConnections(3));
    EXPECT_EQ(server.connectionsAccepted(), 3u);
    EXPECT_EQ(server.requestsServed(), 0u);
    EXPECT_FALSE(server.waitForConnections(4, Millis{20}));

    // Each client speaks on its own connection; the index tells them apart.
    for (auto &client : clients) {
        ASSERT_TRUE(client->send("GET / HTTP/1.1\r\n\r\n"));
        client->readResponse();
    }
    std::vector<size_t> indexes;
    for (const Request &request : server.requests()) {
        indexes.push_back(request.connectionIndex);
    }
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<size_t>{0, 1, 2}));
}

TEST(TestServer, ServesConnectionsConcurrently) {
    constexpr size_t kClients = 8;
    Server *serverPtr = nullptr;
    // No handler answers before every request is in: served one at a time,
    // the first handler would wait in vain.
    Server server([&](const Request &request, Connection &connection) {
        const bool allArrived = serverPtr->waitForRequests(kClients);
        connection.send(allArrived ? 200 : 504, request.path);
    });
    serverPtr = &server;
    std::vector<std::string> answers(kClients);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            LoopbackClient client(server.port());
            client.send("GET /" + std::to_string(i) + " HTTP/1.1\r\n\r\n");
            answers[i] = client.readResponse();
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < kClients; ++i) {
        const std::string path = "/" + std::to_string(i);
        EXPECT_EQ(answers[i], "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(path.size()) + "\r\n\r\n" + path);
    }
    EXPECT_EQ(server.connectionsAccepted(), kClients);
}

size_t memoryMappings() {
    std::ifstream maps("/proc/self/maps");
    return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(maps), {}, '\n'));
}

TEST(TestServer, ALongRunningServerKeepsNeitherThreadsNorRequestsOfFinishedConnections) {
    Server::Options options;
    options.recordLimit = 5;
    Server server(echoPath, options);
    auto exchange = [&](int i) {
        LoopbackClient client(server.port());
        ASSERT_TRUE(client.send("GET /" + std::to_string(i) + " HTTP/1.1\r\nConnection: close\r\n\r\n"));
        client.readResponse();
    };
    for (int i = 0; i < 20; ++i) exchange(i);
    const size_t before = memoryMappings();
    for (int i = 20; i < 500; ++i) exchange(i);
    // Each thread left unjoined would keep its stack mapped.
    EXPECT_LT(memoryMappings(), before + 50);

    ASSERT_TRUE(server.waitForRequests(500));
    EXPECT_EQ(server.requestsServed(), 500u);
    std::vector<std::string> paths;
    for (const Request &request : server.requests()) paths.push_back(request.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/495", "/496", "/497", "/498", "/499"}));
}

TEST(TestServer, StopReturnsPromptlyWhileAHandlerStalls) {
    Server::Options options;
    options.maxWait = Millis{120000};
    std::atomic<bool> stallResult{true};
    Server server(
        [&](const Request &, Connection &connection) {
            Response head;
            head.headers.add("Content-Length", "10");
            connection.writeHead(head);
            connection.write("12345");
            stallResult = connection.stall();
        },
        options);
    LoopbackClient client(server.port());
    ASSERT_TRUE(client.send("GET /slow HTTP/1.1\r\n\r\n"));
    // The flushed part arrives while the handler stalls.
    EXPECT_EQ(client.readUntil("12345"), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n12345");
    ASSERT_TRUE(server.waitForRequests(1));

    const auto started = std::chrono::steady_clock::now();
    server.stop();
    // Far below the stall limit: stop() woke the stalled handler.
    EXPECT_LT(std::chrono::steady_clock::now() - started, options.maxWait / 4);
    EXPECT_FALSE(stallResult.load());
    EXPECT_EQ(client.readToEnd(), "");
    EXPECT_TRUE(client.eof());

    // Stopped for good: a second stop is harmless, new connections are refused.
    server.stop();
    EXPECT_FALSE(server.waitForRequests(2, Millis{100}));
    LoopbackClient late(server.port());
    EXPECT_FALSE(late.connected());
}

TEST(TestServer, DelayEndsAfterItsTimeAndAtStop) {
    std::atomic<int> outcome{-1};
    Server server([&](const Request &request, Connection &connection) {
        if (request.path == "/short") {
            connection.send(200, connection.delay(Millis{1}) ? "waited" : "stopped");
        } else {
            outcome = connection.delay(Millis{600000}) ? 1 : 0;
        }
    });
    LoopbackClient quick(server.port());
    ASSERT_TRUE(quick.send("GET /short HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(quick.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nwaited");

    LoopbackClient slow(server.port());
    ASSERT_TRUE(slow.send("GET /long HTTP/1.1\r\n\r\n"));
    ASSERT_TRUE(server.waitForRequests(2));
    server.stop();
    EXPECT_EQ(outcome.load(), 0);
}

TEST(TestServer, IdleConnectionsAreClosedAfterTheIoTimeout) {
    Server::Options options;
    options.ioTimeout = Millis{100};
    Server server(echoPath, options);
    LoopbackClient idle(server.port());
    ASSERT_TRUE(idle.connected());
    // The server gives up on the silent client well within the client's own five seconds.
    EXPECT_EQ(idle.readToEnd(), "");
    EXPECT_TRUE(idle.eof());
    EXPECT_EQ(server.requestsServed(), 0u);
}

TEST(TestServer, AFailingHandlerEndsOnlyItsConnection) {
    Server server([](const Request &request, Connection &connection) {
        if (request.path == "/throw") {
            throw std::runtime_error("handler failed");
        }
        connection.send(200, "fine");
    });
    LoopbackClient failing(server.port());
    ASSERT_TRUE(failing.send("GET /throw HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(failing.readToEnd(), "");
    EXPECT_TRUE(failing.eof());
    LoopbackClient next(server.port());
    ASSERT_TRUE(next.send("GET /ok HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(next.readResponse(), "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfine");
}

TEST(TestServer, RefusedPortRefusesConnections) {
    const uint16_t port = Server::refusedPort();
    ASSERT_NE(port, 0);
    LoopbackClient client(port);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(client.connectError(), ECONNREFUSED);
}

} // namespace
