#include "protocol/connection_base.h"

#include "model/device_info.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/message_base.h"
#include "protocol/msg_type.h"
#include "protocol/tags.h"

namespace protocol {

// ---------------------------------------------------------------------------
// ConnectionBase

std::shared_ptr<ConnectionBase> ConnectionBase::create(std::weak_ptr<ConnectionDelegate> delegate,
                                                       std::size_t maxFrame) {
    std::shared_ptr<ConnectionBase> conn(new ConnectionBase(std::move(delegate), maxFrame));
    conn->socket_ = support::GCDAsyncSocket::create(std::weak_ptr<support::GCDAsyncSocketDelegate>(conn),
                                                    conn->queue_);
    return conn;
}

ConnectionBase::ConnectionBase(std::weak_ptr<ConnectionDelegate> delegate, std::size_t maxFrame)
    : delegate_(std::move(delegate)), queue_(platform::SerialQueue::create("NewQueue")), frames_(maxFrame) {}

ConnectionBase::~ConnectionBase() {
    // The socket holds this object weakly: from here on it reaches nobody.
    if (socket_) {
        isManualServerDisconnect = true;
        socket_->disconnect();
    }
    retireChannels();
}

template <typename Call>
void ConnectionBase::reportOnMain(Call call) {
    platform::MainExecutor::post([weak = delegate_, call = std::move(call)] {
        if (auto d = weak.lock()) call(*d);
    });
}

bool ConnectionBase::ConnectToServer(bool demoRegistration, const std::string& host, std::int64_t port) {
    platform::assertMainThread();
    DemoRegistration = demoRegistration;
    {
        std::lock_guard<std::mutex> lock(addressMutex_);
        host_ = host;
        port_ = port;
    }
    return connect(host, port);
}

void ConnectionBase::reloginToServer() {
    std::string host;
    std::int64_t port = 0;
    {
        std::lock_guard<std::mutex> lock(addressMutex_);
        host = host_;
        port = port_;
    }
    // While the socket is connected or still connecting it would refuse the
    // attempt: nothing happens then, and no failure is reported.
    if (!socket_->isDisconnected()) return;
    // The flag stays: the socket may read as disconnected before its close is
    // delivered, and that late close belongs to the relogin, not a failure.
    connect(host, port);
}

bool ConnectionBase::connect(const std::string& host, std::int64_t port) {
    std::string error;
    if (port < 1 || port > 65535) {
        error = "Invalid server port " + std::to_string(port) + ": it must be between 1 and 65535";
    } else {
        support::SocketError socketError;
        if (!socket_->connectToHost(host, static_cast<std::uint16_t>(port), &socketError)) {
            error = "Cannot connect to \"" + host + "\": " +
                    (socketError.message.empty() ? std::string("refused by the socket") : socketError.message);
        }
    }
    if (error.empty()) return true;
    platform::Log::error(error);
    if (auto d = delegate_.lock()) d->connectionDidFail(error);
    return false;
}

void ConnectionBase::LoginRequest(MessageBase& message, const LoginRequestValues& v) {
    message.setMessagetype(toInt(MsgType::LoginRequest));
    TagMap& tags = message.messageDataDictionary();
    tags.clear();
    auto put = [&tags](std::int64_t tag, const std::optional<std::string>& value) {
        if (value) tags.set(tag, *value);
    };
    tags.setNumber(tag::MessageType, static_cast<long long>(toInt(MsgType::LoginRequest)));
    put(tag::UserName, v.userName);
    put(tag::Password, v.password);
    tags.set(tag::RequestId, "0");
    tags.set(tag::ReferenceId, "1");
    put(tag::ProductName, v.productName);
    put(tag::ProductVersion, v.productVersion);
    put(tag::ServerMessage, model::DeviceInfo::ipAddress());
    tags.set(tag::DeviceModel, model::DeviceInfo::model() + "#" + model::DeviceInfo::systemVersion());
    tags.set(tag::DeviceUserName, model::DeviceInfo::userName());
    tags.set(tag::DataFormat, v.dataFormat);
    tags.set(tag::ServerTime, v.packedTime);
    platform::Log::debug("Login request with " + std::to_string(tags.size()) + " tags");
    BuildResult result = message.BuildMessage();
    if (!result.sent()) platform::Log::error("Login request not sent: " + result.error);
}

void ConnectionBase::sendMessage(const std::string& frame) {
    socket_->writeData(support::ByteBuffer(frame.begin(), frame.end()), -1, 0);
}

void ConnectionBase::DisconnectServer() {
    platform::assertMainThread();
    // A line that is already down reports nothing more, so the flag would stay set.
    if (!socket_->isDisconnected()) isManualServerDisconnect = true;
    socket_->disconnect();
    cancelChannelThreads();
}

void ConnectionBase::ReloginRequestDisconnectServer() {
    platform::assertMainThread();
    socket_->disconnect();
    cancelChannelThreads();
}

bool ConnectionBase::isConnected() const { return socket_->isConnected(); }

void ConnectionBase::socketDidConnectToHost(support::GCDAsyncSocket* sock, const std::string& host,
                                            std::uint16_t port) {
    platform::Log::info("AsyncSocket didConnectToHost: " + host + " port: " + std::to_string(port));
    frames_.reset();
    // The login's answer is awaited like any read: a server that drops the
    // login (a key it no longer knows) ends it as a lost connection.
    sock->readDataWithTimeout(kReadTimeout, 0);
    bool demo = DemoRegistration;
    // The server closes a registration connection after its answer: no failure.
    if (demo) isManualServerDisconnect = true;
    reportOnMain([demo](ConnectionDelegate& d) { d.connectionDidConnect(demo); });
}

void ConnectionBase::socketDidReadData(support::GCDAsyncSocket* sock, std::span<const std::uint8_t> data,
                                       std::int64_t) {
    // Frames are decoded here, on "NewQueue": the delegate is held for that
    // moment only, and let go on the main thread.
    auto d = delegate_.lock();
    bool ok = frames_.feed(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                           [&d](std::string_view frame) {
                               if (d) d->connectionDidReceiveFrame(std::string(frame));
                           });
    platform::releaseOnMain(std::move(d));
    if (!ok) {
        platform::Log::error("A frame from the server exceeds the size limit; closing the session");
        // Not a manual disconnect: reported as a failure.
        sock->disconnect();
        return;
    }
    sock->readDataWithTimeout(kReadTimeout, 0);
}

void ConnectionBase::socketDidDisconnect(support::GCDAsyncSocket*, const std::optional<support::SocketError>& error) {
    platform::Log::info("socketDisconnect : " + (error ? error->message : std::string("(null)")));
    frames_.reset();
    if (isManualServerDisconnect.exchange(false)) return;
    if (reloginRequested_.exchange(false)) {
        // The close a relogin request announced: the one outcome is the relogin.
        cancelChannelThreads();
        platform::MainExecutor::post([weak = weak_from_this()] {
            if (auto self = weak.lock()) self->reloginToServer();
        });
        return;
    }
    isNetworkAvailable = false;
    cancelChannelThreads();
    reportOnMain([message = error ? error->message : std::string("Disconnected")](ConnectionDelegate& d) {
        d.connectionDidFail(message);
    });
}

}  // namespace protocol
