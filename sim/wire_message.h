#pragma once
// Frames and tag=value bodies as they travel between the client and the server.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

inline constexpr char kFrameStart = '\x01';
inline constexpr char kFrameEnd = '\x02';
inline constexpr char kFieldEnd = '\x03';
inline constexpr char kTickField = '\x04';
inline constexpr char kColumn = '\x05';
inline constexpr char kRow = '\x06';
inline constexpr char kSection = '\x07';

// One message: its fields in order. Building keeps the order given.
class WireMessage {
public:
    WireMessage() = default;
    explicit WireMessage(int type) { add(10, std::to_string(type)); }

    WireMessage& add(int tag, const std::string& value) {
        fields_.emplace_back(tag, value);
        return *this;
    }
    WireMessage& add(int tag, long long value) { return add(tag, std::to_string(value)); }
    WireMessage& add(int tag, int value) { return add(tag, std::to_string(value)); }
    WireMessage& add(int tag, const char* value) { return add(tag, std::string(value)); }

    int type() const;
    bool has(int tag) const;
    // Last value of the tag ("" when absent).
    std::string get(int tag) const;
    const std::vector<std::pair<int, std::string>>& fields() const { return fields_; }

    // "tag=value" + 0x03 for every field.
    std::string body() const;
    // 0x01, the UTF-16 length of the body, 0x03, the body, 0x02.
    std::string frame() const;

    // Parses the text between 0x01 and 0x02 (length field first). nullopt when it has
    // no fields or its first field has no "=".
    static std::optional<WireMessage> parse(const std::string& frameText);

private:
    std::vector<std::pair<int, std::string>> fields_;
};

// Frames a body that was built elsewhere.
std::string frameBody(const std::string& body);

// Splits a byte stream into frames; keeps an unterminated tail for the next chunk.
class Deframer {
public:
    explicit Deframer(std::size_t maxBuffer = 4u << 20) : maxBuffer_(maxBuffer) {}
    // Returns the complete frames (without 0x01 and 0x02). Bytes before a 0x01 are
    // discarded; *overflow is set when an unterminated frame outgrew the cap and was dropped.
    std::vector<std::string> feed(const std::string& bytes, bool* overflow = nullptr);
    const std::string& pending() const { return buffer_; }

private:
    std::string buffer_;
    std::size_t maxBuffer_;
};

// Joins records with the separators of nested values.
std::string joinColumns(const std::vector<std::string>& fields);  // f0 0x05 f1 ... (no trailing)
std::vector<std::string> split(const std::string& text, char sep);  // keeps empty pieces

}  // namespace sim
