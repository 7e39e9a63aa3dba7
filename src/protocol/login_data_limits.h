#pragma once
// What one login's data (types 33 and 47) may hold, in each form, and the
// refusal of data that holds more. The ceilings are sized by what the
// simulator's largest accounts hold: at --scale 100 the compact form holds
// about 900,000 records (300,000 instruments, 600,000 group instruments) in
// 126 MB; the XML form, 7.4 times larger a record, holds scale 16 (148 MB)
// within the reader's element cap, not 17 (157 MB). Against a decompression
// bomb, the stated size is held against the ceiling and against the
// compressed size (login data compresses 11 to 42 times), and inflating stops
// at the stated size.
#include <cstddef>
#include <optional>
#include <string>

#include "protocol/xml_reader.h"

namespace protocol {

inline constexpr std::size_t kMaxPackedLoginRecords = 1'000'000;
inline constexpr std::size_t kMaxPackedLoginDataSize = 160'000'000;
// A small section (every one but instruments, group instruments and accounts).
inline constexpr std::size_t kMaxPackedSmallSectionRecords = 50'000;
inline constexpr std::size_t kMaxXmlLoginElements = XMLReader::kMaxElements;
inline constexpr std::size_t kMaxXmlLoginDataSize = 150'000'000;
// A stream stating more than this many times its compressed size is refused.
inline constexpr std::size_t kMaxLoginCompressionRatio = 64;
// A frame of the TCP session, and one an envelope carries, holds the login
// data at its ceiling compressed only 11 times, in Base64 (19.4 MB).
inline constexpr std::size_t kMaxSessionFrameSize = 32u * 1024u * 1024u;
// A request channel's answer, its parts joined. The largest ones follow the
// login at its ceiling: 200,000 open positions (23.9 MB) and 300,000
// instruments' market details (18.9 MB).
inline constexpr std::size_t kMaxAnswerSize = 32u * 1024u * 1024u;
// The request socket reads a reply part up to this many times the answer's
// limit, so that a larger answer is refused with its size named; a part past
// that bound is dropped by the socket unread.
inline constexpr std::size_t kAnswerReadFactor = 2;

// Login data over a ceiling: what it holds and the ceiling, in bytes or in
// entries (compact records, XML elements).
struct LoginDataTooLarge {
    enum class Unit { Bytes, Entries };
    Unit unit = Unit::Bytes;
    std::size_t size = 0;
    std::size_t limit = 0;
    // For the log: "183000000 bytes, over the limit of 160000000".
    std::string describe() const;
    bool operator==(const LoginDataTooLarge&) const = default;
};

// The inflated login data of tag 1050, or why it was refused: `tooLarge`
// when it states more than its form's ceiling, neither for a stream that is
// damaged, cut, not UTF-8, inflates past its statement or states more than
// kMaxLoginCompressionRatio times its size (logged).
struct LoginPayload {
    std::optional<std::string> text;
    std::optional<LoginDataTooLarge> tooLarge;
};
LoginPayload inflateLoginData(const std::string& field, bool packed);

// XML login data with more elements than the reader holds (elements counted
// as the reader counts them); nullopt within.
std::optional<LoginDataTooLarge> xmlLoginOverCeiling(std::string_view document);

}  // namespace protocol
