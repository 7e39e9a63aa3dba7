#include "model/device_info.h"

#include "platform/host_info.h"

namespace model {

std::optional<std::string> DeviceInfo::ipAddress() {
    return platform::HostInfo::secondAddress();
}

std::string DeviceInfo::model() {
    return platform::HostInfo::model();
}

std::string DeviceInfo::systemVersion() {
    const std::string version = platform::HostInfo::systemVersion();
    if (version.find("Linux") != std::string::npos) return version;
    return "Linux " + version;
}

std::string DeviceInfo::userName() {
    return platform::HostInfo::userFullName();
}

}  // namespace model
