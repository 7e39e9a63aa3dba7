#pragma once
// A text cut to a bound for showing: whole UTF-8 characters, "…" after a cut.
#include <cstddef>
#include <string>
#include <string_view>

namespace model {

// `text` when it holds at most `maxBytes` bytes; else its first characters
// within `maxBytes` followed by "…".
std::string elidedText(std::string_view text, std::size_t maxBytes);

}  // namespace model
