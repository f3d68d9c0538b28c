#pragma once

// A loopback HTTP/1.x server for tests. It binds 127.0.0.1 on an ephemeral
// (or a given) port, parses each request and hands it to a handler together
// with a Connection that gives byte-exact control over the answer:
// conveniently formed responses, raw bytes, pauses, stalls and early closes.
// Every blocking step is bounded and stop() ends everything promptly.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testserver {

using Millis = std::chrono::milliseconds;

// Header fields in the order they came, names compared without regard to case;
// repeated fields stay separate entries.
class Headers {
public:
    struct Field {
        std::string name;
        std::string value;
    };

    Headers() = default;
    Headers(std::initializer_list<Field> fields) : fields_(fields) {}

    void add(std::string name, std::string value);
    // The first field of that name.
    std::optional<std::string> get(std::string_view name) const;
    std::vector<std::string> getAll(std::string_view name) const;
    bool has(std::string_view name) const;
    const std::vector<Field> &fields() const { return fields_; }

private:
    std::vector<Field> fields_;
};

struct Request {
    std::string method;
    std::string target;    // the request target exactly as sent
    std::string scheme;    // absolute-form targets only ("http"), else empty
    std::string authority; // absolute-form and authority-form targets ("host:port"), else empty
    std::string path;      // "/a/b" ("/" for an absolute-form target without path; "*" for asterisk-form)
    std::string query;     // what follows "?", without it; empty when there is none
    std::string version;   // "HTTP/1.1"
    Headers headers;
    std::string body;      // decoded: chunked framing removed
    bool chunked = false;  // the body came with chunked transfer coding
    std::string raw;       // every byte of this request as received, framing included
    size_t connectionIndex = 0;
};

// Splits a request target into scheme, authority, path and query.
void parseTarget(Request &request);

// An answer. Unless given in headers, Content-Length (from body, when not
// chunked), "Transfer-Encoding: chunked" (when chunked) and "Connection:
// close" (when the connection will not be kept alive) are added.
struct Response {
    int status = 200;
    std::string reason; // empty: the standard phrase for status
    Headers headers;
    std::string body;
    bool chunked = false;
    size_t chunkSize = 0; // chunked: body split into chunks of this size; 0 = one chunk
};

class Server;

// One accepted connection, used by the handler on the connection's own thread.
// Written bytes are buffered until flush(), so a test decides how bytes are
// cut into segments; delay, stall, close and the end of the handler flush.
class Connection {
public:
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // 0 for the first connection the server accepted, then 1, 2, ...
    size_t index() const { return index_; }

    void write(std::string_view bytes);
    // Sends the buffered bytes; false when the peer is gone, the server stops
    // or the peer does not take them within the I/O time-out.
    bool flush();

    // Status line and header fields of response, without its body.
    void writeHead(const Response &response);
    // One chunk in chunked framing; empty data writes the last chunk.
    void writeChunk(std::string_view data);
    // The whole response, then flush(). A "Connection: close" header in the
    // response also ends keep-alive.
    bool send(const Response &response);
    bool send(int status, std::string body = {}, Headers headers = {});

    // Flushes, then waits for the given time (capped at Options::maxWait) or
    // until the server stops; false when it stopped.
    bool delay(Millis time);
    // Flushes and holds the connection until the server stops or maxWait
    // passes: for clients that must time out on their own.
    bool stall() { return delay(Millis::max()); }

    // Flushes and closes the connection, wherever the response stands.
    void close();
    bool closed() const { return fd_ < 0; }

    // Whether the connection reads another request after this one. Starts
    // true for HTTP/1.1 without "Connection: close" and for HTTP/1.0 with
    // "Connection: keep-alive".
    bool keepAlive() const { return keepAlive_; }
    void setKeepAlive(bool keepAlive) { keepAlive_ = keepAlive; }

private:
    friend class Server;
    Connection(Server &server, int fd, size_t index) : server_(server), fd_(fd), index_(index) {}

    // Reads the next request; false on end of stream, time-out, stop or a
    // malformed request.
    bool readRequest(Request &request);
    bool fill(std::string &into);
    bool readLine(std::string &line);
    bool readBytes(size_t count, std::string &into);
    bool readBody(Request &request);
    void closeSocket();

    Server &server_;
    int fd_;
    size_t index_;
    bool keepAlive_ = true;
    std::string out_;
    std::string in_;      // received, not yet consumed
    std::string *raw_ = nullptr; // where consumed bytes are recorded
};

class Server {
public:
    using Handler = std::function<void(const Request &, Connection &)>;

    struct Options {
        Millis ioTimeout{5000}; // longest wait for a read or write on a socket
        Millis maxWait{60000};  // longest delay() or stall()
        size_t maxHeadBytes = 1 << 20;
        size_t maxBodyBytes = 64u << 20;
        // How many of the latest requests requests() keeps; a long-running
        // server sets a bound. The counts go on regardless.
        size_t recordLimit = SIZE_MAX;
        // 0: an ephemeral port. Another: that port, for a server that takes
        // over the port of one just stopped.
        uint16_t port = 0;
    };

    // Binds and starts accepting at once; throws std::system_error when it cannot.
    explicit Server(Handler handler) : Server(std::move(handler), Options{}) {}
    Server(Handler handler, Options options);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    uint16_t port() const { return port_; }
    // "http://127.0.0.1:PORT/path"; a leading "/" in path is not doubled.
    std::string url(std::string_view path = {}) const;

    // Closes the listener and every connection and joins every thread. Must
    // not be called from a handler. Idempotent.
    void stop();

    size_t connectionsAccepted() const;
    size_t requestsServed() const; // requests read and handed to the handler
    // The requests served, oldest first (the latest Options::recordLimit).
    std::vector<Request> requests() const;
    std::vector<std::string> rawRequests() const;
    // Block until at least n connections or requests have arrived, or timeout
    // passes; false on timeout.
    bool waitForConnections(size_t n, Millis timeout = Millis{5000}) const;
    bool waitForRequests(size_t n, Millis timeout = Millis{5000}) const;

    // A loopback port on which nothing listens (bound once, then closed).
    static uint16_t refusedPort();

private:
    friend class Connection;

    void acceptLoop();
    // One per live connection; finished ones are joined and dropped as new
    // connections come, so a long-running server does not pile them up.
    struct Worker {
        std::unique_ptr<Connection> connection;
        std::thread thread;
        bool finished = false;
    };
    void serve(Worker &worker);
    enum class Wake { Ready, Stopped, TimedOut };
    // Waits until fd has one of events, the server stops or timeout passes.
    Wake wait(int fd, short events, Millis timeout) const;
    bool waitReady(int fd, short events, Millis timeout) const;
    bool waitUntil(const std::function<bool()> &reached, Millis timeout) const;

    Handler handler_;
    Options options_;
    int listenFd_ = -1;
    int wakeRead_ = -1;  // becomes readable once stop() begins
    int wakeWrite_ = -1;
    uint16_t port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    size_t connectionCount_ = 0;
    size_t requestCount_ = 0;
    std::deque<Request> requests_;  // the latest Options::recordLimit
    std::list<Worker> workers_;
    std::thread acceptThread_;
};

} // namespace testserver
