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

// Inflated size caps per use. Login data and its refusal (types 33 and 47)
// hold at most this many records (rows of every table together), each of at
// most this many bytes in the XML form, the larger one. The largest login
// expected is twice the simulator's large account: 6,000 instruments and
// 12,000 group-instrument rows, about 18,000 records and 18.5 MB of XML at
// its 1,025 bytes a record (the large account itself: 3,000 instruments and
// 8,998 records, 9.2 MB of XML, 1.2 MB compact). The cap leaves that login
// a margin of 1.7 (3.5 for the large account): 32 MB.
inline constexpr std::size_t kMaxLoginRecords = 25'000;
inline constexpr std::size_t kMaxLoginRecordBytes = 1280;
inline constexpr std::size_t kMaxLoginDataSize = kMaxLoginRecords * kMaxLoginRecordBytes;
// a compressed message (type 105) holds no more than one frame:
inline constexpr std::size_t kMaxCompressedMessageSize = FrameDecoder::kDefaultMaxFrame;

inline constexpr std::size_t kPayloadPrefixSize = 4;

// The inflated bytes; nullopt (logged) for bad Base64, fewer bytes than the
// prefix, a prefix above `maxSize`, a stream that inflates past its prefix,
// or one that is cut off or damaged.
std::optional<std::string> inflatePayload(const std::string& text, std::size_t maxSize);

}  // namespace protocol
