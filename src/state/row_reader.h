#pragma once
// The rows of an answer's text (separated by the row byte, empty rows
// skipped), read a few at a time: a long answer is not split whole at once.
#include <cstddef>
#include <optional>
#include <string_view>

namespace state {

class RowReader {
public:
    explicit RowReader(std::string_view text = {}) : text_(text) {}

    // The next row; nullopt once none is left.
    std::optional<std::string_view> next();
    // No row is left.
    bool done() const;
    // The bytes before the next row: those of the rows read.
    std::size_t bytesRead() const { return at_ < text_.size() ? at_ : text_.size(); }
    // The rows `text` holds at most (its separators and one), for sizing.
    static std::size_t mostRows(std::string_view text);

private:
    std::string_view text_;
    std::size_t at_ = 0;  // where the next row starts; past the end once read
};

}  // namespace state
