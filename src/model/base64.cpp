#include "model/base64.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>

namespace model {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::int16_t kSkip = -1;
constexpr std::int16_t kInvalid = -2;

constexpr std::array<std::int16_t, 256> makeDecodeTable() {
    std::array<std::int16_t, 256> table{};
    for (auto& v : table) v = kInvalid;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int16_t>(i);
    for (unsigned char c : {9, 10, 12, 13, 32}) table[c] = kSkip;
    return table;
}

constexpr auto kDecodeTable = makeDecodeTable();

std::string encode(const std::string& data, std::size_t lineLength) {
    std::string out;
    const std::size_t groups = (data.size() + 2) / 3;
    out.reserve(groups * 4 + (lineLength > 0 ? groups * 4 / lineLength + 1 : 0));
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t n = data.size();
    std::size_t lineUsed = 0;
    std::size_t i = 0;
    auto group = [&](char a, char b, char c, char d) {
        const char quad[4] = {a, b, c, d};
        out.append(quad, 4);
        if (lineLength > 0) {
            lineUsed += 4;
            if (lineUsed >= lineLength) {
                out.push_back('\n');
                lineUsed = 0;
            }
        }
    };
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t v = (std::uint32_t{in[i]} << 16) | (std::uint32_t{in[i + 1]} << 8) | in[i + 2];
        group(kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], kAlphabet[v & 63]);
    }
    if (n - i == 1) {
        const std::uint32_t v = std::uint32_t{in[i]} << 16;
        group(kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], '=', '=');
    } else if (n - i == 2) {
        const std::uint32_t v = (std::uint32_t{in[i]} << 16) | (std::uint32_t{in[i + 1]} << 8);
        group(kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], '=');
    }
    return out;
}

}  // namespace

std::optional<std::string> Base64::encodeBase64WithData(const std::string& data) {
    if (data.empty()) return std::nullopt;
    return encode(data, 0);
}

std::optional<std::string> Base64::encodeBase64WithString(const std::string& text) {
    return encodeBase64WithData(text);
}

std::optional<std::string> Base64::decodeBase64WithString(const std::string& text) {
    std::string out(text.size(), '\0');
    std::size_t pos = 0;  // the output byte being filled
    std::size_t accepted = 0;
    const std::size_t n = text.size();
    for (std::size_t k = 0; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c >= 0x80) return std::nullopt;  // not ASCII
        if (c == 0) break;                   // the text ends at a zero byte
        if (c == '=') {
            const char next = k + 1 < n ? text[k + 1] : '\0';
            if (accepted % 4 == 1 && next != '=') return std::nullopt;
            continue;
        }
        const std::int16_t v = kDecodeTable[c];
        if (v == kSkip) continue;
        if (v == kInvalid) return std::nullopt;
        const auto bits = static_cast<unsigned char>(v);
        switch (accepted % 4) {
            case 0:
                out[pos] = static_cast<char>(bits << 2);
                break;
            case 1:
                out[pos] = static_cast<char>(static_cast<unsigned char>(out[pos]) | (bits >> 4));
                ++pos;
                out[pos] = static_cast<char>((bits & 0x0F) << 4);
                break;
            case 2:
                out[pos] = static_cast<char>(static_cast<unsigned char>(out[pos]) | (bits >> 2));
                ++pos;
                out[pos] = static_cast<char>((bits & 0x03) << 6);
                break;
            default:
                out[pos] = static_cast<char>(static_cast<unsigned char>(out[pos]) | bits);
                ++pos;
                break;
        }
        ++accepted;
    }
    out.resize(pos);
    return out;
}

namespace DataAdditions {

std::optional<std::string> gzipInflate(const std::string& data, std::size_t maxOutput) {
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
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    unsigned char quad[4] = {0, 0, 0, 0};
    int count = 0;
    for (unsigned char c : text) {
        if (c == '=') break;
        const std::int16_t v = kDecodeTable[c];
        if (v < 0) continue;
        quad[count++] = static_cast<unsigned char>(v);
        if (count == 4) {
            out.push_back(static_cast<char>((quad[0] << 2) | (quad[1] >> 4)));
            out.push_back(static_cast<char>(((quad[1] & 0x0F) << 4) | (quad[2] >> 2)));
            out.push_back(static_cast<char>(((quad[2] & 0x03) << 6) | quad[3]));
            quad[0] = quad[1] = quad[2] = quad[3] = 0;
            count = 0;
        }
    }
    if (count == 1 || count == 2) {
        out.push_back(static_cast<char>((quad[0] << 2) | (quad[1] >> 4)));
    } else if (count == 3) {
        out.push_back(static_cast<char>((quad[0] << 2) | (quad[1] >> 4)));
        out.push_back(static_cast<char>(((quad[1] & 0x0F) << 4) | (quad[2] >> 2)));
    }
    return out;
}

std::string base64Encoding(const std::string& data) {
    return encode(data, 0);
}

std::string base64EncodingWithLineLength(const std::string& data, std::size_t lineLength) {
    return encode(data, lineLength);
}

}  // namespace DataAdditions

}  // namespace model
