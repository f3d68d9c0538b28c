// The relay's provider hook, trickled answers, and a relay that goes down
// and comes back.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/LoopbackClient.h"
#include "tools/testserver/RelayServer.h"

using testserver::RelayServer;

namespace {

std::string relayGet(uint16_t port, const std::string &url, const std::string &range = "") {
    LoopbackClient client(port);
    std::string request = "GET /?qt=rg&url=" + url + "&rc=1 HTTP/1.1\r\nHost: relay\r\nConnection: close\r\n";
    if (!range.empty()) {
        request += "Range: bytes=" + range + "\r\n";
    }
    client.send(request + "\r\n");
    return client.readResponse();
}

std::string bodyOf(const std::string &response) {
    size_t at = response.find("\r\n\r\n");
    return at == std::string::npos ? "" : response.substr(at + 4);
}

} // namespace

TEST(RelayProvider, MadeOncePerKeyAndKept) {
    RelayServer relay;
    std::atomic<int> calls{0};
    relay.setProvider([&](const std::string &key) -> std::optional<RelayServer::Resource> {
        if (key.find("known") == std::string::npos) {
            return std::nullopt;
        }
        // Every call makes different bytes: only a kept answer keeps ranges consistent.
        return RelayServer::Resource(key + "#" + std::to_string(calls++) + std::string(100, 'x'));
    });
    std::vector<std::string> bodies(6);
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i) {
        threads.emplace_back([&, i] { bodies[i] = bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fknown")); });
    }
    for (auto &t : threads) {
        t.join();
    }
    EXPECT_EQ(calls.load(), 1);
    for (const std::string &body : bodies) {
        EXPECT_EQ(body, bodies[0]);
    }
    EXPECT_EQ(bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fknown", "5-9")), bodies[0].substr(5, 5));
    EXPECT_NE(relayGet(relay.port(), "http%3A%2F%2Fh%2Fother").find(" 404 "), std::string::npos);
}

TEST(RelayProvider, TrickledAnswerArrivesWhole) {
    RelayServer relay;
    RelayServer::Resource slow(std::string(10000, 'z') + "end", RelayServer::Mode::Trickle);
    slow.chunkSize = 1000;
    slow.delay = testserver::Millis(2);
    relay.add("http://h/slow", slow);
    EXPECT_EQ(bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fslow")), std::string(10000, 'z') + "end");
}

TEST(RelayProvider, ForgottenAnswersAreMadeAgain) {
    RelayServer relay;
    std::atomic<int> calls{0};
    relay.setProvider([&](const std::string &) { return RelayServer::Resource("v" + std::to_string(++calls)); });
    EXPECT_EQ(bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fversion")), "v1");
    EXPECT_EQ(bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fversion")), "v1");
    relay.forgetProvided();
    EXPECT_EQ(bodyOf(relayGet(relay.port(), "http%3A%2F%2Fh%2Fversion")), "v2");
}

// Down, a relay refuses connections and closes those it had; back up, it
// answers on the same port and keeps what it was asked.
TEST(RelayProvider, StopsAndComesBackOnTheSamePort) {
    RelayServer relay;
    relay.add("http://h/a", RelayServer::Resource("first"));
    const uint16_t port = relay.port();
    EXPECT_EQ(bodyOf(relayGet(port, "http%3A%2F%2Fh%2Fa")), "first");
    LoopbackClient open(port);
    ASSERT_TRUE(open.connected());
    ASSERT_TRUE(relay.server().waitForConnections(2));
    relay.stop();
    open.readToEnd();
    EXPECT_TRUE(open.eof());
    LoopbackClient refused(port);
    EXPECT_FALSE(refused.connected());
    EXPECT_EQ(refused.connectError(), ECONNREFUSED);
    for (int round = 0; round < 2; ++round) {
        relay.restart();
        EXPECT_EQ(relay.port(), port);
        EXPECT_EQ(bodyOf(relayGet(port, "http%3A%2F%2Fh%2Fa")), "first");
    }
    EXPECT_EQ(relay.keys(), std::vector<std::string>(3, "http://h/a"));
}
