#pragma once
// One libzmq socket. Every libzmq failure except on send and on buffer receive
// is logged and raised as a ZMQException. After `close` the handle is gone and
// every further call fails with ENOTSOCK instead of reaching freed memory.
#include <zmq.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace support {

class ZMQContext;

class ZMQSocket {
  public:
    // Raises ZMQException when libzmq refuses.
    ZMQSocket(ZMQContext& context, int type);
    // Closes the socket; a failure is logged only.
    ~ZMQSocket();

    ZMQSocket(const ZMQSocket&) = delete;
    ZMQSocket& operator=(const ZMQSocket&) = delete;

    // "ZMQ_PAIR" ... "ZMQ_PUSH" for 0 to 8, otherwise "UNKNOWN".
    static std::string nameForSocketType(int type);

    // Nothing when already closed. Pending outgoing messages are dropped so that
    // terminating the context cannot wait on them.
    void close();
    bool isClosed() const { return closed_; }

    int type() const { return type_; }
    std::shared_ptr<ZMQContext> context() const { return context_.lock(); }
    void* socket() const { return socket_; }
    // The last endpoint bound or connected, none before.
    const std::optional<std::string>& endpoint() const { return endpoint_; }
    // "<ZMQSocket: 0x... (ctx=0x..., type=ZMQ_SUB, endpoint=tcp://..., closed=0)>"
    std::string description() const;

    bool setData(std::string_view data, int option);
    // ZMQ_MAXMSGSIZE: incoming message parts larger than `bytes` make libzmq
    // drop the connection. Set before connecting.
    bool setMaxMessageSize(std::int64_t bytes);
    // The option's bytes (at most 255).
    std::string dataForOption(int option);
    // Whether an integer option (the receive-more option 13) is non-zero.
    bool hasMoreDataForOption(int option);

    bool bindToEndpoint(const std::string& endpoint);
    bool connectToEndpoint(const std::string& endpoint);

    // False when the send fails (logged, not raised).
    bool sendData(std::string_view data, int flags);
    // zmq_recv into the caller's buffer; a negative result is logged and returned.
    int receiveWithBuffer(void* buffer, std::size_t length, int flags);
    // One message part; raises on failure.
    std::string receiveDataWithFlags(int flags);

    // Whether libzmq accepted the subscription.
    bool subscribe(std::string_view topic);
    bool subscribeAll();

    void getPollItem(zmq_pollitem_t& outItem, short events) const;

  private:
    // Logs "ZMQLogError: *** <description>: <call>: <error text>" for the current
    // error number and returns that number.
    int logError(const char* call) const;
    [[noreturn]] void raise(const char* call) const;

    bool closed_ = false;
    int type_;
    std::weak_ptr<ZMQContext> context_;
    void* socket_ = nullptr;
    std::optional<std::string> endpoint_;
};

}  // namespace support
