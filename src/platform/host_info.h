#pragma once
// Facts about this machine and its user.
#include <optional>
#include <string>
#include <vector>

namespace platform {

namespace HostInfo {
std::string hostName();
// The user's full name (GECOS), else the login name.
std::string userFullName();
// Addresses of the host in a fixed order: IPv4 before IPv6, loopback first
// within each family, then by interface name and address text.
std::vector<std::string> addresses();
// The second address of addresses(), absent when there are fewer than two.
std::optional<std::string> secondAddress();
// The operating system's name and version ("Debian GNU/Linux 12 (bookworm)").
std::string systemVersion();
// The computer's model name as far as it is known ("Linux PC" otherwise).
std::string model();
}  // namespace HostInfo

}  // namespace platform
