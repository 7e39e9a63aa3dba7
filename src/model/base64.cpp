#include "model/base64.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

#include "platform/base64.h"

namespace model {

std::optional<std::string> Base64::encodeBase64WithData(const std::string& data) {
    if (data.empty()) return std::nullopt;
    return platform::base64::encode(data);
}

std::optional<std::string> Base64::encodeBase64WithString(const std::string& text) {
    return encodeBase64WithData(text);
}

std::optional<std::string> Base64::decodeBase64WithString(const std::string& text) {
    return platform::base64::decode(text);
}

namespace DataAdditions {

std::optional<std::string> gzipInflate(const std::string& data, std::size_t maxOutput, std::size_t expected) {
    if (data.empty()) return data;
    if (data.size() > std::numeric_limits<uInt>::max()) return std::nullopt;

    z_stream stream{};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    if (inflateInit2(&stream, 47) != Z_OK) return std::nullopt;  // gzip or zlib header

    // Start near a typical ratio and double; never allocate past the cap. A gzip
    // trailer states the size (mod 2^32): trusted as a first guess only as far as
    // deflate's best ratio and a modest bound allow.
    std::size_t capacity = std::max<std::size_t>(data.size() * 4, 4096);
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (data.size() >= 18 && bytes[0] == 0x1F && bytes[1] == 0x8B) {
        const std::size_t n = data.size();
        const std::size_t stated = std::size_t{bytes[n - 4]} | (std::size_t{bytes[n - 3]} << 8) |
                                   (std::size_t{bytes[n - 2]} << 16) | (std::size_t{bytes[n - 1]} << 24);
        const std::size_t plausible = std::min<std::size_t>(data.size() * 1032, std::size_t{64} << 20);
        if (stated > 0 && stated <= plausible) capacity = stated + 1;
    }
    if (expected > 0) capacity = expected;
    capacity = std::min(capacity, maxOutput);
    if (capacity == 0) capacity = 1;
    std::string out(capacity, '\0');
    std::size_t total = 0;
    int status = Z_OK;
    for (;;) {
        if (total == out.size()) {
            if (out.size() >= maxOutput) {
                // Full at the cap: a single further byte means the payload is too large.
                unsigned char probe = 0;
                stream.next_out = &probe;
                stream.avail_out = 1;
                status = inflate(&stream, Z_SYNC_FLUSH);
                if (stream.avail_out == 0) status = Z_MEM_ERROR;
                break;
            }
            std::size_t next = out.size() * 2;
            if (next > maxOutput || next < out.size()) next = maxOutput;
            out.resize(next);
        }
        const std::size_t room = std::min<std::size_t>(out.size() - total, std::numeric_limits<uInt>::max());
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + total);
        stream.avail_out = static_cast<uInt>(room);
        status = inflate(&stream, Z_SYNC_FLUSH);
        total += room - stream.avail_out;
        if (status != Z_OK) break;
    }
    const bool ended = status == Z_STREAM_END;
    if (inflateEnd(&stream) != Z_OK || !ended || total > maxOutput) return std::nullopt;
    out.resize(total);
    return out;
}

std::optional<std::size_t> gzipInflatedSize(const std::string& data, std::size_t maxOutput) {
    if (data.empty()) return 0;
    if (data.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
    z_stream stream{};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    if (inflateInit2(&stream, 47) != Z_OK) return std::nullopt;
    constexpr std::size_t kWindow = 64 * 1024;
    const auto window = std::make_unique<unsigned char[]>(kWindow);
    std::size_t total = 0;
    int status = Z_OK;
    while (status == Z_OK && total <= maxOutput) {
        stream.next_out = window.get();
        stream.avail_out = static_cast<uInt>(kWindow);
        status = inflate(&stream, Z_SYNC_FLUSH);
        total += kWindow - stream.avail_out;
    }
    const bool ended = status == Z_STREAM_END;
    if (inflateEnd(&stream) != Z_OK || !ended || total > maxOutput) return std::nullopt;
    return total;
}

std::optional<std::string> gzipDeflate(const std::string& data) {
    if (data.empty()) return data;
    if (data.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::size_t total = 0;
    int status = Z_OK;
    do {
        if (total == out.size()) out.resize(out.size() + 16384);
        const std::size_t room = std::min<std::size_t>(out.size() - total, std::numeric_limits<uInt>::max());
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + total);
        stream.avail_out = static_cast<uInt>(room);
        status = deflate(&stream, Z_FINISH);
        total += room - stream.avail_out;
    } while (status == Z_OK || status == Z_BUF_ERROR);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) return std::nullopt;
    out.resize(total);
    return out;
}

std::optional<std::string> dataWithUncompressedContentsOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const bool gz = dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
                    path.compare(dot + 1, std::string::npos, "gz") == 0;
    if (gz) return gzipInflate(bytes, kMaxInflatedFileSize);
    return bytes;
}

std::string dataWithBase64EncodedString(const std::string& text) {
    return platform::base64::decodeLenient(text);
}

std::string base64Encoding(const std::string& data) {
    return platform::base64::encode(data);
}

std::string base64EncodingWithLineLength(const std::string& data, std::size_t lineLength) {
    return platform::base64::encode(data, lineLength);
}

}  // namespace DataAdditions

}  // namespace model
