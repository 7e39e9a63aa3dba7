#pragma once
// The image an instrument type stands for: its own when the name is plain and
// the image exists, else "Others".
#include <functional>
#include <string>

namespace kit {

inline constexpr const char* kFallbackIcon = "Others";

// A refused name is logged at debug level and never looked up.
std::string iconImageName(const std::string& instrumentTypeName,
                          const std::function<bool(const std::string&)>& exists);

}  // namespace kit
