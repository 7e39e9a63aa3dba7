#pragma once
// The Base64 entry points (on platform::base64) and the gzip/zlib helpers on byte strings.
#include <cstddef>
#include <optional>
#include <string>

namespace model {

class Base64 {
public:
    // nullopt for empty data.
    static std::optional<std::string> encodeBase64WithData(const std::string& data);
    static std::optional<std::string> encodeBase64WithString(const std::string& text);
    // Strict decoder (platform::base64::decode); nullopt for invalid text.
    static std::optional<std::string> decodeBase64WithString(const std::string& text);
};

// The data additions: compression and the lenient Base64 codec.
namespace DataAdditions {
// gzip or zlib header detected; nullopt when damaged, truncated or over
// `maxOutput`: inflating stops one byte past the cap, so a stream that would
// inflate further costs no more than the cap. Empty input answers empty output.
// `expected`, when known and within the cap, is the first buffer's size.
std::optional<std::string> gzipInflate(const std::string& data, std::size_t maxOutput, std::size_t expected = 0);
// The size `data` inflates to, inflated through a small window and kept
// nowhere; nullopt when damaged, truncated or past `maxOutput`.
std::optional<std::size_t> gzipInflatedSize(const std::string& data, std::size_t maxOutput);
std::optional<std::string> gzipDeflate(const std::string& data);
// Inflated bundle files above this size are refused.
inline constexpr std::size_t kMaxInflatedFileSize = 64u * 1024u * 1024u;
// The file's bytes; inflated when the extension is exactly "gz".
std::optional<std::string> dataWithUncompressedContentsOfFile(const std::string& path);
// Lenient decoder (platform::base64::decodeLenient): ignores characters outside the
// alphabet, stops at the first "=".
std::string dataWithBase64EncodedString(const std::string& text);
std::string base64Encoding(const std::string& data);
std::string base64EncodingWithLineLength(const std::string& data, std::size_t lineLength);
}  // namespace DataAdditions

}  // namespace model
