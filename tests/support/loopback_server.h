#pragma once
// Blocking loopback peer for socket tests: listens on 127.0.0.1 and/or ::1,
// accepts one connection at a time, sends and receives on demand, or echoes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class LoopbackServer {
  public:
    // port 0: the system picks one (shared by both families when both are asked for).
    explicit LoopbackServer(bool ipv4 = true, bool ipv6 = false, std::uint16_t port = 0, int backlog = 16) {
        if (ipv4) {
            listen4_ = listenOn(AF_INET, port, backlog);
            port = port_;
        }
        if (ipv6) listen6_ = listenOn(AF_INET6, port, backlog);
    }
    ~LoopbackServer() {
        stopEcho();
        closeConnection();
        if (listen4_ >= 0) ::close(listen4_);
        if (listen6_ >= 0) ::close(listen6_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }

    // Waits up to timeoutMs for a connection on either listener; true when one was accepted.
    bool accept(int timeoutMs = 5000) {
        pollfd fds[2];
        int n = 0;
        if (listen4_ >= 0) fds[n++] = pollfd{listen4_, POLLIN, 0};
        if (listen6_ >= 0) fds[n++] = pollfd{listen6_, POLLIN, 0};
        if (::poll(fds, n, timeoutMs) <= 0) return false;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents & POLLIN) {
                conn_ = ::accept(fds[i].fd, nullptr, nullptr);
                return conn_ >= 0;
            }
        }
        return false;
    }

    void send(const std::string& bytes) { sendBytes(bytes.data(), bytes.size()); }
    void sendBytes(const void* data, std::size_t len) {
        const char* p = static_cast<const char*>(data);
        while (len > 0) {
            const ssize_t n = ::send(conn_, p, len, MSG_NOSIGNAL);
            if (n <= 0) return;
            p += n;
            len -= static_cast<std::size_t>(n);
        }
    }
    // Reads exactly n bytes (or less when the peer closes or timeoutMs passes).
    std::string receive(std::size_t n, int timeoutMs = 5000) {
        std::string out;
        while (out.size() < n) {
            pollfd pfd{conn_, POLLIN, 0};
            if (::poll(&pfd, 1, timeoutMs) <= 0) break;
            char buf[65536];
            const ssize_t r = ::recv(conn_, buf, std::min(sizeof(buf), n - out.size()), 0);
            if (r <= 0) break;
            out.append(buf, static_cast<std::size_t>(r));
        }
        return out;
    }
    // Reads until the peer closes; returns everything read.
    std::string receiveUntilClosed(int timeoutMs = 5000) {
        std::string out;
        for (;;) {
            pollfd pfd{conn_, POLLIN, 0};
            if (::poll(&pfd, 1, timeoutMs) <= 0) break;
            char buf[65536];
            const ssize_t r = ::recv(conn_, buf, sizeof(buf), 0);
            if (r <= 0) break;
            out.append(buf, static_cast<std::size_t>(r));
        }
        return out;
    }
    void shutdownWrite() { ::shutdown(conn_, SHUT_WR); }
    void closeConnection() {
        if (conn_ >= 0) ::close(conn_);
        conn_ = -1;
    }
    int connection() const { return conn_; }

    // Echoes everything on the accepted connection from a thread until stopEcho().
    void startEcho() {
        echoing_ = true;
        echo_ = std::thread([this] {
            char buf[65536];
            while (echoing_) {
                pollfd pfd{conn_, POLLIN, 0};
                if (::poll(&pfd, 1, 50) <= 0) continue;
                const ssize_t r = ::recv(conn_, buf, sizeof(buf), 0);
                if (r <= 0) break;
                sendBytes(buf, static_cast<std::size_t>(r));
            }
        });
    }
    void stopEcho() {
        echoing_ = false;
        if (echo_.joinable()) echo_.join();
    }

  private:
    int listenOn(int family, std::uint16_t port, int backlog) {
        const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        if (family == AF_INET) {
            sockaddr_in sin{};
            sin.sin_family = AF_INET;
            sin.sin_port = htons(port);
            sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            ::bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
        } else {
            ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof(on));
            sockaddr_in6 sin6{};
            sin6.sin6_family = AF_INET6;
            sin6.sin6_port = htons(port);
            sin6.sin6_addr = in6addr_loopback;
            ::bind(fd, reinterpret_cast<sockaddr*>(&sin6), sizeof(sin6));
        }
        ::listen(fd, backlog);
        sockaddr_storage ss{};
        socklen_t len = sizeof(ss);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
        port_ = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&ss)->sin_port
                                        : reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port);
        return fd;
    }

    int listen4_ = -1;
    int listen6_ = -1;
    int conn_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> echoing_{false};
    std::thread echo_;
};

// A port on 127.0.0.1 (and ::1) where nothing listens: bound, never listening.
class ClosedPort {
  public:
    ClosedPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
        socklen_t len = sizeof(sin);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sin), &len);
        port_ = ntohs(sin.sin_port);
    }
    ~ClosedPort() { ::close(fd_); }
    std::uint16_t port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace testsupport
