// Connecting to a Unix-domain socket, and Unix-domain addresses.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/async_socket/gcd_async_socket.h"
#include "support/async_socket/gcd_async_socket_errors.h"

namespace support {

using namespace socket_detail;

namespace {

constexpr std::string_view kFileScheme = "file://";

std::string pathFromUrl(const std::string& url) {
    if (url.compare(0, kFileScheme.size(), kFileScheme) == 0) return url.substr(kFileScheme.size());
    return url;
}

}  // namespace

SocketAddress GCDAsyncSocket::getInterfaceAddressFromUrl(const std::string& url) {
    const std::string path = pathFromUrl(url);
    sockaddr_un sun{};
    // A path that does not fit with its terminating zero would bind or reach another file.
    if (path.empty() || path.size() >= sizeof(sun.sun_path) || path.find('\0') != std::string::npos) return {};
    sun.sun_family = AF_UNIX;
    std::memcpy(sun.sun_path, path.data(), path.size());
    const std::size_t length = offsetof(sockaddr_un, sun_path) + path.size() + 1;
    SocketAddress out(length);
    std::memcpy(out.data(), &sun, length);
    return out;
}

bool GCDAsyncSocket::connectToUrl(const std::string& url, double timeout, SocketError* error) {
    SocketError ignored;
    SocketError* err = error ? error : &ignored;
    if (pathFromUrl(url).empty()) {
        *err = badParamError("Invalid unix domain socket url.");
        return false;
    }
    bool ok = false;
    onQueueSync([&] {
        if (delegate_.expired()) {
            *err = badConfigError("Attempting to connect without a delegate. Set a delegate first.");
            return;
        }
        if (!delegateQueue_) {
            *err = badConfigError("Attempting to connect without a delegate queue. Set a delegate queue first.");
            return;
        }
        if (flags_ & kSocketStarted) {
            *err = badConfigError("Attempting to connect while connected or accepting connections. Disconnect first.");
            return;
        }
        SocketAddress address = getInterfaceAddressFromUrl(url);
        if (address.empty()) {
            *err = badParamError("Invalid unix domain socket url.");
            return;
        }
        connectInterfaceUN_ = std::move(address);
        readQueue_.clear();
        writeQueue_.clear();
        flags_ |= kSocketStarted;
        publishState();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            *err = errnoErrorWithReason(errno, "Error in socket() function");
            closeWithError(*err);
            return;
        }
        socketUN_ = fd;
        connectUN(stateIndex_);
        startConnectTimeout(timeout);
        ok = true;
    });
    return ok;
}

void GCDAsyncSocket::connectUN(int aStateIndex) {
    // The descriptor is non-blocking: a Unix-domain connect completes at once or fails
    // (EAGAIN when the listener's backlog is full), so no pool thread waits here.
    const int rc = ::connect(socketUN_, reinterpret_cast<const sockaddr*>(connectInterfaceUN_.data()),
                             static_cast<socklen_t>(connectInterfaceUN_.size()));
    const int err = rc == 0 ? 0 : errno;
    if (rc == 0) descriptorUN_ = std::make_unique<Descriptor>(platform::ioContext(), socketUN_);
    onQueueAsync([aStateIndex, err](GCDAsyncSocket& s) {
        if (err == 0)
            s.didConnect(aStateIndex);
        else
            s.didNotConnect(aStateIndex, errnoErrorWithReason(err, "Error in connect() function"));
    });
}

}  // namespace support
