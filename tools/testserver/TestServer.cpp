#include "tools/testserver/TestServer.h"

#include "tools/testserver/HttpMessage.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <charconv>
#include <system_error>

namespace testserver {

namespace {

[[noreturn]] void throwErrno(const char *what) { throw std::system_error(errno, std::generic_category(), what); }

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

uint16_t boundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        throwErrno("getsockname");
    }
    return ntohs(address.sin_port);
}

// A socket bound to 127.0.0.1 on the port (0: an ephemeral one).
int bindLoopback(uint16_t port = 0) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throwErrno("socket");
    }
    // A server may take over the port of one stopped a moment ago, whose
    // closed connections still hold it (TIME_WAIT): the connections of both
    // must allow that.
    const int reuse = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0) {
        const int error = errno;
        ::close(fd);
        throw std::system_error(error, std::generic_category(), "setsockopt");
    }
    const sockaddr_in address = loopback(port);
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        throw std::system_error(error, std::generic_category(), "bind");
    }
    return fd;
}

// A size from decimal (base 10) or hexadecimal (base 16) digits, all of them.
std::optional<size_t> parseSize(std::string_view digits, int base) {
    size_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

// ---- Connection: reading -------------------------------------------------

bool Connection::fill(std::string &into) {
    if (fd_ < 0 || !server_.waitReady(fd_, POLLIN, server_.options_.ioTimeout)) {
        return false;
    }
    char buffer[16384];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        return false;
    }
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

bool Connection::readLine(std::string &line) {
    size_t newline;
    while ((newline = in_.find('\n')) == std::string::npos) {
        if (in_.size() > server_.options_.maxHeadBytes || !fill(in_)) {
            return false;
        }
    }
    raw_->append(in_, 0, newline + 1);
    line.assign(in_, 0, newline);
    in_.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

bool Connection::readBytes(size_t count, std::string &into) {
    while (in_.size() < count) {
        if (!fill(in_)) {
            return false;
        }
    }
    raw_->append(in_, 0, count);
    into.append(in_, 0, count);
    in_.erase(0, count);
    return true;
}

bool Connection::readBody(Request &request) {
    const size_t limit = server_.options_.maxBodyBytes;
    if (request.chunked) {
        std::string line;
        for (;;) {
            if (!readLine(line)) {
                return false;
            }
            const std::string_view sizeText = trimmed(std::string_view(line).substr(0, line.find(';')));
            const std::optional<size_t> size = parseSize(sizeText, 16);
            if (!size || *size > limit - request.body.size()) {
                return false;
            }
            if (*size == 0) {
                break;
            }
            std::string end;
            if (!readBytes(*size, request.body) || !readLine(end) || !end.empty()) {
                return false;
            }
        }
        // Trailer fields up to the empty line.
        do {
            if (!readLine(line)) {
                return false;
            }
        } while (!line.empty());
        return true;
    }
    const std::optional<std::string> lengthText = request.headers.get("Content-Length");
    if (!lengthText) {
        return true;
    }
    const std::optional<size_t> length = parseSize(trimmed(*lengthText), 10);
    return length && *length <= limit && readBytes(*length, request.body);
}

bool Connection::readRequest(Request &request) {
    raw_ = &request.raw;
    request.connectionIndex = index_;
    std::string line;
    // Empty lines before a request line are tolerated.
    do {
        if (!readLine(line)) {
            return false;
        }
    } while (line.empty());

    const size_t firstSpace = line.find(' ');
    const size_t secondSpace = firstSpace == std::string::npos ? std::string::npos : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string::npos) {
        return false;
    }
    request.method = line.substr(0, firstSpace);
    request.target = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    request.version = line.substr(secondSpace + 1);
    if (request.method.empty() || request.target.empty() || request.version.rfind("HTTP/", 0) != 0) {
        return false;
    }
    parseTarget(request);

    while (readLine(line)) {
        if (line.empty()) {
            request.chunked = hasToken(request.headers, "Transfer-Encoding", "chunked");
            keepAlive_ = request.version == "HTTP/1.0" ? hasToken(request.headers, "Connection", "keep-alive")
                                                        : !hasToken(request.headers, "Connection", "close");
            const bool bodyFollows = request.chunked || request.headers.has("Content-Length");
            // A client that waits for the interim answer gets it, unless it sent the body anyway.
            if (bodyFollows && in_.empty() && hasToken(request.headers, "Expect", "100-continue")) {
                write("HTTP/1.1 100 Continue\r\n\r\n");
                if (!flush()) {
                    return false;
                }
            }
            return readBody(request);
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return false;
        }
        request.headers.add(line.substr(0, colon), std::string(trimmed(std::string_view(line).substr(colon + 1))));
    }
    return false;
}

// ---- Connection: writing -------------------------------------------------

void Connection::write(std::string_view bytes) { out_.append(bytes); }

bool Connection::flush() {
    if (fd_ < 0) {
        out_.clear();
        return false;
    }
    size_t sent = 0;
    while (sent < out_.size()) {
        if (!server_.waitReady(fd_, POLLOUT, server_.options_.ioTimeout)) {
            break;
        }
        const ssize_t n = ::send(fd_, out_.data() + sent, out_.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            break;
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    const bool complete = sent == out_.size();
    out_.clear();
    return complete;
}

void Connection::writeHead(const Response &response) {
    Headers headers = response.headers;
    if (hasToken(headers, "Connection", "close")) {
        keepAlive_ = false;
    }
    if (response.chunked && !headers.has("Transfer-Encoding")) {
        headers.add("Transfer-Encoding", "chunked");
    }
    if (!response.chunked && !headers.has("Content-Length") && !headers.has("Transfer-Encoding")) {
        headers.add("Content-Length", std::to_string(response.body.size()));
    }
    if (!keepAlive_ && !headers.has("Connection")) {
        headers.add("Connection", "close");
    }
    write("HTTP/1.1 " + std::to_string(response.status) + " " +
          (response.reason.empty() ? std::string(reasonPhrase(response.status)) : response.reason) + "\r\n");
    for (const Headers::Field &field : headers.fields()) {
        write(field.name + ": " + field.value + "\r\n");
    }
    write("\r\n");
}

void Connection::writeChunk(std::string_view data) {
    char size[32];
    const auto end = std::to_chars(size, size + sizeof size, data.size(), 16).ptr;
    write(std::string_view(size, static_cast<size_t>(end - size)));
    write("\r\n");
    write(data);
    write("\r\n");
}

bool Connection::send(const Response &response) {
    writeHead(response);
    if (!response.chunked) {
        write(response.body);
        return flush();
    }
    const std::string_view body = response.body;
    const size_t step = response.chunkSize == 0 ? std::max<size_t>(body.size(), 1) : response.chunkSize;
    for (size_t at = 0; at < body.size(); at += step) {
        writeChunk(body.substr(at, step));
    }
    writeChunk({});
    return flush();
}

bool Connection::send(int status, std::string body, Headers headers) {
    Response response;
    response.status = status;
    response.body = std::move(body);
    response.headers = std::move(headers);
    return send(response);
}

bool Connection::delay(Millis time) {
    flush();
    return server_.wait(-1, 0, std::min(time, server_.options_.maxWait)) == Server::Wake::TimedOut;
}

void Connection::close() {
    if (fd_ < 0) {
        return;
    }
    flush();
    closeSocket();
}

void Connection::closeSocket() {
    // Half-close first and take what the peer still sends until it closes too:
    // closing with unread input would reset the connection and could destroy
    // the answer before the peer has read it.
    shutdown(fd_, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + server_.options_.ioTimeout;
    char discarded[16384];
    while (server_.waitReady(fd_, POLLIN,
                             std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now())) &&
           recv(fd_, discarded, sizeof discarded, 0) > 0) {
    }
    ::close(fd_);
    fd_ = -1;
}

// ---- Server --------------------------------------------------------------

Server::Server(Handler handler, Options options) : handler_(std::move(handler)), options_(options) {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        throwErrno("pipe2");
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    try {
        listenFd_ = bindLoopback(options_.port);
        if (listen(listenFd_, SOMAXCONN) != 0) {
            throwErrno("listen");
        }
        port_ = boundPort(listenFd_);
    } catch (...) {
        if (listenFd_ >= 0) {
            ::close(listenFd_);
        }
        ::close(wakeRead_);
        ::close(wakeWrite_);
        throw;
    }
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

Server::~Server() {
    stop();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string Server::url(std::string_view path) const {
    std::string result = "http://127.0.0.1:" + std::to_string(port_);
    if (path.empty() || path.front() != '/') {
        result += '/';
    }
    result += path;
    return result;
}

void Server::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            stopping_ = true;
            // Never read: the pipe stays readable and so wakes every wait at once.
            [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, "x", 1);
        }
    }
    changed_.notify_all();
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    // The accept thread is gone, so no thread is added any more.
    for (Worker &worker : workers_) {
        if (worker.thread.joinable()) {
            worker.thread.join();
        }
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

void Server::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::list<Worker> done;
        {
            std::lock_guard lock(mutex_);
            for (auto it = workers_.begin(); it != workers_.end();) {
                auto next = std::next(it);
                if (it->finished) {
                    done.splice(done.end(), workers_, it);
                }
                it = next;
            }
            Worker &worker = workers_.emplace_back();
            worker.connection.reset(new Connection(*this, fd, connectionCount_++));
            worker.thread = std::thread([this, &worker] { serve(worker); });
        }
        changed_.notify_all();
        for (Worker &worker : done) {
            worker.thread.join();
        }
    }
}

void Server::serve(Worker &worker) {
    Connection &connection = *worker.connection;
    while (!connection.closed()) {
        Request request;
        if (!connection.readRequest(request)) {
            break;
        }
        {
            std::lock_guard lock(mutex_);
            ++requestCount_;
            requests_.push_back(request);
            if (requests_.size() > options_.recordLimit) {
                requests_.pop_front();
            }
        }
        changed_.notify_all();
        try {
            handler_(request, connection);
        } catch (...) {
            // A failing handler (a failed assertion, say) ends only its connection.
            break;
        }
        if (connection.closed() || !connection.flush() || !connection.keepAlive()) {
            break;
        }
    }
    connection.close();
    std::lock_guard lock(mutex_);
    worker.finished = true;  // joined when the next connection comes
}

Server::Wake Server::wait(int fd, short events, Millis timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        // poll() skips a negative fd, so fd -1 waits for the stop signal alone.
        pollfd fds[2] = {{fd, events, 0}, {wakeRead_, POLLIN, 0}};
        const int n = poll(fds, 2, static_cast<int>(std::clamp<Millis::rep>(left.count(), 0, INT_MAX)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || fds[1].revents != 0) {
            return Wake::Stopped;
        }
        // Error and hang-up count as ready: the read or write that follows reports them.
        return n > 0 ? Wake::Ready : Wake::TimedOut;
    }
}

bool Server::waitReady(int fd, short events, Millis timeout) const { return wait(fd, events, timeout) == Wake::Ready; }

bool Server::waitUntil(const std::function<bool()> &reached, Millis timeout) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return reached() || stopping_; });
    return reached();
}

size_t Server::connectionsAccepted() const {
    std::lock_guard lock(mutex_);
    return connectionCount_;
}

size_t Server::requestsServed() const {
    std::lock_guard lock(mutex_);
    return requestCount_;
}

std::vector<Request> Server::requests() const {
    std::lock_guard lock(mutex_);
    return {requests_.begin(), requests_.end()};
}

std::vector<std::string> Server::rawRequests() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> raw;
    raw.reserve(requests_.size());
    for (const Request &request : requests_) {
        raw.push_back(request.raw);
    }
    return raw;
}

bool Server::waitForConnections(size_t n, Millis timeout) const {
    return waitUntil([&] { return connectionCount_ >= n; }, timeout);
}

bool Server::waitForRequests(size_t n, Millis timeout) const {
    return waitUntil([&] { return requestCount_ >= n; }, timeout);
}

uint16_t Server::refusedPort() {
    const int fd = bindLoopback();
    uint16_t port = 0;
    try {
        port = boundPort(fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return port;
}

} // namespace testserver
