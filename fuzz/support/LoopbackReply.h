// A server on 127.0.0.1 for the harnesses that fuzz a client's reply handling:
// each connection gets its request read up to the blank line, then the current
// reply bytes exactly as given, and is closed. One thread serves connections
// in turn; waits are bounded so a stuck client never hangs the harness.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace fuzz {

class LoopbackReply {
public:
    LoopbackReply()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            std::abort();
        port_ = ntohs(addr.sin_port);
        worker_ = std::thread([this] { serve(); });
    }

    ~LoopbackReply()
    {
        stop_ = true;
        worker_.join();
        ::close(listener_);
    }

    LoopbackReply(const LoopbackReply&) = delete;
    LoopbackReply& operator=(const LoopbackReply&) = delete;

    uint16_t port() const { return port_; }

    void setReply(std::string bytes)
    {
        std::lock_guard guard(lock_);
        reply_ = std::move(bytes);
    }

private:
    static bool readable(int fd, int ms)
    {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, ms) == 1;
    }

    void serve()
    {
        while (!stop_) {
            if (!readable(listener_, 50)) continue;
            int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            answer(fd);
            ::close(fd);
        }
    }

    void answer(int fd)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && readable(fd, 1000)) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
        std::string reply;
        {
            std::lock_guard guard(lock_);
            reply = reply_;
        }
        for (size_t sent = 0; sent < reply.size();) {
            ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
        // The end of the reply is the end of the connection; wait briefly for
        // the client to take it before closing.
        ::shutdown(fd, SHUT_WR);
        while (readable(fd, 50) && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    }

    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::string reply_;
    std::thread worker_;
};

}  // namespace fuzz
