#pragma once
// The address a resource entry opens: http and https addresses as they stand,
// another scheme refused, anything else taken as a host for plain http.
#include <optional>
#include <string>
#include <string_view>

namespace chat {

// nullopt: the text names a scheme other than http or https.
std::optional<std::string> resourceAddress(std::string_view text);

}  // namespace chat
