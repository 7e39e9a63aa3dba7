// Session messages per second, de-framed on "NewQueue", decrypted (enveloped
// run) and dispatched on the main thread, fed over loopback TCP by a local
// feeder that writes a fixed batch of frames as fast as the socket takes them.
// Each message is an account summary of a held account whose balance is the
// message's number: the balance the ledger last wrote counts the messages the
// session handled. Baseline: a memchr scan for the frame bytes of the same batch.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "model/account_details.h"
#include "model/deployment_constants.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/envelope.h"
#include "protocol/wire_format.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "silent_ui.h"
#include "state/ui_services.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench::SilentUi;

// Accepts one connection, reads the login request, then writes `batch`.
class Feeder {
public:
    explicit Feeder(std::string batch) : batch_(std::move(batch)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 1);
        socklen_t len = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~Feeder() {
        thread_.join();
        ::close(listener_);
    }
    int port() const { return port_; }
    Clock::time_point started() const { return started_.load(); }

private:
    void run() {
        int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        char buf[4096];
        if (::recv(fd, buf, sizeof buf, 0) <= 0) {  // the login request
            ::close(fd);
            return;
        }
        started_ = Clock::now();
        std::size_t done = 0;
        while (done < batch_.size()) {
            ssize_t n = ::send(fd, batch_.data() + done, batch_.size() - done, MSG_NOSIGNAL);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        // Keep the line open until the client has read everything.
        ::shutdown(fd, SHUT_WR);
        while (::recv(fd, buf, sizeof buf, 0) > 0) {
        }
        ::close(fd);
    }
    std::string batch_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<Clock::time_point> started_{Clock::time_point{}};
};

double run(const char* label, bool enveloped, int count) {
    const std::string key = deployment::kSecurityKey;
    std::string batch;
    for (int i = 1; i <= count; ++i) {
        const std::string plain = protocol::frameMessage("10=1045\x03" "20=5\x03" "21=20240102030405\x03" "34=1001\x03"
                                                         "560=" + std::to_string(i) + "\x03" "84=250.50\x03");
        batch += enveloped ? protocol::frameMessage(*protocol::sealEnvelopeBody(plain, key, false)) : plain;
    }

    // Baseline: find every frame boundary of the batch.
    auto b0 = Clock::now();
    std::size_t frames = 0;
    for (const char* p = batch.data(), *end = p + batch.size();
         (p = static_cast<const char*>(std::memchr(p, 0x02, static_cast<std::size_t>(end - p)))); ++p)
        ++frames;
    double baseline = std::chrono::duration<double>(Clock::now() - b0).count();

    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    SilentUi ui;
    Feeder feeder(batch);
    ui.login.setUserName("bench");
    ui.login.setPassword("bench");
    ui.login.setIPAddress("127.0.0.1");
    ui.login.setPortNo(feeder.port());
    ui.login.setSecurityKey(key);
    int dispatched = 0;
    {
        auto session = state::BusinessBase::create(ui, ui);
        auto account = std::make_shared<model::AccountDetails>();
        account->AccountId = 1001;
        state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session))
            .set("1001", account);
        state::commandsOf(*session).StreamingConnection(true, false);
        auto deadline = Clock::now() + std::chrono::seconds(120);
        while (dispatched < count && !ui.failed && Clock::now() < deadline) {
            if (loop->runUntilIdle() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
            dispatched = static_cast<int>(account->Balance);
        }
        auto seconds = std::chrono::duration<double>(Clock::now() - feeder.started()).count();
        double rate = dispatched / seconds;
        std::printf("%-10s %8d messages  %8.3f s  %10.0f msg/s  (%zu bytes; memchr baseline %.0f frames/s, ratio %.1f)\n",
                    label, dispatched, seconds, rate, batch.size(), frames / baseline,
                    (frames / baseline) / rate);
        state::commandsOf(*session).disconnectServer();
    }
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    return dispatched;
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::printf("session_bench: de-frame, decrypt and dispatch over loopback TCP\n");
    run("plain", false, 200000);
    run("enveloped", true, 50000);
    return 0;
}
