#pragma once
// Error values and small helpers shared by the socket's source files.
#include <netdb.h>

#include <cstring>
#include <string>

#include "support/async_socket/gcd_async_socket.h"

namespace support::socket_detail {

inline SocketError socketError(int code, std::string text) {
    return SocketError{GCDAsyncSocketErrorDomain, code, std::move(text), {}};
}
inline SocketError badConfigError(std::string text) {
    return socketError(GCDAsyncSocketBadConfigError, std::move(text));
}
inline SocketError badParamError(std::string text) {
    return socketError(GCDAsyncSocketBadParamError, std::move(text));
}
inline SocketError otherError(std::string text) {
    return socketError(GCDAsyncSocketOtherError, std::move(text));
}
inline SocketError errnoErrorWithReason(int err, std::string reason) {
    return SocketError{NSPOSIXErrorDomain, err, std::strerror(err), std::move(reason)};
}
inline SocketError gaiError(int code) {
    return SocketError{kCFStreamErrorDomainNetDB, code, gai_strerror(code), {}};
}

// An error of the TLS layer; the code is one of the TlsStatus values.
inline SocketError sslError(int status) {
    return SocketError{kCFStreamErrorDomainSSL, status, "TLS error " + std::to_string(status),
                       "The code is one of the socket's TLS status values."};
}

}  // namespace support::socket_detail
