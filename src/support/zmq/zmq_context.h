#pragma once
// A libzmq context and the sockets made from it.
//
// The context keeps weak references to its sockets: a socket closes when its
// last owner lets it go, and the context closes whatever is still open before
// it terminates, so that terminating never waits on a socket nobody owns.
// Close sockets from the thread that uses them, or after it has stopped: a
// libzmq socket is not safe for use by several threads at once.
#include <zmq.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace support {

class ZMQSocket;

class ZMQContext : public std::enable_shared_from_this<ZMQContext> {
  public:
    // The linked libzmq version.
    static void getZMQVersionMajor(int* major, int* minor, int* patch);
    // Logs "Current ØMQ version is %d.%d.%d." at info level.
    static void logZMQVersion();
    // zmq_poll over the items; the timeout is in microseconds (negative waits
    // without limit). Returns zmq_poll's result.
    static int pollWithItems(zmq_pollitem_t* items, int count, long timeoutAfterUsec);

    // Raises ZMQException when libzmq refuses.
    explicit ZMQContext(int ioThreads);
    // Closes the sockets still open, then terminates.
    ~ZMQContext();

    ZMQContext(const ZMQContext&) = delete;
    ZMQContext& operator=(const ZMQContext&) = delete;

    // A new socket of the libzmq type; raises ZMQException when libzmq refuses.
    // Works best when the context itself is held by a shared_ptr (the socket
    // then knows its context).
    std::shared_ptr<ZMQSocket> socketWithType(int type);
    // Sockets of the type made from now on refuse incoming message parts
    // larger than `bytes` (ZMQ_MAXMSGSIZE: libzmq drops the connection).
    void setMaxMessageSize(int type, std::int64_t bytes);
    // The sockets made here that are still alive.
    std::vector<std::shared_ptr<ZMQSocket>> sockets() const;
    void closeSockets();
    // zmq_term; afterwards the context is none and no socket can be made.
    void terminate();

    bool isTerminated() const;
    void* context() const;

  private:
    mutable std::mutex socketsLock_;
    std::vector<std::weak_ptr<ZMQSocket>> sockets_;
    std::map<int, std::int64_t> maxMessageSizes_;  // by socket type
    void* context_ = nullptr;
    bool terminated_ = false;
};

}  // namespace support
