#pragma once
// Texts that repeat across the records of a fill (quantities, dates, names
// of a kind) held once: a text met again is a copy of the field made the
// first time, sharing its heap bytes. Bounded: past kMaxTexts different
// texts a new one is made apart and not kept.
#include <cstddef>
#include <string_view>
#include <unordered_map>

#include "model/compact_text.h"

namespace model {

class TextPool {
public:
    static constexpr std::size_t kMaxTexts = 4096;

    CompactText operator()(std::string_view text);
    std::size_t size() const { return texts_.size(); }

private:
    // Keyed by views of the held fields' own heap bytes, which stay where they are.
    std::unordered_map<std::string_view, CompactText> texts_;
};

}  // namespace model
