#pragma once
// The text of a control's tag in the selected language: tags above 0 name a
// string-table key, padded to four digits.
#include <cstdint>
#include <optional>
#include <string>

namespace kit {

std::optional<std::string> controlTextKey(std::int64_t tag);
std::optional<std::string> controlText(std::int64_t tag, std::int64_t language);

}  // namespace kit
