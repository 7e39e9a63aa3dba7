#pragma once
// The TCP session to the trading server, and the stream de-framer shared with
// the session object.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"

namespace protocol {

class MessageBase;

// Finds frames (0x01 ... 0x02) in a byte stream that arrives in pieces.
// Frames are cut on bytes, so a read that ends inside a frame, right after
// its 0x01 or inside a UTF-8 character loses nothing. Bytes between a 0x02
// and the next 0x01 are dropped. A 0x01 inside an unfinished frame ends that
// frame and starts the next one. Empty frames are dropped.
class FrameReader {
public:
    static constexpr std::size_t kDefaultMaxFrame = 16u * 1024u * 1024u;

    explicit FrameReader(std::size_t maxFrame = kDefaultMaxFrame) : maxFrame_(maxFrame) {}

    // Appends bytes and calls `frame` with the body of every completed frame
    // (0x01 and 0x02 removed). Returns false, dropping the unfinished frame,
    // when it grows past the cap.
    bool append(std::string_view bytes, const std::function<void(std::string&&)>& frame);
    // The unfinished frame, without its 0x01.
    const std::string& tail() const { return tail_; }
    bool insideFrame() const { return inside_; }
    std::size_t droppedBytes() const { return dropped_; }
    void reset();

private:
    std::size_t maxFrame_;
    std::string tail_;
    bool inside_ = false;
    std::size_t dropped_ = 0;
};

// The session object as the connection reports to it. Every call arrives on
// the connection's queue "NewQueue", except a connect refused at once, which
// arrives on the caller's thread.
class ConnectionDelegate {
public:
    virtual ~ConnectionDelegate() = default;
    // The TCP session is up (the login request or the registration comes next).
    virtual void connectionDidConnect(bool demoRegistration) = 0;
    // One complete frame, start and end bytes removed, not yet checked as UTF-8.
    virtual void connectionDidReceiveFrame(std::string frame) = 0;
    // The session ended without a manual disconnect, or could not start.
    virtual void connectionDidFail(const std::string& error) = 0;
};

// The values of the login request (type 32).
struct LoginRequestValues {
    std::optional<std::string> userName;
    std::optional<std::string> password;
    std::optional<std::string> productName;
    std::optional<std::string> productVersion;
    std::string packedTime;  // "yyyyMMddHHmmss"
};

// The TCP session: connect, read loop with time-out, de-framing, sending and
// the three ways of disconnecting. The ZeroMQ channels join it later.
class ConnectionBase : public support::GCDAsyncSocketDelegate, public std::enable_shared_from_this<ConnectionBase> {
public:
    static constexpr double kReadTimeout = 30.0;

    static std::shared_ptr<ConnectionBase> create(std::weak_ptr<ConnectionDelegate> delegate,
                                                  std::size_t maxFrame = FrameReader::kDefaultMaxFrame);
    ~ConnectionBase() override;

    // Connects to host:port; the outcome arrives through the delegate. A port
    // outside 1-65535, or a connect the socket refuses at once (an empty host,
    // say), is reported through connectionDidFail and answers false.
    bool ConnectToServer(bool demoRegistration, const std::string& host, std::int64_t port);
    // The same connect again with the last address; nothing while connected.
    void reloginToServer();
    // Fills `message` with the login request and builds it (main thread).
    static void LoginRequest(MessageBase& message, const LoginRequestValues& values);
    // Writes a framed text; no time-out.
    void sendMessage(const std::string& frame);
    // Disconnect asked for by the client: not reported as a failure.
    void DisconnectServer();
    // Disconnect that is reported as a failure.
    void ReloginRequestDisconnectServer();

    bool isConnected() const;
    std::atomic<bool> isNetworkAvailable{false};
    std::atomic<bool> isManualServerDisconnect{false};
    std::atomic<bool> DemoRegistration{false};

    const std::shared_ptr<support::GCDAsyncSocket>& Socket() const { return socket_; }
    const std::shared_ptr<platform::SerialQueue>& queue() const { return queue_; }

    // Socket delegate, on "NewQueue".
    void socketDidConnectToHost(support::GCDAsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void socketDidReadData(support::GCDAsyncSocket* sock, std::span<const std::uint8_t> data,
                           std::int64_t tag) override;
    void socketDidDisconnect(support::GCDAsyncSocket* sock,
                             const std::optional<support::SocketError>& error) override;

private:
    ConnectionBase(std::weak_ptr<ConnectionDelegate> delegate, std::size_t maxFrame);
    bool connect(const std::string& host, std::int64_t port);
    // The ZeroMQ reader and worker stop with the TCP session (later).
    void cancelChannelThreads() {}

    std::weak_ptr<ConnectionDelegate> delegate_;
    std::shared_ptr<platform::SerialQueue> queue_;
    std::shared_ptr<support::GCDAsyncSocket> socket_;
    FrameReader frames_;  // "NewQueue" only
    std::mutex addressMutex_;
    std::string host_;
    std::int64_t port_ = 0;
};

}  // namespace protocol
