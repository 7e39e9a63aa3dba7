#pragma once
// The client product as the login data describes it.
#include <cstdint>
#include <string>

namespace model {

class ProductInfo {
public:
    std::int32_t ProductId = 0;
    std::string ProductName;
    std::string LatestBuild;
    std::string LatestSupportedBuild;
};

}  // namespace model
