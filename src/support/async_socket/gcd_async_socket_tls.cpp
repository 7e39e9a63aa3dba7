// TLS on the socket: OpenSSL between memory buffers, driven by the socket's readiness.
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "support/async_socket/gcd_async_socket.h"
#include "support/async_socket/gcd_async_socket_errors.h"
#include "support/async_socket/gcd_async_socket_tls_session.h"

namespace support {

using namespace socket_detail;

namespace {

// Plaintext handed to or taken from the engine per call.
constexpr std::size_t kTlsChunk = 32768;
// Encrypted bytes read from the descriptor per read() and per readiness event.
constexpr std::size_t kReadChunk = 65536;
constexpr std::size_t kMaxFillPerEvent = 1u << 20;
constexpr int kSuccess = 0;

std::optional<std::int64_t> numberOf(const TlsSettingValue& value) {
    if (const bool* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
    if (const std::int64_t* n = std::get_if<std::int64_t>(&value)) return *n;
    return std::nullopt;
}

int engineVersion(std::int64_t version) {
    switch (version) {
        case kTLSProtocol1: return TLS1_VERSION;
        case kTLSProtocol11: return TLS1_1_VERSION;
        case kTLSProtocol12: return TLS1_2_VERSION;
        case kTLSProtocol13: return TLS1_3_VERSION;
        default: return -1;
    }
}

bool useIdentity(SSL* ssl, const TlsIdentity& identity) {
    BIO* chain = BIO_new_mem_buf(identity.certificateChainPem.data(),
                                 static_cast<int>(identity.certificateChainPem.size()));
    BIO* key = BIO_new_mem_buf(identity.privateKeyPem.data(), static_cast<int>(identity.privateKeyPem.size()));
    bool ok = chain && key;
    X509* leaf = ok ? PEM_read_bio_X509(chain, nullptr, nullptr, nullptr) : nullptr;
    ok = ok && leaf && SSL_use_certificate(ssl, leaf) == 1;
    X509_free(leaf);
    while (ok) {
        X509* extra = PEM_read_bio_X509(chain, nullptr, nullptr, nullptr);
        if (!extra) break;
        ok = SSL_add0_chain_cert(ssl, extra) == 1;
        if (!ok) X509_free(extra);
    }
    ERR_clear_error();  // the end of the chain reads as an error
    EVP_PKEY* pkey = ok ? PEM_read_bio_PrivateKey(key, nullptr, nullptr, nullptr) : nullptr;
    ok = ok && pkey && SSL_use_PrivateKey(ssl, pkey) == 1 && SSL_check_private_key(ssl) == 1;
    EVP_PKEY_free(pkey);
    BIO_free(chain);
    BIO_free(key);
    return ok;
}

bool useCipherSuites(SSL* ssl, const std::vector<std::int64_t>& suites) {
    std::string tls12;
    std::string tls13;
    for (std::int64_t suite : suites) {
        const unsigned char id[2] = {static_cast<unsigned char>((suite >> 8) & 0xff),
                                     static_cast<unsigned char>(suite & 0xff)};
        const SSL_CIPHER* cipher = SSL_CIPHER_find(ssl, id);
        if (!cipher) continue;
        // TLS 1.3 suites (named "TLS_...") are enabled through a list of their own.
        const std::string name = SSL_CIPHER_get_name(cipher);
        std::string& list = name.rfind("TLS_", 0) == 0 ? tls13 : tls12;
        if (!list.empty()) list += ':';
        list += name;
    }
    if (tls12.empty() && tls13.empty()) return false;
    if (!tls12.empty() && SSL_set_cipher_list(ssl, tls12.c_str()) != 1) return false;
    return SSL_set_ciphersuites(ssl, tls13.c_str()) == 1;
}

bool useDiffieHellman(SSL* ssl, const std::vector<std::uint8_t>& pem) {
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* params = bio ? PEM_read_bio_Parameters(bio, nullptr) : nullptr;
    BIO_free(bio);
    if (params && SSL_set0_tmp_dh_pkey(ssl, params) == 1) return true;
    EVP_PKEY_free(params);
    return false;
}

std::string pemOf(X509* cert) {
    if (!cert) return {};
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return {};
    std::string out;
    if (PEM_write_bio_X509(bio, cert) == 1) {
        char* data = nullptr;
        const long n = BIO_get_mem_data(bio, &data);
        if (n > 0) out.assign(data, static_cast<std::size_t>(n));
    }
    BIO_free(bio);
    return out;
}

}  // namespace

void GCDAsyncSocketDelegate::socketDidSecure(GCDAsyncSocket*) {}
bool GCDAsyncSocketDelegate::socketDidReceiveTrust(GCDAsyncSocket*, const TlsTrust&, std::function<void(bool)>) {
    return false;
}

void GCDAsyncSocket::startTLS(TlsSettings settings) {
    auto shared = std::make_shared<const TlsSettings>(std::move(settings));
    onQueueAsync([shared](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted) || (s.flags_ & (kForbidReadsWrites | kStartTLSQueued))) return;
        auto read = std::make_shared<GCDAsyncReadPacket>(nullptr, 0, 0, -1.0, 0, ByteBuffer{}, 0);
        read->tlsSettings = shared;
        auto write = std::make_shared<GCDAsyncWritePacket>(nullptr, -1.0, 0);
        write->tlsSettings = shared;
        s.readQueue_.push_back(std::move(read));
        s.writeQueue_.push_back(std::move(write));
        s.flags_ |= kStartTLSQueued;
        s.maybeDequeueRead();
        s.maybeDequeueWrite();
    });
}

bool GCDAsyncSocket::isSecure() const {
    return published_.load(std::memory_order_acquire) & kSocketSecure;
}

ssl_st* GCDAsyncSocket::sslContext() const {
    return isOnSocketQueue() && tls_ ? tls_->ssl : nullptr;
}

void GCDAsyncSocket::maybeStartTLS() {
    if ((flags_ & kStartingReadTLS) && (flags_ & kStartingWriteTLS) && !tls_) sslStartTLS();
}

void GCDAsyncSocket::sslStartTLS() {
    const std::shared_ptr<const TlsSettings> settingsPtr = currentRead_ ? currentRead_->tlsSettings : nullptr;
    if (!settingsPtr) {
        closeWithError(otherError("Logic error"));
        return;
    }
    const TlsSettings& settings = *settingsPtr;
    auto find = [&](const char* key) -> const TlsSettingValue* {
        auto it = settings.find(key);
        return it == settings.end() ? nullptr : &it->second;
    };
    auto fail = [this](const std::string& text) { closeWithError(otherError(text)); };

    bool isServer = false;
    if (const TlsSettingValue* v = find(kCFStreamSSLIsServer)) isServer = numberOf(*v).value_or(0) != 0;

    auto session = std::make_unique<TlsSession>();
    session->isServer = isServer;
    session->ctx = SSL_CTX_new(isServer ? TLS_server_method() : TLS_client_method());
    session->ssl = session->ctx ? SSL_new(session->ctx) : nullptr;
    if (!session->ssl) return fail("Error in SSLCreateContext");
    session->incoming = BIO_new(BIO_s_mem());
    session->outgoing = BIO_new(BIO_s_mem());
    if (!session->incoming || !session->outgoing) {
        BIO_free(session->incoming);
        BIO_free(session->outgoing);
        return fail("Error in SSLSetIOFuncs");
    }
    BIO_set_mem_eof_return(session->incoming, -1);  // empty means "wait", not end of stream
    SSL_set_bio(session->ssl, session->incoming, session->outgoing);
    if (isServer) {
        SSL_set_accept_state(session->ssl);
    } else {
        SSL_set_connect_state(session->ssl);
        SSL_CTX_set_default_verify_paths(session->ctx);
        SSL_set_verify(session->ssl, SSL_VERIFY_PEER, nullptr);
    }

    if (const TlsSettingValue* v = find(GCDAsyncSocketManuallyEvaluateTrust); v && numberOf(*v).value_or(0)) {
        if (isServer) return fail("Manual trust validation is not supported for server sockets");
        session->trust = TlsSession::Trust::Asked;
        // Verifies once to show the result, then pauses the handshake until the delegate answers.
        SSL_CTX_set_cert_verify_callback(
            session->ctx,
            [](X509_STORE_CTX* store, void* arg) -> int {
                auto* t = static_cast<TlsSession*>(arg);
                switch (t->trust) {
                    case TlsSession::Trust::Trusted:
                        return 1;
                    case TlsSession::Trust::Asked:
                        t->verifyResult = X509_verify_cert(store) == 1 ? X509_V_OK : X509_STORE_CTX_get_error(store);
                        t->leafCertificatePem = pemOf(X509_STORE_CTX_get0_cert(store));
                        t->trust = TlsSession::Trust::Pending;
                        [[fallthrough]];
                    default:
                        SSL_set_retry_verify(t->ssl);
                        return 1;
                }
            },
            session.get());
    }
    if (const TlsSettingValue* v = find(kCFStreamSSLPeerName)) {
        const std::string* name = std::get_if<std::string>(v);
        if (!name) return fail("Invalid value for kCFStreamSSLPeerName.");
        if (SSL_set_tlsext_host_name(session->ssl, name->c_str()) != 1 || SSL_set1_host(session->ssl, name->c_str()) != 1)
            return fail("Error in SSLSetPeerDomainName");
    }
    if (const TlsSettingValue* v = find(kCFStreamSSLCertificates)) {
        const TlsIdentity* identity = std::get_if<TlsIdentity>(v);
        if (!identity) return fail("Invalid value for kCFStreamSSLCertificates.");
        if (!useIdentity(session->ssl, *identity)) return fail("Error in SSLSetCertificate");
    }
    // The engine resumes sessions by its own objects: the identifier is checked, not applied.
    if (const TlsSettingValue* v = find(GCDAsyncSocketSSLPeerID); v && !std::get_if<std::vector<std::uint8_t>>(v))
        return fail("Invalid value for GCDAsyncSocketSSLPeerID.");
    struct VersionKey {
        const char* key;
        int (*apply)(SSL*, int);
        const char* failure;
    };
    const VersionKey versionKeys[] = {
        {GCDAsyncSocketSSLProtocolVersionMin, [](SSL* s, int v) { return static_cast<int>(SSL_set_min_proto_version(s, v)); },
         "Error in SSLSetProtocolVersionMin"},
        {GCDAsyncSocketSSLProtocolVersionMax, [](SSL* s, int v) { return static_cast<int>(SSL_set_max_proto_version(s, v)); },
         "Error in SSLSetProtocolVersionMax"},
    };
    for (const VersionKey& vk : versionKeys) {
        const TlsSettingValue* v = find(vk.key);
        if (!v) continue;
        const std::optional<std::int64_t> version = numberOf(*v);
        if (!version) return fail(std::string("Invalid value for ") + vk.key + ".");
        if (*version == 0) continue;
        const int engine = engineVersion(*version);
        if (engine < 0 || vk.apply(session->ssl, engine) != 1) return fail(vk.failure);
    }
    // No engine counterpart: checked for type only.
    for (const char* key : {GCDAsyncSocketSSLSessionOptionFalseStart, GCDAsyncSocketSSLSessionOptionSendOneByteRecord}) {
        const TlsSettingValue* v = find(key);
        if (v && !numberOf(*v)) return fail(std::string("Invalid value for ") + key + ".");
    }
    if (const TlsSettingValue* v = find(GCDAsyncSocketSSLCipherSuites)) {
        const auto* suites = std::get_if<std::vector<std::int64_t>>(v);
        if (!suites) return fail("Invalid value for GCDAsyncSocketSSLCipherSuites.");
        if (!useCipherSuites(session->ssl, *suites)) return fail("Error in SSLSetEnabledCiphers");
    }
    if (const TlsSettingValue* v = find(GCDAsyncSocketSSLDiffieHellmanParameters)) {
        const auto* pem = std::get_if<std::vector<std::uint8_t>>(v);
        if (!pem) return fail("Invalid value for GCDAsyncSocketSSLDiffieHellmanParameters.");
        if (!useDiffieHellman(session->ssl, *pem)) return fail("Error in SSLSetDiffieHellmanParams");
    }
    for (const char* key : {kCFStreamSSLAllowsAnyRoot, kCFStreamSSLAllowsExpiredRoots,
                            kCFStreamSSLValidatesCertificateChain, kCFStreamSSLAllowsExpiredCertificates,
                            kCFStreamSSLLevel}) {
        if (find(key)) return fail(std::string("Security option unavailable - ") + key);
    }

    tls_ = std::move(session);
    // Bytes that arrived before the start belong to the handshake.
    if (preBuffer_.availableBytes() > 0) {
        BIO_write(tls_->incoming, preBuffer_.readBuffer(), static_cast<int>(preBuffer_.availableBytes()));
        preBuffer_.reset();
    }
    sslErrCode_ = kSuccess;
    tls_->lastHandshakeStatus = kSuccess;
    sslContinueHandshake();
}

void GCDAsyncSocket::sslContinueHandshake() {
    TlsSession& t = *tls_;
    ERR_clear_error();
    const int rc = SSL_do_handshake(t.ssl);
    const int err = rc == 1 ? SSL_ERROR_NONE : SSL_get_error(t.ssl, rc);
    std::optional<SocketError> ioError;
    tlsFlushOutgoing(&ioError);  // the engine's answer goes out whatever the step's outcome
    if (ioError) {
        closeWithError(ioError);
        return;
    }
    if (err == SSL_ERROR_NONE) {
        t.lastHandshakeStatus = kSuccess;
        flags_ &= ~static_cast<std::uint32_t>(kStartingReadTLS | kStartingWriteTLS);
        flags_ |= kSocketSecure;
        publishState();
        postToDelegate([](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) { d.socketDidSecure(s); });
        endCurrentRead();
        endCurrentWrite();
        // Application data that came with the last handshake records brings no readiness event.
        const int status = tlsDecryptIntoPreBuffer();
        if (status != kSuccess && status != errSSLClosedGraceful) {
            closeWithError(sslError(status));
            return;
        }
        if (status == errSSLClosedGraceful) sslErrCode_ = status;
        maybeDequeueRead();
        maybeDequeueWrite();
        resumeReadSource();
        return;
    }
    if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) {
        t.lastHandshakeStatus = errSSLWouldBlock;
        resumeReadSource();
        return;
    }
    if (err == SSL_ERROR_WANT_RETRY_VERIFY) {
        t.lastHandshakeStatus = errSSLPeerAuthCompleted;
        const TlsTrust trust{t.leafCertificatePem, t.verifyResult};
        const int aStateIndex = stateIndex_;
        std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
        auto answer = [weak, aStateIndex](bool shouldTrust) {
            if (auto self = weak.lock())
                self->onQueueAsync([shouldTrust, aStateIndex](GCDAsyncSocket& s) {
                    s.sslShouldTrustPeer(shouldTrust, aStateIndex);
                });
        };
        postToDelegate([trust, answer, weak, aStateIndex](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
            if (d.socketDidReceiveTrust(s, trust, answer)) return;
            if (auto self = weak.lock())
                self->onQueueAsync([aStateIndex](GCDAsyncSocket& sock) {
                    if (aStateIndex != sock.stateIndex_ || !sock.tls_) return;
                    sock.closeWithError(otherError(
                        "GCDAsyncSocketManuallyEvaluateTrust specified in tlsSettings, but delegate doesn't "
                        "implement socket:shouldTrustPeer:"));
                });
        });
        return;
    }
    const bool verifyFailed = !t.isServer && SSL_get_verify_result(t.ssl) != X509_V_OK;
    t.lastHandshakeStatus = verifyFailed ? errSSLXCertChainInvalid : errSSLProtocol;
    closeWithError(sslError(t.lastHandshakeStatus));
}

void GCDAsyncSocket::sslShouldTrustPeer(bool shouldTrust, int aStateIndex) {
    if (aStateIndex != stateIndex_ || !tls_) return;
    ++stateIndex_;
    if (!shouldTrust) {
        closeWithError(sslError(errSSLPeerBadCert));
        return;
    }
    if (tls_->lastHandshakeStatus != errSSLPeerAuthCompleted) return;
    tls_->trust = TlsSession::Trust::Trusted;
    sslContinueHandshake();
}

void GCDAsyncSocket::tlsReadSourceFired() {
    const bool secure = flags_ & kSocketSecure;
    // Decrypted bytes wait in the pre-buffer until a read wants them.
    if (secure && !currentRead_ && preBuffer_.availableBytes() > 0) {
        suspendReadSource();
        return;
    }
    bool readError = false;
    const bool open = tlsReadFromDescriptor(&readError);
    if (readError) {
        closeWithError(sslError(errSSLClosedAbort));
        return;
    }
    if (!secure) {
        if (!open) {
            closeWithError(sslError(errSSLClosedAbort));
            return;
        }
        if (tls_->lastHandshakeStatus != errSSLPeerAuthCompleted) sslContinueHandshake();
        return;
    }
    const int status = tlsDecryptIntoPreBuffer();
    if (status != kSuccess && status != errSSLClosedGraceful) {
        closeWithError(sslError(status));
        return;
    }
    if (status == errSSLClosedGraceful || !open) {
        sslErrCode_ = status == errSSLClosedGraceful ? errSSLClosedGraceful : errSSLClosedAbort;
        flags_ |= kSocketHasReadEOF;
    }
    socketFDBytesAvailable_ = 0;
    if (currentRead_ && preBuffer_.availableBytes() > 0)
        doReadData();
    else if (flags_ & kSocketHasReadEOF)
        doReadEOF();
}

bool GCDAsyncSocket::tlsReadFromDescriptor(bool* error) {
    std::uint8_t chunk[kReadChunk];
    std::size_t total = 0;
    while (total < kMaxFillPerEvent) {
        const ssize_t n = ::read(connectedFD(), chunk, sizeof(chunk));
        if (n > 0) {
            BIO_write(tls_->incoming, chunk, static_cast<int>(n));
            total += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) return false;
        if (errno != EWOULDBLOCK && errno != EAGAIN && errno != EINTR) *error = true;
        return true;
    }
    return true;
}

int GCDAsyncSocket::tlsDecryptIntoPreBuffer() {
    SSL* ssl = tls_->ssl;
    for (;;) {
        preBuffer_.ensureCapacityForWrite(kTlsChunk);
        ERR_clear_error();
        const int n = SSL_read(ssl, preBuffer_.writeBuffer(), static_cast<int>(kTlsChunk));
        if (n > 0) {
            preBuffer_.didWrite(static_cast<std::size_t>(n));
            continue;
        }
        const int err = SSL_get_error(ssl, n);
        std::optional<SocketError> ignored;
        tlsFlushOutgoing(&ignored);  // e.g. an answer to a key update
        if (err == SSL_ERROR_WANT_READ || err == SSL_ERROR_WANT_WRITE) return kSuccess;
        if (err == SSL_ERROR_ZERO_RETURN) return errSSLClosedGraceful;
        return errSSLProtocol;
    }
}

void GCDAsyncSocket::doSecureWriteData() {
    std::optional<SocketError> error;
    if (!tlsFlushOutgoing(&error)) {
        if (error) closeWithError(*error);
        return;
    }
    const std::shared_ptr<GCDAsyncWritePacket> packet = currentWrite_;
    const ByteBuffer& data = *packet->buffer;
    std::size_t written = 0;
    bool flushed = true;
    while (packet->bytesDone < data.size() && flushed) {
        const std::size_t n = std::min(kTlsChunk, data.size() - packet->bytesDone);
        ERR_clear_error();
        const int rc = SSL_write(tls_->ssl, data.data() + packet->bytesDone, static_cast<int>(n));
        if (rc <= 0) {
            closeWithError(sslError(errSSLProtocol));
            return;
        }
        packet->bytesDone += static_cast<std::size_t>(rc);
        written += static_cast<std::size_t>(rc);
        flushed = tlsFlushOutgoing(&error);
        if (error) {
            closeWithError(*error);
            return;
        }
    }
    if (packet->bytesDone == data.size()) {
        completeCurrentWrite();
        onQueueAsync([](GCDAsyncSocket& s) { s.maybeDequeueWrite(); });
    } else if (written > 0) {
        const std::int64_t tag = packet->tag;
        postToDelegate([written, tag](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
            d.socketDidWritePartialDataOfLength(s, written, tag);
        });
    }
}

bool GCDAsyncSocket::tlsFlushOutgoing(std::optional<SocketError>* error) {
    TlsSession& t = *tls_;
    const std::size_t pending = BIO_ctrl_pending(t.outgoing);
    if (pending > 0) {
        const std::size_t old = t.pendingOut.size();
        t.pendingOut.resize(old + pending);
        const int got = BIO_read(t.outgoing, t.pendingOut.data() + old, static_cast<int>(pending));
        t.pendingOut.resize(old + static_cast<std::size_t>(std::max(got, 0)));
    }
    while (t.pendingOutOffset < t.pendingOut.size()) {
        if (!(flags_ & kSocketCanAcceptBytes)) {
            resumeWriteSource();
            return false;
        }
        const ssize_t n = ::send(connectedFD(), t.pendingOut.data() + t.pendingOutOffset,
                                 t.pendingOut.size() - t.pendingOutOffset, MSG_NOSIGNAL);
        if (n > 0) {
            t.pendingOutOffset += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EWOULDBLOCK && errno != EAGAIN && errno != EINTR) {
            *error = errnoErrorWithReason(errno, "Error in write() function");
            return false;
        } else {
            flags_ &= ~static_cast<std::uint32_t>(kSocketCanAcceptBytes);
        }
    }
    t.pendingOut.clear();
    t.pendingOutOffset = 0;
    return true;
}

bool GCDAsyncSocket::tlsOutputPending() const {
    return tls_ && (tls_->pendingOutOffset < tls_->pendingOut.size() || BIO_ctrl_pending(tls_->outgoing) > 0);
}

void GCDAsyncSocket::tlsClose() {
    if (!tls_) return;
    if (flags_ & kSocketSecure) {
        // A close notice, sent only if the descriptor takes it at once.
        SSL_shutdown(tls_->ssl);
        const std::size_t pending = BIO_ctrl_pending(tls_->outgoing);
        std::vector<std::uint8_t> notice(pending);
        const int got = pending ? BIO_read(tls_->outgoing, notice.data(), static_cast<int>(pending)) : 0;
        if (got > 0 && tls_->pendingOut.size() == tls_->pendingOutOffset && connectedFD() >= 0)
            (void)::send(connectedFD(), notice.data(), static_cast<std::size_t>(got), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    tls_.reset();
    sslErrCode_ = kSuccess;
}

}  // namespace support
