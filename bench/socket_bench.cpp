// Loopback throughput of the asynchronous socket against a blocking read() loop,
// and the rate of small terminator reads.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kStreamBytes = 512u << 20;
constexpr std::size_t kLines = 200000;

struct Listener {
    int fd = -1;
    std::uint16_t port = 0;
    Listener() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
        ::listen(fd, 4);
        socklen_t len = sizeof(sin);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&sin), &len);
        port = ntohs(sin.sin_port);
    }
    ~Listener() { ::close(fd); }
};

// Accepts one connection and writes `total` bytes of `pattern`, repeated.
std::thread sender(Listener& listener, std::string pattern, std::size_t total) {
    return std::thread([&listener, pattern = std::move(pattern), total] {
        const int conn = ::accept(listener.fd, nullptr, nullptr);
        std::string block;
        while (block.size() < (1u << 16)) block += pattern;
        block.resize(block.size() - block.size() % pattern.size());
        std::size_t sent = 0;
        while (sent < total) {
            const std::size_t offset = sent % block.size();
            const std::size_t n = std::min(block.size() - offset, total - sent);
            const ssize_t w = ::send(conn, block.data() + offset, n, MSG_NOSIGNAL);
            if (w <= 0) break;
            sent += static_cast<std::size_t>(w);
        }
        ::close(conn);
    });
}

double blockingReadMBs() {
    Listener listener;
    auto t = sender(listener, "x", kStreamBytes);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(listener.port);
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
    std::vector<char> buf(1 << 16);
    std::size_t got = 0;
    const auto start = Clock::now();
    for (;;) {
        const ssize_t r = ::read(fd, buf.data(), buf.size());
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fd);
    t.join();
    return static_cast<double>(got) / (1024.0 * 1024.0) / secs;
}

class BenchDelegate : public support::GCDAsyncSocketDelegate {
  public:
    enum class Mode { AnyAmount, Lines };
    explicit BenchDelegate(Mode mode) : mode_(mode) {}

    void socketDidConnectToHost(support::GCDAsyncSocket* sock, const std::string&, std::uint16_t) override {
        start_ = Clock::now();
        next(sock);
    }
    void socketDidReadData(support::GCDAsyncSocket* sock, std::span<const std::uint8_t> data,
                           std::int64_t) override {
        bytes_ += data.size();
        ++reads_;
        next(sock);
    }
    void socketDidDisconnect(support::GCDAsyncSocket*, const std::optional<support::SocketError>&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        seconds_ = std::chrono::duration<double>(Clock::now() - start_).count();
        done_ = true;
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [this] { return done_; });
    }
    std::size_t bytes() const { return bytes_; }
    std::size_t reads() const { return reads_; }
    double seconds() const { return seconds_; }

  private:
    void next(support::GCDAsyncSocket* sock) {
        if (mode_ == Mode::AnyAmount)
            sock->readDataWithTimeout(-1, 0);
        else
            sock->readDataToData(support::GCDAsyncSocket::CRLFData(), -1, 0);
    }
    Mode mode_;
    std::size_t bytes_ = 0;
    std::size_t reads_ = 0;
    Clock::time_point start_;
    double seconds_ = 0;
    bool done_ = false;
    std::mutex mutex_;
    std::condition_variable cv_;
};

std::shared_ptr<BenchDelegate> runSocket(BenchDelegate::Mode mode, const std::string& pattern,
                                         std::size_t total) {
    Listener listener;
    auto t = sender(listener, pattern, total);
    auto queue = platform::SerialQueue::create("bench.delegate");
    auto delegate = std::make_shared<BenchDelegate>(mode);
    auto sock = support::GCDAsyncSocket::create(delegate, queue);
    support::SocketError error;
    if (!sock->connectToHost("127.0.0.1", listener.port, &error)) {
        std::fprintf(stderr, "connect failed: %s\n", error.message.c_str());
        std::exit(1);
    }
    delegate->wait();
    t.join();
    queue->sync([] {});
    return delegate;
}

}  // namespace

int main() {
    const double baseline = blockingReadMBs();
    auto any = runSocket(BenchDelegate::Mode::AnyAmount, "x", kStreamBytes);
    const double socketMBs = static_cast<double>(any->bytes()) / (1024.0 * 1024.0) / any->seconds();
    std::printf("any-amount reads: %.1f MB/s (%zu reads, %.1f KB each)\n", socketMBs, any->reads(),
                static_cast<double>(any->bytes()) / 1024.0 / static_cast<double>(any->reads()));
    std::printf("blocking read() loop: %.1f MB/s\n", baseline);
    std::printf("ratio: %.2f (target >= 0.5)\n", socketMBs / baseline);

    const std::string line = "12345678901234567890123456789\r\n";  // 31 bytes
    auto lines = runSocket(BenchDelegate::Mode::Lines, line, kLines * line.size());
    std::printf("terminator reads: %.0f lines/s (%zu lines of %zu bytes)\n",
                static_cast<double>(lines->reads()) / lines->seconds(), lines->reads(), line.size());
    return 0;
}
