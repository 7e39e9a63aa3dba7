#pragma once
// Asynchronous TCP stream socket. All state lives on a private serial queue;
// every event reaches the delegate as a call posted on the delegate queue.
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "support/async_socket/gcd_async_socket_tls_settings.h"
#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket_packets.h"
#include "support/async_socket/gcd_async_socket_pre_buffer.h"

struct ssl_st;

namespace support {

inline constexpr const char* GCDAsyncSocketErrorDomain = "GCDAsyncSocketErrorDomain";
inline constexpr const char* NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kCFStreamErrorDomainNetDB = "kCFStreamErrorDomainNetDB";

enum GCDAsyncSocketError : int {
    GCDAsyncSocketNoError = 0,
    GCDAsyncSocketBadConfigError = 1,
    GCDAsyncSocketBadParamError = 2,
    GCDAsyncSocketConnectTimeoutError = 3,
    GCDAsyncSocketReadTimeoutError = 4,
    GCDAsyncSocketWriteTimeoutError = 5,
    GCDAsyncSocketReadMaxedOutError = 6,
    GCDAsyncSocketClosedError = 7,
    GCDAsyncSocketOtherError = 8,
};

// An error value: domain, code, description and (for system errors) the failing call.
struct SocketError {
    std::string domain;
    int code = 0;
    std::string message;
    std::string failureReason;
};

class GCDAsyncSocket;

// Every call is optional; the defaults do nothing. Calls arrive on the delegate queue.
class GCDAsyncSocketDelegate {
  public:
    virtual ~GCDAsyncSocketDelegate() = default;
    virtual void socketDidConnectToHost(GCDAsyncSocket* sock, const std::string& host, std::uint16_t port);
    virtual void socketDidReadData(GCDAsyncSocket* sock, std::span<const std::uint8_t> data,
                                   std::int64_t tag);
    virtual void socketDidReadPartialDataOfLength(GCDAsyncSocket* sock, std::size_t partialLength,
                                                  std::int64_t tag);
    virtual void socketDidWriteDataWithTag(GCDAsyncSocket* sock, std::int64_t tag);
    virtual void socketDidWritePartialDataOfLength(GCDAsyncSocket* sock, std::size_t partialLength,
                                                   std::int64_t tag);
    // Returns an extension in seconds; 0 or less lets the read time out now.
    virtual double shouldTimeoutReadWithTag(GCDAsyncSocket* sock, std::int64_t tag, double elapsed,
                                            std::size_t bytesDone);
    virtual double shouldTimeoutWriteWithTag(GCDAsyncSocket* sock, std::int64_t tag, double elapsed,
                                             std::size_t bytesDone);
    virtual void socketDidCloseReadStream(GCDAsyncSocket* sock);
    // sock is null when the socket is being destroyed; error is empty after a requested disconnect.
    virtual void socketDidDisconnect(GCDAsyncSocket* sock, const std::optional<SocketError>& error);
    // Listening: the queue for an accepted connection (null: it makes its own); the new socket,
    // which the delegate must keep.
    virtual std::shared_ptr<platform::SerialQueue> newSocketQueueForConnectionFromAddress(
        const std::vector<std::uint8_t>& address, GCDAsyncSocket* sock);
    virtual void didAcceptNewSocket(GCDAsyncSocket* sock, std::shared_ptr<GCDAsyncSocket> newSocket);
    // TLS: the handshake completed.
    virtual void socketDidSecure(GCDAsyncSocket* sock);
    // Manual trust: decide with completionHandler (from any thread). Returning false (the
    // default: not implemented) closes the socket.
    virtual bool socketDidReceiveTrust(GCDAsyncSocket* sock, const TlsTrust& trust,
                                       std::function<void(bool)> completionHandler);
    // url is a "file://" URL of the socket file.
    virtual void socketDidConnectToUrl(GCDAsyncSocket* sock, const std::string& url);
};

// A socket address as the socket calls take it (sockaddr_in or sockaddr_in6).
using SocketAddress = std::vector<std::uint8_t>;

class GCDAsyncSocket : public std::enable_shared_from_this<GCDAsyncSocket> {
  public:
    using QueuePtr = std::shared_ptr<platform::SerialQueue>;
    using DelegatePtr = std::weak_ptr<GCDAsyncSocketDelegate>;

    // socketQueue == nullptr: the socket makes its own queue "GCDAsyncSocket".
    static std::shared_ptr<GCDAsyncSocket> create(DelegatePtr delegate = {}, QueuePtr delegateQueue = nullptr,
                                                  QueuePtr socketQueue = nullptr);
    ~GCDAsyncSocket();
    GCDAsyncSocket(const GCDAsyncSocket&) = delete;
    GCDAsyncSocket& operator=(const GCDAsyncSocket&) = delete;

    // Delegate and configuration. Getters wait for the socket queue; plain setters are posted.
    std::shared_ptr<GCDAsyncSocketDelegate> delegate() const;
    QueuePtr delegateQueue() const;
    void setDelegate(DelegatePtr delegate);
    void synchronouslySetDelegate(DelegatePtr delegate);
    void setDelegateQueue(QueuePtr queue);
    void synchronouslySetDelegateQueue(QueuePtr queue);
    void setDelegate(DelegatePtr delegate, QueuePtr queue);
    void synchronouslySetDelegate(DelegatePtr delegate, QueuePtr queue);
    bool isIPv4Enabled() const;
    void setIPv4Enabled(bool flag);
    bool isIPv6Enabled() const;
    void setIPv6Enabled(bool flag);
    bool isIPv4PreferredOverIPv6() const;
    void setIPv4PreferredOverIPv6(bool flag);
    double alternateAddressDelay() const;
    void setAlternateAddressDelay(double seconds);
    bool autoDisconnectOnClosedReadStream() const;
    void setAutoDisconnectOnClosedReadStream(bool flag);

    // Connecting. Returns false with *error when a check fails; the outcome arrives
    // through the delegate. timeout < 0: none. interface: "" for none, else a name,
    // an address, "localhost"/"loopback", optionally followed by ":port".
    bool connectToHost(const std::string& host, std::uint16_t port, SocketError* error = nullptr);
    bool connectToHost(const std::string& host, std::uint16_t port, double timeout,
                       SocketError* error = nullptr);
    bool connectToHost(const std::string& host, std::uint16_t port, const std::string& interface,
                       double timeout, SocketError* error = nullptr);
    bool connectToAddress(const SocketAddress& address, SocketError* error = nullptr);
    bool connectToAddress(const SocketAddress& address, double timeout, SocketError* error = nullptr);
    bool connectToAddress(const SocketAddress& address, const std::string& interface, double timeout,
                          SocketError* error = nullptr);

    // TLS after everything queued so far; ignored unless connected, and once per connection.
    void startTLS(TlsSettings settings = {});
    bool isSecure() const;
    // The engine's session, only on the socket queue (inside performBlock); null elsewhere.
    ssl_st* sslContext() const;

    // Listening (synchronous on the socket queue). port 0: the system chooses one, the same
    // for both families. interface: "" for every local address, else as for connecting.
    bool acceptOnPort(std::uint16_t port, SocketError* error = nullptr);
    bool acceptOnInterface(const std::string& interface, std::uint16_t port, SocketError* error = nullptr);

    // Unix-domain sockets. url: "file:///path" or a plain absolute path.
    bool acceptOnUrl(const std::string& url, SocketError* error = nullptr);
    bool connectToUrl(const std::string& url, double timeout, SocketError* error = nullptr);
    // A sockaddr_un for the path; empty for an empty path or one that does not fit.
    static SocketAddress getInterfaceAddressFromUrl(const std::string& url);

    // Addresses as last published by the socket queue; no wait. Absent / 0 when not connected.
    std::optional<std::string> connectedHost() const;
    std::uint16_t connectedPort() const;
    std::optional<std::string> connectedUrl() const;
    std::optional<std::string> localHost() const;
    std::uint16_t localPort() const;
    std::optional<std::string> connectedHost4() const;
    std::optional<std::string> connectedHost6() const;
    std::uint16_t connectedPort4() const;
    std::uint16_t connectedPort6() const;
    std::optional<std::string> localHost4() const;
    std::optional<std::string> localHost6() const;
    std::uint16_t localPort4() const;
    std::uint16_t localPort6() const;
    SocketAddress connectedAddress() const;
    SocketAddress localAddress() const;
    bool isIPv4() const;
    bool isIPv6() const;
    std::shared_ptr<void> userData() const;
    void setUserData(std::shared_ptr<void> data);

    // Runs block on the socket queue: inline when already there, else waiting for it.
    void performBlock(const std::function<void()>& block);
    // The descriptors, only on the socket queue (inside performBlock); -1 elsewhere.
    int socketFD() const;
    int socket4FD() const;
    int socket6FD() const;
    // A marked queue counts as the socket queue. Mark only a queue whose tasks never run
    // beside the socket queue's (the socket queue itself, or one it runs on).
    void markSocketQueueTargetQueue(const QueuePtr& queue);
    void unmarkSocketQueueTargetQueue(const QueuePtr& queue);

    // Closes on the socket queue; the caller does not wait.
    void disconnect();
    void disconnectAfterReading();
    void disconnectAfterWriting();
    void disconnectAfterReadingAndWriting();

    // As last published by the socket queue; no wait.
    bool isDisconnected() const;
    bool isConnected() const;

    // Reads. buffer == nullptr: the read makes its own buffer. maxLength 0: none.
    void readDataWithTimeout(double timeout, std::int64_t tag);
    void readDataWithTimeout(double timeout, SharedBuffer buffer, std::size_t offset, std::int64_t tag);
    void readDataWithTimeout(double timeout, SharedBuffer buffer, std::size_t offset, std::size_t maxLength,
                             std::int64_t tag);
    void readDataToLength(std::size_t length, double timeout, std::int64_t tag);
    void readDataToLength(std::size_t length, double timeout, SharedBuffer buffer, std::size_t offset,
                          std::int64_t tag);
    void readDataToData(const ByteBuffer& data, double timeout, std::int64_t tag);
    void readDataToData(const ByteBuffer& data, double timeout, std::size_t maxLength, std::int64_t tag);
    void readDataToData(const ByteBuffer& data, double timeout, SharedBuffer buffer, std::size_t offset,
                        std::int64_t tag);
    void readDataToData(const ByteBuffer& data, double timeout, SharedBuffer buffer, std::size_t offset,
                        std::size_t maxLength, std::int64_t tag);

    // The data is held, not copied, until written.
    void writeData(SharedConstBuffer data, double timeout, std::int64_t tag);
    void writeData(ByteBuffer data, double timeout, std::int64_t tag);

    // NaN when no packet is current.
    float progressOfReadReturningTag(std::int64_t* tag, std::size_t* done, std::size_t* total) const;
    float progressOfWriteReturningTag(std::int64_t* tag, std::size_t* done, std::size_t* total) const;

    static const ByteBuffer& CRLFData();
    static const ByteBuffer& CRData();
    static const ByteBuffer& LFData();
    static const ByteBuffer& ZeroData();

    // Name lookup: "localhost"/"loopback" give 127.0.0.1 then ::1 without the resolver.
    static std::vector<SocketAddress> lookupHost(const std::string& host, std::uint16_t port,
                                                 SocketError* error);
    // Resolves an interface description to bind addresses (empty when not found).
    static void getInterfaceAddress(SocketAddress* address4, SocketAddress* address6,
                                    const std::string& description, std::uint16_t port);
    static std::string hostFromAddress(const SocketAddress& address);
    static std::uint16_t portFromAddress(const SocketAddress& address);
    static bool isIPv4Address(const SocketAddress& address);
    static bool isIPv6Address(const SocketAddress& address);

    // State bits.
    enum Flags : std::uint32_t {
        kSocketStarted = 1u << 0,
        kConnected = 1u << 1,
        kForbidReadsWrites = 1u << 2,
        kReadsPaused = 1u << 3,
        kWritesPaused = 1u << 4,
        kDisconnectAfterReads = 1u << 5,
        kDisconnectAfterWrites = 1u << 6,
        kSocketCanAcceptBytes = 1u << 7,
        kReadSourceSuspended = 1u << 8,
        kWriteSourceSuspended = 1u << 9,
        kStartTLSQueued = 1u << 10,
        kStartingReadTLS = 1u << 11,
        kStartingWriteTLS = 1u << 12,
        kSocketSecure = 1u << 13,
        kSocketHasReadEOF = 1u << 14,
        kReadStreamClosed = 1u << 15,
        kDealloc = 1u << 16,
    };
    enum Config : std::uint16_t {
        kIPv4Disabled = 1u << 0,
        kIPv6Disabled = 1u << 1,
        kPreferIPv6 = 1u << 2,
        kAllowHalfDuplexConnection = 1u << 3,
    };

  private:
    GCDAsyncSocket(DelegatePtr delegate, QueuePtr delegateQueue, QueuePtr socketQueue);

    using Descriptor = asio::posix::stream_descriptor;

    // Runs fn on the socket queue and waits (inline when already there).
    void onQueueSync(const std::function<void()>& fn) const;
    void onQueueAsync(std::function<void(GCDAsyncSocket&)> fn);
    // Posts a delegate call; it runs only if delegate and queue exist then.
    void postToDelegate(std::function<void(GCDAsyncSocketDelegate&, GCDAsyncSocket*)> call);

    // Listening and Unix-domain sockets.
    bool preAcceptChecks(bool checkFamilies, SocketError* error) const;
    int createListeningSocket(const SocketAddress& address, SocketError* error);
    void startAcceptSource(int family);
    void acceptSourceFired(int family, std::uint64_t generation);
    bool doAccept(int listenFD);
    // Adopts a descriptor accepted by a listening socket (before anyone else sees this socket).
    void adoptAcceptedDescriptor(int family, int fd);
    void setupAcceptedSources();
    void connectUN(int aStateIndex);
    bool isOnSocketQueue() const;
    // Records the addresses of the descriptors for the accessors; clear() on close.
    void publishAddresses();

    // TLS (gcd_async_socket_tls.cpp).
    struct TlsSession;
    void maybeStartTLS();
    void sslStartTLS();
    void sslContinueHandshake();
    void sslShouldTrustPeer(bool shouldTrust, int aStateIndex);
    void tlsReadSourceFired();
    // Moves encrypted bytes from the descriptor into the engine (false: end of stream).
    bool tlsReadFromDescriptor(bool* error);
    // Decrypts everything the engine holds into the pre-buffer; returns the ending status.
    int tlsDecryptIntoPreBuffer();
    void doSecureWriteData();
    // Sends what the engine has encrypted; false while some of it waits for the descriptor.
    bool tlsFlushOutgoing(std::optional<SocketError>* error);
    void tlsClose();
    bool tlsOutputPending() const;

    // Connect.
    bool preConnectWithInterface(const std::string& interface, SocketError* error);
    void lookupDidSucceed(int aStateIndex, SocketAddress address4, SocketAddress address6);
    void lookupDidFail(int aStateIndex, const SocketError& error);
    bool connectWithAddress(SocketAddress address4, SocketAddress address6, SocketError* error);
    int createSocket(int family, const SocketAddress& connectInterface, SocketError* error);
    void connectSocket(int family, SocketAddress address, int aStateIndex);
    void waitForConnect(int family, int fd, int aStateIndex);
    void connectAttemptFinished(int family, int fd, int aStateIndex, int errorNumber);
    void didConnect(int aStateIndex);
    void didNotConnect(int aStateIndex, const SocketError& error);
    void startConnectTimeout(double timeout);
    void connectTimerFired(std::uint64_t generation);
    void doConnectTimeout();
    void endConnectTimeout();
    void closeSocketOfFamily(int family);
    void closeWithError(const std::optional<SocketError>& error);
    // Copies the started and connected bits for the getters of other threads.
    void publishState();
    void maybeClose();

    // Readiness of the connected descriptor (asynchronous waits that act like suspendable sources).
    int connectedFD() const;
    Descriptor* connectedDescriptor() const;
    void setupReadAndWriteSources();
    void suspendReadSource();
    void resumeReadSource();
    void suspendWriteSource();
    void resumeWriteSource();
    void armReadWait();
    void armWriteWait();
    void readSourceFired(std::uint64_t generation);
    void writeSourceFired(std::uint64_t generation);

    // Data path.
    void addReadPacket(std::shared_ptr<GCDAsyncReadPacket> packet);
    void maybeDequeueRead();
    void doReadData();
    void doReadEOF();
    void completeCurrentRead();
    void endCurrentRead();
    void setupReadTimerWithTimeout(double timeout);
    void doReadTimeout(std::uint64_t generation);
    void doReadTimeoutWithExtension(std::uint64_t generation, double extension);
    void maybeDequeueWrite();
    void doWriteData();
    void completeCurrentWrite();
    void endCurrentWrite();
    void setupWriteTimerWithTimeout(double timeout);
    void doWriteTimeout(std::uint64_t generation);
    void doWriteTimeoutWithExtension(std::uint64_t generation, double extension);

    // One-shot timers on the default clock whose firing is posted to the socket queue.
    struct OneShot {
        platform::Clock::TimerId id = 0;
        std::uint64_t generation = 0;
        bool armed = false;
    };
    void armTimer(OneShot& timer, double seconds, void (GCDAsyncSocket::*handler)(std::uint64_t));
    void cancelTimer(OneShot& timer);

    std::uint32_t flags_ = 0;
    std::atomic<std::uint32_t> published_{0};
    std::uint16_t config_ = 0;
    DelegatePtr delegate_;
    QueuePtr delegateQueue_;
    QueuePtr socketQueue_;

    int socket4FD_ = -1;
    int socket6FD_ = -1;
    int socketUN_ = -1;
    std::unique_ptr<Descriptor> descriptor4_;
    std::unique_ptr<Descriptor> descriptor6_;
    std::unique_ptr<Descriptor> descriptorUN_;
    std::unique_ptr<TlsSession> tls_;
    int sslErrCode_ = 0;
    std::string socketPath_;  // file of a Unix-domain listener, removed on close
    SocketAddress connectInterfaceUN_;

    // What the accessors read from other threads.
    struct PublishedAddresses {
        SocketAddress peer4, peer6, local4, local6;
        std::string peerPath;
        bool hasUN = false;
    };
    mutable std::mutex publishedMutex_;
    PublishedAddresses addresses_;
    std::shared_ptr<void> userData_;
    std::vector<std::weak_ptr<platform::SerialQueue>> markedQueues_;
    int stateIndex_ = 0;
    SocketAddress connectInterface4_;
    SocketAddress connectInterface6_;

    OneShot connectTimer_;
    OneShot readTimer_;
    OneShot writeTimer_;
    std::uint64_t timerGeneration_ = 0;

    // Readiness of the connected descriptor.
    bool sourcesExist_ = false;
    bool readWaitPending_ = false;
    bool writeWaitPending_ = false;
    std::uint64_t sourceGeneration_ = 0;

    std::deque<std::shared_ptr<GCDAsyncReadPacket>> readQueue_;
    std::deque<std::shared_ptr<GCDAsyncWritePacket>> writeQueue_;
    std::shared_ptr<GCDAsyncReadPacket> currentRead_;
    std::shared_ptr<GCDAsyncWritePacket> currentWrite_;
    std::size_t socketFDBytesAvailable_ = 0;
    GCDAsyncSocketPreBuffer preBuffer_{4096};
    double alternateAddressDelay_ = 0.3;
};

}  // namespace support
