#pragma once
// An entry of the resources list.
#include <cstdint>
#include <string>

namespace model {

class ResourceDetails {
public:
    std::uint64_t resourceId = 0;
    std::string caption;
    std::string URL;
    std::string iconResourceId;
    std::string groupName;
    std::string resourceType;
    std::uint64_t productId = 0;
    bool isNew = false;
    bool showFocus = false;
    bool enabled = false;
    bool extraData = false;
};

}  // namespace model
