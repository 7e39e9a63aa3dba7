#include "state/row_reader.h"

#include <algorithm>
#include <cstring>

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
    // memchr hops row to row: a long answer is counted at the library's pace.
    std::size_t rows = 1;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        const void* found = std::memchr(at, protocol::RowByte, static_cast<std::size_t>(end - at));
        if (!found) break;
        ++rows;
        at = static_cast<const char*>(found) + 1;
    }
    return rows;
}

}  // namespace state
