#pragma once
// Socket delegate that records every call (and whether it ran on the delegate
// queue) and lets a test wait for calls.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"

namespace testsupport {

struct SocketEvent {
    enum Kind {
        Connect,
        Read,
        ReadPartial,
        Write,
        WritePartial,
        ReadTimeout,
        WriteTimeout,
        CloseReadStream,
        Disconnect,
        Accept,
        ConnectUrl,
        Secure,
        Trust
    };
    explicit SocketEvent(Kind k) : kind(k) {}
    Kind kind;
    std::string host;  // Connect; the URL of ConnectUrl
    std::uint16_t port = 0;
    std::string data;        // Read
    std::size_t length = 0;  // partials, bytesDone of timeouts
    double elapsed = 0;
    std::int64_t tag = 0;
    std::optional<support::SocketError> error;  // Disconnect
    bool hadSocket = false;
};

class RecordingSocketDelegate : public support::GCDAsyncSocketDelegate {
  public:
    explicit RecordingSocketDelegate(std::shared_ptr<platform::SerialQueue> queue)
        : queue_(std::move(queue)) {}

    // Extensions handed out for successive timeout questions; 0 once used up.
    std::vector<double> readExtensions;
    std::vector<double> writeExtensions;
    // Runs inside socketDidReadData (on the delegate queue).
    std::function<void(support::GCDAsyncSocket*, const std::string&, std::int64_t)> onRead;

    void socketDidConnectToHost(support::GCDAsyncSocket* s, const std::string& host,
                                std::uint16_t port) override {
        SocketEvent e(SocketEvent::Connect);
        e.host = host;
        e.port = port;
        record(e, s);
    }
    void socketDidReadData(support::GCDAsyncSocket* s, std::span<const std::uint8_t> data,
                           std::int64_t tag) override {
        SocketEvent e(SocketEvent::Read);
        e.data.assign(reinterpret_cast<const char*>(data.data()), data.size());
        e.tag = tag;
        record(e, s);
        if (onRead) onRead(s, e.data, tag);
    }
    void socketDidReadPartialDataOfLength(support::GCDAsyncSocket* s, std::size_t len,
                                          std::int64_t tag) override {
        SocketEvent e(SocketEvent::ReadPartial);
        e.length = len;
        e.tag = tag;
        record(e, s);
    }
    void socketDidWriteDataWithTag(support::GCDAsyncSocket* s, std::int64_t tag) override {
        SocketEvent e(SocketEvent::Write);
        e.tag = tag;
        record(e, s);
    }
    void socketDidWritePartialDataOfLength(support::GCDAsyncSocket* s, std::size_t len,
                                           std::int64_t tag) override {
        SocketEvent e(SocketEvent::WritePartial);
        e.length = len;
        e.tag = tag;
        record(e, s);
    }
    double shouldTimeoutReadWithTag(support::GCDAsyncSocket* s, std::int64_t tag, double elapsed,
                                    std::size_t bytesDone) override {
        SocketEvent e(SocketEvent::ReadTimeout);
        e.tag = tag;
        e.elapsed = elapsed;
        e.length = bytesDone;
        double ext = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!readExtensions.empty()) {
                ext = readExtensions.front();
                readExtensions.erase(readExtensions.begin());
            }
        }
        record(e, s);
        return ext;
    }
    double shouldTimeoutWriteWithTag(support::GCDAsyncSocket* s, std::int64_t tag, double elapsed,
                                     std::size_t bytesDone) override {
        SocketEvent e(SocketEvent::WriteTimeout);
        e.tag = tag;
        e.elapsed = elapsed;
        e.length = bytesDone;
        double ext = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!writeExtensions.empty()) {
                ext = writeExtensions.front();
                writeExtensions.erase(writeExtensions.begin());
            }
        }
        record(e, s);
        return ext;
    }
    void socketDidCloseReadStream(support::GCDAsyncSocket* s) override {
        record(SocketEvent(SocketEvent::CloseReadStream), s);
    }
    void socketDidDisconnect(support::GCDAsyncSocket* s,
                             const std::optional<support::SocketError>& error) override {
        SocketEvent e(SocketEvent::Disconnect);
        e.error = error;
        record(e, s);
    }

    std::shared_ptr<platform::SerialQueue> newSocketQueueForConnectionFromAddress(
        const std::vector<std::uint8_t>&, support::GCDAsyncSocket*) override {
        return acceptedSocketQueue;
    }
    void didAcceptNewSocket(support::GCDAsyncSocket* s, std::shared_ptr<support::GCDAsyncSocket> newSocket) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            accepted_.push_back(std::move(newSocket));
        }
        record(SocketEvent(SocketEvent::Accept), s);
    }
    void socketDidConnectToUrl(support::GCDAsyncSocket* s, const std::string& url) override {
        SocketEvent e(SocketEvent::ConnectUrl);
        e.host = url;
        record(e, s);
    }
    void socketDidSecure(support::GCDAsyncSocket* s) override { record(SocketEvent(SocketEvent::Secure), s); }
    bool socketDidReceiveTrust(support::GCDAsyncSocket* s, const support::TlsTrust& trust,
                               std::function<void(bool)> completionHandler) override {
        SocketEvent e(SocketEvent::Trust);
        e.length = static_cast<std::size_t>(trust.verifyResult);
        e.data = trust.leafCertificatePem;
        std::optional<bool> answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            answer = trustAnswer;
            trustHandler_ = completionHandler;
        }
        record(e, s);
        if (!answer) return false;
        completionHandler(*answer);
        return true;
    }
    // The last trust completion handler received.
    std::function<void(bool)> trustHandler() {
        std::lock_guard<std::mutex> lock(mutex_);
        return trustHandler_;
    }
    // The trust answer given at once; absent: the delegate acts as if it lacked the method.
    std::optional<bool> trustAnswer;

    // The sockets handed over by didAcceptNewSocket (kept here, as the delegate must).
    std::vector<std::shared_ptr<support::GCDAsyncSocket>> accepted() {
        std::lock_guard<std::mutex> lock(mutex_);
        return accepted_;
    }
    // Drops the accepted sockets (call before the delegate queue goes away).
    void releaseAccepted() {
        std::vector<std::shared_ptr<support::GCDAsyncSocket>> drop;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            drop.swap(accepted_);
        }
    }
    // Socket queue handed to accepted connections (null: each makes its own).
    std::shared_ptr<platform::SerialQueue> acceptedSocketQueue;

    // Waits (real time) until `count` events of `kind` were recorded.
    bool waitFor(SocketEvent::Kind kind, std::size_t count = 1, int timeoutMs = 5000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return countLocked(kind) >= count; });
    }
    std::size_t count(SocketEvent::Kind kind) {
        std::lock_guard<std::mutex> lock(mutex_);
        return countLocked(kind);
    }
    std::vector<SocketEvent> events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    std::vector<SocketEvent> eventsOf(SocketEvent::Kind kind) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<SocketEvent> out;
        for (auto& e : events_)
            if (e.kind == kind) out.push_back(e);
        return out;
    }
    bool allOnDelegateQueue() {
        std::lock_guard<std::mutex> lock(mutex_);
        return offQueueCalls_ == 0;
    }

  private:
    void record(SocketEvent e, support::GCDAsyncSocket* s) {
        e.hadSocket = s != nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!queue_->isCurrent()) ++offQueueCalls_;
            events_.push_back(std::move(e));
        }
        cv_.notify_all();
    }
    std::size_t countLocked(SocketEvent::Kind kind) const {
        std::size_t n = 0;
        for (auto& e : events_)
            if (e.kind == kind) ++n;
        return n;
    }

    std::shared_ptr<platform::SerialQueue> queue_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<SocketEvent> events_;
    std::vector<std::shared_ptr<support::GCDAsyncSocket>> accepted_;
    std::function<void(bool)> trustHandler_;
    int offQueueCalls_ = 0;
};

}  // namespace testsupport
