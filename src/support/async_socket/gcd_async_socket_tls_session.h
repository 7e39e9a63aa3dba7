#pragma once
// The OpenSSL session of a socket: the engine between two memory buffers (bytes from the
// descriptor go into `incoming`; the socket sends what appears in `outgoing`).
#include <openssl/ssl.h>

#include <string>
#include <vector>

#include "support/async_socket/gcd_async_socket.h"

namespace support {

struct GCDAsyncSocket::TlsSession {
    TlsSession() = default;
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;
    ~TlsSession() {
        SSL_free(ssl);  // frees both buffers
        SSL_CTX_free(ctx);
    }

    enum class Trust { Automatic, Asked, Pending, Trusted };

    SSL_CTX* ctx = nullptr;
    SSL* ssl = nullptr;
    BIO* incoming = nullptr;
    BIO* outgoing = nullptr;
    bool isServer = false;
    Trust trust = Trust::Automatic;
    int lastHandshakeStatus = 0;
    // What the manual trust question shows the delegate.
    std::string leafCertificatePem;
    long verifyResult = 0;
    // Encrypted bytes taken from `outgoing` that the descriptor has not accepted yet.
    std::vector<std::uint8_t> pendingOut;
    std::size_t pendingOutOffset = 0;
};

}  // namespace support
