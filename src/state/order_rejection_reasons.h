#pragma once
// Language keys of the server's order-rejection codes (tag 74).
#include <cstdint>
#include <string>

namespace state {

// The key for a rejection code; "1077", the general text, for every code without its own.
std::string orderRejectionKey(std::int32_t code);

}  // namespace state
