#pragma once
// Settings of a TLS start, the peer's trust as shown to the delegate, and the TLS status values.
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace support {

// Own identity: a PEM certificate chain (leaf first) and its PEM private key.
struct TlsIdentity {
    std::string certificateChainPem;
    std::string privateKeyPem;
};

using TlsSettingValue =
    std::variant<bool, std::int64_t, std::string, std::vector<std::uint8_t>, std::vector<std::int64_t>, TlsIdentity>;
using TlsSettings = std::map<std::string, TlsSettingValue>;

inline constexpr const char* kCFStreamSSLIsServer = "kCFStreamSSLIsServer";
inline constexpr const char* GCDAsyncSocketManuallyEvaluateTrust = "GCDAsyncSocketManuallyEvaluateTrust";
inline constexpr const char* kCFStreamSSLPeerName = "kCFStreamSSLPeerName";
inline constexpr const char* kCFStreamSSLCertificates = "kCFStreamSSLCertificates";
inline constexpr const char* GCDAsyncSocketSSLPeerID = "GCDAsyncSocketSSLPeerID";
inline constexpr const char* GCDAsyncSocketSSLProtocolVersionMin = "GCDAsyncSocketSSLProtocolVersionMin";
inline constexpr const char* GCDAsyncSocketSSLProtocolVersionMax = "GCDAsyncSocketSSLProtocolVersionMax";
inline constexpr const char* GCDAsyncSocketSSLSessionOptionFalseStart = "GCDAsyncSocketSSLSessionOptionFalseStart";
inline constexpr const char* GCDAsyncSocketSSLSessionOptionSendOneByteRecord =
    "GCDAsyncSocketSSLSessionOptionSendOneByteRecord";
inline constexpr const char* GCDAsyncSocketSSLCipherSuites = "GCDAsyncSocketSSLCipherSuites";
inline constexpr const char* GCDAsyncSocketSSLDiffieHellmanParameters = "GCDAsyncSocketSSLDiffieHellmanParameters";
inline constexpr const char* kCFStreamSSLAllowsAnyRoot = "kCFStreamSSLAllowsAnyRoot";
inline constexpr const char* kCFStreamSSLAllowsExpiredRoots = "kCFStreamSSLAllowsExpiredRoots";
inline constexpr const char* kCFStreamSSLValidatesCertificateChain = "kCFStreamSSLValidatesCertificateChain";
inline constexpr const char* kCFStreamSSLAllowsExpiredCertificates = "kCFStreamSSLAllowsExpiredCertificates";
inline constexpr const char* kCFStreamSSLLevel = "kCFStreamSSLLevel";

inline constexpr const char* kCFStreamErrorDomainSSL = "kCFStreamErrorDomainSSL";

// Protocol versions as the version settings take them.
enum TlsProtocolVersion : std::int64_t {
    kTLSProtocol1 = 4,
    kTLSProtocol11 = 7,
    kTLSProtocol12 = 8,
    kTLSProtocol13 = 10,
};

// Status values of the TLS layer (the codes of errors in kCFStreamErrorDomainSSL).
enum TlsStatus : int {
    errSSLProtocol = -9800,
    errSSLWouldBlock = -9803,
    errSSLClosedGraceful = -9805,
    errSSLClosedAbort = -9806,
    errSSLXCertChainInvalid = -9807,
    errSSLPeerBadCert = -9825,
    errSSLPeerAuthCompleted = -9841,
};

// The peer's certificate as the delegate sees it when it decides on trust.
struct TlsTrust {
    std::string leafCertificatePem;
    // The engine's own verification result (0: the chain verified against the default roots and name).
    long verifyResult = 0;
};

}  // namespace support
