#pragma once
// A SOCKS5 proxy for tests (RFC 1928, no authentication, CONNECT only): binds
// 127.0.0.1 on an ephemeral port, serves each client on a thread of its own
// and relays bytes both ways until either side closes. Nothing sleeps; stop()
// (also run by the destructor) wakes every wait and joins every thread.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testserver {

class Socks5Server {
public:
    Socks5Server();
    ~Socks5Server();
    Socks5Server(const Socks5Server &) = delete;
    Socks5Server &operator=(const Socks5Server &) = delete;

    int port() const { return port_; }
    void stop();

    // Clients accepted so far, and the "host:port" each asked to reach.
    size_t connectionsAccepted() const { return accepted_; }
    std::vector<std::string> targets() const;

private:
    void acceptLoop();
    void serve(int client);
    bool readExactly(int fd, void *buffer, size_t size);
    void relay(int a, int b);

    int listener_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> accepted_{0};
    mutable std::mutex lock_;
    std::vector<std::string> targets_;
    std::vector<int> fds_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace testserver
