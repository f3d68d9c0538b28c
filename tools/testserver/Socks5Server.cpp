#include "tools/testserver/Socks5Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testserver {

Socks5Server::Socks5Server()
{
    if (pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        throw std::runtime_error("SOCKS5 test server cannot listen");
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

Socks5Server::~Socks5Server() { stop(); }

void Socks5Server::stop()
{
    if (stopping_.exchange(true)) return;
    char b = 0;
    (void)!write(wake_[1], &b, 1);
    if (acceptor_.joinable()) acceptor_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard guard(lock_);
        for (int fd : fds_) shutdown(fd, SHUT_RDWR);
        threads.swap(threads_);
    }
    for (auto &t : threads) t.join();
    for (int fd : fds_) close(fd);
    fds_.clear();
    close(listener_);
    close(wake_[0]);
    close(wake_[1]);
}

std::vector<std::string> Socks5Server::targets() const
{
    std::lock_guard guard(lock_);
    return targets_;
}

void Socks5Server::acceptLoop()
{
    for (;;) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0 || (p[1].revents & POLLIN)) return;
        int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ++accepted_;
        std::lock_guard guard(lock_);
        if (stopping_) {
            close(client);
            return;
        }
        fds_.push_back(client);
        threads_.emplace_back([this, client] { serve(client); });
    }
}

// Reads until the buffer is full; false when the peer closed or the server stops.
bool Socks5Server::readExactly(int fd, void *buffer, size_t size)
{
    auto *out = static_cast<uint8_t *>(buffer);
    while (size > 0) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 2, 5000) <= 0 || (p[1].revents & POLLIN)) return false;
        ssize_t n = read(fd, out, size);
        if (n <= 0) return false;
        out += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void Socks5Server::serve(int client)
{
    int upstream = -1;
    auto done = [&] {
        if (upstream >= 0) close(upstream);
        // The descriptor stays listed (shut down by stop) until the thread is joined.
        shutdown(client, SHUT_RDWR);
    };
    uint8_t head[2];
    if (!readExactly(client, head, 2) || head[0] != 5) return done();
    std::vector<uint8_t> methods(head[1]);
    if (!readExactly(client, methods.data(), methods.size())) return done();
    bool noAuth = std::find(methods.begin(), methods.end(), 0) != methods.end();
    uint8_t choice[2] = {5, static_cast<uint8_t>(noAuth ? 0 : 0xff)};
    if (send(client, choice, 2, MSG_NOSIGNAL) != 2 || !noAuth) return done();

    uint8_t req[4];
    if (!readExactly(client, req, 4) || req[0] != 5 || req[1] != 1) return done();
    std::string host;
    if (req[3] == 1) {
        uint8_t ip[4];
        if (!readExactly(client, ip, 4)) return done();
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, ip, text, sizeof text);
        host = text;
    } else if (req[3] == 3) {
        uint8_t n = 0;
        if (!readExactly(client, &n, 1)) return done();
        host.resize(n);
        if (!readExactly(client, host.data(), n)) return done();
    } else {
        return done();
    }
    uint8_t portBytes[2];
    if (!readExactly(client, portBytes, 2)) return done();
    int port = portBytes[0] << 8 | portBytes[1];
    {
        std::lock_guard guard(lock_);
        targets_.push_back(host + ":" + std::to_string(port));
    }
    // Only loopback destinations are reached: a test never leaves 127.0.0.1.
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    bool loopback = (host == "localhost" || inet_pton(AF_INET, host.c_str(), &to.sin_addr) == 1) &&
                    (host == "localhost" || (ntohl(to.sin_addr.s_addr) >> 24) == 127);
    if (host == "localhost") to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    upstream = loopback ? socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
    bool connected = upstream >= 0 && connect(upstream, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    uint8_t reply[10] = {5, static_cast<uint8_t>(connected ? 0 : 5), 0, 1, 0, 0, 0, 0, 0, 0};
    if (send(client, reply, sizeof reply, MSG_NOSIGNAL) != sizeof reply || !connected) return done();
    relay(client, upstream);
    done();
}

void Socks5Server::relay(int a, int b)
{
    char buffer[16384];
    for (;;) {
        pollfd p[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (poll(p, 3, -1) < 0 || (p[2].revents & POLLIN)) return;
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(p[i].fd, buffer, sizeof buffer);
            if (n <= 0) return;
            int to = i == 0 ? b : a;
            for (ssize_t sent = 0; sent < n;) {
                ssize_t w = send(to, buffer + sent, static_cast<size_t>(n - sent), MSG_NOSIGNAL);
                if (w <= 0) return;
                sent += w;
            }
        }
    }
}

} // namespace testserver
