#pragma once
// Builders of compact login-data text for tests: records of fields joined by
// 0x05, sections of records each ended by 0x06.
#include <string>
#include <vector>

namespace state::testing {

inline std::string rec(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += '\x05';
        out += fields[i];
    }
    return out;
}

inline std::string section(const std::vector<std::string>& records) {
    std::string out;
    for (const auto& r : records) {
        out += r;
        out += '\x06';
    }
    return out;
}

}  // namespace state::testing
