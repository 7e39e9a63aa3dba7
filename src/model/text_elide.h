#pragma once
// A text from the server made fit for showing: cut to a bound on whole UTF-8
// characters with "…" after a cut; its bidirectional controls made visible.
#include <cstddef>
#include <string>
#include <string_view>

namespace model {

// `text` when it holds at most `maxBytes` bytes; else its first characters
// within `maxBytes` followed by "…".
std::string elidedText(std::string_view text, std::size_t maxBytes);

// `text` with each bidirectional embedding, override and isolate control
// (U+202A-U+202E, U+2066-U+2069) shown as U+FFFD, so that a text from the
// server cannot reorder what is shown around it.
std::string withVisibleBidiControls(std::string text);

}  // namespace model
