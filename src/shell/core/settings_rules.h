#pragma once
// The settings sheets' rules: the password checks and the font-size choices.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace shell {

// The key of the first failed check of a password change, in order: an empty
// field, a current text other than the login's password, a confirmation that
// differs, no change. Exact comparisons (no trimming, no length rule).
std::optional<std::string> checkPasswordValidation(const std::string& current, const std::string& fresh,
                                                   const std::string& confirmation, const std::string& held);

// The sizes of the font-size lists, in list order.
inline constexpr std::array<std::uint64_t, 4> kFontSizeChoices = {10, 12, 16, 20};
// The name key of a listed size; "" for any other size.
std::string fontSizeNameKey(std::uint64_t size);
// The size at a list position; nullopt outside the list.
std::optional<std::uint64_t> fontSizeAtIndex(int position);

}  // namespace shell
