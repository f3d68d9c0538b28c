#pragma once

// A plain blocking POSIX client for driving the test server byte by byte.
// Every read waits at most five seconds.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

class LoopbackClient {
public:
    explicit LoopbackClient(uint16_t port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        connectError_ = connected_ ? 0 : errno;
    }
    ~LoopbackClient() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    LoopbackClient(const LoopbackClient &) = delete;
    LoopbackClient &operator=(const LoopbackClient &) = delete;

    bool connected() const { return connected_; }
    int connectError() const { return connectError_; }

    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Everything up to and including marker (or what came before EOF or the time-out).
    std::string readUntil(std::string_view marker) {
        size_t at;
        while ((at = buffer_.find(marker)) == std::string::npos && fill()) {
        }
        return take(at == std::string::npos ? buffer_.size() : at + marker.size());
    }

    std::string readExactly(size_t count) {
        while (buffer_.size() < count && fill()) {
        }
        return take(std::min(count, buffer_.size()));
    }

    // Everything until the server closes; eof() tells whether it did.
    std::string readToEnd() {
        while (fill()) {
        }
        return take(buffer_.size());
    }
    bool eof() const { return eof_; }

    // One response: head, then a body framed by Content-Length or chunked coding.
    std::string readResponse() {
        std::string head = readUntil("\r\n\r\n");
        std::string lower;
        for (char c : head) {
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (lower.find("transfer-encoding: chunked") != std::string::npos) {
            return head + readUntil("0\r\n\r\n");
        }
        const size_t length = lower.find("content-length:");
        if (length == std::string::npos) {
            return head;
        }
        return head + readExactly(std::stoul(lower.substr(length + 15)));
    }

private:
    bool fill() {
        pollfd p{fd_, POLLIN, 0};
        if (eof_ || poll(&p, 1, 5000) <= 0) {
            return false;
        }
        char chunk[4096];
        const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            eof_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
        return true;
    }

    std::string take(size_t count) {
        std::string out = buffer_.substr(0, count);
        buffer_.erase(0, count);
        return out;
    }

    int fd_ = -1;
    bool connected_ = false;
    int connectError_ = 0;
    bool eof_ = false;
    std::string buffer_;
};
