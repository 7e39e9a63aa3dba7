#pragma once
// The client device as the login request and the demo registration describe it.
#include <optional>
#include <string>

namespace model {

class DeviceInfo {
  public:
    // The second of the host's addresses; nothing when it has fewer than two.
    static std::optional<std::string> ipAddress();
    static std::string model();
    // "Linux <distribution and version>".
    static std::string systemVersion();
    // The full name of the logged-in user of the computer.
    static std::string userName();
    // Every supported desktop offers the appearance features the themes use.
    static bool isDeviceOSGreaterThanOrEqualTo10_10() { return true; }
};

}  // namespace model
