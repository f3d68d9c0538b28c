// A keep-alive HTTP server on 127.0.0.1 that answers every request with one
// prepared reply, so that a benchmark measures its client and not the server:
// no parsing beyond the framing (the blank line and Content-Length), no
// allocation per request, one thread per connection blocked in recv.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class PreparedReplyServer {
public:
    // body: what every reply carries, with status 200 and its Content-Length.
    explicit PreparedReplyServer(const std::string& body)
        : reply_("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                 "\r\n\r\n" + body)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            throw std::runtime_error("PreparedReplyServer: cannot listen on 127.0.0.1");
        port_ = ntohs(addr.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~PreparedReplyServer()
    {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        acceptor_.join();
        {
            std::lock_guard guard(lock_);
            for (int fd : connections_) ::shutdown(fd, SHUT_RDWR);
        }
        for (auto& t : workers_) t.join();
        for (int fd : connections_) ::close(fd);
        ::close(listener_);
    }

    PreparedReplyServer(const PreparedReplyServer&) = delete;
    PreparedReplyServer& operator=(const PreparedReplyServer&) = delete;

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    void acceptLoop()
    {
        while (!stopping_) {
            int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            std::lock_guard guard(lock_);
            connections_.push_back(fd);
            workers_.emplace_back([this, fd] { serve(fd); });
        }
    }

    // The length of the first whole request in the buffer, 0 while it is incomplete.
    static size_t requestLength(std::string_view buffer)
    {
        size_t end = buffer.find("\r\n\r\n");
        if (end == std::string_view::npos) return 0;
        size_t body = 0;
        for (size_t line = buffer.find("\r\n") + 2; line < end; line = buffer.find("\r\n", line) + 2) {
            constexpr std::string_view kLength = "content-length:";
            if (::strncasecmp(buffer.data() + line, kLength.data(), kLength.size()) == 0)
                body = std::strtoul(buffer.data() + line + kLength.size(), nullptr, 10);
        }
        return buffer.size() >= end + 4 + body ? end + 4 + body : 0;
    }

    void serve(int fd)
    {
        std::string buffer;
        std::vector<char> chunk(64 * 1024);
        for (;;) {
            ssize_t n = ::recv(fd, chunk.data(), chunk.size(), 0);
            if (n <= 0) break;
            buffer.append(chunk.data(), static_cast<size_t>(n));
            while (size_t length = requestLength(buffer)) {
                buffer.erase(0, length);
                if (::send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(reply_.size())) {
                    return;
                }
            }
        }
    }

    const std::string reply_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex lock_;
    std::vector<int> connections_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};
