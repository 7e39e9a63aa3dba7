#include "state/row_reader.h"

#include <algorithm>

#include "protocol/separator_bytes.h"

namespace state {

std::optional<std::string_view> RowReader::next() {
    while (at_ <= text_.size()) {
        const std::size_t start = at_;
        const std::size_t end = std::min(text_.find(protocol::RowByte, start), text_.size());
        at_ = end + 1;
        if (end > start) return text_.substr(start, end - start);
    }
    return std::nullopt;
}

bool RowReader::done() const {
    return at_ >= text_.size() || text_.find_first_not_of(protocol::RowByte, at_) == std::string_view::npos;
}

std::size_t RowReader::mostRows(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), protocol::RowByte)) + 1;
}

}  // namespace state
