// TLS loopback throughput of the asynchronous socket against a blocking OpenSSL loop.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kTotalBytes = 256u << 20;
constexpr std::size_t kWriteChunk = 1u << 20;
constexpr std::size_t kBlockingChunk = 16384;
constexpr double kMegabyte = 1024.0 * 1024.0;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Counts what the server end reads and asks for more until everything arrived.
class BenchDelegate : public support::GCDAsyncSocketDelegate {
  public:
    void didAcceptNewSocket(support::GCDAsyncSocket*, std::shared_ptr<support::GCDAsyncSocket> s) override {
        server = std::move(s);
        accepted = true;
    }
    bool socketDidReceiveTrust(support::GCDAsyncSocket*, const support::TlsTrust&,
                               std::function<void(bool)> answer) override {
        answer(true);
        return true;
    }
    void socketDidReadData(support::GCDAsyncSocket* s, std::span<const std::uint8_t> data, std::int64_t) override {
        received += data.size();
        if (received < kTotalBytes) s->readDataWithTimeout(-1, 0);
    }
    std::shared_ptr<support::GCDAsyncSocket> server;
    std::atomic<bool> accepted{false};
    std::atomic<std::size_t> received{0};
};

double socketMBs(const support::TlsIdentity& identity) {
    auto delegate = std::make_shared<BenchDelegate>();
    auto queue = platform::SerialQueue::create("bench delegate");
    auto listener = support::GCDAsyncSocket::create(delegate, queue);
    auto client = support::GCDAsyncSocket::create(delegate, queue);
    listener->acceptOnInterface("127.0.0.1", 0);
    client->connectToHost("127.0.0.1", listener->localPort(), nullptr);
    while (!delegate->accepted) std::this_thread::yield();
    std::shared_ptr<support::GCDAsyncSocket> server;
    queue->sync([&] { server = delegate->server; });
    server->startTLS({{support::kCFStreamSSLIsServer, true}, {support::kCFStreamSSLCertificates, identity}});
    server->readDataWithTimeout(-1, 0);
    client->startTLS({{support::GCDAsyncSocketManuallyEvaluateTrust, true}});
    const auto start = Clock::now();
    auto chunk = std::make_shared<const support::ByteBuffer>(kWriteChunk, 'x');
    for (std::size_t sent = 0; sent < kTotalBytes; sent += kWriteChunk) client->writeData(chunk, -1, 0);
    while (delegate->received < kTotalBytes) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    client.reset();
    listener.reset();
    queue->sync([&] { delegate->server.reset(); });
    server.reset();
    return kTotalBytes / kMegabyte / seconds;
}

double blockingMBs(const std::string& certFile, const std::string& keyFile) {
    const int listenFD = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listenFD, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
    ::listen(listenFD, 1);
    socklen_t len = sizeof(sin);
    ::getsockname(listenFD, reinterpret_cast<sockaddr*>(&sin), &len);

    SSL_CTX* serverCtx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate_chain_file(serverCtx, certFile.c_str());
    SSL_CTX_use_PrivateKey_file(serverCtx, keyFile.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX* clientCtx = SSL_CTX_new(TLS_client_method());
    const auto start = Clock::now();
    std::thread writer([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
        SSL* ssl = SSL_new(clientCtx);
        SSL_set_fd(ssl, fd);
        SSL_connect(ssl);
        std::vector<char> block(kBlockingChunk, 'x');
        for (std::size_t sent = 0; sent < kTotalBytes; sent += block.size())
            SSL_write(ssl, block.data(), static_cast<int>(block.size()));
        SSL_shutdown(ssl);
        SSL_free(ssl);
        ::close(fd);
    });
    const int conn = ::accept(listenFD, nullptr, nullptr);
    SSL* ssl = SSL_new(serverCtx);
    SSL_set_fd(ssl, conn);
    SSL_accept(ssl);
    std::vector<char> buffer(kBlockingChunk);
    std::size_t received = 0;
    while (received < kTotalBytes) {
        const int n = SSL_read(ssl, buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0) break;
        received += static_cast<std::size_t>(n);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    writer.join();
    SSL_free(ssl);
    ::close(conn);
    ::close(listenFD);
    SSL_CTX_free(serverCtx);
    SSL_CTX_free(clientCtx);
    return received / kMegabyte / seconds;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/tc_tls_bench_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
                                "-subj /CN=localhost -keyout " + dir + "/key.pem -out " + dir + "/cert.pem >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return 1;
    const support::TlsIdentity identity{readFile(dir + "/cert.pem"), readFile(dir + "/key.pem")};
    const double socket = socketMBs(identity);
    const double baseline = blockingMBs(dir + "/cert.pem", dir + "/key.pem");
    std::filesystem::remove_all(dir);
    std::printf("TLS socket: %.1f MB/s (%zu MB)\n", socket, kTotalBytes >> 20);
    std::printf("blocking OpenSSL loop: %.1f MB/s\n", baseline);
    std::printf("ratio: %.2f\n", socket / baseline);
    platform::shutdown();
    return 0;
}
