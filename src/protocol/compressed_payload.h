#pragma once
// Compressed payloads (tag 1050): Base64 text of a 4-byte little-endian
// length prefix, the inflated size, followed by a gzip or zlib stream. The
// prefix is held against the caller's cap before anything is inflated, and
// the stream is inflated no further than the prefix says.
#include <cstddef>
#include <optional>
#include <string>

#include "protocol/frame_decoder.h"

namespace protocol {

// a compressed message (type 105) holds no more than one frame:
inline constexpr std::size_t kMaxCompressedMessageSize = FrameDecoder::kDefaultMaxFrame;

inline constexpr std::size_t kPayloadPrefixSize = 4;

// A stream stating more than this is first inflated into a small window to
// check that it ends within its statement: one that lies costs no memory.
inline constexpr std::size_t kInflateCheckedAbove = 32u * 1024u * 1024u;

// Why inflatePayload refused a payload.
struct PayloadRefusal {
    enum class Cause { Unreadable, OverCap, OverRatio };
    Cause cause = Cause::Unreadable;
    std::size_t stated = 0;  // the prefix, when it was read
};

// The inflated bytes; nullopt (logged) for bad Base64, fewer bytes than the
// prefix, a prefix above `maxSize` or (when `maxRatio` is not 0) above
// `maxRatio` times the stream's size, a stream that inflates past its prefix,
// or one that is cut off or damaged. `refusal` says which.
std::optional<std::string> inflatePayload(const std::string& text, std::size_t maxSize, std::size_t maxRatio = 0,
                                          PayloadRefusal* refusal = nullptr);

}  // namespace protocol
