#pragma once

// The map engine's relay for tests: a loopback server that answers the
// engine's relay requests ("/?qt=rg&url=<encoded URL>&rc=..") with the
// resource registered under the decoded URL (other requests: under their
// path). It honours a single "Range: bytes=a-b" with 206 and Content-Range,
// keeps connections alive, serves connections in parallel, and can misbehave
// in scripted ways per resource.

#include "tools/testserver/TestServer.h"

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testserver {

class RelayServer {
public:
    enum class Mode {
        Plain,            // 200, or 206 for a Range
        Chunked,          // 200, the whole body in chunked framing
        Redirect,         // status (a 3xx; 302 unless set) with Location (when given)
        Status,           // the given status with the body
        NoLengthThenClose,// 200 without length, the body, then close
        DropMidBody,      // like Plain, but the connection closes after dropAfter body bytes
        Slow,             // like Plain after a delay
        WrongRangeStart,  // 206 whose Content-Range starts one byte later than asked
        Gateway,          // a WML gateway page first, then like Plain
        Trickle           // like Plain, the body in chunkSize pieces with delay between them
    };

    struct Resource {
        Resource(std::string content = {}, Mode how = Mode::Plain) : body(std::move(content)), mode(how) {}

        std::string body;
        Mode mode;
        int status = 200;                     // Status, Redirect
        std::optional<std::string> location;  // Redirect
        Headers headers;                      // added to every answer (e.g. Content-Encoding)
        size_t chunkSize = 0;                 // Chunked: 0 = one chunk; Trickle: the piece size
        size_t dropAfter = 0;                 // DropMidBody
        int drops = -1;                       // DropMidBody: answers cut before serving whole (-1: all)
        Millis delay{0};                      // Slow, Trickle
        // Any mode: the answer waits until the flag is set (or the server
        // stops), so a test decides when it arrives.
        std::shared_ptr<const std::atomic<bool>> heldUntil;
    };

    explicit RelayServer(Server::Options options = {}, size_t providedLimit = kProvidedLimit);

    // Makes the resource of a key nothing was registered under (nullopt: 404).
    // It is called once per key, and its answer is kept under the key, so
    // ranged requests see the same bytes and scripted modes apply as for
    // registered resources; the oldest of more than providedLimit kept
    // answers is dropped (made anew when asked again).
    using Provider = std::function<std::optional<Resource>(const std::string &key)>;
    static constexpr size_t kProvidedLimit = 512;
    void setProvider(Provider provider);

    // Registers a resource under a target URL (relay GETs) or a path.
    void add(const std::string &key, Resource resource);
    // The relay's port, the same after a restart.
    uint16_t port() const { return port_; }
    // The server listening now (a restart makes a new one).
    Server &server() { return *server_; }
    // The relay goes down as a host does: the listener and every connection
    // close, so clients are refused; resources and records stay. Not from a
    // handler.
    void stop();
    // Listens again on the same port after stop(); throws std::system_error
    // when the port cannot be bound.
    void restart();
    // Drops every answer the provider made: each key asks it again (a
    // service whose answers changed).
    void forgetProvided();
    // The key of every request in arrival order, and its Range field ("" when
    // none); the latest Options::recordLimit of them.
    std::vector<std::string> keys() const;
    std::vector<std::string> ranges() const;

    // Percent-decoding of a query value ('+' stays '+').
    static std::string decode(std::string_view text);
    // The value of a query parameter, decoded; empty when absent.
    static std::string queryValue(std::string_view query, std::string_view name);

private:
    void handle(const Request &request, Connection &connection);
    // Copies the resource of the key, counting drops and gateway pages; false
    // when there is none.
    bool take(const std::string &key, Resource &resource);
    // Stores the provider's answer for the key; false when there is none.
    bool provide(const std::string &key);
    void answer(const Request &request, Connection &connection, Resource &resource);

    std::mutex providerMutex_;  // taken before mutex_, never inside it
    Provider provider_;
    const size_t providedLimit_;
    std::deque<std::string> provided_;
    mutable std::mutex mutex_;
    std::map<std::string, Resource> resources_;
    std::map<std::string, int> gatewaysShown_;
    const size_t recordLimit_;
    std::deque<std::string> keys_;
    std::deque<std::string> ranges_;
    Server::Options options_;
    uint16_t port_ = 0;
    std::unique_ptr<Server> server_; // last: it stops (and joins its handlers) before the rest goes
};

} // namespace testserver
