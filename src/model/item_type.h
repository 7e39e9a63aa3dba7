#pragma once
// An instrument type of the login data.
#include <cstdint>
#include <string>

namespace model {

class ItemType {
public:
    std::int32_t InstrumentTypeId = 0;
    std::string InstrumentTypeName;
};

}  // namespace model
