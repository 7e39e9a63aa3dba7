// Accepts per second of a listening asynchronous socket, against a blocking accept() loop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kConnections = 5000;

int connectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(port);
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Drops each accepted socket at once and counts it.
class CountingDelegate : public support::GCDAsyncSocketDelegate {
  public:
    void didAcceptNewSocket(support::GCDAsyncSocket*, std::shared_ptr<support::GCDAsyncSocket>) override {
        accepted.fetch_add(1, std::memory_order_relaxed);
    }
    std::atomic<int> accepted{0};
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Connects kConnections times (closing each at once) and waits until `done` reports them all.
template <typename Done>
double timeConnections(std::uint16_t port, Done done) {
    const auto start = Clock::now();
    for (int i = 0; i < kConnections; ++i) {
        const int fd = connectTo(port);
        if (fd >= 0) ::close(fd);
    }
    while (!done()) std::this_thread::yield();
    return kConnections / secondsSince(start);
}

double socketAcceptsPerSecond() {
    auto delegate = std::make_shared<CountingDelegate>();
    auto queue = platform::SerialQueue::create("bench delegate");
    auto listener = support::GCDAsyncSocket::create(delegate, queue);
    support::SocketError error;
    if (!listener->acceptOnInterface("127.0.0.1", 0, &error)) {
        std::fprintf(stderr, "listen failed: %s\n", error.message.c_str());
        return 0;
    }
    const double rate = timeConnections(listener->localPort(),
                                        [&] { return delegate->accepted.load() >= kConnections; });
    listener.reset();
    queue->sync([] {});
    return rate;
}

double blockingAcceptsPerSecond() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
    ::listen(fd, 1024);
    socklen_t len = sizeof(sin);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sin), &len);
    std::atomic<int> accepted{0};
    std::thread acceptor([&] {
        for (int i = 0; i < kConnections; ++i) {
            const int conn = ::accept(fd, nullptr, nullptr);
            if (conn >= 0) ::close(conn);
            accepted.fetch_add(1, std::memory_order_relaxed);
        }
    });
    const double rate = timeConnections(ntohs(sin.sin_port), [&] { return accepted.load() >= kConnections; });
    acceptor.join();
    ::close(fd);
    return rate;
}

}  // namespace

int main() {
    const double socketRate = socketAcceptsPerSecond();
    const double baseline = blockingAcceptsPerSecond();
    std::printf("listening socket: %.0f accepts/s (%d connections)\n", socketRate, kConnections);
    std::printf("blocking accept() loop: %.0f accepts/s\n", baseline);
    std::printf("ratio: %.2f\n", socketRate / baseline);
    platform::shutdown();
    return 0;
}
