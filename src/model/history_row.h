#pragma once
// One row of a compact history answer: fields separated by 0x05, read by position.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace model {

class HistoryRow {
public:
    static constexpr char kFieldSeparator = '\x05';
    static constexpr char kRowSeparator = '\x06';

    explicit HistoryRow(std::string_view row);

    std::size_t size() const { return fields_.size(); }
    // Callers check size() first; a position past the end reads as the empty field.
    std::string_view field(std::size_t i) const { return i < fields_.size() ? fields_[i] : std::string_view(); }
    std::string text(std::size_t i) const { return std::string(field(i)); }
    std::int32_t integer(std::size_t i) const;
    std::uint64_t unsignedInteger(std::size_t i) const;
    bool boolean(std::size_t i) const;
    double number(std::size_t i) const;

    // Debug log line for a row that is refused for having too few fields.
    static void logShortRow(const char* record, std::size_t fields, std::size_t needed);

private:
    std::vector<std::string_view> fields_;
};

}  // namespace model
